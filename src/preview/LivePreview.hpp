// What the rename dialog's live preview says for the answers as typed: the first selected items as
// "old -> new" and one summary line, the same in every host. The lines are the run's own expansion;
// the summary comes from the plan engine, worked out a slice at a time so that a keystroke stays
// cheap however large the selection. The adapters only put the texts into their host's dialog.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "naming/NewName.hpp"
#include "plan/PlanCursor.hpp"
#include "ports/RunContext.hpp"

namespace velmora {

// A line cut to `width` characters of the host's text: bytes for OEM, whole UTF-8 characters
// otherwise.
std::string FitToWidth(std::string text, std::size_t width, HostText unit);

class LivePreview {
public:
    // `context`: the run whose host has read the panel; it must outlive the preview. `budgetMs`: how
    // long one message may plan for.
    explicit LivePreview(const RunContext& context, std::uint64_t budgetMs = 20);
    ~LivePreview();
    LivePreview(const LivePreview&) = delete;
    LivePreview& operator=(const LivePreview&) = delete;

    // New answers: the lines again and a new plan, planned within the budget. The mask and start
    // number are cut as the dialog's answers are when they are stored. `plan` false: the lines and
    // the problem only, for answers the dialog closed with (the run makes its own plan).
    void SetAnswers(PlanAnswers answers, bool plan = true);
    // The names written by hand, one for each selected item, that take the template's place from
    // the next SetAnswers on; none: the template makes the names again.
    void SetGivenNames(std::vector<std::string> names) { givenNames_ = std::move(names); }
    const std::vector<std::string>& GivenNames() const { return givenNames_; }
    // The names given by hand for a plan, or null when the template makes them.
    const std::vector<std::string>* GivenOrNone() const {
        return givenNames_.empty() ? nullptr : &givenNames_;
    }
    // Every selected item's new name as the answers make them (the template and its steps),
    // whatever names are given: what Edit names starts from.
    std::vector<std::string> TemplateNames();
    // Plans on while the host is idle, for a few budgets at once: a large selection is checked to
    // its end within a second however seldom the host sends idle time; true when the summary
    // changed.
    bool Advance();
    // Plans to the end.
    void Complete();
    bool IsComplete() const;

    const PlanAnswers& Answers() const { return answers_; }
    // The dialog's list: "old -> new" for the first selected items, at most kDialogListLines.
    const std::vector<std::string>& Lines() const { return lines_; }
    // What the run changes, where it stops and why, or how far the check got; what is wrong with
    // the expression when it does not compile.
    std::string Summary() const;
    // What is wrong with the answers' regular expression or template, in the host's language;
    // empty when both can run. A dialog refuses OK and Preview while it is not empty, unless the
    // names are given.
    const std::string& RulesProblem() const { return rulesProblem_; }
    // The warning box's line and help topic for that problem.
    int ProblemMessage() const;
    const char* ProblemTopic() const;
    // Where the dialog's plans read photos' dates taken: each file once, however often the
    // answers change.
    DateTakenSource* DateTaken() const { return dateTaken_.get(); }
    const PlanSummary& Plan() const;

private:
    bool PlanFor(std::uint64_t budgetMs);
    void ReadFolder();

    const RunContext& context_;
    std::uint64_t budgetMs_;
    PlanAnswers answers_;
    std::vector<std::string> lines_;
    std::string rulesProblem_;
    bool templateProblem_ = false;  // the problem is the template's, not the expression's
    std::unique_ptr<DateTakenSource> dateTaken_;
    TemplateTokens tokens_;
    TokenFacts facts_;
    // The folder's names, read for the first plan of a large selection and kept for the plans of
    // the answers after it: the dialog's every keystroke would read them again.
    std::unique_ptr<const FolderNames> folder_;
    bool folderRead_ = false;
    bool opened_ = false;  // the answers the dialog opened with were planned
    std::unique_ptr<PlanCursor> cursor_;
    std::vector<std::string> givenNames_;
};

// One item of the whole plan, as the Preview list shows it.
struct PreviewEntry {
    std::string text;  // "old -> new   action"
    bool stop = false;
};

// The whole plan for the answers, item by item, for the Preview list; each text cut to `width`.
// `dateTaken`: the dialog's (LivePreview::DateTaken), so that no photo is read again.
// `givenNames`, when not empty, are the names written by hand.
std::vector<PreviewEntry> PlanEntries(const RunContext& context, const PlanAnswers& answers,
                                      std::size_t width, DateTakenSource* dateTaken = nullptr,
                                      const std::vector<std::string>& givenNames = {});

}  // namespace velmora
