// The exports and the dialog as the host sees them, with a recording host in-process.
#include <gtest/gtest.h>

#include <map>

#include <cstring>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "far/HostConventions.hpp"
#include "plugin/Exports.hpp"
#include "plugin/HostServices.hpp"
#include "plugin/RenameDialog.hpp"
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
                                                     "Dialog(-1,-1,59,20,EnterVelmora,20)",
                                                     "RestoreScreen(92)", "Control(3,1)", "Control(5,0)"}));
    for (const std::string& call : registry_.log) {
        EXPECT_EQ(call.rfind("Write", 0), std::string::npos) << call;
    }
}

// The dialog opens with the stored options; what the user changes in it is stored after OK and
// forgotten after Cancel or Esc.
TEST_F(Plugin, DialogShowsStoredOptionsAndStoresAnswersOnlyAfterOk) {
    const std::string key = "Software\\Far\\Plugins\\Velmora";
    for (const int closedBy : {far::kDialogOkItem, far::kDialogCancelItem, -1}) {
        SCOPED_TRACE(closedBy);
        registry_.values.clear();
        registry_.Put(key, "velmora", std::string("IMG_%#.%E\0", 10));
        registry_.Put(key, "WithoutZero", std::string("\1\0\0\0", 4));
        registry_.Put(key, "SaveDescription", std::string("\1\0\0\0", 4));
        registry_.log.clear();
        std::strcpy(host_.panel.ColumnTypes, "N,SA,Z");
        host_.dialogResult = closedBy;
        host_.answer = [](far::FarDialogItem* items) {
            std::strcpy(items[far::kDialogTemplateItem].Data, "new_%#");
            std::strcpy(items[far::kDialogStartNumberItem].Data, "007");
            items[far::kDialogWithoutZeroItem].Selected = 0;
            items[far::kDialogSaveDescriptionItem].Selected = 0;
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

        const bool ok = closedBy == far::kDialogOkItem;
        EXPECT_EQ(registry_.values[key + "|velmora"],
                  ok ? std::string("new_%#\0", 7) : std::string("IMG_%#.%E\0", 10));
        EXPECT_EQ(registry_.values.count(key + "|number"), ok ? 1u : 0u);
        EXPECT_EQ(registry_.values[key + "|WithoutZero"], std::string(ok ? "\0\0\0\0" : "\1\0\0\0", 4));
        EXPECT_EQ(registry_.values[key + "|SaveDescription"], std::string(ok ? "\0\0\0\0" : "\1\0\0\0", 4));
    }
}

TEST_F(Plugin, WithoutDescriptionsColumnTheSwitchIsNotOffered) {
    std::strcpy(host_.panel.ColumnTypes, "N,S");
    registry_.Put("Software\\Far\\Plugins\\Velmora", "SaveDescription", std::string("\1\0\0\0", 4));
    host_.dialogResult = -1;
    OpenPlugin(far::OPEN_PLUGINSMENU, 0);
    ASSERT_EQ(host_.dialogItems.size(), 20u);
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
