#include "ui/clipboard_tree_view.h"

#include "app/velmont_doc.h"
#include "app/yes_no_dialog.h"
#include "ui/clipboard_listing.h"
#include "ui/main_frame.h"

#include <QKeyEvent>
#include <QMouseEvent>

CClipboardTreeView::CClipboardTreeView(QWidget* parent)
    : CObjectTreeView<ClipboardTree>(kClipboardLabelColours, 146, 150, parent)
{
}

CClipboardTreeView::~CClipboardTreeView() = default;

CMainFrame* CClipboardTreeView::Frame() const
{
    return MainFrameOf(GetDocument());
}

void CClipboardTreeView::OnInitialUpdate()
{
    if (GetDocument())
        Attach(GetDocument()->GetClipboardTree(), GetDocument());
}

void CClipboardTreeView::BuildSelectionString(std::string& out, QTreeWidgetItem* start, const std::string& prefix)
{
    AppendSelection(out, start, prefix);
}

void CClipboardTreeView::ClearOverwriteAnswers()
{
    m_yesToAll = false;
    m_noToAll = false;
}

void CClipboardTreeView::OnInsertNode(TreeNode* node, TreeNode* previousSibling)
{
    // Without a previous sibling the node is new at the end, or was moved to the front.
    const auto& siblings = node->GetParent()->GetChildren();
    const bool atFront = !previousSibling && siblings.size() > 1 && siblings.front() == node;
    InsertItem(node, previousSibling, atFront);
    OnUpdateNode(node);
}

void CClipboardTreeView::OnUpdateNode(TreeNode* node)
{
    CObjectTreeView<ClipboardTree>::OnUpdateNode(node);
    if (m_sortFlag && ItemOf(node) && IsRootNode(node->GetParent()))
        ScheduleSort();
}

bool CClipboardTreeView::CanReplace(ClipboardObject* object)
{
    if (m_yesToAll)
        return true;
    if (m_noToAll)
        return false;
    // The question names what the replacement deletes.
    const std::string question = "Der Clipboard-Eintrag '" + ReplacedBy(object)->GetName()
        + "' existiert bereits. Soll er überschrieben werden?";
    switch (ShowYesNoDialog(question)) {
    case 0: return true;
    case 2: m_yesToAll = true; return true;
    case 3: m_noToAll = true; return false;
    default: return false;
    }
}

void CClipboardTreeView::SortItems()
{
    if (m_sortFlag)
        SortTopLevel();
}

void CClipboardTreeView::OnRebuilt()
{
    SortItems();
}

void CClipboardTreeView::OnBeginDrag(QTreeWidgetItem* item, const QPoint&, bool left)
{
    CMainFrame* frame = Frame();
    if (!left || !frame)
        return;
    std::string selection;
    BuildSelectionString(selection);
    const std::string group = GetSelectionGroupPath();
    frame->SetDraggedClipboardObjects(selection, group);
    if (selection.empty() || GetSelectedCount() == 0)
        return;
    frame->BeginClipboardDrag(selection, group, CreateDragImage(item));
}

void CClipboardTreeView::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Delete && GetSelectedCount() > 0)
        DeleteSelectedObjects("Clipboardobjekte '%1' wirklich löschen?", "%1 selektierte Clipboardobjekte wirklich löschen?");
    CObjectTreeView<ClipboardTree>::keyPressEvent(event);
}

void CClipboardTreeView::ListParameters()
{
    ClipboardTree* tree = GetTree();
    if (!tree || !GetDocument() || GetSelectedCount() == 0)
        return;
    std::string selection;
    BuildSelectionString(selection);
    // Each line goes in as plain text: a "%" in a value is shown, not interpreted.
    for (const std::string& line : ClipboardListingLines(tree->GetInserters(selection, false)))
        GetDocument()->AddLogMessage("%s", line.c_str());
}

void CClipboardTreeView::mousePressEvent(QMouseEvent* event)
{
    // The listing takes the selection from before the click.
    if (event->button() == Qt::RightButton)
        ListParameters();
    CObjectTreeView<ClipboardTree>::mousePressEvent(event);
}

void CClipboardTreeView::resizeEvent(QResizeEvent* event)
{
    CObjectTreeView<ClipboardTree>::resizeEvent(event);
    viewport()->update();
}
