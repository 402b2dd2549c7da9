#include "controls/plot_info_panel.h"

#include "controls/plot_geometry.h"
#include "core/spectrum.h"

#include <algorithm>
#include <cfloat>
#include <cmath>
#include <cstdio>
#include <limits>

namespace {

constexpr double kStart = 1e99;
constexpr double kShownStart = 9e99;
constexpr COLORREF kText = RGB(0, 0, 0);

#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wformat-nonliteral"
template <class... Args>
std::string Format(const char* format, Args... args)
{
    char buffer[256];
    std::snprintf(buffer, sizeof buffer, format, args...);
    return buffer;
}
#pragma GCC diagnostic pop

std::string Trim(const std::string& s)
{
    const char* blanks = " \t\r\n";
    const auto first = s.find_first_not_of(blanks);
    if (first == std::string::npos)
        return {};
    return s.substr(first, s.find_last_not_of(blanks) - first + 1);
}

// Cuts n characters off the end (not past the start); false when nothing was left to cut.
bool CutEnd(QString& s, int n)
{
    if (s.isEmpty())
        return false;
    s.chop(std::min<qsizetype>(n, s.size()));
    return true;
}

// Over all points of all spectra: x range, y extremes with where they are, sums.
struct Extremes {
    double minX = kStart, maxX = -kStart;
    double minY = kStart, minYAt = 0, maxY = -kStart, maxYAt = 0;
    std::string minYName, maxYName;
    long double sum = 0, sumOfSquares = 0;
    long long count = 0;
};

Extremes ScanSpectra(const std::vector<Spectrum*>& spectra, bool density)
{
    Extremes e;
    for (const Spectrum* s : spectra) {
        const std::string name = ProcessSpecName(Trim(s->GetName()));
        const int n = s->GetPointCount();
        for (int i = 0; i < n; ++i) {
            const SPoint p = (*s)[i];
            const double x = p.x;
            const double y = density ? DensityValue(p.y) : p.y;
            if (!std::isfinite(x) || !std::isfinite(y))
                continue;
            e.minX = std::min(e.minX, x);
            e.maxX = std::max(e.maxX, x);
            if (y < e.minY) {
                e.minY = y;
                e.minYAt = x;
                e.minYName = name;
            }
            if (y > e.maxY) {
                e.maxY = y;
                e.maxYAt = x;
                e.maxYName = name;
            }
            e.sum += y;
            e.sumOfSquares += static_cast<long double>(y) * y;
            ++e.count;
        }
    }
    return e;
}

// A working minimum as shown: its start value stays hidden behind 9e99.
double ShownMin(double v)
{
    return v != kStart && v < kShownStart ? v : kShownStart;
}
double ShownMax(double v)
{
    return v != -kStart && v > -kShownStart ? v : -kShownStart;
}

std::string XLine(const char* label, double x, int unit)
{
    if (unit != 0)
        return Format("%s X: %.4g 1/mm", label, 1e6 / x);
    return Format("%s X: %.8g nm", label, x);
}

std::string YLine(const char* label, double y, double at, bool density)
{
    return Format(density ? "%s Y(D): %.6g at %.8g nm" : "%s Y: %.6g at %.8g nm", label, y, at);
}

std::string StatisticsLine(const Extremes& e, bool density)
{
    const ValueStatistics st = StatisticsOf(e.sum, e.sumOfSquares, e.count);
    return std::string(density ? "Y(D) " : "Y ") + "\u00B5 / \u03C3" + Format(": %.6g / %.6g", st.mean, st.deviation);
}

} // namespace

std::string ProcessSpecName(const std::string& name)
{
    const auto colons = std::count(name.begin(), name.end(), ':');
    if (colons < 2)
        return name;
    std::string out = name.substr(0, name.find(':')) + ":";
    for (long i = 1; i < colons; ++i)
        out += "...:";
    out += name.substr(name.rfind(':') + 1, 10000);
    return out;
}

std::string ShrinkSpecName(const std::string& name, int maxWidth, const TextMeasure& measure, bool tailOnly)
{
    const auto first = name.find(':');
    if (first == std::string::npos)
        return name;
    QString head = QString::fromStdString(name.substr(0, first));
    QString tail = QString::fromStdString(name.substr(name.rfind(':') + 1));
    const QString joint = name.find(':', first + 1) == std::string::npos ? QStringLiteral(":") : QStringLiteral(":...:");
    QString text = tailOnly ? tail : head + joint + tail;
    for (int n = 1; measure(text) >= maxWidth; ++n) {
        if (tailOnly) {
            if (!CutEnd(tail, n))
                break;
            text = tail + "~";
            continue;
        }
        bool cut = false;
        if (head.size() > 7)
            cut = CutEnd(head, n);
        if (tail.size() > 7)
            cut = CutEnd(tail, n) || cut;
        if (!cut)
            break;
        text = head + "~" + joint + tail + "~";
    }
    return text.toStdString();
}

static_assert(std::numeric_limits<long double>::max_exponent >= 2 * std::numeric_limits<double>::max_exponent + 64,
              "the sums of squares of doubles need a wider exponent range");

ValueStatistics StatisticsOf(long double sum, long double sumOfSquares, long long count)
{
    if (count <= 0)
        return {};
    const long double n = static_cast<long double>(count);
    const long double mean = sum / n;
    const long double variance = std::max(0.0L, sumOfSquares / n - mean * mean);
    // Both lie within the values' range; the clamp only catches the last rounding.
    auto finite = [](long double v) { return static_cast<double>(std::clamp<long double>(v, -DBL_MAX, DBL_MAX)); };
    return {finite(mean), finite(std::sqrt(variance))};
}

std::optional<InfoPanelLayout> LayoutInfoPanel(const PanelInput& in)
{
    if (in.spectra.empty() || in.lineHeight <= 0)
        return std::nullopt;
    const int h = in.lineHeight;
    const int w = in.panelWidth;
    const PlotRect& c = in.client;
    InfoPanelLayout out;
    out.rect = {c.right - w - 45, c.top + 15, c.right - 49, 0};
    if (in.leftPos)
        out.rect = out.rect.Offset(c.left + 54 - out.rect.left, 0);

    const Extremes e = ScanSpectra(in.spectra, in.density);
    const double minX = ShownMin(e.minX), maxX = ShownMax(e.maxX);
    const double minY = ShownMin(e.minY), maxY = ShownMax(e.maxY);
    auto add = [&](int index, std::string text, COLORREF colour = kText, bool bold = false) {
        out.lines.push_back({index, std::move(text), colour, bold});
    };
    const TextMeasure& measure = in.measureLight;

    if (in.spectra.size() == 1) {
        Spectrum& s = *in.spectra.front();
        out.rect.bottom = c.top + 21 + 8 * h;
        add(0, ShrinkSpecName(ProcessSpecName(Trim(s.GetName())), w - 6, measure, false), s.GetColor(), true);
        add(1, XLine("min", minX, in.unit));
        add(2, XLine("max", maxX, in.unit));
        add(3, YLine("min", minY, e.minYAt, in.density));
        add(4, YLine("max", maxY, e.maxYAt, in.density));
        add(5, StatisticsLine(e, in.density));
        add(6, Format("Stützstellen: %d", s.GetPointCount()));
        double step = 0;
        if (s.IsEquiDistant(&step, nullptr, nullptr))
            add(7, Format("Schrittweite: %.8g nm", step));
        else
            add(7, "Schrittweite: nicht äquidistant", RGB(255, 0, 0));
        return out;
    }

    const int room = c.Height() - 72;
    if (room < 9 * h)
        return std::nullopt;
    int L = room / h - 9; // lines left for the legend
    const int n = static_cast<int>(in.spectra.size());
    int height = 9 * h;
    if (in.legend) {
        if (L >= n) {
            height += (n + 1) * h;
        } else {
            const int X = L < 1 ? 0 : L;
            height += X * h - 10;
            L = X - 1;
        }
    }
    out.rect.bottom = c.top + height + 12;

    const char* minLabel = in.density ? "minY(D)-Spec: " : "minY-Spec: ";
    const char* maxLabel = in.density ? "maxY(D)-Spec: " : "maxY-Spec: ";
    add(0, Format("%d Spektren", n), kText, true);
    add(1, XLine("min", minX, in.unit));
    add(2, XLine("max", maxX, in.unit));
    add(3, YLine("min", minY, e.minYAt, in.density));
    add(4, minLabel + ShrinkSpecName(e.minYName, w - 6 - measure(QString::fromLatin1(minLabel)), measure, true));
    add(5, YLine("max", maxY, e.maxYAt, in.density));
    add(6, maxLabel + ShrinkSpecName(e.maxYName, w - 6 - measure(QString::fromLatin1(maxLabel)), measure, true));
    add(7, StatisticsLine(e, in.density));
    if (in.legend && L != 0) {
        for (int k = 1; k <= n; ++k) {
            if (k >= L) {
                if (L >= 2)
                    add(8 + k, "...", RGB(20, 20, 20));
                break;
            }
            const Spectrum& s = *in.spectra[k - 1];
            add(8 + k, ShrinkSpecName(ProcessSpecName(Trim(s.GetName())), w - 6, measure, false), s.GetColor());
        }
    }
    return out;
}

std::string ReadoutText(double x, double y, int unit, bool density)
{
    std::string text;
    if (unit != 0)
        text = Format(density ? " (%g 1/mm:%g(D)) " : " (%g 1/mm:%g) ", 1e6 / x, y);
    else
        text = Format(density ? " (%g nm:%g(D)) " : " (%g nm:%g) ", x, y);
    if (text.size() > 40)
        text.resize(40);
    return text;
}

int ReadoutLeft(int pointX, int textWidth, const PlotRect& client)
{
    return pointX + 2 + textWidth < client.right ? pointX + 2 : pointX - textWidth;
}

ToolTipBox LayoutToolTip(int px, int py, int cx, int cy)
{
    ToolTipBox t;
    t.box = {px - cx - 21, py - 6, px - 2, py + cy + 5};
    t.shadow = t.box;
    t.shadow.top += (cy + 5) / 4;
    t.shadow.left += cx / 14 - 9;
    t.textPos = QPoint(px - cx - 11, py - 1);
    return t;
}
