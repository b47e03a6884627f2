#include "host/tui/RadioGroup.hpp"

namespace velmora::host::tui {

void SelectRadioButton(far::FarDialogItem* items, int count, int index) {
    if (!items || index < 0 || index >= count || items[index].Type != far::DI_RADIOBUTTON)
        return;
    int first = index, last = index;
    while (first > 0 && items[first - 1].Type == far::DI_RADIOBUTTON)
        --first;
    while (last + 1 < count && items[last + 1].Type == far::DI_RADIOBUTTON)
        ++last;
    for (int i = first; i <= last; ++i)
        items[i].Selected = i == index ? 1 : 0;
}

}  // namespace velmora::host::tui
