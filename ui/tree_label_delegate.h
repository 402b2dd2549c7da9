#pragma once
// Item labels of the spectrum and clipboard panes: the row on the window colour, a selected
// item with a gradient from the pane's selection colour to white and its text first drawn in
// the shadow colour one pixel right and two down. A text wider than its room loses its last
// 4 characters to "..." (and is cut at the end when still too wide).
//
// Editing: the editor's text goes to the pane's rename handler; the delegate never writes
// the item (the tree's update event does, when the rename is accepted).
#include "platform/colorref.h"

#include <QStyledItemDelegate>

#include <functional>

struct TreeLabelColours {
    COLORREF selection;
    COLORREF shadow;
    COLORREF tipBackground;
};

inline constexpr TreeLabelColours kClipboardLabelColours{RGB(255, 210, 180), RGB(255, 250, 220), RGB(255, 220, 190)};
inline constexpr TreeLabelColours kSpectrumLabelColours{RGB(170, 235, 170), RGB(220, 255, 220), RGB(180, 245, 185)};

// The font of the tree panes' labels.
QFont TreePaneFont();
// Style sheet giving a pane's tips their background.
QString TreePaneTipStyle(COLORREF background);

// Room of a label in a cell: picture at the left, the text 4 pixels after it up to 5 pixels
// before the right edge.
inline constexpr int kLabelIconSize = 24;
QRect LabelTextRect(const QRect& cell);

// The text as the label shows it in width pixels.
QString FitLabelText(const QString& text, int width, const QFontMetrics& metrics);

class CTreeLabelDelegate : public QStyledItemDelegate {
    Q_OBJECT

public:
    using RenameHandler = std::function<void(const QModelIndex& index, const QString& text)>;

    CTreeLabelDelegate(const TreeLabelColours& colours, QObject* parent = nullptr);
    ~CTreeLabelDelegate() override;

    void SetRenameHandler(RenameHandler handler) { m_rename = std::move(handler); }

    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override;
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override;
    void setModelData(QWidget* editor, QAbstractItemModel* model, const QModelIndex& index) const override;

private:
    TreeLabelColours m_colours;
    RenameHandler m_rename;
};
