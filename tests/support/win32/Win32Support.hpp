// Windows-only test helpers: registry keys of a test's own, reading values with their types,
// setting file attributes.
#pragma once

#if defined(_WIN32)
#include <cstdint>
#include <string>
#include <vector>

namespace velmora::test {

// A registry key of one test's own under HKEY_CURRENT_USER\Software\VelmoraTest, deleted with
// everything below it when the object goes away, so tests never see each other's settings or
// the user's.
class TestRegistryKey {
public:
    TestRegistryKey();  // Software\VelmoraTest\<process id>-<sequence number>
    ~TestRegistryKey();
    TestRegistryKey(const TestRegistryKey&) = delete;
    TestRegistryKey& operator=(const TestRegistryKey&) = delete;

    // The key itself, relative to HKEY_CURRENT_USER.
    const std::string& Path() const { return path_; }
    // What a test hands to the plug-in as the host's RootKey (velmora --root-key).
    std::string RootKey() const { return path_ + "\\Plugins"; }

private:
    std::string path_;
};

struct StoredValue {
    std::uint32_t type = 0;  // REG_SZ 1, REG_DWORD 4, ...
    std::string bytes;       // as stored, a string's terminator included
};

// Reads a value below HKEY_CURRENT_USER with its type; false when the key or value is missing.
bool QueryStoredValue(const std::string& keyPath, const std::string& name, StoredValue* value);

// The entries of a directory (without "." and "..") as the ANSI functions spell them, unsorted:
// the standard library's paths speak UTF-8 here, the plug-in the ANSI code page.
std::vector<std::string> ListAnsiNames(const std::string& directory);
// True when anything exists at the path, named in the ANSI code page.
bool AnsiPathExists(const std::string& path);

// Sets a file's attribute bits (the host's values: read-only 1, hidden 2, ...); 0 clears them.
bool SetAttributes(const std::string& path, std::uint32_t attributes);

}  // namespace velmora::test
#endif
