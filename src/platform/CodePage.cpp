#include "platform/CodePage.hpp"

#include <cstdint>
#include <cstring>

namespace velmora {
namespace {

// Length of the well-formed UTF-8 sequence that starts at text[pos], 0 when there is none.
std::size_t SequenceLength(std::string_view text, std::size_t pos) {
    const auto at = [&](std::size_t i) { return static_cast<unsigned char>(text[i]); };
    const unsigned char lead = at(pos);
    if (lead < 0x80)
        return 1;
    std::size_t length = 0;
    unsigned char low = 0x80;   // the bounds of the second byte, narrower after some leads
    unsigned char high = 0xBF;  // (overlong forms, surrogates, past U+10FFFF)
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        low = lead == 0xE0 ? 0xA0 : 0x80;
        high = lead == 0xED ? 0x9F : 0xBF;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        low = lead == 0xF0 ? 0x90 : 0x80;
        high = lead == 0xF4 ? 0x8F : 0xBF;
    } else {
        return 0;
    }
    if (text.size() - pos < length || at(pos + 1) < low || at(pos + 1) > high)
        return 0;
    for (std::size_t i = 2; i < length; ++i) {
        if ((at(pos + i) & 0xC0) != 0x80)
            return 0;
    }
    return length;
}

}  // namespace

bool IsUtf8(std::string_view bytes) {
    const auto* data = reinterpret_cast<const unsigned char*>(bytes.data());
    const std::size_t size = bytes.size();
    std::size_t pos = 0;
    while (pos < size) {
        const unsigned char lead = data[pos];
        if (lead < 0x80) {
            // Most description text is ASCII: eight bytes at a time until a byte above 0x7F.
            if (size - pos >= 8) {
                std::uint64_t word;
                std::memcpy(&word, data + pos, sizeof word);
                if ((word & 0x8080808080808080ull) == 0) {
                    pos += 8;
                    continue;
                }
            }
            ++pos;
            continue;
        }
        // Cyrillic and most other scripts: two bytes, C2..DF then a continuation byte.
        if (lead >= 0xC2 && lead <= 0xDF && pos + 1 < size && (data[pos + 1] & 0xC0) == 0x80) {
            pos += 2;
            continue;
        }
        const std::size_t length = SequenceLength(bytes, pos);
        if (length == 0)
            return false;
        pos += length;
    }
    return true;
}

void AppendLinesInUtf8(const CodePage* page, std::string_view bytes, std::string* utf8) {
    while (!bytes.empty()) {
        std::size_t end = bytes.find('\n');
        end = end == std::string_view::npos ? bytes.size() : end + 1;
        const std::string_view line = bytes.substr(0, end);
        if (!page || IsUtf8(line))
            utf8->append(line);
        else
            page->Decode(line, utf8);
        bytes.remove_prefix(end);
    }
}

}  // namespace velmora
