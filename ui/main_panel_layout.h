#pragma once
// The main panel's picture as data: section titles pointing at the neighbouring panes, the
// last opened module-tree entry with its group's modules, and the small icons. The view only
// paints what this returns. Coordinates are the panel's client coordinates (0, 0, w, h);
// divisions are integer divisions.
#include "platform/colorref.h"

#include <QPoint>
#include <QRect>
#include <QSize>
#include <QString>

#include <functional>
#include <vector>

// The short word of the product build shown after "FUNKTIONSMODULE " and in the module pane.
inline constexpr char kEditionLabel[] = "Standard";

struct MainPanelText {
    QString text;
    bool bold = false;
    // Drawn at rect's top left; with elide, clipped to rect with "..." at the end.
    QRect rect;
    bool elide = false;
    COLORREF colour = RGB(30, 30, 60);
};

// A 24 x 24 picture (ViewPicture), drawn with its transparency at position.
struct MainPanelIcon {
    int id = 0;
    QPoint position;
};

struct MainPanelPicture {
    std::vector<MainPanelText> texts;
    std::vector<MainPanelIcon> icons;
};

// Width and height of a text in the light or the bold font.
using PanelMeasure = std::function<QSize(const QString& text, bool bold)>;

// w x h: the panel's client size; listHeight: the spectrum pane's client height (0 without
// one); lastModule and groupContents: the document's texts (groupContents "A;B;C;").
MainPanelPicture MainPanelLayout(int w, int h, int listHeight, const QString& lastModule,
                                 const QString& groupContents, const PanelMeasure& measure);
