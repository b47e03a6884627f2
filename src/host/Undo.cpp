#include "host/Undo.hpp"

#include <optional>
#include <unordered_map>
#include <vector>

#include "host/Journal.hpp"
#include "host/Plan.hpp"
#include "host/Trace.hpp"
#include "platform/HostSystem.hpp"
#include "platform/Platform.hpp"
#include "platform/TempFile.hpp"

namespace velmora::host {
namespace {

enum class StepKind {
    Rename,   // the file goes back to its old name
    Already,  // it is there already (the run never got to it, or it was put back)
    Left,     // something changed since the run: left alone
};

struct Step {
    StepKind kind;
    std::string from;  // the name now
    std::string to;    // the name it gets back
    std::string reason;
};

// The directory as the undo changes it, so that each step is judged after the ones before it
// (a chain a -> b, b -> c comes back c -> b only once b is free again).
class UndoView {
public:
    std::optional<DirectoryEntry> Query(const std::string& name) const {
        const auto changed = changed_.find(name);
        if (changed != changed_.end())
            return changed->second;
        DirectoryEntry entry{name, 0, 0, 0};
        if (!QueryEntry(name, &entry))
            return std::nullopt;
        return entry;
    }
    void Move(const std::string& from, const std::string& to) {
        std::optional<DirectoryEntry> entry = Query(from);
        changed_[from] = std::nullopt;
        changed_[to] = entry;
    }
    bool Untouched(const std::string& name) const { return !changed_.count(name); }

private:
    std::unordered_map<std::string, std::optional<DirectoryEntry>> changed_;
};

bool IsTheFile(const std::optional<DirectoryEntry>& entry, const JournalRename& rename) {
    return entry && entry->size == rename.size && entry->writeTime == rename.writeTime;
}

Step Judge(const JournalRename& rename, UndoView& view) {
    const std::optional<DirectoryEntry> now = view.Query(rename.newName);
    const std::optional<DirectoryEntry> before = view.Query(rename.oldName);
    if (IsTheFile(now, rename)) {
        // The old name is free, or is this very file (a change of letter case where the file
        // system ignores case).
        const bool free = !before || (view.Untouched(rename.oldName) && view.Untouched(rename.newName) &&
                                      Files().SameFile(rename.newName, rename.oldName));
        if (free) {
            view.Move(rename.newName, rename.oldName);
            return Step{StepKind::Rename, rename.newName, rename.oldName, ""};
        }
        return Step{StepKind::Left, rename.newName, rename.oldName, "its old name is taken again"};
    }
    if (!now && IsTheFile(before, rename))
        return Step{StepKind::Already, rename.oldName, rename.oldName, ""};
    if (now)
        return Step{StepKind::Left, rename.newName, rename.oldName,
                    "not the file the run renamed (changed since)"};
    return Step{StepKind::Left, rename.newName, rename.oldName, "gone since the run"};
}

std::string Json(const Step& step, const char* action) {
    return "{\"old\": " + JsonString(step.from) + ", \"new\": " + JsonString(step.to) + ", \"action\": \"" +
           action + "\", \"reason\": " + JsonString(step.reason) + "}\n";
}

const char* ActionOf(StepKind kind) {
    switch (kind) {
        case StepKind::Rename:
            return "rename";
        case StepKind::Already:
            return "keep";
        case StepKind::Left:
            return "left";
    }
    return "";
}

std::string Line(const Step& step, const char* action) {
    std::string line = action;
    line.resize(11, ' ');
    line += QuoteName(step.from);
    if (step.from != step.to)
        line += " -> " + QuoteName(step.to);
    if (!step.reason.empty())
        line += "   (" + step.reason + ")";
    return line + "\n";
}

// Puts `bytes` in the place of `name` (or removes it when there were none).
FileResult Restore(const std::string& name, const std::optional<std::string>& bytes) {
    FileSystem& files = Files();
    if (!bytes)
        return files.Delete(name);
    std::string tempName;
    FileResult result = files.CreateTempFile(files.TempDirectory(), "VL", &tempName);
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

int RunUndo(const HostOptions& options, const std::string& directory, std::ostream& out, std::ostream& err) {
    const std::string root = JournalRoot();
    JournalRun run;
    std::string journalPath;
    std::string error;
    switch (ReadLatestRun(root, directory, &run, &journalPath, &error)) {
        case JournalLookup::None:
            err << "velmora: nothing to undo in " << directory << ": no run of it is in the journal"
                << (root.empty() ? " (neither XDG_STATE_HOME nor HOME is set)" : " (" + root + ")") << '\n';
            return 1;
        case JournalLookup::Unreadable:
            err << "velmora: cannot undo the last run in " << directory << ": " << error << '\n';
            return 1;
        case JournalLookup::Found:
            break;
    }
    if (!run.unavailable.empty()) {
        err << "velmora: the last run in " << directory
            << " cannot be undone: its journal could not be written (" << run.unavailable << ")\n";
        return 1;
    }
    if (run.undone) {
        err << "velmora: nothing to undo in " << directory << ": its last run was undone already\n";
        return 1;
    }

    UndoView view;
    std::vector<Step> steps;
    for (auto it = run.renames.rbegin(); it != run.renames.rend(); ++it)
        steps.push_back(Judge(*it, view));

    // The description file: its old bytes go back only over exactly what the run wrote.
    enum class Descriptions { None, Same, Restore, Left } descriptions = Descriptions::None;
    if (!run.descriptionFile.empty()) {
        std::string now;
        std::string reason;
        const bool exists = Files().Attributes(run.descriptionFile) != kNoAttributes;
        const bool read = exists && ReadWholeFile(run.descriptionFile, &now, &reason);
        const std::optional<std::string> current = read ? std::optional<std::string>(now) : std::nullopt;
        const std::optional<std::string> currentHash =
            current ? std::optional<std::string>(ContentHash(*current)) : std::nullopt;
        const std::optional<std::string>& written = run.finished ? run.writtenHash : run.plannedHash;
        if (exists && !read)
            descriptions = Descriptions::Left;
        else if (current == run.descriptionsBefore)
            descriptions = Descriptions::Same;
        else if (currentHash == written)
            descriptions = Descriptions::Restore;
        else
            descriptions = Descriptions::Left;
    }
    const Step descriptionStep{StepKind::Rename, run.descriptionFile, run.descriptionFile,
                               descriptions == Descriptions::Left ? "changed since the run" : ""};

    bool everything = true;
    std::size_t renamed = 0;
    if (options.dryRun) {
        for (const Step& step : steps) {
            out << (options.json ? Json(step, ActionOf(step.kind)) : Line(step, ActionOf(step.kind)));
            everything = everything && step.kind != StepKind::Left;
        }
        if (descriptions == Descriptions::Restore || descriptions == Descriptions::Left) {
            const char* action = descriptions == Descriptions::Restore ? "restore" : "left";
            out << (options.json ? Json(descriptionStep, action) : Line(descriptionStep, action));
            everything = everything && descriptions == Descriptions::Restore;
        }
        return everything ? 0 : 1;
    }

    for (const Step& step : steps) {
        if (step.kind == StepKind::Left) {
            err << "velmora: left alone: " << step.from << ": " << step.reason << '\n';
            everything = false;
        } else if (step.kind == StepKind::Rename) {
            const FileResult moved = Files().MoveNoReplace(step.from, step.to);
            if (moved) {
                ++renamed;
            } else {
                err << "velmora: cannot rename " << step.from << " back to " << step.to << ": "
                    << moved.Error().message() << '\n';
                everything = false;
            }
        }
    }
    if (descriptions == Descriptions::Left) {
        err << "velmora: left alone: " << run.descriptionFile << ": changed since the run\n";
        everything = false;
    } else if (descriptions == Descriptions::Restore) {
        const FileResult restored = Restore(run.descriptionFile, run.descriptionsBefore);
        if (!restored) {
            err << "velmora: cannot put back the old " << run.descriptionFile << ": "
                << restored.Error().message() << '\n';
            everything = false;
        }
    }
    out << "velmora: " << renamed << (renamed == 1 ? " file" : " files") << " renamed back"
        << (descriptions == Descriptions::Restore && everything ? ", " + run.descriptionFile + " as it was"
                                                                : "")
        << '\n';
    if (everything && !MarkUndone(Files(), journalPath, &error))
        err << "velmora: warning: " << error << '\n';
    return everything ? 0 : 1;
}

}  // namespace velmora::host
