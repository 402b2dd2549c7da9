#pragma once
// The key/value table of one parameter record, with an in-place editor for the values.
// Bands show where a value comes from: own (green), derived (yellow), unknown key (red).
// Every edit goes through the record's own operations, so its observers hear of it.

#include "windows/param_table_wnd.h"

#include <set>
#include <string>
#include <vector>

class ParamContainer;

class CParamContainerEditWnd : public CParamTableWnd {
    Q_OBJECT

public:
    explicit CParamContainerEditWnd(QWidget* parent = nullptr);
    ~CParamContainerEditWnd() override;

    // Shows record (not owned; null shows nothing), refreshes the keys and the scroll bar.
    void SetParamContainer(ParamContainer* record);
    ParamContainer* GetParamContainer() const { return m_record; }
    // Replaces the key list (no repaint).
    void SetKeys(const std::vector<std::string>& keys);
    void SetKeys(const std::set<std::string>& keys);
    const std::vector<std::string>& GetKeys() const { return m_keys; }
    // Auto keys: the record's own keys; otherwise the list is kept and the record's missing
    // own keys are appended.
    void RefreshKeys();

    // True: the key list follows the record; false: it is kept and extended.
    bool autoKeys = true;

    // The band of a value's source (ParamContainer::Source): own green, derived yellow,
    // unknown red. The list editor colours its cells the same way.
    static COLORREF SourceColour(int source);

    const std::string& GetEditedKey() const { return m_editedKey; }
    int GetEditedOrigin() const { return m_editedOrigin; }

protected:
    int RowCount() const override { return static_cast<int>(m_keys.size()); }
    QString RowKey(int index) const override;
    QString RowValue(int index, COLORREF& band) const override;
    bool HasData() const override { return m_record != nullptr; }
    QString EmptyText() const override;
    bool PrepareEdit(int index, QString& text) override;
    void CommitEdit(const QString& text) override;

private:
    ParamContainer* m_record = nullptr;
    std::vector<std::string> m_keys;
    std::string m_editedKey;
    int m_editedOrigin = 2;
};
