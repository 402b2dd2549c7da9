// The colour diagram: layout and paint of 10,000 points (half linked, loci on) into an
// 800 x 800 image for each type, with names off and on, and auto-zoom after 10,000 AddPoint.
#include "qt_bench_main.h"

#include <colordiagram/color_diagram_control.h>

#include <QImage>
#include <QPainter>

#include <cmath>
#include <string>

namespace {

void Fill(ColorDiagramControl& d, int count)
{
    d.RemoveAllPoints();
    for (int i = 0; i < count; ++i) {
        const double t = i * 0.001;
        d.SetReferenceX(95.047);
        d.SetReferenceY(100);
        d.SetReferenceZ(108.883);
        d.AddPoint(30 + 20 * std::sin(t), 30 + 10 * std::cos(3 * t), 25 + 15 * std::sin(7 * t), "P" + std::to_string(i),
                   "Normbeobachter", "D65");
        if (i % 2 == 1)
            d.LinkPoints(i, i - 1);
    }
}

void BM_Paint(benchmark::State& state)
{
    ColorDiagramControl d;
    d.SetDiagramType(static_cast<int>(state.range(0)));
    d.SetShowSpectralColors(true);
    d.SetShowPlanckianLocus(true);
    d.SetShowNames(state.range(1) != 0);
    d.SetShowColorValues(false);
    Fill(d, 10000);
    QImage image(800, 800, QImage::Format_RGB32);
    for (auto _ : state) {
        QPainter painter(&image);
        d.Render(painter, 800, 800);
    }
}
BENCHMARK(BM_Paint)->ArgsProduct({{0, 1, 2}, {0, 1}})->ArgNames({"type", "names"})->Unit(benchmark::kMillisecond);

void BM_AutoZoomAfterAddPoint(benchmark::State& state)
{
    ColorDiagramControl d;
    d.SetAutoZoom(true);
    for (auto _ : state) {
        Fill(d, 10000);
        benchmark::DoNotOptimize(d.GetScaleX());
    }
}
BENCHMARK(BM_AutoZoomAfterAddPoint)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv)
{
    return RunBenchmarksWithApplication(argc, argv);
}
