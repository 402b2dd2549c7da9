#include "calculation/test_interpolator_form.h"

#include "calculation/test_interpolator_module.h"

#include "core/module_interface.h"
#include "core/widget_names.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

IMPLEMENT_DYNCREATE(TestInterpolatorForm, CModuleEditor)

namespace {

using calc::Named;

bool HasText(const QLineEdit* edit, int limit)
{
    return !edit->text().left(limit).trimmed().isEmpty();
}

} // namespace

TestInterpolatorForm::TestInterpolatorForm()
    : calc::CCalcForm(IDD, 520, 420)
{
    QWidget* c = Content();
    auto* layout = new QVBoxLayout(c);
    auto box = [&](const char* title) {
        auto* group = new QGroupBox(QString::fromUtf8(title), c);
        layout->addWidget(group);
        return new QGridLayout(group);
    };
    auto row = [&](QGridLayout* grid, int id, const char* label, QWidget* field) {
        const int r = grid->rowCount();
        grid->addWidget(Named(new QLabel(QString::fromUtf8(label), c), id), r, 0);
        grid->addWidget(field, r, 1, 1, 3);
    };
    m_responses = Named(new CSelectionEdit(c), IDC_RESPONSES);
    m_sensors = Named(new CSelectionEdit(c), IDC_SENSORS);
    m_targets = Named(new CSelectionEdit(c), IDC_TARGETS);
    m_rules = Named(new CSelectionEdit(c), IDC_RULES);
    m_targetGroup = Named(new CSelectionEdit(c), IDC_TARGETGROUP);
    m_rangeMin = Named(new QLineEdit(c), IDC_RANGEMIN);
    m_rangeMax = Named(new QLineEdit(c), IDC_RANGEMAX);
    m_messCount = Named(new QLineEdit(c), IDC_MESSCOUNT);
    m_grouped = Named(new QCheckBox("Gruppen sequentiell prozessieren", c), IDC_GROUPED);
    m_randomSign = Named(new QCheckBox(QString::fromUtf8("Gruppennamen mit Zufallszahl ergänzen"), c), IDC_RANDOMSIGN);
    m_run = Named(new QPushButton("KALIBRIERUNG\nTESTEN", c), IDC_RUN);

    QGridLayout* primary = box("Primärdaten");
    row(primary, 2037, "spektrale Sensorbeschreibung:\n(Sensor(en) + opt. Beleuchtung)", m_sensors);
    primary->addWidget(Named(new QLabel("ODER", c), 2041), primary->rowCount(), 0);
    row(primary, 2031, "Sensorantwort(en) - Clipboard-Daten", m_responses);
    row(primary, 2019, "spektrale Messaufgabe:\nSpektratreize (Objekte + opt. Beleuchtung)", m_targets);
    QGridLayout* ssr = box("Spektrale Superresolution (SSR)");
    row(ssr, 2021, "Spektrale Kalibrierung(en)", m_rules);
    ssr->addWidget(m_grouped, ssr->rowCount(), 0, 1, 4);
    QGridLayout* measuring = box("Multispektrale Messung");
    const int r = measuring->rowCount();
    measuring->addWidget(new QLabel("Ergebnis-Wertebereich von", c), r, 0);
    measuring->addWidget(m_rangeMin, r, 1);
    measuring->addWidget(new QLabel("bis", c), r, 2);
    measuring->addWidget(m_rangeMax, r, 3);
    row(measuring, 0, "Mehrfachmessungen", m_messCount);
    row(measuring, 2025, "Ergebnis(se) speichern in Gruppe", m_targetGroup);
    measuring->addWidget(m_randomSign, measuring->rowCount(), 0, 1, 4);
    layout->addWidget(m_run);
    layout->addStretch(1);

    connect(m_run, &QPushButton::clicked, this, [this] {
        RunOperation(static_cast<bool (Module::*)()>(&TestInterpolatorModule::testinterpolator));
    });
    connect(m_sensors, &QLineEdit::textChanged, this, [this] {
        if (!HasText(m_sensors, 64)) {
            m_responses->setEnabled(true);
        } else {
            m_responses->setEnabled(false);
            SensorCheck();
        }
    });
    connect(m_responses, &QLineEdit::textChanged, this, [this] {
        if (!HasText(m_responses, 64)) {
            m_sensors->setEnabled(true);
        } else {
            m_sensors->setEnabled(false);
            SensorCheck();
        }
    });
    connect(m_targets, &QLineEdit::textChanged, this, &TestInterpolatorForm::SensorCheck);
    connect(m_messCount, &QLineEdit::textChanged, this, &TestInterpolatorForm::SensorCheck);
}

TestInterpolatorForm::~TestInterpolatorForm() = default;

void TestInterpolatorForm::InitModuleEditor()
{
    m_randomSign->hide();
    for (CSelectionEdit* edit : {m_sensors, m_targets, m_rules, m_targetGroup}) {
        edit->SetCanDropSpecs(true);
        edit->SetCanDropGroup(true);
    }
    m_responses->SetCanDropClipboardObjects(true);
    m_responses->SetCanDropClipboardGroup(true);
    if (HasText(m_sensors, 248))
        m_responses->setEnabled(false);
    if (HasText(m_responses, 248))
        m_sensors->setEnabled(false);
    SensorCheck();
}

void TestInterpolatorForm::SensorCheck()
{
    Module* module = GetModule();
    if (module && HasText(m_responses, 64) && HasText(m_sensors, 64) && HasText(m_targets, 64))
        calc::LogError(module->GetModuleInterface(), "Sensor entweder spektral (Kanalempfindlichkeiten, Targets, "
                                                     "Beleuchtung) oder durch Sensorantworten beschreiben!");
}

void TestInterpolatorForm::ExchangeFields(CDataExchange* pDX)
{
    ns_param::Paramora& p = GetModule()->getParameters();
    int messCount = *p.getIntParameter("MessCount");
    DDX_Text(pDX, m_messCount, messCount);
    if (pDX->m_bSaveAndValidate) {
        DDV_MinMaxInt(pDX, messCount, 1, 1000);
        p.setIntParameter("MessCount", messCount);
    }
    calc::ExchangeCheck(pDX, m_randomSign, p, "RandomSign");
    calc::ExchangeString(pDX, m_responses, p, "MessSystemSamples");
    calc::ExchangeString(pDX, m_sensors, p, "SpecMessSystem");
    calc::ExchangeString(pDX, m_targets, p, "SpecTargets");
    calc::ExchangeString(pDX, m_rules, p, "SpecInterpolator");
    calc::ExchangeString(pDX, m_targetGroup, p, "TargetGroup");
    calc::ExchangeCheck(pDX, m_grouped, p, "GroupedProcessing");
    calc::ExchangeDouble(pDX, m_rangeMin, p, "RangeOfValueMin", -10000000, 10000000);
    calc::ExchangeDouble(pDX, m_rangeMax, p, "RangeOfValueMax", -10000000, 10000000);
}
