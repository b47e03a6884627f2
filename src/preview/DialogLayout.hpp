// The rename dialog's layout, the same in every host: items whose numbers are in
// far/HostConventions.hpp. Each adapter turns the rows into its host's dialog records.
#pragma once

#include "far/HostConventions.hpp"
#include "ports/Messages.hpp"
#include "settings/Settings.hpp"

namespace velmora {

// The dialog with its shadow (two columns right, one row below) fits an 80x25 screen.
constexpr int kDialogWidth = 78;
constexpr int kDialogHeight = 24;

enum class DialogItemKind { DoubleBox, Text, Edit, CheckBox, Button, RadioButton };

// One row of the dialog's layout. A text is either a message number or literal text.
struct DialogRow {
    DialogItemKind kind;
    int x1, y1, x2, y2;
    bool focus;
    const char* history;  // edit fields that keep a history of their own
    bool separator;       // a text drawn as a line across the frame, in the frame's colour
    bool centerGroup;     // buttons centred together on their row
    bool defaultButton;
    int textId;  // -1: use `text`
    const char* text;
};

// Columns of the rows that share a line: the labels of find and replace and of the two case groups
// are as wide as the longest of them in every language, and the four radio buttons of a group
// leave one column between the widest texts.
constexpr int kRuleEditX = 19;
constexpr int kCaseRadioX[kCaseCount] = {17, 30, 43, 57};
// The two buttons on the start number's row: room for 14 and 12 characters of text, and the start
// number's label keeps 30 columns.
constexpr int kEditNamesX = 44;
constexpr int kPresetsX = 59;

constexpr DialogRow kDialogRows[far::kDialogItemCount] = {
    {DialogItemKind::DoubleBox, 3, 1, 74, 22, false, nullptr, false, false, false, MTitle, nullptr},
    {DialogItemKind::Text, 5, 2, 0, 0, false, nullptr, false, false, false, MTemplateLabel, nullptr},
    {DialogItemKind::Edit, 5, 3, 72, 3, true, far::kNameHistory, false, false, false, -1, ""},
    {DialogItemKind::Edit, 5, 4, 10, 1, false, far::kStartNumberHistory, false, false, false, -1, ""},
    {DialogItemKind::Text, 12, 4, kEditNamesX - 2, 0, false, nullptr, false, false, false, MStartNumberLabel,
     nullptr},
    {DialogItemKind::Text, 0, 5, 0, 0, false, nullptr, true, false, false, -1, ""},
    {DialogItemKind::CheckBox, 5, 6, 0, 0, false, nullptr, false, false, false, MWithoutZero, nullptr},
    // The descriptions switch; a host fills it in only when descriptions are shown.
    {DialogItemKind::CheckBox, 40, 6, 0, 0, false, nullptr, false, false, false, -1, ""},
    {DialogItemKind::Text, 0, 7, 0, 0, false, nullptr, true, false, false, -1, ""},
    {DialogItemKind::Button, 0, 21, 0, 0, false, nullptr, false, true, true, MOk, nullptr},
    {DialogItemKind::Button, 0, 21, 0, 0, false, nullptr, false, true, false, MCancel, nullptr},
    // The live preview comes after every field, so the fields keep their keys and tab order.
    {DialogItemKind::Button, 0, 21, 0, 0, false, nullptr, false, true, false, MPreviewButton, nullptr},
    {DialogItemKind::Text, 0, 20, 0, 0, false, nullptr, true, false, false, -1, ""},
    {DialogItemKind::Text, 5, 13, 72, 13, false, nullptr, false, false, false, -1, ""},
    {DialogItemKind::Text, 5, 14, 72, 14, false, nullptr, false, false, false, -1, ""},
    {DialogItemKind::Text, 5, 15, 72, 15, false, nullptr, false, false, false, -1, ""},
    {DialogItemKind::Text, 5, 16, 72, 16, false, nullptr, false, false, false, -1, ""},
    {DialogItemKind::Text, 5, 17, 72, 17, false, nullptr, false, false, false, -1, ""},
    {DialogItemKind::Text, 5, 18, 72, 18, false, nullptr, false, false, false, -1, ""},
    {DialogItemKind::Text, 5, 19, 72, 19, false, nullptr, false, false, false, -1, ""},
    // The steps after the template.
    {DialogItemKind::Text, 5, 8, 0, 0, false, nullptr, false, false, false, MFindLabel, nullptr},
    {DialogItemKind::Edit, kRuleEditX, 8, 72, 8, false, far::kFindHistory, false, false, false, -1, ""},
    {DialogItemKind::Text, 5, 9, 0, 0, false, nullptr, false, false, false, MReplaceLabel, nullptr},
    {DialogItemKind::Edit, kRuleEditX, 9, 72, 9, false, far::kReplaceHistory, false, false, false, -1, ""},
    {DialogItemKind::CheckBox, 5, 10, 0, 0, false, nullptr, false, false, false, MRegularExpression, nullptr},
    {DialogItemKind::CheckBox, 31, 10, 0, 0, false, nullptr, false, false, false, MMatchCase, nullptr},
    {DialogItemKind::CheckBox, 54, 10, 0, 0, false, nullptr, false, false, false, MFirstMatchOnly, nullptr},
    // The host groups consecutive radio buttons: the "Extension" label between the two groups
    // parts them.
    {DialogItemKind::Text, 5, 11, 0, 0, false, nullptr, false, false, false, MNameCaseLabel, nullptr},
    {DialogItemKind::RadioButton, kCaseRadioX[0], 11, 0, 0, false, nullptr, false, false, false,
     MCaseUnchanged, nullptr},
    {DialogItemKind::RadioButton, kCaseRadioX[1], 11, 0, 0, false, nullptr, false, false, false, MCaseLower,
     nullptr},
    {DialogItemKind::RadioButton, kCaseRadioX[2], 11, 0, 0, false, nullptr, false, false, false, MCaseUpper,
     nullptr},
    {DialogItemKind::RadioButton, kCaseRadioX[3], 11, 0, 0, false, nullptr, false, false, false, MCaseTitle,
     nullptr},
    {DialogItemKind::Text, 5, 12, 0, 0, false, nullptr, false, false, false, MExtensionCaseLabel, nullptr},
    {DialogItemKind::RadioButton, kCaseRadioX[0], 12, 0, 0, false, nullptr, false, false, false,
     MCaseUnchanged, nullptr},
    {DialogItemKind::RadioButton, kCaseRadioX[1], 12, 0, 0, false, nullptr, false, false, false, MCaseLower,
     nullptr},
    {DialogItemKind::RadioButton, kCaseRadioX[2], 12, 0, 0, false, nullptr, false, false, false, MCaseUpper,
     nullptr},
    {DialogItemKind::RadioButton, kCaseRadioX[3], 12, 0, 0, false, nullptr, false, false, false, MCaseTitle,
     nullptr},
    // Buttons added later keep the numbers of the items before them. They stand right of the start
    // number's label: hosts centre only consecutive items as one group, so they cannot join OK's row.
    {DialogItemKind::Button, kEditNamesX, 4, 0, 0, false, nullptr, false, false, false, MEditNamesButton, nullptr},
    {DialogItemKind::Button, kPresetsX, 4, 0, 0, false, nullptr, false, false, false, MPresetsButton, nullptr},
};
static_assert(kDialogRows[far::kDialogSummaryItem].y1 == 19 &&
                  kDialogRows[far::kDialogListFirstItem].y1 == 13,
              "the list and the summary fill the rows between the letter case and the buttons");
static_assert(kDialogRows[far::kDialogNameCaseFirstItem].kind == DialogItemKind::RadioButton &&
                  kDialogRows[far::kDialogExtensionCaseLabelItem].kind == DialogItemKind::Text &&
                  kDialogRows[far::kDialogExtensionCaseFirstItem + kCaseCount - 1].kind ==
                      DialogItemKind::RadioButton &&
                  far::kDialogExtensionCaseFirstItem + kCaseCount == far::kDialogEditNamesItem,
              "two groups of four radio buttons, parted by the extension's label");
static_assert(kDialogWidth + 2 <= 80 && kDialogHeight + 1 <= 25, "the dialog and its shadow fit 80x25");

}  // namespace velmora
