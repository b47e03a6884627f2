#include "run/RunProgress.hpp"

#include "ports/Messages.hpp"

namespace velmora {

void RunProgress::Begin(std::uint32_t count, LengthUnit unit) {
    counter_ = CounterParameters{1, count, 0, false};
    unit_ = unit;
    everyItem_ = count <= kProgressEveryItemUpTo;
    begun_ = false;
    anyDrawn_ = false;
}

void RunProgress::Item(std::uint32_t index, std::string_view name) {
    begun_ = true;
    index_ = index;
    name_.assign(name);
    drawn_ = false;
    if (everyItem_) {
        Draw();
        return;
    }
    const std::uint64_t now = clock_.Milliseconds();
    if (anyDrawn_ && now - lastDrawn_ < kProgressIntervalMs)
        return;
    anyDrawn_ = true;
    lastDrawn_ = now;
    Draw();
}

void RunProgress::BeforeStop() {
    if (begun_ && !drawn_)
        Draw();
}

void RunProgress::Draw() {
    ExpandTemplateInto(line_, host_.GetText(MProgress), name_, index_, counter_, unit_);
    host_.ShowProgress(host_.GetText(MTitle), line_.c_str());
    drawn_ = true;
}

}  // namespace velmora
