// The random LED spectra module, seeded: the draws replayed against the spectra, the plain
// case without randomness, the equal-energy entry, skipped drive vectors, abort, progress and
// the range checks that keep the grid.
#include "led_modules_fixture.h"

#include "modules/led_random_specs_module.h"

#include "engine/grid.h"
#include "engine/led_array.h"
#include "engine/led_db.h"
#include "engine/thermal_model.h"

#include "platform/random.h"

#include <cfloat>
#include <climits>
#include <cmath>
#include <functional>

namespace {

using led_test::ModulesTest;

class RandomSpecsTest : public ModulesTest {
protected:
    RandomSpecsTest()
    {
        Attach(module);
        p.setStringParameter("LEDsDesc", "In");
        p.setStringParameter("LightnessDesc", "Drive");
        p.setStringParameter("SpecGroup", "G");
        p.setIntParameter("SpecCount", 3);
        p.setBoolParameter("NoiseLEDParams", false);
    }

    // A LED whose peak moves with the temperature, so the temperature draw shows.
    void AddLed(const std::string& name, double peak)
    {
        AddObject("In:" + name, {{"Name", name},
                                 {"SpectralModel", "PanShenFengLEDModel"},
                                 {"PeakWavelength", std::to_string(peak)},
                                 {"FWHM", "0.03"},
                                 {"PeakShiftPerKelvin", "0.0001"},
                                 {"IntensityLossPerKelvin", "0.002"}});
    }

    void AddDrive(const std::string& name, const std::vector<double>& values)
    {
        auto* o = new ClipboardObject;
        o->SetName(name);
        o->GetParameters().addDouble1DArrayParameter("Lightnesses", "", static_cast<int>(values.size()), values.data(),
                                                     0.0);
        ASSERT_TRUE(host.clipboard.AddInserter(o));
    }

    // The array of the records under In, on the module's grid.
    LEDArray Array()
    {
        LedDB db;
        module.ReadLEDList(db, "In");
        LEDArray array;
        for (int i = 0; i < db.EntryCount(); ++i)
            array.AddLED(db.EntryAt(i), i);
        return array;
    }

    std::vector<double> Values(const std::string& path)
    {
        std::vector<double> y;
        for (Spectrum* s : host.spectra.GetInserters(path, false))
            for (int k = 0; k < s->GetPointCount(); ++k)
                y.push_back((*s)[k].y);
        return y;
    }

    std::vector<double> Expected(const LEDArray& array, const std::vector<double>& drives, double temperature)
    {
        LSMatrixHandle out(GridPointCount(), 1);
        ConstantThermalModel thermal;
        thermal.SetTemperature(temperature);
        array.ComputeSpectrum(out, drives, &thermal);
        return std::vector<double>(out.get(), out.get() + out.rows());
    }

    LEDRandomSpecsModule module;
    ns_param::Paramora& p = module.getParameters();
};

TEST_F(RandomSpecsTest, SpectraFollowTheReplayedDraws)
{
    AddLed("a", 0.46);
    AddLed("b", 0.59);
    AddDrive("A", {0.8, 0.4});
    p.setStringParameter("LightnessDesc", "A");
    p.setDoubleParameter("MinLightnessFact", 0.5);
    p.setDoubleParameter("MaxLightnessFact", 1.2);
    platform::SRand(4711);
    ASSERT_TRUE(module.calculate_specs());
    EXPECT_EQ(SpectrumNames(), (std::vector<std::string>{"G:A:Spec0", "G:A:Spec1", "G:A:Spec2"}));
    Spectrum* first = host.spectra.GetInserters("G:A:Spec0", false).front();
    ASSERT_EQ(first->GetPointCount(), 201);
    EXPECT_DOUBLE_EQ((*first)[0].x, 380);
    EXPECT_DOUBLE_EQ((*first)[200].x, 780);

    // One draw per drive value in order, then one for the temperature.
    const LEDArray array = Array();
    platform::SRand(4711);
    for (int j = 0; j < 3; ++j) {
        std::vector<double> drives = {0.8, 0.4};
        for (double& d : drives) {
            const double factor = 0.5 + platform::Rand() / 32767.0 * 0.7;
            EXPECT_GE(factor, 0.5);
            EXPECT_LE(factor, 1.2);
            d *= factor;
        }
        const double temperature = 273.15 + platform::Rand() / 32767.0 * 120.0;
        const std::vector<double> expected = Expected(array, drives, temperature);
        const std::vector<double> got = Values("G:A:Spec" + std::to_string(j));
        ASSERT_EQ(got.size(), expected.size());
        for (std::size_t k = 0; k < got.size(); ++k)
            ASSERT_NEAR(got[k], expected[k], 1e-12 * (1 + std::abs(expected[k]))) << j << "," << k;
    }
    // The same seed gives the same spectra; the grid stays the module's.
    const std::vector<double> before = Values("G:A:Spec2");
    platform::SRand(4711);
    ASSERT_TRUE(module.calculate_specs());
    EXPECT_EQ(Values("G:A:Spec2"), before);
    EXPECT_DOUBLE_EQ(XStart, 0.38);
    EXPECT_DOUBLE_EQ(XEnd, 0.78);
    EXPECT_DOUBLE_EQ(XStep, 0.002);
}

TEST_F(RandomSpecsTest, NoisyParametersAreDrawnAfreshForEverySpectrum)
{
    // One LED with stored limits, one whose limits are derived, one of another shape.
    AddObject("In:a", {{"Name", "a"},
                       {"SpectralModel", "GaussianLEDModel"},
                       {"PeakWavelength", "0.46"},
                       {"FWHM", "0.03"},
                       {"PeakWavelengthMin", "0.45"},
                       {"PeakWavelengthMax", "0.47"},
                       {"FWHMMin", "0.025"},
                       {"FWHMMax", "0.035"}});
    AddObject("In:b", {{"Name", "b"}, {"SpectralModel", "GaussianLEDModel"}, {"PeakWavelength", "0.55"}, {"FWHM", "0.02"}});
    AddLed("c", 0.62);
    AddDrive("Drive:A", {0.8, 0.4, 0.6});
    AddDrive("Drive:B", {0.3, 0.9, 0.5});
    p.setBoolParameter("NoiseLEDParams", true);
    platform::SRand(99);
    ASSERT_TRUE(module.calculate_specs());

    // The replay: a fresh copy of the array per spectrum, its parameters drawn, then the
    // drive factors and the temperature.
    const LEDArray array = Array();
    platform::SRand(99);
    std::vector<std::vector<double>> seen;
    for (const auto& [entry, values] : {std::pair<std::string, std::vector<double>>{"Drive:A", {0.8, 0.4, 0.6}},
                                        {"Drive:B", {0.3, 0.9, 0.5}}})
        for (int j = 0; j < 3; ++j) {
            SCOPED_TRACE(entry + " " + std::to_string(j));
            LEDArray copy;
            copy.Assign(array);
            copy.RandomizeParameters();
            std::vector<double> drives = values;
            for (double& d : drives)
                d *= 0.5 + platform::Rand() / 32767.0 * 0.7;
            const double temperature = 273.15 + platform::Rand() / 32767.0 * 120.0;
            const std::vector<double> got = Values("G:" + entry + ":Spec" + std::to_string(j));
            EXPECT_EQ(got, Expected(copy, drives, temperature));
            seen.push_back(got);
        }
    // Spectra of one entry differ in their shape, not only in their scale.
    ASSERT_EQ(seen.size(), 6u);
    const double scale = seen[1][100] / seen[0][100];
    bool shapesDiffer = false;
    for (std::size_t k = 0; k < seen[0].size(); ++k)
        shapesDiffer = shapesDiffer || std::abs(seen[1][k] - scale * seen[0][k]) > 1e-6;
    EXPECT_TRUE(shapesDiffer);
}

TEST_F(RandomSpecsTest, WithoutRandomnessEverySpectrumIsTheArraysSpectrum)
{
    AddLed("a", 0.46);
    AddLed("b", 0.59);
    AddDrive("A", {0.8, 0.4});
    p.setStringParameter("LightnessDesc", "A");
    for (const char* name : {"MinLightnessFact", "MaxLightnessFact"})
        p.setDoubleParameter(name, 1.0);
    for (const char* name : {"MinTemperature", "MaxTemperature"})
        p.setDoubleParameter(name, 330.0);
    ASSERT_TRUE(module.calculate_specs());
    const std::vector<double> expected = Expected(Array(), {0.8, 0.4}, 330.0);
    for (int j = 0; j < 3; ++j)
        EXPECT_EQ(Values("G:A:Spec" + std::to_string(j)), expected) << j;
}

TEST_F(RandomSpecsTest, EntriesEqualEnergyAndSkips)
{
    AddLed("a", 0.46);
    AddLed("b", 0.53);
    AddLed("c", 0.62);
    for (const char* name : {"MinLightnessFact", "MaxLightnessFact"})
        p.setDoubleParameter(name, 1.0);
    p.setIntParameter("SpecCount", 1);

    // No drive object: the line, and 1.0 for every LED.
    ASSERT_TRUE(module.calculate_specs());
    ASSERT_EQ(host.log.size(), 1u);
    EXPECT_EQ(host.log[0].text, "Fehler: Dimension der Vektoren der LED-Ansteuerung und der LED stimmen nicht "
                                "überein! Es wird eine äquienergetische Ansteuerung (=1) angenommen");
    EXPECT_EQ(host.log[0].colour, 0x000070u);
    EXPECT_EQ(SpectrumNames(), (std::vector<std::string>{"G:Äquienergetische Ansteuerung:Spec0"}));

    // Four values for three LEDs and an object without array are passed over silently.
    host.spectra.DeleteInserters("G");
    host.log.clear();
    AddDrive("Drive:four", {1, 1, 1, 1});
    AddObject("Drive:text", {{"Lightnesses", "1 1 1"}});
    AddDrive("Drive:three", {1, 0.5, 0.25});
    ASSERT_TRUE(module.calculate_specs());
    EXPECT_TRUE(host.log.empty());
    EXPECT_EQ(SpectrumNames(), (std::vector<std::string>{"G:Drive:three:Spec0"}));

    // A two-channel LED: three drive values for four channels, one line per spectrum.
    host.spectra.DeleteInserters("G");
    host.clipboard.DeleteInserters("In:c");
    AddObject("In:c", {{"Name", "c"},
                       {"SpectralModel", "BiPanShenFengLEDModel"},
                       {"PeakWavelength", "0.6"},
                       {"FWHM", "0.03"},
                       {"PeakWavelength2", "0.66"},
                       {"FWHM2", "0.03"}});
    p.setIntParameter("SpecCount", 2);
    ASSERT_TRUE(module.calculate_specs());
    const std::string skip = "Fehler: Überspringe Eintrag 'Drive:three', da die Anzahl der Helligkeitsparameter nicht "
                             "mit LED-Kanal-Anzahl übereinstimmt!";
    EXPECT_EQ(host.LogTexts(), (std::vector<std::string>{skip, skip}));
    EXPECT_TRUE(SpectrumNames().empty());

    // An unknown model is reported by the array; a run without records is refused.
    host.clipboard.DeleteInserters("In");
    host.log.clear();
    AddObject("In:x", {{"Name", "x"}, {"SpectralModel", "FooModel"}});
    ASSERT_TRUE(module.calculate_specs());
    EXPECT_EQ(host.LogTexts()[0], "Unbekanntes LED-Modell: 'FooModel'");
    host.clipboard.DeleteInserters("In");
    host.log.clear();
    EXPECT_FALSE(module.calculate_specs());
    EXPECT_EQ(host.LogTexts(), (std::vector<std::string>{"Fehler: Keine LEDs angegeben!"}));
}

TEST_F(RandomSpecsTest, ProgressStatusAndZeroCount)
{
    AddLed("a", 0.5);
    AddDrive("Drive:A", {1});
    AddDrive("Drive:B", {2});
    p.setIntParameter("SpecCount", 4);
    ASSERT_TRUE(module.calculate_specs());
    EXPECT_EQ(host.progressHistory, (std::vector<double>{0, 12.5, 25, 37.5, 50, 62.5, 75, 87.5}));
    EXPECT_EQ(host.statusTexts[2], "Berechne Drive:A - Eintrag 2 von 4");
    EXPECT_EQ(SpectrumNames().size(), 8u);

    host.spectra.DeleteInserters("G");
    p.setIntParameter("SpecCount", 0);
    EXPECT_TRUE(module.calculate_specs());
    EXPECT_TRUE(SpectrumNames().empty());
}

TEST_F(RandomSpecsTest, AnAbortDropsTheEntryInHand)
{
    // A host that reports the abort request from its nth poll on.
    class AbortingHost : public RecordingHost {
    public:
        bool UserWantsAbort() override
        {
            RecordingHost::UserWantsAbort();
            return abortPolls >= abortFrom;
        }
        int abortFrom = 0;
    };
    AbortingHost aborting;
    module.SetModuleInterface(&aborting);
    auto* led = new ClipboardObject;
    led->SetName("In:a");
    for (const auto& [key, value] : {std::pair<const char*, const char*>{"Name", "a"},
                                     {"SpectralModel", "GaussianLEDModel"},
                                     {"PeakWavelength", "0.5"},
                                     {"FWHM", "0.03"}})
        led->GetParameters().addStringParameter(key, "", value, "");
    ASSERT_TRUE(aborting.clipboard.AddInserter(led));
    for (const char* name : {"Drive:A", "Drive:B"}) {
        auto* o = new ClipboardObject;
        o->SetName(name);
        o->GetParameters().addDouble1DArrayParameter("Lightnesses", "", 1, nullptr, 1.0);
        ASSERT_TRUE(aborting.clipboard.AddInserter(o));
    }
    // One poll while the record is read, three for entry A, then the first of entry B.
    aborting.abortFrom = 5;
    EXPECT_TRUE(module.calculate_specs());
    std::vector<std::string> names;
    for (Spectrum* s : aborting.spectra.GetInserters())
        names.push_back(s->GetName());
    EXPECT_EQ(names, (std::vector<std::string>{"G:Drive:A:Spec0", "G:Drive:A:Spec1", "G:Drive:A:Spec2"}));
    EXPECT_EQ(aborting.abortPolls, 5);
    module.SetModuleInterface(&host);
}

TEST_F(RandomSpecsTest, UnusableRangesKeepTheGrid)
{
    AddLed("a", 0.5);
    const struct {
        double start, end, step;
        const char* line;
    } cases[] = {
        {380, 780, 0.001, "Fehler: Parameter 'XStep' liegt außerhalb des zulässigen Bereichs (0.01 bis 1.79769e+308)!"},
        {780, 380, 2, "Fehler: Parameter 'XEnd' liegt außerhalb des zulässigen Bereichs (780 bis 1.79769e+308)!"},
        {0, 1e6, 0.05, "Fehler: Parameter 'XStep' liegt außerhalb des zulässigen Bereichs (0.1 bis 1.79769e+308)!"},
        {NAN, 780, 2,
         "Fehler: Parameter 'XStart' liegt außerhalb des zulässigen Bereichs (-1.79769e+308 bis 1.79769e+308)!"},
        {380, INFINITY, 2,
         "Fehler: Parameter 'XEnd' liegt außerhalb des zulässigen Bereichs (-1.79769e+308 bis 1.79769e+308)!"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.line);
        XStart = 0.4;
        XEnd = 0.75;
        XStep = 0.002;
        p.setDoubleParameter("XStart", c.start);
        p.setDoubleParameter("XEnd", c.end);
        p.setDoubleParameter("XStep", c.step);
        host.log.clear();
        EXPECT_FALSE(module.calculate_specs());
        EXPECT_EQ(host.LogTexts(), (std::vector<std::string>{c.line}));
        EXPECT_EQ(host.log[0].colour, 0x000070u);
        EXPECT_EQ(XStart, 0.4);
        EXPECT_EQ(XEnd, 0.75);
        EXPECT_EQ(XStep, 0.002);
        EXPECT_TRUE(SpectrumNames().empty());
    }
}

} // namespace

namespace {

// Hostile counts and spans: a count whose spectra cannot fit the memory and spans whose
// draws would overflow are refused before the first spectrum; a model that gives values that
// are no finite numbers ends the run with a line. Nothing that is not a finite number is filed.
TEST_F(RandomSpecsTest, HostileCountsAndSpansFileNoValueThatIsNotFinite)
{
    AddLed("a", 0.5);
    AddDrive("Drive:A", {2});
    const char* lightness =
        "Fehler: Parameter 'MaxLightnessFact' liegt außerhalb des zulässigen Bereichs (-1.79769e+308 bis 0)!";
    const char* kNotFinite = "Fehler: Die Spektren von 'Drive:A' enthalten Werte, die keine endlichen Zahlen sind!";
    const struct {
        const char* what;
        int count;
        double minFactor, maxFactor, minTemperature, maxTemperature;
        const char* line; // null: the range line of the memory check
    } cases[] = {
        {"count INT_MAX", INT_MAX, 0.5, 1.2, 273.15, 393.15, nullptr},
        {"count 1e9", 1000000000, 0.5, 1.2, 273.15, 393.15, nullptr},
        {"factor span", 3, -DBL_MAX, DBL_MAX, 273.15, 393.15, lightness},
        {"temperature span", 3, 0.5, 1.2, -DBL_MAX, DBL_MAX,
         "Fehler: Parameter 'MaxTemperature' liegt außerhalb des zulässigen Bereichs (-1.79769e+308 bis 0)!"},
        {"drives overflow", 3, DBL_MAX, DBL_MAX, 273.15, 393.15, kNotFinite},
        {"factor span from below", 3, -DBL_MAX, 1, 273.15, 393.15, kNotFinite},
        {"temperatures far below", 3, 0.5, 1.2, -DBL_MAX, 393.15, kNotFinite},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        p.setIntParameter("SpecCount", c.count);
        p.setDoubleParameter("MinLightnessFact", c.minFactor);
        p.setDoubleParameter("MaxLightnessFact", c.maxFactor);
        p.setDoubleParameter("MinTemperature", c.minTemperature);
        p.setDoubleParameter("MaxTemperature", c.maxTemperature);
        host.log.clear();
        EXPECT_FALSE(module.calculate_specs());
        ASSERT_EQ(host.log.size(), 1u);
        if (c.line) {
            EXPECT_EQ(host.log[0].text, c.line);
        } else {
            const double limit = led_test::RangeLineMax(host.log[0].text, "SpecCount", "0");
            EXPECT_GE(limit, 1000) << host.log[0].text;
            EXPECT_LT(limit, 1e8) << host.log[0].text;
        }
        EXPECT_EQ(host.log[0].colour, 0x000070u);
        EXPECT_TRUE(SpectrumNames().empty());
    }
}

} // namespace

namespace {

// A record whose model value is no finite number stops the run before the first spectrum,
// naming the record and the key.
TEST_F(RandomSpecsTest, ARecordValueThatIsNoFiniteNumberIsRefused)
{
    AddLed("a", 0.5);
    AddObject("In:b", {{"Name", "b"}, {"SpectralModel", "PanShenFengLEDModel"}, {"PeakWavelength", "0.6"},
                       {"FWHM", "inf"}});
    AddDrive("Drive:A", {1, 1});
    EXPECT_FALSE(module.calculate_specs());
    ASSERT_EQ(host.log.size(), 1u);
    EXPECT_EQ(host.log[0].text, "Fehler: LED-Datensatz 'In:b': Wert 'inf' von 'FWHM' ist keine endliche Zahl!");
    EXPECT_TRUE(SpectrumNames().empty());
}

} // namespace
