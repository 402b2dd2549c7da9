#pragma once
// A waitable event: a mutex and a condition variable with manual or automatic reset.
#include <chrono>
#include <condition_variable>
#include <mutex>

namespace platform {

class Event {
public:
    // A manual-reset event stays set until Reset(); an auto-reset event releases
    // one waiter and clears itself.
    explicit Event(bool manualReset = false, bool initiallySet = false);

    Event(const Event&) = delete;
    Event& operator=(const Event&) = delete;

    void Set();
    void Reset();
    bool IsSet() const;

    // Waits until the event is set; false when the time-out passed first.
    bool Wait();
    bool Wait(std::chrono::milliseconds timeout);

private:
    mutable std::mutex m_mutex;
    std::condition_variable m_cv;
    const bool m_manualReset;
    bool m_set;
};

} // namespace platform
