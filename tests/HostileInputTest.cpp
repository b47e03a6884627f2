// Whole in-process runs on input meant to break things: names made of every byte a name can
// hold, templates that make impossible names, a damaged settings store, a damaged or missing
// language file, a damaged description file. Each run ends with a clear box or message, and no
// file or description is lost.
#include <gtest/gtest.h>

#if !defined(_WIN32)
#include <sys/stat.h>
#endif

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <set>
#include <string>
#include <vector>

#include "host/DescriptionIndex.hpp"
#include "support/HostRunner.hpp"

namespace velmora::test {
namespace {

// The names after "--", so that "-rf" is a name and not an option.
std::vector<std::string> With(std::vector<std::string> args, const std::vector<std::string>& names) {
    args.push_back("--");
    args.insert(args.end(), names.begin(), names.end());
    return args;
}

// Every file is in the directory under `names` (the same count and content as made), nothing else
// but `others`.
void ExpectExactly(const HostRunner& runner, const std::vector<std::string>& names,
                   const std::vector<std::string>& contentsOf, const std::set<std::string>& others = {}) {
    std::set<std::string> expected(others.begin(), others.end());
    for (std::size_t i = 0; i < names.size(); ++i) {
        expected.insert(names[i]);
        EXPECT_EQ(runner.Dir().ReadFile(names[i]), "content of " + contentsOf[i]) << names[i];
    }
    const std::vector<std::string> present = runner.Dir().ListNames();
    EXPECT_EQ(std::set<std::string>(present.begin(), present.end()), expected);
}

#if defined(_WIN32)
// Windows refuses control characters and "*:<>?\|, drops a trailing blank or dot, and sees
// names that differ in letter case alone as one: keep to bytes that make a name of their own
// (lower-case letters, and in the OEM code page 866 the tests run in the small Cyrillic letters,
// the box-drawing characters and the symbols).
bool ByteMakesAWindowsName(int byte) {
    if (byte < 0x21 || byte == 0x7F || (byte >= 'A' && byte <= 'Z')) {
        return false;
    }
    if (byte < 0x80) {
        return std::string("\"*:<>?\\|").find(static_cast<char>(byte)) == std::string::npos;
    }
    return (byte >= 0xA0 && byte <= 0xEF) || byte >= 0xF8;
}
#endif

// One name per byte value from 0x01 to 0xFF ("/" excepted), the byte at the start, in the
// middle and at the end; and names that look like options, hide, quote or are as long as allowed.
std::vector<std::string> HostileNames() {
    std::vector<std::string> names;
    for (int byte = 1; byte <= 0xFF; ++byte) {
        if (byte == '/') {
            continue;
        }
#if defined(_WIN32)
        if (!ByteMakesAWindowsName(byte) || byte == '.') {
            continue;
        }
#endif
        const std::string c(1, static_cast<char>(byte));
        std::string name = c + "m" + c + "x" + c;
        if (name == "." || byte == '.') {
            name = ".m.x.";  // a name of dots alone is "." or ".."
        }
        names.push_back(name);
    }
#if defined(_WIN32)
    for (const char* name :
         {"-rf", "--help", "-", ".hidden", "..dots", " lead", "'single'", "%F%N%%", "a b c.d e"}) {
        names.push_back(name);
    }
    // A whole path holds at most 259 bytes here; the temporary directory takes about 50 of them.
    names.push_back(std::string(200, 'L'));
#else
    for (const char* name : {"-rf", "--help", "-", ".hidden", "..dots", " lead", "trail ", "\"quoted\"",
                             "'single'", "%F%N%%", "a b c.d e", "\t tab", "new\nline", "\r"}) {
        names.push_back(name);
    }
    names.push_back(std::string(250, 'L'));  // with the two bytes the template adds: 252
#endif
    return names;
}

TEST(HostileInput, EveryByteInNamesRenamesAndKeepsDescriptions) {
    HostRunner runner;
    std::vector<std::string> names = HostileNames();
    std::set<std::string> unique(names.begin(), names.end());
    ASSERT_EQ(unique.size(), names.size());
    runner.MakeFiles(names);
    // Descriptions for the names a description line can carry (no line break, tab or quote).
    std::string descriptions;
    std::vector<std::pair<std::string, std::string>> described;
    for (std::size_t i = 0; i < names.size(); ++i) {
        const std::string& name = names[i];
        if (name.find_first_of("\r\n\t\"") != std::string::npos || name.back() == '.' || name.back() == ' ') {
            continue;
        }
        const bool quote = name.find(' ') != std::string::npos;
        const std::string description = "description " + std::to_string(i) + " \xC3\xA9\x01%";
        descriptions += (quote ? "\"" + name + "\"" : name) + " " + description + "\r\n";
        described.emplace_back(name, description);
    }
    runner.Dir().WriteFile("Descript.ion", descriptions);

    const HostResult result =
        runner.Run(With({"--yes", "--mask", "%F.r", "--save-descriptions", "1", "--columns", "N,Z"}, names));
    EXPECT_EQ(result.status, 0) << result.err;
    EXPECT_TRUE(result.WarningBoxes().empty());
    std::vector<std::string> renamed;
    for (const std::string& name : names) {
        renamed.push_back(name + ".r");
    }
    ExpectExactly(runner, renamed, names, {"Descript.ion"});

    host::DescriptionIndex index;
    std::string written = runner.Dir().ReadFile("Descript.ion");
    // far2l's plug-in marks a file that holds UTF-8 text.
    if (written.compare(0, 3, "\xEF\xBB\xBF") == 0)
        written.erase(0, 3);
    index.Parse(written);
    EXPECT_EQ(index.Count(), described.size());
    for (const auto& [name, description] : described) {
        const std::string* found = index.Find(name + ".r");
        ASSERT_NE(found, nullptr) << name;
        EXPECT_EQ(*found, description) << name;
    }
}

TEST(HostileInput, TemplatesMakingImpossibleNames) {
    struct Case {
        std::string mask;
        const char* help;  // the box expected
    } cases[] = {
        {"missing/%F", "CanNotMove"},           // into a directory that is not there
        {"..", "CanNotMove"},                   // the parent directory's name
        {".", "CanNotMove"},                    // the directory's own name
        {"", "CanNotMove"},                     // an empty name
        {"%E", "CanNotMove"},                   // empty for a name without extension
        {"same", "FileExist"},                  // two files, one name: the second is refused
        {"%F%F%F", "CanNotMove"},               // longer than the system allows
        {std::string(300, 'x'), "CanNotMove"},  // cut to 260, still more than a name may have here
    };
    for (const Case& c : cases) {
        SCOPED_TRACE("mask '" + c.mask + "'");
        HostRunner runner;
        const std::vector<std::string> names = {"noext", std::string(100, 'n') + ".y"};
        runner.MakeFiles(names);
        const HostResult result =
            runner.Run(With({"--yes", "--mask", c.mask, "--save-descriptions", "0"}, names));
        const std::vector<std::string> boxes = result.WarningBoxes();
        // Whatever happened, the directory holds the two files, each under one name, bytes intact.
        std::multiset<std::string> contents;
        for (const std::string& name : runner.Dir().ListNames()) {
            contents.insert(runner.Dir().ReadFile(name));
        }
        EXPECT_EQ(contents, (std::multiset<std::string>{"content of " + names[0], "content of " + names[1]}))
            << result.err;
        ASSERT_EQ(boxes.size(), 1u) << result.err;
        EXPECT_NE(boxes[0].find(std::string("\"help\":\"") + c.help + "\""), std::string::npos) << boxes[0];
        EXPECT_EQ(result.status, 1);
    }
}

#if !defined(_WIN32)
// The REGEDIT4 store file is the POSIX registry; Windows keeps settings in its own.
TEST(HostileInput, DamagedSettingsStore) {
    const std::string damaged[] = {
        std::string("\0\0\0garbage\xFF\xFE", 12),
        "REGEDIT4\n[HKEY_CURRENT_USER\\Software\\Far\\Plugins\\Velmora]\n\"velmora\"=hex:zz,\n\"number\"="
        "dword:xyz\n"
        "\"SaveDescription\"=\"\n[unclosed\n" +
            std::string(100000, 'v'),
        "not a store at all\n",
    };
    for (const std::string& text : damaged) {
        HostRunner runner;
        runner.MakeFiles({"a.txt"});
        runner.WriteStore(text);
        const HostResult result =
            runner.Run({"--yes", "--mask", "%N.new", "--save-descriptions", "0", "a.txt"});
        EXPECT_EQ(result.status, 0) << result.err;
        ExpectExactly(runner, {"a.new"}, {"a.txt"});
        // The options were stored, and the damaged text was kept, not thrown away.
        const std::string store = runner.StoreText();
        EXPECT_NE(store.find("%N.new"), std::string::npos) << store;
        if (text.compare(0, 8, "REGEDIT4") != 0) {
            // Not a store: kept whole beside the fresh one.
            std::ifstream in(std::string(std::getenv("XDG_CONFIG_HOME")) + "/velmora/registry.reg.damaged",
                             std::ios::binary);
            const std::string kept((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
            EXPECT_EQ(kept, text);
        } else {
            // A store with damaged lines keeps them in place.
            EXPECT_NE(store.find("\"number\"=dword:xyz"), std::string::npos);
        }
    }
}
#endif

TEST(HostileInput, DamagedOrMissingLanguageFile) {
    const std::string lngTexts[] = {
        "",                                           // empty
        std::string("\0\0\xFF", 3),                   // binary
        "\"text\"\n\"no header\"\n",                  // no .Language= line
        ".Language=English,English\n\"only one\"\n",  // too few messages
        ".Language=English,English\n" + std::string(200000, '"') + "\n",
    };
    int index = 0;
    for (const std::string& lngText : lngTexts) {
        SCOPED_TRACE("language file " + std::to_string(index++));
        HostRunner runner;
        runner.MakeFiles({"a.txt"});
        runner.Dir().WriteFile("x.lng", lngText);
        const HostResult result =
            runner.RunRaw({"-C", runner.Dir().Path(), "--lang", runner.Dir().PathOf("x.lng"), "--yes",
                           "--mask", "%N.new", "--save-descriptions", "0", "a.txt"});
        // Either refused before anything happened, with a message naming the file, or run through.
        if (result.status == 2) {
            EXPECT_NE(result.err.find("x.lng"), std::string::npos) << result.err;
            EXPECT_EQ(runner.Dir().ListNames(), (std::vector<std::string>{"a.txt", "x.lng"}));
            EXPECT_EQ(runner.Dir().ReadFile("a.txt"), "content of a.txt");
        } else {
            EXPECT_EQ(result.status, 0) << result.err;
            EXPECT_EQ(runner.Dir().ReadFile("a.new"), "content of a.txt");
        }
    }
    HostRunner runner;
    runner.MakeFiles({"a.txt"});
    const HostResult result =
        runner.RunRaw({"-C", runner.Dir().Path(), "--lang", "/nonexistent/VelmoraEng.lng", "--yes", "--mask",
                       "%N.new", "a.txt"});
    EXPECT_EQ(result.status, 2);
    EXPECT_NE(result.err.find("/nonexistent/VelmoraEng.lng"), std::string::npos) << result.err;
    ExpectExactly(runner, {"a.txt"}, {"a.txt"});
}

TEST(HostileInput, DamagedDescriptionFile) {
    const std::string enormous(1 << 20, 'e');
    // a.txt's line takes the new name; every other byte of the file stays as it was.
    const struct {
        const char* what;
        std::string contents;
    } cases[] = {
        {"zero bytes", std::string("a.txt one\0two\r\nb.txt \0\r\n\0\0\0\r\n", 28)},
        {"enormous line", "a.txt " + enormous + "\r\nb.txt short\r\n"},
        {"no final newline", "b.txt bee\r\na.txt last"},
        {"bare CR and LF", "a.txt x\rb.txt y\nb.txt z\n"},
        {"only blanks", "   \r\n\t\t\n  continued\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        HostRunner runner;
        runner.MakeFiles({"a.txt", "b.txt"});
        runner.Dir().WriteFile("Descript.ion", c.contents);
        const HostResult result = runner.Run(
            {"--yes", "--mask", "%N.new", "--save-descriptions", "1", "--columns", "N,Z", "a.txt"});
        EXPECT_EQ(result.status, 0) << result.err;
        EXPECT_TRUE(result.WarningBoxes().empty());
        ExpectExactly(runner, {"a.new", "b.txt"}, {"a.txt", "b.txt"}, {"Descript.ion"});
        std::string expected = c.contents;
        const std::size_t line = expected.find("a.txt");
        if (line != std::string::npos)
            expected.replace(line, 5, "a.new");
        EXPECT_TRUE(runner.Dir().ReadFile("Descript.ion") == expected);
    }
}

#if !defined(_WIN32)
// A FIFO named Descript.ion would wait for a writer for ever if it were opened as a file: it is
// not read, the renames go on, and it stays as it is.
TEST(HostileInput, DescriptionFileThatIsAFifo) {
    HostRunner runner;
    runner.MakeFiles({"a.txt"});
    ASSERT_EQ(::mkfifo((runner.Dir().Path() + "/Descript.ion").c_str(), 0600), 0);
    const HostResult result =
        runner.Run({"--yes", "--mask", "%N.new", "--save-descriptions", "1", "--columns", "N,Z", "a.txt"});
    EXPECT_TRUE(runner.Dir().Exists("a.new")) << result.err;
    EXPECT_FALSE(runner.Dir().Exists("a.txt")) << result.err;
    struct stat status {};
    ASSERT_EQ(::lstat((runner.Dir().Path() + "/Descript.ion").c_str(), &status), 0);
    EXPECT_TRUE(S_ISFIFO(status.st_mode));
}
#endif

}  // namespace
}  // namespace velmora::test
