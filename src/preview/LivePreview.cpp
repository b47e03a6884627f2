#include "preview/LivePreview.hpp"

#include <utility>

#include "far/HostConventions.hpp"
#include "naming/NameTemplate.hpp"
#include "ports/Messages.hpp"
#include "preview/DialogLayout.hpp"
#include "run/BatchNames.hpp"
#include "run/RenameRun.hpp"
#include "settings/Settings.hpp"

namespace velmora {
namespace {

// Items planned between two looks at the clock: small enough that the look comes well inside
// the budget, large enough that the clock costs nothing beside the planning.
constexpr std::uint32_t kSliceItems = 512;
// An idle message plans for this many keystroke budgets: hosts send idle time every 100 ms or so,
// and a whole plan of 100,000 items takes some 300 ms, so the summary reaches its end within a
// second, while a key pressed meanwhile waits at most this long.
constexpr std::uint64_t kIdleBudgets = 3;

bool IsUtf8(HostText text) {
    return text != HostText::Oem;
}

std::string Number(std::uint32_t value) {
    return std::to_string(value);
}

// The answers as the run will read them once they are stored: cut to what the store keeps.
PlanAnswers AsStored(PlanAnswers answers, HostText text) {
    answers.mask = std::string(OptionTextPrefix(answers.mask, kOptionTextCapacity - 1, IsUtf8(text)));
    answers.startNumber =
        std::string(OptionTextPrefix(answers.startNumber, kOptionTextCapacity - 1, IsUtf8(text)));
    answers.rules.Find =
        std::string(OptionTextPrefix(answers.rules.Find, kOptionTextCapacity - 1, IsUtf8(text)));
    answers.rules.Replace =
        std::string(OptionTextPrefix(answers.rules.Replace, kOptionTextCapacity - 1, IsUtf8(text)));
    return answers;
}

const char* ActionText(const PluginHost& host, ItemAction action) {
    switch (action) {
        case ItemAction::Rename:
            return host.GetText(MActionRename);
        case ItemAction::Keep:
            return host.GetText(MActionKeep);
        case ItemAction::Stop:
            return host.GetText(MActionStop);
        case ItemAction::Unreached:
            break;
    }
    return host.GetText(MActionUnreached);
}

class EntryCollector final : public RunObserver {
public:
    EntryCollector(const RunContext& context, std::size_t width, std::vector<PreviewEntry>* entries)
        : context_(context), width_(width), entries_(entries) {}

    void Item(std::uint32_t /*index*/, std::string_view oldName, std::string_view newName, ItemAction action,
              const char* reason) override {
        const PluginHost& host = context_.host;
        std::string text(oldName);
        text += host.GetText(MPreviewArrow);
        text += newName;
        text += "   ";
        text += ActionText(host, action);
        if (action == ItemAction::Stop && reason && *reason) {
            text += ": ";
            text += reason;
        }
        entries_->push_back(
            PreviewEntry{FitToWidth(std::move(text), width_, context_.text), action == ItemAction::Stop});
    }

private:
    const RunContext& context_;
    std::size_t width_;
    std::vector<PreviewEntry>* entries_;
};

}  // namespace

std::string FitToWidth(std::string text, std::size_t width, HostText unit) {
    if (!IsUtf8(unit)) {
        if (text.size() > width)
            text.resize(width);
        return text;
    }
    std::size_t characters = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if ((static_cast<unsigned char>(text[i]) & 0xC0) == 0x80)
            continue;
        if (characters++ == width) {
            text.resize(i);
            break;
        }
    }
    return text;
}

LivePreview::LivePreview(const RunContext& context, std::uint64_t budgetMs)
    : context_(context), budgetMs_(budgetMs) {
    if (!context.dateTaken)
        dateTaken_ = MakeDateTakenSource(context.files);
}

int LivePreview::ProblemMessage() const {
    return templateProblem_ ? MBadTemplate : MBadExpression;
}

const char* LivePreview::ProblemTopic() const {
    return templateProblem_ ? "BadTemplate" : "BadExpression";
}

LivePreview::~LivePreview() = default;

void LivePreview::SetAnswers(PlanAnswers answers, bool plan) {
    const bool opening = !opened_;
    opened_ = opened_ || plan;
    answers_ = AsStored(std::move(answers), context_.text);
    PluginHost& host = context_.host;
    const auto count = static_cast<std::uint32_t>(host.SelectedCount());
    const CounterParameters counter = BatchCounter(answers_.startNumber, answers_.withoutZero, count);
    const LengthUnit unit = CutUnit(context_.text);
    const char* arrow = host.GetText(MPreviewArrow);
    NameSteps steps;
    rulesProblem_.clear();
    templateProblem_ = false;
    if (RegexError error{}; !steps.Compile(answers_.rules, context_.text, &error))
        rulesProblem_ = ExpressionProblem(host, error);
    if (TemplateError error; !tokens_.Parse(answers_.mask, unit, &error) && rulesProblem_.empty()) {
        rulesProblem_ = TemplateProblem(host, error);
        templateProblem_ = true;
    }
    DateTakenSource* const taken = context_.dateTaken ? context_.dateTaken : dateTaken_.get();
    TokenFacts* const facts = tokens_.List().empty() ? nullptr : &facts_;
    if (facts)
        BatchFacts(host, tokens_, taken, facts);

    // Only the visible lines are expanded now: their cost does not grow with the selection.
    lines_.clear();
    std::string newName;
    // The run's own names: a numbered name is decided as the run decides it.
    BatchNames names(host, context_.files, context_.text);
    names.Begin(answers_.mask.c_str(), counter, &steps, unit, facts);
    for (std::uint32_t i = 0; i < count && i < static_cast<std::uint32_t>(far::kDialogListLines); ++i) {
        const PanelItemText item = host.SelectedItem(i);
        const std::string oldName(item.name);
        if (i < givenNames_.size())
            newName = givenNames_[i];
        else
            names.Make(i, item, newName);
        lines_.push_back(FitToWidth(oldName + arrow + newName, far::kDialogListWidth, context_.text));
    }

    cursor_.reset();
    // Answers the run would refuse have no plan: the summary says what is wrong instead. Names
    // written by hand need neither template nor expression.
    if ((!rulesProblem_.empty() && givenNames_.empty()) || !plan)
        return;
    // The folder's names are read in the dialog's first idle time or at its first change of
    // answers, not when it opens: a dialog answered at once (velmora --yes) never holds them beside
    // the panel. Until then the plan covers the items the list shows: without the names each is
    // asked of the system one by one, which costs a scan of the whole folder where the system
    // looks for a name in every letter case (Wine).
    if (!opening)
        ReadFolder();
    cursor_ = std::make_unique<PlanCursor>(context_, answers_, nullptr, taken, folder_.get(), GivenOrNone());
    if (folderRead_)
        PlanFor(budgetMs_);
    else
        cursor_->Advance(static_cast<std::uint32_t>(far::kDialogListLines));
}

void LivePreview::ReadFolder() {
    if (folderRead_)
        return;
    folderRead_ = true;
    PluginHost& host = context_.host;
    if (FolderNames::WorthReading(host.SelectedCount(), host.ItemCount()))
        folder_ = FolderNames::Read(context_.files);
}

std::vector<std::string> LivePreview::TemplateNames() {
    PluginHost& host = context_.host;
    const auto count = static_cast<std::uint32_t>(host.SelectedCount());
    const CounterParameters counter = BatchCounter(answers_.startNumber, answers_.withoutZero, count);
    const LengthUnit unit = CutUnit(context_.text);
    NameSteps steps;
    RegexError error{};
    steps.Compile(answers_.rules, context_.text, &error);
    TokenFacts* const facts = tokens_.List().empty() ? nullptr : &facts_;
    // The run's own names, numbers where names collide included.
    BatchNames batch(host, context_.files, context_.text);
    batch.Begin(answers_.mask.c_str(), counter, &steps, unit, facts);
    std::vector<std::string> names(count);
    for (std::uint32_t i = 0; i < count; ++i)
        batch.Make(i, host.SelectedItem(i), names[i]);
    return names;
}

bool LivePreview::Advance() {
    // The plan of the opening goes on with the folder's names (see SetAnswers).
    if (!folderRead_ && cursor_ && !IsComplete()) {
        ReadFolder();
        if (folder_) {
            DateTakenSource* const taken = context_.dateTaken ? context_.dateTaken : dateTaken_.get();
            cursor_ = std::make_unique<PlanCursor>(context_, answers_, nullptr, taken, folder_.get(),
                                                   GivenOrNone());
        }
    }
    return PlanFor(kIdleBudgets * budgetMs_);
}

bool LivePreview::PlanFor(std::uint64_t budgetMs) {
    if (!cursor_ || IsComplete())
        return false;
    const std::uint32_t before = cursor_->Summary().checked;
    const std::uint64_t start = context_.clock.Milliseconds();
    while (!cursor_->Advance(kSliceItems) && context_.clock.Milliseconds() - start < budgetMs) {
    }
    return cursor_->Summary().checked != before || cursor_->Summary().Complete();
}

void LivePreview::Complete() {
    Advance();
    while (cursor_ && !cursor_->Advance(1u << 20)) {
    }
}

bool LivePreview::IsComplete() const {
    return !cursor_ || cursor_->Summary().Complete();
}

const PlanSummary& LivePreview::Plan() const {
    static const PlanSummary kNone;
    return cursor_ ? cursor_->Summary() : kNone;
}

std::string LivePreview::Summary() const {
    if (!rulesProblem_.empty() && givenNames_.empty())
        return FitToWidth(rulesProblem_, far::kDialogListWidth, context_.text);
    const PlanSummary& plan = Plan();
    const PluginHost& host = context_.host;
    std::string text = givenNames_.empty() ? std::string() : std::string(host.GetText(MSummaryEdited));
    text += FormatText(host.GetText(MSummaryCounts), {Number(plan.renames), Number(plan.keeps)});
    if (plan.stops) {
        const bool exists = plan.stopReason == "FileExist";
        text += FormatText(host.GetText(exists ? MSummaryStopExists : MSummaryStopCannotMove),
                           {Number(plan.stopIndex + 1), exists ? plan.stopTarget : plan.stopName});
    } else if (!plan.Complete()) {
        text += FormatText(host.GetText(MSummaryChecking), {Number(plan.checked), Number(plan.total)});
    }
    return FitToWidth(std::move(text), far::kDialogListWidth, context_.text);
}

std::vector<PreviewEntry> PlanEntries(const RunContext& context, const PlanAnswers& answers,
                                      std::size_t width, DateTakenSource* dateTaken,
                                      const std::vector<std::string>& givenNames) {
    std::vector<PreviewEntry> entries;
    entries.reserve(context.host.SelectedCount());
    EntryCollector collector(context, width, &entries);
    std::unique_ptr<const FolderNames> folder;
    if (FolderNames::WorthReading(context.host.SelectedCount(), context.host.ItemCount()))
        folder = FolderNames::Read(context.files);
    PlanCursor cursor(context, AsStored(answers, context.text), &collector, dateTaken, folder.get(),
                      givenNames.empty() ? nullptr : &givenNames);
    // The cursor tells the collector of the items after a stop too: the list shows what they would
    // have become.
    while (!cursor.Advance(1u << 20)) {
    }
    return entries;
}

}  // namespace velmora
