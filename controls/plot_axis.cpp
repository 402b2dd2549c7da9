#include "controls/plot_axis.h"

#include "platform/colorref_qt.h"

#include <QFont>
#include <QFontMetrics>
#include <QPainter>
#include <algorithm>
#include <cmath>

namespace {

QFont ArialFont(int pixelSize, int weight)
{
    QFont font(QStringLiteral("Arial"));
    font.setStyleHint(QFont::SansSerif);
    font.setPixelSize(std::max(1, pixelSize));
    font.setWeight(static_cast<QFont::Weight>(weight));
    return font;
}

} // namespace

int LabelHeight(int menuFontHeight, int exportMode)
{
    return menuFontHeight + exportMode + 5;
}

std::vector<std::string> TitleWords(const std::string& name)
{
    std::vector<std::string> words;
    std::string word;
    for (char c : name) {
        if (c == ' ' || c == '-') {
            if (!word.empty())
                words.push_back(std::move(word));
            word.clear();
        } else {
            word += c;
        }
    }
    if (!word.empty())
        words.push_back(std::move(word));
    return words;
}

int XLabelDigitWidth(int labelHeight, int unit)
{
    return QFontMetrics(ArialFont(labelHeight, unit != 0 ? 100 : 300)).horizontalAdvance(QLatin1Char('0'));
}

AxisLayout LayoutAxis(const AxisInput& in)
{
    AxisLayout out;
    const PlotRect& r = in.client;
    const PlotRect a = PlotAreaOf(r);
    out.margins[0] = {r.left, r.top, r.right, r.top + kPlotMarginTop};
    out.margins[1] = {r.left, r.top, r.left + kPlotMarginLeft, r.bottom};
    out.margins[2] = {r.left, r.bottom - kPlotMarginBottom, r.right, r.bottom};
    out.margins[3] = {r.right - kPlotMarginRight, r.top, r.right, r.bottom};
    out.topEdge = {QPoint(a.left, a.top), QPoint(a.right, a.top)};
    const PlotTransform& t = in.transform;
    if (!t.valid)
        return out;

    const int P = in.labelHeight;
    const int halfP = P / 2;

    // y grid, from the top row down.
    const std::vector<std::string> words = TitleWords(in.yAxisName);
    bool pendingRel = in.percent;
    bool titleDone = false;
    int rowsPassed = 0;
    for (int i = in.grid.y.count; i >= 0; --i) {
        const double v = in.grid.y.first + i * in.grid.y.step;
        const int J = ClampToPixel(t.ScreenYRaw(in.density ? std::max(v, -15.0) : v));
        if (!(a.top < J && J <= a.bottom))
            continue;
        if (J < a.bottom)
            out.gridLines.push_back({QPoint(a.left, J), QPoint(a.right, J)});
        ++rowsPassed;
        if (rowsPassed == 2 && !words.empty() && !titleDone) {
            const int L = in.titleFontHeight - 5;
            const int lines = std::min<int>(static_cast<int>(words.size()), in.exportMode ? 4 : 3);
            int y = static_cast<int>(std::trunc(J - lines * L * 0.5 - 3));
            for (int k = 0; k < lines; ++k) {
                out.texts.push_back({words[k], AxisFont::Title, 3, y, false, 44});
                y += L + 1;
            }
            titleDone = true;
            continue;
        }
        if ((pendingRel && J + halfP > P) || (in.density && i == 1)) {
            out.texts.push_back({in.density ? "D" : "rel.", AxisFont::Title, 15, J - halfP});
            pendingRel = false;
        } else if (J + halfP > P) {
            const double shown = in.percent && !in.density ? v * 100 : v;
            out.texts.push_back({FormatValueLabel(shown, in.exportMode != 0, in.density), AxisFont::Value, 5,
                                 J - halfP});
        }
    }

    // x grid, from the right; the first label with room is replaced by the unit. Labels stand
    // on every k-th line only, k the fewest lines that keep neighbours one label height apart
    // beside the widest label (rotated labels need about 1.6 label heights between their feet).
    const bool rotated = in.unit != 0;
    const int digit = in.xLabelDigitWidth > 0 ? in.xLabelDigitWidth : (P * 6 + 9) / 10;
    // Labels are "%4g" texts drawn from a common offset: the visible width is the digits, and a
    // label with fewer leading blanks than its left neighbour starts up to that many blanks
    // (about half a digit each) earlier.
    std::size_t widest = 2; // "nm"
    std::size_t leastLead = std::string::npos;
    std::size_t mostLead = 0;
    for (int i = 0; i < in.grid.x.count; ++i) {
        const std::string label = FormatXLabel(in.grid.x.first + i * in.grid.x.step, in.unit, in.exportMode != 0);
        const std::size_t lead = std::min(label.size(), label.find_first_not_of(' '));
        widest = std::max(widest, label.size() - lead);
        leastLead = std::min(leastLead, lead);
        mostLead = std::max(mostLead, lead);
    }
    const double leadShift = mostLead > leastLead ? (mostLead - leastLead) * digit * 0.5 : 0.0;
    const double linePixels = std::fabs(in.grid.x.step * t.xs);
    const double needed = rotated ? 1.6 * P : static_cast<double>(widest) * digit + P + leadShift;
    const int every =
        linePixels > 0 ? static_cast<int>(std::clamp(std::ceil(needed / linePixels), 1.0, 1e6)) : 1;
    int slot = 0;
    bool unitDone = false;
    for (int i = in.grid.x.count - 1; i >= 0; --i) {
        const double v = in.grid.x.first + i * in.grid.x.step;
        const int X = ClampToPixel(t.ScreenX(v));
        if (X <= a.left)
            break;
        out.gridLines.push_back({QPoint(X, a.top), QPoint(X, a.bottom)});
        if (!(X + halfP > P))
            continue;
        // Counted from the first line with room, which takes the unit.
        if (slot++ % every != 0)
            continue;
        if (!unitDone) {
            unitDone = true;
            if (in.unit == 0)
                out.texts.push_back({"nm", AxisFont::Unit, X - halfP + 3, r.bottom - 41});
            else
                out.texts.push_back({"1/mm", AxisFont::Unit, X - halfP + 3,
                                     in.exportMode ? r.bottom - 42 : r.bottom - 23, in.exportMode == 0});
            continue;
        }
        const int y = in.unit == 0 ? r.bottom - 41 : (in.exportMode ? r.bottom - 25 : r.bottom - 20);
        out.texts.push_back({FormatXLabel(v, in.unit, in.exportMode != 0), AxisFont::XLabel, X - halfP - 5, y,
                             rotated});
    }

    // Zero axes inside the plot area.
    const QPoint o = t.ToScreen(0, 0);
    if (a.left < o.x() && o.x() < a.right)
        out.zeroAxes.push_back({QPoint(o.x(), a.bottom), QPoint(o.x(), a.top)});
    if (a.top < o.y() && o.y() < a.bottom)
        out.zeroAxes.push_back({QPoint(a.left, o.y()), QPoint(a.right, o.y())});
    return out;
}

void DrawAxis(QPainter& painter, const AxisLayout& layout, int labelHeight, int unit, int exportMode,
              COLORREF borderColor)
{
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing, false);
    for (const PlotRect& m : layout.margins)
        painter.fillRect(m.ToQRect(), ToQColor(borderColor));

    const QPen previousPen = painter.pen();
    QPen gridPen(QColor(192, 192, 192), 1, Qt::DotLine);
    painter.setPen(gridPen);
    for (const AxisLine& l : layout.gridLines)
        painter.drawLine(l.from, l.to);
    painter.setPen(previousPen);
    painter.drawLine(layout.topEdge.from, layout.topEdge.to);
    painter.setPen(QPen(QColor(128, 128, 128), 1));
    for (const AxisLine& l : layout.zeroAxes)
        painter.drawLine(l.from, l.to);

    const int P = labelHeight;
    const bool thinUnit = unit != 0 && exportMode == 0;
    const QFont fonts[] = {
        ArialFont(P, 300),
        ArialFont(P + 2, 300),
        ArialFont(P + 2, thinUnit ? 100 : 300),
        ArialFont(P, unit != 0 ? 100 : 300),
    };
    painter.setPen(Qt::black);
    for (const AxisText& text : layout.texts) {
        const QFont& font = fonts[static_cast<int>(text.font)];
        painter.setFont(font);
        const QFontMetrics fm(font);
        const QString s = QString::fromStdString(text.text);
        if (text.boxWidth > 0) {
            const QRect box(text.x, text.y, text.boxWidth, fm.height());
            painter.drawText(box, Qt::AlignHCenter | Qt::AlignTop, fm.elidedText(s, Qt::ElideRight, box.width()));
        } else if (text.rotated) {
            painter.save();
            painter.translate(text.x, text.y);
            painter.rotate(-40);
            painter.drawText(0, fm.ascent(), s);
            painter.restore();
        } else {
            painter.drawText(text.x, text.y + fm.ascent(), s);
        }
    }
    painter.restore();
}
