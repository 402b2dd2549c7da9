#pragma once
// "Anzeige-/Auswahl-Einstellungen": which keys the list editor shows as columns, and the
// condition text. The caller fills allKeys, visibleKeys and condition, runs the dialog and,
// after OK, reads condition and visibleKeys back.

#include "platform/data_exchange.h"

#include <QDialog>

#include <set>
#include <string>
#include <vector>

class QLineEdit;
class QListWidget;

class CViewSettingsDlg : public QDialog, public platform::DataExchanger {
    Q_OBJECT

public:
    // The controls' ids: their object names, by which tests find them.
    enum : int {
        IDC_CONDITION = 24007,
        IDC_KEYLIST = 24009,
    };

    explicit CViewSettingsDlg(QWidget* parent = nullptr);
    ~CViewSettingsDlg() override;

    // Fills the list box from allKeys, selecting those in visibleKeys, and shows the condition.
    void OnInitDialog();
    // Runs the dialog modally (OnInitDialog first); QDialog::Accepted after "OK".
    int DoModal();

    std::string condition;
    std::vector<std::string> allKeys;
    std::set<std::string> visibleKeys;

    QListWidget* GetKeyList() const { return m_keyList; }

    void accept() override;
    void done(int result) override;

protected:
    void DoDataExchange(CDataExchange* pDX) override;

private:
    QListWidget* m_keyList;
    QLineEdit* m_condition;
};
