// Files named in UTF-8 through the wide functions, and text in Windows code pages.
#include "platform/Win32Unicode.hpp"

#include <climits>
#include <cstdint>
#include <string>

#include "platform/Utf16.hpp"
#include "platform/win32/Win32Files.hpp"
#include "platform/win32/Win32Handle.hpp"
#include "platform/win32/WindowsPrelude.hpp"

namespace velmora {
namespace {

using win32::FileHandle;
using win32::HasEmbeddedZero;
using win32::Outcome;
using win32::Refused;

std::wstring Wide(const std::string& utf8) {
    return ToUtf16<wchar_t>(utf8);
}

bool IsSeparator(char c) {
    return c == '\\' || c == '/';
}

// "C:\..." or "\\server\...": a path that names its own place.
bool IsFullPath(const std::string& path) {
    return (path.size() >= 3 && path[1] == ':' && IsSeparator(path[2])) ||
           (path.size() >= 2 && IsSeparator(path[0]) && IsSeparator(path[1]));
}

// The last component of a wide path: what the directory lists.
std::wstring LastComponent(const std::wstring& path) {
    const std::size_t slash = path.find_last_of(L"\\/:");
    return slash == std::wstring::npos ? path : path.substr(slash + 1);
}

// The name of an existing entry as the directory spells it; empty when it cannot be listed.
std::wstring SpellingOnDisk(const std::wstring& path) {
    if (path.find_first_of(L"*?") != std::wstring::npos)
        return std::wstring();
    WIN32_FIND_DATAW data;
    HANDLE find = FindFirstFileW(path.c_str(), &data);
    if (find == INVALID_HANDLE_VALUE)
        return std::wstring();
    FindClose(find);
    return data.cFileName;
}

// Gives the file now reachable as `to` (and `from`) exactly the spelling of `to`, through a free
// temporary name beside it. On failure the file keeps its name `from`.
bool Respell(const std::wstring& from, const std::wstring& to) {
    const std::wstring directory = to.substr(0, to.size() - LastComponent(to).size());
    for (unsigned attempt = 0; attempt < 100; ++attempt) {
        const std::wstring detour = directory + L"~vl" + std::to_wstring(GetCurrentProcessId()) + L"-" +
                                    std::to_wstring(attempt) + L".tmp";
        if (GetFileAttributesW(detour.c_str()) != INVALID_FILE_ATTRIBUTES)
            continue;
        if (!MoveFileW(to.c_str(), detour.c_str()))
            return false;
        if (MoveFileW(detour.c_str(), to.c_str()))
            return true;
        MoveFileW(detour.c_str(), from.c_str());
        return false;
    }
    return false;
}

class WideFileSystem final : public FileSystem {
public:
    explicit WideFileSystem(std::string directory) : directory_(std::move(directory)) {
        if (!directory_.empty() && !IsSeparator(directory_.back()))
            directory_ += '\\';
    }

    std::uint32_t Attributes(const std::string& path) override {
        if (HasEmbeddedZero(path))
            return kNoAttributes;
        const DWORD attributes = GetFileAttributesW(Resolve(path).c_str());
        return attributes == INVALID_FILE_ATTRIBUTES ? kNoAttributes : attributes;
    }

    FileResult MoveNoReplace(const std::string& from, const std::string& to) override {
        if (HasEmbeddedZero(from) || HasEmbeddedZero(to))
            return Refused(ERROR_INVALID_NAME);
        const std::wstring source = Resolve(from);
        const std::wstring target = Resolve(to);
        // MoveFileW never replaces an existing target, and renames a file onto itself in another
        // letter case.
        if (!MoveFileW(source.c_str(), target.c_str()))
            return Outcome(false);
        // Wine on a case-sensitive file system reports such a case-only rename as done but keeps
        // the old spelling; a detour over a free name gives the file the spelling asked for.
        const std::wstring spelling = SpellingOnDisk(target);
        const std::wstring wanted = LastComponent(target);
        if (spelling.empty() || spelling == wanted || lstrcmpiW(spelling.c_str(), wanted.c_str()))
            return FileResult::Success();
        return Outcome(Respell(source, target));
    }

    FileResult ReadStart(const std::string& path, std::size_t count, std::string* bytes) override {
        if (HasEmbeddedZero(path))
            return Refused(ERROR_INVALID_NAME);
        return win32::ReadStart(FileHandle(CreateFileW(Resolve(path).c_str(), GENERIC_READ,
                                                       FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                                       nullptr, OPEN_EXISTING, 0, nullptr)),
                                count, bytes);
    }

    FileResult Delete(const std::string& path) override {
        if (HasEmbeddedZero(path))
            return Refused(ERROR_INVALID_NAME);
        return Outcome(DeleteFileW(Resolve(path).c_str()) != 0);
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
        wchar_t buffer[MAX_PATH + 1];
        const DWORD length = GetTempPathW(MAX_PATH + 1, buffer);
        // Temporary names must fit in MAX_PATH themselves; a longer directory is of no use.
        if (length == 0 || length >= MAX_PATH)
            return std::string();
        std::string directory;
        AppendUtf8(directory, buffer, length);
        if (!IsSeparator(directory.back()))
            directory += '\\';
        return directory;
    }

    FileResult CreateTempFile(const std::string& directory, const std::string& prefix,
                              std::string* made) override {
        if (HasEmbeddedZero(directory) || HasEmbeddedZero(prefix))
            return Refused(ERROR_INVALID_NAME);
        wchar_t name[MAX_PATH];
        // Unique number 0: the system picks a free name and creates the empty file.
        if (GetTempFileNameW(Resolve(directory).c_str(), Wide(prefix).c_str(), 0, name) == 0)
            return Outcome(false);
        // Callers get the directory as they gave it, followed by the name the system chose.
        std::string path = directory;
        if (!path.empty() && !IsSeparator(path.back()))
            path += '\\';
        const std::wstring chosen = LastComponent(name);
        AppendUtf8(path, chosen.data(), chosen.size());
        *made = path;
        return FileResult::Success();
    }

    FileResult OpenForWriting(const std::string& path, std::unique_ptr<WritableFile>* file) override {
        if (HasEmbeddedZero(path))
            return Refused(ERROR_INVALID_NAME);
        HANDLE handle = CreateFileW(Resolve(path).c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ,
                                    nullptr, CREATE_ALWAYS, 0, nullptr);
        if (handle == INVALID_HANDLE_VALUE)
            return Outcome(false);
        *file = win32::MakeWritableFile(handle);
        return FileResult::Success();
    }

    FileResult ReplaceAtomically(const std::string& from, const std::string& to) override {
        if (HasEmbeddedZero(from) || HasEmbeddedZero(to))
            return Refused(ERROR_INVALID_NAME);
        const std::wstring source = Resolve(from);
        const std::wstring target = Resolve(to);
        const DWORD old = GetFileAttributesW(target.c_str());
        if (old != INVALID_FILE_ATTRIBUTES) {
            // A read-only file is one the user asked us not to change; a directory is no file
            // to replace.
            if (old & FILE_ATTRIBUTE_READONLY)
                return Refused(ERROR_ACCESS_DENIED);
            if (old & FILE_ATTRIBUTE_DIRECTORY)
                return Refused(ERROR_DIRECTORY);
        }
        if (!MoveFileExW(source.c_str(), target.c_str(),
                         MOVEFILE_REPLACE_EXISTING | MOVEFILE_COPY_ALLOWED | MOVEFILE_WRITE_THROUGH))
            return Outcome(false);
        if (old != INVALID_FILE_ATTRIBUTES && (old & FILE_ATTRIBUTE_HIDDEN)) {
            const DWORD now = GetFileAttributesW(target.c_str());
            // The new file is in place; a hidden bit that cannot be set back is no reason to
            // report the replacement as failed.
            if (now != INVALID_FILE_ATTRIBUTES && !(now & FILE_ATTRIBUTE_HIDDEN))
                SetFileAttributesW(target.c_str(), (now & ~FILE_ATTRIBUTE_NORMAL) | FILE_ATTRIBUTE_HIDDEN);
        }
        return FileResult::Success();
    }

private:
    // The wide path of a name; past MAX_PATH only the "\\?\" form reaches it.
    std::wstring Resolve(const std::string& path) const {
        const std::string full = IsFullPath(path) ? path : directory_ + path;
        std::wstring wide = Wide(full);
        if (wide.size() < MAX_PATH || !IsFullPath(full) || wide.compare(0, 4, L"\\\\?\\") == 0)
            return wide;
        if (wide[1] == L':')
            return L"\\\\?\\" + wide;
        return L"\\\\?\\UNC\\" + wide.substr(2);
    }

    // Opens a path only to identify it; directories need backup semantics to be opened at all.
    FileHandle OpenForIdentity(const std::string& path) const {
        return FileHandle(CreateFileW(Resolve(path).c_str(), 0,
                                      FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                      OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    }

    std::string directory_;  // with a trailing separator, or empty
};

}  // namespace

std::unique_ptr<FileSystem> MakeWideFileSystem(std::string directory) {
    return std::make_unique<WideFileSystem>(std::move(directory));
}

bool EncodeInCodePage(unsigned codePage, std::string_view utf8, std::string* bytes) {
    bytes->clear();
    const std::wstring wide = ToUtf16<wchar_t>(utf8);
    if (wide.empty())
        return true;
    if (wide.size() > static_cast<std::size_t>(INT_MAX / 4))
        return false;
    const int length = static_cast<int>(wide.size());
    BOOL usedDefault = FALSE;
    const int size = WideCharToMultiByte(codePage, WC_NO_BEST_FIT_CHARS, wide.data(), length, nullptr, 0,
                                         nullptr, &usedDefault);
    if (size <= 0 || usedDefault)
        return false;
    bytes->resize(static_cast<std::size_t>(size));
    usedDefault = FALSE;
    const int written = WideCharToMultiByte(codePage, WC_NO_BEST_FIT_CHARS, wide.data(), length, &(*bytes)[0],
                                            size, nullptr, &usedDefault);
    if (written != size || usedDefault) {
        bytes->clear();
        return false;
    }
    return true;
}

unsigned SystemOemCodePage() {
    return GetOEMCP();
}

}  // namespace velmora
