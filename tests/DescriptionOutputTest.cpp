// The description file's rewrite on real files in temporary directories: the old file read and
// edited, and every way the finish can end, with faults injected through the file system.
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
    void Rename(const std::string& from, const std::string& to, const char* panelDescription = nullptr) {
        output.Renamed(from, to, panelDescription);
    }
    const std::string& TempName() const { return output.TempName(); }
    // The temporary files left, beside the description file or in the temporary directory.
    std::vector<std::string> TempFiles() const {
        std::vector<std::string> left;
        for (const std::string& name : temp.ListNames())
            left.push_back(temp.PathOf(name));
        for (const std::string& name : work.ListNames()) {
            if (name != "Descript.ion")
                left.push_back(work.PathOf(name));
        }
        return left;
    }
    // The contents of the only temporary file left, or "" when there is not exactly one.
    std::string KeptTempFile() const {
        const auto paths = TempFiles();
        std::string bytes;
        std::string error;
        return paths.size() == 1 && ReadWholeFile(SystemFileSystem(), paths[0], &bytes, &error)
                   ? bytes
                   : std::string();
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

TEST(DescriptionOutput, EditsTheOldFileInOneWrite) {
    Scene scene;
    ASSERT_TRUE(scene.work.WriteFile("Descript.ion", std::string("a.txt Alpha\r\n") + kStale));
    ASSERT_EQ(scene.Open(), 1);
    scene.Rename("a.txt", "b.txt", "Alpha");
    const DescriptionResult result = scene.output.Finish();
    EXPECT_EQ(result.outcome, DescriptionOutcome::Replaced);
    EXPECT_EQ(scene.work.ReadFile("Descript.ion"), std::string("b.txt Alpha\r\n") + kStale);
    EXPECT_EQ(scene.files.Count("Write"), 1);
    EXPECT_TRUE(scene.host.boxes.empty());
    EXPECT_TRUE(scene.host.controls.empty());
    EXPECT_TRUE(scene.TempFiles().empty());
    // The handle is closed before the file is put in place.
    EXPECT_LT(scene.LogIndex("Close("), scene.LogIndex("ReplaceAtomically("));
    EXPECT_FALSE(scene.output.IsOpen());
}

TEST(DescriptionOutput, NewFileWhenNoneExisted) {
    Scene scene;
    ASSERT_EQ(scene.Open(), 1);
    scene.Rename("a", "kept.txt", "still here");
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
        ASSERT_EQ(scene.Open(), 1);
        scene.Rename("a.txt", "b.txt");
        scene.Rename("c.txt", "d.txt", "");
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

TEST(DescriptionOutput, WriteFailureKeepsOldFile) {
    enum Fault { kWrite, kPartialWrite, kClose };
    for (const Fault fault : {kWrite, kPartialWrite, kClose}) {
        SCOPED_TRACE(fault);
        Scene scene;
        ASSERT_TRUE(scene.work.WriteFile("Descript.ion", std::string("a one\r\n") + kStale));
        ASSERT_EQ(scene.Open(), 1);
        scene.Rename("a", "renamed", "one");
        if (fault == kClose) {
            scene.files.FailEvery("Close");
        } else {
            scene.files.SetPartialWrites(fault == kPartialWrite);
            scene.files.FailOperation("Write", 1);
        }
        const DescriptionResult result = scene.output.Finish();
        EXPECT_EQ(result.outcome, DescriptionOutcome::LinesLost);
        EXPECT_EQ(result.failure.step, fault == kClose ? DescriptionStep::Close : DescriptionStep::WriteLine);
        ExpectBoxes(scene.host.boxes, {Box("CanNotWrite", {T(9), T(14), scene.TempName(), T(17)})});
        EXPECT_EQ(scene.work.ReadFile("Descript.ion"), std::string("a one\r\n") + kStale);
        EXPECT_TRUE(scene.TempFiles().empty());
        EXPECT_EQ(scene.files.Count("ReplaceAtomically"), 0);
    }
}

// Without its old lines the file cannot be edited; rebuilt, it would lose them.
TEST(DescriptionOutput, UnreadableFileIsLeftAsItIs) {
    Scene scene;
    ASSERT_TRUE(scene.work.WriteFile("Descript.ion", kStale));
    scene.files.FailEvery("ReadStart");
    const DescriptionFailure failure = scene.output.Open(scene.Description());
    EXPECT_EQ(failure.step, DescriptionStep::ReadFile);
    ExpectBoxes(scene.host.boxes, {Box("CanNotRead", {T(9), T(19), scene.Description(), T(17)})});
    EXPECT_FALSE(scene.output.IsOpen());
    EXPECT_TRUE(scene.TempFiles().empty());
    EXPECT_EQ(scene.work.ReadFile("Descript.ion"), kStale);
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
    scene.Rename("z", "a", "new");
    EXPECT_EQ(scene.output.Finish().outcome, DescriptionOutcome::NotReplaced);
    ExpectBoxes(scene.host.boxes, {Box(nullptr, {T(9), T(15), T(5)})});
    EXPECT_EQ(scene.work.ReadFile("Descript.ion"), kStale);
    EXPECT_TRUE(scene.TempFiles().empty());
}

TEST(DescriptionOutput, FileThatAppearedSinceChosenIsNotOverwritten) {
    Scene scene;
    ASSERT_EQ(scene.Open(), 1);
    scene.Rename("notes.txt", "Descript.ion", "was notes.txt");
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
        scene.Rename("z", "a", "new");
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
        scene.files.FailOperation("CreateTempFile", 1);  // and the folder takes no new file
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
    test::FaultyFileSystem files;
    files.FailOperation("CreateNewForWriting", 1);  // the folder takes no new file
    files.FailOperation("CreateTempFile", 1);
    const RunContext context = host.Context(files, registry);
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
    EXPECT_EQ(scene.TempName().compare(0, scene.work.Slash().size() + 3, scene.work.Slash() + ".VL"), 0);
    ExpectBoxes(scene.host.boxes, {Box("CanNotCreate", {T(9), T(13), scene.TempName(), T(17)})});
    // The empty file made for the name is not left behind.
    EXPECT_TRUE(scene.TempFiles().empty());
    EXPECT_FALSE(scene.output.IsOpen());
}

// The new file is made beside the old one and put in its place by a rename: the file written is
// the file in place, never a copy of it (a copy from another volume costs more than the edit).
// A name from the host's list in Cyrillic, as any other.
TEST(DescriptionOutput, ReplacedByARenameInItsOwnFolder) {
    const std::string listed =
        "\xD0\x9E\xD0\xBF\xD0\xB8\xD1\x81\xD0\xB0\xD0\xBD\xD0\xB8\xD0\xB5.ion";       // Описание.ion
    const std::string snapshot = "\xD1\x81\xD0\xBD\xD0\xB8\xD0\xBC\xD0\xBE\xD0\xBA";  // снимок
    Scene scene;
    const std::string name = scene.work.PathOf(listed);
    ASSERT_TRUE(scene.work.WriteFile(listed, "a " + snapshot + "\r\n"));
    ASSERT_FALSE(scene.output.Open(name));
    EXPECT_EQ(scene.TempName().compare(0, scene.work.Slash().size() + 3, scene.work.Slash() + ".VL"), 0)
        << scene.TempName();
    EXPECT_TRUE(scene.temp.ListNames().empty());
    // A second name of the file written, to know it again after the replace.
    std::error_code error;
    std::filesystem::create_hard_link(scene.TempName(), scene.temp.PathOf("written"), error);
    ASSERT_FALSE(error) << error.message();
    scene.Rename("a", "b", snapshot.c_str());
    EXPECT_EQ(scene.output.Finish().outcome, DescriptionOutcome::Replaced);
    EXPECT_TRUE(SystemFileSystem().SameFile(scene.temp.PathOf("written"), name));
    EXPECT_EQ(scene.work.ReadFile(listed), "b " + snapshot + "\r\n");
    EXPECT_EQ(scene.work.ListNames().size(), 1u);
    EXPECT_TRUE(scene.host.boxes.empty());
}

// A folder that takes no new file (read-only, full) still gets its descriptions, through the
// system's temporary directory.
TEST(DescriptionOutput, FolderTakingNoNewFileFallsBackOnTheTemporaryDirectory) {
    namespace fs = std::filesystem;
    for (const bool readOnly : {false, true}) {
        SCOPED_TRACE(readOnly);
        Scene scene;
        ASSERT_TRUE(scene.work.WriteFile("Descript.ion", kStale));
        if (readOnly) {
            fs::permissions(scene.work.Path(),
                            fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write,
                            fs::perm_options::remove);
            // Where the folder's permissions bind no one (root), there is nothing to test.
            if (scene.work.WriteFile("probe", "")) {
                fs::remove(scene.work.PathOf("probe"));
                fs::permissions(scene.work.Path(), fs::perms::owner_write, fs::perm_options::add);
                continue;
            }
        } else {
            scene.files.FailOperation("CreateTempFile", 1);
        }
        ASSERT_EQ(scene.Open(), 1);
        EXPECT_EQ(scene.TempName().compare(0, scene.temp.Slash().size() + 2, scene.temp.Slash() + "VL"), 0);
        scene.Rename("gone.txt", "here.txt", "stale line");
        const DescriptionResult result = scene.output.Finish();
        if (readOnly)
            fs::permissions(scene.work.Path(), fs::perms::owner_write, fs::perm_options::add);
        // A read-only folder cannot take the new file by any route: the old one stays.
        EXPECT_EQ(result.outcome, readOnly ? DescriptionOutcome::NotReplaced : DescriptionOutcome::Replaced);
        EXPECT_EQ(scene.work.ReadFile("Descript.ion"), readOnly ? kStale : "here.txt stale line\r\n");
        EXPECT_TRUE(scene.TempFiles().empty());
    }
}

}  // namespace
}  // namespace velmora
