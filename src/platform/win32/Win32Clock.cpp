#include "platform/Platform.hpp"
#include "platform/win32/WindowsPrelude.hpp"

namespace velmora {
namespace {

// GetTickCount rather than GetTickCount64, which Windows XP lacks and FAR 1.x still runs on. Its
// 32 bits wrap every 49.7 days; each wrap seen adds 2^32, which keeps the count going forward as
// long as it is read at least once in that span.
class Win32Clock final : public Clock {
public:
    std::uint64_t Milliseconds() override {
        const DWORD now = GetTickCount();
        if (now < last_)
            wraps_ += std::uint64_t{1} << 32;
        last_ = now;
        return wraps_ + now;
    }

private:
    DWORD last_ = 0;
    std::uint64_t wraps_ = 0;
};

}  // namespace

bool LocalTimeOfTicks(std::uint64_t ticks, LocalFields* local) {
    // As FAR shows a panel's times: the bias in force now, not the one of the file's date.
    FILETIME utc;
    utc.dwLowDateTime = static_cast<DWORD>(ticks & 0xFFFFFFFFu);
    utc.dwHighDateTime = static_cast<DWORD>(ticks >> 32);
    FILETIME localTime;
    SYSTEMTIME fields;
    if (!FileTimeToLocalFileTime(&utc, &localTime) || !FileTimeToSystemTime(&localTime, &fields))
        return false;
    local->year = fields.wYear;
    local->month = fields.wMonth;
    local->day = fields.wDay;
    local->hour = fields.wHour;
    local->minute = fields.wMinute;
    local->second = fields.wSecond;
    return true;
}

std::uint64_t WallClockTicks() {
    FILETIME now;
    GetSystemTimeAsFileTime(&now);
    return (static_cast<std::uint64_t>(now.dwHighDateTime) << 32) | now.dwLowDateTime;
}

Clock& SystemClock() {
    static Win32Clock clock;
    return clock;
}

}  // namespace velmora
