#include "platform/RegistryStore.hpp"

#include <algorithm>
#include <cstdio>

namespace velmora {
namespace {

constexpr char kHeader[] = "REGEDIT4";
constexpr char kRoot[] = "hkey_current_user";

char FoldChar(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

std::string Fold(const std::string& text) {
    std::string folded = text;
    for (char& c : folded)
        c = FoldChar(c);
    return folded;
}

bool IsBlank(char c) {
    return c == ' ' || c == '\t';
}

// The part of a line that matters: without the line's own "\r" and surrounding blanks.
std::string Trim(const std::string& line) {
    std::size_t begin = 0;
    std::size_t end = line.size();
    while (end > begin && (IsBlank(line[end - 1]) || line[end - 1] == '\r'))
        --end;
    while (begin < end && IsBlank(line[begin]))
        ++begin;
    return line.substr(begin, end - begin);
}

int HexDigit(char c) {
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

bool StartsWithFolded(const std::string& text, std::size_t pos, const char* prefix) {
    for (std::size_t i = 0; prefix[i]; ++i) {
        if (pos + i >= text.size() || FoldChar(text[pos + i]) != prefix[i])
            return false;
    }
    return true;
}

// Joins the non-empty components of a key path, folded, below the root.
std::string FoldComponents(const std::string& path, std::size_t begin, std::size_t end) {
    std::string folded;
    std::size_t start = begin;
    for (std::size_t i = begin; i <= end; ++i) {
        if (i == end || path[i] == '\\') {
            if (i > start) {
                if (!folded.empty())
                    folded += '\\';
                for (std::size_t j = start; j < i; ++j)
                    folded += FoldChar(path[j]);
            }
            start = i + 1;
        }
    }
    return folded;
}

// Reads a quoted string starting at text[*pos] == '"'; only \\ and \" are escapes.
bool ParseQuoted(const std::string& text, std::size_t* pos, std::string* out) {
    if (*pos >= text.size() || text[*pos] != '"')
        return false;
    out->clear();
    for (std::size_t i = *pos + 1; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '"') {
            *pos = i + 1;
            return true;
        }
        if (c == '\\') {
            if (i + 1 >= text.size() || (text[i + 1] != '\\' && text[i + 1] != '"'))
                return false;
            *out += text[++i];
        } else {
            *out += c;
        }
    }
    return false;
}

void SkipBlanks(const std::string& text, std::size_t* pos) {
    while (*pos < text.size() && IsBlank(text[*pos]))
        ++*pos;
}

// Appends the bytes of "01, 02,ff" (a trailing comma is allowed, for continued lines).
bool AppendHexBytes(const std::string& text, std::size_t pos, std::string* out) {
    for (;;) {
        SkipBlanks(text, &pos);
        if (pos == text.size())
            return true;
        int value = 0;
        int digits = 0;
        while (pos < text.size() && digits < 2 && HexDigit(text[pos]) >= 0) {
            value = value * 16 + HexDigit(text[pos++]);
            ++digits;
        }
        if (digits == 0)
            return false;
        out->push_back(static_cast<char>(value));
        SkipBlanks(text, &pos);
        if (pos == text.size())
            return true;
        if (text[pos] != ',')
            return false;
        ++pos;
    }
}

// Reads up to eight hex digits; false for none or more.
bool ParseHexNumber(const std::string& text, std::size_t* pos, std::uint32_t* value) {
    std::uint32_t number = 0;
    int digits = 0;
    while (*pos < text.size() && HexDigit(text[*pos]) >= 0) {
        if (++digits > 8)
            return false;
        number = number * 16 + static_cast<std::uint32_t>(HexDigit(text[*pos]));
        ++*pos;
    }
    *value = number;
    return digits > 0;
}

enum class ValueParse { kInvalid, kComplete, kContinued };

// Parses one trimmed value line: "name"=data or @=data. A hex list ending in "\" continues on
// the following lines.
ValueParse ParseValueLine(const std::string& line, std::string* name, RegistryValue* value) {
    std::size_t pos = 0;
    if (line.empty())
        return ValueParse::kInvalid;
    if (line[0] == '@') {
        name->clear();
        pos = 1;
    } else if (!ParseQuoted(line, &pos, name)) {
        return ValueParse::kInvalid;
    }
    SkipBlanks(line, &pos);
    if (pos >= line.size() || line[pos] != '=')
        return ValueParse::kInvalid;
    ++pos;
    SkipBlanks(line, &pos);
    value->bytes.clear();
    if (pos < line.size() && line[pos] == '"') {
        std::string text;
        if (!ParseQuoted(line, &pos, &text) || pos != line.size())
            return ValueParse::kInvalid;
        value->type = kRegistryString;
        value->bytes = text + '\0';
        return ValueParse::kComplete;
    }
    if (StartsWithFolded(line, pos, "dword:")) {
        pos += 6;
        std::uint32_t number = 0;
        if (!ParseHexNumber(line, &pos, &number) || pos != line.size())
            return ValueParse::kInvalid;
        value->type = kRegistryDword;
        for (int i = 0; i < 4; ++i)
            value->bytes += static_cast<char>((number >> (8 * i)) & 0xFF);
        return ValueParse::kComplete;
    }
    if (!StartsWithFolded(line, pos, "hex"))
        return ValueParse::kInvalid;
    pos += 3;
    value->type = kRegistryBinary;
    if (pos < line.size() && line[pos] == '(') {
        ++pos;
        if (!ParseHexNumber(line, &pos, &value->type) || pos >= line.size() || line[pos] != ')') {
            return ValueParse::kInvalid;
        }
        ++pos;
    }
    if (pos >= line.size() || line[pos] != ':')
        return ValueParse::kInvalid;
    ++pos;
    const bool continued = line.back() == '\\';
    const std::string list = line.substr(pos, line.size() - pos - (continued ? 1 : 0));
    if (!AppendHexBytes(list, 0, &value->bytes))
        return ValueParse::kInvalid;
    return continued ? ValueParse::kContinued : ValueParse::kComplete;
}

std::string Quote(const std::string& text) {
    std::string quoted = "\"";
    for (char c : text) {
        if (c == '\\' || c == '"')
            quoted += '\\';
        quoted += c;
    }
    return quoted + '"';
}

// A string value is written as text only when reading it back gives the very same bytes.
bool FitsQuotedText(const RegistryValue& value) {
    if (value.type != kRegistryString || value.bytes.empty() || value.bytes.back() != '\0')
        return false;
    for (std::size_t i = 0; i + 1 < value.bytes.size(); ++i) {
        const unsigned char c = static_cast<unsigned char>(value.bytes[i]);
        if (c < 0x20 || c == 0x7F)
            return false;
    }
    return true;
}

bool Storable(const std::string& name) {
    return name.find_first_of(std::string("\r\n\0", 3)) == std::string::npos;
}

}  // namespace

std::string FoldRegistryKeyPath(const std::string& keyPath) {
    const std::string below = FoldComponents(keyPath, 0, keyPath.size());
    return below.empty() ? std::string(kRoot) : std::string(kRoot) + '\\' + below;
}

RegistryStore::RegistryStore(const std::string& text) {
    if (text.empty())
        return;
    std::size_t begin = 0;
    if (text.compare(0, 3, "\xEF\xBB\xBF") == 0)
        begin = 3;  // a byte order mark some editors add
    const std::size_t newline = text.find('\n', begin);
    const std::size_t end = newline == std::string::npos ? text.size() : newline;
    hasHeader_ = Trim(text.substr(begin, end - begin)) == kHeader;
    if (hasHeader_) {
        begin = newline == std::string::npos ? text.size() : newline + 1;
    } else {
        begin = 0;  // keep everything, the first line included
    }
    ParseLines(text, begin);
}

void RegistryStore::ParseLines(const std::string& text, std::size_t begin) {
    std::vector<std::string> raw;
    for (std::size_t pos = begin; pos < text.size();) {
        std::size_t newline = text.find('\n', pos);
        if (newline == std::string::npos)
            newline = text.size();
        raw.push_back(text.substr(pos, newline - pos));
        pos = newline + 1;
    }

    bool inSection = false;
    std::size_t section = 0;
    for (std::size_t i = 0; i < raw.size();) {
        const std::string line = Trim(raw[i]);
        Line parsed;
        parsed.text = raw[i];
        if (!line.empty() && line[0] == '[') {
            parsed.kind = Kind::kSection;
            if (line.size() >= 2 && line.back() == ']' && line[1] != '-') {
                const std::string path = line.substr(1, line.size() - 2);
                const std::size_t slash = path.find('\\');
                const std::string root = path.substr(0, slash == std::string::npos ? path.size() : slash);
                if (Fold(root) == kRoot) {
                    parsed.foldedKey = FoldRegistryKeyPath(path.substr(root.size()));
                }
            }
            // A section that can never match still ends the previous one.
            inSection = true;
            section = lines_.size();
            lines_.push_back(std::move(parsed));
            ++i;
            continue;
        }
        ValueParse result =
            inSection ? ParseValueLine(line, &parsed.name, &parsed.value) : ValueParse::kInvalid;
        std::size_t next = i + 1;
        // Continued hex lists: every further line is a bare byte list, the last without "\".
        while (result == ValueParse::kContinued) {
            if (next >= raw.size()) {
                result = ValueParse::kInvalid;
                break;
            }
            const std::string more = Trim(raw[next]);
            const bool continued = !more.empty() && more.back() == '\\';
            if (!AppendHexBytes(more.substr(0, more.size() - (continued ? 1 : 0)), 0, &parsed.value.bytes)) {
                result = ValueParse::kInvalid;
                break;
            }
            parsed.text += '\n';
            parsed.text += raw[next];
            ++next;
            if (!continued)
                result = ValueParse::kComplete;
        }
        if (result == ValueParse::kComplete) {
            parsed.kind = Kind::kValue;
            parsed.section = section;
            parsed.foldedName = Fold(parsed.name);
            lines_.push_back(std::move(parsed));
            i = next;
            continue;
        }
        // Not understood: this line is kept as it is, and so are byte lines it had taken in,
        // which could never be understood on their own either; the line that broke the
        // continuation is looked at afresh.
        for (std::size_t j = i; j < next; ++j) {
            Line verbatim;
            verbatim.text = raw[j];
            lines_.push_back(std::move(verbatim));
        }
        i = next > i + 1 ? next : i + 1;
    }
}

const RegistryValue* RegistryStore::Find(const std::string& keyPath, const std::string& valueName) const {
    const std::string key = FoldRegistryKeyPath(keyPath);
    const std::string name = Fold(valueName);
    const RegistryValue* found = nullptr;
    for (const Line& line : lines_) {
        if (line.kind == Kind::kValue && line.foldedName == name && lines_[line.section].foldedKey == key) {
            found = &line.value;
        }
    }
    return found;
}

bool RegistryStore::Set(const std::string& keyPath, const std::string& valueName,
                        const RegistryValue& value) {
    if (!Storable(keyPath) || !Storable(valueName))
        return false;
    const std::string key = FoldRegistryKeyPath(keyPath);
    const std::string name = Fold(valueName);
    std::size_t existing = lines_.size();
    std::size_t sectionLine = lines_.size();
    for (std::size_t i = 0; i < lines_.size(); ++i) {
        const Line& line = lines_[i];
        if (line.kind == Kind::kSection && line.foldedKey == key)
            sectionLine = i;
        if (line.kind == Kind::kValue && line.foldedName == name && lines_[line.section].foldedKey == key) {
            existing = i;
        }
    }
    if (existing < lines_.size()) {
        lines_[existing].value = value;
        lines_[existing].text.clear();
        return true;
    }

    Line added;
    added.kind = Kind::kValue;
    added.name = valueName;
    added.foldedName = name;
    added.value = value;
    if (sectionLine < lines_.size()) {
        // After the last non-blank line of the section, before the blank line that closes it.
        std::size_t insertAt = sectionLine + 1;
        for (std::size_t i = sectionLine + 1; i < lines_.size() && lines_[i].kind != Kind::kSection; ++i) {
            if (lines_[i].kind != Kind::kVerbatim || !Trim(lines_[i].text).empty())
                insertAt = i + 1;
        }
        added.section = sectionLine;
        for (std::size_t i = insertAt; i < lines_.size(); ++i) {
            if (lines_[i].kind == Kind::kValue)
                ++lines_[i].section;
        }
        lines_.insert(lines_.begin() + static_cast<std::ptrdiff_t>(insertAt), std::move(added));
        return true;
    }

    // A blank line ends the last section, but not after a line that ends in "\": the next line
    // continues that one, and a blank line would complete a value the file left unfinished.
    const std::string last = lines_.empty() ? std::string() : Trim(lines_.back().text);
    const bool continued = !last.empty() && last.back() == '\\';
    if (!continued && (lines_.empty() || !last.empty() || lines_.back().kind != Kind::kVerbatim)) {
        lines_.push_back(Line());
    }
    Line header;
    header.kind = Kind::kSection;
    header.foldedKey = key;
    std::string path = "HKEY_CURRENT_USER";
    std::size_t start = 0;
    for (std::size_t i = 0; i <= keyPath.size(); ++i) {
        if (i == keyPath.size() || keyPath[i] == '\\') {
            if (i > start)
                path += '\\' + keyPath.substr(start, i - start);
            start = i + 1;
        }
    }
    header.text = "[" + path + "]";
    added.section = lines_.size();
    lines_.push_back(std::move(header));
    lines_.push_back(std::move(added));
    lines_.push_back(Line());
    return true;
}

namespace {

// The components of a section line's key path below the root, as written: "[HKEY_CURRENT_USER\\A\\B]"
// gives A and B.
std::vector<std::string> SectionComponents(const std::string& text) {
    const std::string line = Trim(text);
    std::vector<std::string> components;
    if (line.size() < 2)
        return components;
    const std::string path = line.substr(1, line.size() - 2);
    std::size_t start = path.find('\\');
    if (start == std::string::npos)
        return components;
    ++start;
    for (std::size_t i = start; i <= path.size(); ++i) {
        if (i == path.size() || path[i] == '\\') {
            if (i > start)
                components.push_back(path.substr(start, i - start));
            start = i + 1;
        }
    }
    return components;
}

// True when `folded` is the key `key` or a key below it.
bool WithinKey(const std::string& folded, const std::string& key) {
    return folded == key || (folded.size() > key.size() && folded.compare(0, key.size(), key) == 0 &&
                             folded[key.size()] == '\\');
}

}  // namespace

bool RegistryStore::Subkeys(const std::string& keyPath, std::vector<std::string>* names) const {
    names->clear();
    const std::string key = FoldRegistryKeyPath(keyPath);
    // The components of the root and of the key: the subkey's name is the one after them.
    std::size_t depth = 0;
    for (const char c : key)
        depth += c == '\\' ? 1 : 0;
    bool found = false;
    std::vector<std::string> seen;
    for (const Line& line : lines_) {
        if (line.kind != Kind::kSection || line.foldedKey.empty() || !WithinKey(line.foldedKey, key))
            continue;
        found = true;
        if (line.foldedKey.size() == key.size())
            continue;
        const std::vector<std::string> components = SectionComponents(line.text);
        if (components.size() <= depth)
            continue;
        const std::string& name = components[depth];
        const std::string folded = Fold(name);
        if (std::find(seen.begin(), seen.end(), folded) != seen.end())
            continue;
        seen.push_back(folded);
        names->push_back(name);
    }
    return found;
}

bool RegistryStore::DeleteKey(const std::string& keyPath) {
    const std::string key = FoldRegistryKeyPath(keyPath);
    std::vector<Line> kept;
    std::vector<std::size_t> moved(lines_.size(), 0);
    bool removing = false;
    bool removed = false;
    for (std::size_t i = 0; i < lines_.size(); ++i) {
        Line& line = lines_[i];
        if (line.kind == Kind::kSection)
            removing = !line.foldedKey.empty() && WithinKey(line.foldedKey, key);
        if (removing) {
            removed = true;
            continue;
        }
        moved[i] = kept.size();
        kept.push_back(std::move(line));
    }
    for (Line& line : kept) {
        if (line.kind == Kind::kValue)
            line.section = moved[line.section];
    }
    lines_ = std::move(kept);
    return removed;
}

std::string RegistryStore::SerializeValue(const Line& line) {
    std::string text = line.name.empty() ? std::string("@") : Quote(line.name);
    text += '=';
    const RegistryValue& value = line.value;
    if (FitsQuotedText(value))
        return text + Quote(value.bytes.substr(0, value.bytes.size() - 1));
    if (value.type == kRegistryDword && value.bytes.size() == 4) {
        std::uint32_t number = 0;
        for (int i = 3; i >= 0; --i)
            number = (number << 8) | static_cast<unsigned char>(value.bytes[i]);
        char buffer[32];
        std::snprintf(buffer, sizeof buffer, "dword:%08x", static_cast<unsigned>(number));
        return text + buffer;
    }
    char buffer[32];
    if (value.type == kRegistryBinary) {
        text += "hex:";
    } else {
        std::snprintf(buffer, sizeof buffer, "hex(%x):", static_cast<unsigned>(value.type));
        text += buffer;
    }
    for (std::size_t i = 0; i < value.bytes.size(); ++i) {
        std::snprintf(buffer, sizeof buffer, i ? ",%02x" : "%02x",
                      static_cast<unsigned char>(value.bytes[i]));
        text += buffer;
    }
    return text;
}

std::string RegistryStore::Text() const {
    std::string text = kHeader;
    text += '\n';
    for (const Line& line : lines_) {
        if (line.kind == Kind::kValue && line.text.empty()) {
            text += SerializeValue(line);
        } else {
            text += line.text;
        }
        text += '\n';
    }
    return text;
}

}  // namespace velmora
