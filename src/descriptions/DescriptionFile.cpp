#include "descriptions/DescriptionFile.hpp"

#include <cstring>

#include "platform/Platform.hpp"
#include "plugin/HostServices.hpp"
#include "settings/Settings.hpp"

namespace velmora {
namespace {

constexpr char kDefaultDescriptionName[] = "Descript.ion";
// The host keeps its list in a value of at most 259 characters and its terminator.
constexpr std::size_t kListCapacity = 260;

// Only these count as white space after a separating comma; bytes of 128 and above never do,
// whatever the code page makes of them.
bool IsListSpace(char c) {
    return c == ' ' || (c >= '\t' && c <= '\r');
}

}  // namespace

std::string DescriptionsKeyPath(const char* rootKey) {
    std::string path = rootKey ? rootKey : "";
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

bool FileExists(const std::string& path) {
    // An empty name never names a file (the Windows attribute query refuses it too).
    if (path.empty()) {
        return false;
    }
    const std::uint32_t attributes = Files().Attributes(path);
    return attributes != kNoAttributes && attributes != kAttrDirectory;
}

int FindDescriptionFile(std::string* name) {
    std::string list;
    ReadRegistryString(DescriptionsKeyPath(HostRootKey()), "ListNames", &list, kListCapacity,
                       kDefaultDescriptionName);
    std::string candidate;
    // The list ends at its first zero byte, as the host's own reading of the value does.
    for (const char* position = list.c_str(); (position = NextListName(position, &candidate)) != nullptr;) {
        if (FileExists(candidate)) {
            *name = candidate;
            return 1;
        }
    }
    *name = kDefaultDescriptionName;
    return 0;
}

}  // namespace velmora
