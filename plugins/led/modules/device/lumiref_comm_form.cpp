#include "modules/device/lumiref_comm_form.h"

#include "modules/device/lumiref_comm_module.h"

#include "windows/param_show_ctrl.h"

#include "core/selection_edit.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>

IMPLEMENT_DYNCREATE(CLumirefCommForm, CModuleEditor)

// The module's editor is named here, beside the form, so that the module's own code needs
// nothing of it.
const CRuntimeClass* LumirefCommModule::GetEditorClass() { return RUNTIME_CLASS(CLumirefCommForm); }

using led::Named;

CLumirefCommForm::CLumirefCommForm()
    : calc::CCalcForm(IDD, 380, 520)
{
    auto* grid = new QGridLayout(Content());
    m_port = Named(new QLineEdit(Content()), IDC_PORT);
    m_connect = Named(new QPushButton("Verbinden", Content()), IDC_CONNECT);
    m_disconnect = Named(new QPushButton("Trennen", Content()), IDC_DISCONNECT);
    // The value display stands where the layout keeps its place.
    m_display = Named(new CParamShowCtrl(Content()), IDC_DISPLAY);
    m_display->setFrameShape(QFrame::StyledPanel);
    m_display->setMinimumHeight(200);
    m_interpolator = Named(new CSelectionEdit(Content()), IDC_INTERPOLATOR);
    m_targetGroup = Named(new CSelectionEdit(Content()), IDC_TARGETGROUP);
    m_lightnessGroup = Named(new QLineEdit(Content()), IDC_LIGHTNESSGROUP);
    m_measuresGroup = Named(new QLineEdit(Content()), IDC_MEASURESGROUP);
    m_specCount = Named(new QLineEdit(Content()), IDC_SPECCOUNT);
    m_series = Named(new QCheckBox("Durchführen", Content()), IDC_SERIES);
    m_ledIndex = Named(new QLineEdit(Content()), IDC_LEDINDEX);
    m_interval = Named(new QLineEdit(Content()), IDC_INTERVAL);
    m_create = Named(new QPushButton("ERZEUGEN", Content()), IDC_CREATE);

    // Port and link buttons in one line, the live table below, then the recording fields.
    auto* portLine = new QHBoxLayout;
    portLine->addWidget(new QLabel("COM-Port", Content()));
    portLine->addWidget(m_port, 1);
    portLine->addWidget(m_connect);
    portLine->addWidget(m_disconnect);
    int row = 0;
    grid->addLayout(portLine, row++, 0, 1, 3);
    grid->addWidget(m_display, row, 0, 1, 3);
    grid->setRowStretch(row++, 1);
    auto addRow = [&](const char* label, QWidget* field) {
        grid->addWidget(new QLabel(label, Content()), row, 0);
        grid->addWidget(field, row++, 1, 1, 2);
    };
    addRow("Interpolator", m_interpolator);
    addRow("Ausgabegruppe (Spektren)", m_targetGroup);
    addRow("Ausgabegruppe (Helligkeiten)", m_lightnessGroup);
    addRow("Ausgabegruppe (Messwerte)", m_measuresGroup);
    addRow("Anzahl", m_specCount);
    grid->addWidget(new QLabel("Helligkeitsreihenmessung", Content()), row, 0);
    grid->addWidget(m_series, row, 1);
    grid->addWidget(m_ledIndex, row++, 2);
    addRow("Intervall (ms)", m_interval);
    grid->addWidget(m_create, row++, 0, 1, 3);

    QObject::connect(m_connect, &QPushButton::clicked, this, &CLumirefCommForm::OnConnect);
    QObject::connect(m_disconnect, &QPushButton::clicked, this, &CLumirefCommForm::OnDisconnect);
    QObject::connect(m_create, &QPushButton::clicked, this, &CLumirefCommForm::OnCreateValues);
}

void CLumirefCommForm::InitModuleEditor()
{
    m_display->SetOwnerForm(this);
    if (auto* module = dynamic_cast<LumirefCommModule*>(GetModule())) {
        // The events object goes with the module, this form's connections with the form.
        LumirefCommEvents* events = module->Events();
        QObject::connect(events, &LumirefCommEvents::TableRead, this, &CLumirefCommForm::ShowTable,
                         Qt::UniqueConnection);
        QObject::connect(events, &LumirefCommEvents::ValuesRead, this, &CLumirefCommForm::ShowValues,
                         Qt::UniqueConnection);
        QObject::connect(events, &LumirefCommEvents::LinkChanged, this, &CLumirefCommForm::UpdateButtons,
                         Qt::UniqueConnection);
        if (module->IsConnected())
            ShowTable(module->ParameterNames(), module->ParameterValues(), module->ReadOnlyFlags());
    }
    UpdateButtons();
    m_interpolator->SetCanDropSpecs(true);
    m_targetGroup->SetCanDropGroup(true);
}

void CLumirefCommForm::ShowTable(const std::vector<std::string>& names, const std::vector<double>& values,
                                 const std::vector<bool>& readOnly)
{
    m_display->names = names;
    m_display->values = values;
    m_display->readOnly = readOnly;
    m_display->UpdateScrollInfo();
    m_display->viewport()->update();
}

void CLumirefCommForm::ShowValues(const std::vector<double>& values)
{
    // Values of a table the display does not show are not its own.
    if (values.size() != m_display->names.size())
        return;
    m_display->values = values;
    m_display->viewport()->update();
}

void CLumirefCommForm::UpdateButtons()
{
    auto* module = dynamic_cast<LumirefCommModule*>(GetModule());
    const bool connected = module && module->IsConnected();
    QPushButton* on = connected ? m_disconnect : m_connect;
    QPushButton* off = connected ? m_connect : m_disconnect;
    on->setEnabled(module != nullptr);
    // The focus stays on the link buttons, so the form does not scroll away from the table.
    if (off->hasFocus() && on->isEnabled())
        on->setFocus();
    off->setEnabled(false);
}

void CLumirefCommForm::ExchangeFields(CDataExchange* pDX)
{
    Module* module = GetModule();
    ns_param::Paramora& p = module->getParameters();
    calc::ExchangeString(pDX, m_port, p, "COMPort");
    calc::ExchangeString(pDX, m_interpolator, p, "InterpolatorSpecs");
    calc::ExchangeString(pDX, m_targetGroup, p, "TargetGroup");
    calc::ExchangeString(pDX, m_lightnessGroup, p, "LightnessesTargetGroup");
    calc::ExchangeString(pDX, m_measuresGroup, p, "MeasuresTargetGroup");
    DDX_Text(pDX, m_specCount, *p.getIntParameter("SpecCount"));
    calc::ExchangeCheck(pDX, m_series, p, "LightnessSeries");
    DDX_Text(pDX, m_ledIndex, *p.getIntParameter("LEDIndex"));
    DDX_Text(pDX, m_interval, *p.getIntParameter("MeasureInterval"));
}

void CLumirefCommForm::RunAndFollow(bool (Module::*operation)())
{
    // Events flow while the operation waits; the form may be gone afterwards.
    const QPointer<CLumirefCommForm> alive(this);
    RunOperation(operation);
    if (alive)
        UpdateButtons();
}

void CLumirefCommForm::OnConnect()
{
    RunAndFollow(static_cast<bool (Module::*)()>(&LumirefCommModule::connect));
}

void CLumirefCommForm::OnDisconnect()
{
    RunAndFollow(static_cast<bool (Module::*)()>(&LumirefCommModule::disconnect));
}

void CLumirefCommForm::OnCreateValues()
{
    RunAndFollow(static_cast<bool (Module::*)()>(&LumirefCommModule::create_values));
}
