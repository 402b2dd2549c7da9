#include "modules/led_create_specs_form.h"

#include "modules/led_specs_create_module.h"

#include "core/module_interface.h"
#include "core/spectrum.h"
#include "core/string_helpers.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include <algorithm>
#include <cfloat>

IMPLEMENT_DYNCREATE(CLEDCreateSpecsForm, CModuleEditor)

using led::Named;

CLEDCreateSpecsFormSelectionEdit::CLEDCreateSpecsFormSelectionEdit(QWidget* parent)
    : CSelectionEdit(parent)
{
}

CLEDCreateSpecsFormSelectionEdit::~CLEDCreateSpecsFormSelectionEdit() = default;

void CLEDCreateSpecsFormSelectionEdit::OnDropSpecs(const std::string& names)
{
    auto* module = dynamic_cast<LEDModuleBase*>(m_module);
    if (!module || module->IsRunning())
        return;
    ModuleInterface* host = module->GetModuleInterface();
    SpectrumTree* tree = host ? host->GetSpectrumTree() : nullptr;
    const std::list<Spectrum*> found = tree ? tree->GetInserters(names, false) : std::list<Spectrum*>();
    if (found.empty()) {
        module->LogError("Fehler: Kein Spektrum!");
        return;
    }
    if (m_role > 0) {
        const Spectrum& spectrum = *found.front();
        ns_param::Paramora& p = module->getParameters();
        p.setDoubleParameter("XStart", spectrum.getMinX());
        p.setDoubleParameter("XEnd", spectrum.getMaxX());
        // One point gives no step: the step stays.
        if (spectrum.GetPointCount() >= 2)
            p.setDoubleParameter("XStep", spectrum[1].x - spectrum[0].x);
    }
    if (platform::DataExchanger* form = calc::FormOf(this))
        form->UpdateData(false);
}

int CLEDCreateSpecsForm::IntPrecOf(double start, double end, double step)
{
    return std::clamp(std::max({Nachkommastellen(start), Nachkommastellen(end), Nachkommastellen(step)}), 0, 8);
}

CLEDCreateSpecsForm::CLEDCreateSpecsForm()
    : calc::CCalcForm(IDD, 420, 300)
{
    auto* outer = new QGridLayout(Content());
    m_leds = Named(new CSelectionEdit(Content()), IDC_LEDS);
    m_group = Named(new CSelectionEdit(Content()), IDC_GROUP);
    auto* box = new QGroupBox("Spektrenparameter", Content());
    m_start = Named(new CLEDCreateSpecsFormSelectionEdit(box), IDC_START);
    m_end = Named(new CLEDCreateSpecsFormSelectionEdit(box), IDC_END);
    m_step = Named(new CLEDCreateSpecsFormSelectionEdit(box), IDC_STEP);
    m_temperature = Named(new QLineEdit(box), IDC_TEMPERATURE);
    m_create = Named(new QPushButton("ERZEUGEN", Content()), IDC_CREATE);

    int row = 0;
    outer->addWidget(new QLabel("Parameter-Eingabe", Content()), row, 0);
    outer->addWidget(m_leds, row++, 1);
    outer->addWidget(new QLabel("Ergebnis(se) speichern in Gruppe...", Content()), row, 0);
    outer->addWidget(m_group, row++, 1);
    auto* grid = new QGridLayout(box);
    int boxRow = 0;
    auto addRow = [&](const char* label, QWidget* field) {
        grid->addWidget(new QLabel(label, box), boxRow, 0);
        grid->addWidget(field, boxRow++, 1);
    };
    addRow("Startwellenlänge in nm", m_start);
    addRow("Endwellenlänge in nm", m_end);
    addRow("Schrittweite in nm", m_step);
    addRow("Modell-Temperatur in K", m_temperature);
    outer->addWidget(box, row++, 0, 1, 2);
    outer->addWidget(m_create, row++, 0, 1, 2);
    outer->setRowStretch(row, 1);

    connect(m_create, &QPushButton::clicked, this, &CLEDCreateSpecsForm::OnCreate);
}

CLEDCreateSpecsForm::~CLEDCreateSpecsForm() = default;

void CLEDCreateSpecsForm::InitModuleEditor()
{
    int role = 1;
    for (CLEDCreateSpecsFormSelectionEdit* edit : {m_start, m_end, m_step}) {
        edit->SetModule(GetModule());
        edit->SetRole(role++);
        edit->SetCanDropSpecs(true);
        edit->SetCanDropGroup(true);
    }
    m_leds->SetCanDropClipboardObjects(true);
    m_group->SetCanDropSpecs(true);
    m_group->SetCanDropGroup(true);
    m_group->SetCanDropClipboardObjects(true);
    m_group->SetCanDropClipboardGroup(true);
}

void CLEDCreateSpecsForm::ExchangeFields(CDataExchange* pDX)
{
    ns_param::Paramora& p = GetModule()->getParameters();
    calc::ExchangeDouble(pDX, m_start, p, "XStart");
    calc::ExchangeDouble(pDX, m_end, p, "XEnd");
    double step = *p.getDoubleParameter("XStep");
    DDX_Text(pDX, m_step, step);
    if (pDX->m_bSaveAndValidate)
        DDV_MinMaxDouble(pDX, step, 0.01, DBL_MAX);
    p.setDoubleParameter("XStep", step);
    p.setIntParameter("IntPrec", IntPrecOf(*p.getDoubleParameter("XStart"), *p.getDoubleParameter("XEnd"), step));
    calc::ExchangeDouble(pDX, m_temperature, p, "ModelTemperature");
    calc::ExchangeString(pDX, m_leds, p, "LEDsDesc");
    calc::ExchangeString(pDX, m_group, p, "SpecGroup");
}

void CLEDCreateSpecsForm::OnCreate()
{
    if (dynamic_cast<LEDSpecsCreateModule*>(GetModule()))
        RunOperation(static_cast<bool (Module::*)()>(&LEDSpecsCreateModule::create_specs));
    else if (dynamic_cast<EDSpecsCreateModule*>(GetModule()))
        RunOperation(static_cast<bool (Module::*)()>(&EDSpecsCreateModule::create_especs));
}
