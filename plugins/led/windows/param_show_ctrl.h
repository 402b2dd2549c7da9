#pragma once
// The value display: named numbers ("%0.3f"), read-only rows in grey, writable ones pale
// green. A value typed into a writable row goes to the module of the owner form, which must
// be a DeviceValueSink.
//
// The owner replaces the three lists together and calls UpdateScrollInfo. An owner that
// replaces them outside the GUI thread holds its lock meanwhile and hands that lock to the
// control (SetLock); the control then paints and writes a committed value under it. The
// device form fills them on the GUI thread and needs no lock.

#include "windows/param_table_wnd.h"

#include <mutex>
#include <string>
#include <vector>

class CModuleEditor;

class CParamShowCtrl : public CParamTableWnd {
    Q_OBJECT

public:
    explicit CParamShowCtrl(QWidget* parent = nullptr);
    ~CParamShowCtrl() override;

    // The value of the last row named name; 0 when none is.
    double GetValue(const std::string& name) const;

    // The form whose module receives committed values (not owned).
    void SetOwnerForm(CModuleEditor* form) { m_ownerForm = form; }
    CModuleEditor* GetOwnerForm() const { return m_ownerForm; }
    // The lock the owner holds while it replaces the lists (not owned; null: none).
    void SetLock(std::recursive_mutex* lock) { m_lock = lock; }

    // Parallel lists, replaced together by the owner.
    std::vector<std::string> names;
    std::vector<double> values;
    std::vector<bool> readOnly;

    const std::string& GetEditedName() const { return m_editedName; }
    double GetEditedValue() const { return m_editedValue; }
    int GetEditedIndex() const { return m_editedIndex; }

    // The row text of a value.
    static QString FormatValue(double value);

protected:
    int RowCount() const override;
    QString RowKey(int index) const override;
    QString RowValue(int index, COLORREF& band) const override;
    bool PrepareEdit(int index, QString& text) override;
    void CommitEdit(const QString& text) override;
    void LockRows() const override;
    void UnlockRows() const override;

private:
    CModuleEditor* m_ownerForm = nullptr;
    std::recursive_mutex* m_lock = nullptr;
    std::string m_editedName;
    double m_editedValue = 0.0;
    int m_editedIndex = -1;
    QString m_startText;
};
