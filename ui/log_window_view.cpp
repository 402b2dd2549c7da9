#include "ui/log_window_view.h"

#include "platform/colorref_qt.h"

#include <QClipboard>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QPainter>
#include <QScrollBar>

#include <algorithm>
#include <cmath>

QFont MakeLogFont(const QWidget& widget, int weight)
{
    QFont font(QStringLiteral("Segoe UI"));
    font.setStyleHint(QFont::SansSerif);
    // 11 points in pixels of the screen, rounded as MulDiv does.
    font.setPixelSize(std::max(1, static_cast<int>(std::lround(11.0 * widget.logicalDpiY() / 72.0))));
    font.setWeight(static_cast<QFont::Weight>(weight));
    return font;
}

CLogWindowView::CLogWindowView(QWidget* parent) : QAbstractScrollArea(parent)
{
    setFocusPolicy(Qt::StrongFocus);
    setFont(MakeLogFont(*this, 500));
    verticalScrollBar()->setSingleStep(1);
    horizontalScrollBar()->setSingleStep(10);
    connect(verticalScrollBar(), &QScrollBar::valueChanged, this, [this](int value) {
        m_topLine = value;
        viewport()->update();
    });
    connect(horizontalScrollBar(), &QScrollBar::valueChanged, this, [this](int value) {
        m_horizontalOffset = value;
        viewport()->update();
    });
    RecalcMetrics();
}

CLogWindowView::~CLogWindowView() = default;

void CLogWindowView::AddMessage(const char* format, ...)
{
    va_list args;
    va_start(args, format);
    AddMessageV(format, args);
    va_end(args);
}

void CLogWindowView::AddMessageV(const char* format, va_list args)
{
    const std::string text = LogModel::FormatMessage(format, args);
    AddFormattedMessage(format ? format : "", text);
}

void CLogWindowView::AddColorMessage(COLORREF colour, const char* format, ...)
{
    va_list args;
    va_start(args, format);
    AddColorMessageV(colour, format, args);
    va_end(args);
}

void CLogWindowView::AddColorMessageV(COLORREF colour, const char* format, va_list args)
{
    const std::string text = LogModel::FormatMessage(format, args);
    AddFormattedColorMessage(colour, format ? format : "", text);
}

void CLogWindowView::AddFormattedMessage(const std::string& format, const std::string& text)
{
    m_model.AddMessage(format, text);
    ShowNewest();
}

void CLogWindowView::AddFormattedColorMessage(COLORREF colour, const std::string& format, const std::string& text)
{
    m_model.AddColorMessage(colour, format, text);
    ShowNewest();
}

void CLogWindowView::Copy()
{
    if (QClipboard* clipboard = QGuiApplication::clipboard())
        clipboard->setText(QString::fromStdString(m_model.LastFormat()));
}

void CLogWindowView::RecalcMetrics()
{
    const QFontMetrics metrics(font());
    const int tw = std::max(1, metrics.horizontalAdvance(QString::fromLatin1(kTestText)));
    const int th = std::max(1, metrics.height());
    const QSize client = viewport()->size();
    const int lineCount = static_cast<int>(m_model.LineCount());

    m_linesPerPage = client.height() / th;
    QScrollBar* vertical = verticalScrollBar();
    {
        const QSignalBlocker block(vertical);
        vertical->setPageStep(std::max(1, m_linesPerPage));
        vertical->setRange(0, MaxLogTopLine(lineCount, m_linesPerPage));
        m_topLine = std::clamp(m_topLine, 0, vertical->maximum());
        vertical->setValue(m_topLine);
    }

    m_widthUnitsPerPage = client.width() / tw;
    QScrollBar* horizontal = horizontalScrollBar();
    {
        const QSignalBlocker block(horizontal);
        horizontal->setPageStep(std::max(1, m_widthUnitsPerPage));
        horizontal->setRange(0, std::max(0, client.width()));
        m_horizontalOffset = std::clamp(m_horizontalOffset, 0, horizontal->maximum());
        horizontal->setValue(m_horizontalOffset);
    }
}

void CLogWindowView::ShowNewest()
{
    RecalcMetrics();
    verticalScrollBar()->setValue(verticalScrollBar()->maximum());
    horizontalScrollBar()->setValue(0);
    viewport()->repaint();
}

void CLogWindowView::resizeEvent(QResizeEvent* event)
{
    QAbstractScrollArea::resizeEvent(event);
    RecalcMetrics();
}

void CLogWindowView::keyPressEvent(QKeyEvent* event)
{
    if (event->matches(QKeySequence::Copy)) {
        Copy();
        event->accept();
        return;
    }
    QAbstractScrollArea::keyPressEvent(event);
}

void CLogWindowView::paintEvent(QPaintEvent*)
{
    QPainter painter(viewport());
    painter.setFont(font());
    const QFontMetrics metrics(font());
    const int lineHeight = metrics.height();
    const auto& lines = m_model.Lines();
    const auto& colours = m_model.Colours();
    const int last = std::min(m_topLine + m_linesPerPage, static_cast<int>(lines.size()) - 1);
    // Each line from its top-left corner, 2 pixels in; the next one a pixel below it. Text
    // beyond the right edge is clipped by the viewport.
    int y = 0;
    for (int i = m_topLine; i <= last; ++i) {
        painter.setPen(ToQColor(colours[static_cast<std::size_t>(i)]));
        painter.drawText(QPoint(2 - m_horizontalOffset, y + metrics.ascent()),
                         QString::fromStdString(lines[static_cast<std::size_t>(i)]));
        y += lineHeight + 1;
    }
}

CNameWindowView::CNameWindowView(QWidget* parent) : QWidget(parent) {}

void CNameWindowView::SetName(const std::string& name)
{
    m_name = name;
    update();
}

void CNameWindowView::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.fillRect(rect(), ToQColor(kBackground));
    painter.setFont(MakeLogFont(*this, 700));
    painter.setPen(ToQColor(kTextColour));
    painter.drawText(rect().adjusted(-2, 0, 20, 0), Qt::AlignLeft | Qt::AlignTop, QString::fromStdString(m_name));
}
