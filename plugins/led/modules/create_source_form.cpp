#include "modules/create_source_form.h"

#include "modules/create_source_module.h"

#include "core/selection_edit.h"
#include "platform/file_chooser.h"

#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

IMPLEMENT_DYNCREATE(CCreateSourceForm, CModuleEditor)

using led::Named;

CCreateSourceForm::CCreateSourceForm()
    : calc::CCalcForm(IDD, 360, 260)
{
    auto* grid = new QGridLayout(Content());
    m_targets = Named(new CSelectionEdit(Content()), IDC_TARGETS);
    m_leds = Named(new CSelectionEdit(Content()), IDC_LEDS);
    m_interpolators = Named(new CSelectionEdit(Content()), IDC_INTERPOLATORS);
    m_fileName = Named(new QLineEdit(Content()), IDC_FILE_NAME);
    m_choose = Named(new QPushButton("Dateiauswahl", Content()), IDC_CHOOSE);
    m_save = Named(new QPushButton("Speichern", Content()), IDC_SAVE);
    int row = 0;
    const std::pair<const char*, QWidget*> fields[] = {
        {"Zielspektren", m_targets}, {"LED-Spektren", m_leds}, {"Interpolatoren", m_interpolators}};
    for (const auto& [label, field] : fields) {
        grid->addWidget(new QLabel(label, Content()), row++, 0, 1, 2);
        grid->addWidget(field, row++, 0, 1, 2);
    }
    grid->addWidget(new QLabel("Dateiname", Content()), row++, 0, 1, 2);
    grid->addWidget(m_fileName, row, 0);
    grid->addWidget(m_choose, row++, 1);
    grid->addWidget(m_save, row++, 0, Qt::AlignLeft);
    grid->setRowStretch(row, 1);
    connect(m_choose, &QPushButton::clicked, this, &CCreateSourceForm::OnChooseFile);
    connect(m_save, &QPushButton::clicked, this, &CCreateSourceForm::OnSave);
}

CCreateSourceForm::~CCreateSourceForm() = default;

void CCreateSourceForm::InitModuleEditor()
{
    for (CSelectionEdit* edit : {m_targets, m_leds, m_interpolators})
        edit->SetCanDropSpecs(true);
}

void CCreateSourceForm::ExchangeFields(CDataExchange* pDX)
{
    Module* module = GetModule();
    if (!module)
        return;
    ns_param::Paramora& p = module->getParameters();
    calc::ExchangeString(pDX, m_targets, p, "TargetSpecs");
    calc::ExchangeString(pDX, m_leds, p, "LEDSpecs");
    calc::ExchangeString(pDX, m_interpolators, p, "InterpolatorSpecs");
    calc::ExchangeString(pDX, m_fileName, p, "Filename");
}

void CCreateSourceForm::OnChooseFile()
{
    auto* module = dynamic_cast<CreateSourceModule*>(GetModule());
    if (!module || module->IsRunning())
        return;
    const QString name = platform::GetFileChooser().GetSaveFileName(this, QString(), QString(), QString());
    if (name.isEmpty())
        return;
    module->getParameters().setStringParameter("Filename", name.toStdString());
    UpdateData(false);
}

void CCreateSourceForm::OnSave()
{
    RunOperation(static_cast<bool (Module::*)()>(&CreateSourceModule::create_source));
}
