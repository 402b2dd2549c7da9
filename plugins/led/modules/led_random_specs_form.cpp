#include "modules/led_random_specs_form.h"

#include "modules/led_random_specs_module.h"

#include "core/selection_edit.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include <cfloat>

IMPLEMENT_DYNCREATE(CLEDRandomSpecsForm, CModuleEditor)

using led::Named;

CLEDRandomSpecsForm::CLEDRandomSpecsForm()
    : calc::CCalcForm(IDD, 420, 520)
{
    auto* outer = new QGridLayout(Content());
    auto* box = new QGroupBox("Betriebsparameter", Content());
    outer->addWidget(box, 0, 0);
    outer->setRowStretch(1, 1);
    auto* grid = new QGridLayout(box);
    m_leds = Named(new CSelectionEdit(box), IDC_LEDS);
    m_lightness = Named(new CSelectionEdit(box), IDC_LIGHTNESS);
    m_group = Named(new CSelectionEdit(box), IDC_GROUP);
    m_count = Named(new QLineEdit(box), IDC_COUNT);
    m_calculate = Named(new QPushButton("BERECHNEN", box), IDC_CALCULATE);
    int row = 0;
    const std::pair<const char*, QWidget*> drops[] = {{"LED-Parameter-Eingabe", m_leds},
                                                      {"LED-Parameter-Ansteuerungen (Sollwert)", m_lightness},
                                                      {"Ergebnis(se) speichern in Gruppe ...", m_group}};
    for (const auto& [label, field] : drops) {
        grid->addWidget(new QLabel(label, box), row++, 0, 1, 2);
        grid->addWidget(field, row++, 0, 1, 2);
    }
    grid->addWidget(new QLabel("Anzahl LED-Spektren", box), row, 0);
    grid->addWidget(m_count, row++, 1);

    // Label and edit per row of a group box.
    const auto addFields = [](QGroupBox* group, QGridLayout* g, int& r,
                              std::initializer_list<std::pair<const char*, QLineEdit**>> rows, int firstId) {
        int id = firstId;
        for (const auto& [label, field] : rows) {
            *field = Named(new QLineEdit(group), id++);
            g->addWidget(new QLabel(label, group), r, 0);
            g->addWidget(*field, r++, 1);
        }
    };
    auto* range = new QGroupBox("Spektren-Definitionsbereich", box);
    auto* rangeGrid = new QGridLayout(range);
    int rangeRow = 0;
    addFields(range, rangeGrid, rangeRow,
              {{"Startwellenlänge in nm", &m_start}, {"Endwellenlänge  in nm", &m_end},
               {"Schrittweite  in nm", &m_step}},
              IDC_START);
    grid->addWidget(range, row++, 0, 1, 2);

    auto* random = new QGroupBox("Randomisierung", box);
    auto* randomGrid = new QGridLayout(random);
    int randomRow = 0;
    m_noise = Named(new QCheckBox("LED-Parameter gleichverteilt verrauschen", random), IDC_NOISE);
    randomGrid->addWidget(m_noise, randomRow++, 0, 1, 2);
    addFields(random, randomGrid, randomRow,
              {{"Minimaler Ansteuerwert (Sollwert-Faktor)", &m_minFactor},
               {"Maximaler Ansteuerwert (Sollwert-Faktor)", &m_maxFactor},
               {"Minimale Temperatur in K", &m_minTemperature},
               {"Maximale Temperatur in K", &m_maxTemperature}},
              IDC_MIN_FACTOR);
    grid->addWidget(random, row++, 0, 1, 2);
    grid->addWidget(m_calculate, row++, 0, Qt::AlignLeft);

    connect(m_calculate, &QPushButton::clicked, this, &CLEDRandomSpecsForm::OnCalculate);
    connect(m_noise, &QCheckBox::clicked, this, [this] { UpdateData(true); });
}

CLEDRandomSpecsForm::~CLEDRandomSpecsForm() = default;

void CLEDRandomSpecsForm::InitModuleEditor()
{
    m_leds->SetCanDropClipboardObjects(true);
    m_lightness->SetCanDropClipboardObjects(true);
    m_group->SetCanDropGroup(true);
}

void CLEDRandomSpecsForm::ExchangeFields(CDataExchange* pDX)
{
    Module* module = GetModule();
    if (!module)
        return;
    ns_param::Paramora& p = module->getParameters();
    calc::ExchangeString(pDX, m_leds, p, "LEDsDesc");
    calc::ExchangeString(pDX, m_lightness, p, "LightnessDesc");
    calc::ExchangeString(pDX, m_group, p, "SpecGroup");
    DDX_Text(pDX, m_count, *p.getIntParameter("SpecCount"));
    calc::ExchangeDouble(pDX, m_start, p, "XStart");
    calc::ExchangeDouble(pDX, m_end, p, "XEnd");
    calc::ExchangeDouble(pDX, m_step, p, "XStep", 0.01, DBL_MAX);
    calc::ExchangeDouble(pDX, m_minFactor, p, "MinLightnessFact");
    calc::ExchangeDouble(pDX, m_maxFactor, p, "MaxLightnessFact");
    calc::ExchangeDouble(pDX, m_minTemperature, p, "MinTemperature");
    calc::ExchangeDouble(pDX, m_maxTemperature, p, "MaxTemperature");
    calc::ExchangeCheck(pDX, m_noise, p, "NoiseLEDParams");
}

void CLEDRandomSpecsForm::OnCalculate()
{
    RunOperation(static_cast<bool (Module::*)()>(&LEDRandomSpecsModule::calculate_specs));
}
