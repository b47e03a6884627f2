// The descriptions of one directory as a FAR host reads them from its description file.
#pragma once

#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace velmora::host {

// The host's own list of description file names, used when the settings store has no value
// "ListNames". It is read with the plug-in's own parser, so that both pick the same file.
constexpr const char* kDefaultListNames = "Descript.ion,Files.bbs";

class DescriptionIndex {
public:
    // Reads the lines of a description file: a name (in double quotes when it has blanks), blanks,
    // the description up to the line end. A line that starts with a blank continues the previous
    // description (joined with one space). The first line for a name wins.
    void Parse(std::string_view contents);
    void Clear();

    // The description for a file name, or null. An exact match comes first, then one that differs
    // only in ASCII letter case; a name ending in "." also matches a line written without that dot,
    // and a name without any dot a line written with a trailing one.
    const std::string* Find(const std::string& name) const;
    std::size_t Count() const { return descriptions_.size(); }
    // Frees the look-up tables and keeps the texts that Find handed out; Find finds nothing
    // from then on, until the next Parse.
    void ReleaseLookup();

private:
    const std::string* FindOne(const std::string& name) const;

    std::vector<std::string> descriptions_;
    std::unordered_map<std::string, std::size_t> exact_;
    std::unordered_map<std::string, std::size_t> folded_;
};

}  // namespace velmora::host
