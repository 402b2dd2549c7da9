#pragma once
// The editor form of the integral-variance selection (layout 25000): the selections, the
// search method with its evolutionary settings, the technology limits, normalisation,
// keys of the secondary weighting and the input check.
#include "calculation/calc_common.h"
#include "calculation/form_helpers.h"
#include "core/selection_edit.h"

class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;

class SpectralIntegralVarForm : public calc::CCalcForm {
    Q_OBJECT
    DECLARE_DYNCREATE(SpectralIntegralVarForm)

public:
    enum { IDD = 25000 };

    // The controls' ids: their object names, by which tests find them.
    enum : int {
        IDC_SPECDESC = 15001,
        IDC_SPECCOUNT = 15002,
        IDC_SPECGROUP = 15004,
        IDC_RUN = 15011,
        IDC_TARGETLABEL = 15008,
        IDC_TARGETS = 15012,
        IDC_SECONDARY = 15013,
        IDC_SECONDARYNAME = 15029,
        IDC_TOLERANCES = 15052,
        IDC_START = 20005,
        IDC_OVERLAP = 15024,
        IDC_MAXOVERLAP = 15010,
        IDC_MAXOVERLAPLABEL = 15009,
        IDC_MINDIST = 15027,
        IDC_MINDISTLABEL = 15015,
        IDC_DISCSEL = 15025,
        IDC_EVOLUTION = 20014,
        IDC_EVOCOUNT = 20015,
        IDC_EVOSPZ = 20019,
        IDC_EVOSPZLABEL = 20018,
        IDC_EVOGROUPLABEL = 20020,
        IDC_EVOCOUNTLABEL = 20021,
        IDC_SEARCHAFTER = 3015,
        IDC_KEYFRONT = 15048,
        IDC_KEYBACK = 15049,
        IDC_NORMSPECS = 15044,
        IDC_NORMVAL = 15036,
        IDC_INTEGRAL = 15038,
        IDC_MAXIMUM = 15037,
        IDC_STARTSAMESENS = 20023,
        IDC_CHECKSPECS = 15046,
        IDC_KEYWORDS = 15063,
        IDC_KEYWORDLABEL = 15064,
        IDC_CHECKTOLERANCES = 15053,
    };

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

    CSelectionEdit* m_specDesc;
    calc::SpinEdit* m_specCount;     // 15002 with spin 15003
    CSelectionEdit* m_specGroup;
    QPushButton* m_run;
    QLabel* m_targetLabel;
    CSelectionEdit* m_targets;
    CSelectionEdit* m_secondary;
    CSelectionEdit* m_secondaryName;
    CSelectionEdit* m_tolerances;
    CSelectionEdit* m_start;
    QCheckBox* m_overlap;
    QLineEdit* m_maxOverlap;
    QLabel* m_maxOverlapLabel;
    QLineEdit* m_minDist;
    QLabel* m_minDistLabel;
    QCheckBox* m_discSel;
    QCheckBox* m_evolution;
    calc::SpinEdit* m_evoCount;      // 20015 with spin 20017
    QLineEdit* m_evoSpz;
    QLabel* m_evoSpzLabel;
    QLabel* m_evoGroupLabel;
    QLabel* m_evoCountLabel;
    QCheckBox* m_searchAfter;
    QRadioButton* m_keyFront;        // 15048: SearchAfterType 1
    QRadioButton* m_keyBack;         // 15049: SearchAfterType 0
    QCheckBox* m_normSpecs;
    QLineEdit* m_normVal;
    QRadioButton* m_integral;
    QRadioButton* m_maximum;
    QCheckBox* m_startSameSens;
    QCheckBox* m_checkSpecs;
    QLineEdit* m_keywords;
    QLabel* m_keywordLabel;
    QCheckBox* m_checkTolerances;
    double m_keptMaxOverlap = 100;
    int m_keptMinDist = 0;
    bool m_exchanging = false; // while the fields and the parameters are exchanged, or the form is set up
};
