#include "host/Options.hpp"

namespace velmora::host {
namespace {

// The dialog's text fields hold 511 bytes and a terminator; the panel's ColumnTypes 79.
constexpr std::size_t kMaxFieldText = 511;
constexpr std::size_t kMaxColumnTypes = 79;

enum class Takes { Nothing, Value };

struct OptionInfo {
    const char* longName;
    char shortName;
    Takes takes;
};

const OptionInfo kOptions[] = {
    {"dir", 'C', Takes::Value},
    {"mask", 0, Takes::Value},
    {"start", 0, Takes::Value},
    {"without-zero", 0, Takes::Value},
    {"save-descriptions", 0, Takes::Value},
    {"yes", 0, Takes::Nothing},
    {"cancel", 0, Takes::Nothing},
    {"columns", 0, Takes::Value},
    {"root-key", 0, Takes::Value},
    {"lang", 0, Takes::Value},
    {"plugin", 0, Takes::Value},
    {"trace", 0, Takes::Value},
    {"select-from", 0, Takes::Value},
    {"all", 0, Takes::Nothing},
    {"help", 'h', Takes::Nothing},
    {"version", 0, Takes::Nothing},
};

const OptionInfo* FindLong(const std::string& name) {
    for (const OptionInfo& info : kOptions) {
        if (name == info.longName)
            return &info;
    }
    return nullptr;
}

const OptionInfo* FindShort(char name) {
    for (const OptionInfo& info : kOptions) {
        if (info.shortName != 0 && info.shortName == name)
            return &info;
    }
    return nullptr;
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

bool Apply(const OptionInfo& info, const std::string& shown, const std::string& value, HostOptions* options,
           std::string* error) {
    const std::string name = info.longName;
    if (name == "dir") {
        if (value.empty()) {
            *error = "option '" + shown + "' needs a directory";
            return false;
        }
        options->directory = value;
    } else if (name == "mask") {
        if (!CheckLength(shown, value, kMaxFieldText, error))
            return false;
        options->mask = value;
    } else if (name == "start") {
        if (!CheckLength(shown, value, kMaxFieldText, error))
            return false;
        options->start = value;
    } else if (name == "without-zero") {
        return ParseSwitch(shown, value, &options->withoutZero, error);
    } else if (name == "save-descriptions") {
        return ParseSwitch(shown, value, &options->saveDescriptions, error);
    } else if (name == "yes" || name == "cancel") {
        DialogAnswer answer = name == "yes" ? DialogAnswer::Yes : DialogAnswer::Cancel;
        if (options->answer != DialogAnswer::Ask && options->answer != answer) {
            *error = "options '--yes' and '--cancel' exclude each other";
            return false;
        }
        options->answer = answer;
    } else if (name == "columns") {
        if (!CheckLength(shown, value, kMaxColumnTypes, error))
            return false;
        options->columns = value;
    } else if (name == "root-key") {
        options->rootKey = value;
    } else if (name == "lang" || name == "plugin" || name == "trace" || name == "select-from") {
        if (value.empty()) {
            *error = "option '" + shown + "' needs a file name";
            return false;
        }
        if (name == "lang")
            options->languageFile = value;
        else if (name == "plugin")
            options->pluginFile = value;
        else if (name == "trace")
            options->traceFile = value;
        else
            options->selectFrom = value;
    } else if (name == "all") {
        options->selectAll = true;
    } else if (name == "help") {
        options->help = true;
    } else if (name == "version") {
        options->version = true;
    }
    return true;
}

}  // namespace

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
        const OptionInfo* info = nullptr;
        std::string shown;
        std::optional<std::string> value;
        if (arg[1] == '-') {
            std::string name = arg.substr(2);
            std::size_t equals = name.find('=');
            if (equals != std::string::npos) {
                value = name.substr(equals + 1);
                name.resize(equals);
            }
            info = FindLong(name);
            shown = "--" + name;
        } else {
            info = FindShort(arg[1]);
            shown = arg.substr(0, 2);
            if (arg.size() > 2) {
                if (info && info->takes == Takes::Nothing) {
                    *error = "unknown option '" + arg + "'";
                    return false;
                }
                value = arg.substr(2);
            }
        }
        if (!info) {
            *error = "unknown option '" + shown + "'";
            return false;
        }
        if (info->takes == Takes::Nothing) {
            if (value) {
                *error = "option '" + shown + "' takes no value";
                return false;
            }
        } else if (!value) {
            if (i + 1 >= args.size()) {
                *error = "option '" + shown + "' needs a value";
                return false;
            }
            value = args[++i];
        }
        if (!Apply(*info, shown, value.value_or(std::string()), options, error))
            return false;
    }
    if (options->selectAll && (!options->names.empty() || !options->selectFrom.empty())) {
        *error = "option '--all' selects every entry; give no names and no '--select-from' with it";
        return false;
    }
    return true;
}

const char* UsageText() {
    return "Usage: velmora [OPTION...] [NAME...]\n"
           "Runs the Velmora batch-rename plug-in on one directory, as FAR Manager would.\n"
           "NAMEs are entries of the directory: the selection, renamed in this order.\n"
           "\n"
           "  -C, --dir DIR              the panel's directory (default: the current one)\n"
           "      --select-from FILE     add the names listed in FILE, one a line\n"
           "      --all                  select every entry of the directory\n"
           "      --mask TEXT            answer for the name template field\n"
           "      --start TEXT           answer for the start number field\n"
           "      --without-zero 0|1     answer for the switch that turns off zero padding\n"
           "      --save-descriptions 0|1  answer for the switch that saves descriptions\n"
           "      --yes                  close the dialog with OK without showing it\n"
           "      --cancel               close the dialog with Cancel without showing it\n"
           "      --columns TYPES        the panel's column types (default N,Z: descriptions shown)\n"
           "      --root-key KEY         the settings root handed to the plug-in\n"
           "                             (default Software\\Far\\Plugins)\n"
           "      --lang FILE            the language file (default: by $LANG, beside the plug-in)\n"
           "      --plugin FILE          the plug-in module (default: beside velmora)\n"
           "      --trace FILE           append each Dialog, Message and Control call as JSON\n"
           "  -h, --help                 show this help and exit\n"
           "      --version              show the version and exit\n"
           "\n"
           "Without --yes or --cancel the dialog is shown on the terminal.\n"
           "Exit status: 0 done, 1 a warning was shown, 2 usage or loading error.\n";
}

}  // namespace velmora::host
