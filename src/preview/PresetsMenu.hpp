// The dialog's Presets button, the same in every host: the host's menu of the stored presets by
// name, with FAR's keys of its lists. Enter loads the one under the cursor into the dialog, Ins
// stores the dialog's answers under a name asked for, Del removes one after a question, F4 gives
// one another name. Each host hands over its menu and its input box.
#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/Platform.hpp"
#include "ports/PluginHost.hpp"
#include "settings/Settings.hpp"

namespace velmora {

constexpr const char* kPresetsHelpTopic = "PresetsVelmora";

// The key that closed the presets menu.
enum class PresetsKey { Enter, Insert, Delete, Rename, Escape };

// The key a host's menu of presets was left with, from its break code (the index among the break
// keys Ins, Del and F4, in that order; anything else for none) and the line chosen (-1: Esc).
inline PresetsKey PresetsKeyOf(long long breakCode, int line) {
    switch (breakCode) {
        case 0:
            return PresetsKey::Insert;
        case 1:
            return PresetsKey::Delete;
        case 2:
            return PresetsKey::Rename;
        default:
            return line >= 0 ? PresetsKey::Enter : PresetsKey::Escape;
    }
}

class PresetsUi {
public:
    virtual ~PresetsUi() = default;
    // The host's menu of `names` (title, bottom line and help topic of the presets), the cursor on
    // line `cursor`: the key that closed it, and in *line the line under the cursor then (-1 when
    // the menu is empty or gave none).
    virtual PresetsKey Menu(const std::vector<std::string>& names, int cursor, int* line) = 0;
    // The host's input box with the title `titleId`, the name prompt and `initial` typed in: false
    // after Esc, else the line typed in *typed.
    virtual bool AskName(int titleId, const std::string& initial, std::string* typed) = 0;
};

// Sorts names for the menu as the host sorts its own lists: the positions in that order.
using MenuOrdering = std::function<std::vector<int>(const std::vector<std::string_view>&)>;

// The presets menu until a preset is loaded (true, its answers in *loaded) or the user leaves it
// (false). `current` holds the dialog's answers as they stand: Ins stores those.
bool RunPresetsMenu(PluginHost& host, Registry& registry, const std::string& settingsKey, HostText text,
                    PresetsUi& ui, const MenuOrdering& order, const RenameOptions& current,
                    RenameOptions* loaded);

}  // namespace velmora
