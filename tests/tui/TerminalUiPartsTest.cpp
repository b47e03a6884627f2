// The terminal UI's parts that need no terminal: edit-field text, dialog history and help files.
#if defined(VELMORA_HAVE_TUI)

#include <gtest/gtest.h>

#include <clocale>
#include <string>
#include <vector>

#include "host/tui/EditLine.hpp"
#include "host/tui/HelpFile.hpp"
#include "host/tui/History.hpp"
#include "host/tui/RadioGroup.hpp"
#include "host/tui/Utf8.hpp"
#include "support/MemoryRegistry.hpp"

namespace velmora::host::tui {
namespace {

TEST(TerminalUi, Utf8StepsOverWholeCharacters) {
    const std::string text = "a\xD0\xAF\xE2\x82\xAC\xF0\x9F\x98\x80\xFFz";  // a Я € 😀 <bad byte> z
    std::vector<std::size_t> starts;
    for (std::size_t pos = 0; pos < text.size(); pos += CharLength(text, pos))
        starts.push_back(pos);
    EXPECT_EQ(starts, (std::vector<std::size_t>{0, 1, 3, 6, 10, 11}));
    std::vector<std::size_t> back;
    for (std::size_t pos = text.size(); pos > 0;)
        back.push_back(pos = PreviousChar(text, pos));
    EXPECT_EQ(back, (std::vector<std::size_t>{11, 10, 6, 3, 1, 0}));
    // Overlong and truncated forms are single bytes, never characters.
    EXPECT_EQ(CharLength("\xC0\xAF", 0), 1u);
    EXPECT_EQ(CharLength("\xE2\x82", 0), 1u);
    EXPECT_EQ(DecodeChar("\xED\xA0\x80", 0), -1);  // a surrogate
}

TEST(TerminalUi, EditLineKeys) {
    struct Case {
        const char* name;
        std::string start;
        std::vector<std::string> keys;  // "<L" left, ">R" right, "H" home, "E" end, "B" backspace, "D"
                                        // delete, "Y" clear, else typed
        std::string text;
        std::size_t cursor;
    };
    const std::string ya = "\xD0\xAF";  // Я, two bytes
    const std::vector<Case> cases = {
        {"typing appends at the end", "ab", {"c"}, "abc", 3},
        {"left moves over a whole character", "a" + ya, {"<L", "x"}, "ax" + ya, 2},
        {"backspace removes a whole character", ya + ya, {"B"}, ya, 2},
        {"delete at home removes a whole character", ya + "b", {"H", "D"}, "b", 0},
        {"delete at the end does nothing", "ab", {"D"}, "ab", 2},
        {"backspace at home does nothing", "ab", {"H", "B"}, "ab", 0},
        {"right at the end stays", "ab", {">R", ">R"}, "ab", 2},
        {"home then type inserts in front", "bc", {"H", "a"}, "abc", 1},
        {"ctrl+y clears", "abc", {"Y", "z"}, "z", 1},
        {"an invalid byte is one character", "a\xFF", {"B"}, "a", 1},
    };
    for (const Case& c : cases) {
        EditLine line(c.start);
        for (const std::string& key : c.keys) {
            if (key == "<L")
                line.Left();
            else if (key == ">R")
                line.Right();
            else if (key == "H")
                line.Home();
            else if (key == "E")
                line.End();
            else if (key == "B")
                line.Backspace();
            else if (key == "D")
                line.Delete();
            else if (key == "Y")
                line.Clear();
            else
                line.Insert(key);
        }
        EXPECT_EQ(line.Text(), c.text) << c.name;
        EXPECT_EQ(line.Cursor(), c.cursor) << c.name;
    }
}

TEST(TerminalUi, EditLineUnchangedTextIsReplacedByTyping) {
    EditLine line("%F");
    line.SetUnchanged(true);
    line.Insert("x");
    EXPECT_EQ(line.Text(), "x");
    EditLine moved("%F");
    moved.SetUnchanged(true);
    moved.Left();
    moved.Insert("x");
    EXPECT_EQ(moved.Text(), "%xF");
}

TEST(TerminalUi, EditLineKeepsTheItemLimit) {
    EditLine line(std::string(600, 'a'));
    EXPECT_EQ(line.Text().size(), EditLine::kMaxBytes);
    EXPECT_FALSE(line.Insert("b"));
    EXPECT_EQ(line.Text().size(), EditLine::kMaxBytes);
    // A two-byte character that would cross the limit is refused whole, and never cut by SetText.
    EditLine nearly(std::string(510, 'a'));
    EXPECT_FALSE(nearly.Insert("\xD0\xAF"));
    EXPECT_TRUE(nearly.Insert("b"));
    EditLine cut(std::string(510, 'a') + "\xD0\xAF");
    EXPECT_EQ(cut.Text(), std::string(510, 'a'));
}

TEST(TerminalUi, EditLineScrollsToKeepTheCursorVisible) {
    EditLine line("abcdefghij");
    EditLine::View view = line.Layout(4);  // cursor at the end needs its own cell
    EXPECT_EQ(line.Text().substr(view.begin, view.end - view.begin), "hij");
    EXPECT_EQ(view.cursorColumn, 3);
    line.Home();
    view = line.Layout(4);
    EXPECT_EQ(line.Text().substr(view.begin, view.end - view.begin), "abcd");
    EXPECT_EQ(view.cursorColumn, 0);
    // Wide characters count two columns (under a UTF-8 character set, as the UI runs) and are
    // never cut in half at the edge.
    const std::string saved = std::setlocale(LC_CTYPE, nullptr);
    if (!std::setlocale(LC_CTYPE, "C.UTF-8"))
        GTEST_SKIP() << "no C.UTF-8 locale";
    EditLine wide("\xE4\xB8\x80\xE4\xB8\x80\xE4\xB8\x80");  // three CJK characters
    view = wide.Layout(5);
    EXPECT_EQ(view.cursorColumn, 4);
    EXPECT_EQ(view.end - view.begin, 6u);
    std::setlocale(LC_CTYPE, saved.c_str());
}

TEST(TerminalUi, HistoryIsMostRecentFirstWithoutDuplicates) {
    std::vector<std::string> entries;
    for (const char* text : {"a", "b", "a", "", "c"})
        entries = AddToHistory(entries, text);
    EXPECT_EQ(entries, (std::vector<std::string>{"c", "a", "b"}));
    for (int i = 0; i < 20; ++i)
        entries = AddToHistory(entries, "n" + std::to_string(i));
    ASSERT_EQ(entries.size(), kHistoryEntries);
    EXPECT_EQ(entries.front(), "n19");
    EXPECT_EQ(entries.back(), "n4");
}

TEST(TerminalUi, HistoryIsStoredUnderTheDialogHistoryKey) {
    test::MemoryRegistry registry;
    SetRegistry(&registry);
    RememberInHistory("Velmora_Name", "%N.bak");
    RememberInHistory("Velmora_Name", "IMG_%#");
    RememberInHistory("Velmora_Name", "%N.bak");
    const std::string key = "Software\\Far\\SavedDialogHistory\\Velmora_Name";
    EXPECT_EQ(registry.values[key + "|Line0"], std::string("%N.bak") + '\0');
    EXPECT_EQ(registry.values[key + "|Line1"], std::string("IMG_%#") + '\0');
    EXPECT_EQ(LoadHistory("Velmora_Name"), (std::vector<std::string>{"%N.bak", "IMG_%#"}));
    // A damaged store (count too large, a missing line, a repeated line) still loads sensibly.
    registry.Put(key, "Count", std::string("\x63\0\0\0", 4));
    registry.Put(key, "Line3", std::string("%N.bak") + '\0');
    registry.Put(key, "Line4", std::string("old") + '\0');
    EXPECT_EQ(LoadHistory("Velmora_Name"), (std::vector<std::string>{"%N.bak", "IMG_%#", "old"}));
    EXPECT_TRUE(LoadHistory("Unknown").empty());
    SetRegistry(nullptr);
}

// Two letter-case groups parted by a label: a choice in one leaves the other as it was.
TEST(TerminalUi, RadioButtonSelectsWithinItsGroupOnly) {
    far::FarDialogItem items[10] = {};
    const int types[10] = {far::DI_TEXT,     far::DI_RADIOBUTTON, far::DI_RADIOBUTTON, far::DI_RADIOBUTTON,
                           far::DI_TEXT,     far::DI_RADIOBUTTON, far::DI_RADIOBUTTON, far::DI_RADIOBUTTON,
                           far::DI_CHECKBOX, far::DI_RADIOBUTTON};
    for (int i = 0; i < 10; ++i)
        items[i].Type = types[i];
    items[1].Selected = items[5].Selected = items[8].Selected = items[9].Selected = 1;
    auto selected = [&items] {
        std::string marks;
        for (const far::FarDialogItem& item : items)
            marks += item.Selected ? '1' : '0';
        return marks;
    };
    SelectRadioButton(items, 10, 3);
    EXPECT_EQ(selected(), "0001010011");
    SelectRadioButton(items, 10, 7);
    EXPECT_EQ(selected(), "0001000111");
    SelectRadioButton(items, 10, 8);  // a check box is no radio button
    SelectRadioButton(items, 10, 10);
    EXPECT_EQ(selected(), "0001000111");
}

TEST(TerminalUi, HelpTopicsRenderAsPlainText) {
    const std::string file =
        ".Language=English,English\r\n"
        "@Contents\r\n"
        "$ #Title of contents#\r\n"
        " See ~the dialog~@EnterVelmora@.\r\n"
        "@EnterVelmora\r\n"
        "$ #The dialog#\r\n"
        " A #highlighted# word, 100%% sure,\r\n"
        "continued here; ## and ~~ and @@ stay.\r\n"
        "\r\n"
        "   %## the counter\r\n"
        "@Other\r\n"
        " not part of it\r\n";
    HelpTopic topic;
    ASSERT_TRUE(FindHelpTopic(file, "entervelmora", &topic));
    ASSERT_EQ(topic.lines.size(), 4u);
    EXPECT_TRUE(topic.lines[0].heading);
    EXPECT_EQ(PlainText(topic.lines[0]), "The dialog");
    EXPECT_EQ(PlainText(topic.lines[1]),
              " A highlighted word, 100%% sure, continued here; # and ~ and @ stay.");
    EXPECT_EQ(topic.lines[1].spans[1].style, HelpStyle::Highlight);
    EXPECT_EQ(PlainText(topic.lines[3]), "   %# the counter");
    ASSERT_TRUE(FindHelpTopic(file, "Contents", &topic));
    const HelpSpan& link = topic.lines[1].spans[1];
    EXPECT_EQ(link.style, HelpStyle::Link);
    EXPECT_EQ(link.text, "the dialog");
    EXPECT_EQ(link.topic, "EnterVelmora");
    EXPECT_FALSE(FindHelpTopic(file, "Missing", &topic));
    EXPECT_FALSE(FindHelpTopic(file, "", &topic));
}

TEST(TerminalUi, HelpLinesWrapAtSpaces) {
    HelpLine line = ParseHelpLine("one two #three# four");
    std::vector<std::string> rows;
    for (const HelpLine& row : WrapHelpLine(line, 9))
        rows.push_back(PlainText(row));
    EXPECT_EQ(rows, (std::vector<std::string>{"one two", "three", "four"}));
    rows.clear();
    for (const HelpLine& row : WrapHelpLine(ParseHelpLine("abcdefghij"), 4))
        rows.push_back(PlainText(row));
    EXPECT_EQ(rows, (std::vector<std::string>{"abcd", "efgh", "ij"}));
}

}  // namespace
}  // namespace velmora::host::tui

#endif  // VELMORA_HAVE_TUI
