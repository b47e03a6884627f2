#include "run/RenameRun.hpp"

#include <cstdint>
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
    journal_.Template(options_.Mask);

    const std::uint32_t count = static_cast<std::uint32_t>(host.SelectedCount());
    counter_ = BatchCounter(options_.StartNumber, options_.WithoutZero != 0, count);
    TokenFacts* const facts = tokens_.List().empty() ? nullptr : &facts_;
    names_.Begin(options_.Mask.c_str(), counter_, &steps_, unit_, facts);

    // Begun before the description file is read, so that its old bytes go straight into the
    // journal; a run that ends before its first rename never puts the journal in place.
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

bool RenameRun::Item(std::uint32_t i) {
    PluginHost& host = context_.host;
    FileSystem& files = context_.files;
    RunObserver* observer = context_.observer;
    PanelItemText item = host.SelectedItem(i);
    oldName_.assign(item.name);
    progress_.Item(i, oldName_);

    // The journal's pass expanded every name already.
    if (i < newNames_.size())
        newName_.swap(newNames_[i]);
    else
        MakeName(i, &item);
    if (observer)
        TellTakenDate(i, oldName_);
    if (newName_ == oldName_ || (save_ && IsDescriptionFile(files, oldName_, descriptionName_))) {
        if (observer)
            observer->Item(i, oldName_, oldName_, ItemAction::Keep, "");
        return true;
    }
    if (steps_.Refuses(newName_)) {
        Stop("BadName", {host.GetText(MWarningTitle), host.GetText(MBadName), oldName_.c_str(),
                         host.GetText(MRenameTo), newName_.c_str(), host.GetText(MWarningButton)});
        if (observer)
            observer->Item(i, oldName_, newName_, ItemAction::Stop, "BadName");
        return false;
    }
    // The move itself refuses an occupied target, so a free name costs no query first. A
    // refused target counts as occupied when it names an existing entry other than the file
    // being renamed (a change of letter case on a file system that ignores case); a plain
    // directory does not count, and its refusal is a failed move.
    if (const FileResult moved = files.MoveNoReplace(oldName_, newName_); !moved) {
        if (moved.TargetExists() && FileExists(files, newName_) && !files.SameFile(oldName_, newName_)) {
            Stop("FileExist", {host.GetText(MWarningTitle), host.GetText(MFileExists), newName_.c_str(),
                               host.GetText(MWarningButton)});
            if (observer)
                observer->Item(i, oldName_, newName_, ItemAction::Stop, "FileExist");
        } else {
            Stop("CanNotMove", {host.GetText(MWarningTitle), host.GetText(MCannotRename), oldName_.c_str(),
                                host.GetText(MRenameTo), newName_.c_str(), host.GetText(MWarningButton)});
            if (observer)
                observer->Item(i, oldName_, newName_, ItemAction::Stop, "CanNotMove");
        }
        return false;
    }
    ++renamed_;
    if (observer)
        observer->Item(i, oldName_, newName_, ItemAction::Rename, "");
    if (descriptions_.IsOpen())
        descriptions_.Renamed(oldName_, newName_, item.description);
    return true;
}

void RenameRun::Unreached(std::uint32_t i) {
    PanelItemText item = context_.host.SelectedItem(i);
    oldName_.assign(item.name);
    if (i < newNames_.size())
        newName_.swap(newNames_[i]);
    else
        MakeName(i, &item);
    TellTakenDate(i, oldName_);
    context_.observer->Item(i, oldName_, newName_, ItemAction::Unreached, "");
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
            descriptions_.Finish([this](std::string_view piece) { journal_.DescriptionsWritten(piece); });
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
    // The items after a stop keep their names; an observer still learns what they would have become.
    if (context_.observer) {
        for (++i; i < count; ++i)
            Unreached(i);
    }
    return Finish(report);
}

void RenameRun::WriteJournal() {
    PluginHost& host = context_.host;
    const std::uint32_t count = counter_.total;
    std::size_t renames = 0;
    newNames_.resize(count);
    for (std::uint32_t i = 0; i < count; ++i) {
        PanelItemText item = host.SelectedItem(i);
        // Expanded in the run's buffer, kept at its own length: the buffer holds room for the
        // longest name, which 100,000 kept names would each hold too.
        MakeName(i, &item);
        const std::string_view oldName = item.name;
        std::string& newName = newNames_[i];
        newName = newName_;
        // The same choice as the loop's: only what it will try to rename.
        if (newName == oldName || (save_ && IsDescriptionFile(context_.files, oldName, descriptionName_)))
            continue;
        journal_.Add(oldName, newName, item);
        ++renames;
    }
    // A run that renames nothing has nothing to take back, and must not hide the one before it.
    if (renames > 0)
        journal_.Commit();
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
