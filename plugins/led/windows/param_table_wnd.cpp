#include "windows/param_table_wnd.h"

#include "platform/colorref_qt.h"

#include <QApplication>
#include <QFocusEvent>
#include <QFontMetrics>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>

using namespace param_table;

QFont CParamTableWnd::TableFont()
{
    QFont font = QApplication::font("QMenu");
    font.setFamilies({QStringLiteral("Segoe UI"), QStringLiteral("DejaVu Sans")});
    font.setStyleHint(QFont::SansSerif);
    font.setBold(false);
    font.setItalic(false);
    return font;
}

CParamTableWnd::CParamTableWnd(const char* className, QWidget* parent)
    : QAbstractScrollArea(parent), m_font(TableFont())
{
    setObjectName(QString::fromLatin1(className));
    setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setFocusPolicy(Qt::ClickFocus);
    viewport()->setAutoFillBackground(false);
    viewport()->setMouseTracking(true);
    setMouseTracking(true);
    m_rowHeight = QFontMetrics(m_font).height() + 5;
    verticalScrollBar()->setRange(0, 0);
}

CParamTableWnd::~CParamTableWnd() = default;

int CParamTableWnd::ClientWidth() const
{
    return viewport()->width();
}

int CParamTableWnd::ClientHeight() const
{
    return viewport()->height();
}

void CParamTableWnd::showEvent(QShowEvent* event)
{
    QAbstractScrollArea::showEvent(event);
    // A window filled before it stood gets its split and range now, as on creation.
    if (!m_shown) {
        m_shown = true;
        UpdateScrollInfo();
    }
}

void CParamTableWnd::UpdateScrollInfo()
{
    if (!isVisible())
        return; // as for a window not yet created: placed when it is first shown
    const int count = HasData() ? RowCount() : 0;
    m_visibleRows = VisibleRows(ClientHeight(), m_rowHeight);
    m_scrolling = true; // the range change may move the bar: that is no user scroll
    QScrollBar* bar = verticalScrollBar();
    bar->setPageStep(std::max(1, m_visibleRows));
    bar->setRange(0, MaxScrollPosition(count, m_visibleRows));
    m_firstRow = bar->value();
    m_scrolling = false;
    m_split = PlaceSplit(m_split, ClientWidth());
    viewport()->update();
}

void CParamTableWnd::OnVScroll(ScrollCode code, int position)
{
    EndEdit();
    const int target = ScrollTarget(code, m_firstRow, m_visibleRows, position);
    m_scrolling = true;
    verticalScrollBar()->setValue(target); // the bar clamps to its range
    m_firstRow = verticalScrollBar()->value();
    m_scrolling = false;
    viewport()->update();
}

void CParamTableWnd::scrollContentsBy(int, int)
{
    if (m_scrolling)
        return;
    EndEdit();
    m_firstRow = verticalScrollBar()->value();
    viewport()->update();
}

void CParamTableWnd::PaintTable(QPainter& p) const
{
    const int width = ClientWidth();
    const int height = ClientHeight();
    p.fillRect(QRect(0, 0, width, height), Qt::white);
    p.setFont(m_font);
    p.setPen(Qt::black);
    if (!HasData()) {
        p.drawText(QRect(0, 0, width, height), Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine, EmptyText());
        return;
    }
    const int count = RowCount();
    const int H = m_rowHeight;
    const int start = std::min(m_firstRow, count);
    for (int k = 0; start + k < count && k * H < height; ++k) {
        COLORREF band = RGB(255, 255, 255);
        const QString value = RowValue(start + k, band);
        p.fillRect(BandRect(k, H, width), ToQColor(band));
        p.setPen(Qt::black);
        const int flags = Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine;
        p.drawText(KeyRect(k, H, m_split), flags, RowKey(start + k));
        p.drawText(ValueRect(k, H, m_split, width), flags, value);
        p.drawLine(0, RowLineY(k, H), width - 1, RowLineY(k, H));
    }
    const int n = SplitRows(m_visibleRows, count, m_firstRow);
    if (n > 0)
        p.drawLine(m_split, 0, m_split, n * H - 1);
    if (n * H < height)
        p.fillRect(QRect(0, n * H, width, height - n * H), Qt::white);
}

void CParamTableWnd::paintEvent(QPaintEvent*)
{
    QPainter p(viewport());
    LockRows();
    PaintTable(p);
    UnlockRows();
}

void CParamTableWnd::mouseMoveEvent(QMouseEvent* event)
{
    const int x = event->position().toPoint().x();
    if (m_dragging) {
        m_split = DragSplit(x, ClientWidth());
        viewport()->update();
        viewport()->setCursor(Qt::SizeHorCursor);
    } else if (NearSplit(x, m_split)) {
        viewport()->setCursor(Qt::SizeHorCursor);
        m_splitHot = true;
    } else {
        viewport()->setCursor(Qt::ArrowCursor);
        m_splitHot = false;
    }
    QAbstractScrollArea::mouseMoveEvent(event);
}

void CParamTableWnd::mousePressEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton) {
        QAbstractScrollArea::mousePressEvent(event);
        return;
    }
    const QPoint pos = event->position().toPoint();
    if (m_splitHot) {
        m_dragging = true;
        viewport()->grabMouse();
    }
    if (m_editing)
        EndEdit();
    if (!m_dragging && pos.x() > m_split + 2) {
        LockRows();
        const int index = EditRowAt(pos.x(), pos.y(), m_split, m_rowHeight, m_firstRow, RowCount());
        UnlockRows();
        if (index >= 0)
            BeginEdit(index - m_firstRow);
    }
    QAbstractScrollArea::mousePressEvent(event);
}

void CParamTableWnd::mouseReleaseEvent(QMouseEvent* event)
{
    if (m_dragging) {
        m_dragging = false;
        viewport()->releaseMouse();
    }
    QAbstractScrollArea::mouseReleaseEvent(event);
}

void CParamTableWnd::focusOutEvent(QFocusEvent* event)
{
    QAbstractScrollArea::focusOutEvent(event);
    // Handing the focus to the own editor is no leaving.
    if (QApplication::focusWidget() != m_edit || m_edit == nullptr)
        EndEdit();
}

bool CParamTableWnd::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_edit) {
        if (event->type() == QEvent::KeyPress || event->type() == QEvent::ShortcutOverride) {
            const int key = static_cast<QKeyEvent*>(event)->key();
            if (key == Qt::Key_Return || key == Qt::Key_Enter || key == Qt::Key_Escape) {
                event->accept();
                return true;
            }
        } else if (event->type() == QEvent::FocusOut) {
            if (QApplication::focusWidget() != this)
                EndEdit();
        }
    }
    return QAbstractScrollArea::eventFilter(watched, event);
}

void CParamTableWnd::BeginEdit(int row)
{
    if (m_editing)
        return;
    QString text = m_edit ? m_edit->text() : QString();
    if (!PrepareEdit(m_firstRow + row, text))
        return;
    if (m_edit == nullptr) {
        m_edit = new QLineEdit(viewport());
        m_edit->setObjectName(QStringLiteral("1"));
        m_edit->setFont(m_font);
        m_edit->setFrame(false);
        m_edit->setGeometry(0, 0, 10, 10);
        m_edit->installEventFilter(this);
    }
    m_edit->setGeometry(EditorRect(row, m_rowHeight, m_split, ClientWidth()));
    m_edit->setText(text);
    m_edit->show();
    m_edit->selectAll();
    m_edit->setFocus(Qt::OtherFocusReason);
    m_editing = true;
}

void CParamTableWnd::EndEdit()
{
    if (!m_editing)
        return;
    m_editing = false; // first, so that the focus changes below do not commit twice
    const QString text = m_edit->text();
    CommitEdit(text);
    m_edit->hide();
    viewport()->update();
}
