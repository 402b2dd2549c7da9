#include "calculation/create_interpolator_form.h"

#include "calculation/create_interpolator_module.h"
#include "calculation/form_helpers.h"

#include "core/module_interface.h"
#include "core/widget_names.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScopedValueRollback>

IMPLEMENT_DYNCREATE(CreateInterpolatorForm, CModuleEditor)

namespace {

using calc::Named;

bool HasText(const QLineEdit* edit)
{
    return !edit->text().trimmed().isEmpty();
}

} // namespace

CreateInterpolatorForm::CreateInterpolatorForm()
    : calc::CCalcForm(IDD, 560, 640)
{
    QWidget* c = Content();
    auto* layout = new QVBoxLayout(c);
    auto box = [&](const char* title) {
        auto* group = new QGroupBox(QString::fromUtf8(title), c);
        layout->addWidget(group);
        return new QGridLayout(group);
    };
    auto row = [](QGridLayout* grid, const char* label, QWidget* field) {
        const int r = grid->rowCount();
        grid->addWidget(new QLabel(QString::fromUtf8(label)), r, 0);
        grid->addWidget(field, r, 1);
    };

    m_sensitivities = Named(new CSelectionEdit(c), IDC_SENSITIVITIES);
    m_illumination = Named(new CSelectionEdit(c), IDC_ILLUMINATION);
    m_targets = Named(new CSelectionEdit(c), IDC_TARGETS);
    m_responses = Named(new CSelectionEdit(c), IDC_RESPONSES);
    m_targetGroup = Named(new CSelectionEdit(c), IDC_TARGETGROUP);
    m_errorWeight = Named(new CSelectionEdit(c), IDC_ERRORWEIGHT);
    // The range limits the arrows only (they start from 1 while the edit holds no number);
    // the edit shows any stored count, and taking the data checks it.
    m_iterCount = Named(new calc::SpinEdit(c), IDC_ITERCOUNT);
    m_iterCount->setRange(1, 50);
    m_regTV = Named(new QLineEdit(c), IDC_REGTV);
    m_regI2min = Named(new QLineEdit(c), IDC_REGI2MIN);
    m_regI2max = Named(new QLineEdit(c), IDC_REGI2MAX);
    m_regPositivity = Named(new QLineEdit(c), IDC_REGPOSITIVITY);
    m_regGauss = Named(new QLineEdit(c), IDC_REGGAUSS);
    m_mseStop = Named(new QLineEdit(c), IDC_MSESTOP);
    m_wiener1 = Named(new QLineEdit(c), IDC_WIENER1);
    m_wiener2 = Named(new QLineEdit(c), IDC_WIENER2);
    m_adMode = Named(new QLineEdit(c), IDC_ADMODE);
    m_channelNoise = Named(new QLineEdit(c), IDC_CHANNELNOISE);
    m_quantChan = Named(new QCheckBox(QString::fromUtf8("kanalspezifischer (paralleler) ADU"), c), IDC_QUANTCHAN);
    m_grouped = Named(new QCheckBox("Gruppen sequentiell prozessieren", c), IDC_GROUPED);
    m_autoSave = Named(new QCheckBox("nach Berechnung automatisch speichern", c), IDC_AUTOSAVE);
    m_randomSign = Named(new QCheckBox(QString::fromUtf8("Gruppennamen mit Zufallszahl ergänzen"), c), IDC_RANDOMSIGN);
    m_evolutionary = Named(new QCheckBox(QString::fromUtf8("evolutionäres Auswahlverfahren"), c), IDC_EVOLUTIONARY);
    m_outFolder = Named(new QLabel(c), IDC_OUTFOLDER);
    m_run = Named(new QPushButton("KALIBRIERUNG ERSTELLEN", c), IDC_RUN);
    m_save = Named(new QPushButton("KALIBRIERUNG SPEICHERN", c), IDC_SAVE);

    QGridLayout* primary = box("Primärdaten");
    row(primary, "Sensorbeschreibung:\nSensor(en) + opt. Beleuchtung", m_sensitivities);
    row(primary, "spektrales Gewicht (Beleuchtung, optional)", m_illumination);
    primary->addWidget(new QLabel("ODER", c), primary->rowCount(), 0);
    row(primary, "Sensorantwort(en)", m_responses);
    row(primary, "spektrale Messaufgabe:\nSpektralreize (Objekte + opt. Beleuchtung)", m_targets);
    QGridLayout* real = box("reale Systemeigenschaften");
    row(real, "Wertequantisierung [Bit]", m_adMode);
    real->addWidget(m_quantChan, real->rowCount(), 0, 1, 2);
    row(real, "Simulierte kanalweise Messunsicher-\nheit [Streuung in %-Kanalantwort]", m_channelNoise);
    QGridLayout* ssr = box("Spektrale Kalibrierung (SSR)");
    row(ssr, "Maximale Anzahl der Iterationen", m_iterCount);
    row(ssr, "TV  (>=0)", m_regTV);
    row(ssr, "Stabilität (>0)", m_regI2min);
    row(ssr, "", m_regI2max);
    row(ssr, "Positivity\nspektrale Schätzung (>0]", m_regPositivity);
    row(ssr, "Prior-Stetigkeit \nspektrale Schätzung (>0, <=1)", m_regGauss);
    row(ssr, "Abbruchschwellwert Güte", m_mseStop);
    auto* wiener = new QHBoxLayout;
    wiener->addWidget(m_wiener1);
    wiener->addWidget(m_wiener2);
    const int wr = ssr->rowCount();
    ssr->addWidget(new QLabel("Wiener (Value <=1, Noise > 0)", c), wr, 0);
    ssr->addLayout(wiener, wr, 1);
    row(ssr, "Spektrale Fehlergewichtung", m_errorWeight);
    ssr->addWidget(m_evolutionary, ssr->rowCount(), 0, 1, 2);
    QGridLayout* measuring = box("Multispektrale Messung");
    measuring->addWidget(m_grouped, 0, 0, 1, 2);
    QGridLayout* result = box("Lösungseigenschaften");
    row(result, "SSR-Ergebnis(se) speichern in Gruppe", m_targetGroup);
    result->addWidget(m_randomSign, result->rowCount(), 0, 1, 2);
    result->addWidget(m_autoSave, result->rowCount(), 0, 1, 2);
    result->addWidget(m_outFolder, result->rowCount(), 0, 1, 2);
    layout->addWidget(m_run);
    layout->addWidget(m_save);
    layout->addStretch(1);

    connect(m_run, &QPushButton::clicked, this, [this] {
        RunOperation(static_cast<bool (Module::*)()>(&CreateInterpolatorModule::createinterpolator));
    });
    connect(m_save, &QPushButton::clicked, this, &CreateInterpolatorForm::OnSave);
    connect(m_sensitivities, &QLineEdit::textChanged, this, &CreateInterpolatorForm::OnSensitivitiesChanged);
    connect(m_responses, &QLineEdit::textChanged, this, &CreateInterpolatorForm::OnResponsesChanged);
}

CreateInterpolatorForm::~CreateInterpolatorForm() = default;

void CreateInterpolatorForm::InitModuleEditor()
{
    UpdateData(false);
    for (CSelectionEdit* edit : {m_sensitivities, m_illumination, m_targets, m_targetGroup, m_errorWeight}) {
        edit->SetCanDropSpecs(true);
        edit->SetCanDropGroup(true);
    }
    m_responses->SetCanDropClipboardObjects(true);
    m_responses->SetCanDropClipboardGroup(true);
    m_targetGroup->SetCanDropClipboardGroup(true);
    // The fields now show the parameters: the set-up takes nothing back, so that opening the
    // form changes no stored value and refuses none (a count set by a script, say).
    const QScopedValueRollback settingUp(m_settingUp, true);
    if (auto* module = GetModule())
        module->getParameters().setBoolParameter("ProcOk", false);
    m_responses->setEnabled(!HasText(m_sensitivities));
    if (HasText(m_responses)) {
        m_sensitivities->setEnabled(false);
        m_illumination->setEnabled(false);
    }
    UpdateDependentStates();
}

void CreateInterpolatorForm::OnSensitivitiesChanged()
{
    m_responses->setEnabled(!HasText(m_sensitivities));
    UpdateDependentStates();
}

void CreateInterpolatorForm::OnResponsesChanged()
{
    const bool free = !HasText(m_responses);
    m_sensitivities->setEnabled(free);
    m_illumination->setEnabled(free);
    UpdateDependentStates();
}

void CreateInterpolatorForm::UpdateDependentStates()
{
    Module* module = GetModule();
    if (!module || m_exchanging)
        return;
    if (!m_settingUp)
        UpdateData(true);
    m_outFolder->setText(QString::fromStdString(*module->getParameters().getStringParameter("OutFolder")));
    const bool sensitivities = HasText(m_sensitivities);
    m_wiener1->setEnabled(sensitivities);
    m_wiener2->setEnabled(sensitivities);
    if (!HasText(m_responses))
        m_errorWeight->setEnabled(true);
    else if (sensitivities || HasText(m_illumination))
        calc::LogError(module->GetModuleInterface(), "Fehler: Sensorverhalten entweder durch Sensorempfindlichkeiten "
                                                     "und Beleuchtung oder Abtastwerte beschreiben!");
}

void CreateInterpolatorForm::OnSave()
{
    auto* module = dynamic_cast<CreateInterpolatorModule*>(GetModule());
    if (!module || !UpdateData(true))
        return;
    // An empty path asks for the file, the proposed name is the result group's.
    (void)module->SaveAsText("", "", *module->getParameters().getStringParameter("TargetGroup") + ".txt");
}

void CreateInterpolatorForm::ExchangeFields(CDataExchange* pDX)
{
    ns_param::Paramora& p = GetModule()->getParameters();
    // Loading the fields fires their change handlers, which must not save half-loaded fields.
    struct Flag {
        bool& f;
        bool old;
        explicit Flag(bool& flag) : f(flag), old(flag) { f = true; }
        ~Flag() { f = old; }
    } exchanging(m_exchanging);
    calc::ExchangeString(pDX, m_sensitivities, p, "SpecDescAsystem");
    calc::ExchangeString(pDX, m_illumination, p, "SpecDescIllu");
    calc::ExchangeString(pDX, m_targets, p, "SpecDescTargets");
    calc::ExchangeString(pDX, m_responses, p, "SpecDescSamples");
    calc::ExchangeString(pDX, m_targetGroup, p, "TargetGroup");
    calc::ExchangeString(pDX, m_errorWeight, p, "SpecMSEWeightTarget");
    int iterCount = *p.getIntParameter("IterCount");
    DDX_Text(pDX, m_iterCount->lineEdit(), iterCount);
    DDV_MinMaxInt(pDX, iterCount, 1, 50);
    p.setIntParameter("IterCount", iterCount);
    calc::ExchangeDouble(pDX, m_regTV, p, "RegTV");
    calc::ExchangeDouble(pDX, m_regI2min, p, "RegI2min");
    calc::ExchangeDouble(pDX, m_regI2max, p, "RegI2max", 0, 10000000);
    calc::ExchangeDouble(pDX, m_regPositivity, p, "RegPositivity");
    calc::ExchangeDouble(pDX, m_regGauss, p, "RegGauss", 0, 1);
    calc::ExchangeDouble(pDX, m_mseStop, p, "MSEStop");
    calc::ExchangeDouble(pDX, m_wiener1, p, "RegWiener1");
    calc::ExchangeDouble(pDX, m_wiener2, p, "RegWiener2");
    int adMode = *p.getIntParameter("ADMode");
    DDX_Text(pDX, m_adMode, adMode);
    if (pDX->m_bSaveAndValidate)
        p.setIntParameter("ADMode", adMode);
    calc::ExchangeDouble(pDX, m_channelNoise, p, "SimChannelNoise");
    calc::ExchangeCheck(pDX, m_quantChan, p, "QuantChan");
    calc::ExchangeCheck(pDX, m_grouped, p, "GroupedProcessing");
    calc::ExchangeCheck(pDX, m_autoSave, p, "AutoSave");
    calc::ExchangeCheck(pDX, m_randomSign, p, "RandomSign");
}
