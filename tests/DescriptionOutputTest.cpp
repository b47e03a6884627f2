// Rebuilding the description file: line bytes, the two passes, and every way the finish can end,
// on real files in temporary directories with faults injected through the file system.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

#include "descriptions/DescriptionOutput.hpp"
#include "platform/Platform.hpp"
#include "plugin/HostServices.hpp"
#include "support/Env.hpp"
#include "support/FakeHost.hpp"
#include "support/FaultyFileSystem.hpp"
#include "support/MemoryRegistry.hpp"
#include "support/TempDir.hpp"

namespace velmora {
namespace {

using test::FakeHost;
using test::RecordedBox;

// The system's file system with its temporary directory moved to where the test wants it.
class RedirectedFileSystem : public FileSystem {
public:
    std::uint32_t Attributes(const std::string& path) override { return system().Attributes(path); }
    FileResult MoveNoReplace(const std::string& from, const std::string& to) override {
        return system().MoveNoReplace(from, to);
    }
    FileResult ReadStart(const std::string& path, std::size_t count, std::string* bytes) override {
        return system().ReadStart(path, count, bytes);
    }
    FileResult Delete(const std::string& path) override { return system().Delete(path); }
    bool SameFile(const std::string& a, const std::string& b) override { return system().SameFile(a, b); }
    std::string TempDirectory() override { return tempDirectory; }
    FileResult CreateTempFile(const std::string& directory, const std::string& prefix,
                              std::string* name) override {
        return system().CreateTempFile(directory, prefix, name);
    }
    FileResult OpenForWriting(const std::string& path, std::unique_ptr<WritableFile>* file) override {
        return system().OpenForWriting(path, file);
    }
    FileResult ReplaceAtomically(const std::string& from, const std::string& to) override {
        return system().ReplaceAtomically(from, to);
    }

    std::string tempDirectory;

private:
    static FileSystem& system() { return SystemFileSystem(); }
};

// One description directory, one temporary directory, a recording host and a file system that
// can be told to fail.
struct Scene {
    Scene() { redirected.tempDirectory = temp.Slash(); }

    std::string Description() const { return work.PathOf("Descript.ion"); }
    int Open() { return output.Open(Description()) ? 0 : 1; }
    // 1 when the line was written, as the rename loop asks.
    int Line(const std::string& name, const std::string& description) {
        return output.WriteLine(name, description.c_str()) ? 0 : 1;
    }
    const std::string& TempName() const { return output.TempName(); }
    std::vector<std::string> TempFiles() const { return temp.ListNames(); }
    // The contents of the only temporary file left, or "" when there is not exactly one.
    std::string KeptTempFile() const {
        const auto names = TempFiles();
        return names.size() == 1 ? temp.ReadFile(names[0]) : std::string();
    }
    std::size_t LogIndex(const std::string& entryStart) const {
        const auto& log = files.Log();
        for (std::size_t i = 0; i < log.size(); ++i) {
            if (log[i].compare(0, entryStart.size(), entryStart) == 0) {
                return i;
            }
        }
        return log.size();
    }

    test::TempDir work;
    test::TempDir temp;
    RedirectedFileSystem redirected;
    test::FaultyFileSystem files{&redirected};
    FakeHost host;
    test::MemoryRegistry registry;
    RunContext context = host.Context(files, registry);
    DescriptionOutput output{context};
};

RecordedBox Box(const char* topic, std::vector<std::string> lines) {
    RecordedBox box;
    box.flags = far::FMSG_WARNING;
    box.hasHelpTopic = topic != nullptr;
    box.helpTopic = topic ? topic : "";
    box.lines = std::move(lines);
    box.buttons = 1;
    return box;
}

void ExpectBoxes(const std::vector<RecordedBox>& actual, const std::vector<RecordedBox>& expected) {
    ASSERT_EQ(actual.size(), expected.size());
    for (std::size_t i = 0; i < actual.size(); ++i) {
        EXPECT_EQ(actual[i].flags, expected[i].flags) << "box " << i;
        EXPECT_EQ(actual[i].hasHelpTopic, expected[i].hasHelpTopic) << "box " << i;
        EXPECT_EQ(actual[i].helpTopic, expected[i].helpTopic) << "box " << i;
        EXPECT_EQ(actual[i].lines, expected[i].lines) << "box " << i;
        EXPECT_EQ(actual[i].buttons, expected[i].buttons) << "box " << i;
    }
}

std::string T(int id) {
    return FakeHost::Text(id);
}

const char kStale[] = "gone.txt stale line\r\n";
const std::string kMark = "\xEF\xBB\xBF";

TEST(DescriptionOutput, LineBytes) {
    const struct {
        std::string name;
        std::string description;
        std::string line;
    } cases[] = {
        {"a.txt", "text", "a.txt text\r\n"},
        {"my file.txt", "text", "\"my file.txt\" text\r\n"},
        {"name.", "dot", "name dot\r\n"},
        {"my name.", "dot", "\"my name\" dot\r\n"},
        {"two..", "dots", "two. dots\r\n"},
        {" lead", "x", "\" lead\" x\r\n"},
        {"\xC3\xA9t\xE9\xFF", "\x80\x81 \"q\"  \xFF", "\xC3\xA9t\xE9\xFF \x80\x81 \"q\"  \xFF\r\n"},
        {"x", "  both ends  ", "x   both ends  \r\n"},
        {"tab\tname", "d", "tab\tname d\r\n"},
    };
    Scene scene;
    ASSERT_EQ(scene.Open(), 1);
    std::string expected;
    for (const auto& c : cases) {
        EXPECT_EQ(scene.Line(c.name, c.description), 1) << c.name;
        expected += c.line;
    }
    const DescriptionResult result = scene.output.Finish();
    EXPECT_EQ(result.outcome, DescriptionOutcome::Replaced);
    EXPECT_EQ(scene.work.ReadFile("Descript.ion"), (far::kHostStringsAreUtf8 ? kMark : "") + expected);
    // Each line reaches the file in one write.
    EXPECT_EQ(scene.files.Count("Write"), static_cast<int>(std::size(cases)));
    EXPECT_TRUE(scene.TempFiles().empty());
    EXPECT_TRUE(scene.host.boxes.empty());
}

// far2l takes a file without a mark in its OEM code page: UTF-8 text gets the mark, wherever it
// came from; a file of pure ASCII stays as it always was. FAR 1.x's files are OEM, never marked.
TEST(DescriptionOutput, Utf8MarkWhenAnyByteIsNotAscii) {
    const std::string cyrillic = "\xD0\x9E\xD1\x82\xD0\xBF\xD1\x83\xD1\x81\xD0\xBA";  // Отпуск
    const std::string emoji = "\xF0\x9F\x8F\x94";
    const struct {
        std::string firstName, firstDescription, panelName, panelDescription;
        bool failPrepend;
    } cases[] = {
        {"a.txt", "plain", "b.txt", "plain too", false},
        {cyrillic + ".txt", "plain", "b.txt", "plain", false},
        {"a.txt", "plain", "b.txt", "\xE6\x97\x85 " + emoji, false},
        {"a.txt", cyrillic, "b.txt", "plain", true},
    };
    for (const auto& c : cases) {
        Scene scene;
        ASSERT_TRUE(scene.work.WriteFile("Descript.ion", kStale));
        scene.host.AddItem(c.panelName.c_str(), c.panelDescription.c_str());
        if (c.failPrepend) {
            scene.files.FailEvery("Prepend");
        }
        ASSERT_EQ(scene.Open(), 1);
        ASSERT_EQ(scene.Line(c.firstName, c.firstDescription), 1);
        const DescriptionResult result = scene.output.Finish();
        const std::string lines = c.firstName + " " + c.firstDescription + "\r\n" + c.panelName + " " +
                                  c.panelDescription + "\r\n";
        const bool ascii = std::all_of(lines.begin(), lines.end(),
                                       [](char ch) { return static_cast<unsigned char>(ch) < 0x80; });
        if (c.failPrepend && far::kHostStringsAreUtf8) {
            EXPECT_EQ(result.outcome, DescriptionOutcome::LinesLost);
            EXPECT_EQ(result.failure.step, DescriptionStep::Mark);
            EXPECT_EQ(scene.work.ReadFile("Descript.ion"), kStale);
            ExpectBoxes(scene.host.boxes, {Box("CanNotWrite", {T(9), T(14), scene.TempName(), T(17)})});
        } else {
            EXPECT_EQ(result.outcome, DescriptionOutcome::Replaced);
            EXPECT_EQ(scene.work.ReadFile("Descript.ion"),
                      (far::kHostStringsAreUtf8 && !ascii ? kMark : "") + lines)
                << c.firstName;
        }
        EXPECT_TRUE(scene.TempFiles().empty());
    }
}

TEST(DescriptionOutput, LongDescriptionsWhole) {
    std::string longDescription;
    for (int i = 0; longDescription.size() < 100 * 1024; ++i) {
        longDescription.push_back(static_cast<char>(' ' + i % 95));
    }
    longDescription.push_back('\xFE');
    Scene scene;
    ASSERT_EQ(scene.Open(), 1);
    EXPECT_EQ(scene.Line("big file", longDescription.c_str()), 1);
    EXPECT_EQ(scene.Line("small", "s"), 1);
    (void)scene.output.Finish();
    EXPECT_EQ(scene.work.ReadFile("Descript.ion"),
              (far::kHostStringsAreUtf8 ? kMark : "") + "\"big file\" " + longDescription + "\r\nsmall s\r\n");
    EXPECT_EQ(scene.files.Count("Write"), 2);
}

TEST(DescriptionOutput, FirstPassThenRefreshedPanel) {
    Scene scene;
    ASSERT_TRUE(scene.work.WriteFile("Descript.ion", kStale));
    // What the host shows after the refresh; the first pass is written before it.
    scene.host.AddItem("..", nullptr);
    scene.host.AddItem("b.txt", "second b");
    scene.host.AddItem("new name.txt", "from panel");
    scene.host.AddItem("c", nullptr);
    scene.host.AddItem("d", "");
    scene.host.AddItem("dir.", "a directory");
    ASSERT_EQ(scene.Open(), 1);
    ASSERT_EQ(scene.Line("new name.txt", "first"), 1);
    ASSERT_EQ(scene.Line("z", "renamed second"), 1);

    const DescriptionResult result = scene.output.Finish();
    EXPECT_EQ(result.outcome, DescriptionOutcome::Replaced);
    EXPECT_EQ(scene.work.ReadFile("Descript.ion"),
              "\"new name.txt\" first\r\n"
              "z renamed second\r\n"
              "b.txt second b\r\n"
              "\"new name.txt\" from panel\r\n"
              "dir a directory\r\n");
    const std::vector<test::RecordedControl> controls = {
        {far::FCTL_UPDATEPANEL, 1}, {far::FCTL_REDRAWPANEL, 0}, {far::FCTL_GETPANELINFO, 2}};
    EXPECT_EQ(scene.host.controls, controls);
    EXPECT_TRUE(scene.host.boxes.empty());
    EXPECT_TRUE(scene.TempFiles().empty());
    // The handle is closed before the file is put in place.
    EXPECT_LT(scene.LogIndex("Close("), scene.LogIndex("ReplaceAtomically("));
    EXPECT_FALSE(scene.output.IsOpen());
}

TEST(DescriptionOutput, NewFileWhenNoneExisted) {
    Scene scene;
    scene.host.AddItem("kept.txt", "still here");
    ASSERT_EQ(scene.Open(), 1);
    EXPECT_EQ(scene.output.Finish().outcome, DescriptionOutcome::Replaced);
    EXPECT_EQ(scene.work.ReadFile("Descript.ion"), "kept.txt still here\r\n");
    EXPECT_TRUE(scene.TempFiles().empty());
}

TEST(DescriptionOutput, NothingDescribedLeavesDirectoryAlone) {
    for (const bool stale : {true, false}) {
        Scene scene;
        if (stale) {
            ASSERT_TRUE(scene.work.WriteFile("Descript.ion", kStale));
        }
        scene.host.AddItem("..", nullptr);
        scene.host.AddItem("a.txt", nullptr);
        scene.host.AddItem("b.txt", "");
        ASSERT_EQ(scene.Open(), 1);
        EXPECT_EQ(scene.output.Finish().outcome, DescriptionOutcome::NothingToWrite);
        EXPECT_EQ(scene.work.Exists("Descript.ion"), stale);
        if (stale) {
            EXPECT_EQ(scene.work.ReadFile("Descript.ion"), kStale);
        }
        EXPECT_TRUE(scene.TempFiles().empty());
        EXPECT_TRUE(scene.host.boxes.empty());
        EXPECT_EQ(scene.files.Count("ReplaceAtomically"), 0);
    }
}

TEST(DescriptionOutput, SizeUnknownFallsBackOnWhatWasWritten) {
    for (const bool anyLine : {true, false}) {
        Scene scene;
        ASSERT_TRUE(scene.work.WriteFile("Descript.ion", kStale));
        scene.files.FailEvery("Size");
        ASSERT_EQ(scene.Open(), 1);
        if (anyLine) {
            ASSERT_EQ(scene.Line("a", "b"), 1);
        }
        EXPECT_EQ(static_cast<int>(scene.output.Finish().outcome), static_cast<int>(anyLine ? DescriptionOutcome::Replaced : DescriptionOutcome::NothingToWrite));
        // An empty file never takes the place of the old descriptions.
        EXPECT_EQ(scene.work.ReadFile("Descript.ion"), anyLine ? "a b\r\n" : kStale);
        EXPECT_TRUE(scene.TempFiles().empty());
    }
}

TEST(DescriptionOutput, SecondPassFailureKeepsOldFile) {
    enum Fault { kWrite, kPartialWrite, kClose, kPanel };
    for (const Fault fault : {kWrite, kPartialWrite, kClose, kPanel}) {
        SCOPED_TRACE(fault);
        Scene scene;
        ASSERT_TRUE(scene.work.WriteFile("Descript.ion", kStale));
        scene.host.AddItem("a", "one");
        scene.host.AddItem("b", "two");
        ASSERT_EQ(scene.Open(), 1);
        ASSERT_EQ(scene.Line("renamed", "first"), 1);
        switch (fault) {
            case kPartialWrite:
                scene.files.SetPartialWrites(true);
                [[fallthrough]];
            case kWrite:
                scene.files.FailOperation("Write", 1);
                break;
            case kClose:
                scene.files.FailEvery("Close");
                break;
            case kPanel:
                scene.host.panelInfoResult = 0;
                break;
        }
        const DescriptionResult result = scene.output.Finish();
        EXPECT_EQ(result.outcome, DescriptionOutcome::LinesLost);
        EXPECT_EQ(result.failure.step, fault == kPanel   ? DescriptionStep::ReadPanel
                                       : fault == kClose ? DescriptionStep::Close
                                                         : DescriptionStep::WriteLine);
        ExpectBoxes(scene.host.boxes, {Box("CanNotWrite", {T(9), T(14), scene.TempName(), T(17)})});
        EXPECT_EQ(scene.work.ReadFile("Descript.ion"), kStale);
        EXPECT_TRUE(scene.TempFiles().empty());
        EXPECT_EQ(scene.files.Count("ReplaceAtomically"), 0);
        if (fault == kWrite || fault == kPartialWrite) {
            // The pass stops at the first failed line.
            EXPECT_EQ(scene.files.Count("Write"), 2);
        }
    }
}

// A renamed file's line that could not be written is not dropped: the finish writes it first, or,
// when half of it reached the file, keeps the old description file.
TEST(DescriptionOutput, FailedFirstPassLineIsWrittenAgainOrNothingIsReplaced) {
    for (const bool partial : {false, true}) {
        SCOPED_TRACE(partial);
        Scene scene;
        ASSERT_TRUE(scene.work.WriteFile("Descript.ion", kStale));
        scene.host.AddItem("b", "two");
        ASSERT_EQ(scene.Open(), 1);
        ASSERT_EQ(scene.Line("a", "one"), 1);
        scene.files.SetPartialWrites(partial);
        scene.files.FailOperation("Write", 1);
        ASSERT_EQ(scene.Line("renamed", "kept"), 0);
        scene.files.SetPartialWrites(false);

        const DescriptionResult result = scene.output.Finish();
        if (!partial) {
            EXPECT_EQ(result.outcome, DescriptionOutcome::Replaced);
            EXPECT_TRUE(scene.host.boxes.empty());
            EXPECT_EQ(scene.work.ReadFile("Descript.ion"), "a one\r\nrenamed kept\r\nb two\r\n");
        } else {
            // The run has reported the failed line already; the finish adds no box of its own.
            EXPECT_EQ(result.outcome, DescriptionOutcome::LinesLost);
            EXPECT_TRUE(scene.host.boxes.empty());
            EXPECT_EQ(scene.work.ReadFile("Descript.ion"), kStale);
        }
        EXPECT_TRUE(scene.TempFiles().empty());
    }
}

TEST(DescriptionOutput, ReadOnlyDescriptionFileIsNotReplaced) {
    Scene scene;
    ASSERT_TRUE(scene.work.WriteFile("Descript.ion", kStale));
    namespace fs = std::filesystem;
    fs::permissions(scene.Description(),
                    fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write,
                    fs::perm_options::remove);
    ASSERT_NE(Files().Attributes(scene.Description()) & kAttrReadOnly, 0u);
    ASSERT_EQ(scene.Open(), 1);
    ASSERT_EQ(scene.Line("a", "new"), 1);
    EXPECT_EQ(scene.output.Finish().outcome, DescriptionOutcome::NotReplaced);
    ExpectBoxes(scene.host.boxes, {Box(nullptr, {T(9), T(15), T(5)})});
    EXPECT_EQ(scene.work.ReadFile("Descript.ion"), kStale);
    EXPECT_TRUE(scene.TempFiles().empty());
}

TEST(DescriptionOutput, FileThatAppearedSinceChosenIsNotOverwritten) {
    Scene scene;
    ASSERT_EQ(scene.Open(), 1);
    ASSERT_EQ(scene.Line("Descript.ion", "was notes.txt"), 1);
    // The batch renamed one of the user's files to the chosen name.
    ASSERT_TRUE(scene.work.WriteFile("Descript.ion", "the user's own text"));
    EXPECT_EQ(scene.output.Finish().outcome, DescriptionOutcome::KeptAside);
    EXPECT_EQ(scene.work.ReadFile("Descript.ion"), "the user's own text");
    ExpectBoxes(scene.host.boxes, {Box(nullptr, {T(9), T(15), scene.TempName(), T(5)})});
    EXPECT_EQ(scene.KeptTempFile(), "Descript.ion was notes.txt\r\n");
    EXPECT_EQ(scene.files.Count("ReplaceAtomically"), 0);
}

TEST(DescriptionOutput, FailedReplaceLosesNothing) {
    for (const bool oldFile : {true, false}) {
        SCOPED_TRACE(oldFile);
        Scene scene;
        if (oldFile) {
            ASSERT_TRUE(scene.work.WriteFile("Descript.ion", kStale));
        }
        scene.files.FailEvery("ReplaceAtomically");
        ASSERT_EQ(scene.Open(), 1);
        ASSERT_EQ(scene.Line("a", "new"), 1);
        const DescriptionResult result = scene.output.Finish();
        EXPECT_EQ(result.outcome, oldFile ? DescriptionOutcome::NotReplaced : DescriptionOutcome::KeptAside);
        // The failing operation and the system's reason travel with the outcome.
        EXPECT_EQ(result.failure.step, DescriptionStep::Replace);
        EXPECT_EQ(result.failure.error, std::make_error_code(std::errc::io_error));
        if (oldFile) {
            // The old descriptions are all still in place: the directory is as it was.
            ExpectBoxes(scene.host.boxes, {Box(nullptr, {T(9), T(15), T(5)})});
            EXPECT_EQ(scene.work.ReadFile("Descript.ion"), kStale);
            EXPECT_TRUE(scene.TempFiles().empty());
        } else {
            // The temporary file is the only copy: it stays, and the box says where.
            ExpectBoxes(scene.host.boxes, {Box(nullptr, {T(9), T(15), scene.TempName(), T(5)})});
            EXPECT_FALSE(scene.work.Exists("Descript.ion"));
            EXPECT_EQ(scene.KeptTempFile(), "a new\r\n");
        }
    }
}

TEST(DescriptionOutput, NoTemporaryDirectory) {
    for (const bool missing : {true, false}) {
        SCOPED_TRACE(missing);
        Scene scene;
        scene.redirected.tempDirectory = missing ? scene.work.PathOf("missing") + "/" : std::string();
        EXPECT_EQ(scene.Open(), 0);
        // No name was made by this run, so none is shown.
        ExpectBoxes(scene.host.boxes, {Box("DescExist", {T(9), T(13), "", T(17)})});
        EXPECT_FALSE(scene.output.IsOpen());
        EXPECT_TRUE(scene.work.ListNames().empty());
        EXPECT_EQ(scene.files.Count("OpenForWriting"), 0);
    }
}

TEST(DescriptionOutput, TemporaryDirectoryPointingNowhere) {
    test::TempDir work;
    FakeHost host;
    test::MemoryRegistry registry;
    const RunContext context = host.Context(SystemFileSystem(), registry);
    DescriptionOutput output(context);
    DescriptionFailure failure;
    {
        test::ScopedTempDirectoryEnv nowhere(work.PathOf("nowhere"));
        failure = output.Open(work.PathOf("Descript.ion"));
    }
    EXPECT_EQ(failure.step, DescriptionStep::MakeTempName);
    ExpectBoxes(host.boxes, {Box("DescExist", {T(9), T(13), "", T(17)})});
    EXPECT_TRUE(work.ListNames().empty());
}

TEST(DescriptionOutput, TemporaryFileCannotBeOpened) {
    Scene scene;
    scene.files.FailEvery("OpenForWriting");
    EXPECT_EQ(scene.Open(), 0);
    ASSERT_FALSE(scene.TempName().empty());
    EXPECT_EQ(scene.TempName().compare(0, scene.temp.Slash().size() + 2, scene.temp.Slash() + "VL"), 0);
    ExpectBoxes(scene.host.boxes, {Box("CanNotCreate", {T(9), T(13), scene.TempName(), T(17)})});
    // The empty file made for the name is not left behind.
    EXPECT_TRUE(scene.TempFiles().empty());
    EXPECT_FALSE(scene.output.IsOpen());
}

}  // namespace
}  // namespace velmora
