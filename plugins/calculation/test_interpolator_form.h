#pragma once
// The editor form of the interpolator test (layout 2209).
#include "calculation/calc_common.h"
#include "core/selection_edit.h"

class QCheckBox;
class QLineEdit;
class QPushButton;

class TestInterpolatorForm : public calc::CCalcForm {
    Q_OBJECT
    DECLARE_DYNCREATE(TestInterpolatorForm)

public:
    enum { IDD = 2209 };

    TestInterpolatorForm();
    ~TestInterpolatorForm() override;

    void InitModuleEditor() override;
    // Logs the conflict when sensor, responses and targets are all given.
    void SensorCheck();

protected:
    void ExchangeFields(CDataExchange* pDX) override;

private:
    CSelectionEdit* m_responses;   // 14018
    CSelectionEdit* m_sensors;     // 14003
    CSelectionEdit* m_targets;     // 14007
    CSelectionEdit* m_rules;       // 14008
    CSelectionEdit* m_targetGroup; // 14016
    QLineEdit* m_rangeMin;         // 2071
    QLineEdit* m_rangeMax;         // 2080
    QLineEdit* m_messCount;        // 2095
    QCheckBox* m_grouped;          // 2211
    QCheckBox* m_randomSign;       // 20009, hidden
    QPushButton* m_run;            // 2050
};
