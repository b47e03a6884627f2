// The rename dialog: template, start number and two switches.
#pragma once

#include <array>
#include <cstdint>

#include "far/FarAbi.hpp"
#include "settings/Settings.hpp"

namespace velmora {

constexpr int kDialogItemCount = 11;
constexpr int kDialogOkItem = 9;
constexpr int kDialogWidth = 59;
constexpr int kDialogHeight = 12;
constexpr const char* kDialogHelpTopic = "EnterVelmora";
constexpr const char* kNameHistory = "Velmora_Name";
constexpr const char* kStartNumberHistory = "Velmora_StartNumber";

using DialogItems = std::array<far::FarDialogItem, kDialogItemCount>;

// Expands the item table into host records (texts resolved through the host).
void BuildDialogItems(DialogItems& items);
// Puts the options into the items; item 7 offers the switch only when descriptions are shown.
void FillDialogItems(DialogItems& items, const RenameOptions& options, bool descriptionsShown);
// Shows the dialog; the index of the closing item or -1.
int ShowDialog(DialogItems& items);
// Takes the answers back after OK. Returns the run's save flag.
bool ReadDialogItems(const DialogItems& items, RenameOptions& options);

}  // namespace velmora
