// The plug-in's "Undo last batch rename": the panel folder's kept runs in the host's menu, and the
// newest of them not yet undone taken back, in the host's boxes.
#pragma once

#include "ports/RunContext.hpp"

namespace velmora {

enum class UndoOutcome {
    Nothing,   // nothing to undo (none journaled, undone already, journal unwritten or unreadable)
    Declined,  // the user answered No
    Done,      // everything came back
    Partly,    // something was left alone or refused: named in a warning box
};

// Lists the kept runs (when, how many files, the template; the undone ones marked), where only
// the newest not yet undone can be chosen; asks (how many files, the folder, when), then takes
// the run back and refreshes the panel.
// The names in the journal are relative to the panel's folder, which `context.files` reaches as
// its current one.
UndoOutcome UndoFromMenu(const RunContext& context);

}  // namespace velmora
