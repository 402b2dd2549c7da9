#pragma once
// Upper right pane: the project's spectra. Its selection is what the diagram shows: after
// every change (once per user action) the selected spectra go to the plot. Delete removes the
// selected spectra after a question, the right button logs the statistics of one selected
// spectrum, a drag hands the selection to a drop field. In live mode new spectra get no item,
// stored spectra replace old ones without a question, drags do not start and Delete does
// nothing.
//
// The spectrum tree's mutex is held while the pane handles a selection change, a key or the
// right button.
#include "ui/document_view.h"
#include "ui/object_tree_view.h"

#include "core/spectrum.h"

#include <string>

class CMainFrame;
class SpecPlotLink;

class CSpecListView : public CObjectTreeView<SpectrumTree>, public CDocumentView {
    Q_OBJECT

public:
    explicit CSpecListView(QWidget* parent = nullptr);
    ~CSpecListView() override;

    // Attaches to the document's spectrum tree and rebuilds.
    void OnInitialUpdate() override;
    // The document's view update: rebuild.
    void OnUpdate();

    // With out exactly "Root": the start item (null: the first top-level item) becomes the
    // selected caret and out becomes prefix + its name. Otherwise the selection text is
    // appended to out.
    virtual void BuildSelectionString(std::string& out, QTreeWidgetItem* start = nullptr,
                                      const std::string& prefix = {});

    // Live measurement. Leaving it gives the spectra stored meanwhile their items.
    void SetLiveMode(bool live);
    bool IsLiveMode() const { return m_liveMode; }

    // Sort settings of the frame: alphabetic sorts the top level, recursive the levels below.
    void SetAlphabeticSort(bool on);
    bool GetAlphabeticSort() const { return m_alphabeticSort; }
    void SetRecursiveSort(bool on);
    bool GetRecursiveSort() const { return m_recursiveSort; }

    // Tree events.
    void OnInsertNode(TreeNode* node, TreeNode* previousSibling) override;
    void OnUpdateNode(TreeNode* node) override;
    void OnDeleteNode(TreeNode* node) override;
    bool CanReplace(Spectrum* spectrum) override;

    // Hands the selected spectra to the plot (nothing while the document rebuilds its trees).
    void ShowSelectionInDiagram();

protected:
    void OnSelectionSettled() override;
    void OnBeginDrag(QTreeWidgetItem* item, const QPoint& point, bool left) override;
    void keyPressEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void SortItems() override;
    void OnRebuilt() override;

private:
    CMainFrame* Frame() const;
    SpecPlotLink* Plot() const;
    bool IsDocumentRebuilding() const;
    void LogStatistics();

    bool m_liveMode = false;
    bool m_alphabeticSort = true;
    bool m_recursiveSort = false;
};
