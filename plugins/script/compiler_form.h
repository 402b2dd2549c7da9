#pragma once
// The editor form of the script module (layout 1000): the colouring source editor, the run
// button, loading, saving and the demo script, the two options, a description, the help text
// and the caret position.
#include "core/module_editor.h"

class CSyntaxEdit;
class QCheckBox;
class QGroupBox;
class QLabel;
class QPushButton;
class QScrollArea;

class CCompilerForm : public CModuleEditor {
    Q_OBJECT
    DECLARE_DYNCREATE(CCompilerForm)

public:
    enum { IDD = 1000 };
    // The controls' ids: their object names, by which tests find them.
    enum : int {
        IDC_RUN = 1001,
        IDC_SMARTERROR = 1002,
        IDC_CLIPPING = 1003,
        IDC_EDIT = 1005,
        IDC_LOAD = 1007,
        IDC_SAVE = 1008,
        IDC_DEMO = 1009,
        IDC_DESCRIPTION = 1011,
        IDC_GROUP = 1012,
        IDC_HELP = 1013,
        IDC_STATUS = 1015,
    };
    static constexpr char kFilter[] = "MCC (*.mcc)";
    static constexpr char kPattern[] = "*.mcc";

    CCompilerForm();
    ~CCompilerForm() override;

    void InitModuleEditor() override;
    // The caret position of the editor into the status line.
    void ShowStatus();

    // Compiles and runs the script between the host's StartCalculation and EndCalculation;
    // the run button and the editor are disabled meanwhile.
    void OnRun();
    // A script file into the editor; a file that cannot be read leaves the script as it is.
    void OnLoad();
    // The script into a file; a failed write leaves the old file.
    void OnSave();
    void OnDemo();

    CSyntaxEdit* GetEdit() const { return m_edit; }

protected:
    void DoDataExchange(CDataExchange* pDX) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void ApplyLayout();

    QScrollArea* m_scroll;
    QWidget* m_content;
    CSyntaxEdit* m_edit;
    QPushButton* m_run;
    QCheckBox* m_smartError;
    QCheckBox* m_clipping;
    QPushButton* m_load;
    QPushButton* m_save;
    QPushButton* m_demo;
    QLabel* m_description;
    QGroupBox* m_group;
    QLabel* m_help;
    QLabel* m_status;
};
