// velmora --undo: the most recent run in a directory taken back from its journal.
#pragma once

#include <ostream>
#include <string>

#include "host/Options.hpp"

namespace velmora::host {

class Lng;

// Every file that run renamed gets its old name back, in reverse order, never replacing a file;
// the description file gets its old bytes back when it still holds what the run wrote. Whatever
// changed since is left alone and named. With options.dryRun only says what it would do.
// The current directory is the panel directory, `directory` its absolute name; `fallbackRoot` is
// where journals are when the system names no state directory. Returns the exit status: 0 when
// everything was undone, 1 otherwise (also when there was nothing to undo).
// `lng`, when given, holds the plug-in's texts for what the plug-in's undo also says.
int RunUndo(const HostOptions& options, const std::string& directory, const std::string& fallbackRoot,
            const Lng* lng, std::ostream& out, std::ostream& err);

}  // namespace velmora::host
