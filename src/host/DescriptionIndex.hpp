// The descriptions of one directory as a FAR host reads them from its description file.
#pragma once

#include <string>
#include <unordered_map>
#include <vector>

namespace velmora::host {

// The host's own list of description file names, read from the settings store when the value
// "ListNames" is missing.
constexpr const char* kDefaultListNames = "Descript.ion,Files.bbs";

// The key of the host's description settings: the sibling "Descriptions" of the plug-ins' root
// (Software\Far\Plugins gives Software\Far\Descriptions). A root without "\" is used unchanged.
std::string DescriptionsKeyPath(const std::string& rootKey);

// The names of a ListNames value: split on commas, blanks around each name removed, empty
// names left out.
std::vector<std::string> SplitListNames(const std::string& list);

class DescriptionIndex {
public:
    // Reads the lines of a description file: a name (in double quotes when it has blanks), blanks,
    // the description up to the line end. A line that starts with a blank continues the previous
    // description (joined with one space). The first line for a name wins.
    void Parse(const std::string& contents);
    void Clear();

    // The description for a file name, or null. An exact match comes first, then one that differs
    // only in ASCII letter case; a name ending in "." also matches a line written without that dot,
    // and a name without any dot a line written with a trailing one.
    const std::string* Find(const std::string& name) const;
    std::size_t Count() const { return descriptions_.size(); }

private:
    const std::string* FindOne(const std::string& name) const;

    std::vector<std::string> descriptions_;
    std::unordered_map<std::string, std::size_t> exact_;
    std::unordered_map<std::string, std::size_t> folded_;
};

}  // namespace velmora::host
