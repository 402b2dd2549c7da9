#include "engine/wavelength_color.h"

#include "engine/color_calculator.h"
#include "engine/color_data.h"
#include "engine/engine_log.h"
#include "engine/grid.h"

#include <cmath>
#include <memory>

namespace {

// CIE 1931 XYZ to linear RGB.
constexpr double kM[3][3] = {
    {2.37067, -0.90004, -0.470634},
    {-0.513885, 1.4253, 0.0885814},
    {0.00529818, -0.0146949, 1.0094},
};
constexpr double kGamma = 0.4166666666666667;

COLORREF ColourOf(double x, double y, double z)
{
    double r = kM[0][0] * x + kM[0][1] * y + kM[0][2] * z;
    double g = kM[1][0] * x + kM[1][1] * y + kM[1][2] * z;
    double b = kM[2][0] * x + kM[2][1] * y + kM[2][2] * z;
    if (r < 0) {
        g -= r;
        b -= r;
        r = 0;
    }
    if (g < 0) {
        r -= g;
        b -= g;
        g = 0;
    }
    if (b < 0) {
        g -= b;
        r -= b;
        b = 0;
    }
    const double s = r + g + b;
    if (!(s > 0.0) || !std::isfinite(s))
        return RGB(0, 0, 0);
    auto channel = [s](double c) {
        return static_cast<std::uint8_t>(static_cast<unsigned>(std::trunc(255.0 * std::pow(c / s, kGamma))) & 0xff);
    };
    return RGB(channel(r), channel(g), channel(b));
}

bool HasObserver(const ColorData& d)
{
    return d.observer.GetCount() >= 3;
}

} // namespace

void WavelengthToColor(double wavelength, COLORREF& colour)
{
    double x = 0, y = 0, z = 0;
    ColorCalculator().GetObserverAt(wavelength, x, y, z);
    colour = ColourOf(x, y, z);
}

const std::vector<COLORREF>& WavelengthColorsOnGrid()
{
    struct Cache {
        double start = 0, end = 0, step = 0;
        std::shared_ptr<const ColorData> data;
        std::vector<COLORREF> colours;
    };
    static Cache cache;
    auto data = GetColorData();
    if (data == cache.data && cache.start == XStart && cache.end == XEnd && cache.step == XStep)
        return cache.colours;
    cache.start = XStart;
    cache.end = XEnd;
    cache.step = XStep;
    cache.data = data;
    const int n = GridPointCount();
    cache.colours.assign(static_cast<std::size_t>(n > 0 ? n : 0), RGB(0, 0, 0));
    if (!HasObserver(*data)) {
        EngineLog("Die Beobachterspektren wurden nicht korrekt geladen - Die Lichtfarbe kann nicht "
                  "berechnet werden");
        return cache.colours;
    }
    for (int i = 0; i < n; ++i)
        WavelengthToColor(XStart + i * XStep, cache.colours[static_cast<std::size_t>(i)]);
    return cache.colours;
}
