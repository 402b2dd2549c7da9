#include "ui/clipboard_tree_view.h"

CClipboardTreeView::CClipboardTreeView(QWidget* parent) : QTreeWidget(parent)
{
    setHeaderHidden(true);
}

void CClipboardTreeView::ClearOverwriteAnswers()
{
    m_yesToAll = false;
    m_noToAll = false;
}
