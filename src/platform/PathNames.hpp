// How the system spells a path and marks an entry by its name: what a simulation of a directory
// must know to answer as the directory does.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace velmora {

// True for a character that separates directories in a path here. Inline: the plan of a batch
// scans every name for one several times.
inline bool IsPathSeparator(char c) {
#if defined(_WIN32)
    return c == '\\' || c == '/';
#else
    return c == '/';
#endif
}

// The characters the system refuses in a file name (NUL included on POSIX), and whether it also
// refuses every control character (below 0x20).
inline std::string_view RefusedNameCharacters() {
#if defined(_WIN32)
    return "\\/:*?\"<>|";
#else
    return std::string_view("/\0", 2);
#endif
}
#if defined(_WIN32)
constexpr bool kRefusesControlCharacters = true;
#else
constexpr bool kRefusesControlCharacters = false;
#endif

// The path as the system spells what it names: Windows drops the trailing dots and spaces of each
// component ("x." names x); POSIX takes every byte as it is.
std::string NameOnDisk(const std::string& path);
// True where NameOnDisk gives every path back as it is.
#if defined(_WIN32)
constexpr bool kEveryNameAsGiven = false;
#else
constexpr bool kEveryNameAsGiven = true;
#endif

// Whether the system takes two names that differ in letter case alone for one name.
#if defined(_WIN32)
constexpr bool kNamesIgnoreCase = true;
#else
constexpr bool kNamesIgnoreCase = false;
#endif

// How the system's own editors end a line of text: CR LF on Windows, LF on POSIX.
#if defined(_WIN32)
constexpr const char* kTextLineEnd = "\r\n";
#else
constexpr const char* kTextLineEnd = "\n";
#endif

// The separator the system writes its own paths with: the only one the "\\?\" form of a long
// Windows path takes.
char PathSeparator();
// The folder of velmora's own state in the system's per-user state directory, spelled as the
// system's applications spell theirs there.
const char* StateFolderName();

// The attribute bits an entry with `attributes` has after it is renamed to `name`: on POSIX the
// hidden bit (and so the archive bit) follows the name; Windows keeps them with the file.
std::uint32_t AttributesUnderName(std::uint32_t attributes, const std::string& name);

}  // namespace velmora
