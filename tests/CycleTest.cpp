// Swaps, chains and cycles of names within one batch: the run completes them (a cycle through one
// temporary name), the plan says so beforehand, each file keeps its description line, and undo
// puts every name back. A name held by a file outside the batch, or given twice, still stops.
#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "host/DescriptionIndex.hpp"
#include "journal/JsonLine.hpp"
#include "platform/HostSystem.hpp"
#include "support/FaultyFileSystem.hpp"
#include "support/HostRunner.hpp"

namespace velmora::test {
namespace {

const std::string kCyr = "\xD1\x84\xD0\xBE\xD1\x82\xD0\xBE";  // фото
const std::string kCjk = "\xE7\x85\xA7\xE7\x89\x87";          // 照片

std::string DescriptionOf(const TempDir& dir, const std::string& name) {
    std::string converted;
    host::DescriptionIndex index;
    index.Parse(host::DescriptionText(dir.ReadFile("Descript.ion"), &converted));
    const std::string* found = index.Find(name);
    return found ? *found : "";
}

std::map<std::string, std::string> Contents(const TempDir& dir) {
    std::map<std::string, std::string> contents;
    for (const std::string& name : dir.ListNames())
        contents[name] = dir.ReadFile(name);
    return contents;
}

// The template `<prefix>%#.txt` from 1 given to the files in the order listed: file N of the
// selection takes the number N.
TEST(Cycle, SwapsChainsAndCyclesComplete) {
    const struct Case {
        const char* what;
        std::vector<std::string> numbers;  // the selection: the files' numbers, in panel order
        std::vector<std::string> outside;  // other files' numbers, not selected
        int status;
        const char* stopBox;  // "" when the run completes
    } cases[] = {
        {"swap", {"2", "1"}, {}, 0, ""},
        {"3-cycle", {"3", "1", "2"}, {}, 0, ""},
        {"chain", {"2", "3", "4"}, {}, 0, ""},
        {"two cycles and a chain into one", {"2", "1", "4", "3", "9", "5"}, {}, 0, ""},
        {"a cycle beside an outside file that holds a name", {"2", "1", "9"}, {"3"}, 1, "FileExist"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        HostRunner host;
        std::vector<std::string> selected;
        std::string descriptions;
        for (const std::string& n : c.numbers) {
            selected.push_back(kCyr + n + ".txt");
            descriptions += kCyr + n + ".txt " + kCjk + " " + n + "\r\n";
        }
        host.MakeFiles(selected);
        for (const std::string& n : c.outside)
            host.MakeFiles({kCyr + n + ".txt"});
        host.Dir().WriteFile("Descript.ion", descriptions);
        const std::map<std::string, std::string> before = Contents(host.Dir());
        std::vector<std::string> args = {
            "--yes", "-m",        kCyr + "%#.txt", "-s", "1", "--without-zero", "1", "--save-descriptions",
            "1",     "--columns", "N,Z",           "--"};
        args.insert(args.end(), selected.begin(), selected.end());

        std::vector<std::string> dryArgs = {"-n", "--json"};
        dryArgs.insert(dryArgs.end(), args.begin(), args.end());
        const HostResult dry = host.Run(dryArgs);
        EXPECT_EQ(Contents(host.Dir()), before) << "the plan changed the folder";
        const HostResult run = host.Run(args);
        EXPECT_EQ(run.status, c.status) << run.err;
        EXPECT_EQ(dry.status, run.status) << dry.out;
        EXPECT_EQ(run.WarningBoxes().size(), *c.stopBox ? 1u : 0u);
        if (*c.stopBox) {
            EXPECT_EQ(run.Boxes(c.stopBox).size(), 1u) << run.err;
        }

        // Each item as the plan has it, in panel order; the folder is exactly that.
        std::vector<std::string> planned;
        std::map<std::string, std::string> expected = before;
        std::map<std::string, std::string> arrived;
        std::size_t line = 0;
        for (std::size_t pos = 0; pos < dry.out.size(); ++line) {
            const std::size_t end = dry.out.find('\n', pos);
            JsonObject item;
            ASSERT_TRUE(ParseJsonObject(std::string_view(dry.out).substr(pos, end - pos), &item));
            pos = end + 1;
            const std::string old = JsonText(item, "old").value_or("");
            ASSERT_EQ(old, selected.at(line));
            const std::string action = JsonText(item, "action").value_or("");
            if (action == "rename") {
                const std::string now = JsonText(item, "new").value_or("");
                arrived[now] = before.at(old);
                expected.erase(old);
                // Its own line, whatever order the renames took.
                EXPECT_EQ(DescriptionOf(host.Dir(), now), kCjk + " " + old.substr(kCyr.size(), 1)) << now;
            } else {
                EXPECT_EQ(DescriptionOf(host.Dir(), old), kCjk + " " + old.substr(kCyr.size(), 1)) << old;
            }
            planned.push_back(action);
        }
        for (const auto& [name, content] : arrived)
            expected[name] = content;
        expected.erase("Descript.ion");
        std::map<std::string, std::string> actual = Contents(host.Dir());
        actual.erase("Descript.ion");
        EXPECT_EQ(actual, expected) << "no temporary name is left, and nothing else";
        if (*c.stopBox) {
            EXPECT_EQ(planned.back(), "stop");
        }

        // Undo takes back every move, those through the temporary name too, and counts files.
        const HostResult undo = host.Run({"-u"});
        EXPECT_EQ(undo.out, "velmora: " + std::to_string(arrived.size()) +
                                " files renamed back, Descript.ion as it was\n")
            << undo.err;
        EXPECT_EQ(Contents(host.Dir()), before) << "undo put every name and line back";
    }
}

// A move refused inside a cycle: the cycle's moves are taken back, so that no file is left under
// the temporary name, and the box says which file could not be renamed.
TEST(Cycle, RefusedMoveInsideACycleTakesTheCycleBack) {
    HostRunner host;
    const std::vector<std::string> selected = {"3.txt", "1.txt", "2.txt"};
    host.MakeFiles(selected);
    const std::map<std::string, std::string> before = Contents(host.Dir());
    FaultyFileSystem files;
    // The journal put in place, the first file aside, one file moved: the next move fails.
    files.FailOperation("MoveNoReplace", 4);
    HostResult result;
    {
        ScopedFileSystem installed(&files);
        std::vector<std::string> args = {"--yes", "-m", "%#.txt", "-s", "1", "--"};
        args.insert(args.end(), selected.begin(), selected.end());
        result = host.Run(args);
    }
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(result.Boxes("CanNotMove").size(), 1u) << result.err;
    EXPECT_EQ(Contents(host.Dir()), before);
    // Nothing to take back: the run's .done says no move stands.
    const HostResult undo = host.Run({"-u"});
    EXPECT_EQ(Contents(host.Dir()), before) << undo.out << undo.err;
}

// A file made at a new name after the plan, before the run: the plan said rename, the move
// itself refuses the name, and the run stops there with the box of a taken name; the batch's
// own chain still completes before it, and every file is where it was or where it went.
TEST(Cycle, NameTakenBetweenThePlanAndTheRunStops) {
    HostRunner host;
    const std::vector<std::string> selected = {kCyr + "1.txt", kCyr + "2.txt", kCjk + ".txt"};
    host.MakeFiles(selected);
    std::vector<std::string> args = {"--yes", "-m", kCyr + "%#.txt", "-s", "2", "--without-zero", "1", "--"};
    args.insert(args.end(), selected.begin(), selected.end());
    std::vector<std::string> dryArgs = {"-n"};
    dryArgs.insert(dryArgs.end(), args.begin(), args.end());
    EXPECT_EQ(host.Run(dryArgs).status, 0);
    host.Dir().WriteFile(kCyr + "4.txt", "made meanwhile");
    const HostResult run = host.Run(args);
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.WarningBoxes().size(), 1u);
    EXPECT_EQ(run.Boxes("FileExist").size(), 1u) << run.err;
    EXPECT_EQ(host.Dir().ReadFile(kCyr + "4.txt"), "made meanwhile");
    EXPECT_EQ(host.Dir().ReadFile(kCyr + "3.txt"), "content of " + kCyr + "2.txt");
    EXPECT_EQ(host.Dir().ReadFile(kCyr + "2.txt"), "content of " + kCyr + "1.txt");
    EXPECT_EQ(host.Dir().ReadFile(kCjk + ".txt"), "content of " + kCjk + ".txt");
}

}  // namespace
}  // namespace velmora::test
