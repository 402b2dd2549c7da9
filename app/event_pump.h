#pragma once
// Decides when a long operation on the GUI thread lets pending events through: at most once per
// interval. A call per point of a ten-million-point loop must cost next to nothing, so the clock
// is the coarse monotonic one (a few nanoseconds, millisecond resolution) read every 8th call.
#include <chrono>
#include <cstdint>
#include <functional>

class EventPump {
public:
    using TimePoint = std::chrono::steady_clock::time_point;
    using Clock = std::function<TimePoint()>;
    static constexpr std::uint32_t kCallsPerClockRead = 8;

    // Without a clock the coarse monotonic clock of the system.
    explicit EventPump(std::chrono::milliseconds interval = std::chrono::milliseconds(50), Clock clock = {});

    // Starts the interval anew (an operation begins).
    void Restart();
    // Counts one call; true when the interval has passed since the last time it answered true
    // (or since Restart). The caller then lets the events through. Inline: a call per point
    // of a long loop is a counter step; only every few calls reach the clock.
    bool Due()
    {
        if (++m_calls < kCallsPerClockRead)
            return false;
        return IntervalPassed();
    }

private:
    TimePoint Now() const;
    // The clock part of Due.
    bool IntervalPassed();

    std::chrono::steady_clock::duration m_interval;
    Clock m_clock;
    TimePoint m_lastPump{};
    std::uint32_t m_calls = 0;
};
