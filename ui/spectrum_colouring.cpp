#include "ui/spectrum_colouring.h"

#include "core/spectrum.h"
#include "platform/random.h"
#include "ui/xyz_color.h"

#include <algorithm>
#include <atomic>
#include <cmath>
#include <random>

namespace {

constexpr int N = kSpectralColorsUsed;

// One byte 0..255 from the next output of the generator: trunc(256 u), u = output / 2^32.
int DrawByte(std::mt19937& generator)
{
    const double u = static_cast<double>(generator()) / 4294967296.0;
    return std::min(255, static_cast<int>(256.0 * u));
}

double LargestY()
{
    double ymax = 0.0;
    for (int i = 0; i < N; ++i)
        ymax = std::max(ymax, SpectralColorTable[static_cast<std::size_t>(i)].Y);
    return ymax;
}

} // namespace

std::uint32_t ClockSeedWithCount()
{
    static std::atomic<std::uint32_t> count{0};
    return platform::ClockSeed() + count.fetch_add(1, std::memory_order_relaxed);
}

COLORREF SpectralColourAt(double position, bool descending)
{
    static const double ymax = LargestY();
    // Guards against the drift of the running position and out-of-range arguments.
    const int lo = std::clamp(static_cast<int>(std::floor(std::max(0.0, position))), 0, N - 1);
    const int hi = std::clamp(static_cast<int>(std::ceil(std::min(double(N - 1), position))), lo, N - 1);
    const double wHi = std::clamp(position - lo, 0.0, 1.0);
    const double wLo = 1.0 - wHi;
    const int loIndex = descending ? N - 1 - lo : lo;
    const int hiIndex = descending ? N - 1 - hi : hi;
    const XYZColor& a = SpectralColorTable[static_cast<std::size_t>(loIndex)];
    const XYZColor& b = SpectralColorTable[static_cast<std::size_t>(hiIndex)];
    const XYZColor mixed(wLo * a.X + wHi * b.X, wLo * a.Y + wHi * b.Y, wLo * a.Z + wHi * b.Z);
    const double scale = ymax / 100.0;
    return XYZColor(mixed.X / scale, mixed.Y / scale, mixed.Z / scale).ToColorRef();
}

void ColourSpectra(const std::vector<Spectrum*>& spectra, int mode, const SeedSource& seeds)
{
    switch (mode) {
    case static_cast<int>(ColouringMode::Random):
        for (Spectrum* spectrum : spectra) {
            std::mt19937 generator(seeds());
            const int r = DrawByte(generator);
            const int g = DrawByte(generator);
            const int b = DrawByte(generator);
            spectrum->SetColor(RGB(static_cast<std::uint8_t>(r), static_cast<std::uint8_t>(g),
                                   static_cast<std::uint8_t>(b)));
        }
        break;
    case static_cast<int>(ColouringMode::RandomGrey):
        for (Spectrum* spectrum : spectra) {
            std::mt19937 generator(seeds());
            const auto g = static_cast<std::uint8_t>(std::min(210, DrawByte(generator)));
            spectrum->SetColor(RGB(g, g, g));
        }
        break;
    case static_cast<int>(ColouringMode::BlueToRed):
    case static_cast<int>(ColouringMode::RedToBlue): {
        const std::size_t n = spectra.size();
        // A single spectrum takes position 0.
        const double step = n > 1 ? static_cast<double>(N - 1) / static_cast<double>(n - 1) : 0.0;
        const bool descending = mode == static_cast<int>(ColouringMode::RedToBlue);
        double pos = 0.0;
        for (Spectrum* spectrum : spectra) {
            spectrum->SetColor(SpectralColourAt(pos, descending));
            pos += step;
        }
        break;
    }
    default:
        break;
    }
}
