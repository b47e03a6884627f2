// Presets: named sets of the dialog's answers, in the store, through the dialog's Presets button
// and through velmora's command line.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "far/HostConventions.hpp"
#include "platform/RegistryStore.hpp"
#include "plugin/Exports.hpp"
#include "plugin/HostServices.hpp"
#include "settings/Presets.hpp"
#include "support/FakeHost.hpp"
#include "support/HostRunner.hpp"
#include "support/MemoryRegistry.hpp"

namespace velmora {
namespace {

constexpr char kKey[] = "Software\\Far\\Plugins\\Velmora";

// The POSIX store's own text, kept in memory: what its file would hold after each change.
class TextRegistry final : public Registry {
public:
    bool Read(const std::string& keyPath, const std::string& valueName, std::size_t capacity,
              std::string* bytes) override {
        const RegistryStore store = Store();  // the value found lives in it
        const RegistryValue* value = store.Find(keyPath, valueName);
        if (!value || value->bytes.size() > capacity)
            return false;
        *bytes = value->bytes;
        return true;
    }
    bool WriteString(const std::string& keyPath, const std::string& valueName,
                     const std::string& text) override {
        return WriteValues(keyPath, {RegistryWrite::String(valueName, text)});
    }
    bool WriteDword(const std::string& keyPath, const std::string& valueName, std::uint32_t value) override {
        return WriteValues(keyPath, {RegistryWrite::Dword(valueName, value)});
    }
    bool WriteValues(const std::string& keyPath, const std::vector<RegistryWrite>& values) override {
        RegistryStore store = Store();
        for (const RegistryWrite& write : values) {
            RegistryValue value;
            value.type = write.isDword ? kRegistryDword : kRegistryString;
            value.bytes = write.isDword ? std::string(reinterpret_cast<const char*>(&write.number), 4)
                                        : write.text + '\0';
            if (!store.Set(keyPath, write.name, value))
                return false;
        }
        text = store.Text();
        return true;
    }
    bool Subkeys(const std::string& keyPath, std::vector<std::string>* names) override {
        return Store().Subkeys(keyPath, names);
    }
    bool DeleteKey(const std::string& keyPath) override {
        RegistryStore store = Store();
        store.DeleteKey(keyPath);
        text = store.Text();
        return true;
    }

    std::string text;

private:
    // Read afresh each time, as the file is.
    RegistryStore Store() const { return RegistryStore(text); }
};

RenameOptions Answers(const std::string& mask) {
    RenameOptions options;
    options.Mask = mask;
    options.StartNumber = "0001";
    options.WithoutZero = 1;
    options.SaveDescription = 1;
    options.Rules = RuleOptions{"DSC_", "Фото_", 1, 1, 1, kCaseTitle, kCaseLower};
    return options;
}

std::vector<std::string> Sorted(std::vector<std::string> names) {
    std::sort(names.begin(), names.end());
    return names;
}

TEST(Presets, NamesTheStoreCanHold) {
    const std::string ya = "я";
    std::string sixtyFour;
    for (int i = 0; i < 64; ++i)
        sixtyFour += ya;
    const struct {
        std::string typed;
        bool utf8;
        PresetNameProblem problem;
        std::string kept;
    } cases[] = {
        {"  Фото с камеры ", true, PresetNameProblem::None, "Фото с камеры"},
        {"相机照片 📷", true, PresetNameProblem::None, "相机照片 📷"},
        {sixtyFour, true, PresetNameProblem::None, sixtyFour},
        {sixtyFour + ya, true, PresetNameProblem::TooLong, ""},
        // FAR 1.x counts bytes of its OEM code page: 64 Cyrillic letters are 128 bytes of UTF-8.
        {sixtyFour, false, PresetNameProblem::TooLong, ""},
        {std::string(64, '\xE0'), false, PresetNameProblem::None, std::string(64, '\xE0')},
        {"", true, PresetNameProblem::Empty, ""},
        {" \t ", true, PresetNameProblem::Empty, ""},
        {"Сканы\\2024", true, PresetNameProblem::Backslash, ""},
        {"line\nbreak", true, PresetNameProblem::Control, ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.typed);
        std::string name;
        EXPECT_EQ(CheckPresetName(c.typed, c.utf8, &name), c.problem);
        if (c.problem == PresetNameProblem::None) {
            EXPECT_EQ(name, c.kept);
        }
    }
}

TEST(Presets, StoredBesideTheAnswersInTheRegistryFile) {
    TextRegistry registry;
    StoreOptions(registry, kKey, Answers("%F"));
    ASSERT_TRUE(SavePreset(registry, kKey, "Фото с камеры", Answers("IMG_%#.%E")));
    ASSERT_TRUE(SavePreset(registry, kKey, "相机", Answers("%{taken:YYYYMMDD}_%#.%E")));
    EXPECT_NE(
        registry.text.find("[HKEY_CURRENT_USER\\Software\\Far\\Plugins\\Velmora\\Presets\\Фото с камеры]"),
        std::string::npos);
    EXPECT_EQ(Sorted(ListPresets(registry, kKey)), Sorted({"Фото с камеры", "相机"}));
    const RenameOptions loaded = LoadPreset(registry, kKey, "Фото с камеры");
    EXPECT_EQ(loaded.Mask, "IMG_%#.%E");
    EXPECT_EQ(loaded.StartNumber, "0001");
    EXPECT_EQ(loaded.WithoutZero, 1u);
    EXPECT_EQ(loaded.SaveDescription, 1u);
    EXPECT_TRUE(loaded.Rules == Answers("").Rules);
    // The dialog's own stored answers are another key, left alone.
    EXPECT_EQ(LoadOptions(registry, kKey).Mask, "%F");

    // Over an existing name: the values are replaced, not mixed.
    RenameOptions plain;
    plain.Mask = "%N.%E";
    ASSERT_TRUE(SavePreset(registry, kKey, "相机", plain));
    EXPECT_TRUE(LoadPreset(registry, kKey, "相机").Rules == RuleOptions{});

    // A rename keeps the answers; one in letter case only (one key to the store) too.
    ASSERT_TRUE(RenamePreset(registry, kKey, "Фото с камеры", "Отпуск"));
    ASSERT_TRUE(RenamePreset(registry, kKey, "相机", "camera"));
    ASSERT_TRUE(RenamePreset(registry, kKey, "camera", "Camera"));
    EXPECT_EQ(Sorted(ListPresets(registry, kKey)), Sorted({"Camera", "Отпуск"}));
    EXPECT_EQ(LoadPreset(registry, kKey, "Отпуск").Mask, "IMG_%#.%E");
    EXPECT_EQ(LoadPreset(registry, kKey, "Camera").Mask, "%N.%E");

    ASSERT_TRUE(DeletePreset(registry, kKey, "Отпуск"));
    EXPECT_FALSE(PresetExists(registry, kKey, "Отпуск"));
    EXPECT_TRUE(PresetExists(registry, kKey, "CAMERA"));
    EXPECT_EQ(ListPresets(registry, kKey), std::vector<std::string>{"Camera"});
    EXPECT_EQ(LoadOptions(registry, kKey).Mask, "%F");
}

TEST(Presets, OneFromAnOlderBuildLoadsWithTheDefaults) {
    TextRegistry registry;
    registry.text =
        "REGEDIT4\n\n[HKEY_CURRENT_USER\\Software\\Far\\Plugins\\Velmora\\Presets\\Old]\n"
        "\"velmora\"=\"%N-old.%E\"\n\"WithoutZero\"=dword:00000001\n\n";
    const RenameOptions loaded = LoadPreset(registry, kKey, "Old");
    EXPECT_EQ(loaded.Mask, "%N-old.%E");
    EXPECT_EQ(loaded.WithoutZero, 1u);
    EXPECT_EQ(loaded.StartNumber, "0");
    EXPECT_TRUE(loaded.Rules == RuleOptions{});
}

// The dialog's Presets button in FAR 1.x and far2l, through the host's Menu and InputBox.
class PresetsButton : public ::testing::Test {
protected:
    PresetsButton() {
        host_.OfferMenu();
        host_.AddItem("a.txt", "described");
        StoreOptions(registry_, kKey, Answers("%N_now.%E"));
        RenameOptions scans;
        scans.Mask = "SCAN_%#.%E";
        scans.StartNumber = "7";
        SavePreset(registry_, kKey, "Сканы", scans);
        SavePreset(registry_, kKey, "Bad", Answers("%{bogus}"));
    }

    // The dialog closes with Presets `times` times, then with Esc: nothing is renamed or stored.
    void Open(int times) {
        host_.dialogExits.assign(static_cast<std::size_t>(times), far::kDialogPresetsItem);
        OpenPlugin(far::OPEN_PLUGINSMENU, far::kMenuRename);
    }

    // The line of "Сканы" in the menu, as the host sorts it beside "Bad".
    static int ScansLine() { return far::MenuOrder({"Сканы", "Bad"})[0] == 0 ? 0 : 1; }

    std::string Shown(std::size_t dialog, int item) const {
        return std::string(
            far::FieldText(host_.shownDialogs.at(dialog)[static_cast<std::size_t>(item)].Data));
    }

    TextRegistry registry_;  // the POSIX store: letters of either case find one key
    test::ScopedRegistry scoped_{&registry_};
    test::FakeHost host_;
};

TEST_F(PresetsButton, MenuListsTheNamesInTheHostsOrderWithItsKeys) {
    host_.menuPresses = {{-1, -1}};
    Open(1);
    ASSERT_EQ(host_.menus.size(), 1u);
    const test::RecordedMenu& menu = host_.menus[0];
    const std::vector<std::string_view> names = {"Сканы", "Bad"};
    std::vector<std::string> expected;
    for (const int i : far::MenuOrder(names))
        expected.emplace_back(names[static_cast<std::size_t>(i)]);
    EXPECT_EQ(menu.lines, expected);
    EXPECT_EQ(menu.title, test::FakeHost::Text(MPresetsTitle));
    EXPECT_EQ(menu.bottom, test::FakeHost::Text(MPresetsBottom));
    EXPECT_EQ(menu.helpTopic, "PresetsVelmora");
    EXPECT_EQ(menu.breakKeys, (std::vector<int>{far::kVkInsert, far::kVkDelete, far::kVkF4}));
    // Esc in the menu: the dialog comes back with the answers it had.
    ASSERT_EQ(host_.shownDialogs.size(), 2u);
    EXPECT_EQ(Shown(1, far::kDialogTemplateItem), "%N_now.%E");
}

TEST_F(PresetsButton, EnterLoadsOneAndThePreviewFollowsEvenWhenItIsNotValid) {
    host_.menuPresses = {{-1, ScansLine()}, {-1, 1 - ScansLine()}};
    Open(2);
    ASSERT_EQ(host_.shownDialogs.size(), 3u);
    EXPECT_EQ(Shown(1, far::kDialogTemplateItem), "SCAN_%#.%E");
    EXPECT_EQ(Shown(1, far::kDialogStartNumberItem), "7");
    EXPECT_EQ(Shown(1, far::kDialogFindItem), "");
    EXPECT_EQ(host_.shownDialogs[1][far::kDialogNameCaseFirstItem + kCaseUnchanged].Selected, 1);
    EXPECT_NE(Shown(1, far::kDialogListFirstItem).find("SCAN_7.txt"), std::string::npos)
        << Shown(1, far::kDialogListFirstItem);
    // A template that is not valid loads as typed, and the summary says what is wrong.
    EXPECT_EQ(Shown(2, far::kDialogTemplateItem), "%{bogus}");
    EXPECT_EQ(Shown(2, far::kDialogFindItem), "DSC_");
    EXPECT_EQ(host_.shownDialogs[2][far::kDialogNameCaseFirstItem + kCaseTitle].Selected, 1);
    // (The fake's texts have no places for the token: the summary is the problem's texts alone.)
    EXPECT_EQ(Shown(1, far::kDialogSummaryItem).rfind(test::FakeHost::Text(MSummaryCounts), 0), 0u);
    EXPECT_EQ(Shown(2, far::kDialogSummaryItem).find(test::FakeHost::Text(MSummaryCounts)),
              std::string::npos);
    EXPECT_NE(Shown(2, far::kDialogSummaryItem).find(test::FakeHost::Text(MExpressionAt)), std::string::npos);
    // Nothing was stored: the dialog was left with Esc.
    EXPECT_EQ(LoadOptions(registry_, kKey).Mask, "%N_now.%E");
}

TEST_F(PresetsButton, InsertStoresTheFieldsUnderANameAndRefusesWhatTheStoreCannotHold) {
    constexpr int kIns = 0;
    host_.menuPresses = {{kIns, -1}, {kIns, -1}, {kIns, -1}, {kIns, -1}, {kIns, -1}, {-1, -1}};
    host_.inputs = {"Отпуск 2024", "a\\b", "  ", "Сканы", "Сканы"};
    host_.questionAnswers = {1, 0};  // No to the first replace, Yes to the second
    Open(1);
    EXPECT_EQ(host_.menus.size(), 6u);
    EXPECT_EQ(LoadPreset(registry_, kKey, "Отпуск 2024").Mask, "%N_now.%E");
    ASSERT_EQ(host_.boxes.size(), 4u);
    EXPECT_EQ(host_.boxes[0].lines[1], test::FakeHost::Text(MPresetNameBackslash));
    EXPECT_EQ(host_.boxes[0].lines[2], "a\\b");
    EXPECT_EQ(host_.boxes[1].lines[1], test::FakeHost::Text(MPresetNameEmpty));
    EXPECT_EQ(host_.boxes[2].lines[1], test::FakeHost::Text(MPresetReplaceQuestion));
    EXPECT_EQ(host_.boxes[2].buttons, 2);
    EXPECT_EQ(host_.boxes[3].lines[1], test::FakeHost::Text(MPresetReplaceQuestion));
    // Replaced after the Yes only.
    EXPECT_EQ(LoadPreset(registry_, kKey, "Сканы").Mask, "%N_now.%E");
    EXPECT_FALSE(PresetExists(registry_, kKey, "a\\b"));
    EXPECT_FALSE(PresetExists(registry_, kKey, "a"));
    // The cursor is on the preset just stored.
    EXPECT_EQ(host_.menus[1].lines[static_cast<std::size_t>(host_.menus[1].selected)], "Отпуск 2024");
}

TEST_F(PresetsButton, DeleteAsksAndF4Renames) {
    constexpr int kDel = 1, kF4 = 2;
    const int scans = ScansLine();
    const int bad = 1 - scans;
    // F4 to another letter case finds the preset's own key: nothing to replace, no question.
    host_.menuPresses = {{kF4, bad}, {kF4, scans}, {kDel, -1}, {kDel, bad}, {kDel, bad}, {-1, -1}};
    host_.inputs = {"BAD", "スキャン"};
    host_.questionAnswers = {1, 0};  // keep Bad the first time, delete it the second
    Open(1);
    EXPECT_EQ(host_.inputBoxes, (std::vector<std::string>{"Bad", "Сканы"}));
    EXPECT_EQ(host_.menus[1].lines[static_cast<std::size_t>(bad)], "BAD");
    EXPECT_FALSE(PresetExists(registry_, kKey, "Сканы"));
    EXPECT_EQ(LoadPreset(registry_, kKey, "スキャン").StartNumber, "7");
    EXPECT_EQ(host_.menus[4].lines.size(), 2u);
    EXPECT_EQ(ListPresets(registry_, kKey), std::vector<std::string>{"スキャン"});
    ASSERT_EQ(host_.boxes.size(), 2u);
    EXPECT_EQ(host_.boxes[0].lines[1], test::FakeHost::Text(MPresetDeleteQuestion));
    EXPECT_EQ(host_.boxes[0].lines[2], "BAD");
}

// velmora's options, with the store of the runner's own.
TEST(VelmoraPresets, SaveListUseAndDelete) {
    test::HostRunner runner;
    runner.MakeFiles({"a.JPG", "b.txt", "c.txt"});
    EXPECT_EQ(
        runner.Run({"--save-preset", "Photos", "-m", "IMG_%#.%E", "-s", "1", "--ext-case", "lower"}).status,
        0);
    EXPECT_EQ(runner.Run({"--save-preset", "Notes", "-m", "%N-note.%E"}).status, 0);
    // Replacing takes --yes; a name the registry cannot hold is refused.
    test::HostResult again = runner.Run({"--save-preset", "Notes", "-m", "x"});
    EXPECT_EQ(again.status, 1);
    EXPECT_NE(again.err.find("--yes"), std::string::npos);
    EXPECT_EQ(runner.Run({"--save-preset", "a\\b"}).status, 1);
    EXPECT_EQ(runner.Run({"--save-preset", " "}).status, 1);
    EXPECT_EQ(runner.Run({"--list-presets"}).out, "Notes\nPhotos\n");
    // Options given override the preset's answers.
    EXPECT_EQ(runner.Run({"-y", "--preset", "Photos", "-s", "5", "a.JPG"}).status, 0);
    EXPECT_TRUE(runner.Dir().Exists("IMG_5.jpg"));
    const test::HostResult unknown = runner.Run({"-y", "--preset", "Nope", "b.txt"});
    EXPECT_EQ(unknown.status, 1);
    EXPECT_NE(unknown.err.find("'Notes', 'Photos'"), std::string::npos) << unknown.err;
    EXPECT_EQ(runner.Run({"--delete-preset", "Notes"}).status, 0);
    EXPECT_EQ(runner.Run({"--delete-preset", "Notes"}).status, 1);
    EXPECT_EQ(runner.Run({"--list-presets"}).out, "Photos\n");
    // A preset an older build stored: the template alone.
    ASSERT_TRUE(runner.WriteSetting(runner.PluginKey() + "\\Presets\\Old", "velmora", "%N-old.%E"));
    EXPECT_EQ(runner.Run({"-y", "--preset", "Old", "b.txt"}).status, 0);
    EXPECT_TRUE(runner.Dir().Exists("b-old.txt"));
    // One whose template is not valid: refused as a typed one is, nothing renamed.
    ASSERT_TRUE(runner.WriteSetting(runner.PluginKey() + "\\Presets\\Bad", "velmora", "%{bogus}"));
    const test::HostResult bad = runner.Run({"-y", "--preset", "Bad", "c.txt"});
    EXPECT_EQ(bad.status, 1);
    EXPECT_NE(bad.err.find("bogus"), std::string::npos);
    EXPECT_TRUE(runner.Dir().Exists("c.txt"));
}

#if !defined(_WIN32)
TEST(VelmoraPresets, CyrillicAndCjkNames) {
    test::HostRunner runner;
    runner.MakeFiles({"x.txt"});
    EXPECT_EQ(runner.Run({"--save-preset", "Фото", "-m", "%N_фото.%E"}).status, 0);
    EXPECT_EQ(runner.Run({"--save-preset", "相机", "-m", "%N_相机.%E"}).status, 0);
    const std::vector<std::string_view> names = {"Фото", "相机"};
    std::string listed;
    for (const int i : far::MenuOrder(names))
        listed += std::string(names[static_cast<std::size_t>(i)]) + "\n";
    EXPECT_EQ(runner.Run({"--list-presets"}).out, listed);
    EXPECT_EQ(runner.Run({"-y", "--preset", "相机", "x.txt"}).status, 0);
    EXPECT_TRUE(runner.Dir().Exists("x_相机.txt"));
    EXPECT_NE(runner.StoreText().find("\\Presets\\Фото]"), std::string::npos);
}
#endif

}  // namespace
}  // namespace velmora
