// The velmora host's command line: `velmora [OPTION...] [NAME...]`.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace velmora::host {

// The project version, given by the build.
constexpr const char* kHostVersion = VELMORA_VERSION;

// How the dialog is closed without being shown.
enum class DialogAnswer { Ask, Yes, Cancel };

struct HostOptions {
    std::string directory = ".";
    std::optional<std::string> mask;
    std::optional<std::string> start;
    std::optional<int> withoutZero;
    std::optional<int> saveDescriptions;
    DialogAnswer answer = DialogAnswer::Ask;
    std::string columns = "N,Z";
    std::string rootKey = "Software\\Far\\Plugins";
    std::string languageFile;  // empty: chosen by $LANG beside the plug-in
    std::string pluginFile;    // empty: beside the executable
    std::string traceFile;     // empty: no trace
    std::string selectFrom;    // file with one name a line; empty: none
    bool selectAll = false;
    bool help = false;
    bool version = false;
    std::vector<std::string> names;  // the selection, in this order
};

// Parses the arguments after the program name. False with a message (without the "velmora: "
// prefix) on a usage error.
bool ParseOptions(const std::vector<std::string>& args, HostOptions* options, std::string* error);

// Text of --help.
const char* UsageText();

}  // namespace velmora::host
