#include "windows/spec_window_list.h"

#include "windows/spec_window.h"

#include "engine/spectra_set.h"

#include <QPainter>
#include <QScrollBar>

using namespace spec_layout;

CSpecWindowList::CSpecWindowList(QWidget* parent) : QAbstractScrollArea(parent)
{
    setObjectName(QStringLiteral("CSpecWindowListCtrl"));
    setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    viewport()->setAutoFillBackground(false);
}

CSpecWindowList::~CSpecWindowList()
{
    RemoveAll();
}

CSpecWindow* CSpecWindowList::WindowAt(int i) const
{
    return i >= 0 && i < WindowCount() ? m_windows[static_cast<std::size_t>(i)] : nullptr;
}

void CSpecWindowList::RemoveAll()
{
    for (CSpecWindow* w : m_windows)
        delete w;
    m_windows.clear();
    m_cells.clear();
    m_scrollPosition = 0;
    OnVScroll(kTop);
}

void CSpecWindowList::CreateWindows(int count)
{
    RemoveAll();
    const QRect client(0, 0, viewport()->width(), viewport()->height());
    m_cells = WindowGrid(count, client, m_scrollPosition);
    for (const QRect& cell : m_cells) {
        auto* w = new CSpecWindow(viewport());
        w->SetSpectralFill(m_spectralFill);
        w->setGeometry(cell);
        w->show();
        m_windows.push_back(w);
    }
    OnVScroll(kTop);
}

void CSpecWindowList::SetSpectra(const SpectraSet& set)
{
    RemoveAll();
    const int n = set.GetCount();
    CreateWindows(n);
    for (int i = 0; i < std::min(n, 8); ++i) {
        m_windows[static_cast<std::size_t>(i)]->SetTitle(set.GetName(i));
        m_windows[static_cast<std::size_t>(i)]->AddSpectrum(set.GetSpectrum(i), RGB(0, 0, 0));
    }
    OnVScroll(kTop);
    viewport()->update();
}

void CSpecWindowList::OnVScroll(ScrollCode code, int position)
{
    Scroll(Qt::Vertical, code, position);
}

void CSpecWindowList::OnHScroll(ScrollCode code, int position)
{
    Scroll(Qt::Horizontal, code, position);
}

void CSpecWindowList::Scroll(Qt::Orientation orientation, ScrollCode code, int thumb)
{
    const bool vertical = orientation == Qt::Vertical;
    const int page = vertical ? viewport()->height() : viewport()->width();
    const int n = WindowCount();
    const int position = ListScroll(code, m_scrollPosition, page, n, thumb);
    if (position < 0)
        return;
    QScrollBar* bar = vertical ? verticalScrollBar() : horizontalScrollBar();
    m_scrolling = true;
    bar->setPageStep(std::max(1, page));
    bar->setRange(0, ListLastPosition(n, page));
    bar->setValue(position);
    m_scrolling = false;
    m_scrollPosition = position;
    m_scrollDirection = orientation;
    PlaceWindows();
    viewport()->update();
}

void CSpecWindowList::scrollContentsBy(int dx, int)
{
    if (m_scrolling)
        return;
    const bool vertical = dx == 0;
    Scroll(vertical ? Qt::Vertical : Qt::Horizontal, kThumbPosition,
           vertical ? verticalScrollBar()->value() : horizontalScrollBar()->value());
}

void CSpecWindowList::PlaceWindows()
{
    const QPoint shift = m_scrollDirection == Qt::Vertical ? QPoint(0, -m_scrollPosition) : QPoint(-m_scrollPosition, 0);
    for (std::size_t i = 0; i < m_windows.size(); ++i)
        m_windows[i]->setGeometry(m_cells[i].translated(shift));
}

void CSpecWindowList::paintEvent(QPaintEvent*)
{
    QPainter p(viewport());
    const QRect client(0, 0, viewport()->width(), viewport()->height());
    p.fillRect(client, Qt::white);
    p.fillRect(client, QBrush(QColor(128, 128, 128), Qt::DiagCrossPattern));
}
