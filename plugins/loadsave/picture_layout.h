#pragma once
// Where the digitiser draws its picture: the picture, less a border on each edge, stretched
// from the area's top left corner at one scale that lets the whole picture fit, keeping its
// aspect ratio (so the cropped part comes out enlarged, as the diagram is meant to be seen).
#include <QPointF>
#include <QRect>
#include <QSize>

struct PictureLayout {
    double scale = 0; // s: the smaller of area width / picture width and height / height
    int border = 0;   // c: pixels cut from each edge
    QRect source;     // (c, c, w - 2c, h - 2c) of the picture
    QRect target;     // (0, 0, w * s, h * s) of the area, whole pixels
};

// c is the border's whole pixels, at most a tenth of the smaller picture side. An empty
// picture or area gives an empty layout.
PictureLayout LayoutPicture(QSize picture, QSize area, double border);

// Picture coordinates (pixel edges at whole numbers, y down) to area coordinates (y down)
// and back.
QPointF PictureToArea(const PictureLayout& layout, QPointF picture);
QPointF AreaToPicture(const PictureLayout& layout, QPointF area);

// A text's top-left position moved as little as needed to put a text of that size into the
// area (its left and top edge win where it does not fit).
QPoint ClampIntoArea(QPoint wanted, QSize text, QSize area);
