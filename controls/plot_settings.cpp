#include "controls/plot_settings.h"

#include <algorithm>
#include <cfloat>

PlotSettings::PlotSettings()
{
    ns_param::Paramora& p = MainSpectrumView;
    InfoLegende = p.addBoolParameter("InfoLegende", "Spektrenlegende anzeigen", false, false);
    InfoLeftPos = p.addBoolParameter("InfoLeftPos", "Infofenster links statt rechts", false, false);
    UseOptSpecDisplay = p.addBoolParameter("UseOptSpecDisplay", "Zeitoptimierte Spektrendarstellung", true, false);
    ShowSpekGraph = p.addBoolParameter("ShowSpekGraph", "Sollen die Punkte mit Spektralfarben unterlegt werden?",
                                       true, false);
    ShowGraphDots = p.addBoolParameter("ShowGraphDots", "Sollen die Punkte auf den Stützstellen markiert werden?",
                                       true, false);
    ShowGraphDotsOnly = p.addBoolParameter("ShowGraphDotsOnly", "Sollen die Stützstellen als Punkte markiert werden?",
                                           false, false);
    ShowDensity = p.addBoolParameter(
        "ShowDensity", "Sollen Wellenlängenstützwerte als optische Dichte angezeigt werden?", false, false);
    ShowInfoWin = p.addBoolParameter("ShowInfoWin", "Wird das Infofenster angezeigt?", true, false);
    ZoomAllowed = p.addBoolParameter("ZoomAllowed", "Ist zoomen erlaubt?", true, false);
    DragAllowed = p.addBoolParameter("DragAllowed", "Ist verschieben erlaubt?", true, false);
    AutoZeroYMin = p.addBoolParameter("AutoZeroYMin", "Y-Minimum wird immer automatisch auf Null gesetzt?", false,
                                      false);
    AutoMinMax = p.addBoolParameter("AutoMinMax", "Wird Y-Minimum und Y-Maximum automatisch bestimmt?", true, false);
    AutoXMinMax = p.addBoolParameter("AutoXMinMax", "Wird X-Minimum und X-Maximum automatisch bestimmt?", true,
                                     false);
    DrawBgImage = p.addBoolParameter("DrawBgImage", "Soll ein geladenes Hintergrundbild angezeigt werden?", true,
                                     false);
    ColorSpecs = p.addBoolParameter("ColorSpecs", "Sollen die Spektren werden eingefärbt werden?", false, false);
    ColorMode = p.addIntParameter("ColorMode", "Farbmodus", 0, 0, 3, 0);
    Unit = p.addIntParameter("Unit", "", 0, 0, 2, 0);
    auto limit = [&p](const char* name, double value) { return p.addDoubleParameter(name, "", value, -DBL_MAX, DBL_MAX, 0.0); };
    MinX = limit("MinX", 380);
    MinY = limit("MinY", 0);
    MaxX = limit("MaxX", 780);
    MaxY = limit("MaxY", 1);
    ActualMinX = limit("ActualMinX", 380);
    ActualMinY = limit("ActualMinY", 0);
    ActualMaxX = limit("ActualMaxX", 780);
    ActualMaxY = limit("ActualMaxY", 1);
    BgBitmapMinX = limit("BgBitmapMinX", 0);
    BgBitmapMinY = limit("BgBitmapMinY", 0);
    BgBitmapMaxX = limit("BgBitmapMaxX", 1);
    BgBitmapMaxY = limit("BgBitmapMaxY", 1);
    const unsigned char white[3] = {255, 255, 255};
    const unsigned char border[3] = {215, 215, 225};
    BgColor = p.addByte1DArrayParameter("BgColor", "", 3, white, 0);
    BorderColor = p.addByte1DArrayParameter("BorderColor", "", 3, border, 0);
    BgBitmapPath = p.addStringParameter("BgBitmapPath", "", "", "");
    *BgBitmapPath = "spec_bg.bmp";
    YAxisName = p.addStringParameter("YAxisName", "", "", "");
    SampleDist = p.addIntParameter("SampleDist", "", 5, 1, 16, 5);
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
