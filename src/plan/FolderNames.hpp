// The entries of the folder a plan's bare names are in, read in one go. A plan of a large
// selection then asks the system nothing about each name: a query of every target (usually a
// free name) costs a system call each, and under Wine a search of the whole folder without
// letter case each, which grows with the folder.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "platform/Platform.hpp"

namespace velmora {

class FolderNames {
public:
    // The current folder's entries as the system lists them (FileSystem::ListNames); null when
    // it cannot be listed.
    static std::unique_ptr<const FolderNames> Read(FileSystem& files);
    // Whether a plan of `selected` items of a panel of `listed` entries gains by reading the
    // folder: a listing costs about as much as a query for every sixteen entries.
    static bool WorthReading(std::size_t selected, std::size_t listed) { return selected * 16 >= listed; }

    // The entry spelled `name`, or in any ASCII letter case where the folder ignores case; null
    // when there is none.
    const DirectoryEntry* Find(const std::string& name, bool ignoresCase) const;
    // Whether a name Find does not know may still be there, where the system ignores letter
    // case: one with letters beyond ASCII (folded by rules not known here), a "~" (Windows
    // answers for a long name by its short one) or a device's name (CON, NUL.txt, ...).
    static bool Unsure(const std::string& name, bool ignoresCase);

private:
    std::vector<DirectoryEntry> entries_;
    std::unordered_map<std::string_view, std::uint32_t> exact_;
    // Built when first asked: most folders that ignore case are asked that way, the others never.
    mutable std::unordered_map<std::string, std::uint32_t> folded_;
    mutable bool foldedBuilt_ = false;
};

}  // namespace velmora
