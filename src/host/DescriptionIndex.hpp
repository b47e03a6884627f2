// The descriptions of one directory as a FAR host reads them from its description file.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
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
    // A described name: where its bytes are in names_.
    struct Name {
        std::uint32_t at;
        std::uint32_t size;
    };
    const std::string* FindOne(std::string_view name) const;
    // The slot of `name` in `table`: the one holding it, or the free one where it belongs.
    template <bool kFold>
    std::size_t Slot(const std::vector<std::uint32_t>& table, std::string_view name) const;

    std::vector<std::string> descriptions_;
    // The names in one buffer and two open-addressing tables of record numbers + 1 (0: free slot),
    // one by the name's bytes and one ignoring ASCII letter case: no allocation per line.
    std::string names_;
    std::vector<Name> records_;
    std::vector<std::uint32_t> recordDescription_;  // each record's place in descriptions_
    std::vector<std::uint32_t> exact_;
    std::vector<std::uint32_t> folded_;
};

}  // namespace velmora::host
