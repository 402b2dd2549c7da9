#include "colordiagram/color_diagram_control.h"

#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QWheelEvent>

#include <cmath>

namespace {

constexpr const char* kTypeNames[] = {"Normfarbtafel", "a*-b*-Ebene", "a99-b99-Ebene"};

QPointF P(colordiagram::UV p)
{
    return {p.u, p.v};
}

} // namespace

ColorDiagramControl::ColorDiagramControl(QWidget* parent)
    : QWidget(parent)
{
    setMinimumSize(100, 100);
    setMouseTracking(false);
}

ColorDiagramControl::~ColorDiagramControl() = default;

void ColorDiagramControl::Changed()
{
    update();
}

void ColorDiagramControl::SetDiagramType(int type) { m_core.SetDiagramType(type); Changed(); }
void ColorDiagramControl::SetScaleX(double v) { m_core.SetScaleX(v); Changed(); }
void ColorDiagramControl::SetScaleY(double v) { m_core.SetScaleY(v); Changed(); }
void ColorDiagramControl::SetMiddleX(double v) { m_core.SetMiddleX(v); Changed(); }
void ColorDiagramControl::SetMiddleY(double v) { m_core.SetMiddleY(v); Changed(); }
void ColorDiagramControl::SetShowSpectralColors(bool on) { m_core.SetShowSpectralColors(on); Changed(); }
void ColorDiagramControl::SetShowPlanckianLocus(bool on) { m_core.SetShowPlanckianLocus(on); Changed(); }
void ColorDiagramControl::SetShowNames(bool on) { m_core.SetShowNames(on); Changed(); }
void ColorDiagramControl::SetShowColorValues(bool on) { m_core.SetShowColorValues(on); Changed(); }
void ColorDiagramControl::SetAutoZoom(bool on) { m_core.SetAutoZoom(on); Changed(); }

void ColorDiagramControl::AddPoint(double X, double Y, double Z, const std::string& name,
                                   const std::string& observerLabel, const std::string& illuminantLabel)
{
    m_core.AddPoint(X, Y, Z, name, observerLabel, illuminantLabel);
    Changed();
}

void ColorDiagramControl::RemoveAllPoints()
{
    m_core.RemoveAllPoints();
    Changed();
}

void ColorDiagramControl::LinkPoints(int from, int to)
{
    m_core.LinkPoints(from, to);
    Changed();
}

void ColorDiagramControl::PaintBackground(QPainter& painter, int width, int height)
{
    const colordiagram::Layout bg = m_core.MakeBackground(width, height);
    painter.fillRect(0, 0, width, height, Qt::white);
    painter.setPen(QPen(QColor(160, 160, 160), 1));
    for (const auto& axis : bg.axes)
        painter.drawLine(P(axis.first), P(axis.second));
    for (const auto& locus : bg.loci) {
        for (std::size_t i = 1; i < locus.points.size(); ++i) {
            const QColor colour = locus.colours.empty() ? QColor(80, 80, 80) : QColor::fromRgb(locus.colours[i]);
            painter.setPen(QPen(colour, 2));
            painter.drawLine(P(locus.points[i - 1]), P(locus.points[i]));
        }
    }
    painter.setPen(Qt::darkGray);
    for (const auto& mark : bg.marks) {
        painter.drawEllipse(P(mark.at), 2, 2);
        painter.drawText(P(mark.at) + QPointF(4, 12), QString::fromStdString(mark.text));
    }
    painter.setPen(Qt::black);
    painter.drawText(QPointF(6, 16), kTypeNames[m_core.GetDiagramType()]);
}

void ColorDiagramControl::Render(QPainter& painter, int width, int height)
{
    const colordiagram::View view = m_core.GetView();
    double white[3];
    m_core.PlaneWhite(white[0], white[1], white[2]);
    const bool sameKey = m_key.type == m_core.GetDiagramType() && m_key.width == width && m_key.height == height &&
                         m_key.view.middleX == view.middleX && m_key.view.middleY == view.middleY &&
                         m_key.view.scaleX == view.scaleX && m_key.view.scaleY == view.scaleY &&
                         m_key.spectral == m_core.ShowSpectralColors() && m_key.planck == m_core.ShowPlanckianLocus() &&
                         m_key.white[0] == white[0] && m_key.white[1] == white[1] && m_key.white[2] == white[2];
    if (!sameKey || m_background.isNull()) {
        m_background = QPixmap(width, height);
        QPainter bg(&m_background);
        PaintBackground(bg, width, height);
        m_key = {m_core.GetDiagramType(), width, height, view, m_core.ShowSpectralColors(),
                 m_core.ShowPlanckianLocus(), {white[0], white[1], white[2]}};
    }
    painter.drawPixmap(0, 0, m_background);

    const colordiagram::Layout layout = m_core.MakeLayout(width, height);
    // Links in one batch; points as small filled squares with a dark rim, all without
    // allocating per point.
    painter.setPen(QPen(QColor(90, 90, 90), 1));
    m_lines.clear();
    for (const auto& link : layout.links)
        m_lines.append(QLineF(P(link.first), P(link.second)));
    painter.drawLines(m_lines);
    for (const auto& point : layout.points) {
        const int x = static_cast<int>(std::lround(point.at.u)) - 3;
        const int y = static_cast<int>(std::lround(point.at.v)) - 3;
        painter.fillRect(x, y, 7, 7, QColor(40, 40, 40));
        painter.fillRect(x + 1, y + 1, 5, 5, QColor::fromRgb(point.colour));
    }
    painter.setBrush(Qt::NoBrush);
    for (const auto& text : layout.texts)
        painter.drawText(P(text.at), QString::fromStdString(text.text));
    int y = height - 6 - 14 * static_cast<int>(layout.legend.size());
    for (const std::string& label : layout.legend) {
        y += 14;
        painter.drawText(QPointF(6, y), QString::fromStdString(label));
    }
}

void ColorDiagramControl::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    Render(painter, width(), height());
}

void ColorDiagramControl::mousePressEvent(QMouseEvent* event)
{
    m_dragFrom = event->position().toPoint();
}

void ColorDiagramControl::mouseMoveEvent(QMouseEvent* event)
{
    if (!(event->buttons() & Qt::LeftButton))
        return;
    const QPoint now = event->position().toPoint();
    m_core.Pan(now.x() - m_dragFrom.x(), now.y() - m_dragFrom.y(), width(), height());
    m_dragFrom = now;
    Changed();
}

void ColorDiagramControl::wheelEvent(QWheelEvent* event)
{
    const double steps = event->angleDelta().y() / 120.0;
    if (steps == 0)
        return;
    m_core.ZoomAt(std::pow(1.2, steps), event->position().x(), event->position().y(), width(), height());
    Changed();
    event->accept();
}
