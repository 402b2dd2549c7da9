#include "controls/multi_tree.h"

#include <QApplication>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QProxyStyle>
#include <QRubberBand>
#include <QScopedValueRollback>
#include <QScrollBar>
#include <QStyle>
#include <QTimer>

#include <cstdlib>
#include <vector>

namespace {

bool WithinDragDistance(const QPoint& a, const QPoint& b)
{
    const int distance = QApplication::startDragDistance();
    return std::abs(a.x() - b.x()) <= distance && std::abs(a.y() - b.y()) <= distance;
}

bool IsBelow(const QTreeWidgetItem* item, const QTreeWidgetItem* ancestor)
{
    for (const QTreeWidgetItem* p = item ? item->parent() : nullptr; p; p = p->parent()) {
        if (p == ancestor)
            return true;
    }
    return false;
}

// The tree's style: a selection marks the item, never its indentation (the branch area).
class CMultiTreeStyle : public QProxyStyle {
public:
    int styleHint(StyleHint hint, const QStyleOption* option, const QWidget* widget,
                  QStyleHintReturn* returnData) const override
    {
        if (hint == QStyle::SH_ItemView_ShowDecorationSelected)
            return 0;
        return QProxyStyle::styleHint(hint, option, widget, returnData);
    }
};

constexpr unsigned kFocusAndSelection = CMultiTree::TVIS_FOCUSED | CMultiTree::TVIS_SELECTED;

} // namespace

CMultiTree::SelectionBatch::SelectionBatch(CMultiTree& tree) : m_tree(tree)
{
    m_tree.BeginBatch();
}

CMultiTree::SelectionBatch::~SelectionBatch()
{
    m_tree.EndBatch();
}

CMultiTree::CMultiTree(QWidget* parent) : QTreeWidget(parent)
{
    setColumnCount(1);
    setHeaderHidden(true);
    setSelectionMode(QAbstractItemView::ExtendedSelection);
    setSelectionBehavior(QAbstractItemView::SelectItems);
    auto* style = new CMultiTreeStyle;
    style->setParent(this);
    setStyle(style);
    setDragEnabled(false);
    setUniformRowHeights(true);
    // Pixel scrolling keeps the band's fixed corner exact in content coordinates.
    setVerticalScrollMode(QAbstractItemView::ScrollPerPixel);
    setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);

    m_rubberBand = new QRubberBand(QRubberBand::Rectangle, viewport());
    m_rubberBand->hide();
    m_bandTimer = new QTimer(this);
    m_bandTimer->setInterval(kBandScrollInterval);
    connect(m_bandTimer, &QTimer::timeout, this, &CMultiTree::OnBandTimer);

    connect(this, &QTreeView::collapsed, this, &CMultiTree::OnItemCollapsed);
    connect(model(), &QAbstractItemModel::rowsAboutToBeRemoved, this, &CMultiTree::OnRowsAboutToBeRemoved);
    connect(model(), &QAbstractItemModel::modelAboutToBeReset, this, [this] {
        if (m_track != Track::None)
            CancelTracking();
        m_selected.clear();
        m_bandInitial.clear();
    });
}

CMultiTree::~CMultiTree()
{
    // The base classes remove the items after this part is gone: no handler of ours may run.
    disconnect(model(), nullptr, this, nullptr);
    disconnect(this, &QTreeView::collapsed, this, &CMultiTree::OnItemCollapsed);
}

// ---------------------------------------------------------------------------------------------
// Queries

bool CMultiTree::IsSelected(const QTreeWidgetItem* item) const
{
    return item && m_selected.contains(item);
}

unsigned CMultiTree::GetItemState(QTreeWidgetItem* item, unsigned mask) const
{
    if (!item)
        return 0;
    unsigned state = 0;
    if (IsSelected(item))
        state |= TVIS_SELECTED;
    if (item == currentItem())
        state |= TVIS_FOCUSED;
    if (item->isExpanded())
        state |= TVIS_EXPANDED;
    return state & mask;
}

template <class F>
bool CMultiTree::ForEachVisible(QTreeWidgetItem* parent, F&& f) const
{
    for (int i = 0, n = parent->childCount(); i < n; ++i) {
        QTreeWidgetItem* child = parent->child(i);
        if (child->isHidden())
            continue;
        if (!f(child))
            return false;
        if (child->childCount() > 0 && child->isExpanded() && !ForEachVisible(child, f))
            return false;
    }
    return true;
}

QTreeWidgetItem* CMultiTree::GetFirstVisibleItem() const
{
    for (int i = 0, n = topLevelItemCount(); i < n; ++i) {
        if (!topLevelItem(i)->isHidden())
            return topLevelItem(i);
    }
    return nullptr;
}

QTreeWidgetItem* CMultiTree::GetNextVisibleItem(QTreeWidgetItem* item) const
{
    if (!item)
        return nullptr;
    if (item->childCount() > 0 && item->isExpanded()) {
        for (int i = 0, n = item->childCount(); i < n; ++i) {
            if (!item->child(i)->isHidden())
                return item->child(i);
        }
    }
    for (QTreeWidgetItem* it = item; it; it = it->parent()) {
        QTreeWidgetItem* container = it->parent() ? it->parent() : invisibleRootItem();
        // indexFromItem remembers each item's row, so this stays cheap for long sibling lists.
        for (int r = indexFromItem(it).row() + 1, n = container->childCount(); r < n; ++r) {
            if (!container->child(r)->isHidden())
                return container->child(r);
        }
    }
    return nullptr;
}

QTreeWidgetItem* CMultiTree::GetPrevVisibleItem(QTreeWidgetItem* item) const
{
    if (!item)
        return nullptr;
    QTreeWidgetItem* container = item->parent() ? item->parent() : invisibleRootItem();
    for (int r = indexFromItem(item).row() - 1; r >= 0; --r) {
        QTreeWidgetItem* sibling = container->child(r);
        if (sibling->isHidden())
            continue;
        // The last visible item below the sibling.
        for (bool descended = true; descended && sibling->childCount() > 0 && sibling->isExpanded();) {
            descended = false;
            for (int c = sibling->childCount() - 1; c >= 0; --c) {
                if (!sibling->child(c)->isHidden()) {
                    sibling = sibling->child(c);
                    descended = true;
                    break;
                }
            }
        }
        return sibling;
    }
    return item->parent();
}

QTreeWidgetItem* CMultiTree::GetFirstSelectedItem() const
{
    if (m_selected.isEmpty())
        return nullptr;
    QTreeWidgetItem* found = nullptr;
    ForEachVisible(invisibleRootItem(), [&](QTreeWidgetItem* item) {
        if (IsSelected(item))
            found = item;
        return !found;
    });
    return found;
}

QTreeWidgetItem* CMultiTree::GetNextSelectedItem(QTreeWidgetItem* item) const
{
    if (m_selected.isEmpty())
        return nullptr;
    for (QTreeWidgetItem* it = GetNextVisibleItem(item); it; it = GetNextVisibleItem(it)) {
        if (IsSelected(it))
            return it;
    }
    return nullptr;
}

int CMultiTree::GetSelectedCount() const
{
    if (m_selected.isEmpty())
        return 0;
    int count = 0;
    ForEachVisible(invisibleRootItem(), [&](QTreeWidgetItem* item) {
        count += IsSelected(item) ? 1 : 0;
        return true;
    });
    return count;
}

void CMultiTree::GetSelectedList(QList<QTreeWidgetItem*>& list) const
{
    list.clear();
    if (m_selected.isEmpty())
        return;
    ForEachVisible(invisibleRootItem(), [&](QTreeWidgetItem* item) {
        if (IsSelected(item))
            list.append(item);
        return true;
    });
}

// ---------------------------------------------------------------------------------------------
// Changes

void CMultiTree::BeginBatch()
{
    ++m_batchDepth;
}

void CMultiTree::EndBatch()
{
    if (--m_batchDepth > 0 || !m_batchChanged)
        return;
    m_batchChanged = false;
    QScopedValueRollback<bool> emulated(m_emulatedNotify, true);
    OnSelectionSettled();
}

bool CMultiTree::NotifySelChanging(QTreeWidgetItem* itemNew, QTreeWidgetItem* itemOld)
{
    QScopedValueRollback<bool> emulated(m_emulatedNotify, true);
    return OnSelChanging(itemNew, itemOld);
}

void CMultiTree::NotifySelChanged(QTreeWidgetItem* itemNew, QTreeWidgetItem* itemOld)
{
    QScopedValueRollback<bool> emulated(m_emulatedNotify, true);
    OnSelChanged(itemNew, itemOld);
}

void CMultiTree::SetCaret(QTreeWidgetItem* item)
{
    const QModelIndex index = item ? indexFromItem(item) : QModelIndex();
    selectionModel()->setCurrentIndex(index, QItemSelectionModel::NoUpdate);
}

void CMultiTree::ApplySelection(QTreeWidgetItem* item, bool select)
{
    if (select)
        m_selected.insert(item);
    else
        m_selected.remove(item);
    m_batchChanged = true;
    viewport()->update();
}

bool CMultiTree::SetItemState(QTreeWidgetItem* item, unsigned state, unsigned mask)
{
    if (!item || item->treeWidget() != this)
        return false;
    SelectionBatch batch(*this);
    if (!m_multiSelect) {
        // The selection follows the caret.
        if (!(mask & kFocusAndSelection))
            return true;
        if (state & mask & kFocusAndSelection)
            return MoveSingleCaret(item, currentItem());
        return item == currentItem() ? MoveSingleCaret(nullptr, item) : true;
    }
    if (mask & TVIS_FOCUSED) {
        if (state & TVIS_FOCUSED)
            SetCaret(item);
        else if (item == currentItem())
            SetCaret(nullptr);
    }
    if (mask & TVIS_SELECTED) {
        const bool select = (state & TVIS_SELECTED) != 0;
        if (select != IsSelected(item)) {
            QTreeWidgetItem* itemNew = select ? item : nullptr;
            QTreeWidgetItem* itemOld = select ? nullptr : item;
            if (NotifySelChanging(itemNew, itemOld))
                return false;
            ApplySelection(item, select);
            NotifySelChanged(itemNew, itemOld);
        }
    }
    return true;
}

bool CMultiTree::MoveSingleCaret(QTreeWidgetItem* item, QTreeWidgetItem* old)
{
    if (item == old && (!item || IsSelected(item)))
        return true;
    if (NotifySelChanging(item, old))
        return false;
    SetCaret(item);
    m_selected.clear();
    if (item)
        m_selected.insert(item);
    m_batchChanged = true;
    viewport()->update();
    NotifySelChanged(item, old);
    return true;
}

bool CMultiTree::FocusItem(QTreeWidgetItem* item)
{
    if (item)
        return SetItemState(item, TVIS_FOCUSED, TVIS_FOCUSED);
    QTreeWidgetItem* caret = currentItem();
    return caret && SetItemState(caret, 0, TVIS_FOCUSED);
}

bool CMultiTree::SelectItem(QTreeWidgetItem* item)
{
    if (item && item->treeWidget() != this)
        return false;
    SelectionBatch batch(*this);
    QTreeWidgetItem* old = currentItem();
    if (!m_multiSelect)
        return MoveSingleCaret(item, old);
    if (old && old != item && IsSelected(old))
        SetItemState(old, 0, TVIS_SELECTED);
    if (!item) {
        SetCaret(nullptr);
        return true;
    }
    return SetItemState(item, kFocusAndSelection, kFocusAndSelection);
}

void CMultiTree::SelectAll(bool select)
{
    SelectAllIgnore(select, nullptr);
}

void CMultiTree::SelectAllIgnore(bool select, QTreeWidgetItem* ignore)
{
    if (!select && m_selected.isEmpty())
        return;
    SelectionBatch batch(*this);
    std::vector<QTreeWidgetItem*> items;
    ForEachVisible(invisibleRootItem(), [&](QTreeWidgetItem* item) {
        if (item != ignore && IsSelected(item) != select)
            items.push_back(item);
        return true;
    });
    for (QTreeWidgetItem* item : items)
        SetItemState(item, select ? TVIS_SELECTED : 0, TVIS_SELECTED);
}

void CMultiTree::SelectRange(QTreeWidgetItem* a, QTreeWidgetItem* b, bool only)
{
    if (!a)
        a = b;
    if (!b)
        b = a;
    if (!a)
        return;
    SelectionBatch batch(*this);
    std::vector<QTreeWidgetItem*> items;
    ForEachVisible(invisibleRootItem(), [&](QTreeWidgetItem* item) {
        items.push_back(item);
        return true;
    });
    enum { Before, Inside, After } phase = Before;
    QTreeWidgetItem* last = nullptr;
    for (QTreeWidgetItem* item : items) {
        if (phase == Before && (item == a || item == b)) {
            last = item == a ? b : a;
            phase = Inside;
        }
        if (phase == Inside) {
            if (!IsSelected(item))
                SetItemState(item, TVIS_SELECTED, TVIS_SELECTED);
            if (item == last)
                phase = After;
        } else if (only && IsSelected(item)) {
            SetItemState(item, 0, TVIS_SELECTED);
        }
    }
}

bool CMultiTree::SelectChildren(QTreeWidgetItem* parent, bool select, bool recurse)
{
    SelectionBatch batch(*this);
    QTreeWidgetItem* container = parent ? parent : invisibleRootItem();
    bool hadFocus = false;
    for (int i = 0; i < container->childCount(); ++i) {
        QTreeWidgetItem* child = container->child(i);
        if (child == currentItem())
            hadFocus = true;
        if (IsSelected(child) != select)
            SetItemState(child, select ? TVIS_SELECTED : 0, TVIS_SELECTED);
        if (recurse && child->childCount() > 0 && child->isExpanded() && SelectChildren(child, select, recurse))
            hadFocus = true;
    }
    return hadFocus;
}

bool CMultiTree::SetMultiSelect(bool multi)
{
    const bool previous = m_multiSelect;
    if (multi == previous)
        return previous;
    if (!multi) {
        SelectionBatch batch(*this);
        QTreeWidgetItem* caret = currentItem();
        const bool keep = caret && IsSelected(caret);
        SelectAllIgnore(false, keep ? caret : nullptr);
        m_multiSelect = false;
        // Selections hidden in collapsed branches go too: one item at most from now on.
        m_selected.clear();
        if (keep)
            m_selected.insert(caret);
        setSelectionMode(QAbstractItemView::SingleSelection);
    } else {
        m_multiSelect = true;
        setSelectionMode(QAbstractItemView::ExtendedSelection);
    }
    viewport()->update();
    return previous;
}

bool CMultiTree::SetBandingHit(bool labelsOnly)
{
    const bool previous = m_bandingHit;
    m_bandingHit = labelsOnly;
    return previous;
}

void CMultiTree::CollapseTree()
{
    if (QTreeWidgetItem* caret = currentItem())
        caret->setExpanded(false);
}

QPixmap CMultiTree::CreateDragImage(QTreeWidgetItem* item) const
{
    if (!item)
        return {};
    const QIcon icon = item->icon(0);
    if (!icon.isNull()) {
        const QSize size = iconSize().isValid() ? iconSize() : QSize(24, 24);
        return icon.pixmap(size);
    }
    const QFontMetrics metrics(font());
    const QString text = item->text(0);
    QPixmap picture(QSize(std::max(1, metrics.horizontalAdvance(text)), std::max(1, metrics.height())));
    picture.fill(Qt::transparent);
    QPainter painter(&picture);
    painter.setFont(font());
    painter.setPen(palette().color(QPalette::Disabled, QPalette::Text));
    painter.drawText(picture.rect(), Qt::AlignLeft | Qt::AlignVCenter, text);
    return picture;
}

QRect CMultiTree::GetItemLabelRect(QTreeWidgetItem* item) const
{
    if (!item)
        return {};
    const QRect row = visualItemRect(item);
    if (row.isEmpty())
        return {};
    int width = 0;
    if (!item->icon(0).isNull()) {
        const int metric = style()->pixelMetric(QStyle::PM_SmallIconSize, nullptr, this);
        width += (iconSize().isValid() ? iconSize().width() : metric) + 4;
    }
    const QVariant itemFont = item->data(0, Qt::FontRole);
    const QFontMetrics metrics(itemFont.isValid() ? itemFont.value<QFont>() : font());
    const int margin = style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, this) + 1;
    width += metrics.horizontalAdvance(item->text(0)) + 2 * margin;
    return QRect(row.left(), row.top(), std::min(width, row.width()), row.height());
}

// ---------------------------------------------------------------------------------------------
// Hooks: the plain tree does nothing.

bool CMultiTree::OnSelChanging(QTreeWidgetItem*, QTreeWidgetItem*)
{
    return false;
}

void CMultiTree::OnSelChanged(QTreeWidgetItem*, QTreeWidgetItem*) {}

void CMultiTree::OnSelectionSettled() {}

void CMultiTree::OnClick(QTreeWidgetItem*) {}

void CMultiTree::OnRightClick(QTreeWidgetItem*) {}

void CMultiTree::OnBeginDrag(QTreeWidgetItem*, const QPoint&, bool) {}

// ---------------------------------------------------------------------------------------------
// Mouse

CMultiTree::Hit CMultiTree::HitTest(const QPoint& point, QTreeWidgetItem** item) const
{
    *item = itemAt(point);
    if (!*item)
        return Hit::Nowhere;
    const QRect row = visualItemRect(*item);
    const bool hasButton = ((*item)->parent() || rootIsDecorated())
        && ((*item)->childCount() > 0
            || (*item)->childIndicatorPolicy() == QTreeWidgetItem::ShowIndicator);
    if (hasButton && point.x() < row.left() && point.x() >= row.left() - indentation())
        return Hit::Button;
    return GetItemLabelRect(*item).contains(point) ? Hit::Label : Hit::Nowhere;
}

void CMultiTree::PressOnItem(QTreeWidgetItem* item, bool left, Qt::KeyboardModifiers keys)
{
    const bool shift = keys & Qt::ShiftModifier;
    const bool ctrl = keys & Qt::ControlModifier;
    if (left && shift) {
        if (!AnchorItem())
            SetAnchor(currentItem() ? currentItem() : item);
        SelectRange(AnchorItem(), item, !ctrl);
        FocusItem(item);
    } else if (left) {
        if (!ctrl && !IsSelected(item)) {
            SelectAllIgnore(false, item);
            SetItemState(item, kFocusAndSelection, kFocusAndSelection);
        }
        SetAnchor(nullptr);
    } else if (shift || ctrl) {
        if (!shift)
            SetAnchor(item);
    } else if (!IsSelected(item)) {
        SelectAllIgnore(false, item);
        SetItemState(item, kFocusAndSelection, kFocusAndSelection);
    }
}

void CMultiTree::ClickItem(QTreeWidgetItem* item, bool left, Qt::KeyboardModifiers keys)
{
    if (!m_multiSelect) {
        if (left)
            MoveSingleCaret(item, currentItem());
    } else if (left && !(keys & Qt::ShiftModifier)) {
        if (keys & Qt::ControlModifier) {
            SetItemState(item, TVIS_FOCUSED | (IsSelected(item) ? 0 : TVIS_SELECTED), kFocusAndSelection);
        } else {
            SelectAllIgnore(false, item);
            SetItemState(item, kFocusAndSelection, kFocusAndSelection);
        }
    }
    if (!hasFocus())
        setFocus(Qt::MouseFocusReason);
    QScopedValueRollback<bool> emulated(m_emulatedNotify, true);
    if (left)
        OnClick(item);
    else
        OnRightClick(item);
}

void CMultiTree::mousePressEvent(QMouseEvent* event)
{
    event->accept();
    const bool left = event->button() == Qt::LeftButton;
    if ((!left && event->button() != Qt::RightButton) || m_track != Track::None)
        return;
    QScopedValueRollback<Qt::KeyboardModifiers> keys(m_triggerModifiers, event->modifiers());
    const QPoint point = event->position().toPoint();
    QTreeWidgetItem* item = nullptr;
    const Hit hit = HitTest(point, &item);
    if (hit == Hit::Button) {
        item->setExpanded(!item->isExpanded());
        return;
    }
    if (!m_multiSelect && hit != Hit::Label)
        return;
    SelectionBatch batch(*this);
    if (hit == Hit::Label) {
        if (m_multiSelect)
            PressOnItem(item, left, event->modifiers());
        // The pre-selection's handlers may have removed the item.
        if (item->treeWidget() != this)
            return;
        m_track = Track::Press;
        m_trackLeft = left;
        m_trackKeys = event->modifiers();
        m_pressPoint = point;
        m_pressItem = item;
    } else {
        BeginBand(left, event->modifiers(), point);
    }
}

void CMultiTree::mouseMoveEvent(QMouseEvent* event)
{
    const QPoint point = event->position().toPoint();
    if (m_track == Track::None) {
        if (event->buttons() == Qt::NoButton)
            QTreeWidget::mouseMoveEvent(event);
        return;
    }
    if (!(event->buttons() & (Qt::LeftButton | Qt::RightButton))) {
        // The release went elsewhere: the gesture ends without effect.
        CancelTracking();
        return;
    }
    QScopedValueRollback<Qt::KeyboardModifiers> keys(m_triggerModifiers, m_trackKeys);
    if (m_track == Track::Band) {
        m_bandLast = point;
        BandStep(point);
        return;
    }
    if (WithinDragDistance(point, m_pressPoint))
        return;
    QTreeWidgetItem* item = m_pressItem;
    m_track = Track::None;
    m_pressItem = nullptr;
    SelectionBatch batch(*this);
    if (m_multiSelect)
        SetItemState(item, kFocusAndSelection, kFocusAndSelection);
    QScopedValueRollback<bool> emulated(m_emulatedNotify, true);
    OnBeginDrag(item, m_pressPoint, m_trackLeft);
}

void CMultiTree::mouseReleaseEvent(QMouseEvent* event)
{
    event->accept();
    if (event->button() != Qt::LeftButton && event->button() != Qt::RightButton)
        return;
    QScopedValueRollback<Qt::KeyboardModifiers> keys(m_triggerModifiers, m_trackKeys);
    if (m_track == Track::Press) {
        QTreeWidgetItem* item = m_pressItem;
        m_track = Track::None;
        m_pressItem = nullptr;
        SelectionBatch batch(*this);
        ClickItem(item, m_trackLeft, m_trackKeys);
    } else if (m_track == Track::Band) {
        EndBand();
    }
}

void CMultiTree::mouseDoubleClickEvent(QMouseEvent* event)
{
    QTreeWidgetItem* item = nullptr;
    if (!m_multiSelect && event->button() == Qt::LeftButton
        && HitTest(event->position().toPoint(), &item) == Hit::Label && item->childCount() > 0
        && expandsOnDoubleClick()) {
        // A plain tree opens and closes a branch on a double click.
        event->accept();
        item->setExpanded(!item->isExpanded());
        return;
    }
    // Otherwise the second click of a double click is a press like the first.
    mousePressEvent(event);
}

// ---------------------------------------------------------------------------------------------
// Rubber band

QPoint CMultiTree::ScrollOffset() const
{
    return QPoint(horizontalScrollBar()->value(), verticalScrollBar()->value());
}

int CMultiTree::RowStep() const
{
    QTreeWidgetItem* first = topLevelItem(0);
    const int height = first ? visualItemRect(first).height() : 0;
    return height > 0 ? height : 16;
}

void CMultiTree::BeginBand(bool left, Qt::KeyboardModifiers keys, const QPoint& point)
{
    setFocus(Qt::MouseFocusReason);
    m_track = Track::Band;
    m_trackLeft = left;
    m_trackKeys = keys;
    m_bandInitial.clear();
    if (keys & (Qt::ShiftModifier | Qt::ControlModifier))
        m_bandInitial = m_selected;
    m_bandCorner = point + ScrollOffset();
    m_bandLast = point;
    m_bandStarted = false;
    // The whole gesture is one batch: its selection is settled when the band ends.
    BeginBatch();
    m_bandTimer->start();
}

void CMultiTree::BandStep(const QPoint& point)
{
    const QRect client = viewport()->rect();
    if (!m_bandStarted) {
        if (WithinDragDistance(point, m_bandCorner - ScrollOffset()))
            return;
        m_bandStarted = true;
        if (!(m_trackKeys & (Qt::ShiftModifier | Qt::ControlModifier)))
            SelectAll(false);
        m_rubberBand->setGeometry(QRect(m_bandCorner - ScrollOffset(), QSize()));
        m_rubberBand->show();
    }
    QScrollBar* vertical = verticalScrollBar();
    QScrollBar* horizontal = horizontalScrollBar();
    if (point.y() < client.top())
        vertical->setValue(vertical->value() - RowStep());
    else if (point.y() > client.bottom())
        vertical->setValue(vertical->value() + RowStep());
    if (point.x() < client.left())
        horizontal->setValue(horizontal->value() - horizontal->singleStep());
    else if (point.x() > client.right())
        horizontal->setValue(horizontal->value() + horizontal->singleStep());

    const QRect band = QRect(m_bandCorner - ScrollOffset(), point).normalized();
    UpdateBandSelection(band);
    m_rubberBand->setGeometry(band.intersected(client));
}

void CMultiTree::UpdateBandSelection(const QRect& band)
{
    const bool ctrl = m_trackKeys & Qt::ControlModifier;
    const bool shift = m_trackKeys & Qt::ShiftModifier;
    const int width = viewport()->width();
    std::vector<QTreeWidgetItem*> items;
    ForEachVisible(invisibleRootItem(), [&](QTreeWidgetItem* item) {
        items.push_back(item);
        return true;
    });
    for (QTreeWidgetItem* item : items) {
        QRect rect;
        if (m_bandingHit) {
            rect = GetItemLabelRect(item);
        } else {
            const QRect row = visualItemRect(item);
            rect = QRect(0, row.top(), std::max(width, row.right() + 1), row.height());
        }
        const bool inList = m_bandInitial.contains(item);
        if (rect.intersects(band)) {
            if (!IsSelected(item) && !inList)
                SetItemState(item, TVIS_SELECTED, TVIS_SELECTED);
            else if (ctrl && inList)
                SetItemState(item, 0, TVIS_SELECTED);
            else if (shift && inList)
                m_bandInitial.remove(item);
        } else if (IsSelected(item) || inList) {
            SetItemState(item, inList ? TVIS_SELECTED : 0, TVIS_SELECTED);
        }
    }
}

void CMultiTree::EndBand()
{
    m_bandTimer->stop();
    if (m_bandStarted)
        m_rubberBand->hide();
    else if (!(m_trackKeys & (Qt::ShiftModifier | Qt::ControlModifier)))
        SelectAll(false); // a click beside the items
    m_track = Track::None;
    m_bandInitial.clear();
    const bool left = m_trackLeft;
    EndBatch();
    QScopedValueRollback<bool> emulated(m_emulatedNotify, true);
    if (left)
        OnClick(nullptr);
    else
        OnRightClick(nullptr);
}

void CMultiTree::OnBandTimer()
{
    if (m_track != Track::Band) {
        m_bandTimer->stop();
        return;
    }
    // While the pointer stays outside, its position counts as a move again: this scrolls.
    if (!viewport()->rect().contains(m_bandLast)) {
        QScopedValueRollback<Qt::KeyboardModifiers> keys(m_triggerModifiers, m_trackKeys);
        BandStep(m_bandLast);
    }
}

void CMultiTree::CancelTracking()
{
    const Track track = m_track;
    m_track = Track::None;
    m_pressItem = nullptr;
    if (track != Track::Band)
        return;
    m_bandTimer->stop();
    m_rubberBand->hide();
    m_bandInitial.clear();
    // Settled later: this may run inside a removal of items, where no view may react.
    if (--m_batchDepth == 0 && m_batchChanged) {
        QMetaObject::invokeMethod(
            this,
            [this] {
                SelectionBatch batch(*this);
                m_batchChanged = true;
            },
            Qt::QueuedConnection);
        m_batchChanged = false;
    }
}

// ---------------------------------------------------------------------------------------------
// Keys, focus, collapsing, removal

bool CMultiTree::CursorActionFor(int key, CursorAction* action)
{
    switch (key) {
    case Qt::Key_Up: *action = MoveUp; return true;
    case Qt::Key_Down: *action = MoveDown; return true;
    case Qt::Key_Left: *action = MoveLeft; return true;
    case Qt::Key_Right: *action = MoveRight; return true;
    case Qt::Key_Home: *action = MoveHome; return true;
    case Qt::Key_End: *action = MoveEnd; return true;
    case Qt::Key_PageUp: *action = MovePageUp; return true;
    case Qt::Key_PageDown: *action = MovePageDown; return true;
    default: return false;
    }
}

QTreeWidgetItem* CMultiTree::AnchorItem() const
{
    return m_anchor.isValid() ? itemFromIndex(m_anchor) : nullptr;
}

void CMultiTree::SetAnchor(QTreeWidgetItem* item)
{
    m_anchor = item ? QPersistentModelIndex(indexFromItem(item)) : QPersistentModelIndex();
}

void CMultiTree::CaretMovedByKey(QTreeWidgetItem* next, QTreeWidgetItem* old)
{
    if (!next)
        return;
    if (!m_multiSelect) {
        if (!MoveSingleCaret(next, old))
            SetCaret(old);
        return;
    }
    if (old && old != next && IsSelected(old))
        SetItemState(old, 0, TVIS_SELECTED);
    SetItemState(next, kFocusAndSelection, kFocusAndSelection);
}

void CMultiTree::keyPressEvent(QKeyEvent* event)
{
    QScopedValueRollback<Qt::KeyboardModifiers> keys(m_triggerModifiers, event->modifiers());
    if (m_track == Track::Band && event->key() == Qt::Key_Escape) {
        event->accept();
        SelectAll(false);
        EndBand();
        return;
    }
    if (event->matches(QKeySequence::SelectAll)) {
        // Qt's own select-all would bypass the tree's selection.
        event->accept();
        return;
    }
    SelectionBatch batch(*this);
    QTreeWidgetItem* old = currentItem();
    CursorAction action = MoveUp;
    if (!CursorActionFor(event->key(), &action)) {
        QTreeWidget::keyPressEvent(event);
        if (currentItem() != old)
            CaretMovedByKey(currentItem(), old);
        return;
    }
    event->accept();
    const bool ctrl = event->modifiers() & Qt::ControlModifier;
    const bool shift = event->modifiers() & Qt::ShiftModifier;
    const bool upDown = event->key() == Qt::Key_Up || event->key() == Qt::Key_Down;
    QTreeWidgetItem* next = nullptr;
    if (m_multiSelect && upDown) {
        if (!AnchorItem())
            SetAnchor(old);
        if (!ctrl && !shift) {
            SetAnchor(nullptr);
            SelectAll(false);
        }
    }
    if (m_multiSelect && upDown && (ctrl || shift)) {
        next = event->key() == Qt::Key_Up ? GetPrevVisibleItem(old) : GetNextVisibleItem(old);
        if (!next)
            next = old;
        if (next) {
            FocusItem(next);
            if (shift)
                SelectRange(AnchorItem(), next, true);
        }
    } else {
        next = itemFromIndex(moveCursor(action, event->modifiers()));
        if (next && next != old)
            CaretMovedByKey(next, old);
        else if (m_multiSelect && old && !IsSelected(old))
            SetItemState(old, kFocusAndSelection, kFocusAndSelection); // the caret keeps its selection
    }
    if (next)
        scrollToItem(next);
}

void CMultiTree::focusInEvent(QFocusEvent* event)
{
    QTreeWidget::focusInEvent(event);
    viewport()->update();
}

void CMultiTree::focusOutEvent(QFocusEvent* event)
{
    QTreeWidget::focusOutEvent(event);
    viewport()->update();
}

void CMultiTree::hideEvent(QHideEvent* event)
{
    if (m_track != Track::None)
        CancelTracking();
    QTreeWidget::hideEvent(event);
}

void CMultiTree::OnItemCollapsed(const QModelIndex& index)
{
    QTreeWidgetItem* item = itemFromIndex(index);
    if (!item)
        return;
    SelectionBatch batch(*this);
    QTreeWidgetItem* caret = currentItem();
    const bool caretInside = IsBelow(caret, item);
    if (!m_multiSelect) {
        if (caretInside)
            MoveSingleCaret(item, caret);
        return;
    }
    // The hidden items lose their selection. A caret among them leaves the tree without a
    // caret, so that nothing becomes selected; only a selected item takes it over.
    SelectChildren(item, false, true);
    if (caretInside)
        SetCaret(IsSelected(item) ? item : nullptr);
}

void CMultiTree::ForgetSubtree(QTreeWidgetItem* item)
{
    m_selected.remove(item);
    m_bandInitial.remove(item);
    for (int i = 0, n = item->childCount(); i < n; ++i)
        ForgetSubtree(item->child(i));
}

void CMultiTree::OnRowsAboutToBeRemoved(const QModelIndex& parent, int first, int last)
{
    if (m_track != Track::None)
        CancelTracking();
    if (m_selected.isEmpty() && m_bandInitial.isEmpty())
        return;
    QTreeWidgetItem* container = parent.isValid() ? itemFromIndex(parent) : invisibleRootItem();
    if (!container)
        return;
    for (int r = first; r <= last && r < container->childCount(); ++r)
        ForgetSubtree(container->child(r));
}

QItemSelectionModel::SelectionFlags CMultiTree::selectionCommand(const QModelIndex&, const QEvent*) const
{
    return QItemSelectionModel::NoUpdate;
}

void CMultiTree::drawRow(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const
{
    QStyleOptionViewItem row(option);
    if (m_selected.contains(itemFromIndex(index)))
        row.state |= QStyle::State_Selected;
    else
        row.state &= ~QStyle::State_Selected;
    row.showDecorationSelected = false;
    QTreeWidget::drawRow(painter, row, index);
}
