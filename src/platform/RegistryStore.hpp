// The settings tree as REGEDIT4 text, the way the POSIX build keeps the registry in a file.
// Pure text in, text out: no system calls, so it can be tested and fuzzed directly.
//
//   REGEDIT4
//
//   [HKEY_CURRENT_USER\Software\Far\Plugins\Velmora]
//   "velmora"="%F"
//   "SaveDescription"=dword:00000001
//   "Odd"=hex(1):61,0a,62,00
//
// Key paths and value names compare case-insensitively (ASCII), as in the Windows registry;
// empty key path components are ignored. Lines that cannot be understood are kept verbatim in
// their place, and values that are not changed keep their original text.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace velmora {

constexpr std::uint32_t kRegistryString = 1;  // REG_SZ
constexpr std::uint32_t kRegistryBinary = 3;  // REG_BINARY
constexpr std::uint32_t kRegistryDword = 4;   // REG_DWORD

struct RegistryValue {
    std::uint32_t type = 0;
    std::string bytes;  // as RegQueryValueEx gives them: a string includes its terminating zero
};

class RegistryStore {
public:
    // Parses the text of a store; any bytes are accepted, in time linear in their length.
    explicit RegistryStore(const std::string& text = std::string());

    // True when the text was empty or began with the "REGEDIT4" line; a text that does not is
    // not one of our stores (or was damaged beyond recognition).
    bool HasHeader() const { return hasHeader_; }

    // The value under HKEY_CURRENT_USER\keyPath, or null. When a value appears more than once,
    // the last one counts, as it would when the file is imported.
    const RegistryValue* Find(const std::string& keyPath, const std::string& valueName) const;

    // Adds or changes one value, creating its key's section when needed. False (and nothing
    // changed) when a name holds a byte that a line cannot carry: line breaks or zero bytes.
    bool Set(const std::string& keyPath, const std::string& valueName, const RegistryValue& value);

    // The keys right below HKEY_CURRENT_USER\keyPath, spelt as the store first spells them, in
    // the order they first appear; false when neither the key nor any key below it has a section.
    bool Subkeys(const std::string& keyPath, std::vector<std::string>* names) const;

    // Removes the sections of the key and of every key below it, with their lines; true when there
    // was one to remove.
    bool DeleteKey(const std::string& keyPath);

    // The whole store as text, starting with the REGEDIT4 line.
    std::string Text() const;

private:
    enum class Kind { kVerbatim, kSection, kValue };
    struct Line {
        Kind kind = Kind::kVerbatim;
        std::string text;         // as read (several lines for a continued value); empty once changed
        std::string foldedKey;    // sections: lower-case key path; empty when it can never match
        std::size_t section = 0;  // values: index of their section line
        std::string name;         // values
        std::string foldedName;   // values
        RegistryValue value;      // values
    };

    void ParseLines(const std::string& text, std::size_t begin);
    static std::string SerializeValue(const Line& line);

    std::vector<Line> lines_;
    bool hasHeader_ = true;
};

// Lower-case "hkey_current_user\a\b" for a key path "A\\B\" as used in lookups.
std::string FoldRegistryKeyPath(const std::string& keyPath);

}  // namespace velmora
