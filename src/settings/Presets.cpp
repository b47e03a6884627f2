#include "settings/Presets.hpp"

namespace velmora {
namespace {

std::string PresetKeyPath(const std::string& settingsKey, const std::string& name) {
    return PresetsKeyPath(settingsKey) + "\\" + name;
}

std::size_t CharacterCount(std::string_view text, bool utf8) {
    if (!utf8)
        return text.size();
    std::size_t count = 0;
    for (const char c : text)
        count += (static_cast<unsigned char>(c) & 0xC0) != 0x80 ? 1 : 0;
    return count;
}

}  // namespace

PresetNameProblem CheckPresetName(std::string_view typed, bool utf8, std::string* name) {
    std::size_t begin = 0;
    std::size_t end = typed.size();
    while (begin < end && (typed[begin] == ' ' || typed[begin] == '\t'))
        ++begin;
    while (end > begin && (typed[end - 1] == ' ' || typed[end - 1] == '\t'))
        --end;
    name->assign(typed.substr(begin, end - begin));
    if (name->empty())
        return PresetNameProblem::Empty;
    for (const char c : *name) {
        const unsigned char byte = static_cast<unsigned char>(c);
        if (byte < 0x20 || byte == 0x7F)
            return PresetNameProblem::Control;
    }
    if (name->find('\\') != std::string::npos)
        return PresetNameProblem::Backslash;
    if (CharacterCount(*name, utf8) > kPresetNameMaxCharacters)
        return PresetNameProblem::TooLong;
    return PresetNameProblem::None;
}

std::string PresetsKeyPath(const std::string& settingsKey) {
    return settingsKey + "\\Presets";
}

std::vector<std::string> ListPresets(Registry& registry, const std::string& settingsKey) {
    std::vector<std::string> names;
    registry.Subkeys(PresetsKeyPath(settingsKey), &names);
    return names;
}

bool PresetExists(Registry& registry, const std::string& settingsKey, const std::string& name) {
    std::vector<std::string> below;
    return registry.Subkeys(PresetKeyPath(settingsKey, name), &below);
}

RenameOptions LoadPreset(Registry& registry, const std::string& settingsKey, const std::string& name) {
    return LoadOptions(registry, PresetKeyPath(settingsKey, name));
}

bool SavePreset(Registry& registry, const std::string& settingsKey, const std::string& name,
                const RenameOptions& options) {
    // Every value, the steps after the template too: a preset loads the same in any later build.
    RenameOptions stored = options;
    stored.RulesStored = true;
    return StoreOptions(registry, PresetKeyPath(settingsKey, name), stored);
}

bool DeletePreset(Registry& registry, const std::string& settingsKey, const std::string& name) {
    return registry.DeleteKey(PresetKeyPath(settingsKey, name));
}

bool RenamePreset(Registry& registry, const std::string& settingsKey, const std::string& from,
                  const std::string& to) {
    const RenameOptions options = LoadPreset(registry, settingsKey, from);
    // Names that differ in letter case only may be one key: it is emptied first and stored
    // afterwards, and put back as it was should the store refuse the new name.
    const bool sameKey = PresetExists(registry, settingsKey, to) && [&] {
        for (const std::string& name : ListPresets(registry, settingsKey)) {
            if (name == to)
                return false;
        }
        return true;
    }();
    if (sameKey) {
        if (!DeletePreset(registry, settingsKey, from))
            return false;
        if (SavePreset(registry, settingsKey, to, options))
            return true;
        SavePreset(registry, settingsKey, from, options);
        return false;
    }
    if (!SavePreset(registry, settingsKey, to, options))
        return false;
    return DeletePreset(registry, settingsKey, from);
}

}  // namespace velmora
