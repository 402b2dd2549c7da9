#include "controls/plot_renderer.h"

#include "colormath/spectral_colors.h"
#include "controls/color_luma.h"
#include "controls/pixel_canvas.h"
#include "controls/plot_glyphs.h"
#include "platform/colorref_qt.h"
#include "platform/random.h"

#include <QPainter>
#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <mutex>
#include <span>

namespace {

// Points between two looks at the abort flag inside one spectrum.
constexpr int kAbortCheckPoints = 4096;
constexpr int kBarWidth = 5;

QRgb Opaque(COLORREF c)
{
    return qRgb(GetRValue(c), GetGValue(c), GetBValue(c));
}

// One drawn point of a spectrum (indices 0, step, 2 step ...) with its pixel in the picture.
struct DrawnPoint {
    QPoint pixel;
    bool gap; // not drawn, breaks the line: non-finite, or below the floor in the density view
    bool big; // y is not 0: the large ring of the dots
};

// A spectral-colour bar under a point: columns x - 2 .. x + 2 from row top down; rows[i]
// is how many rows of column i are not painted over by a bar drawn later.
struct Bar {
    int x;
    int top;
    QRgb colour;
    std::int16_t rows[kBarWidth];
};

// Buffers are kept between drawings: a large buffer faulted in anew for every frame costs
// more than what is stored in it.
template <class T>
class SpareBuffer {
public:
    std::vector<T> Take()
    {
        std::lock_guard lock(m_mutex);
        std::vector<T> buffer = std::move(m_buffer);
        buffer.clear();
        return buffer;
    }
    void Return(std::vector<T>&& buffer)
    {
        std::lock_guard lock(m_mutex);
        if (buffer.capacity() > m_buffer.capacity())
            m_buffer = std::move(buffer);
    }

private:
    std::mutex m_mutex;
    std::vector<T> m_buffer;
};

SpareBuffer<Bar> g_spareBars;
SpareBuffer<DrawnPoint> g_sparePoints;

class Renderer {
public:
    Renderer(const RenderJob& job, QImage& image, const std::atomic<bool>& abort)
        : m_job(job)
        , m_set(job.settings)
        , m_canvas(image)
        , m_abort(abort)
        , m_origin(PlotAreaOf(job.client).left, PlotAreaOf(job.client).top)
        , m_width(image.width())
        , m_height(image.height())
    {
        const double baseY = m_set.showDensity ? job.range.minY : std::max(job.range.minY, 0.0);
        m_baselineY = ClampToPixel(job.transform.ScreenYRaw(baseY)) - m_origin.y();
    }

    ~Renderer()
    {
        g_spareBars.Return(std::move(m_bars));
        g_sparePoints.Return(std::move(m_drawn));
    }
    Renderer(const Renderer&) = delete;
    Renderer& operator=(const Renderer&) = delete;

    // Collects the bars of every spectrum, last to first, and trims each to what later
    // bars leave visible. All full bars end on the same row, so per column the later bars
    // cover one run from their highest top down: painting below it would be painted over
    // anyway. Within a spectrum, too, a later bar paints over an earlier one.
    bool PrepareBars()
    {
        const std::size_t n = m_job.spectra.size();
        m_bars = g_spareBars.Take();
        m_barRange.assign(n, {0, 0});
        m_drawnRange.assign(n, {0, 0});
        m_dots.assign(n, false);
        const int bottom = std::clamp(m_baselineY - 3, -1, m_height);
        std::vector<int> coverTop(m_width, INT_MAX);
        for (std::size_t k = n; k-- > 0;) {
            if (m_abort.load(std::memory_order_relaxed))
                return false;
            const std::size_t begin = m_bars.size();
            const std::size_t first = m_drawn.size();
            m_dots[k] = Decimate(m_job.spectra[k]);
            m_drawnRange[k] = {first, m_drawn.size()};
            CollectBars(first);
            for (std::size_t b = m_bars.size(); b-- > begin;) {
                Bar& bar = m_bars[b];
                // Only bars that end on the common row cover what is below them; the short
                // bars of points just above the baseline reach below it and stay whole.
                const bool full = m_set.trimHiddenBars && bar.top + bar.rows[0] - 1 == bottom;
                for (int i = 0; i < kBarWidth; ++i) {
                    const int col = bar.x - 2 + i;
                    if (col < 0 || col >= m_width) {
                        bar.rows[i] = 0;
                        continue;
                    }
                    if (full) {
                        bar.rows[i] = static_cast<std::int16_t>(std::max(0, std::min(bottom, coverTop[col] - 1) - bar.top + 1));
                        coverTop[col] = std::min(coverTop[col], bar.top);
                    }
                }
            }
            m_barRange[k] = {begin, m_bars.size()};
        }
        m_decimated = true;
        return true;
    }

    bool Draw(std::size_t k)
    {
        const RenderSpectrum& s = m_job.spectra[k];
        if (s.points.empty())
            return true;
        const QRgb colourA = Opaque(s.colour);
        const bool plainB = m_set.useOptSpecDisplay && m_set.exportMode == 0;
        const QRgb colourB = plainB ? colourA : Opaque(AdjustLuma(s.colour, 200, true));
        // The points decimated for the bars, or decimated now when there are none.
        bool dots = false;
        std::pair<std::size_t, std::size_t> range;
        if (m_decimated) {
            dots = m_dots[k];
            range = m_drawnRange[k];
        } else {
            m_drawn.clear();
            dots = Decimate(s);
            range = {0, m_drawn.size()};
        }
        const DrawnPoint* begin = m_drawn.data() + range.first;
        const DrawnPoint* end = m_drawn.data() + range.second;

        if (m_set.showSpekGraph) {
            for (std::size_t b = m_barRange[k].first; b < m_barRange[k].second; ++b) {
                const Bar& bar = m_bars[b];
                if (std::all_of(bar.rows, bar.rows + kBarWidth, [&](int v) { return v == bar.rows[0]; })) {
                    m_canvas.FillRect(QRect(bar.x - 2, bar.top, kBarWidth, bar.rows[0]), bar.colour);
                    continue;
                }
                for (int i = 0; i < kBarWidth; ++i)
                    m_canvas.FillRect(QRect(bar.x - 2 + i, bar.top, 1, bar.rows[i]), bar.colour);
            }
        }
        if (!m_set.showGraphDotsOnly) {
            // Each line is drawn twice, the first time one pixel up and left; in one colour
            // both go in one pass.
            if (colourA == colourB) {
                if (!DrawLine(begin, end, QPoint(0, 0), colourA, QPoint(-1, -1)))
                    return false;
            } else if (!DrawLine(begin, end, QPoint(-1, -1), colourA) || !DrawLine(begin, end, QPoint(0, 0), colourB)) {
                return false;
            }
        }
        if (dots) {
            for (const DrawnPoint& d : std::span(begin, end)) {
                if (!d.gap)
                    DrawPointMark(m_canvas, d.pixel.x(), d.pixel.y(), m_set.showGraphDotsOnly, d.big, colourA);
            }
        }
        return true;
    }

private:
    bool Gap(const RenderPoint& p) const
    {
        if (!std::isfinite(p.x) || !std::isfinite(p.y))
            return true;
        return m_set.showDensity && p.y < kDensityFloor;
    }

    QPoint PixelOf(const RenderPoint& p) const { return m_job.transform.ToScreen(p.x, p.y) - m_origin; }

    // Appends the decimated points of s to m_drawn and puts their x in m_drawnX; returns
    // whether dots are drawn.
    bool Decimate(const RenderSpectrum& s)
    {
        m_drawnX.clear();
        const std::vector<RenderPoint>& pts = s.points;
        if (pts.empty())
            return false;
        const QPoint p0 = PixelOf(pts[0]);
        const bool dots = m_set.showGraphDots
                          && (m_set.showGraphDotsOnly || (pts.size() > 1 && PixelOf(pts[1]).x() - p0.x() >= 8));
        // The step is fixed by how many of the first points lie closer than SampleDist
        // pixels to the first one.
        std::size_t step = 1;
        if (m_set.useOptSpecDisplay || m_set.exportMode != 0) {
            for (std::size_t k = 1; k < pts.size(); ++k) {
                if (!(std::abs(PixelOf(pts[k]).x() - p0.x() + 2) < m_set.sampleDist))
                    break;
                ++step;
            }
        }
        for (std::size_t i = 0; i < pts.size(); i += step) {
            const bool gap = Gap(pts[i]);
            m_drawn.push_back({gap ? QPoint() : PixelOf(pts[i]), gap, pts[i].y != 0});
            m_drawnX.push_back(pts[i].x);
        }
        return dots;
    }

    // Bars between 380 and 780 nm where the point stands at least 4 pixels above the
    // baseline, from 3 below the point to 3 above the baseline (both clipped to the picture);
    // the underlay ends after a point at exactly 780 nm.
    void CollectBars(std::size_t first)
    {
        const auto& table = SpectralColorTable();
        for (std::size_t k = 0; k < m_drawnX.size(); ++k) {
            const DrawnPoint& d = m_drawn[first + k];
            const double x = m_drawnX[k];
            if (d.gap)
                continue;
            const int index = SpectralColorIndex(x);
            if (index < 0)
                continue;
            if (m_baselineY - d.pixel.y() >= 4) {
                const SpectralRgb& rgb = table[index];
                const int y1 = d.pixel.y() + 3;
                const int y2 = m_baselineY - 3;
                const int top = std::clamp(std::min(y1, y2), -1, m_height);
                const int rows = std::clamp(std::max(y1, y2), -1, m_height) - top + 1;
                const auto r = static_cast<std::int16_t>(rows);
                m_bars.push_back({d.pixel.x(), top,
                                  qRgb(static_cast<int>(rgb.r), static_cast<int>(rgb.g), static_cast<int>(rgb.b)),
                                  {r, r, r, r, r}});
            }
            if (x == 780)
                break;
        }
    }

    // The line through the points shifted by `shift`; with a twin, also its copy shifted by
    // `twin` more.
    bool DrawLine(const DrawnPoint* begin, const DrawnPoint* end, QPoint shift, QRgb colour,
                  std::optional<QPoint> twin = std::nullopt)
    {
        bool penDown = false;
        bool first = true;
        QPoint last;
        int sinceCheck = 0;
        for (const DrawnPoint& d : std::span(begin, end)) {
            if (++sinceCheck >= kAbortCheckPoints) {
                sinceCheck = 0;
                if (m_abort.load(std::memory_order_relaxed))
                    return false;
            }
            if (d.gap) {
                penDown = false;
                continue;
            }
            const QPoint p = d.pixel + shift;
            if (penDown) {
                if (twin)
                    m_canvas.TwinLine(last, p, *twin, 2, colour, first);
                else
                    m_canvas.Line(last, p, 2, colour, first);
                first = false;
            } else {
                first = true;
            }
            last = p;
            penDown = true;
        }
        return true;
    }

    const RenderJob& m_job;
    const RenderSettings& m_set;
    PixelCanvas m_canvas;
    const std::atomic<bool>& m_abort;
    QPoint m_origin; // plot area top-left: picture pixel = screen pixel - origin
    int m_width;
    int m_height;
    int m_baselineY = 0;
    // The decimated points: of every spectrum once the bars are prepared (m_drawnRange[k],
    // m_dots[k]), else of the spectrum being drawn.
    std::vector<DrawnPoint> m_drawn = g_sparePoints.Take();
    std::vector<double> m_drawnX; // x of the points of the last Decimate
    std::vector<std::pair<std::size_t, std::size_t>> m_drawnRange;
    std::vector<bool> m_dots;
    bool m_decimated = false;
    std::vector<Bar> m_bars;
    // Per spectrum: its bars in m_bars.
    std::vector<std::pair<std::size_t, std::size_t>> m_barRange;
};

} // namespace

void DrawPointMark(PixelCanvas& canvas, int x, int y, bool circles, bool big, QRgb colour)
{
    if (circles) {
        canvas.Ellipse(big ? QRect(x - 3, y - 3, 7, 7) : QRect(x - 1, y - 1, 3, 3), 3, colour);
        return;
    }
    canvas.Line(QPoint(x - 2, y - 2), QPoint(x + 2, y + 2), 3, colour);
    canvas.Line(QPoint(x + 2, y - 2), QPoint(x - 2, y + 2), 3, colour);
}

RenderResult RenderPlot(const RenderJob& job, const std::atomic<bool>& abort, const BetweenSpectraHook& hook)
{
    RenderResult result;
    const PlotRect area = PlotAreaOf(job.client);
    if (area.IsEmpty())
        return result;
    result.image = QImage(area.Width(), area.Height(), QImage::Format_ARGB32_Premultiplied);
    result.image.fill(ToQColor(job.settings.bgColor));

    if (job.settings.drawBgImage && !job.background.isNull()) {
        QPainter painter(&result.image);
        painter.translate(-area.left, -area.top);
        const QImage picture = job.settings.exportMode ? BrightenedForExport(job.background) : job.background;
        DrawBackgroundPicture(painter, picture, job.client, job.transform, job.settings.limitMinX,
                              job.settings.limitMaxX);
    }
    if (!job.transform.valid)
        return result;

    Renderer renderer(job, result.image, abort);
    if (job.settings.showSpekGraph && !renderer.PrepareBars()) {
        result.aborted = true;
        return result;
    }
    for (std::size_t i = 0; i < job.spectra.size(); ++i) {
        if (hook)
            hook(static_cast<int>(i), abort);
        if (abort.load() || !renderer.Draw(i)) {
            result.aborted = true;
            return result;
        }
        ++result.drawn;
    }
    return result;
}

std::vector<int> RandomSubset(int count, unsigned seed)
{
    std::vector<int> subset;
    if (count <= 0)
        return subset;
    subset.reserve(count);
    for (int i = count - 1; i >= 0; --i)
        subset.push_back(i);
    platform::SRand(seed);
    for (int i = 1; i < count; ++i) {
        // A draw that covers 0..i, built from 15-bit draws.
        const unsigned long long bound = static_cast<unsigned long long>(i) + 1;
        unsigned long long r = static_cast<unsigned long long>(platform::Rand());
        unsigned long long range = platform::kRandMax;
        while (range < bound) {
            r = (r << 15) | static_cast<unsigned long long>(platform::Rand());
            range = (range << 15) | platform::kRandMax;
        }
        std::swap(subset[i], subset[static_cast<std::size_t>(r % bound)]);
    }
    if (subset.size() > static_cast<std::size_t>(kMaxDrawnSpectra))
        subset.resize(kMaxDrawnSpectra);
    return subset;
}
