#pragma once
// Widget pieces both editor forms use: named controls, the description label and the
// selection row that follows the form's width.
#include <QString>

class QLabel;
class QResizeEvent;
class QWidget;

namespace loadsave {

// The widget with its object name, which tests and style sheets find it by.
template <class W>
W* Named(W* widget, const char* name)
{
    widget->setObjectName(QString::fromLatin1(name));
    return widget;
}

// The "<Beschreibung>" label: plain text, wrapped, from the top left.
QLabel* NewDescriptionLabel(QWidget* parent);

// Places the selection edit and its button for the form's new size (SelectionRowFor).
void PlaceSelectionRow(const QResizeEvent& event, QWidget* edit, QWidget* button);

} // namespace loadsave
