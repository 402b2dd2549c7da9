#include "calculation/planckian_source_form.h"

#include "calculation/form_helpers.h"
#include "calculation/planckian_source_module.h"

#include "core/module_interface.h"
#include "core/number_text.h"
#include "core/string_helpers.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include <algorithm>
#include <cfloat>

IMPLEMENT_DYNCREATE(CPlanckianSourceForm, CModuleEditor)

namespace {

constexpr char kUnitExitance[] = "Einheit des Wertebereichs:  W / m² / nm / sr";
constexpr char kUnitNormalised[] = "Einheit des Wertebereichs: normiert";


// The integer a field starts with (0 when it starts with none), as atoi reads it.
int LeadingInt(const QLineEdit* edit)
{
    int value = 0;
    number_text::ToInt(edit->text().toStdString().c_str(), value);
    return value;
}

} // namespace

CPlanckianSourceFormSelectionEdit::CPlanckianSourceFormSelectionEdit(QWidget* parent)
    : CSelectionEdit(parent)
{
}

CPlanckianSourceFormSelectionEdit::~CPlanckianSourceFormSelectionEdit() = default;

void CPlanckianSourceFormSelectionEdit::OnDropSpecs(const std::string& names)
{
    if (!m_module)
        return;
    SpectrumTree* tree = m_module->Spectra();
    const std::list<Spectrum*> found = tree ? tree->GetInserters(names, false) : std::list<Spectrum*>();
    if (found.empty() || found.front()->GetPointCount() == 0) {
        calc::LogError(m_module->GetModuleInterface(), "Fehler: Kein Spektrum!");
        return;
    }
    const Spectrum& spectrum = *found.front();
    const int n = spectrum.GetPointCount();
    ns_param::Paramora& p = m_module->getParameters();
    p.setDoubleParameter("XStart", spectrum[0].x);
    p.setDoubleParameter("XEnd", spectrum[n - 1].x);
    if (n >= 2) // one point has no step: the step stays
        p.setDoubleParameter("XStep", spectrum[1].x - spectrum[0].x);
    if (platform::DataExchanger* form = calc::FormOf(this))
        form->UpdateData(false);
}

CPlanckianSourceForm::CPlanckianSourceForm()
    : calc::CCalcForm(IDD, 456, 180)
{
    QWidget* c = Content();
    auto* grid = new QGridLayout(c);
    m_temperature = calc::Named(new QLineEdit(c), IDC_TEMPERATURE);
    m_start = calc::Named(new CPlanckianSourceFormSelectionEdit(c), IDC_START);
    m_end = calc::Named(new CPlanckianSourceFormSelectionEdit(c), IDC_END);
    m_step = calc::Named(new CPlanckianSourceFormSelectionEdit(c), IDC_STEP);
    m_targetGroup = calc::Named(new CSelectionEdit(c), IDC_TARGETGROUP);
    m_maximumNormalize = calc::Named(new QCheckBox("auf Maximalwert '1' normieren", c), IDC_MAXIMUMNORMALIZE);
    m_wlNormalize = calc::Named(new QCheckBox("auf Wellenlänge normieren", c), IDC_WLNORMALIZE);
    m_normLambda = calc::Named(new QLineEdit(c), IDC_NORMLAMBDA);
    m_normValue = calc::Named(new QLineEdit(c), IDC_NORMVALUE);
    m_unit = calc::Named(new QLabel(kUnitExitance, c), IDC_UNIT);
    m_calculate = calc::Named(new QPushButton("BERECHNEN", c), IDC_CALCULATE);

    int row = 0;
    auto addRow = [&](const char* label, QWidget* field) {
        grid->addWidget(new QLabel(label, c), row, 0);
        grid->addWidget(field, row++, 1, 1, 3);
    };
    addRow("Temperatur in K", m_temperature);
    addRow("Startwellenlänge in nm", m_start);
    addRow("Endwellenlänge in nm", m_end);
    addRow("Schrittweite in nm", m_step);
    addRow("Ausgabe speichern in Gruppe", m_targetGroup);
    grid->addWidget(m_maximumNormalize, row++, 0, 1, 4);
    grid->addWidget(m_wlNormalize, row++, 0, 1, 4);
    // "Wellenlängeneintrag [nm]  nm  normieren auf [value]" reads as one line.
    auto* normRow = new QHBoxLayout;
    normRow->addWidget(new QLabel("Wellenlängeneintrag", c));
    normRow->addWidget(m_normLambda);
    normRow->addWidget(new QLabel("nm  normieren auf", c));
    normRow->addWidget(m_normValue);
    normRow->addStretch(1);
    grid->addLayout(normRow, row++, 0, 1, 4);
    grid->addWidget(m_unit, row++, 0, 1, 4);
    grid->addWidget(m_calculate, row++, 0, 1, 4);
    grid->setRowStretch(row, 1);

    connect(m_calculate, &QPushButton::clicked, this, [this] {
        RunOperation(static_cast<bool (Module::*)()>(&PlanckianSourceModule::calculate));
    });
    connect(m_maximumNormalize, &QCheckBox::clicked, this, &CPlanckianSourceForm::UpdateControls);
    connect(m_wlNormalize, &QCheckBox::clicked, this, &CPlanckianSourceForm::UpdateControls);
}

CPlanckianSourceForm::~CPlanckianSourceForm() = default;

void CPlanckianSourceForm::InitModuleEditor()
{
    auto* module = dynamic_cast<PlanckianSourceModule*>(GetModule());
    int mode = 1;
    for (CPlanckianSourceFormSelectionEdit* edit : {m_start, m_end, m_step}) {
        edit->SetModule(module);
        edit->SetMode(mode++);
    }
    for (CSelectionEdit* edit : {static_cast<CSelectionEdit*>(m_start), static_cast<CSelectionEdit*>(m_end),
                                 static_cast<CSelectionEdit*>(m_step), m_targetGroup}) {
        edit->SetCanDropSpecs(true);
        edit->SetCanDropGroup(true);
    }
    if (module) {
        ns_param::Paramora& p = module->getParameters();
        m_normLambda->setText(QString::number(*p.getIntParameter("NormLambda")));
        m_normValue->setText(QString::fromStdString(calc::FormatText("%4.1f", *p.getDoubleParameter("NormValue"))));
    }
    UpdateControls();
}

void CPlanckianSourceForm::UpdateControls()
{
    m_maximumNormalize->setEnabled(true);
    m_wlNormalize->setEnabled(true);
    m_unit->setText(kUnitExitance);
    if (m_maximumNormalize->isChecked()) {
        m_wlNormalize->setEnabled(false);
        m_unit->setText(kUnitNormalised);
    }
    if (!m_wlNormalize->isChecked()) {
        m_normLambda->setEnabled(false);
        m_normValue->setEnabled(false);
        return;
    }
    m_maximumNormalize->setEnabled(false);
    m_unit->setText(kUnitNormalised);
    m_normLambda->setEnabled(true);
    m_normValue->setEnabled(true);
    if (LeadingInt(m_normLambda) == 0)
        m_normLambda->setText(QString::number(LeadingInt(m_start)));
    double normValue = 0;
    if (!platform::ParseDouble(m_normValue->text(), normValue) || normValue == 0)
        m_normValue->setText(QString::fromStdString(calc::FormatText("%4.1f", 1.0)));
}

void CPlanckianSourceForm::ExchangeFields(CDataExchange* pDX)
{
    ns_param::Paramora& p = GetModule()->getParameters();
    const bool save = pDX->m_bSaveAndValidate;

    calc::ExchangeDouble(pDX, m_temperature, p, "Temperature");
    double start = *p.getDoubleParameter("XStart");
    DDX_Text(pDX, m_start, start);
    if (save && !m_start->text().trimmed().isEmpty()) {
        double end = *p.getDoubleParameter("XEnd");
        platform::ParseDouble(m_end->text(), end);
        DDV_MinMaxDouble(pDX, start, 0.01, end - 0.01);
    }
    p.setDoubleParameter("XStart", start);
    calc::ExchangeDouble(pDX, m_end, p, "XEnd");
    calc::ExchangeString(pDX, m_targetGroup, p, "TargetGroup");
    calc::ExchangeCheck(pDX, m_maximumNormalize, p, "MaximumNormalize");
    calc::ExchangeCheck(pDX, m_wlNormalize, p, "WLNormalize");

    int normLambda = *p.getIntParameter("NormLambda");
    DDX_Text(pDX, m_normLambda, normLambda);
    if (save && normLambda != 0 && !m_wlNormalize->isChecked())
        DDV_MinMaxInt(pDX, normLambda, LeadingInt(m_start), LeadingInt(m_end));
    p.setIntParameter("NormLambda", normLambda);
    calc::ExchangeDouble(pDX, m_normValue, p, "NormValue");
    calc::ExchangeDouble(pDX, m_step, p, "XStep", 0.01, DBL_MAX);

    const int digits = std::max({Nachkommastellen(*p.getDoubleParameter("XStart")),
                                 Nachkommastellen(*p.getDoubleParameter("XEnd")),
                                 Nachkommastellen(*p.getDoubleParameter("XStep"))});
    p.setIntParameter("IntPrec", std::clamp(digits, 0, 8));
}
