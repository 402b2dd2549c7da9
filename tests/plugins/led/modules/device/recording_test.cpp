// create_values: samples from the polled values as spectra and clipboard objects, the
// lightness sweep, the checks before the first sample, abort and a lost device.
#include "device_fixture.h"

#include "engine/grid.h"

#include "core/clipboard_object.h"
#include "core/spectrum.h"

#include <QTimer>

#include <cmath>
#include <functional>
#include <optional>

namespace {

using namespace device_test;

class RecordingTest : public DeviceTest {
public:
    explicit RecordingTest(std::vector<LightSourceSimulator::Row> rows = LightSourceSimulator::DefaultRows())
        : DeviceTest(std::move(rows))
    {
    }

    // count interpolator spectra "Ipol:S1".., 400..700 nm in steps of 10, y = i + x / 100.
    void AddInterpolator(int count)
    {
        for (int i = 1; i <= count; ++i)
            AddCurve("Ipol:S" + std::to_string(i), 400.0, 10.0, 31, [i](double x) { return i + x / 100.0; });
        Set("InterpolatorSpecs", "Ipol");
    }

    void Set(const char* name, const std::string& value) { module.getParameters().setStringParameter(name, value); }
    void Set(const char* name, const char* value) { Set(name, std::string(value)); }
    void Set(const char* name, int value) { module.getParameters().setIntParameter(name, value); }
    void Set(const char* name, bool value) { module.getParameters().setBoolParameter(name, value); }

    // The double array of a clipboard object; empty when there is none.
    std::vector<double> ArrayOf(const std::string& path, const char* name, int count)
    {
        for (ClipboardObject* o : host.clipboard.GetInserters(path, false)) {
            const double* values = o->GetParameters().getDouble1DArrayParameter(name);
            if (values)
                return std::vector<double>(values, values + count);
        }
        return {};
    }

    // Calls action once, during the pause of the sample whose status text is the count-th.
    void DuringSample(int count, std::function<void()> action)
    {
        auto* timer = new QTimer(&m_timers);
        QObject::connect(timer, &QTimer::timeout, [this, timer, count, action] {
            if (static_cast<int>(host.statusTexts.size()) == count) {
                timer->stop();
                action();
            }
        });
        timer->start(1);
    }

    std::vector<double> SweepValues(int index)
    {
        std::vector<double> values;
        for (const auto& r : sim.Requests())
            if (r.command == 0xC3 && r.index == index)
                values.push_back(r.value);
        return values;
    }

private:
    QObject m_timers;
};

TEST_F(RecordingTest, SamplesRebuildSpectraAndKeepTheValuesTheyUsed)
{
    AddInterpolator(7);
    Set("TargetGroup", "Rec");
    Set("MeasuresTargetGroup", ":M:");
    Set("LightnessesTargetGroup", "L");
    Set("SpecCount", 2);
    Set("MeasureInterval", 100);
    ASSERT_TRUE(module.connect());
    ASSERT_TRUE(sim.WaitForCommand(0xC2, 2, kWait));
    ASSERT_TRUE(QTest::qWaitFor([this] { return module.ParameterValues().at(0) >= 10.0; }, 10000));

    EXPECT_EQ(module.RunAutomation("create_values"), std::optional<bool>(true));
    EXPECT_EQ(host.statusTexts, (std::vector<std::string>{"Bearbeite Wert 1 von 2", "Bearbeite Wert 2 von 2"}));
    EXPECT_EQ(host.progressHistory, (std::vector<double>{0.0, 50.0}));
    EXPECT_EQ(ClipboardNames(),
              (std::vector<std::string>{"M:Measure0", "L:Lightnesses0", "M:Measure1", "L:Lightnesses1"}));
    for (int k = 0; k < 2; ++k) {
        SCOPED_TRACE(k);
        const std::vector<double> measures = ArrayOf("M:Measure" + std::to_string(k), "Measures", 7);
        ASSERT_EQ(measures.size(), 7u);
        for (int i = 0; i < 7; ++i) {
            EXPECT_GE(measures[static_cast<std::size_t>(i)], 10.0 * (i + 1));
            EXPECT_LT(measures[static_cast<std::size_t>(i)], 10.0 * (i + 1) + 0.5);
        }
        EXPECT_EQ(ArrayOf("L:Lightnesses" + std::to_string(k), "Lightnesses", 6), std::vector<double>(6, 0.5));
        // The spectrum is the sum of the interpolator spectra weighted by those values.
        auto spectra = host.spectra.GetInserters("Rec:LRSpec" + std::to_string(k), false);
        ASSERT_EQ(spectra.size(), 1u);
        const Spectrum& s = *spectra.front();
        ASSERT_EQ(s.GetPointCount(), 31);
        for (int j = 0; j < 31; j += 10) {
            const double x = 400.0 + 10.0 * j;
            double expected = 0.0;
            for (int i = 0; i < 7; ++i)
                expected += measures[static_cast<std::size_t>(i)] * ((i + 1) + x / 100.0);
            EXPECT_NEAR(s[j].x, x, 1e-9);
            EXPECT_NEAR(s[j].y, expected, 1e-9 * expected);
        }
    }
}

TEST_F(RecordingTest, TheSweepDrivesOneLedFromZeroUpward)
{
    ASSERT_TRUE(module.connect());
    Set("SpecCount", 4);
    Set("MeasureInterval", 100);
    Set("LightnessSeries", true);
    // "LEDIndex" outside 1..6 is clamped, not refused; Lightness1 is row 7.
    const struct {
        int ledIndex;
        int row;
    } cases[] = {{0, 7}, {9, 12}, {3, 9}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.ledIndex);
        Set("LEDIndex", c.ledIndex);
        ASSERT_TRUE(module.create_values());
        EXPECT_EQ(SweepValues(c.row), (std::vector<double>{0.0, 0.25, 0.5, 0.75}));
        EXPECT_EQ(sim.Value(c.row), 0.75f);
    }
    EXPECT_TRUE(ClipboardNames().empty());
    EXPECT_TRUE(SpectrumNames().empty());
}

TEST_F(RecordingTest, ChecksBeforeTheFirstSample)
{
    const struct {
        const char* name;
        std::function<void(RecordingTest&)> setup;
        const char* error;
    } cases[] = {
        {"six interpolator spectra",
         [](RecordingTest& t) {
             t.AddInterpolator(6);
             t.Set("TargetGroup", "Rec");
         },
         "Fehler: Interpolator muss genau 7 Spektren umfassen!"},
        {"no samples", [](RecordingTest& t) { t.Set("SpecCount", 0); },
         "Fehler: Parameter 'SpecCount' liegt außerhalb des zulässigen Bereichs (1 bis 2.14748e+09)!"},
        {"too short an interval", [](RecordingTest& t) { t.Set("MeasureInterval", 99); },
         "Fehler: Parameter 'MeasureInterval' liegt außerhalb des zulässigen Bereichs (100 bis 2.14748e+09)!"},
    };
    ASSERT_TRUE(module.connect());
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Set("TargetGroup", std::string());
        Set("SpecCount", 1);
        Set("MeasureInterval", 100);
        c.setup(*this);
        host.statusTexts.clear();
        EXPECT_FALSE(module.create_values());
        EXPECT_EQ(host.LogTexts().back(), c.error);
        EXPECT_EQ(host.LogSnapshot().back().colour, std::optional<COLORREF>(kError));
        EXPECT_TRUE(host.statusTexts.empty()) << "no sample";
    }
    EXPECT_TRUE(SpectrumNames().size() == 6u);
}

// A table without one of the rows create_values needs.
std::vector<LightSourceSimulator::Row> RowsWithout(const std::string& name)
{
    std::vector<LightSourceSimulator::Row> rows = LightSourceSimulator::DefaultRows();
    rows.erase(std::remove_if(rows.begin(), rows.end(), [&](const auto& r) { return r.name == name; }), rows.end());
    return rows;
}

class MissingRowTest : public RecordingTest,
                       public ::testing::WithParamInterface<std::tuple<const char*, const char*, const char*>> {
protected:
    MissingRowTest() : RecordingTest(RowsWithout(std::get<0>(GetParam()))) {}
};

TEST_P(MissingRowTest, NamesTheMissingRow)
{
    const auto& [row, setting, error] = GetParam();
    ASSERT_TRUE(module.connect());
    Set("MeasureInterval", 100);
    if (std::string(setting) == "sweep") {
        Set("LightnessSeries", true);
        Set("LEDIndex", 6);
    } else if (*setting) {
        Set(setting, "G");
    }
    EXPECT_FALSE(module.create_values());
    EXPECT_EQ(host.LogTexts().back(), error);
    EXPECT_TRUE(host.statusTexts.empty());
    EXPECT_EQ(CountRequests(0xC3), 0) << "nothing written to the device";
}

INSTANTIATE_TEST_SUITE_P(
    Rows, MissingRowTest,
    ::testing::Values(
        std::make_tuple("Sensor3", "MeasuresTargetGroup", "Fehler: Parameter 'Sensor3' nicht gefunden!"),
        std::make_tuple("Lightness2", "LightnessesTargetGroup", "Fehler: Parameter 'Lightness2' nicht gefunden!"),
        // The swept row is needed even when no lightness objects are made.
        std::make_tuple("Lightness6", "sweep", "Fehler: Parameter 'Lightness6' nicht gefunden!"),
        // Needed in every case, though no output uses it.
        std::make_tuple("SensorDiv", "", "Fehler: Parameter 'SensorDiv' nicht gefunden!")),
    [](const auto& info) { return std::string(std::get<0>(info.param)); });

TEST_F(RecordingTest, WithoutOutputGroupsOnlyTheSamplesRun)
{
    ASSERT_TRUE(module.connect());
    Set("SpecCount", 3);
    Set("MeasureInterval", 100);
    ASSERT_TRUE(module.create_values());
    EXPECT_EQ(host.statusTexts.size(), 3u);
    EXPECT_EQ(host.progressHistory, (std::vector<double>{0.0, 100.0 / 3.0, 200.0 / 3.0}));
    EXPECT_TRUE(ClipboardNames().empty());
    EXPECT_TRUE(SpectrumNames().empty());
}

TEST_F(RecordingTest, AnAbortInAPauseKeepsTheSamplesSoFar)
{
    ASSERT_TRUE(module.connect());
    Set("MeasuresTargetGroup", "M");
    Set("SpecCount", 10);
    Set("MeasureInterval", 100);
    DuringSample(4, [this] { host.wantsAbort = true; });
    EXPECT_TRUE(module.create_values());
    EXPECT_EQ(ClipboardNames(), (std::vector<std::string>{"M:Measure0", "M:Measure1", "M:Measure2", "M:Measure3"}));
}

TEST_F(RecordingTest, ALostDeviceEndsTheRecording)
{
    ASSERT_TRUE(module.connect());
    Set("MeasuresTargetGroup", "M");
    Set("SpecCount", 10);
    Set("MeasureInterval", 100);
    DuringSample(2, [this] { sim.CloseLine(); });
    EXPECT_FALSE(module.create_values());
    EXPECT_EQ(host.LogTexts().back(), "Fehler: Keine Verbindung zur Beleuchtungsquelle!");
    EXPECT_EQ(ClipboardNames(), (std::vector<std::string>{"M:Measure0", "M:Measure1"}));
    EXPECT_FALSE(module.IsStarting());
}

TEST_F(RecordingTest, OnlyValuesThatArrivedWholeAreRecorded)
{
    AddInterpolator(7);
    Set("TargetGroup", "Rec");
    Set("MeasuresTargetGroup", "M");
    Set("LightnessesTargetGroup", "L");
    Set("MeasureInterval", 100);
    const std::string noValues = "Fehler: Die Beleuchtungsquelle hat keine Messwerte geliefert!";

    // Every reply to the value request comes short: the table holds only its starting zeros,
    // which no poll delivered. Nothing is filed, the run fails with its line.
    Faults cut;
    cut.cutAfter = 6;
    cut.only = 0xC2;
    sim.SetFaults(cut);
    ASSERT_TRUE(module.connect());
    EXPECT_FALSE(module.create_values());
    EXPECT_EQ(host.LogTexts().back(), noValues);
    EXPECT_EQ(host.LogSnapshot().back().colour, std::optional<COLORREF>(kError));
    EXPECT_TRUE(host.statusTexts.empty()) << "no sample";
    EXPECT_TRUE(ClipboardNames().empty());
    EXPECT_EQ(SpectrumNames().size(), 7u) << "only the interpolator";
    EXPECT_GE(CountRequests(0xC2), 1);

    // Once whole replies come, their values are recorded; when the replies come short again
    // the last whole values are the ones kept.
    sim.SetFaults({});
    ASSERT_TRUE(QTest::qWaitFor([this] { return module.ParameterValues().at(0) >= 10.0; }, 10000));
    sim.SetFaults(cut);
    const int requests = CountRequests(0xC2);
    ASSERT_TRUE(sim.WaitForCommand(0xC2, requests + 2, kWait));
    const std::vector<double> kept = module.ParameterValues();
    EXPECT_TRUE(module.create_values());
    const std::vector<double> measures = ArrayOf("M:Measure0", "Measures", 7);
    ASSERT_EQ(measures.size(), 7u);
    EXPECT_EQ(measures, std::vector<double>(kept.begin(), kept.begin() + 7));
    EXPECT_EQ(ArrayOf("L:Lightnesses0", "Lightnesses", 6), std::vector<double>(kept.begin() + 7, kept.begin() + 13));
    EXPECT_NE(Line("Fehler: Werte der Beleuchtungsquelle konnten nicht gelesen werden!").text, "");
}

TEST_F(RecordingTest, NothingWithoutAConnection)
{
    Set("MeasuresTargetGroup", "M");
    EXPECT_EQ(module.RunAutomation("create_values"), std::optional<bool>(false));
    EXPECT_EQ(host.LogTexts().back(), "Fehler: Keine Verbindung zur Beleuchtungsquelle!");
    EXPECT_TRUE(ClipboardNames().empty());
}

} // namespace
