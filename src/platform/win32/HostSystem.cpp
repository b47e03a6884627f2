// The velmora host's system access on Windows: directory listing, current directory, loading
// the plug-in DLL, terminals, clock, whole-file reads, the environment and description text.
#include "platform/HostSystem.hpp"

#include <io.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "platform/win32/Win32Handle.hpp"
#include "platform/win32/WindowsPrelude.hpp"

namespace velmora::host {
namespace {

using velmora::win32::FileHandle;
using velmora::win32::HasEmbeddedZero;

// The system's text for an error code, without the line end the system puts after it.
std::string ErrorText(DWORD error) {
    char* message = nullptr;
    const DWORD length = FormatMessageA(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
        error, 0, reinterpret_cast<char*>(&message), 0, nullptr);
    std::string text;
    if (length != 0 && message)
        text.assign(message, length);
    if (message)
        LocalFree(message);
    while (!text.empty() &&
           (text.back() == '\n' || text.back() == '\r' || text.back() == ' ' || text.back() == '.'))
        text.pop_back();
    if (text.empty())
        text = "error " + std::to_string(error);
    return text;
}

std::string Failure(const char* call, const std::string& path, DWORD error) {
    return std::string(call) + "(" + path + "): " + ErrorText(error);
}

std::uint64_t Join(DWORD high, DWORD low) {
    return (static_cast<std::uint64_t>(high) << 32) | low;
}

// FindFirstFileA's handle is closed with FindClose, not CloseHandle.
class FindHandle {
public:
    explicit FindHandle(HANDLE handle) : handle_(handle) {}
    FindHandle(const FindHandle&) = delete;
    FindHandle& operator=(const FindHandle&) = delete;
    ~FindHandle() {
        if (handle_ != INVALID_HANDLE_VALUE)
            FindClose(handle_);
    }
    HANDLE Get() const { return handle_; }

private:
    HANDLE handle_;
};

}  // namespace

bool ReadDirectory(const std::string& directory, std::vector<DirectoryEntry>* entries, std::string* error) {
    entries->clear();
    if (HasEmbeddedZero(directory)) {
        *error = Failure("FindFirstFileA", directory, ERROR_INVALID_NAME);
        return false;
    }
    std::string pattern = directory.empty() ? std::string(".") : directory;
    if (pattern.back() != '\\' && pattern.back() != '/' && pattern.back() != ':')
        pattern += '\\';
    pattern += '*';

    WIN32_FIND_DATAA data;
    FindHandle find(FindFirstFileA(pattern.c_str(), &data));
    if (find.Get() == INVALID_HANDLE_VALUE) {
        const DWORD code = GetLastError();
        // A drive's root has no "." or "..": an empty one lists nothing at all.
        if (code == ERROR_FILE_NOT_FOUND)
            return true;
        *error = Failure("FindFirstFileA", directory, code);
        return false;
    }
    do {
        const std::string name(data.cFileName);
        if (name == "." || name == "..")
            continue;
        DirectoryEntry entry;
        entry.name = name;
        entry.attributes = data.dwFileAttributes;
        entry.size = Join(data.nFileSizeHigh, data.nFileSizeLow);
        entry.writeTime = Join(data.ftLastWriteTime.dwHighDateTime, data.ftLastWriteTime.dwLowDateTime);
        entries->push_back(entry);
    } while (FindNextFileA(find.Get(), &data));
    const DWORD code = GetLastError();
    if (code != ERROR_NO_MORE_FILES) {
        *error = Failure("FindNextFileA", directory, code);
        return false;
    }
    return true;
}

bool ChangeDirectory(const std::string& directory, std::string* error) {
    if (HasEmbeddedZero(directory) || !SetCurrentDirectoryA(directory.c_str())) {
        *error = Failure("SetCurrentDirectoryA", directory,
                         HasEmbeddedZero(directory) ? ERROR_INVALID_NAME : GetLastError());
        return false;
    }
    return true;
}

std::string ExecutableDirectory() {
    std::vector<char> buffer(MAX_PATH);
    for (;;) {
        const DWORD length = GetModuleFileNameA(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
        if (length == 0)
            return std::string();
        // A full buffer means the path was cut: try again with more room.
        if (length < buffer.size()) {
            std::string path(buffer.data(), length);
            const std::size_t slash = path.find_last_of("\\/");
            return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
        }
        if (buffer.size() >= 32768)
            return std::string();
        buffer.resize(buffer.size() * 2);
    }
}

Module::~Module() {
    if (handle_)
        FreeLibrary(static_cast<HMODULE>(handle_));
}

bool Module::Load(const std::string& path, std::string* error) {
    if (handle_) {
        FreeLibrary(static_cast<HMODULE>(handle_));
        handle_ = nullptr;
    }
    if (HasEmbeddedZero(path)) {
        *error = Failure("LoadLibraryA", path, ERROR_INVALID_NAME);
        return false;
    }
    HMODULE module = LoadLibraryA(path.c_str());
    if (!module) {
        *error = Failure("LoadLibraryA", path, GetLastError());
        return false;
    }
    handle_ = module;
    return true;
}

void* Module::Symbol(const char* name) const {
    if (!handle_)
        return nullptr;
    return reinterpret_cast<void*>(GetProcAddress(static_cast<HMODULE>(handle_), name));
}

bool IsTerminal(int fd) {
    return _isatty(fd) != 0;
}

std::uint64_t MonotonicMilliseconds() {
    return GetTickCount64();
}

bool ReadWholeFile(const std::string& path, std::string* contents, std::string* error) {
    contents->clear();
    if (HasEmbeddedZero(path)) {
        *error = Failure("CreateFileA", path, ERROR_INVALID_NAME);
        return false;
    }
    FileHandle file(CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.IsOpen()) {
        *error = Failure("CreateFileA", path, GetLastError());
        return false;
    }
    char buffer[65536];
    for (;;) {
        DWORD read = 0;
        if (!ReadFile(file.Get(), buffer, sizeof buffer, &read, nullptr)) {
            *error = Failure("ReadFile", path, GetLastError());
            contents->clear();
            return false;
        }
        if (read == 0)
            return true;
        contents->append(buffer, read);
    }
}

std::string Environment(const char* name) {
    const char* value = std::getenv(name);
    return value ? std::string(value) : std::string();
}

std::string_view DescriptionText(std::string_view bytes, std::string*) {
    // FAR 1.x, its description files and this host all work in the OEM code page.
    return bytes;
}

}  // namespace velmora::host
