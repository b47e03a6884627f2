#include "rename/RenameDialog.hpp"

#include <cstring>
#include <string>

#include "plugin/HostServices.hpp"

namespace velmora {
namespace {

// One row of the dialog's layout. A text is either a message number or literal text.
struct DialogItemTemplate {
    int type;
    int x1, y1, x2, y2;
    int focus;
    int selected;
    const char* history;
    far::DWORD flags;
    int defaultButton;
    int textId;  // -1: use `text`
    const char* text;
};

constexpr far::DWORD kSeparator = far::DIF_BOXCOLOR | far::DIF_SEPARATOR;

constexpr DialogItemTemplate DIALOG_TEMPLATE[far::kDialogItemCount] = {
    {far::DI_DOUBLEBOX, 3, 1, 55, 10, 0, 0, nullptr, 0, 0, MTitle, nullptr},
    {far::DI_TEXT, 5, 2, 0, 0, 0, 0, nullptr, 0, 0, MTemplateLabel, nullptr},
    {far::DI_EDIT, 5, 3, 53, 3, 1, 0, far::kNameHistory, far::DIF_HISTORY, 0, -1, ""},
    {far::DI_EDIT, 5, 4, 10, 1, 0, 0, far::kStartNumberHistory, far::DIF_HISTORY, 0, -1, ""},
    {far::DI_TEXT, 12, 4, 53, 0, 0, 0, nullptr, 0, 0, MStartNumberLabel, nullptr},
    {far::DI_TEXT, 0, 5, 0, 0, 0, 0, nullptr, kSeparator, 0, -1, ""},
    {far::DI_CHECKBOX, 5, 6, 0, 0, 0, 0, nullptr, 0, 0, MWithoutZero, nullptr},
    {far::DI_CHECKBOX, 5, 7, 0, 0, 0, 0, nullptr, 0, 0, -1, ""},
    {far::DI_TEXT, 0, 8, 0, 0, 0, 0, nullptr, kSeparator, 0, -1, ""},
    {far::DI_BUTTON, 0, 9, 0, 0, 0, 0, nullptr, far::DIF_CENTERGROUP, 1, MOk, nullptr},
    {far::DI_BUTTON, 0, 9, 0, 0, 0, 0, nullptr, far::DIF_CENTERGROUP, 0, MCancel, nullptr},
};

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
    std::size_t length = far::FieldText(item.Data).size();
    const std::size_t limit = kOptionTextCapacity - 1;
    if (length > limit) {
        length = limit;
        if (far::kHostStringsAreUtf8) {
            while (length > 0 && (static_cast<unsigned char>(item.Data[length]) & 0xC0) == 0x80) {
                --length;
            }
        }
    }
    return std::string(item.Data, length);
}

}  // namespace

void BuildDialogItems(const HostApi& host, DialogItems& items) {
    for (int i = 0; i < far::kDialogItemCount; ++i) {
        const DialogItemTemplate& row = DIALOG_TEMPLATE[i];
        far::FarDialogItem& item = items[i];
        std::memset(static_cast<void*>(&item), 0, sizeof item);
        item.Type = row.type;
        item.X1 = row.x1;
        item.Y1 = row.y1;
        item.X2 = row.x2;
        item.Y2 = row.y2;
        item.Focus = row.focus;
        if (row.history) {
            item.History = row.history;
        } else {
            item.Selected = row.selected;
        }
        item.Flags = row.flags;
        item.DefaultButton = row.defaultButton;
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
