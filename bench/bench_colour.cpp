// Colour values of LED spectra on the 401-point grid (380-780 nm at 1 nm): the tristimulus
// values, chromaticity, L*a*b* and DIN99 of each spectrum, and the test-colour figure.
#include "engine/color_calculator.h"
#include "engine/color_data.h"
#include "engine/grid.h"

#include <benchmark/benchmark.h>

#include <cmath>
#include <vector>

namespace {

struct Setup {
    Setup()
    {
        XStart = 0.38;
        XEnd = 0.78;
        XStep = 0.001;
        SetColorDataFolder(LED_COLOUR_DATA_DIR);
        const int n = GridPointCount();
        // Sixteen Gaussian LED lines across the visible range, and a broad white reference.
        for (int k = 0; k < 16; ++k) {
            LSMatrixHandle s(n, 1);
            const double peak = 0.42 + 0.022 * k;
            for (int i = 0; i < n; ++i) {
                const double u = (XStart + i * XStep - peak) / 0.015;
                s[i] = std::exp(-0.6931 * u * u);
            }
            spectra.push_back(std::move(s));
        }
        reference = LSMatrixHandle(n, 1);
        ColorCalculator::BlackBodySpectrum(reference, 5000.0);
    }
    std::vector<LSMatrixHandle> spectra;
    LSMatrixHandle reference;
};

Setup& Data()
{
    static Setup setup;
    return setup;
}

void BM_ColourValues(benchmark::State& state)
{
    Setup& d = Data();
    ColorCalculator cc;
    double Xn, Yn, Zn;
    cc.GetLightXYZ(d.reference, Xn, Yn, Zn);
    std::size_t k = 0;
    for (auto _ : state) {
        double X, Y, Z, L, a, b, L99, a99, b99;
        cc.GetLightXYZ(d.spectra[k++ % d.spectra.size()], X, Y, Z);
        const double sum = X + Y + Z;
        const double x = X / sum, y = Y / sum;
        ColorCalculator::XYZToLab(X, Y, Z, Xn, Yn, Zn, L, a, b);
        ColorCalculator::LabToDIN99(L, a, b, L99, a99, b99);
        benchmark::DoNotOptimize(x + y + L99 + a99 + b99);
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_ColourValues);

void BM_TestColourDifference(benchmark::State& state)
{
    Setup& d = Data();
    ColorCalculator cc;
    std::size_t k = 0;
    for (auto _ : state) {
        double maxDifference = 0.0;
        benchmark::DoNotOptimize(
            cc.GetTestColourDifference(d.spectra[k++ % d.spectra.size()], d.reference, maxDifference));
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_TestColourDifference);

} // namespace

BENCHMARK_MAIN();
