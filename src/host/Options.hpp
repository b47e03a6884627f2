// The velmora host's command line: `velmora [OPTION...] [NAME...]`. One table describes every
// option; the parser, --help, the man page and the bash completion are all made from it.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace velmora::host {

// The project version, given by the build.
constexpr const char* kHostVersion = VELMORA_VERSION;

// How the dialog is closed without being shown.
enum class DialogAnswer { Ask, Yes, Cancel };

// What is to be done.
enum class HostMode {
    Run,       // the plug-in's run, as FAR would start it
    Undo,      // take back the newest run in the directory not yet undone
    UndoList,  // list the runs kept of the directory
};

struct HostOptions {
    std::string directory = ".";
    std::optional<std::string> mask;
    std::optional<std::string> start;
    std::optional<int> withoutZero;
    std::optional<int> saveDescriptions;
    // The steps after the template. --find answers its three switches too (off unless given), so
    // that a find from the command line never meets switches left on by an earlier run.
    std::optional<std::string> find;
    std::optional<std::string> replace;
    std::optional<int> regex;
    std::optional<int> matchCase;
    std::optional<int> firstOnly;
    std::optional<std::uint32_t> nameCase;  // velmora::kCaseUnchanged ... kCaseTitle
    std::optional<std::uint32_t> extensionCase;
    DialogAnswer answer = DialogAnswer::Ask;
    // Presets: the answers of a stored one, overridden by those given (--preset); and what is done
    // with the stored ones instead of a run: the answers given stored under a name, the names
    // listed, one deleted.
    std::optional<std::string> preset;
    std::optional<std::string> savePreset;
    bool listPresets = false;
    std::optional<std::string> deletePreset;
    std::string columns = "N,Z";
    std::string rootKey = "Software\\Far\\Plugins";
    std::string languageFile;    // empty: chosen by $LANG beside the plug-in
    std::string pluginFile;      // empty: beside the executable
    std::string traceFile;       // empty: no trace
    std::string selectFrom;      // file of names ("-": standard input); empty: none
    bool nullSeparated = false;  // the names in selectFrom end with a zero byte, not a line end
    bool selectAll = false;
    HostMode mode = HostMode::Run;
    int menuItem = 0;             // the plug-ins menu entry opened: 0 rename, 1 undo last batch rename
    bool fromMenu = false;        // --menu: the entry at menuItem's position in the menu as the hosts sort it
    bool dryRun = false;          // show the plan (or the undo), change nothing
    bool json = false;            // the plan as JSON lines
    std::optional<bool> preview;  // the stored preview switch is to be set to this
    bool viaPreview = false;      // --yes: the dialog's Preview button, then Enter in the plan's list
    // Edit names: the dialog's button pressed once before anything else, the names edited in
    // $VISUAL, else $EDITOR, else vi (edit), or taken from a file ("-": standard input).
    bool edit = false;
    std::string editFrom;
    bool help = false;
    bool version = false;
    std::vector<std::string> names;  // the selection, in this order
};

// What follows an option on the command line, as far as completion and the docs care.
enum class OptionValue {
    None,  // a switch
    Directory,
    File,        // a file name ("-" where standard input is meant)
    Switch01,    // 0 or 1
    LetterCase,  // unchanged, lower, upper or title
    Text,
};

struct OptionEntry {
    const char* longName;  // without "--"; null for an option that is only short
    char shortName;        // 0: none
    OptionValue value;
    const char* valueName;  // as the docs show the value ("DIR", "0|1"); null for a switch
    const char* help;       // one line for --help and the man page
    const char* group;      // the heading of the group this option opens, or null
};

// Every option, in the order --help shows them.
const std::vector<OptionEntry>& OptionTable();

// The words of a letter case on the command line, by their stored numbers.
extern const char* const kLetterCaseWords[4];

// Parses the arguments after the program name. False with a message (without the "velmora: "
// prefix) that names the option and the reason on a usage error.
bool ParseOptions(const std::vector<std::string>& args, HostOptions* options, std::string* error);

// Text of --help.
std::string UsageText();

// The man page velmora(1) in roff, and the bash completion script; `date` goes into the page's
// header ("May 2024").
std::string ManPage(const std::string& date);
std::string BashCompletion();

}  // namespace velmora::host
