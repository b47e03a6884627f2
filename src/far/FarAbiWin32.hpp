// Host records of FAR Manager 1.7x (ANSI plug-ins) on 32-bit Windows.
// Every record is packed to 2 bytes; services and exports use stdcall.
#pragma once

#include <cstddef>
#include <cstdint>

#define VELMORA_WINAPI __stdcall
// How the plug-in's exports are declared: looked up by plain name (a .def file drops the
// stdcall decoration).
#define VELMORA_EXPORT extern "C"

namespace far {

using DWORD = std::uint32_t;
using INT_PTR = std::int32_t;
using DWORD_PTR = std::uint32_t;
using HANDLE = void*;
// `long` of the Win32 interface: 32 bits.
using LONG_PTR = std::int32_t;

// Whether the host hands over UTF-8 text (far2l) or single-byte OEM text (FAR 1.x).
constexpr bool kHostStringsAreUtf8 = false;
constexpr std::size_t kMaxPath = 260;

#pragma pack(push, 2)

struct FILETIME {
    DWORD dwLowDateTime;
    DWORD dwHighDateTime;
};

struct FAR_FIND_DATA {
    DWORD dwFileAttributes;
    FILETIME ftCreationTime;
    FILETIME ftLastAccessTime;
    FILETIME ftLastWriteTime;
    DWORD nFileSizeHigh;
    DWORD nFileSizeLow;
    DWORD dwReserved0;
    DWORD dwReserved1;
    char cFileName[260];
    char cAlternateFileName[14];
};

struct PluginPanelItem {
    FAR_FIND_DATA FindData;
    DWORD PackSizeHigh;
    DWORD PackSize;
    DWORD Flags;
    DWORD NumberOfLinks;
    char* Description;
    char* Owner;
    char** CustomColumnData;
    int CustomColumnNumber;
    DWORD_PTR UserData;
    DWORD CRC32;
    DWORD_PTR Reserved[2];
};

struct RECT {
    std::int32_t left, top, right, bottom;
};

struct PanelInfo {
    int PanelType;
    int Plugin;
    RECT PanelRect;
    PluginPanelItem* PanelItems;
    int ItemsNumber;
    PluginPanelItem* SelectedItems;
    int SelectedItemsNumber;
    int CurrentItem;
    int TopPanelItem;
    int Visible;
    int Focus;
    int ViewMode;
    char ColumnTypes[80];
    char ColumnWidths[80];
    char CurDir[260];
    int ShortNames;
    int SortMode;
    DWORD Flags;
    DWORD Reserved;
};

struct FarDialogItem {
    int Type;
    int X1, Y1, X2, Y2;
    int Focus;
    union {
        int Selected;
        const char* History;
        const char* Mask;
        void* ListItems;
        int ListPos;
        void* VBuf;
    };
    DWORD Flags;
    int DefaultButton;
    char Data[512];
};

struct PluginInfo {
    int StructSize;
    DWORD Flags;
    const char* const* DiskMenuStrings;
    int* DiskMenuNumbers;
    int DiskMenuStringsNumber;
    const char* const* PluginMenuStrings;
    int PluginMenuStringsNumber;
    const char* const* PluginConfigStrings;
    int PluginConfigStringsNumber;
    const char* CommandPrefix;
    DWORD Reserved;
};

// One line of a host menu.
struct FarMenuItem {
    char Text[128];
    int Selected;
    int Checked;
    int Separator;
};

#include "FarServices.inc"

struct PluginStartupInfo {
    int StructSize;
    char ModuleName[260];
    INT_PTR ModuleNumber;
    const char* RootKey;
    FARAPIMENU Menu;
    FARAPIDIALOG Dialog;
    FARAPIMESSAGE Message;
    FARAPIGETMSG GetMsg;
    FARAPICONTROL Control;
    FARAPISAVESCREEN SaveScreen;
    FARAPIRESTORESCREEN RestoreScreen;
    void* GetDirList;
    void* GetPluginDirList;
    void* FreeDirList;
    void* Viewer;
    FARAPIEDITOR Editor;
    void* CmpName;
    void* CharTable;
    void* Text;
    void* EditorControl;
    void* FSF;
    void* ShowHelp;
    void* AdvControl;
    FARAPIINPUTBOX InputBox;
    FARAPIDIALOGEX DialogEx;
    FARAPISENDDLGMESSAGE SendDlgMessage;
    FARAPIDEFDLGPROC DefDlgProc;
    DWORD_PTR Reserved;
    void* ViewerControl;
};

#pragma pack(pop)

static_assert(sizeof(void*) == 4, "the Win32 layout is for 32-bit builds");
static_assert(sizeof(FAR_FIND_DATA) == 318);
static_assert(offsetof(FAR_FIND_DATA, ftCreationTime) == 4);
static_assert(offsetof(FAR_FIND_DATA, ftLastAccessTime) == 12);
static_assert(offsetof(FAR_FIND_DATA, ftLastWriteTime) == 20);
static_assert(offsetof(FAR_FIND_DATA, nFileSizeHigh) == 28);
static_assert(offsetof(FAR_FIND_DATA, nFileSizeLow) == 32);
static_assert(offsetof(FAR_FIND_DATA, dwReserved0) == 36);
static_assert(offsetof(FAR_FIND_DATA, dwReserved1) == 40);
static_assert(offsetof(FAR_FIND_DATA, cFileName) == 44);
static_assert(offsetof(FAR_FIND_DATA, cAlternateFileName) == 304);

static_assert(sizeof(PluginPanelItem) == 366);
static_assert(offsetof(PluginPanelItem, PackSizeHigh) == 318);
static_assert(offsetof(PluginPanelItem, PackSize) == 322);
static_assert(offsetof(PluginPanelItem, Flags) == 326);
static_assert(offsetof(PluginPanelItem, NumberOfLinks) == 330);
static_assert(offsetof(PluginPanelItem, Description) == 334);
static_assert(offsetof(PluginPanelItem, Owner) == 338);
static_assert(offsetof(PluginPanelItem, CustomColumnData) == 342);
static_assert(offsetof(PluginPanelItem, CustomColumnNumber) == 346);
static_assert(offsetof(PluginPanelItem, UserData) == 350);
static_assert(offsetof(PluginPanelItem, CRC32) == 354);
static_assert(offsetof(PluginPanelItem, Reserved) == 358);

static_assert(sizeof(PanelInfo) == 496);
static_assert(offsetof(PanelInfo, PanelRect) == 8);
static_assert(offsetof(PanelInfo, PanelItems) == 24);
static_assert(offsetof(PanelInfo, ItemsNumber) == 28);
static_assert(offsetof(PanelInfo, SelectedItems) == 32);
static_assert(offsetof(PanelInfo, SelectedItemsNumber) == 36);
static_assert(offsetof(PanelInfo, CurrentItem) == 40);
static_assert(offsetof(PanelInfo, TopPanelItem) == 44);
static_assert(offsetof(PanelInfo, Visible) == 48);
static_assert(offsetof(PanelInfo, Focus) == 52);
static_assert(offsetof(PanelInfo, ViewMode) == 56);
static_assert(offsetof(PanelInfo, ColumnTypes) == 60);
static_assert(offsetof(PanelInfo, ColumnWidths) == 140);
static_assert(offsetof(PanelInfo, CurDir) == 220);
static_assert(offsetof(PanelInfo, ShortNames) == 480);
static_assert(offsetof(PanelInfo, SortMode) == 484);
static_assert(offsetof(PanelInfo, Flags) == 488);
static_assert(offsetof(PanelInfo, Reserved) == 492);

static_assert(sizeof(FarDialogItem) == 548);
static_assert(offsetof(FarDialogItem, Focus) == 20);
static_assert(offsetof(FarDialogItem, Selected) == 24);
static_assert(offsetof(FarDialogItem, Flags) == 28);
static_assert(offsetof(FarDialogItem, DefaultButton) == 32);
static_assert(offsetof(FarDialogItem, Data) == 36);

static_assert(sizeof(PluginInfo) == 44);
static_assert(offsetof(PluginInfo, Flags) == 4);
static_assert(offsetof(PluginInfo, DiskMenuStrings) == 8);
static_assert(offsetof(PluginInfo, DiskMenuNumbers) == 12);
static_assert(offsetof(PluginInfo, DiskMenuStringsNumber) == 16);
static_assert(offsetof(PluginInfo, PluginMenuStrings) == 20);
static_assert(offsetof(PluginInfo, PluginMenuStringsNumber) == 24);
static_assert(offsetof(PluginInfo, PluginConfigStrings) == 28);
static_assert(offsetof(PluginInfo, PluginConfigStringsNumber) == 32);
static_assert(offsetof(PluginInfo, CommandPrefix) == 36);
static_assert(offsetof(PluginInfo, Reserved) == 40);

static_assert(sizeof(PluginStartupInfo) == 372);
static_assert(offsetof(PluginStartupInfo, ModuleName) == 4);
static_assert(offsetof(PluginStartupInfo, ModuleNumber) == 264);
static_assert(offsetof(PluginStartupInfo, RootKey) == 268);
static_assert(offsetof(PluginStartupInfo, Menu) == 272);
static_assert(offsetof(PluginStartupInfo, Dialog) == 276);
static_assert(offsetof(PluginStartupInfo, Message) == 280);
static_assert(offsetof(PluginStartupInfo, GetMsg) == 284);
static_assert(offsetof(PluginStartupInfo, Control) == 288);
static_assert(offsetof(PluginStartupInfo, SaveScreen) == 292);
static_assert(offsetof(PluginStartupInfo, RestoreScreen) == 296);
static_assert(offsetof(PluginStartupInfo, GetDirList) == 300);
static_assert(offsetof(PluginStartupInfo, Editor) == 316);
static_assert(offsetof(PluginStartupInfo, CmpName) == 320);
static_assert(offsetof(PluginStartupInfo, Text) == 328);
static_assert(offsetof(PluginStartupInfo, EditorControl) == 332);
static_assert(offsetof(PluginStartupInfo, FSF) == 336);
static_assert(offsetof(PluginStartupInfo, ShowHelp) == 340);
static_assert(offsetof(PluginStartupInfo, AdvControl) == 344);
static_assert(offsetof(PluginStartupInfo, InputBox) == 348);
static_assert(offsetof(PluginStartupInfo, DialogEx) == 352);
static_assert(offsetof(PluginStartupInfo, SendDlgMessage) == 356);
static_assert(offsetof(PluginStartupInfo, DefDlgProc) == 360);
static_assert(offsetof(PluginStartupInfo, Reserved) == 364);
static_assert(offsetof(PluginStartupInfo, ViewerControl) == 368);

static_assert(sizeof(FarMenuItem) == 140);
static_assert(offsetof(FarMenuItem, Selected) == 128);
static_assert(offsetof(FarMenuItem, Checked) == 132);
static_assert(offsetof(FarMenuItem, Separator) == 136);

// The plug-in keeps the record up to and including EditorControl from every host, and the
// services after it (the dialog procedure's) where the host's record has them.
constexpr std::size_t kKeptStartupBytes = offsetof(PluginStartupInfo, FSF);
static_assert(kKeptStartupBytes == 336);
// What a plug-in module's file name ends with, for this host to load it.
constexpr const char* kPluginModuleSuffix = ".dll";
// Where the zip puts the plug-in, relative to velmora.exe in a folder of its own beside FAR's
// Plugins folder.
constexpr const char* kInstalledPluginDirectory = "..\\Plugins\\Velmora\\";
constexpr int kPluginInfoStructSize = 40;

// The size fields of a find-data record: two 32-bit halves here.
inline void SetFindDataSize(FAR_FIND_DATA& data, std::uint64_t size) {
    data.nFileSizeHigh = static_cast<DWORD>(size >> 32);
    data.nFileSizeLow = static_cast<DWORD>(size & 0xFFFFFFFFu);
}
inline std::uint64_t FindDataSize(const FAR_FIND_DATA& data) {
    return (static_cast<std::uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
}

// A file time (FILETIME ticks) as FAR lists it in a panel item: the system's own, to 100 ns.
inline std::uint64_t PanelFileTime(std::uint64_t ticks) {
    return ticks;
}

}  // namespace far
