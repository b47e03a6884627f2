// The rename dialog's layout, the same in every host: twenty items whose numbers are in
// far/HostConventions.hpp. Each adapter turns the rows into its host's dialog records.
#pragma once

#include <cstddef>
#include <string_view>

#include "far/HostConventions.hpp"
#include "ports/Messages.hpp"

namespace velmora {

constexpr int kDialogWidth = 59;
constexpr int kDialogHeight = 20;

enum class DialogItemKind { DoubleBox, Text, Edit, CheckBox, Button };

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

constexpr DialogRow kDialogRows[far::kDialogItemCount] = {
    {DialogItemKind::DoubleBox, 3, 1, 55, 18, false, nullptr, false, false, false, MTitle, nullptr},
    {DialogItemKind::Text, 5, 2, 0, 0, false, nullptr, false, false, false, MTemplateLabel, nullptr},
    {DialogItemKind::Edit, 5, 3, 53, 3, true, far::kNameHistory, false, false, false, -1, ""},
    {DialogItemKind::Edit, 5, 4, 10, 1, false, far::kStartNumberHistory, false, false, false, -1, ""},
    {DialogItemKind::Text, 12, 4, 53, 0, false, nullptr, false, false, false, MStartNumberLabel, nullptr},
    {DialogItemKind::Text, 0, 5, 0, 0, false, nullptr, true, false, false, -1, ""},
    {DialogItemKind::CheckBox, 5, 6, 0, 0, false, nullptr, false, false, false, MWithoutZero, nullptr},
    // The descriptions switch; a host fills it in only when descriptions are shown.
    {DialogItemKind::CheckBox, 5, 7, 0, 0, false, nullptr, false, false, false, -1, ""},
    {DialogItemKind::Text, 0, 8, 0, 0, false, nullptr, true, false, false, -1, ""},
    {DialogItemKind::Button, 0, 17, 0, 0, false, nullptr, false, true, true, MOk, nullptr},
    {DialogItemKind::Button, 0, 17, 0, 0, false, nullptr, false, true, false, MCancel, nullptr},
    // The live preview comes after every field, so the fields keep their keys and tab order.
    {DialogItemKind::Button, 0, 17, 0, 0, false, nullptr, false, true, false, MPreviewButton, nullptr},
    {DialogItemKind::Text, 0, 16, 0, 0, false, nullptr, true, false, false, -1, ""},
    {DialogItemKind::Text, 5, 9, 53, 9, false, nullptr, false, false, false, -1, ""},
    {DialogItemKind::Text, 5, 10, 53, 10, false, nullptr, false, false, false, -1, ""},
    {DialogItemKind::Text, 5, 11, 53, 11, false, nullptr, false, false, false, -1, ""},
    {DialogItemKind::Text, 5, 12, 53, 12, false, nullptr, false, false, false, -1, ""},
    {DialogItemKind::Text, 5, 13, 53, 13, false, nullptr, false, false, false, -1, ""},
    {DialogItemKind::Text, 5, 14, 53, 14, false, nullptr, false, false, false, -1, ""},
    {DialogItemKind::Text, 5, 15, 53, 15, false, nullptr, false, false, false, -1, ""},
};
static_assert(kDialogRows[far::kDialogSummaryItem].y1 == 15 && kDialogRows[far::kDialogListFirstItem].y1 == 9,
              "the list and the summary fill the rows between the switches and the buttons");

// An option text as typed, cut to at most `limit` bytes; UTF-8 text never loses half a character.
inline std::string_view OptionTextPrefix(std::string_view text, std::size_t limit, bool utf8) {
    if (text.size() <= limit)
        return text;
    std::size_t length = limit;
    if (utf8) {
        while (length > 0 && (static_cast<unsigned char>(text[length]) & 0xC0) == 0x80)
            --length;
    }
    return text.substr(0, length);
}

}  // namespace velmora
