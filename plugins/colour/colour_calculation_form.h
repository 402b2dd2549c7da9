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
    // The controls' ids: their object names, by which tests find them.
    enum : int {
        IDC_LIGHTS = 18001,
        IDC_TARGETGROUP = 18002,
        IDC_OBSERVERS = 18003,
        IDC_CALCULATE = 18004,
        IDC_INTEGRALS = 18024,
        IDC_OBSERVERLABEL = 18025,
        IDC_COLOURVALUES = 18028,
        IDC_QE = 18030,
        IDC_SAVERESPONSE = 18031,
        IDC_SORT = 18032,
        IDC_SPECS = 18033,
    };

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
    CSelectionEdit* m_specs;
    CSelectionEdit* m_lights;
    CSelectionEdit* m_observers;
    CSelectionEdit* m_target;
    QLabel* m_observerLabel;
    QRadioButton* m_colourValues;
    QRadioButton* m_integrals;
    QCheckBox* m_qe;
    QCheckBox* m_saveResponse;
    QCheckBox* m_sort;
    QPushButton* m_calculate;
    // Set by an exchange into the controls: the plain label stands for the sensitivity case.
    bool m_plainLabel = false;
};
