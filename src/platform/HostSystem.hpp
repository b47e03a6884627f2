// What the velmora host needs from the system beyond the plug-in's file and registry access:
// reading a directory, the current directory, loading the plug-in module, terminals, and the text
// of a description file in the encoding the plug-in expects.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace velmora::host {

struct DirectoryEntry {
    std::string name;           // bare name, bytes as the system gives them
    std::uint32_t attributes;   // host attribute bits (see platform/Platform.hpp)
    std::uint64_t size;
    std::uint64_t writeTime;    // FILETIME-style 100 ns ticks since 1601, 0 when unknown
};

// Every entry of a directory except "." and "..", in the system's order. False with a reason
// ("opendir(DIR): reason") when the directory cannot be read.
bool ReadDirectory(const std::string& directory, std::vector<DirectoryEntry>* entries,
                   std::string* error);

bool ChangeDirectory(const std::string& directory, std::string* error);

// The directory holding the running executable, with a trailing separator.
std::string ExecutableDirectory();

// A loaded shared module; unloaded when destroyed.
class Module {
public:
    Module() = default;
    Module(const Module&) = delete;
    Module& operator=(const Module&) = delete;
    ~Module();
    bool Load(const std::string& path, std::string* error);
    void* Symbol(const char* name) const;
private:
    void* handle_ = nullptr;
};

bool IsTerminal(int fd);  // 0 stdin, 1 stdout, 2 stderr

// Monotonic clock in milliseconds, for throttling progress output.
std::uint64_t MonotonicMilliseconds();

// Reads a whole file; false with a reason when it cannot.
bool ReadWholeFile(const std::string& path, std::string* contents, std::string* error);

// The environment variable's value, or empty.
std::string Environment(const char* name);

// A description file's text as the plug-in reads it. On POSIX that is UTF-8, as far2l hands it
// over: after a UTF-8 byte-order mark, the rest of the file; without one, every line that is valid
// UTF-8 as it stands and every other line decoded from the OEM code page far2l deduces from the
// locale, bytes that code page cannot map kept as they are. On Windows the host works in OEM
// throughout and the bytes are the text. The result views `bytes` when nothing needed converting,
// else `*converted`.
std::string_view DescriptionText(std::string_view bytes, std::string* converted);

}  // namespace velmora::host
