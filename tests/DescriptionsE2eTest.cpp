// Whole runs with the description switch on: what ends up on disk when the batch is stopped,
// skipped, refused or has nothing to describe.
#include <gtest/gtest.h>

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "far/FarAbi.hpp"
#include "support/Env.hpp"
#include "support/FaultyFileSystem.hpp"
#include "support/HostRunner.hpp"

namespace velmora::test {
namespace {

std::vector<std::string> SaveRun(std::vector<std::string> names, const std::string& mask) {
    std::vector<std::string> args = {"--yes", "--save-descriptions", "1", "--mask", mask};
    args.insert(args.end(), names.begin(), names.end());
    return args;
}

// Stopped at the third of five files: the two renamed files' lines take their new names, and every
// other line stays as it was, the one of a file that is gone among them.
TEST(DescriptionsE2e, StopMidBatchStillRewritesTheFile) {
    HostRunner host;
    host.MakeFiles({"a", "b", "c", "d", "e", "x2"});
    host.Dir().WriteFile("Descript.ion",
                         "a about a\r\nb about b\r\nc about c\r\nd about d\r\ne about e\r\n"
                         "gone stale line\r\n");
    // The third file's new name, x2, is taken.
    HostResult result = host.Run(SaveRun({"a", "b", "c", "d", "e"}, "x%#"));
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(result.Boxes("FileExist").size(), 1u);
    EXPECT_EQ(host.Dir().ListNames(),
              (std::vector<std::string>{"Descript.ion", "c", "d", "e", "x0", "x1", "x2"}));
    EXPECT_EQ(host.Dir().ReadFile("Descript.ion"),
              "x0 about a\r\nx1 about b\r\nc about c\r\nd about d\r\ne about e\r\ngone stale line\r\n");
}

// Lines the panel does not show (a file that is gone, a name too long for a panel item) survive
// the run byte for byte, and so do lines in the code page the host read the file in: far2l reads a
// file without a mark in CP866 (under C and C.UTF-8), and a file in UTF-8 by its bytes.
TEST(DescriptionsE2e, EveryLineSurvivesInItsCodePage) {
    ScopedEnv locale("LC_ALL", "C.UTF-8");
    const std::string vacation = "\xD0\x9E\xD1\x82\xD0\xBF\xD1\x83\xD1\x81\xD0\xBA";  // Отпуск
    const std::string summer = "\xD0\x9B\xD0\xB5\xD1\x82\xD0\xBE\xD0\xBC";            // Летом
    const std::string longName(300, 'l');
    const std::string others = longName + " too long for a panel\r\nghost.txt " + summer + "\r\n";
    struct Case {
        const char* what;
        std::string before, after;
    };
    std::vector<Case> cases = {
        {"lines the panel does not show", "a.jpg Alpha\r\n" + others, "b.jpg Alpha\r\n" + others}};
    if (far::kHostStringsAreUtf8) {
        const std::string cp866Vacation = "\x8E\xE2\xAF\xE3\xE1\xAA";
        const std::string cp866Summer = "\x8B\xA5\xE2\xAE\xAC";
        cases.push_back({"UTF-8 without a mark", vacation + ".jpg " + summer + "\r\n" + others,
                         "b.jpg " + summer + "\r\n" + others});
        cases.push_back({"CP866", cp866Vacation + ".jpg " + cp866Summer + "\r\n" + others,
                         "b.jpg " + cp866Summer + "\r\n" + others});
        cases.push_back({"UTF-8 with a mark", "\xEF\xBB\xBF" + vacation + ".jpg " + summer + "\r\n" + others,
                         "\xEF\xBB\xBF"
                         "b.jpg " +
                             summer + "\r\n" + others});
    }
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        HostRunner host;
        const std::string old = c.what == cases[0].what ? "a.jpg" : vacation + ".jpg";
        host.MakeFiles({old});
        host.Dir().WriteFile("Descript.ion", c.before);
        const HostResult result = host.Run(SaveRun({old}, "b.jpg"));
        EXPECT_EQ(result.status, 0) << result.err;
        EXPECT_TRUE(host.Dir().ReadFile("Descript.ion") == c.after) << host.Dir().ReadFile("Descript.ion");
    }
}

// A file whose new name equals its old one is skipped, and the description file is left exactly
// as it was.
TEST(DescriptionsE2e, KeepingTheNameLeavesTheFileAlone) {
    HostRunner host;
    host.MakeFiles({"a.txt", "b.txt"});
    host.Dir().WriteFile("Descript.ion", "b.txt about b\r\na.txt about a\r\nold.txt stale\r\n");
    HostResult result = host.Run(SaveRun({"a.txt"}, "%F"));
    EXPECT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(host.Dir().ReadFile("Descript.ion"), "b.txt about b\r\na.txt about a\r\nold.txt stale\r\n");
}

// Nothing described before or after: the stale file stays exactly as it was, and with no file
// at all none is created.
TEST(DescriptionsE2e, NothingDescribedLeavesTheFileAlone) {
    HostRunner host;
    host.MakeFiles({"a.txt"});
    host.Dir().WriteFile("Descript.ion", "gone.txt stale\r\n");
    EXPECT_EQ(host.Run(SaveRun({"a.txt"}, "b.txt")).status, 0);
    EXPECT_EQ(host.Dir().ReadFile("Descript.ion"), "gone.txt stale\r\n");

    HostRunner bare;
    bare.MakeFiles({"a.txt"});
    EXPECT_EQ(bare.Run(SaveRun({"a.txt"}, "b.txt")).status, 0);
    EXPECT_EQ(bare.Dir().ListNames(), std::vector<std::string>{"b.txt"});
}

// The description file among the selected items is the one being rebuilt: it keeps its name,
// the counter still follows positions, and every description survives in every language. A run
// without descriptions renames it like any other file.
TEST(DescriptionsE2e, DescriptionFileInTheSelectionKeepsItsName) {
    const std::string photo = "\xD1\x84\xD0\xBE\xD1\x82\xD0\xBE.txt";                // фото.txt
    const std::string holiday = "\xD0\x9E\xD1\x82\xD0\xBF\xD1\x83\xD1\x81\xD0\xBA";  // Отпуск
    const std::string trip = "\xE6\x97\x85\xE8\xA1\x8C \xF0\x9F\x8F\x94";            // 旅行 and a mountain
    const std::string listing = "a.txt " + trip + "\r\n" + photo + " " + holiday + "\r\n";
    HostRunner host;
    host.MakeFiles({"a.txt", photo});
    host.Dir().WriteFile("Descript.ion", listing);
    HostResult result = host.Run({"--yes", "--save-descriptions", "1", "--mask", "x_%#.%E", "--all"});
    EXPECT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(host.Dir().ListNames(), (std::vector<std::string>{"Descript.ion", "x_1.txt", "x_2.txt"}));
    const std::string written = host.Dir().ReadFile("Descript.ion");
    // A file that is UTF-8 as it stands stays so, without a mark.
    EXPECT_EQ(written, "x_1.txt " + trip + "\r\nx_2.txt " + holiday + "\r\n");

    HostRunner plain;
    plain.MakeFiles({"a.txt"});
    plain.Dir().WriteFile("Descript.ion", "a.txt about a\r\n");
    EXPECT_EQ(plain.Run({"--yes", "--mask", "x_%#.%E", "--all"}).status, 0);
    EXPECT_EQ(plain.Dir().ListNames(), (std::vector<std::string>{"x_0.ion", "x_1.txt"}));
}

// The host and the plug-in read the host's list of description files alike: a name with a blank
// before its comma keeps the blank. On POSIX no file is called "Files.bbs ", so both take
// Descript.ion; Windows drops a name's trailing blanks, so both take Files.bbs. Either way the
// file whose descriptions the host showed is the one rewritten, and the other is left alone.
TEST(DescriptionsE2e, HostAndPluginChooseTheSameDescriptionFile) {
#if defined(_WIN32)
    const std::string chosen = "Files.bbs";
    const std::string other = "Descript.ion";
#else
    const std::string chosen = "Descript.ion";
    const std::string other = "Files.bbs";
#endif
    HostRunner host;
    host.MakeFiles({"a.txt"});
    host.Dir().WriteFile(chosen, "a.txt from " + chosen + "\r\n");
    host.Dir().WriteFile(other, "a.txt from " + other + "\r\n");
    ASSERT_TRUE(host.WriteSetting(host.DescriptionsKey(), "ListNames", "Files.bbs ,Descript.ion"));
    EXPECT_EQ(host.Run(SaveRun({"a.txt"}, "b.txt")).status, 0);
    EXPECT_EQ(host.Dir().ReadFile(chosen), "b.txt from " + chosen + "\r\n");
    EXPECT_EQ(host.Dir().ReadFile(other), "a.txt from " + other + "\r\n");
}

// No temporary file can be made, beside the description file or in the temporary directory: the
// "DescExist" box, nothing renamed, but the options typed into the dialog are stored.
TEST(DescriptionsE2e, NoTemporaryDirectoryRenamesNothing) {
    HostRunner host;
    host.MakeFiles({"a.txt"});
    ScopedTempDirectoryEnv nowhere(host.Dir().PathOf("missing"));
    FaultyFileSystem files;
    files.FailEvery("CreateNewForWriting");  // the folder takes no new file either
    files.FailEvery("CreateTempFile");
    HostResult result;
    {
        ScopedFileSystem installed(&files);
        result = host.Run(SaveRun({"a.txt"}, "b.txt"));
    }
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(result.Boxes("DescExist").size(), 1u) << result.err;
    EXPECT_EQ(host.Dir().ListNames(), std::vector<std::string>{"a.txt"});
    EXPECT_EQ(host.StoredString("velmora"), std::optional<std::string>("b.txt"));
    EXPECT_EQ(host.StoredDword("SaveDescription"), std::optional<std::uint32_t>(1));
}

// A plain directory does not count as an existing target: the move is tried and refused.
TEST(DescriptionsE2e, PlainDirectoryTargetCannotMove) {
    HostRunner host;
    host.MakeFiles({"a.txt"});
    ASSERT_TRUE(host.Dir().MakeDirectory("taken"));
    HostResult result = host.Run({"--yes", "--mask", "taken", "a.txt"});
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(result.Boxes("FileExist").size(), 0u);
    EXPECT_EQ(result.Boxes("CanNotMove").size(), 1u);
    EXPECT_TRUE(host.Dir().Exists("a.txt"));
}

}  // namespace
}  // namespace velmora::test
