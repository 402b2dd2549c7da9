#pragma once
// The device module against the simulated controller, with short waits: a read time-out of
// 100 ms, a poll and attempt pause of 20 ms. Tests wait on the simulator's record or on log
// lines, never a fixed time.
#include "plugins/led/modules/led_modules_fixture.h"

#include "modules/device/lumiref_comm_module.h"

#include "light_source_simulator.h"

#include <QTest>

#include <algorithm>
#include <chrono>
#include <string>
#include <vector>

namespace device_test {

using namespace std::chrono_literals;
using Faults = LightSourceSimulator::Faults;

inline constexpr auto kWait = 10s;
inline constexpr COLORREF kFound = 0x007000;
inline constexpr COLORREF kNotice = 0x000700;
inline constexpr COLORREF kError = 0x000070;

inline DeviceTimings ShortTimings()
{
    DeviceTimings t;
    t.readTimeout = 100ms;
    t.pollPause = 20ms;
    t.attemptPause = 20ms;
    return t;
}

class DeviceTest : public led_test::ModulesTest {
protected:
    explicit DeviceTest(std::vector<LightSourceSimulator::Row> rows = LightSourceSimulator::DefaultRows())
        : sim(std::move(rows))
    {
        module.SetTimings(ShortTimings());
        Attach(module);
        module.getParameters().setStringParameter("COMPort", sim.PortName());
    }

    // The first logged line of that text; a line with an empty text when there is none.
    RecordingHost::LogLine Line(const std::string& text) const
    {
        for (const auto& line : host.LogSnapshot())
            if (line.text == text)
                return line;
        return {};
    }

    int CountLines(const std::string& text) const
    {
        const auto log = host.LogSnapshot();
        return static_cast<int>(
            std::count_if(log.begin(), log.end(), [&](const RecordingHost::LogLine& l) { return l.text == text; }));
    }

    // Waits, handling events, until the worker has ended.
    bool WorkerEnds() { return QTest::qWaitFor([this] { return !module.IsStarting(); }, 10000); }

    int CountRequests(std::uint8_t command) const
    {
        const auto requests = sim.Requests();
        return static_cast<int>(std::count_if(requests.begin(), requests.end(),
                                              [command](const auto& r) { return r.command == command; }));
    }

    // Declared after the host (in the base) and the simulator: the module and its worker go
    // first.
    LightSourceSimulator sim;
    LumirefCommModule module;
};

} // namespace device_test
