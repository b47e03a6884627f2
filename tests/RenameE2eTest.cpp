// Whole runs of the plug-in through the velmora host in temporary directories: files on disk,
// the settings store, the boxes and calls in the trace, the exit status.
#include <gtest/gtest.h>

#include <algorithm>

#include <cstdint>
#include <filesystem>
#include <optional>

#if !defined(_WIN32)
#include <unistd.h>

#include <cerrno>
#endif

#include "far/HostConventions.hpp"
#include "support/FaultyFileSystem.hpp"
#include "support/HostRunner.hpp"

namespace velmora::test {
namespace {

std::vector<std::string> Names(const std::string& pattern, int first, int count) {
    std::vector<std::string> names;
    for (int i = first; i < first + count; ++i) {
        char buffer[64];
        std::snprintf(buffer, sizeof(buffer), pattern.c_str(), i);
        names.push_back(buffer);
    }
    return names;
}

std::vector<std::string> With(std::vector<std::string> args, const std::vector<std::string>& more) {
    args.insert(args.end(), more.begin(), more.end());
    return args;
}

bool StartsWith(const std::string& text, const std::string& prefix) {
    return text.compare(0, prefix.size(), prefix) == 0;
}

bool EndsWith(const std::string& text, const std::string& suffix) {
    return text.size() >= suffix.size() &&
           text.compare(text.size() - suffix.size(), suffix.size(), suffix) == 0;
}

const std::string kProgressTitle = "\"Velmora batch rename\"";

TEST(RenameE2e, CounterTemplateOverTwelveFiles) {
    HostRunner host;
    std::vector<std::string> old = Names("f%02d.jpg", 0, 12);
    host.MakeFiles(old);
    HostResult result = host.Run(With({"--yes", "--mask", "IMG_%#.%E", "--start", "1"}, old));
    EXPECT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(result.err, "");
    std::vector<std::string> expected = Names("IMG_%02d.jpg", 1, 12);
    EXPECT_EQ(host.Dir().ListNames(), expected);
    EXPECT_EQ(host.Dir().ReadFile("IMG_01.jpg"), "content of f00.jpg");
    EXPECT_EQ(host.Dir().ReadFile("IMG_12.jpg"), "content of f11.jpg");

    // One progress box a file, numbered from 1 without padding, naming the old file.
    std::vector<std::string> progress = result.Boxes("");
    ASSERT_EQ(progress.size(), 12u);
    EXPECT_EQ(progress[0], "{\"service\":\"Message\",\"flags\":0,\"help\":null,\"lines\":[" + kProgressTitle +
                               ",\"1. f00.jpg\"],\"buttons\":0}");
    EXPECT_NE(progress[11].find("\"12. f11.jpg\""), std::string::npos);
}

TEST(RenameE2e, OccupiedTargetStopsTheBatch) {
    HostRunner host;
    host.MakeFiles({"a.txt", "b.txt", "c.txt", "d.txt", "e.txt", "new3.txt"});
    HostResult result = host.Run(
        {"--yes", "--mask", "new%#.txt", "--start", "1", "a.txt", "b.txt", "c.txt", "d.txt", "e.txt"});
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(result.err, "velmora: File already exists: new3.txt\n");
    EXPECT_EQ(host.Dir().ListNames(),
              (std::vector<std::string>{"c.txt", "d.txt", "e.txt", "new1.txt", "new2.txt", "new3.txt"}));
    EXPECT_EQ(host.Dir().ReadFile("new3.txt"), "content of new3.txt");  // never overwritten
    std::vector<std::string> boxes = result.Boxes("FileExist");
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(
        boxes[0],
        "{\"service\":\"Message\",\"flags\":1,\"help\":\"FileExist\",\"lines\":[\"Error\",\"File already "
        "exists\",\"new3.txt\",\"OK\"],\"buttons\":1}");
    EXPECT_EQ(result.Boxes("").size(), 3u);  // progress for a, b and c only
}

TEST(RenameE2e, TwoItemsExpandingToOneName) {
    HostRunner host;
    host.MakeFiles({"a.txt", "b.txt"});
    HostResult result = host.Run({"--yes", "--mask", "same.txt", "a.txt", "b.txt"});
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(result.err, "velmora: File already exists: same.txt\n");
    EXPECT_EQ(host.Dir().ListNames(), (std::vector<std::string>{"b.txt", "same.txt"}));
    EXPECT_EQ(host.Dir().ReadFile("same.txt"), "content of a.txt");
}

TEST(RenameE2e, CaseOnlyRename) {
    HostRunner host;
    host.MakeFiles({"a.txt"});
    HostResult result = host.Run({"--yes", "--mask", "A.txt", "a.txt"});
    EXPECT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(host.Dir().ListNames(), std::vector<std::string>{"A.txt"});

#if !defined(_WIN32)
    // A different file under the other case is occupied.
    host.MakeFiles({"b.txt", "B.txt"});
    result = host.Run({"--yes", "--mask", "B.txt", "b.txt"});
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(result.err, "velmora: File already exists: B.txt\n");
    EXPECT_EQ(host.Dir().ReadFile("B.txt"), "content of B.txt");
    EXPECT_EQ(host.Dir().ReadFile("b.txt"), "content of b.txt");
#endif
}

// A free target costs the move alone: nothing is asked of the file system before it.
TEST(RenameE2e, FreeTargetsAreOnlyMoved) {
    HostRunner host;
    const std::string photo = "\xD1\x84\xD0\xBE\xD1\x82\xD0\xBE.jpg";  // фото.jpg
    const std::string chinese = "\xE7\x85\xA7\xE7\x89\x87.jpg";        // 照片.jpg
    host.MakeFiles({photo, chinese, "a b.jpg"});
    FaultyFileSystem files;
    HostResult result;
    {
        ScopedFileSystem installed(&files);
        result = host.Run({"--yes", "--mask", "IMG_%#.%E", "--columns", "N", photo, chinese, "a b.jpg"});
    }
    EXPECT_EQ(result.status, 0) << result.err;
    // The dialog's preview looks names up before the run, and the undo journal is written before
    // the first move and after the last; the run itself only moves.
    std::string moves;
    for (const std::string& operation : files.Log()) {
        if (operation.find(host.StateHome()) == std::string::npos)
            moves += operation + "\n";
    }
    EXPECT_EQ(moves.substr(moves.find("MoveNoReplace(")),
              "MoveNoReplace(" + photo + ",IMG_0.jpg)\nMoveNoReplace(" + chinese +
                  ",IMG_1.jpg)\nMoveNoReplace(a b.jpg,IMG_2.jpg)\n");

    // Nor does the dialog answered at once ask a name a file: what comes before the first move is
    // the same for 20 files as for 60 (under Wine each look-up of a free name scans the folder).
    std::vector<std::size_t> before;
    for (const int count : {20, 60}) {
        HostRunner many;
        std::vector<std::string> names;
        for (int i = 0; i < count; ++i)
            names.push_back("f" + std::to_string(100 + i) + ".raw");
        many.MakeFiles(names);
        FaultyFileSystem counted;
        {
            ScopedFileSystem installed(&counted);
            ASSERT_EQ(many.Run({"--yes", "--all", "--mask", "IMG_%#.%E", "--columns", "N"}).status, 0);
        }
        const auto& log = counted.Log();
        before.push_back(static_cast<std::size_t>(
            std::find_if(log.begin(), log.end(),
                         [](const std::string& entry) { return entry.rfind("MoveNoReplace(f", 0) == 0; }) -
            log.begin()));
    }
    EXPECT_EQ(before[0], before[1]);
}

#if !defined(_WIN32)
// The move finds an occupied target itself; the box then follows what the name is. Any entry but
// the file itself counts (a hidden directory, a dangling link); a plain directory and another name
// of the very file do not, and their refusal is a move that failed. The same through the fallback
// of a file system without RENAME_NOREPLACE.
TEST(RenameE2e, RefusedTargetBoxFollowsWhatTheNameIs) {
    const std::string source = "\xD0\xBB\xD1\x96\xD1\x82\xD0\xBE.txt";  // літо.txt
    const struct {
        std::string target;
        const char* kind;  // file, hidden directory, dangling link, same file
        const char* box;
    } cases[] = {
        {"\xD1\x84\xD0\xB0\xD0\xB9\xD0\xBB.txt", "file", "FileExist"},   // файл.txt
        {".\xE7\x9B\xAE\xE5\xBD\x95", "hidden directory", "FileExist"},  // .目录
        {"\xF0\x9F\x94\x97", "dangling link", "FileExist"},              // 🔗
        {"plain", "directory", "CanNotMove"},
        {"hard.txt", "same file", "CanNotMove"},
    };
    for (int refusal : {0, EINVAL}) {
        for (const auto& c : cases) {
            SCOPED_TRACE(std::string(c.kind) + (refusal ? ", fallback" : ""));
            HostRunner host;
            host.MakeFiles({source});
            const std::string target = host.Dir().PathOf(c.target);
            const std::string kind = c.kind;
            if (kind == "file")
                host.Dir().WriteFile(c.target, "occupied");
            else if (kind == "hidden directory" || kind == "directory")
                ASSERT_TRUE(host.Dir().MakeDirectory(c.target));
            else if (kind == "dangling link")
                ASSERT_EQ(0, symlink("nowhere", target.c_str()));
            else
                ASSERT_EQ(0, link(host.Dir().PathOf(source).c_str(), target.c_str()));
            std::optional<ScopedRenameFallback> fallback;
            if (refusal)
                fallback.emplace(refusal);
            const HostResult result = host.Run({"--yes", "--mask", c.target, source});
            EXPECT_EQ(result.status, 1);
            EXPECT_EQ(result.WarningBoxes().size(), 1u);
            EXPECT_EQ(result.Boxes(c.box).size(), 1u) << result.err;
            EXPECT_EQ(host.Dir().ReadFile(source), "content of " + source);
            if (kind == "file") {
                EXPECT_EQ(host.Dir().ReadFile(c.target), "occupied");
            }
            if (fallback) {
                // The undo journal put in place, then the rename.
                EXPECT_EQ(fallback->Refusals(), 2);
            }
        }
    }
}

// A file system without the one-step rename is found out once a run: the journal's folder and
// the panel's each pay one refused call, whatever the count of files.
TEST(RenameE2e, FallbackFoundOnceARun) {
    HostRunner host;
    host.MakeFiles({"\xD0\xB0.txt", "b.txt", "c.txt"});  // а.txt
    ScopedRenameFallback fallback(EINVAL);
    const HostResult result = host.Run({"--yes", "--mask", "x_%#.%E", "\xD0\xB0.txt", "b.txt", "c.txt"});
    EXPECT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(host.Dir().ListNames(), (std::vector<std::string>{"x_0.txt", "x_1.txt", "x_2.txt"}));
    EXPECT_EQ(fallback.Refusals(), 2);
}
#endif

TEST(RenameE2e, EmptyExpansionCannotMove) {
    HostRunner host;
    host.MakeFiles({"README"});
    HostResult result = host.Run({"--yes", "--mask", "%E", "README"});
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(result.err, "velmora: Cannot rename file: README: to: \n");
    std::vector<std::string> boxes = result.Boxes("CanNotMove");
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_NE(boxes[0].find("\"lines\":[\"Error\",\"Cannot rename file\",\"README\",\"to\",\"\",\"OK\"]"),
              std::string::npos)
        << boxes[0];
    EXPECT_EQ(host.Dir().ListNames(), std::vector<std::string>{"README"});
}

TEST(RenameE2e, TemplateThatKeepsTheNameRenamesNothing) {
    HostRunner host;
    host.MakeFiles({"a.txt", "b.txt"});
    HostResult result = host.Run({"--yes", "a.txt", "b.txt"});  // the default template %F
    EXPECT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(host.Dir().ListNames(), (std::vector<std::string>{"a.txt", "b.txt"}));
}

TEST(RenameE2e, CancelRenamesAndStoresNothing) {
    HostRunner host;
    host.MakeFiles({"a.txt"});
    HostResult result = host.Run({"--cancel", "--mask", "x.txt", "a.txt"});
    EXPECT_EQ(result.status, 0);
    EXPECT_EQ(result.err, "");
    EXPECT_EQ(host.Dir().ListNames(), std::vector<std::string>{"a.txt"});
    EXPECT_FALSE(host.HasStoredOptions());
    // The panel is still updated and redrawn after a cancelled dialog.
    ASSERT_EQ(result.trace.size(), 5u);
    EXPECT_EQ(result.trace[0], "{\"service\":\"Control\",\"command\":1}");
    EXPECT_TRUE(StartsWith(result.trace[1], "{\"service\":\"DialogView\",")) << result.trace[1];
    EXPECT_TRUE(EndsWith(result.trace[2], ",\"result\":-1}")) << result.trace[2];
    EXPECT_EQ(result.trace[3], "{\"service\":\"Control\",\"command\":3}");
    EXPECT_EQ(result.trace[4], "{\"service\":\"Control\",\"command\":5}");
}

TEST(RenameE2e, OptionsAreStoredAndShownNextTime) {
    HostRunner host;
    HostResult first = host.Run({"--yes", "--mask", "%N_%#.%E", "--start", "0005", "--without-zero", "1",
                                 "--save-descriptions", "1"});
    EXPECT_EQ(first.status, 0) << first.err;
    // The dialog shows the defaults on first use; the trace has the items before the answers.
    std::vector<std::string> items = DialogItems(first.Calls("Dialog").at(0));
    ASSERT_EQ(items.size(), static_cast<std::size_t>(far::kDialogItemCount));
    EXPECT_EQ(items[2], "{\"type\":4,\"data\":\"%F\",\"selected\":0,\"history\":\"Velmora_Name\"}");
    EXPECT_EQ(items[3], "{\"type\":4,\"data\":\"0\",\"selected\":0,\"history\":\"Velmora_StartNumber\"}");
    EXPECT_EQ(items[6], "{\"type\":8,\"data\":\"Counter without leading zeros\",\"selected\":0}");
    EXPECT_EQ(items[7], "{\"type\":8,\"data\":\"Save file descriptions\",\"selected\":0}");

    EXPECT_EQ(host.StoredString("velmora"), std::optional<std::string>("%N_%#.%E"));
    EXPECT_EQ(host.StoredString("number"), std::optional<std::string>("0005"));
    EXPECT_EQ(host.StoredDword("WithoutZero"), std::optional<std::uint32_t>(1));
    EXPECT_EQ(host.StoredDword("SaveDescription"), std::optional<std::uint32_t>(1));

    HostResult second = host.Run({"--cancel"});
    items = DialogItems(second.Calls("Dialog").at(0));
    ASSERT_EQ(items.size(), static_cast<std::size_t>(far::kDialogItemCount));
    EXPECT_NE(items[2].find("\"data\":\"%N_%#.%E\""), std::string::npos);
    EXPECT_NE(items[3].find("\"data\":\"0005\""), std::string::npos);
    EXPECT_NE(items[6].find("\"selected\":1"), std::string::npos);
    EXPECT_NE(items[7].find("\"selected\":1"), std::string::npos);

    // An emptied field is stored empty and comes back empty.
    host.Run({"--yes", "--start", ""});
    items = DialogItems(host.Run({"--cancel"}).Calls("Dialog").at(0));
    EXPECT_NE(items[3].find("\"data\":\"\""), std::string::npos) << items[3];
}

TEST(RenameE2e, WithoutDescriptionsColumnTheSwitchIsGone) {
    HostRunner host;
    ASSERT_EQ(host.Run({"--yes", "--save-descriptions", "1"}).status, 0);
    HostResult result = host.Run({"--yes", "--columns", "N,S", "--save-descriptions", "0", "--mask", "%F"});
    EXPECT_EQ(result.status, 0) << result.err;
    std::vector<std::string> items = DialogItems(result.Calls("Dialog").at(0));
    ASSERT_EQ(items.size(), static_cast<std::size_t>(far::kDialogItemCount));
    EXPECT_TRUE(StartsWith(items[7], "{\"type\":0,\"data\":\"\",\"selected\":")) << items[7];
    EXPECT_EQ(host.StoredDword("SaveDescription"), std::optional<std::uint32_t>(1));
}

TEST(RenameE2e, TraceShapes) {
    HostRunner host;
    host.MakeFiles({"a b.txt"});
    HostResult result = host.Run({"--yes", "--mask", "c'd.txt", "--columns", "N", "a b.txt"});
    ASSERT_EQ(result.trace.size(), 6u) << result.err;
    EXPECT_EQ(result.trace[0], "{\"service\":\"Control\",\"command\":1}");
    // The dialog as its procedure showed it once the answers were typed, then as it closed.
    EXPECT_TRUE(StartsWith(result.trace[1], "{\"service\":\"DialogView\",\"items\":[{\"type\":3"))
        << result.trace[1];
    const std::vector<std::string> shown = DialogItems(result.trace[1]);
    ASSERT_EQ(shown.size(), static_cast<std::size_t>(far::kDialogItemCount)) << result.trace[1];
    EXPECT_EQ(shown[far::kDialogSummaryItem], "{\"type\":0,\"data\":\"1 rename, 0 keep\",\"selected\":0}")
        << result.trace[1];
    EXPECT_TRUE(StartsWith(result.trace[2],
                           "{\"service\":\"Dialog\",\"help\":\"EnterVelmora\",\"items\":[{\"type\":3"))
        << result.trace[2];
    EXPECT_TRUE(EndsWith(result.trace[2], "}],\"result\":9}")) << result.trace[2];
    EXPECT_EQ(result.trace[3], "{\"service\":\"Message\",\"flags\":0,\"help\":null,\"lines\":[" +
                                   kProgressTitle + ",\"1. a b.txt\"],\"buttons\":0}");
    EXPECT_EQ(result.trace[4], "{\"service\":\"Control\",\"command\":3}");
    EXPECT_EQ(result.trace[5], "{\"service\":\"Control\",\"command\":5}");
    EXPECT_EQ(host.Dir().ListNames(), std::vector<std::string>{"c'd.txt"});
}

TEST(RenameE2e, DescriptionsFollowTheRenamedFiles) {
    HostRunner host;
    host.MakeFiles({"a.txt", "b.txt", "c d.txt"});
    host.Dir().WriteFile("Descript.ion",
                         "a.txt about a\r\n"
                         "\"c d.txt\" about c\r\n"
                         "  continued\r\n"
                         "B.TXT about b\r\n");
    HostResult result =
        host.Run({"--yes", "--mask", "new %F", "--save-descriptions", "1", "a.txt", "c d.txt"});
    EXPECT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(host.Dir().ListNames(),
              (std::vector<std::string>{"Descript.ion", "b.txt", "new a.txt", "new c d.txt"}));
    // The renamed files' lines take the new names, quoted for their blanks; the continuation line
    // and the line the run did not touch stay exactly as they were.
    EXPECT_EQ(host.Dir().ReadFile("Descript.ion"),
              "\"new a.txt\" about a\r\n"
              "\"new c d.txt\" about c\r\n"
              "  continued\r\n"
              "B.TXT about b\r\n");
    // The file is edited, not rebuilt from the panel: the panel is read once, then refreshed.
    std::vector<std::string> controls = result.Calls("Control");
    EXPECT_EQ(controls.size(), 3u);
}

TEST(RenameE2e, HostListNamesPickTheDescriptionFile) {
    HostRunner host;
    ASSERT_TRUE(host.WriteSetting(host.DescriptionsKey(), "ListNames", "Files.bbs,Descript.ion"));
    host.MakeFiles({"a.txt"});
    host.Dir().WriteFile("Files.bbs", "a.txt from files.bbs\r\n");
    host.Dir().WriteFile("Descript.ion", "a.txt from descript.ion\r\n");
    HostResult result = host.Run({"--yes", "--mask", "b.txt", "--save-descriptions", "1", "a.txt"});
    EXPECT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(host.Dir().ReadFile("Files.bbs"), "b.txt from files.bbs\r\n");
    EXPECT_EQ(host.Dir().ReadFile("Descript.ion"), "a.txt from descript.ion\r\n");
}

TEST(RenameE2e, SelectionFromAListAndEverything) {
    HostRunner host;
    host.MakeFiles({"a", "b", "c"});
    TempDir lists;
    lists.WriteFile("names.txt", "c\r\n\na\n");
    HostResult result = host.Run({"--yes", "--mask", "%#_%F", "--select-from", lists.PathOf("names.txt")});
    EXPECT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(host.Dir().ListNames(), (std::vector<std::string>{"0_c", "1_a", "b"}));

    result = host.Run({"--yes", "--mask", "x%F", "--all"});
    EXPECT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(host.Dir().ListNames(), (std::vector<std::string>{"x0_c", "x1_a", "xb"}));
}

TEST(RenameE2e, UsageErrorsRunNothing) {
    HostRunner host;
    host.MakeFiles({"a.txt"});
    struct Case {
        std::vector<std::string> args;
        std::string err;
    } cases[] = {
        {{"--yes", "--mask", "x", "a.txt", "ghost"}, "velmora: ghost: no such entry in the directory\n"},
        {{"--yes", ".."}, "velmora: '..' cannot be selected\n"},
        {{"--yes", "--bogus"},
         "velmora: unknown option '--bogus'\nTry 'velmora --help' for more information.\n"},
        {{"--yes", "-C", "missing-dir"}, "velmora: "},
        {{"--yes", "--lang", "missing.lng"}, "velmora: cannot read the language file missing.lng"},
        {{"--yes", "--select-from", "missing-list"}, "velmora: cannot read the list of names missing-list"},
    };
    for (const Case& c : cases) {
        HostResult result = host.Run(c.args);
        EXPECT_EQ(result.status, 2) << c.args.back();
        EXPECT_TRUE(StartsWith(result.err, c.err)) << result.err;
        EXPECT_EQ(result.trace, std::vector<std::string>{}) << c.args.back();
    }
    EXPECT_EQ(host.Dir().ListNames(), std::vector<std::string>{"a.txt"});
    EXPECT_FALSE(host.HasStoredOptions());
}

TEST(RenameE2e, NamesTooLongForAPanelItem) {
#if defined(_WIN32)
    GTEST_SKIP() << "a FAR 1.x item holds every name Windows allows";
#endif
    HostRunner host;
    const std::string tooLong(255, 'n');  // far2l's item name field holds 254 bytes and a terminator
    host.MakeFiles({"a.txt"});
    if (!host.Dir().WriteFile(tooLong, "x"))
        GTEST_SKIP() << "the file system refuses 255-byte names";
    HostResult refused = host.Run({"--yes", "--mask", "x", tooLong});
    EXPECT_EQ(refused.status, 2);
    EXPECT_NE(refused.err.find("the name is 255 bytes long; a panel item holds at most 254"),
              std::string::npos)
        << refused.err;
    EXPECT_EQ(refused.trace, std::vector<std::string>{});
    // Left out of the panel with a warning when it is not selected; the run goes on.
    HostResult run = host.Run({"--yes", "--mask", "b.txt", "a.txt"});
    EXPECT_EQ(run.status, 0);
    EXPECT_NE(run.err.find("velmora: warning: " + tooLong + ": the name is 255 bytes long"),
              std::string::npos)
        << run.err;
    EXPECT_TRUE(host.Dir().Exists("b.txt"));
    EXPECT_TRUE(host.Dir().Exists(tooLong));
}

TEST(RenameE2e, NoDialogAnswerAndNoTerminal) {
    HostRunner host;
    HostResult result = host.Run({});
    if (result.status == 0)
        GTEST_SKIP() << "running on a terminal";
    EXPECT_EQ(result.status, 2);
    EXPECT_NE(result.err.find("pass --yes to rename or --cancel"), std::string::npos) << result.err;
}

TEST(RenameE2e, CurrentDirectoryIsRestored) {
    HostRunner host;
    std::filesystem::path before = std::filesystem::current_path();
    host.Run({"--yes"});
    host.Run({"--yes", "ghost"});
    EXPECT_EQ(std::filesystem::current_path(), before);
}

#if !defined(_WIN32)
TEST(RenameE2e, TheBuiltProgram) {
    HostRunner host;
    HostResult help = host.RunProgram({"--help"});
    EXPECT_EQ(help.status, 0);
    EXPECT_TRUE(StartsWith(help.out, "Usage: velmora [OPTION...] [NAME...]\n")) << help.out;
    HostResult version = host.RunProgram({"--version"});
    EXPECT_EQ(version.status, 0);
    EXPECT_EQ(version.out, "velmora " VELMORA_VERSION "\n");
    HostResult usage = host.RunProgram({"--without-zero", "7"});
    EXPECT_EQ(usage.status, 2);
    EXPECT_NE(usage.err.find("--help"), std::string::npos);
    HostResult noPlugin = host.RunProgram({"--yes", "--plugin", "/nonexistent/Velmora.far-plug-mb"});
    EXPECT_EQ(noPlugin.status, 2);
    EXPECT_NE(noPlugin.err.find("cannot load the plug-in /nonexistent/Velmora.far-plug-mb"),
              std::string::npos)
        << noPlugin.err;
    HostResult noTerminal = host.RunProgram({});
    EXPECT_EQ(noTerminal.status, 2);
    EXPECT_NE(noTerminal.err.find("no terminal for the dialog"), std::string::npos) << noTerminal.err;

    // The real module, loaded by name, with the language file beside it.
    host.MakeFiles({"one.txt", "two.txt", "taken.txt"});
    HostResult run =
        host.RunProgram({"--yes", "--mask", "%N-%#.%E", "--trace", host.TracePath(), "two.txt", "one.txt"});
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(host.Dir().ListNames(), (std::vector<std::string>{"one-1.txt", "taken.txt", "two-0.txt"}));
    EXPECT_EQ(run.Calls("Dialog").size(), 1u);
    HostResult warned =
        host.RunProgram({"--yes", "--mask", "taken.txt", "--trace", host.TracePath(), "one-1.txt"});
    EXPECT_EQ(warned.status, 1);
    EXPECT_EQ(warned.err, "velmora: File already exists: taken.txt\n");
}

// Copies of the built program laid out as the package installs them: with no option, velmora takes
// the plug-in beside it, else the one in far2l's packaged layout relative to its own directory.
TEST(RenameE2e, TheProgramFindsThePluginBesideItThenInstalled) {
    namespace fs = std::filesystem;
    const fs::path built = VELMORA_BUILD_DIR;
    struct Case {
        const char* layout;
        bool beside;     // an unloadable module beside the program
        bool installed;  // the real module and language files in the packaged layout
        int status;
        const char* refused;  // the module named in the loading error, if any
    };
    const Case cases[] = {
        {"installed only", false, true, 0, nullptr},
        {"beside first", true, true, 2, "bin/Velmora.far-plug-mb"},
        {"neither", false, false, 2, "bin/Velmora.far-plug-mb"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.layout);
        TempDir prefix;
        const fs::path bin = fs::path(prefix.Path()) / "bin";
        const fs::path plug = fs::path(prefix.Path()) / "lib/far2l/Plugins/Velmora/plug";
        fs::create_directories(bin);
        fs::copy_file(built / "velmora", bin / "velmora");
        if (c.beside) {
            ASSERT_TRUE(prefix.WriteFile("bin/Velmora.far-plug-mb", "not a module"));
        }
        if (c.installed) {
            fs::create_directories(plug);
            for (const char* name : {"Velmora.far-plug-mb", "VelmoraEng.lng", "VelmoraRus.lng"})
                fs::copy_file(built / name, plug / name);
        }
        HostRunner host;
        const std::string photo = "\xD1\x84\xD0\xBE\xD1\x82\xD0\xBE.jpg";  // "фото.jpg"
        host.MakeFiles({photo});
        HostResult run = host.RunProgram({"--yes", "--mask", "IMG_%#.%E", "--start", "1", photo},
                                         (bin / "velmora").string());
        EXPECT_EQ(run.status, c.status) << run.err;
        if (c.refused) {
            EXPECT_NE(run.err.find(prefix.PathOf(c.refused)), std::string::npos) << run.err;
        } else {
            EXPECT_EQ(run.err, "");
            EXPECT_EQ(host.Dir().ListNames(), (std::vector<std::string>{"IMG_1.jpg"}));
        }
    }
}
#endif

#if !defined(_WIN32)
// find ... -print0 | velmora -0 --select-from - ...: the names come from standard input, each
// ended by a zero byte, so that a name may hold a line end; without -0, one a line.
TEST(RenameE2e, NamesFromStandardInput) {
    HostRunner host;
    const std::string odd = "two\nlines.txt";
    host.MakeFiles({"a.txt", odd, "\xD0\x93\xD0\xBE\xD1\x80\xD1\x8B.txt"});
    HostResult result = host.RunProgram({"-0", "--select-from", "-", "-y", "-m", "n%#.%E", "-s", "1"}, "",
                                        std::string("a.txt\0", 6) + odd + std::string("\0", 1));
    EXPECT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(host.Dir().ListNames(),
              (std::vector<std::string>{"n1.txt", "n2.txt", "\xD0\x93\xD0\xBE\xD1\x80\xD1\x8B.txt"}));
    EXPECT_EQ(host.Dir().ReadFile("n2.txt"), "content of " + odd);

    result = host.RunProgram({"--select-from", "-", "-y", "-m", "m%#.%E", "-s", "0"}, "",
                             "n1.txt\r\n\xD0\x93\xD0\xBE\xD1\x80\xD1\x8B.txt\n");
    EXPECT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(host.Dir().ListNames(), (std::vector<std::string>{"m0.txt", "m1.txt", "n2.txt"}));

    // Standard input holds the names: no dialog can be shown, and the message says what to do.
    result = host.RunProgram({"--select-from", "-", "-m", "x"}, "", "m0.txt\n");
    EXPECT_EQ(result.status, 2);
    EXPECT_NE(result.err.find("pass --yes (-y)"), std::string::npos) << result.err;
}
#endif

}  // namespace
}  // namespace velmora::test
