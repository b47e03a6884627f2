// What a rename run will do, item by item, worked out before anything moves.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "descriptions/DescriptionOutput.hpp"
#include "ports/DirectoryListing.hpp"
#include "ports/RunContext.hpp"
#include "run/RenameRun.hpp"

namespace velmora {

struct PlanItem {
    std::string oldName;
    std::string newName;  // for Keep, the old name
    ItemAction action = ItemAction::Keep;
    std::string reason;  // the warning's help topic for Stop ("FileExist", "CanNotMove")
    // The description the file has after the run, when the run saves descriptions.
    std::optional<std::string> description;
    // The entry before the run (size, write time), by which undo knows it again.
    std::uint64_t size = 0;
    std::uint64_t writeTime = 0;
    // For a template that reads a date taken: "taken" when the file had one, else "modified".
    std::string date;
};

struct Plan {
    std::vector<PlanItem> items;
    bool savesDescriptions = false;
    DescriptionOutcome descriptions = DescriptionOutcome::NothingToWrite;
    std::string descriptionFile;  // the description file the host reads after the run ("" for none)
    std::optional<std::string> descriptionBytes;  // its bytes after the run (none: no such file)
    // The boxes the run would show, one line each as the host notes them.
    std::vector<std::string> warnings;

    // True when the run would show a warning.
    bool Warns() const { return !warnings.empty(); }
    std::size_t Count(ItemAction action) const;
};

// The items a run tells of, as plan items, with each entry's size and time from the listing
// (when there is one): kept in the plan, or each handed to `onItem` and none kept, so that a batch
// of any size costs no memory for them.
class PlanRecorder final : public RunObserver {
public:
    PlanRecorder(const DirectoryListing* listing, Plan* plan,
                 std::function<void(const PlanItem&)> onItem = {})
        : listing_(listing), plan_(plan), onItem_(std::move(onItem)) {}
    PlanRecorder(const PlanRecorder&) = delete;
    PlanRecorder& operator=(const PlanRecorder&) = delete;
    // In panel order, whatever order the run took (see InPanelOrder).
    void Item(std::uint32_t index, std::string_view oldName, std::string_view newName, ItemAction action,
              const char* reason) override {
        inOrder_.Item(index, oldName, newName, action, reason);
    }
    void TakenDate(std::uint32_t index, bool found) override { inOrder_.TakenDate(index, found); }

private:
    class Recorder final : public RunObserver {
    public:
        explicit Recorder(PlanRecorder& owner) : owner_(owner) {}
        void Item(std::uint32_t index, std::string_view oldName, std::string_view newName, ItemAction action,
                  const char* reason) override {
            owner_.Record(index, oldName, newName, action, reason);
        }
        void TakenDate(std::uint32_t index, bool found) override { owner_.RecordTaken(index, found); }

    private:
        PlanRecorder& owner_;
    };
    void Record(std::uint32_t index, std::string_view oldName, std::string_view newName, ItemAction action,
                const char* reason);
    void RecordTaken(std::uint32_t index, bool found);

    // The date the next item's name took, told before it.
    std::uint32_t takenIndex_ = 0;
    const char* takenDate_ = nullptr;
    const DirectoryListing* listing_;
    Plan* plan_;
    std::function<void(const PlanItem&)> onItem_;
    Recorder recorder_{*this};
    InPanelOrder inOrder_{&recorder_};
};

}  // namespace velmora
