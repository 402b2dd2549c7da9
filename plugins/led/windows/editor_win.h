#pragma once
// The table of a parameter set (in practice the LED database): one row per entry that
// passes the set's condition, one column per chosen key, each cell coloured by where its
// value comes from (stored green, derived yellow, missing red). Selecting one row shows it
// in the attached record window. The context menu adds and duplicates entries, loads and
// saves the set and chooses the columns and the condition.
//
// The rows point into the set. The window observes it: when the set is emptied elsewhere
// the rows are dropped and the record window lets go of its record.

#include "core/param_container.h"
#include "platform/colorref.h"

#include <QTableView>

#include <string>
#include <vector>

class CParamContainerEditWnd;
class ModuleInterface;
class ParamContainerSet;
class QMenu;

class CEditorWin : public QTableView, public Observer {
    Q_OBJECT

public:
    // Menu command ids.
    enum Command { kViewSettings = 5000, kLoad = 5001, kSave = 5002, kNewEntry = 5003, kDuplicate = 5004 };

    explicit CEditorWin(QWidget* parent = nullptr);
    ~CEditorWin() override;

    // Shows set (not owned; null: no rows, the columns stay), columns = the set's keys.
    void SetParamContainerSet(ParamContainerSet* set);
    ParamContainerSet* GetParamContainerSet() const { return m_paramSet; }
    void SetColumnKeys(const std::vector<std::string>& keys);
    const std::vector<std::string>& GetColumnKeys() const { return m_columnKeys; }
    void RebuildColumns();
    void RebuildRows();

    // The record window of the selected row (not owned; null: none).
    void SetRecordEditor(CParamContainerEditWnd* editor) { m_recordEditor = editor; }
    CParamContainerEditWnd* GetRecordEditor() const { return m_recordEditor; }
    // The host the commands log to (not owned; null: the lines are dropped).
    void SetHost(ModuleInterface* host) { m_host = host; }

    int RowCount() const { return static_cast<int>(m_rows.size()); }
    ParamContainer* RowAt(int i) const;
    const std::string& GetConditionText() const { return m_conditionText; }
    QMenu* GetContextMenu() const { return m_contextMenu; }
    // Runs a command of the menu by its id.
    void OnCommand(int id);

    // The menu's commands.
    void OnNewEntry();
    void OnDuplicateEntry();
    void OnLoadData();
    void OnSaveData();
    void OnViewSettings();

    // Selects exactly row i (-1: none) and shows it in the record window, as a click does.
    void SelectRow(int i);

    void Notify(int event, const void* sender, const void* data) override;

protected:
    void mousePressEvent(QMouseEvent* event) override;

private:
    class Model;
    class Delegate;

    void ShowSelectedRecord();
    void DropRows();

    ParamContainerSet* m_paramSet = nullptr;
    std::vector<std::string> m_columnKeys;
    std::vector<ParamContainer*> m_rows;
    CParamContainerEditWnd* m_recordEditor = nullptr;
    std::string m_conditionText;
    QMenu* m_contextMenu;
    ModuleInterface* m_host = nullptr;
    Model* m_model;
};
