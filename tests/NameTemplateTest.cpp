#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "naming/NameTemplate.hpp"

namespace velmora {
namespace {

// What the run does for one item of a batch of count files started from startText.
std::string ExpandInBatch(const char* nameTemplate, const std::string& name, std::uint32_t index,
                          const std::string& startText, std::uint32_t count, bool withoutZero) {
    const std::uint32_t start = StartValue(startText);
    const std::uint32_t bound = CounterWidthBound(startText, start, count);
    return ExpandTemplate(nameTemplate, name, index, {start, count, bound, withoutZero});
}

std::string Repeat(const std::string& piece, int times) {
    std::string text;
    for (int i = 0; i < times; ++i) {
        text += piece;
    }
    return text;
}

std::string LongName(std::size_t length) {
    std::string name;
    for (std::size_t i = 0; i < length; ++i) {
        name += static_cast<char>('a' + i % 26);
    }
    return name;
}

TEST(NameTemplate, WorkedExpansions) {
    struct Case {
        const char* nameTemplate;
        const char* name;
        std::uint32_t index;
        const char* startText;
        std::uint32_t count;
        bool withoutZero;
        std::uint32_t bound;
        const char* expected;
    };
    const Case cases[] = {
        {"IMG_%#.%E", "a.jpg", 0, "1", 12, false, 13, "IMG_01.jpg"},
        {"IMG_%#.%E", "a.jpg", 11, "1", 12, false, 13, "IMG_12.jpg"},
        {"IMG_%#.%E", "a.jpg", 0, "1", 12, true, 13, "IMG_1.jpg"},
        {"%N_%h.%E", "photo.jpeg", 10, "0", 300, false, 300, "photo_00a.jpeg"},
        {"%N_%H.%E", "photo.jpeg", 10, "0", 300, false, 300, "photo_00A.jpeg"},
        {"%N_%H.%E", "photo.jpeg", 10, "0", 300, true, 300, "photo_A.jpeg"},
        {"%#-%T %F", "Report.final.doc", 4, "0001", 12, false, 9999, "0005-12 Report.final.doc"},
        {"%#_%h", "any", 11, "0001", 12, false, 9999, "0012_000c"},
        {"%n.%e.bak", "archive.tar.gz", 0, "1", 3, false, 4, "archive.tar.gz.bak"},
        {"%N%%%E", "a.jpg", 0, "1", 1, false, 2, "a%jpg"},
        {"100%% %Q%F%", "x.txt", 0, "1", 1, false, 2, "100% Qx.txt"},
        {"%N-%E", "50%.txt", 0, "1", 1, false, 2, "50%-txt"},
        // Every letter token but the hex pair in either case; "%T" ignores the zero padding.
        {"%f|%n|%e|%t|%T", "b.c", 0, "0001", 7, false, 9999, "b.c|b|c|7|7"},
        // Bytes outside ASCII go through untouched, in the template and in the name.
        {"\xff%N\x80.%E", "\xe4\xf6.\xfc", 0, "1", 1, false, 2, "\xff\xe4\xf6\x80.\xfc"},
        {"", "a.jpg", 0, "1", 1, false, 2, ""},
        {"plain", "a.jpg", 0, "1", 1, false, 2, "plain"},
        {"%", "a.jpg", 0, "1", 1, false, 2, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.nameTemplate) + " on " + c.name);
        const std::uint32_t start = StartValue(c.startText);
        EXPECT_EQ(CounterWidthBound(c.startText, start, c.count), c.bound);
        EXPECT_EQ(ExpandInBatch(c.nameTemplate, c.name, c.index, c.startText, c.count, c.withoutZero),
                  c.expected);
    }
}

TEST(NameTemplate, MissingTemplateGivesEmptyResult) {
    EXPECT_EQ(ExpandTemplate(nullptr, "a.jpg", 0, {1, 1, 2, false}), "");
    std::string reused = "left over";
    ExpandTemplateInto(reused, nullptr, "a.jpg", 0, {1, 1, 2, false});
    EXPECT_EQ(reused, "");
}

TEST(NameTemplate, ReusedBufferStartsEmpty) {
    std::string result;
    ExpandTemplateInto(result, "%F%F%F", LongName(80), 0, {1, 1, 0, false});
    EXPECT_EQ(result.size(), 240u);
    ExpandTemplateInto(result, "%#", "x", 4, {0, 10, 10, false});
    EXPECT_EQ(result, "04");
}

TEST(NameTemplate, CounterWidthsOverBatch) {
    struct Case {
        const char* startText;
        std::uint32_t count;
        const char* nameTemplate;
        bool withoutZero;
        std::uint32_t bound;
        const char* first;
        const char* last;
    };
    const Case cases[] = {
        {"0", 10, "%#", false, 10, "00", "09"},
        {"0", 10, "%h", false, 10, "0", "9"},
        {"0", 16, "%#", false, 16, "00", "15"},
        {"0", 16, "%h", false, 16, "00", "0f"},
        {"1", 9, "%#", false, 10, "01", "09"},
        {"98", 5, "%#", false, 103, "098", "102"},
        {"007", 3, "%#", false, 999, "007", "009"},
        {"007", 3, "%#", true, 999, "7", "9"},
        {"x1", 3, "%#", false, 99, "00", "02"},
        {"abc", 5, "%#", false, 999, "000", "004"},
        {"", 5, "%#", false, 5, "0", "4"},
        {"12345678", 1, "%#", false, 12345679, "12345678", "12345678"},
        {"00000001", 5, "%#", false, 99999999, "0000001", "0000005"},
        {"4294967295", 2, "%#", false, 1410065407, "4294967295", "0000000"},
        {"4294967295", 2, "%h", false, 1410065407, "ffffffff", "00000000"},
        {"4294967295", 2, "%H", true, 1410065407, "FFFFFFFF", "0"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string("start \"") + c.startText + "\", " + std::to_string(c.count) + " files, " +
                     c.nameTemplate + (c.withoutZero ? " without zeros" : ""));
        const std::uint32_t start = StartValue(c.startText);
        const std::uint32_t bound = CounterWidthBound(c.startText, start, c.count);
        EXPECT_EQ(bound, c.bound);
        std::vector<std::string> names;
        for (std::uint32_t i = 0; i < c.count; ++i) {
            names.push_back(
                ExpandTemplate(c.nameTemplate, "f.txt", i, {start, c.count, bound, c.withoutZero}));
        }
        EXPECT_EQ(names.front(), c.first);
        EXPECT_EQ(names.back(), c.last);
    }
}

TEST(NameTemplate, ProgressLine) {
    // The progress box numbers items from 1 and never pads: bound 0, start 1.
    const char* progress = "%#. %F";
    EXPECT_EQ(ExpandTemplate(progress, "a.txt", 0, {1, 1000, 0, false}), "1. a.txt");
    EXPECT_EQ(ExpandTemplate(progress, "a.txt", 9, {1, 1000, 0, false}), "10. a.txt");
    EXPECT_EQ(ExpandTemplate(progress, "a.txt", 999, {1, 1000, 0, false}), "1000. a.txt");
    EXPECT_EQ(ExpandTemplate("%h/%H", "a.txt", 9, {1, 1000, 0, false}), "a/A");
    EXPECT_EQ(ExpandTemplate("%#/%T", "a.txt", 0, {1, 1000, 0, false}), "1/1000");
}

TEST(NameTemplate, NinesBound) {
    struct Case {
        std::size_t length;
        std::uint32_t bound;
        std::size_t decimalWidth;
        std::size_t hexWidth;
    };
    const Case cases[] = {
        {1, 9u, 1, 1},         {2, 99u, 2, 2},          {3, 999u, 3, 3},         {4, 9999u, 4, 4},
        {5, 99999u, 5, 5},     {6, 999999u, 6, 5},      {7, 9999999u, 7, 6},     {8, 99999999u, 7, 7},
        {9, 999999999u, 7, 8}, {10, 1410065407u, 7, 8}, {11, 1215752191u, 7, 8}, {12, 3567587327u, 7, 8},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE("L = " + std::to_string(c.length));
        // One character gives no nines: the one-digit bound of any batch already has width 1.
        if (c.length > 1) {
            EXPECT_EQ(CounterWidthBound(std::string(c.length, '0'), 0, 1), c.bound);
        }
        EXPECT_EQ(PadDecimal("0", c.bound).size(), c.decimalWidth);
        EXPECT_EQ(FormatHex(c.bound, false, 0).size(), c.hexWidth);
        EXPECT_EQ(ExpandTemplate("%h", "x", 0, {0, 1, c.bound, false}), std::string(c.hexWidth, '0'));
    }
    // A start text as long as a whole mask still gives a bound; the nines simply keep wrapping.
    const std::string longStart(259, '0');
    const std::uint32_t bound = CounterWidthBound(longStart, 0, 3);
    EXPECT_EQ(PadDecimal("1", bound), "0000001");
    // A bound with more digits than the start text stays as it is.
    EXPECT_EQ(CounterWidthBound("5", 5, 200), 205u);
    EXPECT_EQ(CounterWidthBound("000", 995, 10), 1005u);
}

TEST(NameTemplate, PadDecimalWidths) {
    struct Case {
        std::uint32_t bound;
        std::size_t width;
    };
    const Case cases[] = {
        {0, 1},       {9, 1},       {10, 2},       {99, 2},        {100, 3},         {999, 3},
        {1000, 4},    {9999, 4},    {10000, 5},    {99999, 5},     {100000, 6},      {999999, 6},
        {1000000, 7}, {9999999, 7}, {10000000, 7}, {999999999, 7}, {4294967295u, 7},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE("bound " + std::to_string(c.bound));
        EXPECT_EQ(PadDecimal("5", c.bound), std::string(c.width - 1, '0') + "5");
    }
    // Digits at or past the width come back whole.
    EXPECT_EQ(PadDecimal("12345678", 4294967295u), "12345678");
    EXPECT_EQ(PadDecimal("123", 999), "123");
}

TEST(NameTemplate, NumberFormatting) {
    EXPECT_EQ(FormatDecimal(0), "0");
    EXPECT_EQ(FormatDecimal(9), "9");
    EXPECT_EQ(FormatDecimal(10), "10");
    EXPECT_EQ(FormatDecimal(4294967295u), "4294967295");

    struct Case {
        std::uint32_t value;
        bool upperCase;
        int width;
        const char* expected;
    };
    const Case cases[] = {
        {0, false, 0, "0"},
        {0, false, 1, "0"},
        {10, false, 3, "00a"},
        {10, true, 3, "00A"},
        {0x12c, false, 1, "12c"},  // never cut
        {0xabcdef, true, 0, "ABCDEF"},
        {0xffffffffu, false, 2, "ffffffff"},
        {0, false, 8, "00000000"},
        {0x1f, true, 12, "00000000001F"},
        {0x1f, false, -3, "1f"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(FormatHex(c.value, c.upperCase, c.width), c.expected) << c.value << " width " << c.width;
    }
}

TEST(NameTemplate, BaseNameAndExtension) {
    struct Case {
        const char* name;
        const char* base;
        const char* extension;
    };
    const Case cases[] = {
        {"a.jpg", "a", "jpg"},
        {"archive.tar.gz", "archive.tar", "gz"},
        {"a..b", "a.", "b"},
        {"README", "README", ""},
        {".profile", "", "profile"},
        {"notes.", "notes.", ""},
        {".", ".", ""},
        {"", "", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(GetBaseName(c.name), c.base);
        EXPECT_EQ(GetExtension(c.name), c.extension);
        EXPECT_EQ(ExpandTemplate("%N|%E", c.name, 0, {1, 1, 0, false}),
                  std::string(c.base) + "|" + c.extension);
    }
}

TEST(NameTemplate, StartValue) {
    struct Case {
        const char* text;
        std::uint32_t value;
    };
    const Case cases[] = {
        {"", 0},
        {"0", 0},
        {"007", 7},
        {"12345678", 12345678},
        {"abc", 0},
        {"x1", 0},
        {"1x", 0},
        {"-1", 0},
        {" 1", 0},
        {"4294967295", 4294967295u},
        {"4294967296", 0},
        {"4294967297", 1},
        {"99999999999", 1215752191u},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(StartValue(c.text), c.value) << '"' << c.text << '"';
    }
}

TEST(NameTemplate, LengthLimit) {
    struct Case {
        std::string description;
        std::string nameTemplate;
        std::string name;
        std::string expected;
    };
    const std::string name257 = LongName(257);
    const std::string name259 = LongName(259);
    const std::string name255 = LongName(255);
    const Case cases[] = {
        {"257 characters and .bak", "%F.bak", name257, name257 + ".ba"},
        {"259 characters: .bak never reached", "%F.bak", name259, name259},
        {"name twice", "%F-%F", name255, name255 + "-" + name255.substr(0, 4)},
        {"every %E counts three", Repeat("%E", 100), "q.ab", Repeat("ab", 87)},
        {"every %% counts two", Repeat("%%", 130) + "END", "x", std::string(130, '%')},
        {"plain text is cut", std::string(300, 'p'), "x", std::string(260, 'p')},
        {"dropped percents count", Repeat("%Q", 131) + "END", "x", std::string(130, 'Q')},
        {"counter past the cut", std::string(258, 'p') + "%#", "x", std::string(258, 'p') + "0"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.description);
        const std::string result = ExpandTemplate(c.nameTemplate.c_str(), c.name, 0, {0, 1, 0, false});
        EXPECT_EQ(result, c.expected);
        EXPECT_LE(result.size(), kMaxExpandedLength);
    }
}

// A Unicode host's cut counts characters, whatever bytes UTF-8 gives them, and never splits one.
TEST(NameTemplate, LengthLimitInCharacters) {
    const std::string cyrillic = "\xD0\x96";       // Ж, two bytes
    const std::string emoji = "\xF0\x9F\x8C\x85";  // 🌅, four bytes
    const struct {
        std::string nameTemplate;
        std::string name;
        std::string expected;
    } cases[] = {
        {"%F", Repeat(cyrillic, 300), Repeat(cyrillic, 260)},
        {"%F.bak", Repeat(emoji, 258), Repeat(emoji, 258) + ".b"},
        {std::string(259, 'p') + "%F", Repeat(emoji, 2), std::string(259, 'p') + emoji},
        {Repeat("%%", 130) + "END", "x", std::string(130, '%')},
        {Repeat(cyrillic, 3) + "_%#", "x", Repeat(cyrillic, 3) + "_0"},
    };
    for (const auto& c : cases) {
        const std::string result =
            ExpandTemplate(c.nameTemplate.c_str(), c.name, 0, {0, 1, 0, false}, LengthUnit::Utf8Character);
        EXPECT_EQ(result, c.expected) << c.nameTemplate;
    }
}

// far2l's cut counts bytes, as its buffers do, but ends before a character that would not fit
// whole, and nothing shorter comes after it; FAR 1.x's OEM bytes are cut where they fall.
TEST(NameTemplate, LengthLimitInUtf8Bytes) {
    const std::string cyrillic = "\xD0\x96";       // Ж, two bytes
    const std::string emoji = "\xF0\x9F\x8C\x85";  // 🌅, four bytes
    const struct {
        LengthUnit unit;
        std::string nameTemplate;
        std::string name;
        std::string expected;
    } cases[] = {
        {LengthUnit::Utf8Byte, "p%F", Repeat(cyrillic, 130), "p" + Repeat(cyrillic, 129)},
        {LengthUnit::Utf8Byte, "%F.bak", "pp" + Repeat(emoji, 65), "pp" + Repeat(emoji, 64)},
        {LengthUnit::Utf8Byte, "%F", Repeat(cyrillic, 130), Repeat(cyrillic, 130)},
        {LengthUnit::Byte, "p%F", Repeat(cyrillic, 130), "p" + Repeat(cyrillic, 129) + "\xD0"},
    };
    for (const auto& c : cases) {
        const std::string result =
            ExpandTemplate(c.nameTemplate.c_str(), c.name, 0, {0, 1, 0, false}, c.unit);
        EXPECT_EQ(result, c.expected) << c.nameTemplate << " " << static_cast<int>(c.unit);
    }
}

TEST(NameTemplate, SearchAndBoundedAppend) {
    EXPECT_EQ(FindChar("a.b.c", '.'), 1u);
    EXPECT_EQ(FindLastChar("a.b.c", '.'), 3u);
    EXPECT_EQ(FindChar("abc", '.'), kNone);
    EXPECT_EQ(FindLastChar("abc", '.'), kNone);
    EXPECT_EQ(FindLastChar("", '.'), kNone);
    EXPECT_EQ(FindLastChar(".abc", '.'), 0u);

    struct Case {
        std::size_t size;
        const char* expected;
    };
    const Case cases[] = {{0, "x"}, {1, "x"}, {2, "xh"}, {4, "xhel"}, {6, "xhello"}, {100, "xhello"}};
    for (const Case& c : cases) {
        std::string destination = "x";
        AppendBounded(destination, "hello", c.size);
        EXPECT_EQ(destination, c.expected) << "size " << c.size;
    }
}

}  // namespace
}  // namespace velmora
