#include "plan/PlanCursor.hpp"

#include "plan/SimulatedDirectory.hpp"
#include "run/RenameRun.hpp"

namespace velmora {
namespace {

// The plug-in's host as a plan sees it: the panel its run has read and its texts; the dialog
// answered with the answers as typed; a warning noted, not shown; no progress, no screen kept,
// no panel read or redrawn.
class AnsweringHost final : public PluginHost {
public:
    AnsweringHost(PluginHost& inner, const PlanAnswers& answers, HostText text)
        : inner_(inner), answers_(answers), utf8_(text != HostText::Oem) {}

    const char* GetText(int id) const override { return inner_.GetText(id); }
    int ShowWarning(const char*, std::initializer_list<const char*>) const override { return 0; }
    int ShowBox(const char*, const std::vector<const char*>&, int, bool) const override { return -1; }
    void ShowProgress(const char*, const char*) const override {}
    void SaveScreen() override {}
    void RestoreScreen() override {}
    bool ReadPanel() override { return true; }
    bool ShowsDescriptions() const override { return inner_.ShowsDescriptions(); }
    std::size_t SelectedCount() const override { return inner_.SelectedCount(); }
    PanelItemText SelectedItem(std::size_t index) override { return inner_.SelectedItem(index); }
    std::size_t ItemCount() const override { return inner_.ItemCount(); }
    PanelItemText Item(std::size_t index) override { return inner_.Item(index); }
    bool PanelDirectory(std::string* directory) override { return inner_.PanelDirectory(directory); }
    void UpdatePanel() override {}

    bool AskOptions(RenameOptions& options, bool descriptionsShown, bool* save) override {
        // As the dialog takes its fields: at most what the settings store reads back.
        options.Mask.assign(OptionTextPrefix(answers_.mask, kOptionTextCapacity - 1, utf8_));
        options.StartNumber.assign(OptionTextPrefix(answers_.startNumber, kOptionTextCapacity - 1, utf8_));
        options.WithoutZero = answers_.withoutZero ? 1 : 0;
        options.Rules = answers_.rules;
        options.Rules.Find.assign(OptionTextPrefix(answers_.rules.Find, kOptionTextCapacity - 1, utf8_));
        options.Rules.Replace.assign(
            OptionTextPrefix(answers_.rules.Replace, kOptionTextCapacity - 1, utf8_));
        *save = descriptionsShown && answers_.saveDescriptions;
        return true;
    }

private:
    PluginHost& inner_;
    const PlanAnswers& answers_;
    bool utf8_;
};

bool HasAsciiLetter(std::string_view name) {
    for (const char c : name) {
        if ((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'))
            return true;
    }
    return false;
}

// A selected name with a letter in it, by which the folder shows whether it ignores letter case.
std::string CaseSample(PluginHost& host) {
    const std::size_t count = host.SelectedCount();
    for (std::size_t i = 0; i < count; ++i) {
        const std::string_view name = host.SelectedItem(i).name;
        if (HasAsciiLetter(name))
            return std::string(name);
    }
    return std::string();
}

}  // namespace

// The plan is the run's own loop, taken an item at a time against a folder in which the moves are
// only recorded. The plug-in's panel may hide entries, so the folder has no listing: every name it
// has not seen yet is asked of the file system once, or of the folder's names read in one go.
class PlanCursor::Impl final : public RunObserver {
public:
    Impl(const RunContext& context, const PlanAnswers& answers, RunObserver* observer,
         DateTakenSource* dateTaken, const FolderNames* folder, const std::vector<std::string>* givenNames)
        : answers_(answers),
          host_(context.host, answers_, context.text),
          directory_(nullptr, context.files, CaseSample(context.host), folder),
          registry_(context.registry),
          context_{host_,
                   directory_,
                   registry_,
                   context.settingsKey,
                   context.rootKey,
                   context.text,
                   context.listNames,
                   context.oem,
                   this,
                   context.clock},
          run_(context_, false),
          observer_(observer) {
        context_.givenNames = givenNames ? *givenNames : context.givenNames;
        // Dates taken are read from the files themselves, never through the simulation.
        context_.dateTaken = dateTaken ? dateTaken : context.dateTaken;
        context_.givenNames = context.givenNames;
        if (!context_.dateTaken) {
            ownDateTaken_ = MakeDateTakenSource(context.files);
            context_.dateTaken = ownDateTaken_.get();
        }
        RunReport report;
        if (run_.Begin(&report))
            summary_.total = run_.Count();
    }

    bool Advance(std::uint32_t items) {
        while (items > 0 && next_ < summary_.total) {
            if (stopped_) {
                if (!observer_) {
                    next_ = summary_.total;
                    break;
                }
                run_.Unreached(next_++);
                --items;
                continue;
            }
            summary_.checked = next_ + 1;
            // An item may wait for a long chain of others: the items count the run's steps.
            // A stop may leave items before it unrenamed (those waiting for the one it stopped
            // at): the observer learns of every item not told of yet, from the first on.
            if (!run_.Item(next_, &items)) {
                stopped_ = true;
                next_ = 0;
            } else if (run_.Told(next_)) {
                ++next_;
            }
        }
        if (stopped_ && !observer_)
            next_ = summary_.total;
        return summary_.Complete() && next_ == summary_.total;
    }

    const PlanSummary& Summary() const { return summary_; }

    void Item(std::uint32_t index, std::string_view oldName, std::string_view newName, ItemAction action,
              const char* reason) override {
        switch (action) {
            case ItemAction::Rename:
                ++summary_.renames;
                break;
            case ItemAction::Keep:
                ++summary_.keeps;
                break;
            case ItemAction::Stop:
                summary_.stops = true;
                summary_.stopIndex = index;
                summary_.stopName.assign(oldName);
                summary_.stopTarget.assign(newName);
                summary_.stopReason = reason;
                break;
            case ItemAction::Unreached:
                break;
        }
        if (observer_)
            inOrder_.Item(index, oldName, newName, action, reason);
    }

    void TakenDate(std::uint32_t index, bool found) override {
        if (observer_)
            inOrder_.TakenDate(index, found);
    }

private:
    PlanAnswers answers_;
    AnsweringHost host_;
    SimulatedDirectory directory_;
    ReadOnlyRegistry registry_;
    RunContext context_;
    std::unique_ptr<DateTakenSource> ownDateTaken_;
    RenameRun run_;
    RunObserver* observer_;
    InPanelOrder inOrder_{observer_};  // what the observer is told, in panel order
    bool stopped_ = false;
    PlanSummary summary_;
    std::uint32_t next_ = 0;  // the next item to plan or, after the stop, to tell the observer of
};

PlanCursor::PlanCursor(const RunContext& context, const PlanAnswers& answers, RunObserver* observer,
                       DateTakenSource* dateTaken, const FolderNames* folder,
                       const std::vector<std::string>* givenNames)
    : impl_(std::make_unique<Impl>(context, answers, observer, dateTaken, folder, givenNames)) {}

PlanCursor::~PlanCursor() = default;

bool PlanCursor::Advance(std::uint32_t items) {
    return impl_->Advance(items);
}

const PlanSummary& PlanCursor::Summary() const {
    return impl_->Summary();
}

}  // namespace velmora
