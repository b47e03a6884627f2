#include "host/Options.hpp"

#include <algorithm>

#include "settings/Settings.hpp"

namespace velmora::host {
namespace {

// The dialog's text fields hold 511 bytes and a terminator; the panel's ColumnTypes 79.
constexpr std::size_t kMaxFieldText = 511;
constexpr std::size_t kMaxColumnTypes = 79;

enum class OptionId {
    Dir,
    SelectFrom,
    Null,
    All,
    Mask,
    Start,
    WithoutZeroFlag,
    WithoutZero,
    SaveDescriptionsFlag,
    SaveDescriptions,
    Find,
    Replace,
    Regex,
    MatchCase,
    FirstOnly,
    NameCase,
    ExtensionCase,
    Edit,
    EditFrom,
    Yes,
    Cancel,
    Preset,
    SavePreset,
    ListPresets,
    DeletePreset,
    DryRun,
    Json,
    ViaPreview,
    Preview,
    NoPreview,
    Undo,
    UndoList,
    Menu,
    Columns,
    RootKey,
    Lang,
    Plugin,
    Trace,
    Help,
    Version,
};

struct Option {
    OptionEntry entry;
    OptionId id;
};

const std::vector<Option>& Options() {
    using V = OptionValue;
    static const std::vector<Option> options = {
        {{"dir", 'C', V::Directory, "DIR", "the panel's directory (default: the current one)", "Selection"},
         OptionId::Dir},
        {{"select-from", 0, V::File, "FILE", "names from FILE, one a line ('-': standard input)", nullptr},
         OptionId::SelectFrom},
        {{"null", '0', V::None, nullptr, "--select-from names end in a zero byte (-print0)", nullptr},
         OptionId::Null},
        {{"all", 'a', V::None, nullptr, "select every entry of the directory", nullptr}, OptionId::All},
        {{"mask", 'm', V::Text, "TEXT", "answer for the name template field", "Answers for the dialog"},
         OptionId::Mask},
        {{"start", 's', V::Text, "TEXT", "answer for the start number field", nullptr}, OptionId::Start},
        {{nullptr, 'z', V::None, nullptr, "counters without leading zeros: --without-zero 1", nullptr},
         OptionId::WithoutZeroFlag},
        {{"without-zero", 0, V::Switch01, "0|1", "answer for the switch that turns off zero padding",
          nullptr},
         OptionId::WithoutZero},
        {{nullptr, 'd', V::None, nullptr, "save the descriptions: --save-descriptions 1", nullptr},
         OptionId::SaveDescriptionsFlag},
        {{"save-descriptions", 0, V::Switch01, "0|1", "answer for the switch that saves descriptions",
          nullptr},
         OptionId::SaveDescriptions},
        {{"find", 'f', V::Text, "TEXT", "answer for the find field (in the new name)", nullptr},
         OptionId::Find},
        {{"replace", 'r', V::Text, "TEXT", "answer for the replace-with field", nullptr}, OptionId::Replace},
        {{"regex", 'E', V::None, nullptr, "find is a regular expression (ECMAScript)", nullptr},
         OptionId::Regex},
        {{"match-case", 0, V::None, nullptr, "find compares letters with their case", nullptr},
         OptionId::MatchCase},
        {{"first-only", 0, V::None, nullptr, "replace the first match only", nullptr}, OptionId::FirstOnly},
        {{"name-case", 0, V::LetterCase, "CASE", "name's case: unchanged, lower, upper or title", nullptr},
         OptionId::NameCase},
        {{"ext-case", 0, V::LetterCase, "CASE", "extension's case, as --name-case", nullptr},
         OptionId::ExtensionCase},
        {{"edit", 0, V::None, nullptr, "edit the new names in $VISUAL, else $EDITOR, else vi, one a line",
          nullptr},
         OptionId::Edit},
        {{"edit-from", 0, V::File, "FILE", "the new names from FILE, one a line ('-': standard input)",
          nullptr},
         OptionId::EditFrom},
        {{"yes", 'y', V::None, nullptr, "close the dialog with OK without showing it", nullptr},
         OptionId::Yes},
        {{"cancel", 0, V::None, nullptr, "close the dialog with Cancel without showing it", nullptr},
         OptionId::Cancel},
        {{"preset", 0, V::Text, "NAME", "the answers of preset NAME; options given override them", "Presets"},
         OptionId::Preset},
        {{"save-preset", 0, V::Text, "NAME", "store the answers given (over the last) as preset NAME",
          nullptr},
         OptionId::SavePreset},
        {{"list-presets", 0, V::None, nullptr, "list the stored presets by name", nullptr},
         OptionId::ListPresets},
        {{"delete-preset", 0, V::Text, "NAME", "delete the stored preset NAME", nullptr},
         OptionId::DeletePreset},
        {{"dry-run", 'n', V::None, nullptr, "show what the run would do, change nothing", "Plan and undo"},
         OptionId::DryRun},
        {{"json", 0, V::None, nullptr, "with --dry-run or --undo-list: one JSON object a line", nullptr},
         OptionId::Json},
        {{"via-preview", 0, V::None, nullptr,
          "with --yes: answer the dialog with its Preview button, then Enter in the plan's list", nullptr},
         OptionId::ViaPreview},
        {{"preview", 0, V::None, nullptr, "the dialog previews the plan (from now on)", nullptr},
         OptionId::Preview},
        {{"no-preview", 0, V::None, nullptr, "the dialog renames at once (from now on)", nullptr},
         OptionId::NoPreview},
        {{"undo", 'u', V::None, nullptr, "take back the newest run in the directory not yet undone", nullptr},
         OptionId::Undo},
        {{"undo-list", 0, V::None, nullptr, "list the runs kept for undo, newest first", nullptr},
         OptionId::UndoList},
        {{"menu", 0, V::Text, "1|2",
          "open entry 1 (rename) or 2 (undo) of the plug-ins menu, sorted as the hosts sort it", nullptr},
         OptionId::Menu},
        {{"columns", 0, V::Text, "TYPES", "panel columns (default N,Z: with descriptions)", "Host"},
         OptionId::Columns},
        {{"root-key", 0, V::Text, "KEY", "settings root (default Software\\Far\\Plugins)", nullptr},
         OptionId::RootKey},
        {{"lang", 0, V::File, "FILE", "language file (default: by $LANG, by the plug-in)", nullptr},
         OptionId::Lang},
        {{"plugin", 0, V::File, "FILE", "the plug-in module (default: beside velmora)", nullptr},
         OptionId::Plugin},
        {{"trace", 0, V::File, "FILE", "log each Dialog, Message and Control call (JSON)", nullptr},
         OptionId::Trace},
        {{"help", 'h', V::None, nullptr, "show this help and exit", nullptr}, OptionId::Help},
        {{"version", 0, V::None, nullptr, "show the version and exit", nullptr}, OptionId::Version},
    };
    return options;
}

const Option* FindLong(const std::string& name) {
    for (const Option& option : Options()) {
        if (option.entry.longName && name == option.entry.longName)
            return &option;
    }
    return nullptr;
}

const Option* FindShort(char name) {
    for (const Option& option : Options()) {
        if (option.entry.shortName != 0 && option.entry.shortName == name)
            return &option;
    }
    return nullptr;
}

bool TakesValue(const Option& option) {
    return option.entry.value != OptionValue::None;
}

bool ParseSwitch(const std::string& option, const std::string& value, std::optional<int>* target,
                 std::string* error) {
    if (value != "0" && value != "1") {
        *error = "option '" + option + "' takes 0 or 1, not '" + value + "'";
        return false;
    }
    *target = value == "1" ? 1 : 0;
    return true;
}

bool CheckLength(const std::string& option, const std::string& value, std::size_t limit, std::string* error) {
    if (value.size() <= limit)
        return true;
    *error = "the value of option '" + option + "' is longer than " + std::to_string(limit) + " bytes";
    return false;
}

bool NeedsValue(const std::string& option, const std::string& value, const char* what, std::string* error) {
    if (!value.empty())
        return true;
    *error = "option '" + option + "' needs " + what;
    return false;
}

bool ParseLetterCase(const std::string& option, const std::string& value,
                     std::optional<std::uint32_t>* target, std::string* error) {
    for (std::uint32_t i = 0; i < kCaseCount; ++i) {
        if (value == kLetterCaseWords[i]) {
            *target = i;
            return true;
        }
    }
    *error = "option '" + option + "' takes unchanged, lower, upper or title, not '" + value + "'";
    return false;
}

bool SetAnswer(DialogAnswer answer, HostOptions* options, std::string* error) {
    if (options->answer != DialogAnswer::Ask && options->answer != answer) {
        *error = "options '--yes' and '--cancel' exclude each other";
        return false;
    }
    options->answer = answer;
    return true;
}

bool Apply(OptionId id, const std::string& shown, const std::string& value, HostOptions* options,
           std::string* error) {
    switch (id) {
        case OptionId::Dir:
            if (!NeedsValue(shown, value, "a directory", error))
                return false;
            options->directory = value;
            return true;
        case OptionId::SelectFrom:
            if (!NeedsValue(shown, value, "a file name", error))
                return false;
            options->selectFrom = value;
            return true;
        case OptionId::Null:
            options->nullSeparated = true;
            return true;
        case OptionId::All:
            options->selectAll = true;
            return true;
        case OptionId::Mask:
            if (!CheckLength(shown, value, kMaxFieldText, error))
                return false;
            options->mask = value;
            return true;
        case OptionId::Start:
            if (!CheckLength(shown, value, kMaxFieldText, error))
                return false;
            options->start = value;
            return true;
        case OptionId::WithoutZeroFlag:
            options->withoutZero = 1;
            return true;
        case OptionId::WithoutZero:
            return ParseSwitch(shown, value, &options->withoutZero, error);
        case OptionId::SaveDescriptionsFlag:
            options->saveDescriptions = 1;
            return true;
        case OptionId::SaveDescriptions:
            return ParseSwitch(shown, value, &options->saveDescriptions, error);
        case OptionId::Find:
        case OptionId::Replace:
            if (!CheckLength(shown, value, kMaxFieldText, error))
                return false;
            (id == OptionId::Find ? options->find : options->replace) = value;
            return true;
        case OptionId::Regex:
            options->regex = 1;
            return true;
        case OptionId::MatchCase:
            options->matchCase = 1;
            return true;
        case OptionId::FirstOnly:
            options->firstOnly = 1;
            return true;
        case OptionId::NameCase:
            return ParseLetterCase(shown, value, &options->nameCase, error);
        case OptionId::ExtensionCase:
            return ParseLetterCase(shown, value, &options->extensionCase, error);
        case OptionId::Edit:
            options->edit = true;
            return true;
        case OptionId::EditFrom:
            if (!NeedsValue(shown, value, "a file name", error))
                return false;
            options->editFrom = value;
            return true;
        case OptionId::Yes:
            return SetAnswer(DialogAnswer::Yes, options, error);
        case OptionId::Cancel:
            return SetAnswer(DialogAnswer::Cancel, options, error);
        case OptionId::Preset:
        case OptionId::SavePreset:
        case OptionId::DeletePreset:
            if (!NeedsValue(shown, value, "a preset's name", error))
                return false;
            (id == OptionId::Preset       ? options->preset
             : id == OptionId::SavePreset ? options->savePreset
                                          : options->deletePreset) = value;
            return true;
        case OptionId::ListPresets:
            options->listPresets = true;
            return true;
        case OptionId::DryRun:
            options->dryRun = true;
            return true;
        case OptionId::Json:
            options->json = true;
            return true;
        case OptionId::ViaPreview:
            options->viaPreview = true;
            return true;
        case OptionId::Preview:
        case OptionId::NoPreview: {
            const bool on = id == OptionId::Preview;
            if (options->preview && *options->preview != on) {
                *error = "options '--preview' and '--no-preview' exclude each other";
                return false;
            }
            options->preview = on;
            return true;
        }
        case OptionId::Undo:
        case OptionId::UndoList: {
            const HostMode mode = id == OptionId::Undo ? HostMode::Undo : HostMode::UndoList;
            if (options->mode != HostMode::Run && options->mode != mode) {
                *error = "options '--undo' and '--undo-list' exclude each other";
                return false;
            }
            options->mode = mode;
            return true;
        }
        case OptionId::Menu:
            if (value != "1" && value != "2") {
                *error = "option '" + shown + "' takes 1 or 2, not '" + value + "'";
                return false;
            }
            options->menuItem = value == "1" ? 0 : 1;
            options->fromMenu = true;
            return true;
        case OptionId::Columns:
            if (!CheckLength(shown, value, kMaxColumnTypes, error))
                return false;
            options->columns = value;
            return true;
        case OptionId::RootKey:
            options->rootKey = value;
            return true;
        case OptionId::Lang:
        case OptionId::Plugin:
        case OptionId::Trace:
            if (!NeedsValue(shown, value, "a file name", error))
                return false;
            (id == OptionId::Lang     ? options->languageFile
             : id == OptionId::Plugin ? options->pluginFile
                                      : options->traceFile) = value;
            return true;
        case OptionId::Help:
            options->help = true;
            return true;
        case OptionId::Version:
            options->version = true;
            return true;
    }
    return true;
}

// Any answer for a field of the rename dialog.
bool AnswersRenameDialog(const HostOptions& options) {
    return options.mask || options.start || options.withoutZero || options.saveDescriptions || options.find ||
           options.replace || options.regex || options.matchCase || options.firstOnly || options.nameCase ||
           options.extensionCase;
}

// Options that make no sense together, found once everything is read.
bool CheckCombination(const HostOptions& options, std::string* error) {
    const bool selects = !options.names.empty() || !options.selectFrom.empty();
    if (options.selectAll && selects) {
        *error = "option '--all' selects every entry; give no names and no '--select-from' with it";
        return false;
    }
    if (options.nullSeparated && options.selectFrom.empty()) {
        *error = "option '-0' is about the names of '--select-from'; give that too";
        return false;
    }
    if (options.viaPreview && options.answer != DialogAnswer::Yes) {
        *error = "option '--via-preview' answers the dialog as '--yes' does; give that too";
        return false;
    }
    if (options.edit && !options.editFrom.empty()) {
        *error = "options '--edit' and '--edit-from' exclude each other";
        return false;
    }
    if (options.editFrom == "-" && options.selectFrom == "-") {
        *error = "standard input cannot hold both the names to select and the new names";
        return false;
    }
    if ((options.edit || !options.editFrom.empty()) &&
        (options.mode == HostMode::Undo || options.mode == HostMode::UndoList || options.menuItem == 1)) {
        *error = "options '--edit' and '--edit-from' give new names for a rename; give no undo with them";
        return false;
    }
    if (options.json && !options.dryRun && options.mode != HostMode::UndoList) {
        *error =
            "option '--json' writes the plan of '--dry-run' or the list of '--undo-list'; give one of them";
        return false;
    }
    if (options.menuItem == 1 &&
        (selects || options.selectAll || AnswersRenameDialog(options) || options.dryRun || options.preset)) {
        *error =
            "option '--menu 2' takes back the panel's last run from the plug-in's menu; give no names "
            "and no answers for the rename dialog with it";
        return false;
    }
    // The presets' own commands store, list or delete and run nothing.
    const int presetCommands =
        (options.savePreset ? 1 : 0) + (options.listPresets ? 1 : 0) + (options.deletePreset ? 1 : 0);
    if (presetCommands > 1) {
        *error = "options '--save-preset', '--list-presets' and '--delete-preset' exclude each other";
        return false;
    }
    if (presetCommands == 1 &&
        (selects || options.selectAll || options.mode != HostMode::Run || options.fromMenu ||
         options.dryRun || options.answer == DialogAnswer::Cancel)) {
        *error =
            "options '--save-preset', '--list-presets' and '--delete-preset' rename nothing; give no names, "
            "'--all', '--undo', '--menu', '--dry-run' or '--cancel' with them";
        return false;
    }
    if ((options.listPresets || options.deletePreset) && (AnswersRenameDialog(options) || options.preset)) {
        *error = "options '--list-presets' and '--delete-preset' take no answers for the dialog";
        return false;
    }
    if (options.mode == HostMode::UndoList &&
        (options.menuItem != 0 || selects || options.selectAll || options.answer != DialogAnswer::Ask ||
         AnswersRenameDialog(options) || options.preview || options.dryRun || options.preset)) {
        *error = "option '--undo-list' only lists; give it alone (with '--json', '-C')";
        return false;
    }
    if (options.mode == HostMode::Undo) {
        if (options.menuItem != 0) {
            *error = "options '--undo' and '--menu' exclude each other";
            return false;
        }
        if (selects || options.selectAll) {
            *error =
                "option '--undo' takes back the last run as it was; give no names, '--all' or "
                "'--select-from' with it";
            return false;
        }
        if (options.answer != DialogAnswer::Ask || AnswersRenameDialog(options) || options.preview ||
            options.preset) {
            *error = "option '--undo' shows no dialog; give no answers for one with it";
            return false;
        }
    }
    return true;
}

}  // namespace

const char* const kLetterCaseWords[4] = {"unchanged", "lower", "upper", "title"};
static_assert(kCaseCount == 4 && kCaseTitle == 3, "the words follow the stored case numbers");

const std::vector<OptionEntry>& OptionTable() {
    static const std::vector<OptionEntry> table = [] {
        std::vector<OptionEntry> entries;
        for (const Option& option : Options())
            entries.push_back(option.entry);
        return entries;
    }();
    return table;
}

bool ParseOptions(const std::vector<std::string>& args, HostOptions* options, std::string* error) {
    *options = HostOptions();
    bool optionsEnded = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (optionsEnded || arg.size() < 2 || arg[0] != '-') {
            options->names.push_back(arg);
            continue;
        }
        if (arg == "--") {
            optionsEnded = true;
            continue;
        }
        if (arg[1] == '-') {
            std::string name = arg.substr(2);
            std::optional<std::string> value;
            const std::size_t equals = name.find('=');
            if (equals != std::string::npos) {
                value = name.substr(equals + 1);
                name.resize(equals);
            }
            const std::string shown = "--" + name;
            const Option* option = FindLong(name);
            if (!option) {
                *error = "unknown option '" + shown + "'";
                return false;
            }
            if (!TakesValue(*option) && value) {
                *error = "option '" + shown + "' takes no value";
                return false;
            }
            if (TakesValue(*option) && !value) {
                if (i + 1 >= args.size()) {
                    *error = "option '" + shown + "' needs a value";
                    return false;
                }
                value = args[++i];
            }
            if (!Apply(option->id, shown, value.value_or(std::string()), options, error))
                return false;
            continue;
        }
        // Short options, grouped as getopt groups them: "-yd" is "-y -d"; one that takes a value
        // takes the rest of the group ("-mIMG_%#") or else the next argument.
        for (std::size_t at = 1; at < arg.size(); ++at) {
            const std::string shown = std::string("-") + arg[at];
            const Option* option = FindShort(arg[at]);
            if (!option) {
                *error = "unknown option '" + shown + "'" + (at > 1 ? " in '" + arg + "'" : std::string());
                return false;
            }
            std::string value;
            if (TakesValue(*option)) {
                if (at + 1 < arg.size()) {
                    value = arg.substr(at + 1);
                } else if (i + 1 < args.size()) {
                    value = args[++i];
                } else {
                    *error = "option '" + shown + "' needs a value";
                    return false;
                }
                at = arg.size();
            }
            if (!Apply(option->id, shown, value, options, error))
                return false;
        }
    }
    if (options->find) {
        for (std::optional<int>* box : {&options->regex, &options->matchCase, &options->firstOnly})
            *box = box->value_or(0);
    }
    // A plan of edited names needs no dialog: the editor is where the user answers.
    if ((options->edit || !options->editFrom.empty()) && options->dryRun &&
        options->answer == DialogAnswer::Ask)
        options->answer = DialogAnswer::Yes;
    return CheckCombination(*options, error);
}

namespace {

// "-C, --dir DIR" as the docs show an option.
std::string Synopsis(const OptionEntry& entry) {
    std::string text;
    if (entry.shortName)
        text += std::string("-") + entry.shortName;
    if (entry.shortName && entry.longName)
        text += ", ";
    if (entry.longName)
        text += std::string("--") + entry.longName;
    if (entry.valueName)
        text += std::string(" ") + entry.valueName;
    return text;
}

}  // namespace

std::string UsageText() {
    std::string text =
        "Usage: velmora [OPTION...] [NAME...]\n"
        "Runs the Velmora batch-rename plug-in on one directory, as FAR Manager would.\n"
        "NAMEs are entries of the directory: the selection, renamed in this order.\n";
    constexpr std::size_t kColumn = 31;
    for (const OptionEntry& entry : OptionTable()) {
        if (entry.group)
            text += std::string("\n") + entry.group + ":\n";
        // Long-only options line up under the long names of the others.
        std::string line = entry.shortName ? "  " : "      ";
        line += Synopsis(entry);
        line += line.size() + 2 <= kColumn ? std::string(kColumn - line.size(), ' ')
                                           : "\n" + std::string(kColumn, ' ');
        text += line + entry.help + "\n";
    }
    text +=
        "\n"
        "Name template: %F name, %N base name, %E extension, %# counter, %h %H the\n"
        "counter in hexadecimal, %T count, %% a percent sign; %{mdate:FORMAT} modified,\n"
        "%{cdate:FORMAT} created, %{taken:FORMAT} photo taken (else modified),\n"
        "%{now:FORMAT} the batch's start: FORMAT of YYYY YY MM DD hh mm ss fff\n"
        "(milliseconds), default YYYY-MM-DD; %{folder} the folder's name; %{N:RANGE}\n"
        "%{F:RANGE} %{E:RANGE} characters of the base name, name, extension: RANGE is\n"
        "a-b, a- or a, from 1, negative from the end; %{dup} nothing for the first file\n"
        "of a name, _1, _2, ... for the later ones (%{dup:FORMAT}: the number where #\n"
        "stands); %{make} %{model} the camera's or phone's maker and model. Photos by\n"
        "date taken, a counter for the same second: -m '%{taken:YYYYMMDD_hhmmss}_%#.%E';\n"
        "a phone dump, a number only where a name is taken:\n"
        "-m '%{taken:YYYYMMDD_hhmmss}%{dup}.%E'; scans by folder: -m '%{folder} %#.%E';\n"
        "a piece of the old name: -m '%{N:1-8}.%E'.\n"
        "\n"
        "Edit names (the dialog's button, F4; --edit, --edit-from): the new names as\n"
        "lines, one a file in the selection's order, in $VISUAL, else $EDITOR, else vi\n"
        "(run through the shell, so -w and the like work); then -n shows the plan, -y\n"
        "renames, neither shows the dialog. A line equal to the old name keeps the file.\n"
        "Refused, naming the line: another count of lines than of files, an empty\n"
        "line, a character no name may have, a name over 255 characters, two lines\n"
        "with one name. An editor that exits non-zero cancels: nothing is renamed.\n"
        "\n"
        "Without --yes or --cancel the dialog is shown on the terminal (a dry run\n"
        "without one plans as --yes would). Short options group (-yd is -y -d); --\n"
        "ends the options. A preset keeps the dialog's answers under a name (its\n"
        "Presets button, or --save-preset); --preset takes them again, the answers\n"
        "given overriding them. Each run that renames is kept in a\n"
        "journal first, so that --undo (or the plug-in's menu entry, --menu 2) can take\n"
        "it back; each --undo takes the run before the one undone last, through the last\n"
        "20 runs of the directory (--undo-list lists them). The journal is in\n"
        "$XDG_STATE_HOME/velmora/ (default\n"
        "~/.local/state/velmora/; on Windows %LOCALAPPDATA%\\Velmora\\).\n"
        "Exit status: 0 done; 1 a warning was shown (--dry-run: would be; --undo: not\n"
        "everything could be taken back); 2 usage or loading error.\n";
    return text;
}

}  // namespace velmora::host
