#pragma once
// The colour-diagram widget: the chromaticity chart, the a*b* plane or the a99b99 plane with
// the spectral and Planckian loci, points with names and values, and links between points.
// Dragging pans, the wheel zooms about the cursor. One method per operation of the diagram.
#include "colordiagram/diagram_core.h"

#include <QLineF>
#include <QPixmap>
#include <QVector>
#include <QWidget>

class ColorDiagramControl : public QWidget {
    Q_OBJECT

public:
    explicit ColorDiagramControl(QWidget* parent = nullptr);
    ~ColorDiagramControl() override;

    void SetDiagramType(int type);
    double GetScaleX() { return m_core.GetScaleX(); }
    double GetScaleY() { return m_core.GetScaleY(); }
    double GetMiddleX() { return m_core.GetMiddleX(); }
    double GetMiddleY() { return m_core.GetMiddleY(); }
    void SetScaleX(double v);
    void SetScaleY(double v);
    void SetMiddleX(double v);
    void SetMiddleY(double v);
    void SetShowSpectralColors(bool on);
    void SetShowPlanckianLocus(bool on);
    void SetShowNames(bool on);
    void SetShowColorValues(bool on);
    void SetAutoZoom(bool on);
    void SetReferenceX(double v) { m_core.SetReferenceX(v); }
    void SetReferenceY(double v) { m_core.SetReferenceY(v); }
    void SetReferenceZ(double v) { m_core.SetReferenceZ(v); }
    void AddPoint(double X, double Y, double Z, const std::string& name, const std::string& observerLabel,
                  const std::string& illuminantLabel);
    void RemoveAllPoints();
    void LinkPoints(int from, int to);

    // For tests and the benchmark: the state and a frame painted into any device.
    colordiagram::DiagramCore& Core() { return m_core; }
    void Render(QPainter& painter, int width, int height);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;

private:
    void Changed();
    void PaintBackground(QPainter& painter, int width, int height);

    colordiagram::DiagramCore m_core;
    QPoint m_dragFrom;
    // The background of the last frame and what it was drawn for.
    QPixmap m_background;
    QVector<QLineF> m_lines; // reused for the links of each frame
    struct Key {
        int type = -1, width = 0, height = 0;
        colordiagram::View view;
        bool spectral = false, planck = false;
        double white[3] = {0, 0, 0};
    } m_key;
};
