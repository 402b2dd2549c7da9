#pragma once
// The colour display: colour vectors of clipboard objects as points in the colour diagram,
// each optionally linked to a comparison point of the same short name.
#include "core/calc_form.h"
#include "core/selection_edit.h"

#include <colordiagram/color_diagram_control.h>

class CColorShowForm;
class QCheckBox;
class QComboBox;
class QPushButton;

// The form's handle on the diagram (control 18005).
class CColorShow : public ColorDiagramControl {
    Q_OBJECT

public:
    using ColorDiagramControl::ColorDiagramControl;
};

class ColorShowModule : public calc::CalcModule {
public:
    ColorShowModule();
    ~ColorShowModule() override;

    const CRuntimeClass* GetEditorClass() override;
    std::vector<SAutomationPtrList> GetAutomationPtr() override { return {}; }

    // Fills the open form's diagram; nothing without a form.
    bool ShowColors();

    void SetForm(CColorShowForm* form) { m_form = form; }
    CColorShowForm* GetForm() const { return m_form; }

private:
    CColorShowForm* m_form = nullptr;
};

class CColorShowForm : public calc::CCalcForm {
    Q_OBJECT
    DECLARE_DYNCREATE(CColorShowForm)

public:
    enum { IDD = 18034 };
    // The controls' ids: their object names, by which tests find them.
    enum : int {
        IDC_DIAGRAM = 18005,
        IDC_TYPE = 18006,
        IDC_SPECTRAL = 18007,
        IDC_PLANCK = 18008,
        IDC_COLOURS = 18009,
        IDC_APPLY = 18010,
        IDC_NAMES = 18012,
        IDC_COMPARE = 18013,
        IDC_AUTOZOOM = 18016,
        IDC_VALUES = 18025,
    };

    CColorShowForm();
    // Reads the view back and clears the module's form pointer.
    ~CColorShowForm() override;

    void InitModuleEditor() override;
    CColorShow* Diagram() const { return m_diagram; }
    // The view of the diagram into MiddleX, MiddleY, ScaleX and ScaleY.
    void ReadView();

protected:
    void ExchangeFields(CDataExchange* pDX) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void PutOption(const char* name);

    QComboBox* m_type;
    QCheckBox* m_spectral;
    QCheckBox* m_planck;
    QCheckBox* m_names;
    QCheckBox* m_values;
    QCheckBox* m_autoZoom;
    CSelectionEdit* m_colours;
    CSelectionEdit* m_compare;
    QPushButton* m_apply;
    CColorShow* m_diagram;
};
