#pragma once
// The editor form of the colour and integral value modules (layout 18000).
#include "core/calc_form.h"
#include "core/selection_edit.h"

class QCheckBox;
class QGroupBox;
class QLabel;
class QPushButton;
class QRadioButton;

class CColorCalculationForm : public calc::CCalcForm {
    Q_OBJECT
    DECLARE_DYNCREATE(CColorCalculationForm)

public:
    enum { IDD = 18000 };

    CColorCalculationForm();
    ~CColorCalculationForm() override;

    void InitModuleEditor() override;

    // The observer label and the QE box after the mode.
    void ApplyLabelRule();
    // More than three curves in the observer field switch to integral values.
    void CheckObservers();

protected:
    void ExchangeFields(CDataExchange* pDX) override;

private:
    CSelectionEdit* m_specs;      // 18033
    CSelectionEdit* m_lights;     // 18001
    CSelectionEdit* m_observers;  // 18003
    CSelectionEdit* m_target;     // 18002
    QLabel* m_observerLabel;      // 18025
    QRadioButton* m_colourValues; // 18028
    QRadioButton* m_integrals;    // 18024
    QCheckBox* m_qe;              // 18030
    QCheckBox* m_saveResponse;    // 18031
    QCheckBox* m_sort;            // 18032
    QPushButton* m_calculate;     // 18004
    // Set by an exchange into the controls: the plain label stands for the sensitivity case.
    bool m_plainLabel = false;
};
