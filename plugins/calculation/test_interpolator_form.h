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

    // The controls' ids: their object names, by which tests find them.
    enum : int {
        IDC_RESPONSES = 14018,
        IDC_SENSORS = 14003,
        IDC_TARGETS = 14007,
        IDC_RULES = 14008,
        IDC_TARGETGROUP = 14016,
        IDC_RANGEMIN = 2071,
        IDC_RANGEMAX = 2080,
        IDC_MESSCOUNT = 2095,
        IDC_GROUPED = 2211,
        IDC_RANDOMSIGN = 20009,
        IDC_RUN = 2050,
    };

    TestInterpolatorForm();
    ~TestInterpolatorForm() override;

    void InitModuleEditor() override;
    // Logs the conflict when sensor, responses and targets are all given.
    void SensorCheck();

protected:
    void ExchangeFields(CDataExchange* pDX) override;

private:
    CSelectionEdit* m_responses;
    CSelectionEdit* m_sensors;
    CSelectionEdit* m_targets;
    CSelectionEdit* m_rules;
    CSelectionEdit* m_targetGroup;
    QLineEdit* m_rangeMin;
    QLineEdit* m_rangeMax;
    QLineEdit* m_messCount;
    QCheckBox* m_grouped;
    QCheckBox* m_randomSign; // hidden
    QPushButton* m_run;
};
