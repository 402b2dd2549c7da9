#include "calculation/svd_selection_form.h"

#include "core/widget_names.h"

#include "calculation/form_helpers.h"
#include "calculation/svd_selection_module.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

IMPLEMENT_DYNCREATE(SVDSelectionForm, CModuleEditor)

namespace {

using calc::Named;

} // namespace

SVDSelectionForm::SVDSelectionForm()
    : calc::CCalcForm(IDD, 456, 180)
{
    QWidget* c = Content();
    auto* grid = new QGridLayout(c);
    m_specLabel = Named(new QLabel("Auswahlspektrensammlung (Target-, Sensorik-Spektren)", c), IDC_SPECLABEL);
    m_specDesc = Named(new CSelectionEdit(c), IDC_SPECDESC);
    m_specCount = Named(new calc::SpinEdit(c), IDC_SPECCOUNT);
    m_targetGroup = Named(new CSelectionEdit(c), IDC_TARGETGROUP);
    m_run = Named(new QPushButton("AUSWAHL STARTEN", c), IDC_RUN);
    m_weightLabel = Named(new QLabel("Spektrale Gewichtungen (SampleMode)", c), IDC_WEIGHTLABEL);
    m_weights = Named(new CSelectionEdit(c), IDC_WEIGHTS);
    m_starts = Named(new CSelectionEdit(c), IDC_STARTS);
    m_equivalentLabel = Named(new QLabel("Spektrensammlung für namenssynchrone Auswahl", c), IDC_EQUIVALENTLABEL);
    m_equivalents = Named(new CSelectionEdit(c), IDC_EQUIVALENTS);
    m_normSpecs = Named(new QCheckBox("Spektren normieren", c), IDC_NORMSPECS);
    m_normVal = Named(new QLineEdit(c), IDC_NORMVAL);
    m_integral = Named(new QRadioButton("integral", c), IDC_INTEGRAL);
    m_maximum = Named(new QRadioButton("max", c), IDC_MAXIMUM);
    m_checkSpecs = Named(new QCheckBox("Spektren vor Auswahl bereinigen", c), IDC_CHECKSPECS);
    m_keywords = Named(new QLineEdit(c), IDC_KEYWORDS);
    m_keywordLabel = Named(new QLabel("Keywords", c), IDC_KEYWORDLABEL);

    // Both norm buttons may be clear (then the stored NormType stays).
    m_integral->setAutoExclusive(false);
    m_maximum->setAutoExclusive(false);
    // The range limits the arrows only; the edit shows and takes any stored number.
    m_specCount->setRange(0, 32767);
    m_specCount->setAccelerated(true);

    int row = 0;
    grid->addWidget(m_specLabel, row++, 0, 1, 4);
    grid->addWidget(m_specDesc, row++, 0, 1, 4);
    grid->addWidget(m_weightLabel, row++, 0, 1, 4);
    grid->addWidget(m_weights, row++, 0, 1, 4);
    grid->addWidget(Named(new QLabel("Startauswahl (Spektrensammlung)", c), 2028), row++, 0, 1, 4);
    grid->addWidget(m_starts, row++, 0, 1, 4);
    grid->addWidget(m_equivalentLabel, row++, 0, 1, 4);
    grid->addWidget(m_equivalents, row++, 0, 1, 4);
    grid->addWidget(Named(new QLabel("Auswahlmenge", c), 2019), row, 0);
    grid->addWidget(m_specCount, row++, 1);
    grid->addWidget(m_normSpecs, row, 0);
    grid->addWidget(m_normVal, row, 1);
    grid->addWidget(m_integral, row, 2);
    grid->addWidget(m_maximum, row++, 3);
    grid->addWidget(m_checkSpecs, row, 0);
    grid->addWidget(m_keywordLabel, row, 1);
    grid->addWidget(m_keywords, row++, 2, 1, 2);
    grid->addWidget(Named(new QLabel("Ergebnis(se) speichern in Gruppe", c), 2018), row++, 0, 1, 4);
    grid->addWidget(m_targetGroup, row++, 0, 1, 4);
    grid->addWidget(m_run, row++, 0, 1, 4);
    grid->setRowStretch(row, 1);

    connect(m_run, &QPushButton::clicked, this, &SVDSelectionForm::Run);
    connect(m_normSpecs, &QCheckBox::clicked, this, [this] {
        UpdateData(true);
        ApplyNormRules();
    });
    connect(m_integral, &QRadioButton::clicked, this, [this](bool on) {
        if (on)
            m_maximum->setChecked(false);
        UpdateData(true);
        ApplyNormRules();
    });
    connect(m_maximum, &QRadioButton::clicked, this, [this](bool on) {
        if (on)
            m_integral->setChecked(false);
        UpdateData(true);
        ApplyNormRules();
    });
    connect(m_checkSpecs, &QCheckBox::clicked, this, [this](bool on) {
        m_keywords->setVisible(on);
        m_keywordLabel->setVisible(on);
    });
}

SVDSelectionForm::~SVDSelectionForm() = default;

bool SVDSelectionForm::IsSensorModule() const
{
    // The sensor module derives from the spectrum module: it is asked for first.
    return dynamic_cast<SVDSensSelectionModule*>(GetModule()) != nullptr;
}

void SVDSelectionForm::ApplyNormRules()
{
    const bool on = m_normSpecs->isChecked();
    m_integral->setVisible(on);
    m_maximum->setVisible(on);
    m_normVal->setVisible(on);
    m_normVal->setEnabled(m_integral->isChecked());
}

void SVDSelectionForm::Run()
{
    if (!UpdateData(true))
        return;
    m_run->setEnabled(false);
    if (IsSensorModule())
        RunOperation(static_cast<bool (Module::*)()>(&SVDSensSelectionModule::svdsensselection));
    else
        RunOperation(static_cast<bool (Module::*)()>(&SVDSelectionModule::svdselection));
    m_run->setEnabled(true);
}

void SVDSelectionForm::InitModuleEditor()
{
    UpdateData(false);
    for (CSelectionEdit* edit : {m_targetGroup, m_specDesc, m_equivalents, m_starts, m_weights}) {
        edit->SetCanDropSpecs(true);
        edit->SetCanDropGroup(true);
    }
    Module* module = GetModule();
    if (!module)
        return;
    ns_param::Paramora& p = module->getParameters();
    m_integral->setChecked(false);
    m_maximum->setChecked(false);
    // A NormType other than 1 or 0 checks neither, so taking the data keeps it.
    if (*p.getBoolParameter("NormSpecs")) {
        m_integral->setChecked(*p.getIntParameter("NormType") == 1);
        m_maximum->setChecked(*p.getIntParameter("NormType") == 0);
    }
    m_weights->setVisible(false);
    m_weightLabel->setVisible(false);
    m_specLabel->setText("Auswahlspektrensammlung:");
    if (IsSensorModule()) {
        m_equivalents->setVisible(false);
        m_equivalentLabel->setVisible(false);
        m_weights->setVisible(true);
        m_weightLabel->setVisible(true);
        m_specLabel->setText("Auswahlspektrensammlung (Sensorik-Spektren):");
        m_checkSpecs->setVisible(true);
        m_keywords->setVisible(m_checkSpecs->isChecked());
        m_keywordLabel->setVisible(m_checkSpecs->isChecked());
    } else {
        m_checkSpecs->setVisible(false);
        m_weights->setText("");
        m_keywords->setVisible(false);
        m_keywordLabel->setVisible(false);
    }
    ApplyNormRules();
}

void SVDSelectionForm::ExchangeFields(CDataExchange* pDX)
{
    ns_param::Paramora& p = GetModule()->getParameters();
    const bool save = pDX->m_bSaveAndValidate;
    calc::ExchangeDouble(pDX, m_normVal, p, "NormVal", 0, 100);
    calc::ExchangeCheck(pDX, m_normSpecs, p, "NormSpecs");
    if (save) {
        if (m_integral->isChecked())
            p.setIntParameter("NormType", 1);
        if (m_maximum->isChecked())
            p.setIntParameter("NormType", 0);
    }
    calc::ExchangeString(pDX, m_targetGroup, p, "TargetGroup");
    if (IsSensorModule()) {
        calc::ExchangeCheck(pDX, m_checkSpecs, p, "CheckSpecs");
        calc::ExchangeString(pDX, m_keywords, p, "CheckSpecKeywords");
    }
    calc::ExchangeString(pDX, m_specDesc, p, "SpecDesc");
    calc::ExchangeString(pDX, m_equivalents, p, "AeqSpecDesc");
    calc::ExchangeString(pDX, m_weights, p, "WSpecDesc");
    calc::ExchangeString(pDX, m_starts, p, "RefSpecDesc");
    int specCount = *p.getIntParameter("SpecCount");
    DDX_Text(pDX, m_specCount->lineEdit(), specCount);
    p.setIntParameter("SpecCount", specCount);
}
