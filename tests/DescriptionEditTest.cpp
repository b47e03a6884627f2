// The description file's edit: every line the run did not rename comes through byte for byte,
// each renamed file's line takes the new name, and the file keeps the code page its host read it
// in; checked with the system's real CP866 for the hosts whose text is Unicode.
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "descriptions/DescriptionEdit.hpp"
#include "platform/CodePage.hpp"

namespace velmora {
namespace {

const std::string kMark = "\xEF\xBB\xBF";
const std::string kVacation = "\xD0\x9E\xD1\x82\xD0\xBF\xD1\x83\xD1\x81\xD0\xBA";  // Отпуск
const std::string kSummer = "\xD0\x9B\xD0\xB5\xD1\x82\xD0\xBE\xD0\xBC";            // Летом
const std::string kPhoto = "\xE5\x86\x99\xE7\x9C\x9F";                             // 写真
const std::string kEmoji = "\xF0\x9F\x8C\x85";                                     // 🌅

struct Rename {
    std::string from, to;
    const char* panel = nullptr;
};

struct Case {
    const char* what;
    HostText host;
    std::optional<std::string> file;
    std::vector<Rename> renames;
    std::optional<std::string> expected;  // none: the file does not change
};

std::string Cp866(const std::string& utf8) {
    std::string bytes;
    EXPECT_TRUE(OpenCodePage(866)->Encode(utf8, &bytes)) << utf8;
    return bytes;
}

std::string Utf16Le(const std::string& ascii) {
    std::string bytes = "\xFF\xFE";
    for (const char c : ascii) {
        bytes.push_back(c);
        bytes.push_back('\0');
    }
    return bytes;
}

void Check(const Case& c) {
    SCOPED_TRACE(c.what);
    const std::unique_ptr<CodePage> oem = OpenCodePage(866);
    ASSERT_TRUE(oem);
    DescriptionEdit edit(c.host, c.host == HostText::Oem ? nullptr : oem.get());
    ASSERT_TRUE(edit.Load(c.file));
    for (const Rename& r : c.renames)
        edit.Renamed(r.from, r.to, r.panel);
    EXPECT_EQ(edit.Changed(), c.expected.has_value());
    if (c.expected) {
        EXPECT_EQ(edit.Render(), *c.expected);
    }
}

TEST(DescriptionEdit, UntouchedLinesComeThroughByteForByte) {
    const Case cases[] = {
        {"orphan line",
         HostText::Utf8,
         "a.txt Alpha\r\nghost.txt Orphan line\r\n",
         {{"a.txt", "b.txt", "Alpha"}},
         "b.txt Alpha\r\nghost.txt Orphan line\r\n"},
        {"continuation lines, spacing and LF line ends",
         HostText::Oem,
         "a.txt    Alpha\n  more\n\tand more\n\nc.txt C",
         {{"a.txt", "new name.txt", "Alpha more and more"}},
         "\"new name.txt\"    Alpha\n  more\n\tand more\n\nc.txt C"},
        {"quoted names",
         HostText::Oem,
         "\"my file.txt\" Mine\r\n\"a b\"Tight\r\nx.txt\r\n",
         {{"my file.txt", "x y", "Mine"}, {"a b", "ab", "Tight"}, {"x.txt", "y.txt", nullptr}},
         "\"x y\" Mine\r\nab Tight\r\ny.txt\r\n"},
        {"the first line of a name is the one the host reads",
         HostText::Utf8,
         "a 1\r\na 2\r\n",
         {{"a", "b", "1"}},
         "b 1\r\na 2\r\n"},
        {"and so after a rename further down",
         HostText::Utf8,
         "a 1\r\nx X\r\na 2\r\n",
         {{"x", "y", "X"}, {"a", "b", "1"}},
         "b 1\r\ny X\r\na 2\r\n"},
        {"a chain follows the old names",
         HostText::Oem,
         "a A\r\nb B\r\n",
         {{"b", "c", "B"}, {"a", "b", "A"}},
         "b A\r\nc B\r\n"},
        {"Windows hosts ignore ASCII letter case",
         HostText::Oem,
         "README.TXT Doc\r\n",
         {{"readme.txt", "r.txt", "Doc"}},
         "r.txt Doc\r\n"},
        {"and so does far2l",
         HostText::Utf8,
         "README.TXT Doc",
         {{"readme.txt", "r.txt", "Doc"}},
         "r.txt Doc"},
        {"a trailing dot is left out of lines",
         HostText::Oem,
         "notes Note\r\nREADME. Read\r\n",
         {{"notes.", "n2.", "Note"}, {"README", "R", "Read"}},
         "n2 Note\r\nR Read\r\n"},
        {"described elsewhere: a new line at the end",
         HostText::Oem,
         std::nullopt,
         {{"a", "b c", "from the panel"}, {"d", "e", nullptr}, {"f", "g", ""}},
         "\"b c\" from the panel\r\n"},
        {"nothing described was renamed", HostText::Utf8, "a A\r\n", {{"z", "y", nullptr}}, std::nullopt},
    };
    for (const Case& c : cases)
        Check(c);
}

// The renamed file's line is the one the host shows for it, and it alone names the new name after.
TEST(DescriptionEdit, RenamedFileShowsItsOwnLine) {
    const Case cases[] = {
        {"a line of another letter case moves, on far2l too",
         HostText::Utf8,
         "A.JPG upper\r\n",
         {{"a.jpg", "b.jpg", "upper"}},
         "b.jpg upper\r\n"},
        {"a stale line of the new name goes",
         HostText::Utf8,
         "b.jpg orphan\r\na.jpg mine\r\n",
         {{"a.jpg", "b.jpg", "mine"}},
         "b.jpg mine\r\n"},
        {"so with a counter",
         HostText::Oem,
         "n1.txt old1\r\nx.txt X\r\n",
         {{"x.txt", "n1.txt", "X"}},
         "n1.txt X\r\n"},
        {"and for a file without a line, continuation lines with it",
         HostText::Unicode,
         "b.jpg orphan\r\n  more\r\n\r\nc C",
         {{"a.jpg", "b.jpg", nullptr}},
         "\r\nc C"},
        {"a line a rename of the batch claimed is not stale",
         HostText::Oem,
         "b B\r\na A\r\nb dup\r\n",
         {{"b", "c", "B"}, {"a", "b", "A"}},
         "c B\r\nb A\r\n"},
    };
    for (const Case& c : cases)
        Check(c);
}

// A line of the new name in another letter case is the renamed file's on the screen, unless a
// file has its very spelling (far2l: "N2.TXT" beside "n2.txt"); the system is asked only then.
TEST(DescriptionEdit, LineOfTheNewNameInAnotherLetterCase) {
    const struct {
        const char* what;
        HostText host;
        std::vector<std::string> otherFiles;
        std::string expected;
    } cases[] = {
        {"no such file: both lines go", HostText::Utf8, {}, "b.txt d2\r\n"},
        {"the file of that spelling keeps its line", HostText::Utf8, {"N2.TXT"}, "N2.TXT d1\r\nb.txt d2\r\n"},
        {"FAR: no file but the renamed one", HostText::Oem, {}, "b.txt d2\r\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        DescriptionEdit edit(c.host, nullptr);
        ASSERT_TRUE(edit.Load(std::string("n2.txt d0\r\nN2.TXT d1\r\nb.txt d2\r\n")));
        std::vector<std::string> asked;
        edit.SetOtherFileQuery([&](std::string_view name, std::string_view renamed) {
            asked.push_back(std::string(name) + " " + std::string(renamed));
            return std::find(c.otherFiles.begin(), c.otherFiles.end(), name) != c.otherFiles.end();
        });
        edit.Renamed("n3.txt", "n2.txt", nullptr);
        EXPECT_EQ(edit.Render(), c.expected);
        EXPECT_EQ(asked, std::vector<std::string>{"N2.TXT n2.txt"});
    }
}

TEST(DescriptionEdit, FileKeepsTheCodePageItWasReadIn) {
    const std::string vacation = kVacation + ".jpg";
    const std::string vacation1 = kVacation + "_1.jpg";
    const std::string sunrise = kEmoji + " sunrise";
    const Case cases[] = {
        {"far2l, UTF-8 without a mark stays so",
         HostText::Utf8,
         vacation + " " + kSummer + "\r\nghost " + kSummer + "\r\n",
         {{vacation, vacation1, nullptr}},
         vacation1 + " " + kSummer + "\r\nghost " + kSummer + "\r\n"},
        {"far2l, an ASCII name turning Cyrillic in a UTF-8 file without a mark",
         HostText::Utf8,
         "a " + kSummer + "\r\n",
         {{"a", vacation, nullptr}},
         vacation + " " + kSummer + "\r\n"},
        {"far2l, CP866",
         HostText::Utf8,
         Cp866(vacation + " " + kSummer + "\r\n"),
         {{vacation, vacation1, nullptr}},
         Cp866(vacation1 + " " + kSummer + "\r\n")},
        {"a UTF-8 line in a CP866 file is found by its bytes and keeps them",
         HostText::Utf8,
         Cp866("a " + kSummer + "\r\n") + vacation + " x\r\n",
         {{vacation, vacation1, nullptr}},
         Cp866("a " + kSummer + "\r\n") + vacation1 + " x\r\n"},
        {"a marked file keeps its mark",
         HostText::Utf8,
         kMark + "a " + kSummer + "\r\n",
         {{"a", kPhoto, nullptr}},
         kMark + kPhoto + " " + kSummer + "\r\n"},
        {"pure ASCII takes a Cyrillic name in CP866",
         HostText::Unicode,
         "a.txt A\r\nb.txt B\r\n",
         {{"a.txt", vacation, nullptr}},
         Cp866(vacation) + " A\r\nb.txt B\r\n"},
        {"a name CP866 lacks turns the file to UTF-8 with a mark, each line from its own reading",
         HostText::Utf8,
         Cp866("a.txt " + kSummer + "\r\n") + "b.txt " + kSummer + "\r\n",
         {{"a.txt", kPhoto + ".txt", nullptr}, {"c", "d", sunrise.c_str()}},
         kMark + kPhoto + ".txt " + kSummer + "\r\nb.txt " + kSummer + "\r\nd " + kEmoji + " sunrise\r\n"},
        {"FAR 3, UTF-16",
         HostText::Unicode,
         Utf16Le("a.txt A\r\n"),
         {{"a.txt", "b.txt", nullptr}},
         Utf16Le("b.txt A\r\n")},
        {"FAR 1.x, OEM bytes as they are",
         HostText::Oem,
         "\x8E\xE2 x\r\n",
         {{"\x8E\xE2", "\x8E\xE2\xAF", nullptr}},
         "\x8E\xE2\xAF x\r\n"},
    };
    for (const Case& c : cases)
        Check(c);
}

// A file of many pieces comes out in pieces (each whole characters) that make the same file as
// the small cases above, in every way a file is kept: copied, marked, UTF-16, switched to UTF-8.
TEST(DescriptionEdit, LargeFileComesOutInPieces) {
    enum Way { Cp866File, MarkedFile, Utf16File, SwitchedToUtf8 };
    for (const Way way : {Cp866File, MarkedFile, Utf16File, SwitchedToUtf8}) {
        SCOPED_TRACE(way);
        const auto line = [&](const std::string& name, int i) {
            return name + " " + (way == Utf16File ? std::string("day ") : kSummer + " ") + std::to_string(i) +
                   "\r\n";
        };
        const auto inFile = [&](const std::string& text) {
            return way == Cp866File || way == SwitchedToUtf8 ? Cp866(text) : text;
        };
        std::string before = way == MarkedFile ? kMark : "";
        std::string after = way == MarkedFile || way == SwitchedToUtf8 ? kMark : "";
        const std::unique_ptr<CodePage> oem = OpenCodePage(866);
        DescriptionEdit edit(HostText::Utf8, oem.get());
        std::vector<Rename> renames;
        for (int i = 0; i < 8000; ++i) {
            const std::string name = "f" + std::to_string(i) + ".txt";
            const std::string renamed = i == 6999 && way == SwitchedToUtf8 ? kPhoto : "g" + std::to_string(i);
            before += inFile(line(name, i));
            after += way == SwitchedToUtf8 ? line(i % 3 == 0 ? renamed : name, i)
                                           : inFile(line(i % 3 == 0 ? renamed : name, i));
            if (i % 3 == 0)
                renames.push_back({name, renamed});
        }
        if (way == Utf16File) {
            before = Utf16Le(before);
            after = Utf16Le(after);
        }
        ASSERT_TRUE(edit.Load(before));
        for (const Rename& r : renames)
            edit.Renamed(r.from, r.to, nullptr);
        std::string pieces;
        edit.Render([&](std::string_view piece) {
            EXPECT_LE(piece.size(), 2u * (64 * 1024 + 4096));
            if (way == Utf16File) {
                EXPECT_EQ(piece.size() % 2, 0u);
            }
            pieces.append(piece);
        });
        ASSERT_GT(pieces.size(), 2u * 64 * 1024);
        EXPECT_TRUE(pieces == after);
    }
}

TEST(DescriptionEdit, FilesAHostCannotWriteBack) {
    // FAR 1.x has seen a Unicode file's names squeezed through OEM; UTF-16 with an odd byte at its
    // end would not come back the same.
    EXPECT_FALSE(DescriptionEdit(HostText::Oem, nullptr).Load(kMark + "a b\r\n"));
    EXPECT_FALSE(DescriptionEdit(HostText::Oem, nullptr).Load(Utf16Le("a b")));
    EXPECT_FALSE(DescriptionEdit(HostText::Unicode, nullptr).Load(Utf16Le("a b") + "c"));
    EXPECT_TRUE(DescriptionEdit(HostText::Unicode, nullptr).Load(Utf16Le("a b")));
}

}  // namespace
}  // namespace velmora
