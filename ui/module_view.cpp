#include "ui/module_view.h"

#include "app/velmont_doc.h"
#include "core/module_editor.h"
#include "platform/colorref_qt.h"
#include "platform/document_opener.h"
#include "platform/prompter.h"
#include "platform/runtime_class.h"
#include "ui/main_frame.h"
#include "ui/main_panel_layout.h"
#include "ui/module_view_text.h"
#include "ui/tree_label_delegate.h"
#include "ui/tree_text.h"
#include "ui/velmont_view.h"
#include "ui/view_pictures.h"

#include <QFileInfo>
#include <QHelpEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>
#include <QStyledItemDelegate>
#include <QToolTip>

#include <paramora/parameter_types.h>

namespace {

// Two-line module labels, hyphenated at their "|" marks.
class CModuleLabelDelegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override
    {
        const QRect cell = option.rect;
        QRect textRect = LabelTextRect(cell);
        const bool selected = option.state & QStyle::State_Selected;
        const bool hasChildren = index.model()->hasChildren(index);
        painter->save();
        painter->fillRect(cell, option.palette.color(QPalette::Base));
        if (selected) {
            const QRect band(QPoint(cell.left(), cell.top() + 3), QPoint(cell.left() + textRect.width() / 2, cell.bottom() - 3));
            QLinearGradient gradient(band.left(), 0, band.right(), 0);
            gradient.setColorAt(0, hasChildren ? QColor(225, 225, 225) : QColor(200, 220, 255));
            gradient.setColorAt(1, Qt::white);
            painter->fillRect(band, gradient);
        }
        const QIcon icon = index.data(Qt::DecorationRole).value<QIcon>();
        if (!icon.isNull())
            icon.paint(painter, QRect(cell.left() + 2, cell.top() + (cell.height() - kLabelIconSize) / 2, kLabelIconSize,
                                      kLabelIconSize));

        painter->setFont(option.font);
        const QFontMetrics& metrics = option.fontMetrics;
        textRect.setLeft(textRect.left() + 4);
        const QString label = HyphenateLabel(index.data(Qt::DisplayRole).toString(), textRect.width(),
                                             [&](const QString& text) { return metrics.horizontalAdvance(text); });
        const int flags = Qt::AlignLeft | Qt::AlignTop | Qt::TextWordWrap;
        const int h = metrics.boundingRect(textRect, flags, label).height();
        const int lineHeight = metrics.boundingRect(QStringLiteral("ABC")).height();
        const int itemHeight = cell.height();
        const int offset = h > lineHeight ? (itemHeight - 2 * lineHeight) / 2 : (itemHeight - h) / 2;
        QRect labelRect(textRect.left(), cell.top() + offset, textRect.width(), itemHeight);
        if (h >= 2 * lineHeight)
            labelRect.setHeight(2 * lineHeight);
        painter->setClipRect(cell);
        if (selected) {
            painter->setPen(Qt::white);
            painter->drawText(labelRect.translated(1, 2), flags, label);
        }
        painter->setPen(option.palette.color(QPalette::Text));
        painter->drawText(labelRect, flags, label);
        painter->restore();
    }

    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override
    {
        return QSize(QStyledItemDelegate::sizeHint(option, index).width(), CModuleView::kItemHeight);
    }
};

// The picture of an item by its payload.
int PictureOf(const ModuleTreeNode* node)
{
    const ModuleTreeData* data = node ? node->GetData() : nullptr;
    if (!data)
        return 156;
    switch (data->GetKind()) {
    case ModuleTreeData::kModule: return 141;
    case ModuleTreeData::kParameter: return 145;
    case ModuleTreeData::kFunction: return 144;
    default: return 140;
    }
}

QFont EditionFont()
{
    QFont font = TreePaneFont();
    font.setPointSize(18);
    return font;
}

} // namespace

CModuleView::CModuleView(QWidget* parent) : CVelmontTreeView<ModuleTree>(parent)
{
    SetMultiSelect(false);
    setItemDelegate(new CModuleLabelDelegate(this));
    setFont(TreePaneFont());
    setIconSize(QSize(kLabelIconSize, kLabelIconSize));
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setStyleSheet(TreePaneTipStyle(RGB(225, 225, 225)));
    // The edition label stands at the bottom of the visible area: scrolling repaints it all.
    connect(verticalScrollBar(), &QScrollBar::valueChanged, viewport(), qOverload<>(&QWidget::update));
    connect(horizontalScrollBar(), &QScrollBar::valueChanged, viewport(), qOverload<>(&QWidget::update));
}

CModuleView::~CModuleView() = default;

CMainFrame* CModuleView::Frame() const
{
    return MainFrameOf(GetDocument());
}

void CModuleView::OnInitialUpdate()
{
    if (GetDocument())
        Attach(GetDocument()->GetModuleTree(), GetDocument());
    if (!m_reselectName.isEmpty())
        QMetaObject::invokeMethod(this, &CModuleView::Reselect, Qt::QueuedConnection);
    horizontalScrollBar()->setValue(0);
}

void CModuleView::OnInsertNode(TreeNode* node, TreeNode*)
{
    QTreeWidgetItem* item = InsertItem(node, nullptr);
    if (!item)
        return;
    item->setIcon(0, ViewPicture(PictureOf(node)));
    if (IsRootNode(node->GetParent()))
        ScheduleSort();
}

void CModuleView::OnUpdateNode(TreeNode* node)
{
    if (QTreeWidgetItem* item = ItemOf(node))
        item->setIcon(0, ViewPicture(PictureOf(node)));
}

void CModuleView::SortItems()
{
    SortTopLevel();
}

void CModuleView::OnRebuilt()
{
    SortTopLevel();
}

QRect CModuleView::GetItemLabelRect(QTreeWidgetItem* item) const
{
    const QRect cell = visualItemRect(item);
    if (cell.isEmpty())
        return {};
    return QRect(QPoint(cell.left(), cell.top()), QPoint(LabelTextRect(cell).right(), cell.bottom()));
}

// ---------------------------------------------------------------------------------------------
// Selection: editor form or main panel

void CModuleView::SaveEditorPane()
{
    CMainFrame* frame = Frame();
    if (auto* form = frame ? dynamic_cast<CModuleEditor*>(frame->GetEditorPane()) : nullptr)
        form->UpdateData(true);
}

void CModuleView::ShowMainPanel()
{
    CMainFrame* frame = Frame();
    if (!frame)
        return;
    auto* panel = new CVelmontView;
    panel->SetDocument(GetDocument());
    frame->ReplaceEditorPane(panel);
}

void CModuleView::ShowModuleEditor(Module* module)
{
    CMainFrame* frame = Frame();
    if (!frame)
        return;
    SaveEditorPane();
    const CRuntimeClass* record = module->GetEditorClass();
    QWidget* widget = record ? record->CreateObject(nullptr) : nullptr;
    auto* form = dynamic_cast<CModuleEditor*>(widget);
    if (!form) {
        delete widget;
        platform::ShowMessage(this, QString(), QStringLiteral("Dialog kann nicht angezeigt werden!"),
                              platform::PromptIcon::Warning);
        ShowMainPanel();
        return;
    }
    frame->ReplaceEditorPane(form);
    form->SetModule(module);
    form->InitModuleEditor();
    form->UpdateData(false);
}

void CModuleView::OnSelChanged(QTreeWidgetItem*, QTreeWidgetItem*)
{
    CVelmontDoc* document = GetDocument();
    if (!document || document->IsClearingModuleTree())
        return;
    QTreeWidgetItem* item = currentItem();
    const TreeNode* node = NodeOf(item);
    if (node) {
        const ModuleTreeData* data = node->GetData();
        Module* module = data ? data->GetObject() : nullptr;
        if (GetTriggerModifiers() & Qt::ControlModifier) {
            // Only the parameter description for a later drop; nothing else changes.
            if (module && data->GetKind() == ModuleTreeData::kParameter) {
                if (const auto* parameter = module->getParameters().getParameter(node->GetName()))
                    m_parameterText = ParameterText(*parameter);
            }
            return;
        }
        if (module && data->GetKind() == ModuleTreeData::kModule) {
            document->m_lastModule = ModuleNameText(node);
            ShowModuleEditor(module);
            document->SetModifiedFlag(true);
        } else {
            document->m_lastModule = EntryNameText(node);
            document->m_groupContents = GroupContentsText(node);
            // The form goes without taking its data: what was typed and not yet run is
            // dropped, and a text that does not parse asks nothing.
            ShowMainPanel();
        }
    }
    viewport()->update();
}

void CModuleView::OnClick(QTreeWidgetItem*)
{
    viewport()->update();
}

void CModuleView::Reselect()
{
    const QString name = m_reselectName;
    m_reselectName.clear();
    if (name.isEmpty())
        return;
    QTreeWidgetItem* match = nullptr;
    const std::function<bool(QTreeWidgetItem*)> search = [&](QTreeWidgetItem* parent) {
        for (int i = 0; i < parent->childCount(); ++i) {
            QTreeWidgetItem* item = parent->child(i);
            const QString text = item->text(0);
            if (text.compare(name, Qt::CaseInsensitive) == 0
                || StripHyphenMarks(text).compare(name, Qt::CaseInsensitive) == 0) {
                match = item;
                return true;
            }
            if (search(item))
                return true;
        }
        return false;
    };
    if (!search(invisibleRootItem()))
        return;
    scrollToItem(match);
    SelectItem(match);
    setFocus();
}

// ---------------------------------------------------------------------------------------------
// Drag, manuals, painting, tips

void CModuleView::OnBeginDrag(QTreeWidgetItem* item, const QPoint&, bool left)
{
    CMainFrame* frame = Frame();
    const TreeNode* node = NodeOf(item);
    if (!left || !frame || !node)
        return;
    // The path keeps its "|" marks: the drop field finds the module by it.
    const std::string path = node->GetPath();
    const ModuleTreeData* data = node->GetData();
    if (path.empty() || !data)
        return;
    int kind = 0;
    if (data->GetKind() == ModuleTreeData::kParameter)
        kind = 1;
    else if (data->GetKind() == ModuleTreeData::kFunction)
        kind = 2;
    frame->BeginModuleDrag(path, kind, CreateDragImage(item));
}

std::string CModuleView::DraggedParameterText(const std::string& path) const
{
    CVelmontDoc* document = GetDocument();
    ModuleTree* tree = document ? document->GetModuleTree() : nullptr;
    const TreeNode* node = tree ? tree->GetNodeByName(path, false, false) : nullptr;
    const ModuleTreeData* data = node ? node->GetData() : nullptr;
    if (!data || data->GetKind() != ModuleTreeData::kParameter || !data->GetObject())
        return path;
    const ns_param::BaseParameterType* parameter = data->GetObject()->getParameters().getParameter(node->GetName());
    return parameter ? path + ParameterText(*parameter) : path;
}

void CModuleView::OpenManuals()
{
    CVelmontDoc* document = GetDocument();
    if (!document || document->IsClearingModuleTree())
        return;
    const TreeNode* node = NodeOf(currentItem());
    if (!node || !node->GetData() || !node->GetData()->GetObject())
        return;
    const QString folder = platform::ManualFolder();
    for (const std::string& file : ManualFilesFor(ModuleNameText(node))) {
        const QString path = folder + QLatin1Char('/') + QString::fromStdString(file);
        // A missing manual is passed over without a word.
        if (QFileInfo::exists(path))
            platform::GetDocumentOpener().Open(path);
    }
}

void CModuleView::mousePressEvent(QMouseEvent* event)
{
    if (event->button() == Qt::RightButton) {
        event->accept();
        OpenManuals();
        return;
    }
    CVelmontTreeView<ModuleTree>::mousePressEvent(event);
}

void CModuleView::paintEvent(QPaintEvent* event)
{
    CVelmontTreeView<ModuleTree>::paintEvent(event);
    QPainter painter(viewport());
    const QFont font = EditionFont();
    const QFontMetrics metrics(font);
    const int lineHeight = metrics.boundingRect(QStringLiteral("ABC")).height();
    const QRect client = viewport()->rect();
    const QRect rect(QPoint(client.left() + 5, client.bottom() + 1 - 10 - lineHeight),
                     QPoint(client.right() - 5, client.bottom() - 10));
    painter.setFont(font);
    painter.setPen(ToQColor(RGB(180, 214, 240)));
    painter.drawText(rect, Qt::AlignHCenter | Qt::AlignBottom | Qt::TextSingleLine,
                     metrics.elidedText(QLatin1String(kEditionLabel), Qt::ElideRight, rect.width()));
}

bool CModuleView::viewportEvent(QEvent* event)
{
    if (event->type() == QEvent::ToolTip) {
        auto* help = static_cast<QHelpEvent*>(event);
        QTreeWidgetItem* item = itemAt(help->pos());
        if (!item) {
            QToolTip::hideText();
            return true;
        }
        // The texts from the top level down, joined by " > ", without "|".
        QString tip;
        for (QTreeWidgetItem* it = item; it; it = it->parent())
            tip = StripHyphenMarks(it->text(0)) + (tip.isEmpty() ? QString() : QStringLiteral(" > ") + tip);
        QToolTip::showText(help->globalPos(), PlainTipText(tip), viewport(), visualItemRect(item));
        return true;
    }
    return CVelmontTreeView<ModuleTree>::viewportEvent(event);
}
