// The progress box of the rename loop, drawn at the speed of the eye. Each box is a whole Message
// call: the host redraws it and flushes the terminal, which far2l does about 10,000 times a
// second, far faster than anyone can read and most of the time a large batch takes.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "platform/Platform.hpp"
#include "ports/PluginHost.hpp"
#include "naming/NameTemplate.hpp"

namespace velmora {

// Least time between two boxes of a large batch: 25 a second.
constexpr std::uint64_t kProgressIntervalMs = 40;
// A batch of at most this many items draws a box for every one, as it always has: so few boxes
// cost less than one frame in any host, and a small run looks and traces as it did.
constexpr std::uint32_t kProgressEveryItemUpTo = 32;

class RunProgress {
public:
    RunProgress(PluginHost& host, Clock& clock) : host_(host), clock_(clock) {}

    // A batch of `count` items starts; its lines are cut in `unit`.
    void Begin(std::uint32_t count, LengthUnit unit);
    // The loop has come to the item at `index`: its box is drawn when it is the first, when the
    // batch is small, or when the last box is kProgressIntervalMs old.
    void Item(std::uint32_t index, std::string_view name);
    // A warning box is about to stop the run at the current item: its box is drawn first, unless
    // it already was, so that the screen names the file the run stopped at.
    void BeforeStop();

private:
    void Draw();

    PluginHost& host_;
    Clock& clock_;
    // The line numbers the files from 1, never padded.
    CounterParameters counter_;
    LengthUnit unit_ = LengthUnit::Byte;
    bool everyItem_ = true;
    bool begun_ = false;     // some item came
    bool anyDrawn_ = false;  // some box was drawn, at lastDrawn_
    std::uint64_t lastDrawn_ = 0;
    std::uint32_t index_ = 0;
    std::string name_;    // the current item's
    bool drawn_ = false;  // the current item's box
    std::string line_;    // the box's line, expanded only for a box drawn
};

}  // namespace velmora
