#include "modules/led_data_edit_form.h"

#include "modules/led_data_edit_module.h"

#include "windows/editor_win.h"
#include "windows/param_container_edit_wnd.h"

#include "core/selection_edit.h"

#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QSignalBlocker>
#include <QVBoxLayout>

IMPLEMENT_DYNCREATE(CLEDDataEditForm, CModuleEditor)

using led::Named;

CLEDDataEditForm::CLEDDataEditForm()
    : calc::CCalcForm(IDD, 520, 560)
{
    auto* grid = new QGridLayout(Content());
    m_leds = Named(new CSelectionEdit(Content()), IDC_LEDS);
    m_import = Named(new QPushButton("IMPORT", Content()), IDC_IMPORT);
    m_condition = Named(new QLineEdit(Content()), IDC_CONDITION);
    m_group = Named(new CSelectionEdit(Content()), IDC_GROUP);
    m_export = Named(new QPushButton("EXPORT", Content()), IDC_EXPORT);
    m_erase = Named(new QPushButton("ERASE", Content()), IDC_ERASE);
    m_editor = Named(new CEditorWin(Content()), IDC_EDITOR);
    m_recordPane = new CParamContainerEditWnd(Content());
    m_recordPane->setObjectName("CParamContainerEditWndCtrl");
    // The record pane sits 10 pixels below the list, as wide as it and 150 pixels high.
    auto* listColumn = new QVBoxLayout;
    listColumn->setSpacing(10);
    m_editor->setMinimumHeight(200);
    listColumn->addWidget(m_editor, 1);
    m_recordPane->setFixedHeight(150);
    listColumn->addWidget(m_recordPane);

    int row = 0;
    grid->addWidget(new QLabel("LED-Parameter-Eingabe", Content()), row++, 0, 1, 2);
    grid->addWidget(m_leds, row, 0);
    grid->addWidget(m_import, row++, 1);
    grid->addWidget(new QLabel("Auswahlfilter", Content()), row++, 0, 1, 2);
    grid->addWidget(m_condition, row++, 0, 1, 2);
    const int listRow = row++;
    grid->addLayout(listColumn, listRow, 0, 1, 2);
    grid->addWidget(new QLabel("Auswahl speichern in Gruppe...", Content()), row++, 0, 1, 2);
    grid->addWidget(m_group, row, 0);
    grid->addWidget(m_export, row++, 1);
    grid->addWidget(m_erase, row++, 1);
    grid->setRowStretch(listRow, 1);

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
    m_editor->SetHost(module ? module->GetModuleInterface() : nullptr);
    m_editor->SetParamContainerSet(m_list);
    m_editor->SetRecordEditor(m_recordPane);
    m_group->SetCanDropClipboardGroup(true);
    m_leds->SetCanDropClipboardObjects(true);
    m_recordPane->autoKeys = false;
    if (m_list)
        m_recordPane->SetKeys(m_list->GetKeys());
    UpdateData(true);
    OnChangeCondition();
}

void CLEDDataEditForm::ExchangeFields(CDataExchange* pDX)
{
    ns_param::Paramora& p = GetModule()->getParameters();
    const QString shownCondition = m_condition->text();
    {
        // Loading the condition must not run its edit handler, which would save the fields
        // not loaded yet over their parameters; the list takes a new condition below.
        const QSignalBlocker quiet(m_condition);
        calc::ExchangeString(pDX, m_condition, p, "ConditionString");
    }
    calc::ExchangeString(pDX, m_leds, p, "LEDsDesc");
    calc::ExchangeString(pDX, m_group, p, "ClipboardTargetGroup");
    if (!pDX->m_bSaveAndValidate && m_condition->text() != shownCondition)
        ApplyCondition();
}

void CLEDDataEditForm::AttachList()
{
    m_editor->SetParamContainerSet(m_list);
}

void CLEDDataEditForm::OnChangeCondition()
{
    auto* module = dynamic_cast<LEDDataEditModule*>(GetModule());
    if (!module || !m_list || module->IsRunning())
        return;
    UpdateData(true);
    ApplyCondition();
}

void CLEDDataEditForm::ApplyCondition()
{
    auto* module = dynamic_cast<LEDDataEditModule*>(GetModule());
    if (!module || !m_list || module->IsRunning())
        return;
    m_list->SetCondition(*module->getParameters().getStringParameter("ConditionString"));
    m_editor->SetRecordEditor(nullptr);
    m_editor->SetParamContainerSet(m_list);
    m_editor->SetColumnKeys(m_list->GetKeys());
    m_editor->SetRecordEditor(m_recordPane);
    m_recordPane->SetKeys(m_list->GetKeys());
}

void CLEDDataEditForm::OnExport()
{
    RunOperation(static_cast<bool (Module::*)()>(&LEDDataEditModule::ExportList));
}

void CLEDDataEditForm::OnImport()
{
    const QPointer<CLEDDataEditForm> alive(this);
    RunOperation(static_cast<bool (Module::*)()>(&LEDDataEditModule::ImportList));
    if (alive)
        AttachList();
}

void CLEDDataEditForm::OnErase()
{
    const QPointer<CLEDDataEditForm> alive(this);
    RunOperation(static_cast<bool (Module::*)()>(&LEDDataEditModule::Erase));
    if (alive)
        AttachList();
}
