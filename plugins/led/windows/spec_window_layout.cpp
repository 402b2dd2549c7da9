#include "windows/spec_window_layout.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace spec_layout {

namespace {

QString WavelengthText(double nm)
{
    char text[64];
    std::snprintf(text, sizeof text, "%0.1f nm", nm);
    return QString::fromLatin1(text);
}

QString ValueText(double v)
{
    char text[64];
    std::snprintf(text, sizeof text, "%0.3f", v);
    return QString::fromLatin1(text);
}

// Keeps a pixel coordinate within reach of the window, whatever the value.
int ToPixel(double y, int top, int bottom)
{
    const double span = std::max(1, bottom - top);
    const double lo = top - 4.0 * span;
    const double hi = bottom + 4.0 * span;
    if (std::isnan(y))
        return bottom;
    return static_cast<int>(std::trunc(std::clamp(y, lo, hi)));
}

} // namespace

int CurveY(double v, double yMax, int top, int bottom)
{
    if (std::isnan(v))
        v = 0.0;
    const double y = (1.0 - v / yMax) * (bottom - top - 20) + top + 10;
    return ToPixel(y, top, bottom);
}

std::vector<QPoint> CurvePoints(const double* values, int n, double yMax, const QRect& rect)
{
    std::vector<QPoint> points;
    if (n < 2)
        return points;
    const int L = rect.left(), T = rect.top(), R = rect.left() + rect.width(), B = rect.top() + rect.height();
    const double dx = static_cast<double>(R - L - 20) / (n - 1);
    points.reserve(static_cast<std::size_t>(n) + 1);
    points.emplace_back(L + 10, B - 10);
    double x = L + 10;
    for (int i = 0; i < n; ++i) {
        points.emplace_back(static_cast<int>(std::trunc(x)), CurveY(values[i], yMax, T, B));
        x += dx;
    }
    return points;
}

void FillColumns(int i, int n, const QRect& rect, int& first, int& last)
{
    const int L = rect.left(), R = rect.left() + rect.width();
    const double dx = n > 1 ? static_cast<double>(R - L - 20) / (n - 1) : 0.0;
    double x = L + 10;
    for (int k = 0; k < i; ++k)
        x += dx;
    first = static_cast<int>(std::trunc(x));
    last = static_cast<int>(std::trunc(x + dx)) - 1;
}

CrossHairLabels CrossHair(int mx, int my, const QRect& rect, double yMax, double start, double end)
{
    const int L = rect.left(), T = rect.top(), R = rect.left() + rect.width(), B = rect.top() + rect.height();
    CrossHairLabels labels;
    const double wm = start + static_cast<double>(mx - 10) / (R - L - 20) * (end - start);
    labels.wavelength = WavelengthText(wm * 1000.0);
    const int h = B - T;
    if (wm < start + (end - start) * 0.5) {
        labels.wavelengthRect = QRect(QPoint(mx + 2, h - 28), QPoint(mx + 102 - 1, h - 10 - 1));
    } else {
        labels.wavelengthRect = QRect(QPoint(mx - 102, h - 28), QPoint(mx - 2 - 1, h - 10 - 1));
        labels.wavelengthRightAligned = true;
    }
    const double vm = static_cast<double>(h - my - 10) / (h - 20) * yMax;
    labels.value = ValueText(vm);
    if (vm < yMax * 0.5)
        labels.valueRect = QRect(QPoint(12, my - 18), QPoint(112 - 1, my - 2 - 1));
    else
        labels.valueRect = QRect(QPoint(12, my + 2), QPoint(112 - 1, my + 18 - 1));
    return labels;
}

std::vector<QRect> WindowGrid(int count, const QRect& client, int scrollPosition)
{
    std::vector<QRect> rects;
    if (count <= 0)
        return rects;
    const int L = client.left(), T = client.top(), R = client.left() + client.width(),
              B = client.top() + client.height();
    const int x0 = L + 2;
    const int y0 = T - scrollPosition + 2;
    int g = B - y0;
    int w = R - L - 4;
    if (count != 1) {
        g /= 2;
        if (count > 2)
            w /= count <= 4 ? 2 : count <= 6 ? 3 : 4;
    }
    const int cw = w - 1, ch = g - 1;
    int left = x0, top = y0;
    for (int i = 0; i < count; ++i) {
        if (i >= 2 && i % 2 == 0) {
            left += cw + 1;
            top = y0;
        }
        rects.emplace_back(QPoint(left, top), QPoint(left + cw - 1, top + ch - 1));
        top += ch + 1;
    }
    return rects;
}

int ListScrollMaximum(int windows, int page)
{
    return windows * (page + 1) + 3;
}

int ListLastPosition(int windows, int page)
{
    return std::max(0, ListScrollMaximum(windows, page) - page);
}

int ListScroll(ScrollCode code, int current, int page, int windows, int thumb)
{
    int position;
    switch (code) {
    case kLineUp: position = current - page; break;
    case kLineDown: position = current + page; break;
    case kPageUp: position = current - static_cast<int>(std::trunc(0.8 * page)); break;
    case kPageDown: position = current + static_cast<int>(std::trunc(0.8 * page)); break;
    case kThumbPosition:
    case kThumbTrack: position = thumb; break;
    case kTop: position = 0; break;
    case kBottom: position = ListLastPosition(windows, page); break;
    default: return -1;
    }
    return std::clamp(position, 0, ListLastPosition(windows, page));
}

} // namespace spec_layout
