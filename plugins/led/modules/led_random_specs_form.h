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

    CLEDRandomSpecsForm();
    ~CLEDRandomSpecsForm() override;

    void InitModuleEditor() override;
    void OnCalculate();

protected:
    void ExchangeFields(CDataExchange* pDX) override;

private:
    CSelectionEdit* m_leds;       // 6653
    CSelectionEdit* m_lightness;  // 6665
    CSelectionEdit* m_group;      // 6666
    QLineEdit* m_count;           // 6667
    QLineEdit* m_start;           // 6638
    QLineEdit* m_end;             // 6639
    QLineEdit* m_step;            // 6640
    QCheckBox* m_noise;           // 6675
    QLineEdit* m_minFactor;       // 6670
    QLineEdit* m_maxFactor;       // 6671
    QLineEdit* m_minTemperature;  // 6672
    QLineEdit* m_maxTemperature;  // 6673
    QPushButton* m_calculate;     // 6668
};
