#include "modules/led_continuous_fitting_form.h"

#include "modules/led_continuous_fitting_module.h"

#include "windows/led_fitter_params_edit_dlg.h"

#include "core/selection_edit.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>

IMPLEMENT_DYNCREATE(CLEDContinuousFittingForm, CModuleEditor)

using led::Named;

CLEDContinuousFittingForm::CLEDContinuousFittingForm()
    : calc::CCalcForm(IDD, 460, 440)
{
    auto* outer = new QGridLayout(Content());
    auto* box = new QGroupBox("LED-Modellfit", Content());
    outer->addWidget(box, 0, 0);
    outer->setRowStretch(1, 1);
    auto* grid = new QGridLayout(box);
    m_leds = Named(new CSelectionEdit(box), IDC_LEDS);
    m_specs = Named(new CSelectionEdit(box), IDC_SPECS);
    m_group = Named(new CSelectionEdit(box), IDC_GROUP);
    m_calculate = Named(new QPushButton("BERECHNEN", box), IDC_CALCULATE);
    m_settings = Named(new QPushButton("Parameter bearbeiten", box), IDC_SETTINGS);

    int row = 0;
    auto addRow = [&](QGridLayout* g, QWidget* parent, int& r, const char* label, QWidget* field) {
        g->addWidget(new QLabel(label, parent), r++, 0);
        g->addWidget(field, r++, 0);
    };
    addRow(grid, box, row, "LED-Parameter-Eingabe (Start)", m_leds);
    addRow(grid, box, row, "Zielspektren", m_specs);
    addRow(grid, box, row, "Ergebnisse (Parameter) speichern in Gruppe...", m_group);

    auto* modelBox = new QGroupBox("LED-Modell", box);
    auto* modelGrid = new QGridLayout(modelBox);
    m_modelName = Named(new QLineEdit(modelBox), IDC_MODEL_NAME);
    m_constantFwhm =
        Named(new QCheckBox("Halbwertsbreite(n) nicht verändern (nur Peak(s) verschieben)", modelBox), IDC_CONSTANT_FWHM);
    modelGrid->addWidget(new QLabel("Modellfunktion", modelBox), 0, 0);
    modelGrid->addWidget(m_modelName, 0, 1);
    modelGrid->addWidget(m_constantFwhm, 1, 0, 1, 2);
    grid->addWidget(modelBox, row++, 0);

    auto* targetBox = new QGroupBox("Optionales targetbezogenes Fitting", box);
    auto* targetGrid = new QGridLayout(targetBox);
    m_targetSpecs = Named(new CSelectionEdit(targetBox), IDC_TARGET_SPECS);
    m_observerSpecs = Named(new CSelectionEdit(targetBox), IDC_OBSERVER_SPECS);
    int targetRow = 0;
    addRow(targetGrid, targetBox, targetRow, "Targetspektren für targetbezogenen Fit", m_targetSpecs);
    addRow(targetGrid, targetBox, targetRow, "Beobachterspektren für targetbezogenen Fit", m_observerSpecs);
    grid->addWidget(targetBox, row++, 0);
    grid->addWidget(m_settings, row++, 0);
    grid->addWidget(m_calculate, row++, 0);

    connect(m_calculate, &QPushButton::clicked, this, &CLEDContinuousFittingForm::OnCalculate);
    connect(m_settings, &QPushButton::clicked, this, &CLEDContinuousFittingForm::OnEditSettings);
}

CLEDContinuousFittingForm::~CLEDContinuousFittingForm() = default;

void CLEDContinuousFittingForm::InitModuleEditor()
{
    m_leds->SetCanDropClipboardObjects(true);
    for (CSelectionEdit* edit : {m_specs, m_targetSpecs, m_observerSpecs})
        edit->SetCanDropSpecs(true);
    m_group->SetCanDropClipboardGroup(true);
}

void CLEDContinuousFittingForm::ExchangeFields(CDataExchange* pDX)
{
    auto* module = dynamic_cast<LEDContinuousFittingModule*>(GetModule());
    if (!module)
        return;
    ns_param::Paramora& p = module->getParameters();
    calc::ExchangeString(pDX, m_leds, p, "LEDsDesc");
    calc::ExchangeString(pDX, m_specs, p, "SpecDesc");
    calc::ExchangeString(pDX, m_group, p, "ClipboardTargetGroup");
    calc::ExchangeString(pDX, m_modelName, p, "LEDModelName");
    calc::ExchangeCheck(pDX, m_constantFwhm, p, "ConstantFWHM");
    calc::ExchangeString(pDX, m_targetSpecs, p, "TargetSpecsDesc");
    calc::ExchangeString(pDX, m_observerSpecs, p, "ObserverSpecsDesc");
    // The target-driven pass is on exactly when target or observer spectra are named; the
    // settings go through the record, which reads those spectra.
    if (module->IsRunning())
        return;
    LEDFitterSettings settings;
    module->GetFitterSettings(settings);
    settings.AddTargetDrivenOptimization = !m_targetSpecs->text().isEmpty() || !m_observerSpecs->text().isEmpty();
    module->SetFitterSettings(settings);
}

void CLEDContinuousFittingForm::OnCalculate()
{
    setEnabled(false);
    const QPointer<CLEDContinuousFittingForm> alive(this);
    RunOperation(static_cast<bool (Module::*)()>(&LEDContinuousFittingModule::calculate_fitting));
    if (alive)
        setEnabled(true);
}

void CLEDContinuousFittingForm::OnEditSettings()
{
    auto* module = dynamic_cast<LEDContinuousFittingModule*>(GetModule());
    if (!module || module->IsRunning())
        return;
    LEDFitterSettings settings;
    module->GetFitterSettings(settings);
    CLedFitterParamsEditDlg dialog(this);
    dialog.SetHost(module->GetModuleInterface());
    dialog.SetSettings(settings);
    dialog.DoModal();
    // The dialog's members are read back however it was closed.
    dialog.GetSettings(settings);
    module->SetFitterSettings(settings);
    UpdateData(false);
}
