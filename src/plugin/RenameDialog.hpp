// The rename dialog: template, start number and two switches, find and replace with their three
// switches, the letter case of the name and of the extension, the live preview of the new names
// and the Preview button.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "far/FarAbi.hpp"
#include "far/HostConventions.hpp"
#include "plugin/HostServices.hpp"
#include "preview/DialogLayout.hpp"
#include "settings/Settings.hpp"

namespace velmora {

using DialogItems = std::array<far::FarDialogItem, far::kDialogItemCount>;

// Expands the item table into host records (texts resolved through the host).
void BuildDialogItems(const HostApi& host, DialogItems& items);
// Puts the options into the items; item 7 offers the switch only when descriptions are shown. Each
// letter case group has exactly one radio button selected.
void FillDialogItems(const HostApi& host, DialogItems& items, const RenameOptions& options,
                     bool descriptionsShown);
// Shows the dialog; the index of the closing item or -1.
int ShowDialog(const HostApi& host, DialogItems& items);
// Takes the answers back after OK. Returns the run's save flag.
bool ReadDialogItems(const DialogItems& items, RenameOptions& options);

// The whole dialog: shown with a procedure that keeps the preview live where the host has one
// (DialogEx), else as a plain dialog whose preview shows the answers it opened with. Preview
// shows the plan in the host's menu: Enter there answers as OK does, Esc goes back to the dialog.
// Edit names (or F4) opens the new names in the host's editor and shows the dialog again.
// True after OK, with the answers in `options`, *save the run's save flag and *editedNames the
// names written by hand (empty when the template makes them).
bool AskRenameOptions(HostApi& host, const far::PluginStartupInfo& info, RenameOptions& options,
                      bool descriptionsShown, bool* save, std::vector<std::string>* editedNames);

}  // namespace velmora
