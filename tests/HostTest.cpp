// Unit tests of the velmora host's pieces: command line, language files, description reading,
// the panel, the trace and the scripted dialog.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <random>
#include <sstream>

#include "far/HostConventions.hpp"
#include "host/DescriptionIndex.hpp"
#include "host/Lng.hpp"
#include "host/Options.hpp"
#include "host/Panel.hpp"
#include "host/ScriptedUi.hpp"
#include "host/Services.hpp"
#include "host/Trace.hpp"
#include "journal/JsonLine.hpp"
#include "platform/HostSystem.hpp"
#include "platform/Platform.hpp"
#include "ports/Messages.hpp"
#include "settings/Settings.hpp"
#include "support/TempDir.hpp"

namespace velmora::host {
namespace {

TEST(HostOptions, UsageErrors) {
    struct Case {
        std::vector<std::string> args;
        const char* message;  // part of the error
    } cases[] = {
        {{"--frobnicate"}, "unknown option '--frobnicate'"},
        {{"-x"}, "unknown option '-x'"},
        {{"--mask"}, "option '--mask' needs a value"},
        {{"-C"}, "option '-C' needs a value"},
        {{"--without-zero", "2"}, "takes 0 or 1"},
        {{"--save-descriptions=yes"}, "takes 0 or 1"},
        {{"--yes", "--cancel"}, "exclude each other"},
        {{"--yes=1"}, "takes no value"},
        {{"--all", "a.txt"}, "--all"},
        {{"--mask", std::string(512, 'x')}, "longer than 511 bytes"},
        {{"--columns", std::string(80, 'N')}, "longer than 79 bytes"},
        {{"--dir="}, "needs a directory"},
        {{"--trace", ""}, "needs a file name"},
        {{"-yx"}, "unknown option '-x' in '-yx'"},
        {{"-ym"}, "option '-m' needs a value"},
        {{"-0", "a"}, "option '-0' is about the names of '--select-from'"},
        {{"--json", "-y"}, "option '--json' writes the plan of '--dry-run'"},
        {{"-u", "a.txt"}, "option '--undo' takes back the last run"},
        {{"-u", "-y"}, "option '--undo' shows no dialog"},
        {{"--preview", "--no-preview"}, "exclude each other"},
        {{"-a", "--select-from", "-"}, "--all"},
        {{"--name-case", "Upper"},
         "option '--name-case' takes unchanged, lower, upper or title, not 'Upper'"},
        {{"--ext-case="}, "option '--ext-case' takes unchanged, lower, upper or title, not ''"},
        {{"-f", std::string(512, 'x')}, "longer than 511 bytes"},
        {{"-u", "--ext-case", "lower"}, "option '--undo' shows no dialog"},
        {{"--menu", "2", "-E"}, "option '--menu 2' takes back"},
    };
    for (const Case& c : cases) {
        HostOptions options;
        std::string error;
        EXPECT_FALSE(ParseOptions(c.args, &options, &error)) << c.args[0];
        EXPECT_NE(error.find(c.message), std::string::npos) << c.args[0] << ": " << error;
    }
}

TEST(HostOptions, ValuesAndNames) {
    HostOptions options;
    std::string error;
    ASSERT_TRUE(ParseOptions(
        {"-Cdir", "b.txt", "--mask=%N.bak", "--start", "-7", "--without-zero", "1", "--save-descriptions=0",
         "--yes", "--columns", "N", "--root-key", "", "-", "--", "--cancel", "a.txt"},
        &options, &error))
        << error;
    EXPECT_EQ(options.directory, "dir");
    EXPECT_EQ(options.mask, std::optional<std::string>("%N.bak"));
    EXPECT_EQ(options.start, std::optional<std::string>("-7"));  // a value, even with a leading '-'
    EXPECT_EQ(options.withoutZero, std::optional<int>(1));
    EXPECT_EQ(options.saveDescriptions, std::optional<int>(0));
    EXPECT_EQ(options.answer, DialogAnswer::Yes);
    EXPECT_EQ(options.columns, "N");
    EXPECT_EQ(options.rootKey, "");
    EXPECT_EQ(options.names, (std::vector<std::string>{"b.txt", "-", "--cancel", "a.txt"}));

    ASSERT_TRUE(ParseOptions({"--mask", ""}, &options, &error));
    EXPECT_EQ(options.mask, std::optional<std::string>(""));  // an emptied field is an answer too
    EXPECT_FALSE(options.start.has_value());
    EXPECT_EQ(options.columns, "N,Z");
    EXPECT_EQ(options.rootKey, "Software\\Far\\Plugins");
    EXPECT_EQ(options.directory, ".");
}

// Every letter case by its word; --find answers the switches it is read with, and only then.
TEST(HostOptions, FindReplaceAndLetterCase) {
    HostOptions options;
    std::string error;
    const char* const words[] = {"unchanged", "lower", "upper", "title"};
    for (std::uint32_t i = 0; i < 4; ++i) {
        ASSERT_TRUE(ParseOptions({"--name-case", words[i], "--ext-case=" + std::string(words[3 - i])},
                                 &options, &error))
            << error;
        EXPECT_EQ(options.nameCase, std::optional<std::uint32_t>(i));
        EXPECT_EQ(options.extensionCase, std::optional<std::uint32_t>(3 - i));
    }
    ASSERT_TRUE(ParseOptions({"-yf", " ", "-r_", "--first-only", "Мої фото.jpg"}, &options, &error)) << error;
    EXPECT_EQ(options.find, std::optional<std::string>(" "));
    EXPECT_EQ(options.replace, std::optional<std::string>("_"));
    EXPECT_EQ(options.regex, std::optional<int>(0));
    EXPECT_EQ(options.matchCase, std::optional<int>(0));
    EXPECT_EQ(options.firstOnly, std::optional<int>(1));
    EXPECT_FALSE(options.nameCase.has_value());
    ASSERT_TRUE(ParseOptions({"-E", "--match-case"}, &options, &error)) << error;  // the stored find
    EXPECT_FALSE(options.find.has_value());
    EXPECT_EQ(options.regex, std::optional<int>(1));
    EXPECT_EQ(options.matchCase, std::optional<int>(1));
    EXPECT_FALSE(options.firstOnly.has_value());
    ASSERT_TRUE(ParseOptions({"--find="}, &options, &error)) << error;  // an emptied field is an answer
    EXPECT_EQ(options.find, std::optional<std::string>(""));
}

// The shell's conventions: short options group as getopt groups them, a value follows in the
// same word or the next one, "--" ends the options.
TEST(HostOptions, ShortOptionsAndGroups) {
    HostOptions options;
    std::string error;
    ASSERT_TRUE(ParseOptions(
        {"-yzdnC", "dir", "-mIMG_%#.%E", "-s", "0001", "-0", "--select-from", "-", "--json", "--", "-n", "-"},
        &options, &error))
        << error;
    EXPECT_EQ(options.answer, DialogAnswer::Yes);
    EXPECT_EQ(options.withoutZero, std::optional<int>(1));
    EXPECT_EQ(options.saveDescriptions, std::optional<int>(1));
    EXPECT_TRUE(options.dryRun && options.json && options.nullSeparated);
    EXPECT_EQ(options.directory, "dir");
    EXPECT_EQ(options.mask, std::optional<std::string>("IMG_%#.%E"));
    EXPECT_EQ(options.start, std::optional<std::string>("0001"));
    EXPECT_EQ(options.selectFrom, "-");
    EXPECT_EQ(options.names, (std::vector<std::string>{"-n", "-"}));
    EXPECT_EQ(options.mode, HostMode::Run);

    ASSERT_TRUE(ParseOptions({"-un", "-C", "d", "--preview=x"}, &options, &error) == false);
    EXPECT_EQ(error, "option '--preview' takes no value");
    ASSERT_TRUE(ParseOptions({"-unC", "d"}, &options, &error)) << error;
    EXPECT_EQ(options.mode, HostMode::Undo);
    EXPECT_TRUE(options.dryRun);
    ASSERT_TRUE(ParseOptions({"-a", "--no-preview"}, &options, &error)) << error;
    EXPECT_TRUE(options.selectAll);
    EXPECT_EQ(options.preview, std::optional<bool>(false));
}

TEST(HostJson, WrittenBytesComeBack) {
    const std::string cases[] = {
        "plain",
        "q\"b\\s/",
        "\n\r\t\x01\x1f\x7f",
        "\xD0\x9F\xE2\x82\xAC\xF0\x9F\x98\x80",
        "\xff\xfe",
        "a\xD0",
        "\xC3\xBF and \xFF",  // the character U+00FF and the byte FF stay apart
        std::string("a\0b", 3),
    };
    for (const std::string& bytes : cases) {
        JsonObject object;
        ASSERT_TRUE(ParseJsonObject("{\"k\": " + JsonString(bytes) + ", \"n\": 42, \"z\": null}", &object));
        EXPECT_EQ(JsonText(object, "k"), bytes);
        EXPECT_EQ(JsonNumber(object, "n"), std::optional<std::uint64_t>(42));
        EXPECT_EQ(object.at("z").kind, JsonValue::Null);
    }
    JsonObject object;
    for (const char* bad : {"", "{", "{\"a\"}", "{\"a\": \"\\u0100\"}", "{\"a\": 1} x", "{\"a\": \"x}",
                            "{\"a\": 99999999999999999999}"})
        EXPECT_FALSE(ParseJsonObject(bad, &object)) << bad;
}

TEST(HostLng, Parse) {
    Lng lng;
    std::string error;
    ASSERT_TRUE(
        lng.Parse("\xEF\xBB\xBF"
                  ".Language=English,English\r\n"
                  "\r\n"
                  "// a comment with \"quotes\"\n"
                  "\"Menu entry\"\r\n"
                  "  \"He said \"hi\" there\"  \n"
                  "\"\"\n"
                  "\"no closing quote\n"
                  "\"%#. %F\"",
                  "test.lng", &error))
        << error;
    EXPECT_EQ(lng.Language(), "English,English");
    ASSERT_EQ(lng.Count(), 5u);
    EXPECT_STREQ(lng.GetMsg(0), "Menu entry");
    EXPECT_STREQ(lng.GetMsg(1), "He said \"hi\" there");  // up to the last quote
    EXPECT_STREQ(lng.GetMsg(2), "");
    EXPECT_STREQ(lng.GetMsg(3), "no closing quote");
    EXPECT_STREQ(lng.GetMsg(4), "%#. %F");
    EXPECT_STREQ(lng.GetMsg(5), "");
    EXPECT_STREQ(lng.GetMsg(-1), "");

    EXPECT_FALSE(lng.Parse("\"text\"\n", "bad.lng", &error));
    EXPECT_NE(error.find("bad.lng"), std::string::npos);
    EXPECT_FALSE(lng.Parse("", "empty.lng", &error));
    EXPECT_FALSE(lng.Load("/nonexistent/VelmoraEng.lng", &error));
    EXPECT_NE(error.find("/nonexistent/VelmoraEng.lng"), std::string::npos);
}

TEST(HostLng, ShippedFilesHaveEveryMessage) {
    for (const char* name : {"VelmoraEng.lng", "VelmoraRus.lng"}) {
        Lng lng;
        std::string error;
        ASSERT_TRUE(lng.Load(std::string(VELMORA_BUILD_DIR) + "/" + name, &error)) << error;
        EXPECT_EQ(lng.Count(), static_cast<std::size_t>(MessageCount)) << name;
    }
}

TEST(HostDescriptions, Lookup) {
    DescriptionIndex index;
    index.Parse(
        "a.txt first line\r\n"
        "  continued here\r\n"
        "\tand here\r\n"
        "\"with space.doc\"   quoted name\r\n"
        "README.md\tRead me\n"
        "notes a name written without its dot\n"
        "dup.txt first wins\n"
        "dup.txt second loses\n"
        "Mixed.TXT case folded\n"
        "mixed.txt exact\n"
        "empty.txt\n"
        "DOSNAME. written with a dot\n"
        "\"unclosed name\n"
        "\xC3\xA9t\xC3\xA9.txt \xD0\x9F\xD1\x80\xD0\xB8 \xff\n");
    struct Case {
        const char* name;
        const char* description;  // null: none
    } cases[] = {
        {"a.txt", "first line continued here and here"},
        {"A.TXT", "first line continued here and here"},
        {"with space.doc", "quoted name"},
        {"readme.md", "Read me"},
        {"notes.", "a name written without its dot"},
        {"notes", "a name written without its dot"},
        {"dup.txt", "first wins"},
        {"mixed.txt", "exact"},
        {"Mixed.TXT", "case folded"},
        {"MIXED.txt", "case folded"},  // the first line of the folded name
        {"empty.txt", ""},
        {"unclosed name", ""},
        {"\xC3\xA9t\xC3\xA9.txt", "\xD0\x9F\xD1\x80\xD0\xB8 \xff"},
        {"\xC3\x89T\xC3\x89.txt", nullptr},  // only ASCII letters fold
        {"missing", nullptr},
        {"a.txt.", "first line continued here and here"},
        {".", nullptr},
        {"dosname", "written with a dot"},
        {"dosname.", "written with a dot"},
    };
    for (const Case& c : cases) {
        const std::string* found = index.Find(c.name);
        if (!c.description) {
            EXPECT_EQ(found, nullptr) << c.name;
        } else {
            ASSERT_NE(found, nullptr) << c.name;
            EXPECT_EQ(*found, c.description) << c.name;
        }
    }
}

TEST(HostTrace, JsonEscaping) {
    struct Case {
        std::string bytes;
        std::string json;
    } cases[] = {
        {"plain", "\"plain\""},
        {"q\"b\\s/", "\"q\\\"b\\\\s/\""},
        {"\n\r\t\x01\x1f\x7f", "\"\\n\\r\\t\\u0001\\u001f\x7f\""},
        {"\xD0\x9F\xE2\x82\xAC\xF0\x9F\x98\x80", "\"\xD0\x9F\xE2\x82\xAC\xF0\x9F\x98\x80\""},  // valid UTF-8
        {"\xff\xfe", "\"\\u00ff\\u00fe\""},
        {"a\xD0", "\"a\\u00d0\""},                                 // truncated sequence
        {"\xC0\xAF", "\"\\u00c0\\u00af\""},                        // overlong
        {"\xED\xA0\x80", "\"\\u00ed\\u00a0\\u0080\""},             // surrogate
        {"\xF4\x90\x80\x80", "\"\\u00f4\\u0090\\u0080\\u0080\""},  // above U+10FFFF
        {"\xE2\x82x", "\"\\u00e2\\u0082x\""},
        {std::string("a\0b", 3), "\"a\\u0000b\""},
    };
    for (const Case& c : cases)
        EXPECT_EQ(JsonString(c.bytes), c.json);
    EXPECT_EQ(JsonStringOrNull(nullptr), "null");
}

TEST(HostTrace, DialogItems) {
    far::FarDialogItem items[3];
    std::memset(items, 0, sizeof(items));
    items[0].Type = far::DI_EDIT;
    items[0].Flags = far::DIF_HISTORY;
    items[0].History = "Velmora_Name";
    std::strcpy(items[0].Data, "%F");
    items[1].Type = far::DI_CHECKBOX;
    items[1].Selected = 1;
    std::strcpy(items[1].Data, "Save \"it\"");
    items[2].Type = far::DI_TEXT;
    std::memset(items[2].Data, 'x', sizeof(items[2].Data));  // no terminator: stops at the field's end
    std::string json = DialogItemsJson(items, 3);
    EXPECT_EQ(json.substr(0, json.find("{\"type\":0")),
              "[{\"type\":4,\"data\":\"%F\",\"selected\":0,\"history\":\"Velmora_Name\"},"
              "{\"type\":8,\"data\":\"Save \\\"it\\\"\",\"selected\":1},");
    EXPECT_NE(json.find("{\"type\":0,\"data\":\"" + std::string(512, 'x') + "\",\"selected\":0}]"),
              std::string::npos);
}

TEST(HostScriptedUi, DialogAndBoxes) {
    std::ostringstream err;
    far::FarDialogItem items[11];
    std::memset(items, 0, sizeof(items));
    items[9].Type = far::DI_BUTTON;
    items[9].DefaultButton = 1;
    items[10].Type = far::DI_BUTTON;
    ScriptedUi yes(DialogAnswer::Yes, err, false);
    EXPECT_EQ(yes.Dialog(-1, -1, 59, 12, "EnterVelmora", items, 11), 9);
    ScriptedUi cancel(DialogAnswer::Cancel, err, false);
    EXPECT_EQ(cancel.Dialog(-1, -1, 59, 12, "EnterVelmora", items, 11), -1);

    const char* exists[] = {"Error", "File already exists", "b.txt", "OK"};
    EXPECT_EQ(yes.Message(far::FMSG_WARNING, "FileExist", exists, 4, 1), 0);
    const char* move[] = {"Error", "Cannot rename file", "a", "to", "b", "OK"};
    yes.Message(far::FMSG_WARNING, "CanNotMove", move, 6, 1);
    const char* progress[] = {"Velmora", "1. a.txt"};
    yes.Message(0, nullptr, progress, 2, 0);  // not a terminal: nothing shown
    EXPECT_EQ(err.str(), "velmora: File already exists: b.txt\nvelmora: Cannot rename file: a: to: b\n");
}

struct FakeClock final : Clock {
    std::uint64_t Milliseconds() override { return now; }
    std::uint64_t now = 0;
};

TEST(HostScriptedUi, ProgressLineTenTimesASecondAtMostThenCleared) {
    std::ostringstream err;
    {
        FakeClock clock;
        ScriptedUi ui(DialogAnswer::Yes, err, true, 1000, "%#. %F", &clock);
        // One file a millisecond for 250 ms, and a box for every 40th file, as the plug-in draws
        // them: the files done come from the boxes' lines, the line is drawn 100 ms apart.
        for (; clock.now < 250; clock.now += 40) {
            const std::string line = std::to_string(clock.now + 1) + ". a.txt";
            const char* box[] = {"Velmora batch rename", line.c_str()};
            ui.Message(0, nullptr, box, 2, 0);
        }
        const char* warning[] = {"Error", "File already exists", "c.txt", "OK"};
        ui.Message(far::FMSG_WARNING, "FileExist", warning, 4, 1);
    }
    EXPECT_EQ(err.str(),
              "\r120/1000 files, 1000 files/s, 0:01 left\x1b[K"
              "\r240/1000 files, 1000 files/s, 0:01 left\x1b[K"
              "\r\x1b[Kvelmora: File already exists: c.txt\n");

    // The place is read only where the language's text says it stands.
    struct Place {
        const char* text;
        const char* line;
        std::size_t place;
    } places[] = {
        {"Файл %# из %T: %F", "Файл 7 из 9: x", 7},
        {"100%% %#", "100% 12", 12},
        {"%F (%#)", "12 (3)", 0},
        {"No. %#", "Nr. 5", 0},
    };
    for (const Place& p : places)
        EXPECT_EQ(ProgressPlace(p.text, p.line), p.place) << p.text << " | " << p.line;

    struct Case {
        std::size_t done, total;
        std::uint64_t elapsedMs;
        const char* text;
    } cases[] = {
        {0, 10, 0, "0/10 files"},
        {50, 100, 1000, "50/100 files, 50 files/s, 0:01 left"},
        {1, 100000, 1000, "1/100000 files, 1 files/s, 27:46:39 left"},
        {3000, 100000, 1000, "3000/100000 files, 3000 files/s, 0:33 left"},
        {100, 100, 5000, "100/100 files, 20 files/s"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(ProgressText(c.done, c.total, c.elapsedMs), c.text);
}

TEST(HostServices, DialogAnswersOnlyFitTheirItems) {
    far::FarDialogItem items[11];
    std::memset(items, 0, sizeof(items));
    items[2].Type = far::DI_EDIT;
    items[3].Type = far::DI_EDIT;
    items[6].Type = far::DI_CHECKBOX;
    items[7].Type = far::DI_TEXT;  // no descriptions column: not a switch
    HostOptions answers;
    answers.mask = "IMG_%#";
    answers.start = "";
    answers.withoutZero = 1;
    answers.saveDescriptions = 1;
    ApplyDialogAnswers(answers, items, 11);
    EXPECT_STREQ(items[2].Data, "IMG_%#");
    EXPECT_STREQ(items[3].Data, "");
    EXPECT_EQ(items[6].Selected, 1);
    EXPECT_EQ(items[7].Selected, 0);
    ApplyDialogAnswers(answers, items, 3);  // a shorter dialog: no item beyond it is touched
}

// The steps after the template go into a dialog that has them, each item of the expected type; a
// dialog of twenty items, or one whose item is of another type, keeps what it had.
TEST(HostServices, RuleAnswersFillTheirItemsOnly) {
    constexpr int kCount = 37;
    far::FarDialogItem items[kCount];
    std::memset(items, 0, sizeof(items));
    for (int item : {far::kDialogFindItem, far::kDialogReplaceItem})
        items[item].Type = far::DI_EDIT;
    for (int item : {far::kDialogRegexItem, far::kDialogMatchCaseItem, far::kDialogFirstOnlyItem}) {
        items[item].Type = far::DI_CHECKBOX;
        items[item].Selected = 1;
    }
    for (int i = 0; i < 4; ++i) {
        items[far::kDialogNameCaseFirstItem + i].Type = far::DI_RADIOBUTTON;
        items[far::kDialogExtensionCaseFirstItem + i].Type = far::DI_RADIOBUTTON;
    }
    items[far::kDialogNameCaseFirstItem].Selected = 1;
    items[far::kDialogExtensionCaseFirstItem + 2].Selected = 1;
    far::FarDialogItem before[kCount];
    std::memcpy(before, items, sizeof(items));

    HostOptions answers;
    std::string error;
    ASSERT_TRUE(ParseOptions(
        {"-f", "^Фото (\\d+)", "-r", "photo_$1", "-E", "--name-case", "title", "--ext-case", "lower"},
        &answers, &error))
        << error;
    ApplyDialogAnswers(answers, items, 20);
    EXPECT_EQ(std::memcmp(items, before, sizeof(items)), 0) << "a dialog without the fields changed";

    std::vector<int> changed;
    ApplyDialogAnswers(answers, items, kCount, [&changed](int item) { changed.push_back(item); });
    EXPECT_STREQ(items[far::kDialogFindItem].Data, "^Фото (\\d+)");
    EXPECT_STREQ(items[far::kDialogReplaceItem].Data, "photo_$1");
    EXPECT_EQ(items[far::kDialogRegexItem].Selected, 1);
    EXPECT_EQ(items[far::kDialogMatchCaseItem].Selected, 0);  // --find answers its switches
    EXPECT_EQ(items[far::kDialogFirstOnlyItem].Selected, 0);
    std::string radios;  // the name's four, then the extension's
    for (int first : {far::kDialogNameCaseFirstItem, far::kDialogExtensionCaseFirstItem})
        for (int i = 0; i < 4; ++i)
            radios += items[first + i].Selected ? '1' : '0';
    EXPECT_EQ(radios, "00010100");
    EXPECT_EQ(changed,
              (std::vector<int>{far::kDialogFindItem, far::kDialogReplaceItem, far::kDialogRegexItem,
                                far::kDialogMatchCaseItem, far::kDialogFirstOnlyItem,
                                far::kDialogNameCaseFirstItem + 3, far::kDialogExtensionCaseFirstItem + 1}));

    // A group that is not four radio buttons is no letter case: left as it is.
    items[far::kDialogExtensionCaseFirstItem + 3].Type = far::DI_TEXT;
    answers.extensionCase = kCaseUpper;
    ApplyDialogAnswers(answers, items, kCount);
    EXPECT_EQ(items[far::kDialogExtensionCaseFirstItem + 1].Selected, 1);
    EXPECT_EQ(items[far::kDialogExtensionCaseFirstItem + 2].Selected, 0);
}

// Runs a test body with the temporary directory as the current directory.
class InDirectory {
public:
    explicit InDirectory(const std::string& path) {
        saved_ = std::filesystem::current_path();
        std::filesystem::current_path(path);
    }
    ~InDirectory() { std::filesystem::current_path(saved_); }

private:
    std::filesystem::path saved_;
};

std::vector<std::string> ItemNames(const far::PanelInfo& info, bool selected) {
    std::vector<std::string> names;
    const far::PluginPanelItem* items = selected ? info.SelectedItems : info.PanelItems;
    int count = selected ? info.SelectedItemsNumber : info.ItemsNumber;
    for (int i = 0; i < count; ++i)
        names.push_back(items[i].FindData.cFileName);
    return names;
}

const char* DescriptionOf(const far::PanelInfo& info, const std::string& name) {
    for (int i = 0; i < info.ItemsNumber; ++i) {
        if (name == info.PanelItems[i].FindData.cFileName)
            return info.PanelItems[i].Description;
    }
    ADD_FAILURE() << "no item " << name;
    return nullptr;
}

TEST(HostPanel, EntriesSelectionAndAttributes) {
    test::TempDir dir;
    dir.WriteFile("b.txt", "12345");
    dir.WriteFile("Z.txt", "");
    dir.WriteFile(".hidden", "");
    dir.MakeDirectory("sub");
    std::vector<std::string> expected = {"..", ".hidden", "Z.txt", "b.txt", "sub"};
    // Bytes above 0x7F sort after ASCII: UTF-8 here, the ANSI code page's "e acute" on Windows.
#if defined(_WIN32)
    const std::string accented = "\xE9.txt";
#else
    const std::string accented = "\xC3\xA9.txt";
#endif
    dir.WriteFile(accented, "");
    expected.push_back(accented);
    InDirectory in(dir.Path());
    Panel panel("N,Z", {"Descript.ion"});
    std::string error;
    ASSERT_TRUE(panel.Read(&error)) << error;
    ASSERT_TRUE(panel.Select({"sub", "b.txt"}, &error)) << error;
    far::PanelInfo info;
    panel.Fill("/the/dir", &info);
    EXPECT_EQ(ItemNames(info, false), expected);
    EXPECT_EQ(ItemNames(info, true), (std::vector<std::string>{"sub", "b.txt"}));
    EXPECT_EQ(info.PanelItems[0].FindData.dwFileAttributes, kAttrDirectory);
    EXPECT_EQ(info.PanelItems[3].FindData.dwFileAttributes, kAttrArchive);
    EXPECT_EQ(info.PanelItems[3].Flags, far::PPIF_SELECTED);
    EXPECT_EQ(info.PanelItems[2].Flags, 0u);
    EXPECT_EQ(info.PanelItems[4].FindData.dwFileAttributes & kAttrDirectory, kAttrDirectory);
#if defined(_WIN32)
    EXPECT_EQ(info.PanelItems[3].FindData.nFileSizeLow, 5u);
#else
    EXPECT_EQ(info.PanelItems[1].FindData.dwFileAttributes & kAttrHidden, kAttrHidden);
    EXPECT_EQ(info.PanelItems[3].FindData.nFileSize, 5u);
#endif
    EXPECT_STREQ(info.CurDir, "/the/dir");
    EXPECT_STREQ(info.ColumnTypes, "N,Z");
    EXPECT_EQ(info.PanelItems[3].Description, nullptr);

    for (const std::vector<std::string>& bad :
         std::vector<std::vector<std::string>>{{"missing"}, {".."}, {"b.txt", "b.txt"}, {"sub/"}}) {
        EXPECT_FALSE(panel.Select(bad, &error)) << bad[0];
    }
    panel.Fill("/the/dir", &info);
    EXPECT_EQ(ItemNames(info, true), (std::vector<std::string>{"sub", "b.txt"}));  // unchanged

    // After a rename the panel keeps the selected names that still exist.
    std::rename("b.txt", "c.txt");
    ASSERT_TRUE(panel.Update(true, &error));
    panel.Fill("/the/dir", &info);
    EXPECT_EQ(ItemNames(info, true), std::vector<std::string>{"sub"});
    ASSERT_TRUE(panel.Update(false, &error));
    panel.Fill("/the/dir", &info);
    EXPECT_EQ(info.SelectedItemsNumber, 0);
}

// Panel order is byte order whatever start the names share and wherever they differ: within
// the first eight bytes after the shared start, past them, or by one name ending first.
TEST(HostPanel, OrderIsByteOrder) {
    class Listed final : public DirectorySource {
    public:
        explicit Listed(std::vector<std::string> names) : names_(std::move(names)) {}
        bool List(std::vector<DirectoryEntry>* entries, std::string*) override {
            for (const std::string& name : names_)
                entries->push_back(DirectoryEntry{name, kAttrArchive, 0, 0});
            return true;
        }
        std::uint32_t Attributes(const std::string&) override { return kNoAttributes; }
        bool ReadFile(const std::string&, std::string*, std::string*) override { return false; }

    private:
        std::vector<std::string> names_;
    };
    for (std::vector<std::string> names : std::vector<std::vector<std::string>>{
             {"DSC_000010.raw", "DSC_000002.raw", "DSC_00001.raw", "DSC_000001.raw", "DSC_0000011111111.raw",
              "DSC_0000011111110.raw", "DSC_", "DSC_\xD0\x96.raw", "DSC_~"},
             {"b", "a", "ab", "\xFF", "A", "\x01", "aaaaaaaaaaaaaaaaZ", "aaaaaaaaaaaaaaaaA", "aaaaaaaa"}}) {
        std::vector<std::string> expected = names;
        std::sort(expected.begin(), expected.end());
        std::mt19937 random(1);
        std::shuffle(names.begin(), names.end(), random);
        Listed listed(names);
        Panel panel("N", {});
        panel.SetSource(&listed);
        std::string error;
        ASSERT_TRUE(panel.Read(&error)) << error;
        std::vector<std::string> order;
        for (const PanelEntry& entry : panel.Entries())
            order.push_back(entry.name);
        EXPECT_EQ(order, expected);
    }
}

// Through SelectedItems the plug-in reads the very records PanelItems holds, byte for byte,
// whether the selection runs in panel order or not, with descriptions too.
TEST(HostPanel, SelectedRecordsAreThePanelsOwn) {
    test::TempDir dir;
    const std::vector<std::string> names = {"a.txt", "b.txt", "c.txt",
                                            "\xD1\x84\xD0\xBE\xD1\x82\xD0\xBE.jpg"};  // фото.jpg
    for (const std::string& name : names)
        dir.WriteFile(name, name);
    dir.WriteFile("Descript.ion", "b.txt \xE6\x8F\x8F\xE8\xBF\xB0\r\n");  // 描述
    InDirectory in(dir.Path());
    Panel panel("N,Z", {"Descript.ion"});
    std::string error;
    ASSERT_TRUE(panel.Read(&error)) << error;
    const std::vector<std::vector<std::string>> selections = {
        {"b.txt", "c.txt"}, {"c.txt", "b.txt"}, {"a.txt", "c.txt"}, names, {names[3]}};
    for (const std::vector<std::string>& selection : selections) {
        SCOPED_TRACE(selection[0] + ", " + std::to_string(selection.size()) + " selected");
        ASSERT_TRUE(panel.Select(selection, &error)) << error;
        far::PanelInfo info;
        panel.Fill(".", &info);
        EXPECT_EQ(ItemNames(info, true), selection);
        int flagged = 0;
        for (int i = 0; i < info.ItemsNumber; ++i) {
            const far::PluginPanelItem& item = info.PanelItems[i];
            if (!(item.Flags & far::PPIF_SELECTED))
                continue;
            ++flagged;
            const auto at = std::find(selection.begin(), selection.end(), item.FindData.cFileName);
            ASSERT_NE(at, selection.end()) << item.FindData.cFileName;
            EXPECT_EQ(0, std::memcmp(&item, &info.SelectedItems[at - selection.begin()], sizeof item));
        }
        EXPECT_EQ(flagged, info.SelectedItemsNumber);
        EXPECT_STREQ(DescriptionOf(info, "b.txt"), "\xE6\x8F\x8F\xE8\xBF\xB0");
    }
}

TEST(HostPanel, DescriptionsFollowTheListAndTheColumns) {
    test::TempDir dir;
    dir.WriteFile("a.txt", "");
    dir.WriteFile("b.txt", "");
    dir.MakeDirectory("Descript.ion");  // a directory is no description file
    dir.WriteFile("Files.bbs", "a.txt from files.bbs\r\n");
    dir.WriteFile("Other.diz", "a.txt from other\r\nB.TXT folded\r\n");
    InDirectory in(dir.Path());
    std::string error;
    far::PanelInfo info;

    Panel both("N,Z", {"Descript.ion", "Files.bbs", "Other.diz"});
    ASSERT_TRUE(both.Read(&error));
    EXPECT_EQ(both.DescriptionFile(), "Files.bbs");
    both.Fill(".", &info);
    ASSERT_NE(DescriptionOf(info, "a.txt"), nullptr);
    EXPECT_STREQ(DescriptionOf(info, "a.txt"), "from files.bbs");
    EXPECT_EQ(DescriptionOf(info, "b.txt"), nullptr);

    Panel other("N,S,Z", {"Other.diz", "Files.bbs"});
    ASSERT_TRUE(other.Read(&error));
    other.Fill(".", &info);
    ASSERT_NE(DescriptionOf(info, "b.txt"), nullptr);
    EXPECT_STREQ(DescriptionOf(info, "a.txt"), "from other");
    EXPECT_STREQ(DescriptionOf(info, "b.txt"), "folded");

    Panel hidden("N,S", {"Other.diz"});  // no descriptions column: no descriptions
    ASSERT_TRUE(hidden.Read(&error));
    hidden.Fill(".", &info);
    EXPECT_EQ(DescriptionOf(info, "a.txt"), nullptr);
    EXPECT_EQ(hidden.DescriptionFile(), "");
}

TEST(HostPanel, NamesTooLongForAnItem) {
    test::TempDir dir;
    const std::string longest(kMaxItemName, 'a');
    const std::string tooLong(kMaxItemName + 1, 'b');
    if (!dir.WriteFile(longest, "") || !dir.WriteFile(tooLong, ""))
        GTEST_SKIP() << "the file system refuses names of " << tooLong.size() << " bytes";
    InDirectory in(dir.Path());
    Panel panel("N", {});
    std::string error;
    ASSERT_TRUE(panel.Read(&error));
    EXPECT_EQ(panel.LeftOut(), std::vector<std::string>{tooLong});
    EXPECT_TRUE(panel.Select({longest}, &error)) << error;
    EXPECT_FALSE(panel.Select({tooLong}, &error));
    EXPECT_NE(error.find("holds at most"), std::string::npos) << error;
    far::PanelInfo info;
    panel.Fill(".", &info);
    EXPECT_EQ(info.ItemsNumber, 2);
    EXPECT_EQ(std::string(info.SelectedItems[0].FindData.cFileName), longest);
}

}  // namespace
}  // namespace velmora::host
