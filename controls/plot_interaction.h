#pragma once
// The arithmetic of the plot's mouse and key handling: pan, wheel, keypad and box zoom,
// tool-tip texts, and the lookups of spectrum values under the pointer. Pure functions;
// in the density view all y values are log units.
#include "controls/plot_buttons.h"
#include "controls/plot_geometry.h"
#include "controls/plot_glyphs.h"

#include <optional>
#include <string>
#include <vector>

class Spectrum;

// A new shown range, and which axes' limits are to be stored as well.
struct RangeChange {
    PlotRange range;
    bool storeX = false;
    bool storeY = false;
};

// A pan by (dx, dy) in data units. An axis with automatic range does not move; x stays in
// 0..1e6 (the range narrows at 0 rather than going negative).
RangeChange Pan(const PlotRange& r, double dx, double dy, bool autoX, bool autoY);

// One wheel step at data point (gx, gy): distances to the pointer divided (zoomIn) or
// multiplied by 1.2. Over the y labels only y zooms, over the x labels only x; an
// automatic axis does not zoom.
RangeChange WheelZoom(const PlotRange& r, double gx, double gy, bool zoomIn, bool autoX, bool autoY,
                      bool overYLabels, bool overXLabels);

// Keypad plus (zoomIn) and minus: both axes about their centres, by 1.2.
PlotRange KeypadZoom(const PlotRange& r, bool zoomIn);

// The box between two data points; nullopt when it has no width or no height.
std::optional<PlotRange> BoxZoom(double x1, double y1, double x2, double y2);

// Sums wheel deltas into steps of 120 (one notch); high-resolution wheels send less.
class WheelAccumulator {
public:
    // Adds a vertical delta; returns the whole steps now due (positive: forward).
    int Add(int delta);

private:
    int m_sum = 0;
};

// German tool tip of a tool button for the current settings.
std::string ToolTipText(PlotButton button, const ButtonStates& s);

// Index of the last point with x at or left of x; false without points, for an unsorted
// spectrum, or for x outside the first..last x.
bool GetSpectrumXValue(Spectrum* s, double x, int& index);
// The spectrum's value at x, linear between neighbouring points.
bool GetSpectrumYValue(Spectrum* s, double x, double& y);
// Index in `list` of the spectrum whose value at x lies nearest to y (ties keep the
// earlier one), or -1; its value goes to *value when given.
int NearestSpectrum(const std::vector<Spectrum*>& list, double x, double y, double* value = nullptr);
