// The flat JSON objects velmora writes, one a line (the journal, the plan), and reads back:
// string, unsigned number and null values, no nesting.
#pragma once

#include <cstddef>
#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <string_view>

namespace velmora {

struct JsonValue {
    enum Kind { Null, String, Number } kind = Null;
    std::string text;
    std::uint64_t number = 0;
};

using JsonObject = std::map<std::string, JsonValue>;

// Bytes of the valid UTF-8 character at text[0] (1 for ASCII), or 0 when none starts there.
std::size_t ValidUtf8Length(const char* text, std::size_t size);

// A JSON string literal (quotes included) for bytes. Valid UTF-8 passes through; every byte
// that is not part of a valid UTF-8 sequence is written as \u00XX.
std::string JsonString(const char* data, std::size_t size);
// The same literal appended to `out`.
void AppendJsonString(const char* data, std::size_t size, std::string* out);
// Whether the text goes into a JSON string as it is: printable ASCII without '"' or '\\'.
bool IsPlainJson(std::string_view text);
inline std::string JsonString(const std::string& text) {
    return JsonString(text.data(), text.size());
}

// Parses one object. Strings come back as the bytes JsonString was given: a \u0080 to \u00ff
// escape is the raw byte it stands for (JsonString writes every valid UTF-8 character as it is, so
// such an escape only ever stands for a byte that was not UTF-8). False on anything else.
bool ParseJsonObject(std::string_view line, JsonObject* object);

// The value of a key, when it is there and of that kind.
std::optional<std::string> JsonText(const JsonObject& object, const std::string& key);
std::optional<std::uint64_t> JsonNumber(const JsonObject& object, const std::string& key);

}  // namespace velmora
