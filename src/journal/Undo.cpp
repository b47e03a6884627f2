#include "journal/Undo.hpp"

#include <unordered_map>

#include "far/HostConventions.hpp"
#include "platform/TempFile.hpp"

namespace velmora {
namespace {

// The directory as the undo changes it, so that each step is judged after the ones before it.
class UndoView {
public:
    explicit UndoView(FileSystem& files) : files_(files) {}

    std::optional<DirectoryEntry> Query(const std::string& name) const {
        const auto changed = changed_.find(name);
        if (changed != changed_.end())
            return changed->second;
        // A name the undo moved, spelt in another letter case: where the system ignores case it is
        // the same entry (a batch that changed letter case can take an old name's other spelling).
        if (!changed_.empty()) {
            const auto spelt = spellings_.find(far::FoldAscii(name));
            if (spelt != spellings_.end() && files_.SameFile(spelt->second, name))
                return changed_.at(spelt->second);
        }
        DirectoryEntry entry{name, 0, 0, 0};
        if (!files_.Query(name, &entry))
            return std::nullopt;
        return entry;
    }
    void Move(const std::string& from, const std::string& to) {
        std::optional<DirectoryEntry> entry = Query(from);
        changed_[from] = std::nullopt;
        changed_[to] = entry;
        spellings_[far::FoldAscii(from)] = from;
        spellings_[far::FoldAscii(to)] = to;
    }
    bool Untouched(const std::string& name) const { return !changed_.count(name); }
    FileSystem& Files() const { return files_; }

private:
    FileSystem& files_;
    std::unordered_map<std::string, std::optional<DirectoryEntry>> changed_;
    std::unordered_map<std::string, std::string> spellings_;  // folded name: the last one moved
};

// A run journals a file's write time as the host's panel gave it, which may be coarser than the
// system's: far2l lists whole milliseconds (FAR, on Windows, the system's 100 ns). The file is
// still the one the run renamed when its time, cut to that unit, is the journaled one. Only a file
// of the same size written within the same millisecond could pass for it.
constexpr std::uint64_t kCoarsestPanelTime = 10000;  // FILETIME ticks: 1 ms

bool SameWriteTime(std::uint64_t journaled, std::uint64_t now) {
    return journaled == now || journaled == now - now % kCoarsestPanelTime;
}

bool IsTheFile(const std::optional<DirectoryEntry>& entry, const JournalRename& rename) {
    return entry && entry->size == rename.size && SameWriteTime(rename.writeTime, entry->writeTime);
}

UndoStep JudgeMove(const JournalRename& rename, UndoView& view);

UndoStep Judge(const JournalRename& rename, UndoView& view) {
    UndoStep step = JudgeMove(rename, view);
    step.aside = rename.aside;
    return step;
}

UndoStep JudgeMove(const JournalRename& rename, UndoView& view) {
    const std::optional<DirectoryEntry> now = view.Query(rename.newName);
    const std::optional<DirectoryEntry> before = view.Query(rename.oldName);
    if (IsTheFile(now, rename)) {
        // The old name is free, or is this very file (a change of letter case where the file
        // system ignores case).
        const bool free = !before || (view.Untouched(rename.oldName) && view.Untouched(rename.newName) &&
                                      view.Files().SameFile(rename.newName, rename.oldName));
        if (free) {
            view.Move(rename.newName, rename.oldName);
            return UndoStep{UndoAction::Rename, rename.newName, rename.oldName};
        }
        return UndoStep{UndoAction::Left, rename.newName, rename.oldName, UndoReason::OldNameTaken};
    }
    // Under its old name still: a rename the run never got to (a run killed before its end, or
    // the one it stopped at, whose new name was another file's).
    if (IsTheFile(before, rename))
        return UndoStep{UndoAction::Already, rename.oldName, rename.oldName};
    if (now)
        return UndoStep{UndoAction::Left, rename.newName, rename.oldName, UndoReason::NotTheFile};
    return UndoStep{UndoAction::Left, rename.newName, rename.oldName, UndoReason::Gone};
}

// Puts `bytes` in the place of `name` (or removes it when there were none).
FileResult Restore(FileSystem& files, const std::string& name, const std::optional<std::string>& bytes) {
    if (!bytes)
        return files.Delete(name);
    std::string tempName;
    FileResult result = CreateTempFileFor(files, name, &tempName);
    if (!result)
        return result;
    TempFile temp(files, tempName);
    std::unique_ptr<WritableFile> file;
    result = files.OpenForWriting(tempName, &file);
    if (result)
        result = file->Write(bytes->data(), bytes->size());
    if (result)
        result = file->Close();
    file.reset();
    if (result)
        result = temp.KeepAs(name);
    return result;
}

}  // namespace

std::size_t UndoPlan::Renames() const {
    std::size_t count = 0;
    for (const UndoStep& step : steps)
        count += step.action == UndoAction::Rename && !step.aside ? 1 : 0;
    return count;
}

bool UndoPlan::LeavesAnything() const {
    for (const UndoStep& step : steps) {
        if (step.action == UndoAction::Left)
            return true;
    }
    return descriptions == UndoDescriptions::Left;
}

namespace {

// Seconds since 1970 as FILETIME ticks.
std::uint64_t FileTimeOf(std::uint64_t seconds) {
    return (seconds + 11644473600ull) * 10000000ull;
}

}  // namespace

std::string LeftoverTemp(FileSystem& files, const JournalRun& run) {
    const std::string& name = run.tempDescriptions;
    if (run.finished || name.empty() || !run.time || !IsTempNameBeside(name) || name == run.descriptionFile)
        return std::string();
    DirectoryEntry entry{name, 0, 0, 0};
    if (!files.Query(name, &entry) || (entry.attributes & kAttrDirectory) != 0)
        return std::string();
    // Made after the run began: a file of that name from before is someone else's. Two seconds'
    // grace for file systems that keep times that coarsely.
    constexpr std::uint64_t kGrace = 2 * 10000000ull;
    if (entry.writeTime == 0 || entry.writeTime + kGrace < FileTimeOf(*run.time))
        return std::string();
    if (!run.descriptionFile.empty() && files.SameFile(name, run.descriptionFile))
        return std::string();
    return name;
}

bool RemoveLeftoverTemp(FileSystem& files, const std::string& name) {
    return !name.empty() && files.Delete(name);
}

UndoPlan PlanUndo(FileSystem& files, const JournalRun& run) {
    UndoPlan plan;
    plan.leftoverTemp = LeftoverTemp(files, run);
    UndoView view(files);
    std::size_t done = run.renames.size();
    if (run.finished && run.renamed && *run.renamed < done)
        done = static_cast<std::size_t>(*run.renamed);
    plan.steps.reserve(done);
    for (std::size_t i = done; i-- > 0;)
        plan.steps.push_back(Judge(run.renames[i], view));

    // The description file: its old bytes go back only over exactly what the run wrote. Until
    // the run's end it is as it was (the new one takes its place only then, its hash recorded just
    // before), so a run killed before its .done is found with the old file, the new one or a file
    // someone else wrote.
    if (run.descriptionFile.empty())
        return plan;
    plan.descriptionFile = run.descriptionFile;
    plan.descriptionsBefore = run.descriptionsBefore;
    std::string now;
    std::string reason;
    const bool exists = files.Attributes(run.descriptionFile) != kNoAttributes;
    const bool read = exists && ReadWholeFile(files, run.descriptionFile, &now, &reason);
    const std::optional<std::string> current = read ? std::optional<std::string>(now) : std::nullopt;
    const std::optional<std::string>& written = run.finished ? run.writtenHash : run.plannedHash;
    const bool writtenKnown = run.finished || run.plannedHash.has_value();
    if (exists && !read)
        plan.descriptions = UndoDescriptions::Left;
    else if (current == run.descriptionsBefore)
        plan.descriptions = UndoDescriptions::None;
    else if (writtenKnown && (current ? std::optional<std::string>(ContentHash(*current, run.version))
                                      : std::nullopt) == written)
        plan.descriptions = UndoDescriptions::Restore;
    else
        plan.descriptions = UndoDescriptions::Left;
    return plan;
}

JournalLookup FindRunToUndo(FileSystem& files, const std::string& root, const std::string& directory,
                            bool mark, JournalRun* run, std::string* path, UndoPlan* plan,
                            std::string* error) {
    std::vector<std::string> passed;  // not marked (a dry run): looked past all the same
    for (;;) {
        JournalLookup found = JournalLookup::None;
        if (passed.empty()) {
            found = ReadStandingRun(files, root, directory, run, path, error);
        } else {
            // Past the runs left unmarked: the newest not undone older than the last one passed.
            found = JournalLookup::Undone;
            const std::vector<JournalBatch> batches = ListBatches(files, root, directory);
            bool older = false;
            for (const JournalBatch& batch : batches) {
                if (older && !batch.undone) {
                    *path = batch.path;
                    found = ReadRunAt(files, batch.path, directory, run, error);
                    break;
                }
                older = older || batch.path == passed.back();
            }
        }
        *plan = UndoPlan();
        if (found != JournalLookup::Found || !run->unavailable.empty())
            return found;
        *plan = PlanUndo(files, *run);
        if (plan->Renames() > 0 || plan->descriptions != UndoDescriptions::None || plan->LeavesAnything() ||
            !plan->leftoverTemp.empty())
            return found;
        std::string ignored;
        if (!mark || !MarkUndone(files, *path, &ignored))
            passed.push_back(*path);
    }
}

UndoResult DoUndo(FileSystem& files, const UndoPlan& plan, const std::string& journalPath) {
    UndoResult result;
    for (const UndoStep& step : plan.steps) {
        if (step.action != UndoAction::Rename)
            continue;
        const FileResult moved = files.MoveNoReplace(step.from, step.to);
        if (moved)
            result.renamed += step.aside ? 0 : 1;
        else
            result.failures.push_back(UndoFailure{step.from, step.to, moved.Error()});
    }
    if (plan.descriptions == UndoDescriptions::Restore) {
        const FileResult restored = Restore(files, plan.descriptionFile, plan.descriptionsBefore);
        if (restored)
            result.descriptionsRestored = true;
        else
            result.failures.push_back(
                UndoFailure{plan.descriptionFile, plan.descriptionFile, restored.Error()});
    }
    result.everything = result.failures.empty() && !plan.LeavesAnything();
    // A run whose files came back in part stays the one to undo: once the user clears the way the
    // rest can come back. One of which nothing more can is done with.
    result.passed = !result.everything && result.failures.empty() && plan.Renames() == 0 &&
                    plan.descriptions != UndoDescriptions::Restore;
    if ((result.everything || result.passed) && !MarkUndone(files, journalPath, &result.markError))
        result.markError = result.markError.empty() ? "cannot mark the run undone" : result.markError;
    return result;
}

}  // namespace velmora
