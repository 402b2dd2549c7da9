#include "modules/led_data_edit_form.h"

#include "modules/led_data_edit_module.h"

#include "core/selection_edit.h"

#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

IMPLEMENT_DYNCREATE(CLEDDataEditForm, CModuleEditor)

using led::Named;

CLEDDataEditForm::CLEDDataEditForm()
    : led::CLEDForm(IDD)
{
    auto* grid = new QGridLayout(this);
    m_leds = Named(new CSelectionEdit(this), 6653);
    m_import = Named(new QPushButton("IMPORT", this), 6657);
    m_condition = Named(new QLineEdit(this), 24007);
    m_group = Named(new CSelectionEdit(this), 6651);
    m_export = Named(new QPushButton("EXPORT", this), 6652);
    m_erase = Named(new QPushButton("ERASE", this), 6658);

    int row = 0;
    grid->addWidget(new QLabel("LED-Parameter-Eingabe", this), row++, 0, 1, 2);
    grid->addWidget(m_leds, row, 0);
    grid->addWidget(m_import, row++, 1);
    grid->addWidget(new QLabel("Auswahlfilter", this), row++, 0, 1, 2);
    grid->addWidget(m_condition, row++, 0, 1, 2);
    m_listRow = row++;
    grid->addWidget(new QLabel("Auswahl speichern in Gruppe...", this), row++, 0, 1, 2);
    grid->addWidget(m_group, row, 0);
    grid->addWidget(m_export, row++, 1);
    grid->addWidget(m_erase, row++, 1);
    grid->setRowStretch(m_listRow, 1);

    connect(m_condition, &QLineEdit::textChanged, this, &CLEDDataEditForm::OnChangeCondition);
    connect(m_export, &QPushButton::clicked, this, &CLEDDataEditForm::OnExport);
    connect(m_import, &QPushButton::clicked, this, &CLEDDataEditForm::OnImport);
    connect(m_erase, &QPushButton::clicked, this, &CLEDDataEditForm::OnErase);
}

CLEDDataEditForm::~CLEDDataEditForm() = default;

void CLEDDataEditForm::InitModuleEditor()
{
    auto* module = dynamic_cast<LEDDataEditModule*>(GetModule());
    m_list = module ? &module->GetLEDList() : nullptr;
    m_group->SetCanDropClipboardGroup(true);
    m_leds->SetCanDropClipboardObjects(true);
    UpdateData(true);
    OnChangeCondition();
}

void CLEDDataEditForm::ExchangeFields(CDataExchange* pDX)
{
    ns_param::Paramora& p = GetModule()->getParameters();
    led::ExchangeString(pDX, m_condition, p, "ConditionString");
    led::ExchangeString(pDX, m_leds, p, "LEDsDesc");
    led::ExchangeString(pDX, m_group, p, "ClipboardTargetGroup");
}

void CLEDDataEditForm::AttachList()
{
}

void CLEDDataEditForm::OnChangeCondition()
{
    auto* module = dynamic_cast<LEDDataEditModule*>(GetModule());
    if (!module || !m_list || module->IsBusy())
        return;
    UpdateData(true);
    m_list->SetCondition(*module->getParameters().getStringParameter("ConditionString"));
    AttachList();
}

void CLEDDataEditForm::OnExport()
{
    RunOperation(static_cast<bool (LEDModuleBase::*)()>(&LEDDataEditModule::ExportList));
}

void CLEDDataEditForm::OnImport()
{
    if (RunOperation(static_cast<bool (LEDModuleBase::*)()>(&LEDDataEditModule::ImportList)))
        AttachList();
}

void CLEDDataEditForm::OnErase()
{
    if (RunOperation(static_cast<bool (LEDModuleBase::*)()>(&LEDDataEditModule::Erase)))
        AttachList();
}
