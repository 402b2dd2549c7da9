// Sum spectra of LED models on a 401-point grid, as a light source of 20 LEDs is rendered:
// each channel sampled, scaled by its drive and added. With an unchanged temperature the
// samples come from the models' caches; with a new temperature each time they are computed.

#include "engine/grid.h"
#include "engine/led_model.h"
#include "engine/ls_matrix.h"

#include <benchmark/benchmark.h>

#include <memory>
#include <vector>

namespace {

class LightSource {
public:
    LightSource()
    {
        XStart = 0.38;
        XEnd = 0.78;
        XStep = 0.001;
        sum_ = LSMatrixHandle(GridPointCount(), 1);
        sample_ = LSMatrixHandle(GridPointCount(), 1);
        for (int i = 0; i < 20; ++i) {
            std::unique_ptr<LEDModel> m(CreateLEDModelByIndex(i % 8));
            // Spread the peaks over the grid; shapes without these keys ignore them.
            m->params.SetDouble("PeakWavelength", 0.42 + 0.015 * i);
            m->params.SetDouble("FWHM", 0.02 + 0.001 * i);
            m->params.SetDouble("PeakShiftPerKelvin", 0.0001);
            m->params.SetDouble("IntensityLossPerKelvin", 0.002);
            for (int c = 0; c < m->GetChannelCount(); ++c)
                drives_.push_back(0.3 + 0.03 * static_cast<double>(drives_.size()));
            models_.push_back(std::move(m));
        }
    }

    LSMatrix Compute(double temperature)
    {
        MatZero(sum_);
        std::size_t d = 0;
        for (const auto& m : models_)
            for (int c = 0; c < m->GetChannelCount(); ++c) {
                m->SampleChannel(sample_, XStart, XEnd, XStep, temperature, c);
                MatScale(sample_, sample_, drives_[d++]);
                MatAdd(sum_, sum_, sample_);
            }
        return sum_;
    }

private:
    std::vector<std::unique_ptr<LEDModel>> models_;
    std::vector<double> drives_;
    LSMatrixHandle sum_, sample_;
};

void BM_LedSpectrumSum_CacheHit(benchmark::State& state)
{
    LightSource source;
    for (auto _ : state)
        benchmark::DoNotOptimize(source.Compute(298.15)[200]);
    state.SetItemsProcessed(state.iterations());
    state.SetLabel("spectra");
}
BENCHMARK(BM_LedSpectrumSum_CacheHit);

void BM_LedSpectrumSum_CacheMiss(benchmark::State& state)
{
    LightSource source;
    double temperature = 298.15;
    for (auto _ : state) {
        temperature += 0.001;
        benchmark::DoNotOptimize(source.Compute(temperature)[200]);
    }
    state.SetItemsProcessed(state.iterations());
    state.SetLabel("spectra");
}
BENCHMARK(BM_LedSpectrumSum_CacheMiss);

} // namespace

BENCHMARK_MAIN();
