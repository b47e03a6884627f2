#include "run/RenameRun.hpp"

#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>

#include "descriptions/DescriptionFile.hpp"
#include "far/HostConventions.hpp"
#include "naming/DateTaken.hpp"
#include "ports/Messages.hpp"

namespace velmora {
namespace {

// The description file being rebuilt is never renamed: the new one is written under its old name,
// and the host would find no descriptions under any other. The file system is asked only when
// the names differ in letter case alone.
bool IsDescriptionFile(FileSystem& files, std::string_view name, const std::string& descriptionName) {
    return name == descriptionName || (far::EqualIgnoringAsciiCase(name, descriptionName) &&
                                       files.SameFile(std::string(name), descriptionName));
}

int ExpressionMessage(RegexErrorKind kind) {
    switch (kind) {
        case RegexErrorKind::UnmatchedParenthesis:
            return MExpressionUnmatchedParenthesis;
        case RegexErrorKind::UnmatchedBracket:
            return MExpressionUnmatchedBracket;
        case RegexErrorKind::NothingToRepeat:
            return MExpressionNothingToRepeat;
        case RegexErrorKind::BadRange:
            return MExpressionBadRange;
        case RegexErrorKind::BadEscape:
            return MExpressionBadEscape;
        case RegexErrorKind::TrailingBackslash:
            return MExpressionTrailingBackslash;
        case RegexErrorKind::BadRepeatCount:
            return MExpressionBadRepeatCount;
        case RegexErrorKind::BadGroup:
        case RegexErrorKind::NotSupported:
            return MExpressionNotSupported;
        case RegexErrorKind::TooComplex:
            break;
    }
    return MExpressionTooComplex;
}

int TokenMessage(TokenProblem problem) {
    switch (problem) {
        case TokenProblem::UnknownToken:
            return MTokenUnknown;
        case TokenProblem::UnclosedBrace:
            return MTokenUnclosed;
        case TokenProblem::BadFormat:
            return MTokenBadFormat;
        case TokenProblem::BadDup:
            return MTokenBadDup;
        case TokenProblem::NoArgument:
            return MTokenNoArgument;
        case TokenProblem::BadRange:
            break;
    }
    return MTokenBadRange;
}

}  // namespace

std::string TemplateProblem(const PluginHost& host, const TemplateError& error) {
    return FormatText(host.GetText(MExpressionAt),
                      {FormatText(host.GetText(TokenMessage(error.problem)), {error.token}),
                       std::to_string(error.offset + 1)});
}

std::unique_ptr<DateTakenSource> MakeDateTakenSource(FileSystem& files) {
    return std::make_unique<FileDateTaken>(files);
}

void BatchFacts(PluginHost& host, const TemplateTokens& tokens, DateTakenSource* taken, TokenFacts* facts) {
    facts->tokens = &tokens;
    facts->taken = taken;
    if (tokens.Reads(BracedToken::Kind::Now))
        facts->now = LocalCivilTime(WallClockTicks());
    facts->folder.clear();
    if (std::string directory; tokens.Reads(BracedToken::Kind::Folder) && host.PanelDirectory(&directory))
        facts->folder = FolderName(directory);
}

std::string FormatText(const char* text, std::initializer_list<std::string> arguments) {
    std::string out;
    for (const char* p = text ? text : ""; *p; ++p) {
        if (p[0] == '%' && p[1] >= '1' && p[1] <= '9') {
            const std::size_t n = static_cast<std::size_t>(p[1] - '1');
            if (n < arguments.size())
                out += *(arguments.begin() + n);
            ++p;
            continue;
        }
        out.push_back(*p);
    }
    return out;
}

std::string ExpressionProblem(const PluginHost& host, const RegexError& error) {
    // "%1 at character %2": the fault, then where it is, counted from 1.
    return FormatText(host.GetText(MExpressionAt),
                      {host.GetText(ExpressionMessage(error.kind)), std::to_string(error.offset + 1)});
}

void RenameRun::Stop(const char* helpTopic, std::initializer_list<const char*> lines) {
    progress_.BeforeStop();
    context_.host.ShowWarning(helpTopic, lines);
    state_ = RunState::LoopStopped;
}

bool RenameRun::Begin(RunReport* report) {
    PluginHost& host = context_.host;
    if (!host.ReadPanel()) {
        report->outcome = RunOutcome::NoPanel;
        return false;
    }
    const bool descriptionsShown = host.ShowsDescriptions();

    options_ = LoadOptions(context_.registry, context_.settingsKey);
    if (!host.AskOptions(options_, descriptionsShown, &save_)) {
        report->outcome = RunOutcome::Cancelled;
        return false;
    }
    edited_ = host.TakeEditedNames();
    given_ = !edited_.empty() ? &edited_ : !context_.givenNames.empty() ? &context_.givenNames : nullptr;
    // Names written by hand name each selected item once: any other count names the wrong files.
    if (given_ && given_->size() != host.SelectedCount()) {
        const std::string problem =
            FormatText(host.GetText(MEditLineCount),
                       {std::to_string(given_->size()), std::to_string(host.SelectedCount())});
        host.ShowWarning("EditNames", {host.GetText(MWarningTitle), host.GetText(MEditTitle), problem.c_str(),
                                       host.GetText(MWarningButton)});
        report->outcome = RunOutcome::Warned;
        return false;
    }
    // A dialog refuses an expression that does not compile; answers that reach the run some other
    // way are refused here, before anything is stored or renamed. Names written by hand need
    // neither the expression nor the template.
    if (RegexError error{}; !steps_.Compile(options_.Rules, context_.text, &error) && !given_) {
        const std::string problem = ExpressionProblem(host, error);
        host.ShowWarning("BadExpression", {host.GetText(MWarningTitle), host.GetText(MBadExpression),
                                           problem.c_str(), host.GetText(MWarningButton)});
        report->outcome = RunOutcome::Warned;
        return false;
    }
    unit_ = CutUnit(context_.text);
    if (TemplateError error; !tokens_.Parse(options_.Mask, unit_, &error) && !given_) {
        const std::string problem = TemplateProblem(host, error);
        host.ShowWarning("BadTemplate", {host.GetText(MWarningTitle), host.GetText(MBadTemplate),
                                         problem.c_str(), host.GetText(MWarningButton)});
        report->outcome = RunOutcome::Warned;
        return false;
    }
    if (!given_ && !tokens_.List().empty()) {
        DateTakenSource* taken = context_.dateTaken;
        if (!taken && (tokens_.Reads(BracedToken::Kind::Taken) || tokens_.Reads(BracedToken::Kind::Make) ||
                       tokens_.Reads(BracedToken::Kind::Model))) {
            ownDateTaken_ = MakeDateTakenSource(context_.files);
            taken = ownDateTaken_.get();
        }
        BatchFacts(host, tokens_, taken, &facts_);
    }
    StoreOptions(context_.registry, context_.settingsKey, options_);
    journal_.Template(options_.Mask, given_ != nullptr);

    const std::uint32_t count = static_cast<std::uint32_t>(host.SelectedCount());
    counter_ = BatchCounter(options_.StartNumber, options_.WithoutZero != 0, count);
    newNames_.assign(count, std::string());
    flags_.assign(count, 0);
    TokenFacts* const facts = tokens_.List().empty() ? nullptr : &facts_;
    names_.Begin(options_.Mask.c_str(), counter_, &steps_, unit_, facts);

    // Begun before the description file is read, so that its old bytes go straight into the
    // journal; a run that ends before its first rename never puts the journal in place.
    // The moves ask afresh whether the folder's file system refuses a taken name in one step.
    context_.files.NewBatch();
    const bool journals = context_.keepsJournal && rewritesDescriptions_ && journal_.Begin();
    // Put in place before the new description file's temporary file is made, with its name, so
    // that undo or the next run can remove it after a kill.
    bool journalWritten = false;
    const auto writeJournal = [&] {
        if (journals && !journalWritten) {
            journalWritten = true;
            WriteJournal();
        }
    };
    if (save_) {
        FindDescriptionFile(context_, &descriptionName_);
        // The description file keeps its name: no number makes it free.
        names_.Begin(options_.Mask.c_str(), counter_, &steps_, unit_, facts, descriptionName_);
        const auto keepOld = [&](const std::optional<std::string>& old) {
            if (journals)
                journal_.Descriptions(descriptionName_, old);
        };
        const auto recordTemp = [&](const std::string& name) {
            if (journals)
                journal_.TempDescriptions(name);
            writeJournal();
        };
        // A plan of the names alone opens nothing: it only keeps the file under its name.
        if (const DescriptionFailure failure = rewritesDescriptions_
                                                   ? descriptions_.Open(descriptionName_, keepOld, recordTemp)
                                                   : DescriptionFailure{}) {
            report->outcome = RunOutcome::Warned;
            // A description file this host cannot write or read stays as it was; the renames go
            // on, and the file is still never renamed itself.
            if (failure.step != DescriptionStep::UnicodeFile && failure.step != DescriptionStep::ReadFile) {
                report->descriptions = DescriptionResult{DescriptionOutcome::NothingToWrite, failure};
                journal_.Retract();
                return false;
            }
            report->descriptions = DescriptionResult{failure.step == DescriptionStep::UnicodeFile
                                                         ? DescriptionOutcome::LeftUnicode
                                                         : DescriptionOutcome::LeftUnread,
                                                     failure};
            leftAsItWas_ = true;
        }
    }

    writeJournal();
    progress_.Begin(count, unit_);
    return true;
}

void RenameRun::Name(std::uint32_t i) {
    if (flags_[i] & kNamed)
        return;
    PanelItemText item = context_.host.SelectedItem(i);
    MakeName(i, &item);
    const std::string_view oldName = item.name;
    // Kept at its own length: the buffer holds room for the longest name, which 100,000 kept
    // names would each hold too.
    newNames_[i].assign(newName_);
    std::uint8_t flags = kNamed;
    if (newName_ == oldName ||
        (save_ && IsDescriptionFile(context_.files, std::string(oldName), descriptionName_)))
        flags |= kKept;
    flags_[i] |= flags;
}

namespace {

std::uint32_t SlotOf(std::uint64_t hash, std::size_t slots) {
    return static_cast<std::uint32_t>(hash & (slots - 1));
}

}  // namespace

void RenameRun::IndexOldNames() {
    indexed_ = true;
    const std::uint32_t count = counter_.total;
    std::size_t slots = 16;
    while (slots < 2 * static_cast<std::size_t>(count))
        slots *= 2;
    oldNameSlots_.assign(slots, kNoItem);
    for (std::uint32_t i = 0; i < count; ++i) {
        std::uint32_t slot = SlotOf(far::NameHash(context_.host.SelectedItem(i).name, true), slots);
        while (oldNameSlots_[slot] != kNoItem)
            slot = (slot + 1) & static_cast<std::uint32_t>(slots - 1);
        oldNameSlots_[slot] = i;
    }
}

std::uint32_t RenameRun::Holder(std::uint32_t i) {
    if (!indexed_)
        IndexOldNames();
    const std::string& target = newNames_[i];
    const std::size_t mask = oldNameSlots_.size() - 1;
    std::uint32_t exact = kNoItem;
    std::uint32_t folded = kNoItem;
    for (std::uint32_t slot = SlotOf(far::NameHash(target, true), oldNameSlots_.size());
         oldNameSlots_[slot] != kNoItem; slot = (slot + 1) & static_cast<std::uint32_t>(mask)) {
        const std::uint32_t j = oldNameSlots_[slot];
        const std::string_view name = context_.host.SelectedItem(j).name;
        if (name == target) {
            exact = j;
            break;
        }
        if (folded == kNoItem && far::EqualIgnoringAsciiCase(name, target))
            folded = j;
    }
    std::uint32_t holder = exact;
    // Another spelling of an old name holds it only where the folder ignores letter case; asked
    // only for such a name, which is rare.
    if (holder == kNoItem && folded != kNoItem && folded != i &&
        context_.files.SameFile(target, std::string(context_.host.SelectedItem(folded).name)))
        holder = folded;
    if (holder == kNoItem || holder == i)
        return kNoItem;
    Name(holder);
    // A kept file holds its name for good; one renamed already has left it.
    if ((flags_[holder] & kKept) || (flags_[holder] & kPlanned))
        return kNoItem;
    return holder;
}

const std::string& RenameRun::TempName() {
    if (!tempName_.empty())
        return tempName_;
    // ".VLR<hex>.tmp": beside the files, hidden where names with a dot are, and never taken for
    // the description file's temporary file (".VL<hex>.tmp"), which a later run may remove.
    std::uint32_t seed = static_cast<std::uint32_t>(WallClockTicks() / 10000000u) * 2654435761u;
    for (unsigned attempt = 0; attempt < 1000; ++attempt) {
        char text[32];
        std::snprintf(text, sizeof text, ".VLR%X.tmp", seed + attempt);
        if (context_.files.Attributes(text) == kNoAttributes) {
            tempName_ = text;
            break;
        }
    }
    if (tempName_.empty())
        tempName_ = ".VLR.tmp";  // the move refuses it if taken, and the run stops there
    return tempName_;
}

bool RenameRun::NextStep(Step* step) {
    const std::uint32_t count = counter_.total;
    for (;;) {
        if (path_.empty()) {
            while (cursor_ < count && (flags_[cursor_] & kVisited))
                ++cursor_;
            if (cursor_ == count)
                return false;
            flags_[cursor_] |= kVisited;
            path_.push_back(cursor_);
        }
        const std::uint32_t k = path_.back();
        Name(k);
        if (!(flags_[k] & kKept) && !(flags_[k] & kResolved)) {
            flags_[k] |= kResolved;
            const std::uint32_t holder = Holder(k);
            if (holder != kNoItem) {
                if (!(flags_[holder] & kVisited)) {
                    flags_[holder] |= kVisited;
                    path_.push_back(holder);
                    continue;
                }
                // Waiting on the path already: the chain is a cycle, and its first item steps
                // aside. There is never more than one: the items above it wait for nothing else.
                parkedPlan_ = holder;
                (void)TempName();
                *step = Step{holder, Step::Park};
                return true;
            }
        }
        path_.pop_back();
        flags_[k] |= kPlanned;
        if (flags_[k] & kKept) {
            *step = Step{k, Step::Keep};
        } else if (k == parkedPlan_) {
            parkedPlan_ = kNoItem;
            *step = Step{k, Step::Unpark};
        } else {
            *step = Step{k, Step::Rename};
        }
        return true;
    }
}

bool RenameRun::Item(std::uint32_t i, std::uint32_t* budget) {
    if (stopped_)
        return false;
    while (!(flags_[i] & kTold)) {
        if (budget && (*budget)-- == 0) {
            *budget = 0;
            return true;
        }
        Step step{};
        if (ordered_) {
            if (nextStep_ == order_.size())
                break;
            step = order_[nextStep_++];
        } else if (!NextStep(&step)) {
            break;
        }
        if (!Do(step))
            return false;
    }
    return true;
}

void RenameRun::TellRenamed(std::uint32_t k) {
    flags_[k] |= kTold;
    const PanelItemText item = context_.host.SelectedItem(k);
    oldName_.assign(item.name);
    if (RunObserver* observer = context_.observer) {
        TellTakenDate(k, oldName_);
        observer->Item(k, oldName_, newNames_[k], ItemAction::Rename, "");
    }
    if (descriptions_.IsOpen())
        descriptions_.Renamed(oldName_, newNames_[k], item.description);
}

void RenameRun::TakeBackCycle() {
    inCycle_ = false;
    for (std::size_t m = cycleMoves_.size(); m-- > 0;) {
        if (!context_.files.MoveNoReplace(cycleMoves_[m].second, cycleMoves_[m].first)) {
            // What is left is in the journal; undo finds each file where it is.
            cycleMoves_.clear();
            return;
        }
    }
    renamed_ = renamedBeforeCycle_;
    cycleMoves_.clear();
    cycleItems_.clear();
}

bool RenameRun::Do(const Step& step) {
    PluginHost& host = context_.host;
    FileSystem& files = context_.files;
    RunObserver* observer = context_.observer;
    const std::uint32_t k = step.item;
    Name(k);
    oldName_.assign(host.SelectedItem(k).name);
    // Each item once, when its first step begins.
    if (step.kind != Step::Unpark)
        progress_.Item(started_++, oldName_);
    if (step.kind == Step::Keep) {
        flags_[k] |= kTold;
        if (observer) {
            TellTakenDate(k, oldName_);
            observer->Item(k, oldName_, oldName_, ItemAction::Keep, "");
        }
        return true;
    }
    const std::string& newName = newNames_[k];
    const auto stop = [&](const char* topic) {
        stopped_ = true;
        flags_[k] |= kTold;
        if (observer) {
            TellTakenDate(k, oldName_);
            observer->Item(k, oldName_, newName, ItemAction::Stop, topic);
        }
        if (inCycle_)
            TakeBackCycle();
        return false;
    };
    // A name the steps refuse stops the run before the cycle it ends begins.
    if (step.kind != Step::Unpark && steps_.Refuses(newName)) {
        Stop("BadName", {host.GetText(MWarningTitle), host.GetText(MBadName), oldName_.c_str(),
                         host.GetText(MRenameTo), newName.c_str(), host.GetText(MWarningButton)});
        return stop("BadName");
    }
    const std::string& from = step.kind == Step::Unpark ? tempName_ : oldName_;
    const std::string& to = step.kind == Step::Park ? tempName_ : newName;
    // The move itself refuses an occupied target, so a free name costs no query first. A
    // refused target counts as occupied when it names an existing entry other than the file
    // being renamed (a change of letter case on a file system that ignores case); a plain
    // directory does not count, and its refusal is a failed move.
    if (const FileResult moved = files.MoveNoReplace(from, to); !moved) {
        if (moved.TargetExists() && FileExists(files, to) && !files.SameFile(from, to)) {
            Stop("FileExist", {host.GetText(MWarningTitle), host.GetText(MFileExists), to.c_str(),
                               host.GetText(MWarningButton)});
            return stop("FileExist");
        }
        Stop("CanNotMove", {host.GetText(MWarningTitle), host.GetText(MCannotRename), oldName_.c_str(),
                            host.GetText(MRenameTo), to.c_str(), host.GetText(MWarningButton)});
        return stop("CanNotMove");
    }
    ++renamed_;
    switch (step.kind) {
        case Step::Park:
            inCycle_ = true;
            renamedBeforeCycle_ = renamed_ - 1;
            cycleMoves_.assign(1, {from, to});
            cycleItems_.clear();
            return true;
        case Step::Unpark:
            inCycle_ = false;
            cycleMoves_.clear();
            for (const std::uint32_t item : cycleItems_)
                TellRenamed(item);
            cycleItems_.clear();
            TellRenamed(k);
            return true;
        default:
            break;
    }
    if (inCycle_) {
        // Told once the cycle is complete: until then it may yet be taken back.
        cycleMoves_.emplace_back(from, to);
        cycleItems_.push_back(k);
        return true;
    }
    TellRenamed(k);
    return true;
}

void RenameRun::Unreached(std::uint32_t i) {
    if (flags_[i] & kTold)
        return;
    flags_[i] |= kTold;
    Name(i);
    oldName_.assign(context_.host.SelectedItem(i).name);
    TellTakenDate(i, oldName_);
    context_.observer->Item(i, oldName_, newNames_[i], ItemAction::Unreached, "");
}

void RenameRun::MakeName(std::uint32_t i, PanelItemText* item) {
    if (given_) {
        newName_ = (*given_)[i];
        return;
    }
    names_.Make(i, *item, newName_);
    if (names_.Numbers())
        *item = context_.host.SelectedItem(i);
}

void RenameRun::TellTakenDate(std::uint32_t i, const std::string& oldName) {
    // Names written by hand read no dates.
    if (given_ || !tokens_.Reads(BracedToken::Kind::Taken))
        return;
    // The source keeps what it read: asking again costs nothing.
    CivilTime taken;
    ExifDateTag tag = ExifDateTag::DateTimeOriginal;
    context_.observer->TakenDate(i, facts_.taken && facts_.taken->DateTaken(oldName, &taken, &tag));
}

RunReport RenameRun::Finish(RunReport report) {
    bool completed = true;
    if (save_ && descriptions_.IsOpen()) {
        const DescriptionResult result =
            descriptions_.Finish([this](std::string_view piece) { journal_.DescriptionsWritten(piece); },
                                 [this] { journal_.Replacing(); });
        if (result.outcome == DescriptionOutcome::LinesLost) {
            state_ = RunState::DescriptionsLost;
        }
        completed = result.outcome != DescriptionOutcome::NotReplaced &&
                    result.outcome != DescriptionOutcome::KeptAside;
        report.descriptions = result;
        journal_.Finish(renamed_, result.outcome == DescriptionOutcome::Replaced);
    } else {
        journal_.Finish(renamed_, false);
    }
    report.state = state_;
    report.outcome =
        completed && !leftAsItWas_ && state_ == RunState::Clean ? RunOutcome::Done : RunOutcome::Warned;
    return report;
}

RunReport RenameRun::Execute() {
    RunReport report;
    if (!Begin(&report))
        return report;
    const std::uint32_t count = Count();
    std::uint32_t i = 0;
    while (i < count && Item(i))
        ++i;
    // The items the run did not rename keep their names; an observer still learns what they
    // would have become.
    if (context_.observer) {
        for (i = 0; i < count; ++i)
            Unreached(i);
    }
    return Finish(report);
}

void RenameRun::WriteJournal() {
    PluginHost& host = context_.host;
    // The whole order is worked out first: the journal lists every move in the order the run
    // makes them, temporary names included, so that undo takes them back last first.
    // One step an item, and one more for each cycle: reserved, the order is never held twice
    // while it grows (a batch of 100,000 items would hold 1.6 MB at its last doubling).
    order_.reserve(static_cast<std::size_t>(Count()) + 1);
    Step step{};
    while (NextStep(&step))
        order_.push_back(step);
    ordered_ = true;
    std::size_t moves = 0;
    for (const Step& s : order_) {
        if (s.kind == Step::Keep)
            continue;
        const PanelItemText item = host.SelectedItem(s.item);
        const std::string_view from = s.kind == Step::Unpark ? std::string_view(tempName_) : item.name;
        const std::string_view to = s.kind == Step::Park ? std::string_view(tempName_) : newNames_[s.item];
        journal_.Add(from, to, item, s.kind == Step::Unpark);
        ++moves;
    }
    // A run that renames nothing has nothing to take back, and must not hide the one before it.
    if (moves > 0)
        journal_.Commit();
}

void InPanelOrder::TakenDate(std::uint32_t index, bool found) {
    takenIndex_ = index;
    taken_ = found ? 1 : 0;
}

void InPanelOrder::Pass(std::uint32_t index, const Held& held) {
    if (held.taken >= 0)
        inner_->TakenDate(index, held.taken != 0);
    inner_->Item(index, held.oldName, held.newName, held.action, held.reason);
}

void InPanelOrder::Item(std::uint32_t index, std::string_view oldName, std::string_view newName,
                        ItemAction action, const char* reason) {
    const int taken = taken_ >= 0 && takenIndex_ == index ? taken_ : -1;
    taken_ = -1;
    if (index != next_) {
        held_.emplace(index, Held{std::string(oldName), std::string(newName), action, reason, taken});
        return;
    }
    if (taken >= 0)
        inner_->TakenDate(index, taken != 0);
    inner_->Item(index, oldName, newName, action, reason);
    ++next_;
    for (auto it = held_.begin(); it != held_.end() && it->first == next_; it = held_.erase(it), ++next_)
        Pass(it->first, it->second);
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
