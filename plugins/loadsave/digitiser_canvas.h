#pragma once
// The picture of the digitising dialog: the diagram picture scaled once to the area, and on
// every change only the overlays drawn on a copy of it (axes, marks, the clicked curve and the
// hints). Stored positions have y upward; they are drawn at (x, area height - y).
#include "digitiser_calibration.h"
#include "picture_layout.h"

#include <QImage>
#include <QSize>

#include <string>
#include <vector>

// The picture as the digitiser shows it (BMP, JPEG, PNG); null when the file is gone,
// unreadable, empty, no regular file (a pipe: at once) or larger than the image reader's
// allocation limit.
QImage LoadDigitiserPicture(const std::string& path);

class DigitiserCanvas {
public:
    // Scales the picture (nearest neighbour, so colours stay exact) into an image of the
    // area's size; border as the form gives it.
    DigitiserCanvas(const QImage& picture, QSize area, double border);

    const PictureLayout& GetLayout() const { return m_layout; }
    // The scaled picture without overlays.
    const QImage& GetBackground() const { return m_background; }

    // The picture with the overlays of the calibration's stage; rawPoints are the raw
    // spectrum's points (axis pixels) in their sorted order.
    QImage Render(const DigitiserCalibration& calibration, const std::vector<DigitiserPoint>& rawPoints) const;

    // The hint texts and where they are wanted (before clamping into the area).
    static const char* StageHint(int stage);

private:
    PictureLayout m_layout;
    QImage m_background;
};
