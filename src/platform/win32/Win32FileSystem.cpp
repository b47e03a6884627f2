// Files and temporary files through the Win32 ANSI functions: names are passed to the system
// byte for byte in the code page the host uses.
#include <cstdint>
#include <limits>
#include <memory>
#include <string>

#include "platform/Platform.hpp"
#include "platform/win32/Win32Files.hpp"
#include "platform/win32/Win32Handle.hpp"
#include "platform/win32/WindowsPrelude.hpp"

namespace velmora {
namespace {

using win32::FileHandle;
using win32::HasEmbeddedZero;
using win32::Outcome;
using win32::Refused;

// Opens a path only to identify it; directories need backup semantics to be opened at all.
FileHandle OpenForIdentity(const std::string& path) {
    return FileHandle(CreateFileA(path.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                  nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
}

// The last component of a path: what the directory lists.
std::string LastComponent(const std::string& path) {
    const std::size_t slash = path.find_last_of("\\/:");
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

// The name of an existing entry as the directory spells it; empty when it cannot be listed.
std::string SpellingOnDisk(const std::string& path) {
    if (path.find_first_of("*?") != std::string::npos)
        return std::string();
    WIN32_FIND_DATAA data;
    HANDLE find = FindFirstFileA(path.c_str(), &data);
    if (find == INVALID_HANDLE_VALUE)
        return std::string();
    FindClose(find);
    return data.cFileName;
}

// Gives the file now reachable as `to` (and `from`) exactly the spelling of `to`, through a
// free temporary name beside it. On failure the file keeps its name `from`.
bool Respell(const std::string& from, const std::string& to) {
    const std::string directory = to.substr(0, to.size() - LastComponent(to).size());
    for (unsigned attempt = 0; attempt < 100; ++attempt) {
        const std::string detour = directory + "~vl" + std::to_string(GetCurrentProcessId()) + "-" +
                                   std::to_string(attempt) + ".tmp";
        if (GetFileAttributesA(detour.c_str()) != INVALID_FILE_ATTRIBUTES)
            continue;
        if (!MoveFileA(to.c_str(), detour.c_str()))
            return false;
        if (MoveFileA(detour.c_str(), to.c_str()))
            return true;
        MoveFileA(detour.c_str(), from.c_str());
        return false;
    }
    return false;
}

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
        // MoveFileA never replaces an existing target, and renames a file onto itself in another
        // letter case.
        if (!MoveFileA(from.c_str(), to.c_str()))
            return Outcome(false);
        // Wine on a case-sensitive file system reports such a case-only rename as done but keeps
        // the old spelling; a detour over a free name gives the file the spelling asked for.
        const std::string spelling = SpellingOnDisk(to);
        if (spelling.empty() || spelling == LastComponent(to) ||
            lstrcmpiA(spelling.c_str(), LastComponent(to).c_str()))
            return FileResult::Success();
        return Outcome(Respell(from, to));
    }

    FileResult ReadStart(const std::string& path, std::size_t count, std::string* bytes) override {
        if (HasEmbeddedZero(path))
            return Refused(ERROR_INVALID_NAME);
        return win32::ReadStart(FileHandle(CreateFileA(path.c_str(), GENERIC_READ,
                                                       FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                                       nullptr, OPEN_EXISTING, 0, nullptr)),
                                count, bytes);
    }

    FileResult Delete(const std::string& path) override {
        if (HasEmbeddedZero(path))
            return Refused(ERROR_INVALID_NAME);
        return Outcome(DeleteFileA(path.c_str()) != 0);
    }

    bool SameFile(const std::string& a, const std::string& b) override {
        if (HasEmbeddedZero(a) || HasEmbeddedZero(b))
            return false;
        FileHandle first = OpenForIdentity(a);
        FileHandle second = OpenForIdentity(b);
        if (!first.IsOpen() || !second.IsOpen())
            return false;
        BY_HANDLE_FILE_INFORMATION one{};
        BY_HANDLE_FILE_INFORMATION two{};
        if (!GetFileInformationByHandle(first.Get(), &one) || !GetFileInformationByHandle(second.Get(), &two))
            return false;
        return one.dwVolumeSerialNumber == two.dwVolumeSerialNumber &&
               one.nFileIndexHigh == two.nFileIndexHigh && one.nFileIndexLow == two.nFileIndexLow;
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
        // Unique number 0: the system picks a free name and creates the empty file.
        if (GetTempFileNameA(directory.c_str(), prefix.c_str(), 0, name) == 0)
            return Outcome(false);
        // The system may respell the directory (Wine turns "/" into "\\"); callers get it as
        // they gave it, followed by the name the system chose.
        std::string path = directory;
        if (!path.empty() && path.back() != '\\' && path.back() != '/')
            path += '\\';
        *made = path + LastComponent(name);
        return FileResult::Success();
    }

    FileResult OpenForWriting(const std::string& path, std::unique_ptr<WritableFile>* file) override {
        if (HasEmbeddedZero(path))
            return Refused(ERROR_INVALID_NAME);
        HANDLE handle = CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                                    CREATE_ALWAYS, 0, nullptr);
        if (handle == INVALID_HANDLE_VALUE)
            return Outcome(false);
        *file = win32::MakeWritableFile(handle);
        return FileResult::Success();
    }

    FileResult ReplaceAtomically(const std::string& from, const std::string& to) override {
        if (HasEmbeddedZero(from) || HasEmbeddedZero(to))
            return Refused(ERROR_INVALID_NAME);
        const DWORD old = GetFileAttributesA(to.c_str());
        if (old != INVALID_FILE_ATTRIBUTES) {
            // A read-only file is one the user asked us not to change; a directory is no file
            // to replace.
            if (old & FILE_ATTRIBUTE_READONLY)
                return Refused(ERROR_ACCESS_DENIED);
            if (old & FILE_ATTRIBUTE_DIRECTORY)
                return Refused(ERROR_DIRECTORY);
        }
        if (!MoveFileExA(from.c_str(), to.c_str(),
                         MOVEFILE_REPLACE_EXISTING | MOVEFILE_COPY_ALLOWED | MOVEFILE_WRITE_THROUGH))
            return Outcome(false);
        if (old != INVALID_FILE_ATTRIBUTES && (old & FILE_ATTRIBUTE_HIDDEN)) {
            const DWORD now = GetFileAttributesA(to.c_str());
            // The new file is in place; a hidden bit that cannot be set back is no reason to
            // report the replacement as failed.
            if (now != INVALID_FILE_ATTRIBUTES && !(now & FILE_ATTRIBUTE_HIDDEN))
                SetFileAttributesA(to.c_str(), (now & ~FILE_ATTRIBUTE_NORMAL) | FILE_ATTRIBUTE_HIDDEN);
        }
        return FileResult::Success();
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
