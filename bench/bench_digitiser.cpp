// The digitising dialog on a 4000 x 3000 picture: the one-time scaling when it opens, and
// the redraw after each click with 200 points and more on the curve.
#include "image_dialog.h"

#include "qt_bench_main.h"

#include <cmath>

namespace {

QImage Picture()
{
    QImage picture(4000, 3000, QImage::Format_RGB32);
    for (int y = 0; y < picture.height(); ++y) {
        QRgb* line = reinterpret_cast<QRgb*>(picture.scanLine(y));
        for (int x = 0; x < picture.width(); ++x)
            line[x] = qRgb(x & 0xFF, y & 0xFF, (x ^ y) & 0xFF);
    }
    return picture;
}

const QSize kArea(1200, 900);
const DigitiserAxes kAxes{380, 780, 0, 1, false, false, 0};

void BM_OpenDialog(benchmark::State& state)
{
    const QImage picture = Picture();
    for (auto _ : state) {
        ImageDialog dialog(nullptr, picture, "scan", kAxes, 10, kArea);
        benchmark::DoNotOptimize(dialog.GetArea());
    }
}
BENCHMARK(BM_OpenDialog)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_ClickRedraw(benchmark::State& state)
{
    const QImage picture = Picture();
    ImageDialog dialog(nullptr, picture, "scan", kAxes, 10, kArea);
    dialog.OnClick({100, 100});
    dialog.OnClick({1100, 100});
    dialog.OnClick({100, 800});
    int i = 0;
    const auto next = [&] {
        ++i;
        return DigitiserPoint{100 + (i * 37) % 1000, 100 + 300 + 250 * std::sin(i * 0.1)};
    };
    for (int k = 0; k < 200; ++k)
        dialog.OnClick(next());
    for (auto _ : state)
        dialog.OnClick(next());
}
BENCHMARK(BM_ClickRedraw)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(100);

} // namespace

int main(int argc, char** argv)
{
    return RunBenchmarksWithApplication(argc, argv);
}
