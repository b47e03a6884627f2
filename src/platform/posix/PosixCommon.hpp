// Helpers shared by the POSIX file system, registry and host system code. Internal to posix/.
#pragma once

#include <sys/stat.h>

#include <cstdint>
#include <string>

namespace velmora::posix {

// Host attribute bits for a file with this status and this path (only its last component
// matters): a directory gives 16, a name starting with "." adds hidden, a missing owner write
// permission adds read-only, and a non-directory with neither gets archive.
std::uint32_t AttributesFromStat(const struct stat& status, const std::string& path);

// The text of an errno value, for "call(path): reason" messages.
std::string ErrorText(int error);

// Writes every byte, retrying partial writes and interruptions; false (errno set) on failure.
bool WriteAll(int fd, const char* data, std::size_t size);

// Reads everything from the descriptor's current position; false (errno set) on failure.
bool ReadAll(int fd, std::string* contents);

// Creates a new file named directory + prefix + hex number + ".tmp" exclusively (O_EXCL, so an
// existing name or a planted symbolic link is never opened) and returns its open descriptor, or -1.
int CreateExclusiveTempFile(const std::string& directory, const std::string& prefix, mode_t mode,
                            std::string* name);

// The directory part of a path with a trailing "/", or "" for a bare name.
std::string DirectoryOf(const std::string& path);

}  // namespace velmora::posix
