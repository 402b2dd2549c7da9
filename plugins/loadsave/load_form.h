#pragma once
// The editor pane of the loaders: what the file kind looks like, the target group (a drop
// field), separator, object base name, names from the file and wavelength factor, and the
// "LADEN" button that loads one or several files chosen in a file dialog.
#include "core/module_editor.h"

#include <memory>

class CSelectionEdit;
class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;
class LoadModuleBase;

namespace loadsave {
class DescriptionBlock;
}

class LoadForm : public CModuleEditor {
    Q_OBJECT
    DECLARE_DYNCREATE(LoadForm)

public:
    enum { IDD = 14000 };

    LoadForm();
    ~LoadForm() override;

    void InitModuleEditor() override;

    // "LADEN": asks for files and loads them one by one between one start and one end of a
    // calculation, with a log line per file.
    void OnLoad();

protected:
    void DoDataExchange(CDataExchange* pDX) override;

private:
    LoadModuleBase* Loader() const;

    CSelectionEdit* m_preName;
    QPushButton* m_load;
    QLabel* m_preNameLabel;
    QLabel* m_description;
    std::unique_ptr<loadsave::DescriptionBlock> m_descriptionBlock;
    QLineEdit* m_separator;
    QLabel* m_separatorLabel;
    QLineEdit* m_baseName;
    QLabel* m_baseNameLabel;
    QCheckBox* m_namesFromFile;
    QLineEdit* m_factor;
    QLabel* m_factorLabel;
    std::string m_descriptionText;
};
