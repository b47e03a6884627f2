#if !defined(_WIN32)

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/time.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "platform/HostSystem.hpp"
#include "platform/Platform.hpp"
#include "support/FaultyFileSystem.hpp"
#include "support/TempDir.hpp"

namespace velmora {
namespace {

using test::FaultyFileSystem;
using test::TempDir;

// Sets an environment variable for one test and puts the old value back.
class EnvironmentOverride {
public:
    EnvironmentOverride(const char* name, const char* value) : name_(name) {
        const char* old = std::getenv(name);
        hadOld_ = old != nullptr;
        if (old)
            old_ = old;
        if (value) {
            setenv(name, value, 1);
        } else {
            unsetenv(name);
        }
    }
    ~EnvironmentOverride() {
        if (hadOld_) {
            setenv(name_.c_str(), old_.c_str(), 1);
        } else {
            unsetenv(name_.c_str());
        }
    }

private:
    std::string name_;
    std::string old_;
    bool hadOld_ = false;
};

bool IsSymlink(const std::string& path) {
    struct stat status {};
    return lstat(path.c_str(), &status) == 0 && S_ISLNK(status.st_mode);
}

TEST(PosixFileSystem, AttributeMapping) {
    TempDir dir;
    ASSERT_TRUE(dir.WriteFile("plain.txt", "x"));
    ASSERT_TRUE(dir.WriteFile(".profile", "x"));
    ASSERT_TRUE(dir.WriteFile("locked.txt", "x"));
    ASSERT_TRUE(dir.WriteFile(".locked", "x"));
    ASSERT_TRUE(dir.MakeDirectory("sub"));
    ASSERT_TRUE(dir.MakeDirectory(".cache"));
    ASSERT_TRUE(dir.MakeDirectory("frozen"));
    ASSERT_EQ(0, chmod(dir.PathOf("locked.txt").c_str(), 0444));
    ASSERT_EQ(0, chmod(dir.PathOf(".locked").c_str(), 0400));
    ASSERT_EQ(0, chmod(dir.PathOf("frozen").c_str(), 0555));
    ASSERT_EQ(0, symlink("nowhere", dir.PathOf("dangling").c_str()));
    ASSERT_EQ(0, symlink("sub", dir.PathOf("tosub").c_str()));

    const struct {
        std::string name;
        std::uint32_t expected;
    } cases[] = {
        {"plain.txt", kAttrArchive},
        {".profile", kAttrHidden},
        {"locked.txt", kAttrReadOnly},
        {".locked", kAttrReadOnly | kAttrHidden},
        {"sub", kAttrDirectory},
        {"sub/", kAttrDirectory},
        {".cache", kAttrDirectory | kAttrHidden},
        {".cache//", kAttrDirectory | kAttrHidden},
        {"frozen", kAttrDirectory | kAttrReadOnly},
        {"tosub", kAttrDirectory},   // links are followed
        {"dangling", kAttrArchive},  // the name is taken even though the target is missing
        {"missing", kNoAttributes},
        {"sub/missing", kNoAttributes},
        {"plain.txt/x", kNoAttributes},
        {"sub/..", kAttrDirectory},  // "." and ".." are not hidden names
        {"sub/.", kAttrDirectory},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(c.expected, SystemFileSystem().Attributes(dir.PathOf(c.name))) << c.name;
    }
    EXPECT_EQ(kNoAttributes, SystemFileSystem().Attributes(""));
}

TEST(PosixFileSystem, MoveNeverReplaces) {
    // 0: renameat2 itself; else the fallback of a file system without it (EINVAL) or of a
    // kernel without the call (ENOSYS).
    FileSystem& files = SystemFileSystem();
    for (int refusal : {0, EINVAL, ENOSYS}) {
        SCOPED_TRACE(refusal);
        std::optional<test::ScopedRenameFallback> fallback;
        if (refusal != 0)
            fallback.emplace(refusal);
        files.NewBatch();
        TempDir dir;
        ASSERT_TRUE(dir.WriteFile("a", "first"));
        ASSERT_TRUE(dir.WriteFile("b", "second"));
        FileResult refused = files.MoveNoReplace(dir.PathOf("a"), dir.PathOf("b"));
        EXPECT_FALSE(refused);
        EXPECT_TRUE(refused.TargetExists());
        EXPECT_EQ("first", dir.ReadFile("a"));
        EXPECT_EQ("second", dir.ReadFile("b"));

        // A dangling link still holds its name.
        ASSERT_EQ(0, symlink("nowhere", dir.PathOf("link").c_str()));
        EXPECT_TRUE(files.MoveNoReplace(dir.PathOf("a"), dir.PathOf("link")).TargetExists());
        EXPECT_TRUE(IsSymlink(dir.PathOf("link")));
        EXPECT_FALSE(dir.Exists("nowhere"));

        EXPECT_TRUE(files.MoveNoReplace(dir.PathOf("a"), dir.PathOf("c")));
        EXPECT_EQ((std::vector<std::string>{"b", "c", "link"}), dir.ListNames());
        EXPECT_EQ("first", dir.ReadFile("c"));

        // Directories cannot be linked: the fallback checks, then renames.
        ASSERT_TRUE(dir.MakeDirectory("d"));
        EXPECT_TRUE(files.MoveNoReplace(dir.PathOf("d"), dir.PathOf("e")));
        EXPECT_EQ(kAttrDirectory, files.Attributes(dir.PathOf("e")));
        EXPECT_TRUE(files.MoveNoReplace(dir.PathOf("e"), dir.PathOf("b")).TargetExists());
        refused = files.MoveNoReplace(dir.PathOf("missing"), dir.PathOf("f"));
        EXPECT_FALSE(refused);
        EXPECT_FALSE(refused.TargetExists());
        EXPECT_TRUE(files.MoveNoReplace(dir.PathOf("b"), dir.PathOf("b")).TargetExists());
        EXPECT_EQ("second", dir.ReadFile("b"));
        EXPECT_EQ((std::vector<std::string>{"b", "c", "e", "link"}), dir.ListNames());
        if (fallback) {
            // Once refused in a folder, the one-step rename is not tried there again.
            EXPECT_EQ(1, fallback->Refusals());
        }
    }
}

TEST(PosixFileSystem, CaseOnlyRenameOnCaseSensitiveNames) {
    FileSystem& files = SystemFileSystem();
    TempDir dir;
    ASSERT_TRUE(dir.WriteFile("a.txt", "lower"));
    ASSERT_TRUE(dir.WriteFile("A.txt", "upper"));
    EXPECT_FALSE(files.SameFile(dir.PathOf("a.txt"), dir.PathOf("A.txt")));
    EXPECT_FALSE(files.MoveNoReplace(dir.PathOf("a.txt"), dir.PathOf("A.txt")));
    EXPECT_EQ("lower", dir.ReadFile("a.txt"));
    EXPECT_EQ("upper", dir.ReadFile("A.txt"));

    ASSERT_TRUE(files.Delete(dir.PathOf("A.txt")));
    EXPECT_TRUE(files.MoveNoReplace(dir.PathOf("a.txt"), dir.PathOf("A.txt")));
    EXPECT_EQ((std::vector<std::string>{"A.txt"}), dir.ListNames());
}

TEST(PosixFileSystem, SameFile) {
    FileSystem& files = SystemFileSystem();
    TempDir dir;
    ASSERT_TRUE(dir.WriteFile("a", "x"));
    ASSERT_TRUE(dir.WriteFile("b", "x"));
    ASSERT_EQ(0, link(dir.PathOf("a").c_str(), dir.PathOf("hard").c_str()));
    EXPECT_TRUE(files.SameFile(dir.PathOf("a"), dir.PathOf("a")));
    EXPECT_TRUE(files.SameFile(dir.PathOf("a"), dir.Path() + "/./a"));
    EXPECT_TRUE(files.SameFile(dir.PathOf("a"), dir.PathOf("hard")));
    EXPECT_FALSE(files.SameFile(dir.PathOf("a"), dir.PathOf("b")));
    EXPECT_FALSE(files.SameFile(dir.PathOf("a"), dir.PathOf("missing")));
    EXPECT_FALSE(files.SameFile(dir.PathOf("missing"), dir.PathOf("missing")));
}

TEST(PosixFileSystem, DeleteLikeDeleteFile) {
    FileSystem& files = SystemFileSystem();
    TempDir dir;
    ASSERT_TRUE(dir.WriteFile("file", "x"));
    ASSERT_TRUE(dir.WriteFile("readonly", "keep"));
    ASSERT_EQ(0, chmod(dir.PathOf("readonly").c_str(), 0444));
    ASSERT_TRUE(dir.MakeDirectory("dir"));
    ASSERT_TRUE(dir.WriteFile("target", "kept"));
    ASSERT_EQ(0, symlink("target", dir.PathOf("link").c_str()));

    EXPECT_TRUE(files.Delete(dir.PathOf("file")));
    EXPECT_FALSE(files.Delete(dir.PathOf("file")));
    EXPECT_FALSE(files.Delete(dir.PathOf("readonly")));
    EXPECT_EQ("keep", dir.ReadFile("readonly"));
    EXPECT_FALSE(files.Delete(dir.PathOf("dir")));
    EXPECT_TRUE(dir.Exists("dir"));
    EXPECT_TRUE(files.Delete(dir.PathOf("link")));  // the link goes, its target stays
    EXPECT_EQ((std::vector<std::string>{"dir", "readonly", "target"}), dir.ListNames());
}

TEST(PosixFileSystem, TempDirectoryFromEnvironment) {
    FileSystem& files = SystemFileSystem();
    TempDir dir;
    {
        EnvironmentOverride tmp("TMPDIR", dir.Path().c_str());
        EXPECT_EQ(dir.Path() + "/", files.TempDirectory());
    }
    {
        EnvironmentOverride tmp("TMPDIR", (dir.Path() + "/").c_str());
        EXPECT_EQ(dir.Path() + "/", files.TempDirectory());
    }
    {
        EnvironmentOverride tmp("TMPDIR", dir.PathOf("missing").c_str());
        EXPECT_EQ("", files.TempDirectory());
    }
    ASSERT_TRUE(dir.WriteFile("file", ""));
    {
        EnvironmentOverride tmp("TMPDIR", dir.PathOf("file").c_str());
        EXPECT_EQ("", files.TempDirectory());
    }
    {
        EnvironmentOverride tmp("TMPDIR", nullptr);
        EXPECT_EQ("/tmp/", files.TempDirectory());
    }
    {
        EnvironmentOverride tmp("TMPDIR", "");
        EXPECT_EQ("/tmp/", files.TempDirectory());
    }
}

bool IsTempName(const std::string& name, const std::string& prefix) {
    const std::string suffix = ".tmp";
    if (name.size() <= prefix.size() + suffix.size())
        return false;
    if (name.compare(0, prefix.size(), prefix) != 0)
        return false;
    if (name.compare(name.size() - suffix.size(), suffix.size(), suffix) != 0)
        return false;
    const std::string digits = name.substr(prefix.size(), name.size() - prefix.size() - suffix.size());
    return digits.size() <= 4 && digits.find_first_not_of("0123456789ABCDEF") == std::string::npos;
}

TEST(PosixFileSystem, CreateTempFileIsExclusive) {
    FileSystem& files = SystemFileSystem();
    TempDir dir;
    const std::string first = test::CreatedTempFile(files, dir.Slash(), "VL");
    const std::string second = test::CreatedTempFile(files, dir.Path(), "VL");  // separator added
    ASSERT_FALSE(first.empty());
    ASSERT_FALSE(second.empty());
    EXPECT_NE(first, second);
    EXPECT_EQ(dir.Slash(), first.substr(0, dir.Slash().size()));
    EXPECT_TRUE(IsTempName(first.substr(dir.Slash().size()), "VL")) << first;
    EXPECT_TRUE(IsTempName(second.substr(dir.Slash().size()), "VL")) << second;
    EXPECT_EQ(2u, dir.ListNames().size());
    EXPECT_EQ("", dir.ReadFile(first.substr(dir.Slash().size())));

    // Numbers are taken in turn; plant a link at the name that comes next.
    const std::string lastName = second.substr(dir.Slash().size());
    const unsigned last = std::stoul(lastName.substr(2, lastName.size() - 6), nullptr, 16);
    char next[32];
    std::snprintf(next, sizeof next, "VL%X.tmp", (last + 1) & 0xFFFF ? (last + 1) & 0xFFFF : 1);
    ASSERT_EQ(0, symlink(dir.PathOf("victim").c_str(), dir.PathOf(next).c_str()));
    const std::string third = test::CreatedTempFile(files, dir.Path(), "VL");
    ASSERT_FALSE(third.empty());
    EXPECT_NE(dir.PathOf(next), third);
    EXPECT_FALSE(dir.Exists("victim"));
    EXPECT_TRUE(IsSymlink(dir.PathOf(next)));

    EXPECT_EQ("", test::CreatedTempFile(files, dir.PathOf("missing"), "VL"));
}

TEST(PosixFileSystem, WritableFile) {
    FileSystem& files = SystemFileSystem();
    TempDir dir;
    ASSERT_TRUE(dir.WriteFile("out", "old contents that are longer"));
    std::unique_ptr<WritableFile> file = test::OpenedForWriting(files, dir.PathOf("out"));
    ASSERT_TRUE(file);
    std::uint64_t size = 99;
    ASSERT_TRUE(file->Size(&size));
    EXPECT_EQ(0u, size);  // truncated on opening
    const std::string big(3 * 1024 * 1024 + 7, '\xA7');
    EXPECT_TRUE(file->Write("head\r\n", 6));
    EXPECT_TRUE(file->Write(big.data(), big.size()));
    EXPECT_TRUE(file->Write("", 0));
    ASSERT_TRUE(file->Size(&size));
    EXPECT_EQ(6 + big.size(), size);
    EXPECT_TRUE(file->Close());
    EXPECT_FALSE(file->Write("x", 1));
    EXPECT_FALSE(file->Close());
    EXPECT_EQ("head\r\n" + big, dir.ReadFile("out"));

    // A link planted at the name is not followed.
    ASSERT_TRUE(dir.WriteFile("victim", "safe"));
    ASSERT_EQ(0, symlink(dir.PathOf("victim").c_str(), dir.PathOf("trap").c_str()));
    EXPECT_FALSE(test::OpenedForWriting(files, dir.PathOf("trap")));
    EXPECT_EQ("safe", dir.ReadFile("victim"));
    EXPECT_FALSE(test::OpenedForWriting(files, dir.PathOf("missing/out")));
    {
        std::unique_ptr<WritableFile> dropped = test::OpenedForWriting(files, dir.PathOf("dropped"));
        ASSERT_TRUE(dropped);
        EXPECT_TRUE(dropped->Write("abc", 3));
    }  // closed by the destructor
    EXPECT_EQ("abc", dir.ReadFile("dropped"));
}

TEST(PosixFileSystem, ReplaceAtomically) {
    FileSystem& files = SystemFileSystem();
    TempDir dir;
    ASSERT_TRUE(dir.WriteFile("new", "new text"));
    ASSERT_TRUE(dir.WriteFile("Descript.ion", "old text"));
    EXPECT_TRUE(files.ReplaceAtomically(dir.PathOf("new"), dir.PathOf("Descript.ion")));
    EXPECT_EQ((std::vector<std::string>{"Descript.ion"}), dir.ListNames());
    EXPECT_EQ("new text", dir.ReadFile("Descript.ion"));

    ASSERT_TRUE(dir.WriteFile("new", "fresh"));
    EXPECT_TRUE(files.ReplaceAtomically(dir.PathOf("new"), dir.PathOf("Files.bbs")));
    EXPECT_EQ("fresh", dir.ReadFile("Files.bbs"));
    EXPECT_FALSE(dir.Exists("new"));

    // Windows will not replace a read-only file, and neither will this.
    ASSERT_TRUE(dir.WriteFile("new", "fresh"));
    ASSERT_EQ(0, chmod(dir.PathOf("Files.bbs").c_str(), 0444));
    EXPECT_FALSE(files.ReplaceAtomically(dir.PathOf("new"), dir.PathOf("Files.bbs")));
    EXPECT_EQ("fresh", dir.ReadFile("Files.bbs"));
    EXPECT_TRUE(dir.Exists("new"));

    ASSERT_TRUE(dir.MakeDirectory("folder"));
    EXPECT_FALSE(files.ReplaceAtomically(dir.PathOf("new"), dir.PathOf("folder")));
    EXPECT_FALSE(files.ReplaceAtomically(dir.PathOf("missing"), dir.PathOf("Descript.ion")));
    EXPECT_EQ("new text", dir.ReadFile("Descript.ion"));
    EXPECT_EQ((std::vector<std::string>{"Descript.ion", "Files.bbs", "folder", "new"}), dir.ListNames());
}

// Moves between two file systems, where the system is available: /dev/shm is memory backed.
TEST(PosixFileSystem, AcrossFileSystems) {
    TempDir disk;
    std::unique_ptr<TempDir> memory;
    {
        EnvironmentOverride tmp("TMPDIR", "/dev/shm");
        memory = std::make_unique<TempDir>();
    }
    struct stat a {};
    struct stat b {};
    if (memory->Path().empty() || stat(disk.Path().c_str(), &a) != 0 ||
        stat(memory->Path().c_str(), &b) != 0 || a.st_dev == b.st_dev) {
        GTEST_SKIP() << "no second file system";
    }
    FileSystem& files = SystemFileSystem();
    ASSERT_TRUE(disk.WriteFile("a", "moved"));
    ASSERT_EQ(0, chmod(disk.PathOf("a").c_str(), 0640));
    ASSERT_TRUE(memory->WriteFile("b", "taken"));
    EXPECT_FALSE(files.MoveNoReplace(disk.PathOf("a"), memory->PathOf("b")));
    EXPECT_EQ("taken", memory->ReadFile("b"));
    EXPECT_TRUE(files.MoveNoReplace(disk.PathOf("a"), memory->PathOf("c")));
    EXPECT_FALSE(disk.Exists("a"));
    EXPECT_EQ("moved", memory->ReadFile("c"));
    struct stat moved {};
    ASSERT_EQ(0, stat(memory->PathOf("c").c_str(), &moved));
    EXPECT_EQ(0640u, moved.st_mode & 0777);

    ASSERT_TRUE(disk.MakeDirectory("dir"));
    EXPECT_FALSE(files.MoveNoReplace(disk.PathOf("dir"), memory->PathOf("dir")));
    EXPECT_TRUE(disk.Exists("dir"));

    ASSERT_TRUE(disk.WriteFile("desc", "replacement"));
    EXPECT_TRUE(files.ReplaceAtomically(disk.PathOf("desc"), memory->PathOf("b")));
    EXPECT_EQ("replacement", memory->ReadFile("b"));
    EXPECT_FALSE(disk.Exists("desc"));
    EXPECT_EQ((std::vector<std::string>{"b", "c"}), memory->ListNames());  // no copy left behind
}

TEST(FaultyFileSystem, LogsAndFailsChosenOperations) {
    TempDir dir;
    FaultyFileSystem faulty;
    test::ScopedFileSystem installed(&faulty);
    ASSERT_TRUE(dir.WriteFile("a", "x"));

    faulty.FailOperation("Write", 2);
    faulty.FailOperation(4);
    EXPECT_EQ(kAttrArchive, Files().Attributes(dir.PathOf("a")));
    std::unique_ptr<WritableFile> file = test::OpenedForWriting(Files(), dir.PathOf("out"));
    ASSERT_TRUE(file);
    EXPECT_TRUE(file->Write("one", 3));
    EXPECT_FALSE(file->Write("two", 3));  // 2nd write and 4th operation
    EXPECT_TRUE(file->Write("three", 5));
    EXPECT_TRUE(file->Close());
    EXPECT_EQ("onethree", dir.ReadFile("out"));
    EXPECT_TRUE(Files().MoveNoReplace(dir.PathOf("a"), dir.PathOf("b")));

    const std::vector<std::string> expected = {
        "Attributes(" + dir.PathOf("a") + ")",
        "OpenForWriting(" + dir.PathOf("out") + ")",
        "Write(" + dir.PathOf("out") + ")",
        "Write(" + dir.PathOf("out") + ") -> injected failure",
        "Write(" + dir.PathOf("out") + ")",
        "Close(" + dir.PathOf("out") + ")",
        "MoveNoReplace(" + dir.PathOf("a") + "," + dir.PathOf("b") + ")",
    };
    EXPECT_EQ(expected, faulty.Log());
    EXPECT_EQ(3, faulty.Count("Write"));

    // Failures leave the files as a failing system call would.
    faulty.FailEvery("MoveNoReplace");
    faulty.FailOperation("Delete", 1);
    faulty.FailOperation("Close", 1);
    faulty.SetPartialWrites(true);
    faulty.FailOperation("Write", 1);
    EXPECT_FALSE(Files().MoveNoReplace(dir.PathOf("b"), dir.PathOf("c")));
    EXPECT_FALSE(Files().MoveNoReplace(dir.PathOf("b"), dir.PathOf("c")));
    EXPECT_FALSE(Files().Delete(dir.PathOf("b")));
    EXPECT_TRUE(dir.Exists("b"));
    file = test::OpenedForWriting(Files(), dir.PathOf("out"));
    ASSERT_TRUE(file);
    EXPECT_FALSE(file->Write("abcdef", 6));
    EXPECT_FALSE(file->Close());
    EXPECT_EQ("abc", dir.ReadFile("out"));
    EXPECT_TRUE(Files().Delete(dir.PathOf("b")));
    EXPECT_EQ((std::vector<std::string>{"out"}), dir.ListNames());
}

TEST(HostSystem, ReadDirectory) {
    TempDir dir;
    ASSERT_TRUE(dir.WriteFile("file.txt", "12345"));
    ASSERT_TRUE(dir.WriteFile(".hidden", ""));
    ASSERT_TRUE(dir.MakeDirectory("sub"));
    ASSERT_EQ(0, symlink("nowhere", dir.PathOf("dangling").c_str()));
    // 2001-09-09 01:46:40 UTC, half a second in.
    const struct timeval times[2] = {{1000000000, 500000}, {1000000000, 500000}};
    ASSERT_EQ(0, utimes(dir.PathOf("file.txt").c_str(), times));

    std::vector<host::DirectoryEntry> entries;
    std::string error;
    ASSERT_TRUE(host::ReadDirectory(dir.Path(), &entries, &error)) << error;
    std::map<std::string, host::DirectoryEntry> byName;
    for (const auto& entry : entries)
        byName[entry.name] = entry;
    ASSERT_EQ(4u, byName.size());
    EXPECT_EQ(kAttrArchive, byName["file.txt"].attributes);
    EXPECT_EQ(5u, byName["file.txt"].size);
    EXPECT_EQ((1000000000ull + 11644473600ull) * 10000000ull + 5000000ull, byName["file.txt"].writeTime);
    EXPECT_EQ(kAttrHidden, byName[".hidden"].attributes);
    EXPECT_EQ(kAttrDirectory, byName["sub"].attributes);
    EXPECT_EQ(kAttrArchive, byName["dangling"].attributes);

    EXPECT_FALSE(host::ReadDirectory(dir.PathOf("missing"), &entries, &error));
    EXPECT_EQ("opendir(" + dir.PathOf("missing") + "): No such file or directory", error);
}

TEST(HostSystem, SmallServices) {
    TempDir dir;
    ASSERT_TRUE(dir.WriteFile("data", std::string("a\0b", 3)));
    std::string contents;
    std::string error;
    ASSERT_TRUE(host::ReadWholeFile(dir.PathOf("data"), &contents, &error));
    EXPECT_EQ(std::string("a\0b", 3), contents);
    EXPECT_FALSE(host::ReadWholeFile(dir.PathOf("missing"), &contents, &error));
    EXPECT_EQ("open(" + dir.PathOf("missing") + "): No such file or directory", error);
    EXPECT_FALSE(host::ChangeDirectory(dir.PathOf("data"), &error));
    EXPECT_EQ("chdir(" + dir.PathOf("data") + "): Not a directory", error);

    const std::string executable = host::ExecutableDirectory();
    ASSERT_FALSE(executable.empty());
    EXPECT_EQ('/', executable.back());
    EXPECT_EQ(kAttrDirectory, SystemFileSystem().Attributes(executable) & kAttrDirectory);

    host::Module module;
    EXPECT_FALSE(module.Load(dir.PathOf("data"), &error));
    EXPECT_EQ(0u, error.find("dlopen(" + dir.PathOf("data") + "): "));
    EXPECT_EQ(nullptr, module.Symbol("OpenPlugin"));

    const std::uint64_t before = SystemClock().Milliseconds();
    usleep(20000);
    EXPECT_GE(SystemClock().Milliseconds() - before, 19u);
    {
        EnvironmentOverride variable("VELMORA_TEST_VARIABLE", "value");
        EXPECT_EQ("value", host::Environment("VELMORA_TEST_VARIABLE"));
    }
    EXPECT_EQ("", host::Environment("VELMORA_TEST_VARIABLE"));
}

}  // namespace
}  // namespace velmora

#endif  // !defined(_WIN32)
