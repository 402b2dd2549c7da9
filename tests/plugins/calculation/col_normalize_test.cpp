// Recolouring by name template: the match rule, the first match winning, errors, and
// overlapping selections.
#include "calculation/col_normalize_module.h"

#include "fixture.h"

#include <gtest/gtest.h>

namespace {

using calc_test::AddSpectrum;

class Recolour : public ::testing::Test {
protected:
    void SetUp() override { module.SetModuleInterface(&host); }
    ns_param::Paramora& P() { return module.getParameters(); }
    Spectrum* At(const std::string& name) { return host.spectra.GetInserterByName(name); }
    Spectrum* Add(const std::string& name, COLORREF colour)
    {
        return AddSpectrum(host, name, {400, 401}, {1, 2}, colour);
    }

    RecordingHost host;
    ColNormalizeModule module;
};

TEST_F(Recolour, MatchRule)
{
    struct Row {
        const char* name;
        const char* reference;
        bool match;
    };
    const Row rows[] = {
        {"Messung:LED_450", "Farben:450", true}, {"Messung:450", "Farben:LED_450", true},
        {"LED_450", "450", true},                {"Messung:LED_450", "Farben:led", false},
        {"A:x450", "Messung:450:y", false},      {"G:", "Farben:450", true}, // an empty leaf matches all
    };
    for (const Row& row : rows)
        EXPECT_EQ(ColNormalizeModule::NamesMatch(row.name, row.reference), row.match)
            << row.name << " / " << row.reference;
}

TEST_F(Recolour, FirstMatchingReferenceGivesItsColour)
{
    Add("Messung:LED_450", 0x111111);
    Add("Messung:LED_530", 0x222222);
    Add("Messung:Halogen", 0x333333);
    Add("Farben:450", 0x0000ff);
    Add("Farben:LED_4", 0x00ff00); // matches LED_450 too, but comes second
    Add("Farben:530", 0xff0000);
    P().setStringParameter("SpecDesc", "Messung");
    P().setStringParameter("RefSpecDesc", "Farben");
    ASSERT_TRUE(module.normalize());
    EXPECT_EQ(At("Messung:LED_450")->GetColor(), 0x0000ffu);
    EXPECT_EQ(At("Messung:LED_530")->GetColor(), 0xff0000u);
    EXPECT_EQ(At("Messung:Halogen")->GetColor(), 0x333333u);
    EXPECT_EQ(host.statusTexts.back(), "Übernehme Farbe für Spektrum 3 aus Referenzmenge 3");
    EXPECT_EQ(host.progressHistory.front(), 0);
    EXPECT_EQ(host.progressHistory.back(), 100);
    EXPECT_EQ((*At("Messung:LED_450"))[1].y, 2); // the points stay
}

TEST_F(Recolour, EmptySelectionsChangeNothing)
{
    Add("A:x", 0x111111);
    struct Row {
        const char* specs;
        const char* refs;
        const char* error;
    };
    const Row rows[] = {
        {"", "A", "Fehler: Es wurden keine Spektren angegeben! "},
        {"A", "nichts", "Fehler: Es wurden keine Referenzspektren zur Farbübernahme angegeben! "},
    };
    for (const Row& row : rows) {
        P().setStringParameter("SpecDesc", row.specs);
        P().setStringParameter("RefSpecDesc", row.refs);
        EXPECT_FALSE(module.normalize());
        EXPECT_EQ(host.LogTexts().back(), row.error);
        EXPECT_EQ(host.log.back().colour, 0x000070u);
    }
    EXPECT_EQ(At("A:x")->GetColor(), 0x111111u);
}

TEST_F(Recolour, OverlappingAndRepeatedSelectionsReadNoFreedSpectrum)
{
    // The targets are also references, one of them listed twice: each replaced spectrum is
    // freed, and the loop must not read it again.
    Add("G:450", 0x0000ff);
    Add("G:LED_450", 0x00ff00);
    Add("H:530", 0xff0000);
    P().setStringParameter("SpecDesc", "G;G:450;H");
    P().setStringParameter("RefSpecDesc", "H;G");
    ASSERT_TRUE(module.normalize());
    // References in order: H:530, G:450, G:LED_450 (their colours as they were before).
    EXPECT_EQ(At("G:450")->GetColor(), 0x0000ffu);
    EXPECT_EQ(At("G:LED_450")->GetColor(), 0x0000ffu);
    EXPECT_EQ(At("H:530")->GetColor(), 0xff0000u);
    EXPECT_EQ(host.spectra.GetInserters().size(), 3u);
}

} // namespace
