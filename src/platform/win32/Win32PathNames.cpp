#include "platform/PathNames.hpp"

namespace velmora {

std::string NameOnDisk(const std::string& path) {
    std::string spelled;
    std::size_t begin = 0;
    while (begin <= path.size()) {
        std::size_t end = begin;
        while (end < path.size() && !IsPathSeparator(path[end]))
            ++end;
        std::string component = path.substr(begin, end - begin);
        if (component != "." && component != "..") {
            while (!component.empty() && (component.back() == '.' || component.back() == ' '))
                component.pop_back();
        }
        spelled += component;
        if (end < path.size())
            spelled += path[end];
        begin = end + 1;
    }
    return spelled;
}

char PathSeparator() {
    return '\\';
}

const char* StateFolderName() {
    return "Velmora";
}

std::uint32_t AttributesUnderName(std::uint32_t attributes, const std::string&) {
    return attributes;
}

}  // namespace velmora
