#include "ui/spec_list_view.h"

#include "app/velmont_doc.h"
#include "ui/main_frame.h"
#include "ui/spec_plot_link.h"
#include "ui/spec_statistics.h"

#include <QKeyEvent>
#include <QMouseEvent>

#include <mutex>

namespace {

// Sorts the children of every item below parent, level by level.
void SortBelow(QTreeWidgetItem* parent)
{
    parent->sortChildren(0, Qt::AscendingOrder);
    for (int i = 0; i < parent->childCount(); ++i) {
        if (parent->child(i)->childCount() > 0)
            SortBelow(parent->child(i));
    }
}

} // namespace

CSpecListView::CSpecListView(QWidget* parent)
    : CObjectTreeView<SpectrumTree>(kSpectrumLabelColours, 157, 148, parent)
{
}

CSpecListView::~CSpecListView() = default;

CMainFrame* CSpecListView::Frame() const
{
    return MainFrameOf(GetDocument());
}

SpecPlotLink* CSpecListView::Plot() const
{
    CMainFrame* frame = Frame();
    return frame ? frame->GetSpecPlot() : nullptr;
}

bool CSpecListView::IsDocumentRebuilding() const
{
    return GetDocument() && GetDocument()->IsRebuilding();
}

void CSpecListView::OnInitialUpdate()
{
    if (GetDocument())
        Attach(GetDocument()->GetSpectrumTree(), GetDocument());
}

void CSpecListView::OnUpdate()
{
    Rebuild();
}

void CSpecListView::BuildSelectionString(std::string& out, QTreeWidgetItem* start, const std::string& prefix)
{
    if (out == "Root") {
        if (!start)
            start = topLevelItem(0);
        const TreeNode* node = NodeOf(start);
        if (node)
            SetItemState(start, TVIS_FOCUSED | TVIS_SELECTED, TVIS_FOCUSED | TVIS_SELECTED);
        out = prefix + (node ? node->GetName() : std::string());
        return;
    }
    AppendSelection(out, start, prefix);
}

void CSpecListView::SetLiveMode(bool live)
{
    if (m_liveMode == live)
        return;
    m_liveMode = live;
    if (!live) {
        AddMissingItems();
        ScheduleSort();
    }
}

void CSpecListView::SetAlphabeticSort(bool on)
{
    m_alphabeticSort = on;
}

void CSpecListView::SetRecursiveSort(bool on)
{
    m_recursiveSort = on;
}

// ---------------------------------------------------------------------------------------------
// Tree events

void CSpecListView::OnInsertNode(TreeNode* node, TreeNode*)
{
    // Live spectra get no item (a rebuild shows everything).
    if (m_liveMode && !IsRebuilding())
        return;
    InsertItem(node, nullptr);
    OnUpdateNode(node);
}

void CSpecListView::OnUpdateNode(TreeNode* node)
{
    CObjectTreeView<SpectrumTree>::OnUpdateNode(node);
    if (ItemOf(node) && (IsRootNode(node->GetParent()) || m_recursiveSort))
        ScheduleSort();
}

void CSpecListView::OnDeleteNode(TreeNode* node)
{
    // The plot lets go of the spectrum before the tree deletes it.
    if (node->GetData() && node->GetData()->GetObject()) {
        if (SpecPlotLink* plot = Plot())
            plot->RemoveFromShownList(node->GetData()->GetObject());
    }
    CObjectTreeView<SpectrumTree>::OnDeleteNode(node);
}

bool CSpecListView::CanReplace(Spectrum* spectrum)
{
    if (m_liveMode || !GetDocument())
        return true;
    // The question names what the replacement deletes.
    return GetDocument()->ConfirmOverwrite(ReplacedBy(spectrum));
}

void CSpecListView::SortItems()
{
    if (m_alphabeticSort && m_recursiveSort) {
        SortAllLevels();
    } else if (m_alphabeticSort) {
        SortTopLevel();
    } else if (m_recursiveSort) {
        for (int i = 0; i < topLevelItemCount(); ++i)
            SortBelow(topLevelItem(i));
    }
}

void CSpecListView::OnRebuilt()
{
    SortItems();
}

// ---------------------------------------------------------------------------------------------
// Selection, drag, keys, right button

void CSpecListView::ShowSelectionInDiagram()
{
    SpectrumTree* tree = GetTree();
    if (!tree)
        return;
    std::lock_guard<std::recursive_mutex> lock(tree->GetMutex());
    SpecPlotLink* plot = Plot();
    if (!plot || IsDocumentRebuilding())
        return;
    std::string selection;
    BuildSelectionString(selection);
    std::list<Spectrum*> spectra = tree->GetInserters(selection, false);
    plot->SetFromSpectrumList(spectra);
    plot->RequestRedraw();
}

void CSpecListView::OnSelectionSettled()
{
    ShowSelectionInDiagram();
}

void CSpecListView::OnBeginDrag(QTreeWidgetItem* item, const QPoint&, bool left)
{
    CMainFrame* frame = Frame();
    if (!left || m_liveMode || !frame)
        return;
    std::string selection;
    BuildSelectionString(selection);
    const std::string group = GetSelectionGroupPath();
    frame->SetDraggedSpectra(selection, group);
    if (selection.empty() || GetSelectedCount() == 0)
        return;
    frame->BeginSpectraDrag(selection, group, CreateDragImage(item));
}

void CSpecListView::keyPressEvent(QKeyEvent* event)
{
    SpectrumTree* tree = GetTree();
    std::unique_lock<std::recursive_mutex> lock;
    if (tree)
        lock = std::unique_lock<std::recursive_mutex>(tree->GetMutex());
    if (event->key() == Qt::Key_Delete && tree && GetSelectedCount() > 0) {
        // In live mode Delete only wakes the plot.
        if (m_liveMode) {
            event->accept();
            return;
        }
        if (DeleteSelectedObjects("Spektrum '%1' wirklich löschen?", "%1 selektierte Spektren wirklich löschen?"))
            ShowSelectionInDiagram();
    }
    CObjectTreeView<SpectrumTree>::keyPressEvent(event);
}

void CSpecListView::LogStatistics()
{
    SpectrumTree* tree = GetTree();
    if (!tree || !GetDocument() || GetSelectedCount() == 0)
        return;
    std::string selection;
    BuildSelectionString(selection);
    const std::list<Spectrum*> spectra = tree->GetInserters(selection, false);
    if (spectra.size() != 1)
        return;
    SpecPlotLink* plot = Plot();
    if (const auto line = SpectrumStatisticsLine(*spectra.front(), plot && plot->IsDensView()))
        GetDocument()->AddLogColorMessage(spectra.front()->GetColor(), "%s", line->c_str());
}

void CSpecListView::mousePressEvent(QMouseEvent* event)
{
    SpectrumTree* tree = GetTree();
    std::unique_lock<std::recursive_mutex> lock;
    if (tree)
        lock = std::unique_lock<std::recursive_mutex>(tree->GetMutex());
    // The statistics take the selection from before the click.
    if (event->button() == Qt::RightButton)
        LogStatistics();
    CObjectTreeView<SpectrumTree>::mousePressEvent(event);
}

void CSpecListView::resizeEvent(QResizeEvent* event)
{
    CObjectTreeView<SpectrumTree>::resizeEvent(event);
    // The main panel points at this pane's lower edge.
    if (CMainFrame* frame = Frame()) {
        if (QWidget* editor = frame->GetEditorPane())
            editor->update();
    }
    viewport()->update();
}
