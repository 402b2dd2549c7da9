// What a module waits for when it reports through the host: log lines (the log at its cap,
// each line painted at once) and progress reports, on the offscreen platform with the main
// window at 1200 x 900.
#include "qt_bench_main.h"

#include "app/velmont_doc.h"
#include "ui/log_window_view.h"
#include "ui/main_frame.h"

#include <QCoreApplication>

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

} // namespace

int main(int argc, char** argv)
{
    return RunBenchmarksWithApplication(argc, argv);
}
