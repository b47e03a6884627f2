// The host interface as this build's host sees it: FAR 1.x on 32-bit Windows, far2l elsewhere.
#pragma once

#include <cstring>
#include <string_view>

#if defined(_WIN32)
#include "FarAbiWin32.hpp"
#else
#include "FarAbiFar2l.hpp"
#endif

namespace far {

// The text of a fixed character field of a host record: up to its terminator, or the whole field
// when a host filled it completely.
template <std::size_t N>
std::string_view FieldText(const char (&field)[N]) {
    const void* end = std::memchr(field, '\0', N);
    return std::string_view(field, end ? static_cast<std::size_t>(static_cast<const char*>(end) - field) : N);
}

// Copies text into a fixed character field, cut to what fits beside the terminator.
template <std::size_t N>
void SetFieldText(char (&field)[N], std::string_view text) {
    const std::size_t length = text.size() < N ? text.size() : N - 1;
    std::memcpy(field, text.data(), length);
    field[length] = '\0';
}

inline HANDLE const kInvalidHandle = reinterpret_cast<HANDLE>(static_cast<INT_PTR>(-1));

enum FileControlCommand : int {
    FCTL_CLOSEPLUGIN = 0,
    FCTL_GETPANELINFO = 1,
    FCTL_GETANOTHERPANELINFO = 2,
    FCTL_UPDATEPANEL = 3,
    FCTL_UPDATEANOTHERPANEL = 4,
    FCTL_REDRAWPANEL = 5,
};

constexpr DWORD FMSG_WARNING = 0x1;
constexpr DWORD FMSG_ERRORTYPE = 0x2;
constexpr DWORD FMSG_KEEPBACKGROUND = 0x4;
constexpr DWORD FMSG_LEFTALIGN = 0x10;

enum DialogItemType : int {
    DI_TEXT = 0,
    DI_VTEXT = 1,
    DI_SINGLEBOX = 2,
    DI_DOUBLEBOX = 3,
    DI_EDIT = 4,
    DI_PSWEDIT = 5,
    DI_FIXEDIT = 6,
    DI_BUTTON = 7,
    DI_CHECKBOX = 8,
    DI_RADIOBUTTON = 9,
};

constexpr DWORD DIF_BOXCOLOR = 0x200;
constexpr DWORD DIF_CENTERGROUP = 0x4000;
constexpr DWORD DIF_SEPARATOR = 0x10000;
constexpr DWORD DIF_HISTORY = 0x40000;

// Messages of a dialog with a procedure (the same numbers in FAR 1.x and far2l).
enum DialogMessage : int {
    DM_CLOSE = 1,
    DM_ENABLE = 2,
    DM_ENABLEREDRAW = 3,
    DM_GETDLGDATA = 4,
    DM_KEY = 9,
    DM_SETDLGDATA = 11,
    DM_SETFOCUS = 13,
    DM_REDRAW = 14,
    DM_GETTEXTPTR = 21,
    DM_SETTEXTPTR = 22,
    DM_SHOWITEM = 23,
    DM_GETCHECK = 25,
    DM_SETCHECK = 26,
    DN_FIRST = 0x1000,
    DN_BTNCLICK = 4097,
    DN_EDITCHANGE = 4103,
    DN_ENTERIDLE = 4104,
    DN_INITDIALOG = 4108,
    DN_CLOSE = 1,
    // A key for the focused item (Param1), before the dialog acts on it: the procedure returns
    // TRUE to keep the dialog from acting on it. far2l hands its ANSI plug-ins FAR 1.x's codes.
    DN_KEY = DM_KEY,
};

// Key codes as DN_KEY gives them (FAR 1.x's numbering, far2l's too for its ANSI plug-ins).
constexpr int KEY_SHIFT = 0x04000000;
constexpr int KEY_TAB = 0x09;
constexpr int KEY_SHIFTTAB = KEY_SHIFT | KEY_TAB;
constexpr int KEY_LEFT = 0x125;
constexpr int KEY_UP = 0x126;
constexpr int KEY_RIGHT = 0x127;
constexpr int KEY_DOWN = 0x128;
constexpr int KEY_F4 = 0x173;

// The editor service's flags and results (the same in FAR 1.x and far2l).
constexpr DWORD EF_NONMODAL = 0x1;
constexpr DWORD EF_CREATENEW = 0x2;
constexpr DWORD EF_ENABLE_F6 = 0x4;
constexpr DWORD EF_DISABLEHISTORY = 0x8;
constexpr DWORD EF_DELETEONCLOSE = 0x10;
constexpr DWORD EF_IMMEDIATERETURN = 0x100;
constexpr DWORD EF_DELETEONLYFILEONCLOSE = 0x200;
constexpr int EEC_OPEN_ERROR = 0;
constexpr int EEC_MODIFIED = 1;
constexpr int EEC_NOT_MODIFIED = 2;
constexpr int EEC_LOADING_INTERRUPTED = 3;

constexpr DWORD FDLG_WARNING = 1;
constexpr DWORD FDLG_SMALLDIALOG = 2;
constexpr DWORD FDLG_NODRAWSHADOW = 4;

constexpr DWORD FMENU_SHOWAMPERSAND = 0x1;
constexpr DWORD FMENU_WRAPMODE = 0x2;
// A menu's break keys: a virtual key code in the low word, the modifiers (PKF_*) in the high one;
// the list ends with 0.
constexpr int kVkInsert = 0x2D;
constexpr int kVkDelete = 0x2E;
constexpr int kVkF4 = 0x73;

// InputBox: an empty line may be confirmed; OK and Cancel buttons under the line.
constexpr DWORD FIB_ENABLEEMPTY = 0x1;
constexpr DWORD FIB_BUTTONS = 0x10;

enum OpenFrom : int {
    OPEN_DISKMENU = 0,
    OPEN_PLUGINSMENU = 1,
    OPEN_COMMANDLINE = 4,
};

constexpr DWORD PPIF_SELECTED = 0x40000000;

constexpr DWORD FILE_ATTRIBUTE_READONLY = 1;
constexpr DWORD FILE_ATTRIBUTE_HIDDEN = 2;
constexpr DWORD FILE_ATTRIBUTE_SYSTEM = 4;
constexpr DWORD FILE_ATTRIBUTE_DIRECTORY = 16;
constexpr DWORD FILE_ATTRIBUTE_ARCHIVE = 32;

using SetStartupInfoFn = void(VELMORA_WINAPI*)(const PluginStartupInfo*);
using GetPluginInfoFn = void(VELMORA_WINAPI*)(PluginInfo*);
using OpenPluginFn = HANDLE(VELMORA_WINAPI*)(int OpenFrom, INT_PTR Item);

}  // namespace far
