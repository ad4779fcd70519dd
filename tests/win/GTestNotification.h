#pragma once
// GoogleTest builds its Notification (the start signal it gives its own threads) on
// std::mutex and std::condition_variable, which the standard library of the win32 thread
// model lacks. This one, on a Windows event, takes its place through GoogleTest's hook for
// a Notification provided from outside; every file that includes GoogleTest gets it first.

#include <windows.h>

#define GTEST_HAS_NOTIFICATION_ 1

namespace testing::internal {

class Notification {
  public:
    Notification() : event_(CreateEventW(nullptr, TRUE, FALSE, nullptr)) {}
    Notification(const Notification&) = delete;
    Notification& operator=(const Notification&) = delete;
    ~Notification() { CloseHandle(event_); }

    void Notify() { SetEvent(event_); }
    void WaitForNotification() { WaitForSingleObject(event_, INFINITE); }

  private:
    HANDLE event_;
};

}  // namespace testing::internal
