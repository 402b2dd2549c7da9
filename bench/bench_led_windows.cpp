// The LED windows users wait on: redrawing a spectrum thumbnail full of LED spectra (with
// and without the spectral fill) and opening the record window on a fresh LED record.
#include "qt_bench_main.h"

#include "windows/param_container_edit_wnd.h"
#include "windows/spec_window.h"

#include "engine/color_data.h"
#include "engine/grid.h"
#include "engine/led_db.h"
#include "engine/led_value_calculator.h"
#include "engine/ls_matrix.h"
#include "engine/wavelength_color.h"

#include <QHeaderView>
#include <QImage>
#include <QPainter>
#include <QTableWidget>

#include <cmath>
#include <vector>

namespace {

constexpr int kWidth = 640, kHeight = 400;

// 20 LED-like spectra of 401 points on 380 .. 780 nm.
struct Spectra {
    Spectra()
    {
        XStart = 0.38;
        XEnd = 0.78;
        XStep = 0.001;
        const int n = GridPointCount();
        for (int s = 0; s < 20; ++s) {
            LSMatrixHandle v(n, 1);
            const double peak = 0.42 + 0.017 * s, width = 0.01 + 0.001 * (s % 5);
            for (int i = 0; i < n; ++i) {
                const double x = (XStart + i * XStep - peak) / width;
                v[i] = (0.5 + 0.025 * s) * std::exp(-0.5 * x * x);
            }
            vectors.push_back(std::move(v));
        }
    }
    std::vector<LSMatrixHandle> vectors;
};

Spectra& TheSpectra()
{
    static Spectra s;
    return s;
}

void BM_SpecWindowRedraw(benchmark::State& state)
{
    SetColorDataFolder(LED_COLOUR_DATA_DIR);
    Spectra& spectra = TheSpectra();
    CSpecWindow window;
    window.SetTitle("LED-Spektren");
    window.SetSpectralFill(state.range(0) != 0);
    for (const LSMatrixHandle& v : spectra.vectors)
        window.AddSpectrum(v, RGB(0, 0, 0));
    WavelengthColorsOnGrid(); // the colour table is made once per grid
    QImage image(kWidth, kHeight, QImage::Format_ARGB32_Premultiplied);
    for (auto _ : state) {
        QPainter p(&image);
        window.Draw(p, QRect(0, 0, kWidth, kHeight));
        p.end();
        benchmark::DoNotOptimize(image.constBits());
    }
}
BENCHMARK(BM_SpecWindowRedraw)->ArgName("fill")->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

// The limit: the same polylines with a bare QPainter (points computed once, outside).
void BM_PlainPolylines(benchmark::State& state)
{
    Spectra& spectra = TheSpectra();
    const int n = GridPointCount();
    std::vector<std::vector<QPoint>> lines;
    const double dx = (kWidth - 20.0) / (n - 1);
    for (const LSMatrixHandle& v : spectra.vectors) {
        std::vector<QPoint> line;
        for (int i = 0; i < n; ++i)
            line.emplace_back(static_cast<int>(10 + i * dx), static_cast<int>((1.0 - v[i] / 1.0) * (kHeight - 20) + 10));
        lines.push_back(std::move(line));
    }
    QImage image(kWidth, kHeight, QImage::Format_ARGB32_Premultiplied);
    for (auto _ : state) {
        QPainter p(&image);
        p.fillRect(image.rect(), Qt::white);
        p.setPen(QPen(Qt::black, 0));
        for (const auto& line : lines)
            p.drawPolyline(line.data(), static_cast<int>(line.size()));
        p.end();
        benchmark::DoNotOptimize(image.constBits());
    }
}
BENCHMARK(BM_PlainPolylines)->Unit(benchmark::kMillisecond);

// A fresh LED record (no derived value cached yet).
ParamContainer LedRecord()
{
    ParamContainer r;
    r.SetEventHandler(&LEDValueCalculator::Instance());
    r.AddKeyValue("Name", "LED_Gruen");
    r.AddKeyValue("Company", "Werk1");
    r.AddKeyValue("SpectralModel", "GaussianLEDModel");
    r.AddKeyValue("PeakWavelength", "0.525");
    r.AddKeyValue("FWHM", "0.035");
    r.AddKeyValue("ForwardCurrent", "0.02");
    return r;
}

std::vector<std::string> LedKeys()
{
    return std::vector<std::string>(std::begin(LedDB::kFieldNames), std::end(LedDB::kFieldNames));
}

void BM_RecordWindowOpen(benchmark::State& state)
{
    const ParamContainer pristine = LedRecord();
    const std::vector<std::string> keys = LedKeys();
    for (auto _ : state) {
        ParamContainer record = pristine;
        CParamContainerEditWnd window;
        window.resize(400, 600);
        window.autoKeys = false;
        window.SetKeys(keys);
        window.show();
        window.SetParamContainer(&record);
        benchmark::DoNotOptimize(window.grab());
    }
}
BENCHMARK(BM_RecordWindowOpen)->Unit(benchmark::kMillisecond);

// The 65 lookups alone, derived values included.
void BM_RecordLookups(benchmark::State& state)
{
    const ParamContainer pristine = LedRecord();
    const std::vector<std::string> keys = LedKeys();
    for (auto _ : state) {
        ParamContainer record = pristine;
        for (const std::string& key : keys)
            benchmark::DoNotOptimize(record.FindValue(key));
    }
}
BENCHMARK(BM_RecordLookups)->Unit(benchmark::kMicrosecond);

// The baseline: a table widget of 65 x 2 texts at the same size.
void BM_TableWidgetOpen(benchmark::State& state)
{
    const std::vector<std::string> keys = LedKeys();
    for (auto _ : state) {
        QTableWidget table(65, 2);
        table.resize(400, 600);
        table.verticalHeader()->hide();
        table.horizontalHeader()->hide();
        for (int i = 0; i < 65; ++i) {
            table.setItem(i, 0, new QTableWidgetItem(QString::fromStdString(keys[static_cast<std::size_t>(i)])));
            table.setItem(i, 1, new QTableWidgetItem(QStringLiteral("0.525")));
        }
        table.show();
        benchmark::DoNotOptimize(table.grab());
    }
}
BENCHMARK(BM_TableWidgetOpen)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv)
{
    return RunBenchmarksWithApplication(argc, argv);
}
