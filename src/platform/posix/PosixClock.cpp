#include <time.h>

#include "platform/Platform.hpp"

namespace velmora {
namespace {

class PosixClock final : public Clock {
public:
    std::uint64_t Milliseconds() override {
        struct timespec now {};
        ::clock_gettime(CLOCK_MONOTONIC, &now);
        return static_cast<std::uint64_t>(now.tv_sec) * 1000u +
               static_cast<std::uint64_t>(now.tv_nsec) / 1000000u;
    }
};

}  // namespace

Clock& SystemClock() {
    static PosixClock clock;
    return clock;
}

}  // namespace velmora
