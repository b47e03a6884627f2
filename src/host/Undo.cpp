#include "host/Undo.hpp"

#include <algorithm>
#include <ctime>

#include "host/Lng.hpp"
#include "host/Plan.hpp"
#include "host/Trace.hpp"
#include "journal/Journal.hpp"
#include "journal/Undo.hpp"
#include "platform/Platform.hpp"
#include "ports/Messages.hpp"

namespace velmora::host {
namespace {

const char* ReasonText(UndoReason reason) {
    switch (reason) {
        case UndoReason::OldNameTaken:
            return "its old name is taken again";
        case UndoReason::NotTheFile:
            return "not the file the run renamed (changed since)";
        case UndoReason::Gone:
            return "gone since the run";
        case UndoReason::Changed:
            return "changed since the run";
        case UndoReason::None:
            break;
    }
    return "";
}

const char* ActionOf(UndoAction action) {
    switch (action) {
        case UndoAction::Rename:
            return "rename";
        case UndoAction::Already:
            return "keep";
        case UndoAction::Left:
            return "left";
    }
    return "";
}

std::string Json(const UndoStep& step, const char* action) {
    return "{\"old\": " + JsonString(step.from) + ", \"new\": " + JsonString(step.to) + ", \"action\": \"" +
           action + "\", \"reason\": " + JsonString(std::string(ReasonText(step.reason))) + "}\n";
}

// A run's time in UTC, for JSON.
std::string UtcTime(std::uint64_t seconds) {
    const std::time_t time = static_cast<std::time_t>(seconds);
    const std::tm* utc = std::gmtime(&time);
    char text[32];
    if (!utc || std::strftime(text, sizeof text, "\"%Y-%m-%dT%H:%M:%SZ\"", utc) == 0)
        return "null";
    return text;
}

std::string Line(const UndoStep& step, const char* action) {
    std::string line = action;
    line.resize(11, ' ');
    line += QuoteName(step.from);
    if (step.from != step.to)
        line += " -> " + QuoteName(step.to);
    if (step.reason != UndoReason::None)
        line += std::string("   (") + ReasonText(step.reason) + ")";
    return line + "\n";
}

}  // namespace

int RunUndo(const HostOptions& options, const std::string& directory, const std::string& fallbackRoot,
            const Lng* lng, std::ostream& out, std::ostream& err) {
    FileSystem& files = Files();
    const std::string root = JournalRoot(files, fallbackRoot);
    JournalRun run;
    std::string journalPath;
    std::string error;
    UndoPlan plan;
    // Runs whose files are all back already count as undone; a dry run only looks past them.
    switch (FindRunToUndo(files, root, directory, !options.dryRun, &run, &journalPath, &plan, &error)) {
        case JournalLookup::None:
            err << "velmora: nothing to undo in " << directory << ": no run of it is in the journal"
                << (root.empty() ? " (the system names no state directory)" : " (" + root + ")") << '\n';
            return 1;
        case JournalLookup::Undone:
            err << "velmora: nothing to undo in " << directory
                << ": every run kept of it was undone already\n";
            return 1;
        case JournalLookup::Unreadable:
            err << "velmora: cannot undo the run in " << directory << ": " << error
                << "; the runs before it stay as they are\n";
            return 1;
        case JournalLookup::Found:
            break;
    }
    if (!run.unavailable.empty()) {
        err << "velmora: the run in " << directory
            << " to undo next cannot be undone: its journal could not be written (" << run.unavailable
            << "); the runs before it stay as they are\n";
        return 1;
    }

    // The temporary description file a killed run left is never the user's: it goes first.
    if (!plan.leftoverTemp.empty() && !options.dryRun) {
        if (RemoveLeftoverTemp(files, plan.leftoverTemp)) {
            const char* text = lng ? lng->GetMsg(MUndoTempRemoved) : "";
            std::string line = *text ? text : "Removed %1, the temporary file of a rename that was cut short";
            if (const std::size_t at = line.find("%1"); at != std::string::npos)
                line.replace(at, 2, plan.leftoverTemp);
            out << "velmora: " << line << '\n';
        } else
            err << "velmora: cannot remove " << plan.leftoverTemp
                << ", the temporary file of a run that was cut short\n";
    }
    const UndoStep descriptionStep{
        UndoAction::Rename, plan.descriptionFile, plan.descriptionFile,
        plan.descriptions == UndoDescriptions::Left ? UndoReason::Changed : UndoReason::None};
    if (options.dryRun) {
        for (const UndoStep& step : plan.steps)
            out << (options.json ? Json(step, ActionOf(step.action)) : Line(step, ActionOf(step.action)));
        if (plan.descriptions != UndoDescriptions::None) {
            const char* action = plan.descriptions == UndoDescriptions::Restore ? "restore" : "left";
            out << (options.json ? Json(descriptionStep, action) : Line(descriptionStep, action));
        }
        if (!plan.leftoverTemp.empty()) {
            const UndoStep tempStep{UndoAction::Rename, plan.leftoverTemp, plan.leftoverTemp};
            out << (options.json ? Json(tempStep, "remove") : Line(tempStep, "remove"));
        }
        return plan.LeavesAnything() ? 1 : 0;
    }

    for (const UndoStep& step : plan.steps) {
        if (step.action == UndoAction::Left)
            err << "velmora: left alone: " << step.from << ": " << ReasonText(step.reason) << '\n';
    }
    if (plan.descriptions == UndoDescriptions::Left)
        err << "velmora: left alone: " << plan.descriptionFile << ": changed since the run\n";
    const UndoResult result = DoUndo(files, plan, journalPath);
    for (const UndoFailure& failure : result.failures) {
        if (failure.name == plan.descriptionFile && failure.target == plan.descriptionFile)
            err << "velmora: cannot put back the old " << failure.name << ": " << failure.error.message()
                << '\n';
        else
            err << "velmora: cannot rename " << failure.name << " back to " << failure.target << ": "
                << failure.error.message() << '\n';
    }
    out << "velmora: " << result.renamed << (result.renamed == 1 ? " file" : " files") << " renamed back"
        << (result.descriptionsRestored && result.everything ? ", " + plan.descriptionFile + " as it was"
                                                             : "")
        << '\n';
    if (!result.markError.empty())
        err << "velmora: warning: " << result.markError << '\n';
    else if (result.passed)
        err << "velmora: nothing more of this run can come back; the next undo takes the run before it\n";
    return result.everything ? 0 : 1;
}

int ListUndo(const HostOptions& options, const std::string& directory, const std::string& fallbackRoot,
             std::ostream& out) {
    FileSystem& files = Files();
    const std::vector<JournalBatch> batches = ListBatches(files, JournalRoot(files, fallbackRoot), directory);
    bool next = true;  // the newest not undone is the one -u takes
    for (const JournalBatch& batch : batches) {
        const bool takes = next && !batch.undone;
        next = next && batch.undone;
        const char* state = batch.damaged       ? "damaged"
                            : batch.unavailable ? "unavailable"
                            : batch.undone      ? "undone"
                            : takes             ? "next"
                                                : "waiting";
        if (options.json) {
            out << "{\"time\": " << (batch.time ? UtcTime(*batch.time) : std::string("null"))
                << ", \"files\": " << batch.files << ", \"template\": " << JsonString(batch.nameTemplate)
                << ", \"edited\": " << (batch.edited ? 1 : 0) << ", \"state\": \"" << state << "\"}\n";
            continue;
        }
        std::string line = LocalRunTime(batch.time);
        if (line.empty())
            line = "?";
        line.resize(std::max<std::size_t>(line.size(), 16), ' ');
        std::string count = std::to_string(batch.files) + (batch.files == 1 ? " file" : " files");
        count.resize(std::max<std::size_t>(count.size(), 12), ' ');
        std::string shown = state;
        shown.resize(12, ' ');
        out << line << "  " << count << "  " << shown << "  "
            << (batch.edited ? std::string("(names edited by hand)") : QuoteName(batch.nameTemplate)) << '\n';
    }
    return 0;
}

}  // namespace velmora::host
