#include "controls/plot_settings.h"

#include <algorithm>

struct PlotSettingsStore {
    bool flags[15] = {false, false, true, true, true, false, false, true, true, true, false, true, true, true, false};
    int colorMode = 0;
    int unit = 0;
    double limits[12] = {380, 0, 780, 1, 380, 0, 780, 1, 0, 0, 1, 1};
    unsigned char bgColor[3] = {255, 255, 255};
    unsigned char borderColor[3] = {215, 215, 225};
    std::string bgBitmapPath = "spec_bg.bmp";
    std::string yAxisName;
    int sampleDist = 5;
};

PlotSettings::PlotSettings()
    : m_store(new PlotSettingsStore)
{
    bool** flags[] = {&InfoLegende, &InfoLeftPos,  &UseOptSpecDisplay, &ShowSpekGraph, &ShowGraphDots,
                      &ShowGraphDotsOnly, &ShowDensity, &ShowInfoWin, &ZoomAllowed, &DragAllowed,
                      &AutoZeroYMin, &AutoMinMax, &AutoXMinMax, &DrawBgImage, &ColorSpecs};
    for (int i = 0; i < 15; ++i)
        *flags[i] = &m_store->flags[i];
    ColorMode = &m_store->colorMode;
    Unit = &m_store->unit;
    double** limits[] = {&MinX, &MinY, &MaxX, &MaxY, &ActualMinX, &ActualMinY, &ActualMaxX, &ActualMaxY,
                         &BgBitmapMinX, &BgBitmapMinY, &BgBitmapMaxX, &BgBitmapMaxY};
    for (int i = 0; i < 12; ++i)
        *limits[i] = &m_store->limits[i];
    BgColor = m_store->bgColor;
    BorderColor = m_store->borderColor;
    BgBitmapPath = &m_store->bgBitmapPath;
    YAxisName = &m_store->yAxisName;
    SampleDist = &m_store->sampleDist;
}

PlotSettings::~PlotSettings()
{
    delete m_store;
}

namespace {
COLORREF ColourOf(const unsigned char* rgb)
{
    return RGB(rgb[0], rgb[1], rgb[2]);
}
void Store(unsigned char* rgb, COLORREF c)
{
    rgb[0] = GetRValue(c);
    rgb[1] = GetGValue(c);
    rgb[2] = GetBValue(c);
}
} // namespace

COLORREF PlotSettings::GetBackgroundColor() const
{
    return ColourOf(BgColor);
}

COLORREF PlotSettings::GetBorderColor() const
{
    return ColourOf(BorderColor);
}

void PlotSettings::SetBackgroundColor(COLORREF colour)
{
    Store(BgColor, colour);
}

void PlotSettings::SetBorderColor(COLORREF colour)
{
    Store(BorderColor, colour);
}

int PlotSettings::SampleDistance() const
{
    return std::clamp(*SampleDist, 1, 16);
}
