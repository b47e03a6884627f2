#include "support/HostFocus.hpp"

#include <cstdlib>

namespace velmora::test {
namespace {

int NextInItemOrder(const std::vector<FocusItem>& items, int focus, int step, bool wholeGroups) {
    const int count = static_cast<int>(items.size());
    for (int n = 1; n < count; ++n) {
        const int i = ((focus + step * n) % count + count) % count;
        const FocusItem& item = items[static_cast<std::size_t>(i)];
        if (item.kind == FocusKind::None)
            continue;
        if (item.kind == FocusKind::Radio && wholeGroups && !item.selected)
            continue;
        return i;
    }
    return focus;
}

}  // namespace

int HostMovesFocus(const std::vector<FocusItem>& items, int focus, FocusKey key) {
    switch (key) {
        case FocusKey::Tab:
        case FocusKey::ShiftTab:
            return NextInItemOrder(items, focus, key == FocusKey::Tab ? 1 : -1, true);
        case FocusKey::Up:
        case FocusKey::Down:
            return NextInItemOrder(items, focus, key == FocusKey::Down ? 1 : -1, false);
        case FocusKey::Left:
        case FocusKey::Right:
            break;
    }
    const FocusItem& at = items[static_cast<std::size_t>(focus)];
    if (at.edit)
        return focus;
    const int step = key == FocusKey::Right ? 1 : -1;
    int nearest = -1;
    for (int i = 0; i < static_cast<int>(items.size()); ++i) {
        const FocusItem& item = items[static_cast<std::size_t>(i)];
        const int distance = (item.x - at.x) * step;
        if (i == focus || item.y != at.y || distance <= 0 ||
            (item.kind != FocusKind::Field && item.kind != FocusKind::Radio))
            continue;
        if (nearest < 0 || distance < (items[static_cast<std::size_t>(nearest)].x - at.x) * step)
            nearest = i;
    }
    return nearest >= 0 ? nearest : NextInItemOrder(items, focus, step, false);
}

}  // namespace velmora::test
