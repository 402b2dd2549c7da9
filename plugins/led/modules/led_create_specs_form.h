#pragma once
// The editor form of the two spectra twins (layout 6610), and its grid fields, which take
// the grid of a dropped spectrum.
#include "modules/led_form.h"

#include "core/selection_edit.h"

class QPushButton;

// A grid field (role 1 start, 2 end, 3 step): a dropped spectrum sets start, end and step
// of the module to its smallest x, largest x and first step.
class CLEDCreateSpecsFormSelectionEdit : public CSelectionEdit {
    Q_OBJECT

public:
    explicit CLEDCreateSpecsFormSelectionEdit(QWidget* parent = nullptr);
    ~CLEDCreateSpecsFormSelectionEdit() override;

    void SetModule(Module* module) { m_module = module; }
    void SetRole(int role) { m_role = role; }
    int GetRole() const { return m_role; }

    void OnDropSpecs(const std::string& names) override;

private:
    Module* m_module = nullptr;
    int m_role = 0;
};

class CLEDCreateSpecsForm : public calc::CCalcForm {
    Q_OBJECT
    DECLARE_DYNCREATE(CLEDCreateSpecsForm)

public:
    enum { IDD = 6610 };
    // The controls' ids: their object names, by which tests find them.
    enum : int {
        IDC_START = 6638,
        IDC_END = 6639,
        IDC_STEP = 6640,
        IDC_CREATE = 6641,
        IDC_TEMPERATURE = 6642,
        IDC_LEDS = 6653,
        IDC_GROUP = 6654,
    };

    CLEDCreateSpecsForm();
    ~CLEDCreateSpecsForm() override;

    void InitModuleEditor() override;
    void OnCreate();

    // The decimals x values keep: the most of start, end and step.
    static int IntPrecOf(double start, double end, double step);

protected:
    void ExchangeFields(CDataExchange* pDX) override;

private:
    CSelectionEdit* m_group;
    CSelectionEdit* m_leds;
    CLEDCreateSpecsFormSelectionEdit* m_start;
    CLEDCreateSpecsFormSelectionEdit* m_end;
    CLEDCreateSpecsFormSelectionEdit* m_step;
    QLineEdit* m_temperature;
    QPushButton* m_create;
};
