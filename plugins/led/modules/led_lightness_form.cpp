#include "modules/led_lightness_form.h"

#include "modules/led_lightness_module.h"

#include "core/selection_edit.h"

#include <QGridLayout>
#include <QLabel>
#include <QPushButton>

IMPLEMENT_DYNCREATE(CLEDLightnessCalculationForm, CModuleEditor)

using led::Named;

CLEDLightnessCalculationForm::CLEDLightnessCalculationForm()
    : calc::CCalcForm(IDD, 380, 280)
{
    auto* grid = new QGridLayout(Content());
    m_leds = Named(new CSelectionEdit(Content()), IDC_LEDS);
    m_specs = Named(new CSelectionEdit(Content()), IDC_SPECS);
    m_group = Named(new CSelectionEdit(Content()), IDC_GROUP);
    m_weights = Named(new CSelectionEdit(Content()), IDC_WEIGHTS);
    m_calculate = Named(new QPushButton("BERECHNEN", Content()), IDC_CALCULATE);
    int row = 0;
    const std::pair<const char*, QWidget*> fields[] = {
        {"LED-Parameter-Eingabe", m_leds},
        {"Steuerziel (Spektren)", m_specs},
        {"Ausgaben (Ansteuerung, Zielspektren) speichern in Gruppe...\r\n"
         "alternativ _Spec-Gruppe für spektrale Ergebnisse",
         m_group},
    };
    for (const auto& [label, field] : fields) {
        grid->addWidget(new QLabel(QString::fromUtf8(label).remove('\r'), Content()), row++, 0);
        grid->addWidget(field, row++, 0);
    }
    grid->addWidget(m_calculate, row++, 0, Qt::AlignLeft);
    grid->addWidget(new QLabel("Optionale spektrale Pre-Emphasis (Spektrum, spektrale Dämpfung)", Content()), row++, 0);
    grid->addWidget(m_weights, row++, 0);
    grid->setRowStretch(row, 1);
    connect(m_calculate, &QPushButton::clicked, this, &CLEDLightnessCalculationForm::OnCalculate);
}

CLEDLightnessCalculationForm::~CLEDLightnessCalculationForm() = default;

void CLEDLightnessCalculationForm::InitModuleEditor()
{
    m_leds->SetCanDropClipboardObjects(true);
    m_specs->SetCanDropSpecs(true);
    m_weights->SetCanDropSpecs(true);
    m_group->SetCanDropClipboardGroup(true);
}

void CLEDLightnessCalculationForm::ExchangeFields(CDataExchange* pDX)
{
    Module* module = GetModule();
    if (!module)
        return;
    ns_param::Paramora& p = module->getParameters();
    calc::ExchangeString(pDX, m_group, p, "ClipboardTargetGroup");
    calc::ExchangeString(pDX, m_specs, p, "SpecsDesc");
    calc::ExchangeString(pDX, m_leds, p, "LEDsDesc");
    calc::ExchangeString(pDX, m_weights, p, "WSpecsDesc");
}

void CLEDLightnessCalculationForm::OnCalculate()
{
    RunOperation(static_cast<bool (Module::*)()>(&LedLightnessTessarine::calculate));
}
