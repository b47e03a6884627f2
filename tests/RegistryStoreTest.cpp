#include <gtest/gtest.h>

#if !defined(_WIN32)
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>

#include "support/TempDir.hpp"
#endif

#include <random>
#include <string>
#include <utility>

#include "platform/Platform.hpp"
#include "platform/RegistryStore.hpp"

namespace velmora {
namespace {

RegistryValue StringValue(const std::string& text) {
    return {kRegistryString, text + '\0'};
}

RegistryValue DwordValue(std::uint32_t number) {
    RegistryValue value{kRegistryDword, std::string()};
    for (int i = 0; i < 4; ++i)
        value.bytes += static_cast<char>((number >> (8 * i)) & 0xFF);
    return value;
}

// Stores the value, turns the store into text and back, and gives the text's value line.
std::string RoundTrip(const RegistryValue& value, RegistryValue* back) {
    RegistryStore store;
    EXPECT_TRUE(store.Set("\\Velmora", "v", value));
    const std::string text = store.Text();
    const RegistryStore reread(text);
    const RegistryValue* found = reread.Find("\\Velmora", "v");
    if (found)
        *back = *found;
    EXPECT_TRUE(found);
    const std::string header = "REGEDIT4\n\n[HKEY_CURRENT_USER\\Velmora]\n";
    EXPECT_EQ(header, text.substr(0, header.size()));
    const std::size_t end = text.find('\n', header.size());
    return text.substr(header.size(), end - header.size());
}

// A value of any type and bytes. A function rather than a braced pair: GCC 12 at -O3 takes the
// pairs in a table of cases for uninitialized strings.
RegistryValue RawValue(std::uint32_t type, std::string bytes) {
    RegistryValue value;
    value.type = type;
    value.bytes = std::move(bytes);
    return value;
}

TEST(RegistryStore, ValuesSurviveTheText) {
    const struct {
        RegistryValue value;
        std::string line;
    } cases[] = {
        {StringValue("%F"), "\"v\"=\"%F\""},
        {StringValue(""), "\"v\"=\"\""},
        {StringValue("say \"hi\" C:\\dir\\"), "\"v\"=\"say \\\"hi\\\" C:\\\\dir\\\\\""},
        {StringValue("\xD0\x98\xFF\x80"), "\"v\"=\"\xD0\x98\xFF\x80\""},
        {StringValue("a\nb"), "\"v\"=hex(1):61,0a,62,00"},
        {StringValue("tab\t"), "\"v\"=hex(1):74,61,62,09,00"},
        {StringValue("cr\r"), "\"v\"=hex(1):63,72,0d,00"},
        {StringValue(std::string("a\0b", 3)), "\"v\"=hex(1):61,00,62,00"},
        {RawValue(kRegistryString, "ab"), "\"v\"=hex(1):61,62"},  // no terminator
        {RawValue(kRegistryString, ""), "\"v\"=hex(1):"},
        {DwordValue(0), "\"v\"=dword:00000000"},
        {DwordValue(10), "\"v\"=dword:0000000a"},
        {DwordValue(0xFFFFFFFFu), "\"v\"=dword:ffffffff"},
        {RawValue(kRegistryDword, "\x01\x02"), "\"v\"=hex(4):01,02"},
        {RawValue(kRegistryBinary, std::string("\x00\xFF\x10", 3)), "\"v\"=hex:00,ff,10"},
        {RawValue(7, std::string("a\0b\0\0", 5)), "\"v\"=hex(7):61,00,62,00,00"},
        {RawValue(0, ""), "\"v\"=hex(0):"},
        {RawValue(0xABCDEF01u, "\x7F"), "\"v\"=hex(abcdef01):7f"},
    };
    for (const auto& c : cases) {
        RegistryValue back;
        EXPECT_EQ(c.line, RoundTrip(c.value, &back)) << c.line;
        EXPECT_EQ(c.value.type, back.type) << c.line;
        EXPECT_EQ(c.value.bytes, back.bytes) << c.line;
    }
}

TEST(RegistryStore, NamesNeedingEscapes) {
    RegistryStore store;
    const std::string name = "odd \"name\" \\ \xE9";
    ASSERT_TRUE(store.Set("Key", name, DwordValue(5)));
    ASSERT_TRUE(store.Set("Key", "", StringValue("default")));
    EXPECT_FALSE(store.Set("Key", "line\nbreak", DwordValue(1)));
    EXPECT_FALSE(store.Set("Key\rX", "v", DwordValue(1)));
    EXPECT_FALSE(store.Set("Key", std::string("nul\0", 4), DwordValue(1)));
    const std::string text = store.Text();
    EXPECT_NE(std::string::npos, text.find("\"odd \\\"name\\\" \\\\ \xE9\"=dword:00000005\n"));
    EXPECT_NE(std::string::npos, text.find("\n@=\"default\"\n"));
    const RegistryStore reread(text);
    ASSERT_TRUE(reread.Find("Key", name));
    EXPECT_EQ(DwordValue(5).bytes, reread.Find("Key", name)->bytes);
    ASSERT_TRUE(reread.Find("Key", ""));
    EXPECT_EQ(StringValue("default").bytes, reread.Find("Key", "")->bytes);
}

TEST(RegistryStore, FreshStoreText) {
    RegistryStore store;
    EXPECT_TRUE(store.HasHeader());
    EXPECT_EQ("REGEDIT4\n", store.Text());
    store.Set("\\Velmora", "velmora", StringValue("%F"));
    store.Set("\\Velmora", "SaveDescription", DwordValue(1));
    store.Set("Software\\Far\\Descriptions", "ListNames", StringValue("Descript.ion,Files.bbs"));
    store.Set("velmora", "SAVEDESCRIPTION", DwordValue(0));
    EXPECT_EQ(
        "REGEDIT4\n"
        "\n"
        "[HKEY_CURRENT_USER\\Velmora]\n"
        "\"velmora\"=\"%F\"\n"
        "\"SaveDescription\"=dword:00000000\n"
        "\n"
        "[HKEY_CURRENT_USER\\Software\\Far\\Descriptions]\n"
        "\"ListNames\"=\"Descript.ion,Files.bbs\"\n"
        "\n",
        store.Text());
}

TEST(RegistryStore, KeysAndNamesIgnoreCase) {
    const RegistryStore store(
        "REGEDIT4\r\n"
        "\r\n"
        "[HKEY_CURRENT_USER\\Software\\Far\\\\Plugins\\Velmora\\]\r\n"
        "\"Number\"=\"7\"\r\n"
        "[hkey_current_user\\SOFTWARE\\far]\r\n"
        "\"x\"=dword:1\r\n"
        "[HKEY_LOCAL_MACHINE\\Software\\Far]\r\n"
        "\"y\"=dword:2\r\n");
    const char* const same[] = {"Software\\Far\\Plugins\\Velmora", "\\software\\FAR\\plugins\\VELMORA\\",
                                "Software\\\\Far\\Plugins\\\\Velmora"};
    for (const char* key : same) {
        ASSERT_TRUE(store.Find(key, "NUMBER")) << key;
        EXPECT_EQ(std::string("7\0", 2), store.Find(key, "number")->bytes);
    }
    EXPECT_FALSE(store.Find("Software\\Far\\Plugins", "Number"));
    EXPECT_FALSE(store.Find("Software\\Far\\Plugins\\Velmora\\Sub", "Number"));
    ASSERT_TRUE(store.Find("Software\\Far", "X"));
    EXPECT_EQ(DwordValue(1).bytes, store.Find("Software\\Far", "X")->bytes);
    EXPECT_FALSE(store.Find("Software\\Far", "y"));  // another root
}

TEST(RegistryStore, UnknownLinesStayInPlace) {
    const std::string before =
        "REGEDIT4\n"
        "; written by hand\n"
        "\n"
        "[HKEY_CURRENT_USER\\Velmora]\n"
        "\"velmora\"=\"%F\"\n"
        "garbage \x01\xFF line\n"
        "\"broken\"=\"unterminated\n"
        "\"bad escape\"=\"a\\nb\"\n"
        "\"gone\"=-\n"
        "\"Spaced\" = dword:0000000A  \r\n"
        "\"long\"=hex:01,02,\\\n"
        "  03,04\n"
        "\"cut\"=hex:01,\\\n"
        "\"after\"=\"cut short\"\n"
        "[-HKEY_CURRENT_USER\\Old]\n"
        "\"x\"=\"1\"\n"
        "[HKEY_CURRENT_USER\\Unclosed\n"
        "\"y\"=\"2\"\n";
    RegistryStore store(before);
    EXPECT_EQ(before, store.Text());
    ASSERT_TRUE(store.Find("Velmora", "spaced"));
    EXPECT_EQ(DwordValue(10).bytes, store.Find("Velmora", "spaced")->bytes);
    ASSERT_TRUE(store.Find("Velmora", "long"));
    EXPECT_EQ("\x01\x02\x03\x04", store.Find("Velmora", "long")->bytes);
    EXPECT_FALSE(store.Find("Velmora", "cut"));
    ASSERT_TRUE(store.Find("Velmora", "after"));  // the broken continuation did not swallow it
    EXPECT_FALSE(store.Find("Velmora", "broken"));
    EXPECT_FALSE(store.Find("Velmora", "bad escape"));
    EXPECT_FALSE(store.Find("Old", "x"));
    EXPECT_FALSE(store.Find("Unclosed", "y"));
    EXPECT_FALSE(store.Find("Velmora", "y"));  // not taken for the section above the broken header

    ASSERT_TRUE(store.Set("VELMORA", "Velmora", StringValue("%N")));
    ASSERT_TRUE(store.Set("Velmora", "number", StringValue("1")));
    std::string after = before;
    after.replace(after.find("\"velmora\"=\"%F\""), 14, "\"velmora\"=\"%N\"");
    after.insert(after.find("[-HKEY"), "\"number\"=\"1\"\n");
    EXPECT_EQ(after, store.Text());
}

// A file that ends in the middle of a continued value: a key added after it must not complete
// that value (a blank line would, as the byte list's last line).
TEST(RegistryStore, UnfinishedLastValueStaysUnread) {
    for (const std::string& end :
         {std::string("\"cut\"=hex:42\\\n"), std::string("\"cut\"=hex:42,\\\n  43,\\\n")}) {
        const std::string before = "REGEDIT4\n\n[HKEY_CURRENT_USER\\Velmora]\n" + end;
        RegistryStore store(before);
        EXPECT_FALSE(store.Find("Velmora", "cut"));
        ASSERT_TRUE(store.Set("Other", "x", StringValue("1")));
        const RegistryStore reread(store.Text());
        EXPECT_FALSE(reread.Find("Velmora", "cut")) << store.Text();
        ASSERT_TRUE(reread.Find("Other", "x"));
        EXPECT_EQ(StringValue("1").bytes, reread.Find("Other", "x")->bytes);
        EXPECT_EQ(store.Text(), reread.Text());
    }
}

TEST(RegistryStore, LastDuplicateCounts) {
    RegistryStore store(
        "REGEDIT4\n\n[HKEY_CURRENT_USER\\K]\n\"v\"=\"1\"\n\n[HKEY_CURRENT_USER\\k]\n\"V\"=\"2\"\n");
    ASSERT_TRUE(store.Find("K", "v"));
    EXPECT_EQ(std::string("2\0", 2), store.Find("K", "v")->bytes);
    store.Set("K", "v", StringValue("3"));
    EXPECT_EQ("REGEDIT4\n\n[HKEY_CURRENT_USER\\K]\n\"v\"=\"1\"\n\n[HKEY_CURRENT_USER\\k]\n\"V\"=\"3\"\n",
              store.Text());
}

TEST(RegistryStore, Header) {
    const struct {
        std::string text;
        bool header;
    } cases[] = {
        {"", true},
        {"REGEDIT4", true},
        {"REGEDIT4\r\n", true},
        {"\xEF\xBB\xBFREGEDIT4\n", true},
        {"REGEDIT5\n", false},
        {"regedit4\n", false},
        {"Windows Registry Editor Version 5.00\n", false},
        {std::string("\0\0\0", 3), false},
        {"\n", false},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(c.header, RegistryStore(c.text).HasHeader()) << c.text;
    }
}

// Whatever the bytes, parsing finishes quickly, and parsing the store's own text again changes
// nothing.
TEST(RegistryStore, AnyBytes) {
    const std::string seed =
        "REGEDIT4\n\n[HKEY_CURRENT_USER\\Velmora]\n\"velmora\"=\"a\\\"b\"\n\"n\"=dword:00000001\n"
        "\"h\"=hex(7):61,00,\\\n  62,00\n[HKEY_CURRENT_USER]\n@=\"x\"\n";
    std::mt19937 random(12345);
    const std::string alphabet = "[]\"\\=@:,-()\n\r\t x0fFhexdword\xFF";
    for (int round = 0; round < 3000; ++round) {
        std::string text = seed;
        const int edits = 1 + static_cast<int>(random() % 8);
        for (int e = 0; e < edits; ++e) {
            const std::size_t pos = random() % (text.size() + 1);
            const char c =
                (random() % 2) ? alphabet[random() % alphabet.size()] : static_cast<char>(random());
            switch (random() % 3) {
                case 0:
                    text.insert(pos, 1, c);
                    break;
                case 1:
                    if (pos < text.size())
                        text.erase(pos, 1);
                    break;
                default:
                    if (pos < text.size())
                        text[pos] = c;
            }
        }
        const RegistryStore store(text);
        const std::string once = store.Text();
        EXPECT_EQ(once, RegistryStore(once).Text()) << text;
        store.Find("Velmora", "velmora");
    }

    // Long runs of continued lines and huge numbers.
    std::string worst = "REGEDIT4\n[HKEY_CURRENT_USER\\K]\n";
    for (int i = 0; i < 20000; ++i)
        worst += "\"v\"=hex:01,\\\n";
    worst += "\"w\"=hex(123456789):00\n\"d\"=dword:123456789\n";
    RegistryStore big(worst);
    EXPECT_EQ(worst, big.Text());
    EXPECT_FALSE(big.Find("K", "v"));
    EXPECT_FALSE(big.Find("K", "w"));
    EXPECT_FALSE(big.Find("K", "d"));
}

#if !defined(_WIN32)

// Points the store at a fresh directory for one test.
class StoreDirectory {
public:
    StoreDirectory() {
        const char* old = std::getenv("XDG_CONFIG_HOME");
        hadOld_ = old != nullptr;
        if (old)
            old_ = old;
        setenv("XDG_CONFIG_HOME", dir_.Path().c_str(), 1);
    }
    ~StoreDirectory() {
        if (hadOld_) {
            setenv("XDG_CONFIG_HOME", old_.c_str(), 1);
        } else {
            unsetenv("XDG_CONFIG_HOME");
        }
    }
    const test::TempDir& dir() const { return dir_; }
    std::string Text() const { return dir_.ReadFile("velmora/registry.reg"); }

private:
    test::TempDir dir_;
    std::string old_;
    bool hadOld_ = false;
};

TEST(PosixRegistry, WritesAndReadsTheFile) {
    StoreDirectory store;
    Registry& registry = SystemRegistry();
    std::string bytes = "untouched";
    EXPECT_FALSE(registry.Read("\\Velmora", "velmora", 260, &bytes));
    EXPECT_EQ("untouched", bytes);
    EXPECT_FALSE(store.dir().Exists("velmora"));  // reading creates nothing

    ASSERT_TRUE(registry.WriteString("\\Velmora", "velmora", "[%N] \"x\"\\"));
    ASSERT_TRUE(registry.WriteDword("\\Velmora", "WithoutZero", 10));
    EXPECT_EQ(
        "REGEDIT4\n\n[HKEY_CURRENT_USER\\Velmora]\n\"velmora\"=\"[%N] \\\"x\\\"\\\\\"\n"
        "\"WithoutZero\"=dword:0000000a\n\n",
        store.Text());

    ASSERT_TRUE(registry.Read("velmora", "VELMORA", 260, &bytes));
    EXPECT_EQ(std::string("[%N] \"x\"\\\0", 10), bytes);
    ASSERT_TRUE(registry.Read("\\Velmora", "withoutzero", 4, &bytes));
    EXPECT_EQ(std::string("\x0a\0\0\0", 4), bytes);
    // Size limits count the terminator, as RegQueryValueEx does.
    EXPECT_TRUE(registry.Read("\\Velmora", "velmora", 10, &bytes));
    EXPECT_FALSE(registry.Read("\\Velmora", "velmora", 9, &bytes));
    EXPECT_FALSE(registry.Read("\\Velmora", "WithoutZero", 3, &bytes));
    EXPECT_FALSE(registry.Read("\\Other", "velmora", 260, &bytes));
    EXPECT_FALSE(registry.Read("\\Velmora", "number", 260, &bytes));
}

// A batch goes into the file together, in its order; a value whose name no line can carry is
// left out and reported, and the others still go in.
TEST(PosixRegistry, BatchOfValues) {
    StoreDirectory store;
    Registry& registry = SystemRegistry();
    ASSERT_TRUE(registry.WriteString("K", "keep", "\xD0\xBB\xD1\x96\xD1\x82\xD0\xBE"));  // літо
    EXPECT_FALSE(
        registry.WriteValues("K", {RegistryWrite::Dword("n", 7), RegistryWrite::String("bad\nname", "x"),
                                   RegistryWrite::String("s", "\xE7\x85\xA7 %#")}));  // 照
    EXPECT_EQ(
        "REGEDIT4\n\n[HKEY_CURRENT_USER\\K]\n\"keep\"=\"\xD0\xBB\xD1\x96\xD1\x82\xD0\xBE\"\n"
        "\"n\"=dword:00000007\n\"s\"=\"\xE7\x85\xA7 %#\"\n\n",
        store.Text());
}

TEST(PosixRegistry, HomeWhenNoConfigDirectory) {
    StoreDirectory unused;
    test::TempDir home;
    const std::string oldHome = std::getenv("HOME") ? std::getenv("HOME") : "";
    setenv("HOME", home.Path().c_str(), 1);
    setenv("XDG_CONFIG_HOME", "relative/ignored", 1);
    const bool written = SystemRegistry().WriteDword("K", "v", 1);
    setenv("HOME", oldHome.c_str(), 1);
    EXPECT_TRUE(written);
    EXPECT_EQ("REGEDIT4\n\n[HKEY_CURRENT_USER\\K]\n\"v\"=dword:00000001\n\n",
              home.ReadFile(".config/velmora/registry.reg"));
}

TEST(PosixRegistry, DamagedFilesAreKept) {
    StoreDirectory store;
    Registry& registry = SystemRegistry();
    ASSERT_TRUE(store.dir().MakeDirectory("velmora"));
    const std::string garbage("\x00\xFFnot a store\n[HKEY_CURRENT_USER\\K]\n\"v\"=dword:2\n", 46);
    ASSERT_TRUE(store.dir().WriteFile("velmora/registry.reg", garbage));
    std::string bytes;
    EXPECT_FALSE(registry.Read("K", "v", 4, &bytes));
    EXPECT_TRUE(registry.WriteDword("K", "w", 3));
    EXPECT_EQ(garbage, store.dir().ReadFile("velmora/registry.reg.damaged"));
    EXPECT_EQ("REGEDIT4\n\n[HKEY_CURRENT_USER\\K]\n\"w\"=dword:00000003\n\n", store.Text());

    ASSERT_TRUE(store.dir().WriteFile("velmora/registry.reg", "second damage"));
    EXPECT_TRUE(registry.WriteDword("K", "w", 4));
    EXPECT_EQ(garbage, store.dir().ReadFile("velmora/registry.reg.damaged"));
    EXPECT_EQ("second damage", store.dir().ReadFile("velmora/registry.reg.damaged.1"));

    // Lines of a readable store that are not understood survive a write.
    const std::string kept = "REGEDIT4\n; note\n[HKEY_CURRENT_USER\\K]\n???\n";
    ASSERT_TRUE(store.dir().WriteFile("velmora/registry.reg", kept));
    EXPECT_TRUE(registry.WriteString("K", "s", "t"));
    EXPECT_EQ("REGEDIT4\n; note\n[HKEY_CURRENT_USER\\K]\n???\n\"s\"=\"t\"\n", store.Text());
    EXPECT_EQ((std::vector<std::string>{"registry.reg", "registry.reg.damaged", "registry.reg.damaged.1",
                                        "registry.reg.lock"}),
              store.dir().ListNames("velmora"));
}

TEST(PosixRegistry, StoreBehindSymbolicLinkStaysThere) {
    StoreDirectory store;
    ASSERT_TRUE(store.dir().MakeDirectory("velmora"));
    ASSERT_TRUE(store.dir().MakeDirectory("dotfiles"));
    ASSERT_TRUE(store.dir().WriteFile("dotfiles/registry.reg", "REGEDIT4\n"));
    ASSERT_EQ(0, symlink("../dotfiles/registry.reg", store.dir().PathOf("velmora/registry.reg").c_str()));
    ASSERT_TRUE(SystemRegistry().WriteDword("K", "v", 1));
    EXPECT_EQ("REGEDIT4\n\n[HKEY_CURRENT_USER\\K]\n\"v\"=dword:00000001\n\n",
              store.dir().ReadFile("dotfiles/registry.reg"));
    char target[256] = {};
    EXPECT_LT(0, readlink(store.dir().PathOf("velmora/registry.reg").c_str(), target, sizeof target - 1));
}

// Two processes writing at once: no update is lost and a reader never sees a broken file.
TEST(PosixRegistry, ConcurrentWriters) {
    StoreDirectory store;
    ASSERT_TRUE(SystemRegistry().WriteString("\\Velmora", "start", "1"));
    constexpr int kWrites = 200;
    pid_t children[2];
    for (int child = 0; child < 2; ++child) {
        children[child] = fork();
        ASSERT_GE(children[child], 0);
        if (children[child] == 0) {
            bool ok = true;
            for (int i = 0; i < kWrites; ++i) {
                ok = (child == 0 ? SystemRegistry().WriteString("\\Velmora", "first", std::to_string(i))
                                 : SystemRegistry().WriteDword("\\Velmora", "second", i)) &&
                     ok;
            }
            _exit(ok ? 0 : 1);
        }
    }
    int reads = 0;
    for (int running = 2; running > 0;) {
        const RegistryStore seen(store.Text());
        EXPECT_TRUE(seen.HasHeader());
        EXPECT_TRUE(seen.Find("Velmora", "start"));
        ++reads;
        for (pid_t& child : children) {
            int status = 0;
            if (child > 0 && waitpid(child, &status, WNOHANG) == child) {
                EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
                child = 0;
                --running;
            }
        }
    }
    std::string bytes;
    ASSERT_TRUE(SystemRegistry().Read("\\Velmora", "first", 260, &bytes));
    EXPECT_EQ(std::to_string(kWrites - 1) + '\0', bytes);
    ASSERT_TRUE(SystemRegistry().Read("\\Velmora", "second", 4, &bytes));
    EXPECT_EQ(std::string("\xC7\0\0\0", 4), bytes);
    ASSERT_TRUE(SystemRegistry().Read("\\Velmora", "start", 260, &bytes));
    EXPECT_GT(reads, 0);
    // No temporary files are left behind.
    EXPECT_EQ((std::vector<std::string>{"registry.reg", "registry.reg.lock"}),
              store.dir().ListNames("velmora"));
}

#endif  // !defined(_WIN32)

}  // namespace
}  // namespace velmora
