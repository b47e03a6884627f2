// Host records of FAR Manager 3 (Unicode plug-ins), for 32- and 64-bit Windows: our own
// declarations of the parts the plug-in uses, with the sizes and offsets measured in FAR 3.0.6727
// asserted for both layouts. Natural alignment; 64-bit members are 8-aligned on x86 too. Exports
// and services are __stdcall on x86 (the one convention on x64). Text is UTF-16 (wchar_t).
#pragma once

#include <cstddef>
#include <cstdint>

#if !defined(_WIN32)
#error "FAR 3 is a Windows host: its records hold 16-bit wchar_t text"
#endif

#define VELMORA_FAR3_API __stdcall

namespace far3 {

using HANDLE = void*;
using UINT64 = std::uint64_t;

constexpr bool kX64 = sizeof(void*) == 8;
// The offset of a field: the first value on x86, the second on x64.
constexpr std::size_t At(std::size_t x86, std::size_t x64) {
    return kX64 ? x64 : x86;
}

struct GUID {
    std::uint32_t Data1;
    std::uint16_t Data2;
    std::uint16_t Data3;
    std::uint8_t Data4[8];
};

struct FILETIME {
    std::uint32_t dwLowDateTime;
    std::uint32_t dwHighDateTime;
};

struct RECT {
    std::int32_t left, top, right, bottom;
};

struct VersionInfo {
    std::uint32_t Major;
    std::uint32_t Minor;
    std::uint32_t Revision;
    std::uint32_t Build;
    std::int32_t Stage;  // VERSION_STAGE: ignored by the minimum-version check
};

struct GlobalInfo {
    std::size_t StructSize;
    VersionInfo MinFarVersion;
    VersionInfo Version;
    GUID Guid;
    const wchar_t* Title;
    const wchar_t* Description;
    const wchar_t* Author;
    void* Instance;
};

struct PluginMenuItem {
    const GUID* Guids;
    const wchar_t* const* Strings;
    std::size_t Count;
};

struct PluginInfo {
    std::size_t StructSize;
    UINT64 Flags;
    PluginMenuItem DiskMenu;
    PluginMenuItem PluginMenu;
    PluginMenuItem PluginConfig;
    const wchar_t* CommandPrefix;
    void* Instance;
};

struct OpenInfo {
    std::size_t StructSize;
    int OpenFrom;  // OPENFROM
    const GUID* Guid;
    std::intptr_t Data;
    void* Instance;
};

struct PanelInfo {
    std::size_t StructSize;
    HANDLE PluginHandle;
    GUID OwnerGuid;
    UINT64 Flags;
    std::size_t ItemsNumber;
    std::size_t SelectedItemsNumber;
    RECT PanelRect;
    std::size_t CurrentItem;
    std::size_t TopPanelItem;
    std::intptr_t ViewMode;
    int PanelType;  // PANELINFOTYPE
    int SortMode;   // OPENPANELINFO_SORTMODES
};

struct UserDataItem {
    void* Data;
    void* FreeData;
};

struct PluginPanelItem {
    FILETIME CreationTime;
    FILETIME LastAccessTime;
    FILETIME LastWriteTime;
    FILETIME ChangeTime;
    UINT64 FileSize;
    UINT64 AllocationSize;
    const wchar_t* FileName;
    const wchar_t* AlternateFileName;
    const wchar_t* Description;
    const wchar_t* Owner;
    const wchar_t* const* CustomColumnData;
    std::size_t CustomColumnNumber;
    UINT64 Flags;
    UserDataItem UserData;
    std::uintptr_t FileAttributes;
    std::uintptr_t NumberOfLinks;
    std::uintptr_t CRC32;
    std::intptr_t Reserved[2];
};

struct FarGetPluginPanelItem {
    std::size_t StructSize;
    std::size_t Size;  // bytes of the buffer Item points to
    PluginPanelItem* Item;
};

struct FarPanelDirectory {
    std::size_t StructSize;
    const wchar_t* Name;
    const wchar_t* Param;
    GUID PluginId;
    const wchar_t* File;
};

struct FarDialogItem {
    int Type;  // FARDIALOGITEMTYPES
    std::intptr_t X1, Y1, X2, Y2;
    union {
        std::intptr_t Selected;
        void* ListItems;
        void* VBuf;
        std::intptr_t Reserved0;
    };
    const wchar_t* History;
    const wchar_t* Mask;
    UINT64 Flags;
    const wchar_t* Data;
    std::size_t MaxLength;  // 0: unlimited
    std::intptr_t UserData;
    std::intptr_t Reserved[2];
};

// A key of a menu's break list or an item's accelerator.
struct FarKey {
    std::uint16_t VirtualKeyCode;
    std::uint32_t ControlKeyState;
};

// One line of a host menu.
struct FarMenuItem {
    UINT64 Flags;  // MIF_*
    const wchar_t* Text;
    FarKey AccelKey;
    std::intptr_t UserData;
    std::intptr_t Reserved[2];
};

struct FarSettingsCreate {
    std::size_t StructSize;
    GUID Guid;
    HANDLE Handle;
};

struct FarSettingsItem {
    std::size_t StructSize;
    std::size_t Root;
    const wchar_t* Name;
    int Type;  // FARSETTINGSTYPES
    union {
        UINT64 Number;
        const wchar_t* String;
        struct {
            std::size_t Size;
            const void* Data;
        } Data;
    } Value;
};

struct FarSettingsValue {
    std::size_t StructSize;
    std::size_t Root;
    const wchar_t* Value;
};

// One name of a key's listing: a value's or a subkey's (FST_SUBKEY).
struct FarSettingsName {
    const wchar_t* Name;
    int Type;  // FARSETTINGSTYPES
};

// A key's listing; the names live until the settings handle is freed.
struct FarSettingsEnum {
    std::size_t StructSize;
    std::size_t Root;
    std::size_t Count;
    const FarSettingsName* Items;
};

using FARWINDOWPROC = std::intptr_t(VELMORA_FAR3_API*)(HANDLE hDlg, std::intptr_t Msg, std::intptr_t Param1,
                                                       void* Param2);
using FARAPIMESSAGE = std::intptr_t(VELMORA_FAR3_API*)(const GUID* PluginId, const GUID* Id, UINT64 Flags,
                                                       const wchar_t* HelpTopic, const wchar_t* const* Items,
                                                       std::size_t ItemsNumber, std::intptr_t ButtonsNumber);
using FARAPIGETMSG = const wchar_t*(VELMORA_FAR3_API*)(const GUID* PluginId, std::intptr_t MsgId);
using FARAPIPANELCONTROL = std::intptr_t(VELMORA_FAR3_API*)(HANDLE hPanel, int Command, std::intptr_t Param1,
                                                            void* Param2);
using FARAPIADVCONTROL = std::intptr_t(VELMORA_FAR3_API*)(const GUID* PluginId, int Command,
                                                          std::intptr_t Param1, void* Param2);
using FARAPISETTINGSCONTROL = std::intptr_t(VELMORA_FAR3_API*)(HANDLE hHandle, int Command,
                                                               std::intptr_t Param1, void* Param2);
using FARAPIDIALOGINIT = HANDLE(VELMORA_FAR3_API*)(const GUID* PluginId, const GUID* Id, std::intptr_t X1,
                                                   std::intptr_t Y1, std::intptr_t X2, std::intptr_t Y2,
                                                   const wchar_t* HelpTopic, const FarDialogItem* Item,
                                                   std::size_t ItemsNumber, std::intptr_t Reserved,
                                                   UINT64 Flags, FARWINDOWPROC DlgProc, void* Param);
using FARAPIMENU = std::intptr_t(VELMORA_FAR3_API*)(const GUID* PluginId, const GUID* Id, std::intptr_t X,
                                                    std::intptr_t Y, std::intptr_t MaxHeight, UINT64 Flags,
                                                    const wchar_t* Title, const wchar_t* Bottom,
                                                    const wchar_t* HelpTopic, const FarKey* BreakKeys,
                                                    std::intptr_t* BreakCode, const FarMenuItem* Item,
                                                    std::size_t ItemsNumber);
// A line of text asked for in a box of its own: true with the text in DestText after Enter.
using FARAPIINPUTBOX = std::intptr_t(VELMORA_FAR3_API*)(const GUID* PluginId, const GUID* Id,
                                                        const wchar_t* Title, const wchar_t* SubTitle,
                                                        const wchar_t* HistoryName, const wchar_t* SrcText,
                                                        wchar_t* DestText, std::size_t DestSize,
                                                        const wchar_t* HelpTopic, UINT64 Flags);
using FARAPIDIALOGRUN = std::intptr_t(VELMORA_FAR3_API*)(HANDLE hDlg);
using FARAPIDIALOGFREE = void(VELMORA_FAR3_API*)(HANDLE hDlg);
using FARAPISENDDLGMESSAGE = std::intptr_t(VELMORA_FAR3_API*)(HANDLE hDlg, std::intptr_t Msg,
                                                              std::intptr_t Param1, void* Param2);
using FARAPISAVESCREEN = HANDLE(VELMORA_FAR3_API*)(std::intptr_t X1, std::intptr_t Y1, std::intptr_t X2,
                                                   std::intptr_t Y2);
using FARAPIRESTORESCREEN = void(VELMORA_FAR3_API*)(HANDLE hScreen);
// The editor on a file, in the code page given (FAR's flags and results are FAR 1.x's, 64-bit).
using FARAPIEDITOR = std::intptr_t(VELMORA_FAR3_API*)(const wchar_t* FileName, const wchar_t* Title,
                                                      std::intptr_t X1, std::intptr_t Y1, std::intptr_t X2,
                                                      std::intptr_t Y2, UINT64 Flags, std::intptr_t StartLine,
                                                      std::intptr_t StartChar, std::uintptr_t CodePage);

// 35 pointer-sized slots; the plug-in calls the typed ones.
struct PluginStartupInfo {
    std::size_t StructSize;
    const wchar_t* ModuleName;
    FARAPIMENU Menu;
    FARAPIMESSAGE Message;
    FARAPIGETMSG GetMsg;
    FARAPIPANELCONTROL PanelControl;
    FARAPISAVESCREEN SaveScreen;
    FARAPIRESTORESCREEN RestoreScreen;
    void* GetDirList;
    void* GetPluginDirList;
    void* FreeDirList;
    void* FreePluginDirList;
    void* Viewer;
    FARAPIEDITOR Editor;
    void* Text;
    void* EditorControl;
    void* FSF;
    void* ShowHelp;
    FARAPIADVCONTROL AdvControl;
    FARAPIINPUTBOX InputBox;
    void* ColorDialog;
    FARAPIDIALOGINIT DialogInit;
    FARAPIDIALOGRUN DialogRun;
    FARAPIDIALOGFREE DialogFree;
    FARAPISENDDLGMESSAGE SendDlgMessage;
    FARWINDOWPROC DefDlgProc;
    void* ViewerControl;
    void* PluginsControl;
    void* FileFilterControl;
    void* RegExpControl;
    void* MacroControl;
    FARAPISETTINGSCONTROL SettingsControl;
    void* Private;
    void* Instance;
    void* FreeScreen;
};

// Entry points, as the host finds them by name.
using GetGlobalInfoWFn = void(VELMORA_FAR3_API*)(GlobalInfo*);
using SetStartupInfoWFn = void(VELMORA_FAR3_API*)(const PluginStartupInfo*);
using GetPluginInfoWFn = void(VELMORA_FAR3_API*)(PluginInfo*);
using OpenWFn = HANDLE(VELMORA_FAR3_API*)(const OpenInfo*);

// The (HANDLE)-1 of the panel services: the active panel.
inline HANDLE const PANEL_ACTIVE = reinterpret_cast<HANDLE>(static_cast<std::intptr_t>(-1));
inline HANDLE const kInvalidHandle = PANEL_ACTIVE;

enum FileControlCommand : int {
    FCTL_GETPANELINFO = 1,
    FCTL_UPDATEPANEL = 2,
    FCTL_REDRAWPANEL = 3,
    FCTL_GETPANELITEM = 21,
    FCTL_GETSELECTEDPANELITEM = 22,
    FCTL_GETPANELDIRECTORY = 24,
    FCTL_GETCOLUMNTYPES = 25,
};

constexpr UINT64 PFLAGS_REALNAMES = 0x20;
constexpr int PTYPE_FILEPANEL = 0;
constexpr UINT64 PPIF_SELECTED = 0x40000000;

enum DialogItemType : int {
    DI_TEXT = 0,
    DI_DOUBLEBOX = 3,
    DI_EDIT = 4,
    DI_BUTTON = 7,
    DI_CHECKBOX = 8,
    DI_RADIOBUTTON = 9,
};

constexpr UINT64 DIF_BOXCOLOR = 0x200;
constexpr UINT64 DIF_CENTERGROUP = 0x4000;
constexpr UINT64 DIF_SEPARATOR = 0x10000;
constexpr UINT64 DIF_HISTORY = 0x40000;
constexpr UINT64 DIF_DEFAULTBUTTON = 0x100000000ull;
constexpr UINT64 DIF_FOCUS = 0x200000000ull;

enum DialogMessage : int {
    DM_CLOSE = 1,
    DM_SETFOCUS = 13,
    DM_SETTEXTPTR = 22,
    DM_GETCHECK = 25,
    DM_SETCHECK = 26,
    DM_GETCONSTTEXTPTR = 63,
    DN_BTNCLICK = 4097,
    DN_EDITCHANGE = 4103,
    DN_ENTERIDLE = 4104,
    DN_INITDIALOG = 4108,
    // Input for the focused item (Param1) before the dialog acts on it; Param2 points to the
    // INPUT_RECORD. The procedure returns TRUE to keep the dialog from acting on it.
    DN_CONTROLINPUT = 4116,
};

// The console's input record, as DN_CONTROLINPUT hands it over.
constexpr std::uint16_t kKeyEvent = 1;
struct KEY_EVENT_RECORD {
    std::int32_t bKeyDown;
    std::uint16_t wRepeatCount;
    std::uint16_t wVirtualKeyCode;
    std::uint16_t wVirtualScanCode;
    wchar_t UnicodeChar;
    std::uint32_t dwControlKeyState;
};
struct INPUT_RECORD {
    std::uint16_t EventType;
    union {
        KEY_EVENT_RECORD KeyEvent;
        std::uint8_t Other[16];
    } Event;
};
constexpr std::uint16_t kVkTab = 0x09;
constexpr std::uint16_t kVkLeft = 0x25;
constexpr std::uint16_t kVkUp = 0x26;
constexpr std::uint16_t kVkRight = 0x27;
constexpr std::uint16_t kVkDown = 0x28;
// The keys the presets menu breaks on.
constexpr std::uint16_t kVkInsert = 0x2D;
constexpr std::uint16_t kVkDelete = 0x2E;
constexpr std::uint16_t kVkF4 = 0x73;
constexpr std::uint32_t kRightAltPressed = 0x1;
constexpr std::uint32_t kLeftAltPressed = 0x2;
constexpr std::uint32_t kRightCtrlPressed = 0x4;
constexpr std::uint32_t kLeftCtrlPressed = 0x8;
constexpr std::uint32_t kShiftPressed = 0x10;

constexpr UINT64 FMENU_SHOWAMPERSAND = 0x1;
constexpr UINT64 FMENU_WRAPMODE = 0x2;
constexpr UINT64 MIF_SELECTED = 0x10000;
constexpr UINT64 MIF_CHECKED = 0x20000;
constexpr std::intptr_t BSTATE_CHECKED = 1;

constexpr UINT64 EF_DISABLEHISTORY = 0x8;
constexpr UINT64 EF_DELETEONCLOSE = 0x10;
constexpr std::intptr_t EEC_OPEN_ERROR = 0;
constexpr std::intptr_t EEC_MODIFIED = 1;
constexpr std::intptr_t EEC_NOT_MODIFIED = 2;
constexpr std::intptr_t EEC_LOADING_INTERRUPTED = 3;
constexpr std::uintptr_t kCodePageUtf8 = 65001;  // CP_UTF8

constexpr UINT64 FMSG_WARNING = 0x1;

// InputBox: an empty line may be confirmed; OK and Cancel buttons under the line.
constexpr UINT64 FIB_ENABLEEMPTY = 0x1;
constexpr UINT64 FIB_BUTTONS = 0x10;

enum SettingsCommand : int {
    SCTL_CREATE = 0,
    SCTL_FREE = 1,
    SCTL_SET = 2,
    SCTL_GET = 3,
    SCTL_ENUM = 4,
    SCTL_DELETE = 5,
    SCTL_CREATESUBKEY = 6,
    SCTL_OPENSUBKEY = 7,
};
enum SettingsType : int {
    FST_UNKNOWN = 0,
    FST_SUBKEY = 1,
    FST_QWORD = 2,
    FST_STRING = 3,
    FST_DATA = 4,
};
constexpr std::intptr_t PSL_ROAMING = 0;

constexpr int OPEN_PLUGINSMENU = 1;
constexpr int ACTL_GETFARMANAGERVERSION = 0;

static_assert(sizeof(wchar_t) == 2, "FAR 3 text is UTF-16");
static_assert(sizeof(GUID) == 16 && alignof(GUID) == 4);
static_assert(sizeof(FILETIME) == 8 && alignof(FILETIME) == 4);
static_assert(sizeof(RECT) == 16);
static_assert(sizeof(VersionInfo) == 20);

static_assert(sizeof(GlobalInfo) == At(76, 96));
static_assert(offsetof(GlobalInfo, MinFarVersion) == At(4, 8));
static_assert(offsetof(GlobalInfo, Version) == At(24, 28));
static_assert(offsetof(GlobalInfo, Guid) == At(44, 48));
static_assert(offsetof(GlobalInfo, Title) == At(60, 64));
static_assert(offsetof(GlobalInfo, Description) == At(64, 72));
static_assert(offsetof(GlobalInfo, Author) == At(68, 80));
static_assert(offsetof(GlobalInfo, Instance) == At(72, 88));

static_assert(sizeof(PluginStartupInfo) == At(140, 280));
static_assert(offsetof(PluginStartupInfo, ModuleName) == At(4, 8));
static_assert(offsetof(PluginStartupInfo, Message) == At(12, 24));
static_assert(offsetof(PluginStartupInfo, GetMsg) == At(16, 32));
static_assert(offsetof(PluginStartupInfo, PanelControl) == At(20, 40));
static_assert(offsetof(PluginStartupInfo, SaveScreen) == At(24, 48));
static_assert(offsetof(PluginStartupInfo, RestoreScreen) == At(28, 56));
static_assert(offsetof(PluginStartupInfo, Editor) == At(52, 104));
static_assert(offsetof(PluginStartupInfo, FSF) == At(64, 128));
static_assert(offsetof(PluginStartupInfo, AdvControl) == At(72, 144));
static_assert(offsetof(PluginStartupInfo, DialogInit) == At(84, 168));
static_assert(offsetof(PluginStartupInfo, DialogRun) == At(88, 176));
static_assert(offsetof(PluginStartupInfo, DialogFree) == At(92, 184));
static_assert(offsetof(PluginStartupInfo, SendDlgMessage) == At(96, 192));
static_assert(offsetof(PluginStartupInfo, DefDlgProc) == At(100, 200));
static_assert(offsetof(PluginStartupInfo, SettingsControl) == At(124, 248));
static_assert(offsetof(PluginStartupInfo, Private) == At(128, 256));
static_assert(offsetof(PluginStartupInfo, Instance) == At(132, 264));
static_assert(offsetof(PluginStartupInfo, FreeScreen) == At(136, 272));

static_assert(sizeof(PluginMenuItem) == At(12, 24));
static_assert(offsetof(PluginMenuItem, Strings) == At(4, 8));
static_assert(offsetof(PluginMenuItem, Count) == At(8, 16));
static_assert(sizeof(PluginInfo) == At(64, 104));
static_assert(offsetof(PluginInfo, Flags) == 8);
static_assert(offsetof(PluginInfo, DiskMenu) == 16);
static_assert(offsetof(PluginInfo, PluginMenu) == At(28, 40));
static_assert(offsetof(PluginInfo, PluginConfig) == At(40, 64));
static_assert(offsetof(PluginInfo, CommandPrefix) == At(52, 88));
static_assert(offsetof(PluginInfo, Instance) == At(56, 96));

static_assert(sizeof(OpenInfo) == At(20, 40));
static_assert(offsetof(OpenInfo, OpenFrom) == At(4, 8));
static_assert(offsetof(OpenInfo, Guid) == At(8, 16));
static_assert(offsetof(OpenInfo, Data) == At(12, 24));
static_assert(offsetof(OpenInfo, Instance) == At(16, 32));

static_assert(sizeof(PanelInfo) == At(80, 104) && alignof(PanelInfo) == 8);
static_assert(offsetof(PanelInfo, PluginHandle) == At(4, 8));
static_assert(offsetof(PanelInfo, OwnerGuid) == At(8, 16));
static_assert(offsetof(PanelInfo, Flags) == At(24, 32));
static_assert(offsetof(PanelInfo, ItemsNumber) == At(32, 40));
static_assert(offsetof(PanelInfo, SelectedItemsNumber) == At(36, 48));
static_assert(offsetof(PanelInfo, PanelRect) == At(40, 56));
static_assert(offsetof(PanelInfo, CurrentItem) == At(56, 72));
static_assert(offsetof(PanelInfo, TopPanelItem) == At(60, 80));
static_assert(offsetof(PanelInfo, ViewMode) == At(64, 88));
static_assert(offsetof(PanelInfo, PanelType) == At(68, 96));
static_assert(offsetof(PanelInfo, SortMode) == At(72, 100));

static_assert(sizeof(PluginPanelItem) == At(112, 160) && alignof(PluginPanelItem) == 8);
static_assert(offsetof(PluginPanelItem, LastAccessTime) == 8);
static_assert(offsetof(PluginPanelItem, LastWriteTime) == 16);
static_assert(offsetof(PluginPanelItem, ChangeTime) == 24);
static_assert(offsetof(PluginPanelItem, FileSize) == 32);
static_assert(offsetof(PluginPanelItem, AllocationSize) == 40);
static_assert(offsetof(PluginPanelItem, FileName) == 48);
static_assert(offsetof(PluginPanelItem, AlternateFileName) == At(52, 56));
static_assert(offsetof(PluginPanelItem, Description) == At(56, 64));
static_assert(offsetof(PluginPanelItem, Owner) == At(60, 72));
static_assert(offsetof(PluginPanelItem, CustomColumnData) == At(64, 80));
static_assert(offsetof(PluginPanelItem, CustomColumnNumber) == At(68, 88));
static_assert(offsetof(PluginPanelItem, Flags) == At(72, 96));
static_assert(offsetof(PluginPanelItem, UserData) == At(80, 104));
static_assert(offsetof(PluginPanelItem, FileAttributes) == At(88, 120));
static_assert(offsetof(PluginPanelItem, NumberOfLinks) == At(92, 128));
static_assert(offsetof(PluginPanelItem, CRC32) == At(96, 136));
static_assert(offsetof(PluginPanelItem, Reserved) == At(100, 144));

static_assert(sizeof(FarGetPluginPanelItem) == At(12, 24));
static_assert(offsetof(FarGetPluginPanelItem, Size) == At(4, 8));
static_assert(offsetof(FarGetPluginPanelItem, Item) == At(8, 16));
static_assert(sizeof(FarPanelDirectory) == At(32, 48));
static_assert(offsetof(FarPanelDirectory, Name) == At(4, 8));
static_assert(offsetof(FarPanelDirectory, Param) == At(8, 16));
static_assert(offsetof(FarPanelDirectory, PluginId) == At(12, 24));
static_assert(offsetof(FarPanelDirectory, File) == At(28, 40));

static_assert(sizeof(INPUT_RECORD) == 20 && offsetof(INPUT_RECORD, Event) == 4);
static_assert(offsetof(KEY_EVENT_RECORD, wVirtualKeyCode) == 6 &&
              offsetof(KEY_EVENT_RECORD, dwControlKeyState) == 12);
static_assert(sizeof(FarDialogItem) == At(64, 112) && alignof(FarDialogItem) == 8);
static_assert(offsetof(FarDialogItem, X1) == At(4, 8));
static_assert(offsetof(FarDialogItem, Y1) == At(8, 16));
static_assert(offsetof(FarDialogItem, X2) == At(12, 24));
static_assert(offsetof(FarDialogItem, Y2) == At(16, 32));
static_assert(offsetof(FarDialogItem, Selected) == At(20, 40));
static_assert(offsetof(FarDialogItem, History) == At(24, 48));
static_assert(offsetof(FarDialogItem, Mask) == At(28, 56));
static_assert(offsetof(FarDialogItem, Flags) == At(32, 64));
static_assert(offsetof(FarDialogItem, Data) == At(40, 72));
static_assert(offsetof(FarDialogItem, MaxLength) == At(44, 80));
static_assert(offsetof(FarDialogItem, UserData) == At(48, 88));
static_assert(offsetof(FarDialogItem, Reserved) == At(52, 96));

static_assert(sizeof(FarKey) == 8 && offsetof(FarKey, ControlKeyState) == 4);
static_assert(offsetof(PluginStartupInfo, Menu) == At(8, 16));
static_assert(sizeof(FarMenuItem) == At(32, 48) && alignof(FarMenuItem) == 8);
static_assert(offsetof(FarMenuItem, Text) == 8);
static_assert(offsetof(FarMenuItem, AccelKey) == At(12, 16));
static_assert(offsetof(FarMenuItem, UserData) == At(20, 24));
static_assert(offsetof(FarMenuItem, Reserved) == At(24, 32));

static_assert(sizeof(FarSettingsCreate) == At(24, 32));
static_assert(offsetof(FarSettingsCreate, Guid) == At(4, 8));
static_assert(offsetof(FarSettingsCreate, Handle) == At(20, 24));
static_assert(sizeof(FarSettingsItem) == At(24, 48));
static_assert(offsetof(FarSettingsItem, Root) == At(4, 8));
static_assert(offsetof(FarSettingsItem, Name) == At(8, 16));
static_assert(offsetof(FarSettingsItem, Type) == At(12, 24));
static_assert(offsetof(FarSettingsItem, Value) == At(16, 32));
static_assert(offsetof(FarSettingsItem, Value.Data.Size) == At(16, 32));
static_assert(offsetof(FarSettingsItem, Value.Data.Data) == At(20, 40));
static_assert(sizeof(FarSettingsValue) == At(12, 24));
static_assert(offsetof(FarSettingsValue, Root) == At(4, 8));
static_assert(offsetof(FarSettingsValue, Value) == At(8, 16));
static_assert(sizeof(FarSettingsName) == At(8, 16) && offsetof(FarSettingsName, Type) == At(4, 8));
static_assert(sizeof(FarSettingsEnum) == At(16, 32));
static_assert(offsetof(FarSettingsEnum, Root) == At(4, 8));
static_assert(offsetof(FarSettingsEnum, Count) == At(8, 16));
static_assert(offsetof(FarSettingsEnum, Items) == At(12, 24));
static_assert(offsetof(PluginStartupInfo, InputBox) == At(76, 152));

}  // namespace far3
