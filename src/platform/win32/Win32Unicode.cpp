// Files named in UTF-8 through the wide functions, and text in Windows code pages.
#include "platform/Win32Unicode.hpp"

#include <climits>
#include <cstdint>
#include <string>

#include "platform/CodePage.hpp"
#include "platform/Utf16.hpp"
#include "platform/win32/Win32Files.hpp"
#include "platform/win32/Win32Names.hpp"
#include "platform/win32/WindowsPrelude.hpp"

namespace velmora {
namespace {

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
        return win32::MoveNoReplace(Resolve(from), Resolve(to));
    }

    FileResult ReadStart(const std::string& path, std::size_t count, std::string* bytes) override {
        if (HasEmbeddedZero(path))
            return Refused(ERROR_INVALID_NAME);
        return win32::ReadStartOf(Resolve(path), count, bytes);
    }

    FileResult OpenForReading(const std::string& path, std::unique_ptr<ReadableFile>* file) override {
        if (HasEmbeddedZero(path))
            return Refused(ERROR_INVALID_NAME);
        return win32::OpenForReading(Resolve(path), file);
    }

    FileResult Delete(const std::string& path) override {
        if (HasEmbeddedZero(path))
            return Refused(ERROR_INVALID_NAME);
        return Outcome(DeleteFileW(Resolve(path).c_str()) != 0);
    }

    bool SameFile(const std::string& a, const std::string& b) override {
        if (HasEmbeddedZero(a) || HasEmbeddedZero(b))
            return false;
        return win32::SameFile(Resolve(a), Resolve(b));
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
        // Unique number 0: the system picks a free name and creates the empty file. An empty
        // directory would put it in the root of the current drive.
        const std::wstring folder = Resolve(directory);
        if (GetTempFileNameW(folder.empty() ? L"." : folder.c_str(), Wide(prefix).c_str(), 0, name) == 0)
            return Outcome(false);
        // Callers get the directory as they gave it, followed by the name the system chose.
        std::string path = directory;
        if (!path.empty() && !IsSeparator(path.back()))
            path += '\\';
        const std::wstring chosen = win32::LastComponent(std::wstring(name));
        AppendUtf8(path, chosen.data(), chosen.size());
        *made = path;
        return FileResult::Success();
    }

    FileResult OpenForWriting(const std::string& path, std::unique_ptr<WritableFile>* file) override {
        if (HasEmbeddedZero(path))
            return Refused(ERROR_INVALID_NAME);
        return win32::OpenForWriting(Resolve(path), file);
    }

    FileResult CreateNewForWriting(const std::string& path, std::unique_ptr<WritableFile>* file) override {
        if (HasEmbeddedZero(path))
            return Refused(ERROR_INVALID_NAME);
        return win32::CreateNewForWriting(Resolve(path), file);
    }

    FileResult ReplaceAtomically(const std::string& from, const std::string& to) override {
        if (HasEmbeddedZero(from) || HasEmbeddedZero(to))
            return Refused(ERROR_INVALID_NAME);
        return win32::ReplaceAtomically(Resolve(from), Resolve(to));
    }

    FileResult AddAttributes(const std::string& path, std::uint32_t bits) override {
        if (HasEmbeddedZero(path))
            return Refused(ERROR_INVALID_NAME);
        const std::wstring wide = Resolve(path);
        const DWORD attributes = GetFileAttributesW(wide.c_str());
        if (attributes == INVALID_FILE_ATTRIBUTES)
            return Outcome(false);
        return Outcome(SetFileAttributesW(wide.c_str(), attributes | bits) != 0);
    }

    bool ListDirectory(const std::string& directory, std::vector<DirectoryEntry>* entries,
                       std::string* error) override {
        if (HasEmbeddedZero(directory)) {
            *error = win32::Failure("FindFirstFileW", directory, ERROR_INVALID_NAME);
            return false;
        }
        return win32::ListDirectory(
            Resolve(directory), directory,
            [](const std::wstring& name) {
                std::string text;
                AppendUtf8(text, name.data(), name.size());
                return text;
            },
            entries, error);
    }
    bool Query(const std::string& path, DirectoryEntry* entry) override {
        return !HasEmbeddedZero(path) && win32::QueryEntry(Resolve(path), entry);
    }
    bool MakeDirectories(const std::string& path, std::string* error) override {
        const DWORD failure =
            HasEmbeddedZero(path) ? ERROR_INVALID_NAME : win32::MakeDirectories(Resolve(path));
        if (failure != 0)
            *error = win32::Failure("CreateDirectoryW", path, failure);
        return failure == 0;
    }
    std::string Environment(const char* name) override {
        wchar_t value[32768];
        const DWORD length = GetEnvironmentVariableW(Wide(name).c_str(), value, 32768);
        std::string text;
        if (length > 0 && length < 32768)
            AppendUtf8(text, value, length);
        return text;
    }
    std::string StateDirectory() override { return Environment("LOCALAPPDATA"); }
    std::string FullPath(const std::string& path) override {
        if (HasEmbeddedZero(path))
            return path;
        std::wstring full = win32::FullPath(Resolve(path));
        // The "\\?\" form is how a long path is reached, not part of its name.
        if (full.compare(0, 8, L"\\\\?\\UNC\\") == 0)
            full = L"\\\\" + full.substr(8);
        else if (full.compare(0, 4, L"\\\\?\\") == 0)
            full = full.substr(4);
        std::string text;
        AppendUtf8(text, full.data(), full.size());
        return text;
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

namespace {

class WindowsCodePage final : public CodePage {
public:
    explicit WindowsCodePage(unsigned codePage) : codePage_(codePage) {}
    bool Encode(std::string_view utf8, std::string* bytes) const override {
        return EncodeInCodePage(codePage_, utf8, bytes);
    }
    void Decode(std::string_view bytes, std::string* utf8) const override {
        if (bytes.empty() || bytes.size() > static_cast<std::size_t>(INT_MAX / 2)) {
            utf8->append(bytes);
            return;
        }
        const int length = static_cast<int>(bytes.size());
        // Strictly first; a sequence the page does not know (a double-byte page's broken pair) is
        // then decoded the system's way rather than dropped.
        DWORD flags = MB_ERR_INVALID_CHARS;
        int size = MultiByteToWideChar(codePage_, flags, bytes.data(), length, nullptr, 0);
        if (size <= 0) {
            flags = 0;
            size = MultiByteToWideChar(codePage_, flags, bytes.data(), length, nullptr, 0);
        }
        if (size <= 0) {
            utf8->append(bytes);
            return;
        }
        std::wstring wide(static_cast<std::size_t>(size), L'\0');
        MultiByteToWideChar(codePage_, flags, bytes.data(), length, &wide[0], size);
        AppendUtf8(*utf8, wide.data(), wide.size());
    }

private:
    unsigned codePage_;
};

}  // namespace

std::unique_ptr<CodePage> OpenCodePage(unsigned codePage) {
    if (!IsValidCodePage(codePage))
        return nullptr;
    return std::make_unique<WindowsCodePage>(codePage);
}

unsigned SystemOemCodePage() {
    return GetOEMCP();
}

}  // namespace velmora
