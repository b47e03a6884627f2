// The plug-in's "Undo last batch rename": the most recent journaled run of the panel's folder
// taken back, in the host's boxes.
#pragma once

#include "ports/RunContext.hpp"

namespace velmora {

enum class UndoOutcome {
    Nothing,   // nothing to undo (none journaled, undone already, journal unwritten or unreadable)
    Declined,  // the user answered No
    Done,      // everything came back
    Partly,    // something was left alone or refused: named in a warning box
};

// Asks first (how many files, the folder, when), then takes the run back and refreshes the panel.
// The names in the journal are relative to the panel's folder, which `context.files` reaches as
// its current one.
UndoOutcome UndoFromMenu(const RunContext& context);

}  // namespace velmora
