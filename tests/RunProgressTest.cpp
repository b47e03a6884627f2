// The progress boxes of whole runs, counted through a host that records every Message call, on
// a file system that only pretends to move and takes simulated time for each move.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "far/FarAbi.hpp"
#include "run/RenameRun.hpp"
#include "support/FakeHost.hpp"
#include "support/MemoryRegistry.hpp"

namespace velmora {
namespace {

struct SimulatedClock final : Clock {
    std::uint64_t Milliseconds() override { return micros / 1000; }
    std::uint64_t micros = 0;
};

// Every move takes `stepMicros` of simulated time and succeeds, but into a name in `taken` (the
// target exists) or `refused` (the system says no). Nothing else is asked of it here.
class PretendFileSystem final : public FileSystem {
public:
    explicit PretendFileSystem(SimulatedClock& clock) : clock_(clock) {}
    std::uint32_t Attributes(const std::string& path) override {
        return path == taken ? kAttrArchive : kNoAttributes;
    }
    FileResult MoveNoReplace(const std::string&, const std::string& to) override {
        clock_.micros += stepMicros;
        if (to == taken || to == refused)
            return FileResult(
                std::make_error_code(to == taken ? std::errc::file_exists : std::errc::permission_denied));
        return FileResult::Success();
    }
    FileResult ReadStart(const std::string&, std::size_t, std::string*) override { return No(); }
    FileResult Delete(const std::string&) override { return No(); }
    bool SameFile(const std::string&, const std::string&) override { return false; }
    std::string TempDirectory() override { return std::string(); }
    FileResult CreateTempFile(const std::string&, const std::string&, std::string*) override { return No(); }
    FileResult OpenForWriting(const std::string&, std::unique_ptr<WritableFile>*) override { return No(); }
    FileResult ReplaceAtomically(const std::string&, const std::string&) override { return No(); }

    std::uint64_t stepMicros = 0;
    std::string taken;
    std::string refused;

private:
    static FileResult No() { return FileResult(std::make_error_code(std::errc::operation_not_permitted)); }
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
        const char* stopTopic;     // its warning: FileExist (taken) or CanNotMove (refused)
        std::size_t fewestBoxes;
        std::size_t mostBoxes;
    } cases[] = {
        // 2 s in all: the first box, then one each 40 ms at most, and the stop's.
        {"100,000 files in 2 s", 100000, 20, kNoStop, "", 40, 2 + 2000 / 40},
        {"stopped half way at an existing file", 100000, 20, 50001, "FileExist", 20, 2 + 1000 / 40},
        {"the clock stands: the first and the stop", 1000, 0, 600, "CanNotMove", 2, 2},
        {"a few files: every one, the clock standing", 3, 0, kNoStop, "", 3, 3},
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
        (std::string(c.stopTopic) == "FileExist" ? files.taken : files.refused) = "new_" + Name(c.stopAt);
        test::MemoryRegistry registry;
        RunRename(host.Context(files, registry, clock));

        // Every box in order: a progress box by its line, a warning by its help topic.
        std::vector<std::string> progress;
        for (const test::RecordedBox& box : host.boxes)
            progress.push_back(box.buttons == 0 ? box.lines.back() : "warning " + box.helpTopic);
        const bool stops = c.stopAt != kNoStop;
        const std::size_t boxes = progress.size() - (stops ? 1 : 0);
        EXPECT_GE(boxes, c.fewestBoxes);
        EXPECT_LE(boxes, c.mostBoxes);
        ASSERT_GE(progress.size(), 2u);
        EXPECT_EQ(progress.front(), "1. " + Name(0));
        if (stops) {
            // The warning comes right after the box of the file it stopped at.
            EXPECT_EQ(progress.back(), "warning " + std::string(c.stopTopic));
            EXPECT_EQ(progress[progress.size() - 2], std::to_string(c.stopAt + 1) + ". " + Name(c.stopAt));
        } else if (c.items == c.mostBoxes) {
            EXPECT_EQ(progress.back(), std::to_string(c.items) + ". " + Name(c.items - 1));
        }
    }
}

// What a run asks of the host does not grow with the batch: the panel is read once and every
// item comes from that record, and with the clock standing the only box is the first. A call per
// item (a panel query, a text) would cost what the host's panel costs, item after item.
TEST(RunProgress, HostCallsDoNotGrowWithTheBatch) {
    struct Calls {
        std::size_t controls, boxes;
        int texts;
    };
    std::vector<Calls> calls;
    for (const std::uint32_t items : {100u, 5000u}) {
        test::FakeHost host;
        host.dialogTemplate = "new_%F";
        for (std::uint32_t i = 0; i < items; ++i)
            host.AddItem(Name(i), nullptr);
        SimulatedClock clock;
        PretendFileSystem files(clock);
        test::MemoryRegistry registry;
        RunFromMenu(host.Context(files, registry, clock));
        calls.push_back(Calls{host.controls.size(), host.boxes.size(), host.textsAsked});
    }
    std::printf("[ host calls ] 100 / 5000 items: %zu / %zu panel calls, %zu / %zu boxes, %d / %d texts\n",
                calls[0].controls, calls[1].controls, calls[0].boxes, calls[1].boxes, calls[0].texts,
                calls[1].texts);
    EXPECT_EQ(calls[0].controls, calls[1].controls);
    EXPECT_EQ(calls[0].boxes, 1u);
    EXPECT_EQ(calls[1].boxes, 1u);
    EXPECT_EQ(calls[0].texts, calls[1].texts);
}

}  // namespace
}  // namespace velmora
