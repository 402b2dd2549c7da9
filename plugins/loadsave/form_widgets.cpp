#include "form_widgets.h"

#include "form_rules.h"

#include <QLabel>
#include <QResizeEvent>

namespace loadsave {

QLabel* NewDescriptionLabel(QWidget* parent)
{
    auto* label = Named(new QLabel(QStringLiteral("<Beschreibung>"), parent), "Description");
    label->setTextFormat(Qt::PlainText);
    label->setWordWrap(true);
    label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    return label;
}

void PlaceSelectionRow(const QResizeEvent& event, QWidget* edit, QWidget* button)
{
    const SelectionRow row = SelectionRowFor(event.size().width(), event.size().height());
    edit->setGeometry(row.editX, 28, row.editWidth, 22);
    button->move(row.buttonX, 27);
}

} // namespace loadsave
