#include "file_test_support.h"

#include "engine/color_data.h"
#include "engine/wavelength_color.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <sstream>
#include <string>

namespace {

class WavelengthColour : public ::testing::Test {
protected:
    void SetUp() override { ResetColorData(); }
    void TearDown() override { ResetColorData(); }
    GridGuard guard;
};

// The table tests/data/led/wavelength_colors.csv is written by make_wavelength_colors.py from
// the CIE table in data/cie, independently of the engine's resampled data files.
TEST_F(WavelengthColour, MatchesTheTableOfTheCieData)
{
    ASSERT_TRUE(SetColorDataFolder(ShippedColourDataFolder()));
    GridScope grid(0.38, 0.78, 0.001);
    std::ifstream in(ORVANTA_TEST_DATA_DIR "/led/wavelength_colors.csv");
    ASSERT_TRUE(in);
    std::string line;
    std::getline(in, line);
    int rows = 0;
    while (std::getline(in, line)) {
        std::replace(line.begin(), line.end(), ',', ' ');
        std::istringstream fields(line);
        int nm = 0, r = 0, g = 0, b = 0;
        ASSERT_TRUE(fields >> nm >> r >> g >> b) << line;
        SCOPED_TRACE(nm);
        COLORREF c = 0xffffffff;
        WavelengthToColor(nm / 1000.0, c);
        EXPECT_EQ(c, RGB(r, g, b));
        ++rows;
    }
    EXPECT_EQ(rows, 41);

    // The three check values, and black off the observer data (s = 0, no division).
    const struct {
        double um;
        COLORREF colour;
    } cases[] = {{0.45, RGB(0, 76, 248)}, {0.55, RGB(97, 244, 0)}, {0.65, RGB(253, 40, 0)},
                 {0.2, RGB(0, 0, 0)},     {1.5, RGB(0, 0, 0)}};
    for (const auto& c : cases) {
        COLORREF got = 0xffffffff;
        WavelengthToColor(c.um, got);
        EXPECT_EQ(got, c.colour) << c.um;
    }

    // The grid table agrees with the single lookups and follows a change of the grid.
    const std::vector<COLORREF>& colours = WavelengthColorsOnGrid();
    ASSERT_EQ(colours.size(), 401u);
    EXPECT_EQ(colours[70], RGB(0, 76, 248));
    GridScope coarse(0.4, 0.75, 0.05);
    ASSERT_EQ(WavelengthColorsOnGrid().size(), 8u);
    EXPECT_EQ(WavelengthColorsOnGrid()[3], RGB(97, 244, 0));
}

TEST_F(WavelengthColour, WithoutObserverTheGridIsBlackWithOneLogLine)
{
    TempFolder empty;
    ASSERT_TRUE(SetColorDataFolder(empty.path()));
    LogScope log;
    GetColorData();
    log.Take(); // the load's own lines
    const std::vector<COLORREF>& colours = WavelengthColorsOnGrid();
    EXPECT_EQ(colours.size(), static_cast<std::size_t>(GridPointCount()));
    for (COLORREF c : colours)
        ASSERT_EQ(c, RGB(0, 0, 0));
    WavelengthColorsOnGrid();
    EXPECT_EQ(log.Take().size(), 1u);
}

} // namespace
