#include "plan/FolderNames.hpp"

#include "far/HostConventions.hpp"

namespace velmora {

std::unique_ptr<const FolderNames> FolderNames::Read(FileSystem& files) {
    auto names = std::make_unique<FolderNames>();
    if (!files.ListNames(".", &names->entries_))
        return nullptr;
    names->exact_.reserve(names->entries_.size());
    for (std::size_t i = 0; i < names->entries_.size(); ++i)
        names->exact_.emplace(names->entries_[i].name, static_cast<std::uint32_t>(i));
    return names;
}

const DirectoryEntry* FolderNames::Find(const std::string& name, bool ignoresCase) const {
    if (const auto it = exact_.find(name); it != exact_.end())
        return &entries_[it->second];
    if (!ignoresCase)
        return nullptr;
    if (!foldedBuilt_) {
        foldedBuilt_ = true;
        folded_.reserve(entries_.size());
        for (std::size_t i = 0; i < entries_.size(); ++i)
            folded_.emplace(far::FoldAscii(entries_[i].name), static_cast<std::uint32_t>(i));
    }
    const auto it = folded_.find(far::FoldAscii(name));
    return it == folded_.end() ? nullptr : &entries_[it->second];
}

bool FolderNames::Unsure(const std::string& name, bool ignoresCase) {
    if (!ignoresCase)
        return false;
    for (const char c : name) {
        if (static_cast<unsigned char>(c) >= 0x80)
            return true;
    }
    return false;
}

}  // namespace velmora
