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
    // The controls' ids: their object names, by which tests find them. The six labels of the
    // extended parameters follow IDC_EXT_LABEL_FIRST one by one.
    enum : int {
        IDC_START = 6638,
        IDC_END = 6639,
        IDC_COUNT = 6650,
        IDC_GROUP = 6700,
        IDC_CREATE = 6701,
        IDC_FWHM = 6702,
        IDC_META_DATA = 6717,
        IDC_MODEL = 6718,
        IDC_EXT_SLOPE = 6720,
        IDC_HELP = 6721,
        IDC_EXT_WIDTH = 6722,
        IDC_EXT_OFFSET_LEFT = 6723,
        IDC_EXT_OFFSET_RIGHT = 6724,
        IDC_EXT_SLOPE_LEFT = 6725,
        IDC_EXT_SLOPE_RIGHT = 6726,
        IDC_EXT_LABEL_FIRST = 6727,
        IDC_NOISED = 6733,
    };

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

    QLineEdit* m_start;
    QLineEdit* m_end;
    QLineEdit* m_count;
    QLineEdit* m_fwhm;
    CSelectionEdit* m_group;
    QPushButton* m_create;
    QCheckBox* m_metaData;
    QLabel* m_help;
    QComboBox* m_model;
    QCheckBox* m_noised;
    QLineEdit* m_ext[6];
    QLabel* m_extLabels[6];
};
