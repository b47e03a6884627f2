// What only the real Windows system (or Wine) shows: case-insensitive names, the real read-only
// and hidden attributes, and registry values with their real types.
#if defined(_WIN32)
#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/Platform.hpp"
#include "support/FaultyFileSystem.hpp"
#include "support/HostRunner.hpp"
#include "support/TempDir.hpp"
#include "support/win32/Win32Support.hpp"

namespace velmora {
namespace {

using test::HostRunner;
using test::QueryStoredValue;
using test::StoredValue;
using test::TempDir;
using test::TestRegistryKey;

constexpr std::uint32_t kRegSz = 1;
constexpr std::uint32_t kRegDword = 4;

using test::SetAttributes;

TEST(Win32FileSystem, CaseOnlyRenameIsTheSameFile) {
    TempDir dir;
    ASSERT_TRUE(dir.WriteFile("a.txt", "alpha"));
    FileSystem& files = SystemFileSystem();
    EXPECT_TRUE(files.SameFile(dir.PathOf("a.txt"), dir.PathOf("A.TXT")));
    EXPECT_NE(files.Attributes(dir.PathOf("A.txt")), kNoAttributes);
    ASSERT_TRUE(files.MoveNoReplace(dir.PathOf("a.txt"), dir.PathOf("A.txt")));
    EXPECT_EQ(dir.ListNames(), (std::vector<std::string>{"A.txt"}));
    EXPECT_EQ(dir.ReadFile("A.txt"), "alpha");
}

TEST(Win32FileSystem, MoveNeverReplacesWhateverTheLetterCase) {
    TempDir dir;
    ASSERT_TRUE(dir.WriteFile("a.txt", "alpha"));
    ASSERT_TRUE(dir.WriteFile("b.txt", "beta"));
    FileSystem& files = SystemFileSystem();
    EXPECT_FALSE(files.SameFile(dir.PathOf("a.txt"), dir.PathOf("B.TXT")));
    EXPECT_TRUE(files.SameFile(dir.PathOf("b.txt"), dir.PathOf("B.TXT")));
    EXPECT_FALSE(files.MoveNoReplace(dir.PathOf("a.txt"), dir.PathOf("B.TXT")));
    EXPECT_EQ(dir.ListNames(), (std::vector<std::string>{"a.txt", "b.txt"}));
    EXPECT_EQ(dir.ReadFile("b.txt"), "beta");
}

TEST(Win32Host, CaseOnlyRenameThroughThePlugin) {
    TestRegistryKey key;
    HostRunner host;
    host.MakeFiles({"a.txt"});
    const test::HostResult result =
        host.Run({"--yes", "--mask", "A.%E", "--columns", "N", "--root-key", key.RootKey(), "a.txt"});
    EXPECT_EQ(result.status, 0) << result.err;
    EXPECT_TRUE(result.Boxes("FileExist").empty());
    EXPECT_EQ(host.Dir().ListNames(), (std::vector<std::string>{"A.txt"}));
}

TEST(Win32Host, OtherNameInOtherCaseStopsWithFileExist) {
    TestRegistryKey key;
    HostRunner host;
    host.MakeFiles({"a.txt", "b.txt"});
    const std::string before = host.Dir().ReadFile("b.txt");
    const test::HostResult result =
        host.Run({"--yes", "--mask", "B.TXT", "--columns", "N", "--root-key", key.RootKey(), "a.txt"});
    EXPECT_EQ(result.status, 1) << result.err;
    ASSERT_EQ(result.Boxes("FileExist").size(), 1u);
    EXPECT_NE(result.Boxes("FileExist")[0].find("B.TXT"), std::string::npos) << result.Boxes("FileExist")[0];
    EXPECT_EQ(host.Dir().ListNames(), (std::vector<std::string>{"a.txt", "b.txt"}));
    EXPECT_EQ(host.Dir().ReadFile("b.txt"), before);
}

// FAR 3 runs this plug-in through its support for old plug-ins and hands it every name and
// description in OEM ("??.txt"): a description file in Unicode is left exactly as it is, with a
// box that says so, and the renames go on.
TEST(Win32Host, UnicodeDescriptionFileIsLeftAsItIs) {
    // 写真.txt 旅行, b.txt Отпуск: the host reads the second line as OEM bytes and shows them.
    const std::string photo = "\xE5\x86\x99\xE7\x9C\x9F.txt \xE6\x97\x85\xE8\xA1\x8C\r\n";
    const std::string files[] = {
        "\xEF\xBB\xBF" + photo + "b.txt \xD0\x9E\xD1\x82\xD0\xBF\xD1\x83\xD1\x81\xD0\xBA\r\n",
        std::string("\xFF\xFEz\0.\0t\0x\0t\0 \0x\0\r\0\n\0", 20),
        std::string("\xFE\xFF\0a\0.\0t\0x\0t\0 \0x\0\r\0\n", 20),
    };
    for (const std::string& contents : files) {
        TestRegistryKey key;
        HostRunner host;
        host.MakeFiles({"a.txt", "b.txt"});
        ASSERT_TRUE(host.Dir().WriteFile("Descript.ion", contents));
        const test::HostResult result =
            host.Run({"--yes", "--mask", "%N_1.%E", "--save-descriptions", "1", "--columns", "N,Z",
                      "--root-key", key.RootKey(), "a.txt", "b.txt", "Descript.ion"});
        EXPECT_EQ(result.status, 1) << result.err;
        const std::vector<std::string> boxes = result.WarningBoxes();
        ASSERT_EQ(boxes.size(), 1u);
        EXPECT_NE(boxes[0].find("\"help\":\"DescUnicode\""), std::string::npos) << boxes[0];
        EXPECT_NE(boxes[0].find("Description file in Unicode left unchanged:\",\"Descript.ion\""),
                  std::string::npos)
            << boxes[0];
        EXPECT_EQ(host.Dir().ListNames(), (std::vector<std::string>{"Descript.ion", "a_1.txt", "b_1.txt"}));
        EXPECT_EQ(host.Dir().ReadFile("Descript.ion"), contents);
    }
}

TEST(Win32FileSystem, AttributesAreTheSystemsOwn) {
    TempDir dir;
    ASSERT_TRUE(dir.WriteFile("plain", "x"));
    ASSERT_TRUE(dir.WriteFile("locked", "x"));
    ASSERT_TRUE(dir.WriteFile("secret", "x"));
    ASSERT_TRUE(dir.MakeDirectory("folder"));
    ASSERT_TRUE(SetAttributes(dir.PathOf("locked"), kAttrReadOnly));
    ASSERT_TRUE(SetAttributes(dir.PathOf("secret"), kAttrHidden));
    FileSystem& files = SystemFileSystem();
    const std::uint32_t known = kAttrReadOnly | kAttrHidden | kAttrSystem | kAttrDirectory;
    struct Case {
        const char* name;
        std::uint32_t bits;  // of the known bits
    } const cases[] = {
        {"plain", 0},
        {"locked", kAttrReadOnly},
        {"secret", kAttrHidden},
        {"folder", kAttrDirectory},
    };
    for (const Case& c : cases) {
        const std::uint32_t attributes = files.Attributes(dir.PathOf(c.name));
        ASSERT_NE(attributes, kNoAttributes) << c.name;
        EXPECT_EQ(attributes & known, c.bits) << c.name;
    }
    EXPECT_EQ(files.Attributes(dir.PathOf("missing")), kNoAttributes);
    // The read-only file refuses deletion; the temporary directory's cleanup clears the bit.
    EXPECT_FALSE(files.Delete(dir.PathOf("locked")));
    ASSERT_TRUE(SetAttributes(dir.PathOf("locked"), 0));
}

TEST(Win32FileSystem, ReplaceKeepsHiddenAndRefusesReadOnly) {
    TempDir dir;
    FileSystem& files = SystemFileSystem();
    ASSERT_TRUE(dir.WriteFile("Descript.ion", "old\r\n"));
    ASSERT_TRUE(SetAttributes(dir.PathOf("Descript.ion"), kAttrHidden));
    ASSERT_TRUE(dir.WriteFile("new.tmp", "new\r\n"));
    ASSERT_TRUE(files.ReplaceAtomically(dir.PathOf("new.tmp"), dir.PathOf("Descript.ion")));
    EXPECT_EQ(dir.ReadFile("Descript.ion"), "new\r\n");
    EXPECT_NE(files.Attributes(dir.PathOf("Descript.ion")) & kAttrHidden, 0u);
    EXPECT_FALSE(dir.Exists("new.tmp"));

    ASSERT_TRUE(SetAttributes(dir.PathOf("Descript.ion"), kAttrReadOnly));
    ASSERT_TRUE(dir.WriteFile("newer.tmp", "newer\r\n"));
    EXPECT_FALSE(files.ReplaceAtomically(dir.PathOf("newer.tmp"), dir.PathOf("Descript.ion")));
    EXPECT_EQ(dir.ReadFile("Descript.ion"), "new\r\n");
    EXPECT_TRUE(dir.Exists("newer.tmp"));
    ASSERT_TRUE(SetAttributes(dir.PathOf("Descript.ion"), 0));
}

TEST(Win32FileSystem, TemporaryFilesAndWrites) {
    FileSystem& files = SystemFileSystem();
    const std::string temp = files.TempDirectory();
    ASSERT_FALSE(temp.empty());
    EXPECT_EQ(temp.back(), '\\');

    TempDir dir;
    const std::string name = test::CreatedTempFile(files, dir.Slash(), "VL");
    ASSERT_FALSE(name.empty());
    const std::string bare = name.substr(name.find_last_of("\\/") + 1);
    EXPECT_EQ(bare.rfind("VL", 0), 0u) << bare;
    EXPECT_EQ(bare.substr(bare.size() - 4), ".tmp") << bare;
    EXPECT_EQ(dir.ReadFile(bare), "");
    // The next name is another file: the first one is taken now.
    const std::string second = test::CreatedTempFile(files, dir.Slash(), "VL");
    EXPECT_NE(second, name);

    std::unique_ptr<WritableFile> out = test::OpenedForWriting(files, name);
    ASSERT_TRUE(out);
    EXPECT_TRUE(out->Write("a b\r\n", 5));
    EXPECT_TRUE(out->Write("", 0));
    std::uint64_t size = 0;
    ASSERT_TRUE(out->Size(&size));
    EXPECT_EQ(size, 5u);
    EXPECT_TRUE(out->Close());
    EXPECT_EQ(dir.ReadFile(bare), "a b\r\n");
    EXPECT_TRUE(files.Delete(name));
    EXPECT_FALSE(files.Delete(name));
}

TEST(Win32Registry, ValuesHaveTheirRealTypes) {
    TestRegistryKey key;
    Registry& registry = SystemRegistry();
    const std::string path = key.Path() + "\\Velmora";
    ASSERT_TRUE(registry.WriteString(path, "velmora", "IMG_%#.%E"));
    ASSERT_TRUE(registry.WriteDword(path, "WithoutZero", 0x01020304));

    StoredValue value;
    ASSERT_TRUE(QueryStoredValue(path, "velmora", &value));
    EXPECT_EQ(value.type, kRegSz);
    EXPECT_EQ(value.bytes, std::string("IMG_%#.%E", 10));  // terminator stored too
    ASSERT_TRUE(QueryStoredValue(path, "WithoutZero", &value));
    EXPECT_EQ(value.type, kRegDword);
    EXPECT_EQ(value.bytes, std::string("\x04\x03\x02\x01", 4));

    std::string bytes;
    ASSERT_TRUE(registry.Read(path, "velmora", 260, &bytes));
    EXPECT_EQ(bytes, std::string("IMG_%#.%E", 10));
    // Exactly the stored size fits; one byte less does not.
    EXPECT_TRUE(registry.Read(path, "velmora", 10, &bytes));
    EXPECT_FALSE(registry.Read(path, "velmora", 9, &bytes));
    EXPECT_FALSE(registry.Read(path, "missing", 260, &bytes));
    EXPECT_FALSE(registry.Read(key.Path() + "\\Nowhere", "velmora", 260, &bytes));
}

TEST(Win32Host, OptionsAreStoredAsStringsAndNumbers) {
    TestRegistryKey key;
    HostRunner host;
    host.MakeFiles({"a.txt"});
    const test::HostResult result =
        host.Run({"--yes", "--mask", "%N_%#.%E", "--start", "007", "--without-zero", "1", "--columns", "N",
                  "--root-key", key.RootKey(), "a.txt"});
    EXPECT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(host.Dir().ListNames(), (std::vector<std::string>{"a_7.txt"}));
    const std::string path = key.RootKey() + "\\Velmora";
    struct Case {
        const char* name;
        std::uint32_t type;
        std::string bytes;
    } const cases[] = {
        {"velmora", kRegSz, std::string("%N_%#.%E", 9)},
        {"number", kRegSz, std::string("007", 4)},
        {"WithoutZero", kRegDword, std::string("\x01\0\0\0", 4)},
        {"SaveDescription", kRegDword, std::string(4, '\0')},
    };
    for (const Case& c : cases) {
        StoredValue value;
        ASSERT_TRUE(QueryStoredValue(path, c.name, &value)) << c.name;
        EXPECT_EQ(value.type, c.type) << c.name;
        EXPECT_EQ(value.bytes, c.bytes) << c.name;
    }
}

}  // namespace
}  // namespace velmora
#endif
