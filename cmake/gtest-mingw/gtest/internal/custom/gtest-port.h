// GoogleTest customisation for mingw-w64 with the win32 thread model, found ahead of GoogleTest's
// own (empty) custom header. That model has no std::mutex or std::condition_variable, which
// GoogleTest uses only for its Notification; a Windows event (GoogleTestNotification.cpp) does
// the same job. No Windows header here: test sources must not see its macros.
#pragma once

#if defined(_WIN32)
#define GTEST_HAS_NOTIFICATION_ 1

namespace testing {
namespace internal {

class Notification {
public:
    Notification();
    ~Notification();
    Notification(const Notification&) = delete;
    Notification& operator=(const Notification&) = delete;

    void Notify();
    void WaitForNotification();

private:
    void* event_;
};

}  // namespace internal
}  // namespace testing
#endif
