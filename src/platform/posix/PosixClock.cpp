#include <time.h>

#include <cstdint>

#include "platform/Platform.hpp"
#include "platform/posix/PosixCommon.hpp"

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

bool LocalTimeOfTicks(std::uint64_t ticks, LocalFields* local) {
    const std::int64_t seconds = static_cast<std::int64_t>(ticks / posix::kFileTimeTicksPerSecond) -
                                 static_cast<std::int64_t>(posix::kFileTimeEpochSeconds);
    const time_t when = static_cast<time_t>(seconds);
    if (static_cast<std::int64_t>(when) != seconds)
        return false;
    // localtime_r reads the time zone once: unlike localtime it does not look at TZ again.
    struct tm fields {};
    if (!::localtime_r(&when, &fields))
        return false;
    local->year = fields.tm_year + 1900;
    local->month = fields.tm_mon + 1;
    local->day = fields.tm_mday;
    local->hour = fields.tm_hour;
    local->minute = fields.tm_min;
    // A leap second shows as the second before it, as FILETIME has none.
    local->second = fields.tm_sec > 59 ? 59 : fields.tm_sec;
    return true;
}

std::uint64_t WallClockTicks() {
    struct timespec now {};
    ::clock_gettime(CLOCK_REALTIME, &now);
    return posix::FileTimeTicks(now);
}

Clock& SystemClock() {
    static PosixClock clock;
    return clock;
}

}  // namespace velmora
