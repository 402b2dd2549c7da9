#pragma once
// The editor form of the spectral filter module (layout 15023).
#include "calculation/calc_common.h"
#include "core/selection_edit.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;

class SpectralFilterForm : public calc::CCalcForm {
    Q_OBJECT
    DECLARE_DYNCREATE(SpectralFilterForm)

public:
    enum { IDD = 15023 };

    SpectralFilterForm();
    ~SpectralFilterForm() override;

    void InitModuleEditor() override;

    void OnBnClickedRun();          // 15022
    void OnCbnSelchangeFilter();    // 15031
    void OnBnClickedAdaptive();     // 15041

protected:
    void ExchangeFields(CDataExchange* pDX) override;

private:
    // Puts low into 2103 when its number lies outside low .. high.
    void LimitSteps(int low, int high);

    CSelectionEdit* m_specDesc;  // 15032
    CSelectionEdit* m_specGroup; // 15016
    QComboBox* m_filter;         // 15031
    QCheckBox* m_keepSign;       // 15021
    QCheckBox* m_adaptive;       // 15041
    QLabel* m_valueLabel;        // 15020
    QLineEdit* m_value;          // 15033
    QLabel* m_stepsLabel;        // 15045
    QLineEdit* m_steps;          // 2103
    QPushButton* m_run;          // 15022
};
