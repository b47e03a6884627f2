#include "preview/PresetsMenu.hpp"

#include <algorithm>

#include "far/HostConventions.hpp"
#include "ports/Messages.hpp"
#include "settings/Presets.hpp"

namespace velmora {
namespace {

std::vector<std::string> SortedNames(Registry& registry, const std::string& settingsKey,
                                     const MenuOrdering& order) {
    const std::vector<std::string> names = ListPresets(registry, settingsKey);
    const std::vector<std::string_view> texts(names.begin(), names.end());
    std::vector<std::string> sorted;
    sorted.reserve(names.size());
    for (const int index : order(texts))
        sorted.push_back(names[static_cast<std::size_t>(index)]);
    return sorted;
}

int PositionOf(const std::vector<std::string>& names, const std::string& name) {
    const auto found = std::find(names.begin(), names.end(), name);
    return found == names.end() ? 0 : static_cast<int>(found - names.begin());
}

int NameProblemText(PresetNameProblem problem) {
    switch (problem) {
        case PresetNameProblem::Empty:
            return MPresetNameEmpty;
        case PresetNameProblem::TooLong:
            return MPresetNameTooLong;
        case PresetNameProblem::Backslash:
            return MPresetNameBackslash;
        case PresetNameProblem::Control:
        case PresetNameProblem::None:
            break;
    }
    return MPresetNameControl;
}

class PresetsMenu {
public:
    PresetsMenu(PluginHost& host, Registry& registry, const std::string& settingsKey, HostText text,
                PresetsUi& ui)
        : host_(host),
          registry_(registry),
          settingsKey_(settingsKey),
          utf8_(text != HostText::Oem),
          ui_(ui) {}

    // A name asked for in the input box, checked: false after Esc or a name refused with a box.
    bool AskName(int titleId, const std::string& initial, std::string* name) {
        std::string typed;
        if (!ui_.AskName(titleId, initial, &typed))
            return false;
        const PresetNameProblem problem = CheckPresetName(typed, utf8_, name);
        if (problem == PresetNameProblem::None)
            return true;
        host_.ShowWarning(kPresetsHelpTopic,
                          {host_.GetText(MWarningTitle), host_.GetText(NameProblemText(problem)),
                           typed.c_str(), host_.GetText(MWarningButton)});
        return false;
    }

    // Yes or No about the named preset.
    bool Ask(int questionId, const std::string& name) {
        return host_.ShowBox(kPresetsHelpTopic,
                             {host_.GetText(MPresetsTitle), host_.GetText(questionId), name.c_str(),
                              host_.GetText(MYes), host_.GetText(MNo)},
                             2, false) == 0;
    }

    // Whether storing under `name` may go on: a name already stored is replaced only after a Yes.
    // A rename of `except` in letter case alone finds its own key in a store that takes letters of
    // either case for one another: nothing else is replaced then.
    bool MayStore(const std::string& name, const std::string& except) {
        if (name == except || !PresetExists(registry_, settingsKey_, name))
            return true;
        if (!except.empty() && far::EqualIgnoringAsciiCase(name, except)) {
            const std::vector<std::string> stored = ListPresets(registry_, settingsKey_);
            if (std::find(stored.begin(), stored.end(), name) == stored.end())
                return true;
        }
        return Ask(MPresetReplaceQuestion, name);
    }

    void Failed(const std::string& name) {
        host_.ShowWarning(kPresetsHelpTopic, {host_.GetText(MWarningTitle), host_.GetText(MPresetNotStored),
                                              name.c_str(), host_.GetText(MWarningButton)});
    }

    PluginHost& host_;
    Registry& registry_;
    const std::string& settingsKey_;
    bool utf8_;
    PresetsUi& ui_;
};

}  // namespace

bool RunPresetsMenu(PluginHost& host, Registry& registry, const std::string& settingsKey, HostText text,
                    PresetsUi& ui, const MenuOrdering& order, const RenameOptions& current,
                    RenameOptions* loaded) {
    PresetsMenu menu(host, registry, settingsKey, text, ui);
    std::string cursorName;
    for (;;) {
        const std::vector<std::string> names = SortedNames(registry, settingsKey, order);
        int line = -1;
        const PresetsKey key = ui.Menu(names, PositionOf(names, cursorName), &line);
        const bool onName = line >= 0 && line < static_cast<int>(names.size());
        const std::string chosen = onName ? names[static_cast<std::size_t>(line)] : std::string();
        cursorName = chosen;
        switch (key) {
            case PresetsKey::Escape:
                return false;
            case PresetsKey::Enter:
                if (!onName)
                    return false;
                *loaded = LoadPreset(registry, settingsKey, chosen);
                return true;
            case PresetsKey::Insert: {
                std::string name;
                if (!menu.AskName(MPresetSaveTitle, std::string(), &name) ||
                    !menu.MayStore(name, std::string()))
                    break;
                if (!SavePreset(registry, settingsKey, name, current))
                    menu.Failed(name);
                cursorName = name;
                break;
            }
            case PresetsKey::Delete:
                if (onName && menu.Ask(MPresetDeleteQuestion, chosen) &&
                    !DeletePreset(registry, settingsKey, chosen))
                    menu.Failed(chosen);
                break;
            case PresetsKey::Rename: {
                std::string name;
                if (!onName || !menu.AskName(MPresetRenameTitle, chosen, &name) || name == chosen ||
                    !menu.MayStore(name, chosen))
                    break;
                if (RenamePreset(registry, settingsKey, chosen, name))
                    cursorName = name;
                else
                    menu.Failed(chosen);
                break;
            }
        }
    }
}

}  // namespace velmora
