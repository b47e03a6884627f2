#include "journal/JsonLine.hpp"

#include <cstring>

namespace velmora {
namespace {

class Reader {
public:
    explicit Reader(std::string_view text) : text_(text) {}

    void SkipBlanks() {
        while (pos_ < text_.size() && (text_[pos_] == ' ' || text_[pos_] == '\t' || text_[pos_] == '\r'))
            ++pos_;
    }
    bool Take(char c) {
        SkipBlanks();
        if (pos_ < text_.size() && text_[pos_] == c) {
            ++pos_;
            return true;
        }
        return false;
    }
    bool AtEnd() {
        SkipBlanks();
        return pos_ == text_.size();
    }
    bool Word(std::string_view word) {
        SkipBlanks();
        if (text_.substr(pos_, word.size()) != word)
            return false;
        pos_ += word.size();
        return true;
    }

    bool String(std::string* out) {
        if (!Take('"'))
            return false;
        out->clear();
        while (pos_ < text_.size()) {
            const char c = text_[pos_++];
            if (c == '"')
                return true;
            if (static_cast<unsigned char>(c) < 0x20)
                return false;
            if (c != '\\') {
                out->push_back(c);
                continue;
            }
            if (pos_ >= text_.size())
                return false;
            const char e = text_[pos_++];
            switch (e) {
                case '"':
                case '\\':
                case '/':
                    out->push_back(e);
                    break;
                case 'b':
                    out->push_back('\b');
                    break;
                case 'f':
                    out->push_back('\f');
                    break;
                case 'n':
                    out->push_back('\n');
                    break;
                case 'r':
                    out->push_back('\r');
                    break;
                case 't':
                    out->push_back('\t');
                    break;
                case 'u': {
                    unsigned value = 0;
                    if (!Hex4(&value))
                        return false;
                    // Only what JsonString writes: control characters and lone bytes.
                    if (value > 0xFF)
                        return false;
                    out->push_back(static_cast<char>(value));
                    break;
                }
                default:
                    return false;
            }
        }
        return false;
    }

    bool Number(std::uint64_t* out) {
        SkipBlanks();
        const std::size_t begin = pos_;
        std::uint64_t value = 0;
        while (pos_ < text_.size() && text_[pos_] >= '0' && text_[pos_] <= '9') {
            const unsigned digit = static_cast<unsigned>(text_[pos_] - '0');
            if (value > (UINT64_MAX - digit) / 10)
                return false;
            value = value * 10 + digit;
            ++pos_;
        }
        *out = value;
        return pos_ > begin;
    }

    bool Peek(char c) {
        SkipBlanks();
        return pos_ < text_.size() && text_[pos_] == c;
    }

private:
    bool Hex4(unsigned* value) {
        if (pos_ + 4 > text_.size())
            return false;
        *value = 0;
        for (int i = 0; i < 4; ++i) {
            const char c = text_[pos_++];
            unsigned digit;
            if (c >= '0' && c <= '9')
                digit = static_cast<unsigned>(c - '0');
            else if (c >= 'a' && c <= 'f')
                digit = static_cast<unsigned>(c - 'a' + 10);
            else if (c >= 'A' && c <= 'F')
                digit = static_cast<unsigned>(c - 'A' + 10);
            else
                return false;
            *value = *value * 16 + digit;
        }
        return true;
    }

    std::string_view text_;
    std::size_t pos_ = 0;
};

}  // namespace

bool ParseJsonObject(std::string_view line, JsonObject* object) {
    object->clear();
    Reader reader(line);
    if (!reader.Take('{'))
        return false;
    if (reader.Take('}'))
        return reader.AtEnd();
    do {
        std::string key;
        if (!reader.String(&key) || !reader.Take(':'))
            return false;
        JsonValue value;
        if (reader.Peek('"')) {
            value.kind = JsonValue::String;
            if (!reader.String(&value.text))
                return false;
        } else if (reader.Word("null")) {
            value.kind = JsonValue::Null;
        } else {
            value.kind = JsonValue::Number;
            if (!reader.Number(&value.number))
                return false;
        }
        (*object)[key] = std::move(value);
    } while (reader.Take(','));
    return reader.Take('}') && reader.AtEnd();
}

std::optional<std::string> JsonText(const JsonObject& object, const std::string& key) {
    const auto it = object.find(key);
    if (it == object.end() || it->second.kind != JsonValue::String)
        return std::nullopt;
    return it->second.text;
}

std::optional<std::uint64_t> JsonNumber(const JsonObject& object, const std::string& key) {
    const auto it = object.find(key);
    if (it == object.end() || it->second.kind != JsonValue::Number)
        return std::nullopt;
    return it->second.number;
}

std::size_t ValidUtf8Length(const char* text, std::size_t size) {
    if (size == 0)
        return 0;
    const unsigned char* data = reinterpret_cast<const unsigned char*>(text);
    unsigned char lead = data[0];
    std::size_t length;
    unsigned char low = 0x80, high = 0xBF;  // range of the second byte
    if (lead < 0x80)
        return 1;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        if (lead == 0xE0)
            low = 0xA0;
        else if (lead == 0xED)
            high = 0x9F;  // no UTF-16 surrogates
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        if (lead == 0xF0)
            low = 0x90;
        else if (lead == 0xF4)
            high = 0x8F;  // nothing above U+10FFFF
    } else {
        return 0;
    }
    if (size < length)
        return 0;
    if (data[1] < low || data[1] > high)
        return 0;
    for (std::size_t i = 2; i < length; ++i) {
        if (data[i] < 0x80 || data[i] > 0xBF)
            return 0;
    }
    return length;
}

namespace {

// Whether eight bytes are all printable ASCII other than '"' and '\\': no byte below 0x20 or
// from 0x80 on, none equal to either quote or backslash.
bool PlainAscii(const unsigned char* bytes) {
    constexpr std::uint64_t kOnes = 0x0101010101010101ull;
    constexpr std::uint64_t kHighs = 0x8080808080808080ull;
    std::uint64_t word;
    std::memcpy(&word, bytes, sizeof word);
    const auto hasZero = [](std::uint64_t v) { return (v - kOnes) & ~v & kHighs; };
    const std::uint64_t below = (word - 0x20 * kOnes) & ~word & kHighs;  // a byte < 0x20 (or >= 0x80)
    return ((word & kHighs) | below | hasZero(word ^ ('"' * kOnes)) | hasZero(word ^ ('\\' * kOnes))) == 0;
}

bool PlainByte(unsigned char b) {
    return b >= 0x20 && b < 0x80 && b != '"' && b != '\\';
}

void AppendEscapedByte(unsigned char byte, std::string* out) {
    static const char kHex[] = "0123456789abcdef";
    out->append("\\u00");
    out->push_back(kHex[byte >> 4]);
    out->push_back(kHex[byte & 0xF]);
}

}  // namespace

bool IsPlainJson(std::string_view text) {
    const unsigned char* bytes = reinterpret_cast<const unsigned char*>(text.data());
    std::size_t i = 0;
    while (i + 8 <= text.size() && PlainAscii(bytes + i))
        i += 8;
    for (; i < text.size(); ++i) {
        if (!PlainByte(bytes[i]))
            return false;
    }
    return true;
}

void AppendJsonString(const char* data, std::size_t size, std::string* out) {
    out->push_back('"');
    const unsigned char* bytes = reinterpret_cast<const unsigned char*>(data);
    std::size_t i = 0;
    while (i < size) {
        // A run that needs no escape goes in one piece: printable ASCII and whole UTF-8
        // characters (a name, a line of a description file).
        std::size_t plain = i;
        while (plain < size) {
            // Eight ASCII bytes at a time where nothing needs an escape (the names of a batch).
            while (plain + 8 <= size && PlainAscii(bytes + plain))
                plain += 8;
            if (plain == size)
                break;
            const unsigned char b = bytes[plain];
            if (PlainByte(b)) {
                ++plain;
            } else if (b >= 0xC2 && b <= 0xDF && plain + 1 < size && (bytes[plain + 1] & 0xC0) == 0x80) {
                plain += 2;  // Cyrillic and most other scripts: two bytes a character
            } else if (b >= 0x80) {
                const std::size_t length = ValidUtf8Length(data + plain, size - plain);
                if (length == 0)
                    break;
                plain += length;
            } else {
                break;
            }
        }
        out->append(data + i, plain - i);
        i = plain;
        if (i == size)
            break;
        const unsigned char c = bytes[i];
        if (c >= 0x80) {
            AppendEscapedByte(c, out);
            ++i;
            continue;
        }
        switch (c) {
            case '"':
                out->append("\\\"");
                break;
            case '\\':
                out->append("\\\\");
                break;
            case '\n':
                out->append("\\n");
                break;
            case '\r':
                out->append("\\r");
                break;
            case '\t':
                out->append("\\t");
                break;
            default:
                AppendEscapedByte(c, out);
        }
        ++i;
    }
    out->push_back('"');
}

std::string JsonString(const char* data, std::size_t size) {
    std::string out;
    out.reserve(size + 2);
    AppendJsonString(data, size, &out);
    return out;
}

}  // namespace velmora
