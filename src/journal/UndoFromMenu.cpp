#include "journal/UndoFromMenu.hpp"

#include <string>
#include <vector>

#include "journal/Journal.hpp"
#include "journal/Undo.hpp"
#include "ports/Messages.hpp"

namespace velmora {
namespace {

// How many names a warning box lists before "and N more": the box must fit the screen.
constexpr std::size_t kNamesShown = 5;

// A language text with its "%1" replaced.
std::string Filled(const char* text, const std::string& value) {
    std::string filled = text;
    const std::size_t at = filled.find("%1");
    if (at != std::string::npos)
        filled.replace(at, 2, value);
    return filled;
}

void ShowNothing(PluginHost& host, const char* line, const std::string& detail) {
    std::vector<const char*> lines = {host.GetText(MUndoTitle), line};
    if (!detail.empty())
        lines.push_back(detail.c_str());
    lines.push_back(host.GetText(MOk));
    host.ShowBox("UndoNothing", lines, 1, false);
}

// A warning that names what was left: a few names, then how many more.
void ShowNames(PluginHost& host, MessageId heading, const std::vector<std::string>& names) {
    if (names.empty())
        return;
    std::vector<const char*> lines = {host.GetText(MUndoTitle), host.GetText(heading)};
    const std::size_t shown = names.size() <= kNamesShown + 1 ? names.size() : kNamesShown;
    for (std::size_t i = 0; i < shown; ++i)
        lines.push_back(names[i].c_str());
    const std::string more = Filled(host.GetText(MUndoMore), std::to_string(names.size() - shown));
    if (shown < names.size())
        lines.push_back(more.c_str());
    lines.push_back(host.GetText(MOk));
    host.ShowBox("UndoLeft", lines, 1, true);
}

// A line of the folder's list: when, how many files, the template.
ListLine BatchLine(PluginHost& host, const JournalBatch& batch) {
    std::string text = LocalRunTime(batch.time);
    const auto add = [&text](const std::string& part) {
        if (!part.empty())
            text += (text.empty() ? "" : "  ") + part;
    };
    if (batch.damaged)
        add(host.GetText(MUndoListDamaged));
    else if (batch.unavailable)
        add(host.GetText(MUndoListUnavailable));
    else
        add(Filled(host.GetText(MUndoListFiles), std::to_string(batch.files)));
    add(batch.edited ? std::string(host.GetText(MUndoListEdited)) : batch.nameTemplate);
    if (batch.undone)
        add(std::string("(") + host.GetText(MUndoListUndone) + ")");
    return ListLine{text, batch.undone};
}

// The folder's kept batches, newest first, until the one an undo takes is chosen: false when the
// list was closed. A host without menus goes straight on.
bool ChooseBatch(PluginHost& host, const std::string& root, const std::string& directory,
                 const std::string& standing, FileSystem& files) {
    const std::vector<JournalBatch> batches = ListBatches(files, root, directory);
    std::vector<ListLine> lines;
    int next = -1;
    for (const JournalBatch& batch : batches) {
        if (batch.path == standing)
            next = static_cast<int>(lines.size());
        lines.push_back(BatchLine(host, batch));
    }
    if (next < 0)
        return true;
    for (;;) {
        const int chosen = host.ShowList("UndoList", host.GetText(MUndoListTitle),
                                         host.GetText(MUndoListBottom), lines, next);
        if (chosen == kNoList || chosen == next)
            return true;
        if (chosen < 0 || static_cast<std::size_t>(chosen) >= lines.size())
            return false;
        // The cursor goes back to the one that can be taken.
        host.ShowBox("UndoList",
                     {host.GetText(MUndoTitle), host.GetText(chosen < next ? MUndoAlready : MUndoLaterFirst),
                      host.GetText(MOk)},
                     1, false);
    }
}

}  // namespace

UndoOutcome UndoFromMenu(const RunContext& context) {
    PluginHost& host = context.host;
    FileSystem& files = context.files;
    std::string directory;
    if (!host.ReadPanel() || !host.PanelDirectory(&directory) || directory.empty()) {
        ShowNothing(host, host.GetText(MUndoNothing), std::string());
        return UndoOutcome::Nothing;
    }
    const std::string root = JournalRoot(files, context.journalFallback);
    JournalRun run;
    std::string journalPath;
    std::string error;
    UndoPlan plan;
    switch (FindRunToUndo(files, root, directory, true, &run, &journalPath, &plan, &error)) {
        case JournalLookup::None:
        case JournalLookup::Undone:
            ShowNothing(host, host.GetText(MUndoNothing), std::string());
            return UndoOutcome::Nothing;
        case JournalLookup::Unreadable:
            ShowNothing(host, host.GetText(MUndoDamaged), journalPath);
            return UndoOutcome::Nothing;
        case JournalLookup::Found:
            break;
    }
    if (!ChooseBatch(host, root, directory, journalPath, files))
        return UndoOutcome::Declined;
    if (!run.unavailable.empty()) {
        ShowNothing(host, host.GetText(MUndoUnavailable), run.unavailable);
        return UndoOutcome::Nothing;
    }
    // Never the user's: it goes whether or not the renames are taken back, and the box says so.
    const std::string removed = RemoveLeftoverTemp(files, plan.leftoverTemp)
                                    ? Filled(host.GetText(MUndoTempRemoved), plan.leftoverTemp)
                                    : std::string();
    if (plan.Renames() == 0 && plan.descriptions != UndoDescriptions::Restore && !plan.LeavesAnything()) {
        ShowNothing(host, host.GetText(MUndoNothing), removed);
        return UndoOutcome::Nothing;
    }

    const std::string count = Filled(host.GetText(MUndoFiles), std::to_string(plan.Renames()));
    const std::string when = LocalRunTime(run.time);
    const std::string time = Filled(host.GetText(MUndoTime), when);
    std::vector<const char*> lines = {host.GetText(MUndoTitle), count.c_str(), host.GetText(MUndoFolder),
                                      run.directory.c_str()};
    if (!when.empty())
        lines.push_back(time.c_str());
    if (plan.descriptions == UndoDescriptions::Restore)
        lines.push_back(host.GetText(MUndoDescriptions));
    if (!removed.empty())
        lines.push_back(removed.c_str());
    lines.push_back(host.GetText(MYes));
    lines.push_back(host.GetText(MNo));
    if (host.ShowBox("UndoBatch", lines, 2, false) != 0)
        return UndoOutcome::Declined;

    const UndoResult result = DoUndo(files, plan, journalPath);
    host.UpdatePanel();
    std::vector<std::string> left;
    for (const UndoStep& step : plan.steps) {
        if (step.action == UndoAction::Left)
            left.push_back(step.from);
    }
    if (plan.descriptions == UndoDescriptions::Left)
        left.push_back(plan.descriptionFile);
    std::vector<std::string> failed;
    for (const UndoFailure& failure : result.failures)
        failed.push_back(failure.name);
    ShowNames(host, MUndoLeft, left);
    ShowNames(host, MUndoFailed, failed);
    return result.everything ? UndoOutcome::Done : UndoOutcome::Partly;
}

}  // namespace velmora
