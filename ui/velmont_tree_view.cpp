#include "ui/velmont_tree_view.h"

CTreeViewItem::CTreeViewItem() : QTreeWidgetItem(UserType) {}

CTreeViewItem::~CTreeViewItem() = default;

bool CTreeViewItem::operator<(const QTreeWidgetItem& other) const
{
    return text(0).compare(other.text(0), Qt::CaseInsensitive) < 0;
}
