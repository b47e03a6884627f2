// The undo journal, one for every host. Before a run renames anything, every rename it will try
// (in order, with the size and write time by which the file is known again) and the description
// file's bytes are written to <state>/velmora/<directory key>/NNNNNNNN.journal (the old description
// file itself goes beside it as NNNNNNNN.before, a second name of it, where it can); after the run,
// NNNNNNNN.done says that it finished, how many renames were done and what the description file
// held then. A run killed half-way has a journal and no .done: undo then goes by what it finds on
// disk. The last 20 runs of each directory are kept, and at most 64 MB of journals in all, the
// oldest going first. Writing the journal is never a reason for a run to fail.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/Fingerprint.hpp"
#include "platform/Platform.hpp"
#include "platform/TempFile.hpp"

namespace velmora {

class BufferedOutput;

// How many runs of one directory are kept.
constexpr int kJournalRuns = 20;
// How many bytes the journals of every directory may take together (the old description files
// kept beside them included). The run just journaled is kept whatever its size: a batch of
// 100,000 files takes about 10 MB.
constexpr std::uint64_t kJournalBytes = 64ull * 1024 * 1024;

// What the journals may keep; tests make them small.
struct JournalLimits {
    std::size_t runs = kJournalRuns;
    std::uint64_t bytes = kJournalBytes;
};
// The journal's format: 2 keeps the old description file as a second name of it beside the
// journal (NNNNNNNN.before) where the system allows, else its bytes as they are after their line
// (1 had them in a JSON string), and fingerprints with XXH64 (1: FNV-1a). Keys a build does not
// know are read past, so a key added later (the header's "template") needs no new version.
constexpr int kJournalVersion = 2;

struct JournalRename {
    std::string oldName;
    std::string newName;
    std::uint64_t size = 0;
    std::uint64_t writeTime = 0;
    // The old name is the run's temporary name, under which the file stood aside to break a cycle
    // of names ("aside" on its line; builds before it read the line as any other rename).
    bool aside = false;
};

struct JournalRun {
    int version = 1;                    // the journal's format
    std::string directory;              // the panel directory, absolute
    std::optional<std::uint64_t> time;  // when the run began, seconds since 1970 (UTC)
    std::string nameTemplate;           // the run's name template ("" when the journal does not say)
    std::vector<JournalRename> renames;
    std::string descriptionFile;                    // "" when the run does not rewrite descriptions
    std::optional<std::string> descriptionsBefore;  // none: there was no such file
    std::optional<std::string> plannedHash;         // of the bytes the run meant to write, when known
    // The new description file's temporary name beside the old one, recorded before it was made
    // ("" in journals of runs that made none, or of builds that did not record it).
    std::string tempDescriptions;
    // From the .done file: the run finished, the first `renamed` renames were done (when it says),
    // and this is what the description file held then.
    bool finished = false;
    std::optional<std::uint64_t> renamed;
    std::optional<std::string> writtenHash;
    bool undone = false;
    std::string unavailable;  // why the run could not be journaled ("" when it was)
};

// Where journals live: $XDG_STATE_HOME/velmora when that is an absolute path, else the system's
// per-user state directory (~/.local/state/velmora, %LOCALAPPDATA%\Velmora), else `fallback`
// (a host with a folder of its own for it); "" when there is none.
std::string JournalRoot(FileSystem& files, const std::string& fallback = std::string());
// A short, stable name for a directory's journals.
std::string DirectoryKey(const std::string& directory);
// A fingerprint of description bytes, as journals of that version take it (64 bits, in hex): undo
// only puts the old file back when the file still holds what the run wrote.
std::string ContentHash(std::string_view bytes, int journalVersion);

// The fingerprint of bytes that come in pieces, as ContentHash of them all takes it for journals
// written now.
class ContentHasher {
public:
    void Add(std::string_view piece) { stream_.Update(piece); }
    std::string Text() const;

private:
    Xxh64Stream stream_;
};

// The journal of one run. It is written item by item (a batch of 100,000 files is never held in
// memory for it) into a temporary file that Commit puts in place; until then nothing of it
// counts.
class JournalWriter {
public:
    JournalWriter(FileSystem& files, std::string root);
    ~JournalWriter();
    JournalWriter(const JournalWriter&) = delete;
    JournalWriter& operator=(const JournalWriter&) = delete;

    // Starts the journal of a run in `directory` (keyed by its FileSystem::FullPath); false with
    // the reason when it cannot.
    bool Begin(const std::string& directory, std::string* error);
    // The run's name template, for the list of a folder's runs, or that its names were edited by
    // hand (the template made none of them); before Begin.
    void Template(const std::string& text, bool edited) {
        template_ = edited ? std::string() : text;
        edited_ = edited;
    }
    // What the journals keep, for the pruning after Commit.
    void Limits(const JournalLimits& limits) { limits_ = limits; }
    // One rename the run will try, with the file's size and write time as the panel has them.
    // `aside`: the old name is the run's temporary name (see JournalRename).
    void Add(std::string_view oldName, std::string_view newName, std::uint64_t size, std::uint64_t writeTime,
             bool aside = false);
    // The description file the run rewrites and its bytes before the run (none: there is no such
    // file): the old file kept beside the journal under a second name where it can be, else its
    // bytes written into the journal as they are, never copied in memory.
    // Lines may come in any order before Commit.
    void AddDescriptions(const std::string& descriptionFile, const std::optional<std::string>& before,
                         const std::optional<std::string>& planned);
    // Puts the journal in place. `before` is null when the run rewrites no description file, else
    // the file's bytes before the run (none: there is no such file); `planned` the hash of what the
    // run will write there, when known. When it cannot, a note saying why takes its place where
    // possible, and false comes back with the reason.
    bool Commit(const std::string& descriptionFile, const std::optional<std::string>* before,
                const std::optional<std::string>& planned, std::string* error);
    // After the run: how many of the renames were done, and the hash of what the description file
    // holds now (none: it is unknown, or the run did not change it).
    bool Finish(std::size_t renamed, const std::optional<std::string>& written, std::string* error);
    // Just before the run's new description file takes the old one's place: the hash of its bytes,
    // beside the journal, for an undo after a kill before Finish. Finish makes it needless.
    void Replacing(const std::string& hash);
    // Whether Commit put a journal in place.
    bool Committed() const { return !path_.empty(); }
    // The name the new description file's temporary file will be made under, for Commit to record
    // (on the journal's last line, which journals of earlier builds read past).
    void TempDescriptions(const std::string& name) { tempDescriptions_ = name; }
    // After Begin: whether the run journaled last in the folder ended (or was taken back), by its
    // files' names alone; true when there is none. Its folder's full name is *directory.
    bool LastRunEnded(std::string* directory);
    // Takes back a journal Commit put in place, for a run that ends before its first rename: it
    // must not hide the run before it.
    void Retract();

private:
    void WriteUnavailable(const std::string& reason);
    bool KeepBeside(const std::string& descriptionFile, std::size_t size);
    bool PlaceBefore(const std::string& journal, std::string* failure);
    bool WriteBeside(const std::string& path, const std::string& text, std::string* error);
    void Prune();
    void PruneBytes();

    FileSystem& files_;
    std::string root_;
    std::string directory_;  // the panel directory
    std::string journals_;   // where its journals are
    std::string header_;
    std::unique_ptr<TempFile> temp_;
    std::unique_ptr<TempFile> before_;  // the old description file's second name, until Commit
    std::unique_ptr<WritableFile> file_;
    std::unique_ptr<BufferedOutput> output_;
    std::size_t renames_ = 0;
    std::string tempDescriptions_;
    std::string template_;
    bool edited_ = false;
    JournalLimits limits_;
    std::string path_;  // the journal put in place by Commit
};

enum class JournalLookup {
    Found,
    None,        // no run of this directory is journaled
    Unreadable,  // the journal cannot be read or is damaged (error says why)
    Undone,      // every run kept for this directory was taken back
};

// The most recent run journaled for `directory`; *path is its journal file.
JournalLookup ReadLatestRun(FileSystem& files, const std::string& root, const std::string& directory,
                            JournalRun* run, std::string* path, std::string* error);
// The most recent run of `directory` not marked as taken back: the one an undo takes, since a
// run's files are known again only as the runs after it left them.
JournalLookup ReadStandingRun(FileSystem& files, const std::string& root, const std::string& directory,
                              JournalRun* run, std::string* path, std::string* error);
// The run of one journal file of `directory` (None when the file is another folder's).
JournalLookup ReadRunAt(FileSystem& files, const std::string& journalPath, const std::string& directory,
                        JournalRun* run, std::string* error);

// One kept run as a folder's list of them shows it, read from the journal's first and last lines
// only (a run of 100,000 files is not read whole for its line).
struct JournalBatch {
    std::string path;  // its journal file
    std::optional<std::uint64_t> time;
    std::uint64_t files = 0;   // how many files it renamed (it meant to, when it never ended)
    std::string nameTemplate;  // "" when the journal does not say
    bool edited = false;       // its names were edited by hand
    bool undone = false;
    bool unavailable = false;  // its journal could not be written
    bool damaged = false;      // its journal cannot be read
};
// A run's time as the user's clock shows it ("2026-12-08 21:15"); "" when the journal does not say
// or the system cannot.
std::string LocalRunTime(const std::optional<std::uint64_t>& seconds);
// The kept runs of `directory`, newest first.
std::vector<JournalBatch> ListBatches(FileSystem& files, const std::string& root,
                                      const std::string& directory);

// Marks the run of that journal file as taken back.
bool MarkUndone(FileSystem& files, const std::string& journalPath, std::string* error);

}  // namespace velmora
