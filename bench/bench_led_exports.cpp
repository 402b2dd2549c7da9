// The LED exports and the random spectra:
// - random spectra: 10 drive entries x 100 spectra of a 6-LED Gaussian array from 380 to 780
//   nm in steps of 1 nm (spectra/s); bench/peer/led_random_numpy.py does the same with numpy,
//   one spectrum per pass;
// - the C source export of a 401 x 100 LED matrix, 10 targets and 70 interpolators, and the
//   plot script of 10,000 objects with 7 values each (MB/s), each beside writes of the same
//   bytes in the same run: mode 0 plain (fwrite, fclose), mode 1 plain with fsync, mode 2 as
//   the exports write (temporary file, fsync, rename over the old file).
#include "led_bench_host.h"
#include "qt_bench_main.h"

#include "modules/create_source_module.h"
#include "modules/gnuplot_export_module.h"
#include "modules/led_random_specs_module.h"

#include "platform/file_contents.h"
#include "platform/random.h"

#include <unistd.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

namespace {

using led_bench::BenchHost;
using led_bench::TempPath;

void BM_RandomSpectra(benchmark::State& state)
{
    BenchHost host;
    for (int i = 0; i < 6; ++i) {
        auto* o = new ClipboardObject;
        o->SetName("In:L" + std::to_string(i));
        ns_param::Paramora& p = o->GetParameters();
        p.addStringParameter("Name", "", "L" + std::to_string(i), "");
        p.addStringParameter("SpectralModel", "", "GaussianLEDModel", "");
        p.addStringParameter("PeakWavelength", "", std::to_string(0.42 + 0.05 * i), "");
        p.addStringParameter("FWHM", "", "0.03", "");
        host.clipboard.AddInserter(o);
    }
    for (int e = 0; e < 10; ++e) {
        auto* o = new ClipboardObject;
        o->SetName("Drive:E" + std::to_string(e));
        const double drives[6] = {1.0, 0.9, 0.8, 0.7, 0.6, 0.5 + 0.05 * e};
        o->GetParameters().addDouble1DArrayParameter("Lightnesses", "", 6, drives, 0.0);
        host.clipboard.AddInserter(o);
    }
    LEDRandomSpecsModule module;
    module.SetModuleInterface(&host);
    ns_param::Paramora& p = module.getParameters();
    p.setStringParameter("LEDsDesc", "In");
    p.setStringParameter("LightnessDesc", "Drive");
    p.setStringParameter("SpecGroup", "Out");
    p.setIntParameter("SpecCount", 100);
    p.setDoubleParameter("XStep", 1);
    // Without noise the work is what the peer does; with it every spectrum has models of
    // its own, drawn within their limits.
    p.setBoolParameter("NoiseLEDParams", state.range(0) != 0);
    platform::SRand(1);
    for (auto _ : state) {
        state.PauseTiming();
        host.spectra.DeleteInserters("Out");
        state.ResumeTiming();
        if (!module.calculate_specs() || host.spectra.GetInserters().size() != 1000)
            std::abort();
    }
    state.counters["spectra/s"] = benchmark::Counter(1000.0 * state.iterations(), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_RandomSpectra)->Arg(0)->Arg(1)->ArgName("noise")->Unit(benchmark::kMillisecond)->UseRealTime();

std::string ReadAll(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

void AddSpectra(BenchHost& host, const std::string& group, int count, int points)
{
    for (int i = 0; i < count; ++i) {
        auto* s = new Spectrum;
        s->SetName(group + ":s" + std::to_string(i));
        for (int k = 0; k < points; ++k)
            s->AddPoint(SPoint(380 + k, std::sin(0.01 * k + i) * 0.734912 + 1.0));
        host.spectra.AddInserter(s);
    }
}

// Runs the export, then reports MB/s of its file.
template <class M>
void RunExport(benchmark::State& state, M& module, bool (M::*operation)(), const std::string& file)
{
    std::size_t bytes = 0;
    for (auto _ : state) {
        if (!(module.*operation)())
            std::abort();
        state.PauseTiming();
        bytes = std::filesystem::file_size(file);
        state.ResumeTiming();
    }
    state.SetBytesProcessed(static_cast<int64_t>(bytes) * state.iterations());
    std::filesystem::remove(file);
}

// The same bytes written in the given mode (see above).
void RunPlainWrite(benchmark::State& state, const std::string& content, const std::string& file, int mode)
{
    if (mode == 2) {
        for (auto _ : state)
            if (!platform::ReplaceFileContents(file, content))
                std::abort();
        state.SetBytesProcessed(static_cast<int64_t>(content.size()) * state.iterations());
        std::filesystem::remove(file);
        return;
    }
    const bool sync = mode == 1;
    for (auto _ : state) {
        std::FILE* f = std::fopen(file.c_str(), "wb");
        if (!f || std::fwrite(content.data(), 1, content.size(), f) != content.size())
            std::abort();
        if (sync && (std::fflush(f) != 0 || fsync(fileno(f)) != 0))
            std::abort();
        std::fclose(f);
    }
    state.SetBytesProcessed(static_cast<int64_t>(content.size()) * state.iterations());
    std::filesystem::remove(file);
}

struct SourceSetup {
    SourceSetup()
    {
        AddSpectra(host, "L", 100, 401);
        AddSpectra(host, "T", 10, 401);
        AddSpectra(host, "I", 70, 401);
        module.SetModuleInterface(&host);
        ns_param::Paramora& p = module.getParameters();
        p.setStringParameter("LEDSpecs", "L");
        p.setStringParameter("TargetSpecs", "T");
        p.setStringParameter("InterpolatorSpecs", "I");
        p.setStringParameter("Filename", file);
    }
    BenchHost host;
    CreateSourceModule module;
    std::string file = TempPath("bench_led_source.c");
};

void BM_SourceExport(benchmark::State& state)
{
    SourceSetup s;
    RunExport(state, s.module, &CreateSourceModule::create_source, s.file);
}
BENCHMARK(BM_SourceExport)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_SourcePlainWrite(benchmark::State& state)
{
    SourceSetup s;
    if (!s.module.create_source())
        std::abort();
    RunPlainWrite(state, ReadAll(s.file), s.file, static_cast<int>(state.range(0)));
}
BENCHMARK(BM_SourcePlainWrite)->Arg(0)->Arg(1)->Arg(2)->ArgName("mode")->Unit(benchmark::kMillisecond)->UseRealTime();

struct PlotSetup {
    PlotSetup()
    {
        for (int i = 0; i < 10000; ++i) {
            auto* o = new ClipboardObject;
            o->SetName("M:o" + std::to_string(i));
            double values[7];
            for (int k = 0; k < 7; ++k)
                values[k] = std::sin(i * 0.001 + k) * 1234.5678;
            o->GetParameters().addDouble1DArrayParameter("Measures", "", 7, values, 0.0);
            host.clipboard.AddInserter(o);
        }
        module.SetModuleInterface(&host);
        module.getParameters().setStringParameter("ClipboardObjectsDesc", "M");
        module.getParameters().setStringParameter("Filename", file);
    }
    BenchHost host;
    GnuplotExportModule module;
    std::string file = TempPath("bench_led_plot.gp");
};

void BM_PlotExport(benchmark::State& state)
{
    PlotSetup s;
    RunExport(state, s.module, &GnuplotExportModule::do_export, s.file);
}
BENCHMARK(BM_PlotExport)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_PlotPlainWrite(benchmark::State& state)
{
    PlotSetup s;
    if (!s.module.do_export())
        std::abort();
    RunPlainWrite(state, ReadAll(s.file), s.file, static_cast<int>(state.range(0)));
}
BENCHMARK(BM_PlotPlainWrite)->Arg(0)->Arg(1)->Arg(2)->ArgName("mode")->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace

int main(int argc, char** argv)
{
    return RunBenchmarksWithApplication(argc, argv);
}
