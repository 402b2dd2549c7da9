#pragma once
// The editor form of the interpolator training (layout 2208).
#include "calculation/calc_common.h"
#include "core/selection_edit.h"

class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace calc {
class SpinEdit;
}

class CreateInterpolatorForm : public calc::CCalcForm {
    Q_OBJECT
    DECLARE_DYNCREATE(CreateInterpolatorForm)

public:
    enum { IDD = 2208 };

    // The controls' ids: their object names, by which tests find them.
    enum : int {
        IDC_SENSITIVITIES = 14003,
        IDC_ILLUMINATION = 14005,
        IDC_TARGETS = 14007,
        IDC_RESPONSES = 14010,
        IDC_TARGETGROUP = 14016,
        IDC_ERRORWEIGHT = 14019,
        IDC_ITERCOUNT = 14011,
        IDC_REGTV = 2060,
        IDC_REGI2MIN = 2066,
        IDC_REGI2MAX = 2085,
        IDC_REGPOSITIVITY = 2090,
        IDC_REGGAUSS = 2093,
        IDC_MSESTOP = 2073,
        IDC_WIENER1 = 2096,
        IDC_WIENER2 = 2099,
        IDC_ADMODE = 2116,
        IDC_CHANNELNOISE = 2118,
        IDC_QUANTCHAN = 2117,
        IDC_GROUPED = 2211,
        IDC_AUTOSAVE = 2212,
        IDC_RANDOMSIGN = 20009,
        IDC_EVOLUTIONARY = 2200,
        IDC_OUTFOLDER = 14017,
        IDC_RUN = 2030,
        IDC_SAVE = 20013,
    };

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

    CSelectionEdit* m_sensitivities;
    CSelectionEdit* m_illumination;
    CSelectionEdit* m_targets;
    CSelectionEdit* m_responses;
    CSelectionEdit* m_targetGroup;
    CSelectionEdit* m_errorWeight;
    calc::SpinEdit* m_iterCount;     // 14011 with its spin 2027
    QLineEdit* m_regTV;
    QLineEdit* m_regI2min;
    QLineEdit* m_regI2max;
    QLineEdit* m_regPositivity;
    QLineEdit* m_regGauss;
    QLineEdit* m_mseStop;
    QLineEdit* m_wiener1;
    QLineEdit* m_wiener2;
    QLineEdit* m_adMode;
    QLineEdit* m_channelNoise;
    QCheckBox* m_quantChan;
    QCheckBox* m_grouped;
    QCheckBox* m_autoSave;
    QCheckBox* m_randomSign;
    QCheckBox* m_evolutionary; // bound to nothing
    QLabel* m_outFolder;
    QPushButton* m_run;
    QPushButton* m_save;
    bool m_exchanging = false;
    bool m_settingUp = false;
};
