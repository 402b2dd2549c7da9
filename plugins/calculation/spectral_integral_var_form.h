#pragma once
// The editor form of the integral-variance selection (layout 25000): the selections, the
// search method with its evolutionary settings, the technology limits, normalisation,
// keys of the secondary weighting and the input check.
#include "calculation/calc_common.h"
#include "core/selection_edit.h"

class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QSpinBox;

class SpectralIntegralVarForm : public calc::CCalcForm {
    Q_OBJECT
    DECLARE_DYNCREATE(SpectralIntegralVarForm)

public:
    enum { IDD = 25000 };

    SpectralIntegralVarForm();
    ~SpectralIntegralVarForm() override;

    void InitModuleEditor() override;

protected:
    void ExchangeFields(CDataExchange* pDX) override;

private:
    void Take();
    void OnOverlap();
    void OnTolerances();
    void OnNormSpecs();
    void OnNormType();
    void OnSearchAfter();
    void OnSecondary();
    void OnStart();
    void OnCheckSpecs();
    void OnDiscSel();
    void OnEvolution();
    void ShowEvolution(bool show);
    void Run();

    CSelectionEdit* m_specDesc;      // 15001
    QSpinBox* m_specCount;           // 15002 with spin 15003
    CSelectionEdit* m_specGroup;     // 15004
    QPushButton* m_run;              // 15011
    QLabel* m_targetLabel;           // 15008
    CSelectionEdit* m_targets;       // 15012
    CSelectionEdit* m_secondary;     // 15013
    CSelectionEdit* m_secondaryName; // 15029
    CSelectionEdit* m_tolerances;    // 15052
    CSelectionEdit* m_start;         // 20005
    QCheckBox* m_overlap;            // 15024
    QLineEdit* m_maxOverlap;         // 15010
    QLabel* m_maxOverlapLabel;       // 15009
    QLineEdit* m_minDist;            // 15027
    QLabel* m_minDistLabel;          // 15015
    QCheckBox* m_discSel;            // 15025
    QCheckBox* m_evolution;          // 20014
    QSpinBox* m_evoCount;            // 20015 with spin 20017
    QLineEdit* m_evoSpz;             // 20019
    QLabel* m_evoSpzLabel;           // 20018
    QLabel* m_evoGroupLabel;         // 20020
    QLabel* m_evoCountLabel;         // 20021
    QCheckBox* m_searchAfter;        // 3015
    QRadioButton* m_keyFront;        // 15048: SearchAfterType 1
    QRadioButton* m_keyBack;         // 15049: SearchAfterType 0
    QCheckBox* m_normSpecs;          // 15044
    QLineEdit* m_normVal;            // 15036
    QRadioButton* m_integral;        // 15038
    QRadioButton* m_maximum;         // 15037
    QCheckBox* m_startSameSens;      // 20023
    QCheckBox* m_checkSpecs;         // 15046
    QLineEdit* m_keywords;           // 15063
    QLabel* m_keywordLabel;          // 15064
    QCheckBox* m_checkTolerances;    // 15053
    double m_keptMaxOverlap = 100;
    int m_keptMinDist = 0;
    bool m_exchanging = false; // while the fields and the parameters are exchanged
};
