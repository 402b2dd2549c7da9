#pragma once
// The editor form of the random LED spectra module (layout 6614).
#include "modules/led_form.h"

class CSelectionEdit;
class QCheckBox;
class QLineEdit;
class QPushButton;

class CLEDRandomSpecsForm : public calc::CCalcForm {
    Q_OBJECT
    DECLARE_DYNCREATE(CLEDRandomSpecsForm)

public:
    enum { IDD = 6614 };
    // The controls' ids: their object names, by which tests find them.
    enum : int {
        IDC_START = 6638,
        IDC_END = 6639,
        IDC_STEP = 6640,
        IDC_LEDS = 6653,
        IDC_LIGHTNESS = 6665,
        IDC_GROUP = 6666,
        IDC_COUNT = 6667,
        IDC_CALCULATE = 6668,
        IDC_MIN_FACTOR = 6670,
        IDC_MAX_FACTOR = 6671,
        IDC_MIN_TEMPERATURE = 6672,
        IDC_MAX_TEMPERATURE = 6673,
        IDC_NOISE = 6675,
    };

    CLEDRandomSpecsForm();
    ~CLEDRandomSpecsForm() override;

    void InitModuleEditor() override;
    void OnCalculate();

protected:
    void ExchangeFields(CDataExchange* pDX) override;

private:
    CSelectionEdit* m_leds;
    CSelectionEdit* m_lightness;
    CSelectionEdit* m_group;
    QLineEdit* m_count;
    QLineEdit* m_start;
    QLineEdit* m_end;
    QLineEdit* m_step;
    QCheckBox* m_noise;
    QLineEdit* m_minFactor;
    QLineEdit* m_maxFactor;
    QLineEdit* m_minTemperature;
    QLineEdit* m_maxTemperature;
    QPushButton* m_calculate;
};
