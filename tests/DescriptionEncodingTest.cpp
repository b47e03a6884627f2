// FAR 3's rules for the bytes of a description file (code page kept, OEM for a file without a
// mark, UTF-8 when OEM lacks a character), natively and under the sanitizers; the FAR 1.x and far2l
// rules are covered by the runs of their hosts.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "descriptions/DescriptionEncoding.hpp"
#include "platform/MemoryFile.hpp"
#include "platform/Utf16.hpp"

namespace velmora {
namespace {

// Latin-1 stands in for the OEM code page: every character below U+0100 is one byte.
class Latin1 : public CodePageEncoder {
public:
    bool Encode(std::string_view utf8, std::string* bytes) const override {
        bytes->clear();
        for (const char16_t unit : ToUtf16<char16_t>(utf8)) {
            if (unit > 0xFF)
                return false;
            bytes->push_back(static_cast<char>(unit));
        }
        return true;
    }
};

const std::string kMark = "\xEF\xBB\xBF";
const std::string kCafe = "caf\xC3\xA9";                // café: Latin-1 holds it
const std::string kPhoto = "\xE5\x86\x99\xE7\x9C\x9F";  // 写真: Latin-1 does not
const std::string kEmoji = "\xF0\x9F\x8C\x85";          // 🌅, a surrogate pair in UTF-16

// Writes the lines through the encoding as the description output does; the file's bytes.
std::string Encoded(DescriptionEncoding& encoding, DescriptionCodePage readIn,
                    const std::vector<std::string>& lines) {
    EXPECT_TRUE(encoding.Begin(readIn));
    MemoryFile file;
    for (const std::string& line : lines) {
        file.Bytes() += line;
        encoding.Note(line);
    }
    std::uint64_t size = file.Bytes().size();
    EXPECT_TRUE(encoding.Finish(file, &size));
    EXPECT_EQ(size, file.Bytes().size());
    return file.Bytes();
}

TEST(DescriptionEncoding, UnicodeHostFollowsFar3) {
    const Latin1 oem;
    const auto encoding = MakeDescriptionEncoding(HostText::Unicode, &oem);
    const std::string photo = kPhoto + ".txt " + kEmoji + "\r\n";
    const struct {
        DescriptionCodePage readIn;
        std::vector<std::string> lines;
        std::string bytes;
    } cases[] = {
        {DescriptionCodePage::Plain, {"a b\r\n"}, "a b\r\n"},
        {DescriptionCodePage::Plain, {"a " + kCafe + "\r\n"}, "a caf\xE9\r\n"},
        // One line the OEM page cannot hold makes the whole file UTF-8, every line as written.
        {DescriptionCodePage::Plain, {"a " + kCafe + "\r\n", photo}, kMark + "a " + kCafe + "\r\n" + photo},
        {DescriptionCodePage::Utf8, {"a b\r\n"}, kMark + "a b\r\n"},
        {DescriptionCodePage::Utf16Le,
         {kPhoto + " " + kEmoji + "\r\n"},
         std::string("\xFF\xFE\x99\x51\x1F\x77 \0\x3C\xD8\x05\xDF\r\0\n\0", 16)},
        {DescriptionCodePage::Utf16Be, {"a\r\n"}, std::string("\xFE\xFF\0a\0\r\0\n", 8)},
        // Nothing written stays nothing: a mark alone would replace the old file.
        {DescriptionCodePage::Utf8, {}, ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(static_cast<int>(c.readIn));
        EXPECT_EQ(Encoded(*encoding, c.readIn, c.lines), c.bytes);
    }
}

}  // namespace
}  // namespace velmora
