// The file operations both Windows file systems make alike, whichever character set names their
// files: the ANSI functions take names in the host's code page byte for byte, the wide ones in
// UTF-16. Each call picks its "A" or "W" function by the name's character type; each file system
// hands over names already in its set (the wide one resolved against its folder).
#pragma once

#include <cstddef>
#include <memory>
#include <string>
#include <system_error>
#include <vector>

#include "platform/Platform.hpp"
#include "platform/win32/Win32Files.hpp"
#include "platform/win32/Win32Handle.hpp"
#include "platform/win32/WindowsPrelude.hpp"

namespace velmora::win32 {

inline DWORD GetAttributes(const char* path) {
    return GetFileAttributesA(path);
}
inline DWORD GetAttributes(const wchar_t* path) {
    return GetFileAttributesW(path);
}
inline BOOL SetAttributes(const char* path, DWORD attributes) {
    return SetFileAttributesA(path, attributes);
}
inline BOOL SetAttributes(const wchar_t* path, DWORD attributes) {
    return SetFileAttributesW(path, attributes);
}
inline BOOL Move(const char* from, const char* to) {
    return MoveFileA(from, to);
}
inline BOOL Move(const wchar_t* from, const wchar_t* to) {
    return MoveFileW(from, to);
}
inline BOOL MoveEx(const char* from, const char* to, DWORD flags) {
    return MoveFileExA(from, to, flags);
}
inline BOOL MoveEx(const wchar_t* from, const wchar_t* to, DWORD flags) {
    return MoveFileExW(from, to, flags);
}
inline HANDLE Open(const char* path, DWORD access, DWORD share, DWORD disposition, DWORD flags) {
    return CreateFileA(path, access, share, nullptr, disposition, flags, nullptr);
}
inline HANDLE Open(const wchar_t* path, DWORD access, DWORD share, DWORD disposition, DWORD flags) {
    return CreateFileW(path, access, share, nullptr, disposition, flags, nullptr);
}
inline int CompareIgnoringCase(const char* a, const char* b) {
    return lstrcmpiA(a, b);
}
inline int CompareIgnoringCase(const wchar_t* a, const wchar_t* b) {
    return lstrcmpiW(a, b);
}
inline HANDLE FindFirst(const char* path, WIN32_FIND_DATAA* data) {
    return FindFirstFileA(path, data);
}
inline HANDLE FindFirst(const wchar_t* path, WIN32_FIND_DATAW* data) {
    return FindFirstFileW(path, data);
}
inline BOOL FindNext(HANDLE find, WIN32_FIND_DATAA* data) {
    return FindNextFileA(find, data);
}
inline BOOL FindNext(HANDLE find, WIN32_FIND_DATAW* data) {
    return FindNextFileW(find, data);
}
inline BOOL GetAttributesEx(const char* path, WIN32_FILE_ATTRIBUTE_DATA* data) {
    return GetFileAttributesExA(path, GetFileExInfoStandard, data);
}
inline BOOL GetAttributesEx(const wchar_t* path, WIN32_FILE_ATTRIBUTE_DATA* data) {
    return GetFileAttributesExW(path, GetFileExInfoStandard, data);
}
inline BOOL MakeDirectory(const char* path) {
    return CreateDirectoryA(path, nullptr);
}
inline BOOL MakeDirectory(const wchar_t* path) {
    return CreateDirectoryW(path, nullptr);
}
inline DWORD FullPathName(const char* path, DWORD size, char* buffer) {
    return GetFullPathNameA(path, size, buffer, nullptr);
}
inline DWORD FullPathName(const wchar_t* path, DWORD size, wchar_t* buffer) {
    return GetFullPathNameW(path, size, buffer, nullptr);
}
inline DWORD LongPathName(const char* path, char* buffer, DWORD size) {
    return GetLongPathNameA(path, buffer, size);
}
inline DWORD LongPathName(const wchar_t* path, wchar_t* buffer, DWORD size) {
    return GetLongPathNameW(path, buffer, size);
}

template <typename Char>
struct FindDataOf;
template <>
struct FindDataOf<char> {
    using Type = WIN32_FIND_DATAA;
};
template <>
struct FindDataOf<wchar_t> {
    using Type = WIN32_FIND_DATAW;
};

// ASCII text in either character set.
template <typename String>
String Ascii(const std::string& text) {
    return String(text.begin(), text.end());
}

// The last component of a path: what the directory lists.
template <typename String>
String LastComponent(const String& path) {
    const std::size_t slash = path.find_last_of(Ascii<String>("\\/:"));
    return slash == String::npos ? path : path.substr(slash + 1);
}

// The name of an existing entry as the directory spells it; empty when it cannot be listed.
template <typename String>
String SpellingOnDisk(const String& path) {
    if (path.find_first_of(Ascii<String>("*?")) != String::npos)
        return String();
    typename FindDataOf<typename String::value_type>::Type data;
    HANDLE find = FindFirst(path.c_str(), &data);
    if (find == INVALID_HANDLE_VALUE)
        return String();
    FindClose(find);
    return data.cFileName;
}

// Gives the file now reachable as `to` (and `from`) exactly the spelling of `to`, through a free
// temporary name beside it. On failure the file keeps its name `from`.
template <typename String>
bool Respell(const String& from, const String& to) {
    const String directory = to.substr(0, to.size() - LastComponent(to).size());
    for (unsigned attempt = 0; attempt < 100; ++attempt) {
        const String detour = directory + Ascii<String>("~vl" + std::to_string(GetCurrentProcessId()) + "-" +
                                                        std::to_string(attempt) + ".tmp");
        if (GetAttributes(detour.c_str()) != INVALID_FILE_ATTRIBUTES)
            continue;
        if (!Move(to.c_str(), detour.c_str()))
            return false;
        if (Move(detour.c_str(), to.c_str()))
            return true;
        Move(detour.c_str(), from.c_str());
        return false;
    }
    return false;
}

// Moves a file, never replacing an existing target; a file onto itself in another letter case
// is renamed.
template <typename String>
FileResult MoveNoReplace(const String& from, const String& to) {
    if (!Move(from.c_str(), to.c_str()))
        return Outcome(false);
    // Wine on a case-sensitive file system reports such a case-only rename as done but keeps the
    // old spelling; a detour over a free name gives the file the spelling asked for. Any other
    // rename is spelled as asked, and is not looked up again: under Wine a look-up searches the
    // whole folder, which made a batch's cost grow with the folder.
    if (CompareIgnoringCase(from.c_str(), to.c_str()) != 0)
        return FileResult::Success();
    const String spelling = SpellingOnDisk(to);
    const String wanted = LastComponent(to);
    if (spelling.empty() || spelling == wanted || CompareIgnoringCase(spelling.c_str(), wanted.c_str()))
        return FileResult::Success();
    return Outcome(Respell(from, to));
}

// Puts `from` in the place of `to`, keeping the hidden bit of the file it replaces.
template <typename String>
FileResult ReplaceAtomically(const String& from, const String& to) {
    const DWORD old = GetAttributes(to.c_str());
    if (old != INVALID_FILE_ATTRIBUTES) {
        // A read-only file is one the user asked us not to change; a directory is no file to
        // replace.
        if (old & FILE_ATTRIBUTE_READONLY)
            return Refused(ERROR_ACCESS_DENIED);
        if (old & FILE_ATTRIBUTE_DIRECTORY)
            return Refused(ERROR_DIRECTORY);
    }
    if (!MoveEx(from.c_str(), to.c_str(),
                MOVEFILE_REPLACE_EXISTING | MOVEFILE_COPY_ALLOWED | MOVEFILE_WRITE_THROUGH))
        return Outcome(false);
    if (old != INVALID_FILE_ATTRIBUTES && (old & FILE_ATTRIBUTE_HIDDEN)) {
        const DWORD now = GetAttributes(to.c_str());
        // The new file is in place; a hidden bit that cannot be set back is no reason to report
        // the replacement as failed.
        if (now != INVALID_FILE_ATTRIBUTES && !(now & FILE_ATTRIBUTE_HIDDEN))
            SetAttributes(to.c_str(), (now & ~FILE_ATTRIBUTE_NORMAL) | FILE_ATTRIBUTE_HIDDEN);
    }
    return FileResult::Success();
}

// Whether two paths name the same file or directory (directories need backup semantics to be
// opened at all).
template <typename String>
bool SameFile(const String& a, const String& b) {
    const DWORD share = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;
    FileHandle first(Open(a.c_str(), 0, share, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS));
    FileHandle second(Open(b.c_str(), 0, share, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS));
    if (!first.IsOpen() || !second.IsOpen())
        return false;
    BY_HANDLE_FILE_INFORMATION one{};
    BY_HANDLE_FILE_INFORMATION two{};
    if (!GetFileInformationByHandle(first.Get(), &one) || !GetFileInformationByHandle(second.Get(), &two))
        return false;
    return one.dwVolumeSerialNumber == two.dwVolumeSerialNumber && one.nFileIndexHigh == two.nFileIndexHigh &&
           one.nFileIndexLow == two.nFileIndexLow;
}

// Up to `count` bytes from the start of a file.
template <typename String>
FileResult ReadStartOf(const String& path, std::size_t count, std::string* bytes) {
    return ReadStart(
        FileHandle(Open(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                        OPEN_EXISTING, 0)),
        count, bytes);
}

// A regular file on a disk, opened for reading at any place.
template <typename String>
FileResult OpenForReading(const String& path, std::unique_ptr<ReadableFile>* file) {
    return ReadableDiskFile(Open(path.c_str(), GENERIC_READ,
                                 FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, OPEN_EXISTING, 0),
                            file);
}

// A new empty file for writing, never one that is there already.
template <typename String>
FileResult CreateNewForWriting(const String& path, std::unique_ptr<WritableFile>* file) {
    HANDLE handle = Open(path.c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ, CREATE_NEW, 0);
    if (handle == INVALID_HANDLE_VALUE)
        return Outcome(false);
    *file = MakeWritableFile(handle);
    return FileResult::Success();
}

// A file created empty (or emptied) for writing.
template <typename String>
FileResult OpenForWriting(const String& path, std::unique_ptr<WritableFile>* file) {
    HANDLE handle = Open(path.c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ, CREATE_ALWAYS, 0);
    if (handle == INVALID_HANDLE_VALUE)
        return Outcome(false);
    *file = MakeWritableFile(handle);
    return FileResult::Success();
}

inline std::uint64_t Join(DWORD high, DWORD low) {
    return (static_cast<std::uint64_t>(high) << 32) | low;
}

inline std::string Failure(const char* call, const std::string& path, DWORD error) {
    return std::string(call) + "(" + path +
           "): " + std::error_code(static_cast<int>(error), std::system_category()).message();
}

// Every entry of a directory but "." and ".."; `text` turns a listed name into the file system's
// text, `shown` is the directory as messages name it.
template <typename String, typename Text>
bool ListDirectory(const String& directory, const std::string& shown, Text text,
                   std::vector<DirectoryEntry>* entries, std::string* error) {
    entries->clear();
    String pattern = directory.empty() ? Ascii<String>(".") : directory;
    if (pattern.find_last_of(Ascii<String>("\\/:")) != pattern.size() - 1)
        pattern += Ascii<String>("\\");
    pattern += Ascii<String>("*");
    typename FindDataOf<typename String::value_type>::Type data;
    HANDLE find = FindFirst(pattern.c_str(), &data);
    if (find == INVALID_HANDLE_VALUE) {
        const DWORD code = GetLastError();
        // A drive's root has no "." or "..": an empty one lists nothing at all.
        if (code == ERROR_FILE_NOT_FOUND)
            return true;
        *error = Failure("FindFirstFile", shown, code);
        return false;
    }
    do {
        const String name = data.cFileName;
        if (name == Ascii<String>(".") || name == Ascii<String>(".."))
            continue;
        entries->push_back(
            DirectoryEntry{text(name), data.dwFileAttributes, Join(data.nFileSizeHigh, data.nFileSizeLow),
                           Join(data.ftLastWriteTime.dwHighDateTime, data.ftLastWriteTime.dwLowDateTime),
                           Join(data.ftCreationTime.dwHighDateTime, data.ftCreationTime.dwLowDateTime)});
    } while (FindNext(find, &data));
    const DWORD code = GetLastError();
    FindClose(find);
    if (code != ERROR_NO_MORE_FILES) {
        *error = Failure("FindNextFile", shown, code);
        return false;
    }
    return true;
}

template <typename String>
bool QueryEntry(const String& path, DirectoryEntry* entry) {
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!GetAttributesEx(path.c_str(), &data))
        return false;
    entry->attributes = data.dwFileAttributes;
    entry->size = Join(data.nFileSizeHigh, data.nFileSizeLow);
    entry->writeTime = Join(data.ftLastWriteTime.dwHighDateTime, data.ftLastWriteTime.dwLowDateTime);
    entry->creationTime = Join(data.ftCreationTime.dwHighDateTime, data.ftCreationTime.dwLowDateTime);
    return true;
}

// 0 when the directory exists afterwards, else the system's error.
template <typename String>
DWORD MakeDirectories(const String& path) {
    const DWORD attributes = GetAttributes(path.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES)
        return (attributes & FILE_ATTRIBUTE_DIRECTORY) ? 0 : ERROR_DIRECTORY;
    const std::size_t slash = path.find_last_of(Ascii<String>("\\/"), path.size() > 1 ? path.size() - 2 : 0);
    if (slash != String::npos && slash > 0 && path[slash - 1] != ':') {
        if (const DWORD error = MakeDirectories(path.substr(0, slash)))
            return error;
    }
    if (MakeDirectory(path.c_str()) || GetLastError() == ERROR_ALREADY_EXISTS)
        return 0;
    return GetLastError();
}

// The full, long form of a path, without a trailing separator (but for a drive's root); the
// path as it is when the system cannot say.
template <typename String>
String FullPath(const String& path) {
    typename String::value_type buffer[32768];
    DWORD length = FullPathName(path.c_str(), 32768, buffer);
    if (length == 0 || length >= 32768)
        return path;
    String full(buffer, length);
    length = LongPathName(full.c_str(), buffer, 32768);
    if (length > 0 && length < 32768)
        full.assign(buffer, length);
    while (full.size() > 3 && (full.back() == '\\' || full.back() == '/'))
        full.pop_back();
    return full;
}

}  // namespace velmora::win32
