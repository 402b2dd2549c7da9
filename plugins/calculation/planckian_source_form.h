#pragma once
// The editor form of the black-body module (layout 2008).
#include "calculation/calc_common.h"
#include "core/selection_edit.h"

class PlanckianSourceModule;
class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;

// A wavelength field (start, end or step, modes 1 to 3) that takes over the grid of a
// dropped spectrum: its first x, last x and first step.
class CPlanckianSourceFormSelectionEdit : public CSelectionEdit {
    Q_OBJECT

public:
    explicit CPlanckianSourceFormSelectionEdit(QWidget* parent = nullptr);
    ~CPlanckianSourceFormSelectionEdit() override;

    void SetModule(PlanckianSourceModule* module) { m_module = module; }
    void SetMode(int mode) { m_mode = mode; }
    int GetMode() const { return m_mode; }

    void OnDropSpecs(const std::string& names) override;

private:
    PlanckianSourceModule* m_module = nullptr;
    int m_mode = 0;
};

class CPlanckianSourceForm : public calc::CCalcForm {
    Q_OBJECT
    DECLARE_DYNCREATE(CPlanckianSourceForm)

public:
    enum { IDD = 2008 };

    // The controls' ids: their object names, by which tests find them.
    enum : int {
        IDC_TEMPERATURE = 2034,
        IDC_START = 2036,
        IDC_END = 2038,
        IDC_STEP = 2040,
        IDC_TARGETGROUP = 2042,
        IDC_CALCULATE = 2044,
        IDC_MAXIMUMNORMALIZE = 2046,
        IDC_NORMVALUE = 2201,
        IDC_NORMLAMBDA = 2202,
        IDC_WLNORMALIZE = 20007,
        IDC_UNIT = 20008,
    };

    CPlanckianSourceForm();
    ~CPlanckianSourceForm() override;

    void InitModuleEditor() override;
    // Enabling and the unit label after the two normalisation switches.
    void UpdateControls();

protected:
    void ExchangeFields(CDataExchange* pDX) override;

private:
    QLineEdit* m_temperature;
    CPlanckianSourceFormSelectionEdit* m_start;
    CPlanckianSourceFormSelectionEdit* m_end;
    CPlanckianSourceFormSelectionEdit* m_step;
    CSelectionEdit* m_targetGroup;
    QCheckBox* m_maximumNormalize;
    QCheckBox* m_wlNormalize;
    QLineEdit* m_normLambda;
    QLineEdit* m_normValue;
    QLabel* m_unit;
    QPushButton* m_calculate;
};
