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
class QSpinBox;

class SVDSelectionForm : public calc::CCalcForm {
    Q_OBJECT
    DECLARE_DYNCREATE(SVDSelectionForm)

public:
    enum { IDD = 20000 };

    SVDSelectionForm();
    ~SVDSelectionForm() override;

    void InitModuleEditor() override;

protected:
    void ExchangeFields(CDataExchange* pDX) override;

private:
    bool IsSensorModule() const;
    void ApplyNormRules();
    void Run();

    CSelectionEdit* m_specDesc;    // 14002
    QSpinBox* m_specCount;         // 14006 with its spin 2024
    CSelectionEdit* m_targetGroup; // 14004
    QPushButton* m_run;            // 14001
    CSelectionEdit* m_weights;     // 14009
    CSelectionEdit* m_starts;      // 14014
    CSelectionEdit* m_equivalents; // 14028
    QLabel* m_specLabel;           // 2017
    QLabel* m_weightLabel;         // 2021
    QLabel* m_equivalentLabel;     // 2031
    QCheckBox* m_normSpecs;        // 2120
    QLineEdit* m_normVal;          // 15035
    QRadioButton* m_integral;      // 15039
    QRadioButton* m_maximum;       // 15040
    QCheckBox* m_checkSpecs;       // 2121
    QLineEdit* m_keywords;         // 15065
    QLabel* m_keywordLabel;        // 15066
};
