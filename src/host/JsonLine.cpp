#include "host/JsonLine.hpp"

namespace velmora::host {
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

}  // namespace velmora::host
