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

    CLEDContinuousFittingForm();
    ~CLEDContinuousFittingForm() override;

    void InitModuleEditor() override;
    void OnCalculate();
    // "Parameter bearbeiten": the fitter settings in their dialog, stored however it closes.
    void OnEditSettings();

protected:
    void ExchangeFields(CDataExchange* pDX) override;

private:
    CSelectionEdit* m_leds;          // 6653
    CSelectionEdit* m_specs;         // 6645
    CSelectionEdit* m_group;         // 6662
    QLineEdit* m_modelName;          // 6680
    QCheckBox* m_constantFwhm;       // 6708
    CSelectionEdit* m_targetSpecs;   // 6710
    CSelectionEdit* m_observerSpecs; // 6711
    QPushButton* m_calculate;        // 6679
    QPushButton* m_settings;         // 6709
};
