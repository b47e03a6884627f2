#include "far/HostConventions.hpp"

#include <algorithm>
#include <cstring>

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

std::vector<int> MenuOrder(const std::vector<std::string_view>& texts) {
    std::vector<int> order(texts.size());
    for (std::size_t i = 0; i < order.size(); ++i)
        order[i] = static_cast<int>(i);
    std::stable_sort(order.begin(), order.end(), [&texts](int a, int b) {
        const std::string_view x = texts[static_cast<std::size_t>(a)], y = texts[static_cast<std::size_t>(b)];
        return std::lexicographical_compare(x.begin(), x.end(), y.begin(), y.end(), [](char c, char d) {
            return static_cast<unsigned char>(FoldAscii(c)) < static_cast<unsigned char>(FoldAscii(d));
        });
    });
    return order;
}

}  // namespace far
