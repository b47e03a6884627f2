#include "support/win32/Win32Support.hpp"

#if defined(_WIN32)
#include "platform/win32/WindowsPrelude.hpp"

#include <atomic>

namespace velmora::test {
namespace {
std::atomic<unsigned> g_sequence{0};
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

std::vector<std::string> ListAnsiNames(const std::string& directory) {
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

bool AnsiPathExists(const std::string& path) {
    return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

bool SetAttributes(const std::string& path, std::uint32_t attributes) {
    return SetFileAttributesA(path.c_str(), attributes == 0 ? FILE_ATTRIBUTE_NORMAL : attributes) != 0;
}

}  // namespace velmora::test
#endif
