#pragma once
// Lower right pane: the project's clipboard objects. Delete removes the selected objects
// after a question, the right button writes their parameters into the log, a drag hands the
// selection to a drop field, and a module storing an object under a taken name is asked the
// four-answer question here ("Ja, alle" and "Nein, alle" hold until the document clears them
// at the start and the end of a calculation).
#include "ui/document_view.h"
#include "ui/object_tree_view.h"

#include "core/clipboard_object.h"

#include <string>

class CMainFrame;

class CClipboardTreeView : public CObjectTreeView<ClipboardTree>, public CDocumentView {
    Q_OBJECT

public:
    explicit CClipboardTreeView(QWidget* parent = nullptr);
    ~CClipboardTreeView() override;

    // Attaches to the document's clipboard tree and rebuilds.
    void OnInitialUpdate() override;

    // Appends the selection text to out.
    void BuildSelectionString(std::string& out, QTreeWidgetItem* start = nullptr, const std::string& prefix = {});

    // "Ja, alle" and "Nein, alle" of the overwrite question.
    void ClearOverwriteAnswers();
    bool GetYesToAll() const { return m_yesToAll; }
    bool GetNoToAll() const { return m_noToAll; }

    // Sorting of the top level (the frame's alphabetic setting).
    void SetSortFlag(bool on) { m_sortFlag = on; }
    bool GetSortFlag() const { return m_sortFlag; }

    // Tree events.
    void OnInsertNode(TreeNode* node, TreeNode* previousSibling) override;
    void OnUpdateNode(TreeNode* node) override;
    bool CanReplace(ClipboardObject* object) override;

protected:
    void OnBeginDrag(QTreeWidgetItem* item, const QPoint& point, bool left) override;
    void keyPressEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void SortItems() override;
    void OnRebuilt() override;

private:
    CMainFrame* Frame() const;
    void ListParameters();

    bool m_yesToAll = false;
    bool m_noToAll = false;
    bool m_sortFlag = true;
};
