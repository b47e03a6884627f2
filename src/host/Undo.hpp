// velmora --undo: the newest run in a directory not yet undone taken back from its journal; and
// --undo-list, the runs kept of it.
#pragma once

#include <ostream>
#include <string>

#include "host/Options.hpp"

namespace velmora::host {

class Lng;

// The newest run not yet undone: every file it renamed gets its old name back, in reverse order, never
// replacing a file; the description file gets its old bytes back when it still holds what the run wrote.
// Whatever changed since is left alone and named. With options.dryRun only says what it would do. The current
// directory is the panel directory, `directory` its absolute name; `fallbackRoot` is where journals are when
// the system names no state directory. Returns the exit status: 0 when everything was undone, 1 otherwise
// (also when there was nothing to undo). `lng`, when given, holds the plug-in's texts for what the plug-in's
// undo also says.
int RunUndo(const HostOptions& options, const std::string& directory, const std::string& fallbackRoot,
            const Lng* lng, std::ostream& out, std::ostream& err);
// The kept runs of `directory`, newest first, one a line: when, how many files, which -u takes
// next ("next"; "undone", "waiting" after it, "unavailable", "damaged"), the template. JSON with
// options.json. Returns the exit status.
int ListUndo(const HostOptions& options, const std::string& directory, const std::string& fallbackRoot,
             std::ostream& out);

}  // namespace velmora::host
