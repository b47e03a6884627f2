// The FAR 3 plug-in in-process against the fake FAR 3, in this build's layout (x86 or x64): its
// exports, the dialog and the settings store, whole runs over Cyrillic and CJK names with their
// description files in every code page FAR 3 reads, taken back from the menu, and the failure boxes.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "far/HostConventions.hpp"
#include "far3/FakeFar3.hpp"
#include "platform/win32/WindowsPrelude.hpp"
#include "plugin/far3/Far3Exports.hpp"
#include "plugin/far3/Far3Guids.hpp"
#include "ports/Messages.hpp"
#include "settings/Settings.hpp"

namespace velmora::test {
namespace {

bool SameGuid(const far3::GUID& a, const far3::GUID& b) {
    return std::memcmp(&a, &b, sizeof a) == 0;
}

// The fake's text for a message number, as the plug-in shows it.
std::string T(int id) {
    return "\xE2\x84\x96" + std::to_string(id);  // №<id>
}

// Whether `calls` holds `wanted` in this order, other calls between them.
bool InOrder(const std::vector<std::string>& calls, const std::vector<std::string>& wanted) {
    std::size_t next = 0;
    for (const std::string& call : calls) {
        if (next < wanted.size() && call == wanted[next])
            ++next;
    }
    return next == wanted.size();
}

enum class Encoding { Oem, Utf8, Utf16Le, Utf16Be };

std::string Encoded(Encoding encoding, const std::string& utf8) {
    switch (encoding) {
        case Encoding::Oem:
            return OemOf(utf8);
        case Encoding::Utf8:
            return "\xEF\xBB\xBF" + utf8;
        case Encoding::Utf16Le:
        case Encoding::Utf16Be: {
            std::string bytes = encoding == Encoding::Utf16Le ? "\xFF\xFE" : "\xFE\xFF";
            for (const wchar_t unit : WideOf(utf8)) {
                const char low = static_cast<char>(unit & 0xFF);
                const char high = static_cast<char>(unit >> 8);
                bytes += encoding == Encoding::Utf16Le ? std::string{low, high} : std::string{high, low};
            }
            return bytes;
        }
    }
    return utf8;
}

TEST(Far3Plugin, ExportsByNameAndGlobalInfo) {
    const HMODULE module = LoadLibraryA(VELMORA_BUILD_DIR "/Velmora.dll");
    ASSERT_NE(module, nullptr);
    for (const char* name : {"GetGlobalInfoW", "SetStartupInfoW", "GetPluginInfoW", "OpenW"})
        EXPECT_NE(reinterpret_cast<void*>(GetProcAddress(module, name)), nullptr) << name;
    const auto getGlobalInfo = reinterpret_cast<far3::GetGlobalInfoWFn>(
        reinterpret_cast<void*>(GetProcAddress(module, "GetGlobalInfoW")));
    ASSERT_NE(getGlobalInfo, nullptr);
    far3::GlobalInfo info{};
    info.StructSize = sizeof info;
    getGlobalInfo(&info);
    EXPECT_EQ(Utf8Of(info.Title), "Velmora");
    EXPECT_FALSE(Utf8Of(info.Description).empty());
    EXPECT_FALSE(Utf8Of(info.Author).empty());
    EXPECT_TRUE(SameGuid(info.Guid, kPluginGuid));
    EXPECT_FALSE(SameGuid(info.Guid, far3::GUID{}));
    EXPECT_EQ(info.MinFarVersion.Major, 3u);
    EXPECT_EQ(info.MinFarVersion.Minor, 0u);
    EXPECT_EQ(info.MinFarVersion.Build, 6727u);
    FreeLibrary(module);

    // Two entries in the plug-ins menu (rename, undo), in FAR's language, under their GUIDs.
    Far3Folder folder;
    FakeFar3 host(folder.Path());
    far3::PluginInfo plugin{};
    plugin.StructSize = sizeof plugin;
    GetPluginInfoW(&plugin);
    EXPECT_EQ(plugin.Flags, 0u);
    EXPECT_EQ(plugin.DiskMenu.Count, 0u);
    EXPECT_EQ(plugin.PluginConfig.Count, 0u);
    ASSERT_EQ(plugin.PluginMenu.Count, 2u);
    EXPECT_TRUE(SameGuid(plugin.PluginMenu.Guids[0], kMenuGuid));
    EXPECT_EQ(Utf8Of(plugin.PluginMenu.Strings[0]), T(MMenuEntry));
    EXPECT_TRUE(SameGuid(plugin.PluginMenu.Guids[1], kUndoMenuGuid));
    EXPECT_EQ(Utf8Of(plugin.PluginMenu.Strings[1]), T(MUndoMenuEntry));
}

// The dialog shows the stored options; what the user enters is stored after OK only, strings as
// strings and switches as numbers, under the plug-in's own GUID.
// The dialog's items after the template's, by number (the Windows headers take the name "far").
constexpr std::size_t kFindItem = 21, kReplaceItem = 23, kRegexItem = 24, kMatchCaseItem = 25;
constexpr std::size_t kNameCaseItem = 28, kExtensionCaseItem = 33;  // the first of four radio buttons

TEST(Far3Plugin, DialogShowsStoredOptionsAndStoresAnswersAfterOk) {
    for (const std::intptr_t closedBy : {9, 10, -1}) {
        SCOPED_TRACE(closedBy);
        Far3Folder folder;
        folder.Write("a.txt", "a");
        FakeFar3 host(folder.Path());
        host.columns = L"N,S";  // no descriptions column: no switch for them
        host.settings["velmora"] = {far3::FST_STRING, 0, L"X_%#"};
        host.settings["WithoutZero"] = {far3::FST_QWORD, 1, L""};
        host.settings["Find"] = {far3::FST_STRING, 0, L"\u0444\u043E\u0442\u043E"};  // фото
        host.settings["ReplaceWith"] = {far3::FST_STRING, 0, L"img"};
        host.settings["MatchCase"] = {far3::FST_QWORD, 1, L""};
        host.settings["NameCase"] = {far3::FST_QWORD, kCaseLower, L""};
        host.settings["ExtensionCase"] = {far3::FST_QWORD, kCaseTitle, L""};
        host.dialogExit = closedBy;
        host.answer = [](std::vector<Far3ShownItem>& items) {
            items[2].data = "\xD0\xA4\xD0\xBE\xD1\x82\xD0\xBE_%#";  // Фото_%#
            items[3].data = "007";
            items[6].selected = 0;
            items[kFindItem].data = "\xD1\x85";  // х: no name holds it, the run renames as before
            items[kReplaceItem].data = "";
            items[kRegexItem].selected = 1;
            items[kMatchCaseItem].selected = 0;
            // Selected as a user does, one in each group; the new name has no extension.
            items[kNameCaseItem + kCaseUnchanged].selected = 1;
            items[kExtensionCaseItem + kCaseUpper].selected = 1;
        };
        EXPECT_EQ(host.Open(), nullptr);

        ASSERT_EQ(host.dialogs.size(), 1u);
        const Far3Dialog& dialog = host.dialogs[0];
        EXPECT_TRUE(SameGuid(dialog.id, kDialogGuid));
        EXPECT_EQ(dialog.help, "EnterVelmora");
        EXPECT_EQ(std::vector<std::intptr_t>({dialog.x1, dialog.y1, dialog.x2, dialog.y2}),
                  std::vector<std::intptr_t>({-1, -1, 78, 24}));
        const std::vector<Far3ShownItem>& items = dialog.items;
        ASSERT_EQ(items.size(), 39u);
        const int types[] = {3, 0, 4, 4, 0, 0, 8, 0, 0, 7, 7, 7, 0, 0, 0, 0, 0, 0, 0, 0,
                             0, 4, 0, 4, 8, 8, 8, 0, 9, 9, 9, 9, 0, 9, 9, 9, 9, 7, 7};
        for (std::size_t i = 0; i < items.size(); ++i)
            EXPECT_EQ(items[i].type, types[i]) << i;
        EXPECT_EQ(items[2].data, "X_%#");
        EXPECT_EQ(items[2].history, "Velmora_Name");
        EXPECT_EQ(items[3].data, "0");
        EXPECT_EQ(items[3].history, "Velmora_StartNumber");
        EXPECT_NE(items[2].flags & far3::DIF_HISTORY, 0u);
        EXPECT_NE(items[2].flags & far3::DIF_FOCUS, 0u);
        EXPECT_NE(items[9].flags & far3::DIF_DEFAULTBUTTON, 0u);
        EXPECT_EQ(items[6].selected, 1);
        EXPECT_EQ(items[6].data, T(MWithoutZero));
        EXPECT_EQ(items[7].data, "");
        EXPECT_EQ(items[9].data, T(MOk));
        EXPECT_EQ(items[kFindItem].data, "\xD1\x84\xD0\xBE\xD1\x82\xD0\xBE");
        EXPECT_EQ(items[kFindItem].history, "Velmora_Find");
        EXPECT_EQ(items[kReplaceItem].data, "img");
        EXPECT_EQ(items[kReplaceItem].history, "Velmora_Replace");
        EXPECT_EQ(items[kMatchCaseItem].selected, 1);
        EXPECT_EQ(items[kRegexItem].selected, 0);
        for (std::uint32_t i = 0; i < kCaseCount; ++i) {
            EXPECT_EQ(items[kNameCaseItem + i].selected, i == kCaseLower ? 1 : 0) << i;
            EXPECT_EQ(items[kExtensionCaseItem + i].selected, i == kCaseTitle ? 1 : 0) << i;
        }

        if (closedBy == 9) {
            EXPECT_EQ(host.settings["velmora"].text, L"\u0424\u043E\u0442\u043E_%#");
            EXPECT_EQ(host.settings["number"].text, L"007");
            EXPECT_EQ(host.settings["WithoutZero"].type, far3::FST_QWORD);
            EXPECT_EQ(host.settings["WithoutZero"].number, 0u);
            EXPECT_EQ(host.settings["SaveDescription"].type, far3::FST_QWORD);
            EXPECT_EQ(host.settings["Find"].text, L"\u0445");
            EXPECT_EQ(host.settings["ReplaceWith"].text, L"");
            EXPECT_EQ(host.settings["RegularExpression"].number, 1u);
            EXPECT_EQ(host.settings["MatchCase"].number, 0u);
            // Each group took its own click.
            EXPECT_EQ(host.settings["NameCase"].number, kCaseUnchanged);
            EXPECT_EQ(host.settings["ExtensionCase"].number, kCaseUpper);
            EXPECT_EQ(folder.Names(), std::vector<std::string>{"\xD0\xA4\xD0\xBE\xD1\x82\xD0\xBE_007"});
        } else {
            EXPECT_EQ(host.settings.size(), 7u);
            EXPECT_EQ(host.settings["velmora"].text, L"X_%#");
            EXPECT_EQ(folder.Names(), std::vector<std::string>{"a.txt"});
        }
        // The screen is kept around the dialog and the panel read again after it, even after Cancel.
        EXPECT_TRUE(InOrder(host.calls, {"SaveScreen", "Dialog", "DialogFree", "RestoreScreen",
                                         "Control(2,1)", "Control(3,0)"}));
    }
}

// The Presets button: FAR's menu with its break keys, FAR's input box, the presets one subkey each
// below the plug-in's key.
TEST(Far3Plugin, PresetsButton) {
    constexpr std::intptr_t kPresets = 38, kCancel = 10, kIns = 0, kDel = 1, kF4 = 2;
    const std::string scans = "\xD0\xA1\xD0\xBA\xD0\xB0\xD0\xBD\xD1\x8B";  // Сканы
    const std::string camera = "\xE7\x9B\xB8\xE6\x9C\xBA";                 // 相机
    const std::string renamed = "\xD0\xA1\xD0\xBA\xD0\xB0\xD0\xBD 2";      // Скан 2
    Far3Folder folder;
    folder.Write("a.txt", "a");
    FakeFar3 host(folder.Path());
    host.settings["velmora"] = {far3::FST_STRING, 0, L"%N_now.%E"};
    host.PutSetting("Presets\\" + scans, "velmora", "SCAN_%#.%E");
    host.PutSetting("Presets\\" + scans, "number", "7");
    // <windows.h> defines "far" away; the host's order comes from the namespace of that name.
#pragma push_macro("far")
#undef far
    const std::vector<int> order = far::MenuOrderFar2l({scans, camera});
#pragma pop_macro("far")
    const std::intptr_t scansLine = order[0] == 0 ? 0 : 1;
    host.exits = {kPresets, kPresets, kCancel};
    // Ins stores the dialog's answers as 相机; F4 renames Сканы; Esc. Then Del takes 相机 away after
    // a Yes, and Enter loads the one left.
    host.menuPresses = {{kIns, -1}, {kF4, scansLine}, {-1, -1}, {kDel, 1 - scansLine}, {-1, 0}};
    host.inputs = {camera, renamed};
    host.questionAnswers = {0};
    host.Open();
    ASSERT_EQ(host.menus.size(), 5u);
    EXPECT_EQ(host.menus[0].texts, std::vector<std::string>{scans});
    EXPECT_EQ(host.menus[0].title, T(MPresetsTitle));
    EXPECT_EQ(host.menus[0].bottom, T(MPresetsBottom));
    EXPECT_EQ(host.menus[0].breakKeys, (std::vector<std::uint16_t>{0x2D, 0x2E, 0x73}));
    EXPECT_EQ(host.menus[1].texts.size(), 2u);
    EXPECT_EQ(host.inputBoxes, (std::vector<std::string>{"", scans}));
    ASSERT_EQ(host.boxes.size(), 1u);
    EXPECT_EQ(host.boxes[0].lines[1], T(MPresetDeleteQuestion));
    ASSERT_EQ(host.dialogs.size(), 3u);
    EXPECT_EQ(host.dialogs[1].items[2].data, "%N_now.%E");
    EXPECT_EQ(host.dialogs[2].items[2].data, "SCAN_%#.%E");
    EXPECT_EQ(host.dialogs[2].items[3].data, "7");
    // 相机 was stored whole, then deleted with its key; Сканы lives on under its new name.
    EXPECT_EQ(host.settings["Presets\\" + renamed + "\\velmora"].text, L"SCAN_%#.%E");
    for (const auto& [name, value] : host.settings) {
        EXPECT_NE(name.rfind("Presets\\" + scans + "\\", 0), 0u) << name;
        EXPECT_NE(name.rfind("Presets\\" + camera, 0), 0u) << name;
    }
    // Cancel: the dialog's own answers stay as they were, nothing is renamed.
    EXPECT_EQ(host.settings["velmora"].text, L"%N_now.%E");
    EXPECT_EQ(folder.Names(), std::vector<std::string>{"a.txt"});
    EXPECT_FALSE(host.settingsOpen());
}

// Whole runs: Cyrillic and CJK names and descriptions; the description file keeps the code page
// FAR read it in, and becomes UTF-8 with a mark where OEM cannot hold the new text; the file
// itself keeps its name although it is selected.
TEST(Far3Plugin, RenamesKeepDescriptionsInTheFilesCodePage) {
    ASSERT_EQ(GetOEMCP(), 866u) << "run the tests with LANG=ru_RU.UTF-8, as ctest does";
    const std::string mountains = "\xD0\x93\xD0\xBE\xD1\x80\xD1\x8B";                      // Горы
    const std::string notes = "\xD0\xB7\xD0\xB0\xD0\xBC\xD0\xB5\xD1\x82\xD0\xBA\xD0\xB8";  // заметки
    const std::string seaside = "\xE6\xB5\xB7\xE8\xBE\xB9";                                // 海边
    const std::string photo = "\xE5\x86\x99\xE7\x9C\x9F";                                  // 写真
    const std::string holiday = "\xD0\x9E\xD1\x82\xD0\xBF\xD1\x83\xD1\x81\xD0\xBA";        // Отпуск
    const std::string sunset = "\xE6\x97\xA5\xE8\x90\xBD \xF0\x9F\x8C\x85";                // 日落 🌅
    const struct {
        Encoding before;
        bool cjkDescription;  // the old file holds a CJK description (not in an OEM one)
        std::string prefix;   // of the new names
        Encoding after;
    } cases[] = {
        {Encoding::Oem, false, "IMG_", Encoding::Oem},
        {Encoding::Oem, false, photo + "_", Encoding::Utf8},
        {Encoding::Utf8, true, "IMG_", Encoding::Utf8},
        {Encoding::Utf16Le, true, "IMG_", Encoding::Utf16Le},
        {Encoding::Utf16Be, true, photo + "_", Encoding::Utf16Be},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(static_cast<int>(c.before) * 10 + static_cast<int>(c.after));
        Far3Folder folder;
        for (const std::string& name :
             {std::string("DSC_0001.jpg"), mountains + ".jpg", seaside + ".jpg", notes + ".txt"})
            folder.Write(name, "content of " + name);
        std::string old = "DSC_0001.jpg Holiday, day one\r\n" + mountains + ".jpg " + holiday + "\r\n" +
                          notes + ".txt " + holiday + " 2\r\n";
        if (c.cjkDescription)
            old += seaside + ".jpg " + sunset + "\r\n";
        folder.Write("Descript.ion", Encoded(c.before, old));

        FakeFar3 host(folder.Path());
        host.selection = {"DSC_0001.jpg", "Descript.ion", mountains + ".jpg", seaside + ".jpg"};
        host.settings["velmora"] = {far3::FST_STRING, 0, WideOf(c.prefix + "%#.%E")};
        host.settings["number"] = {far3::FST_STRING, 0, L"1"};
        host.settings["SaveDescription"] = {far3::FST_QWORD, 1, L""};
        EXPECT_EQ(host.Open(), nullptr);

        EXPECT_TRUE(host.boxes.empty()) << host.boxes[0].help;
        EXPECT_EQ(host.progressBoxes, 4);
        const std::string one = c.prefix + "1.jpg";
        const std::string three = c.prefix + "3.jpg";
        const std::string four = c.prefix + "4.jpg";
        std::vector<std::string> names = {"Descript.ion", one, three, four, notes + ".txt"};
        std::sort(names.begin(), names.end());
        EXPECT_EQ(folder.Names(), names);
        EXPECT_EQ(folder.Read(three), "content of " + mountains + ".jpg");
        // The old file's lines in their order, the renamed ones under their new names.
        std::string now = one + " Holiday, day one\r\n" + three + " " + holiday + "\r\n" + notes + ".txt " +
                          holiday + " 2\r\n";
        if (c.cjkDescription)
            now += four + " " + sunset + "\r\n";
        EXPECT_EQ(folder.Read("Descript.ion"), Encoded(c.after, now));

        // The menu's undo: No changes nothing; Yes brings back every name and the old bytes; a
        // second undo finds nothing to do.
        for (const std::intptr_t answer : {1, 0}) {
            host.boxes.clear();
            host.menus.clear();
            host.questionAnswer = answer;
            EXPECT_EQ(host.Open(&kUndoMenuGuid), nullptr);
            // First the folder's kept batches: this one, with its template, not undone yet.
            ASSERT_EQ(host.menus.size(), 1u);
            EXPECT_EQ(host.menus[0].title, T(MUndoListTitle));
            ASSERT_EQ(host.menus[0].texts.size(), 1u);
            EXPECT_NE(host.menus[0].texts[0].find(c.prefix + "%#.%E"), std::string::npos)
                << host.menus[0].texts[0];
            EXPECT_EQ(host.menus[0].checked, std::vector<bool>{false});
            ASSERT_EQ(host.boxes.size(), 1u);
            EXPECT_EQ(host.boxes[0].help, "UndoBatch");
            EXPECT_TRUE(SameGuid(host.boxes[0].id, WarningGuid("UndoBatch")));
            EXPECT_EQ(host.boxes[0].buttons, 2);
            EXPECT_EQ(host.boxes[0].lines[1], T(MUndoFiles));
            EXPECT_EQ(host.boxes[0].lines[3], folder.Path());
        }
        std::vector<std::string> before = {"Descript.ion", "DSC_0001.jpg", mountains + ".jpg",
                                           seaside + ".jpg", notes + ".txt"};
        std::sort(before.begin(), before.end());
        EXPECT_EQ(folder.Names(), before);
        EXPECT_EQ(folder.Read(mountains + ".jpg"), "content of " + mountains + ".jpg");
        EXPECT_EQ(folder.Read("Descript.ion"), Encoded(c.before, old));
        host.boxes.clear();
        EXPECT_EQ(host.Open(&kUndoMenuGuid), nullptr);
        ASSERT_EQ(host.boxes.size(), 1u);
        EXPECT_EQ(host.boxes[0].help, "UndoNothing");
        EXPECT_EQ(host.boxes[0].lines[1], T(MUndoNothing));
    }
}

// Each failure shows its box, with its help topic, its GUID and the names in the user's script.
TEST(Far3Plugin, FailureBoxes) {
    const std::string mountains = "\xD0\x93\xD0\xBE\xD1\x80\xD1\x8B.txt";  // Горы.txt
    const struct {
        const char* name;
        std::string mask;
        std::vector<std::string> lines;  // after the title
        bool readOnlyDescriptions;
    } cases[] = {
        {"FileExist", "b.txt", {T(MFileExists), "b.txt", T(MWarningButton)}, false},
        {"CanNotMove",
         "%N?.%E",
         {T(MCannotRename), mountains, T(MRenameTo), "\xD0\x93\xD0\xBE\xD1\x80\xD1\x8B?.txt",
          T(MWarningButton)},
         false},
        // The "DescExist" box needs a folder that takes no new file as well as no temporary
        // directory: see DescriptionOutput's own tests.
        {"", "x_%F", {T(MCannotReplaceDescriptions), T(MOk)}, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Far3Folder folder;
        folder.Write(mountains, "m");
        folder.Write("b.txt", "b");
        const std::string descriptions = "b.txt old\r\n" + mountains + " m\r\n";
        folder.Write("Descript.ion", descriptions);
        if (c.readOnlyDescriptions)
            SetFileAttributesW(WideOf(folder.Path() + "\\Descript.ion").c_str(), FILE_ATTRIBUTE_READONLY);

        FakeFar3 host(folder.Path());
        host.selection = {mountains};
        host.settings["velmora"] = {far3::FST_STRING, 0, WideOf(c.mask)};
        host.settings["SaveDescription"] = {far3::FST_QWORD, 1, L""};
        host.Open();

        ASSERT_EQ(host.boxes.size(), 1u);
        const Far3Box& box = host.boxes[0];
        EXPECT_EQ(box.help, c.name);
        EXPECT_EQ(box.hasHelp, *c.name != '\0');
        EXPECT_TRUE(SameGuid(box.id, WarningGuid(*c.name ? c.name : nullptr)));
        EXPECT_EQ(box.flags, far3::FMSG_WARNING);
        EXPECT_EQ(box.buttons, 1);
        std::vector<std::string> lines = {T(MWarningTitle)};
        lines.insert(lines.end(), c.lines.begin(), c.lines.end());
        EXPECT_EQ(box.lines, lines);
        EXPECT_EQ(folder.Read("Descript.ion"), descriptions);
        // The panel is read again whatever the run came to.
        EXPECT_EQ(host.calls.back(), "Control(3,0)");
    }
}

// The dialog's live preview shows the typed answers' first names and where the run stops; Preview
// lists the whole plan with the stop marked; Esc there goes back to the dialog as it was left,
// Enter runs exactly as OK does.
TEST(Far3Plugin, LivePreviewAndThePlanList) {
    constexpr std::intptr_t kPreviewButton = 11;
    const std::string photo = "\xD0\xA4\xD0\xBE\xD1\x82\xD0\xBE";  // Фото
    const std::string sea = "\xE6\xB5\xB7.jpg";                    // 海.jpg
    auto typed = [&photo](std::vector<Far3ShownItem>& items) {
        items[2].data = photo + "_%#.jpg";
        items[3].data = "1";
        items[6].selected = 1;
    };
    auto makeFolder = [&](Far3Folder& folder) {
        folder.Write("a.jpg", "a");
        folder.Write(sea, "s");
        folder.Write("c.jpg", "c");
        folder.Write(photo + "_3.jpg", "taken");
    };
    Far3Folder viaOk;
    makeFolder(viaOk);
    {
        FakeFar3 host(viaOk.Path());
        host.selection = {"a.jpg", "c.jpg", sea};
        host.columns = L"N,S";
        host.answer = typed;
        host.Open();
        ASSERT_EQ(host.liveViews.size(), 1u);
        const std::vector<Far3ShownItem>& view = host.liveViews[0];
        EXPECT_EQ(view[13].data, "a.jpg" + T(MPreviewArrow) + photo + "_1.jpg");
        EXPECT_EQ(view[14].data, "c.jpg" + T(MPreviewArrow) + photo + "_2.jpg");
        EXPECT_EQ(view[15].data, sea + T(MPreviewArrow) + photo + "_3.jpg");
        EXPECT_EQ(view[16].data, "");
        // The fake's texts carry no placeholders: the summary is its messages in order.
        EXPECT_EQ(view[19].data, T(MSummaryCounts) + T(MSummaryStopExists));
        EXPECT_TRUE(host.menus.empty());
    }
    Far3Folder viaList;
    makeFolder(viaList);
    FakeFar3 host(viaList.Path());
    host.selection = {"a.jpg", "c.jpg", sea};
    host.columns = L"N,S";
    host.answer = typed;
    host.exits = {kPreviewButton, 10};  // Preview, Esc in the list, then Cancel
    host.menuEsc = true;
    host.Open();
    ASSERT_EQ(host.menus.size(), 1u);
    ASSERT_EQ(host.dialogs.size(), 2u);
    // Back in the dialog: the answers as typed.
    EXPECT_EQ(host.dialogs[1].items[2].data, photo + "_%#.jpg");
    EXPECT_EQ(host.dialogs[1].items[6].selected, 1);
    EXPECT_EQ(viaList.Read("a.jpg"), "a");
    host.menuEsc = false;
    host.menus.clear();
    host.dialogs.clear();
    host.exits = {kPreviewButton};
    host.Open();
    ASSERT_EQ(host.menus.size(), 1u);
    const FakeFar3::Menu& menu = host.menus[0];
    EXPECT_EQ(menu.title, T(MPreviewTitle));
    ASSERT_EQ(menu.texts.size(), 3u);
    EXPECT_EQ(menu.checked, (std::vector<bool>{false, false, true}));
    EXPECT_EQ(menu.texts[2].rfind(sea + T(MPreviewArrow) + photo + "_3.jpg", 0), 0u) << menu.texts[2];
    EXPECT_NE(menu.texts[2].find(T(MActionStop)), std::string::npos);
    EXPECT_EQ(menu.result, 2);
    EXPECT_EQ(viaList.Names(), viaOk.Names());
    EXPECT_EQ(host.boxes.size(), 1u);
}

// The creation time as the panel lists it, in local time: "YYYYMMDD" (Wine keeps no creation
// time of its own and lists the write time there).
std::string ListedCreationDay(const std::string& path) {
    WIN32_FILE_ATTRIBUTE_DATA data{};
    FILETIME local;
    SYSTEMTIME day;
    if (!GetFileAttributesExW(WideOf(path).c_str(), GetFileExInfoStandard, &data) ||
        !FileTimeToLocalFileTime(&data.ftCreationTime, &local) || !FileTimeToSystemTime(&local, &day))
        return "";
    char text[16];
    std::snprintf(text, sizeof text, "%04u%02u%02u", day.wYear, day.wMonth, day.wDay);
    return text;
}

// The panel item's creation and write times reach the template's dates, and a range counts code
// points (an emoji is one, a surrogate pair in FAR 3's text); a template that cannot run gets its
// own box and the dialog again, and nothing is renamed.
TEST(Far3Plugin, PanelDatesAndARefusedTemplate) {
    const std::string trip = "\xD0\x9E\xD1\x82\xD0\xBF\xD1\x83\xD1\x81\xD0\xBA \xF0\x9F\x8C\x8A";  // Отпуск 🌊
    Far3Folder folder;
    folder.Write(trip + ".jpg", "p");
    const std::string path = folder.Path() + "\\" + trip + ".jpg";
    FILETIME local;
    FILETIME creation;
    FILETIME write;
    const SYSTEMTIME created{2020, 2, 0, 3, 4, 5, 6, 0};
    const SYSTEMTIME written{2021, 3, 0, 4, 5, 6, 7, 0};
    ASSERT_TRUE(SystemTimeToFileTime(&created, &local) && LocalFileTimeToFileTime(&local, &creation));
    ASSERT_TRUE(SystemTimeToFileTime(&written, &local) && LocalFileTimeToFileTime(&local, &write));
    const HANDLE file = CreateFileW(WideOf(path).c_str(), FILE_WRITE_ATTRIBUTES, FILE_SHARE_READ, nullptr,
                                    OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    EXPECT_TRUE(SetFileTime(file, &creation, nullptr, &write));
    CloseHandle(file);
    const std::string renamed = ListedCreationDay(path) + "_20210304_050607_\xD0\xBA \xF0\x9F\x8C\x8A.jpg";
    {
        FakeFar3 host(folder.Path());
        host.settings["velmora"] = {far3::FST_STRING, 0, L"%{cdate:YYYYMMDD}_%{mdate:YYYYMMDD_hhmmss}_%{N:-3-}.%E"};
        host.Open();
        EXPECT_TRUE(host.boxes.empty());
        EXPECT_EQ(folder.Names(), std::vector<std::string>{renamed});
    }
    FakeFar3 host(folder.Path());
    host.settings["velmora"] = {far3::FST_STRING, 0, L"x %{bogus}"};
    host.exits = {9, -1};  // OK, refused; then Esc
    host.Open();
    ASSERT_EQ(host.boxes.size(), 1u);
    EXPECT_EQ(host.boxes[0].help, "BadTemplate");
    EXPECT_TRUE(SameGuid(host.boxes[0].id, WarningGuid("BadTemplate")));
    EXPECT_EQ(host.boxes[0].lines[1], T(MBadTemplate));
    EXPECT_EQ(host.dialogs.size(), 2u);
    EXPECT_EQ(folder.Names(), std::vector<std::string>{renamed});
}

// A description file the run creates is hidden, as FAR 3 hides the ones it writes; one that was
// there keeps the attributes it had. The new file is made in the panel's folder, so a temporary
// directory that is not there changes nothing, and nothing is left beside the description file.
// FAR 3 moves the focus by item number; the plug-in's procedure takes Tab, Shift+Tab and the
// arrows and follows the screen, the descriptions switch counted only where it is offered.
TEST(Far3Plugin, KeysMoveTheFocusInScreenOrder) {
    using Key = std::pair<std::uint16_t, bool>;
    const Key tab{far3::kVkTab, false}, back{far3::kVkTab, true}, down{far3::kVkDown, false},
        right{far3::kVkRight, false};
    const struct {
        const wchar_t* columns;
        int marked;  // a radio button the user chose first, or -1
        std::vector<Key> keys;
        std::vector<int> path;  // focused after each key, from the template (2)
    } cases[] = {
        {L"N,Z", -1, std::vector<Key>(16, tab), {3, 6, 7, 21, 23, 24, 25, 26, 28, 33, 37, 38, 9, 10, 11, 2}},
        {L"N,S", -1, std::vector<Key>(5, tab), {3, 6, 21, 23, 24}},
        {L"N,Z", -1, std::vector<Key>(6, back), {11, 10, 9, 38, 37, 33}},
        {L"N,Z", 35, std::vector<Key>(6, back), {11, 10, 9, 38, 37, 35}},
        {L"N,Z",
         -1,
         {tab, tab, tab, right, down, down, down, down, down, down, down},
         {3, 6, 7, 21, 23, 24, 25, 26, 28, 29, 30}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.marked);
        Far3Folder folder;
        folder.Write("a.jpg", "a");
        FakeFar3 host(folder.Path());
        host.selection = {"a.jpg"};
        host.columns = c.columns;
        host.dialogExit = 10;
        host.dialogKeys = c.keys;
        const int marked = c.marked;
        host.answer = [marked](std::vector<Far3ShownItem>& items) {
            if (marked >= 0)
                items[static_cast<std::size_t>(marked)].selected = 1;
        };
        host.Open();
        EXPECT_EQ(host.focusPath, c.path);
    }
}

TEST(Far3Plugin, NewDescriptionFileIsHidden) {
    const std::string sea = "\xD0\x9C\xD0\xBE\xD1\x80\xD0\xB5";  // Море
    for (const int c : {0, 1, 2}) {
        const bool existed = c != 0;
        SCOPED_TRACE(c);
        Far3Folder folder;
        folder.Write("a.jpg", "a");
        if (existed)
            folder.Write("Descript.ion", "other.txt kept\r\n");
        FakeFar3 host(folder.Path());
        host.selection = {"a.jpg"};
        host.describedElsewhere["a.jpg"] = sea;
        host.settings["velmora"] = {far3::FST_STRING, 0, L"b.%E"};
        host.settings["SaveDescription"] = {far3::FST_QWORD, 1, L""};
        wchar_t temp[MAX_PATH + 1];
        GetEnvironmentVariableW(L"TMP", temp, MAX_PATH + 1);
        if (c == 2)
            SetEnvironmentVariableW(L"TMP", WideOf(folder.Path() + "\\missing").c_str());
        host.Open();
        SetEnvironmentVariableW(L"TMP", temp);
        EXPECT_TRUE(host.boxes.empty());
        EXPECT_EQ(folder.Names(), (std::vector<std::string>{"Descript.ion", "b.jpg"}));
        EXPECT_EQ(folder.Read("Descript.ion"),
                  (existed ? "other.txt kept\r\n" : "") + std::string("b.jpg ") + OemOf(sea) + "\r\n");
        const DWORD attributes = GetFileAttributesW(WideOf(folder.Path() + "\\Descript.ion").c_str());
        EXPECT_EQ((attributes & FILE_ATTRIBUTE_HIDDEN) != 0, !existed);
    }
}

// A change of letter case only renames the file itself (Wine keeps the old spelling unless asked
// twice); a name in another script is just another name.
TEST(Far3Plugin, CaseOnlyRename) {
    Far3Folder folder;
    folder.Write("photo.jpg", "p");
    FakeFar3 host(folder.Path());
    host.settings["velmora"] = {far3::FST_STRING, 0, L"PHOTO.%E"};
    host.Open();
    EXPECT_TRUE(host.boxes.empty());
    EXPECT_EQ(folder.Names(), std::vector<std::string>{"PHOTO.jpg"});
    EXPECT_EQ(folder.Read("PHOTO.jpg"), "p");
}

// Edit names, by its button or F4: FAR 3's editor opens the template's names in UTF-8, named as
// such (a Chinese name has no place in the OEM or ANSI page), and the file is gone after.
TEST(Far3Plugin, EditNamesInFarsEditor) {
    const std::string cyrillic = "\xD0\x93\xD0\xBE\xD1\x80\xD1\x8B.jpg";  // Горы.jpg
    const std::string cjk = "\xE5\x86\x99\xE7\x9C\x9F.jpg";               // 写真.jpg
    for (const bool key : {false, true}) {
        SCOPED_TRACE(key ? "F4" : "the button");
        Far3Folder folder;
        folder.Write("a.jpg", "a");
        folder.Write(cyrillic, "c");
        FakeFar3 host(folder.Path());
        host.selection = {"a.jpg", cyrillic};
        host.settings["velmora"] = {far3::FST_STRING, 0, L"%N_1.%E"};
        if (key)
            host.dialogKeys = {{far3::kVkF4, false}};
        else
            host.exits = {37};  // the Edit names button
        host.onEdit = [&](std::string& bytes) {
            bytes = cjk + "\r\n" + cyrillic + "\r\n";  // the second line keeps its file
            return far3::EEC_MODIFIED;
        };
        EXPECT_EQ(host.Open(), nullptr);
        ASSERT_EQ(host.editorCalls.size(), 1u);
        const FakeFar3::EditorCall& call = host.editorCalls[0];
        EXPECT_EQ(call.bytes, "a_1.jpg\r\n\xD0\x93\xD0\xBE\xD1\x80\xD1\x8B_1.jpg\r\n");
        EXPECT_EQ(call.codePage, far3::kCodePageUtf8);
        EXPECT_EQ(call.flags, far3::EF_DISABLEHISTORY);
        EXPECT_EQ(call.title, T(MEditorTitle));
        EXPECT_EQ(GetFileAttributesW(WideOf(call.file).c_str()), INVALID_FILE_ATTRIBUTES);
        EXPECT_TRUE(host.boxes.empty());
        EXPECT_EQ(folder.Names(), (std::vector<std::string>{cyrillic, cjk}));
        EXPECT_EQ(folder.Read(cjk), "a");
    }
}

// A panel of a plug-in without real names, or a tree, is no panel to rename in: nothing is shown.
TEST(Far3Plugin, NothingButFilePanelsWithRealNames) {
    for (const auto& [type, flags] :
         {std::pair<int, far3::UINT64>{far3::PTYPE_FILEPANEL, 0}, {1, far3::PFLAGS_REALNAMES}}) {
        Far3Folder folder;
        folder.Write("a.txt", "a");
        FakeFar3 host(folder.Path());
        host.panelType = type;
        host.panelFlags = flags;
        host.settings["velmora"] = {far3::FST_STRING, 0, L"b.txt"};
        EXPECT_EQ(host.Open(), nullptr);
        EXPECT_TRUE(host.dialogs.empty());
        EXPECT_TRUE(host.boxes.empty());
        EXPECT_EQ(folder.Names(), std::vector<std::string>{"a.txt"});
    }
}

}  // namespace
}  // namespace velmora::test
