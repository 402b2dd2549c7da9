#pragma once
// Remaining-time estimate of a running calculation. Progress reports (percent) are sampled at
// most once per two seconds; the mean progress rate of the last samples gives the finish time,
// which GetRemainingText phrases in German ("45 Sekunden", "ca. 1 Stunde und 10 Minuten").
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

class TimeCalculator {
public:
    // Seconds since 1970; the default reads the system clock. Tests inject their own.
    using Clock = std::function<std::int64_t()>;

    TimeCalculator();
    explicit TimeCalculator(Clock clock);
    virtual ~TimeCalculator();

    // Drops all samples, takes (now, 0 %) and starts running; the finish time stays.
    void Start();
    // Feeds one progress value; values outside (0, 100) are ignored.
    void Update(double percent);
    // Stops running and drops all samples.
    void Stop();

    // finish - now; 0 when stopped or without an estimate. Negative once the estimate passed.
    std::int64_t GetRemainingSeconds() const;
    // "unbekannt", "16 Sekunden", "1 Minute", "ca. 20 Minuten", "ca. 2 Stunden", ...
    std::string GetRemainingText() const;
    // The seconds GetRemainingText phrases, 0 for "unbekannt": the text is a function of it.
    std::int64_t GetPhrasedSeconds() const;

    bool IsRunning() const { return m_running; }

private:
    struct Sample {
        std::int64_t time;
        double percent;
    };
    static constexpr std::size_t kMaxSamples = 8;
    static constexpr std::int64_t kNoEstimate = -1;

    Clock m_clock;
    bool m_running = false;
    std::int64_t m_finishTime = kNoEstimate;
    std::vector<Sample> m_samples;
};
