#pragma once
// The settings of the spectrum plot: the container "MainSpectrumView" with its 34
// parameters, and the pointer to each stored value that the plot reads and writes. A
// change made through the container by name (options dialog, project file) is seen through
// the pointers at the next use.
#include "platform/colorref.h"

#include <paramora/paramora.h>

#include <string>

class PlotSettings {
public:
    PlotSettings();
    PlotSettings(const PlotSettings&) = delete;
    PlotSettings& operator=(const PlotSettings&) = delete;

    // The container; the owner nests it into its workspace settings.
    ns_param::Paramora MainSpectrumView{"MainSpectrumView"};

    bool* InfoLegende = nullptr;
    bool* InfoLeftPos = nullptr;
    bool* UseOptSpecDisplay = nullptr;
    bool* ShowSpekGraph = nullptr;
    bool* ShowGraphDots = nullptr;
    bool* ShowGraphDotsOnly = nullptr;
    bool* ShowDensity = nullptr;
    bool* ShowInfoWin = nullptr;
    bool* ZoomAllowed = nullptr;
    bool* DragAllowed = nullptr;
    bool* AutoZeroYMin = nullptr;
    bool* AutoMinMax = nullptr;
    bool* AutoXMinMax = nullptr;
    bool* DrawBgImage = nullptr;
    bool* ColorSpecs = nullptr;
    int* ColorMode = nullptr;
    int* Unit = nullptr;
    double* MinX = nullptr;
    double* MinY = nullptr;
    double* MaxX = nullptr;
    double* MaxY = nullptr;
    double* ActualMinX = nullptr;
    double* ActualMinY = nullptr;
    double* ActualMaxX = nullptr;
    double* ActualMaxY = nullptr;
    double* BgBitmapMinX = nullptr;
    double* BgBitmapMinY = nullptr;
    double* BgBitmapMaxX = nullptr;
    double* BgBitmapMaxY = nullptr;
    unsigned char* BgColor = nullptr;     // red, green, blue
    unsigned char* BorderColor = nullptr; // red, green, blue
    std::string* BgBitmapPath = nullptr;
    std::string* YAxisName = nullptr;
    int* SampleDist = nullptr;

    COLORREF GetBackgroundColor() const;
    COLORREF GetBorderColor() const;
    void SetBackgroundColor(COLORREF colour);
    void SetBorderColor(COLORREF colour);
    // SampleDist as drawn: a value outside 1..16 (from a project file) is clamped.
    int SampleDistance() const;
};
