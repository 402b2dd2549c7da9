#include "colour/colour_calculation_form.h"

#include "colour/colour_calculation.h"

#include "core/spectrum.h"
#include "core/widget_names.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

IMPLEMENT_DYNCREATE(CColorCalculationForm, CModuleEditor)

namespace {

using calc::Named;

} // namespace

CColorCalculationForm::CColorCalculationForm()
    : calc::CCalcForm(IDD, 460, 420)
{
    QWidget* c = Content();
    auto* grid = new QGridLayout(c);
    m_specs = Named(new CSelectionEdit(c), IDC_SPECS);
    m_lights = Named(new CSelectionEdit(c), IDC_LIGHTS);
    m_observers = Named(new CSelectionEdit(c), IDC_OBSERVERS);
    m_target = Named(new CSelectionEdit(c), IDC_TARGETGROUP);
    m_observerLabel = Named(new QLabel("Spektrale Beobachterempfindlichkeit", c), IDC_OBSERVERLABEL);
    m_colourValues = Named(new QRadioButton("colorimetrisch (Farbwerte)", c), IDC_COLOURVALUES);
    m_integrals = Named(new QRadioButton("unnormiert (Integralwerte)", c), IDC_INTEGRALS);
    auto* featureBox = new QGroupBox("Integralwert-Berechnung", c);
    m_qe = Named(new QCheckBox("Beobachterfunktion ist Quanteneffizienz. ", featureBox), IDC_QE);
    m_saveResponse = Named(
        new QCheckBox("Beobachterfunktion (Empfindlichkeit) im Ordner '_resp' speichern ", featureBox),
        IDC_SAVERESPONSE);
    m_sort = Named(new QCheckBox("Beobachterspektrensammlung Integralwert-sortiert im Ordner '_sortobs' ablegen ",
                                 featureBox),
                   IDC_SORT);
    m_calculate = Named(new QPushButton("BERECHNEN", c), IDC_CALCULATE);
    // Each of the two buttons shows its own flag, so both or neither may stand as stored; a
    // click checks the button clicked and clears the other.
    m_colourValues->setAutoExclusive(false);
    m_integrals->setAutoExclusive(false);

    int row = 0;
    grid->addWidget(new QLabel("Spektrensammlung", c), row++, 0);
    grid->addWidget(m_specs, row++, 0);
    grid->addWidget(new QLabel("Spektrales Gewicht (z.B. Beleuchtung, optional)", c), row++, 0);
    grid->addWidget(m_lights, row++, 0);
    grid->addWidget(m_observerLabel, row++, 0);
    grid->addWidget(m_observers, row++, 0);
    grid->addWidget(new QLabel("Ergebnis(se) speichern in  Gruppe ...", c), row++, 0);
    grid->addWidget(m_target, row++, 0);
    grid->addWidget(m_colourValues, row++, 0);
    grid->addWidget(m_integrals, row++, 0);
    auto* boxLayout = new QVBoxLayout(featureBox);
    boxLayout->addWidget(m_qe);
    boxLayout->addWidget(m_saveResponse);
    boxLayout->addWidget(m_sort);
    grid->addWidget(featureBox, row++, 0);
    grid->addWidget(m_calculate, row++, 0);
    grid->setRowStretch(row, 1);

    connect(m_calculate, &QPushButton::clicked, this, [this] {
        if (dynamic_cast<ColorTessarine*>(GetModule()))
            RunOperation(static_cast<bool (Module::*)()>(&ColorTessarine::CalculateColors));
        else
            RunOperation(static_cast<bool (Module::*)()>(&IntTessarine::CalculateIntegrals));
    });
    connect(m_qe, &QCheckBox::clicked, this, [this] {
        m_saveResponse->setEnabled(m_qe->isChecked());
        m_plainLabel = false;
        ApplyLabelRule();
    });
    connect(m_colourValues, &QRadioButton::clicked, this, [this] {
        m_colourValues->setChecked(true);
        m_integrals->setChecked(false);
    });
    connect(m_integrals, &QRadioButton::clicked, this, [this] {
        m_integrals->setChecked(true);
        m_colourValues->setChecked(false);
    });
    connect(m_colourValues, &QRadioButton::toggled, this, [this] {
        m_plainLabel = false;
        ApplyLabelRule();
    });
    connect(m_observers, &QLineEdit::textChanged, this, &CColorCalculationForm::CheckObservers);
}

CColorCalculationForm::~CColorCalculationForm() = default;

void CColorCalculationForm::InitModuleEditor()
{
    for (CSelectionEdit* edit : {m_specs, m_lights, m_observers, m_target}) {
        edit->SetCanDropSpecs(true);
        edit->SetCanDropGroup(true);
    }
    auto* module = dynamic_cast<ColorCalculationModule*>(GetModule());
    const bool integral = module && module->IsIntegralModule();
    m_sort->setVisible(integral);
    m_colourValues->setChecked(!integral);
    m_integrals->setChecked(integral);
    m_integrals->setEnabled(integral);
    m_colourValues->setEnabled(!integral);
    if (module) {
        ns_param::Paramora& p = module->getParameters();
        m_qe->setChecked(*p.getBoolParameter("ObserverIsQE"));
        m_saveResponse->setEnabled(*p.getBoolParameter("ObserverIsQE"));
    }
    m_plainLabel = false;
    ApplyLabelRule();
    CheckObservers();
}

void CColorCalculationForm::ApplyLabelRule()
{
    if (m_colourValues->isChecked()) {
        m_qe->setChecked(false);
        m_qe->setEnabled(false);
        m_observerLabel->setText("Beobachter-Spektralwertkurven");
        return;
    }
    m_qe->setEnabled(true);
    if (m_qe->isChecked())
        m_observerLabel->setText("Beobachter-Wichtungsfunktionen (Quanteneffizienz)");
    else
        m_observerLabel->setText(m_plainLabel ? "Beobachter-Wichtungsfunktionen"
                                              : "Beobachter-Wichtungsfunktionen (Empfindlichkeit)");
}

void CColorCalculationForm::CheckObservers()
{
    auto* module = dynamic_cast<calc::CalcModule*>(GetModule());
    SpectrumTree* tree = module ? module->Spectra() : nullptr;
    // The whole text is read: a cut selection would miscount the curves.
    if (tree && tree->GetInserters(m_observers->text().toStdString(), false).size() > 3) {
        m_colourValues->setChecked(false);
        m_integrals->setChecked(true);
    }
    ApplyLabelRule();
}

void CColorCalculationForm::ExchangeFields(CDataExchange* pDX)
{
    ns_param::Paramora& p = GetModule()->getParameters();
    calc::ExchangeString(pDX, m_specs, p, "SpecDesc");
    calc::ExchangeString(pDX, m_lights, p, "LightDesc");
    calc::ExchangeString(pDX, m_observers, p, "ObserverDesc");
    calc::ExchangeString(pDX, m_target, p, "TargetGroup");
    calc::ExchangeCheck(pDX, m_qe, p, "ObserverIsQE");
    calc::ExchangeCheck(pDX, m_saveResponse, p, "SaveObserverResponse");
    calc::ExchangeCheck(pDX, m_sort, p, "SortResponses");
    calc::ExchangeCheck(pDX, m_colourValues, p, "IsColorValue");
    calc::ExchangeCheck(pDX, m_integrals, p, "IsIntegralValue");
    if (pDX->m_bSaveAndValidate)
        return;
    m_plainLabel = true;
    CheckObservers();
}
