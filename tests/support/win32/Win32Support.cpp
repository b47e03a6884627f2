#include "support/win32/Win32Support.hpp"

#if defined(_WIN32)
#include "platform/win32/WindowsPrelude.hpp"

#include <algorithm>
#include <atomic>
#include <filesystem>
#include <fstream>

#include "platform/HostSystem.hpp"

namespace velmora::test {
namespace {
std::atomic<unsigned> g_sequence{0};

// As velmora.exe does first thing, before any test touches a file.
[[maybe_unused]] const bool g_hostCodePage = (host::UseHostCodePage(), true);

std::wstring Widen(const std::string& text, UINT codePage) {
    if (text.empty())
        return std::wstring();
    const int size = static_cast<int>(text.size());
    std::wstring wide(
        static_cast<std::size_t>(MultiByteToWideChar(codePage, 0, text.data(), size, nullptr, 0)), L'\0');
    MultiByteToWideChar(codePage, 0, text.data(), size, &wide[0], static_cast<int>(wide.size()));
    return wide;
}

std::string Narrow(const std::wstring& wide, UINT codePage) {
    if (wide.empty())
        return std::string();
    const int size = static_cast<int>(wide.size());
    std::string text(static_cast<std::size_t>(
                         WideCharToMultiByte(codePage, 0, wide.data(), size, nullptr, 0, nullptr, nullptr)),
                     '\0');
    WideCharToMultiByte(codePage, 0, wide.data(), size, &text[0], static_cast<int>(text.size()), nullptr,
                        nullptr);
    return text;
}

// One argument quoted for CommandLineToArgvW and the C runtime: backslashes count only before a
// quote.
std::wstring Quoted(const std::wstring& arg) {
    std::wstring out = L"\"";
    std::size_t backslashes = 0;
    for (wchar_t c : arg) {
        if (c == L'\\') {
            ++backslashes;
            continue;
        }
        out.append(c == L'"' ? backslashes * 2 + 1 : backslashes, L'\\');
        backslashes = 0;
        out.push_back(c);
    }
    out.append(backslashes * 2, L'\\');
    return out + L"\"";
}

HANDLE OpenInherited(const std::wstring& path, DWORD access, DWORD disposition) {
    SECURITY_ATTRIBUTES inherit{sizeof(inherit), nullptr, TRUE};
    return CreateFileW(path.c_str(), access, FILE_SHARE_READ | FILE_SHARE_WRITE, &inherit, disposition,
                       FILE_ATTRIBUTE_NORMAL, nullptr);
}

}  // namespace

TestRegistryKey::TestRegistryKey()
    : path_("Software\\VelmoraTest\\" + std::to_string(GetCurrentProcessId()) + "-" +
            std::to_string(++g_sequence)) {
    // A key left over by a crashed run with the same process id must not leak into this test.
    RegDeleteTreeA(HKEY_CURRENT_USER, path_.c_str());
}

TestRegistryKey::~TestRegistryKey() {
    RegDeleteTreeA(HKEY_CURRENT_USER, path_.c_str());
    // The shared parent goes too once no test key is left below it; this fails while others exist.
    RegDeleteKeyA(HKEY_CURRENT_USER, "Software\\VelmoraTest");
}

bool QueryStoredValue(const std::string& keyPath, const std::string& name, StoredValue* value) {
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, keyPath.c_str(), 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS)
        return false;
    DWORD type = 0;
    DWORD size = 0;
    bool ok = RegQueryValueExA(key, name.c_str(), nullptr, &type, nullptr, &size) == ERROR_SUCCESS;
    std::string bytes(size, '\0');
    if (ok && size != 0)
        ok = RegQueryValueExA(key, name.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(&bytes[0]), &size) ==
             ERROR_SUCCESS;
    RegCloseKey(key);
    if (!ok)
        return false;
    bytes.resize(size);
    value->type = type;
    value->bytes = bytes;
    return true;
}

std::vector<std::string> ListHostNames(const std::string& directory) {
    std::vector<std::string> names;
    WIN32_FIND_DATAA entry;
    HANDLE find = FindFirstFileA((directory + "\\*").c_str(), &entry);
    if (find == INVALID_HANDLE_VALUE)
        return names;
    do {
        const std::string name = entry.cFileName;
        if (name != "." && name != "..")
            names.push_back(name);
    } while (FindNextFileA(find, &entry));
    FindClose(find);
    return names;
}

bool HostPathExists(const std::string& path) {
    return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

unsigned OemCodePage() {
    return GetOEMCP();
}

std::string Oem(const std::string& utf8) {
    return Narrow(Widen(utf8, CP_UTF8), CP_OEMCP);
}

std::vector<std::string> ListUtf8Names(const std::string& directory) {
    std::vector<std::string> names;
    std::error_code ec;
    for (std::filesystem::directory_iterator it(host::StreamPath(directory), ec), end; !ec && it != end;
         it.increment(ec))
        names.push_back(Narrow(it->path().filename().wstring(), CP_UTF8));
    std::sort(names.begin(), names.end());
    return names;
}

bool WriteUtf8NamedFile(const std::string& path, const std::string& bytes) {
    std::ofstream out(std::filesystem::path(Widen(path, CP_UTF8)), std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    out.close();
    return !out.fail();
}

int RunWindowsProgram(const std::string& program, const std::vector<std::string>& args,
                      const std::string& directory, const std::string& outPath, const std::string& errPath) {
    std::wstring command = Quoted(host::StreamPath(program).wstring());
    for (const std::string& arg : args)
        command += L" " + Quoted(Widen(arg, CP_OEMCP));
    HANDLE in = OpenInherited(L"NUL", GENERIC_READ, OPEN_EXISTING);
    HANDLE out = OpenInherited(host::StreamPath(outPath).wstring(), GENERIC_WRITE, CREATE_ALWAYS);
    HANDLE err = OpenInherited(host::StreamPath(errPath).wstring(), GENERIC_WRITE, CREATE_ALWAYS);
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = in;
    startup.hStdOutput = out;
    startup.hStdError = err;
    PROCESS_INFORMATION process{};
    int status = -1;
    if (in != INVALID_HANDLE_VALUE && out != INVALID_HANDLE_VALUE && err != INVALID_HANDLE_VALUE &&
        CreateProcessW(nullptr, &command[0], nullptr, nullptr, TRUE, 0, nullptr,
                       host::StreamPath(directory).wstring().c_str(), &startup, &process)) {
        DWORD code = 0;
        if (WaitForSingleObject(process.hProcess, INFINITE) == WAIT_OBJECT_0 &&
            GetExitCodeProcess(process.hProcess, &code))
            status = static_cast<int>(code);
        CloseHandle(process.hThread);
        CloseHandle(process.hProcess);
    }
    for (HANDLE handle : {in, out, err}) {
        if (handle != INVALID_HANDLE_VALUE)
            CloseHandle(handle);
    }
    return status;
}

bool SetAttributes(const std::string& path, std::uint32_t attributes) {
    return SetFileAttributesA(path.c_str(), attributes == 0 ? FILE_ATTRIBUTE_NORMAL : attributes) != 0;
}

}  // namespace velmora::test
#endif
