// The progress boxes of whole runs, counted through a host that records every Message call, on
// a file system that only pretends to move and takes simulated time for each move.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "far/FarAbi.hpp"
#include "rename/RenameRun.hpp"
#include "support/FakeHost.hpp"
#include "support/MemoryRegistry.hpp"

namespace velmora {
namespace {

struct SimulatedClock final : Clock {
    std::uint64_t Milliseconds() override { return micros / 1000; }
    std::uint64_t micros = 0;
};

// Every move succeeds after `stepMicros` of simulated time, but into a name in `taken` (the
// target exists) or `refused` (the system says no).
class PretendFileSystem final : public FileSystem {
public:
    explicit PretendFileSystem(SimulatedClock& clock) : clock_(clock) {}

    std::uint32_t Attributes(const std::string& path) override {
        return taken.count(path) ? kAttrArchive : kNoAttributes;
    }
    FileResult MoveNoReplace(const std::string&, const std::string& to) override {
        clock_.micros += stepMicros;
        if (taken.count(to))
            return FileResult(std::make_error_code(std::errc::file_exists));
        if (refused.count(to))
            return FileResult(std::make_error_code(std::errc::permission_denied));
        return FileResult::Success();
    }
    FileResult ReadStart(const std::string&, std::size_t, std::string*) override { return Missing(); }
    FileResult Delete(const std::string&) override { return Missing(); }
    bool SameFile(const std::string&, const std::string&) override { return false; }
    std::string TempDirectory() override { return std::string(); }
    FileResult CreateTempFile(const std::string&, const std::string&, std::string*) override {
        return Missing();
    }
    FileResult OpenForWriting(const std::string&, std::unique_ptr<WritableFile>*) override {
        return Missing();
    }
    FileResult ReplaceAtomically(const std::string&, const std::string&) override { return Missing(); }

    std::uint64_t stepMicros = 0;
    std::set<std::string> taken;
    std::set<std::string> refused;

private:
    static FileResult Missing() {
        return FileResult(std::make_error_code(std::errc::no_such_file_or_directory));
    }
    SimulatedClock& clock_;
};

std::string Name(std::uint32_t index) {
    char name[16];
    std::snprintf(name, sizeof name, "f%06u.raw", static_cast<unsigned>(index));
    return name;
}

constexpr std::uint32_t kNoStop = 0xFFFFFFFFu;

TEST(RunProgress, BoxesAtTheSpeedOfTheEyeAndForTheStop) {
    struct Case {
        const char* what;
        std::uint32_t items;
        std::uint64_t stepMicros;  // simulated time a move takes
        std::uint32_t stopAt;      // the item whose move fails
        const char* stopTopic;
        std::size_t fewestBoxes;
        std::size_t mostBoxes;
    } cases[] = {
        // 2 s in all: the first box, then one each 40 ms at most, and the stop's.
        {"100,000 files in 2 s", 100000, 20, kNoStop, nullptr, 40, 2 + 2000 / 40},
        {"stopped half way at an existing file", 100000, 20, 50001, "FileExist", 20, 2 + 1000 / 40},
        {"the clock stands: the first and the stop", 1000, 0, 600, "CanNotMove", 2, 2},
        {"a few files: every one, the clock standing", 3, 0, kNoStop, nullptr, 3, 3},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        test::FakeHost host;
        host.dialogTemplate = "new_%F";
        for (std::uint32_t i = 0; i < c.items; ++i)
            host.AddItem(Name(i), nullptr);
        SimulatedClock clock;
        PretendFileSystem files(clock);
        files.stepMicros = c.stepMicros;
        if (c.stopAt != kNoStop)
            (std::string(c.stopTopic) == "FileExist" ? files.taken : files.refused)
                .insert("new_" + Name(c.stopAt));
        test::MemoryRegistry registry;
        const RunContext context = host.Context(files, registry, clock);
        RunRename(context);

        std::vector<std::string> progress;
        for (const test::RecordedBox& box : host.boxes) {
            if (box.buttons == 0) {
                ASSERT_EQ(box.lines.size(), 2u);
                progress.push_back(box.lines[1]);
            }
        }
        EXPECT_GE(progress.size(), c.fewestBoxes);
        EXPECT_LE(progress.size(), c.mostBoxes);
        ASSERT_FALSE(progress.empty());
        EXPECT_EQ(progress.front(), "1. " + Name(0));
        if (c.stopAt == kNoStop) {
            EXPECT_EQ(progress.size(), host.boxes.size());  // no warning
            if (c.items == c.fewestBoxes) {
                EXPECT_EQ(progress.back(), std::to_string(c.items) + ". " + Name(c.items - 1));
            }
            continue;
        }
        // The warning comes last, right after the box of the file it stopped at.
        ASSERT_GE(host.boxes.size(), 2u);
        EXPECT_EQ(host.boxes.back().helpTopic, c.stopTopic);
        const test::RecordedBox& before = host.boxes[host.boxes.size() - 2];
        EXPECT_EQ(before.buttons, 0);
        EXPECT_EQ(before.lines.back(), std::to_string(c.stopAt + 1) + ". " + Name(c.stopAt));
    }
}

}  // namespace
}  // namespace velmora
