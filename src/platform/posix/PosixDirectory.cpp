// The POSIX file system's directory listing, queries, directory creation, environment and state
// directory: what the undo journal needs of the system, shared with the velmora host's panel.
#include <dirent.h>
#include <fcntl.h>
#include <limits.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <time.h>
#include <unistd.h>

#include <cerrno>
#include <memory>

#include "platform/posix/PosixCommon.hpp"

namespace velmora::posix {
namespace {

std::string Failure(const char* call, const std::string& path, int error) {
    return std::string(call) + "(" + path + "): " + ErrorText(error);
}

// The query made of each entry: a link shows what it points to; a dangling one shows itself, so
// that it can still be renamed.
bool StatEntry(int dirFd, const char* name, DirectoryEntry* item) {
    struct stat status {};
    if (::fstatat(dirFd, name, &status, 0) != 0 && ::fstatat(dirFd, name, &status, AT_SYMLINK_NOFOLLOW) != 0)
        return false;
    item->attributes = AttributesFromStat(status, name);
    item->size = S_ISDIR(status.st_mode) ? 0 : static_cast<std::uint64_t>(status.st_size);
    item->writeTime = FileTimeTicks(status.st_mtim);
    item->creationTime = FileTimeTicks(status.st_ctim);
    return true;
}

}  // namespace

bool ListDirectory(const std::string& directory, std::vector<DirectoryEntry>* entries, std::string* error) {
    entries->clear();
    std::unique_ptr<DIR, int (*)(DIR*)> dir(::opendir(directory.c_str()), &::closedir);
    if (!dir) {
        *error = Failure("opendir", directory, errno);
        return false;
    }
    const int dirFd = ::dirfd(dir.get());
    for (;;) {
        errno = 0;
        const struct dirent* entry = ::readdir(dir.get());
        if (!entry) {
            if (errno != 0) {
                *error = Failure("readdir", directory, errno);
                return false;
            }
            return true;
        }
        const std::string name = entry->d_name;
        if (name == "." || name == "..")
            continue;
        DirectoryEntry item{name, 0, 0, 0};
        // Gone between readdir and the query: leave it out, as the next listing would.
        if (!StatEntry(dirFd, entry->d_name, &item))
            continue;
        entries->push_back(std::move(item));
    }
}

bool ListNames(const std::string& directory, std::vector<DirectoryEntry>* entries) {
    entries->clear();
    std::unique_ptr<DIR, int (*)(DIR*)> dir(::opendir(directory.c_str()), &::closedir);
    if (!dir)
        return false;
    const int dirFd = ::dirfd(dir.get());
    for (;;) {
        errno = 0;
        const struct dirent* entry = ::readdir(dir.get());
        if (!entry)
            return errno == 0;
        const std::string name = entry->d_name;
        if (name == "." || name == "..")
            continue;
        DirectoryEntry item{name, 0, 0, 0};
        // The entry's type answers for most; a link (which shows what it points to) or a file
        // system that gives no type is asked.
        if (entry->d_type == DT_LNK || entry->d_type == DT_UNKNOWN) {
            if (!StatEntry(dirFd, entry->d_name, &item))
                continue;
        } else {
            const bool directory = entry->d_type == DT_DIR;
            item.attributes = (directory ? kAttrDirectory : 0) | (IsHiddenName(name) ? kAttrHidden : 0);
            if (!directory && !(item.attributes & kAttrHidden))
                item.attributes |= kAttrArchive;
        }
        entries->push_back(std::move(item));
    }
}

bool QueryEntry(const std::string& path, DirectoryEntry* entry) {
    return StatEntry(AT_FDCWD, path.c_str(), entry);
}

bool MakeDirectories(const std::string& path, std::string* error) {
    struct stat status {};
    if (::stat(path.c_str(), &status) == 0) {
        if (S_ISDIR(status.st_mode))
            return true;
        *error = Failure("mkdir", path, ENOTDIR);
        return false;
    }
    const std::size_t slash = path.find_last_of('/', path.size() > 1 ? path.size() - 2 : 0);
    if (slash != std::string::npos && slash > 0 && !MakeDirectories(path.substr(0, slash), error))
        return false;
    // Private: the state kept here names the user's files.
    if (::mkdir(path.c_str(), 0700) == 0 || errno == EEXIST)
        return true;
    *error = Failure("mkdir", path, errno);
    return false;
}

std::string Environment(const char* name) {
    const char* value = ::getenv(name);
    return value ? value : std::string();
}

std::string StateDirectory() {
    const std::string home = Environment("HOME");
    return home.empty() ? std::string() : home + "/.local/state";
}

std::string FullPath(const std::string& path) {
    std::unique_ptr<char, void (*)(void*)> resolved(::realpath(path.c_str(), nullptr), &::free);
    std::string full = resolved ? std::string(resolved.get()) : path;
    while (full.size() > 1 && full.back() == '/')
        full.pop_back();
    return full;
}

}  // namespace velmora::posix
