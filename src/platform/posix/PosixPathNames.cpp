#include "platform/PathNames.hpp"

#include "platform/Platform.hpp"

namespace velmora {

std::string NameOnDisk(const std::string& path) {
    return path;
}

char PathSeparator() {
    return '/';
}

const char* StateFolderName() {
    return "velmora";
}

std::uint32_t AttributesUnderName(std::uint32_t attributes, const std::string& name) {
    // The same rule AttributesFromStat applies to a listed entry.
    const std::size_t slash = name.rfind('/');
    const std::string last = slash == std::string::npos ? name : name.substr(slash + 1);
    const bool hidden = !last.empty() && last[0] == '.' && last != "." && last != "..";
    attributes &= ~(kAttrHidden | kAttrArchive);
    if (hidden)
        attributes |= kAttrHidden;
    if (!(attributes & (kAttrDirectory | kAttrHidden | kAttrReadOnly)))
        attributes |= kAttrArchive;
    return attributes;
}

}  // namespace velmora
