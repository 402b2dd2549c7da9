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

    CPlanckianSourceForm();
    ~CPlanckianSourceForm() override;

    void InitModuleEditor() override;
    // Enabling and the unit label after the two normalisation switches.
    void UpdateControls();

protected:
    void ExchangeFields(CDataExchange* pDX) override;

private:
    QLineEdit* m_temperature;                   // 2034
    CPlanckianSourceFormSelectionEdit* m_start; // 2036
    CPlanckianSourceFormSelectionEdit* m_end;   // 2038
    CPlanckianSourceFormSelectionEdit* m_step;  // 2040
    CSelectionEdit* m_targetGroup;              // 2042
    QCheckBox* m_maximumNormalize;              // 2046
    QCheckBox* m_wlNormalize;                   // 20007
    QLineEdit* m_normLambda;                    // 2202
    QLineEdit* m_normValue;                     // 2201
    QLabel* m_unit;                             // 20008
    QPushButton* m_calculate;                   // 2044
};
