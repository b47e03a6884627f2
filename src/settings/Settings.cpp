#include "settings/Settings.hpp"

#include "platform/Platform.hpp"

namespace velmora {

bool ReadRegistryString(const std::string& keyPath, const char* valueName, std::string* text,
                        std::size_t capacity, const char* defaultText) {
    std::string bytes;
    if (capacity == 0 || !Settings().Read(keyPath, valueName, capacity, &bytes)) {
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

std::uint32_t ReadRegistryDword(const std::string& keyPath, const char* valueName,
                                std::uint32_t defaultValue) {
    std::string bytes;
    if (!Settings().Read(keyPath, valueName, 4, &bytes)) {
        return defaultValue;
    }
    // Fewer than four stored bytes are the low bytes of the number.
    std::uint32_t value = 0;
    for (std::size_t i = bytes.size(); i-- > 0;) {
        value = (value << 8) | static_cast<unsigned char>(bytes[i]);
    }
    return value;
}

bool WriteRegistryString(const std::string& keyPath, const char* valueName, const std::string& text) {
    return Settings().WriteString(keyPath, valueName, text);
}

bool WriteRegistryDword(const std::string& keyPath, const char* valueName, std::uint32_t value) {
    return Settings().WriteDword(keyPath, valueName, value);
}

RenameOptions LoadOptions(const std::string& keyPath) {
    RenameOptions options;
    ReadRegistryString(keyPath, "velmora", &options.Mask, kOptionTextCapacity, "%F");
    ReadRegistryString(keyPath, "number", &options.StartNumber, kOptionTextCapacity, "0");
    options.SaveDescription = ReadRegistryDword(keyPath, "SaveDescription", 0);
    options.WithoutZero = ReadRegistryDword(keyPath, "WithoutZero", 0);
    return options;
}

void StoreOptions(const std::string& keyPath, const RenameOptions& options) {
    // Failures are not reported: the stored values simply stay as they were.
    WriteRegistryDword(keyPath, "SaveDescription", options.SaveDescription);
    WriteRegistryDword(keyPath, "WithoutZero", options.WithoutZero);
    WriteRegistryString(keyPath, "velmora", options.Mask);
    WriteRegistryString(keyPath, "number", options.StartNumber);
}

}  // namespace velmora
