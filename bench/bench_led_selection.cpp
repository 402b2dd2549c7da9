// One LED selection run as a user starts it: 40 Gaussian candidates, 4 targets from 380 to
// 780 nm in steps of 2 nm, 5 LEDs per combination, 10 proposals, 20 generations (105
// combinations fitted). Counter: combinations/s; bench/peer/led_selection_scipy.py fits the
// same number of combinations of the same problem with scipy's least_squares.
// BM_FitsAlone fits 105 combinations without the selector and the module, so the share of a
// run spent outside the fitter is 1 - FitsAlone / SelectionRun.
#include "led_bench_host.h"
#include "qt_bench_main.h"

#include "modules/led_selection_module.h"

#include "engine/led_array.h"
#include "engine/led_db.h"
#include "engine/led_fitter.h"
#include "engine/spectra_set.h"

#include "platform/random.h"

#include <cmath>
#include <cstdlib>
#include <string>

namespace {

using led_bench::BenchHost;

constexpr int kCandidates = 40;
constexpr int kCombinations = 10 + 19 * 5; // the first generation's ten, then five new per generation

double Peak(int i)
{
    return 0.40 + 0.30 * i / (kCandidates - 1);
}

double Fwhm(int i)
{
    return 0.02 + 0.005 * (i % 5);
}

double Gauss(double xUm, double peak, double fwhm)
{
    const double u = (xUm - peak) / (fwhm / 2);
    return std::exp(-std::log(2.0) * u * u);
}

// Target t: a mix of three candidates.
double Target(int t, double xUm)
{
    const int a = 3 + 9 * t, b = (a + 13) % kCandidates, c = (a + 27) % kCandidates;
    return 0.8 * Gauss(xUm, Peak(a), Fwhm(a)) + 0.5 * Gauss(xUm, Peak(b), Fwhm(b)) +
           0.3 * Gauss(xUm, Peak(c), Fwhm(c));
}

void Fill(BenchHost& host)
{
    for (int i = 0; i < kCandidates; ++i) {
        auto* o = new ClipboardObject;
        o->SetName("In:C" + std::to_string(i));
        ns_param::Paramora& p = o->GetParameters();
        p.addStringParameter("Name", "", "C" + std::to_string(i), "");
        p.addStringParameter("SpectralModel", "", "GaussianLEDModel", "");
        p.addStringParameter("PeakWavelength", "", std::to_string(Peak(i)), "");
        p.addStringParameter("FWHM", "", std::to_string(Fwhm(i)), "");
        host.clipboard.AddInserter(o);
    }
    for (int t = 0; t < 4; ++t) {
        auto* s = new Spectrum;
        s->SetName("Ziel:T" + std::to_string(t));
        for (int k = 0; k < 201; ++k)
            s->AddPoint(SPoint(380 + 2 * k, Target(t, (380 + 2 * k) / 1000.0)));
        host.spectra.AddInserter(s);
    }
}

void BM_SelectionRun(benchmark::State& state)
{
    BenchHost host;
    Fill(host);
    LEDSelectionModule module;
    module.SetModuleInterface(&host);
    ns_param::Paramora& p = module.getParameters();
    p.setStringParameter("TargetSpecs", "Ziel");
    p.setStringParameter("LEDsDesc", "In");
    p.setStringParameter("ClipboardTargetGroup", "Best");
    p.setIntParameter("LEDCount", 5);
    p.setIntParameter("ProposalCount", 10);
    p.setIntParameter("SelectorIterationCount", 20);
    unsigned seed = 1;
    for (auto _ : state) {
        platform::SRand(seed++);
        if (!module.do_selection())
            std::abort();
    }
    state.counters["combinations/s"] =
        benchmark::Counter(static_cast<double>(kCombinations) * state.iterations(), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_SelectionRun)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_FitsAlone(benchmark::State& state)
{
    BenchHost host;
    Fill(host);
    LEDSelectionModule reader; // only for its transfers into the engine
    reader.SetModuleInterface(&host);
    reader.BeginRun();
    SpectraSet targets;
    reader.ReadSpectraSet(targets, "Ziel");
    LedDB db;
    reader.ReadLEDList(db, "In");
    reader.EndRun();
    unsigned seed = 1;
    for (auto _ : state) {
        platform::SRand(seed++);
        for (int c = 0; c < kCombinations; ++c) {
            LEDArray array;
            for (int k = 0; k < 5; ++k) {
                const int i = (platform::Rand() + 7 * k) % kCandidates;
                array.AddLED(db.EntryAt(i), i);
            }
            LEDFitter fitter;
            fitter.Setup(&array, &targets, nullptr);
            benchmark::DoNotOptimize(fitter.Fit());
        }
    }
    state.counters["combinations/s"] =
        benchmark::Counter(static_cast<double>(kCombinations) * state.iterations(), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_FitsAlone)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace

int main(int argc, char** argv)
{
    return RunBenchmarksWithApplication(argc, argv);
}
