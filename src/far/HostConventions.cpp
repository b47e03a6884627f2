#include "far/HostConventions.hpp"

#include <algorithm>
#include <cstring>

#include "platform/Utf16.hpp"

namespace far {
namespace {

template <bool kFold>
std::uint64_t NameHashOf(std::string_view name) {
    std::uint64_t hash = 14695981039346656037ull;
    for (const char c : name) {
        hash ^= static_cast<unsigned char>(kFold ? FoldAscii(c) : c);
        hash *= 1099511628211ull;
    }
    return hash;
}

// Only these count as white space after a separating comma; bytes of 128 and above never do,
// whatever the code page makes of them.
bool IsListSpace(char c) {
    return c == ' ' || (c >= '\t' && c <= '\r');
}

}  // namespace

std::string DescriptionsKeyPath(std::string_view rootKey) {
    std::string path(rootKey);
    const std::string::size_type slash = path.rfind('\\');
    if (slash != std::string::npos) {
        path.erase(slash + 1);
        path += "Descriptions";
    }
    return path;
}

const char* NextListName(const char* position, std::string* name) {
    if (*position == '\0') {
        return nullptr;
    }
    name->clear();
    bool isProtected = false;
    for (; *position != '\0'; ++position) {
        const char c = *position;
        // A "[" without any later "]" protects nothing: the host reads such a list the same way.
        if (c == '[' && std::strchr(position + 1, ']') != nullptr) {
            isProtected = true;
        } else if (c == ']') {
            isProtected = false;
        } else if (c == ',' && !isProtected) {
            ++position;
            while (IsListSpace(*position)) {
                ++position;
            }
            return position;
        }
        name->push_back(c);
    }
    return position;
}

std::vector<std::string> ListNames(std::string_view list) {
    // The list ends at its first zero byte, as the host's own reading of the value does.
    const std::string text(list.substr(0, list.find('\0')));
    std::vector<std::string> names;
    std::string name;
    for (const char* position = text.c_str(); (position = NextListName(position, &name)) != nullptr;) {
        names.push_back(name);
    }
    return names;
}

char FoldAscii(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

std::string FoldAscii(std::string_view text) {
    std::string folded(text);
    for (char& c : folded) {
        c = FoldAscii(c);
    }
    return folded;
}

bool EqualIgnoringAsciiCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) {
        return false;
    }
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (FoldAscii(a[i]) != FoldAscii(b[i])) {
            return false;
        }
    }
    return true;
}

std::string JournalFallbackRoot(const std::string& moduleDirectory) {
    return moduleDirectory.empty() ? std::string() : moduleDirectory + "Journal";
}

std::uint64_t NameHash(std::string_view name, bool folded) {
    return folded ? NameHashOf<true>(name) : NameHashOf<false>(name);
}

namespace {

// A menu text as the host compares it: "&" left out, "&&" read as one "&".
std::string WithoutHotKeyMarks(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '&')
            out.push_back(text[i]);
        else if (i + 1 < text.size() && text[i + 1] == '&')
            out.push_back(text[++i]);
    }
    return out;
}

template <typename Less>
std::vector<int> SortedEntries(const std::vector<std::string_view>& texts, Less less) {
    std::vector<std::string> keys;
    for (const std::string_view text : texts)
        keys.push_back(WithoutHotKeyMarks(text));
    std::vector<int> order(texts.size());
    for (std::size_t i = 0; i < order.size(); ++i)
        order[i] = static_cast<int>(i);
    std::stable_sort(order.begin(), order.end(), [&keys, &less](int a, int b) {
        return less(keys[static_cast<std::size_t>(a)], keys[static_cast<std::size_t>(b)]);
    });
    return order;
}

// far2l's classes of characters, in the order it sorts them.
enum class CharClass { Dot, Punctuation, Space, Word };

CharClass ClassOf(std::uint32_t c) {
    if (c == '.')
        return CharClass::Dot;
    if (c <= 0x20 || (c >= 0x7F && c <= 0xA0) || (c >= 0x2000 && c <= 0x200B) || c == 0x2028 || c == 0x2029 ||
        c == 0x3000)
        return CharClass::Space;
    if (c < 0x80)
        return (c >= '0' && c <= '9') || ((c | 0x20) >= 'a' && (c | 0x20) <= 'z') ? CharClass::Word
                                                                                  : CharClass::Punctuation;
    if ((c >= 0xA1 && c <= 0xBF && c != 0xAA && c != 0xB5 && c != 0xBA) || c == 0xD7 || c == 0xF7 ||
        (c >= 0x2010 && c <= 0x205E) || (c >= 0x3001 && c <= 0x3003))
        return CharClass::Punctuation;
    return CharClass::Word;
}

// The weight of a character within its class.
std::uint32_t WeightOf(std::uint32_t c) {
    if (c >= '0' && c <= '9')
        return c;
    if (c < 0x80)
        return 0x100 + FoldAscii(static_cast<char>(c));
    // Cyrillic capitals to small letters; "ё" between "е" and "ж".
    if (c >= 0x410 && c <= 0x42F)
        c += 0x20;
    else if (c >= 0x400 && c <= 0x40F)
        c += 0x50;
    if (c == 0x451)
        return 0x200 + 0x435 * 2 + 1;
    return 0x200 + c * 2;
}

}  // namespace

std::vector<int> MenuOrderFar1(const std::vector<std::string_view>& texts) {
    return SortedEntries(texts, [](const std::string& x, const std::string& y) {
        return std::lexicographical_compare(x.begin(), x.end(), y.begin(), y.end(), [](char c, char d) {
            return static_cast<unsigned char>(FoldAscii(c)) < static_cast<unsigned char>(FoldAscii(d));
        });
    });
}

int CompareFar2lMenuTexts(std::string_view a, std::string_view b) {
    std::size_t i = 0, j = 0;
    while (i < a.size() && j < b.size()) {
        const std::uint32_t c = velmora::utf16_detail::NextCodePoint(a, &i);
        const std::uint32_t d = velmora::utf16_detail::NextCodePoint(b, &j);
        const CharClass x = ClassOf(c), y = ClassOf(d);
        if (x != y)
            return x < y ? -1 : 1;
        const std::uint32_t v = WeightOf(c), w = WeightOf(d);
        if (v != w)
            return v < w ? -1 : 1;
    }
    return (i < a.size()) - (j < b.size());
}

std::vector<int> MenuOrderFar2l(const std::vector<std::string_view>& texts) {
    return SortedEntries(
        texts, [](const std::string& x, const std::string& y) { return CompareFar2lMenuTexts(x, y) < 0; });
}

std::vector<int> MenuOrder(const std::vector<std::string_view>& texts) {
#if defined(_WIN32)
    return MenuOrderFar1(texts);
#else
    return MenuOrderFar2l(texts);
#endif
}

}  // namespace far
