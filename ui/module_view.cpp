#include "ui/module_view.h"

CModuleView::CModuleView(QWidget* parent) : QTreeWidget(parent)
{
    setHeaderHidden(true);
}
