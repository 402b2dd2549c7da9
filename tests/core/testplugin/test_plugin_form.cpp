#include "test_plugin_form.h"

#include "test_plugin_modules.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QVBoxLayout>

IMPLEMENT_DYNCREATE(CTestPluginForm, CModuleEditor)

CTestPluginFormSelectionEdit::~CTestPluginFormSelectionEdit() = default;

void CTestPluginFormSelectionEdit::OnDropSpecs(const std::string& names)
{
    ++drops;
    CSelectionEdit::OnDropSpecs(names);
}

CTestPluginForm::CTestPluginForm()
    : CModuleEditor(IDD)
{
    auto* layout = new QVBoxLayout(this);
    auto* inputs = new QGroupBox("Eingabe", this);
    auto* inputLayout = new QVBoxLayout(inputs);
    m_specDesc = new CTestPluginFormSelectionEdit(inputs);
    m_specDesc->setObjectName("SpecDesc");
    inputLayout->addWidget(m_specDesc);
    layout->addWidget(inputs);

    auto* fields = new QFormLayout;
    m_count = new QLineEdit(this);
    m_count->setObjectName("Count");
    m_factor = new QLineEdit(this);
    m_factor->setObjectName("Factor");
    m_enabled = new QCheckBox("Aktiv", this);
    m_enabled->setObjectName("Enabled");
    m_mode = new QComboBox(this);
    m_mode->setObjectName("Mode");
    fields->addRow("Anzahl", m_count);
    fields->addRow("Faktor", m_factor);
    fields->addRow(m_enabled);
    fields->addRow("Modus", m_mode);
    layout->addLayout(fields);
}

CTestPluginForm::~CTestPluginForm() = default;

void CTestPluginForm::InitModuleEditor()
{
    m_specDesc->SetCanDropSpecs(true);
    m_specDesc->SetCanDropGroup(true);
    platform::FillComboBox(m_mode, TestSourceModule::ModeEntries());
    UpdateData(false);
}

void CTestPluginForm::DoDataExchange(CDataExchange* pDX)
{
    CModuleEditor::DoDataExchange(pDX);
    Module* module = GetModule();
    if (!module)
        return;
    ns_param::Paramora& p = module->getParameters();

    std::string specDesc = *p.getStringParameter("SpecDesc");
    DDX_Text(pDX, m_specDesc, specDesc);
    p.setStringParameter("SpecDesc", specDesc);

    int count = *p.getIntParameter("Count");
    DDX_Text(pDX, m_count, count);
    DDV_MinMaxInt(pDX, count, 0, 100);
    p.setIntParameter("Count", count);

    double factor = *p.getDoubleParameter("Factor");
    DDX_Text(pDX, m_factor, factor);
    p.setDoubleParameter("Factor", factor);

    bool enabled = *p.getBoolParameter("Enabled");
    DDX_Check(pDX, m_enabled, enabled);
    p.setBoolParameter("Enabled", enabled);

    DDX_CBIndex(pDX, m_mode, *p.getEnumParameter("Mode"));
}
