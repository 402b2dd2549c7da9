#include "controls/color_luma.h"

#include <algorithm>
#include <cmath>

namespace {

struct Hls {
    double h = 0; // 0..1
    double l = 0;
    double s = 0;
};

Hls ToHls(double r, double g, double b)
{
    const double hi = std::max({r, g, b});
    const double lo = std::min({r, g, b});
    Hls c;
    c.l = (hi + lo) / 2;
    const double delta = hi - lo;
    if (delta == 0)
        return c;
    c.s = c.l <= 0.5 ? delta / (hi + lo) : delta / (2 - hi - lo);
    double h;
    if (hi == r)
        h = (g - b) / delta;
    else if (hi == g)
        h = 2 + (b - r) / delta;
    else
        h = 4 + (r - g) / delta;
    h /= 6;
    c.h = h < 0 ? h + 1 : h;
    return c;
}

double HueToChannel(double p, double q, double t)
{
    if (t < 0)
        t += 1;
    if (t > 1)
        t -= 1;
    if (t < 1.0 / 6)
        return p + (q - p) * 6 * t;
    if (t < 0.5)
        return q;
    if (t < 2.0 / 3)
        return p + (q - p) * (2.0 / 3 - t) * 6;
    return p;
}

std::uint8_t ToByte(double v)
{
    return static_cast<std::uint8_t>(std::lround(std::clamp(v, 0.0, 1.0) * 255));
}

} // namespace

COLORREF AdjustLuma(COLORREF c, int n, bool scaled)
{
    Hls hls = ToHls(GetRValue(c) / 255.0, GetGValue(c) / 255.0, GetBValue(c) / 255.0);
    const double f = n / 1000.0;
    if (!scaled)
        hls.l += f;
    else if (n > 0)
        hls.l += (1 - hls.l) * f;
    else
        hls.l *= 1 + f;
    hls.l = std::clamp(hls.l, 0.0, 1.0);
    if (hls.s == 0)
        return RGB(ToByte(hls.l), ToByte(hls.l), ToByte(hls.l));
    const double q = hls.l < 0.5 ? hls.l * (1 + hls.s) : hls.l + hls.s - hls.l * hls.s;
    const double p = 2 * hls.l - q;
    return RGB(ToByte(HueToChannel(p, q, hls.h + 1.0 / 3)), ToByte(HueToChannel(p, q, hls.h)),
               ToByte(HueToChannel(p, q, hls.h - 1.0 / 3)));
}
