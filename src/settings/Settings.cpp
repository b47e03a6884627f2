#include "settings/Settings.hpp"

#include "platform/Platform.hpp"

namespace velmora {

bool ReadRegistryString(Registry& registry, const std::string& keyPath, const char* valueName,
                        std::string* text, std::size_t capacity, const char* defaultText) {
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

namespace {

// A stored number; false (value untouched) when there is none.
bool ReadDword(Registry& registry, const std::string& keyPath, const char* valueName, std::uint32_t* value) {
    std::string bytes;
    if (!registry.Read(keyPath, valueName, 4, &bytes))
        return false;
    // Fewer than four stored bytes are the low bytes of the number.
    *value = 0;
    for (std::size_t i = bytes.size(); i-- > 0;) {
        *value = (*value << 8) | static_cast<unsigned char>(bytes[i]);
    }
    return true;
}

}  // namespace

std::uint32_t ReadRegistryDword(Registry& registry, const std::string& keyPath, const char* valueName,
                                std::uint32_t defaultValue) {
    std::uint32_t value = defaultValue;
    ReadDword(registry, keyPath, valueName, &value);
    return value;
}

bool WriteRegistryString(Registry& registry, const std::string& keyPath, const char* valueName,
                         const std::string& text) {
    return registry.WriteString(keyPath, valueName, text);
}

bool WriteRegistryDword(Registry& registry, const std::string& keyPath, const char* valueName,
                        std::uint32_t value) {
    return registry.WriteDword(keyPath, valueName, value);
}

RenameOptions LoadOptions(Registry& registry, const std::string& keyPath) {
    RenameOptions options;
    ReadRegistryString(registry, keyPath, "velmora", &options.Mask, kOptionTextCapacity, "%F");
    ReadRegistryString(registry, keyPath, "number", &options.StartNumber, kOptionTextCapacity, "0");
    options.SaveDescription = ReadRegistryDword(registry, keyPath, "SaveDescription", 0);
    options.WithoutZero = ReadRegistryDword(registry, keyPath, "WithoutZero", 0);
    RuleOptions& rules = options.Rules;
    bool stored = ReadRegistryString(registry, keyPath, "Find", &rules.Find, kOptionTextCapacity, "");
    stored = ReadRegistryString(registry, keyPath, "ReplaceWith", &rules.Replace, kOptionTextCapacity, "") ||
             stored;
    const auto dword = [&](const char* name) {
        std::uint32_t value = 0;
        stored = ReadDword(registry, keyPath, name, &value) || stored;
        return value;
    };
    rules.Regex = dword("RegularExpression") != 0 ? 1 : 0;
    rules.MatchCase = dword("MatchCase") != 0 ? 1 : 0;
    rules.FirstOnly = dword("FirstMatchOnly") != 0 ? 1 : 0;
    const auto letterCase = [&](const char* name) {
        const std::uint32_t value = dword(name);
        return value < kCaseCount ? value : kCaseUnchanged;
    };
    rules.NameCase = letterCase("NameCase");
    rules.ExtensionCase = letterCase("ExtensionCase");
    options.RulesStored = stored;
    return options;
}

bool StoreOptions(Registry& registry, const std::string& keyPath, const RenameOptions& options) {
    // A run reports no failure: the stored values simply stay as they were. One batch, so that
    // a store kept in a file is replaced once per run, never left with some of them.
    std::vector<RegistryWrite> values = {RegistryWrite::Dword("SaveDescription", options.SaveDescription),
                                         RegistryWrite::Dword("WithoutZero", options.WithoutZero),
                                         RegistryWrite::String("velmora", options.Mask),
                                         RegistryWrite::String("number", options.StartNumber)};
    if (options.RulesStored || !(options.Rules == RuleOptions{})) {
        values.insert(values.end(), {RegistryWrite::String("Find", options.Rules.Find),
                                     RegistryWrite::String("ReplaceWith", options.Rules.Replace),
                                     RegistryWrite::Dword("RegularExpression", options.Rules.Regex),
                                     RegistryWrite::Dword("MatchCase", options.Rules.MatchCase),
                                     RegistryWrite::Dword("FirstMatchOnly", options.Rules.FirstOnly),
                                     RegistryWrite::Dword("NameCase", options.Rules.NameCase),
                                     RegistryWrite::Dword("ExtensionCase", options.Rules.ExtensionCase)});
    }
    return registry.WriteValues(keyPath, values);
}

}  // namespace velmora
