#include "digitiser_canvas.h"

#include "platform/picture_file.h"

#include <QPainter>
#include <QPen>

namespace {

const QColor kHintGreen(0, 239, 0);
const QColor kAxisGreen(0, 255, 0);
const QColor kMarkGrey(127, 127, 127);
const QColor kCurveRed(255, 0, 0);

// A text at a wanted top-left position, moved into the area where it would not fit.
void DrawText(QPainter& p, QPoint wanted, const QString& text, const QColor& colour)
{
    const QFontMetrics metrics(p.font());
    const QSize size(metrics.horizontalAdvance(text), metrics.height());
    const QPoint at = ClampIntoArea(wanted, size, p.device() ? QSize(p.device()->width(), p.device()->height()) : size);
    p.setPen(colour);
    p.drawText(at.x(), at.y() + metrics.ascent(), text);
}

} // namespace

QImage LoadDigitiserPicture(const std::string& path)
{
    const QImage picture = platform::ReadPictureFile(path);
    return picture.isNull() || picture.width() < 1 || picture.height() < 1 ? QImage() : picture;
}

DigitiserCanvas::DigitiserCanvas(const QImage& picture, QSize area, double border)
    : m_layout(LayoutPicture(picture.size(), area, border))
    , m_background(area, QImage::Format_ARGB32_Premultiplied)
{
    m_background.fill(Qt::white);
    if (m_layout.target.isEmpty())
        return;
    const QImage crop = picture.copy(m_layout.source).convertToFormat(QImage::Format_ARGB32_Premultiplied);
    const QImage scaled = crop.scaled(m_layout.target.size(), Qt::IgnoreAspectRatio, Qt::FastTransformation);
    QPainter p(&m_background);
    p.drawImage(m_layout.target.topLeft(), scaled);
}

const char* DigitiserCanvas::StageHint(int stage)
{
    switch (stage) {
    case DigitiserCalibration::kWantOrigin:
        return "Diagrammursprung mit Maus festlegen!";
    case DigitiserCalibration::kWantXEnd:
        return "Endpunkt x-Koordinate mit Maus festlegen!";
    case DigitiserCalibration::kWantYEnd:
        return "Endpunkt y-Koordinate mit Maus festlegen!";
    default:
        return "";
    }
}

QImage DigitiserCanvas::Render(const DigitiserCalibration& cal, const std::vector<DigitiserPoint>& rawPoints) const
{
    QImage image = m_background;
    QPainter p(&image);
    const int height = image.height();
    const auto at = [height](DigitiserPoint position) { return QPointF(position.x, height - position.y); };

    if (cal.GetStage() != DigitiserCalibration::kWantPoints) {
        DrawText(p, {500, 300}, QString::fromUtf8(StageHint(cal.GetStage())), kHintGreen);
        return image;
    }

    const QPointF origin = at(cal.GetOrigin());
    const QPointF xEnd = at(cal.GetXEnd());
    const QPointF yEnd = at(cal.GetYEnd());
    const QPointF corner = at(cal.GetCorner());
    p.setPen(QPen(kAxisGreen, 2));
    p.drawLine(origin, xEnd);
    p.drawLine(origin, yEnd);
    p.setPen(QPen(kAxisGreen, 1, Qt::DashLine));
    p.drawLine(xEnd, corner);
    p.drawLine(yEnd, corner);

    const QPen grey(kMarkGrey, 2);
    p.setPen(grey);
    p.setBrush(Qt::white);
    for (const QPointF& mark : {origin, xEnd, yEnd})
        p.drawEllipse(QRectF(mark.x() - 2, mark.y() - 2, 4, 4));

    p.setBrush(Qt::NoBrush);
    const bool many = rawPoints.size() > 4;
    DrawText(p, many ? QPoint(500, 30) : QPoint(500, 300),
             QString::fromUtf8("Bitte Spektrenpunkte durch Mausklick erfassen!"), Qt::black);
    DrawText(p, many ? QPoint(470, 60) : QPoint(470, 330),
             QString::fromUtf8("Achten Sie auf gleichmäßige Verteilung der Spektrenpunkte."), Qt::black);

    if (rawPoints.size() > 1) {
        QPolygonF curve;
        curve.reserve(static_cast<int>(rawPoints.size()));
        for (const DigitiserPoint& raw : rawPoints)
            curve << at(cal.FromAxisPixels(raw));
        p.setPen(QPen(kCurveRed, 1, Qt::DotLine));
        p.drawPolyline(curve);
        p.setPen(grey);
        for (const QPointF& point : curve)
            p.drawEllipse(QRectF(point.x() - 2, point.y() - 2, 4, 4));
    }
    return image;
}
