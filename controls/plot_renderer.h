#pragma once
// Drawing of the spectra into an off-screen picture of the plot area. A RenderJob is a
// self-contained copy of everything the drawing needs (settings, range, transform, the
// colours and visible points of the spectra), taken on the GUI thread; RenderPlot then
// runs on any thread and touches nothing else.
#include "controls/plot_geometry.h"
#include "platform/colorref.h"

#include <QImage>
#include <atomic>
#include <cmath>
#include <functional>
#include <optional>
#include <string>
#include <utility>
#include <vector>

class PixelCanvas;

// At most this many spectra are drawn of a long list while time-optimised drawing is on.
inline constexpr int kMaxDrawnSpectra = 500;

struct RenderPoint {
    double x = 0;
    double y = 0;
};

struct RenderSpectrum {
    COLORREF colour = 0;
    // The visible part: from the last point at or left of the shown minimum to the first
    // point at or right of the shown maximum. Empty when the spectrum lies outside.
    std::vector<RenderPoint> points;
};

struct RenderSettings {
    COLORREF bgColor = RGB(255, 255, 255);
    bool drawBgImage = true;
    bool showSpekGraph = true;
    bool showGraphDots = true;
    bool showGraphDotsOnly = false;
    bool showDensity = false;
    bool useOptSpecDisplay = true;
    int exportMode = 0;
    int sampleDist = 5; // clamped to 1..16 when the job is made
    double limitMinX = 380; // data limits, for the background picture
    double limitMaxX = 780;
    // Leave out the parts of underlay bars that later bars paint over (the same picture,
    // much faster); false draws every bar whole.
    bool trimHiddenBars = true;
};

struct RenderJob {
    PlotRect client;
    PlotRange range;
    PlotTransform transform;
    RenderSettings settings;
    QImage background;
    std::vector<RenderSpectrum> spectra;
};

// Called on the drawing thread before each spectrum (tests hold a worker here).
using BetweenSpectraHook = std::function<void(int index, const std::atomic<bool>& abort)>;

struct RenderResult {
    QImage image;     // the plot area, its top-left at the plot area's top-left
    int drawn = 0;    // spectra gone through
    bool aborted = false;
};

// Draws background, background picture and spectra. Stops between spectra and every few
// thousand points once abort is set.
RenderResult RenderPlot(const RenderJob& job, const std::atomic<bool>& abort, const BetweenSpectraHook& hook = {});

// Indices [first, last] of the visible part of sorted x values x(0..count-1) for the shown
// x range; nullopt when the spectrum lies entirely left or right of it. Non-finite x values
// at either end are left out (the drawing skips them), so they cannot hide the rest.
// Bisection keeps to the bounds even for unsorted values.
template <class XOf>
std::optional<std::pair<int, int>> VisibleSpan(int count, double minX, double maxX, XOf x)
{
    int begin = 0;
    int end = count - 1;
    while (begin <= end && !std::isfinite(x(begin)))
        ++begin;
    while (end >= begin && !std::isfinite(x(end)))
        --end;
    if (begin > end || !(x(begin) < maxX) || !(x(end) > minX))
        return std::nullopt;
    int first = begin;
    if (x(begin) < minX && end - begin >= 2) {
        int lo = begin, hi = end; // x(lo) < minX; the answer is the last x <= minX
        while (hi - lo > 1) {
            const int mid = lo + (hi - lo) / 2;
            if (x(mid) <= minX)
                lo = mid;
            else
                hi = mid;
        }
        first = lo;
    }
    int last = end;
    if (x(end) > maxX) {
        int lo = first, hi = end; // x(hi) > maxX; the answer is the first x >= maxX
        while (hi - lo > 1) {
            const int mid = lo + (hi - lo) / 2;
            if (x(mid) >= maxX)
                hi = mid;
            else
                lo = mid;
        }
        last = hi;
    }
    return std::make_pair(first, last);
}

// Mark on a spectrum point with the dots pen (width 3): a ring in the box from (x - 3, y - 3)
// to (x + 4, y + 4) when big, else (x - 1, y - 1) to (x + 2, y + 2); or a cross of two
// diagonals from (x - 2, y - 2) to (x + 2, y + 2) and (x + 2, y - 2) to (x - 2, y + 2).
void DrawPointMark(PixelCanvas& canvas, int x, int y, bool circles, bool big, QRgb colour);

// Random choice of kMaxDrawnSpectra indices of a list of `count`: the indices count - 1
// down to 0, shuffled with 15-bit draws of the platform random source seeded with `seed`,
// the first 500 kept.
std::vector<int> RandomSubset(int count, unsigned seed);

// Count and the first and last names of the shown list at the last redraw request.
struct ListSignature {
    int count = 0;
    std::string first;
    std::string last;
    friend bool operator==(const ListSignature&, const ListSignature&) = default;
};
