#include "journal/RunJournal.hpp"

#include "journal/Undo.hpp"

namespace velmora {

RunJournal::RunJournal(const RunContext& context)
    : context_(context), writer_(context.files, JournalRoot(context.files, context.journalFallback)) {}

bool RunJournal::Begin() {
    std::string directory;
    if (!context_.host.PanelDirectory(&directory) || directory.empty()) {
        error_ = "the host names no folder for the panel";
        return false;
    }
    begun_ = writer_.Begin(directory, &error_);
    if (begun_)
        RemoveLeftoverTemp();
    return begun_;
}

void RunJournal::RemoveLeftoverTemp() {
    // Only a run that never ended is read: the journal of one that did is not worth the reading.
    std::string directory;
    if (writer_.LastRunEnded(&directory))
        return;
    JournalRun run;
    std::string path;
    std::string error;
    if (ReadLatestRun(context_.files, JournalRoot(context_.files, context_.journalFallback), directory, &run,
                      &path, &error) == JournalLookup::Found)
        (void)velmora::RemoveLeftoverTemp(context_.files, LeftoverTemp(context_.files, run));
}

void RunJournal::Commit() {
    if (!begun_)
        return;
    // What the run will write to the description file is known only at its end, and recorded
    // just before the replace (Replacing).
    begun_ = writer_.Commit(std::string(), nullptr, std::nullopt, &error_);
}

void RunJournal::Finish(std::size_t renamed, bool descriptionsReplaced) {
    if (!begun_)
        return;
    std::string error;
    if (!writer_.Finish(renamed,
                        descriptionsReplaced ? std::optional<std::string>(written_.Text()) : std::nullopt,
                        &error))
        error_ = error;
}

}  // namespace velmora
