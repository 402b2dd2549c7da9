#pragma once
// The editor form of the two model-parameter twins (layout 6622). The model list and the
// help text follow the class of the edited module.
#include "modules/led_form.h"

class CSelectionEdit;
class QCheckBox;
class QComboBox;
class QLabel;
class QPushButton;

class CMultiLEDCreateForm : public calc::CCalcForm {
    Q_OBJECT
    DECLARE_DYNCREATE(CMultiLEDCreateForm)

public:
    enum { IDD = 6622 };

    CMultiLEDCreateForm();
    ~CMultiLEDCreateForm() override;

    void InitModuleEditor() override;

    void OnCreate();
    void OnSelChangeModel();
    void OnChangeCount();

    static const char* HelpText(bool led);

protected:
    void ExchangeFields(CDataExchange* pDX) override;

private:
    void HideExtendedControls();

    QLineEdit* m_start;          // 6638
    QLineEdit* m_end;            // 6639
    QLineEdit* m_count;          // 6650
    QLineEdit* m_fwhm;           // 6702
    CSelectionEdit* m_group;     // 6700
    QPushButton* m_create;       // 6701
    QCheckBox* m_metaData;       // 6717
    QLabel* m_help;              // 6721
    QComboBox* m_model;          // 6718
    QCheckBox* m_noised;         // 6733
    QLineEdit* m_ext[6];         // 6720, 6722 .. 6726
    QLabel* m_extLabels[6];      // 6727 .. 6732
};
