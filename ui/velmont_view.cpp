#include "ui/velmont_view.h"

#include <QPainter>

CVelmontView::CVelmontView(QWidget* parent) : QWidget(parent) {}

void CVelmontView::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.fillRect(rect(), QColor(240, 240, 240));
}
