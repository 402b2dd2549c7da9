#pragma once
// What the spectrum and clipboard panes share: a multi-select tree with owner-drawn labels
// in the pane's colours, pictures for groups and objects, tips with the item's path, renaming
// by a double click on the first selected item, and the selection text for drags, the
// document and the plot.
#include "platform/prompter.h"
#include "ui/tree_label_delegate.h"
#include "ui/tree_text.h"
#include "ui/velmont_tree_view.h"
#include "ui/view_pictures.h"

#include <QEvent>
#include <QHelpEvent>
#include <QMouseEvent>
#include <QScrollBar>
#include <QToolTip>

#include <string>

template <class T>
class CObjectTreeView : public CVelmontTreeView<T> {
public:
    using Base = CVelmontTreeView<T>;
    using TreeNode = typename Base::TreeNode;

    // Pictures: groupPicture for groups, objectPicture for objects (ViewPicture numbers).
    CObjectTreeView(const TreeLabelColours& colours, int groupPicture, int objectPicture, QWidget* parent = nullptr)
        : Base(parent)
        , m_groupIcon(ViewPicture(groupPicture))
        , m_objectIcon(ViewPicture(objectPicture))
    {
        m_delegate = new CTreeLabelDelegate(colours, this);
        m_delegate->SetRenameHandler([this](const QModelIndex& index, const QString& text) {
            // Renamed after the editor has closed: the messages must not meet an open editor.
            // The item may go meanwhile (its node deleted): then nothing is renamed.
            const QPersistentModelIndex edited(index);
            QMetaObject::invokeMethod(
                static_cast<QObject*>(this),
                [this, edited, text] {
                    if (QTreeWidgetItem* item = edited.isValid() ? this->itemFromIndex(edited) : nullptr)
                        RenameNode(Base::NodeOf(item), text.toStdString());
                },
                Qt::QueuedConnection);
        });
        this->setItemDelegate(m_delegate);
        this->setFont(TreePaneFont());
        this->setIconSize(QSize(kLabelIconSize, kLabelIconSize));
        this->setEditTriggers(QAbstractItemView::NoEditTriggers);
        this->setExpandsOnDoubleClick(false);
        this->setStyleSheet(TreePaneTipStyle(colours.tipBackground));
    }

    // Picture and text of the node's item, when it has one.
    void OnUpdateNode(TreeNode* node) override
    {
        if (QTreeWidgetItem* item = this->ItemOf(node)) {
            item->setIcon(0, Base::IsObjectItem(item) ? m_objectIcon : m_groupIcon);
            item->setText(0, QString::fromStdString(node->GetName()));
        }
    }

    QRect GetItemLabelRect(QTreeWidgetItem* item) const override
    {
        const QRect cell = this->visualItemRect(item);
        if (cell.isEmpty())
            return {};
        const QRect text = LabelTextRect(cell);
        const QString shown = FitLabelText(item->text(0), text.width(), this->fontMetrics());
        const int right = std::min(text.left() + this->fontMetrics().horizontalAdvance(shown) + 2, cell.right());
        return QRect(QPoint(cell.left(), cell.top()), QPoint(right, cell.bottom()));
    }

    // Renames the node; refusals are shown and change nothing. An unchanged text is no rename.
    void RenameNode(TreeNode* node, const std::string& name)
    {
        T* tree = this->GetTree();
        if (!tree || !node || !this->ItemOf(node) || name == node->GetName())
            return;
        const QString text = QString::fromStdString(name);
        if (!IsValidItemName(name)) {
            platform::ShowMessage(this, QStringLiteral("Fehler"),
                                  QStringLiteral("Der Name '%1' ist ungültig.\nDie Umbenennung kann nicht durchgeführt werden.").arg(text),
                                  platform::PromptIcon::Error);
            return;
        }
        if (!tree->RenameNode(node, name)) {
            platform::ShowMessage(this, QStringLiteral("Fehler"),
                                  QStringLiteral("Der Eintrag '") + text
                                      + QStringLiteral("' existiert bereits.\nDie Umbenennung kann nicht durchgeführt werden."),
                                  platform::PromptIcon::Error);
        }
    }

protected:
    // Deletes the selected objects after asking: singleText with the object's full name for
    // one object, manyText with their number for several. Nothing selected or resolved: no
    // question. False when nothing was deleted.
    bool DeleteSelectedObjects(const char* singleText, const char* manyText)
    {
        T* tree = this->GetTree();
        if (!tree)
            return false;
        std::string selection;
        this->AppendSelection(selection, nullptr, "");
        const auto objects = tree->GetInserters(selection, false);
        if (objects.empty())
            return false;
        const QString question = objects.size() == 1
            ? QString::fromUtf8(singleText).arg(QString::fromStdString(objects.front()->GetName()))
            : QString::fromUtf8(manyText).arg(objects.size());
        if (platform::GetPrompter().Prompt(this, QStringLiteral("Achtung"), question, platform::PromptIcon::Question,
                                           platform::PromptButtons::YesNo)
            != platform::PromptAnswer::Yes)
            return false;
        tree->DeleteInserters(selection);
        return true;
    }

    // Every item may be renamed.
    QTreeWidgetItem* NewItem() const override
    {
        QTreeWidgetItem* item = Base::NewItem();
        item->setFlags(item->flags() | Qt::ItemIsEditable);
        return item;
    }

    // A double click on the first selected item edits its label; nothing else happens.
    void mouseDoubleClickEvent(QMouseEvent* event) override
    {
        event->accept();
        QTreeWidgetItem* item = this->itemAt(event->position().toPoint());
        if (item && item == this->GetFirstSelectedItem())
            this->editItem(item);
    }

    bool viewportEvent(QEvent* event) override
    {
        if (event->type() == QEvent::ToolTip) {
            auto* help = static_cast<QHelpEvent*>(event);
            QTreeWidgetItem* item = this->itemAt(help->pos());
            const TreeNode* node = Base::NodeOf(item);
            if (node) {
                QToolTip::showText(help->globalPos(), PlainTipText(TipText(node)), this->viewport(),
                                   this->visualItemRect(item));
            } else {
                QToolTip::hideText();
            }
            return true;
        }
        return Base::viewportEvent(event);
    }

    // The path from the top level down, joined by " : ".
    static QString TipText(const TreeNode* node)
    {
        QString text;
        for (const TreeNode* n = node; n && n->GetParent(); n = n->GetParent())
            text = QString::fromStdString(n->GetName()) + (text.isEmpty() ? QString() : QStringLiteral(" : ") + text);
        return text;
    }

private:
    CTreeLabelDelegate* m_delegate = nullptr;
    QIcon m_groupIcon;
    QIcon m_objectIcon;
};
