#include "host/Panel.hpp"

#include <algorithm>
#include <cstring>

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
        return ReadWholeFile(name, contents, error);
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
    std::sort(found.begin(), found.end(),
              [](const DirectoryEntry& a, const DirectoryEntry& b) { return a.name < b.name; });

    entries_.clear();
    byName_.clear();
    leftOut_.clear();
    leftOutSet_.clear();
    selected_.clear();
    items_.clear();
    selectedItems_.clear();
    entries_.reserve(found.size());
    byName_.reserve(found.size());
    for (DirectoryEntry& source : found) {
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
        byName_.emplace(entry.name, entries_.size());
        entries_.push_back(std::move(entry));
    }
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
        const std::string* description = descriptions_.Find(entry.name);
        if (!description && decoded)
            description = storedDescriptions_.Find(entry.name);
        if (description) {
            entry.hasDescription = true;
            entry.description = *description;
        }
    }
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
        auto it = byName_.find(name);
        if (it == byName_.end()) {
            if (leftOutSet_.count(name)) {
                *error = name + ": the name is " + std::to_string(name.size()) +
                         " bytes long; a panel item holds at most " + std::to_string(kMaxItemName);
            } else {
                *error = name + ": no such entry in the directory";
            }
            return false;
        }
        if (taken[it->second]) {
            *error = name + ": named twice";
            return false;
        }
        taken[it->second] = true;
        chosen.push_back(it->second);
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

const PanelEntry* Panel::Find(const std::string& name) const {
    const auto it = byName_.find(name);
    return it == byName_.end() ? nullptr : &entries_[it->second];
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
        auto it = byName_.find(name);
        if (it == byName_.end() || isSelected_[it->second])
            continue;
        isSelected_[it->second] = true;
        selected_.push_back(it->second);
    }
    return true;
}

void Panel::FillItem(const PanelEntry& entry, bool selected, far::PluginPanelItem* item) {
    std::memset(item, 0, sizeof(*item));
    far::FAR_FIND_DATA& data = item->FindData;
    data.dwFileAttributes = entry.attributes;
    SetFileTime(entry.writeTime, &data.ftCreationTime);
    SetFileTime(entry.writeTime, &data.ftLastAccessTime);
    SetFileTime(entry.writeTime, &data.ftLastWriteTime);
    far::SetFindDataSize(data, entry.size);
    far::SetFieldText(data.cFileName, entry.name);
    item->Flags = selected ? far::PPIF_SELECTED : 0;
    item->NumberOfLinks = 1;
    // The plug-in only reads the text; the host's record type has no const here.
    item->Description = entry.hasDescription ? const_cast<char*>(entry.description.c_str()) : nullptr;
}

void Panel::Fill(const std::string& currentDirectory, far::PanelInfo* info) {
    // Fresh arrays on every call: a plug-in holding on to an older array reads freed memory,
    // which the sanitizer builds then report.
    std::vector<far::PluginPanelItem> items(entries_.size() + 1);
    PanelEntry parent;
    parent.name = "..";
    parent.attributes = kAttrDirectory;
    FillItem(parent, false, &items[0]);
    for (std::size_t i = 0; i < entries_.size(); ++i)
        FillItem(entries_[i], isSelected_[i], &items[i + 1]);
    std::vector<far::PluginPanelItem> selectedItems(selected_.size());
    for (std::size_t i = 0; i < selected_.size(); ++i)
        selectedItems[i] = items[selected_[i] + 1];
    items_.swap(items);
    selectedItems_.swap(selectedItems);

    std::memset(info, 0, sizeof(*info));
    info->PanelType = 0;
    info->Plugin = 0;
    info->PanelRect = {0, 1, 79, 22};
    info->PanelItems = items_.data();
    info->ItemsNumber = static_cast<int>(items_.size());
    info->SelectedItems = selectedItems_.empty() ? nullptr : selectedItems_.data();
    info->SelectedItemsNumber = static_cast<int>(selectedItems_.size());
    info->CurrentItem = selected_.empty() ? 0 : static_cast<int>(selected_[0] + 1);
    info->Visible = 1;
    info->Focus = 1;
    far::SetFieldText(info->ColumnTypes, columnTypes_);
    far::SetFieldText(info->CurDir, currentDirectory);
}

}  // namespace velmora::host
