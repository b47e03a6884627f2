// The Windows event behind GoogleTest's Notification (see gtest/internal/custom/gtest-port.h).
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

#include "gtest/internal/custom/gtest-port.h"

namespace testing {
namespace internal {

// Manual reset: once notified, every waiter passes.
Notification::Notification() : event_(CreateEventA(nullptr, TRUE, FALSE, nullptr)) {}
Notification::~Notification() {
    CloseHandle(event_);
}
void Notification::Notify() {
    SetEvent(event_);
}
void Notification::WaitForNotification() {
    WaitForSingleObject(event_, INFINITE);
}

}  // namespace internal
}  // namespace testing
