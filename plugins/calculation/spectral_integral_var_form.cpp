#include "calculation/spectral_integral_var_form.h"

#include "core/widget_names.h"

#include "calculation/spectral_integral_var_module.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScopedValueRollback>

#include <utility>

IMPLEMENT_DYNCREATE(SpectralIntegralVarForm, CModuleEditor)

namespace {

using calc::Named;

constexpr char kTargetLabelKeys[] = "Spektrale Gewichtung(en) (Anwendungsklasse) - \nNamen mit optionaler "
                                    "XXXX@Suchzeichenkette@XXXX";
constexpr char kTargetLabelPlain[] = "\nSpektrale Gewichtung(en) (Anwendungsklasse)";
constexpr char kTargetLabelStart[] = "\nSpektrale Gewichtung(en) (Anwendungsklasse) - Namen";

} // namespace

SpectralIntegralVarForm::SpectralIntegralVarForm()
    : calc::CCalcForm(IDD, 456, 180)
{
    QWidget* c = Content();
    auto* outer = new QVBoxLayout(c);
    auto* box = new QGroupBox("Auswahlparameter", c);
    outer->addWidget(box);
    outer->addStretch(1);
    auto* grid = new QGridLayout(box);

    m_specDesc = Named(new CSelectionEdit(box), IDC_SPECDESC);
    m_specCount = Named(new calc::SpinEdit(box), IDC_SPECCOUNT);
    m_specGroup = Named(new CSelectionEdit(box), IDC_SPECGROUP);
    m_run = Named(new QPushButton("AUSWAHL STARTEN", box), IDC_RUN);
    m_targetLabel = Named(new QLabel(box), IDC_TARGETLABEL);
    m_targets = Named(new CSelectionEdit(box), IDC_TARGETS);
    m_secondary = Named(new CSelectionEdit(box), IDC_SECONDARY);
    m_secondaryName = Named(new CSelectionEdit(box), IDC_SECONDARYNAME);
    m_tolerances = Named(new CSelectionEdit(box), IDC_TOLERANCES);
    m_start = Named(new CSelectionEdit(box), IDC_START);
    m_overlap = Named(new QCheckBox("Technologiekennwerte bei Auswahl berücksichtigen", box), IDC_OVERLAP);
    m_maxOverlap = Named(new QLineEdit(box), IDC_MAXOVERLAP);
    m_maxOverlapLabel = Named(new QLabel("spektrale Ähnlichkeit nicht größer als [1, 100] %", box), IDC_MAXOVERLAPLABEL);
    m_minDist = Named(new QLineEdit(box), IDC_MINDIST);
    m_minDistLabel = Named(new QLabel("spektraler Mittenabstand nicht kleiner als (0, 1000] nm", box), IDC_MINDISTLABEL);
    m_discSel = Named(new QCheckBox("Sequentielles diskriminanzbezogenes Auswahlverfahren nutzen", box), IDC_DISCSEL);
    m_evolution = Named(new QCheckBox("Evolutionäres Auswahlverfahren nutzen", box), IDC_EVOLUTION);
    m_evoCount = Named(new calc::SpinEdit(box), IDC_EVOCOUNT);
    m_evoSpz = Named(new QLineEdit(box), IDC_EVOSPZ);
    m_evoSpzLabel = Named(new QLabel("Spezien", box), IDC_EVOSPZLABEL);
    m_evoGroupLabel = Named(new QLabel("Evolutionparameter:", box), IDC_EVOGROUPLABEL);
    m_evoCountLabel = Named(new QLabel("Generationen", box), IDC_EVOCOUNTLABEL);
    m_searchAfter = Named(new QCheckBox("   Suchzeichenkette bei letztem \"_\" ", box), IDC_SEARCHAFTER);
    m_keyFront = Named(new QRadioButton("\"Suchzeichenkette_XXXX\"", box), IDC_KEYFRONT);
    m_keyBack = Named(new QRadioButton("\"XXXX_Suchzeichenkette\"", box), IDC_KEYBACK);
    m_normSpecs = Named(new QCheckBox("Auswahlspektren normieren", box), IDC_NORMSPECS);
    m_normVal = Named(new QLineEdit(box), IDC_NORMVAL);
    m_integral = Named(new QRadioButton("integral", box), IDC_INTEGRAL);
    m_maximum = Named(new QRadioButton("max", box), IDC_MAXIMUM);
    m_startSameSens = Named(new QCheckBox("  Startkonfiguration sensorintern ", box), IDC_STARTSAMESENS);
    m_checkSpecs = Named(new QCheckBox("Spektren vor Auswahl bereinigen", box), IDC_CHECKSPECS);
    m_keywords = Named(new QLineEdit(box), IDC_KEYWORDS);
    m_keywordLabel = Named(new QLabel("Such-Keywords", box), IDC_KEYWORDLABEL);
    m_checkTolerances = Named(new QCheckBox("Toleranzen berücksichtigen ", box), IDC_CHECKTOLERANCES);

    for (QRadioButton* r : {m_keyFront, m_keyBack, m_integral, m_maximum})
        r->setAutoExclusive(false);
    // The ranges limit the arrows only; the edits show and take any stored number.
    m_specCount->setRange(0, 32767);
    m_specCount->setAccelerated(true);
    // The packed range of the generation spin: lower word 50, upper word 0xA120 read unsigned.
    m_evoCount->setRange(50, 0xA120);
    m_evoCount->setAccelerated(true);

    int row = 0;
    auto full = [&](QWidget* w) { grid->addWidget(w, row++, 0, 1, 4); };
    full(Named(new QLabel("Auswahl-Spektrensammlung (Sensorik)", box), 15005));
    full(m_specDesc);
    grid->addWidget(m_checkTolerances, row, 0);
    grid->addWidget(m_tolerances, row++, 1, 1, 3);
    full(m_targetLabel);
    full(m_targets);
    full(Named(new QLabel("Ergänzende spektrale Gewichtung(en) (Anwendungsvariabilität)", box), 15014));
    full(m_secondary);
    full(m_secondaryName);
    grid->addWidget(m_searchAfter, row, 0);
    grid->addWidget(m_keyFront, row, 1);
    grid->addWidget(m_keyBack, row++, 2);
    full(Named(new QLabel("Startauswahl (Spektrensammlung)", box), 20006));
    full(m_start);
    full(m_startSameSens);
    grid->addWidget(Named(new QLabel("Auswahlmenge", box), 15006), row, 0);
    grid->addWidget(m_specCount, row++, 1);
    full(m_overlap);
    grid->addWidget(m_maxOverlapLabel, row, 0);
    grid->addWidget(m_maxOverlap, row++, 1);
    grid->addWidget(m_minDistLabel, row, 0);
    grid->addWidget(m_minDist, row++, 1);
    full(m_discSel);
    full(m_evolution);
    grid->addWidget(m_evoGroupLabel, row, 0);
    grid->addWidget(m_evoCountLabel, row, 1);
    grid->addWidget(m_evoCount, row, 2);
    grid->addWidget(m_evoSpzLabel, row, 3);
    grid->addWidget(m_evoSpz, row++, 4);
    grid->addWidget(m_normSpecs, row, 0);
    grid->addWidget(m_normVal, row, 1);
    grid->addWidget(m_integral, row, 2);
    grid->addWidget(m_maximum, row++, 3);
    grid->addWidget(m_checkSpecs, row, 0);
    grid->addWidget(m_keywordLabel, row, 1);
    grid->addWidget(m_keywords, row++, 2, 1, 2);
    full(Named(new QLabel("Ergebnis(se) speichern in Gruppe", box), 15007));
    full(m_specGroup);
    full(m_run);

    connect(m_run, &QPushButton::clicked, this, &SpectralIntegralVarForm::Run);
    connect(m_overlap, &QCheckBox::clicked, this, &SpectralIntegralVarForm::OnOverlap);
    connect(m_checkTolerances, &QCheckBox::clicked, this, &SpectralIntegralVarForm::OnTolerances);
    connect(m_normSpecs, &QCheckBox::clicked, this, &SpectralIntegralVarForm::OnNormSpecs);
    connect(m_integral, &QRadioButton::clicked, this, [this](bool on) {
        if (on)
            m_maximum->setChecked(false);
        OnNormType();
    });
    connect(m_maximum, &QRadioButton::clicked, this, [this](bool on) {
        if (on)
            m_integral->setChecked(false);
        OnNormType();
    });
    connect(m_searchAfter, &QCheckBox::clicked, this, &SpectralIntegralVarForm::OnSearchAfter);
    connect(m_keyFront, &QRadioButton::clicked, this, [this] {
        m_keyBack->setChecked(!m_keyFront->isChecked());
        OnSearchAfter();
    });
    connect(m_keyBack, &QRadioButton::clicked, this, [this] {
        m_keyFront->setChecked(!m_keyBack->isChecked());
        OnSearchAfter();
    });
    connect(m_secondary, &QLineEdit::textChanged, this, &SpectralIntegralVarForm::OnSecondary);
    connect(m_start, &QLineEdit::textChanged, this, &SpectralIntegralVarForm::OnStart);
    connect(m_checkSpecs, &QCheckBox::clicked, this, &SpectralIntegralVarForm::OnCheckSpecs);
    connect(m_discSel, &QCheckBox::clicked, this, &SpectralIntegralVarForm::OnDiscSel);
    connect(m_evolution, &QCheckBox::clicked, this, &SpectralIntegralVarForm::OnEvolution);
    connect(m_evoCount, &QAbstractSpinBox::editingFinished, this, [this] { Take(); });
}

SpectralIntegralVarForm::~SpectralIntegralVarForm() = default;

void SpectralIntegralVarForm::Take()
{
    // Showing the values sets the texts, whose handlers come here: half-shown fields are not
    // read; nor are the fields while the form is set up.
    if (GetModule() && !m_exchanging)
        UpdateData(true);
}

void SpectralIntegralVarForm::OnOverlap()
{
    Take();
    const bool on = m_overlap->isChecked();
    for (QWidget* w : {static_cast<QWidget*>(m_maxOverlap), static_cast<QWidget*>(m_minDist),
                       static_cast<QWidget*>(m_minDistLabel), static_cast<QWidget*>(m_maxOverlapLabel)})
        w->setVisible(on);
}

void SpectralIntegralVarForm::OnTolerances()
{
    Take();
    m_tolerances->setVisible(m_checkTolerances->isChecked());
}

void SpectralIntegralVarForm::OnNormSpecs()
{
    Take();
    const bool on = m_normSpecs->isChecked();
    m_integral->setVisible(on);
    m_maximum->setVisible(on);
    m_normVal->setVisible(on);
    Module* module = GetModule();
    if (!on || !module)
        return;
    const int normType = *module->getParameters().getIntParameter("NormType");
    m_integral->setChecked(normType == 1);
    m_maximum->setChecked(normType == 0);
    m_normVal->setVisible(normType == 1);
}

void SpectralIntegralVarForm::OnNormType()
{
    Take();
    m_normVal->setVisible(m_integral->isChecked());
}

void SpectralIntegralVarForm::OnSearchAfter()
{
    Take();
    const bool on = m_searchAfter->isChecked();
    m_keyFront->setVisible(on);
    m_keyBack->setVisible(on);
    Module* module = GetModule();
    if (!on || !module)
        return;
    const int type = *module->getParameters().getIntParameter("SearchAfterType");
    m_keyFront->setChecked(type == 1);
    m_keyBack->setChecked(type != 1);
}

void SpectralIntegralVarForm::OnSecondary()
{
    Take();
    const bool keys = !m_secondary->text().isEmpty();
    m_targetLabel->setText(keys ? kTargetLabelKeys : kTargetLabelPlain);
    m_searchAfter->setVisible(keys);
    m_keyFront->setVisible(keys && m_searchAfter->isChecked());
    m_keyBack->setVisible(keys && m_searchAfter->isChecked());
}

void SpectralIntegralVarForm::OnStart()
{
    Take();
    // Only the first 64 characters are looked at.
    m_startSameSens->setVisible(!m_start->text().left(64).isEmpty());
}

void SpectralIntegralVarForm::OnCheckSpecs()
{
    m_keywords->setVisible(m_checkSpecs->isChecked());
    m_keywordLabel->setVisible(m_checkSpecs->isChecked());
}

void SpectralIntegralVarForm::ShowEvolution(bool show)
{
    for (QWidget* w : {static_cast<QWidget*>(m_evoSpzLabel), static_cast<QWidget*>(m_evoGroupLabel),
                       static_cast<QWidget*>(m_evoCountLabel), static_cast<QWidget*>(m_evoCount),
                       static_cast<QWidget*>(m_evoSpz)})
        w->setVisible(show);
}

void SpectralIntegralVarForm::OnDiscSel()
{
    if (m_evolution->isChecked() && m_discSel->isChecked())
        m_evolution->setChecked(false);
    if (!m_evolution->isChecked())
        ShowEvolution(false);
}

void SpectralIntegralVarForm::OnEvolution()
{
    if (m_discSel->isChecked() && m_evolution->isChecked())
        m_discSel->setChecked(false);
    ShowEvolution(m_evolution->isChecked());
}

void SpectralIntegralVarForm::Run()
{
    if (!UpdateData(true))
        return;
    m_run->setEnabled(false);
    RunOperation(static_cast<bool (Module::*)()>(&SpectralIntegralVarModule::spectralintegralvarselection));
    m_run->setEnabled(true);
}

void SpectralIntegralVarForm::InitModuleEditor()
{
    Module* module = GetModule();
    if (!module)
        return;
    ns_param::Paramora& p = module->getParameters();
    m_keptMaxOverlap = *p.getDoubleParameter("SIVSpecMaxOverlap");
    m_keptMinDist = *p.getIntParameter("SIVMinDist");
    for (CSelectionEdit* edit :
         {m_specGroup, m_specDesc, m_tolerances, m_targets, m_secondary, m_start, m_secondaryName}) {
        edit->SetCanDropSpecs(true);
        edit->SetCanDropGroup(true);
    }
    // The start selection also takes clipboard objects (named like the sensor channels).
    m_start->SetCanDropClipboardObjects(true);
    UpdateData(false);
    // The fields now show the parameters: the rules below take nothing back, so that opening
    // the form changes no stored value (a number the text shows rounded, one a check refuses).
    const QScopedValueRollback settingUp(m_exchanging, true);

    m_overlap->setChecked(*p.getBoolParameter("Overlap"));
    OnOverlap();
    if (*p.getBoolParameter("NormSpecs")) {
        m_integral->setChecked(*p.getIntParameter("NormType") == 1);
        m_maximum->setChecked(*p.getIntParameter("NormType") == 0);
    }
    const bool searchAfter = *p.getBoolParameter("SearchAfter");
    m_searchAfter->setChecked(searchAfter);
    m_keyFront->setVisible(searchAfter);
    m_keyBack->setVisible(searchAfter);
    if (searchAfter) {
        m_keyFront->setChecked(*p.getIntParameter("SearchAfterType") == 1);
        m_keyBack->setChecked(*p.getIntParameter("SearchAfterType") != 1);
    }
    const bool secondary = !p.getStringParameter("WSpecDesc2")->empty();
    m_targetLabel->setText(secondary ? kTargetLabelKeys : kTargetLabelStart);
    m_searchAfter->setVisible(secondary);

    OnNormSpecs();
    OnNormType();
    OnSearchAfter();
    OnSecondary();
    OnStart();
    OnOverlap();
    OnTolerances();
    OnCheckSpecs();
    OnEvolution();
    OnDiscSel();
}

void SpectralIntegralVarForm::ExchangeFields(CDataExchange* pDX)
{
    ns_param::Paramora& p = GetModule()->getParameters();
    const bool save = pDX->m_bSaveAndValidate;
    const QScopedValueRollback exchanging(m_exchanging, true);
    calc::ExchangeCheck(pDX, m_overlap, p, "Overlap");
    calc::ExchangeCheck(pDX, m_discSel, p, "DiscSel");
    calc::ExchangeCheck(pDX, m_evolution, p, "EvolutionSel");
    calc::ExchangeCheck(pDX, m_searchAfter, p, "SearchAfter");
    calc::ExchangeCheck(pDX, m_normSpecs, p, "NormSpecs");
    calc::ExchangeCheck(pDX, m_checkSpecs, p, "CheckSpecs");
    calc::ExchangeCheck(pDX, m_checkTolerances, p, "CheckTolerances");
    calc::ExchangeCheck(pDX, m_startSameSens, p, "StartSameSens");
    calc::ExchangeDouble(pDX, m_normVal, p, "NormVal", 0, 100);
    int minDist = *p.getIntParameter("SIVMinDist");
    DDX_Text(pDX, m_minDist, minDist);
    if (save)
        DDV_MinMaxInt(pDX, minDist, 0, 1000);
    p.setIntParameter("SIVMinDist", minDist);
    calc::ExchangeDouble(pDX, m_maxOverlap, p, "SIVSpecMaxOverlap", 0, 100);
    if (save) {
        if (m_integral->isChecked())
            p.setIntParameter("NormType", 1);
        if (m_maximum->isChecked())
            p.setIntParameter("NormType", 0);
        if (m_keyFront->isChecked())
            p.setIntParameter("SearchAfterType", 1);
        if (m_keyBack->isChecked())
            p.setIntParameter("SearchAfterType", 0);
    }
    calc::ExchangeString(pDX, m_specGroup, p, "SpecGroup");
    calc::ExchangeString(pDX, m_keywords, p, "CheckSpecKeywords");
    calc::ExchangeString(pDX, m_specDesc, p, "SpecDesc");
    calc::ExchangeString(pDX, m_tolerances, p, "SpecDescTol");
    calc::ExchangeString(pDX, m_targets, p, "WSpecDesc");
    calc::ExchangeString(pDX, m_secondary, p, "WSpecDesc2");
    calc::ExchangeString(pDX, m_start, p, "StartSpec");
    calc::ExchangeString(pDX, m_secondaryName, p, "WSpecDesc2Name");
    const std::pair<QLineEdit*, const char*> integers[] = {
        {m_specCount->lineEdit(), "SpecCount"}, {m_evoCount->lineEdit(), "EvoCount"}, {m_evoSpz, "EvoSpzCount"}};
    for (const auto& [edit, name] : integers) {
        int value = *p.getIntParameter(name);
        DDX_Text(pDX, edit, value);
        p.setIntParameter(name, value);
    }
    const long long evoCount = *p.getIntParameter("EvoCount");
    p.setIntParameter("EvoRecomb", static_cast<int>(evoCount * 2 / 3));
    p.setIntParameter("EvoPopul", 4);
}
