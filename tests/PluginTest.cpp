// The exports and the dialog as the host sees them, with a recording host in-process.
#include <gtest/gtest.h>

#include <map>

#include <algorithm>
#include <cstring>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "far/HostConventions.hpp"
#include "plugin/Exports.hpp"
#include "plugin/HostServices.hpp"
#include "plugin/RenameDialog.hpp"
#include "support/FakeHost.hpp"
#include "support/MemoryRegistry.hpp"

namespace velmora {
namespace {

struct RecordingHost {
    std::vector<std::string> calls;
    std::vector<far::FarDialogItem> dialogItems;      // as the dialog closed
    std::vector<far::FarDialogItem> shown;            // as the plug-in filled them
    std::function<void(far::FarDialogItem*)> answer;  // what the user does in the dialog
    int dialogResult = -1;
    far::PanelInfo panel{};
    std::string language = "eng";
};
RecordingHost* g_host = nullptr;

// As FAR's, each text stays where it is while the language stays: one string per number.
const char* VELMORA_WINAPI GetMsgFn(far::INT_PTR module, int id) {
    static std::map<int, std::string> texts;
    std::string& text = texts[id];
    text = g_host->language + "#" + std::to_string(id) + "@" + std::to_string(module);
    return id < MessageCount ? text.c_str() : "";
}
int VELMORA_WINAPI DialogFn(far::INT_PTR, int x1, int y1, int x2, int y2, const char* help,
                            far::FarDialogItem* items, int count) {
    g_host->calls.push_back("Dialog(" + std::to_string(x1) + "," + std::to_string(y1) + "," +
                            std::to_string(x2) + "," + std::to_string(y2) + "," + help + "," +
                            std::to_string(count) + ")");
    g_host->shown.assign(items, items + count);
    if (g_host->answer) {
        g_host->answer(items);
    }
    g_host->dialogItems.assign(items, items + count);
    return g_host->dialogResult;
}
int VELMORA_WINAPI MessageFn(far::INT_PTR, far::DWORD flags, const char*, const char* const*, int, int) {
    g_host->calls.push_back("Message(" + std::to_string(flags) + ")");
    return 0;
}
int VELMORA_WINAPI ControlFn(far::HANDLE panel, int command, void* param) {
    EXPECT_EQ(panel, far::kInvalidHandle);
    g_host->calls.push_back("Control(" + std::to_string(command) + "," +
                            std::to_string(reinterpret_cast<far::INT_PTR>(param) > 1
                                               ? 2
                                               : reinterpret_cast<far::INT_PTR>(param)) +
                            ")");
    if (command == far::FCTL_GETPANELINFO) {
        std::memcpy(param, &g_host->panel, sizeof g_host->panel);
    }
    return 1;
}
far::HANDLE VELMORA_WINAPI SaveScreenFn(int x1, int y1, int x2, int y2) {
    g_host->calls.push_back("SaveScreen(" + std::to_string(x1) + "," + std::to_string(y1) + "," +
                            std::to_string(x2) + "," + std::to_string(y2) + ")");
    return reinterpret_cast<far::HANDLE>(static_cast<far::INT_PTR>(0x5C));
}
void VELMORA_WINAPI RestoreScreenFn(far::HANDLE screen) {
    g_host->calls.push_back("RestoreScreen(" + std::to_string(reinterpret_cast<far::INT_PTR>(screen)) + ")");
}

class Plugin : public ::testing::Test {
protected:
    void SetUp() override {
        g_host = &host_;
        Start("Software\\Far\\Plugins");
    }
    void TearDown() override { g_host = nullptr; }

    // Hands the plug-in a record of exactly the size it always keeps, saying so (a host without
    // the dialog procedure's services), so a read past it is caught.
    void Start(const char* rootKey) {
        far::PluginStartupInfo info{};
        info.StructSize = static_cast<int>(far::kKeptStartupBytes);
        info.ModuleNumber = 42;
        info.RootKey = rootKey;
        info.Dialog = DialogFn;
        info.Message = MessageFn;
        info.GetMsg = GetMsgFn;
        info.Control = ControlFn;
        info.SaveScreen = SaveScreenFn;
        info.RestoreScreen = RestoreScreenFn;
        std::unique_ptr<char[]> kept(new char[far::kKeptStartupBytes]);
        std::memcpy(kept.get(), &info, far::kKeptStartupBytes);
        SetStartupInfo(reinterpret_cast<const far::PluginStartupInfo*>(kept.get()));
    }

    RecordingHost host_;
    test::MemoryRegistry registry_;
    test::ScopedRegistry scoped_{&registry_};
};

TEST_F(Plugin, StartupBuildsTheSettingsKeyFromAnyRootKey) {
    EXPECT_EQ(SettingsKeyPath(), "Software\\Far\\Plugins\\Velmora");
    Start("");  // far2l hands multibyte plug-ins an empty root
    EXPECT_EQ(SettingsKeyPath(), "\\Velmora");
    const std::string longRoot(1000, 'k');
    Start(longRoot.c_str());
    EXPECT_EQ(SettingsKeyPath(), longRoot + "\\Velmora");
}

TEST_F(Plugin, InfoOffersTwoMenuEntriesInTheCurrentLanguage) {
    far::PluginInfo info{};
    const char* prefix = "keep";
    info.CommandPrefix = prefix;
    GetPluginInfo(&info);
    // Fields of a packed record are copied out (unary +) rather than bound by reference.
    EXPECT_EQ(+info.StructSize, far::kPluginInfoStructSize);
    EXPECT_EQ(+info.Flags, 0u);
    EXPECT_EQ(+info.DiskMenuStringsNumber, 0);
    EXPECT_EQ(+info.PluginConfigStringsNumber, 0);
    const char* const commandPrefix = info.CommandPrefix;
    EXPECT_EQ(commandPrefix, prefix);
    ASSERT_EQ(+info.PluginMenuStringsNumber, 2);
    EXPECT_STREQ(info.PluginMenuStrings[0], "eng#0@42");
    EXPECT_EQ(std::string(info.PluginMenuStrings[1]), "eng#" + std::to_string(MUndoMenuEntry) + "@42");

    host_.language = "rus";
    GetPluginInfo(&info);
    EXPECT_STREQ(info.PluginMenuStrings[0], "rus#0@42");
    EXPECT_EQ(std::string(info.PluginMenuStrings[1]), "rus#" + std::to_string(MUndoMenuEntry) + "@42");
}

TEST_F(Plugin, CancelledRunStillRefreshesThePanelAndStoresNothing) {
    host_.dialogResult = 10;  // Cancel
    EXPECT_EQ(OpenPlugin(far::OPEN_PLUGINSMENU, 0), far::kInvalidHandle);
    EXPECT_EQ(host_.calls, (std::vector<std::string>{"SaveScreen(0,0,-1,-1)", "Control(1,2)",
                                                     "Dialog(-1,-1,78,24,EnterVelmora,39)",
                                                     "RestoreScreen(92)", "Control(3,1)", "Control(5,0)"}));
    for (const std::string& call : registry_.log) {
        EXPECT_EQ(call.rfind("Write", 0), std::string::npos) << call;
    }
}

// The dialog opens with the stored options; what the user changes in it is stored after OK and
// forgotten after Cancel or Esc. Texts are the host's own: OEM (CP866) in FAR 1.x, UTF-8 in far2l.
TEST_F(Plugin, DialogShowsStoredOptionsAndStoresAnswersOnlyAfterOk) {
    const std::string key = "Software\\Far\\Plugins\\Velmora";
    const std::string photo =
        far::kHostStringsAreUtf8 ? "\xD1\x84\xD0\xBE\xD1\x82\xD0\xBE" : "\xE4\xAE\xE2\xAE";  // фото
    const std::string holiday = far::kHostStringsAreUtf8 ? "\xD0\x9E\xD1\x82\xD0\xBF\xD1\x83\xD1\x81\xD0\xBA"
                                                         : "\x8E\xE2\xAF\xE3\xE1\xAA";  // Отпуск
    const auto dword = [](char value) { return std::string(1, value) + std::string(3, '\0'); };
    for (const int closedBy : {far::kDialogOkItem, far::kDialogCancelItem, -1}) {
        SCOPED_TRACE(closedBy);
        registry_.values.clear();
        registry_.Put(key, "velmora", std::string("IMG_%#.%E\0", 10));
        registry_.Put(key, "WithoutZero", std::string("\1\0\0\0", 4));
        registry_.Put(key, "SaveDescription", std::string("\1\0\0\0", 4));
        registry_.Put(key, "Find", photo + '\0');
        registry_.Put(key, "FirstMatchOnly", dword(1));
        registry_.Put(key, "NameCase", dword(kCaseTitle));
        registry_.log.clear();
        std::strcpy(host_.panel.ColumnTypes, "N,SA,Z");
        host_.dialogResult = closedBy;
        host_.answer = [&holiday](far::FarDialogItem* items) {
            std::strcpy(items[far::kDialogTemplateItem].Data, "new_%#");
            std::strcpy(items[far::kDialogStartNumberItem].Data, "007");
            items[far::kDialogWithoutZeroItem].Selected = 0;
            items[far::kDialogSaveDescriptionItem].Selected = 0;
            far::SetFieldText(items[far::kDialogFindItem].Data, holiday);
            std::strcpy(items[far::kDialogReplaceItem].Data, "trip");
            items[far::kDialogRegexItem].Selected = 1;
            items[far::kDialogFirstOnlyItem].Selected = 0;
            // Only the extension's group is clicked: the name's keeps its choice.
            test::SelectRadioButton(items, far::kDialogItemCount,
                                    far::kDialogExtensionCaseFirstItem + kCaseLower);
        };
        OpenPlugin(far::OPEN_PLUGINSMENU, 0);

        const auto& shown = host_.shown;
        ASSERT_EQ(shown.size(), static_cast<std::size_t>(far::kDialogItemCount));
        EXPECT_STREQ(shown[far::kDialogTemplateItem].Data, "IMG_%#.%E");
        EXPECT_STREQ(shown[far::kDialogStartNumberItem].Data, "0");
        EXPECT_STREQ(shown[far::kDialogTemplateItem].History, far::kNameHistory);
        EXPECT_STREQ(shown[far::kDialogStartNumberItem].History, far::kStartNumberHistory);
        EXPECT_EQ(shown[far::kDialogWithoutZeroItem].Selected, 1);
        EXPECT_EQ(shown[far::kDialogSaveDescriptionItem].Type, far::DI_CHECKBOX);
        EXPECT_STREQ(shown[far::kDialogSaveDescriptionItem].Data, "eng#2@42");
        EXPECT_EQ(shown[far::kDialogSaveDescriptionItem].Selected, 1);
        EXPECT_EQ(std::string(shown[far::kDialogFindItem].Data), photo);
        EXPECT_STREQ(shown[far::kDialogFindItem].History, far::kFindHistory);
        EXPECT_STREQ(shown[far::kDialogReplaceItem].Data, "");
        EXPECT_STREQ(shown[far::kDialogReplaceItem].History, far::kReplaceHistory);
        EXPECT_EQ(shown[far::kDialogRegexItem].Selected, 0);
        EXPECT_EQ(shown[far::kDialogFirstOnlyItem].Selected, 1);
        for (int i = 0; i < static_cast<int>(kCaseCount); ++i) {
            EXPECT_EQ(shown[far::kDialogNameCaseFirstItem + i].Type, far::DI_RADIOBUTTON);
            EXPECT_EQ(shown[far::kDialogNameCaseFirstItem + i].Selected, i == kCaseTitle ? 1 : 0) << i;
            EXPECT_EQ(shown[far::kDialogExtensionCaseFirstItem + i].Selected, i == kCaseUnchanged ? 1 : 0)
                << i;
        }

        const bool ok = closedBy == far::kDialogOkItem;
        EXPECT_EQ(registry_.values[key + "|velmora"],
                  ok ? std::string("new_%#\0", 7) : std::string("IMG_%#.%E\0", 10));
        EXPECT_EQ(registry_.values.count(key + "|number"), ok ? 1u : 0u);
        EXPECT_EQ(registry_.values[key + "|WithoutZero"], std::string(ok ? "\0\0\0\0" : "\1\0\0\0", 4));
        EXPECT_EQ(registry_.values[key + "|SaveDescription"], std::string(ok ? "\0\0\0\0" : "\1\0\0\0", 4));
        EXPECT_EQ(registry_.values[key + "|Find"], (ok ? holiday : photo) + '\0');
        EXPECT_EQ(registry_.values.count(key + "|ReplaceWith"), ok ? 1u : 0u);
        if (ok) {
            EXPECT_EQ(registry_.values[key + "|ReplaceWith"], std::string("trip\0", 5));
            EXPECT_EQ(registry_.values[key + "|RegularExpression"], dword(1));
            EXPECT_EQ(registry_.values[key + "|FirstMatchOnly"], dword(0));
            EXPECT_EQ(registry_.values[key + "|NameCase"], dword(kCaseTitle));
            EXPECT_EQ(registry_.values[key + "|ExtensionCase"], dword(kCaseLower));
        }
    }
}

// FAR draws the dialog with a shadow two columns wide and one row high: both must fit an 80x25
// screen, and every item the frame. Tab goes through the focusable items in index order: the
// first twenty keep theirs, and the letter case is two groups, parted by the extension's label.
TEST_F(Plugin, DialogLayoutFitsTheScreenAndKeepsItsOrder) {
    EXPECT_LE(kDialogWidth + 2, 80);
    EXPECT_LE(kDialogHeight + 1, 25);
    const DialogRow& frame = kDialogRows[0];
    EXPECT_EQ(frame.kind, DialogItemKind::DoubleBox);
    EXPECT_GE(frame.x1, 0);
    EXPECT_LT(frame.x2, kDialogWidth);
    EXPECT_GE(frame.y1, 0);
    EXPECT_LT(frame.y2, kDialogHeight);
    for (int i = 1; i < far::kDialogItemCount; ++i) {
        SCOPED_TRACE(i);
        const DialogRow& row = kDialogRows[i];
        EXPECT_GT(row.y1, frame.y1);
        EXPECT_LT(row.y1, frame.y2);
        if (!row.separator && !row.centerGroup) {
            EXPECT_GT(row.x1, frame.x1);
            EXPECT_LT(std::max(row.x1, row.x2), frame.x2);
        }
    }
    // The list is as wide as its lines.
    EXPECT_EQ(kDialogRows[far::kDialogListFirstItem].x2 - kDialogRows[far::kDialogListFirstItem].x1 + 1,
              far::kDialogListWidth);

    DialogItems items;
    const HostApi host(HostServices());
    BuildDialogItems(host, items);
    std::vector<int> focusable;
    std::vector<std::vector<int>> radioGroups;
    for (int i = 0; i < far::kDialogItemCount; ++i) {
        const int type = items[i].Type;
        if (type == far::DI_EDIT || type == far::DI_CHECKBOX || type == far::DI_BUTTON ||
            type == far::DI_RADIOBUTTON)
            focusable.push_back(i);
        if (type == far::DI_RADIOBUTTON) {
            if (i == 0 || items[i - 1].Type != far::DI_RADIOBUTTON)
                radioGroups.emplace_back();
            radioGroups.back().push_back(i);
        }
    }
    ASSERT_GE(focusable.size(), 7u);
    EXPECT_EQ(std::vector<int>(focusable.begin(), focusable.begin() + 7),
              (std::vector<int>{far::kDialogTemplateItem, far::kDialogStartNumberItem,
                                far::kDialogWithoutZeroItem, far::kDialogSaveDescriptionItem,
                                far::kDialogOkItem, far::kDialogCancelItem, far::kDialogPreviewItem}));
    EXPECT_EQ(focusable[7], far::kDialogFindItem);
    EXPECT_EQ(radioGroups, (std::vector<std::vector<int>>{{28, 29, 30, 31}, {33, 34, 35, 36}}));
}

// FAR 1.x and far2l move the focus by item number; the plug-in's procedure takes the keys that
// move it and follows the screen: top to bottom, left to right, the buttons last, a letter-case
// group one Tab stop at its marked button while the arrows stop at each. The host keeps a key the
// screen agrees with (Right to the next check box on the row, Right in an edit field).
TEST_F(Plugin, KeysMoveTheFocusInScreenOrder) {
    constexpr int kTab = far::KEY_TAB, kBack = far::KEY_SHIFTTAB, kUp = far::KEY_UP, kDown = far::KEY_DOWN,
                  kLeft = far::KEY_LEFT, kRight = far::KEY_RIGHT;
    const struct {
        const char* name;
        std::vector<int> keys;
        std::vector<int> path;  // focused after each key, from the template (2)
    } cases[] = {
        {"Tab", std::vector<int>(16, kTab), {3, 6, 7, 21, 23, 24, 25, 26, 28, 33, 37, 38, 9, 10, 11, 2}},
        {"Shift+Tab", std::vector<int>(6, kBack), {11, 10, 9, 38, 37, 33}},
        {"Down", std::vector<int>(22, kDown), {3,  6,  7,  21, 23, 24, 25, 26, 28, 29, 30,
                                               31, 33, 34, 35, 36, 37, 38, 9,  10, 11, 2}},
        {"Up", {kUp, kUp, kUp}, {11, 10, 9}},
        {"Left and Right",
         {kRight, kTab, kTab, kLeft, kTab, kRight, kTab, kTab, kTab, kRight, kRight, kRight, kLeft},
         {2, 3, 6, 3, 6, 7, 21, 23, 24, 25, 26, 28, 26}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        test::FakeHost host;
        host.OfferDialogProcedure();
        host.AddItem("a.txt", "described");
        host.dialogKeys = c.keys;
        OpenPlugin(far::OPEN_PLUGINSMENU, 0);
        EXPECT_EQ(host.focusPath, c.path);
    }
}

TEST_F(Plugin, WithoutDescriptionsColumnTheSwitchIsNotOffered) {
    std::strcpy(host_.panel.ColumnTypes, "N,S");
    registry_.Put("Software\\Far\\Plugins\\Velmora", "SaveDescription", std::string("\1\0\0\0", 4));
    host_.dialogResult = -1;
    OpenPlugin(far::OPEN_PLUGINSMENU, 0);
    ASSERT_EQ(host_.dialogItems.size(), static_cast<std::size_t>(far::kDialogItemCount));
    EXPECT_EQ(host_.dialogItems[7].Type, far::DI_TEXT);
    EXPECT_STREQ(host_.dialogItems[7].Data, "");
}

TEST_F(Plugin, AnswersAreReadBackAfterOkOnly) {
    DialogItems items;
    const HostApi host(HostServices());
    BuildDialogItems(host, items);
    RenameOptions options;
    options.SaveDescription = 1;
    FillDialogItems(host, items, options, /*descriptionsShown=*/false);
    std::strcpy(items[2].Data, "new");
    items[6].Selected = 1;
    EXPECT_FALSE(ReadDialogItems(items, options));
    EXPECT_EQ(options.Mask, "new");
    EXPECT_EQ(options.SaveDescription, 1u);  // kept: the switch was not offered
    EXPECT_EQ(options.WithoutZero, 1u);

    // A template longer than the store can give back is cut to 259 bytes.
    std::memset(items[2].Data, 'x', 400);
    items[2].Data[400] = '\0';
    ReadDialogItems(items, options);
    EXPECT_EQ(options.Mask, std::string(259, 'x'));
}

}  // namespace
}  // namespace velmora
