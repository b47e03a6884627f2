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

Clock& SystemClock() {
    static Win32Clock clock;
    return clock;
}

}  // namespace velmora
