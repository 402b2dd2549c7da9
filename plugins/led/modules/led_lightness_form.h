#pragma once
// The editor form of the lightness module (layout 6612).
#include "modules/led_form.h"

class CSelectionEdit;
class QPushButton;

class CLEDLightnessCalculationForm : public calc::CCalcForm {
    Q_OBJECT
    DECLARE_DYNCREATE(CLEDLightnessCalculationForm)

public:
    enum { IDD = 6612 };

    CLEDLightnessCalculationForm();
    ~CLEDLightnessCalculationForm() override;

    void InitModuleEditor() override;
    void OnCalculate();

protected:
    void ExchangeFields(CDataExchange* pDX) override;

private:
    CSelectionEdit* m_leds;    // 6653
    CSelectionEdit* m_specs;   // 6661
    CSelectionEdit* m_group;   // 6662
    CSelectionEdit* m_weights; // 6664
    QPushButton* m_calculate;  // 6663
};
