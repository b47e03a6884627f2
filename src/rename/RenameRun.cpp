#include "rename/RenameRun.hpp"

#include <cstdint>
#include <string>

#include "descriptions/DescriptionFile.hpp"
#include "far/HostConventions.hpp"
#include "rename/RenameDialog.hpp"

namespace velmora {
namespace {

bool ShowsDescriptions(const far::PanelInfo& panel) {
    return far::FieldText(panel.ColumnTypes).find('Z') != std::string_view::npos;
}

// The description file being rebuilt is never renamed: the new one is written under its old name,
// and the host would find no descriptions under any other. The file system is asked only when
// the names differ in letter case alone.
bool IsDescriptionFile(FileSystem& files, const std::string& name, const std::string& descriptionName) {
    return name == descriptionName ||
           (far::EqualIgnoringAsciiCase(name, descriptionName) && files.SameFile(name, descriptionName));
}

}  // namespace

void RenameRun::Stop(const char* helpTopic, std::initializer_list<const char*> lines) {
    context_.host.ShowWarning(helpTopic, lines);
    state_ = RunState::LoopStopped;
}

RunReport RenameRun::Execute() {
    const HostApi& host = context_.host;
    RunReport report;
    DialogItems items;
    BuildDialogItems(host, items);

    far::PanelInfo panel{};
    if (!host.ControlPanel(far::FCTL_GETPANELINFO, &panel)) {
        report.outcome = RunOutcome::NoPanel;
        return report;
    }
    const bool descriptionsShown = ShowsDescriptions(panel);

    options_ = LoadOptions(context_.registry, context_.settingsKey);
    FillDialogItems(host, items, options_, descriptionsShown);
    if (ShowDialog(host, items) != far::kDialogOkItem) {
        report.outcome = RunOutcome::Cancelled;
        return report;
    }
    save_ = ReadDialogItems(items, options_);
    StoreOptions(context_.registry, context_.settingsKey, options_);

    if (save_) {
        FindDescriptionFile(context_, &descriptionName_);
        if (const DescriptionFailure failure = descriptions_.Open(descriptionName_)) {
            report.outcome = RunOutcome::Warned;
            report.descriptions = DescriptionResult{DescriptionOutcome::NothingToWrite, failure};
            return report;
        }
    }

    RenameSelection(panel);

    bool completed = true;
    if (save_ && descriptions_.IsOpen()) {
        const DescriptionResult result = descriptions_.Finish();
        if (result.outcome == DescriptionOutcome::LinesLost) {
            state_ = RunState::DescriptionsLost;
        }
        completed = result.outcome != DescriptionOutcome::NotReplaced &&
                    result.outcome != DescriptionOutcome::KeptAside;
        report.descriptions = result;
    }
    report.state = state_;
    report.outcome = completed && state_ == RunState::Clean ? RunOutcome::Done : RunOutcome::Warned;
    return report;
}

void RenameRun::RenameSelection(const far::PanelInfo& panel) {
    const HostApi& host = context_.host;
    FileSystem& files = context_.files;
    const std::uint32_t count =
        panel.SelectedItemsNumber > 0 ? static_cast<std::uint32_t>(panel.SelectedItemsNumber) : 0;
    counter_.start = StartValue(options_.StartNumber);
    counter_.total = count;
    counter_.bound = CounterWidthBound(options_.StartNumber, counter_.start, count);
    counter_.withoutZero = options_.WithoutZero != 0;
    // The progress line numbers the files from 1, never padded.
    const CounterParameters progressCounter{1, count, 0, counter_.withoutZero};

    // Both names are built in buffers of the run's own, reused from item to item.
    std::string progress;
    std::string oldName;
    std::string newName;
    RunObserver* observer = context_.observer;
    std::uint32_t i = 0;
    for (; i < count; ++i) {
        const far::PluginPanelItem& item = panel.SelectedItems[i];
        oldName.assign(far::FieldText(item.FindData.cFileName));
        ExpandTemplateInto(progress, host.GetText(MProgress), oldName, i, progressCounter);
        host.ShowProgress(host.GetText(MTitle), progress.c_str());

        ExpandTemplateInto(newName, options_.Mask.c_str(), oldName, i, counter_);
        if (newName == oldName || (save_ && IsDescriptionFile(files, oldName, descriptionName_))) {
            if (observer)
                observer->Item(i, oldName, oldName, ItemAction::Keep, "");
            continue;
        }
        // A target that names an existing entry is occupied, unless it is the very file being
        // renamed (a change of letter case on a file system that ignores case).
        if (FileExists(files, newName) && !files.SameFile(oldName, newName)) {
            Stop("FileExist", {host.GetText(MWarningTitle), host.GetText(MFileExists), newName.c_str(),
                               host.GetText(MWarningButton)});
            if (observer)
                observer->Item(i, oldName, newName, ItemAction::Stop, "FileExist");
            break;
        }
        if (!files.MoveNoReplace(oldName, newName)) {
            Stop("CanNotMove", {host.GetText(MWarningTitle), host.GetText(MCannotRename), oldName.c_str(),
                                host.GetText(MRenameTo), newName.c_str(), host.GetText(MWarningButton)});
            if (observer)
                observer->Item(i, oldName, newName, ItemAction::Stop, "CanNotMove");
            break;
        }
        if (observer)
            observer->Item(i, oldName, newName, ItemAction::Rename, "");
        if (save_ && item.Description && item.Description[0] != '\0' &&
            descriptions_.WriteLine(newName, item.Description)) {
            Stop("CanNotWrite", {host.GetText(MWarningTitle), host.GetText(MCannotWriteTemp),
                                 descriptions_.TempName().c_str(), host.GetText(MWarningButton)});
            break;
        }
    }
    // The items after a stop keep their names; an observer still learns what they would have become.
    for (++i; observer && i < count; ++i) {
        oldName.assign(far::FieldText(panel.SelectedItems[i].FindData.cFileName));
        ExpandTemplateInto(newName, options_.Mask.c_str(), oldName, i, counter_);
        observer->Item(i, oldName, newName, ItemAction::Unreached, "");
    }
}

RunReport RunRename(const RunContext& context) {
    return RenameRun(context).Execute();
}

}  // namespace velmora
