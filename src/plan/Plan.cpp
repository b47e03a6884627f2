#include "plan/Plan.hpp"

#include <utility>

namespace velmora {

std::size_t Plan::Count(ItemAction action) const {
    std::size_t count = 0;
    for (const PlanItem& item : items)
        count += item.action == action ? 1 : 0;
    return count;
}

void PlanRecorder::RecordTaken(std::uint32_t index, bool found) {
    takenIndex_ = index;
    takenDate_ = found ? "taken" : "modified";
}

void PlanRecorder::Record(std::uint32_t index, std::string_view oldName, std::string_view newName,
                          ItemAction action, const char* reason) {
    PlanItem item;
    if (takenDate_ && takenIndex_ == index)
        item.date = takenDate_;
    takenDate_ = nullptr;
    item.oldName.assign(oldName);
    item.newName.assign(newName);
    item.action = action;
    item.reason = reason ? reason : "";
    if (listing_) {
        if (const std::size_t index = listing_->FindListed(oldName); index != DirectoryListing::kNotListed) {
            const ListedEntry entry = listing_->Listed(index);
            item.size = entry.size;
            item.writeTime = entry.writeTime;
        }
    }
    if (onItem_)
        onItem_(item);
    else
        plan_->items.push_back(std::move(item));
}

}  // namespace velmora
