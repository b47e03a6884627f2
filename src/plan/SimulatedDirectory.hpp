// A folder in which a rename run's moves are recorded instead of made: what a plan of the batch
// runs the renamer's own engine against. So the plan is the run, not a second implementation of
// it: template, counter widths, and every name freed and taken as the batch goes.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "plan/FolderNames.hpp"
#include "plan/NameTable.hpp"
#include "platform/Platform.hpp"
#include "ports/DirectoryListing.hpp"

namespace velmora {

// The folder as it would be after the moves made so far. What the listing holds is answered from
// it (no system call per name); every other name is asked of the real file system once, so a
// listing that hides entries (a panel's filter) or no listing at all still gives the right answer.
// Moves never replace, exactly as the system's refuse an occupied target; files written (the
// temporary description file, the description file put in place) live in memory. Names are
// matched as the folder matches them: without regard to ASCII case where the file system ignores
// it. Nothing on disk is changed.
class SimulatedDirectory final : public FileSystem {
public:
    // `listing`, when given, must outlive this object. `sampleName`: a name known to be in the
    // folder, by which a folder without a listing learns whether it ignores letter case.
    // `folder`, when given (and outliving this), answers for the bare names the listing cannot
    // answer for, in place of a query each.
    SimulatedDirectory(const DirectoryListing* listing, FileSystem& system, std::string_view sampleName = {},
                       const FolderNames* folder = nullptr);
    ~SimulatedDirectory() override;

    // FileSystem
    std::uint32_t Attributes(const std::string& path) override;
    FileResult MoveNoReplace(const std::string& from, const std::string& to) override;
    FileResult ReadStart(const std::string& path, std::size_t count, std::string* bytes) override;
    // A file on disk, as the run has not moved it; the files written in memory are not photos.
    FileResult OpenForReading(const std::string& path, std::unique_ptr<ReadableFile>* file) override;
    FileResult Delete(const std::string& path) override;
    bool SameFile(const std::string& a, const std::string& b) override;
    std::string TempDirectory() override;
    FileResult CreateTempFile(const std::string& directory, const std::string& prefix,
                              std::string* name) override;
    FileResult OpenForWriting(const std::string& path, std::unique_ptr<WritableFile>* file) override;
    FileResult ReplaceAtomically(const std::string& from, const std::string& to) override;

    // The folder's entries now, in no particular order; only with a listing, which knows them.
    void ForEachEntry(const std::function<void(const ListedEntry&)>& f) const;
    // A whole file as the folder now holds it; false with a reason when there is none.
    bool ReadFile(const std::string& name, std::string* contents, std::string* error) const;

private:
    struct Node;
    struct Found;
    Found Resolve(const std::string& path) const;
    // An entry on disk as the run has not touched it (a listed entry the run moved away is gone).
    Found OnDisk(const std::string& path) const;
    // The system's attributes of a path the listing cannot answer for, asked once.
    std::uint32_t Asked(const std::string& path) const;
    // The listed entry of a bare name, or -1.
    std::int32_t ListingIndex(const std::string& path) const;
    std::string Key(const std::string& path) const;
    // The key of `path`: the path itself where names are taken as given, else kept in `storage`.
    const std::string& KeyOf(const std::string& path, std::string* storage) const;
    // A name the listing left out as too long for a panel item.
    bool LeftOut(const std::string& path) const;
    void SetNode(const std::string& path, Node node);
    // Nothing is at `path` any more.
    void Vacate(const std::string& path);
    std::string ListedName(std::int32_t index) const;

    const DirectoryListing* listing_;
    FileSystem& system_;
    const FolderNames* folder_;
    bool ignoresCase_ = false;
    // Every name is its own key: letter case counts and the system spells names as given.
    bool plainKeys_ = false;
    std::unordered_map<std::string, std::int32_t> foldedListing_;  // only when ignoring case
    std::unordered_set<std::string> leftOut_;                      // keys of names too long
    // What changed, kept small: a batch of 100,000 renames keeps 100,000 of these.
    std::vector<bool> vacated_;  // by listing index: moved away
    NameTable<Node> nodes_;      // by key: what a name holds now
    // By key: the attributes the system gave for a name the listing cannot answer for.
    mutable NameTable<std::uint32_t> asked_;
    unsigned tempCounter_ = 0;
};

// Settings as they stand, never written.
class ReadOnlyRegistry final : public Registry {
public:
    explicit ReadOnlyRegistry(Registry& inner) : inner_(inner) {}
    bool Read(const std::string& keyPath, const std::string& valueName, std::size_t capacity,
              std::string* bytes) override {
        return inner_.Read(keyPath, valueName, capacity, bytes);
    }
    bool WriteString(const std::string&, const std::string&, const std::string&) override { return true; }
    bool WriteDword(const std::string&, const std::string&, std::uint32_t) override { return true; }
    bool WriteValues(const std::string&, const std::vector<RegistryWrite>&) override { return true; }
    bool Subkeys(const std::string& keyPath, std::vector<std::string>* names) override {
        return inner_.Subkeys(keyPath, names);
    }
    bool DeleteKey(const std::string&) override { return true; }

private:
    Registry& inner_;
};

}  // namespace velmora
