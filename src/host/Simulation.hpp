// The plan of a rename run, worked out by the renamer's own engine (the code the plug-in module is
// built from, linked into velmora too) running in this process against a simulation of the panel
// directory: moves are recorded instead of made, the description file is written to memory, and
// the settings are read but never written. So the plan is the run, not a second implementation of
// it: template, counter widths, and every name freed and taken as the batch goes.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "far/FarAbi.hpp"
#include "host/NameTable.hpp"
#include "host/Panel.hpp"
#include "host/Plan.hpp"
#include "host/Services.hpp"
#include "platform/Platform.hpp"

namespace velmora::host {

// The panel directory as it would be after the moves made so far. Everything not yet touched is
// answered from the panel's own listing (no system call per name); moves never replace, exactly
// as the system's refuse an occupied target; files written (the temporary description file, the
// description file put in place) live in memory. Names are matched as the directory matches them:
// without regard to ASCII case where the file system ignores it.
class SimulatedDirectory final : public FileSystem, public DirectorySource {
public:
    // `listing`: the panel read from the directory, which must outlive this object; `system`: for
    // what the listing cannot answer (paths into subdirectories, names too long for the panel).
    SimulatedDirectory(const Panel& listing, FileSystem& system);
    ~SimulatedDirectory() override;

    // FileSystem
    std::uint32_t Attributes(const std::string& path) override;
    FileResult MoveNoReplace(const std::string& from, const std::string& to) override;
    FileResult ReadStart(const std::string& path, std::size_t count, std::string* bytes) override;
    FileResult Delete(const std::string& path) override;
    bool SameFile(const std::string& a, const std::string& b) override;
    std::string TempDirectory() override;
    FileResult CreateTempFile(const std::string& directory, const std::string& prefix,
                              std::string* name) override;
    FileResult OpenForWriting(const std::string& path, std::unique_ptr<WritableFile>* file) override;
    FileResult ReplaceAtomically(const std::string& from, const std::string& to) override;

    // DirectorySource
    bool List(std::vector<DirectoryEntry>* entries, std::string* error) override;
    bool ReadFile(const std::string& name, std::string* contents, std::string* error) override;

private:
    struct Node;
    struct Found;
    Found Resolve(const std::string& path) const;
    // An entry on disk as the run has not touched it (a listed entry the run moved away is gone).
    Found OnDisk(const std::string& path) const;
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

    const Panel& listing_;
    FileSystem& system_;
    bool ignoresCase_ = false;
    // Every name is its own key: letter case counts and the system spells names as given.
    bool plainKeys_ = false;
    std::unordered_map<std::string, std::int32_t> foldedListing_;  // only when ignoring case
    std::unordered_set<std::string> leftOut_;                      // keys of names too long
    // What changed, kept small: a batch of 100,000 renames keeps 100,000 of these.
    std::vector<bool> vacated_;  // by listing index: moved away
    NameTable<Node> nodes_;      // by key: what a name holds now
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

private:
    Registry& inner_;
};

// The plan for the rename dialog's answers `items` (as the user confirmed them), in the live
// session `live`: its panel, the panel record the plug-in holds, its language file. `rootKey` is
// the settings root the plug-in was given. With `onItem`, each item goes there as it is planned
// and the plan keeps none (nor their descriptions): a batch of any size costs no memory for them.
Plan ComputePlan(const ServiceSession& live, const std::string& rootKey, const far::FarDialogItem* items,
                 int count, const std::function<void(const PlanItem&)>& onItem = {});

}  // namespace velmora::host
