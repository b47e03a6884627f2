// Whole runs of the host with descriptions on, where the Nth file operation fails, for every N
// until a run no longer reaches its fault. After each run: one box of the kind the failed operation
// calls for (or none), every file under exactly one of its two names with its bytes, the
// description file either untouched or complete for the names the files now have, and no
// temporary file left (beside it or in the temporary directory) unless a box names it.
#include <gtest/gtest.h>

#include <cstdlib>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "far/FarAbi.hpp"
#include "host/DescriptionIndex.hpp"
#include "platform/HostSystem.hpp"
#include "support/Env.hpp"
#include "support/FaultyFileSystem.hpp"
#include "support/HostRunner.hpp"
#include "support/TempDir.hpp"

namespace velmora::test {
namespace {

constexpr const char* kDescriptionFile = "Descript.ion";

// Points the system's temporary directory at a directory of the test's own for its lifetime, so
// leftovers can be counted.
class ScopedTempDirectory {
public:
    const TempDir& Dir() const { return dir_; }

private:
    TempDir dir_;
    ScopedTempDirectoryEnv env_{dir_.Path()};
};

struct Item {
    std::string oldName;
    std::string newName;
    std::string description;  // empty: the file has none
};

// The files of every run: Cyrillic, Chinese and emoji names and descriptions, names with a space,
// with a trailing part after the last dot, one without a description, and a description line for a
// file that is not there (the host drops it).
const std::vector<Item>& Items() {
    static const std::vector<Item> items = {
        {"\xD1\x84\xD0\xBE\xD1\x82\xD0\xBE.txt", "\xD1\x84\xD0\xBE\xD1\x82\xD0\xBE.new",
         "\xD0\x9E\xD1\x82\xD0\xBF\xD1\x83\xD1\x81\xD0\xBA \xD0\xB2 "
         "\xD0\xB3\xD0\xBE\xD1\x80\xD0\xB0\xD1\x85"},
        {"b \xE5\x86\x99\xE7\x9C\x9F.txt", "b \xE5\x86\x99\xE7\x9C\x9F.new",
         "\xE6\x97\x85\xE8\xA1\x8C \xF0\x9F\x8F\x94"},
        {"d.dat", "d.new", ""},
        {"e.jpeg", "e.new", "last one, \"quoted\" text"},
    };
    return items;
}

std::string OldDescriptions() {
    std::string text;
    for (const Item& item : Items()) {
        if (item.description.empty())
            continue;
        const bool quoted = item.oldName.find(' ') != std::string::npos;
        text += (quoted ? "\"" + item.oldName + "\"" : item.oldName) + " " + item.description + "\r\n";
    }
    return text + "gone.txt a file that is not there\r\n";
}

std::vector<std::string> RunArgs() {
    std::vector<std::string> args = {"--yes", "--mask",    "%N.new", "--save-descriptions",
                                     "1",     "--columns", "N,Z"};
    for (const Item& item : Items()) {
        args.push_back(item.oldName);
    }
    return args;
}

std::string HelpOf(const std::string& box) {
    const std::string key = "\"help\":";
    std::size_t pos = box.find(key);
    if (pos == std::string::npos) {
        return "?";
    }
    pos += key.size();
    if (box.compare(pos, 4, "null") == 0) {
        return "";
    }
    const std::size_t end = box.find('"', pos + 1);
    return box.substr(pos + 1, end - pos - 1);
}

// The operation kind that the injected fault hit, or "" when the run never reached it; "Journal"
// for any operation on the undo journal (below `stateHome`).
std::string FailedKind(const FaultyFileSystem& files, const std::string& stateHome) {
    for (const std::string& entry : files.Log()) {
        if (entry.find(" -> injected failure") != std::string::npos) {
            if (entry.find(stateHome) != std::string::npos)
                return "Journal";
            return entry.substr(0, entry.find('('));
        }
    }
    return "";
}

// The help topics a failure of each kind may lead to; "" is the box without a topic (the
// description file could not be replaced) and "none" a run that copes without a box.
const std::map<std::string, std::set<std::string>>& AllowedBoxes() {
    static const std::map<std::string, std::set<std::string>> allowed = {
        // A failed query reads as "nothing there": the move then refuses an occupied target by
        // itself, and a description file seen as new is never replaced.
        {"Attributes", {"none", "", "CanNotMove"}},
        {"SameFile", {"none", "FileExist"}},
        // The plan's read of the folder's names: without it the plan asks name by name.
        {"ListNames", {"none"}},
        {"MoveNoReplace", {"CanNotMove"}},
        // A description file that cannot be read cannot be edited: it is left as it is.
        {"ReadStart", {"CanNotRead"}},
        {"TempDirectory", {"DescExist"}},
        // The folder refusing the file beside the description file sends it to the temporary
        // directory.
        {"CreateTempFile", {"none", "DescExist"}},
        // The temporary file under the name on record: the system's choice of name follows.
        {"CreateNewForWriting", {"none", "DescExist"}},
        {"OpenForWriting", {"CanNotCreate"}},
        {"Write", {"CanNotWrite"}},
        {"Size", {"none"}},
        {"Close", {"CanNotWrite"}},
        {"ReplaceAtomically", {""}},
        {"Delete", {"none"}},
        // A journal that cannot be written never fails the run, nor shows a box in it.
        {"Journal", {"none"}},
    };
    return allowed;
}

struct Outcome {
    int runs = 0;
    int faultsHit = 0;
};

// Checks one finished run; `context` names it in failures.
void CheckRun(const HostRunner& runner, const ScopedTempDirectory& temp, const HostResult& result,
              const std::string& failedKind, const std::string& context) {
    SCOPED_TRACE(context);
    const std::vector<std::string> boxes = result.WarningBoxes();
    ASSERT_LE(boxes.size(), 1u) << "one failure, one box";
    const std::string shown = boxes.empty() ? "none" : HelpOf(boxes[0]);
    if (failedKind.empty()) {
        EXPECT_EQ(shown, "none");
        EXPECT_EQ(result.status, 0) << result.err;
    } else {
        const auto allowed = AllowedBoxes().find(failedKind);
        ASSERT_NE(allowed, AllowedBoxes().end()) << failedKind;
        EXPECT_TRUE(allowed->second.count(shown)) << failedKind << " showed box '" << shown << "'";
        EXPECT_EQ(result.status, boxes.empty() ? 0 : 1) << result.err;
    }

    // Every file under exactly one of its names, bytes intact.
    const TempDir& dir = runner.Dir();
    std::set<std::string> expectedNames = {kDescriptionFile};
    std::map<std::string, std::string> currentName;
    for (const Item& item : Items()) {
        const bool atOld = dir.Exists(item.oldName);
        const bool atNew = dir.Exists(item.newName);
        EXPECT_NE(atOld, atNew) << item.oldName;
        const std::string& name = atNew ? item.newName : item.oldName;
        currentName[item.oldName] = name;
        expectedNames.insert(name);
        EXPECT_EQ(dir.ReadFile(name), "content of " + item.oldName);
    }
    const std::vector<std::string> present = dir.ListNames();
    std::set<std::string> left(present.begin(), present.end());
    for (const std::string& name : expectedNames)
        EXPECT_EQ(left.erase(name), 1u) << name;
    // Nothing else, unless the box names it: the new descriptions kept beside the old file.
    for (const std::string& name : left) {
        EXPECT_TRUE(!boxes.empty() && boxes[0].find(name) != std::string::npos)
            << "a temporary file or copy was left among the user's files: " << name;
    }

    // The description file: untouched, or whole for the names as they are now.
    const std::string descriptions = dir.ReadFile(kDescriptionFile);
    if (descriptions != OldDescriptions()) {
        host::DescriptionIndex index;
        std::string decoded;
        index.Parse(host::DescriptionText(descriptions, &decoded));
        std::size_t described = 0;
        for (const Item& item : Items()) {
            const std::string* found = index.Find(currentName[item.oldName]);
            if (item.description.empty()) {
                EXPECT_EQ(found, nullptr) << item.oldName;
                continue;
            }
            ++described;
            if (found == nullptr) {
                ADD_FAILURE() << item.oldName << " lost its description:\n" << descriptions;
                continue;
            }
            EXPECT_EQ(*found, item.description);
        }
        // The line of the file that is not there is kept, as every line the run did not touch.
        EXPECT_EQ(index.Count(), described + 1) << "stray lines:\n" << descriptions;
        EXPECT_NE(descriptions.find("gone.txt a file that is not there\r\n"), std::string::npos);
    }

    // Temporary files: none, unless the box names the one kept.
    for (const std::string& name : temp.Dir().ListNames()) {
        const std::string path = temp.Dir().PathOf(name);
        // By its name alone: the box may spell the directory with the other separator.
        const bool named = !boxes.empty() && boxes[0].find(name) != std::string::npos;
        EXPECT_TRUE(named) << "temporary file left without a word: " << path;
    }
}

// The described files of the run, under their old names, and the old description file.
void MakeScene(const HostRunner& runner) {
    std::vector<std::string> names;
    for (const Item& item : Items()) {
        names.push_back(item.oldName);
    }
    runner.MakeFiles(names);
    runner.Dir().WriteFile(kDescriptionFile, OldDescriptions());
}

Outcome RunEveryFault(bool partialWrites) {
    Outcome outcome;
    for (int n = 1; n < 500; ++n) {
        HostRunner runner;
        ScopedTempDirectory temp;
        MakeScene(runner);

        FaultyFileSystem files;
        files.SetPartialWrites(partialWrites);
        files.FailOperation(n);
        HostResult result;
        {
            ScopedFileSystem installed(&files);
            result = runner.Run(RunArgs());
        }
        ++outcome.runs;
        const std::string failedKind = FailedKind(files, runner.StateHome());
        CheckRun(runner, temp, result, failedKind,
                 "operation " + std::to_string(n) + " (" + (failedKind.empty() ? "not reached" : failedKind) +
                     (partialWrites ? ", partial writes" : "") + ")\n" + files.LogText());
        if (failedKind.empty()) {
            break;
        }
        ++outcome.faultsHit;
        if (::testing::Test::HasFatalFailure()) {
            break;
        }
    }
    return outcome;
}

TEST(FaultInjection, EveryOperationFailingInTurn) {
    for (bool partial : {false, true}) {
        const Outcome outcome = RunEveryFault(partial);
        // The run makes a few dozen operations; a count this low means the fault never landed.
        EXPECT_GT(outcome.faultsHit, 10) << "partial writes " << partial;
        std::printf("[ fault injection ] partial writes %d: %d runs, %d faults survived\n", partial ? 1 : 0,
                    outcome.runs, outcome.faultsHit);
    }
}

TEST(FaultInjection, FaultFreeRunRenamesAndRewrites) {
    HostRunner runner;
    ScopedTempDirectory temp;
    MakeScene(runner);
    const HostResult result = runner.Run(RunArgs());
    EXPECT_EQ(result.status, 0) << result.err;
    for (const Item& item : Items()) {
        EXPECT_TRUE(runner.Dir().Exists(item.newName)) << item.newName;
    }
    // The old file with the new names: UTF-8 as it stands, so without a mark; the line of the
    // file that is gone kept.
    std::string expected;
    for (const Item& item : Items()) {
        if (item.description.empty())
            continue;
        const bool quoted = item.newName.find(' ') != std::string::npos;
        expected += (quoted ? "\"" + item.newName + "\"" : item.newName) + " " + item.description + "\r\n";
    }
    expected += "gone.txt a file that is not there\r\n";
    EXPECT_EQ(runner.Dir().ReadFile(kDescriptionFile), expected);
    EXPECT_TRUE(temp.Dir().ListNames().empty());
}

}  // namespace
}  // namespace velmora::test
