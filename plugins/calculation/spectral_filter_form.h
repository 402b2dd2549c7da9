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

    // The controls' ids: their object names, by which tests find them.
    enum : int {
        IDC_STEPS = 2103,
        IDC_SPECGROUP = 15016,
        IDC_SPECDESCLABEL = 15017,
        IDC_FILTERLABEL = 15018,
        IDC_SPECGROUPLABEL = 15019,
        IDC_VALUELABEL = 15020,
        IDC_KEEPSIGN = 15021,
        IDC_RUN = 15022,
        IDC_FILTER = 15031,
        IDC_SPECDESC = 15032,
        IDC_VALUE = 15033,
        IDC_ADAPTIVE = 15041,
        IDC_STEPSLABEL = 15045,
    };

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
