#pragma once
// The editor pane of the savers: what the file format looks like, the objects to save (a drop
// field), the separator and the three text options, and the "SPEICHERN" button that saves
// after a save-file dialog.
#include "core/module_editor.h"

#include <memory>

class CSelectionEdit;
class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;
class SaveModuleBase;

namespace loadsave {
class DescriptionBlock;
}

class SaveForm : public CModuleEditor {
    Q_OBJECT
    DECLARE_DYNCREATE(SaveForm)

public:
    enum { IDD = 14001 };

    SaveForm();
    ~SaveForm() override;

    void InitModuleEditor() override;

    // "SPEICHERN": asks for the file and saves the selection, with a log line.
    void OnSave();
    // "kompaktes Speichern" ticked or cleared: the separator and "ohne Namen speichern" serve
    // the compact clipboard form only.
    void OnCompactClicked();

protected:
    void DoDataExchange(CDataExchange* pDX) override;

private:
    SaveModuleBase* Saver() const;
    void ApplyRules();

    QPushButton* m_save;
    CSelectionEdit* m_selection;
    QLabel* m_dataLabel;
    QLabel* m_description;
    std::unique_ptr<loadsave::DescriptionBlock> m_descriptionBlock;
    QLineEdit* m_separator;
    QLabel* m_separatorLabel;
    QCheckBox* m_compact;
    QCheckBox* m_noNames;
    QCheckBox* m_saveNames;
    std::string m_descriptionText;
    std::string m_dataLabelText;
};
