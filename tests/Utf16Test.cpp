// The UTF-16 <-> UTF-8 conversion at a Unicode host's boundary, and character counts of UTF-8.
#include <gtest/gtest.h>

#include <string>

#include "platform/Utf16.hpp"

namespace velmora {
namespace {

TEST(Utf16, RoundTripsEveryNameWindowsCanHold) {
    const std::u16string names[] = {
        u"plain.txt",
        u"\u041E\u0442\u043F\u0443\u0441\u043A.jpg",  // Отпуск.jpg
        u"\u5199\u771F \U0001F305",                   // 写真 🌅
        u"lone \xD800 high",
        u"lone \xDC00 low",
        u"\xDBFF",
        u"",
    };
    for (const std::u16string& name : names) {
        std::string utf8;
        AppendUtf8(utf8, name.data(), name.size());
        EXPECT_EQ(ToUtf16<char16_t>(utf8), name) << utf8;
    }
    std::string emoji;
    const std::u16string pair = u"\U0001F305";
    AppendUtf8(emoji, pair.data(), pair.size());
    EXPECT_EQ(emoji, "\xF0\x9F\x8C\x85");
}

TEST(Utf16, InvalidUtf8BecomesReplacementCharacters) {
    const struct {
        std::string utf8;
        std::u16string units;
    } cases[] = {
        {"a\xFF!", u"a\xFFFD!"},
        {"\xC0\xAF", u"\xFFFD\xFFFD"},                      // overlong
        {"\xE2\x82", u"\xFFFD\xFFFD"},                      // cut short
        {"\xF4\x90\x80\x80", u"\xFFFD\xFFFD\xFFFD\xFFFD"},  // beyond U+10FFFF
    };
    for (const auto& c : cases)
        EXPECT_EQ(ToUtf16<char16_t>(c.utf8), c.units) << c.utf8;
}

TEST(Utf16, CharactersAreCountedAndNeverSplit) {
    const std::string text = "a\xD0\x96\xE5\x86\x99\xF0\x9F\x8C\x85z";  // a Ж 写 🌅 z
    EXPECT_EQ(CountUtf8Characters(text), 5u);
    const std::size_t prefixes[] = {0, 1, 3, 6, 10, 11, 11};
    for (std::size_t characters = 0; characters < std::size(prefixes); ++characters)
        EXPECT_EQ(Utf8PrefixBytes(text, characters), prefixes[characters]) << characters;
}

}  // namespace
}  // namespace velmora
