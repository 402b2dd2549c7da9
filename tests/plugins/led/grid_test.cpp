#include "engine/grid.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

TEST(WavelengthGrid, InitialGridHas176Points)
{
    EXPECT_EQ(XStart, 0.4);
    EXPECT_EQ(XEnd, 0.75);
    EXPECT_EQ(XStep, 0.002);
    // The quotient is 174.99999999999997; without the added 0.01 the count would be 175.
    EXPECT_LT((XEnd - XStart) / XStep, 175.0);
    EXPECT_EQ(GridPointCount(), 176);
}

TEST(WavelengthGrid, PointCountCases)
{
    struct Case {
        const char* name;
        double start, end, step;
        int count;
    };
    const double inf = std::numeric_limits<double>::infinity();
    const Case cases[] = {
        {"380-780 nm at 1 nm", 0.38, 0.78, 0.001, 401},
        {"380-780 nm at 5 nm", 0.38, 0.78, 0.005, 81},
        {"end not on the grid", 0.4, 0.7005, 0.002, 151},
        {"one point", 0.5, 0.5, 0.001, 1},
        {"fine grid", 0.4, 0.7005, 0.00001, 30051},
        {"zero step", 0.4, 0.7, 0.0, 0},
        {"negative step", 0.4, 0.7, -0.001, 0},
        {"end below start", 0.7, 0.4, 0.001, 0},
        {"infinite end", 0.4, inf, 0.001, 0},
        {"NaN step", 0.4, 0.7, std::nan(""), 0},
        {"count beyond int", 0.0, 1.0, 1e-12, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(GridPointCount(c.start, c.end, c.step), c.count);
    }
}
