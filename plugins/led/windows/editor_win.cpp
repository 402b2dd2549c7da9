#include "windows/editor_win.h"

#include "windows/host_scope.h"
#include "windows/param_container_edit_wnd.h"
#include "windows/param_db_load_save_dlg.h"
#include "windows/param_table_wnd.h"
#include "windows/view_settings_dlg.h"

#include "engine/engine_log.h"
#include "engine/param_container_set.h"
#include "platform/colorref_qt.h"
#include "platform/prompter.h"

#include <QAbstractTableModel>
#include <QFontMetrics>
#include <QHeaderView>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QStyledItemDelegate>

#include <algorithm>
#include <functional>
#include <set>

// Answers each cell from the row's record; it holds no texts of its own.
class CEditorWin::Model : public QAbstractTableModel {
public:
    explicit Model(CEditorWin* owner) : QAbstractTableModel(owner), m_owner(owner) {}

    int rowCount(const QModelIndex& parent = QModelIndex()) const override
    {
        return parent.isValid() ? 0 : static_cast<int>(m_owner->m_rows.size());
    }
    int columnCount(const QModelIndex& parent = QModelIndex()) const override
    {
        return parent.isValid() ? 0 : static_cast<int>(m_owner->m_columnKeys.size());
    }
    QVariant data(const QModelIndex& index, int role) const override
    {
        if (role != Qt::DisplayRole || !index.isValid())
            return QVariant();
        return QString::fromStdString(Lookup(index).second);
    }
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override
    {
        if (orientation != Qt::Horizontal || section < 0 || section >= columnCount())
            return QVariant();
        if (role == Qt::DisplayRole)
            return QString::fromStdString(m_owner->m_columnKeys[static_cast<std::size_t>(section)]);
        if (role == Qt::TextAlignmentRole)
            return QVariant::fromValue(Qt::AlignLeft | Qt::AlignVCenter);
        return QVariant();
    }
    const ParamPair& Lookup(const QModelIndex& index, int* source = nullptr) const
    {
        const ParamContainer* record = m_owner->m_rows[static_cast<std::size_t>(index.row())];
        return record->FindValue(m_owner->m_columnKeys[static_cast<std::size_t>(index.column())], source);
    }
    void Reset(const std::function<void()>& change)
    {
        beginResetModel();
        change();
        endResetModel();
    }

private:
    CEditorWin* m_owner;
};

// Paints each cell in the colour of its value's source, a selected row navy with white text
// and a focus rectangle around it.
class CEditorWin::Delegate : public QStyledItemDelegate {
public:
    Delegate(CEditorWin* owner, Model* model) : QStyledItemDelegate(owner), m_model(model) {}

    void paint(QPainter* p, const QStyleOptionViewItem& option, const QModelIndex& index) const override
    {
        int source = ParamContainer::kNotFound;
        const QString text = QString::fromStdString(m_model->Lookup(index, &source).second);
        const bool selected = option.state & QStyle::State_Selected;
        p->save();
        p->fillRect(option.rect, ToQColor(selected ? RGB(0, 0, 128) : CParamContainerEditWnd::SourceColour(source)));
        p->setPen(selected ? Qt::white : Qt::black);
        p->setFont(option.font);
        p->drawText(option.rect, Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine, text);
        if (selected) {
            // The row's focus rectangle: top and bottom edges on every cell, the sides on the
            // first and last column.
            QPen dotted(Qt::white, 0, Qt::DotLine);
            p->setPen(dotted);
            const QRect r = option.rect.adjusted(0, 0, -1, -1);
            p->drawLine(r.topLeft(), r.topRight());
            p->drawLine(r.bottomLeft(), r.bottomRight());
            if (index.column() == 0)
                p->drawLine(r.topLeft(), r.bottomLeft());
            if (index.column() == m_model->columnCount() - 1)
                p->drawLine(r.topRight(), r.bottomRight());
        }
        p->restore();
    }

private:
    Model* m_model;
};

CEditorWin::CEditorWin(QWidget* parent) : QTableView(parent), m_model(new Model(this))
{
    setObjectName(QStringLiteral("CEditorWin"));
    setModel(m_model);
    setItemDelegate(new Delegate(this, m_model));
    setFont(CParamTableWnd::TableFont());
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::ExtendedSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setShowGrid(false);
    setWordWrap(false);
    verticalHeader()->hide();
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    verticalHeader()->setDefaultSectionSize(QFontMetrics(font()).height() + 4);
    horizontalHeader()->setDefaultSectionSize(100);
    horizontalHeader()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    horizontalHeader()->setHighlightSections(false);
    setStyleSheet(QStringLiteral("QTableView { background: white; }"));

    m_contextMenu = new QMenu(this);
    const struct {
        int id;
        const char* text;
    } entries[] = {{kNewEntry, "Neuer Eintrag"}, {kDuplicate, "Eintrag duplizieren"}, {0, nullptr},
                   {kLoad, "Daten laden"},       {kSave, "Daten speichern"},          {kViewSettings, "Anzeige-Einstellungen"}};
    for (const auto& e : entries) {
        if (e.text == nullptr) {
            m_contextMenu->addSeparator();
            continue;
        }
        QAction* action = m_contextMenu->addAction(QString::fromUtf8(e.text));
        action->setData(e.id);
        action->setObjectName(QString::number(e.id));
        const int id = e.id;
        connect(action, &QAction::triggered, this, [this, id] { OnCommand(id); });
    }
}

CEditorWin::~CEditorWin()
{
    if (m_paramSet)
        m_paramSet->RemoveObserver(this);
}

ParamContainer* CEditorWin::RowAt(int i) const
{
    return i >= 0 && i < RowCount() ? m_rows[static_cast<std::size_t>(i)] : nullptr;
}

void CEditorWin::SetParamContainerSet(ParamContainerSet* set)
{
    if (m_paramSet != set) {
        if (m_paramSet)
            m_paramSet->RemoveObserver(this);
        m_paramSet = set;
        if (m_paramSet)
            m_paramSet->AddObserver(this);
    }
    RebuildRows();
    if (m_paramSet)
        SetColumnKeys(m_paramSet->GetKeys());
    viewport()->update();
}

void CEditorWin::SetColumnKeys(const std::vector<std::string>& keys)
{
    m_columnKeys = keys;
    RebuildColumns();
}

void CEditorWin::RebuildColumns()
{
    m_model->Reset([] {});
    for (int c = 0; c < m_model->columnCount(); ++c)
        setColumnWidth(c, 100);
}

void CEditorWin::DropRows()
{
    if (m_recordEditor)
        m_recordEditor->SetParamContainer(nullptr);
    m_model->Reset([this] { m_rows.clear(); });
}

void CEditorWin::RebuildRows()
{
    HostScope scope(m_host);
    DropRows();
    if (m_recordEditor && !m_recordEditor->autoKeys)
        m_recordEditor->SetKeys(std::vector<std::string>());
    if (m_paramSet == nullptr)
        return;
    if (m_recordEditor && !m_recordEditor->autoKeys)
        m_recordEditor->SetKeys(m_paramSet->GetKeys());
    EngineLog("Verarbeite Zeilen");
    EngineLog("Erstelle Elementliste...");
    std::vector<ParamContainer*> rows;
    for (int i = 0; i < m_paramSet->EntryCount(); ++i) {
        ParamContainer& entry = m_paramSet->EntryAt(i);
        if (m_paramSet->MatchesCondition(entry))
            rows.push_back(&entry);
    }
    m_model->Reset([&] { m_rows = std::move(rows); });
}

void CEditorWin::Notify(int event, const void* sender, const void*)
{
    // The set is about to erase its entries: nothing may point at them afterwards.
    if (event == kEventSetCleared && sender == m_paramSet)
        DropRows();
}

void CEditorWin::ShowSelectedRecord()
{
    if (m_recordEditor == nullptr)
        return;
    const QModelIndexList selected = selectionModel()->selectedRows();
    if (selected.size() == 1)
        m_recordEditor->SetParamContainer(RowAt(selected.front().row()));
    else
        m_recordEditor->SetParamContainer(nullptr);
}

void CEditorWin::SelectRow(int i)
{
    clearSelection();
    if (i >= 0 && i < RowCount()) {
        setCurrentIndex(m_model->index(i, 0));
        selectRow(i);
    }
    ShowSelectedRecord();
}

void CEditorWin::mousePressEvent(QMouseEvent* event)
{
    if (event->button() == Qt::RightButton) {
        // Only the menu: the selection stays as it is.
        m_contextMenu->popup(viewport()->mapToGlobal(event->position().toPoint()));
        event->accept();
        return;
    }
    QTableView::mousePressEvent(event);
    if (event->button() == Qt::LeftButton)
        ShowSelectedRecord();
}

void CEditorWin::OnCommand(int id)
{
    switch (id) {
    case kNewEntry: OnNewEntry(); break;
    case kDuplicate: OnDuplicateEntry(); break;
    case kLoad: OnLoadData(); break;
    case kSave: OnSaveData(); break;
    case kViewSettings: OnViewSettings(); break;
    default: break;
    }
}

void CEditorWin::OnNewEntry()
{
    if (m_paramSet == nullptr)
        return;
    HostScope scope(m_host);
    m_paramSet->AddEntry(ParamContainer());
    RebuildRows();
}

void CEditorWin::OnDuplicateEntry()
{
    if (m_paramSet == nullptr)
        return;
    const QModelIndexList selected = selectionModel()->selectedRows();
    if (selected.size() != 1) {
        platform::ShowMessage(this, QStringLiteral("Achtung"), QStringLiteral("Bitte wählen Sie genau eine Zeile aus."),
                              platform::PromptIcon::Information);
        return;
    }
    HostScope scope(m_host);
    const ParamContainer copy = *RowAt(currentIndex().isValid() ? currentIndex().row() : selected.front().row());
    m_paramSet->AddEntry(copy);
    RebuildRows();
}

void CEditorWin::OnLoadData()
{
    HostScope scope(m_host);
    if (m_paramSet == nullptr) {
        EngineLog("Es ist kein Datenobjekt mit der Liste verknüpft.");
        return;
    }
    // The rows and the record window let go of the entries before the set replaces them.
    DropRows();
    CParamDBLoadSaveDlg::LoadFlow(*m_paramSet);
    if (m_recordEditor)
        m_recordEditor->SetParamContainer(nullptr);
    RebuildRows();
    if (m_columnKeys.empty())
        SetColumnKeys(m_paramSet->GetKeys());
}

void CEditorWin::OnSaveData()
{
    HostScope scope(m_host);
    if (m_paramSet == nullptr) {
        EngineLog("Es ist kein Datenobjekt mit der Liste verknüpft.");
        return;
    }
    CParamDBLoadSaveDlg::SaveFlow(*m_paramSet);
}

void CEditorWin::OnViewSettings()
{
    if (m_paramSet == nullptr)
        return;
    HostScope scope(m_host);
    CViewSettingsDlg dlg(this);
    dlg.allKeys = m_paramSet->GetKeys();
    dlg.visibleKeys = std::set<std::string>(m_columnKeys.begin(), m_columnKeys.end());
    dlg.condition = m_conditionText;
    if (dlg.DoModal() != QDialog::Accepted)
        return;
    m_conditionText = dlg.condition;
    // The text edited under "Anzeige-/Auswahl-Bedingung" becomes the set's condition.
    m_paramSet->SetCondition(m_conditionText);
    std::vector<std::string> columns;
    for (const std::string& key : m_paramSet->GetKeys())
        if (dlg.visibleKeys.count(key))
            columns.push_back(key);
    m_columnKeys = std::move(columns);
    RebuildColumns();
    RebuildRows();
}
