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
    // The controls' ids: their object names, by which tests find them.
    enum : int {
        IDC_LEDS = 6653,
        IDC_SPECS = 6661,
        IDC_GROUP = 6662,
        IDC_CALCULATE = 6663,
        IDC_WEIGHTS = 6664,
    };

    CLEDLightnessCalculationForm();
    ~CLEDLightnessCalculationForm() override;

    void InitModuleEditor() override;
    void OnCalculate();

protected:
    void ExchangeFields(CDataExchange* pDX) override;

private:
    CSelectionEdit* m_leds;
    CSelectionEdit* m_specs;
    CSelectionEdit* m_group;
    CSelectionEdit* m_weights;
    QPushButton* m_calculate;
};
