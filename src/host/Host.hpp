// The velmora host: plays the FAR host for one directory and one use of the plug-in.
#pragma once

#include <ostream>
#include <string>
#include <vector>

#include "host/PluginLoader.hpp"

namespace velmora::host {

// Exit statuses.
constexpr int kExitDone = 0;
constexpr int kExitWarning = 1;  // the plug-in showed a warning box
constexpr int kExitUsage = 2;    // usage or loading error: the plug-in was not run

// Runs `velmora ARGS...` (without the program name): parses the options, loads the language file
// and the plug-in (or uses `inProcess` when not null), reads the panel directory and calls
// SetStartupInfo, GetPluginInfo and OpenPlugin once. Returns the exit status. The current
// directory is the same on return as on entry, so one process may run many hosts in turn.
int RunHost(const std::vector<std::string>& args, const PluginEntryPoints* inProcess, std::ostream& out,
            std::ostream& err);
// The same with --help and --version written to standard output.
int RunHost(const std::vector<std::string>& args, const PluginEntryPoints* inProcess, std::ostream& err);

}  // namespace velmora::host
