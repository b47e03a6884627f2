// One use of the plug-in: dialog, options, renames, descriptions.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "descriptions/DescriptionOutput.hpp"
#include "journal/RunJournal.hpp"
#include "naming/NameTemplate.hpp"
#include "naming/NewName.hpp"
#include "ports/RunContext.hpp"
#include "run/BatchNames.hpp"
#include "run/RunProgress.hpp"
#include "settings/Settings.hpp"

namespace velmora {

// How far a run got without a failure.
enum class RunState {
    Clean,             // no failure
    LoopStopped,       // the rename loop stopped at a warning (occupied target, refused move);
                       // what was renamed stays renamed
    DescriptionsLost,  // the new description file could not be written; the old one was kept
};

enum class RunOutcome {
    Done,       // everything asked for was done, without a warning
    Cancelled,  // the dialog was left without OK: nothing renamed, nothing stored
    NoPanel,    // the host delivered no panel: nothing shown, nothing done
    Warned,     // a warning box was shown (see state and descriptions)
};

struct RunReport {
    RunOutcome outcome = RunOutcome::Done;
    RunState state = RunState::Clean;
    // What became of the description file, when the run rewrote it.
    std::optional<DescriptionResult> descriptions;
};

class RenameRun {
public:
    // A run that does not rewrite descriptions (a plan of the names alone) still keeps the
    // description file under its name when the answers say descriptions are saved.
    explicit RenameRun(const RunContext& context, bool rewritesDescriptions = true)
        : context_(context),
          progress_(context_.host, context_.clock),
          descriptions_(context_),
          rewritesDescriptions_(rewritesDescriptions),
          journal_(context_),
          names_(context_.host, context_.files, context_.text) {}
    RenameRun(const RenameRun&) = delete;
    RenameRun& operator=(const RenameRun&) = delete;

    RunReport Execute();

    // The run a step at a time, as Execute takes it: Begin, then Item for each selected item in
    // order until one returns false (the loop stopped there), then Finish. Begin false: the run
    // ends before the loop, with *report as its report.
    //
    // The renames go in panel order, except where a new name is the old name of another item the
    // batch renames and has not renamed yet: that item goes first (and the one holding its new
    // name before it, and so on). A chain that comes back to where it started (a swap, names
    // shifted round) is broken with one temporary name in the folder: its first file steps aside
    // under it, the others follow, and it takes its new name last. So Item(index) may rename
    // items after `index` too, and an item already renamed that way is not renamed again.
    bool Begin(RunReport* report);
    std::uint32_t Count() const { return counter_.total; }
    // With a `budget`, at most that many steps (each taken off it): an item not told of yet when
    // it runs out is taken further by the next call.
    bool Item(std::uint32_t index, std::uint32_t* budget = nullptr);
    // Whether the observer learnt the item's outcome.
    bool Told(std::uint32_t index) const { return (flags_[index] & kTold) != 0; }
    // Tells the observer what an item the run did not rename (after the stop, or waiting for the
    // one it stopped at) would have become; nothing for an item it has told of already.
    void Unreached(std::uint32_t index);
    RunReport Finish(RunReport report);

private:
    // One move of the run, or an item it keeps as it is.
    struct Step {
        enum Kind : std::uint8_t {
            Keep,    // the item keeps its name
            Rename,  // old name to new name
            Park,    // old name to the temporary name: a cycle begins
            Unpark,  // temporary name to new name: the cycle is complete
        };
        std::uint32_t item;
        Kind kind;
    };
    // Per item, what the run knows of it.
    enum ItemFlag : std::uint8_t {
        kNamed = 1,     // its new name is in newNames_
        kKept = 2,      // it keeps its name (the same name, or the description file)
        kVisited = 4,   // its steps have begun to be worked out
        kResolved = 8,  // the item holding its new name (if any) is taken care of
        kPlanned = 16,  // its last step is worked out
        kTold = 32,     // the observer (and the description file) learnt its outcome
    };
    static constexpr std::uint32_t kNoItem = 0xFFFFFFFFu;

    // Before the first rename: every move the run will try goes to the undo journal, in order.
    void WriteJournal();
    // The item's new name in newNames_, made once.
    void Name(std::uint32_t index);
    // The next step in the order described at Begin; false when there is none.
    bool NextStep(Step* step);
    // The item the batch renames whose old name is the item's new name and that is still under
    // it, when it is not the item itself; kNoItem for none.
    std::uint32_t Holder(std::uint32_t index);
    void IndexOldNames();
    // A free name in the folder to break a cycle with.
    const std::string& TempName();
    // Does a step; false when the run stops at it.
    bool Do(const Step& step);
    // Tells the observer and the description file that an item was renamed.
    void TellRenamed(std::uint32_t index);
    // After a stop inside a cycle: its moves taken back, so no file is left under the temporary
    // name.
    void TakeBackCycle();
    // The item's new name into newName_. With numbered names other items are asked for: `item`
    // is asked for again, and the one given may no longer be read.
    void MakeName(std::uint32_t index, PanelItemText* item);
    void TellTakenDate(std::uint32_t index, const std::string& oldName);
    void Stop(const char* helpTopic, std::initializer_list<const char*> lines);

    const RunContext& context_;
    RunProgress progress_;
    RenameOptions options_;
    CounterParameters counter_;
    NameSteps steps_;  // find and replace, letter case: after the template
    TemplateTokens tokens_;
    TokenFacts facts_;
    std::unique_ptr<DateTakenSource> ownDateTaken_;  // when the context has none
    LengthUnit unit_ = LengthUnit::Byte;
    bool save_ = false;            // this run rewrites the description file
    std::string descriptionName_;  // the description file chosen for the rewrite
    DescriptionOutput descriptions_;
    bool rewritesDescriptions_;
    bool leftAsItWas_ = false;  // the description file is one this host leaves alone
    RunJournal journal_;
    BatchNames names_;
    std::vector<std::string> newNames_;  // by item, once made (see kNamed)
    // The names written by hand, when the template does not make them: the dialog's (edited_) or
    // the context's.
    std::vector<std::string> edited_;
    const std::vector<std::string>* given_ = nullptr;
    std::vector<std::uint8_t> flags_;  // by item: ItemFlag
    // The steps worked out before the first move, when the journal needs them all; else each is
    // worked out when its turn comes.
    std::vector<Step> order_;
    std::size_t nextStep_ = 0;
    bool ordered_ = false;
    // Working out the order: the next item in panel order, the chain of items each waiting for
    // the next to free its new name, the item standing aside under the temporary name.
    std::uint32_t cursor_ = 0;
    std::vector<std::uint32_t> path_;
    std::uint32_t parkedPlan_ = kNoItem;
    std::string tempName_;
    // The old names by a hash that ignores ASCII letter case: indexes of selected items, open
    // addressing (kNoItem: empty), built when first asked.
    std::vector<std::uint32_t> oldNameSlots_;
    bool indexed_ = false;
    // Doing the steps: the moves of the cycle under way, and the items it renamed, told only once
    // the cycle is complete.
    bool inCycle_ = false;
    bool stopped_ = false;
    std::size_t renamedBeforeCycle_ = 0;
    std::vector<std::pair<std::string, std::string>> cycleMoves_;
    std::vector<std::uint32_t> cycleItems_;
    std::uint32_t started_ = 0;  // items begun so far, for the progress box
    std::size_t renamed_ = 0;    // moves done, in the journal's order (temporary names included)
    RunState state_ = RunState::Clean;
    // Both names are built in buffers of the run's own, reused from item to item.
    std::string oldName_;
    std::string newName_;
};

// Hands another observer the items in panel order, whatever order the run renamed them in: an
// item told early waits until every item before it has been told.
class InPanelOrder final : public RunObserver {
public:
    explicit InPanelOrder(RunObserver* inner) : inner_(inner) {}
    void Item(std::uint32_t index, std::string_view oldName, std::string_view newName, ItemAction action,
              const char* reason) override;
    void TakenDate(std::uint32_t index, bool found) override;

private:
    struct Held {
        std::string oldName;
        std::string newName;
        ItemAction action;
        const char* reason;
        int taken;  // -1: not told; else whether the item had a date taken
    };
    void Pass(std::uint32_t index, const Held& held);

    RunObserver* inner_;
    std::uint32_t next_ = 0;
    std::uint32_t takenIndex_ = 0;
    int taken_ = -1;
    std::map<std::uint32_t, Held> held_;
};

// The host's text for a message with %1, %2, ... replaced by the arguments.
std::string FormatText(const char* text, std::initializer_list<std::string> arguments);

// What is wrong with a regular expression, in the host's language: the fault and where it is.
std::string ExpressionProblem(const PluginHost& host, const RegexError& error);

// What is wrong with a template's braced token, in the host's language: the fault and where it is.
std::string TemplateProblem(const PluginHost& host, const TemplateError& error);

// The source of dates taken a run or a dialog reads photos' dates through.
std::unique_ptr<DateTakenSource> MakeDateTakenSource(FileSystem& files);

// What a batch's braced tokens read besides each item's name: the batch's start, the panel
// folder's name, where dates taken come from (`taken`, or none). Asked of the system only for
// what the tokens read.
void BatchFacts(PluginHost& host, const TemplateTokens& tokens, DateTakenSource* taken, TokenFacts* facts);

// Runs the plug-in once in the given context.
RunReport RunRename(const RunContext& context);
// A use from the plug-ins menu: the run between keeping the screen and putting it back, then the
// panel refreshed, since even a stopped run may have renamed files.
RunReport RunFromMenu(const RunContext& context);

}  // namespace velmora
