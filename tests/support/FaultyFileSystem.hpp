// A file system for tests: passes every operation on to another one (the system's by default),
// records it, and fails the operations it was told to fail the way a real system would (nothing
// moved, nothing deleted, no file opened, a write that stops half way).
#pragma once

#include <cerrno>
#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "platform/Platform.hpp"

namespace velmora::test {

class FaultyFileSystem : public FileSystem {
public:
    // Operation kinds, as they appear in the log: Attributes, MoveNoReplace, ReadStart,
    // OpenForReading, Delete,
    // SameFile, TempDirectory, CreateTempFile, OpenForWriting, ReplaceAtomically, ListDirectory,
    // ListNames, CreateNewForWriting, Query, MakeDirectories, Write, Size, Prepend, ReadBack, Overwrite,
    // Close.
    explicit FaultyFileSystem(FileSystem* inner = nullptr);

    // Fails the nth operation counted over all kinds (1 = the first one from now on).
    void FailOperation(int n);
    // Fails the nth operation of one kind, counted from now on.
    void FailOperation(const std::string& kind, int n);
    // Fails every operation of one kind from now on.
    void FailEvery(const std::string& kind);
    // A failed Write writes the first half of its bytes before failing, like a full disk.
    void SetPartialWrites(bool partial) { partialWrites_ = partial; }
    // Forgets the failures not yet triggered and restarts the counts.
    void ClearFailures();

    // Every operation so far, one entry each: "Attributes(a.txt)", "MoveNoReplace(a,b)",
    // "Write(/tmp/VL1.tmp)"; a failed one ends in " -> injected failure".
    const std::vector<std::string>& Log() const { return log_; }
    std::string LogText() const;  // the log, one entry a line
    void ClearLog() { log_.clear(); }
    // How many operations of this kind were made so far.
    int Count(const std::string& kind) const;

    std::uint32_t Attributes(const std::string& path) override;
    FileResult MoveNoReplace(const std::string& from, const std::string& to) override;
    FileResult ReadStart(const std::string& path, std::size_t count, std::string* bytes) override;
    FileResult OpenForReading(const std::string& path, std::unique_ptr<ReadableFile>* file) override;
    FileResult Delete(const std::string& path) override;
    bool SameFile(const std::string& a, const std::string& b) override;
    std::string TempDirectory() override;
    FileResult CreateTempFile(const std::string& directory, const std::string& prefix,
                              std::string* name) override;
    FileResult OpenForWriting(const std::string& path, std::unique_ptr<WritableFile>* file) override;
    FileResult CreateNewForWriting(const std::string& path, std::unique_ptr<WritableFile>* file) override;
    FileResult ReplaceAtomically(const std::string& from, const std::string& to) override;
    // The journal's: listing, queries and new directories are logged and can fail; the
    // environment and the names of places are the inner file system's.
    bool ListDirectory(const std::string& directory, std::vector<DirectoryEntry>* entries,
                       std::string* error) override;
    bool ListNames(const std::string& directory, std::vector<DirectoryEntry>* entries) override;
    bool Query(const std::string& path, DirectoryEntry* entry) override;
    bool MakeDirectories(const std::string& path, std::string* error) override;
    std::string Environment(const char* name) override { return inner_.Environment(name); }
    std::string StateDirectory() override { return inner_.StateDirectory(); }
    std::string FullPath(const std::string& path) override { return inner_.FullPath(path); }

    // Used by the files this file system hands out.
    bool Record(const std::string& kind, const std::string& arguments);
    bool partialWrites() const { return partialWrites_; }

private:
    FileSystem& inner_;
    std::vector<std::string> log_;
    int operations_ = 0;
    std::map<std::string, int> counts_;
    std::vector<int> failAt_;
    std::map<std::string, std::vector<int>> failKindAt_;
    std::vector<std::string> failEvery_;
    bool partialWrites_ = false;
};

// The name of a new temporary file, or "" when none could be made.
inline std::string CreatedTempFile(FileSystem& files, const std::string& directory,
                                   const std::string& prefix) {
    std::string name;
    return files.CreateTempFile(directory, prefix, &name) ? name : std::string();
}

// A file opened for writing, or null.
inline std::unique_ptr<WritableFile> OpenedForWriting(FileSystem& files, const std::string& path) {
    std::unique_ptr<WritableFile> file;
    (void)files.OpenForWriting(path, &file);
    return file;
}

// Installs a file system for the lifetime of the object; the system's is back afterwards.
class ScopedFileSystem {
public:
    explicit ScopedFileSystem(FileSystem* files) { SetFileSystem(files); }
    ~ScopedFileSystem() { SetFileSystem(nullptr); }
    ScopedFileSystem(const ScopedFileSystem&) = delete;
    ScopedFileSystem& operator=(const ScopedFileSystem&) = delete;
};

#if !defined(_WIN32)
// For the lifetime of the object, the system's one-step move without replacing fails as on a file
// system that lacks it (EINVAL, or ENOSYS for a kernel without the call), so that every move
// takes the fallback.
class ScopedRenameFallback {
public:
    explicit ScopedRenameFallback(int error = EINVAL);
    ~ScopedRenameFallback();
    ScopedRenameFallback(const ScopedRenameFallback&) = delete;
    ScopedRenameFallback& operator=(const ScopedRenameFallback&) = delete;
    // How many moves were refused so far: proof that the moves went this way.
    int Refusals() const;
};
#endif

}  // namespace velmora::test
