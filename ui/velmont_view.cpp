#include "ui/velmont_view.h"

#include "app/velmont_doc.h"
#include "platform/colorref_qt.h"
#include "ui/main_frame.h"
#include "ui/main_panel_layout.h"
#include "ui/spec_list_view.h"
#include "ui/view_pictures.h"

#include <QFontMetrics>
#include <QPainter>

namespace {

QFont PanelFont(bool bold)
{
    QFont font(QStringLiteral("Segoe UI"));
    font.setStyleHint(QFont::SansSerif);
    font.setPointSize(11);
    font.setWeight(bold ? QFont::Bold : QFont::ExtraLight);
    return font;
}

} // namespace

CVelmontView::CVelmontView(QWidget* parent) : QWidget(parent) {}

CVelmontView::~CVelmontView() = default;

void CVelmontView::paintEvent(QPaintEvent*)
{
    const QFont light = PanelFont(false);
    const QFont bold = PanelFont(true);
    const QFontMetrics lightMetrics(light);
    const QFontMetrics boldMetrics(bold);
    const auto measure = [&](const QString& text, bool isBold) {
        const QFontMetrics& m = isBold ? boldMetrics : lightMetrics;
        return QSize(m.horizontalAdvance(text), m.height());
    };

    CVelmontDoc* document = GetDocument();
    int listHeight = 0;
    if (const CMainFrame* frame = MainFrameOf(document)) {
        if (const CSpecListView* list = frame->GetSpecListView())
            listHeight = list->viewport()->height();
    }
    const QString lastModule = document ? QString::fromStdString(document->m_lastModule) : QString();
    const QString groupContents = document ? QString::fromStdString(document->m_groupContents) : QString();
    const MainPanelPicture picture = MainPanelLayout(width(), height(), listHeight, lastModule, groupContents, measure);

    QPainter painter(this);
    painter.fillRect(rect(), QColor(240, 240, 240));
    painter.drawPixmap(rect(), ViewPicture(158));
    for (const MainPanelIcon& icon : picture.icons)
        painter.drawPixmap(icon.position, ViewPicture(icon.id));
    for (const MainPanelText& text : picture.texts) {
        painter.setFont(text.bold ? bold : light);
        painter.setPen(ToQColor(text.colour));
        const QFontMetrics& metrics = text.bold ? boldMetrics : lightMetrics;
        const QString shown = text.elide ? metrics.elidedText(text.text, Qt::ElideRight, text.rect.width()) : text.text;
        painter.drawText(text.elide ? text.rect : QRect(text.rect.topLeft(), QSize(width(), text.rect.height())),
                         Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine, shown);
    }
}
