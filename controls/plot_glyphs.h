#pragma once
// Small drawing pieces of the spectrum plot: the alpha-blended rectangle, the tool-button
// glyphs, the point mark of the spectra and the background picture.
#include "controls/plot_buttons.h"
#include "controls/plot_geometry.h"
#include "platform/colorref.h"

#include <QImage>
#include <QRgb>

class QPainter;

// Fills r with colour at constant opacity alpha (0..255) over what is there.
void DrawTransparentRect(QPainter& painter, const PlotRect& r, COLORREF colour, int alpha);

// Proportions of a glyph in a button rectangle (integer divisions):
// u = (h - 3) / 12, q1 = (w - 2) / 4, q = (w - 1) / 4, d = max(w / 6, 4).
struct GlyphMetrics {
    int u = 0;
    int q1 = 0;
    int q = 0;
    int d = 0;
    friend bool operator==(const GlyphMetrics&, const GlyphMetrics&) = default;
};
GlyphMetrics GlyphMetricsOf(const PlotRect& r);

// The settings the glyphs show.
struct ButtonStates {
    bool showGraphDots = false;
    bool showGraphDotsOnly = false;
    bool showSpekGraph = false;
    bool infoLeftPos = false;
    bool showInfoWin = false;
    bool infoLegende = false;
    bool showDensity = false;
};

// Density, info panel and legend buttons switch on: light green face; off: white with a
// black diagonal stroke.
bool IsToggleButton(PlotButton b);
bool IsButtonActive(PlotButton b, const ButtonStates& s);

// Draws one button (shadow, face, frame, glyph); textPixelHeight is the menu font's height.
void DrawButton(QPainter& painter, PlotButton b, const PlotRect& r, const ButtonStates& s, int textPixelHeight);

// A picture pixel brightened for export: 30 added to each channel; when a sum passes 255
// all three are scaled by 255 / (largest sum) (single precision) and truncated.
QRgb BrightenForExport(QRgb pixel);
// The whole picture brightened that way; pictures under 24 bits per pixel stay as they are.
QImage BrightenedForExport(const QImage& picture);

// Stretches the background picture over the band 380..780 nm and the whole client height.
// Draws nothing without a picture, with an invalid transform, or when the data limits
// (not the shown range) miss that band.
void DrawBackgroundPicture(QPainter& painter, const QImage& picture, const PlotRect& client,
                           const PlotTransform& transform, double limitMinX, double limitMaxX);
