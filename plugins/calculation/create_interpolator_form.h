#pragma once
// The editor form of the interpolator training (layout 2208).
#include "calculation/calc_common.h"
#include "core/selection_edit.h"

class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QSpinBox;

class CreateInterpolatorForm : public calc::CCalcForm {
    Q_OBJECT
    DECLARE_DYNCREATE(CreateInterpolatorForm)

public:
    enum { IDD = 2208 };

    CreateInterpolatorForm();
    ~CreateInterpolatorForm() override;

    void InitModuleEditor() override;
    // The Wiener fields, the error weighting and the conflict line after a change.
    void UpdateDependentStates();
    // The save button: the fields into the parameters, then the rule as text to a chosen file.
    void OnSave();

protected:
    void ExchangeFields(CDataExchange* pDX) override;

private:
    void OnSensitivitiesChanged();
    void OnResponsesChanged();

    CSelectionEdit* m_sensitivities; // 14003
    CSelectionEdit* m_illumination;  // 14005
    CSelectionEdit* m_targets;       // 14007
    CSelectionEdit* m_responses;     // 14010
    CSelectionEdit* m_targetGroup;   // 14016
    CSelectionEdit* m_errorWeight;   // 14019
    QSpinBox* m_iterCount;           // 14011 with 2027
    QLineEdit* m_regTV;              // 2060
    QLineEdit* m_regI2min;           // 2066
    QLineEdit* m_regI2max;           // 2085
    QLineEdit* m_regPositivity;      // 2090
    QLineEdit* m_regGauss;           // 2093
    QLineEdit* m_mseStop;            // 2073
    QLineEdit* m_wiener1;            // 2096
    QLineEdit* m_wiener2;            // 2099
    QLineEdit* m_adMode;             // 2116
    QLineEdit* m_channelNoise;       // 2118
    QCheckBox* m_quantChan;          // 2117
    QCheckBox* m_grouped;            // 2211
    QCheckBox* m_autoSave;           // 2212
    QCheckBox* m_randomSign;         // 20009
    QCheckBox* m_evolutionary;       // 2200, bound to nothing
    QLabel* m_outFolder;             // 14017
    QPushButton* m_run;              // 2030
    QPushButton* m_save;             // 20013
    bool m_exchanging = false;
};
