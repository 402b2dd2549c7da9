// Standard functions and linear algebra against values computed by GNU Octave
// (reference/make_reference.m wrote reference/reference.txt; Octave is not needed here).
#include "formulux/mc_compiler.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace {

// The inputs of make_reference.m.
constexpr const char* kInputs = "A = [4, -2, 1; 3, 6, -4; 2, 1, 8];\n"
                                "B = [1.5, -0.25, 2; 0.125, 3, -1; 7, 0.5, 0.75];\n"
                                "b = [1; -2; 0.5];\n"
                                "v = [0.5, -1.25, 3, 2, -0.75];\n"
                                "M = [1, 5, -3; 7, -2, 0.5; 2, 2, 9; -4, 6, 1];\n"
                                "R = [1, 2; 3, 4; 5, 6.5];\n";

struct Reference {
    std::string tolerance;
    std::string expression;
    int rows = 0;
    int cols = 0;
    std::vector<double> values;
};

std::vector<Reference> references()
{
    std::ifstream in(std::string(ORVANTA_SOURCE_DIR) + "/tests/libs/formulux/reference/reference.txt");
    std::vector<Reference> out;
    for (std::string line; std::getline(in, line);) {
        if (line.empty() || line[0] == '#')
            continue;
        Reference r;
        const auto t1 = line.find('\t'), t2 = line.find('\t', t1 + 1);
        r.tolerance = line.substr(0, t1);
        r.expression = line.substr(t1 + 1, t2 - t1 - 1);
        std::istringstream numbers(line.substr(t2 + 1));
        numbers.imbue(std::locale::classic());
        numbers >> r.rows >> r.cols;
        for (std::string word; numbers >> word;)
            r.values.push_back(word == "NaN" ? NAN : word == "Inf" ? INFINITY : word == "-Inf" ? -INFINITY : std::stod(word));
        out.push_back(std::move(r));
    }
    return out;
}

TEST(Reference, AgreesWithOctave)
{
    const std::vector<Reference> refs = references();
    ASSERT_GT(refs.size(), 60u);
    for (const Reference& r : refs) {
        SCOPED_TRACE(r.expression);
        CMCCompiler compiler;
        compiler.loadStdFunctions();
        compiler.loadStdVars();
        ASSERT_TRUE(compiler.runCompiler(std::string(kInputs) + "r = " + r.expression + ";")) << compiler.getError();
        ASSERT_TRUE(compiler.runInterpreter()) << compiler.getException();
        const CMCVariable* got = compiler.getVarManager()->getVar("r");
        ASSERT_NE(got, nullptr);
        ASSERT_EQ(got->getRows(), r.rows);
        ASSERT_EQ(got->getCols(), r.cols);
        ASSERT_EQ(r.values.size(), got->numel());
        // Relative to the largest expected magnitude of the result.
        const double tol = r.tolerance == "solve" ? 1e-10 : 1e-14;
        double scale = 0;
        for (const double x : r.values)
            if (std::isfinite(x))
                scale = std::max(scale, std::fabs(x));
        for (std::size_t i = 0; i < r.values.size(); ++i) {
            const double want = r.values[i], have = got->data()[i];
            if (std::isnan(want) || std::isinf(want)) {
                EXPECT_TRUE(std::isnan(want) ? std::isnan(have) : have == want) << i;
                continue;
            }
            EXPECT_LE(std::fabs(have - want), tol * std::max(scale, 1e-300)) << "element " << i << ": " << have
                                                                             << " vs " << want;
        }
    }
}

} // namespace
