#pragma once
// Widget pieces both editor forms use: named controls, the description label and the
// selection row that follows the form's width.
#include "core/widget_names.h"

#include <QSize>
#include <QString>

#include <functional>

class QLabel;
class QWidget;

namespace loadsave {

using calc::Named;

// The "<Beschreibung>" label: plain text, wrapped, from the top left.
QLabel* NewDescriptionLabel(QWidget* parent);

// Places the selection edit and its button for the page's new size (SelectionRowFor).
void PlaceSelectionRow(QSize size, QWidget* edit, QWidget* button);

// The page that holds a form's fixed-position controls, inside a frameless scroll area that
// fills the form: a pane smaller than contentSize gets scroll bars instead of hiding the lower
// controls. onResize places the width-following controls for the page's new size.
QWidget* NewScrolledPage(QWidget* form, QSize contentSize, std::function<void(QSize)> onResize);

} // namespace loadsave
