// velmora --dry-run: the plan is printed and nothing changes; and the plan is what the run then
// does, over many random batches.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <map>
#include <random>
#include <set>

#include "far/HostConventions.hpp"
#include "host/DescriptionIndex.hpp"
#include "host/NameTable.hpp"
#include "host/Plan.hpp"
#include "host/Trace.hpp"
#include "journal/JsonLine.hpp"
#include "platform/HostSystem.hpp"
#include "support/HostRunner.hpp"

namespace velmora::test {
namespace {

const std::string kMountains = "\xD0\x93\xD0\xBE\xD1\x80\xD1\x8B.jpg";            // Горы.jpg
const std::string kSea = "\xE6\xB5\xB7\xE8\xBE\xB9.jpg";                          // 海边.jpg
const std::string kSunset = "\xF0\x9F\x8C\x85.png";                               // 🌅.png
const std::string kHoliday = "\xD0\x9E\xD1\x82\xD0\xBF\xD1\x83\xD1\x81\xD0\xBA";  // Отпуск
const std::string kEvening = "\xE6\xB5\xB7\xE8\xBE\xB9\xE7\x9A\x84\xE6\x97\xA5\xE8\x90\xBD \xF0\x9F\x8C\x85";

std::vector<JsonObject> JsonLines(const std::string& text) {
    std::vector<JsonObject> objects;
    std::size_t begin = 0;
    while (begin < text.size()) {
        const std::size_t end = text.find('\n', begin);
        JsonObject object;
        EXPECT_TRUE(ParseJsonObject(text.substr(begin, end - begin), &object))
            << text.substr(begin, end - begin);
        objects.push_back(object);
        begin = end == std::string::npos ? text.size() : end + 1;
    }
    return objects;
}

std::string Field(const JsonObject& object, const std::string& key) {
    return JsonText(object, key).value_or("<none>");
}

// What the host reads from the directory's description file for a name ("" for none).
std::string DescriptionOf(const TempDir& dir, const std::string& name) {
    std::string converted;
    host::DescriptionIndex index;
    const std::string bytes = dir.ReadFile("Descript.ion");
    index.Parse(host::DescriptionText(bytes, &converted));
    const std::string* found = index.Find(name);
    return found ? *found : "";
}

// What the dialog's live preview showed once the scripted answers were typed: its list lines and
// its summary, from the trace's view of the dialog.
struct LiveView {
    std::vector<std::string> lines;
    std::string summary;
};

LiveView LiveViewOf(const HostResult& result) {
    LiveView view;
    const std::vector<std::string> calls = result.Calls("DialogView");
    EXPECT_EQ(calls.size(), 1u);
    if (calls.empty())
        return view;
    const std::vector<std::string> items = DialogItems(calls[0]);
    EXPECT_EQ(items.size(), static_cast<std::size_t>(far::kDialogItemCount));
    for (std::size_t i = 0; i < items.size(); ++i) {
        JsonObject item;
        EXPECT_TRUE(ParseJsonObject(items[i], &item));
        const std::string data = Field(item, "data");
        if (i >= 13 && i < 19 && !data.empty())
            view.lines.push_back(data);
        if (i == 19)
            view.summary = data;
    }
    return view;
}

// The summary the dialog shows for a whole plan, in English.
std::string SummaryOf(const std::vector<JsonObject>& plan) {
    std::size_t renames = 0, keeps = 0;
    std::string stop;
    for (std::size_t i = 0; i < plan.size(); ++i) {
        const std::string action = Field(plan[i], "action");
        renames += action == "rename" ? 1 : 0;
        keeps += action == "keep" ? 1 : 0;
        if (action == "stop")
            stop = Field(plan[i], "reason") == "FileExist"
                       ? "; stops at file " + std::to_string(i + 1) + ": " + Field(plan[i], "new") + " exists"
                       : "; stops at file " + std::to_string(i + 1) + ": " + Field(plan[i], "old") +
                             " cannot be renamed";
    }
    std::string text = std::to_string(renames) + " rename, " + std::to_string(keeps) + " keep" + stop;
    // The dialog's line holds kDialogListWidth characters.
    std::size_t characters = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if ((static_cast<unsigned char>(text[i]) & 0xC0) != 0x80 &&
            characters++ == static_cast<std::size_t>(far::kDialogListWidth)) {
            text.resize(i);
            break;
        }
    }
    return text;
}

// The plan in both forms, for a batch that renames, keeps, stops and leaves the rest; the
// directory, the description file and the settings stay exactly as they were, and no journal
// is written. The dialog's live preview, typed the same answers, shows the plan's first items
// and its summary.
TEST(Plan, DryRunShowsThePlanAndChangesNothing) {
    HostRunner host;
    host.MakeFiles({"DSC_1.jpg", kMountains, kSea, "IMG_3.jpg", "IMG_4.jpg", "a b.jpg"});
    const std::string descriptions = "DSC_1.jpg Holiday, day one\r\n" + kMountains + " " + kHoliday + "\r\n" +
                                     kSea + " " + kEvening + "\r\n";
    host.Dir().WriteFile("Descript.ion", descriptions);
    const std::vector<std::string> names = host.Dir().ListNames();
    const std::vector<std::string> args = {"-yd",       "-m",       "IMG_%#.%E", "-s", "1",
                                           "DSC_1.jpg", kMountains, "IMG_3.jpg", kSea, "a b.jpg"};

    std::vector<std::string> table = {"-n"};
    table.insert(table.end(), args.begin(), args.end());
    HostResult result = host.Run(table);
    EXPECT_EQ(result.status, 1) << "the run would warn";
    EXPECT_EQ(result.out,
              "rename     DSC_1.jpg -> IMG_1.jpg\n"
              "             Holiday, day one\n"
              "rename     " +
                  kMountains +
                  " -> IMG_2.jpg\n"
                  "             " +
                  kHoliday +
                  "\n"
                  "keep       IMG_3.jpg\n"
                  "stop       " +
                  kSea +
                  " -> IMG_4.jpg   (FileExist: the new name is taken)\n"
                  "             " +
                  kEvening +
                  "\n"
                  "unreached  'a b.jpg' -> IMG_5.jpg\n"
                  "2 files to rename, 1 kept, then the run stops and leaves 1 untried.\n"
                  "Descriptions are kept in Descript.ion.\n"
                  "The run would warn: File already exists: IMG_4.jpg\n");

    std::vector<std::string> json = {"--dry-run", "--json"};
    json.insert(json.end(), args.begin(), args.end());
    result = host.Run(json);
    EXPECT_EQ(result.status, 1);
    const std::vector<JsonObject> lines = JsonLines(result.out);
    ASSERT_EQ(lines.size(), 5u);
    EXPECT_EQ(Field(lines[1], "old"), kMountains);
    EXPECT_EQ(Field(lines[1], "new"), "IMG_2.jpg");
    EXPECT_EQ(Field(lines[1], "action"), "rename");
    EXPECT_EQ(Field(lines[1], "description"), kHoliday);
    EXPECT_EQ(Field(lines[3], "action"), "stop");
    EXPECT_EQ(Field(lines[3], "reason"), "FileExist");
    EXPECT_EQ(Field(lines[4], "action"), "unreached");
    EXPECT_EQ(JsonText(lines[4], "description"), std::nullopt) << "no description: null";
    EXPECT_EQ(result.err, "velmora: the run would warn: File already exists: IMG_4.jpg\n");

    EXPECT_EQ(host.Dir().ListNames(), names);
    EXPECT_EQ(host.Dir().ReadFile("Descript.ion"), descriptions);
    EXPECT_FALSE(host.HasStoredOptions());
    host::DirectoryEntry journal{};
    EXPECT_FALSE(host::QueryEntry(host.StateHome(), &journal)) << "no journal";
}

TEST(Plan, NamesAsAShellTakesThemAndJsonAsValidUtf8) {
    struct Case {
        std::string name;
        std::string quoted;
    } cases[] = {
        {"IMG_1.jpg", "IMG_1.jpg"},
        {kMountains, kMountains},
        {"a b.jpg", "'a b.jpg'"},
        {"it's", "'it'\\''s'"},
        {"", "''"},
        {"~x", "'~x'"},
        {"line\nbreak", "$'line\\x0abreak'"},
        {"\x1b[31mred", "$'\\x1b[31mred'"},
#if !defined(_WIN32)
        {"caf\xE9 'x'", "$'caf\\xe9 \\'x\\''"},  // a Latin-1 byte: no UTF-8
        {"c1\xC2\x9B", "$'c1\\xc2\\x9b'"},       // U+009B, a C1 control
#else
        {"caf\xE9 'x'", "'caf\xE9 '\\''x'\\'''"},  // OEM: every byte a character
#endif
    };
    for (const Case& c : cases)
        EXPECT_EQ(host::QuoteName(c.name), c.quoted) << c.name;

    host::Plan plan;
    host::PlanItem item;
    item.oldName = "caf\xE9\n\"q\".txt";
    item.newName = kSunset;
    item.action = ItemAction::Rename;
    plan.items.push_back(item);
    const std::string json = host::PlanJson(plan);
    EXPECT_EQ(json, "{\"old\": \"caf\\u00e9\\n\\\"q\\\".txt\", \"new\": \"" + kSunset +
                        "\", \"action\": \"rename\", \"reason\": \"\"}\n");
    for (std::size_t i = 0; i < json.size();) {
        const std::size_t length = ValidUtf8Length(json.data() + i, json.size() - i);
        ASSERT_NE(length, 0u) << "invalid UTF-8 at " << i;
        i += length;
    }
}

// far2l's names are UTF-8: the 260-byte cut falls before a character it would split, in the plan
// as in the run. Here the cut also makes the last component short enough for the file system.
TEST(Plan, CutBeforeACharacterItWouldSplit) {
#if defined(_WIN32)
    GTEST_SKIP() << "OEM names: a byte a character";
#endif
    std::string name;
    for (int i = 0; i < 64; ++i)
        name += "\xD0\x96";                                                     // Ж
    const std::string expected = "p" + name + name.substr(0, name.size() - 2);  // 255 bytes
    HostRunner host;
    host.MakeFiles({name});
    ASSERT_TRUE(host.Dir().MakeDirectory("sub"));
    const HostResult plan = host.Run({"-n", "--json", "-y", "-m", "sub/p%F%F", name});
    const std::vector<JsonObject> lines = JsonLines(plan.out);
    ASSERT_EQ(lines.size(), 1u) << plan.out;
    EXPECT_EQ(Field(lines[0], "new"), "sub/" + expected);
    const HostResult run = host.Run({"-y", "-m", "sub/p%F%F", name});
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(host.Dir().ListNames("sub"), std::vector<std::string>{expected});
}

// The property that keeps plan and run honest: for many random batches, the plan of
// --dry-run --json is what the run then does on disk. The batches draw from a small set of names
// so that targets collide and chains form (a -> b with b renamed earlier or later), with names
// differing only in case, Cyrillic, CJK and emoji names, start texts with leading zeros, letters or
// near 2^32 (so the counter wraps), hex counters and %T, with and without descriptions; then undo
// brings back every name and the description file byte for byte.
TEST(Plan, DryRunIsWhatTheRunDoes) {
    // Where names ignore case, A.txt is a.txt: the masks still turn one into the other.
    std::vector<std::string> pool = {"0.txt", "1.txt", "2.txt",    "3.txt", "a.txt", "b",      "x_1",
                                     "x_2",   "x_3",   kMountains, kSea,    kSunset, "c d.txt"};
#if !defined(_WIN32)
    pool.push_back("A.txt");
#endif
    const std::vector<std::string> masks = {"%#.txt", "x_%#",     "%N.txt", "A.txt", "%n",
                                            "%h.txt", "%H%T.txt", "%F",     "a.txt", "x_%#.%E",
                                            "%E",     "%N_%#",    "%T.txt", "x_%H"};
    const std::vector<std::string> starts = {"0",          "1",          "2",  "01", "007",
                                             "4294967294", "4294967295", "9a", ""};
    const std::vector<std::string> notes = {"plain", kHoliday, kEvening, "two  spaces"};
    // The steps after the template, none half the time: some make names collide, some make names
    // no file may have (a "/", nothing at all), one uses groups.
    const std::vector<std::vector<std::string>> steps = {
        {"-f", ".", "-r", "_"},
        {"-E", "-f", "^(.)(.)", "-r", "$2$1"},
        {"--ext-case", "upper", "--name-case", "title"},
        {"-E", "-f", "\\d", "-r", "", "--first-only"},
        {"-f", "X", "-r", "a", "--match-case"},
        {"-f", "_", "-r", "/"},
        {"-E", "-f", ".*", "-r", ""},
        {"-f", "\xD1\x80", "-r", "\xD0\xA0", "--name-case", "lower"},  // Cyrillic р to Р, then lower
    };
    std::mt19937 random(20240611);
    auto pick = [&random](std::size_t n) {
        return std::uniform_int_distribution<std::size_t>(0, n - 1)(random);
    };

    int stopped = 0, renamed = 0;
    for (int batch = 0; batch < 100; ++batch) {
        SCOPED_TRACE("batch " + std::to_string(batch));
        HostRunner host;
        std::vector<std::string> present;
        std::string descriptions;
        for (const std::string& name : pool) {
            if (pick(3) == 0)
                continue;
            present.push_back(name);
            host.MakeFiles({name});
            if (pick(2) == 0)
                descriptions += (name.find(' ') != std::string::npos ? "\"" + name + "\"" : name) + " " +
                                notes[pick(notes.size())] + "\r\n";
        }
        if (present.empty())
            continue;
        if (!descriptions.empty())
            host.Dir().WriteFile("Descript.ion", descriptions + "gone.txt " + kHoliday + "\r\n");
        std::shuffle(present.begin(), present.end(), random);
        present.resize(1 + pick(present.size()));
        std::vector<std::string> args = {"--yes",
                                         "-m",
                                         masks[pick(masks.size())],
                                         "-s",
                                         starts[pick(starts.size())],
                                         "--without-zero",
                                         pick(2) ? "1" : "0",
                                         "--save-descriptions",
                                         pick(2) ? "1" : "0"};
        std::string stepsShown;
        if (pick(2) == 0) {
            const std::vector<std::string>& step = steps[pick(steps.size())];
            args.insert(args.end(), step.begin(), step.end());
            for (const std::string& word : step)
                stepsShown += " " + word;
        }
        args.push_back("--");
        args.insert(args.end(), present.begin(), present.end());
        SCOPED_TRACE(args[2] + " from '" + args[4] + "'" + stepsShown);

        std::map<std::string, std::string> before;
        for (const std::string& name : host.Dir().ListNames())
            before[name] = host.Dir().ReadFile(name);
        std::vector<std::string> dryArgs = {"-n", "--json"};
        dryArgs.insert(dryArgs.end(), args.begin(), args.end());
        const HostResult dry = host.Run(dryArgs);
        std::map<std::string, std::string> untouched;
        for (const std::string& name : host.Dir().ListNames())
            untouched[name] = host.Dir().ReadFile(name);
        ASSERT_EQ(untouched, before) << "the dry run changed the directory";

        const HostResult run = host.Run(args);
        EXPECT_EQ(dry.status, run.status) << dry.err << run.err;
        std::map<std::string, std::string> expected = before;
        expected.erase("Descript.ion");
        const std::vector<JsonObject> plan = JsonLines(dry.out);
        ASSERT_EQ(plan.size(), present.size()) << dry.err;
        const LiveView live = LiveViewOf(dry);
        std::vector<std::string> firstItems;
        for (std::size_t i = 0; i < plan.size() && i < 6; ++i)
            firstItems.push_back(Field(plan[i], "old") + " -> " + Field(plan[i], "new"));
        EXPECT_EQ(live.lines, firstItems);
        EXPECT_EQ(live.summary, SummaryOf(plan));
        // Every old name is vacated before the new ones are given: a batch may swap names.
        std::map<std::string, std::string> arrived;
        for (std::size_t i = 0; i < plan.size(); ++i) {
            EXPECT_EQ(Field(plan[i], "old"), present[i]);
            if (Field(plan[i], "action") == "rename") {
                // The plan names the file as the template does; Windows drops a trailing dot.
                arrived[host::NameOnDisk(Field(plan[i], "new"))] = before[present[i]];
                expected.erase(present[i]);
                ++renamed;
            }
            stopped += Field(plan[i], "action") == "stop" ? 1 : 0;
        }
        for (const auto& [name, content] : arrived)
            expected[name] = content;
        std::map<std::string, std::string> actual;
        for (const std::string& name : host.Dir().ListNames()) {
            if (name != "Descript.ion")
                actual[name] = host.Dir().ReadFile(name);
        }
        EXPECT_EQ(actual, expected);
        for (const JsonObject& item : plan) {
            if (!JsonText(item, "description") && item.find("description") == item.end())
                continue;
            const std::string now =
                host::NameOnDisk(Field(item, "action") == "rename" ? Field(item, "new") : Field(item, "old"));
            EXPECT_EQ(JsonText(item, "description").value_or(""), DescriptionOf(host.Dir(), now)) << now;
        }

        // And back: undo gives every file its name and the description file its very bytes.
        const bool anyRename = std::any_of(plan.begin(), plan.end(), [](const JsonObject& item) {
            return Field(item, "action") == "rename";
        });
        if (anyRename) {
            const HostResult undo = host.Run({"-u"});
            EXPECT_EQ(undo.status, 0) << undo.err;
            std::map<std::string, std::string> back;
            for (const std::string& name : host.Dir().ListNames())
                back[name] = host.Dir().ReadFile(name);
            EXPECT_EQ(back, before);
        }
        if (HasFailure())
            break;
    }
    // The batches must have met both outcomes, or they test little.
    std::printf("[ plan ] %d renames, %d stops\n", renamed, stopped);
    EXPECT_GT(stopped, 20);
    EXPECT_GT(renamed, 100);
}

// The plan's name table against std::map through random sets, erasures and growth: an erased
// name must stay gone, a name set again after erasure must be found once, and growing must lose
// nothing.
TEST(Plan, NameTableKeepsWhatAMapKeeps) {
    host::NameTable<int> table;
    std::map<std::string, int> expected;
    std::mt19937 random(7);
    for (int step = 0; step < 20000; ++step) {
        const std::string name = "n" + std::to_string(random() % 3000);
        if (random() % 3 == 0) {
            table.Erase(name);
            expected.erase(name);
        } else {
            table.Set(name, step);
            expected[name] = step;
        }
    }
    std::map<std::string, int> held;
    table.ForEach(
        [&](const std::string& name, int value) { EXPECT_TRUE(held.emplace(name, value).second) << name; });
    EXPECT_EQ(held, expected);
    for (int i = 0; i < 3000; ++i) {
        const std::string name = "n" + std::to_string(i);
        const int* found = table.Find(name);
        const auto it = expected.find(name);
        ASSERT_EQ(found != nullptr, it != expected.end()) << name;
        if (found) {
            EXPECT_EQ(*found, it->second) << name;
        }
    }
}

}  // namespace
}  // namespace velmora::test
