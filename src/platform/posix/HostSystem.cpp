// What the velmora host needs from a POSIX system.
#include "platform/HostSystem.hpp"

#include <dirent.h>
#include <dlfcn.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
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

std::string Failure(const char* call, const std::string& path, int error) {
    return std::string(call) + "(" + path + "): " + posix::ErrorText(error);
}

}  // namespace

bool ReadDirectory(const std::string& directory, std::vector<DirectoryEntry>* entries, std::string* error) {
    return posix::ListDirectory(directory, entries, error);
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

bool ReadPlainFile(const std::string& path, std::string* contents, std::string* error) {
    const posix::UniqueFd fd(::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
    if (!fd.IsOpen()) {
        *error = Failure("open", path, errno);
        return false;
    }
    struct stat status {};
    if (::fstat(fd.Get(), &status) != 0) {
        *error = Failure("fstat", path, errno);
        return false;
    }
    if (!S_ISREG(status.st_mode)) {
        *error = Failure("open", path, S_ISDIR(status.st_mode) ? EISDIR : EINVAL);
        return false;
    }
    const bool ok = posix::ReadAll(fd.Get(), contents);
    if (!ok)
        *error = Failure("read", path, errno);
    return ok;
}

std::string Environment(const char* name) {
    return posix::Environment(name);
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

int RunEditor(const std::string& command, const std::string& file, std::string* error) {
    // As system() does: the editor, not velmora, takes an interrupt from the keyboard.
    struct sigaction ignore {};
    ignore.sa_handler = SIG_IGN;
    sigemptyset(&ignore.sa_mask);
    struct sigaction oldInt {};
    struct sigaction oldQuit {};
    sigaction(SIGINT, &ignore, &oldInt);
    sigaction(SIGQUIT, &ignore, &oldQuit);
    const std::string script = command + " \"$1\"";
    const pid_t child = fork();
    if (child == 0) {
        sigaction(SIGINT, &oldInt, nullptr);
        sigaction(SIGQUIT, &oldQuit, nullptr);
        execl("/bin/sh", "sh", "-c", script.c_str(), "sh", file.c_str(), static_cast<char*>(nullptr));
        _exit(127);
    }
    int status = -1;
    if (child < 0) {
        *error = Failure("fork", command, errno);
    } else {
        int waited = 0;
        while ((waited = waitpid(child, &status, 0)) < 0 && errno == EINTR) {
        }
        if (waited < 0) {
            *error = Failure("waitpid", command, errno);
            status = -1;
        } else {
            status = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
        }
    }
    sigaction(SIGINT, &oldInt, nullptr);
    sigaction(SIGQUIT, &oldQuit, nullptr);
    return status;
}

const char* DefaultEditor() {
    return "vi";
}

bool QueryEntry(const std::string& path, DirectoryEntry* entry) {
    return posix::QueryEntry(path, entry);
}

bool MakeDirectories(const std::string& path, std::string* error) {
    return posix::MakeDirectories(path, error);
}

std::string DefaultStateDirectory() {
    return posix::StateDirectory();
}

}  // namespace velmora::host
