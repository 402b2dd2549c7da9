#include "core/spectrum.h"
#include "ui/spectrum_colouring.h"
#include "ui/xyz_color.h"

#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <random>
#include <set>
#include <vector>

namespace {

// n spectra and the list of their pointers, as a plot's shown list.
struct Shown {
    explicit Shown(int n)
    {
        for (int i = 0; i < n; ++i) {
            owned.push_back(std::make_unique<Spectrum>());
            owned.back()->SetColor(0x123456);
            list.push_back(owned.back().get());
        }
    }
    std::vector<std::unique_ptr<Spectrum>> owned;
    std::vector<Spectrum*> list;
};

// Entry i of the table scaled so that the brightest entry has Y = 100, as bytes.
COLORREF ScaledEntry(int i)
{
    double ymax = 0;
    for (int k = 0; k < kSpectralColorsUsed; ++k)
        ymax = std::max(ymax, SpectralColorTable[k].Y);
    const XYZColor& e = SpectralColorTable[static_cast<std::size_t>(i)];
    return XYZColor(e.X / (ymax / 100), e.Y / (ymax / 100), e.Z / (ymax / 100)).ToColorRef();
}

TEST(XYZColorTest, TransferBranchesAndBytes)
{
    EXPECT_EQ(SrgbTransfer(0.0031308), 12.92 * 0.0031308);
    EXPECT_EQ(SrgbTransfer(0.0031309), 1.055 * std::pow(0.0031309, 1 / 2.4) - 0.055);
    EXPECT_EQ(SrgbTransfer(-0.2), 0.0);
    EXPECT_EQ(SrgbTransfer(1.7), 1.0);

    struct Row {
        double value;
        int byte;
    } rows[] = {{0.999, 254}, {1.0, 255}, {0.5, 127}, {0.0, 0}, {-1.0, 0}, {2.0, 255}, {std::nan(""), 0}};
    for (const Row& row : rows) {
        SCOPED_TRACE(row.value);
        EXPECT_EQ(ColorByte(row.value), row.byte);
    }
}

TEST(XYZColorTest, ReferenceStimuli)
{
    const XYZColor red(41.24, 21.26, 1.93);
    EXPECT_NEAR(red.R(), 1.0, 2e-3);
    EXPECT_NEAR(red.G(), 0.0, 2e-3);
    EXPECT_NEAR(red.B(), 0.0, 2e-3);
    EXPECT_EQ(GetRValue(red.ToColorRef()), 255 - (red.R() < 1.0));

    const XYZColor white(95.05, 100, 108.9);
    EXPECT_NEAR(white.R(), 1.0, 2e-3);
    EXPECT_NEAR(white.G(), 1.0, 2e-3);
    EXPECT_NEAR(white.B(), 1.0, 2e-3);
    EXPECT_EQ(white.WhiteName, "E");
    EXPECT_EQ(white.Xn, 100.0);
}

TEST(XYZColorTest, TableEndsAndPeak)
{
    ASSERT_EQ(SpectralColorTable.size(), 136u);
    const XYZColor& first = SpectralColorTable[0];
    EXPECT_EQ(first.X, 0.438764);
    EXPECT_EQ(first.Y, 0.0126048);
    EXPECT_EQ(first.Z, 2.10182);
    EXPECT_EQ(SpectralColorTable[84].Y, 4.97308);
    EXPECT_EQ(SpectralColorTable[132].X, 2.74402);
    EXPECT_EQ(SpectralColorTable[135].Z, 0.000103988);
    for (int i = 0; i < kSpectralColorsUsed; ++i)
        EXPECT_LE(SpectralColorTable[i].Y, SpectralColorTable[84].Y) << i;

    // Blue at the start, red at the end: COLORREF keeps red in the low byte.
    const COLORREF blue = ScaledEntry(0);
    const COLORREF red = ScaledEntry(132);
    EXPECT_GT(GetBValue(blue), GetRValue(blue));
    EXPECT_GT(GetRValue(red), GetBValue(red));
    EXPECT_EQ(red & 0xFF, GetRValue(red));
}

TEST(SpectrumColouringTest, SpectralModesSpreadTheTable)
{
    struct Row {
        const char* name;
        int mode;
        int count;
        std::vector<int> entries;
    } rows[] = {
        {"one spectrum", 1, 1, {0}},
        {"two ascending", 1, 2, {0, 132}},
        {"three ascending", 1, 3, {0, 66, 132}},
        {"two descending", 2, 2, {132, 0}},
        {"one descending", 2, 1, {132}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        Shown shown(row.count);
        ColourSpectra(shown.list, row.mode);
        for (int i = 0; i < row.count; ++i)
            EXPECT_EQ(shown.list[i]->GetColor(), ScaledEntry(row.entries[i])) << i;
    }
}

TEST(SpectrumColouringTest, RunningPositionEndsOnTheTableEnds)
{
    // Five spectra: step 33, so every position is a whole entry; 134 spectra: step just below
    // one, so positions fall between entries and the last must still be the red end.
    Shown five(5);
    ColourSpectra(five.list, 1);
    EXPECT_EQ(five.list[1]->GetColor(), ScaledEntry(33));
    EXPECT_EQ(five.list[4]->GetColor(), ScaledEntry(132));

    Shown many(134);
    ColourSpectra(many.list, 2);
    EXPECT_EQ(many.list.front()->GetColor(), ScaledEntry(132));
    EXPECT_EQ(many.list.back()->GetColor(), ScaledEntry(0));
    EXPECT_EQ(SpectralColourAt(-3.0, false), ScaledEntry(0));
    EXPECT_EQ(SpectralColourAt(140.0, false), ScaledEntry(132));
}

TEST(SpectrumColouringTest, RandomColoursComeFromOneSeedPerSpectrum)
{
    Shown shown(4);
    std::vector<std::uint32_t> seeds;
    std::uint32_t next = 1000;
    ColourSpectra(shown.list, 0, [&] {
        seeds.push_back(next);
        return next++;
    });
    ASSERT_EQ(seeds.size(), 4u);
    for (std::size_t i = 0; i < seeds.size(); ++i) {
        // trunc(256 * v / 2^32) is the top byte of each draw.
        std::mt19937 generator(seeds[i]);
        const auto r = static_cast<std::uint8_t>(generator() >> 24);
        const auto g = static_cast<std::uint8_t>(generator() >> 24);
        const auto b = static_cast<std::uint8_t>(generator() >> 24);
        EXPECT_EQ(shown.list[i]->GetColor(), RGB(r, g, b)) << i;
    }
}

TEST(SpectrumColouringTest, GreysNeverLighterThan210)
{
    Shown shown(5000);
    std::uint32_t next = 0;
    ColourSpectra(shown.list, 3, [&] { return next++; });
    bool reached = false;
    for (const Spectrum* spectrum : shown.list) {
        const COLORREF c = spectrum->GetColor();
        ASSERT_EQ(GetRValue(c), GetGValue(c));
        ASSERT_EQ(GetRValue(c), GetBValue(c));
        ASSERT_LE(GetRValue(c), 210);
        reached = reached || GetRValue(c) == 210;
    }
    EXPECT_TRUE(reached);
}

TEST(SpectrumColouringTest, OtherModesAndEmptyListsChangeNothing)
{
    for (int mode : {-1, 4, 99}) {
        Shown shown(3);
        ColourSpectra(shown.list, mode);
        for (const Spectrum* spectrum : shown.list)
            EXPECT_EQ(spectrum->GetColor(), 0x123456u) << mode;
    }
    for (int mode = 0; mode <= 3; ++mode)
        ColourSpectra({}, mode, [] { return 1u; });
}

TEST(SpectrumColouringTest, ClockSeedsDifferWithinOneRun)
{
    std::set<std::uint32_t> seeds;
    for (int i = 0; i < 200; ++i)
        seeds.insert(ClockSeedWithCount());
    EXPECT_EQ(seeds.size(), 200u);
}

} // namespace
