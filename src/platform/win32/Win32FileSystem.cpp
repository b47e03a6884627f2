// Files and temporary files through the Win32 ANSI functions: names are passed to the system
// byte for byte in the code page the host uses.
#include <cstdint>
#include <limits>
#include <memory>
#include <string>

#include "platform/Platform.hpp"
#include "platform/win32/Win32Files.hpp"
#include "platform/win32/Win32Names.hpp"
#include "platform/win32/WindowsPrelude.hpp"

namespace velmora {
namespace {

using win32::HasEmbeddedZero;
using win32::Outcome;
using win32::Refused;

class Win32FileSystem final : public FileSystem {
public:
    std::uint32_t Attributes(const std::string& path) override {
        if (HasEmbeddedZero(path))
            return kNoAttributes;
        const DWORD attributes = GetFileAttributesA(path.c_str());
        return attributes == INVALID_FILE_ATTRIBUTES ? kNoAttributes : attributes;
    }

    FileResult MoveNoReplace(const std::string& from, const std::string& to) override {
        if (HasEmbeddedZero(from) || HasEmbeddedZero(to))
            return Refused(ERROR_INVALID_NAME);
        return win32::MoveNoReplace(from, to);
    }

    FileResult ReadStart(const std::string& path, std::size_t count, std::string* bytes) override {
        if (HasEmbeddedZero(path))
            return Refused(ERROR_INVALID_NAME);
        return win32::ReadStartOf(path, count, bytes);
    }

    FileResult OpenForReading(const std::string& path, std::unique_ptr<ReadableFile>* file) override {
        if (HasEmbeddedZero(path))
            return Refused(ERROR_INVALID_NAME);
        return win32::OpenForReading(path, file);
    }

    FileResult Delete(const std::string& path) override {
        if (HasEmbeddedZero(path))
            return Refused(ERROR_INVALID_NAME);
        return Outcome(DeleteFileA(path.c_str()) != 0);
    }

    bool SameFile(const std::string& a, const std::string& b) override {
        if (HasEmbeddedZero(a) || HasEmbeddedZero(b))
            return false;
        return win32::SameFile(a, b);
    }

    std::string TempDirectory() override {
        char buffer[MAX_PATH];
        const DWORD length = GetTempPathA(MAX_PATH, buffer);
        // A path that does not fit returns the size it would need: that is no usable directory
        // for names that must fit in MAX_PATH themselves.
        if (length == 0 || length >= MAX_PATH)
            return std::string();
        std::string directory(buffer, length);
        if (directory.back() != '\\' && directory.back() != '/')
            directory += '\\';
        return directory;
    }

    FileResult CreateTempFile(const std::string& directory, const std::string& prefix,
                              std::string* made) override {
        if (HasEmbeddedZero(directory) || HasEmbeddedZero(prefix))
            return Refused(ERROR_INVALID_NAME);
        char name[MAX_PATH];
        // Unique number 0: the system picks a free name and creates the empty file. An empty
        // directory would put it in the root of the current drive.
        if (GetTempFileNameA(directory.empty() ? "." : directory.c_str(), prefix.c_str(), 0, name) == 0)
            return Outcome(false);
        // The system may respell the directory (Wine turns "/" into "\\"); callers get it as
        // they gave it, followed by the name the system chose.
        std::string path = directory;
        if (!path.empty() && path.back() != '\\' && path.back() != '/')
            path += '\\';
        *made = path + win32::LastComponent(std::string(name));
        return FileResult::Success();
    }

    FileResult OpenForWriting(const std::string& path, std::unique_ptr<WritableFile>* file) override {
        if (HasEmbeddedZero(path))
            return Refused(ERROR_INVALID_NAME);
        return win32::OpenForWriting(path, file);
    }

    FileResult ReplaceAtomically(const std::string& from, const std::string& to) override {
        if (HasEmbeddedZero(from) || HasEmbeddedZero(to))
            return Refused(ERROR_INVALID_NAME);
        return win32::ReplaceAtomically(from, to);
    }

    FileResult CreateNewForWriting(const std::string& path, std::unique_ptr<WritableFile>* file) override {
        if (HasEmbeddedZero(path))
            return Refused(ERROR_INVALID_NAME);
        return win32::CreateNewForWriting(path, file);
    }

    bool ListDirectory(const std::string& directory, std::vector<DirectoryEntry>* entries,
                       std::string* error) override {
        if (HasEmbeddedZero(directory)) {
            *error = win32::Failure("FindFirstFileA", directory, ERROR_INVALID_NAME);
            return false;
        }
        return win32::ListDirectory(
            directory, directory, [](const std::string& name) { return name; }, entries, error);
    }
    bool Query(const std::string& path, DirectoryEntry* entry) override {
        return !HasEmbeddedZero(path) && win32::QueryEntry(path, entry);
    }
    bool MakeDirectories(const std::string& path, std::string* error) override {
        const DWORD failure = HasEmbeddedZero(path) ? ERROR_INVALID_NAME : win32::MakeDirectories(path);
        if (failure != 0)
            *error = win32::Failure("CreateDirectoryA", path, failure);
        return failure == 0;
    }
    // In the code page the file functions speak (OEM in FAR 1.x), so that a folder named by the
    // environment is the folder the file functions reach.
    std::string Environment(const char* name) override {
        const std::wstring wideName(name, name + std::char_traits<char>::length(name));
        wchar_t value[32768];
        const DWORD length = GetEnvironmentVariableW(wideName.c_str(), value, 32768);
        if (length == 0 || length >= 32768)
            return std::string();
        const UINT codePage = AreFileApisANSI() ? CP_ACP : CP_OEMCP;
        const int size =
            WideCharToMultiByte(codePage, 0, value, static_cast<int>(length), nullptr, 0, nullptr, nullptr);
        if (size <= 0)
            return std::string();
        std::string text(static_cast<std::size_t>(size), '\0');
        WideCharToMultiByte(codePage, 0, value, static_cast<int>(length), &text[0], size, nullptr, nullptr);
        return text;
    }
    std::string StateDirectory() override { return Environment("LOCALAPPDATA"); }
    std::string FullPath(const std::string& path) override {
        return HasEmbeddedZero(path) ? path : win32::FullPath(path);
    }
};

}  // namespace

bool FileResult::TargetExists() const {
    // MoveFile refuses an existing target with ERROR_ALREADY_EXISTS; across volumes its copy
    // refuses with ERROR_FILE_EXISTS.
    if (error_.category() == std::system_category())
        return error_.value() == ERROR_ALREADY_EXISTS || error_.value() == ERROR_FILE_EXISTS;
    return error_ == std::errc::file_exists;
}

FileSystem& SystemFileSystem() {
    static Win32FileSystem files;
    return files;
}

}  // namespace velmora
