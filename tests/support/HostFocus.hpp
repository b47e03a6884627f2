// How FAR 1.x, far2l and FAR 3 move a dialog's focus themselves, for the fake hosts: in item
// order, whatever the screen shows, unless the dialog procedure takes the key.
#pragma once

#include <vector>

#include "preview/DialogFocus.hpp"

namespace velmora::test {

// The item focused after `key` when the host acts on it: Tab and Shift+Tab go to the next item
// that takes the focus, a radio button only when it is the marked one; Up and Down to the next
// such item, any radio button; Left and Right keep an edit field's focus (they move its cursor),
// else go to the nearest field, check box or radio button that way on the row, and without one
// act as Up and Down.
int HostMovesFocus(const std::vector<FocusItem>& items, int focus, FocusKey key);

}  // namespace velmora::test
