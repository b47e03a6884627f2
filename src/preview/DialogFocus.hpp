// Where the focus goes in the rename dialog, in the order the user reads it: top to bottom, left
// to right, the buttons last. The hosts move the focus in item order, and the item numbers stay
// as they are (macros and answers rely on them), so the dialog procedure moves it instead, in
// every host, with this one routine.
#pragma once

#include <functional>
#include <vector>

namespace velmora {

enum class FocusKind {
    None,    // takes no focus: text, frame, a switch not offered, an item the host disabled
    Field,   // edit field or check box
    Radio,   // one of consecutive radio buttons: the group is one stop for Tab
    Button,  // after every other stop
};

struct FocusItem {
    FocusKind kind = FocusKind::None;
    int x = 0, y = 0;       // where the item is drawn; buttons of one centred row share a place
    bool selected = false;  // a radio button: the one marked in its group
    bool edit = false;      // Left and Right move the cursor inside an edit field
};

// The keys the hosts move the focus with.
enum class FocusKey { Tab, ShiftTab, Up, Down, Left, Right };

// The item the focus goes to from `current` after `key`, in screen order with wrap-around: Tab
// and Shift+Tab step over each radio group as one stop, landing on its marked button; Up and
// Down stop at each radio button. Left and Right: -1 where the host keeps them (an edit field's
// cursor; a field, check box or radio button beside the focused one on its row), else as Up and
// Down. -1 too when nothing else takes the focus.
int ScreenFocusTarget(const std::vector<FocusItem>& items, int current, FocusKey key);

// The rename dialog's items as the focus sees them: `descriptionsShown` offers the descriptions
// switch; `isMarked` tells which radio buttons are marked now.
std::vector<FocusItem> RenameDialogFocusItems(bool descriptionsShown,
                                              const std::function<bool(int)>& isMarked);

}  // namespace velmora
