#pragma once
// The editor form of the continuous fitting module (layout 24010).
#include "modules/led_form.h"

class CSelectionEdit;
class QCheckBox;
class QPushButton;

class CLEDContinuousFittingForm : public calc::CCalcForm {
    Q_OBJECT
    DECLARE_DYNCREATE(CLEDContinuousFittingForm)

public:
    enum { IDD = 24010 };
    // The controls' ids: their object names, by which tests find them.
    enum : int {
        IDC_SPECS = 6645,
        IDC_LEDS = 6653,
        IDC_GROUP = 6662,
        IDC_CALCULATE = 6679,
        IDC_MODEL_NAME = 6680,
        IDC_CONSTANT_FWHM = 6708,
        IDC_SETTINGS = 6709,
        IDC_TARGET_SPECS = 6710,
        IDC_OBSERVER_SPECS = 6711,
    };

    CLEDContinuousFittingForm();
    ~CLEDContinuousFittingForm() override;

    void InitModuleEditor() override;
    void OnCalculate();
    // "Parameter bearbeiten": the fitter settings in their dialog, stored however it closes.
    void OnEditSettings();

protected:
    void ExchangeFields(CDataExchange* pDX) override;

private:
    CSelectionEdit* m_leds;
    CSelectionEdit* m_specs;
    CSelectionEdit* m_group;
    QLineEdit* m_modelName;
    QCheckBox* m_constantFwhm;
    CSelectionEdit* m_targetSpecs;
    CSelectionEdit* m_observerSpecs;
    QPushButton* m_calculate;
    QPushButton* m_settings;
};
