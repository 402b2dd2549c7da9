// Writes the diagram's background picture: the spectral colours of the automatic colouring from
// violet-blue (left) to red (right), paled towards white so that spectra stay readable on it.
// The plot stretches it over 380..780 nm and the full height.
#include "ui/spectrum_colouring.h"

#include <QImage>

#include <cstdio>

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: make_spec_bg <output.bmp>\n");
        return 2;
    }
    constexpr int kWidth = 400;
    constexpr int kHeight = 16;
    constexpr double kWhite = 0.6; // share of white in each colour
    QImage picture(kWidth, kHeight, QImage::Format_RGB32);
    for (int x = 0; x < kWidth; ++x) {
        const COLORREF c = SpectralColourAt(132.0 * x / (kWidth - 1), false);
        auto pale = [](int channel) { return static_cast<int>(channel + kWhite * (255 - channel)); };
        const QRgb rgb = qRgb(pale(GetRValue(c)), pale(GetGValue(c)), pale(GetBValue(c)));
        for (int y = 0; y < kHeight; ++y)
            picture.setPixel(x, y, rgb);
    }
    if (!picture.save(QString::fromLocal8Bit(argv[1]), "BMP")) {
        std::fprintf(stderr, "make_spec_bg: cannot write %s\n", argv[1]);
        return 1;
    }
    return 0;
}
