#include "picture_layout.h"

#include <algorithm>

PictureLayout LayoutPicture(QSize picture, QSize area, double border)
{
    PictureLayout layout;
    if (picture.isEmpty() || area.isEmpty())
        return layout;
    const int w = picture.width();
    const int h = picture.height();
    layout.scale = std::min(double(area.width()) / w, double(area.height()) / h);
    const int wholeBorder = border > 0 ? static_cast<int>(std::min(border, double(w))) : 0;
    layout.border = std::min(wholeBorder, std::min(w, h) / 10);
    const int c = layout.border;
    layout.source = QRect(c, c, w - 2 * c, h - 2 * c);
    layout.target = QRect(0, 0, static_cast<int>(w * layout.scale), static_cast<int>(h * layout.scale));
    return layout;
}

QPointF PictureToArea(const PictureLayout& layout, QPointF picture)
{
    const QRect& s = layout.source;
    const QRect& t = layout.target;
    return {(picture.x() - s.x()) * t.width() / s.width(), (picture.y() - s.y()) * t.height() / s.height()};
}

QPointF AreaToPicture(const PictureLayout& layout, QPointF area)
{
    const QRect& s = layout.source;
    const QRect& t = layout.target;
    return {s.x() + area.x() * s.width() / t.width(), s.y() + area.y() * s.height() / t.height()};
}

QPoint ClampIntoArea(QPoint wanted, QSize text, QSize area)
{
    const int x = std::max(0, std::min(wanted.x(), area.width() - text.width()));
    const int y = std::max(0, std::min(wanted.y(), area.height() - text.height()));
    return {x, y};
}
