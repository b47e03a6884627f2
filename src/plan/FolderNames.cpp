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
        if (static_cast<unsigned char>(c) >= 0x80 || c == '~')
            return true;
    }
    const std::string base = far::FoldAscii(std::string_view(name).substr(0, name.find('.')));
    for (const char* device : {"con", "prn", "aux", "nul"}) {
        if (base == device)
            return true;
    }
    return base.size() == 4 && (base.compare(0, 3, "com") == 0 || base.compare(0, 3, "lpt") == 0) &&
           base[3] >= '0' && base[3] <= '9';
}

}  // namespace velmora
