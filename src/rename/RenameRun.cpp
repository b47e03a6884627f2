#include "rename/RenameRun.hpp"

#include <cstdint>
#include <string>

#include "descriptions/DescriptionFile.hpp"
#include "far/HostConventions.hpp"
#include "ports/Messages.hpp"

namespace velmora {
namespace {

// The description file being rebuilt is never renamed: the new one is written under its old name,
// and the host would find no descriptions under any other. The file system is asked only when
// the names differ in letter case alone.
bool IsDescriptionFile(FileSystem& files, const std::string& name, const std::string& descriptionName) {
    return name == descriptionName ||
           (far::EqualIgnoringAsciiCase(name, descriptionName) && files.SameFile(name, descriptionName));
}

}  // namespace

void RenameRun::Stop(const char* helpTopic, std::initializer_list<const char*> lines) {
    progress_.BeforeStop();
    context_.host.ShowWarning(helpTopic, lines);
    state_ = RunState::LoopStopped;
}

RunReport RenameRun::Execute() {
    PluginHost& host = context_.host;
    RunReport report;
    if (!host.ReadPanel()) {
        report.outcome = RunOutcome::NoPanel;
        return report;
    }
    const bool descriptionsShown = host.ShowsDescriptions();

    options_ = LoadOptions(context_.registry, context_.settingsKey);
    if (!host.AskOptions(options_, descriptionsShown, &save_)) {
        report.outcome = RunOutcome::Cancelled;
        return report;
    }
    StoreOptions(context_.registry, context_.settingsKey, options_);

    bool leftAsItWas = false;
    if (save_) {
        FindDescriptionFile(context_, &descriptionName_);
        if (const DescriptionFailure failure = descriptions_.Open(descriptionName_, &descriptionsBefore_)) {
            report.outcome = RunOutcome::Warned;
            // A description file this host cannot write or read stays as it was; the renames go
            // on, and the file is still never renamed itself.
            if (failure.step != DescriptionStep::UnicodeFile && failure.step != DescriptionStep::ReadFile) {
                report.descriptions = DescriptionResult{DescriptionOutcome::NothingToWrite, failure};
                return report;
            }
            report.descriptions = DescriptionResult{failure.step == DescriptionStep::UnicodeFile
                                                        ? DescriptionOutcome::LeftUnicode
                                                        : DescriptionOutcome::LeftUnread,
                                                    failure};
            leftAsItWas = true;
        }
    }

    RenameSelection();

    bool completed = true;
    if (save_ && descriptions_.IsOpen()) {
        const DescriptionResult result = descriptions_.Finish();
        if (result.outcome == DescriptionOutcome::LinesLost) {
            state_ = RunState::DescriptionsLost;
        }
        completed = result.outcome != DescriptionOutcome::NotReplaced &&
                    result.outcome != DescriptionOutcome::KeptAside;
        report.descriptions = result;
        journal_.Finish(renamed_,
                        result.outcome == DescriptionOutcome::Replaced ? &descriptions_.Written() : nullptr);
    } else {
        journal_.Finish(renamed_, nullptr);
    }
    report.state = state_;
    report.outcome =
        completed && !leftAsItWas && state_ == RunState::Clean ? RunOutcome::Done : RunOutcome::Warned;
    return report;
}

void RenameRun::RenameSelection() {
    PluginHost& host = context_.host;
    FileSystem& files = context_.files;
    const std::uint32_t count = static_cast<std::uint32_t>(host.SelectedCount());
    counter_.start = StartValue(options_.StartNumber);
    counter_.total = count;
    counter_.bound = CounterWidthBound(options_.StartNumber, counter_.start, count);
    counter_.withoutZero = options_.WithoutZero != 0;
    const LengthUnit unit = CutUnit(context_.text);
    WriteJournal(count, unit);
    progress_.Begin(count, unit);

    // Both names are built in buffers of the run's own, reused from item to item.
    std::string oldName;
    std::string newName;
    RunObserver* observer = context_.observer;
    std::uint32_t i = 0;
    for (; i < count; ++i) {
        const PanelItemText item = host.SelectedItem(i);
        oldName.assign(item.name);
        progress_.Item(i, oldName);

        // The journal's pass expanded every name already.
        if (i < newNames_.size())
            newName.swap(newNames_[i]);
        else
            ExpandTemplateInto(newName, options_.Mask.c_str(), oldName, i, counter_, unit);
        if (newName == oldName || (save_ && IsDescriptionFile(files, oldName, descriptionName_))) {
            if (observer)
                observer->Item(i, oldName, oldName, ItemAction::Keep, "");
            continue;
        }
        // The move itself refuses an occupied target, so a free name costs no query first. A
        // refused target counts as occupied when it names an existing entry other than the file
        // being renamed (a change of letter case on a file system that ignores case); a plain
        // directory does not count, and its refusal is a failed move.
        if (const FileResult moved = files.MoveNoReplace(oldName, newName); !moved) {
            if (moved.TargetExists() && FileExists(files, newName) && !files.SameFile(oldName, newName)) {
                Stop("FileExist", {host.GetText(MWarningTitle), host.GetText(MFileExists), newName.c_str(),
                                   host.GetText(MWarningButton)});
                if (observer)
                    observer->Item(i, oldName, newName, ItemAction::Stop, "FileExist");
            } else {
                Stop("CanNotMove", {host.GetText(MWarningTitle), host.GetText(MCannotRename), oldName.c_str(),
                                    host.GetText(MRenameTo), newName.c_str(), host.GetText(MWarningButton)});
                if (observer)
                    observer->Item(i, oldName, newName, ItemAction::Stop, "CanNotMove");
            }
            break;
        }
        ++renamed_;
        if (observer)
            observer->Item(i, oldName, newName, ItemAction::Rename, "");
        if (descriptions_.IsOpen())
            descriptions_.Renamed(oldName, newName, item.description);
    }
    // The items after a stop keep their names; an observer still learns what they would have become.
    for (++i; observer && i < count; ++i) {
        oldName.assign(host.SelectedItem(i).name);
        ExpandTemplateInto(newName, options_.Mask.c_str(), oldName, i, counter_, unit);
        observer->Item(i, oldName, newName, ItemAction::Unreached, "");
    }
}

void RenameRun::WriteJournal(std::uint32_t count, LengthUnit unit) {
    PluginHost& host = context_.host;
    if (!journal_.Begin()) {
        descriptionsBefore_.reset();
        return;
    }
    std::size_t renames = 0;
    newNames_.resize(count);
    for (std::uint32_t i = 0; i < count; ++i) {
        const PanelItemText item = host.SelectedItem(i);
        const std::string_view oldName = item.name;
        std::string& newName = newNames_[i];
        ExpandTemplateInto(newName, options_.Mask.c_str(), oldName, i, counter_, unit);
        // The same choice as the loop's: only what it will try to rename.
        if (newName == oldName ||
            (save_ && IsDescriptionFile(context_.files, std::string(oldName), descriptionName_)))
            continue;
        journal_.Add(oldName, newName, item);
        ++renames;
    }
    // A run that renames nothing has nothing to take back, and must not hide the one before it.
    if (renames > 0)
        journal_.Commit(descriptions_.IsOpen() ? descriptionName_ : std::string(), descriptionsBefore_);
    // The journal has its copy of the old descriptions; the edit keeps its own.
    descriptionsBefore_.reset();
}

RunReport RunRename(const RunContext& context) {
    return RenameRun(context).Execute();
}

RunReport RunFromMenu(const RunContext& context) {
    context.host.SaveScreen();
    const RunReport report = RunRename(context);
    context.host.RestoreScreen();
    context.host.UpdatePanel();
    return report;
}

}  // namespace velmora
