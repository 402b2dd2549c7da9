#include "ui/spec_list_view.h"

CSpecListView::CSpecListView(QWidget* parent) : QTreeWidget(parent)
{
    setHeaderHidden(true);
}

void CSpecListView::BuildSelectionString(std::string&, QTreeWidgetItem*, const std::string&) {}
