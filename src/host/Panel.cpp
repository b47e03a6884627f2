#include "host/Panel.hpp"

#include <algorithm>
#include <cstring>
#include <string_view>

#include "platform/HostSystem.hpp"
#include "platform/Platform.hpp"

namespace velmora::host {
namespace {

void SetFileTime(std::uint64_t ticks, far::FILETIME* time) {
    time->dwLowDateTime = static_cast<far::DWORD>(ticks & 0xFFFFFFFFu);
    time->dwHighDateTime = static_cast<far::DWORD>(ticks >> 32);
}

class SystemDirectory final : public DirectorySource {
public:
    bool List(std::vector<DirectoryEntry>* entries, std::string* error) override {
        return ReadDirectory(".", entries, error);
    }
    std::uint32_t Attributes(const std::string& name) override { return Files().Attributes(name); }
    bool ReadFile(const std::string& name, std::string* contents, std::string* error) override {
        return ReadPlainFile(name, contents, error);
    }
};

}  // namespace

DirectorySource& CurrentDirectorySource() {
    static SystemDirectory directory;
    return directory;
}

Panel::Panel(std::string columnTypes, std::vector<std::string> listNames)
    : columnTypes_(std::move(columnTypes)),
      listNames_(std::move(listNames)),
      showsDescriptions_(columnTypes_.find('Z') != std::string::npos) {}

bool Panel::Read(std::string* error) {
    std::vector<DirectoryEntry> found;
    if (!source_->List(&found, error))
        return false;
    // Sorted by name through a table of positions. Most names of a directory share their start
    // ("DSC_0", "IMG_2024"): each position keeps the eight bytes after the part all names share,
    // so most comparisons look at two numbers instead of two names elsewhere in memory.
    std::size_t shared = found.empty() ? 0 : found[0].name.size();
    for (const DirectoryEntry& entry : found) {
        std::size_t same = 0;
        const std::size_t most = shared < entry.name.size() ? shared : entry.name.size();
        while (same < most && entry.name[same] == found[0].name[same])
            ++same;
        shared = same;
    }
    struct Position {
        std::uint64_t key;  // the 8 bytes after the shared start, first byte highest; 0 past the end
        std::string_view name;
        std::size_t at;
    };
    std::vector<Position> order;
    order.reserve(found.size());
    for (std::size_t i = 0; i < found.size(); ++i) {
        const std::string& name = found[i].name;
        std::uint64_t key = 0;
        for (std::size_t b = 0; b < 8; ++b) {
            const std::size_t at = shared + b;
            key = (key << 8) | (at < name.size() ? static_cast<unsigned char>(name[at]) : 0u);
        }
        order.push_back({key, name, i});
    }
    // No name holds a zero byte, so a key orders names as their bytes do; equal keys leave it
    // to the names.
    std::sort(order.begin(), order.end(), [](const Position& a, const Position& b) {
        return a.key != b.key ? a.key < b.key : a.name < b.name;
    });

    // The arrays handed out before are gone from here on (see Fill).
    ReleaseArrays();
    entries_.clear();
    leftOut_.clear();
    leftOutSet_.clear();
    selected_.clear();
    entries_.reserve(found.size());
    for (const Position& position : order) {
        DirectoryEntry& source = found[position.at];
        if (source.name.size() > kMaxItemName) {
            leftOutSet_.insert(source.name);
            leftOut_.push_back(std::move(source.name));
            continue;
        }
        PanelEntry entry;
        entry.name = std::move(source.name);
        entry.attributes = source.attributes;
        entry.size = source.size;
        entry.writeTime = source.writeTime;
        entry.creationTime = source.creationTime;
        entries_.push_back(std::move(entry));
    }
    // The listing is the larger of the two while both live; the panel keeps only its entries.
    std::vector<Position>().swap(order);
    std::vector<DirectoryEntry>().swap(found);
    IndexNames();
    isSelected_.assign(entries_.size(), false);

    descriptions_.Clear();
    storedDescriptions_.Clear();
    descriptionFile_.clear();
    descriptionError_.clear();
    if (showsDescriptions_)
        ReadDescriptions();
    return true;
}

void Panel::ReadDescriptions() {
    // The first listed name that exists, asked of the file system as the plug-in asks it: on
    // Windows "Files.bbs " names Files.bbs, and both must pick the same file.
    for (const std::string& listed : listNames_) {
        if (listed.empty())
            continue;
        const std::uint32_t attributes = source_->Attributes(listed);
        if (attributes == kNoAttributes || attributes == kAttrDirectory)
            continue;
        descriptionFile_ = listed;
        break;
    }
    if (descriptionFile_.empty())
        return;
    std::string contents;
    std::string reason;
    if (!source_->ReadFile(descriptionFile_, &contents, &reason)) {
        descriptionError_ = "cannot read the description file " + descriptionFile_ + ": " + reason;
        return;
    }
    std::string converted;
    const std::string_view text = DescriptionText(contents, &converted);
    descriptions_.Parse(text);
    // A decoded line may name a file by the very bytes it has on disk (a Linux name need not be
    // UTF-8, and the plug-in wrote such names without a mark): such a line is taken as it stands
    // rather than lost.
    const bool decoded = text.data() == converted.data();
    if (decoded)
        storedDescriptions_.Parse(contents);
    for (PanelEntry& entry : entries_) {
        entry.description = descriptions_.Find(entry.name);
        if (!entry.description && decoded)
            entry.description = storedDescriptions_.Find(entry.name);
    }
    // The entries point at the texts; the look-up tables have done their work.
    descriptions_.ReleaseLookup();
    storedDescriptions_.ReleaseLookup();
}

void Panel::IndexNames() {
    byName_.Reset(entries_.size());
    for (std::size_t i = 0; i < entries_.size(); ++i)
        byName_.Add(NameIndex::Hash(entries_[i].name), i);
}

std::size_t Panel::Find(const std::string& name) const {
    const std::size_t index =
        byName_.Find(name, [this](std::size_t at) -> const std::string& { return entries_[at].name; });
    return index == NameIndex::kNone ? std::string::npos : index;
}

bool Panel::Select(const std::vector<std::string>& names, std::string* error) {
    std::vector<std::size_t> chosen;
    chosen.reserve(names.size());
    std::vector<bool> taken(entries_.size(), false);
    for (const std::string& name : names) {
        if (name == ".." || name == ".") {
            *error = "'" + name + "' cannot be selected";
            return false;
        }
        const std::size_t index = Find(name);
        if (index == std::string::npos) {
            if (leftOutSet_.count(name)) {
                *error = name + ": the name is " + std::to_string(name.size()) +
                         " bytes long; a panel item holds at most " + std::to_string(kMaxItemName);
            } else {
                *error = name + ": no such entry in the directory";
            }
            return false;
        }
        if (taken[index]) {
            *error = name + ": named twice";
            return false;
        }
        taken[index] = true;
        chosen.push_back(index);
    }
    selected_ = std::move(chosen);
    isSelected_ = std::move(taken);
    return true;
}

void Panel::SelectAll() {
    selected_.clear();
    selected_.reserve(entries_.size());
    for (std::size_t i = 0; i < entries_.size(); ++i)
        selected_.push_back(i);
    isSelected_.assign(entries_.size(), true);
}

std::size_t Panel::FindListed(std::string_view name) const {
    const std::size_t index =
        byName_.Find(name, [this](std::size_t at) -> const std::string& { return entries_[at].name; });
    return index == NameIndex::kNone ? kNotListed : index;
}

const PanelEntry* Panel::FindEntry(const std::string& name) const {
    const std::size_t index = Find(name);
    return index == std::string::npos ? nullptr : &entries_[index];
}

std::vector<std::string> Panel::SelectedNames() const {
    std::vector<std::string> names;
    names.reserve(selected_.size());
    for (std::size_t index : selected_)
        names.push_back(entries_[index].name);
    return names;
}

bool Panel::Update(bool keepSelection, std::string* error) {
    std::vector<std::string> previous = keepSelection ? SelectedNames() : std::vector<std::string>();
    if (!Read(error))
        return false;
    for (const std::string& name : previous) {
        const std::size_t index = Find(name);
        if (index == std::string::npos || isSelected_[index])
            continue;
        isSelected_[index] = true;
        selected_.push_back(index);
    }
    return true;
}

void Panel::FillItem(const PanelEntry& entry, bool selected, far::PluginPanelItem* item) {
    std::memset(item, 0, sizeof(*item));
    far::FAR_FIND_DATA& data = item->FindData;
    data.dwFileAttributes = entry.attributes;
    // In the unit the host whose plug-in this is lists times in (far2l: whole milliseconds), so
    // that the plug-in meets here what it meets there.
    const std::uint64_t time = far::PanelFileTime(entry.writeTime);
    SetFileTime(far::PanelFileTime(entry.creationTime), &data.ftCreationTime);
    SetFileTime(time, &data.ftLastAccessTime);
    SetFileTime(time, &data.ftLastWriteTime);
    far::SetFindDataSize(data, entry.size);
    far::SetFieldText(data.cFileName, entry.name);
    item->Flags = selected ? far::PPIF_SELECTED : 0;
    item->NumberOfLinks = 1;
    // The plug-in only reads the text; the host's record type has no const here.
    item->Description = entry.description ? const_cast<char*>(entry.description->c_str()) : nullptr;
}

void Panel::ReleaseArrays() {
    std::vector<far::PluginPanelItem>().swap(items_);
    std::vector<far::PluginPanelItem>().swap(selectedItems_);
}

bool Panel::SelectionIsOneRun() const {
    for (std::size_t i = 1; i < selected_.size(); ++i) {
        if (selected_[i] != selected_[0] + i)
            return false;
    }
    return true;
}

void Panel::Fill(const std::string& currentDirectory, far::PanelInfo* info) {
    // Fresh arrays on every call, the old ones freed first (at a million files each is hundreds
    // of megabytes): a plug-in holding on to an older array reads freed memory, which the
    // sanitizer builds then report.
    ReleaseArrays();
    items_.resize(entries_.size() + 1);
    PanelEntry parent;
    parent.name = "..";
    parent.attributes = kAttrDirectory;
    FillItem(parent, false, &items_[0]);
    for (std::size_t i = 0; i < entries_.size(); ++i)
        FillItem(entries_[i], isSelected_[i], &items_[i + 1]);
    // The selected records are the very same as the items (PPIF_SELECTED included): a
    // selection in panel order shares them instead of doubling the panel's size.
    far::PluginPanelItem* selectedItems = nullptr;
    if (!selected_.empty() && SelectionIsOneRun()) {
        selectedItems = &items_[selected_[0] + 1];
    } else if (!selected_.empty()) {
        selectedItems_.resize(selected_.size());
        for (std::size_t i = 0; i < selected_.size(); ++i)
            selectedItems_[i] = items_[selected_[i] + 1];
        selectedItems = selectedItems_.data();
    }

    std::memset(info, 0, sizeof(*info));
    info->PanelType = 0;
    info->Plugin = 0;
    info->PanelRect = {0, 1, 79, 22};
    info->PanelItems = items_.data();
    info->ItemsNumber = static_cast<int>(items_.size());
    info->SelectedItems = selectedItems;
    info->SelectedItemsNumber = static_cast<int>(selected_.size());
    info->CurrentItem = selected_.empty() ? 0 : static_cast<int>(selected_[0] + 1);
    info->Visible = 1;
    info->Focus = 1;
    far::SetFieldText(info->ColumnTypes, columnTypes_);
    far::SetFieldText(info->CurDir, currentDirectory);
}

}  // namespace velmora::host
