// UTF-16 and UTF-8 in both directions, for the text of a Unicode host (FAR 3 speaks UTF-16, the
// plug-in's code UTF-8). A lone surrogate, which a Windows file name may hold, becomes the three
// bytes generalized UTF-8 (WTF-8) gives it and comes back as the same unit: every name survives
// the round trip, where the system's converters would turn it into U+FFFD and lose the file.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace velmora {

namespace utf16_detail {

inline bool IsContinuation(unsigned char byte) {
    return (byte & 0xC0) == 0x80;
}

inline void AppendCodePoint(std::string& out, std::uint32_t code) {
    if (code < 0x80) {
        out.push_back(static_cast<char>(code));
    } else if (code < 0x800) {
        out.push_back(static_cast<char>(0xC0 | (code >> 6)));
        out.push_back(static_cast<char>(0x80 | (code & 0x3F)));
    } else if (code < 0x10000) {
        out.push_back(static_cast<char>(0xE0 | (code >> 12)));
        out.push_back(static_cast<char>(0x80 | ((code >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (code & 0x3F)));
    } else {
        out.push_back(static_cast<char>(0xF0 | (code >> 18)));
        out.push_back(static_cast<char>(0x80 | ((code >> 12) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | ((code >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (code & 0x3F)));
    }
}

// The code point starting at text[*pos], moving *pos past it; U+FFFD for a byte that starts no
// valid sequence (then *pos moves by one byte).
inline std::uint32_t NextCodePoint(std::string_view text, std::size_t* pos) {
    const std::size_t at = *pos;
    const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(text[at + i]); };
    const unsigned char lead = byte(0);
    ++*pos;
    if (lead < 0x80)
        return lead;
    std::size_t length = 0;
    std::uint32_t code = 0;
    unsigned char low = 0x80;  // the range of the second byte, which rules out overlong forms
    unsigned char high = 0xBF;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
        code = lead & 0x1F;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        code = lead & 0x0F;
        if (lead == 0xE0)
            low = 0xA0;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        code = lead & 0x07;
        if (lead == 0xF0)
            low = 0x90;
        if (lead == 0xF4)
            high = 0x8F;
    } else {
        return 0xFFFD;
    }
    if (text.size() - at < length || byte(1) < low || byte(1) > high)
        return 0xFFFD;
    for (std::size_t i = 1; i < length; ++i) {
        if (!IsContinuation(byte(i)))
            return 0xFFFD;
        code = (code << 6) | (byte(i) & 0x3F);
    }
    *pos = at + length;
    return code;
}

}  // namespace utf16_detail

// Appends `length` UTF-16 code units as UTF-8.
template <class Unit>
void AppendUtf8(std::string& out, const Unit* text, std::size_t length) {
    for (std::size_t i = 0; i < length; ++i) {
        std::uint32_t code = static_cast<std::uint16_t>(text[i]);
        if (code >= 0xD800 && code <= 0xDBFF && i + 1 < length) {
            const std::uint32_t next = static_cast<std::uint16_t>(text[i + 1]);
            if (next >= 0xDC00 && next <= 0xDFFF) {
                code = 0x10000 + ((code - 0xD800) << 10) + (next - 0xDC00);
                ++i;
            }
        }
        utf16_detail::AppendCodePoint(out, code);
    }
}

// Appends UTF-8 text as UTF-16 code units.
template <class Unit>
void AppendUtf16(std::basic_string<Unit>& out, std::string_view utf8) {
    for (std::size_t pos = 0; pos < utf8.size();) {
        const std::uint32_t code = utf16_detail::NextCodePoint(utf8, &pos);
        if (code < 0x10000) {
            out.push_back(static_cast<Unit>(code));
        } else {
            out.push_back(static_cast<Unit>(0xD800 + ((code - 0x10000) >> 10)));
            out.push_back(static_cast<Unit>(0xDC00 + ((code - 0x10000) & 0x3FF)));
        }
    }
}

// The same, zero-terminated UTF-16 text in, a new string out.
template <class Unit>
std::string ToUtf8(const Unit* text) {
    std::string out;
    if (text) {
        std::size_t length = 0;
        while (text[length] != 0)
            ++length;
        AppendUtf8(out, text, length);
    }
    return out;
}

template <class Unit>
std::basic_string<Unit> ToUtf16(std::string_view utf8) {
    std::basic_string<Unit> out;
    out.reserve(utf8.size());
    AppendUtf16(out, utf8);
    return out;
}

// How many characters (code points) UTF-8 text holds: every byte that continues no sequence
// starts one.
inline std::size_t CountUtf8Characters(std::string_view text) {
    std::size_t count = 0;
    for (const char c : text)
        count += !utf16_detail::IsContinuation(static_cast<unsigned char>(c));
    return count;
}

// The bytes of the longest start of UTF-8 text that holds at most `characters` characters and
// ends where a character ends.
inline std::size_t Utf8PrefixBytes(std::string_view text, std::size_t characters) {
    std::size_t count = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (!utf16_detail::IsContinuation(static_cast<unsigned char>(text[i])) && count++ == characters)
            return i;
    }
    return text.size();
}

// The bytes of the longest start of UTF-8 text at most `bytes` long that cuts no character in two:
// a lead byte and the continuation bytes its sequence takes stay together. Bytes that belong to
// no sequence (a stray continuation byte) are cut like any other.
inline std::size_t Utf8PrefixWithinBytes(std::string_view text, std::size_t bytes) {
    if (bytes >= text.size())
        return text.size();
    std::size_t lead = bytes;
    while (lead > 0 && bytes - lead < 3 &&
           utf16_detail::IsContinuation(static_cast<unsigned char>(text[lead])))
        --lead;
    const auto first = static_cast<unsigned char>(text[lead]);
    const std::size_t length = first >= 0xF0 ? 4 : first >= 0xE0 ? 3 : first >= 0xC0 ? 2 : 1;
    return lead < bytes && lead + length > bytes ? lead : bytes;
}

}  // namespace velmora
