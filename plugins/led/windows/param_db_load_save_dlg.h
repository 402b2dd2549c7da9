#pragma once
// Where a parameter set is loaded from or saved to: a "[BeginEntry]" text file or a table of
// a data source. The two flows remember the last choice until the program ends.

#include "platform/data_exchange.h"

#include <QDialog>

#include <string>

class ParamContainerSet;
class QLineEdit;
class QPushButton;
class QRadioButton;

class CParamDBLoadSaveDlg : public QDialog, public platform::DataExchanger {
    Q_OBJECT

public:
    // The controls' ids: their object names, by which tests find them.
    enum : int {
        IDC_FILEOPTION = 24000,
        IDC_TABLEOPTION = 24001,
        IDC_FILEPATH = 24003,
        IDC_BROWSE = 24004,
        IDC_DATASOURCE = 24005,
        IDC_TABLENAME = 24006,
    };

    explicit CParamDBLoadSaveDlg(bool saveMode, QWidget* parent = nullptr);
    ~CParamDBLoadSaveDlg() override;

    // Radio texts by mode, the controls enabled by the option, the fields shown.
    void OnInitDialog();
    // Runs the dialog modally (OnInitDialog first); QDialog::Accepted after "OK".
    int DoModal();

    void OnFileOption();      // IDC_FILEOPTION
    void OnDataTableOption(); // IDC_TABLEOPTION
    void OnBrowse();          // IDC_BROWSE: the file chooser

    void accept() override;

    bool saveMode;
    bool useFile = true;
    std::string filePath;
    std::string dataSource;
    std::string tableName;

    // The choices remembered by the flows, one copy per process.
    struct Remembered {
        std::string filePath;
        std::string dataSource = "DSN=";
        std::string tableName = "DataTable";
        bool useFile = true;
    };
    static Remembered& GetRemembered();

    // The flows: the dialog with the remembered choice; on OK the choice is remembered and
    // the set loads or saves. Cancel changes nothing. Returns whether OK was pressed.
    static bool LoadFlow(ParamContainerSet& set);
    static bool SaveFlow(ParamContainerSet& set);

protected:
    void DoDataExchange(CDataExchange* pDX) override;

private:
    static bool RunFlow(ParamContainerSet& set, bool save);
    void EnableControls();

    QRadioButton* m_fileOption;
    QRadioButton* m_tableOption;
    QLineEdit* m_filePath;
    QPushButton* m_browse;
    QLineEdit* m_dataSource;
    QLineEdit* m_tableName;
};
