// Task-level access to the operating system: files, temporary files, the settings registry and
// a clock.
// One implementation per system (posix/, win32/) is picked by the build; tests may install their
// own (for example one that makes the Nth operation fail). No system type appears here.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <system_error>
#include <utility>
#include <vector>

namespace velmora {

// What a file operation came to: success, or the system's reason for the failure. It tests true
// on success, so `if (!files.Delete(name))` reads as a yes/no question where the reason does not
// matter.
class [[nodiscard]] FileResult {
public:
    FileResult() = default;
    // A failure; an empty code (a failure the system gave no reason for) becomes an I/O error.
    explicit FileResult(std::error_code error)
        : error_(error ? error : std::make_error_code(std::errc::io_error)) {}
    static FileResult Success() { return FileResult(); }
    explicit operator bool() const { return !error_; }
    const std::error_code& Error() const { return error_; }
    // True for a failure that says the target name is taken (a move or exclusive create that
    // refuses to replace), in the system's own words or as std::errc::file_exists.
    bool TargetExists() const;

private:
    std::error_code error_;
};

// File attribute bits, with the values the host uses.
constexpr std::uint32_t kAttrReadOnly = 0x1;
constexpr std::uint32_t kAttrHidden = 0x2;
constexpr std::uint32_t kAttrSystem = 0x4;
constexpr std::uint32_t kAttrDirectory = 0x10;
constexpr std::uint32_t kAttrArchive = 0x20;
// A count of bytes to read that takes a whole file.
constexpr std::size_t kWholeFile = static_cast<std::size_t>(-1);
// What the attribute query gives for a path that cannot be queried.
constexpr std::uint32_t kNoAttributes = 0xFFFFFFFFu;

// One entry of a directory, as a listing or a query gives it.
struct DirectoryEntry {
    std::string name;          // bare name, bytes as the system gives them
    std::uint32_t attributes;  // host attribute bits (above)
    std::uint64_t size;
    std::uint64_t writeTime;  // FILETIME-style 100 ns ticks since 1601, 0 when unknown
    // The creation time as the host's panel gives it: Windows' own; on POSIX the status change
    // time (st_ctime), which far2l puts there.
    std::uint64_t creationTime = 0;
};

// A file open for writing; closed by its destructor when not closed before.
class WritableFile {
public:
    virtual ~WritableFile() = default;
    // One write of all `size` bytes; true only when every byte was written. A failed write takes
    // back what it wrote where the system allows, so the file ends with the last whole write.
    virtual FileResult Write(const char* data, std::size_t size) = 0;
    // The file's current size; false when it cannot be queried.
    virtual FileResult Size(std::uint64_t* size) = 0;
    // Closes the file; false when the system reports a failure (data may be lost).
    virtual FileResult Close() = 0;
};

// A regular file open for reading at any place; closed by its destructor.
class ReadableFile {
public:
    virtual ~ReadableFile() = default;
    // The file's size when it was opened.
    virtual std::uint64_t Size() const = 0;
    // Up to `count` bytes from `offset` on (fewer at the end of the file) into *bytes.
    virtual FileResult ReadAt(std::uint64_t offset, std::size_t count, std::string* bytes) = 0;
};

// ReadAt as the systems' readable files make it: up to `count` bytes from `offset` of a file that
// had `size` bytes when it was opened, through `readSome`, which reads at most n bytes at a place
// into `to` and sets *got (0 at the end of the file). A place past the end gives nothing; a file
// that shrank since it was opened ends the read early, and nothing is made up.
FileResult ReadWithin(
    std::uint64_t size, std::uint64_t offset, std::size_t count, std::string* bytes,
    const std::function<FileResult(std::uint64_t at, char* to, std::size_t n, std::size_t* got)>& readSome);

class FileSystem {
public:
    virtual ~FileSystem() = default;

    // Attribute bits of a path relative to the current directory, or kNoAttributes.
    virtual std::uint32_t Attributes(const std::string& path) = 0;
    // Renames a file or directory; never replaces an existing target.
    virtual FileResult MoveNoReplace(const std::string& from, const std::string& to) = 0;
    // A new batch of moves begins: what the file system learned of a folder in the last one (that
    // its file system cannot refuse a taken name in one step) is found out afresh.
    virtual void NewBatch() {}
    // Reads up to `count` bytes from the start of a file (fewer when it is shorter) into *bytes;
    // kWholeFile reads all of it. Storage grows with what is read, not with `count`.
    virtual FileResult ReadStart(const std::string& path, std::size_t count, std::string* bytes) = 0;
    // Deletes a file (not a directory).
    virtual FileResult Delete(const std::string& path) = 0;
    // True when both paths exist and name the very same file (as a case-only rename does on
    // a case-insensitive file system).
    virtual bool SameFile(const std::string& a, const std::string& b) = 0;

    // The system's temporary directory with a trailing separator; empty when there is none.
    virtual std::string TempDirectory() = 0;
    // Creates a new empty file named directory + prefix + hex number + ".tmp", exclusively, as
    // GetTempFileName does with unique number 0, and sets *name to it (untouched on failure). An
    // empty directory is the current one, and the name is then bare.
    virtual FileResult CreateTempFile(const std::string& directory, const std::string& prefix,
                                      std::string* name) = 0;
    // Opens an existing or new file for writing and truncates it; *file stays null on failure.
    virtual FileResult OpenForWriting(const std::string& path, std::unique_ptr<WritableFile>* file) = 0;
    // Puts `from` in the place of `to` in one step; `to` may exist and is replaced. Works across
    // file systems by copying `from` beside `to` first. Keeps `to`'s hidden attribute where the
    // system has one. False (and `to` untouched) when it cannot.
    virtual FileResult ReplaceAtomically(const std::string& from, const std::string& to) = 0;
    // A new empty file opened for writing, under exactly this name: fails when anything is there
    // already (a link too, even a dangling one). By default "not supported".
    virtual FileResult CreateNewForWriting(const std::string& path, std::unique_ptr<WritableFile>* file);
    // Sets attribute bits (kAttrHidden) on a file, keeping the ones it has. Only the systems whose
    // files carry such bits do it; the others answer "not supported".
    virtual FileResult AddAttributes(const std::string& path, std::uint32_t bits);
    // Gives `existing`, a plain file known by no other name, the second name `link` on the same
    // volume, so that its bytes stay there when the first name is replaced. Fails for anything
    // else (a link, a file with other names, another volume, a system without such names); by
    // default it is "not supported".
    virtual FileResult LinkSoleFile(const std::string& existing, const std::string& link);
    // Opens a regular file for reading, and nothing else: a directory, a FIFO, a device or a
    // socket, whatever its name, is refused without waiting on it (reading one could block for
    // ever or have effects). *file stays null on failure. By default "not supported".
    virtual FileResult OpenForReading(const std::string& path, std::unique_ptr<ReadableFile>* file);

    // What the undo journal needs besides. A file system that keeps no journal (a simulation, a
    // test's stand-in) may leave them: by default each fails, and a run without a journal still
    // runs.

    // Every entry of a directory except "." and "..", in the system's order; false with a reason
    // ("call(DIR): reason") when it cannot be read.
    virtual bool ListDirectory(const std::string& directory, std::vector<DirectoryEntry>* entries,
                               std::string* error);
    // The entries of a directory as the listing itself tells them, without a query per entry:
    // where the system lists names alone (POSIX) an entry's attributes are only its directory
    // bit and what its name says (read-only is not known), and size and time are 0. For a
    // folder's names in bulk; by default ListDirectory.
    virtual bool ListNames(const std::string& directory, std::vector<DirectoryEntry>* entries);
    // One entry as ListDirectory would give it (entry->name is left alone); false when the path
    // names nothing.
    virtual bool Query(const std::string& path, DirectoryEntry* entry);
    // Creates a directory and any missing parents, for the user alone where the system can say
    // so; true when it exists afterwards.
    virtual bool MakeDirectories(const std::string& path, std::string* error);
    // An environment variable in this file system's encoding of names; "" when unset.
    virtual std::string Environment(const char* name);
    // Where per-user state lives by the system's convention (~/.local/state, %LOCALAPPDATA%);
    // "" when the system says nothing.
    virtual std::string StateDirectory();
    // A directory's absolute name as the system spells it (links resolved on POSIX, the long
    // form on Windows), without a trailing separator, so that two names of one folder are one
    // string; the path as it is when it cannot be resolved.
    virtual std::string FullPath(const std::string& path);
};

// A whole file's bytes through `files`; false with a reason when it cannot be read.
bool ReadWholeFile(FileSystem& files, const std::string& path, std::string* bytes, std::string* error);
// `text` as the whole of the file at `path` (made or truncated), written and closed through `files`.
FileResult WriteWholeFile(FileSystem& files, const std::string& path, std::string_view text);

// One value of a batch write: text stored as a string value (REG_SZ) or a 32-bit number
// (REG_DWORD).
struct RegistryWrite {
    static RegistryWrite String(std::string name, std::string text) {
        return RegistryWrite{std::move(name), false, std::move(text), 0};
    }
    static RegistryWrite Dword(std::string name, std::uint32_t number) {
        return RegistryWrite{std::move(name), true, std::string(), number};
    }

    std::string name;
    bool isDword = false;
    std::string text;
    std::uint32_t number = 0;
};

// The current user's settings tree (HKEY_CURRENT_USER on Windows, a REGEDIT4 file elsewhere).
// Key paths are relative to the root and use "\" between components.
class Registry {
public:
    virtual ~Registry() = default;
    // The stored bytes of a value, whatever its type. False when the key or value is missing or
    // the value holds more than `capacity` bytes.
    virtual bool Read(const std::string& keyPath, const std::string& valueName, std::size_t capacity,
                      std::string* bytes) = 0;
    // Stores text as a string value (REG_SZ), terminator included in its stored size.
    virtual bool WriteString(const std::string& keyPath, const std::string& valueName,
                             const std::string& text) = 0;
    // Stores a 32-bit number (REG_DWORD).
    virtual bool WriteDword(const std::string& keyPath, const std::string& valueName,
                            std::uint32_t value) = 0;
    // Stores several values of one key, in this order; true when all were stored. By default one
    // write each, every one tried; a store kept in a file replaces it once for the whole batch,
    // so that it holds all of them or none.
    virtual bool WriteValues(const std::string& keyPath, const std::vector<RegistryWrite>& values);
    // The names of the keys right below a key, as the store spells them, in no particular order.
    // False (and none) when the key itself is not there; a store that keeps no keys has none.
    virtual bool Subkeys(const std::string& keyPath, std::vector<std::string>* names);
    // Removes a key with its values and the keys below it; true when it is gone afterwards (a key
    // that was never there is gone too).
    virtual bool DeleteKey(const std::string& keyPath);
};

// Milliseconds since some fixed moment, never going back: what paces the progress a run shows.
// Not for telling the time of day.
class Clock {
public:
    virtual ~Clock() = default;
    virtual std::uint64_t Milliseconds() = 0;
};

// A moment as the user's calendar and clock show it (the system's time zone).
struct LocalFields {
    int year = 1601;
    int month = 1;
    int day = 1;
    int hour = 0;
    int minute = 0;
    int second = 0;
};

// FILETIME ticks (100 ns since 1601, UTC) as the host's panel shows them, in local time: what
// Windows' FileTimeToLocalFileTime and FileTimeToSystemTime give, localtime_r elsewhere. False
// when the system cannot say (a time out of its range). Asks the system for nothing per call once
// the time zone is known.
bool LocalTimeOfTicks(std::uint64_t ticks, LocalFields* local);
// The time of day now, as FILETIME ticks.
std::uint64_t WallClockTicks();

// The file system, registry and clock the plug-in uses: the system's, unless a test installed
// its own.
FileSystem& Files();
Registry& Settings();
Clock& MonotonicClock();
// Installs a replacement (null restores the system's). The caller keeps ownership.
void SetFileSystem(FileSystem* replacement);
void SetRegistry(Registry* replacement);
void SetClock(Clock* replacement);

// The system's own implementations.
FileSystem& SystemFileSystem();
Registry& SystemRegistry();
Clock& SystemClock();

}  // namespace velmora
