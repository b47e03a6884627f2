#include "host/Simulation.hpp"

#include <cstdio>
#include <ostream>
#include <streambuf>
#include <system_error>

#include "far/HostConventions.hpp"
#include "host/ScriptedUi.hpp"
#include "platform/HostSystem.hpp"
#include "platform/MemoryFile.hpp"
#include "plugin/HostServices.hpp"
#include "rename/RenameRun.hpp"

namespace velmora::host {
namespace {

// The longest name a directory entry can have on the file systems the hosts run on (NAME_MAX,
// and NTFS's 255 characters); the template allows 260.
constexpr std::size_t kMaxComponent = 255;

FileResult Error(std::errc code) {
    return FileResult(std::make_error_code(code));
}

std::size_t FirstSeparator(const std::string& path) {
    for (std::size_t i = 0; i < path.size(); ++i) {
        if (IsPathSeparator(path[i]))
            return i;
    }
    return std::string::npos;
}

// "." or "..": names of the directory itself and its parent, never a listed entry.
bool IsDotName(const std::string& path) {
    return (path.size() == 1 && path[0] == '.') || (path.size() == 2 && path[0] == '.' && path[1] == '.');
}

std::size_t LastSeparator(const std::string& path) {
    for (std::size_t i = path.size(); i-- > 0;) {
        if (IsPathSeparator(path[i]))
            return i;
    }
    return std::string::npos;
}

}  // namespace

// What a name holds now, when the run changed it. Most are a listed entry under a new name: an
// index, no strings.
struct SimulatedDirectory::Node {
    struct Rare {
        std::string name;                    // the spelling, when the key is folded
        std::string origin;                  // Moved from a path the listing does not hold
        std::shared_ptr<std::string> bytes;  // Memory: the file's contents
    };
    enum Kind : std::uint8_t { Gone, Moved, Memory } kind = Gone;
    std::int32_t entry = -1;  // Moved: the listed entry now under this name
    std::unique_ptr<Rare> rare;

    Rare& More() {
        if (!rare)
            rare = std::make_unique<Rare>();
        return *rare;
    }
};

// What a path names now.
struct SimulatedDirectory::Found {
    enum Kind { Absent, Disk, Memory } kind = Absent;
    std::string path;         // Disk: where it is on disk
    std::int32_t entry = -1;  // Disk: its listing index, when listed
    std::uint32_t attributes = kNoAttributes;
    std::shared_ptr<std::string> bytes;
    std::uint64_t size = 0;
    std::uint64_t writeTime = 0;
};

SimulatedDirectory::SimulatedDirectory(const Panel& listing, FileSystem& system)
    : listing_(listing), system_(system), vacated_(listing.Entries().size(), false) {
    // One question tells whether the directory ignores letter case: is a listed name's case-flipped
    // spelling the very same file?
    for (const PanelEntry& entry : listing.Entries()) {
        std::string flipped = entry.name;
        bool letters = false;
        for (char& c : flipped) {
            if ((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z')) {
                c = static_cast<char>(c ^ 0x20);
                letters = true;
            }
        }
        if (!letters)
            continue;
        ignoresCase_ = system.SameFile(entry.name, flipped);
        break;
    }
    plainKeys_ = !ignoresCase_ && kEveryNameAsGiven;
    if (ignoresCase_) {
        for (std::size_t i = 0; i < listing.Entries().size(); ++i)
            foldedListing_.emplace(Key(listing.Entries()[i].name), static_cast<std::int32_t>(i));
    }
    for (const std::string& name : listing.LeftOut())
        leftOut_.insert(Key(name));
    // A batch gives most of the listing a new name: room for that many from the start.
    nodes_.Reserve(listing.SelectedCount());
}

SimulatedDirectory::~SimulatedDirectory() = default;

std::string SimulatedDirectory::Key(const std::string& path) const {
    if (plainKeys_)
        return path;
    return ignoresCase_ ? far::FoldAscii(NameOnDisk(path)) : NameOnDisk(path);
}

const std::string& SimulatedDirectory::KeyOf(const std::string& path, std::string* storage) const {
    if (plainKeys_)
        return path;
    *storage = Key(path);
    return *storage;
}

bool SimulatedDirectory::LeftOut(const std::string& path) const {
    return !leftOut_.empty() && leftOut_.count(Key(path)) != 0;
}

std::int32_t SimulatedDirectory::ListingIndex(const std::string& path) const {
    if (FirstSeparator(path) != std::string::npos || IsDotName(path) || LeftOut(path))
        return -1;
    if (ignoresCase_) {
        const auto it = foldedListing_.find(Key(path));
        return it == foldedListing_.end() ? -1 : it->second;
    }
    const PanelEntry* entry = listing_.FindEntry(plainKeys_ ? path : NameOnDisk(path));
    return entry ? static_cast<std::int32_t>(entry - listing_.Entries().data()) : -1;
}

void SimulatedDirectory::SetNode(const std::string& path, Node node) {
    std::string storage;
    const std::string& key = KeyOf(path, &storage);
    if (!plainKeys_ && key != NameOnDisk(path))
        node.More().name = NameOnDisk(path);
    nodes_.Set(key, std::move(node));
}

void SimulatedDirectory::Vacate(const std::string& path) {
    std::string storage;
    const std::string& key = KeyOf(path, &storage);
    nodes_.Erase(key);
    const std::int32_t index = ListingIndex(path);
    if (index >= 0)
        vacated_[static_cast<std::size_t>(index)] = true;
    else if (OnDisk(path).kind != Found::Absent)
        nodes_.Set(key, Node{});  // a path the listing cannot speak for
}

SimulatedDirectory::Found SimulatedDirectory::OnDisk(const std::string& path) const {
    Found disk;
    const std::int32_t index = ListingIndex(path);
    if (index >= 0) {
        if (vacated_[static_cast<std::size_t>(index)])
            return disk;
        const PanelEntry& entry = listing_.Entries()[static_cast<std::size_t>(index)];
        disk.kind = Found::Disk;
        disk.path = entry.name;
        disk.entry = index;
        disk.attributes = entry.attributes;
        disk.size = entry.size;
        disk.writeTime = entry.writeTime;
        return disk;
    }
    // A bare name the listing lacks is free; anything else is asked of the system.
    if (FirstSeparator(path) == std::string::npos && !IsDotName(path) && !LeftOut(path))
        return disk;
    disk.attributes = system_.Attributes(path);
    if (disk.attributes != kNoAttributes) {
        disk.kind = Found::Disk;
        disk.path = path;
    }
    return disk;
}

SimulatedDirectory::Found SimulatedDirectory::Resolve(const std::string& path) const {
    Found found;
    if (path.empty())
        return found;
    // Where a moved entry is on disk.
    auto origin = [this](const Node& node) {
        return node.entry >= 0 ? listing_.Entries()[static_cast<std::size_t>(node.entry)].name
                               : node.rare->origin;
    };
    std::string storage;
    if (const Node* node = nodes_.Find(KeyOf(path, &storage))) {
        switch (node->kind) {
            case Node::Gone:
                return found;
            case Node::Memory:
                found.kind = Found::Memory;
                found.bytes = node->rare->bytes;
                found.attributes = AttributesUnderName(kAttrArchive, path);
                found.size = found.bytes->size();
                return found;
            case Node::Moved:
                if (node->entry >= 0) {
                    const PanelEntry& entry = listing_.Entries()[static_cast<std::size_t>(node->entry)];
                    found.kind = Found::Disk;
                    found.path = entry.name;
                    found.entry = node->entry;
                    found.attributes = entry.attributes;
                    found.size = entry.size;
                    found.writeTime = entry.writeTime;
                } else {
                    found.attributes = system_.Attributes(node->rare->origin);
                    if (found.attributes != kNoAttributes) {
                        found.kind = Found::Disk;
                        found.path = node->rare->origin;
                    }
                }
                if (found.kind != Found::Absent)
                    found.attributes = AttributesUnderName(found.attributes, path);
                return found;
        }
    }
    // Below a directory the run renamed or removed.
    const std::size_t separator = FirstSeparator(path);
    if (separator != std::string::npos) {
        if (const Node* top = nodes_.Find(Key(path.substr(0, separator)))) {
            if (top->kind != Node::Moved)
                return found;
            found.attributes = system_.Attributes(origin(*top) + path.substr(separator));
            if (found.attributes != kNoAttributes) {
                found.kind = Found::Disk;
                found.path = origin(*top) + path.substr(separator);
            }
            return found;
        }
        const std::int32_t index = ListingIndex(path.substr(0, separator));
        if (index >= 0 && vacated_[static_cast<std::size_t>(index)])
            return found;
    }
    return OnDisk(path);
}

std::uint32_t SimulatedDirectory::Attributes(const std::string& path) {
    return Resolve(path).attributes;
}

FileResult SimulatedDirectory::MoveNoReplace(const std::string& from, const std::string& to) {
    if (from.empty() || to.empty())
        return Error(std::errc::no_such_file_or_directory);
    const Found source = Resolve(from);
    if (source.kind == Found::Absent)
        return Error(std::errc::no_such_file_or_directory);
    const std::size_t lastSeparator = LastSeparator(to);
    if (to.size() - (lastSeparator == std::string::npos ? 0 : lastSeparator + 1) > kMaxComponent)
        return Error(std::errc::filename_too_long);
    // The one target that may exist: the file itself under another letter case, where the
    // directory ignores case.
    std::string fromStorage;
    std::string toStorage;
    if (KeyOf(from, &fromStorage) != KeyOf(to, &toStorage) && Resolve(to).kind != Found::Absent)
        return Error(std::errc::file_exists);
    if (lastSeparator != std::string::npos && lastSeparator > 0) {
        const Found parent = Resolve(to.substr(0, lastSeparator));
        if (parent.kind == Found::Absent)
            return Error(std::errc::no_such_file_or_directory);
        if (!(parent.attributes & kAttrDirectory))
            return Error(std::errc::not_a_directory);
    }
    if (to.size() > from.size() && to.compare(0, from.size(), from) == 0 && IsPathSeparator(to[from.size()]))
        return Error(std::errc::invalid_argument);  // a directory into itself

    Node moved;
    if (source.kind == Found::Memory) {
        moved.kind = Node::Memory;
        moved.More().bytes = source.bytes;
    } else {
        moved.kind = Node::Moved;
        moved.entry = source.entry;
        if (source.entry < 0)
            moved.More().origin = source.path;
    }
    Vacate(from);
    SetNode(to, std::move(moved));
    return FileResult::Success();
}

FileResult SimulatedDirectory::Delete(const std::string& path) {
    const Found found = Resolve(path);
    if (found.kind == Found::Absent)
        return Error(std::errc::no_such_file_or_directory);
    if (found.attributes & kAttrDirectory)
        return Error(std::errc::is_a_directory);
    if (found.kind == Found::Disk && (found.attributes & kAttrReadOnly))
        return Error(std::errc::permission_denied);
    Vacate(path);
    return FileResult::Success();
}

bool SimulatedDirectory::SameFile(const std::string& a, const std::string& b) {
    const Found first = Resolve(a);
    const Found second = Resolve(b);
    if (first.kind == Found::Absent || first.kind != second.kind)
        return false;
    if (first.kind == Found::Memory)
        return first.bytes == second.bytes;
    if (first.entry >= 0 && first.entry == second.entry)
        return true;
    return Key(first.path) == Key(second.path) || system_.SameFile(first.path, second.path);
}

std::string SimulatedDirectory::TempDirectory() {
    return system_.TempDirectory();
}

FileResult SimulatedDirectory::CreateTempFile(const std::string& directory, const std::string& prefix,
                                              std::string* name) {
    std::string path;
    do {
        char hex[16];
        std::snprintf(hex, sizeof hex, "%X", ++tempCounter_);
        path = directory + prefix + hex + ".tmp";
    } while (nodes_.Contains(Key(path)));
    Node file;
    file.kind = Node::Memory;
    file.More().bytes = std::make_shared<std::string>();
    SetNode(path, std::move(file));
    *name = path;
    return FileResult::Success();
}

FileResult SimulatedDirectory::OpenForWriting(const std::string& path, std::unique_ptr<WritableFile>* file) {
    Found found = Resolve(path);
    if (found.kind != Found::Memory) {
        if (found.attributes != kNoAttributes && (found.attributes & kAttrDirectory))
            return Error(std::errc::is_a_directory);
        Node created;
        created.kind = Node::Memory;
        found.bytes = created.More().bytes = std::make_shared<std::string>();
        SetNode(path, std::move(created));
    }
    found.bytes->clear();
    *file = std::make_unique<MemoryFile>(found.bytes);
    return FileResult::Success();
}

FileResult SimulatedDirectory::ReplaceAtomically(const std::string& from, const std::string& to) {
    const Found source = Resolve(from);
    if (source.kind != Found::Memory)
        return Error(std::errc::no_such_file_or_directory);
    const Found target = Resolve(to);
    if (target.kind != Found::Absent && (target.attributes & kAttrDirectory))
        return Error(std::errc::is_a_directory);
    if (target.kind == Found::Disk && (target.attributes & kAttrReadOnly))
        return Error(std::errc::permission_denied);
    Node replaced;
    replaced.kind = Node::Memory;
    replaced.More().bytes = source.bytes;
    Vacate(from);
    SetNode(to, std::move(replaced));
    return FileResult::Success();
}

bool SimulatedDirectory::List(std::vector<DirectoryEntry>* entries, std::string*) {
    entries->clear();
    const std::vector<PanelEntry>& listed = listing_.Entries();
    for (std::size_t i = 0; i < listed.size(); ++i) {
        if (!vacated_[i] && !nodes_.Contains(Key(listed[i].name)))
            entries->push_back(
                DirectoryEntry{listed[i].name, listed[i].attributes, listed[i].size, listed[i].writeTime});
    }
    // The panel leaves these out again; listed all the same, as the directory lists them.
    for (const std::string& name : listing_.LeftOut()) {
        if (!nodes_.Contains(Key(name)))
            entries->push_back(DirectoryEntry{name, kAttrArchive, 0, 0});
    }
    nodes_.ForEach([&](const std::string& key, const Node& node) {
        const std::string& name = node.rare && !node.rare->name.empty() ? node.rare->name : key;
        if (node.kind == Node::Gone || FirstSeparator(name) != std::string::npos)
            return;
        const Found found = Resolve(name);
        if (found.kind != Found::Absent)
            entries->push_back(DirectoryEntry{name, found.attributes, found.size, found.writeTime});
    });
    return true;
}

FileResult SimulatedDirectory::ReadStart(const std::string& path, std::size_t count, std::string* bytes) {
    const Found found = Resolve(path);
    switch (found.kind) {
        case Found::Memory:
            *bytes = found.bytes->substr(0, count);
            return FileResult::Success();
        case Found::Disk:
            return system_.ReadStart(found.path, count, bytes);
        case Found::Absent:
            break;
    }
    return Error(std::errc::no_such_file_or_directory);
}

bool SimulatedDirectory::ReadFile(const std::string& name, std::string* contents, std::string* error) {
    const Found found = Resolve(name);
    switch (found.kind) {
        case Found::Memory:
            *contents = *found.bytes;
            return true;
        case Found::Disk:
            return ReadWholeFile(found.path, contents, error);
        case Found::Absent:
            break;
    }
    *error = "open(" + name + "): " + std::make_error_code(std::errc::no_such_file_or_directory).message();
    return false;
}

namespace {

// The simulated run's face: the dialog answered exactly as the user confirmed it, boxes noted
// instead of shown.
class PlanUi final : public UserInterface {
public:
    PlanUi(const far::FarDialogItem* answers, int count) : answers_(answers), count_(count) {}

    int Dialog(int, int, int, int, const char*, far::FarDialogItem* items, int count) override {
        // The same code built both dialogs: item for item the same layout.
        for (int i = 0; i < count && i < count_; ++i)
            items[i] = answers_[i];
        return far::kDialogOkItem;
    }
    int Message(std::uint32_t, const char*, const char* const* lines, int count, int buttons) override {
        if (buttons > 0)
            warnings.push_back(BoxText(lines, count, buttons));
        return 0;
    }
    void* SaveScreen(int, int, int, int) override { return this; }
    void RestoreScreen(void*) override {}

    std::vector<std::string> warnings;

private:
    const far::FarDialogItem* answers_;
    int count_;
};

class PlanBuilder final : public RunObserver {
public:
    PlanBuilder(const Panel& listing, Plan* plan, const std::function<void(const PlanItem&)>& onItem)
        : listing_(listing), plan_(plan), onItem_(onItem) {}
    void Item(std::uint32_t index, std::string_view oldName, std::string_view newName, ItemAction action,
              const char* reason) override {
        PlanItem item;
        item.oldName.assign(oldName);
        item.newName.assign(newName);
        item.action = action;
        item.reason = reason ? reason : "";
        // The run's item `index` is the panel's selected entry of that place.
        const PanelEntry* entry = listing_.SelectedEntry(index);
        if (!entry || entry->name != item.oldName)
            entry = listing_.FindEntry(item.oldName);
        if (entry) {
            item.size = entry->size;
            item.writeTime = entry->writeTime;
        }
        if (onItem_)
            onItem_(item);
        else
            plan_->items.push_back(std::move(item));
    }

private:
    const Panel& listing_;
    Plan* plan_;
    const std::function<void(const PlanItem&)>& onItem_;
};

// Where the simulated host's complaints go: nowhere (the real run makes them, if they happen).
class NullBuffer final : public std::streambuf {
protected:
    int overflow(int c) override { return c; }
};

}  // namespace

Plan ComputePlan(const ServiceSession& live, const std::string& rootKey, const far::FarDialogItem* items,
                 int count, const std::function<void(const PlanItem&)>& onItem) {
    Plan plan;
    if (!onItem)
        plan.items.reserve(live.panel->SelectedCount());  // no second copy while it grows
    // The system's own file system, not one a test put in the plug-in's place: the plan can
    // foresee what the directory holds, not a fault injected into the run.
    SimulatedDirectory directory(*live.panel, SystemFileSystem());
    Panel panel(live.panel->ColumnTypes(), live.panel->ListNames());
    panel.SetSource(&directory);
    PlanUi ui(items, count);
    NullBuffer discard;
    std::ostream quiet(&discard);

    ServiceSession session;
    session.lng = live.lng;
    session.panel = &panel;
    session.ui = &ui;
    session.err = &quiet;
    session.currentDirectory = live.currentDirectory;
    // The plug-in's run holds the live panel's records: the simulated run reads the same ones.
    session.sharedPanelInfo = &live.lastPanelInfo;

    far::PluginStartupInfo startup;
    FillStartupInfo("velmora", rootKey.c_str(), &startup);
    ReadOnlyRegistry registry(Settings());
    PlanBuilder builder(*live.panel, &plan, onItem);
    HostApi host(startup);
    // The plug-in's own text: the plan cuts names and writes descriptions as the run does.
    RunContext context{host, directory, registry, rootKey + "\\Velmora", rootKey, kRecordHostText};
    context.oem = RecordHostOemCodePage();
    context.observer = &builder;
    RunReport report;
    {
        ActiveSession active(&session);
        report = RunRename(context);
    }
    plan.warnings = std::move(ui.warnings);
    if (!report.descriptions)
        return plan;
    plan.savesDescriptions = true;
    plan.descriptions = report.descriptions->outcome;
    // The description file the host reads once the run is over: the first of its list there.
    for (const std::string& listed : live.panel->ListNames()) {
        const std::uint32_t attributes = directory.Attributes(listed);
        if (!listed.empty() && attributes != kNoAttributes && attributes != kAttrDirectory) {
            plan.descriptionFile = listed;
            break;
        }
    }
    std::string bytes;
    std::string error;
    if (!plan.descriptionFile.empty() && directory.ReadFile(plan.descriptionFile, &bytes, &error))
        plan.descriptionBytes = std::move(bytes);
    // Each file's description as the host then reads it, for a plan that keeps its items.
    if (!plan.items.empty() && panel.Read(&error)) {
        for (PlanItem& item : plan.items) {
            const PanelEntry* entry =
                panel.FindEntry(item.action == ItemAction::Rename ? item.newName : item.oldName);
            if (entry && entry->description)
                item.description = *entry->description;
        }
    }
    return plan;
}

}  // namespace velmora::host
