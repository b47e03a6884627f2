#include "preview/DialogFocus.hpp"

#include <algorithm>

#include "preview/DialogLayout.hpp"

namespace velmora {
namespace {

// The first item of the run of consecutive radio buttons that holds `item`, as the hosts group
// them; any other item stands for itself.
int GroupOf(const std::vector<FocusItem>& items, int item) {
    if (items[static_cast<std::size_t>(item)].kind != FocusKind::Radio)
        return item;
    while (item > 0 && items[static_cast<std::size_t>(item - 1)].kind == FocusKind::Radio)
        --item;
    return item;
}

int MarkedInGroup(const std::vector<FocusItem>& items, int first) {
    for (int i = first;
         i < static_cast<int>(items.size()) && items[static_cast<std::size_t>(i)].kind == FocusKind::Radio;
         ++i) {
        if (items[static_cast<std::size_t>(i)].selected)
            return i;
    }
    return -1;
}

}  // namespace

int ScreenFocusTarget(const std::vector<FocusItem>& items, int current, FocusKey key) {
    const int count = static_cast<int>(items.size());
    if (current < 0 || current >= count || items[static_cast<std::size_t>(current)].kind == FocusKind::None)
        return -1;
    const FocusItem& at = items[static_cast<std::size_t>(current)];
    if (key == FocusKey::Left || key == FocusKey::Right) {
        if (at.edit)
            return -1;
        // The hosts move to the nearest field on the row themselves, and to the next item only
        // when none lies that way.
        for (int i = 0; i < count; ++i) {
            const FocusItem& other = items[static_cast<std::size_t>(i)];
            if (i != current && (other.kind == FocusKind::Field || other.kind == FocusKind::Radio) &&
                other.y == at.y && (key == FocusKey::Left ? other.x < at.x : other.x > at.x))
                return -1;
        }
        key = key == FocusKey::Left ? FocusKey::Up : FocusKey::Down;
    }
    std::vector<int> order;
    for (int i = 0; i < count; ++i) {
        if (items[static_cast<std::size_t>(i)].kind != FocusKind::None)
            order.push_back(i);
    }
    // Rows from the top, columns from the left, the buttons after everything else; buttons
    // centred on one row stand in their item order, which is how they are drawn.
    std::stable_sort(order.begin(), order.end(), [&items](int a, int b) {
        const FocusItem& x = items[static_cast<std::size_t>(a)];
        const FocusItem& y = items[static_cast<std::size_t>(b)];
        const bool xButton = x.kind == FocusKind::Button, yButton = y.kind == FocusKind::Button;
        if (xButton != yButton)
            return yButton;
        if (x.y != y.y)
            return x.y < y.y;
        return x.x < y.x;
    });
    const int stops = static_cast<int>(order.size());
    const int position = static_cast<int>(std::find(order.begin(), order.end(), current) - order.begin());
    const bool wholeGroups = key == FocusKey::Tab || key == FocusKey::ShiftTab;
    const int step = key == FocusKey::Tab || key == FocusKey::Down ? 1 : -1;
    const int group = GroupOf(items, current);
    for (int k = 1; k < stops; ++k) {
        const int next = order[static_cast<std::size_t>(((position + step * k) % stops + stops) % stops)];
        if (!wholeGroups || items[static_cast<std::size_t>(next)].kind != FocusKind::Radio)
            return next;
        const int nextGroup = GroupOf(items, next);
        if (nextGroup == group)
            continue;
        const int marked = MarkedInGroup(items, nextGroup);
        return marked >= 0 ? marked : next;
    }
    return -1;
}

std::vector<FocusItem> RenameDialogFocusItems(bool descriptionsShown,
                                              const std::function<bool(int)>& isMarked) {
    std::vector<FocusItem> items(far::kDialogItemCount);
    for (int i = 0; i < far::kDialogItemCount; ++i) {
        const DialogRow& row = kDialogRows[i];
        FocusItem& item = items[static_cast<std::size_t>(i)];
        item.x = row.x1;
        item.y = row.y1;
        switch (row.kind) {
            case DialogItemKind::Edit:
                item.kind = FocusKind::Field;
                item.edit = true;
                break;
            case DialogItemKind::CheckBox:
                item.kind = i != far::kDialogSaveDescriptionItem || descriptionsShown ? FocusKind::Field
                                                                                      : FocusKind::None;
                break;
            case DialogItemKind::RadioButton:
                item.kind = FocusKind::Radio;
                item.selected = isMarked(i);
                break;
            case DialogItemKind::Button:
                item.kind = FocusKind::Button;
                break;
            case DialogItemKind::DoubleBox:
            case DialogItemKind::Text:
                break;
        }
    }
    return items;
}

}  // namespace velmora
