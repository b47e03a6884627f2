#include "host/PresetCommands.hpp"

#include <string_view>
#include <vector>

#include "far/HostConventions.hpp"
#include "host/Host.hpp"
#include "platform/Platform.hpp"
#include "settings/Presets.hpp"

namespace velmora::host {
namespace {

std::string SettingsKey(const HostOptions& options) {
    return options.rootKey + "\\Velmora";
}

// The stored names in the order the plug-in's menu shows them.
std::vector<std::string> SortedPresets(const HostOptions& options) {
    const std::vector<std::string> names = ListPresets(Settings(), SettingsKey(options));
    const std::vector<std::string_view> texts(names.begin(), names.end());
    std::vector<std::string> sorted;
    for (const int index : far::MenuOrder(texts))
        sorted.push_back(names[static_cast<std::size_t>(index)]);
    return sorted;
}

std::string UnknownPreset(const HostOptions& options, const std::string& name) {
    const std::vector<std::string> names = SortedPresets(options);
    std::string message = "no preset is named '" + name + "'; ";
    if (names.empty())
        return message + "none is stored";
    message += "the presets are:";
    for (std::size_t i = 0; i < names.size(); ++i)
        message += (i == 0 ? " '" : ", '") + names[i] + "'";
    return message;
}

// The answers the command line gives, over `base`.
void Override(const HostOptions& options, RenameOptions* base) {
    if (options.mask)
        base->Mask = *options.mask;
    if (options.start)
        base->StartNumber = *options.start;
    if (options.withoutZero)
        base->WithoutZero = static_cast<std::uint32_t>(*options.withoutZero);
    if (options.saveDescriptions)
        base->SaveDescription = static_cast<std::uint32_t>(*options.saveDescriptions);
    RuleOptions& rules = base->Rules;
    if (options.find)
        rules.Find = *options.find;
    if (options.replace)
        rules.Replace = *options.replace;
    if (options.regex)
        rules.Regex = static_cast<std::uint32_t>(*options.regex);
    if (options.matchCase)
        rules.MatchCase = static_cast<std::uint32_t>(*options.matchCase);
    if (options.firstOnly)
        rules.FirstOnly = static_cast<std::uint32_t>(*options.firstOnly);
    if (options.nameCase)
        rules.NameCase = *options.nameCase;
    if (options.extensionCase)
        rules.ExtensionCase = *options.extensionCase;
}

int Fail(std::ostream& err, const std::string& message) {
    err << "velmora: " << message << '\n';
    return kExitWarning;
}

const char* NameProblemText(PresetNameProblem problem) {
    switch (problem) {
        case PresetNameProblem::Empty:
            return "a preset needs a name";
        case PresetNameProblem::TooLong:
            return "a preset's name holds at most 64 characters";
        case PresetNameProblem::Backslash:
            return "a preset's name cannot hold a backslash: it parts registry keys";
        case PresetNameProblem::Control:
        case PresetNameProblem::None:
            break;
    }
    return "a preset's name cannot hold a control character";
}

int SavePresetCommand(const HostOptions& options, std::ostream& err) {
    std::string name;
    const PresetNameProblem problem = CheckPresetName(*options.savePreset, far::kHostStringsAreUtf8, &name);
    if (problem != PresetNameProblem::None)
        return Fail(err, NameProblemText(problem));
    Registry& registry = Settings();
    const std::string key = SettingsKey(options);
    // Over the preset named, else over the answers the dialog keeps.
    RenameOptions answers = LoadOptions(registry, key);
    if (options.preset) {
        if (!PresetExists(registry, key, *options.preset))
            return Fail(err, UnknownPreset(options, *options.preset));
        answers = LoadPreset(registry, key, *options.preset);
    }
    Override(options, &answers);
    // What a question would ask in the dialog: replacing a stored preset takes --yes.
    if (PresetExists(registry, key, name) && options.answer != DialogAnswer::Yes)
        return Fail(err, "a preset named '" + name + "' is stored; add --yes to replace it");
    if (!SavePreset(registry, key, name, answers))
        return Fail(err, "the settings did not take the preset '" + name + "'");
    return kExitDone;
}

}  // namespace

bool IsPresetCommand(const HostOptions& options) {
    return options.savePreset || options.listPresets || options.deletePreset;
}

int RunPresetCommand(const HostOptions& options, std::ostream& out, std::ostream& err) {
    if (options.savePreset)
        return SavePresetCommand(options, err);
    if (options.listPresets) {
        for (const std::string& name : SortedPresets(options))
            out << name << '\n';
        return kExitDone;
    }
    const std::string& name = *options.deletePreset;
    if (!PresetExists(Settings(), SettingsKey(options), name))
        return Fail(err, UnknownPreset(options, name));
    if (!DeletePreset(Settings(), SettingsKey(options), name))
        return Fail(err, "the settings did not let the preset '" + name + "' go");
    return kExitDone;
}

bool ApplyPreset(HostOptions* options, std::string* error) {
    if (!options->preset)
        return true;
    const std::string key = SettingsKey(*options);
    if (!PresetExists(Settings(), key, *options->preset)) {
        *error = UnknownPreset(*options, *options->preset);
        return false;
    }
    const RenameOptions preset = LoadPreset(Settings(), key, *options->preset);
    const auto take = [](auto& answer, const auto& value) {
        if (!answer)
            answer = value;
    };
    take(options->mask, preset.Mask);
    take(options->start, preset.StartNumber);
    take(options->withoutZero, static_cast<int>(preset.WithoutZero));
    take(options->saveDescriptions, static_cast<int>(preset.SaveDescription));
    take(options->find, preset.Rules.Find);
    take(options->replace, preset.Rules.Replace);
    take(options->regex, static_cast<int>(preset.Rules.Regex));
    take(options->matchCase, static_cast<int>(preset.Rules.MatchCase));
    take(options->firstOnly, static_cast<int>(preset.Rules.FirstOnly));
    take(options->nameCase, preset.Rules.NameCase);
    take(options->extensionCase, preset.Rules.ExtensionCase);
    return true;
}

}  // namespace velmora::host
