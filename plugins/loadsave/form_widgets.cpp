#include "form_widgets.h"

#include "form_rules.h"

#include <QLabel>
#include <QResizeEvent>
#include <QScrollArea>
#include <QVBoxLayout>

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

void PlaceSelectionRow(QSize size, QWidget* edit, QWidget* button)
{
    const SelectionRow row = SelectionRowFor(size.width(), size.height());
    edit->setGeometry(row.editX, 28, row.editWidth, 22);
    button->move(row.buttonX, 27);
}

} // namespace loadsave
