#include "windows/spec_window.h"

#include "windows/param_table_wnd.h"
#include "windows/spec_window_layout.h"

#include "engine/grid.h"
#include "engine/spectra_set.h"
#include "engine/wavelength_color.h"
#include "platform/colorref_qt.h"

#include <QMouseEvent>
#include <QPainter>

#include <cmath>

CSpecWindow::CSpecWindow(QWidget* parent) : QFrame(parent), m_font(CParamTableWnd::TableFont())
{
    setObjectName(QStringLiteral("CSpecWindowCtrl"));
    setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
}

CSpecWindow::~CSpecWindow() = default;

void CSpecWindow::AddSpectrum(LSMatrix spectrum, COLORREF colour)
{
    const int n = GridPointCount();
    if (spectrum == nullptr || MatRows(spectrum) != n || MatCols(spectrum) != 1)
        return;
    for (int i = 0; i < n; ++i)
        if (std::isfinite(spectrum[i]) && spectrum[i] > m_yMax)
            m_yMax = spectrum[i];
    m_spectra.push_back(spectrum);
    m_colours.push_back(colour);
    update();
}

void CSpecWindow::RemoveSpectrum(LSMatrix spectrum)
{
    for (std::size_t i = m_spectra.size(); i-- > 0;)
        if (m_spectra[i] == spectrum) {
            m_spectra.erase(m_spectra.begin() + static_cast<std::ptrdiff_t>(i));
            m_colours.erase(m_colours.begin() + static_cast<std::ptrdiff_t>(i));
        }
    update();
}

void CSpecWindow::AddSpectra(const SpectraSet& set)
{
    for (int i = 0; i < set.GetCount(); ++i)
        AddSpectrum(set.GetSpectrum(i), RGB(0, 0, 0));
}

void CSpecWindow::Clear()
{
    m_spectra.clear();
    m_colours.clear();
    m_yMax = 1.0;
    update();
}

void CSpecWindow::Draw(QPainter& p, const QRect& r) const
{
    using namespace spec_layout;
    p.save();
    p.setRenderHint(QPainter::Antialiasing, false);
    p.setFont(m_font);
    const int L = r.left(), T = r.top(), R = r.left() + r.width(), B = r.top() + r.height();
    p.fillRect(r, Qt::white);
    p.setPen(QPen(Qt::black, 0));
    p.drawLine(L + 10, T + 10, L + 10, B - 10);
    p.drawLine(L + 10, B - 10, R - 10, B - 10);

    const std::vector<COLORREF>* fill = m_spectralFill ? &WavelengthColorsOnGrid() : nullptr;
    for (std::size_t s = 0; s < m_spectra.size(); ++s) {
        const int n = MatRows(m_spectra[s]);
        const std::vector<QPoint> points = CurvePoints(m_spectra[s], n, m_yMax, r);
        if (points.empty())
            continue; // a one-point grid has no curve
        if (fill != nullptr && static_cast<int>(fill->size()) == n) {
            // Runs of columns of one colour become one rectangle: the picture is the same as
            // one vertical line per column, from the axis up to the curve point.
            for (int i = 0; i < n; ++i) {
                int first = 0, last = 0;
                FillColumns(i, n, r, first, last);
                if (last < first)
                    continue;
                const int y = points[static_cast<std::size_t>(i) + 1].y();
                const int top = std::min(y, B - 10), bottom = std::max(y, B - 10);
                p.fillRect(QRect(first, top, last - first + 1, bottom - top + 1), ToQColor((*fill)[static_cast<std::size_t>(i)]));
            }
        }
        p.setPen(QPen(ToQColor(m_colours[s]), 0));
        p.drawPolyline(points.data(), static_cast<int>(points.size()));
    }

    p.setPen(Qt::black);
    p.drawText(QRect(QPoint(L + 20, T + 10), QPoint(R - 10 - 1, B - 10 - 1)), Qt::AlignLeft | Qt::AlignTop,
               QString::fromStdString(m_title));

    if (m_mouseHeld) {
        p.setPen(QPen(Qt::black, 0));
        p.drawLine(m_mouseX, T, m_mouseX, B);
        p.drawLine(L, m_mouseY, R, m_mouseY);
        const CrossHairLabels labels = CrossHair(m_mouseX, m_mouseY, r, m_yMax, XStart, XEnd);
        p.drawText(labels.wavelengthRect,
                   (labels.wavelengthRightAligned ? Qt::AlignRight : Qt::AlignLeft) | Qt::AlignTop | Qt::TextSingleLine,
                   labels.wavelength);
        p.drawText(labels.valueRect, Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine, labels.value);
    }
    p.restore();
}

void CSpecWindow::paintEvent(QPaintEvent* event)
{
    QFrame::paintEvent(event);
    QPainter p(this);
    const QRect client = contentsRect();
    p.translate(client.topLeft());
    Draw(p, QRect(0, 0, client.width(), client.height()));
}

void CSpecWindow::mousePressEvent(QMouseEvent* event)
{
    QFrame::mousePressEvent(event);
    if (event->button() == Qt::LeftButton) {
        m_mouseHeld = true;
        const QPoint pos = event->position().toPoint() - contentsRect().topLeft();
        m_mouseX = pos.x();
        m_mouseY = pos.y();
        update();
    }
}

void CSpecWindow::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton) {
        m_mouseHeld = false;
        update();
    }
    QFrame::mouseReleaseEvent(event);
}

void CSpecWindow::mouseMoveEvent(QMouseEvent* event)
{
    if (m_mouseHeld) {
        const QPoint pos = event->position().toPoint() - contentsRect().topLeft();
        m_mouseX = pos.x();
        m_mouseY = pos.y();
        update();
    }
    QFrame::mouseMoveEvent(event);
}
