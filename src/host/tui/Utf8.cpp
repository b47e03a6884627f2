#include "host/tui/Utf8.hpp"

#include <cwchar>

namespace velmora::host::tui {

namespace {

// Length announced by a lead byte, 0 for a byte that cannot start a sequence.
std::size_t LeadLength(unsigned char c) {
    if (c < 0x80)
        return 1;
    if (c >= 0xC2 && c <= 0xDF)
        return 2;
    if (c >= 0xE0 && c <= 0xEF)
        return 3;
    if (c >= 0xF0 && c <= 0xF4)
        return 4;
    return 0;
}

}  // namespace

long DecodeChar(const std::string& text, std::size_t pos) {
    if (pos >= text.size())
        return -1;
    const auto lead = static_cast<unsigned char>(text[pos]);
    const std::size_t length = LeadLength(lead);
    if (length == 0 || pos + length > text.size())
        return -1;
    if (length == 1)
        return lead;
    long value = lead & (0x7F >> length);
    for (std::size_t i = 1; i < length; ++i) {
        const auto c = static_cast<unsigned char>(text[pos + i]);
        if ((c & 0xC0) != 0x80)
            return -1;
        value = (value << 6) | (c & 0x3F);
    }
    // Overlong forms, surrogates and values past U+10FFFF are not characters.
    static const long kMinimum[] = {0, 0, 0x80, 0x800, 0x10000};
    if (value < kMinimum[length] || value > 0x10FFFF || (value >= 0xD800 && value <= 0xDFFF))
        return -1;
    return value;
}

std::size_t CharLength(const std::string& text, std::size_t pos) {
    if (pos >= text.size())
        return 0;
    if (DecodeChar(text, pos) < 0)
        return 1;
    return LeadLength(static_cast<unsigned char>(text[pos]));
}

std::size_t PreviousChar(const std::string& text, std::size_t pos) {
    if (pos == 0)
        return 0;
    if (pos > text.size())
        pos = text.size();
    // A valid sequence ending at pos starts at most 3 bytes further back.
    for (std::size_t back = 2; back <= 4 && back <= pos; ++back) {
        const std::size_t start = pos - back;
        if (CharLength(text, start) == back)
            return start;
    }
    return pos - 1;
}

int CodePointWidth(long codePoint) {
    if (codePoint < 0x20 || codePoint == 0x7F)
        return 1;
    if (codePoint < 0x7F)
        return 1;
    const int width = ::wcwidth(static_cast<wchar_t>(codePoint));
    return width == 2 ? 2 : 1;
}

int DisplayWidth(const std::string& text, std::size_t begin, std::size_t end) {
    if (end > text.size())
        end = text.size();
    int width = 0;
    for (std::size_t pos = begin; pos < end; pos += CharLength(text, pos))
        width += CodePointWidth(DecodeChar(text, pos));
    return width;
}

void AppendUtf8(std::string* text, long cp) {
    if (cp < 0x80) {
        text->push_back(static_cast<char>(cp));
    } else if (cp < 0x800) {
        text->push_back(static_cast<char>(0xC0 | (cp >> 6)));
        text->push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    } else if (cp < 0x10000) {
        text->push_back(static_cast<char>(0xE0 | (cp >> 12)));
        text->push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
        text->push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    } else {
        text->push_back(static_cast<char>(0xF0 | (cp >> 18)));
        text->push_back(static_cast<char>(0x80 | ((cp >> 12) & 0x3F)));
        text->push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
        text->push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    }
}

std::size_t FitPrefix(const std::string& text, int columns) {
    std::size_t pos = 0;
    int used = 0;
    while (pos < text.size()) {
        const int width = CodePointWidth(DecodeChar(text, pos));
        if (used + width > columns)
            break;
        used += width;
        pos += CharLength(text, pos);
    }
    return pos;
}

}  // namespace velmora::host::tui
