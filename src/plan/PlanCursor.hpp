// The plan of a batch worked out a slice at a time, for a dialog that must answer every keystroke
// at once: the renamer's own run, against a simulation of the panel's folder in which moves are
// recorded instead of made. Nothing on disk changes and no box is shown.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "plan/FolderNames.hpp"
#include "ports/RunContext.hpp"

namespace velmora {

// The dialog's answers the plan is made for, as typed.
struct PlanAnswers {
    std::string mask;
    std::string startNumber;
    bool withoutZero = false;
    // The descriptions switch: a run that saves descriptions keeps the description file under
    // its name.
    bool saveDescriptions = false;
    // The steps after the template.
    RuleOptions rules = {};
};

// What the plan says so far.
struct PlanSummary {
    std::uint32_t total = 0;    // items of the selection
    std::uint32_t checked = 0;  // items planned so far, in order
    std::uint32_t renames = 0;  // of those, the ones the run renames
    std::uint32_t keeps = 0;    // of those, the ones that keep their names
    bool stops = false;         // the run stops at item stopIndex, which it does not rename
    std::uint32_t stopIndex = 0;
    std::string stopName;    // that item's name
    std::string stopTarget;  // the new name it cannot have
    std::string stopReason;  // the warning's help topic: "FileExist" or "CanNotMove"

    bool Complete() const { return stops || checked == total; }
};

class PlanCursor {
public:
    // `context` is the plug-in's run, whose host has read the panel; it must outlive the cursor.
    // `observer`, when given, learns every item as it is planned (a list of the whole plan).
    // `dateTaken`: where photos' dates taken are read (a dialog keeps one for all its plans); by
    // default the context's, else one of the plan's own over the context's files.
    // `folder`, when given, answers for the folder's names in place of a query each; it must
    // outlive the cursor. `givenNames`, when given, are the new names in place of the context's.
    PlanCursor(const RunContext& context, const PlanAnswers& answers, RunObserver* observer = nullptr,
               DateTakenSource* dateTaken = nullptr, const FolderNames* folder = nullptr,
               const std::vector<std::string>* givenNames = nullptr);
    ~PlanCursor();
    PlanCursor(const PlanCursor&) = delete;
    PlanCursor& operator=(const PlanCursor&) = delete;

    // Plans up to `items` more items; true once the plan is complete and an observer has learnt
    // every item (those after the stop too, which count against `items` as well).
    bool Advance(std::uint32_t items);
    const PlanSummary& Summary() const;

private:
    class Impl;
    std::unique_ptr<Impl> impl_;
};

}  // namespace velmora
