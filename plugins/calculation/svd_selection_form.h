#pragma once
// The editor form of both algebraic selection modules (layout 20000); it shows the
// weighting and screening fields for the sensor variant and the equivalents field for the
// spectrum variant.
#include "calculation/calc_common.h"
#include "core/selection_edit.h"

class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;

namespace calc {
class SpinEdit;
}

class SVDSelectionForm : public calc::CCalcForm {
    Q_OBJECT
    DECLARE_DYNCREATE(SVDSelectionForm)

public:
    enum { IDD = 20000 };

    // The controls' ids: their object names, by which tests find them.
    enum : int {
        IDC_SPECLABEL = 2017,
        IDC_SPECDESC = 14002,
        IDC_SPECCOUNT = 14006,
        IDC_TARGETGROUP = 14004,
        IDC_RUN = 14001,
        IDC_WEIGHTLABEL = 2021,
        IDC_WEIGHTS = 14009,
        IDC_STARTS = 14014,
        IDC_EQUIVALENTLABEL = 2031,
        IDC_EQUIVALENTS = 14028,
        IDC_NORMSPECS = 2120,
        IDC_NORMVAL = 15035,
        IDC_INTEGRAL = 15039,
        IDC_MAXIMUM = 15040,
        IDC_CHECKSPECS = 2121,
        IDC_KEYWORDS = 15065,
        IDC_KEYWORDLABEL = 15066,
    };

    SVDSelectionForm();
    ~SVDSelectionForm() override;

    void InitModuleEditor() override;

protected:
    void ExchangeFields(CDataExchange* pDX) override;

private:
    bool IsSensorModule() const;
    void ApplyNormRules();
    void Run();

    CSelectionEdit* m_specDesc;
    calc::SpinEdit* m_specCount;   // 14006 with its spin 2024
    CSelectionEdit* m_targetGroup;
    QPushButton* m_run;
    CSelectionEdit* m_weights;
    CSelectionEdit* m_starts;
    CSelectionEdit* m_equivalents;
    QLabel* m_specLabel;
    QLabel* m_weightLabel;
    QLabel* m_equivalentLabel;
    QCheckBox* m_normSpecs;
    QLineEdit* m_normVal;
    QRadioButton* m_integral;
    QRadioButton* m_maximum;
    QCheckBox* m_checkSpecs;
    QLineEdit* m_keywords;
    QLabel* m_keywordLabel;
};
