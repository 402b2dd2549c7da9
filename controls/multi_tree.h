#pragma once
// A one-column tree in which any number of items can be selected at a time. The current item
// of the QTreeWidget is the caret (the focus item); the selection is the tree's own, kept
// beside Qt's selection model, which stays empty (selectionCommand answers NoUpdate), so
// that Qt never selects behind the tree's back and selecting thousands of items stays cheap.
//
// Ctrl and Shift clicks, Shift and Ctrl with Up and Down, a rubber band with automatic
// scrolling, and the click-or-drag decision by QApplication::startDragDistance(). Every
// change of an item's selection goes through SetItemState, which asks OnSelChanging (true
// vetoes) and reports OnSelChanged; the other hooks report clicks and drag starts. While a
// hook runs, IsEmulatedNotify() is true. Changes made by one user action or by one of the
// multi-item calls (SelectAll, SelectRange, a whole band gesture, ...) end with one
// OnSelectionSettled, so a view can react once to the final selection.
//
// With multi-select off the tree is a plain single-selection tree: the selection follows the
// caret (changes still reported through the hooks), and clicks and drag starts are reported.
#include <QPersistentModelIndex>
#include <QPixmap>
#include <QPoint>
#include <QRect>
#include <QSet>
#include <QTreeWidget>

class QRubberBand;
class QTimer;

class CMultiTree : public QTreeWidget {
    Q_OBJECT

public:
    // Item state bits of GetItemState and SetItemState.
    static constexpr unsigned TVIS_FOCUSED = 0x0001;
    static constexpr unsigned TVIS_SELECTED = 0x0002;
    static constexpr unsigned TVIS_EXPANDED = 0x0020;
    // Interval of the band's automatic scrolling while the pointer is outside, in ms.
    static constexpr int kBandScrollInterval = 75;

    explicit CMultiTree(QWidget* parent = nullptr);
    ~CMultiTree() override;

    // Queries.
    bool IsSelected(const QTreeWidgetItem* item) const;
    QTreeWidgetItem* GetFocusedItem() const { return currentItem(); }
    // The item's state bits within mask (TVIS_FOCUSED for the caret).
    unsigned GetItemState(QTreeWidgetItem* item, unsigned mask) const;
    // The selected visible items in visible order; null at the end.
    QTreeWidgetItem* GetFirstSelectedItem() const;
    QTreeWidgetItem* GetNextSelectedItem(QTreeWidgetItem* item) const;
    int GetSelectedCount() const;
    void GetSelectedList(QList<QTreeWidgetItem*>& list) const;
    bool IsMultiSelect() const { return m_multiSelect; }
    bool IsEmulatedNotify() const { return m_emulatedNotify; }
    // The keyboard modifiers of the input event being handled (none outside one).
    Qt::KeyboardModifiers GetTriggerModifiers() const { return m_triggerModifiers; }
    // True while a user action or a multi-item call is changing the selection.
    bool IsInSelectionBatch() const { return m_batchDepth > 0; }

    // Visible order: top-level items, and the children of expanded items, hidden ones left out.
    QTreeWidgetItem* GetFirstVisibleItem() const;
    QTreeWidgetItem* GetNextVisibleItem(QTreeWidgetItem* item) const;
    QTreeWidgetItem* GetPrevVisibleItem(QTreeWidgetItem* item) const;

    // Changes. The heart: sets the TVIS_FOCUSED and TVIS_SELECTED bits of mask to state.
    // False for an item of another tree and for a vetoed selection change.
    bool SetItemState(QTreeWidgetItem* item, unsigned state, unsigned mask);
    // Moves the caret to item without changing the selection; null removes the caret (false
    // when there is none).
    bool FocusItem(QTreeWidgetItem* item);
    // Moves the caret to item and selects it, as a plain tree does (the previous caret loses
    // its selection); null clears the caret.
    bool SelectItem(QTreeWidgetItem* item);
    void SelectAll(bool select = true);
    void SelectAllIgnore(bool select, QTreeWidgetItem* ignore);
    // Selects the visible items from a to b (either order); with only, deselects the rest.
    void SelectRange(QTreeWidgetItem* a, QTreeWidgetItem* b, bool only = true);
    // Sets the selection of parent's children (null: the top-level items), recursing into
    // expanded children when asked. True when one of the visited items was the caret.
    bool SelectChildren(QTreeWidgetItem* parent, bool select = true, bool recurse = true);
    // Returns the previous value. Switching off keeps at most the caret selected.
    bool SetMultiSelect(bool multi);
    // True: the band tests the items' label rectangles, false: their whole rows.
    bool SetBandingHit(bool labelsOnly);
    void CollapseTree();
    // The picture of a dragged item: its icon, or else its text in grey.
    QPixmap CreateDragImage(QTreeWidgetItem* item) const;

    // The rectangle of the item's picture and label text in viewport coordinates: presses
    // there act on the item, presses beside it start a band.
    virtual QRect GetItemLabelRect(QTreeWidgetItem* item) const;

protected:
    // Hooks. In multi-select mode a change of one item reports (item, null) when it becomes
    // selected and (null, item) when it loses its selection; in single mode (new, old).
    virtual bool OnSelChanging(QTreeWidgetItem* itemNew, QTreeWidgetItem* itemOld);
    virtual void OnSelChanged(QTreeWidgetItem* itemNew, QTreeWidgetItem* itemOld);
    // After the selection changes of one action (see above).
    virtual void OnSelectionSettled();
    // A click with the left or right button; item is null for a click beside the items.
    virtual void OnClick(QTreeWidgetItem* item);
    virtual void OnRightClick(QTreeWidgetItem* item);
    // The pointer moved beyond the drag distance with a button down on item; point is
    // where the button went down (viewport coordinates).
    virtual void OnBeginDrag(QTreeWidgetItem* item, const QPoint& point, bool left);

    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    QItemSelectionModel::SelectionFlags selectionCommand(const QModelIndex& index,
                                                         const QEvent* event = nullptr) const override;
    void drawRow(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override;

    // Ends a press or band gesture without any further effect.
    void CancelTracking();

    // Holds the selection notifications of one action together (nests).
    class SelectionBatch {
    public:
        explicit SelectionBatch(CMultiTree& tree);
        ~SelectionBatch();
        SelectionBatch(const SelectionBatch&) = delete;
        SelectionBatch& operator=(const SelectionBatch&) = delete;

    private:
        CMultiTree& m_tree;
    };

private:
    enum class Hit { Nowhere, Button, Label };
    enum class Track { None, Press, Band };

    // The caret movement of a navigation key; false for other keys.
    static bool CursorActionFor(int key, CursorAction* action);
    Hit HitTest(const QPoint& point, QTreeWidgetItem** item) const;
    void PressOnItem(QTreeWidgetItem* item, bool left, Qt::KeyboardModifiers keys);
    void ClickItem(QTreeWidgetItem* item, bool left, Qt::KeyboardModifiers keys);
    void BeginBand(bool left, Qt::KeyboardModifiers keys, const QPoint& point);
    void BandStep(const QPoint& point);
    void UpdateBandSelection(const QRect& band);
    void EndBand();
    void OnBandTimer();
    void OnItemCollapsed(const QModelIndex& index);
    void OnRowsAboutToBeRemoved(const QModelIndex& parent, int first, int last);
    void ForgetSubtree(QTreeWidgetItem* item);
    void BeginBatch();
    void EndBatch();
    // Moves the caret in single-select mode: the selection follows it, with notifications.
    bool MoveSingleCaret(QTreeWidgetItem* item, QTreeWidgetItem* old);
    // A caret moved by a key takes the selection, as in a plain tree.
    void CaretMovedByKey(QTreeWidgetItem* next, QTreeWidgetItem* old);
    void SetCaret(QTreeWidgetItem* item);
    void ApplySelection(QTreeWidgetItem* item, bool select);
    bool NotifySelChanging(QTreeWidgetItem* itemNew, QTreeWidgetItem* itemOld);
    void NotifySelChanged(QTreeWidgetItem* itemNew, QTreeWidgetItem* itemOld);
    QPoint ScrollOffset() const;
    int RowStep() const;
    QTreeWidgetItem* AnchorItem() const;
    void SetAnchor(QTreeWidgetItem* item);
    template <class F>
    bool ForEachVisible(QTreeWidgetItem* parent, F&& f) const;

    bool m_multiSelect = true;
    bool m_emulatedNotify = false;
    bool m_bandingHit = false;
    QPersistentModelIndex m_anchor;
    QSet<const QTreeWidgetItem*> m_selected;
    Qt::KeyboardModifiers m_triggerModifiers = Qt::NoModifier;
    int m_batchDepth = 0;
    bool m_batchChanged = false;

    // The gesture under way.
    Track m_track = Track::None;
    bool m_trackLeft = true;
    Qt::KeyboardModifiers m_trackKeys = Qt::NoModifier;
    QPoint m_pressPoint;
    QTreeWidgetItem* m_pressItem = nullptr;
    // Band: the fixed corner in content coordinates, the last pointer position, the
    // selection at its start (with Shift or Ctrl), and whether it has started to show.
    QPoint m_bandCorner;
    QPoint m_bandLast;
    QSet<const QTreeWidgetItem*> m_bandInitial;
    bool m_bandStarted = false;
    QRubberBand* m_rubberBand = nullptr;
    QTimer* m_bandTimer = nullptr;
};
