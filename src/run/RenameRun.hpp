// One use of the plug-in: dialog, options, renames, descriptions.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <memory>
#include <optional>
#include <string>
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
    bool Begin(RunReport* report);
    std::uint32_t Count() const { return counter_.total; }
    bool Item(std::uint32_t index);
    // Tells the observer what an item after the stop would have become.
    void Unreached(std::uint32_t index);
    RunReport Finish(RunReport report);

private:
    // Before the first rename: every rename the run will try goes to the undo journal.
    void WriteJournal();
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
    std::vector<std::string> newNames_;  // expanded for the journal, taken by the loop
    // The names written by hand, when the template does not make them: the dialog's (edited_) or
    // the context's.
    std::vector<std::string> edited_;
    const std::vector<std::string>* given_ = nullptr;
    std::size_t renamed_ = 0;
    RunState state_ = RunState::Clean;
    // Both names are built in buffers of the run's own, reused from item to item.
    std::string oldName_;
    std::string newName_;
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
