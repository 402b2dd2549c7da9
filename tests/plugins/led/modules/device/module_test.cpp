// The device module's link: finding the controller, reading and polling its table, value
// writes, lost lines and the worker's end.
#include "device_fixture.h"

#include "modules/device/lumiref_pic_comm.h"
#include "modules/device/serial_link.h"

#include <QAbstractEventDispatcher>

#include <memory>
#include <optional>

namespace {

using namespace device_test;

using Bytes = std::vector<std::uint8_t>;

TEST_F(DeviceTest, ConnectFindsTheControllerReadsItsTableAndPolls)
{
    EXPECT_EQ(module.RunAutomation("connect"), std::optional<bool>(true));
    EXPECT_TRUE(module.IsConnected());
    const RecordingHost::LogLine attempt = Line("Verbindungsversuch 1 von 5");
    EXPECT_EQ(attempt.text, "Verbindungsversuch 1 von 5");
    EXPECT_FALSE(attempt.colour.has_value()) << "a plain line";
    EXPECT_EQ(Line("Beleuchtungsquelle gefunden").colour, std::optional<COLORREF>(kFound));
    EXPECT_EQ(Line("Lese 16 Parameter").colour, std::optional<COLORREF>(kNotice));

    std::vector<std::string> names;
    std::vector<bool> readOnly;
    for (const auto& row : LightSourceSimulator::DefaultRows()) {
        names.push_back(row.name);
        readOnly.push_back(row.flags & 1);
    }
    EXPECT_EQ(module.ParameterNames(), names);
    EXPECT_EQ(module.ReadOnlyFlags(), readOnly);
    EXPECT_EQ(module.FindParam("SensorDiv"), 13);
    EXPECT_EQ(module.FindParam("sensordiv"), -1);
    EXPECT_EQ(module.FindParam("Sensor"), -1);

    // Pings, count, name and flags row by row, then one request for all values per cycle.
    ASSERT_TRUE(sim.WaitForCommand(0xC2, 3, kWait));
    const auto requests = sim.Requests();
    std::vector<Bytes> expected = {{0xC0}, {0xC0}, {0xC0}, {0xCC}};
    for (std::uint8_t j = 0; j < 16; ++j) {
        expected.push_back({0xCD, j, 0});
        expected.push_back({0xCE, j, 0});
    }
    for (int cycle = 0; cycle < 3; ++cycle)
        expected.push_back({0xC2, 0, 0, 15, 0});
    ASSERT_GE(requests.size(), expected.size());
    for (std::size_t i = 0; i < expected.size(); ++i)
        EXPECT_EQ(requests[i].bytes, expected[i]) << i;
    // A poll has stored the device's values (the sensors drift from one poll to the next).
    ASSERT_TRUE(QTest::qWaitFor([this] { return module.ParameterValues().at(13) != 0.0; }, 10000));
    const std::vector<double> values = module.ParameterValues();
    EXPECT_EQ(values[13], static_cast<double>(8.000742f));
    EXPECT_EQ(values[15], static_cast<double>(2.2979157f));
    EXPECT_GE(values[0], 10.0);
    EXPECT_LT(values[0], 10.5);

    // A second connect starts no second worker.
    EXPECT_TRUE(module.connect());
    EXPECT_EQ(CountLines("Verbindungsversuch 1 von 5"), 1);

    EXPECT_EQ(module.RunAutomation("disconnect"), std::optional<bool>(true));
    EXPECT_FALSE(module.IsConnected());
    EXPECT_FALSE(module.IsStarting());
    EXPECT_EQ(Line("Verbindung mit Beleuchtungsquelle beendet").colour, std::optional<COLORREF>(kNotice));
    EXPECT_TRUE(module.ParameterNames().empty());
    EXPECT_TRUE(module.ParameterValues().empty());
    // The port is free again, and disconnect without a link is nothing.
    SerialLink other;
    EXPECT_EQ(other.Open(sim.PortName()), SerialLink::OpenResult::Opened);
    other.Close();
    EXPECT_TRUE(module.disconnect());
    EXPECT_TRUE(module.connect()) << "a link can start again";
}

TEST_F(DeviceTest, Handshakes)
{
    const std::string missing = "/dev/orvanta-no-such-port";
    const struct {
        const char* name;
        Faults faults;
        std::string port; // empty: the simulator's
        bool connects;
        int attempts;
        const char* error; // the last line with its colour, or null
        std::optional<COLORREF> colour;
    } cases[] = {
        {"silent device", [] { Faults f; f.silent = true; return f; }(), "", false, 5,
         "Fehler: Keine Verbindung zu Controller", kError},
        {"two of three pings each time", [] { Faults f; f.pingsAnswered = 2; return f; }(), "", false, 5,
         "Fehler: Keine Verbindung zu Controller", kError},
        {"all three pings only in attempt 5",
         [] { Faults f; f.pingsAnswered = 2; f.allPingsFromAttempt = 5; return f; }(), "", true, 5,
         "Lese 16 Parameter", kNotice},
        {"no such port", {}, missing, false, 0, "FEHLER: Konnte Schnittstelle '/dev/orvanta-no-such-port' nicht öffnen",
         std::nullopt},
        {"count reply cut short", [] { Faults f; f.cutAfter = 2; f.only = 0xCC; return f; }(), "", false, 1,
         "Fehler: Anzahl der Parameter der Beleuchtungsquelle nicht lesbar!", kError},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        {
            std::lock_guard lock(host.logMutex);
            host.log.clear();
        }
        sim.SetFaults(c.faults);
        module.getParameters().setStringParameter("COMPort", c.port.empty() ? sim.PortName() : c.port);
        EXPECT_EQ(module.connect(), c.connects);
        EXPECT_EQ(module.IsStarting(), c.connects) << "a failed start leaves the module idle";
        int attempts = 0;
        for (int i = 1; i <= 5; ++i)
            attempts += CountLines("Verbindungsversuch " + std::to_string(i) + " von 5");
        EXPECT_EQ(attempts, c.attempts);
        const auto log = host.LogSnapshot();
        ASSERT_FALSE(log.empty());
        EXPECT_EQ(log.back().text, c.error);
        EXPECT_EQ(log.back().colour, c.colour);
        module.disconnect();
        // The port was closed whatever happened.
        SerialLink other;
        EXPECT_EQ(other.Open(sim.PortName()), SerialLink::OpenResult::Opened);
    }
}

TEST_F(DeviceTest, ValueWritesReachTheDeviceOrSayWhyNot)
{
    module.SetDeviceValue(7, 0.5);
    EXPECT_EQ(host.LogTexts().back(), "Fehler: Keine Verbindung zur Beleuchtungsquelle!") << "no worker: at once";
    EXPECT_EQ(CountRequests(0xC3), 0);

    ASSERT_TRUE(module.connect());
    host.calls.clear();
    module.SetDeviceValue(8, 0.8);
    EXPECT_EQ(sim.Value(8), 0.8f) << "sent before SetDeviceValue returned";
    // The wait for the worker lets events through: only inside the calculation bracket.
    ASSERT_FALSE(host.calls.empty());
    EXPECT_EQ(host.calls.front(), "StartCalculation");
    EXPECT_EQ(host.calls.back(), "EndCalculation");
    const auto requests = sim.Requests();
    const auto write = std::find_if(requests.begin(), requests.end(), [](const auto& r) { return r.command == 0xC3; });
    ASSERT_NE(write, requests.end());
    EXPECT_EQ(write->bytes, (Bytes{0xC3, 8, 0, 0xCD, 0xCC, 0x4C, 0x3F}));

    // A read-only row refuses: the device keeps its value and the log says so.
    module.SetDeviceValue(13, 1.0);
    EXPECT_EQ(sim.Value(13), 8.000742f);
    EXPECT_TRUE(host.WaitForLine("Fehler: Beleuchtungsquelle hat den Wert für 'SensorDiv' nicht übernommen!", kWait));
    // An unanswered write is reported as well.
    Faults f;
    f.silent = true;
    f.only = 0xC3;
    sim.SetFaults(f);
    module.SetDeviceValue(9, 0.25);
    EXPECT_EQ(CountLines("Fehler: Beleuchtungsquelle hat den Wert für 'Lightness3' nicht übernommen!"), 1);
    sim.SetFaults({});

    ASSERT_TRUE(module.disconnect());
    module.SetDeviceValue(8, 0.1);
    EXPECT_EQ(sim.Value(8), 0.8f);
    EXPECT_EQ(host.LogTexts().back(), "Fehler: Keine Verbindung zur Beleuchtungsquelle!");
}

TEST_F(DeviceTest, FailedReadsKeepTheLastValuesAndAreReportedOncePerRun)
{
    ASSERT_TRUE(module.connect());
    ASSERT_TRUE(QTest::qWaitFor([this] { return module.ParameterValues().at(13) != 0.0; }, 10000));
    Faults f;
    f.ack = 0xE1;
    f.only = 0xC2;
    sim.SetFaults(f);
    const std::string failed = "Fehler: Werte der Beleuchtungsquelle konnten nicht gelesen werden!";
    ASSERT_TRUE(host.WaitForLine(failed, kWait));
    const int before = CountRequests(0xC2);
    ASSERT_TRUE(sim.WaitForCommand(0xC2, before + 3, kWait)) << "the failing reads go on";
    EXPECT_EQ(module.ParameterValues().at(13), static_cast<double>(8.000742f)) << "the last values stay";
    EXPECT_EQ(CountLines(failed), 1);
    sim.SetFaults({});
    ASSERT_TRUE(host.WaitForLine("Beleuchtungsquelle antwortet wieder", kWait));
    EXPECT_EQ(Line("Beleuchtungsquelle antwortet wieder").colour, std::optional<COLORREF>(kNotice));
    EXPECT_EQ(CountLines(failed), 1);
    EXPECT_TRUE(module.IsConnected());
}

TEST_F(DeviceTest, AVanishingDeviceEndsTheWorker)
{
    ASSERT_TRUE(module.connect());
    sim.CloseLine();
    ASSERT_TRUE(WorkerEnds());
    const auto texts = host.LogTexts();
    ASSERT_GE(texts.size(), 2u);
    EXPECT_EQ(texts[texts.size() - 2], "Fehler: Verbindung zur Schnittstelle '" + sim.PortName() + "' verloren!");
    EXPECT_EQ(texts.back(), "Verbindung mit Beleuchtungsquelle beendet");
    EXPECT_FALSE(module.IsConnected());
    EXPECT_TRUE(module.ParameterNames().empty());
    EXPECT_TRUE(module.disconnect());
    EXPECT_FALSE(module.create_values());
    EXPECT_EQ(host.LogTexts().back(), "Fehler: Keine Verbindung zur Beleuchtungsquelle!");
}

class EmptyDeviceTest : public DeviceTest {
protected:
    EmptyDeviceTest() : DeviceTest({}) {}
};

TEST_F(EmptyDeviceTest, AnEmptyTableIsNeverPolled)
{
    ASSERT_TRUE(module.connect());
    EXPECT_EQ(Line("Lese 0 Parameter").colour, std::optional<COLORREF>(kNotice));
    // Each write is taken at the start of a cycle: after the second, a whole cycle has run.
    module.SetDeviceValue(0, 1.0);
    module.SetDeviceValue(0, 2.0);
    EXPECT_EQ(CountRequests(0xC3), 2);
    ASSERT_TRUE(module.disconnect());
    EXPECT_EQ(CountRequests(0xC2), 0);
}

TEST_F(DeviceTest, DestroyingAConnectedModuleStopsItsWorker)
{
    auto other = std::make_unique<LumirefCommModule>();
    other->SetTimings(ShortTimings());
    other->SetModuleInterface(&host);
    other->getParameters().setStringParameter("COMPort", sim.PortName());
    ASSERT_TRUE(other->connect());
    ASSERT_TRUE(sim.WaitForCommand(0xC2, 1, kWait));
    other.reset();
    // Joined: the port is free at once.
    SerialLink link;
    EXPECT_EQ(link.Open(sim.PortName()), SerialLink::OpenResult::Opened);
}

// The waits of connect, a value write and disconnect, over two links, leave nothing with the
// GUI thread's event dispatcher: whatever stayed there would outlive the module and call into
// the unloaded plug-in when the application ends.
TEST_F(DeviceTest, LinksLeaveNothingWithTheEventDispatcher)
{
    QAbstractEventDispatcher* dispatcher = QAbstractEventDispatcher::instance();
    ASSERT_NE(dispatcher, nullptr);
    const QObjectList before = dispatcher->children();
    {
        LumirefCommModule other;
        other.SetTimings(ShortTimings());
        other.SetModuleInterface(&host);
        other.getParameters().setStringParameter("COMPort", sim.PortName());
        for (int link = 1; link <= 2; ++link) {
            SCOPED_TRACE(link);
            ASSERT_TRUE(other.connect());
            other.SetDeviceValue(8, 0.25 * link);
            EXPECT_EQ(sim.Value(8), 0.25f * link);
            ASSERT_TRUE(other.disconnect());
        }
        ASSERT_TRUE(other.connect());
    }
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_EQ(dispatcher->children(), before);
}

} // namespace
