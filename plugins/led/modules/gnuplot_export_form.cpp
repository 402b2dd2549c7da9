#include "modules/gnuplot_export_form.h"

#include "modules/gnuplot_export_module.h"

#include "core/selection_edit.h"
#include "platform/file_chooser.h"

#include <QGridLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>

IMPLEMENT_DYNCREATE(CGnuplotExportForm, CModuleEditor)

using led::Named;

CGnuplotExportForm::CGnuplotExportForm()
    : calc::CCalcForm(IDD, 360, 220)
{
    auto* grid = new QGridLayout(Content());
    m_objects = Named(new CSelectionEdit(Content()), IDC_OBJECTS);
    m_init = Named(new QPlainTextEdit(Content()), IDC_INIT);
    m_init->setLineWrapMode(QPlainTextEdit::NoWrap);
    m_init->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    m_init->setFixedHeight(72); // room for four lines: the form fits the editor pane
    m_style = Named(new QLineEdit(Content()), IDC_STYLE);
    m_save = Named(new QPushButton("Speichern", Content()), IDC_SAVE);
    int row = 0;
    grid->addWidget(new QLabel("Objekte", Content()), row++, 0);
    grid->addWidget(m_objects, row++, 0);
    grid->addWidget(new QLabel("Initialisierungssequenz", Content()), row++, 0);
    grid->addWidget(m_init, row++, 0);
    grid->addWidget(new QLabel("Anzeigeeinstellungen", Content()), row++, 0);
    grid->addWidget(m_style, row++, 0);
    grid->addWidget(m_save, row++, 0, Qt::AlignLeft);
    grid->setRowStretch(row, 1);
    connect(m_save, &QPushButton::clicked, this, &CGnuplotExportForm::OnSave);
}

CGnuplotExportForm::~CGnuplotExportForm() = default;

void CGnuplotExportForm::InitModuleEditor()
{
    m_objects->SetCanDropClipboardObjects(true);
}

void CGnuplotExportForm::ExchangeFields(CDataExchange* pDX)
{
    Module* module = GetModule();
    if (!module)
        return;
    ns_param::Paramora& p = module->getParameters();
    calc::ExchangeString(pDX, m_objects, p, "ClipboardObjectsDesc");
    std::string init = *p.getStringParameter("InitSequence");
    DDX_Text(pDX, m_init, init);
    p.setStringParameter("InitSequence", init);
    calc::ExchangeString(pDX, m_style, p, "ViewSettings");
}

void CGnuplotExportForm::OnSave()
{
    auto* module = dynamic_cast<GnuplotExportModule*>(GetModule());
    if (!module || module->IsRunning() || !UpdateData(true))
        return;
    const QString name = platform::GetFileChooser().GetSaveFileName(this, QString(), QString(), QString());
    if (name.isEmpty())
        return;
    module->getParameters().setStringParameter("Filename", name.toStdString());
    calc::RunBracketed(module, static_cast<bool (Module::*)()>(&GnuplotExportModule::do_export));
}
