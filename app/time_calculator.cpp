#include "app/time_calculator.h"

#include <cmath>
#include <ctime>
#include <limits>

TimeCalculator::TimeCalculator() : TimeCalculator([] { return static_cast<std::int64_t>(std::time(nullptr)); }) {}

TimeCalculator::TimeCalculator(Clock clock) : m_clock(std::move(clock)) {}

TimeCalculator::~TimeCalculator() = default;

void TimeCalculator::Start()
{
    m_samples.clear();
    m_samples.push_back({m_clock(), 0.0});
    m_running = true;
}

void TimeCalculator::Stop()
{
    m_running = false;
    m_samples.clear();
}

void TimeCalculator::Update(double percent)
{
    if (!m_running || m_samples.empty())
        return;
    // Written as "not inside" so that NaN is ignored as well.
    if (!(percent > 0.0 && percent < 100.0))
        return;
    const std::int64_t now = m_clock();
    // Reports within a second of the newest sample only refresh it.
    if (m_samples.back().time >= now - 1) {
        m_samples.back().percent = percent;
        return;
    }
    m_samples.push_back({now, percent});
    m_finishTime = kNoEstimate;
    while (m_samples.size() > kMaxSamples)
        m_samples.erase(m_samples.begin());
    if (m_samples.size() == 1) {
        m_finishTime = now - 1;
        return;
    }
    // Plain mean of the rates between neighbouring samples, in percent per second.
    double rate = 0.0;
    int k = 0;
    for (std::size_t i = 1; i < m_samples.size(); ++i) {
        const Sample& a = m_samples[i - 1];
        const Sample& b = m_samples[i];
        const double r = (b.percent - a.percent) / static_cast<double>(b.time - a.time);
        rate = (r + k * rate) / (k + 1);
        ++k;
    }
    m_finishTime = now - 1;
    if (rate > 0.0) {
        // In double: a tiny rate gives a span far beyond any integer type.
        const double seconds = (100.0 - percent) / rate + 0.5;
        if (std::isfinite(seconds) && seconds <= static_cast<double>(std::numeric_limits<std::int32_t>::max()))
            m_finishTime = now + static_cast<std::int64_t>(seconds);
    }
}

std::int64_t TimeCalculator::GetRemainingSeconds() const
{
    if (!m_running || m_finishTime == kNoEstimate)
        return 0;
    return m_finishTime - m_clock();
}

std::int64_t TimeCalculator::GetPhrasedSeconds() const
{
    if (m_samples.size() < 2)
        return 0;
    const std::int64_t s = GetRemainingSeconds();
    return s > 0 ? s : 0;
}

std::string TimeCalculator::GetRemainingText() const
{
    const std::int64_t s = GetPhrasedSeconds();
    if (s <= 0)
        return "unbekannt";
    if (s < 60)
        return std::to_string(s) + " Sekunden";
    const std::int64_t m = (s + 30) / 60;
    if (m <= 15)
        return std::to_string(m) + (m == 1 ? " Minute" : " Minuten");
    if (m < 60)
        return "ca. " + std::to_string(static_cast<std::int64_t>(m + 5.0) / 10 * 10) + " Minuten";
    std::int64_t h = m / 60;
    std::int64_t r = m - 60 * h;
    if (r >= 55) {
        h += 1;
        r = 0;
    }
    std::string text = "ca. " + std::to_string(h) + (h == 1 ? " Stunde" : " Stunden");
    const std::int64_t t = (r + 5) / 10 * 10;
    if (t > 0)
        text += " und " + std::to_string(t) + " Minuten";
    return text;
}
