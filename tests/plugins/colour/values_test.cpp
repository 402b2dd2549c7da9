// The arithmetic of the colour and integral value modules called without a host: rows of
// settings on small curves, the grid faults and the refused conversions.
#include "colour/colour_values.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace {

// Curves of three points from 400 nm, with their own step, holding value.
class ColourValues : public ::testing::Test {
protected:
    Spectrum* Curve(double value, double step = 10, int count = 3, double start = 400)
    {
        auto s = std::make_unique<Spectrum>();
        s->SetName("C:" + std::to_string(curves.size()));
        for (int i = 0; i < count; ++i)
            s->AddPoint(SPoint(start + i * step, value));
        curves.push_back(std::move(s));
        return curves.back().get();
    }
    std::vector<std::unique_ptr<Spectrum>> curves;
};

TEST_F(ColourValues, RowsOfSettings)
{
    Spectrum* s = Curve(1);
    Spectrum* light = Curve(2);
    Spectrum* one = Curve(1);
    Spectrum* two = Curve(2);
    Spectrum* zero = Curve(0);
    struct Row {
        const char* what;
        colour::Settings settings;
        colour::Inputs inputs;
        const char* error;          // the refusal, or null
        std::vector<double> values; // of the first spectrum in the first round
        std::vector<double> refs;
    } rows[] = {
        {"colour module, two curves: no factor", {.integral = false}, {{s}, {light}, {one, two}}, nullptr,
         {6, 12}, {6, 12}},
        {"integral module normalises to the second curve", {.integral = true}, {{s}, {light}, {one, two}}, nullptr,
         {50, 100}, {50, 100}},
        {"without a light the reference sum is the curve's own", {}, {{s}, {}, {one, two}}, nullptr, {50, 100},
         {50, 100}},
        {"a reference sum of 0", {}, {{s}, {}, {one, zero}}, "Fehler: Normierung nicht möglich, Bezugssumme ist 0!",
         {}, {}},
        {"feature vector without conversion", {.colourMode = false}, {{s}, {light}, {one, two}}, nullptr, {6, 12},
         {1, 1}},
        {"quantum efficiency of a curve of zeros", {.colourMode = false, .isQE = true}, {{s}, {}, {one, zero}},
         "Fehler: Quanteneffizienz-Umrechnung nicht möglich!", {}, {}},
        // g = 1 / 420; the sum of x over the points is 1230.
        {"quantum efficiency", {.colourMode = false, .isQE = true}, {{s}, {}, {one}}, nullptr, {1230.0 / 420.0},
         {1}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        ASSERT_EQ(colour::GridError(row.inputs), nullptr);
        colour::Values out;
        const char* error = nullptr;
        const bool ok = colour::Compute(row.settings, row.inputs, out, error);
        if (row.error) {
            EXPECT_FALSE(ok);
            EXPECT_STREQ(error, row.error);
            continue;
        }
        ASSERT_TRUE(ok);
        ASSERT_EQ(out.values.size(), row.inputs.specs.size() * out.rounds);
        ASSERT_EQ(out.values.front().size(), row.values.size());
        for (std::size_t j = 0; j < row.values.size(); ++j) {
            EXPECT_NEAR(out.values.front()[j], row.values[j], 1e-12);
            EXPECT_NEAR(out.refs.front()[j], row.refs[j], 1e-12);
        }
    }
}

// Responses are saved only for converted feature vectors; sorting ranks the curves by their
// largest response, ascending, with the response unscaled.
TEST_F(ColourValues, ResponsesAndRanking)
{
    Spectrum* s = Curve(1);
    Spectrum* one = Curve(1);
    Spectrum* two = Curve(2);
    colour::Values out;
    const char* error = nullptr;
    ASSERT_TRUE(colour::Compute({.integral = true, .colourMode = false, .isQE = true, .saveResponse = true,
                                 .sort = true},
                                {{s}, {}, {two, one}}, out, error));
    ASSERT_EQ(out.responses.size(), 2u);
    ASSERT_EQ(out.responses[0].size(), 3u);
    EXPECT_NEAR(out.responses[0][2].y, 420 * 2 * (2.0 / 840.0), 1e-12);
    EXPECT_EQ(out.order, (std::vector<std::size_t>{1, 0}));
    EXPECT_EQ(out.best, (std::vector<double>{6, 3}));

    ASSERT_TRUE(colour::Compute({.colourMode = false, .isQE = true}, {{s}, {}, {one}}, out, error));
    EXPECT_TRUE(out.responses.empty());
    EXPECT_TRUE(out.order.empty());
}

TEST_F(ColourValues, GridFaultsInTheirOrder)
{
    Spectrum* s = Curve(1);
    Spectrum* fine = Curve(1, 5, 5);
    Spectrum* shorter = Curve(1, 10, 2);
    Spectrum* later = Curve(1, 10, 3, 410);
    Spectrum* uneven = Curve(1);
    uneven->AddPoint(SPoint(425, 1));
    struct Row {
        colour::Inputs inputs;
        const char* error;
    } rows[] = {
        {{{uneven}, {uneven}, {uneven}}, "Fehler: Spektren sind nicht äquidistant oder haben nicht den gleichen "
                                         "Definitionsbereich!"},
        {{{s}, {uneven}, {s}}, "Fehler: Beleuchtungs-Spektren sind nicht äquidistant oder haben nicht den gleichen "
                               "Definitionsbereich!"},
        {{{s}, {}, {s, shorter}}, "Fehler: Beobachter-Spektren sind nicht äquidistant oder haben nicht den gleichen "
                                  "Definitionsbereich!"},
        {{{s}, {}, {fine}}, "Fehler: Schrittweiten stimmen nicht überein"},
        {{{s}, {fine}, {s}}, "Fehler: Schrittweiten stimmen nicht überein"},
        {{{s}, {}, {later}}, "Fehler: Definitionsbereiche stimmen nicht überein"},
        {{{s}, {later}, {s}}, "Fehler: Definitionsbereiche stimmen nicht überein"},
        {{{s}, {s}, {s}}, nullptr},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.error ? row.error : "none");
        const char* error = colour::GridError(row.inputs);
        if (row.error)
            EXPECT_STREQ(error, row.error);
        else
            EXPECT_EQ(error, nullptr);
    }
}

} // namespace
