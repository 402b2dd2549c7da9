// Colour values of many spectra: the weighted-sum kernel plus xy and L*a*b* on 100,000
// spectra of 401 points (one illuminant, three curves; the peer is bench/peer/numpy_colour.py),
// and the colour module's whole run on 10,000 spectra of a quiet host, with the clipboard
// tree's share.
#include "colour/colour_calculation.h"

#include "core/clipboard_object.h"
#include "core/module.h"
#include "core/module_interface.h"
#include "core/spectrum.h"

#include <colormath/colormath.h>

#include <benchmark/benchmark.h>

#include <cmath>
#include <memory>
#include <string>
#include <vector>

namespace {

constexpr int kPoints = 401;

double SpectrumValue(int k, int i)
{
    return 0.5 + 0.4 * std::sin(0.02 * (380 + i) + 0.001 * k);
}

struct Inputs {
    std::vector<double> spectra, light;
    std::vector<std::vector<double>> curves;
    explicit Inputs(int count)
    {
        spectra.resize(static_cast<std::size_t>(count) * kPoints);
        for (int k = 0; k < count; ++k)
            for (int i = 0; i < kPoints; ++i)
                spectra[static_cast<std::size_t>(k) * kPoints + i] = SpectrumValue(k, i);
        for (int i = 0; i < kPoints; ++i)
            light.push_back(1 + 0.5 * std::cos(0.01 * (380 + i)));
        for (double c : {600.0, 550.0, 450.0}) {
            std::vector<double> curve;
            for (int i = 0; i < kPoints; ++i)
                curve.push_back(std::exp(-std::pow((380 + i - c) / 40.0, 2)));
            curves.push_back(curve);
        }
    }
};

void BM_KernelXyLab(benchmark::State& state)
{
    const int count = static_cast<int>(state.range(0));
    const Inputs in(count);
    const double* curves[3] = {in.curves[0].data(), in.curves[1].data(), in.curves[2].data()};
    std::vector<double> out(static_cast<std::size_t>(count) * 5);
    for (auto _ : state) {
        double ref[3];
        colormath::WeightedSums(in.light.data(), nullptr, curves, 3, kPoints, ref);
        const double f = 100.0 / ref[1];
        for (double& r : ref)
            r *= f;
        for (int k = 0; k < count; ++k) {
            double v[3];
            colormath::WeightedSums(&in.spectra[static_cast<std::size_t>(k) * kPoints], in.light.data(), curves, 3,
                                    kPoints, v);
            for (double& x : v)
                x *= f;
            const auto xy = colormath::ToChromaticity(v[0], v[1], v[2]);
            double* o = &out[static_cast<std::size_t>(k) * 5];
            o[0] = xy ? xy->x : 0;
            o[1] = xy ? xy->y : 0;
            colormath::XYZToLab(v[0], v[1], v[2], ref[0], ref[1], ref[2], o[2], o[3], o[4]);
        }
        benchmark::DoNotOptimize(out.data());
    }
    state.SetItemsProcessed(state.iterations() * count);
}
BENCHMARK(BM_KernelXyLab)->Arg(100000)->Unit(benchmark::kMillisecond);

// A host that only holds the trees.
class QuietHost : public ModuleInterface {
public:
    SpectrumTree* GetSpectrumTree() override { return &spectra; }
    ClipboardTree* GetClipboardTree() override { return &clipboard; }
    SpectrumTree spectra;
    ClipboardTree clipboard;
};

void AddCurve(SpectrumTree& tree, const std::string& name, const std::vector<double>& y)
{
    auto* s = new Spectrum;
    s->SetName(name);
    for (int i = 0; i < kPoints; ++i)
        s->AddPoint(SPoint(380 + i, y[static_cast<std::size_t>(i)]));
    tree.AddInserter(s);
}

void BM_CalculateColors(benchmark::State& state)
{
    const int count = static_cast<int>(state.range(0));
    const Inputs in(count);
    QuietHost host;
    for (int k = 0; k < count; ++k)
        AddCurve(host.spectra, "Proben:S" + std::to_string(k),
                 std::vector<double>(in.spectra.begin() + static_cast<long>(k) * kPoints,
                                     in.spectra.begin() + static_cast<long>(k + 1) * kPoints));
    AddCurve(host.spectra, "Licht:L", in.light);
    for (int j = 0; j < 3; ++j)
        AddCurve(host.spectra, "O:" + std::to_string(j), in.curves[static_cast<std::size_t>(j)]);
    ColorTessarine module;
    module.SetModuleInterface(&host);
    module.getParameters().setStringParameter("SpecDesc", "Proben");
    module.getParameters().setStringParameter("LightDesc", "Licht");
    module.getParameters().setStringParameter("ObserverDesc", "O");
    module.getParameters().setStringParameter("TargetGroup", "T");
    for (auto _ : state)
        benchmark::DoNotOptimize(module.CalculateColors());
    state.SetItemsProcessed(state.iterations() * count);
}
BENCHMARK(BM_CalculateColors)->Arg(10000)->Unit(benchmark::kMillisecond);

// The clipboard tree's share: filing and replacing the same objects alone.
void BM_ClipboardFiling(benchmark::State& state)
{
    const int count = static_cast<int>(state.range(0));
    ClipboardTree tree;
    const double values[3] = {1, 2, 3};
    for (auto _ : state) {
        tree.DeleteInserters("T");
        for (int k = 0; k < count; ++k) {
            auto* o = new ClipboardObject;
            o->SetName("T:L:S" + std::to_string(k));
            o->GetParameters().addDouble1DArrayParameter("ClpValues", "", 3, values, 0);
            o->GetParameters().addDouble1DArrayParameter("ClpRefs", "", 3, values, 0);
            if (!tree.AddInserter(o))
                delete o;
        }
    }
    state.SetItemsProcessed(state.iterations() * count);
}
BENCHMARK(BM_ClipboardFiling)->Arg(10000)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
