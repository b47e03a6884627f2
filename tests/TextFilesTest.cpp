// The language and help files shipped beside the plug-in: every help topic the code names exists
// in every help file, links lead to topics that exist, and every language file has one text for
// each message number.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <regex>
#include <set>
#include <string>
#include <vector>

#include "far/HostConventions.hpp"
#include "platform/CodePage.hpp"
#include "ports/Messages.hpp"
#include "preview/DialogLayout.hpp"

namespace fs = std::filesystem;

namespace {

const fs::path kSource = VELMORA_SOURCE_DIR;

std::string ReadText(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    std::string line;
    for (char c : text) {
        if (c == '\n') {
            if (!line.empty() && line.back() == '\r')
                line.pop_back();
            lines.push_back(line);
            line.clear();
        } else {
            line += c;
        }
    }
    if (!line.empty())
        lines.push_back(line);
    return lines;
}

const std::vector<std::string> kHelpFiles = {"VelmoraEng.hlf", "VelmoraRus.hlf"};
const std::vector<std::string> kLanguageFiles = {"VelmoraEng.lng", "VelmoraRus.lng"};

// A language file's texts in message order, without their quotes.
std::vector<std::string> MessageTexts(const std::string& name) {
    std::vector<std::string> texts;
    for (const std::string& line : Lines(ReadText(kSource / "lang" / name))) {
        if (line.size() >= 2 && line[0] == '"')
            texts.push_back(line.substr(1, line.size() - 2));
    }
    return texts;
}

// The help topics the plug-in's code passes to the host: warning boxes and the dialog.
std::set<std::string> TopicsNamedInCode() {
    const std::regex named(R"re((?:ShowWarning\(\s*|Stop\(\s*|HelpTopic\s*=\s*)"([A-Za-z]+)")re");
    std::set<std::string> topics;
    for (const auto& entry : fs::recursive_directory_iterator(kSource / "src")) {
        const std::string ext = entry.path().extension().string();
        if (!entry.is_regular_file() || (ext != ".cpp" && ext != ".hpp"))
            continue;
        const std::string text = ReadText(entry.path());
        for (std::sregex_iterator it(text.begin(), text.end(), named), end; it != end; ++it)
            topics.insert((*it)[1]);
    }
    return topics;
}

struct HelpFile {
    std::vector<std::string> lines;
    std::set<std::string> topics;        // "@Name" lines
    std::set<std::string> titledTopics;  // topics whose next line is "$ #Title#"
    std::set<std::string> linkTargets;   // "~Text~@Name@"
};

HelpFile ReadHelp(const std::string& name) {
    HelpFile help;
    help.lines = Lines(ReadText(kSource / "help" / name));
    const std::regex link(R"(~[^~]+~@([A-Za-z]+)@)");
    const std::regex title(R"(^\$ #[^#].*#\s*$)");
    for (std::size_t i = 0; i < help.lines.size(); ++i) {
        const std::string& line = help.lines[i];
        if (line.size() > 1 && line[0] == '@' && line[1] != '@') {
            help.topics.insert(line.substr(1));
            if (i + 1 < help.lines.size() && std::regex_match(help.lines[i + 1], title))
                help.titledTopics.insert(line.substr(1));
        }
        for (std::sregex_iterator it(line.begin(), line.end(), link), end; it != end; ++it)
            help.linkTargets.insert((*it)[1]);
    }
    return help;
}

}  // namespace

TEST(TextFiles, CodeNamesTheKnownHelpTopics) {
    // Guards the scan below: if the code's way of naming topics changes, it must still find these.
    const std::set<std::string> topics = TopicsNamedInCode();
    for (const char* expected :
         {"EnterVelmora", "FileExist", "CanNotMove", "CanNotWrite", "CanNotCreate", "DescExist"})
        EXPECT_EQ(topics.count(expected), 1u) << expected;
}

TEST(TextFiles, EveryHelpFileHasEveryTopicWithATitle) {
    std::set<std::string> wanted = TopicsNamedInCode();
    wanted.insert("Contents");
    for (const std::string& name : kHelpFiles) {
        SCOPED_TRACE(name);
        const HelpFile help = ReadHelp(name);
        ASSERT_FALSE(help.lines.empty());
        for (const std::string& topic : wanted) {
            EXPECT_EQ(help.topics.count(topic), 1u) << "missing topic @" << topic;
            EXPECT_EQ(help.titledTopics.count(topic), 1u)
                << "topic @" << topic << " has no \"$ #Title#\" line";
        }
        for (const std::string& target : help.linkTargets)
            EXPECT_EQ(help.topics.count(target), 1u) << "link to missing topic @" << target;
        // Every topic is reachable from the contents or from another topic.
        for (const std::string& topic : help.topics) {
            if (topic != "Contents") {
                EXPECT_EQ(help.linkTargets.count(topic), 1u) << "no link leads to @" << topic;
            }
        }
    }
}

TEST(TextFiles, HelpFileHeaders) {
    const std::vector<std::string> languages = {
        ".Language=English,English",
        ".Language=Russian,Russian (\xD0\xA0\xD1\x83\xD1\x81\xD1\x81\xD0\xBA"
        "\xD0\xB8\xD0\xB9)"};
    for (std::size_t i = 0; i < kHelpFiles.size(); ++i) {
        SCOPED_TRACE(kHelpFiles[i]);
        const HelpFile help = ReadHelp(kHelpFiles[i]);
        ASSERT_GE(help.lines.size(), 2u);
        EXPECT_EQ(help.lines[0], languages[i]);
        EXPECT_EQ(help.lines[1], ".PluginContents=Velmora");
    }
}

TEST(TextFiles, HelpMarkupIsBalanced) {
    // An odd number of unescaped "#" or "~" on a line runs the highlight or the link into the
    // next line; "##" and "~~" stand for the characters themselves.
    for (const std::string& name : kHelpFiles) {
        const HelpFile help = ReadHelp(name);
        for (const std::string& line : help.lines) {
            if (line.empty() || line[0] == '.' || line[0] == '@')
                continue;
            int hashes = 0;
            int tildes = 0;
            for (std::size_t i = 0; i < line.size(); ++i) {
                const char c = line[i];
                if ((c == '#' || c == '~' || c == '@') && i + 1 < line.size() && line[i + 1] == c) {
                    ++i;
                    continue;
                }
                hashes += c == '#';
                tildes += c == '~';
            }
            EXPECT_EQ(hashes % 2, 0) << name << ": " << line;
            EXPECT_EQ(tildes % 2, 0) << name << ": " << line;
        }
    }
}

TEST(TextFiles, EveryLanguageFileHasOneTextPerMessage) {
    for (const std::string& name : kLanguageFiles) {
        SCOPED_TRACE(name);
        const std::vector<std::string> lines = Lines(ReadText(kSource / "lang" / name));
        ASSERT_FALSE(lines.empty());
        EXPECT_EQ(lines[0].rfind(".Language=", 0), 0u);
        int messages = 0;
        for (const std::string& line : lines) {
            if (!line.empty() && line[0] == '"') {
                ++messages;
                EXPECT_TRUE(line.size() >= 2 && line.back() == '"') << line;
            }
        }
        EXPECT_EQ(messages, velmora::MessageCount);
    }
}

// Every text of the rename dialog fits its place in every language: a label or switch ends a
// column before the next item of its row and inside the frame, and the buttons fit side by side.
TEST(TextFiles, DialogTextsFitTheirPlacesInEveryLanguage) {
    using velmora::DialogItemKind;
    using velmora::DialogRow;
    using velmora::kDialogRows;
    const auto columns = [](const std::string& text) {
        int count = 0;
        for (unsigned char c : text)
            count += (c & 0xC0) != 0x80;
        return count;
    };
    for (const std::string& name : kLanguageFiles) {
        SCOPED_TRACE(name);
        const std::vector<std::string> texts = MessageTexts(name);
        ASSERT_EQ(texts.size(), static_cast<std::size_t>(velmora::MessageCount));
        const DialogRow& frame = kDialogRows[0];
        EXPECT_LE(columns(texts[static_cast<std::size_t>(frame.textId)]) + 2, frame.x2 - frame.x1 - 1);
        int buttons = -1;
        for (int i = 1; i < far::kDialogItemCount; ++i) {
            const DialogRow& row = kDialogRows[i];
            const int textId = i == far::kDialogSaveDescriptionItem ? velmora::MSaveDescriptions : row.textId;
            if (textId < 0)
                continue;
            int length = columns(texts[static_cast<std::size_t>(textId)]);
            if (row.kind == DialogItemKind::Button) {
                buttons += length + 4 + 1;  // "[ text ]" and a column between buttons
                continue;
            }
            if (row.kind == DialogItemKind::CheckBox || row.kind == DialogItemKind::RadioButton)
                length += 4;  // "[ ] " or "( ) "
            int last = frame.x2 - 1;
            for (int j = 1; j < far::kDialogItemCount; ++j) {
                const DialogRow& other = kDialogRows[j];
                if (other.y1 == row.y1 && other.x1 > row.x1 && !other.separator && !other.centerGroup)
                    last = std::min(last, other.x1 - 2);
            }
            EXPECT_LE(row.x1 + length - 1, last)
                << "item " << i << ": " << texts[static_cast<std::size_t>(textId)];
        }
        EXPECT_LE(buttons, frame.x2 - frame.x1 - 1);
    }
}

TEST(TextFiles, EnglishFilesAreAscii) {
    // The Windows package copies them unconverted: FAR reads them in the OEM code page.
    for (const fs::path& path : {kSource / "lang" / "VelmoraEng.lng", kSource / "help" / "VelmoraEng.hlf"}) {
        const std::string text = ReadText(path);
        ASSERT_FALSE(text.empty()) << path;
        for (unsigned char c : text)
            ASSERT_LT(c, 0x80) << path;
    }
}

TEST(TextFiles, BuiltHelpFilesNameTheVersion) {
    // The build puts the project version into the contents title and changes nothing else.
    const std::string placeholder = "{VERSION}";
    for (const std::string& name : kHelpFiles) {
        SCOPED_TRACE(name);
        std::string expected = ReadText(kSource / "help" / name);
        const std::size_t at = expected.find(placeholder);
        ASSERT_NE(at, std::string::npos);
        expected.replace(at, placeholder.size(), VELMORA_VERSION);
        const std::string built = ReadText(fs::path(VELMORA_BUILD_DIR) / name);
        EXPECT_EQ(built, expected);
        EXPECT_NE(built.find("\n$ #Velmora " VELMORA_VERSION ":"), std::string::npos);
    }
}

TEST(TextFiles, MenuEntriesNameThePluginAndSortWithTheRenameFirst) {
    // The hosts sort the plug-ins menu by text and F11 Enter opens the first entry: FAR 1.x reads
    // the texts in the OEM code page and compares bytes, far2l reads UTF-8 and weighs punctuation
    // apart from letters. Texts that read alike up to a letter sort alike under both.
    const std::unique_ptr<velmora::CodePage> oem = velmora::OpenCodePage(866);
    ASSERT_TRUE(oem);
    const std::vector<int> renameFirst = {far::kMenuRename, far::kMenuUndo};
    for (const std::string& name : kLanguageFiles) {
        SCOPED_TRACE(name);
        const std::vector<std::string> texts = MessageTexts(name);
        ASSERT_EQ(texts.size(), static_cast<std::size_t>(velmora::MessageCount));
        std::string rename = texts[velmora::MMenuEntry], undo = texts[velmora::MUndoMenuEntry];
        EXPECT_EQ(rename.rfind("Velmora: ", 0), 0u) << rename;
        EXPECT_EQ(undo.rfind("Velmora: ", 0), 0u) << undo;
        std::string renameOem, undoOem;
        ASSERT_TRUE(oem->Encode(rename, &renameOem) && oem->Encode(undo, &undoOem));
        EXPECT_LT(rename, undo);
        EXPECT_LT(renameOem, undoOem);
        EXPECT_EQ(far::MenuOrderFar1({renameOem, undoOem}), renameFirst);
        EXPECT_EQ(far::MenuOrderFar2l({rename, undo}), renameFirst);
    }
}

TEST(TextFiles, Far2lMenuCollationWeighsPunctuationApartFromLetters) {
    // Each pair in the order far2l shows it.
    const std::pair<std::string, std::string> ordered[] = {
        {"Velmora: undo last batch rename", "Velmora batch rename"},  // seen in far2l 2.8
        {"a.b", "a:b"},                                               // "." before the other marks
        {"a-b", "a b"},                                               // marks before white space
        {"a b", "a1"},                                                // white space before digits
        {"a9", "aB"},                                                 // digits before letters
        {"ab", "abc"},
        {"Velmora: batch", "velmora: UNDO"},
        {"z", "\xD0\xB0"},         // Latin before Cyrillic: "а"
        {"\xD0\xB3", "\xD0\x9E"},  // "г" before "О"
        {"\xD0\xB5", "\xD1\x91"},  // "е" before "ё"
        {"\xD0\x81", "\xD0\xB6"},  // "Ё" before "ж"
    };
    for (const auto& [first, second] : ordered) {
        SCOPED_TRACE(first + " | " + second);
        EXPECT_LT(far::CompareFar2lMenuTexts(first, second), 0);
        EXPECT_GT(far::CompareFar2lMenuTexts(second, first), 0);
    }
    EXPECT_EQ(far::CompareFar2lMenuTexts("Velmora", "vELMORA"), 0);
    // The hot key's mark is not compared; entries of one text keep the plug-in's order.
    EXPECT_EQ(far::MenuOrderFar2l({"&b", "a", "A"}), (std::vector<int>{1, 2, 0}));
    EXPECT_EQ(far::MenuOrderFar1({"&b", "a", "A"}), (std::vector<int>{1, 2, 0}));
    // Bytes put the space first.
    EXPECT_EQ(far::MenuOrderFar1({"Velmora: undo", "Velmora batch"}), (std::vector<int>{1, 0}));
}

TEST(TextFiles, RussianFilesFitTheOemCodePage) {
    // The Windows package converts them to CP866, as FAR 1.x reads them: a character it lacks (a
    // long dash, say) fails the package's build.
    const std::unique_ptr<velmora::CodePage> oem = velmora::OpenCodePage(866);
    ASSERT_TRUE(oem);
    for (const fs::path& path : {kSource / "lang" / "VelmoraRus.lng", kSource / "help" / "VelmoraRus.hlf"}) {
        std::string bytes;
        EXPECT_TRUE(oem->Encode(ReadText(path), &bytes)) << path;
    }
}
