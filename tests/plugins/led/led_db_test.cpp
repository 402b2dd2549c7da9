#include "file_test_support.h"

#include "core/number_text.h"
#include "engine/led_db.h"
#include "engine/led_value_calculator.h"

#include <gtest/gtest.h>

#include <set>

namespace {

// The derived value of key for a record of the given pairs, through a database entry;
// "-" when there is none.
std::string Derived(LedDB& db, Pairs pairs, const char* key)
{
    db.AddEntry(Record(pairs));
    int source = -1;
    const std::string value = db.EntryAt(db.EntryCount() - 1).FindValue(key, &source).second;
    return source == ParamContainer::kNotFound ? "-" : value;
}

TEST(LedDB, KnowsTheFieldsOfAnLedRecord)
{
    LedDB db;
    EXPECT_EQ(db.EntryCount(), 0);
    const std::vector<std::string>& keys = db.GetKeys();
    ASSERT_EQ(keys.size(), 65u);
    EXPECT_EQ(std::set<std::string>(keys.begin(), keys.end()).size(), 65u);
    const struct {
        int number; // 1-based, as the record's field list counts
        const char* key;
    } landmarks[] = {{1, "Name"}, {3, "SpectralModel"}, {10, "RadiantPower"}, {17, "DominantWavelength_x"},
                     {28, "P_MixingFactor"}, {38, "PeakWavelength2"}, {49, "Material2"},
                     {52, "PeakWavelength3"}, {65, "IntensityLossPerKelvin3"}};
    for (const auto& l : landmarks)
        EXPECT_EQ(keys[l.number - 1], l.key);
    EXPECT_EQ(db.GetEventHandler(), &LEDValueCalculator::Instance());
}

TEST(LedDB, LoadedKeysGoAfterTheFields)
{
    TempFolder dir;
    WriteFile(dir.file("leds.txt"), "[BeginEntry]\r\nName = LED1\r\nBinning = B2\r\nPeakWavelength = 0.63\r\n[EndEntry]\r\n");
    LedDB db;
    ASSERT_TRUE(db.LoadFromFile(dir.file("leds.txt")));
    ASSERT_EQ(db.GetKeys().size(), 66u);
    EXPECT_EQ(db.GetKeys().back(), "Binning");

    // The entry derives through the database's handler, and keeps what it derived.
    const ParamContainer& led = db.EntryAt(0);
    int source = -1;
    EXPECT_EQ(led.FindValue("Material", &source).second, "AlInGaP");
    EXPECT_EQ(led.FindValue("PeakShiftPerKelvin", &source).second, "0.00015");
    EXPECT_EQ(source, ParamContainer::kDerivedValue);
    led.FindValue("Material", &source);
    EXPECT_EQ(source, ParamContainer::kDerivedValue);
}

TEST(LedValues, DerivedKeys)
{
    const struct {
        const char* name;
        Pairs record;
        const char* key;
        const char* value; // "-": no value
    } cases[] = {
        {"power", {{"ForwardCurrent", "0.02"}, {"ForwardVoltage", "3.5"}}, "PowerDissipation", "0.07"},
        {"power without current", {{"ForwardVoltage", "3.5"}}, "PowerDissipation", "-"},
        {"empty text reads 0", {{"ForwardCurrent", ""}, {"ForwardVoltage", "3.5"}}, "PowerDissipation", "0"},
        {"peak min", {{"PeakWavelength", "0.465"}}, "PeakWavelengthMin", "0.455"},
        {"peak max", {{"PeakWavelength", "0.465"}}, "PeakWavelengthMax", "0.475"},
        {"peak min 2", {{"PeakWavelength2", "0.5"}}, "PeakWavelengthMin2", "0.49"},
        {"peak max 3", {{"PeakWavelength3", "0.6"}}, "PeakWavelengthMax3", "0.61"},
        {"peak min 3 without peak 3", {{"PeakWavelength", "0.6"}}, "PeakWavelengthMin3", "-"},
        {"width min", {{"FWHM", "0.03"}}, "FWHMMin", "0.021"},
        {"width max", {{"FWHM", "0.03"}}, "FWHMMax", "0.039"},
        {"width min 2", {{"FWHM2", "0.02"}}, "FWHMMin2", "0.014"},
        {"width max 3", {{"FWHM3", "0.02"}}, "FWHMMax3", "0.026"},
        {"material below 0.55", {{"PeakWavelength", "0.5499"}}, "Material", "InGaN"},
        {"material at 0.55", {{"PeakWavelength", "0.55"}}, "Material", "AlInGaP"},
        {"material at 0.66", {{"PeakWavelength", "0.66"}}, "Material", "AlGaAs"},
        {"material at 0.89", {{"PeakWavelength", "0.89"}}, "Material", "-"},
        {"no shift at 0.89", {{"PeakWavelength", "0.89"}}, "PeakShiftPerKelvin", "-"},
        {"material 2", {{"PeakWavelength2", "0.47"}}, "Material2", "InGaN"},
        {"material 3", {{"PeakWavelength3", "0.7"}}, "Material3", "AlGaAs"},
        {"shift InGaN", {{"PeakWavelength", "0.47"}}, "PeakShiftPerKelvin", "4e-05"},
        {"loss InGaN", {{"PeakWavelength", "0.47"}}, "IntensityLossPerKelvin", "0.0002"},
        {"loss AlGaAs 2", {{"PeakWavelength2", "0.7"}}, "IntensityLossPerKelvin2", "0.001"},
        {"shift AlInGaP 3", {{"PeakWavelength3", "0.6"}}, "PeakShiftPerKelvin3", "0.00015"},
        {"stored material wins", {{"PeakWavelength", "0.45"}, {"Material", "AlGaAs"}}, "PeakShiftPerKelvin", "0.00015"},
        {"unknown material", {{"Material", "GaP"}}, "PeakShiftPerKelvin", "-"},
        {"unknown material, loss", {{"Material", "GaP"}}, "IntensityLossPerKelvin", "-"},
        {"material is case-sensitive", {{"Material", "ingan"}}, "PeakShiftPerKelvin", "-"},
        {"not a derived key", {{"PeakWavelength", "0.5"}}, "Company", "-"},
        {"no model: no x", {{"SpectralModel", "NoSuchModel"}}, "DominantWavelength_x", "-"},
        {"no model: no y", {{"SpectralModel", "gaussianledmodel"}}, "DominantWavelength_y", "-"},
        {"no model: no power", {{"SpectralModel", "NoSuchModel"}, {"ViewAngle", "30"}, {"LightOutput", "1000"}},
         "RadiantPower", "-"},
        {"power without view angle", {{"SpectralModel", "GaussianLEDModel"}, {"LightOutput", "1000"}},
         "RadiantPower", "-"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        LedDB db;
        EXPECT_EQ(Derived(db, c.record, c.key), c.value);
    }
}

class LedColourValues : public ShippedColourData {};

TEST_F(LedColourValues, ChromaticityAndRadiantPowerOfAGaussianLed)
{
    LedDB db;
    db.AddEntry(Record({{"SpectralModel", "GaussianLEDModel"}, {"PeakWavelength", "0.55"}, {"FWHM", "0.03"},
                        {"ViewAngle", "30"}, {"LightOutput", "1000"}}));
    const ParamContainer& led = db.EntryAt(0);
    EXPECT_NEAR(number_text::ToDouble(led.FindValue("DominantWavelength_x").second.c_str()), 0.313974, 1e-6);
    EXPECT_NEAR(number_text::ToDouble(led.FindValue("DominantWavelength_y").second.c_str()), 0.675946, 1e-6);
    EXPECT_EQ(led.FindValue("RadiantPower").second, "0.00045664");
}

TEST_F(LedColourValues, RadiantPowerIsTheSmallestOverTheChannels)
{
    LedDB db;
    const Pairs psf = {{"SpectralModel", "PanShenFengLEDModel"}, {"PeakWavelength", "0.55"}, {"FWHM", "0.024"},
                       {"ViewAngle", "40"}, {"LightOutput", "500"}};
    const Pairs bi = {{"SpectralModel", "BiPanShenFengLEDModel"}, {"PeakWavelength", "0.47"}, {"FWHM", "0.024"},
                      {"PeakWavelength2", "0.55"}, {"FWHM2", "0.024"}, {"ViewAngle", "40"}, {"LightOutput", "500"}};
    const std::string single = Derived(db, psf, "RadiantPower");
    ASSERT_NE(single, "-");
    // The 0.55 µm channel has the higher efficacy, so it gives the smaller power.
    EXPECT_EQ(Derived(db, bi, "RadiantPower"), single);
    // A channel the eye cannot see (peak at 1.5 µm, nothing on the grid) is left out.
    const Pairs biInvisible = {{"SpectralModel", "BiPanShenFengLEDModel"}, {"PeakWavelength", "1.5"}, {"FWHM", "0.024"},
                               {"PeakWavelength2", "0.55"}, {"FWHM2", "0.024"}, {"ViewAngle", "40"}, {"LightOutput", "500"}};
    EXPECT_EQ(Derived(db, biInvisible, "RadiantPower"), single);
}

TEST_F(LedColourValues, NoValueInsteadOfNanOrInfinity)
{
    const struct {
        const char* name;
        Pairs record;
        const char* key;
    } cases[] = {
        // Nothing on the grid: X + Y + Z = 0 and no luminous flux.
        {"x of an invisible LED", {{"SpectralModel", "GaussianLEDModel"}, {"PeakWavelength", "1.5"}, {"FWHM", "0.03"}},
         "DominantWavelength_x"},
        {"y of an invisible LED", {{"SpectralModel", "GaussianLEDModel"}, {"PeakWavelength", "1.5"}, {"FWHM", "0.03"}},
         "DominantWavelength_y"},
        {"power of an invisible LED",
         {{"SpectralModel", "GaussianLEDModel"}, {"PeakWavelength", "1.5"}, {"FWHM", "0.03"}, {"ViewAngle", "30"},
          {"LightOutput", "1000"}},
         "RadiantPower"},
        {"view angle above 180°",
         {{"SpectralModel", "GaussianLEDModel"}, {"PeakWavelength", "0.55"}, {"FWHM", "0.03"}, {"ViewAngle", "200"},
          {"LightOutput", "1000"}},
         "RadiantPower"},
        {"infinite light output",
         {{"SpectralModel", "GaussianLEDModel"}, {"PeakWavelength", "0.55"}, {"FWHM", "0.03"}, {"ViewAngle", "30"},
          {"LightOutput", "1e999"}},
         "RadiantPower"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        LedDB db;
        EXPECT_EQ(Derived(db, c.record, c.key), "-");
        // Nothing was cached: the entry still has no derived value for the key.
        int source = -1;
        db.EntryAt(0).FindValue(c.key, &source);
        EXPECT_EQ(source, ParamContainer::kNotFound);
    }
}

TEST_F(LedColourValues, ConditionsSeeDerivedValues)
{
    LedDB db;
    db.AddEntry(Record({{"Name", "Gruen"}, {"SpectralModel", "GaussianLEDModel"}, {"PeakWavelength", "0.55"}, {"FWHM", "0.03"}}));
    db.AddEntry(Record({{"Name", "Blau"}, {"SpectralModel", "GaussianLEDModel"}, {"PeakWavelength", "0.47"}, {"FWHM", "0.03"}}));
    db.SetCondition("DominantWavelength_y > 0.5; Material == \"InGaN\"");
    EXPECT_FALSE(db.MatchesCondition(db.EntryAt(0))); // green is AlInGaP
    db.SetCondition("DominantWavelength_y > 0.5");
    EXPECT_TRUE(db.MatchesCondition(db.EntryAt(0)));
    EXPECT_FALSE(db.MatchesCondition(db.EntryAt(1)));
}

} // namespace
