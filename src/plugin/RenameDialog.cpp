#include "plugin/RenameDialog.hpp"

#include <cstring>
#include <string>

#include "plugin/HostServices.hpp"

namespace velmora {
namespace {

far::DWORD FlagsOf(const DialogRow& row) {
    far::DWORD flags = 0;
    if (row.history)
        flags |= far::DIF_HISTORY;
    if (row.separator)
        flags |= far::DIF_BOXCOLOR | far::DIF_SEPARATOR;
    if (row.centerGroup)
        flags |= far::DIF_CENTERGROUP;
    return flags;
}

int TypeOf(DialogItemKind kind) {
    switch (kind) {
        case DialogItemKind::DoubleBox:
            return far::DI_DOUBLEBOX;
        case DialogItemKind::Edit:
            return far::DI_EDIT;
        case DialogItemKind::CheckBox:
            return far::DI_CHECKBOX;
        case DialogItemKind::Button:
            return far::DI_BUTTON;
        case DialogItemKind::Text:
            break;
    }
    return far::DI_TEXT;
}

constexpr int kTemplateItem = far::kDialogTemplateItem;
constexpr int kStartNumberItem = far::kDialogStartNumberItem;
constexpr int kWithoutZeroItem = far::kDialogWithoutZeroItem;
constexpr int kSaveDescriptionItem = far::kDialogSaveDescriptionItem;

void SetData(far::FarDialogItem& item, const char* text) {
    far::SetFieldText(item.Data, text);
}

// An option text as typed: at most 259 bytes, the most the store reads back. A UTF-8 host never
// gets a character cut in half.
std::string OptionText(const far::FarDialogItem& item) {
    return std::string(
        OptionTextPrefix(far::FieldText(item.Data), kOptionTextCapacity - 1, far::kHostStringsAreUtf8));
}

}  // namespace

void BuildDialogItems(const HostApi& host, DialogItems& items) {
    for (int i = 0; i < far::kDialogItemCount; ++i) {
        const DialogRow& row = kDialogRows[i];
        far::FarDialogItem& item = items[i];
        std::memset(static_cast<void*>(&item), 0, sizeof item);
        item.Type = TypeOf(row.kind);
        item.X1 = row.x1;
        item.Y1 = row.y1;
        item.X2 = row.x2;
        item.Y2 = row.y2;
        item.Focus = row.focus ? 1 : 0;
        if (row.history) {
            item.History = row.history;
        } else {
            item.Selected = 0;
        }
        item.Flags = FlagsOf(row);
        item.DefaultButton = row.defaultButton ? 1 : 0;
        SetData(item, row.textId >= 0 ? host.GetText(row.textId) : row.text);
    }
}

void FillDialogItems(const HostApi& host, DialogItems& items, const RenameOptions& options,
                     bool descriptionsShown) {
    SetData(items[kTemplateItem], options.Mask.c_str());
    SetData(items[kStartNumberItem], options.StartNumber.c_str());
    items[kWithoutZeroItem].Selected = static_cast<int>(options.WithoutZero);
    far::FarDialogItem& save = items[kSaveDescriptionItem];
    if (descriptionsShown) {
        save.Type = far::DI_CHECKBOX;
        SetData(save, host.GetText(MSaveDescriptions));
        save.Selected = static_cast<int>(options.SaveDescription);
    } else {
        // No descriptions column: nothing to save, so no switch is offered.
        save.Type = far::DI_TEXT;
        SetData(save, "");
        save.Selected = 0;
    }
}

int ShowDialog(const HostApi& host, DialogItems& items) {
    return host.Dialog(-1, -1, kDialogWidth, kDialogHeight, far::kDialogHelpTopic, items.data(),
                       far::kDialogItemCount);
}

bool ReadDialogItems(const DialogItems& items, RenameOptions& options) {
    options.Mask = OptionText(items[kTemplateItem]);
    options.StartNumber = OptionText(items[kStartNumberItem]);
    bool save = false;
    const far::FarDialogItem& saveItem = items[kSaveDescriptionItem];
    if (saveItem.Type == far::DI_CHECKBOX) {
        options.SaveDescription = saveItem.Selected != 0 ? 1 : 0;
        save = options.SaveDescription != 0;
    }
    options.WithoutZero = items[kWithoutZeroItem].Selected != 0 ? 1 : 0;
    return save;
}

}  // namespace velmora
