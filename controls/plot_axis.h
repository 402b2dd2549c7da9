#pragma once
// Frame margins, grid lines, value and wavelength labels, y-axis title and unit of the
// spectrum plot. LayoutAxis computes every line and text; DrawAxis only paints them.
#include "controls/plot_geometry.h"
#include "platform/colorref.h"

#include <QPoint>
#include <string>
#include <vector>

class QPainter;

enum class AxisFont { Value, Title, Unit, XLabel };

struct AxisText {
    std::string text;
    AxisFont font = AxisFont::Value;
    int x = 0; // top-left of the text (for title lines: of their box)
    int y = 0;
    bool rotated = false; // rising at 40 degrees
    int boxWidth = 0;     // title lines: centred in this width, cut with an ellipsis
    friend bool operator==(const AxisText&, const AxisText&) = default;
};

struct AxisLine {
    QPoint from;
    QPoint to;
    friend bool operator==(const AxisLine&, const AxisLine&) = default;
};

struct AxisInput {
    PlotRect client;
    PlotTransform transform;
    PlotGrid grid;
    bool density = false;
    bool percent = false; // the first shown spectrum's comment is "%"
    int unit = 0;
    int exportMode = 0;
    int labelHeight = 0;     // P, see LabelHeight
    int titleFontHeight = 0; // text-metrics height of the title font
    int xLabelDigitWidth = 0; // advance of "0" in the x-label font; 0: estimated from P
    std::string yAxisName;
};

struct AxisLayout {
    PlotRect margins[4];
    std::vector<AxisLine> gridLines; // dotted grey
    AxisLine topEdge;                // solid, in the painter's previous pen
    std::vector<AxisLine> zeroAxes;  // solid grey
    std::vector<AxisText> texts;
};

// Label height P: the menu font's pixel height, plus the export mode, plus 5 (the axis
// fonts of the newer desktop style, always used here).
int LabelHeight(int menuFontHeight, int exportMode);

// The words of the y-axis title: split at blanks and hyphens, empty pieces dropped.
std::vector<std::string> TitleWords(const std::string& name);

// Advance of "0" in the x-label font for that label height and unit.
int XLabelDigitWidth(int labelHeight, int unit);

// Every grid line is drawn; x labels (and the unit) stand only on every k-th line from the
// right, so that labels keep at least one label height of space between them.
AxisLayout LayoutAxis(const AxisInput& in);

// Paints a layout: margins in the border colour, then lines and texts in black.
void DrawAxis(QPainter& painter, const AxisLayout& layout, int labelHeight, int unit, int exportMode,
              COLORREF borderColor);
