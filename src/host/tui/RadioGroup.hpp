// Radio buttons in the terminal dialog: FAR's rule that one of a group is on.
#pragma once

#include "far/FarAbi.hpp"

namespace velmora::host::tui {

// Turns radio button `index` on and every other button of its group off. A group is a run of
// adjacent radio buttons, as the plug-in lays them out; anything else between two runs parts them.
// Nothing changes when `index` is no radio button.
void SelectRadioButton(far::FarDialogItem* items, int count, int index);

}  // namespace velmora::host::tui
