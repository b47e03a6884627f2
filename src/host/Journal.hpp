// The undo journal. Before a run renames anything, its plan (every rename, in order, with the size
// and write time by which the file is known again) and the description file's bytes are written
// to $XDG_STATE_HOME/velmora/<directory>/NNNNNNNN.journal; after the run, NNNNNNNN.done says that
// it finished and what the description file held then. A run killed half-way has a journal and no
// .done: undo then goes by what it finds on disk. The last 10 runs of each directory are kept.
// Writing the journal is never a reason for a run to fail.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "host/Plan.hpp"
#include "platform/Platform.hpp"
#include "platform/TempFile.hpp"

namespace velmora::host {

class BufferedOutput;

// How many runs of one directory are kept.
constexpr int kJournalRuns = 10;

struct JournalRename {
    std::string oldName;
    std::string newName;
    std::uint64_t size = 0;
    std::uint64_t writeTime = 0;
};

struct JournalRun {
    std::string directory;  // the panel directory, absolute
    std::vector<JournalRename> renames;
    std::string descriptionFile;                    // "" when the run does not rewrite descriptions
    std::optional<std::string> descriptionsBefore;  // none: there was no such file
    std::optional<std::string> plannedHash;         // of the bytes the plan says the run writes
    // From the .done file: the run finished, and this is what the description file held then.
    bool finished = false;
    std::optional<std::string> writtenHash;
    bool undone = false;
    std::string unavailable;  // why the run could not be journaled ("" when it was)
};

// $XDG_STATE_HOME/velmora, or the system's default; "" when there is none.
std::string JournalRoot();
// A short, stable name for a directory's journals.
std::string DirectoryKey(const std::string& directory);
// A fingerprint of description bytes (FNV-1a, 64 bits, in hex): undo only puts the old file back
// when the file still holds what the run wrote.
std::string ContentHash(const std::string& bytes);

// The journal of one run. It is written while the plan is made, item by item (a batch of
// 100,000 files is never held in memory for it), into a temporary file that Commit puts in place;
// until then nothing of it counts. `files` writes it (tests pass a failing one).
class JournalWriter {
public:
    JournalWriter(FileSystem& files, std::string root);
    ~JournalWriter();
    JournalWriter(const JournalWriter&) = delete;
    JournalWriter& operator=(const JournalWriter&) = delete;

    // Starts the journal of a run in `directory`; false with the reason when it cannot.
    bool Begin(const std::string& directory, std::string* error);
    // One planned item; only renames are kept.
    void Add(const PlanItem& item);
    // Puts the journal in place, with the description file's bytes before the run. When it
    // cannot, a note saying why takes its place where possible, and false comes back with the
    // reason.
    bool Commit(const Plan& plan, std::string* error);
    // The same in one step, for a plan that holds its items.
    bool Write(const std::string& directory, const Plan& plan, std::string* error);
    // After the run: the description file's bytes now (none: it does not exist).
    bool Finish(const std::optional<std::string>& descriptions, std::string* error);

private:
    void WriteUnavailable(const std::string& reason);
    bool WriteBeside(const std::string& path, const std::string& text, std::string* error);
    void Prune();

    FileSystem& files_;
    std::string root_;
    std::string directory_;  // the panel directory
    std::string journals_;   // where its journals are
    std::unique_ptr<TempFile> temp_;
    std::unique_ptr<WritableFile> file_;
    std::unique_ptr<BufferedOutput> output_;
    std::size_t renames_ = 0;
    std::string path_;  // the journal put in place by Commit
};

enum class JournalLookup {
    Found,
    None,        // no run of this directory is journaled
    Unreadable,  // the latest journal cannot be read or is damaged (error says why)
};

// The most recent run journaled for `directory`; *path is its journal file.
JournalLookup ReadLatestRun(const std::string& root, const std::string& directory, JournalRun* run,
                            std::string* path, std::string* error);

// Marks the run of that journal file as taken back.
bool MarkUndone(FileSystem& files, const std::string& journalPath, std::string* error);

}  // namespace velmora::host
