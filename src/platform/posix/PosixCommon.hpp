// Helpers shared by the POSIX file system, registry and host system code. Internal to posix/.
#pragma once

#include <sys/stat.h>
#include <time.h>

#include <cstdint>
#include <string>
#include <vector>

#include "platform/Platform.hpp"

namespace velmora::posix {

// Owns a file descriptor: closed when the owner goes, on every path.
class UniqueFd {
public:
    UniqueFd() = default;
    explicit UniqueFd(int fd) : fd_(fd) {}
    UniqueFd(UniqueFd&& other) noexcept : fd_(other.Release()) {}
    UniqueFd& operator=(UniqueFd&& other) noexcept {
        if (this != &other) {
            Close();
            fd_ = other.Release();
        }
        return *this;
    }
    UniqueFd(const UniqueFd&) = delete;
    UniqueFd& operator=(const UniqueFd&) = delete;
    ~UniqueFd() { Close(); }

    bool IsOpen() const { return fd_ >= 0; }
    int Get() const { return fd_; }
    int Release() {
        const int fd = fd_;
        fd_ = -1;
        return fd;
    }
    // False (errno set) when close reports an error; the descriptor is gone either way, so it is
    // never closed twice. errno is kept when there was nothing to close.
    bool Close();

private:
    int fd_ = -1;
};

// The result of a call that reports its failure through errno.
inline FileResult ErrnoResult(bool ok, int error) {
    return ok ? FileResult::Success() : FileResult(std::error_code(error, std::generic_category()));
}

// Host attribute bits for a file with this status and this path (only its last component
// matters): a directory gives 16, a name starting with "." adds hidden, a missing owner write
// permission adds read-only, and a non-directory with neither gets archive.
std::uint32_t AttributesFromStat(const struct stat& status, const std::string& path);
// A name starting with a dot, other than "." and "..": hidden, as the hosts take it.
bool IsHiddenName(const std::string& path);

// Seconds between 1601-01-01 (the FILETIME epoch) and 1970-01-01, and FILETIME's ticks a second.
constexpr std::uint64_t kFileTimeEpochSeconds = 11644473600ull;
constexpr std::uint64_t kFileTimeTicksPerSecond = 10000000ull;
// A POSIX time as FILETIME ticks (100 ns since 1601); 0 before 1601.
std::uint64_t FileTimeTicks(const struct timespec& time);

// The text of an errno value, for "call(path): reason" messages.
std::string ErrorText(int error);

// Writes every byte, retrying partial writes and interruptions; false (errno set) on failure.
bool WriteAll(int fd, const char* data, std::size_t size);

// Reads everything from the descriptor's current position; false (errno set) on failure.
bool ReadAll(int fd, std::string* contents);

// Creates a new file named directory + prefix + hex number + ".tmp" exclusively (O_EXCL, so an
// existing name or a planted symbolic link is never opened) and returns its open descriptor
// (not open, errno set, on failure).
UniqueFd CreateExclusiveTempFile(const std::string& directory, const std::string& prefix, mode_t mode,
                                 std::string* name);

// The one-step rename that never replaces (renameat2 with RENAME_NOREPLACE): 0, or -1 with
// errno set. Tests install their own to take the path of file systems that refuse it (EINVAL,
// ENOSYS); null puts the system's back.
using RenameNoReplaceCall = int (*)(const char* from, const char* to);
void SetRenameNoReplace(RenameNoReplaceCall call);

// The file system's directory work (PosixDirectory.cpp), in FileSystem's terms.
bool ListDirectory(const std::string& directory, std::vector<DirectoryEntry>* entries, std::string* error);
bool ListNames(const std::string& directory, std::vector<DirectoryEntry>* entries);
bool QueryEntry(const std::string& path, DirectoryEntry* entry);
bool MakeDirectories(const std::string& path, std::string* error);
std::string Environment(const char* name);
std::string StateDirectory();
std::string FullPath(const std::string& path);

// The directory part of a path with a trailing "/", or "" for a bare name.
std::string DirectoryOf(const std::string& path);

}  // namespace velmora::posix
