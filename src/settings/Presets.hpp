// Presets: whole sets of the dialog's answers kept under a name of the user's, each in a key of its
// own below the plug-in's stored values ("<settings key>\Presets\<name>"), with the same values.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "platform/Platform.hpp"
#include "settings/Settings.hpp"

namespace velmora {

// A name holds 1 to this many characters of the host's text.
constexpr std::size_t kPresetNameMaxCharacters = 64;

enum class PresetNameProblem {
    None,
    Empty,      // nothing but blanks
    TooLong,    // more than kPresetNameMaxCharacters
    Backslash,  // a key's name cannot hold "\": it parts the keys of a path
    Control,    // a line break or another control character, which no store keeps in a key's name
};

// The name as it is kept (blanks at either end dropped) and what keeps it from being a key's
// name. Characters are UTF-8 code points on a UTF-8 host, bytes of the OEM code page otherwise.
PresetNameProblem CheckPresetName(std::string_view typed, bool utf8, std::string* name);

// Where the presets live: the key below which each one has its own.
std::string PresetsKeyPath(const std::string& settingsKey);

// The names of the stored presets as the store spells them, in no particular order.
std::vector<std::string> ListPresets(Registry& registry, const std::string& settingsKey);
// Whether the store has a preset that `name` finds (the store's own comparison: the Windows
// registry takes letters of any case for one another).
bool PresetExists(Registry& registry, const std::string& settingsKey, const std::string& name);
// A preset's answers; values it lacks (a preset from an older build) take their defaults.
RenameOptions LoadPreset(Registry& registry, const std::string& settingsKey, const std::string& name);
// Stores every answer under the name, in one write; true when all of them were stored.
bool SavePreset(Registry& registry, const std::string& settingsKey, const std::string& name,
                const RenameOptions& options);
bool DeletePreset(Registry& registry, const std::string& settingsKey, const std::string& name);
// Moves a preset to another name (replacing one stored there); the old one is removed only once
// the new one is stored, unless the two names find one key, as letters of another case may.
bool RenamePreset(Registry& registry, const std::string& settingsKey, const std::string& from,
                  const std::string& to);

}  // namespace velmora
