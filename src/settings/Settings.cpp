#include "settings/Settings.hpp"

#include "platform/Platform.hpp"

namespace velmora {

bool ReadRegistryString(Registry& registry, const std::string& keyPath, const char* valueName, std::string* text,
                        std::size_t capacity, const char* defaultText) {
    std::string bytes;
    if (capacity == 0 || !registry.Read(keyPath, valueName, capacity, &bytes)) {
        *text = defaultText;
        return false;
    }
    // A string value carries its terminator; one stored without it keeps as much as a buffer of
    // this capacity would hold with a terminator of its own.
    std::size_t end = bytes.find('\0');
    if (end == std::string::npos) {
        end = bytes.size() < capacity ? bytes.size() : capacity - 1;
    }
    text->assign(bytes, 0, end);
    return true;
}

std::uint32_t ReadRegistryDword(Registry& registry, const std::string& keyPath, const char* valueName,
                                std::uint32_t defaultValue) {
    std::string bytes;
    if (!registry.Read(keyPath, valueName, 4, &bytes)) {
        return defaultValue;
    }
    // Fewer than four stored bytes are the low bytes of the number.
    std::uint32_t value = 0;
    for (std::size_t i = bytes.size(); i-- > 0;) {
        value = (value << 8) | static_cast<unsigned char>(bytes[i]);
    }
    return value;
}

bool WriteRegistryString(Registry& registry, const std::string& keyPath, const char* valueName,
                         const std::string& text) {
    return registry.WriteString(keyPath, valueName, text);
}

bool WriteRegistryDword(Registry& registry, const std::string& keyPath, const char* valueName, std::uint32_t value) {
    return registry.WriteDword(keyPath, valueName, value);
}

RenameOptions LoadOptions(Registry& registry, const std::string& keyPath) {
    RenameOptions options;
    ReadRegistryString(registry, keyPath, "velmora", &options.Mask, kOptionTextCapacity, "%F");
    ReadRegistryString(registry, keyPath, "number", &options.StartNumber, kOptionTextCapacity, "0");
    options.SaveDescription = ReadRegistryDword(registry, keyPath, "SaveDescription", 0);
    options.WithoutZero = ReadRegistryDword(registry, keyPath, "WithoutZero", 0);
    return options;
}

void StoreOptions(Registry& registry, const std::string& keyPath, const RenameOptions& options) {
    // Failures are not reported: the stored values simply stay as they were. One batch, so that
    // a store kept in a file is replaced once per run, never left with some of the four.
    registry.WriteValues(keyPath, {RegistryWrite::Dword("SaveDescription", options.SaveDescription),
                                   RegistryWrite::Dword("WithoutZero", options.WithoutZero),
                                   RegistryWrite::String("velmora", options.Mask),
                                   RegistryWrite::String("number", options.StartNumber)});
}

}  // namespace velmora
