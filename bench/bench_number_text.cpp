// Locale-free number formatting: "%g" and "%.8f" per value, beside snprintf in the C locale,
// on the values of spectra (0.27 .. 1.73), small values that take the exponent form, and the
// measures of a plot export.
#include "core/number_text.h"

#include <benchmark/benchmark.h>

#include <clocale>
#include <cmath>
#include <cstdio>
#include <vector>

namespace {

std::vector<double> Values(int kind)
{
    std::vector<double> v(4096);
    // In the order of a matrix export: neighbouring texts belong to different spectra.
    for (std::size_t i = 0; i < v.size(); ++i) {
        const double s = std::sin(0.01 * static_cast<double>(i * 97 % v.size()) + static_cast<double>(i % 100));
        v[i] = kind == 0 ? s * 0.734912 + 1.0 : kind == 1 ? 1e-6 * (s + 1.1) : 1000.0 * s;
    }
    return v;
}

// As an export uses it: each text right after the one before, with ", " between.
void BM_FormatG(benchmark::State& state)
{
    const std::vector<double> values = Values(static_cast<int>(state.range(0)));
    std::vector<char> text(values.size() * (number_text::kFormatGSize + 2));
    for (auto _ : state) {
        char* p = text.data();
        for (const double v : values) {
            p = number_text::FormatG(v, p);
            *p++ = ',';
            *p++ = ' ';
        }
        benchmark::DoNotOptimize(p);
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(static_cast<int64_t>(values.size()) * state.iterations());
}
BENCHMARK(BM_FormatG)->Arg(0)->Arg(1)->ArgName("small");


void BM_FormatFixed8(benchmark::State& state)
{
    const std::vector<double> values = Values(2);
    std::vector<char> text(values.size() * (number_text::kFormatFixedSize + 1));
    for (auto _ : state) {
        char* p = text.data();
        for (const double v : values) {
            p = number_text::FormatFixed(v, 8, p);
            *p++ = '\n';
        }
        benchmark::DoNotOptimize(p);
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(static_cast<int64_t>(values.size()) * state.iterations());
}
BENCHMARK(BM_FormatFixed8);

// The C library's formatting of the same values, for comparison.
void BM_SnprintfG(benchmark::State& state)
{
    const std::vector<double> values = Values(static_cast<int>(state.range(0)));
    char buf[64];
    for (auto _ : state)
        for (const double v : values) {
            benchmark::DoNotOptimize(std::snprintf(buf, sizeof buf, "%g", v));
            benchmark::ClobberMemory();
        }
    state.SetItemsProcessed(static_cast<int64_t>(values.size()) * state.iterations());
}
BENCHMARK(BM_SnprintfG)->Arg(0)->Arg(1)->ArgName("small");

} // namespace

BENCHMARK_MAIN();
