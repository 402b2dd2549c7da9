// The fitter parameters and the continuous fitting module: settings defaults and round trip,
// the suffix and model filter rules, progress, ConstantFWHM, a failed fit, and peaks
// recovered on a synthetic problem against a GNU Octave leasqr reference.
#include "led_modules_fixture.h"

#include "modules/led_continuous_fitting_module.h"

#include "engine/led_fitter.h"
#include "engine/led_model.h"

#include <cmath>
#include <fstream>
#include <memory>

namespace {

using led_test::ModulesTest;

double Gauss(double xNm, double peak, double fwhm)
{
    const double u = (xNm / 1000 - peak) / (fwhm / 2);
    return std::exp(-std::log(2.0) * u * u);
}

class FittingTest : public ModulesTest {
protected:
    FittingTest()
    {
        Attach(module);
        // The sum of two Gaussian LEDs as target, and LED records near them.
        AddCurve("Messung:Ziele:Blau", 380, 2, 201,
                 [](double x) { return 0.8 * Gauss(x, 0.47, 0.025) + 0.6 * Gauss(x, 0.6, 0.03); });
        AddObject("In:a", {{"Name", "a"}, {"PeakWavelength", "0.46"}, {"FWHM", "0.02"},
                           {"SpectralModel", "GaussianLEDModel"}});
        AddObject("In:b", {{"Name", "b"}, {"PeakWavelength", "0.61"}, {"FWHM", "0.035"},
                           {"SpectralModel", "GaussianLEDModel"}});
        AddObject("In:c", {{"Name", "c"}, {"PeakWavelength", "0.7"}, {"FWHM", "0.02"},
                           {"SpectralModel", "PanShenFengLEDModel"}});
        p.setStringParameter("LEDsDesc", "In");
        p.setStringParameter("SpecDesc", "Messung:Ziele:Blau");
        p.setStringParameter("LEDModelName", " GaussianLEDModel ");
        p.setStringParameter("ClipboardTargetGroup", "Fit");
    }

    double Value(const std::string& path, const char* key) { return std::stod(ValuesOf(path).at(key)); }

    LEDContinuousFittingModule module;
    ns_param::Paramora& p = module.getParameters();
};

TEST(FittingRules, SuffixAndModelFilter)
{
    const std::pair<const char*, const char*> suffixes[] = {
        {"Messung:Ziele:Blau", "_Blau"}, {"Ziel", "_Ziel"}, {"A;B", "_SpecSel"}, {"", "_"}};
    for (const auto& [desc, suffix] : suffixes)
        EXPECT_EQ(LEDContinuousFittingModule::NameSuffix(desc), suffix) << desc;
    const struct {
        const char* filter;
        const char* model;
        bool passes;
    } filters[] = {
        {" PanShenFengLEDModel ", "PanShenFengLEDModel", true},
        {"PanShenFengLEDModel", "\tPanShenFengLEDModel\r\n", true},
        {"", "GaussianLEDModel", true},
        {"PanShenFengLEDModel", "GaussianLEDModel", false},
        {"PanShenFengLEDModel", "panshenfengledmodel", false},
    };
    for (const auto& f : filters)
        EXPECT_EQ(LEDContinuousFittingModule::PassesModelFilter(f.filter, f.model), f.passes) << f.filter;
}

TEST(FitFlags, SetFitFlagTurnsSingleParametersOnAndOff)
{
    std::unique_ptr<LEDModel> model(CreateLEDModel("GaussianLEDModel"));
    ASSERT_NE(model, nullptr);
    const int before = model->GetFitParameterCount();
    model->SetFitFlag(1, !model->GetFitFlag(1));
    EXPECT_EQ(model->GetFitParameterCount(), before + (model->GetFitFlag(1) ? 1 : -1));
    model->SetFitFlag(0, false);
    model->SetFitFlag(1, false);
    EXPECT_EQ(model->GetFitParameterCount(), 0);
    model->SetFitFlag(0, true);
    EXPECT_EQ(model->GetFitParameterIndex(0), 0);
    model->SetFitFlag(99, true); // out of range: nothing
    model->SetFitFlag(-1, true);
    EXPECT_EQ(model->GetFitParameterCount(), 1);
}

TEST_F(FittingTest, SettingsDefaultsAndRoundTrip)
{
    LEDFitterSettings s;
    XStart = 0.4;
    module.GetFitterSettings(s);
    EXPECT_EQ(s.Options.MaxIterations, 1000);
    EXPECT_EQ(s.Options.MinGradient, 1e-6);
    EXPECT_EQ(s.Options.MinValue, -1e308);
    EXPECT_EQ(s.Options.MinStep, 1e-9);
    EXPECT_EQ(s.Options.MaxStep, 1e32);
    EXPECT_EQ(s.Options.MinConvergence, 0.001);
    EXPECT_EQ(s.Options.ConvergenceSteps, 3);
    EXPECT_EQ(s.Options.StepUpsizeFactor, 1.3333);
    EXPECT_EQ(s.Options.StepDownsizeFactor, 0.75);
    EXPECT_EQ(s.Options.KUpsizeOffset, 8);
    EXPECT_EQ(s.Options.KDownsizeOffset, 1);
    EXPECT_EQ(s.FunctionParam, 0);
    EXPECT_EQ(s.OptimizationFunction, 0);
    EXPECT_FALSE(s.AddTargetDrivenOptimization);
    EXPECT_EQ(s.TargetSpecs.GetCount(), 0);
    EXPECT_EQ(s.ObserverSpecs.GetCount(), 0);
    EXPECT_EQ(XStart, 0.4) << "no spectra, no grid change";
    EXPECT_FALSE(module.InRun());

    // Every parameter survives a round trip; the descriptions stay.
    p.setDoubleParameter("MinStep", 3e-7);
    p.setIntParameter("OptimizationFunction", 5);
    p.setStringParameter("TargetSpecsDesc", "Messung");
    const ns_param::Paramora before = p;
    LEDFitterSettings t;
    module.GetFitterSettings(t);
    EXPECT_EQ(t.TargetSpecs.GetCount(), 1);
    t.TargetSpecs.Clear();
    module.SetFitterSettings(t);
    for (auto it = before.getFirstParameter(); it != before.getLastParameter(); ++it)
        EXPECT_EQ(p.getParameter(it->first)->getValueText('.'), it->second->getValueText('.')) << it->first;

    // Inside a run the run stays open.
    module.BeginRun();
    module.GetFitterSettings(t);
    EXPECT_TRUE(module.InRun());
    module.EndRun();
}

TEST_F(FittingTest, PeaksAreRecoveredAsOctavesLeasqrFindsThem)
{
    std::ifstream in(ORVANTA_SOURCE_DIR "/tests/plugins/led/modules/reference/two_gaussians_fit.txt");
    double reference[4] = {};
    for (double& v : reference)
        ASSERT_TRUE(in >> v) << "reference file missing";

    ASSERT_TRUE(*module.RunAutomation("calculate_fitting"));
    EXPECT_EQ(ClipboardNames(), (std::vector<std::string>{"In:a", "In:b", "In:c", "Fit:LED0_Blau", "Fit:LED1_Blau"}));
    EXPECT_NEAR(Value("Fit:LED0_Blau", "PeakWavelength"), reference[0], 2e-5);
    EXPECT_NEAR(Value("Fit:LED0_Blau", "FWHM"), reference[1], 2e-5);
    EXPECT_NEAR(Value("Fit:LED1_Blau", "PeakWavelength"), reference[2], 2e-5);
    EXPECT_NEAR(Value("Fit:LED1_Blau", "FWHM"), reference[3], 2e-5);
    EXPECT_EQ(ValuesOf("Fit:LED0_Blau").at("SpectralModel"), "GaussianLEDModel");
    EXPECT_EQ(ValuesOf("Fit:LED1_Blau").at("OrigDBIdx"), "0");
    EXPECT_FALSE(module.InRun());
    EXPECT_EQ(CurrentHost, nullptr);

    // Progress: "Iteration n" and n per mille of 1000 iterations; a second run counts anew.
    const int n = module.GetIterationCount();
    ASSERT_GT(n, 1);
    EXPECT_EQ(host.statusTexts.back(), "Iteration " + std::to_string(n));
    EXPECT_DOUBLE_EQ(host.progressHistory.back(), n * 0.1);
    host.statusTexts.clear();
    ASSERT_TRUE(module.calculate_fitting());
    EXPECT_EQ(host.statusTexts.front(), "Iteration 1");
}

TEST_F(FittingTest, ConstantFwhmMovesOnlyThePeaksAndAnEmptyFilterKeepsEachModel)
{
    p.setBoolParameter("ConstantFWHM", true);
    p.setStringParameter("LEDModelName", "");
    p.setStringParameter("SpecDesc", "Messung:Ziele:Blau;Messung:Ziele:Blau");
    ASSERT_TRUE(module.calculate_fitting());
    EXPECT_EQ(ClipboardNames(), (std::vector<std::string>{"In:a", "In:b", "In:c", "Fit:LED0_SpecSel",
                                                       "Fit:LED1_SpecSel", "Fit:LED2_SpecSel"}));
    EXPECT_EQ(Value("Fit:LED0_SpecSel", "FWHM"), 0.02);
    EXPECT_EQ(Value("Fit:LED1_SpecSel", "FWHM"), 0.035);
    EXPECT_NE(Value("Fit:LED0_SpecSel", "PeakWavelength"), 0.46);
    EXPECT_EQ(ValuesOf("Fit:LED0_SpecSel").at("SpectralModel"), "GaussianLEDModel");
    EXPECT_EQ(ValuesOf("Fit:LED2_SpecSel").at("SpectralModel"), "PanShenFengLEDModel");
}

TEST_F(FittingTest, FailuresWriteNothing)
{
    const struct {
        const char* what;
        const char* name;
        const char* text;
        int number;
        const char* line; // null: the fitter's own message
    } cases[] = {
        {"no LED of the model", "LEDModelName", "RectLEDModel", 0, "Fehler: Keine passenden LEDs eingegeben"},
        {"no records", "LEDsDesc", "Nothing", 0, "Fehler: Keine passenden LEDs eingegeben"},
        {"no targets: the fit fails", "SpecDesc", "Nothing", 0, nullptr},
        {"unknown function: the fit fails", "OptimizationFunction", nullptr, 5, nullptr},
        {"MaxIterations 0", "MaxIterations", nullptr, 0,
         "Fehler: Parameter 'MaxIterations' liegt außerhalb des zulässigen Bereichs (2 bis 2.14748e+09)!"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        LEDContinuousFittingModule m;
        m.SetModuleInterface(&host);
        m.getParameters() = p;
        if (c.text)
            m.getParameters().setStringParameter(c.name, c.text);
        else
            m.getParameters().setIntParameter(c.name, c.number);
        host.log.clear();
        EXPECT_FALSE(m.calculate_fitting());
        EXPECT_TRUE(ClipboardNames().size() == 3u) << "only the input objects";
        if (c.line) {
            ASSERT_FALSE(host.log.empty());
            EXPECT_EQ(host.log.back().text, c.line);
        }
        EXPECT_FALSE(m.InRun());
        EXPECT_EQ(CurrentHost, nullptr);
    }
}

} // namespace

namespace {

// An input record whose model value is no finite number is refused before the fit, naming
// the record and the key: a fit would file that value as its result.
TEST_F(FittingTest, ARecordValueThatIsNoFiniteNumberIsRefused)
{
    for (const char* key : {"PeakWavelength", "FWHM"}) {
        for (const char* text : {"inf", "-inf", "nan"}) {
            SCOPED_TRACE(std::string(key) + " " + text);
            host.clipboard.DeleteInserters("In:b");
            std::vector<std::pair<std::string, std::string>> values = {
                {"Name", "b"}, {"PeakWavelength", "0.61"}, {"FWHM", "0.035"}, {"SpectralModel", "GaussianLEDModel"}};
            for (auto& [k, v] : values)
                if (k == key)
                    v = text;
            AddObject("In:b", values);
            host.log.clear();
            EXPECT_FALSE(module.calculate_fitting());
            ASSERT_EQ(host.log.size(), 1u);
            EXPECT_EQ(host.log[0].text, std::string("Fehler: LED-Datensatz 'In:b': Wert '") + text + "' von '" + key +
                                            "' ist keine endliche Zahl!");
            EXPECT_EQ(host.log[0].colour, 0x000070u);
            EXPECT_EQ(ClipboardNames().size(), 3u) << "only the input objects";
        }
    }
}

} // namespace
