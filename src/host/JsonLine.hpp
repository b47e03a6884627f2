// Reading back the flat JSON objects velmora writes itself, one a line (the journal, the plan):
// string, unsigned number and null values, no nesting.
#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <string_view>

namespace velmora::host {

struct JsonValue {
    enum Kind { Null, String, Number } kind = Null;
    std::string text;
    std::uint64_t number = 0;
};

using JsonObject = std::map<std::string, JsonValue>;

// Parses one object. Strings come back as the bytes JsonString was given: a \u0080 to \u00ff
// escape is the raw byte it stands for (JsonString writes every valid UTF-8 character as it is, so
// such an escape only ever stands for a byte that was not UTF-8). False on anything else.
bool ParseJsonObject(std::string_view line, JsonObject* object);

// The value of a key, when it is there and of that kind.
std::optional<std::string> JsonText(const JsonObject& object, const std::string& key);
std::optional<std::uint64_t> JsonNumber(const JsonObject& object, const std::string& key);

}  // namespace velmora::host
