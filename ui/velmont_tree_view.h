#pragma once
// The tree panes (modules, spectra, clipboard objects) mirror one ns_tree::Tree each. The
// view is a multi-select tree control and at the same time the tree's event handler: every
// node but the root has one item, whose text is the node's name and whose Qt::UserRole
// holds the node; the node's view word holds the item. An item whose node has no object is a
// group.
//
// View words: the view clears every view word of its tree before a rebuild and when it lets
// the tree go, and it only ever deletes items it made itself, so a stale word never reaches
// delete. Nodes may have no item (the module tree's parameter entries, spectra stored in
// live mode); every handler checks.
//
// Rebuilds build the items apart and hand the top level to the control in one step;
// insertions at the top level sort once in the next turn of the event loop, not once per
// node.
#include "controls/multi_tree.h"
#include "core/module.h"

#include <QPointer>
#include <QSet>

#include <set>
#include <string>
#include <QTreeWidgetItem>

#include <string>
#include <type_traits>

// An item of a tree pane: sorts by text without regard to case.
class CTreeViewItem : public QTreeWidgetItem {
public:
    CTreeViewItem();
    ~CTreeViewItem() override;
    bool operator<(const QTreeWidgetItem& other) const override;
};

template <class T>
class CVelmontTreeView : public CMultiTree, public T::EventHandler {
public:
    using Tree = T;
    using TreeNode = typename T::TreeNode;
    using Object = std::remove_pointer_t<
        typename std::remove_reference_t<decltype(std::declval<T&>().GetInserters())>::value_type>;

    explicit CVelmontTreeView(QWidget* parent = nullptr) : CMultiTree(parent) {}
    ~CVelmontTreeView() override { Detach(); }

    T* GetTree() const { return m_tree; }

    // Lets the previous tree go, becomes tree's event handler and rebuilds. owner, when given,
    // is the object the tree belongs to: once it is gone, the view no longer touches the tree.
    void Attach(T* tree, QObject* owner = nullptr)
    {
        Detach();
        m_tree = tree;
        m_treeOwner = owner;
        m_hasTreeOwner = owner != nullptr;
        if (m_tree)
            m_tree->SetEventHandler(this);
        Rebuild();
    }

    // The tree loses its handler (when it is this view) and every view word.
    void Detach()
    {
        if (m_hasTreeOwner && !m_treeOwner)
            m_tree = nullptr; // the tree went with its owner
        if (!m_tree)
            return;
        if (m_tree->GetEventHandler() == this)
            m_tree->SetEventHandler(nullptr);
        ClearViewWords(m_tree->GetRootNode());
        m_tree = nullptr;
    }

    // Deletes every item and makes them again from the tree, depth-first in child order;
    // in the module tree a node's children are walked only up to the first parameter or
    // operation entry.
    void Rebuild()
    {
        m_sortPending = false;
        if (m_tree)
            ClearViewWords(m_tree->GetRootNode());
        m_items.clear();
        m_expandedGone.clear();
        clear();
        if (!m_tree)
            return;
        m_rebuilding = true;
        Walk(m_tree->GetRootNode());
        addTopLevelItems(m_pendingTopLevel);
        m_pendingTopLevel.clear();
        m_rebuilding = false;
        OnRebuilt();
    }

    static TreeNode* NodeOf(const QTreeWidgetItem* item)
    {
        return item ? reinterpret_cast<TreeNode*>(item->data(0, Qt::UserRole).value<quintptr>()) : nullptr;
    }
    // The node's item; null when it has none (or a word this view did not write).
    QTreeWidgetItem* ItemOf(const TreeNode* node) const
    {
        auto* item = node ? static_cast<QTreeWidgetItem*>(node->GetViewWord()) : nullptr;
        return item && m_items.contains(item) ? item : nullptr;
    }
    // True for an item that stands for an object, false for a group.
    static bool IsObjectItem(const QTreeWidgetItem* item)
    {
        const TreeNode* node = NodeOf(item);
        return node && node->GetData() && node->GetData()->GetObject();
    }

    // Appends the ";"-separated selection to out: from start (null: the first top-level
    // item) along its siblings, a selected object as prefix + name, a selected group as
    // prefix + name + ":*" without visiting its children, and the children of an unselected
    // item with prefix + name + ":".
    void AppendSelection(std::string& out, QTreeWidgetItem* start, const std::string& prefix) const
    {
        if (!start)
            start = topLevelItem(0);
        if (!start)
            return;
        QTreeWidgetItem* container = start->parent() ? start->parent() : invisibleRootItem();
        for (int i = indexFromItem(start).row(); i >= 0 && i < container->childCount(); ++i) {
            QTreeWidgetItem* item = container->child(i);
            const TreeNode* node = NodeOf(item);
            if (!node)
                continue;
            if (IsSelected(item)) {
                if (!out.empty())
                    out += ';';
                out += prefix + node->GetName() + (IsObjectItem(item) ? "" : ":*");
            } else if (item->childCount() > 0) {
                AppendSelection(out, item->child(0), prefix + node->GetName() + ":");
            }
        }
    }

    // The ":"-path of the first selected item, or of its parent when it is an object;
    // empty when there is none.
    std::string GetSelectionGroupPath() const
    {
        QTreeWidgetItem* item = GetFirstSelectedItem();
        if (item && IsObjectItem(item))
            item = item->parent();
        const TreeNode* node = NodeOf(item);
        return node ? node->GetPath() : std::string();
    }

    // Tree events. The template appends each new node's item as the last child.
    void OnInsertNode(TreeNode* node, TreeNode* previousSibling) override { InsertItem(node, nullptr); }
    void OnDeleteNode(TreeNode* node) override
    {
        QTreeWidgetItem* item = ItemOf(node);
        node->SetViewWord(nullptr);
        if (!item)
            return;
        // A group that a module empties and fills again (a second run) opens as it was.
        if (item->isExpanded())
            m_expandedGone.insert(node->GetPath());
        Forget(item);
        delete item;
    }
    void OnUpdateNode(TreeNode* node) override {}
    bool CanReplace(Object* object) override { return true; }

    // What filing object at its path replaces, found as the tree's AddInserter finds it: the
    // object met first on the path, at the path or higher up it ("Mess:Rot" for a new
    // "Mess:Rot:Rot"). Otherwise object itself: a group at the path has object's name.
    const Object* ReplacedBy(const Object* object) const
    {
        const TreeNode* node = m_tree && object ? m_tree->GetNodeByName(object->GetName(), false, true) : nullptr;
        if (node && node->GetData() && node->GetData()->GetObject())
            return node->GetData()->GetObject();
        return object;
    }

protected:
    // Makes the node's item under its parent's item (made first when missing): after the
    // item of after, or as the last child (with atFront, as the first).
    QTreeWidgetItem* InsertItem(TreeNode* node, TreeNode* after, bool atFront = false)
    {
        if (!node || !node->GetParent())
            return nullptr;
        if (QTreeWidgetItem* old = ItemOf(node)) {
            Forget(old);
            delete old;
        }
        QTreeWidgetItem* parent = nullptr;
        if (m_tree && node->GetParent() != m_tree->GetRootNode()) {
            parent = ItemOf(node->GetParent());
            if (!parent)
                parent = InsertItem(node->GetParent(), nullptr);
            if (!parent)
                return nullptr;
        }
        QTreeWidgetItem* item = NewItem();
        item->setText(0, QString::fromStdString(node->GetName()));
        item->setData(0, Qt::UserRole, QVariant::fromValue(reinterpret_cast<quintptr>(node)));
        node->SetViewWord(item);
        m_items.insert(item);
        QTreeWidgetItem* afterItem = ItemOf(after);
        if (parent) {
            const int index = afterItem && afterItem->parent() == parent ? indexFromItem(afterItem).row() + 1
                            : atFront                                    ? 0
                                                                         : parent->childCount();
            parent->insertChild(index, item);
        } else if (m_rebuilding) {
            m_pendingTopLevel.append(item);
        } else {
            const int index = afterItem && !afterItem->parent() ? indexFromItem(afterItem).row() + 1
                            : atFront                            ? 0
                                                                 : topLevelItemCount();
            insertTopLevelItem(index, item);
        }
        // A group that was open when it went opens again with its first child.
        if (parent && !m_expandedGone.empty() && m_expandedGone.erase(NodeOf(parent)->GetPath()) > 0)
            parent->setExpanded(true);
        return item;
    }

    // Gives every node without an item one (nodes below the module-tree stop excepted).
    void AddMissingItems()
    {
        if (m_tree)
            AddMissing(m_tree->GetRootNode());
    }

    virtual QTreeWidgetItem* NewItem() const { return new CTreeViewItem; }
    // After a rebuild (the views sort here).
    virtual void OnRebuilt() {}
    // The views' sort rule, run by ScheduleSort.
    virtual void SortItems() {}

    // Sorts once in the next turn of the event loop, however many nodes arrive meanwhile.
    void ScheduleSort()
    {
        if (m_sortPending || m_rebuilding)
            return;
        m_sortPending = true;
        QMetaObject::invokeMethod(
            static_cast<QObject*>(this),
            [this] {
                if (!m_sortPending)
                    return;
                m_sortPending = false;
                SortItems();
            },
            Qt::QueuedConnection);
    }
    bool IsSortPending() const { return m_sortPending; }
    bool IsRebuilding() const { return m_rebuilding; }

    void SortTopLevel() { invisibleRootItem()->sortChildren(0, Qt::AscendingOrder); }
    void SortAllLevels() { sortItems(0, Qt::AscendingOrder); }

    bool IsRootNode(const TreeNode* node) const { return m_tree && node == m_tree->GetRootNode(); }

private:
    // The module tree's walk ends at a node's first parameter or operation entry.
    static bool EndsWalk(const TreeNode* child)
    {
        if constexpr (std::is_base_of_v<ModuleTreeBase, T>) {
            const ModuleTreeData* data = child->GetData();
            return data && (data->GetKind() == ModuleTreeData::kParameter || data->GetKind() == ModuleTreeData::kFunction);
        } else {
            return false;
        }
    }

    void Walk(TreeNode* node)
    {
        for (TreeNode* child : node->GetChildren()) {
            if (EndsWalk(child))
                break;
            OnInsertNode(child, nullptr);
            Walk(child);
        }
    }

    void AddMissing(TreeNode* node)
    {
        for (TreeNode* child : node->GetChildren()) {
            if (EndsWalk(child))
                break;
            if (!ItemOf(child))
                InsertItem(child, nullptr);
            AddMissing(child);
        }
    }

    static void ClearViewWords(TreeNode* node)
    {
        node->SetViewWord(nullptr);
        for (TreeNode* child : node->GetChildren())
            ClearViewWords(child);
    }

    // Drops an item about to be deleted, and its child items, from the view's records.
    void Forget(QTreeWidgetItem* item)
    {
        m_items.remove(item);
        for (int i = 0, n = item->childCount(); i < n; ++i) {
            QTreeWidgetItem* child = item->child(i);
            if (TreeNode* node = NodeOf(child); node && node->GetViewWord() == child)
                node->SetViewWord(nullptr);
            Forget(child);
        }
    }

    T* m_tree = nullptr;
    QPointer<QObject> m_treeOwner;
    bool m_hasTreeOwner = false;
    QSet<const QTreeWidgetItem*> m_items;
    // Paths of expanded groups whose items went with their nodes, until they come back.
    std::set<std::string> m_expandedGone;
    QList<QTreeWidgetItem*> m_pendingTopLevel;
    bool m_rebuilding = false;
    bool m_sortPending = false;
};
