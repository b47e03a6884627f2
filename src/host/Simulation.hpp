// The plan of a rename run in velmora: the plug-in's own run (its dialog answered as the user
// confirmed it, through the host's services) against the engine's simulated directory over the
// panel's listing. Moves are recorded instead of made, the description file is written to memory,
// and the settings are read but never written.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "plan/Plan.hpp"
#include "far/FarAbi.hpp"
#include "host/Services.hpp"

namespace velmora::host {

// The plan for the rename dialog's answers `items` (as the user confirmed them), in the live
// session `live`: its panel, the panel record the plug-in holds, its language file. `rootKey` is
// the settings root the plug-in was given. With `onItem`, each item goes there as it is planned
// and the plan keeps none (nor their descriptions): a batch of any size costs no memory for them.
// `givenNames`, when not empty, are the new names written by hand (Edit names).
Plan ComputePlan(const ServiceSession& live, const std::string& rootKey, const far::FarDialogItem* items,
                 int count, const std::function<void(const PlanItem&)>& onItem = {},
                 std::vector<std::string> givenNames = {});

}  // namespace velmora::host
