// The lightness module: drive values against a non-negative least-squares reference, result
// objects and spectra, pairing with multi-channel LEDs and unknown models, an empty group on
// a full tree, and the errors that leave everything as it was.
#include "led_modules_fixture.h"

#include "modules/led_lightness_module.h"

#include "engine/grid.h"
#include "engine/led_model.h"

#include <algorithm>
#include <cmath>
#include <fstream>
#include <functional>
#include <memory>
#include <sstream>

namespace {

using led_test::ModulesTest;

double Gauss(double xNm, double peak, double fwhm)
{
    const double u = (xNm / 1000 - peak) / (fwhm / 2);
    return std::exp(-std::log(2.0) * u * u);
}

// "lightness <target> <d0> <d1> <d2>" lines of the committed reference.
std::vector<std::vector<double>> ReferenceDrives()
{
    std::ifstream in(ORVANTA_SOURCE_DIR "/tests/plugins/led/modules/reference/lightness_nnls.txt");
    std::vector<std::vector<double>> drives;
    std::string line;
    while (std::getline(in, line)) {
        std::istringstream s(line);
        std::string word;
        int target = 0;
        double a = 0, b = 0, c = 0;
        if (s >> word >> target >> a >> b >> c && word == "lightness")
            drives.push_back({a, b, c});
    }
    return drives;
}

class LightnessTest : public ModulesTest {
protected:
    LightnessTest()
    {
        Attach(module);
        p.setStringParameter("LEDsDesc", "In");
        p.setStringParameter("SpecsDesc", "T1;T2");
        p.setStringParameter("ClipboardTargetGroup", "Out");
    }

    void AddGaussian(const std::string& name, double peak, double fwhm)
    {
        AddObject("In:" + name, {{"Name", name},
                                 {"SpectralModel", "GaussianLEDModel"},
                                 {"PeakWavelength", std::to_string(peak)},
                                 {"FWHM", std::to_string(fwhm)}});
    }

    // The reference problem: three LEDs, T1 within their span, T2 only with a zero drive.
    void AddReferenceProblem()
    {
        AddGaussian("a", 0.46, 0.04);
        AddGaussian("b", 0.53, 0.035);
        AddGaussian("c", 0.62, 0.05);
        AddCurve("T1", 380, 2, 201, [](double x) {
            return 0.8 * Gauss(x, 0.46, 0.04) + 0.3 * Gauss(x, 0.53, 0.035) + 0.5 * Gauss(x, 0.62, 0.05);
        });
        AddCurve("T2", 380, 2, 201, [](double x) {
            return 1.0 * Gauss(x, 0.46, 0.04) - 0.2 * Gauss(x, 0.53, 0.035) + 0.6 * Gauss(x, 0.62, 0.05) +
                   0.1 * Gauss(x, 0.70, 0.03);
        });
    }

    std::vector<double> Lightnesses(const std::string& path)
    {
        std::vector<double> values;
        for (ClipboardObject* o : host.clipboard.GetInserters(path, false)) {
            ns_param::Paramora& params = o->GetParameters();
            const auto* a = dynamic_cast<const ns_param::Double1DArrayParameterType*>(params.getParameter("Lightnesses"));
            if (a)
                values.assign(a->getValues(), a->getValues() + a->getCount());
        }
        return values;
    }

    Spectrum* SpectrumAt(const std::string& path)
    {
        const auto found = host.spectra.GetInserters(path, false);
        return found.size() == 1 ? found.front() : nullptr;
    }

    LedLightnessTessarine module;
    ns_param::Paramora& p = module.getParameters();
};

TEST_F(LightnessTest, DriveValuesMatchTheNonNegativeReferenceAndTheResultsAreFiled)
{
    const auto reference = ReferenceDrives();
    ASSERT_EQ(reference.size(), 2u);
    AddReferenceProblem();
    for (int run = 0; run < 2; ++run) {
        SCOPED_TRACE(run);
        host.progressHistory.clear();
        ASSERT_TRUE(module.calculate());
        for (int t = 0; t < 2; ++t) {
            const std::vector<double> drives = Lightnesses("Out:T" + std::to_string(t + 1));
            ASSERT_EQ(drives.size(), 3u);
            for (int k = 0; k < 3; ++k)
                EXPECT_NEAR(drives[k], reference[t][k], 2e-3) << t << "," << k;
        }
        EXPECT_EQ(ClipboardNames().size(), 5u) << "three records and two results, replaced on the second run";
        EXPECT_EQ(host.progressHistory, (std::vector<double>{0, 50}));
        // The spectra of the drive values: 380, 382, ... nm; T1 is reproduced.
        Spectrum* s = SpectrumAt("Out_Specs:T1");
        ASSERT_NE(s, nullptr);
        ASSERT_EQ(s->GetPointCount(), 201);
        for (int k = 0; k < 201; k += 20) {
            EXPECT_DOUBLE_EQ((*s)[k].x, 380 + 2 * k);
            const double target = 0.8 * Gauss((*s)[k].x, 0.46, 0.04) + 0.3 * Gauss((*s)[k].x, 0.53, 0.035) +
                                  0.5 * Gauss((*s)[k].x, 0.62, 0.05);
            EXPECT_NEAR((*s)[k].y, target, 2e-3) << k;
        }
        EXPECT_NE(SpectrumAt("Out_Specs:T2"), nullptr);
        EXPECT_EQ(SpectrumNames().size(), 4u);
    }
    EXPECT_EQ(host.statusTexts.back(), "Berechne Helligkeiten...");
    EXPECT_DOUBLE_EQ(XStart, 0.38);
    EXPECT_DOUBLE_EQ(XStep, 0.002);
    EXPECT_FALSE(module.InRun());
}

TEST_F(LightnessTest, DriveValuesPairWithChannelsAndSkipUnknownModels)
{
    // A two-channel LED, an unknown model, a one-channel LED: three drive values in the
    // array's channel order, and a result spectrum that reproduces the target.
    AddObject("In:1bi", {{"Name", "bi"},
                         {"SpectralModel", "BiPanShenFengLEDModel"},
                         {"PeakWavelength", "0.47"},
                         {"FWHM", "0.03"},
                         {"PeakWavelength2", "0.56"},
                         {"FWHM2", "0.035"}});
    AddObject("In:2foo", {{"Name", "foo"}, {"SpectralModel", "FooModel"}});
    AddGaussian("3c", 0.64, 0.04);
    XStart = 0.38;
    XEnd = 0.78;
    XStep = 0.002;
    std::vector<LSMatrixHandle> channels;
    for (const char* path : {"In:1bi", "In:3c"}) {
        const auto objects = host.clipboard.GetInserters(path, false);
        ASSERT_EQ(objects.size(), 1u);
        std::unique_ptr<LEDModel> model(CreateLEDModelFromParams(LEDModuleBase::RecordOf(*objects.front())));
        ASSERT_NE(model, nullptr);
        for (int c = 0; c < model->GetChannelCount(); ++c) {
            channels.emplace_back(GridPointCount(), 1);
            model->SampleChannel(channels.back(), XStart, XEnd, XStep, 298.15, c);
        }
    }
    ASSERT_EQ(channels.size(), 3u);
    const double truth[] = {0.5, 0.7, 0.3};
    AddCurve("T1", 380, 2, 201, [&](double x) {
        const int k = static_cast<int>(std::lround((x - 380) / 2));
        return truth[0] * channels[0][k] + truth[1] * channels[1][k] + truth[2] * channels[2][k];
    });
    p.setStringParameter("SpecsDesc", "T1");
    ASSERT_TRUE(module.calculate());
    const std::vector<double> drives = Lightnesses("Out:T1");
    ASSERT_EQ(drives.size(), 3u);
    for (int k = 0; k < 3; ++k)
        EXPECT_NEAR(drives[k], truth[k], 2e-3) << k;
    Spectrum* s = SpectrumAt("Out_Specs:T1");
    ASSERT_NE(s, nullptr);
    for (int k = 0; k < 201; k += 10)
        EXPECT_NEAR((*s)[k].y, truth[0] * channels[0][k] + truth[1] * channels[1][k] + truth[2] * channels[2][k],
                    2e-3)
            << k;
    const auto texts = host.LogTexts();
    EXPECT_NE(std::find(texts.begin(), texts.end(), "Unbekanntes LED-Modell: 'FooModel'"), texts.end());
}

TEST_F(LightnessTest, AnEmptyGroupDeletesNothingOutsideTheResults)
{
    AddReferenceProblem();
    AddObject("Keep:x", {{"Name", "x"}});
    AddObject("T1", {{"Name", "old"}}); // replaced by the result of the same name
    AddCurve("Other:s", 380, 2, 201, [](double) { return 1.0; });
    p.setStringParameter("ClipboardTargetGroup", "");
    ASSERT_TRUE(module.calculate());
    EXPECT_EQ(ClipboardNames(), (std::vector<std::string>{"In:a", "In:b", "In:c", "Keep:x", "T1", "T2"}));
    EXPECT_EQ(Lightnesses("T1").size(), 3u);
    EXPECT_EQ(SpectrumNames(), (std::vector<std::string>{"T1", "T2", "Other:s", "_Specs:T1", "_Specs:T2"}));
}

TEST_F(LightnessTest, FailuresWriteAndDeleteNothing)
{
    const struct {
        const char* name;
        std::function<void()> setup;
        std::vector<std::string> lines;
    } cases[] = {
        {"no targets", [this] { p.setStringParameter("SpecsDesc", "none"); },
         {"Fehler: Es wurden keine Spektren angegeben!"}},
        {"targets on two grids",
         [this] { AddCurve("T2", 380, 5, 81, [](double) { return 1.0; }); },
         {"Fehler: Spektren sind nicht äquidistant oder haben unterschiedliche Defintionsbereiche in 'T1;T2'",
          "Fehler: Es wurden keine Spektren angegeben!"}},
        {"no LEDs", [this] { p.setStringParameter("LEDsDesc", "none"); },
         {"Fehler: Es wurden keine LEDs angegeben!"}},
        {"weights named but on another grid",
         [this] {
             AddCurve("W", 400, 5, 61, [](double) { return 1.0; });
             p.setStringParameter("WSpecsDesc", "W");
         },
         {"Fehler: Der Definitionsbereich stimmt nicht mit vorhergehender Spektrenmenge überein:",
          "   (380 bis 780 mit Schrittweite 2) zu (400 bis 700 mit Schrittweite 5)",
          "Fehler: Die Gewichtungsspektren 'W' konnten nicht gelesen werden!"}},
        {"no LED with a known model",
         [this] {
             host.clipboard.DeleteInserters("In");
             AddObject("In:x", {{"Name", "x"}, {"SpectralModel", "FooModel"}});
         },
         {"Unbekanntes LED-Modell: 'FooModel'", "Es wurden keine LEDs angegeben - Fitting wird abgebrochen !!!",
          "Fehler: Die Helligkeiten konnten nicht berechnet werden!"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        host.clipboard.DeleteInserters("In;Out;Out_Specs");
        host.spectra.DeleteInserters("T1;T2;W;Out_Specs");
        AddReferenceProblem();
        AddObject("Out:old", {{"Name", "old"}});
        AddCurve("Out_Specs:old", 380, 2, 201, [](double) { return 1.0; });
        p.setStringParameter("SpecsDesc", "T1;T2");
        p.setStringParameter("LEDsDesc", "In");
        p.setStringParameter("WSpecsDesc", "");
        c.setup();
        host.log.clear();
        EXPECT_FALSE(module.calculate());
        EXPECT_EQ(host.LogTexts(), c.lines);
        EXPECT_EQ(host.log.back().colour, 0x000070u);
        EXPECT_EQ(host.clipboard.GetInserters("Out", false).size(), 1u);
        EXPECT_EQ(host.spectra.GetInserters("Out_Specs", false).size(), 1u);
        EXPECT_FALSE(module.InRun());
    }
}

} // namespace
