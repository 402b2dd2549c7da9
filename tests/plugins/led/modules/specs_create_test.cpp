// The two spectra twins: grids, names, channels, the restored global grid and bad input.
#include "led_modules_fixture.h"

#include "modules/led_specs_create_module.h"

#include <cfloat>
#include <cmath>
#include <fstream>
#include <memory>

namespace {

using led_test::ModulesTest;

class SpecsCreateTest : public ModulesTest {
protected:
    SpecsCreateTest()
    {
        Attach(module);
        XStart = 0.4, XEnd = 0.75, XStep = 0.002;
        AddObject("In:LED000", {{"Name", "LED000"}, {"PeakWavelength", "0.55"}, {"FWHM", "0.03"},
                                {"SpectralModel", "GaussianLEDModel"}});
    }

    bool Run() { return *module.RunAutomation("create_specs"); }

    void ExpectGridUnchanged()
    {
        EXPECT_EQ(XStart, 0.4);
        EXPECT_EQ(XEnd, 0.75);
        EXPECT_EQ(XStep, 0.002);
    }

    LEDSpecsCreateModule module;
    ns_param::Paramora& p = module.getParameters();
};

TEST_F(SpecsCreateTest, DefaultsAndDefaultValues)
{
    const auto* start = dynamic_cast<const ns_param::DoubleParameterType*>(p.getParameter("XStart"));
    ASSERT_NE(start, nullptr);
    EXPECT_EQ(start->getValue(), 380);
    EXPECT_EQ(module.getClassName(), "LED_CreateSpecs");
    EDSpecsCreateModule twin;
    EXPECT_EQ(twin.getClassName(), "LED_CreateESpecs");
    EXPECT_EQ(twin.GetAutomationPtr()[0].name, "create_especs");
}

TEST_F(SpecsCreateTest, GridsNamesAndChannels)
{
    AddObject("In:Tri", {{"Name", "Tri"}, {"PeakWavelength", "0.45"}, {"FWHM", "0.02"},
                         {"PeakWavelength2", "0.55"}, {"FWHM2", "0.02"}, {"PeakWavelength3", "0.65"},
                         {"FWHM3", "0.02"}, {"SpectralModel", "TriPanShenFengLEDModel"}});
    AddObject("In:Unknown", {{"Name", "U"}, {"SpectralModel", "NoSuchModel"}});
    const struct {
        const char* what;
        double start, end, step;
        int prec;
        const char* group;
        std::vector<std::string> names;
        int points;
        double lastX;
    } cases[] = {
        {"380 to 780 in 2 nm", 380, 780, 2, 0, "Out", {"Out:LED000", "Out:Tri:channel0", "Out:Tri:channel1",
                                                       "Out:Tri:channel2"}, 201, 780},
        {"half nanometres", 400, 700, 0.5, 1, ":Out:", {"Out:LED000", "Out:Tri:channel0", "Out:Tri:channel1",
                                                        "Out:Tri:channel2"}, 601, 700},
        {"no group", 380, 781, 3, 0, "", {"LED000", "Tri:channel0", "Tri:channel1", "Tri:channel2"}, 134, 779},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        host.spectra.DeleteInserters("Out;LED000;Tri");
        p.setDoubleParameter("XStart", c.start);
        p.setDoubleParameter("XEnd", c.end);
        p.setDoubleParameter("XStep", c.step);
        p.setIntParameter("IntPrec", c.prec);
        p.setStringParameter("LEDsDesc", "In");
        p.setStringParameter("SpecGroup", c.group);
        ASSERT_TRUE(Run());
        EXPECT_EQ(SpectrumNames(), c.names);
        for (Spectrum* s : host.spectra.GetInserters()) {
            ASSERT_EQ(s->GetPointCount(), c.points);
            EXPECT_EQ((*s)[0].x, c.start);
            EXPECT_EQ((*s)[c.points - 1].x, c.lastX);
            // x values carry IntPrec decimals exactly.
            for (int j = 0; j < c.points; ++j)
                ASSERT_EQ((*s)[j].x, std::round((*s)[j].x * std::pow(10, c.prec)) / std::pow(10, c.prec));
        }
        ExpectGridUnchanged();
    }
}

TEST_F(SpecsCreateTest, BadInputRefusesAndKeepsTheGrid)
{
    const struct {
        const char* what;
        double start, end, step;
        const char* leds;
        const char* line;
    } cases[] = {
        {"no objects", 380, 780, 2, "Nothing", "Fehler: Es wurden keine Parameter zur Spektrenerzeugung angegeben!"},
        // The empty selection's line comes before the range rule.
        {"no objects, step 0", 380, 780, 0, "Nothing", "Fehler: Es wurden keine Parameter zur Spektrenerzeugung angegeben!"},
        {"step 0", 380, 780, 0, "In", "Fehler: Parameter 'XStep' liegt außerhalb des zulässigen Bereichs (0.01 bis 1.79769e+308)!"},
        {"end below start", 780, 380, 2, "In", "Fehler: Parameter 'XEnd' liegt außerhalb des zulässigen Bereichs (780 bis 1e+99)!"},
        {"too many points", 0, 1e99, 0.01, "In", "Fehler: Parameter 'XStep' liegt außerhalb des zulässigen Bereichs (1e+92 bis 1.79769e+308)!"},
        {"not finite", NAN, 780, 2, "In", "Fehler: Parameter 'XStart' liegt außerhalb des zulässigen Bereichs (0 bis 1e+99)!"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        host.log.clear();
        p.setDoubleParameter("XStart", c.start);
        p.setDoubleParameter("XEnd", c.end);
        p.setDoubleParameter("XStep", c.step);
        p.setStringParameter("LEDsDesc", c.leds);
        EXPECT_FALSE(Run());
        ASSERT_EQ(host.log.size(), 1u);
        EXPECT_EQ(host.log[0].text, c.line);
        EXPECT_EQ(host.log[0].colour, 0x000070u);
        EXPECT_TRUE(SpectrumNames().empty());
        ExpectGridUnchanged();
    }
}

// A model value that is no finite number fails the run with a line naming the record and
// the key, and nothing is filed (not even the good record read before it); a text that is
// no number still reads as 0.
TEST_F(SpecsCreateTest, ARecordValueThatIsNoFiniteNumberFilesNothing)
{
    const struct {
        const char* key;
        const char* value;
        bool refused;
    } cases[] = {
        {"FWHM", "nan", true},
        {"FWHM", "inf", true},
        {"PeakWavelength", "NaN", true},
        {"PeakWavelength", "-inf", true},
        {"PeakWavelength", "1e999", true},
        {"PeakWavelength", "abc", false},
        {"FWHM", "1e300", false},
    };
    p.setStringParameter("LEDsDesc", "In");
    p.setStringParameter("SpecGroup", "Out");
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.key) + " " + c.value);
        host.log.clear();
        host.spectra.DeleteInserters("Out");
        host.clipboard.DeleteInserters("In:Bad");
        std::vector<std::pair<std::string, std::string>> values = {
            {"Name", "Bad"}, {"PeakWavelength", "0.6"}, {"FWHM", "0.02"}, {"SpectralModel", "GaussianLEDModel"}};
        for (auto& [key, value] : values)
            if (key == c.key)
                value = c.value;
        AddObject("In:Bad", values);
        EXPECT_EQ(Run(), !c.refused);
        if (c.refused) {
            ASSERT_EQ(host.log.size(), 1u);
            EXPECT_EQ(host.log[0].text, std::string("Fehler: LED-Datensatz 'In:Bad': Wert '") + c.value +
                                            "' von '" + c.key + "' ist keine endliche Zahl!");
            EXPECT_EQ(host.log[0].colour, 0x000070u);
            EXPECT_TRUE(SpectrumNames().empty());
        } else {
            EXPECT_TRUE(host.log.empty());
            EXPECT_EQ(SpectrumNames(), (std::vector<std::string>{"Out:LED000", "Out:Bad"}));
            for (Spectrum* s : host.spectra.GetInserters())
                for (int j = 0; j < s->GetPointCount(); ++j)
                    ASSERT_TRUE(std::isfinite((*s)[j].y));
        }
        ExpectGridUnchanged();
    }
    EDSpecsCreateModule twin;
    Attach(twin);
    twin.getParameters().setStringParameter("LEDsDesc", "In");
    host.clipboard.DeleteInserters("In:Bad");
    AddObject("In:Bad", {{"Name", "Bad"}, {"PeakWavelength", "0.6"}, {"FWHM", "nan"},
                         {"SpectralModel", "GaussianLEDModel"}});
    host.spectra.DeleteInserters("Out;LED000");
    EXPECT_FALSE(*twin.RunAutomation("create_especs"));
    EXPECT_TRUE(SpectrumNames().empty());
}

// The Gaussian of a record sampled by the module, against the vector that
// tests/plugins/led/modules/reference/gaussian_led.m computes with GNU Octave.
TEST_F(SpecsCreateTest, GaussianMatchesTheOctaveReference)
{
    std::ifstream in(ORVANTA_SOURCE_DIR "/tests/plugins/led/modules/reference/gaussian_led.txt");
    ASSERT_TRUE(in) << "reference file missing";
    std::vector<double> x, y;
    for (double a, b; in >> a >> b;) {
        x.push_back(a);
        y.push_back(b);
    }
    ASSERT_EQ(x.size(), 201u);
    host.clipboard.DeleteInserters("In");
    AddObject("In:G", {{"Name", "G"}, {"PeakWavelength", "0.5234"}, {"FWHM", "0.0317"},
                       {"SpectralModel", "GaussianLEDModel"}});
    p.setStringParameter("LEDsDesc", "In");
    p.setDoubleParameter("XStart", 380);
    p.setDoubleParameter("XEnd", 780);
    p.setDoubleParameter("XStep", 2);
    ASSERT_TRUE(Run());
    Spectrum* s = host.spectra.GetInserter("G");
    ASSERT_NE(s, nullptr);
    ASSERT_EQ(s->GetPointCount(), 201);
    for (int j = 0; j < 201; ++j) {
        EXPECT_EQ((*s)[j].x, x[static_cast<std::size_t>(j)]);
        EXPECT_NEAR((*s)[j].y, y[static_cast<std::size_t>(j)], 1e-12) << (*s)[j].x;
    }
}

} // namespace
