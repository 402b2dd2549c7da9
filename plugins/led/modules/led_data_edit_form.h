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
    CSelectionEdit* m_leds;     // 6653
    CSelectionEdit* m_group;    // 6651
    QLineEdit* m_condition;     // 24007
    QPushButton* m_import;      // 6657
    QPushButton* m_export;      // 6652
    QPushButton* m_erase;       // 6658
    CEditorWin* m_editor;       // 6635
    CParamContainerEditWnd* m_recordPane;
    LedDB* m_list = nullptr;
};
