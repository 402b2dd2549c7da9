#include "modules/led_selection_form.h"

#include "modules/led_fitter_settings_edit.h"
#include "modules/led_selection_module.h"

#include "windows/reconstruction_spec_window_list.h"

#include "core/calculation_guard.h"
#include "core/module_interface.h"
#include "core/selection_edit.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>

#include <exception>

IMPLEMENT_DYNCREATE(CLedSelectionForm, CModuleEditor)

using led::Named;

CLedSelectionForm::CLedSelectionForm()
    : calc::CCalcForm(IDD, 520, 640)
{
    auto* outer = new QGridLayout(Content());
    auto* box = new QGroupBox("Auswahl/Fitting", Content());
    outer->addWidget(box, 0, 0);
    auto* grid = new QGridLayout(box);
    m_leds = Named(new CSelectionEdit(box), IDC_LEDS);
    m_targets = Named(new CSelectionEdit(box), IDC_TARGETS);
    m_group = Named(new CSelectionEdit(box), IDC_GROUP);
    m_ledCount = Named(new QLineEdit(box), IDC_LED_COUNT);
    m_proposals = Named(new QLineEdit(box), IDC_PROPOSALS);
    m_iterations = Named(new QLineEdit(box), IDC_ITERATIONS);
    m_start = Named(new QPushButton("AUSWAHL STARTEN", box), IDC_START);
    m_settings = Named(new QPushButton("Parameter bearbeiten", box), IDC_SETTINGS);
    int row = 0;
    const std::pair<const char*, QWidget*> drops[] = {
        {"LED-Parameter-Eingabe", m_leds},
        {"Zielspektren", m_targets},
        {"Ergebnisausgabe (LED-Auswahl- und -Parameter) in Gruppe...", m_group}};
    for (const auto& [label, field] : drops) {
        grid->addWidget(new QLabel(label, box), row++, 0, 1, 2);
        grid->addWidget(field, row++, 0, 1, 2);
    }
    const std::pair<const char*, QWidget*> counts[] = {{"Anzahl LEDs", m_ledCount},
                                                       {"Anzahl Vorschläge pro Selektor-Iteration", m_proposals},
                                                       {"Anzahl Selektor-Iterationen", m_iterations}};
    for (const auto& [label, field] : counts) {
        grid->addWidget(new QLabel(label, box), row, 0);
        grid->addWidget(field, row++, 1);
    }
    grid->addWidget(m_settings, row, 0, Qt::AlignLeft);
    grid->addWidget(m_start, row++, 1);

    m_list = new CReconstructionSpecWindowList(Content());
    m_list->setMinimumSize(480, 320);
    outer->addWidget(m_list, 1, 0);
    outer->setRowStretch(1, 1);

    connect(m_start, &QPushButton::clicked, this, &CLedSelectionForm::OnStart);
    connect(m_settings, &QPushButton::clicked, this, &CLedSelectionForm::OnEditSettings);
}

CLedSelectionForm::~CLedSelectionForm()
{
    // A module must never pass events on to a form that is gone.
    auto* module = dynamic_cast<LEDSelectionModule*>(GetModule());
    if (module && module->GetForwardHandler() == this)
        module->SetForwardHandler(nullptr);
}

void CLedSelectionForm::InitModuleEditor()
{
    m_targets->SetCanDropSpecs(true);
    m_leds->SetCanDropClipboardObjects(true);
    m_group->SetCanDropClipboardGroup(true);
    m_list->show();
    m_list->viewport()->update();
}

void CLedSelectionForm::ExchangeFields(CDataExchange* pDX)
{
    Module* module = GetModule();
    if (!module)
        return;
    ns_param::Paramora& p = module->getParameters();
    calc::ExchangeString(pDX, m_targets, p, "TargetSpecs");
    DDX_Text(pDX, m_iterations, *p.getIntParameter("SelectorIterationCount"));
    DDX_Text(pDX, m_proposals, *p.getIntParameter("ProposalCount"));
    DDX_Text(pDX, m_ledCount, *p.getIntParameter("LEDCount"));
    calc::ExchangeString(pDX, m_leds, p, "LEDsDesc");
    calc::ExchangeString(pDX, m_group, p, "ClipboardTargetGroup");
}

void CLedSelectionForm::resizeEvent(QResizeEvent* event)
{
    calc::CCalcForm::resizeEvent(event);
    m_list->viewport()->update();
}

void CLedSelectionForm::OnStart()
{
    auto* module = dynamic_cast<LEDSelectionModule*>(GetModule());
    if (!module || module->IsRunning())
        return;
    UpdateData(true);
    m_list->Clear();
    ModuleInterface* host = module->GetModuleInterface();
    const CalculationGuard calculation(host);
    try {
        LEDSelectionModule::Forwarding forwarding(*module, this);
        module->do_selection();
    } catch (const std::exception& e) {
        calc::LogError(host, std::string("Fehler: ") + e.what());
    }
}

void CLedSelectionForm::OnEditSettings()
{
    auto* module = dynamic_cast<LEDSelectionModule*>(GetModule());
    if (!module || module->IsRunning())
        return;
    led::EditFitterSettings(this, *module);
    UpdateData(false);
}

void CLedSelectionForm::OnNewCombination(LEDSelector*, LEDFitter* fitter, LEDArray* array)
{
    auto* module = dynamic_cast<LEDSelectionModule*>(GetModule());
    if (!module || module->GetTargetSpectra().GetCount() == 0 || !fitter || !array)
        return;
    if (m_list->WindowCount() == 0)
        m_list->SetTargetSpectra(module->GetTargetSpectra());
    m_list->ShowReconstructions(*array, *fitter);
    m_list->viewport()->update();
}
