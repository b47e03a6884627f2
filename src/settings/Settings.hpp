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

struct RenameOptions {
    std::string Mask = "%F";
    std::string StartNumber = "0";
    std::uint32_t SaveDescription = 0;
    std::uint32_t WithoutZero = 0;
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
bool ReadRegistryString(Registry& registry, const std::string& keyPath, const char* valueName, std::string* text,
                        std::size_t capacity, const char* defaultText);
std::uint32_t ReadRegistryDword(Registry& registry, const std::string& keyPath, const char* valueName,
                                std::uint32_t defaultValue);
bool WriteRegistryString(Registry& registry, const std::string& keyPath, const char* valueName,
                         const std::string& text);
bool WriteRegistryDword(Registry& registry, const std::string& keyPath, const char* valueName, std::uint32_t value);

// Reads "velmora", "number", "SaveDescription", "WithoutZero", in that order.
RenameOptions LoadOptions(Registry& registry, const std::string& keyPath);
// Writes "SaveDescription", "WithoutZero", "velmora", "number", in that order.
void StoreOptions(Registry& registry, const std::string& keyPath, const RenameOptions& options);

}  // namespace velmora
