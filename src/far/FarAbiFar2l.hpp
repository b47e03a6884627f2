// Host records of far2l's FAR 1.x-style "multibyte" plug-ins on 64-bit Linux.
// Field order follows FAR 1.x; records are packed to 2 bytes; strings are UTF-8.
#pragma once

#include <cstddef>
#include <cstdint>

#define VELMORA_WINAPI
// How the plug-in's exports are declared: looked up by plain name, and visible although the
// build hides every other symbol.
#define VELMORA_EXPORT extern "C" __attribute__((visibility("default")))

namespace far {

using DWORD = std::uint32_t;
using INT_PTR = std::intptr_t;
using DWORD_PTR = std::uintptr_t;
using HANDLE = void*;
// LONG_PTR of the dialog messages: pointer-sized.
using LONG_PTR = std::intptr_t;

// Whether the host hands over UTF-8 text (far2l) or single-byte OEM text (FAR 1.x).
constexpr bool kHostStringsAreUtf8 = true;
constexpr std::size_t kMaxPath = 4096;

#pragma pack(push, 2)

struct FILETIME {
    DWORD dwLowDateTime;
    DWORD dwHighDateTime;
};

struct FAR_FIND_DATA {
    FILETIME ftCreationTime;
    FILETIME ftLastAccessTime;
    FILETIME ftLastWriteTime;
    std::uint64_t nPhysicalSize;
    std::uint64_t nFileSize;
    DWORD dwFileAttributes;
    DWORD dwUnixMode;
    char cFileName[255];
};

struct PluginPanelItem {
    FAR_FIND_DATA FindData;
    DWORD_PTR UserData;
    DWORD Flags;
    DWORD NumberOfLinks;
    char* Description;
    char* Owner;
    char* Group;
    char** CustomColumnData;
    int CustomColumnNumber;
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
    char CurDir[4096];
    int SortMode;
    DWORD Flags;
    DWORD Reserved;
};

struct FarDialogItem {
    int Type;
    int X1, Y1, X2, Y2;
    int Focus;
    union {
        DWORD_PTR Reserved;
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
    DWORD SysID;
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
    char ModuleName[4096];
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
    void* ColorDialog;
    FARAPIDIALOGEX DialogEx;
    FARAPISENDDLGMESSAGE SendDlgMessage;
    FARAPIDEFDLGPROC DefDlgProc;
    DWORD_PTR Reserved;
    void* ViewerControl;
};

#pragma pack(pop)

static_assert(sizeof(void*) == 8, "the far2l layout is for 64-bit builds");
static_assert(sizeof(FAR_FIND_DATA) == 304);
static_assert(offsetof(FAR_FIND_DATA, ftLastAccessTime) == 8);
static_assert(offsetof(FAR_FIND_DATA, ftLastWriteTime) == 16);
static_assert(offsetof(FAR_FIND_DATA, nPhysicalSize) == 24);
static_assert(offsetof(FAR_FIND_DATA, nFileSize) == 32);
static_assert(offsetof(FAR_FIND_DATA, dwFileAttributes) == 40);
static_assert(offsetof(FAR_FIND_DATA, dwUnixMode) == 44);
static_assert(offsetof(FAR_FIND_DATA, cFileName) == 48);

static_assert(sizeof(PluginPanelItem) == 376);
static_assert(offsetof(PluginPanelItem, UserData) == 304);
static_assert(offsetof(PluginPanelItem, Flags) == 312);
static_assert(offsetof(PluginPanelItem, NumberOfLinks) == 316);
static_assert(offsetof(PluginPanelItem, Description) == 320);
static_assert(offsetof(PluginPanelItem, Owner) == 328);
static_assert(offsetof(PluginPanelItem, Group) == 336);
static_assert(offsetof(PluginPanelItem, CustomColumnData) == 344);
static_assert(offsetof(PluginPanelItem, CustomColumnNumber) == 352);
static_assert(offsetof(PluginPanelItem, CRC32) == 356);
static_assert(offsetof(PluginPanelItem, Reserved) == 360);

static_assert(sizeof(PanelInfo) == 4336);
static_assert(offsetof(PanelInfo, PanelRect) == 8);
static_assert(offsetof(PanelInfo, PanelItems) == 24);
static_assert(offsetof(PanelInfo, ItemsNumber) == 32);
static_assert(offsetof(PanelInfo, SelectedItems) == 36);
static_assert(offsetof(PanelInfo, SelectedItemsNumber) == 44);
static_assert(offsetof(PanelInfo, CurrentItem) == 48);
static_assert(offsetof(PanelInfo, TopPanelItem) == 52);
static_assert(offsetof(PanelInfo, Visible) == 56);
static_assert(offsetof(PanelInfo, Focus) == 60);
static_assert(offsetof(PanelInfo, ViewMode) == 64);
static_assert(offsetof(PanelInfo, ColumnTypes) == 68);
static_assert(offsetof(PanelInfo, ColumnWidths) == 148);
static_assert(offsetof(PanelInfo, CurDir) == 228);
static_assert(offsetof(PanelInfo, SortMode) == 4324);
static_assert(offsetof(PanelInfo, Flags) == 4328);
static_assert(offsetof(PanelInfo, Reserved) == 4332);

static_assert(sizeof(FarDialogItem) == 552);
static_assert(offsetof(FarDialogItem, Focus) == 20);
static_assert(offsetof(FarDialogItem, Selected) == 24);
static_assert(offsetof(FarDialogItem, Flags) == 32);
static_assert(offsetof(FarDialogItem, DefaultButton) == 36);
static_assert(offsetof(FarDialogItem, Data) == 40);

static_assert(sizeof(PluginInfo) == 64);
static_assert(offsetof(PluginInfo, Flags) == 4);
static_assert(offsetof(PluginInfo, DiskMenuStrings) == 8);
static_assert(offsetof(PluginInfo, DiskMenuNumbers) == 16);
static_assert(offsetof(PluginInfo, DiskMenuStringsNumber) == 24);
static_assert(offsetof(PluginInfo, PluginMenuStrings) == 28);
static_assert(offsetof(PluginInfo, PluginMenuStringsNumber) == 36);
static_assert(offsetof(PluginInfo, PluginConfigStrings) == 40);
static_assert(offsetof(PluginInfo, PluginConfigStringsNumber) == 48);
static_assert(offsetof(PluginInfo, CommandPrefix) == 52);
static_assert(offsetof(PluginInfo, SysID) == 60);

static_assert(sizeof(PluginStartupInfo) == 4324);
static_assert(offsetof(PluginStartupInfo, ModuleName) == 4);
static_assert(offsetof(PluginStartupInfo, ModuleNumber) == 4100);
static_assert(offsetof(PluginStartupInfo, RootKey) == 4108);
static_assert(offsetof(PluginStartupInfo, Menu) == 4116);
static_assert(offsetof(PluginStartupInfo, Dialog) == 4124);
static_assert(offsetof(PluginStartupInfo, Message) == 4132);
static_assert(offsetof(PluginStartupInfo, GetMsg) == 4140);
static_assert(offsetof(PluginStartupInfo, Control) == 4148);
static_assert(offsetof(PluginStartupInfo, SaveScreen) == 4156);
static_assert(offsetof(PluginStartupInfo, RestoreScreen) == 4164);
static_assert(offsetof(PluginStartupInfo, GetDirList) == 4172);
static_assert(offsetof(PluginStartupInfo, GetPluginDirList) == 4180);
static_assert(offsetof(PluginStartupInfo, FreeDirList) == 4188);
static_assert(offsetof(PluginStartupInfo, Viewer) == 4196);
static_assert(offsetof(PluginStartupInfo, Editor) == 4204);
static_assert(offsetof(PluginStartupInfo, CmpName) == 4212);
static_assert(offsetof(PluginStartupInfo, CharTable) == 4220);
static_assert(offsetof(PluginStartupInfo, Text) == 4228);
static_assert(offsetof(PluginStartupInfo, EditorControl) == 4236);
static_assert(offsetof(PluginStartupInfo, FSF) == 4244);
static_assert(offsetof(PluginStartupInfo, ShowHelp) == 4252);
static_assert(offsetof(PluginStartupInfo, AdvControl) == 4260);
static_assert(offsetof(PluginStartupInfo, InputBox) == 4268);
static_assert(offsetof(PluginStartupInfo, ColorDialog) == 4276);
static_assert(offsetof(PluginStartupInfo, DialogEx) == 4284);
static_assert(offsetof(PluginStartupInfo, SendDlgMessage) == 4292);
static_assert(offsetof(PluginStartupInfo, DefDlgProc) == 4300);
static_assert(offsetof(PluginStartupInfo, Reserved) == 4308);
static_assert(offsetof(PluginStartupInfo, ViewerControl) == 4316);

static_assert(sizeof(FarMenuItem) == 140);
static_assert(offsetof(FarMenuItem, Selected) == 128);
static_assert(offsetof(FarMenuItem, Checked) == 132);
static_assert(offsetof(FarMenuItem, Separator) == 136);

// The plug-in keeps the record up to and including EditorControl from every host, and the
// services after it (the dialog procedure's) where the host's record has them.
constexpr std::size_t kKeptStartupBytes = offsetof(PluginStartupInfo, FSF);
static_assert(kKeptStartupBytes == 4244);
// What a plug-in module's file name ends with, for this host to load it.
constexpr const char* kPluginModuleSuffix = ".far-plug-mb";
// Where the package puts the plug-in, relative to the velmora program in <prefix>/bin: far2l's
// place for packaged plug-ins.
constexpr const char* kInstalledPluginDirectory = "../lib/far2l/Plugins/Velmora/plug/";
constexpr int kPluginInfoStructSize = 64;

// The size fields of a find-data record: one 64-bit size, and the space it takes on disk.
inline void SetFindDataSize(FAR_FIND_DATA& data, std::uint64_t size) {
    data.nFileSize = size;
    data.nPhysicalSize = size;
}
inline std::uint64_t FindDataSize(const FAR_FIND_DATA& data) {
    return data.nFileSize;
}

// A file time (FILETIME ticks) as far2l lists it in a panel item: made through a SYSTEMTIME, it
// keeps whole milliseconds of the file system's time.
inline std::uint64_t PanelFileTime(std::uint64_t ticks) {
    return ticks - ticks % 10000;
}

}  // namespace far
