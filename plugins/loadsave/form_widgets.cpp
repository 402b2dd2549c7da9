#include "form_widgets.h"

#include "form_rules.h"

#include <QLabel>
#include <QResizeEvent>
#include <QScrollArea>
#include <QVBoxLayout>

#include <algorithm>

namespace loadsave {

namespace {

class ScrolledPage : public QWidget {
public:
    explicit ScrolledPage(std::function<void(QSize)> onResize) : m_onResize(std::move(onResize)) {}

protected:
    void resizeEvent(QResizeEvent* event) override
    {
        QWidget::resizeEvent(event);
        if (m_onResize)
            m_onResize(event->size());
    }

private:
    std::function<void(QSize)> m_onResize;
};

} // namespace

QWidget* NewScrolledPage(QWidget* form, QSize contentSize, std::function<void(QSize)> onResize)
{
    auto* layout = new QVBoxLayout(form);
    layout->setContentsMargins(0, 0, 0, 0);
    auto* scroll = Named(new QScrollArea(form), "PageScroll");
    scroll->setFrameShape(QFrame::NoFrame);
    scroll->setWidgetResizable(true);
    auto* page = Named(new ScrolledPage(std::move(onResize)), "Page");
    page->setMinimumSize(contentSize);
    scroll->setWidget(page);
    layout->addWidget(scroll);
    return page;
}

QLabel* NewDescriptionLabel(QWidget* parent)
{
    auto* label = Named(new QLabel(QStringLiteral("<Beschreibung>"), parent), "Description");
    label->setTextFormat(Qt::PlainText);
    label->setWordWrap(true);
    label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    return label;
}

DescriptionBlock::DescriptionBlock(QWidget* page, QLabel* label, QRect designed, int pageHeight)
    : m_page(page)
    , m_label(label)
    , m_designed(designed)
    , m_pageHeight(pageHeight)
{
    m_label->setGeometry(m_designed);
}

void DescriptionBlock::AddBelow(std::initializer_list<QWidget*> controls)
{
    for (QWidget* control : controls)
        m_below.emplace_back(control, control->y());
}

void DescriptionBlock::Fit()
{
    // The label spans the page less the margins on both sides, never below 200 pixels.
    const int width = std::max(m_page->width() - 2 * m_designed.x(), 200);
    const int height = std::max(m_designed.height(), m_label->heightForWidth(width));
    m_label->setGeometry(m_designed.x(), m_designed.y(), width, height);
    const int growth = height - m_designed.height();
    for (const auto& [control, top] : m_below)
        control->move(control->x(), top + growth);
    m_page->setMinimumHeight(m_pageHeight + growth);
}

void PlaceSelectionRow(QSize size, QWidget* edit, QWidget* button)
{
    const SelectionRow row = SelectionRowFor(size.width(), size.height());
    edit->setGeometry(row.editX, 28, row.editWidth, 22);
    button->move(row.buttonX, 27);
}

} // namespace loadsave
