#pragma once
// Widget pieces both editor forms use: named controls, the description label that grows with
// its text, and the selection row that follows the form's width.
#include "core/widget_names.h"

#include <QRect>
#include <QSize>
#include <QString>

#include <functional>
#include <initializer_list>
#include <utility>
#include <vector>

class QLabel;
class QWidget;

namespace loadsave {

using calc::Named;

// The "<Beschreibung>" label: plain text, wrapped, from the top left.
QLabel* NewDescriptionLabel(QWidget* parent);

// The description label of a scrolled page and the controls below it. The label takes the
// height its wrapped text needs at the page's width, at least its designed height; the
// controls below move down by what it grew and the page's minimum height grows with them, so
// that the scroll area shows the whole text and still reaches every control.
class DescriptionBlock {
public:
    // designed: the label's place at the page's designed width; pageHeight: the page's designed
    // minimum height.
    DescriptionBlock(QWidget* page, QLabel* label, QRect designed, int pageHeight);

    // Controls below the label, placed at their designed positions beforehand.
    void AddBelow(std::initializer_list<QWidget*> controls);
    // Places the label and the controls below it for the page's current width; called when
    // the page is resized and when the label's text changed.
    void Fit();

private:
    QWidget* m_page;
    QLabel* m_label;
    QRect m_designed;
    int m_pageHeight;
    std::vector<std::pair<QWidget*, int>> m_below; // a control and its designed top
};

// Places the selection edit and its button for the page's new size (SelectionRowFor).
void PlaceSelectionRow(QSize size, QWidget* edit, QWidget* button);

// The page that holds a form's fixed-position controls, inside a frameless scroll area that
// fills the form: a pane smaller than contentSize gets scroll bars instead of hiding the lower
// controls. onResize places the width-following controls for the page's new size.
QWidget* NewScrolledPage(QWidget* form, QSize contentSize, std::function<void(QSize)> onResize);

} // namespace loadsave
