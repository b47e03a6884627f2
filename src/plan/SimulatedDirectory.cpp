#include "plan/SimulatedDirectory.hpp"

#include <cstdio>
#include <system_error>

#include "far/HostConventions.hpp"
#include "platform/MemoryFile.hpp"
#include "platform/PathNames.hpp"

namespace velmora {
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

SimulatedDirectory::SimulatedDirectory(const DirectoryListing* listing, FileSystem& system,
                                       std::string_view sampleName, const FolderNames* folder)
    : listing_(listing),
      system_(system),
      folder_(folder),
      vacated_(listing ? listing->ListedCount() : 0, false) {
    // One question tells whether the folder ignores letter case: is a known name's case-flipped
    // spelling the very same file?
    const std::size_t listed = listing ? listing->ListedCount() : 0;
    for (std::size_t i = 0; i <= listed; ++i) {
        const std::string name(i < listed ? listing->Listed(i).name : sampleName);
        std::string flipped = name;
        bool letters = false;
        for (char& c : flipped) {
            if ((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z')) {
                c = static_cast<char>(c ^ 0x20);
                letters = true;
            }
        }
        if (!letters)
            continue;
        ignoresCase_ = system.SameFile(name, flipped);
        break;
    }
    plainKeys_ = !ignoresCase_ && kEveryNameAsGiven;
    if (ignoresCase_) {
        for (std::size_t i = 0; i < listed; ++i)
            foldedListing_.emplace(Key(std::string(listing->Listed(i).name)), static_cast<std::int32_t>(i));
    }
    if (listing) {
        for (const std::string& name : listing->LeftOutNames())
            leftOut_.insert(Key(name));
        // A batch gives most of the listing a new name: room for that many from the start.
        nodes_.Reserve(listing->SelectedCount());
    }
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
    if (!listing_ || FirstSeparator(path) != std::string::npos || IsDotName(path) || LeftOut(path))
        return -1;
    if (ignoresCase_) {
        const auto it = foldedListing_.find(Key(path));
        return it == foldedListing_.end() ? -1 : it->second;
    }
    const std::size_t index = listing_->FindListed(plainKeys_ ? path : NameOnDisk(path));
    return index == DirectoryListing::kNotListed ? -1 : static_cast<std::int32_t>(index);
}

std::string SimulatedDirectory::ListedName(std::int32_t index) const {
    return std::string(listing_->Listed(static_cast<std::size_t>(index)).name);
}

std::uint32_t SimulatedDirectory::Asked(const std::string& path) const {
    std::string storage;
    const std::string& key = KeyOf(path, &storage);
    if (const std::uint32_t* known = asked_.Find(key))
        return *known;
    std::uint32_t attributes = kNoAttributes;
    if (folder_ && FirstSeparator(path) == std::string::npos && !IsDotName(path)) {
        if (const DirectoryEntry* entry = folder_->Find(NameOnDisk(path), ignoresCase_))
            attributes = entry->attributes;
        else if (FolderNames::Unsure(path, ignoresCase_))
            attributes = system_.Attributes(path);
    } else {
        attributes = system_.Attributes(path);
    }
    asked_.Set(key, attributes);
    return attributes;
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
        const ListedEntry entry = listing_->Listed(static_cast<std::size_t>(index));
        disk.kind = Found::Disk;
        disk.path.assign(entry.name);
        disk.entry = index;
        disk.attributes = entry.attributes;
        disk.size = entry.size;
        disk.writeTime = entry.writeTime;
        return disk;
    }
    // A bare name a listing of the whole folder lacks is free; anything else is asked of the system.
    if (listing_ && listing_->ListsWholeFolder() && FirstSeparator(path) == std::string::npos &&
        !IsDotName(path) && !LeftOut(path))
        return disk;
    disk.attributes = Asked(path);
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
        return node.entry >= 0 ? ListedName(node.entry) : node.rare->origin;
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
                    const ListedEntry entry = listing_->Listed(static_cast<std::size_t>(node->entry));
                    found.kind = Found::Disk;
                    found.path.assign(entry.name);
                    found.entry = node->entry;
                    found.attributes = entry.attributes;
                    found.size = entry.size;
                    found.writeTime = entry.writeTime;
                } else {
                    found.attributes = Asked(node->rare->origin);
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
            found.attributes = Asked(origin(*top) + path.substr(separator));
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
    } while (Resolve(path).kind != Found::Absent);  // beside the user's files, never over one
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

void SimulatedDirectory::ForEachEntry(const std::function<void(const ListedEntry&)>& f) const {
    if (!listing_)
        return;
    const std::size_t listed = listing_->ListedCount();
    for (std::size_t i = 0; i < listed; ++i) {
        const ListedEntry entry = listing_->Listed(i);
        if (!vacated_[i] && !nodes_.Contains(Key(std::string(entry.name))))
            f(entry);
    }
    // The panel leaves these out again; listed all the same, as the folder lists them.
    for (const std::string& name : listing_->LeftOutNames()) {
        if (!nodes_.Contains(Key(name)))
            f(ListedEntry{name, kAttrArchive, 0, 0});
    }
    nodes_.ForEach([&](const std::string& key, const Node& node) {
        const std::string& name = node.rare && !node.rare->name.empty() ? node.rare->name : key;
        if (node.kind == Node::Gone || FirstSeparator(name) != std::string::npos)
            return;
        const Found found = Resolve(name);
        if (found.kind != Found::Absent)
            f(ListedEntry{name, found.attributes, found.size, found.writeTime});
    });
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

FileResult SimulatedDirectory::OpenForReading(const std::string& path, std::unique_ptr<ReadableFile>* file) {
    const Found found = Resolve(path);
    switch (found.kind) {
        case Found::Memory:
            return Error(std::errc::operation_not_supported);
        case Found::Disk:
            return system_.OpenForReading(found.path, file);
        case Found::Absent:
            break;
    }
    return Error(std::errc::no_such_file_or_directory);
}

bool SimulatedDirectory::ReadFile(const std::string& name, std::string* contents, std::string* error) const {
    const Found found = Resolve(name);
    switch (found.kind) {
        case Found::Memory:
            *contents = *found.bytes;
            return true;
        case Found::Disk:
            if (const FileResult read = system_.ReadStart(found.path, kWholeFile, contents); !read) {
                *error = "read(" + found.path + "): " + read.Error().message();
                return false;
            }
            return true;
        case Found::Absent:
            break;
    }
    *error = "open(" + name + "): " + std::make_error_code(std::errc::no_such_file_or_directory).message();
    return false;
}

}  // namespace velmora
