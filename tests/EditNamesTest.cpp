// Edit names: the new names as lines in the host's editor, through the far2l/FAR 1.x host's
// editor service and through velmora's $EDITOR and --edit-from.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "far/HostConventions.hpp"
#include "platform/PathNames.hpp"
#include "platform/Platform.hpp"
#include "plugin/Exports.hpp"
#include "ports/Messages.hpp"
#include "preview/NameEdit.hpp"
#include "support/Env.hpp"
#include "support/FakeHost.hpp"
#include "support/HostRunner.hpp"

namespace velmora::test {
namespace {

#if defined(_WIN32)
// FAR 1.x's names are bytes of the OEM code page: these stand for a Cyrillic and another name.
const std::string kCyrillic = "\x8F\xE0\xA8\xA2\xA5\xE2.txt";  // Привет.txt in CP866
const std::string kCjk = "\x84\xA0.txt";                       // Да.txt in CP866
#else
const std::string kCyrillic = "\xD0\x9F\xD1\x80\xD0\xB8\xD0\xB2\xD0\xB5\xD1\x82.txt";  // Привет.txt
const std::string kCjk = "\xE6\x97\xA5\xE6\x9C\xAC.txt";                               // 日本.txt
#endif
#if defined(_WIN32)
const std::string kEnd = "\r\n";
#else
const std::string kEnd = "\n";
#endif

std::string Lines(const std::vector<std::string>& names) {
    std::string text;
    for (const std::string& name : names)
        text += name + kEnd;
    return text;
}

// Each fault is named with the line it is on; what the hosts take as normal is taken.
TEST(EditNames, LinesAreCheckedAsTheHostTakesNames) {
    const std::string longName(kMaxEditedNameLength + 1, 'x');
    const struct {
        const char* text;
        std::string extra;  // appended to text
        EditProblem problem;
        std::size_t line;
    } cases[] = {
        {"a\nb\n", "", EditProblem::None, 0},
        {"a\r\nb", "", EditProblem::None, 0},  // CR LF, and no end after the last line
        {"\xEF\xBB\xBF"
         "a\nb\n",
         "", EditProblem::None, 0},  // a UTF-8 editor's mark
        {"a\n", "", EditProblem::LineCount, 0},
        {"a\nb\n\n", "", EditProblem::LineCount, 0},  // an empty line after the last is a line
        {"\nb\n", "", EditProblem::EmptyLine, 1},
        {"a\nx/y\n", "", EditProblem::RefusedCharacter, 2},
        {"..\nb\n", "", EditProblem::NotAName, 1},
        {"a\n", longName, EditProblem::TooLong, 2},
        {"same\nsame\n", "", EditProblem::SameName, 2},
    };
    for (const auto& c : cases) {
        const std::string text = c.text + c.extra;
        SCOPED_TRACE(text.substr(0, 40));
        std::vector<std::string> names;
        const EditCheck check = ReadEditedNames(text, 2, HostText::Utf8, &names);
        EXPECT_EQ(check.problem, c.problem);
        EXPECT_EQ(check.line, c.line);
        if (c.problem == EditProblem::None)
            EXPECT_EQ(names, (std::vector<std::string>{"a", "b"}));
        else
            EXPECT_TRUE(names.empty());
    }
    std::vector<std::string> names;
    // Windows takes names that differ in letter case, or by trailing dots, for one name.
    EXPECT_EQ(ReadEditedNames("\xD0\x90.txt\n\xD0\xB0.txt.\n", 2, HostText::Unicode, &names).problem,
              kNamesIgnoreCase ? EditProblem::SameName : EditProblem::None);
#if defined(_WIN32)
    EXPECT_EQ(ReadEditedNames("a\nb:c\n", 2, HostText::Oem, &names).problem, EditProblem::RefusedCharacter);
#endif
}

// The plug-in in far2l (FAR 1.x on Windows) with the button, or F4: the host's editor opens the
// template's names, and what the user saves is what the files get.
TEST(EditNames, HostEditorGivesTheNewNames) {
    for (const bool key : {false, true}) {
        SCOPED_TRACE(key ? "F4" : "the button");
        HostRunner files;
        files.MakeFiles({"a.txt", "b.txt", kCyrillic});
        FakeHost far2l;
        far2l.directory = SystemFileSystem().FullPath(files.Dir().Path());
        far2l.dialogTemplate = "%N_x.%E";
        far2l.OfferDialogProcedure();
        far2l.OfferEditor();
        for (const std::string name : {"a.txt", "b.txt", kCyrillic.c_str()})
            far2l.AddItem(name, nullptr);
        if (key)
            far2l.dialogKeys = {far::KEY_F4};
        else
            far2l.dialogResults = {far::kDialogEditNamesItem};
        std::string shownAgain;
        far2l.onEdit = [&](std::string& text) {
            EXPECT_EQ(text,
                      Lines({"a_x.txt", "b_x.txt", kCyrillic.substr(0, kCyrillic.size() - 4) + "_x.txt"}));
            text = "one.txt\r\nb.txt\r\n" + kCjk;  // a Windows editor's lines, the last without an end
            return far::EEC_MODIFIED;
        };
        const std::filesystem::path saved = std::filesystem::current_path();
        std::filesystem::current_path(files.Dir().Path());
        OpenPlugin(0, far::kMenuRename);
        std::filesystem::current_path(saved);

        EXPECT_EQ(files.Dir().ListNames(), (std::vector<std::string>{"b.txt", "one.txt", kCjk}));
        EXPECT_EQ(files.Dir().ReadFile(kCjk), "content of " + kCyrillic);
        ASSERT_EQ(far2l.editorCalls.size(), 1u);
        const FakeHost::EditorCall& call = far2l.editorCalls[0];
        // Modal, whole screen, the default place; no history of a temporary name; not deleted
        // on close, since the plug-in reads it after.
        EXPECT_EQ(call.flags, far::EF_DISABLEHISTORY);
        EXPECT_EQ(std::vector<int>({call.x1, call.y1, call.x2, call.y2, call.startLine, call.startChar}),
                  std::vector<int>({0, 0, -1, -1, -1, -1}));
        EXPECT_EQ(call.title, FakeHost::Text(MEditorTitle));
        EXPECT_EQ(call.file.rfind(SystemFileSystem().TempDirectory(), 0), 0u) << call.file;
        EXPECT_EQ(SystemFileSystem().Attributes(call.file), kNoAttributes);  // removed
        EXPECT_TRUE(far2l.boxes.empty() || far2l.boxes[0].helpTopic != "EditNames");
    }
}

// Bad lines get a box naming the fault; Edit again opens what the user wrote, Drop the edit
// goes back to the template's names; an editor closed without saving leaves the names alone.
TEST(EditNames, BadLinesOfferToEditAgainOrDrop) {
    for (const int choice : {0, 1}) {
        SCOPED_TRACE(choice == 0 ? "edit again" : "drop");
        HostRunner files;
        files.MakeFiles({"a.txt", "b.txt"});
        FakeHost far2l;
        far2l.directory = SystemFileSystem().FullPath(files.Dir().Path());
        far2l.dialogTemplate = "%N_x.%E";
        far2l.OfferDialogProcedure();
        far2l.OfferEditor();
        far2l.AddItem("a.txt", nullptr);
        far2l.AddItem("b.txt", nullptr);
        far2l.dialogResults = {far::kDialogEditNamesItem};
        far2l.boxAnswers = {choice};
        far2l.onEdit = [&](std::string& text) {
            text = far2l.editorCalls.size() == 1 ? "same.txt\nsame.txt\n" : "c.txt\nd.txt\n";
            return far::EEC_MODIFIED;
        };
        const std::filesystem::path saved = std::filesystem::current_path();
        std::filesystem::current_path(files.Dir().Path());
        OpenPlugin(0, far::kMenuRename);
        std::filesystem::current_path(saved);

        ASSERT_FALSE(far2l.boxes.empty());
        const RecordedBox& box = far2l.boxes[0];
        EXPECT_EQ(box.helpTopic, "EditNames");
        EXPECT_EQ(box.lines,
                  (std::vector<std::string>{FakeHost::Text(MEditTitle), FakeHost::Text(MEditSameName),
                                            FakeHost::Text(MEditAgain), FakeHost::Text(MEditDrop)}));
        EXPECT_TRUE(box.flags & far::FMSG_WARNING);
        if (choice == 0) {
            ASSERT_EQ(far2l.editorCalls.size(), 2u);
            EXPECT_EQ(far2l.editorCalls[1].text, "same.txt\nsame.txt\n");
            EXPECT_EQ(files.Dir().ListNames(), (std::vector<std::string>{"c.txt", "d.txt"}));
        } else {
            EXPECT_EQ(far2l.editorCalls.size(), 1u);
            EXPECT_EQ(files.Dir().ListNames(), (std::vector<std::string>{"a_x.txt", "b_x.txt"}));
        }
        for (const FakeHost::EditorCall& call : far2l.editorCalls)
            EXPECT_EQ(SystemFileSystem().Attributes(call.file), kNoAttributes);
    }
}

#if !defined(_WIN32)
// velmora's editor is $VISUAL, else $EDITOR, run through the shell as vidir runs it: here a
// script that copies the prepared lines over the file it is given.
class EditorScript {
public:
    EditorScript(const HostRunner& host, const std::string& lines)
        : lines_(host.Dir().PathOf("../lines")), visual_("VISUAL"), editor_("EDITOR", "cp '" + lines_ + "'") {
        host.Dir().WriteFile("../lines", lines);
    }
    const std::string& LinesFile() const { return lines_; }

private:
    std::string lines_;
    ScopedEnv visual_;
    ScopedEnv editor_;
};

TEST(EditNames, VelmoraEditsInTheUsersEditorAndUndoesAfter) {
    HostRunner host;
    host.MakeFiles({"a.txt", "b.txt", kCyrillic});
    const std::string da = "\xD0\x94\xD0\xB0.txt";  // Да.txt
    EditorScript editor(host, Lines({kCjk, "b.txt", da}));

    HostResult plan = host.Run({"-n", "--edit", "-m", "%F", "a.txt", "b.txt", kCyrillic});
    EXPECT_EQ(plan.status, 0) << plan.err;
    EXPECT_NE(plan.out.find("a.txt -> " + kCjk), std::string::npos) << plan.out;
    EXPECT_NE(plan.out.find(kCyrillic + " -> " + da), std::string::npos) << plan.out;
    EXPECT_EQ(host.Dir().ListNames(), (std::vector<std::string>{"a.txt", "b.txt", kCyrillic}));

    HostResult run = host.Run({"--yes", "--edit", "-m", "IMG_%#", "a.txt", "b.txt", kCyrillic});
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(host.Dir().ListNames(), (std::vector<std::string>{"b.txt", da, kCjk}));
    EXPECT_EQ(host.Dir().ReadFile(da), "content of " + kCyrillic);
    // The template stays the dialog's answer; the names written by hand are stored nowhere.
    EXPECT_EQ(host.StoredString("velmora"), std::optional<std::string>("IMG_%#"));

    EXPECT_EQ(host.Run({"-u"}).status, 0);
    EXPECT_EQ(host.Dir().ListNames(), (std::vector<std::string>{"a.txt", "b.txt", kCyrillic}));

    // An editor that fails cancels: nothing renamed.
    ScopedEnv failing("VISUAL", "false");
    HostResult failed = host.Run({"--yes", "--edit", "a.txt", "b.txt", kCyrillic});
    EXPECT_EQ(failed.status, 1);
    EXPECT_NE(failed.err.find("exited with status 1"), std::string::npos) << failed.err;
    EXPECT_EQ(host.Dir().ListNames(), (std::vector<std::string>{"a.txt", "b.txt", kCyrillic}));
}

// Every bad line stops the batch before anything moves, with the line named; the user's editor
// handing the same lines back, or --edit-from's lines, end it there.
TEST(EditNames, VelmoraRefusesBadLines) {
    const struct {
        std::string lines;
        const char* says;
    } cases[] = {
        {"x.txt\n", "1 lines for 2 files"},
        {"x.txt\n\n", "line 2 is empty"},
        {"x/y\nz\n", "line 1: a name may not hold /"},
        {"..\nz\n", "line 1: .. is not a name"},
        {"x\n" + std::string(256, 'y') + "\n", "line 2 is longer than 255 characters"},
        {"q\nq\n", "lines 1 and 2 give one name: q"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.says);
        for (const bool fromFile : {false, true}) {
            HostRunner host;
            host.MakeFiles({"a", "b"});
            EditorScript editor(host, c.lines);
            HostResult result = fromFile ? host.Run({"--yes", "--edit-from", editor.LinesFile(), "a", "b"})
                                         : host.Run({"--yes", "--edit", "a", "b"});
            EXPECT_EQ(result.status, 1);
            EXPECT_NE(result.err.find(c.says), std::string::npos) << result.err;
            EXPECT_EQ(host.Dir().ListNames(), (std::vector<std::string>{"a", "b"}));
        }
    }
}

// Names written by hand complete swaps, cycles and chains, each file keeping its description
// line, and undo takes each back, names and description file alike.
TEST(EditNames, SwapsCyclesAndChainsComplete) {
    const struct {
        std::vector<std::string> files;
        std::string lines;
        std::vector<std::string> after;
        std::vector<std::string> contentOf;  // whose content (and description) each name of `after` holds
    } cases[] = {
        {{"a", "b"}, "b\na\n", {"a", "b"}, {"b", "a"}},
        {{"a", "b", "c"}, "b\nc\na\n", {"a", "b", "c"}, {"c", "a", "b"}},
        {{"a", "b"}, "b\nc\n", {"b", "c"}, {"a", "b"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.lines);
        HostRunner host;
        host.MakeFiles(c.files);
        std::string descriptions;
        for (const std::string& name : c.files)
            descriptions += name + " about " + name + "\r\n";
        host.Dir().WriteFile("Descript.ion", descriptions);
        host.Dir().WriteFile("../lines", c.lines);
        std::vector<std::string> args = {"--yes", "-d", "--edit-from", host.Dir().PathOf("../lines")};
        args.insert(args.end(), c.files.begin(), c.files.end());
        HostResult result = host.Run(args);
        EXPECT_EQ(result.status, 0) << result.err;
        const std::string described = host.Dir().ReadFile("Descript.ion");
        for (std::size_t i = 0; i < c.after.size(); ++i) {
            EXPECT_EQ(host.Dir().ReadFile(c.after[i]), "content of " + c.contentOf[i]);
            EXPECT_NE(described.find(c.after[i] + " about " + c.contentOf[i]), std::string::npos)
                << described;
        }
        // The list of kept batches says the names were edited, not which template the dialog held.
        const std::string listed = host.Run({"--undo-list", "--json"}).out;
        EXPECT_NE(listed.find("\"template\": \"\", \"edited\": 1"), std::string::npos) << listed;
        EXPECT_EQ(host.Run({"-u"}).status, 0);
        for (const std::string& name : c.files)
            EXPECT_EQ(host.Dir().ReadFile(name), "content of " + name);
        EXPECT_EQ(host.Dir().ReadFile("Descript.ion"), descriptions);
    }
}
#endif

}  // namespace
}  // namespace velmora::test
