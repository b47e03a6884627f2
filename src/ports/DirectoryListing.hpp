// The folder's listing a host already holds (its panel, read before the run), so that a plan of a
// batch asks the system nothing about the names it lists.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace velmora {

struct ListedEntry {
    std::string_view name;  // valid as long as the listing is unchanged
    std::uint32_t attributes = 0;
    std::uint64_t size = 0;
    std::uint64_t writeTime = 0;
};

class DirectoryListing {
public:
    static constexpr std::size_t kNotListed = static_cast<std::size_t>(-1);

    virtual ~DirectoryListing() = default;
    virtual std::size_t ListedCount() const = 0;
    virtual ListedEntry Listed(std::size_t index) const = 0;
    // The index of the entry spelled exactly `name`, or kNotListed.
    virtual std::size_t FindListed(std::string_view name) const = 0;
    // True when every entry of the folder is listed but those of LeftOutNames(): a bare name it
    // does not list is then free. A host's panel that hides filtered or hidden files says false,
    // and such names are asked of the file system.
    virtual bool ListsWholeFolder() const = 0;
    // Entries of the folder the listing knows it left out (they are asked of the file system).
    virtual const std::vector<std::string>& LeftOutNames() const = 0;
    // How many entries a run is about to rename, at most: room reserved for them.
    virtual std::size_t SelectedCount() const = 0;
};

}  // namespace velmora
