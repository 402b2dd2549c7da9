#include "app/event_pump.h"

#include <time.h>

EventPump::EventPump(std::chrono::milliseconds interval, Clock clock)
    : m_interval(interval), m_clock(std::move(clock))
{
    Restart();
}

EventPump::TimePoint EventPump::Now() const
{
    if (m_clock)
        return m_clock();
    timespec ts{};
    clock_gettime(CLOCK_MONOTONIC_COARSE, &ts);
    return TimePoint(std::chrono::duration_cast<std::chrono::steady_clock::duration>(
        std::chrono::seconds(ts.tv_sec) + std::chrono::nanoseconds(ts.tv_nsec)));
}

void EventPump::Restart()
{
    m_lastPump = Now();
    m_calls = 0;
}

bool EventPump::IntervalPassed()
{
    m_calls = 0;
    const TimePoint now = Now();
    if (now - m_lastPump < m_interval)
        return false;
    m_lastPump = now;
    return true;
}
