#pragma once
#include "core/module_editor.h"
#include "core/selection_edit.h"

class QCheckBox;
class QComboBox;

// The form's own drop field: it counts the spectra drops it passes on.
class CTestPluginFormSelectionEdit : public CSelectionEdit {
    Q_OBJECT

public:
    using CSelectionEdit::CSelectionEdit;
    ~CTestPluginFormSelectionEdit() override;

    void OnDropSpecs(const std::string& names) override;

    int drops = 0;
};

class CTestPluginForm : public CModuleEditor {
    Q_OBJECT
    DECLARE_DYNCREATE(CTestPluginForm)

public:
    enum { IDD = 4711 };

    CTestPluginForm();
    ~CTestPluginForm() override;

    void InitModuleEditor() override;

protected:
    void DoDataExchange(CDataExchange* pDX) override;

private:
    CTestPluginFormSelectionEdit* m_specDesc;
    QLineEdit* m_count;
    QLineEdit* m_factor;
    QCheckBox* m_enabled;
    QComboBox* m_mode;
};
