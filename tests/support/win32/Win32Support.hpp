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

// The test binary works in the code page velmora.exe works in, OEM, from before its first test;
// the Windows tests run in a Russian locale (OEM 866, ANSI 1251), as this field's users do.

// The entries of a directory (without "." and "..") as the file functions spell them in the
// host's code page, unsorted.
std::vector<std::string> ListHostNames(const std::string& directory);
// True when anything exists at the path, named in the host's code page.
bool HostPathExists(const std::string& path);

// The OEM code page's number (866 on a Russian system).
unsigned OemCodePage();
// UTF-8 text in the OEM code page, converted as the system converts names.
std::string Oem(const std::string& utf8);
// The entries of a directory as the system has them, in UTF-8, sorted: names the OEM code page
// cannot hold included.
std::vector<std::string> ListUtf8Names(const std::string& directory);
// Creates or truncates a file named in UTF-8 and writes the bytes; false on any failure.
bool WriteUtf8NamedFile(const std::string& path, const std::string& bytes);

// Runs a program in `directory` with arguments in the host's code page, handed to it in UTF-16
// as a Windows shell does, and waits for it: its exit status, or -1 when it cannot be started.
// Standard output and error go to the files `outPath` and `errPath`.
int RunWindowsProgram(const std::string& program, const std::vector<std::string>& args,
                      const std::string& directory, const std::string& outPath, const std::string& errPath);

// Sets a file's attribute bits (the host's values: read-only 1, hidden 2, ...); 0 clears them.
bool SetAttributes(const std::string& path, std::uint32_t attributes);

}  // namespace velmora::test
#endif
