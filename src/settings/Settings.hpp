// The four persisted options and the registry operations the plug-in uses.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "platform/Platform.hpp"

namespace velmora {

// Capacity of a stored option text, terminator included.
constexpr std::size_t kOptionTextCapacity = 260;

// Letter case of the name or of the extension, as stored.
enum : std::uint32_t { kCaseUnchanged = 0, kCaseLower = 1, kCaseUpper = 2, kCaseTitle = 3, kCaseCount = 4 };

// The steps after the template: find and replace, then letter case. With an empty Find and both
// cases unchanged they change nothing, which is what a store without them gives.
struct RuleOptions {
    std::string Find;
    std::string Replace;
    std::uint32_t Regex = 0;                       // 1: Find is a regular expression (ECMAScript syntax)
    std::uint32_t MatchCase = 0;                   // 1: letters compared with their case
    std::uint32_t FirstOnly = 0;                   // 1: the first match only
    std::uint32_t NameCase = kCaseUnchanged;       // the name without its extension
    std::uint32_t ExtensionCase = kCaseUnchanged;  // the extension

    bool Active() const {
        return !Find.empty() || NameCase != kCaseUnchanged || ExtensionCase != kCaseUnchanged;
    }
    bool operator==(const RuleOptions& other) const {
        return Find == other.Find && Replace == other.Replace && Regex == other.Regex &&
               MatchCase == other.MatchCase && FirstOnly == other.FirstOnly && NameCase == other.NameCase &&
               ExtensionCase == other.ExtensionCase;
    }
};

struct RenameOptions {
    std::string Mask = "%F";
    std::string StartNumber = "0";
    std::uint32_t SaveDescription = 0;
    std::uint32_t WithoutZero = 0;
    RuleOptions Rules;
    // The store holds values of the steps after the template: a store that never had them gets
    // none written while they change nothing, and keeps exactly the four values it had.
    bool RulesStored = false;
};

// An option text as typed, cut to at most `limit` bytes; UTF-8 text never loses half a character.
inline std::string_view OptionTextPrefix(std::string_view text, std::size_t limit, bool utf8) {
    if (text.size() <= limit)
        return text;
    std::size_t length = limit;
    if (utf8) {
        while (length > 0 && (static_cast<unsigned char>(text[length]) & 0xC0) == 0x80)
            --length;
    }
    return text.substr(0, length);
}

// Reads a value as text of at most capacity - 1 bytes. On failure copies the default and
// returns false.
bool ReadRegistryString(Registry& registry, const std::string& keyPath, const char* valueName,
                        std::string* text, std::size_t capacity, const char* defaultText);
std::uint32_t ReadRegistryDword(Registry& registry, const std::string& keyPath, const char* valueName,
                                std::uint32_t defaultValue);
bool WriteRegistryString(Registry& registry, const std::string& keyPath, const char* valueName,
                         const std::string& text);
bool WriteRegistryDword(Registry& registry, const std::string& keyPath, const char* valueName,
                        std::uint32_t value);

// Reads "velmora", "number", "SaveDescription", "WithoutZero", in that order, then the steps after
// the template ("Find", "ReplaceWith", "RegularExpression", "MatchCase", "FirstMatchOnly",
// "NameCase", "ExtensionCase"); a case number out of range reads as unchanged.
RenameOptions LoadOptions(Registry& registry, const std::string& keyPath);
// Writes "SaveDescription", "WithoutZero", "velmora", "number", in that order, then the steps after
// the template. True when every value was stored.
bool StoreOptions(Registry& registry, const std::string& keyPath, const RenameOptions& options);

}  // namespace velmora
