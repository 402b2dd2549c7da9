// Drawing of the spectrum plot: 500 spectra of 401 points (380..780 nm, smooth peaks,
// distinct colours) into a 1200 x 800 plot with default settings, timed from the snapshot
// to the finished picture; the same with the spectral underlay off; 5000 spectra with
// time-optimised drawing (500 drawn); and plain QPainter polylines of the same 500
// spectra (antialiasing off) as the yardstick.
#include "controls/spectrum_plot.h"
#include "core/spectrum.h"
#include "qt_bench_main.h"

#include <QColor>
#include <QEventLoop>
#include <QImage>
#include <QPainter>
#include <QTimer>
#include <benchmark/benchmark.h>

#include <cmath>
#include <memory>
#include <vector>

namespace {

constexpr int kPoints = 401;

std::vector<std::unique_ptr<Spectrum>> MakeSpectra(int count)
{
    std::vector<std::unique_ptr<Spectrum>> spectra;
    for (int i = 0; i < count; ++i) {
        auto s = std::make_unique<Spectrum>();
        s->SetName("Bench:Serie:" + std::to_string(i));
        const QColor c = QColor::fromHsv((i * 360 / count) % 360, 220, 200);
        s->SetColor(RGB(c.red(), c.green(), c.blue()));
        const double centre = 400 + (i * 7919) % 360;
        const double width = 10 + i % 40;
        const double height = 0.3 + 0.7 * ((i * 31) % 100) / 100.0;
        for (int k = 0; k < kPoints; ++k) {
            const double x = 380 + k;
            s->AddPoint(SPoint(x, height * std::exp(-0.5 * (x - centre) * (x - centre) / (width * width))
                                      + 0.02 * std::sin(x / 17.0 + i)));
        }
        spectra.push_back(std::move(s));
    }
    return spectra;
}

// A 1200 x 800 plot showing the spectra, after its first drawing (which also makes the
// random choice of 500 for long lists).
std::unique_ptr<CSpecDisplay> MakePlot(const std::vector<std::unique_ptr<Spectrum>>& spectra)
{
    auto plot = std::make_unique<CSpecDisplay>();
    plot->resize(1200, 800);
    plot->show();
    std::list<Spectrum*> list;
    for (const auto& s : spectra)
        list.push_back(s.get());
    plot->SetFromSpectrumList(list);
    QEventLoop loop;
    QObject::connect(plot.get(), &CSpecDisplay::drawFinished, &loop, &QEventLoop::quit);
    QTimer::singleShot(60000, &loop, &QEventLoop::quit);
    plot->repaint();
    loop.exec();
    return plot;
}

void RenderFromSnapshot(benchmark::State& state, int count, bool underlay)
{
    const auto spectra = MakeSpectra(count);
    const auto plot = MakePlot(spectra);
    *plot->settings().ShowSpekGraph = underlay;
    const std::atomic<bool> abort{false};
    int drawn = 0;
    for (auto _ : state) {
        const RenderResult result = RenderPlot(plot->MakeRenderJob(), abort);
        drawn = result.drawn;
        benchmark::DoNotOptimize(result.image.constBits());
    }
    state.counters["drawn"] = drawn;
    state.counters["fps"] = benchmark::Counter(static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
}

void BM_Plot500(benchmark::State& state)
{
    RenderFromSnapshot(state, 500, true);
}
void BM_Plot500NoUnderlay(benchmark::State& state)
{
    RenderFromSnapshot(state, 500, false);
}
void BM_Plot5000Optimised(benchmark::State& state)
{
    RenderFromSnapshot(state, 5000, true);
}

// The same 500 spectra as plain polylines with a cosmetic pen, antialiasing off, into an
// image of the plot area's size.
void BM_QPainterPolylines500(benchmark::State& state)
{
    const auto spectra = MakeSpectra(500);
    const PlotRect client{0, 0, 1200, 800};
    const PlotRect area = PlotAreaOf(client);
    const PlotTransform t = PlotTransform::For(client, {380, 780, -0.1, 1.1}, false);
    QImage image(area.Width(), area.Height(), QImage::Format_ARGB32_Premultiplied);
    std::vector<QPointF> points(kPoints);
    for (auto _ : state) {
        image.fill(Qt::white);
        QPainter painter(&image);
        painter.setRenderHint(QPainter::Antialiasing, false);
        for (const auto& s : spectra) {
            for (int k = 0; k < kPoints; ++k) {
                const SPoint p = (*s)[k];
                points[k] = QPointF(t.ScreenX(p.x) - area.left, t.ScreenYRaw(p.y) - area.top);
            }
            const COLORREF c = s->GetColor();
            painter.setPen(QColor(GetRValue(c), GetGValue(c), GetBValue(c)));
            painter.drawPolyline(points.data(), kPoints);
        }
        painter.end();
        benchmark::DoNotOptimize(image.constBits());
    }
    state.counters["fps"] = benchmark::Counter(static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
}

BENCHMARK(BM_Plot500)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Plot500NoUnderlay)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Plot5000Optimised)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_QPainterPolylines500)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv)
{
    return RunBenchmarksWithApplication(argc, argv);
}
