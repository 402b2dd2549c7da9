#pragma once
// The editor form of the LED data edit module (layout 6606): import from the clipboard,
// the selection filter, the list and export into a clipboard group.
#include "modules/led_form.h"

class CEditorWin;
class CParamContainerEditWnd;
class CSelectionEdit;
class LedDB;
class QPushButton;

class CLEDDataEditForm : public calc::CCalcForm {
    Q_OBJECT
    DECLARE_DYNCREATE(CLEDDataEditForm)

public:
    enum { IDD = 6606 };
    // The controls' ids: their object names, by which tests find them.
    enum : int {
        IDC_EDITOR = 6635,
        IDC_GROUP = 6651,
        IDC_EXPORT = 6652,
        IDC_LEDS = 6653,
        IDC_IMPORT = 6657,
        IDC_ERASE = 6658,
        IDC_CONDITION = 24007,
    };

    CLEDDataEditForm();
    ~CLEDDataEditForm() override;

    void InitModuleEditor() override;

    void OnChangeCondition();
    void OnExport();
    void OnImport();
    void OnErase();

protected:
    void ExchangeFields(CDataExchange* pDX) override;

private:
    // Shows the list's new content.
    void AttachList();
    // The list shows the LEDs that meet the condition parameter.
    void ApplyCondition();

public:
    CEditorWin* GetEditor() const { return m_editor; }
    CParamContainerEditWnd* GetRecordPane() const { return m_recordPane; }

private:
    CSelectionEdit* m_leds;
    CSelectionEdit* m_group;
    QLineEdit* m_condition;
    QPushButton* m_import;
    QPushButton* m_export;
    QPushButton* m_erase;
    CEditorWin* m_editor;
    CParamContainerEditWnd* m_recordPane;
    LedDB* m_list = nullptr;
};
