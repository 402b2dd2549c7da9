#pragma once
// The texts the spectrum plot draws over its picture: the info panel with ranges,
// extremes, statistics and legend, the read-out at the pointer, and the tool-tip box.
// Layout only (rectangles, lines, colours); text widths come from an injected measure.
#include "controls/plot_rect.h"
#include "platform/colorref.h"

#include <QPoint>
#include <QString>
#include <functional>
#include <optional>
#include <string>
#include <vector>

class Spectrum;

// Width in pixels of a text in the font it will be drawn in.
using TextMeasure = std::function<int(const QString&)>;

// A tree path A:B:C:D becomes A:...:...:D (one "...:" per inner level); names with fewer
// than two ":" stay.
std::string ProcessSpecName(const std::string& name);

// Shortens a name with ":" to less than maxWidth pixels: tailOnly keeps only the text after
// the last ":" and cuts its end; otherwise head and tail (each while longer than 7
// characters) lose ever more characters, marked with "~". Stops with the shortest text when
// nothing more can be cut. Names without ":" stay.
std::string ShrinkSpecName(const std::string& name, int maxWidth, const TextMeasure& measure, bool tailOnly);

struct PanelInput {
    PlotRect client;
    std::vector<Spectrum*> spectra; // the shown list
    bool density = false;
    int unit = 0;
    bool legend = false;  // InfoLegende
    bool leftPos = false; // InfoLeftPos
    int lineHeight = 0;   // h: height of "A" in the bold font + 2
    int panelWidth = 0;   // w: 24 times the width of "A"
    TextMeasure measureLight;
};

struct PanelLine {
    int index = 0; // line i stands from top + 4 + i * h
    std::string text;
    COLORREF colour = RGB(0, 0, 0);
    bool bold = false;
};

struct InfoPanelLayout {
    PlotRect rect;
    std::vector<PanelLine> lines;
};

// Mean and standard deviation of values (variance clamped at 0 before the root), from sums
// kept in long double: its exponent range holds the squares of any finite double, so both
// figures come out finite for any finite values.
struct ValueStatistics {
    double mean = 0;
    double deviation = 0;
};
ValueStatistics StatisticsOf(long double sum, long double sumOfSquares, long long count);

// The panel for these spectra; nullopt when nothing is shown or there is too little room.
std::optional<InfoPanelLayout> LayoutInfoPanel(const PanelInput& in);

// Read-out text at a data point (at most 40 characters).
std::string ReadoutText(double x, double y, int unit, bool density);
// Left edge of the read-out: right of the point when it fits before the client's right edge.
int ReadoutLeft(int pointX, int textWidth, const PlotRect& client);

// The tool-tip box for a text of size (cx, cy) at tip position (px, py).
struct ToolTipBox {
    PlotRect box;
    PlotRect shadow; // drawn four times, offset by (3, 3) .. (0, 0)
    QPoint textPos;  // top-left of the text
};
ToolTipBox LayoutToolTip(int px, int py, int cx, int cy);
