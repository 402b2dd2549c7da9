#include "ui/tree_label_delegate.h"

#include "platform/colorref_qt.h"
#include "ui/tree_text.h"

#include <QLineEdit>
#include <QPainter>

QFont TreePaneFont()
{
    QFont font(QStringLiteral("Segoe UI"));
    font.setStyleHint(QFont::SansSerif);
    font.setPointSize(10);
    font.setWeight(QFont::Medium);
    return font;
}

QString TreePaneTipStyle(COLORREF background)
{
    return QStringLiteral("QToolTip { background-color: rgba(%1, %2, %3, 200); color: black; padding: 5px 10px; }")
        .arg(GetRValue(background))
        .arg(GetGValue(background))
        .arg(GetBValue(background));
}

QRect LabelTextRect(const QRect& cell)
{
    QRect text = cell;
    text.setLeft(cell.left() + 2 + kLabelIconSize + 4);
    text.setRight(cell.right() - 5);
    return text;
}

QString FitLabelText(const QString& text, int width, const QFontMetrics& metrics)
{
    if (metrics.horizontalAdvance(text) <= width)
        return text;
    return metrics.elidedText(ReplaceLastCharacters(text, 4, QStringLiteral("...")), Qt::ElideRight, width);
}

CTreeLabelDelegate::CTreeLabelDelegate(const TreeLabelColours& colours, QObject* parent)
    : QStyledItemDelegate(parent)
    , m_colours(colours)
{
}

CTreeLabelDelegate::~CTreeLabelDelegate() = default;

void CTreeLabelDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const
{
    const QRect cell = option.rect;
    const QRect textRect = LabelTextRect(cell);
    const bool selected = option.state & QStyle::State_Selected;
    painter->save();
    painter->fillRect(cell, option.palette.color(QPalette::Base));
    if (selected) {
        QLinearGradient gradient(cell.left(), 0, cell.left() + textRect.width() / 2, 0);
        gradient.setColorAt(0, ToQColor(m_colours.selection));
        gradient.setColorAt(1, Qt::white);
        painter->fillRect(QRect(cell.left(), cell.top(), textRect.width() / 2, cell.height()), gradient);
    }
    const QIcon icon = index.data(Qt::DecorationRole).value<QIcon>();
    if (!icon.isNull()) {
        const QRect iconRect(cell.left() + 2, cell.top() + (cell.height() - kLabelIconSize) / 2, kLabelIconSize,
                             kLabelIconSize);
        icon.paint(painter, iconRect);
    }
    painter->setFont(option.font);
    const QString text = FitLabelText(index.data(Qt::DisplayRole).toString(), textRect.width(), option.fontMetrics);
    const int flags = Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine;
    if (selected) {
        painter->setPen(ToQColor(m_colours.shadow));
        painter->drawText(textRect.translated(1, 2), flags, text);
    }
    painter->setPen(option.palette.color(QPalette::Text));
    painter->drawText(textRect, flags, text);
    if (option.state & QStyle::State_HasFocus) {
        painter->setPen(QPen(option.palette.color(QPalette::Mid), 1, Qt::DotLine));
        painter->drawRect(cell.adjusted(0, 0, -1, -1));
    }
    painter->restore();
}

QSize CTreeLabelDelegate::sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const
{
    const QSize size = QStyledItemDelegate::sizeHint(option, index);
    return QSize(size.width(), std::max(size.height(), kLabelIconSize + 2));
}

void CTreeLabelDelegate::setModelData(QWidget* editor, QAbstractItemModel*, const QModelIndex& index) const
{
    auto* edit = qobject_cast<QLineEdit*>(editor);
    if (edit && m_rename)
        m_rename(index, edit->text());
}
