// Presets from the command line: --preset takes a stored preset's answers, --save-preset,
// --list-presets and --delete-preset work on the stored ones, where the plug-in's dialog keeps them.
#pragma once

#include <ostream>
#include <string>

#include "host/Options.hpp"

namespace velmora::host {

// True when the options ask for one of the commands that work on the stored presets alone.
bool IsPresetCommand(const HostOptions& options);
// Runs that command; the exit status.
int RunPresetCommand(const HostOptions& options, std::ostream& out, std::ostream& err);
// --preset: the preset's answers go where the command line gives none. False, with a message that
// lists the stored names, when no preset has the name.
bool ApplyPreset(HostOptions* options, std::string* error);

}  // namespace velmora::host
