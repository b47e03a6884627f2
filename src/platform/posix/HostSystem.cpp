// What the velmora host needs from a POSIX system.
#include "platform/HostSystem.hpp"

#include <dirent.h>
#include <dlfcn.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <time.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <memory>
#include <system_error>

#include "platform/Platform.hpp"
#include "platform/posix/PosixCommon.hpp"

namespace velmora::host {
namespace {

// Seconds between 1601-01-01 (the FILETIME epoch) and 1970-01-01.
constexpr std::uint64_t kEpochDifference = 11644473600ull;

std::uint64_t FileTimeTicks(const struct timespec& time) {
    if (time.tv_sec < 0 && static_cast<std::uint64_t>(-time.tv_sec) > kEpochDifference)
        return 0;
    const std::uint64_t seconds =
        static_cast<std::uint64_t>(static_cast<std::int64_t>(kEpochDifference) + time.tv_sec);
    return seconds * 10000000ull + static_cast<std::uint64_t>(time.tv_nsec) / 100;
}

std::string Failure(const char* call, const std::string& path, int error) {
    return std::string(call) + "(" + path + "): " + posix::ErrorText(error);
}

// The query ReadDirectory makes of each entry: a link shows what it points to; a dangling one
// shows itself, so that it can still be renamed.
bool StatEntry(int dirFd, const char* name, DirectoryEntry* item) {
    struct stat status {};
    if (::fstatat(dirFd, name, &status, 0) != 0 && ::fstatat(dirFd, name, &status, AT_SYMLINK_NOFOLLOW) != 0)
        return false;
    item->attributes = posix::AttributesFromStat(status, name);
    item->size = S_ISDIR(status.st_mode) ? 0 : static_cast<std::uint64_t>(status.st_size);
    item->writeTime = FileTimeTicks(status.st_mtim);
    return true;
}

}  // namespace

bool ReadDirectory(const std::string& directory, std::vector<DirectoryEntry>* entries, std::string* error) {
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

bool ChangeDirectory(const std::string& directory, std::string* error) {
    if (::chdir(directory.c_str()) == 0)
        return true;
    *error = Failure("chdir", directory, errno);
    return false;
}

std::string ExecutableDirectory() {
    std::string path(256, '\0');
    for (;;) {
        const ssize_t length = ::readlink("/proc/self/exe", &path[0], path.size());
        if (length < 0)
            return std::string();
        if (static_cast<std::size_t>(length) < path.size()) {
            path.resize(static_cast<std::size_t>(length));
            break;
        }
        path.resize(path.size() * 2);
    }
    return posix::DirectoryOf(path);
}

Module::~Module() {
    if (handle_)
        ::dlclose(handle_);
}

bool Module::Load(const std::string& path, std::string* error) {
    if (handle_) {
        ::dlclose(handle_);
        handle_ = nullptr;
    }
    // A bare name would make dlopen search the system's library path instead of this directory.
    const std::string where = path.find('/') == std::string::npos ? "./" + path : path;
    handle_ = ::dlopen(where.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (handle_)
        return true;
    const char* reason = ::dlerror();
    *error = "dlopen(" + path + "): " + (reason ? reason : "unknown error");
    return false;
}

void* Module::Symbol(const char* name) const {
    return handle_ ? ::dlsym(handle_, name) : nullptr;
}

bool IsTerminal(int fd) {
    return ::isatty(fd) == 1;
}

bool ReadWholeFile(const std::string& path, std::string* contents, std::string* error) {
    const posix::UniqueFd fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
    if (!fd.IsOpen()) {
        *error = Failure("open", path, errno);
        return false;
    }
    const bool ok = posix::ReadAll(fd.Get(), contents);
    if (!ok)
        *error = Failure("read", path, errno);
    return ok;
}

std::string Environment(const char* name) {
    const char* value = std::getenv(name);
    return value ? value : std::string();
}

void UseHostCodePage() {}

std::vector<std::string> ProgramArguments(int argc, char** argv) {
    return std::vector<std::string>(argv + (argc > 0 ? 1 : 0), argv + argc);
}

std::string TextInHostCodePage(const std::string& contents) {
    return contents;
}

bool ConvertsConsoleText() {
    return false;
}

bool WriteToConsole(int /*fd*/, const std::string& /*text*/) {
    return false;
}

std::string ConsoleText(const std::string& text) {
    return text;
}

std::string CurrentDirectory() {
    std::error_code ec;
    std::string directory = std::filesystem::current_path(ec).string();
    return ec ? std::string() : directory;
}

std::filesystem::path StreamPath(const std::string& path) {
    return std::filesystem::path(path);
}

bool ReadStandardInput(std::string* contents, std::string* error) {
    if (posix::ReadAll(STDIN_FILENO, contents))
        return true;
    *error = Failure("read", "standard input", errno);
    return false;
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

std::string DefaultStateDirectory() {
    const std::string home = Environment("HOME");
    return home.empty() ? std::string() : home + "/.local/state";
}

}  // namespace velmora::host
