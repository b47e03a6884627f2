// The active panel of the velmora host: one directory, its entries and, when the view shows a
// descriptions column, the description each entry has in the directory's description file.
#pragma once

#include <cstdint>
#include <string>
#include <unordered_set>
#include <vector>

#include "ports/DirectoryListing.hpp"
#include "far/FarAbi.hpp"
#include "host/DescriptionIndex.hpp"
#include "host/NameTable.hpp"
#include "platform/HostSystem.hpp"

namespace velmora::host {

// Where a panel reads its directory from: the current directory, or a simulation of it.
class DirectorySource {
public:
    virtual ~DirectorySource() = default;
    virtual bool List(std::vector<DirectoryEntry>* entries, std::string* error) = 0;
    virtual std::uint32_t Attributes(const std::string& name) = 0;
    virtual bool ReadFile(const std::string& name, std::string* contents, std::string* error) = 0;
};

// The system's current directory.
DirectorySource& CurrentDirectorySource();

struct PanelEntry {
    std::string name;
    std::uint32_t attributes = 0;
    std::uint64_t size = 0;
    std::uint64_t writeTime = 0;
    std::uint64_t creationTime = 0;
    // The entry's description, kept by the panel until its next Read or Update; null for none.
    const std::string* description = nullptr;
};

// The longest name a panel item can carry (its name field holds a terminator too).
constexpr std::size_t kMaxItemName = sizeof(far::FAR_FIND_DATA::cFileName) - 1;

// The panel is the listing a plan of the batch is worked out against: it lists the whole folder
// but the names too long for an item.
class Panel final : public DirectoryListing {
public:
    // `columnTypes` as in PanelInfo ("Z" shows descriptions); `listNames` are the host's
    // description file names in order of preference.
    Panel(std::string columnTypes, std::vector<std::string> listNames);

    bool ShowsDescriptions() const { return showsDescriptions_; }
    const std::string& ColumnTypes() const { return columnTypes_; }
    const std::vector<std::string>& ListNames() const { return listNames_; }
    // Reads from `source` from now on (the current directory unless set).
    void SetSource(DirectorySource* source) { source_ = source; }

    // Reads the current directory and its descriptions. Entries whose names do not fit a panel
    // item are left out (see LeftOut()). False with a message when the directory cannot be read.
    bool Read(std::string* error);
    // Makes `names` the selection, in this order. False (selection unchanged) with a message
    // when a name is no entry of the directory, is "..", is too long or is given twice.
    bool Select(const std::vector<std::string>& names, std::string* error);
    void SelectAll();
    // Reads the directory again; the selection keeps the selected names that still exist, or is
    // cleared.
    bool Update(bool keepSelection, std::string* error);

    // Fills the panel record. Its item arrays belong to the panel and stay valid until the next
    // Fill, Read or Update. A selection that is a run of items in panel order is handed over as
    // that part of the items array, the records being the same; any other gets its own copies.
    void Fill(const std::string& currentDirectory, far::PanelInfo* info);

    const std::vector<PanelEntry>& Entries() const { return entries_; }
    // The entry of that name, or null.
    const PanelEntry* FindEntry(const std::string& name) const;
    // The entry selected at place `index` of the selection, or null past its end.
    const PanelEntry* SelectedEntry(std::size_t index) const {
        return index < selected_.size() ? &entries_[selected_[index]] : nullptr;
    }
    std::vector<std::string> SelectedNames() const;
    std::size_t SelectedCount() const override { return selected_.size(); }
    // Names of entries left out of the panel because they are too long for an item.
    const std::vector<std::string>& LeftOut() const { return leftOut_; }
    // The description file read by the last Read/Update; empty when there was none.
    const std::string& DescriptionFile() const { return descriptionFile_; }
    // A message when the description file could not be read; empty otherwise.
    const std::string& DescriptionError() const { return descriptionError_; }

    // DirectoryListing
    std::size_t ListedCount() const override { return entries_.size(); }
    ListedEntry Listed(std::size_t index) const override {
        const PanelEntry& entry = entries_[index];
        return ListedEntry{entry.name, entry.attributes, entry.size, entry.writeTime};
    }
    std::size_t FindListed(std::string_view name) const override;
    bool ListsWholeFolder() const override { return true; }
    const std::vector<std::string>& LeftOutNames() const override { return leftOut_; }

private:
    void ReadDescriptions();
    // The index of the entry with this name, or npos.
    std::size_t Find(const std::string& name) const;
    void IndexNames();
    static void FillItem(const PanelEntry& entry, bool selected, far::PluginPanelItem* item);
    void ReleaseArrays();
    // True when the selection is consecutive entries in panel order.
    bool SelectionIsOneRun() const;

    DirectorySource* source_ = &CurrentDirectorySource();
    std::string columnTypes_;
    std::vector<std::string> listNames_;
    bool showsDescriptions_;
    std::vector<PanelEntry> entries_;  // sorted by name
    NameIndex byName_;                 // entries by name
    std::unordered_set<std::string> leftOutSet_;
    std::vector<std::string> leftOut_;
    std::vector<std::size_t> selected_;
    std::vector<bool> isSelected_;
    DescriptionIndex descriptions_;
    // The file's lines as stored, kept only when some had to be decoded.
    DescriptionIndex storedDescriptions_;
    std::string descriptionFile_;
    std::string descriptionError_;
    std::vector<far::PluginPanelItem> items_;
    std::vector<far::PluginPanelItem> selectedItems_;
};

}  // namespace velmora::host
