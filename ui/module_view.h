#pragma once
// Left pane: the project's modules in their menu groups, with two-line hyphenated labels.
// Selecting a module puts its editor form into the editor pane (the form shown before keeps
// its values: it is saved first); selecting a group puts the main panel there with the
// group's module list. With Ctrl held, selecting a parameter entry only takes its
// description for a later parameter drop. The right button opens the manuals of the caret
// module's area; a drag hands the module, parameter or operation to a drop field.
#include "ui/document_view.h"
#include "ui/velmont_tree_view.h"

#include "core/module.h"

#include <QString>

#include <string>

class CMainFrame;

class CModuleView : public CVelmontTreeView<ModuleTree>, public CDocumentView {
    Q_OBJECT

public:
    static constexpr int kItemHeight = 42;

    explicit CModuleView(QWidget* parent = nullptr);
    ~CModuleView() override;

    // Attaches to the document's module tree and rebuilds; then selects the reselect name
    // again (through a queued call) and scrolls fully left.
    void OnInitialUpdate() override;

    // Describes the parameter entry last selected with Ctrl held; a dropped parameter carries it.
    const std::string& GetParameterText() const { return m_parameterText; }
    // What a dragged parameter hands to a drop field: its module-tree path followed by its
    // description ("path:name|comment|type|min|max"); the path alone when it names no parameter.
    std::string DraggedParameterText(const std::string& path) const;
    // The own name of the module to select again after a project was opened.
    void SetReselectName(const QString& name) { m_reselectName = name; }
    const QString& GetReselectName() const { return m_reselectName; }
    // Selects the first item whose text, with or without its "|" marks, equals the reselect
    // name ignoring case (depth-first); its selection shows its editor. The name is used once.
    void Reselect();

    // Tree events: the item with its picture; a new top-level item sorts the top level. A node
    // that gets its module keeps a fitting picture.
    void OnInsertNode(TreeNode* node, TreeNode* previousSibling) override;
    void OnUpdateNode(TreeNode* node) override;

    // The rectangle the label is drawn in: presses anywhere on it select the item.
    QRect GetItemLabelRect(QTreeWidgetItem* item) const override;

protected:
    void OnSelChanged(QTreeWidgetItem* itemNew, QTreeWidgetItem* itemOld) override;
    void OnClick(QTreeWidgetItem* item) override;
    void OnBeginDrag(QTreeWidgetItem* item, const QPoint& point, bool left) override;
    void mousePressEvent(QMouseEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    bool viewportEvent(QEvent* event) override;
    void SortItems() override;
    void OnRebuilt() override;

private:
    CMainFrame* Frame() const;
    // The editor pane gets the module's form, or on failure the main panel.
    void ShowModuleEditor(Module* module);
    void ShowMainPanel();
    // A form in the editor pane keeps what was typed into it.
    void SaveEditorPane();
    void OpenManuals();

    std::string m_parameterText;
    QString m_reselectName;
};
