#include "led_test_support.h"

#include "core/number_text.h"
#include "engine/led_shapes.h"
#include "engine/ls_matrix.h"
#include "platform/random.h"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <memory>
#include <typeindex>
#include <typeinfo>
#include <vector>

namespace {

// A Gaussian that counts how often its shape is evaluated, to see whether the cache served.
class CountingGaussian : public GaussianLEDModel {
public:
    double GetValue(double wavelength, double temperature, int channel) const override
    {
        ++calls;
        return GaussianLEDModel::GetValue(wavelength, temperature, channel);
    }
    mutable int calls = 0;
};

// Derives the tolerance keys from PeakWavelength and FWHM, as the LED database does.
class LimitHandler : public ParamContainerEventHandler {
public:
    bool DeriveValue(const ParamContainer& record, const std::string& key, std::string& value) override
    {
        struct Rule {
            const char* key;
            const char* base;
            double factor, offset;
        };
        static const Rule rules[] = {
            {"PeakWavelengthMin", "PeakWavelength", 1.0, -0.01},
            {"PeakWavelengthMax", "PeakWavelength", 1.0, 0.01},
            {"FWHMMin", "FWHM", 0.7, 0.0},
            {"FWHMMax", "FWHM", 1.3, 0.0},
        };
        for (const Rule& r : rules) {
            if (key != r.key)
                continue;
            int source = 0;
            const double x = number_text::ToDouble(record.FindValue(r.base, &source).second.c_str());
            if (source == ParamContainer::kNotFound)
                return false;
            value = number_text::FormatG(r.factor * x + r.offset);
            return true;
        }
        return false;
    }
};

std::vector<double> Column(const LSMatrixHandle& m)
{
    return std::vector<double>(m.get(), m.get() + m.rows());
}

} // namespace

TEST(LEDModelTable, NamesCreateTheirShapesCaseSensitively)
{
    struct Row {
        const char* name;
        const std::type_info* type; // null: no model
    };
    const Row rows[] = {
        {"GaussianLEDModel", &typeid(GaussianLEDModel)},
        {"LorentzianLEDModel", &typeid(LorentzianLEDModel)},
        {"PanShenFengLEDModel", &typeid(PanShenFengLEDModel)},
        {"LUCOLEDModel", &typeid(LUCOLEDModel)},
        {"TriPanShenFengLEDModel", &typeid(TriPanShenFengLEDModel)},
        {"BiPanShenFengLEDModel", &typeid(BiPanShenFengLEDModel)},
        {"RectLEDModel", &typeid(RectLEDModel)},
        {"FabryPerotModel", &typeid(VortexFLTModel)},
        {"VortexFLTModel", nullptr},
        {"gaussianLEDModel", nullptr},
        {"FABRYPEROTMODEL", nullptr},
        {"GaussianLEDModel ", nullptr},
        {"", nullptr},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        std::unique_ptr<LEDModel> m(CreateLEDModel(row.name));
        if (!row.type) {
            EXPECT_EQ(m, nullptr);
            continue;
        }
        ASSERT_NE(m, nullptr);
        EXPECT_EQ(std::type_index(typeid(*m)), std::type_index(*row.type));
    }
    EXPECT_EQ(CreateLEDModel(nullptr), nullptr);

    // By index: the same eight rows in the same order, then nothing.
    for (int i = 0; i < 8; ++i) {
        std::unique_ptr<LEDModel> m(CreateLEDModelByIndex(i));
        ASSERT_NE(m, nullptr);
        EXPECT_EQ(std::type_index(typeid(*m)), std::type_index(*rows[i].type));
    }
    EXPECT_EQ(CreateLEDModelByIndex(8), nullptr);
    EXPECT_EQ(CreateLEDModelByIndex(-1), nullptr);
}

TEST(LEDModelTable, ModelFromRecordTakesItsValues)
{
    const ParamContainer led = Record({{"Name", "red"},
                                       {"SpectralModel", "PanShenFengLEDModel"},
                                       {"PeakWavelength", "0.63"},
                                       {"FWHM", "0.018"},
                                       {"IntensityLossPerKelvin", "0.001"}});
    std::unique_ptr<LEDModel> m(CreateLEDModelFromParams(led));
    ASSERT_NE(m, nullptr);
    ASSERT_NE(dynamic_cast<PanShenFengLEDModel*>(m.get()), nullptr);
    ASSERT_EQ(m->params.Count(), 4);
    EXPECT_EQ(m->params.ValueAt(0), "0.63");
    EXPECT_EQ(m->params.ValueAt(1), "0.018");
    EXPECT_EQ(m->params.ValueAt(2), "") << "a key the record neither holds nor derives";
    EXPECT_EQ(m->params.ValueAt(3), "0.001");
    EXPECT_EQ(m->record.FindValue("Name").second, "red");

    EXPECT_EQ(CreateLEDModelFromParams(Record({{"PeakWavelength", "0.5"}})), nullptr);
    EXPECT_EQ(CreateLEDModelFromParams(Record({{"SpectralModel", ""}})), nullptr);
    EXPECT_EQ(CreateLEDModelFromParams(Record({{"SpectralModel", "VortexFLTModel"}})), nullptr);
}

TEST(LEDModel, SetParametersPassesTheRecordsHandlerOn)
{
    LimitHandler handler;
    ParamContainer led = Record({{"SpectralModel", "GaussianLEDModel"}, {"PeakWavelength", "0.5"}});
    led.SetEventHandler(&handler);
    led.AddKeyValue("FWHMSource", "x");

    GaussianLEDModel m;
    m.SetParameters(led);
    EXPECT_EQ(m.params.GetEventHandler(), &handler);
    EXPECT_EQ(m.record.GetEventHandler(), &handler);
    EXPECT_EQ(m.params.ValueAt(0), "0.5");
    EXPECT_EQ(m.params.ValueAt(1), "") << "FWHM is neither held nor derivable";
    // Limits the model does not hold are now derived from its own values.
    EXPECT_EQ(m.params.FindValue("PeakWavelengthMin").second, "0.49");
    m.params.SetDouble("PeakWavelength", 0.6);
    EXPECT_EQ(m.params.FindValue("PeakWavelengthMax").second, "0.61");
}

TEST(LEDModel, FitMaskCountsOnlyParametersThatAreNotFixed)
{
    for (int i = 0; i < 8; ++i) {
        std::unique_ptr<LEDModel> m(CreateLEDModelByIndex(i));
        SCOPED_TRACE(typeid(*m).name());
        EXPECT_EQ(m->GetFitParameterCount(), 0);
        EXPECT_EQ(m->GetFitParameterIndex(0), -1);
        EXPECT_EQ(m->GetFitDerivative(0, 0.55, 298.15, 0), 0.0);
        EXPECT_EQ(m->GetFitParameter(0), 0.0);
    }

    GaussianLEDModel m;
    m.AddParameter("FWHM", 0.1, false); // already there: neither a pair nor a bit is added
    m.AddParameter("Extra", 1.5, false);
    m.AddParameter("Fixed", "7", true);
    m.AddParameter("Other", 0.1 + 0.2, false);
    EXPECT_EQ(m.GetFitParameterCount(), 2);
    EXPECT_EQ(m.GetFitParameterIndex(0), 2);
    EXPECT_EQ(m.GetFitParameterIndex(1), 4);
    EXPECT_EQ(m.GetFitParameterIndex(2), -1);
    EXPECT_EQ(m.params.ValueAt(4), "0.3");
    EXPECT_EQ(m.GetFitParameter(0), 1.5);
    m.SetFitParameter(1, 2.25);
    EXPECT_EQ(m.params.ValueAt(4), "2.25");
    EXPECT_EQ(m.params.ValueAt(1), "0.55");
}

// Sampling a grid reads the parameters once per call; the samples must equal GetValue at the
// accumulated wavelengths bit for bit, for every shape, channel and temperature, also on
// the edges of a shape (zero width, cut-off, flanks).
TEST(LEDModelSampling, GridSamplesEqualPointValuesOfEveryShape)
{
    GridGuard grid;
    XStart = 0.38, XEnd = 0.78, XStep = 0.001;
    struct Row {
        const char* model;
        std::vector<std::pair<std::string, std::string>> values;
    };
    const Row rows[] = {
        {"GaussianLEDModel", {{"PeakWavelength", "0.5234"}, {"FWHM", "0.0317"}}},
        {"GaussianLEDModel", {{"PeakWavelength", "0.5"}, {"FWHM", "0"}}},
        // So narrow that most exponents fall below the smallest normal result, and so wide
        // that all stay near 0.
        {"GaussianLEDModel", {{"PeakWavelength", "0.5234"}, {"FWHM", "0.0001"}}},
        {"GaussianLEDModel", {{"PeakWavelength", "0.5234"}, {"FWHM", "50"}}},
        {"LorentzianLEDModel", {{"PeakWavelength", "0.61"}, {"FWHM", "0.04"}}},
        {"RectLEDModel", {{"PeakWavelength", "0.45"}, {"FWHM", "0.02"}}},
        {"PanShenFengLEDModel",
         {{"PeakWavelength", "0.63"}, {"FWHM", "0.018"}, {"PeakShiftPerKelvin", "0.0001"},
          {"IntensityLossPerKelvin", "0.004"}}},
        {"BiPanShenFengLEDModel",
         {{"PeakWavelength", "0.45"}, {"FWHM", "0.02"}, {"PeakWavelength2", "0.6"}, {"FWHM2", "0.03"}}},
        {"TriPanShenFengLEDModel",
         {{"PeakWavelength", "0.45"}, {"FWHM", "0.02"}, {"PeakWavelength2", "0.55"}, {"FWHM2", "0.025"},
          {"PeakWavelength3", "0.65"}, {"FWHM3", "0.03"}, {"IntensityLossPerKelvin3", "0.002"}}},
        {"FabryPerotModel",
         {{"PeakWavelength", "0.55"}, {"FP-Exp", "2"}, {"FP-BaseDelta", "0.1"}, {"FP-PeakDelta", "0.02"},
          {"FP-LeftOffset", "0.1"}, {"FP-RightOffset", "0.05"}, {"FP-LeftClimp", "1"}, {"FP-RightClimp", "2"}}},
        {"LUCOLEDModel", {}},
    };
    const struct {
        double start, end, step;
    } grids[] = {{0.38, 0.78, 0.001}, {0.4, 0.7, 0.0005}, {0.52, 0.5265, 0.0005}, {0.5, 0.51, 0.001}};
    for (const Row& row : rows) {
        ParamContainer led;
        for (const auto& [key, value] : row.values)
            led.AddKeyValue(key, value);
        led.AddKeyValue("SpectralModel", row.model);
        std::unique_ptr<LEDModel> m(CreateLEDModelFromParams(led));
        ASSERT_NE(m, nullptr) << row.model;
        for (const auto& g : grids)
            for (double T : {298.15, 348.15})
                for (int c = 0; c < m->GetChannelCount(); ++c) {
                    SCOPED_TRACE(std::string(row.model) + " channel " + std::to_string(c) + " T " +
                                 std::to_string(T) + " step " + std::to_string(g.step));
                    LSMatrixHandle out(GridPointCount(g.start, g.end, g.step), 1);
                    m->SampleChannel(out, g.start, g.end, g.step, T, c);
                    double x = g.start;
                    for (int i = 0; i < out.rows(); ++i, x += g.step)
                        ASSERT_EQ(out[i], m->GetValue(x, T, c)) << i;
                }
    }
}

// The cache serves shapes without temperature at every temperature; a shape that uses the
// temperature must be computed afresh when it changes.
TEST(LEDModelSampling, AnotherTemperatureGivesThatTemperaturesValues)
{
    GridGuard grid;
    XStart = 0.38, XEnd = 0.78, XStep = 0.002;
    const char* const models[] = {"GaussianLEDModel",       "LorentzianLEDModel",    "RectLEDModel",
                                  "PanShenFengLEDModel",    "LUCOLEDModel",          "BiPanShenFengLEDModel",
                                  "TriPanShenFengLEDModel", "FabryPerotModel"};
    for (const char* name : models) {
        ParamContainer led;
        led.AddKeyValue("SpectralModel", name);
        led.AddKeyValue("PeakShiftPerKelvin", "0.0002");
        led.AddKeyValue("IntensityLossPerKelvin", "0.003");
        std::unique_ptr<LEDModel> m(CreateLEDModelFromParams(led));
        ASSERT_NE(m, nullptr) << name;
        LSMatrixHandle out(GridPointCount(), 1);
        for (double T : {298.15, 348.15, 298.15}) {
            SCOPED_TRACE(std::string(name) + " T " + std::to_string(T));
            m->SampleChannel(out, XStart, XEnd, XStep, T, 0);
            double x = XStart;
            for (int i = 0; i < out.rows(); ++i, x += XStep)
                ASSERT_EQ(out[i], m->GetValue(x, T, 0)) << i;
        }
    }
}

class LEDModelCache : public ::testing::Test {
protected:
    LEDModelCache() : out(GridPointCount(), 1) {}

    // Samples channel 0 of the global grid into out and returns the shape evaluations.
    int Sample(double temperature)
    {
        const int before = model.calls;
        model.SampleChannel(out, XStart, XEnd, XStep, temperature, 0);
        return model.calls - before;
    }

    GridGuard grid;
    CountingGaussian model;
    LSMatrixHandle out;
};

TEST_F(LEDModelCache, SameTemperatureIsServedFromTheCache)
{
    model.params.SetDouble("FWHM", 0.03);
    EXPECT_EQ(Sample(300.0), 176);
    const std::vector<double> first = Column(out);
    MatZero(out);
    EXPECT_EQ(Sample(300.0), 0);
    EXPECT_EQ(Column(out), first);

    // The grid wavelengths are accumulated: x0, x0 + dx, (x0 + dx) + dx, ...
    double x = XStart;
    for (int i = 0; i < out.rows(); ++i, x += XStep)
        ASSERT_EQ(out[i], model.GaussianLEDModel::GetValue(x, 300.0, 0)) << i;

    EXPECT_EQ(Sample(std::nextafter(300.0, 301.0)), 176) << "the key is the exact temperature";
    EXPECT_EQ(Sample(300.0), 176);
}

TEST_F(LEDModelCache, OnlyChangesOfTheModelsOwnParametersInvalidate)
{
    Sample(300.0);
    struct Case {
        const char* name;
        std::function<void()> change;
        bool recomputes;
    };
    ParamContainer other = Record({{"PeakWavelength", "0.5"}});
    const Case cases[] = {
        {"value of the record", [&] { model.record.AddKeyValue("PeakWavelength", "0.6"); model.record.SetDouble("PeakWavelength", 0.61); }, false},
        {"1003 from another container", [&] { model.Notify(kEventValueChanged, &other, nullptr); }, false},
        {"own pair added (1001)", [&] { model.params.AddKeyValue("Comment", "x"); }, false},
        {"own pair removed (1002)", [&] { model.params.RemoveValue("Comment"); }, false},
        {"own value set (1003)", [&] { model.params.SetDouble("PeakWavelength", 0.56); }, true},
        {"fit parameter set", [&] { model.SetFitParameter(0, 1.0); }, true},
        {"parameters taken from a record", [&] { model.SetParameters(Record({{"PeakWavelength", "0.5"}, {"FWHM", "0.1"}})); }, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        c.change();
        EXPECT_EQ(Sample(300.0), c.recomputes ? 176 : 0);
        Sample(300.0);
    }
}

TEST_F(LEDModelCache, IsUsedOnlyOnTheGridItWasFilledOn)
{
    model.params.SetDouble("FWHM", 0.1);
    Sample(300.0);
    const std::vector<double> initial = Column(out);

    // Another grid passed explicitly: computed, and the cache neither used nor filled.
    LSMatrixHandle coarse(11, 1);
    model.SampleChannel(coarse, 0.5, 0.6, 0.01, 300.0, 0);
    EXPECT_NEAR(coarse[10], model.GaussianLEDModel::GetValue(0.6, 300.0, 0), 1e-12);
    EXPECT_EQ(Sample(300.0), 0);
    EXPECT_EQ(Column(out), initial);

    // The same point count on a shifted global grid must not reuse the old samples.
    XStart = 0.41;
    XEnd = 0.76;
    EXPECT_EQ(Sample(300.0), 176);
    EXPECT_EQ(out[0], model.GaussianLEDModel::GetValue(0.41, 300.0, 0));

    // A finer global grid: more points, computed afresh and then cached.
    XStart = 0.38;
    XEnd = 0.78;
    XStep = 0.001;
    LSMatrixHandle fine(GridPointCount(), 1);
    ASSERT_EQ(fine.rows(), 401);
    const int before = model.calls;
    model.SampleChannel(fine, XStart, XEnd, XStep, 300.0, 0);
    model.SampleChannel(fine, XStart, XEnd, XStep, 300.0, 0);
    EXPECT_EQ(model.calls - before, 401);
    EXPECT_NEAR(fine[400], model.GaussianLEDModel::GetValue(0.78, 300.0, 0), 1e-12);
}

TEST_F(LEDModelCache, BadOutputsAndChannels)
{
    LSMatrixHandle tooShort(175, 1);
    MatFill(tooShort, 7.0);
    model.SampleChannel(tooShort, XStart, XEnd, XStep, 300.0, 0);
    EXPECT_EQ(MatSum(tooShort), 7.0 * 175) << "left unchanged";
    EXPECT_EQ(model.calls, 0);

    MatFill(out, 7.0);
    model.SampleChannel(out, XStart, XEnd, XStep, 300.0, 1);
    EXPECT_EQ(MatSumOfSquares(out), 0.0) << "an unknown channel gives zeros";
    model.SampleChannel(out, XStart, XEnd, XStep, 300.0, -1);
    EXPECT_EQ(MatSumOfSquares(out), 0.0);
    model.SampleChannel(nullptr, XStart, XEnd, XStep, 300.0, 0);
    EXPECT_EQ(model.calls, 0);
}

TEST_F(LEDModelCache, CachedValuesComeFromTheNearestRow)
{
    model.params.SetDouble("FWHM", 0.02);
    Sample(300.0);
    const int before = model.calls;
    // (λ - XStart)/XStep of a grid wavelength often falls just below its row (0.406 gives
    // 2.99999...), so truncating would return the previous row.
    for (int i = 0; i < out.rows(); ++i)
        ASSERT_EQ(model.GetValueCached(XStart + i * XStep, 300.0, 0), out[i]) << i;
    EXPECT_EQ(model.calls, before);

    struct Case {
        const char* name;
        double wavelength, temperature;
    };
    const Case misses[] = {
        {"below the grid", XStart - XStep, 300.0},
        {"above the grid", XEnd + XStep, 300.0},
        {"between two rows", 0.5501, 300.0},
        {"other temperature", 0.55, 310.0},
    };
    for (const Case& c : misses) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(model.GetValueCached(c.wavelength, c.temperature, 0),
                  model.GaussianLEDModel::GetValue(c.wavelength, c.temperature, 0));
    }
    EXPECT_EQ(model.GetValueCached(0.55, 300.0, 1), 0.0);

    XStart = 0.402;
    EXPECT_EQ(model.GetValueCached(0.55, 300.0, 0), model.GaussianLEDModel::GetValue(0.55, 300.0, 0))
        << "a cache of another grid is not used";
}

class RandomizeWithinDBLimits : public ::testing::Test {
protected:
    // Draws many times for model made from led and returns the smallest and largest value
    // key took.
    std::pair<double, double> Range(const char* modelName, const ParamContainer& led, const char* key)
    {
        std::unique_ptr<LEDModel> m(CreateLEDModel(modelName));
        m->SetParameters(led);
        double lo = 1e9, hi = -1e9;
        platform::SRand(11);
        for (int i = 0; i < 300; ++i) {
            m->RandomizeWithinDBLimits();
            const double v = m->params.GetDouble(key);
            lo = std::min(lo, v);
            hi = std::max(hi, v);
        }
        return {lo, hi};
    }
    LimitHandler handler;
};

TEST_F(RandomizeWithinDBLimits, DrawsInsideTheRecordsLimits)
{
    struct Case {
        const char* name;
        const char* model;
        Pairs record;
        bool derive;
        const char* key;
        double lo, hi;
    };
    const Case cases[] = {
        {"stored range: its lower half", "GaussianLEDModel",
         {{"PeakWavelength", "0.46"}, {"PeakWavelengthMin", "0.45"}, {"PeakWavelengthMax", "0.47"}}, false,
         "PeakWavelength", 0.45, 0.46},
        {"stored width range", "PanShenFengLEDModel", {{"FWHM", "0.03"}, {"FWHMMin", "0.02"}, {"FWHMMax", "0.04"}},
         false, "FWHM", 0.02, 0.03},
        {"derived min: min + 0.005", "GaussianLEDModel", {{"PeakWavelength", "0.5"}}, true, "PeakWavelength", 0.49,
         0.495},
        {"stored min without max", "RectLEDModel", {{"FWHM", "0.1"}, {"FWHMMin", "0.08"}}, false, "FWHM", 0.08,
         0.085},
        {"second peak: min + 0.0025", "BiPanShenFengLEDModel", {{"PeakWavelength2", "0.6"}, {"PeakWavelengthMin2", "0.59"}},
         false, "PeakWavelength2", 0.59, 0.5925},
        {"empty stored range", "GaussianLEDModel",
         {{"PeakWavelengthMin", "0.45"}, {"PeakWavelengthMax", "0.45"}}, false, "PeakWavelength", 0.45, 0.455},
        {"mixing factor: 0.9 to 1.1 of the record's", "LUCOLEDModel", {{"P_MixingFactor", "0.5"}}, false,
         "P_MixingFactor", 0.45, 0.55},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ParamContainer led = Record(c.record);
        if (c.derive)
            led.SetEventHandler(&handler);
        const auto [lo, hi] = Range(c.model, led, c.key);
        const double tolerance = 1e-6; // values are stored with six digits
        EXPECT_GE(lo, c.lo - tolerance);
        EXPECT_LE(hi, c.hi + tolerance);
        EXPECT_LT(lo, c.lo + 0.1 * (c.hi - c.lo)) << "draws cover the range";
        EXPECT_GT(hi, c.hi - 0.1 * (c.hi - c.lo));
    }
}

TEST_F(RandomizeWithinDBLimits, KeepsWhatTheRecordCannotBound)
{
    // No min stored or derivable, and no mixing factor in the record: the values stay.
    std::unique_ptr<LEDModel> luco = MakeModel("LUCOLEDModel");
    luco->SetParameters(Record({{"PeakWavelength", "0.46"}, {"FWHM", "0.02"}, {"P_MixingFactor", "0.45"}}));
    luco->record = Record({});
    luco->RandomizeWithinDBLimits();
    EXPECT_EQ(luco->params.FindValue("PeakWavelength").second, "0.46");
    EXPECT_EQ(luco->params.FindValue("FWHM").second, "0.02");
    EXPECT_EQ(luco->params.FindValue("P_MixingFactor").second, "0.45");

    // Limits of keys the model does not hold add nothing.
    GaussianLEDModel g;
    g.SetParameters(Record({{"PeakWavelengthMin2", "0.6"}, {"PeakWavelengthMax2", "0.7"}}));
    g.RandomizeWithinDBLimits();
    EXPECT_EQ(g.params.Count(), 2);
}

// A copy must be a model of its own: the same class, values, fit flags, record and cached
// samples, yet its own observer, so that its changes stale only its own cache.
TEST(LEDModelCopy, EveryShapeCopiesWithItsCacheAndChangesApart)
{
    GridGuard grid;
    LSMatrixHandle out(GridPointCount(), 1);
    for (int i = 0; i < 8; ++i) {
        std::unique_ptr<LEDModel> original(CreateLEDModelByIndex(i));
        ASSERT_NE(original, nullptr);
        SCOPED_TRACE(typeid(*original).name());
        original->SetParameters(Record({{"Name", "n"},
                                        {"PeakWavelength", "0.52"},
                                        {"FWHM", "0.04"},
                                        {"FP-Exp", "2"},
                                        {"FP-BaseDelta", "0.1"},
                                        {"FP-PeakDelta", "0.02"}}));
        original->SetFitFlag(0, true);
        const int channels = original->GetChannelCount();
        std::vector<std::vector<double>> before;
        for (int c = 0; c < channels; ++c) {
            original->SampleChannel(out, XStart, XEnd, XStep, 320.0, c);
            before.push_back(Column(out));
        }

        std::unique_ptr<LEDModel> copy(CopyLEDModel(*original));
        ASSERT_NE(copy, nullptr);
        EXPECT_EQ(std::type_index(typeid(*copy)), std::type_index(typeid(*original)));
        ASSERT_EQ(copy->params.Count(), original->params.Count());
        for (int k = 0; k < copy->params.Count(); ++k) {
            EXPECT_EQ(copy->params.KeyAt(k), original->params.KeyAt(k));
            EXPECT_EQ(copy->params.ValueAt(k), original->params.ValueAt(k));
            EXPECT_EQ(copy->GetFitFlag(k), original->GetFitFlag(k));
        }
        EXPECT_EQ(copy->record.FindValue("Name").second, "n");
        for (int c = 0; c < channels; ++c) {
            const double* cached = copy->GetGridSamples(320.0, c);
            ASSERT_NE(cached, nullptr);
            EXPECT_NE(cached, original->GetGridSamples(320.0, c)) << "its own cache";
            EXPECT_EQ(std::vector<double>(cached, cached + out.rows()), before[static_cast<std::size_t>(c)]);
        }

        // A changed peak moves the copy's samples and leaves the original's alone.
        copy->params.SetDouble("PeakWavelength", 0.6);
        copy->SampleChannel(out, XStart, XEnd, XStep, 320.0, 0);
        EXPECT_NE(Column(out), before[0]);
        double x = XStart;
        for (int j = 0; j < out.rows(); ++j, x += XStep)
            ASSERT_EQ(out[j], copy->GetValue(x, 320.0, 0)) << j;
        original->SampleChannel(out, XStart, XEnd, XStep, 320.0, 0);
        EXPECT_EQ(Column(out), before[0]);
    }

    // A class the table does not list is not copied (it would lose what it adds).
    CountingGaussian counting;
    EXPECT_EQ(CopyLEDModel(counting), nullptr);
}
