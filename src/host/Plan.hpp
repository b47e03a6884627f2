// What a rename run will do, item by item, worked out before anything moves: shown by --dry-run
// and the terminal preview.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "descriptions/DescriptionOutput.hpp"
#include "ports/RunContext.hpp"

namespace velmora::host {

struct PlanItem {
    std::string oldName;
    std::string newName;  // for Keep, the old name
    ItemAction action = ItemAction::Keep;
    std::string reason;  // the warning's help topic for Stop ("FileExist", "CanNotMove")
    // The description the file has after the run, when the run saves descriptions.
    std::optional<std::string> description;
    // The entry before the run (size, write time), by which undo knows it again.
    std::uint64_t size = 0;
    std::uint64_t writeTime = 0;
};

struct Plan {
    std::vector<PlanItem> items;
    bool savesDescriptions = false;
    DescriptionOutcome descriptions = DescriptionOutcome::NothingToWrite;
    std::string descriptionFile;  // the description file the host reads after the run ("" for none)
    std::optional<std::string> descriptionBytes;  // its bytes after the run (none: no such file)
    // The boxes the run would show, one line each as the scripted host prints them.
    std::vector<std::string> warnings;

    // True when the run would show a warning.
    bool Warns() const { return !warnings.empty(); }
    std::size_t Count(ItemAction action) const;
};

// Words of the plan's output.
const char* ActionName(ItemAction action);
// A help topic as the user reads it: "FileExist" -> "the target exists".
std::string ReasonText(const std::string& reason);

// The plan as a table for people: one line an item (action, old name, new name), its description
// indented below it, then the warnings. Names are quoted as a shell would need them.
std::string PlanTable(const Plan& plan);
// One JSON object a line: {"old": ..., "new": ..., "action": ..., "reason": ...} (and
// "description" when the run saves descriptions), valid UTF-8 whatever the names' bytes.
std::string PlanJson(const Plan& plan);

// A name as a shell user can paste it: bare when that is safe, else in quotes, with control and
// undecodable bytes written as $'\xNN'.
std::string QuoteName(const std::string& name);

}  // namespace velmora::host
