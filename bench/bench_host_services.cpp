// What a module waits for when it reports through the host: log lines (the log at its cap,
// each line painted at once), progress reports, a long point loop with and without them and
// the black-body module over 9.9 million points, on the offscreen platform with the main window
// at 1200 x 900.
#include "qt_bench_main.h"

#include "app/velmont_doc.h"
#include "calculation/normalize_module.h"
#include "calculation/planckian_source_module.h"
#include "ui/log_window_view.h"
#include "ui/main_frame.h"

#include <QCoreApplication>

#include <cmath>
#include <memory>
#include <string>

namespace {

struct Window {
    Window()
    {
        frame.BuildLayout();
        frame.resize(1200, 900);
        frame.show();
        QCoreApplication::processEvents();
        doc.SetMainFrame(&frame);
    }
    ~Window() { doc.SetMainFrame(nullptr); }

    CMainFrame frame;
    CVelmontDoc doc;
};

// Lines of length chars; 600 characters are split in two.
void BM_LogColorMessage(benchmark::State& state)
{
    Window window;
    const std::string text = "Hinweis: " + std::string(static_cast<std::size_t>(state.range(0)), 'x');
    std::string line = text;
    for (std::size_t i = 60; i < line.size(); i += 60)
        line[i] = ' ';
    for (int i = 0; i < 600; ++i)
        window.doc.AddLogColorMessage(0x007000, "%s", line.c_str());
    for (auto _ : state)
        window.doc.AddLogColorMessage(0x007000, "%s", line.c_str());
    state.SetItemsProcessed(state.iterations());
    state.counters["lines"] = static_cast<double>(window.frame.GetLogView()->Model().LineCount());
}
BENCHMARK(BM_LogColorMessage)->Arg(80)->Arg(600)->Unit(benchmark::kMicrosecond);

void BM_SetProgressBarPercentage(benchmark::State& state)
{
    Window window;
    window.doc.StartCalculation();
    double percent = 0.0;
    for (auto _ : state) {
        percent = percent >= 99.0 ? 0.5 : percent + 0.37;
        window.doc.SetProgressBarPercentage(percent);
    }
    window.doc.EndCalculation();
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_SetProgressBarPercentage)->Unit(benchmark::kMicrosecond);

// A module's loop of ten million points (a black-body value each), once with a progress report
// and an abort poll per point through the real host, once without: the difference is what
// reporting costs.
double BlackBody(double nm)
{
    const double m = nm * 1e-9;
    return 3.741771852e-16 / (m * m * m * m * m * (std::exp(1.438776877e-2 / (m * 5000.0)) - 1.0));
}

void BM_PointLoop(benchmark::State& state)
{
    const bool report = state.range(0) != 0;
    constexpr int kPoints = 10'000'000;
    Window window;
    for (auto _ : state) {
        window.doc.StartCalculation();
        double sum = 0.0;
        for (int k = 0; k < kPoints; ++k) {
            sum += BlackBody(100.0 + 0.01 * k);
            if (report) {
                window.doc.SetProgressBarPercentage((k + 1) * (100.0 / kPoints));
                if (window.doc.UserWantsAbort())
                    break;
            }
        }
        benchmark::DoNotOptimize(sum);
        window.doc.EndCalculation();
    }
    state.SetLabel(report ? "with progress and abort poll per point" : "bare");
}
BENCHMARK(BM_PointLoop)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

// The black-body module over 100-99,000 nm at 0.01 nm (9.9 million points) with the program's host.
void BM_PlanckModule(benchmark::State& state)
{
    Window window;
    PlanckianSourceModule module;
    module.SetModuleInterface(&window.doc);
    ns_param::Paramora& p = module.getParameters();
    p.setDoubleParameter("Temperature", 5000);
    p.setDoubleParameter("XStart", 100);
    p.setDoubleParameter("XEnd", 99000);
    p.setDoubleParameter("XStep", 0.01);
    for (auto _ : state) {
        window.doc.StartCalculation();
        benchmark::DoNotOptimize(module.calculate());
        window.doc.EndCalculation();
        state.PauseTiming();
        window.doc.GetSpectrumTree()->ClearTree();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_PlanckModule)->Unit(benchmark::kMillisecond)->Iterations(2);

// Normalising 3,000 spectra of 401 points (300-1300 nm) onto 0.01 nm steps: 3,000 x 100,001
// points written, with the program's host.
void BM_NormaliseModule(benchmark::State& state)
{
    Window window;
    NormalizeModule module;
    module.SetModuleInterface(&window.doc);
    ns_param::Paramora& p = module.getParameters();
    p.setStringParameter("SpecDesc", "In");
    p.setStringParameter("TargetGroup", "Out");
    p.setBoolParameter("UseTargetGroup", true);
    p.setDoubleParameter("XStart", 300);
    p.setDoubleParameter("XEnd", 1300);
    p.setDoubleParameter("XStep", 0.01);
    for (auto _ : state) {
        state.PauseTiming();
        window.doc.GetSpectrumTree()->ClearTree();
        for (int k = 0; k < 3000; ++k) {
            auto* s = new Spectrum;
            s->SetName("In:S" + std::to_string(k));
            for (int i = 0; i <= 400; ++i)
                s->AddPoint(SPoint(300.0 + 2.5 * i, 1.0 + 0.001 * k + std::sin(0.01 * i)));
            if (!window.doc.GetSpectrumTree()->AddInserter(s))
                delete s;
        }
        state.ResumeTiming();
        window.doc.StartCalculation();
        benchmark::DoNotOptimize(module.normalize());
        window.doc.EndCalculation();
    }
    window.doc.GetSpectrumTree()->ClearTree();
}
BENCHMARK(BM_NormaliseModule)->Unit(benchmark::kMillisecond)->Iterations(1);

} // namespace

int main(int argc, char** argv)
{
    return RunBenchmarksWithApplication(argc, argv);
}
