// The dialog's Presets button in the hosts of FAR 1.x's records (FAR 1.x, far2l): the presets
// menu through the host's Menu and InputBox services.
#pragma once

#include "far/FarAbi.hpp"
#include "plugin/HostServices.hpp"
#include "plugin/RenameDialog.hpp"
#include "ports/RunContext.hpp"
#include "settings/Settings.hpp"

namespace velmora {

// The presets menu for the answers the items hold (`options` gives what the dialog does not
// offer); true when a preset was loaded into the items.
bool OfferPresets(HostApi& host, const far::PluginStartupInfo& info, const RunContext& context,
                  DialogItems& items, const RenameOptions& options, bool descriptionsShown);

}  // namespace velmora
