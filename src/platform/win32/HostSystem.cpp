// The velmora host's system access on Windows: directory listing, current directory, loading
// the plug-in DLL, terminals, clock, whole-file reads, the environment, description text, and
// the OEM code page the host works in.
#include "platform/HostSystem.hpp"

#include <fcntl.h>
#include <io.h>

#include <algorithm>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cwchar>
#include <string>
#include <vector>

#include "platform/win32/Win32Handle.hpp"
#include "platform/win32/WindowsPrelude.hpp"

// After the prelude: it needs the types <windows.h> declares.
#include <shellapi.h>

namespace velmora::host {
namespace {

using velmora::win32::FileHandle;
using velmora::win32::HasEmbeddedZero;

// The code page the file functions speak: OEM once UseHostCodePage has run.
UINT HostCodePage() {
    return AreFileApisANSI() ? GetACP() : GetOEMCP();
}

// False when `text` is not valid in the code page (checked only with MB_ERR_INVALID_CHARS).
bool ToWide(const std::string& text, UINT codePage, DWORD flags, std::wstring* wide) {
    wide->clear();
    if (text.empty())
        return true;
    if (text.size() > INT_MAX)
        return false;
    const int size = static_cast<int>(text.size());
    const int length = MultiByteToWideChar(codePage, flags, text.data(), size, nullptr, 0);
    if (length <= 0)
        return false;
    wide->resize(static_cast<std::size_t>(length));
    return MultiByteToWideChar(codePage, flags, text.data(), size, &(*wide)[0], length) == length;
}

// A character the code page lacks becomes its nearest one or "?", as it does when the file
// functions convert a name.
std::string FromWide(const wchar_t* wide, std::size_t count, UINT codePage) {
    if (count == 0 || count > INT_MAX)
        return std::string();
    const int size = static_cast<int>(count);
    const int length = WideCharToMultiByte(codePage, 0, wide, size, nullptr, 0, nullptr, nullptr);
    if (length <= 0)
        return std::string();
    std::string text(static_cast<std::size_t>(length), '\0');
    WideCharToMultiByte(codePage, 0, wide, size, &text[0], length, nullptr, nullptr);
    return text;
}

std::string FromWide(const std::wstring& wide, UINT codePage) {
    return FromWide(wide.data(), wide.size(), codePage);
}

// The system's text for an error code, without the line end the system puts after it.
std::string ErrorText(DWORD error) {
    wchar_t* message = nullptr;
    const DWORD length = FormatMessageW(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
        error, 0, reinterpret_cast<wchar_t*>(&message), 0, nullptr);
    std::string text;
    // In the host's code page, like the names it is printed with.
    if (length != 0 && message)
        text = FromWide(message, length, HostCodePage());
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

}  // namespace

bool ReadDirectory(const std::string& directory, std::vector<DirectoryEntry>* entries, std::string* error) {
    return SystemFileSystem().ListDirectory(directory, entries, error);
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

// A name in a Windows folder is never a pipe or a device (those live under \\.\), so a file of
// a folder is read as any other.
bool ReadPlainFile(const std::string& path, std::string* contents, std::string* error) {
    return ReadWholeFile(path, contents, error);
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

int RunEditor(const std::string& command, const std::string& file, std::string* error) {
    // cmd /c takes the whole line in quotes when it starts with one.
    const std::string line = "\"" + command + " \"" + file + "\"\"";
    std::fflush(nullptr);
    const int status = std::system(line.c_str());
    if (status == -1)
        *error = "cannot start " + command;
    return status;
}

const char* DefaultEditor() {
    return "notepad";
}

bool ReadStandardInput(std::string* contents, std::string* error) {
    contents->clear();
    // Names are bytes: no CR LF translation, no stop at Ctrl+Z.
    _setmode(_fileno(stdin), _O_BINARY);
    char buffer[65536];
    for (;;) {
        const std::size_t got = std::fread(buffer, 1, sizeof buffer, stdin);
        contents->append(buffer, got);
        if (got < sizeof buffer) {
            if (std::ferror(stdin)) {
                *error = "cannot read standard input";
                return false;
            }
            return true;
        }
    }
}

bool QueryEntry(const std::string& path, DirectoryEntry* entry) {
    return SystemFileSystem().Query(path, entry);
}

bool MakeDirectories(const std::string& path, std::string* error) {
    return SystemFileSystem().MakeDirectories(path, error);
}

std::string DefaultStateDirectory() {
    return SystemFileSystem().StateDirectory();
}

std::string_view DescriptionText(std::string_view bytes, std::string*) {
    // FAR 1.x, its description files and this host all work in the OEM code page.
    return bytes;
}

void UseHostCodePage() {
    SetFileApisToOEM();
}

std::vector<std::string> ProgramArguments(int argc, char** argv) {
    std::vector<std::string> args;
    const UINT codePage = HostCodePage();
    int count = 0;
    LPWSTR* wide = CommandLineToArgvW(GetCommandLineW(), &count);
    if (!wide) {
        // The C runtime's split is in the ANSI code page.
        std::wstring text;
        for (int i = 1; i < argc; ++i) {
            ToWide(argv[i], CP_ACP, 0, &text);
            args.push_back(FromWide(text, codePage));
        }
        return args;
    }
    for (int i = 1; i < count; ++i)
        args.push_back(FromWide(wide[i], std::wcslen(wide[i]), codePage));
    LocalFree(wide);
    return args;
}

std::string TextInHostCodePage(const std::string& contents) {
    static const std::string kMark = "\xEF\xBB\xBF";
    const bool marked = contents.compare(0, kMark.size(), kMark) == 0;
    const std::string text = marked ? contents.substr(kMark.size()) : contents;
    if (std::all_of(text.begin(), text.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; }))
        return text;
    std::wstring wide;
    // Bytes that are not UTF-8 were written in the host's code page (the FAR package's CP866).
    if (!ToWide(text, CP_UTF8, MB_ERR_INVALID_CHARS, &wide))
        return contents;
    return FromWide(wide, HostCodePage());
}

bool ConvertsConsoleText() {
    return true;
}

bool WriteToConsole(int fd, const std::string& text) {
    const HANDLE console = GetStdHandle(fd == 1 ? STD_OUTPUT_HANDLE : STD_ERROR_HANDLE);
    DWORD mode = 0;
    if (!console || console == INVALID_HANDLE_VALUE || !GetConsoleMode(console, &mode))
        return false;
    // Past the C runtime, which may read the bytes in a locale of its own (Wine's does), and past
    // the console's code page, which may lack a character the host's has.
    std::wstring wide;
    ToWide(text, HostCodePage(), 0, &wide);
    std::size_t done = 0;
    while (done < wide.size()) {
        const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(wide.size() - done, 16384));
        DWORD written = 0;
        if (!WriteConsoleW(console, wide.data() + done, chunk, &written, nullptr) || written == 0)
            break;
        done += written;
    }
    return true;
}

std::string ConsoleText(const std::string& text) {
    // 0: no console at all; the text goes on as it is.
    const UINT console = GetConsoleOutputCP();
    if (console == 0 || console == HostCodePage())
        return text;
    std::wstring wide;
    if (!ToWide(text, HostCodePage(), 0, &wide))
        return text;
    return FromWide(wide, console);
}

std::string CurrentDirectory() {
    std::vector<char> buffer(MAX_PATH);
    for (;;) {
        const DWORD length = GetCurrentDirectoryA(static_cast<DWORD>(buffer.size()), buffer.data());
        if (length == 0)
            return std::string();
        // Too small: the length asked for includes the terminator.
        if (length < buffer.size())
            return std::string(buffer.data(), length);
        buffer.resize(length);
    }
}

std::filesystem::path StreamPath(const std::string& path) {
    std::wstring wide;
    ToWide(path, HostCodePage(), 0, &wide);
    return std::filesystem::path(wide);
}

}  // namespace velmora::host
