// The plan of a rename run as velmora shows it: printed by --dry-run and shown by the terminal
// preview.
#pragma once

#include <string>

#include "plan/Plan.hpp"

namespace velmora::host {

// The plan's records are the engine's; the host prints them.
using velmora::Plan;
using velmora::PlanItem;

// Words of the plan's output.
const char* ActionName(ItemAction action);
// A help topic as the user reads it: "FileExist" -> "the target exists".
std::string ReasonText(const std::string& reason);

// The plan as a table for people: one line an item (action, old name, new name), its description
// indented below it, then the warnings. Names are quoted as a shell would need them.
std::string PlanTable(const Plan& plan);
// One JSON object a line: {"old": ..., "new": ..., "action": ..., "reason": ...} (and
// "date": "taken" or "modified" when the template reads a date taken, "description" when the run
// saves descriptions), valid UTF-8 whatever the names' bytes.
std::string PlanJson(const Plan& plan);

// A name as a shell user can paste it: bare when that is safe, else in quotes, with control and
// undecodable bytes written as $'\xNN'.
std::string QuoteName(const std::string& name);

}  // namespace velmora::host
