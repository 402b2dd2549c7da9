#include "script/compiler_form.h"

#include "script/compiler_form_rules.h"
#include "script/mervolt.h"
#include "script/script_file.h"
#include "script/syntax_edit.h"

#include "core/calculation_guard.h"
#include "core/module_interface.h"
#include "core/widget_names.h"
#include "platform/file_chooser.h"
#include "platform/prompter.h"

#include <QCheckBox>
#include <QDir>
#include <QGroupBox>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QScopeGuard>
#include <QScrollArea>
#include <QScrollBar>
#include <QStyle>
#include <QVBoxLayout>

#include <exception>

IMPLEMENT_DYNCREATE(CCompilerForm, CModuleEditor)

namespace {

using calc::Named;

QString FileMessage(const QString& path, const char* what)
{
    return QStringLiteral("Die Datei '") + QDir::toNativeSeparators(path) + QStringLiteral("' kann nicht ") +
           QString::fromUtf8(what) + QStringLiteral(" werden.");
}

} // namespace

CCompilerForm::CCompilerForm()
    : CModuleEditor(IDD)
{
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    m_scroll = new QScrollArea(this);
    m_scroll->setFrameShape(QFrame::NoFrame);
    m_scroll->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    m_content = new QWidget;
    m_scroll->setWidget(m_content);
    layout->addWidget(m_scroll);

    QWidget* c = m_content;
    m_group = Named(new QGroupBox(QStringLiteral("SCRIPT"), c), IDC_GROUP);
    m_description = Named(new QLabel(QStringLiteral("Info"), c), IDC_DESCRIPTION);
    m_description->setWordWrap(true);
    m_help = Named(new QLabel(QStringLiteral("Info"), c), IDC_HELP);
    m_help->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    m_help->setTextFormat(Qt::PlainText);
    m_edit = Named(new CSyntaxEdit(c), IDC_EDIT);
    m_edit->SetOwner(this);
    m_status = Named(new QLabel(QStringLiteral("Statisch"), c), IDC_STATUS);
    m_status->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    m_status->setAutoFillBackground(true); // it lies over the help text's first line
    m_run = Named(new QPushButton(QStringLiteral("AUSFÜHREN"), c), IDC_RUN);
    m_load = Named(new QPushButton(QStringLiteral("SKRIPT\nLADEN"), c), IDC_LOAD);
    m_save = Named(new QPushButton(QStringLiteral("SKRIPT SPEICHERN"), c), IDC_SAVE);
    m_demo = Named(new QPushButton(QStringLiteral("DEMO- \nSKRIPT"), c), IDC_DEMO);
    m_smartError = Named(new QCheckBox(QStringLiteral("SmartError"), c), IDC_SMARTERROR);
    m_clipping = Named(new QCheckBox(QStringLiteral("Clipping"), c), IDC_CLIPPING);

    connect(m_run, &QPushButton::clicked, this, &CCompilerForm::OnRun);
    connect(m_load, &QPushButton::clicked, this, &CCompilerForm::OnLoad);
    connect(m_save, &QPushButton::clicked, this, &CCompilerForm::OnSave);
    connect(m_demo, &QPushButton::clicked, this, &CCompilerForm::OnDemo);
    connect(m_edit, &QPlainTextEdit::textChanged, m_edit, &CSyntaxEdit::Recolour);
    ApplyLayout();
}

CCompilerForm::~CCompilerForm() = default;

void CCompilerForm::InitModuleEditor()
{
    m_description->setText(QString::fromUtf8(script::kDescription));
    m_help->setText(script::CompilerHelpText());
    UpdateData(false);
    ShowStatus();
    m_edit->Reset();
}

void CCompilerForm::ShowStatus()
{
    m_status->setText(m_edit->GetCaretText());
}

void CCompilerForm::DoDataExchange(CDataExchange* pDX)
{
    CModuleEditor::DoDataExchange(pDX);
    Module* module = GetModule();
    if (!module)
        return;
    ns_param::Paramora& p = module->getParameters();
    std::string source = *p.getStringParameter("SourceCode");
    bool clipping = *p.getBoolParameter("Clipping");
    bool smartError = *p.getBoolParameter("SmartError");
    DDX_Text(pDX, m_edit, source);
    DDX_Check(pDX, m_clipping, clipping);
    DDX_Check(pDX, m_smartError, smartError);
    p.setStringParameter("SourceCode", source);
    p.setBoolParameter("Clipping", clipping);
    p.setBoolParameter("SmartError", smartError);
    m_edit->Recolour();
}

void CCompilerForm::OnRun()
{
    auto* module = dynamic_cast<Mervolt*>(GetModule());
    if (!module || module->IsRunning() || !UpdateData(true))
        return;
    // Events flow while the script runs: the form may be gone afterwards, the host is not.
    ModuleInterface* host = module->GetModuleInterface();
    const QPointer<CCompilerForm> alive(this);
    // Both end on every way out: the controls come back first (if the form is still there),
    // then the calculation ends.
    const CalculationGuard calculation(host);
    m_run->setEnabled(false);
    m_edit->setEnabled(false);
    const auto controlsBack = qScopeGuard([this, &alive] {
        if (alive) {
            m_edit->setEnabled(true);
            m_run->setEnabled(true);
        }
    });
    try {
        module->Compile();
        module->Interprete(); // also after a failed compile: it reports that nothing was compiled
    } catch (const std::exception& e) {
        if (host)
            host->AddLogColorMessage(0x000070, "Fehler: %s", e.what());
    }
}

void CCompilerForm::OnLoad()
{
    Module* module = GetModule();
    if (!module || !UpdateData(true))
        return;
    const QString path = platform::GetFileChooser().GetOpenFileName(this, QString(), QString::fromUtf8(kPattern),
                                                                    QString::fromUtf8(kFilter));
    if (path.isEmpty())
        return;
    std::string text;
    if (!script::LoadScriptFile(path.toStdString(), text)) {
        platform::ShowMessage(this, QStringLiteral("Fehler"), FileMessage(path, "gelesen"),
                              platform::PromptIcon::Error);
        return;
    }
    module->getParameters().setStringParameter("SourceCode", text);
    m_edit->Reset();
    UpdateData(false);
}

void CCompilerForm::OnSave()
{
    Module* module = GetModule();
    if (!module || !UpdateData(true))
        return;
    const QString path = platform::GetFileChooser().GetSaveFileName(this, QString(), QString::fromUtf8(kPattern),
                                                                    QString::fromUtf8(kFilter));
    if (path.isEmpty())
        return;
    if (!script::SaveScriptFile(path.toStdString(), *module->getParameters().getStringParameter("SourceCode")))
        platform::ShowMessage(this, QStringLiteral("Fehler"), FileMessage(path, "geschrieben"),
                              platform::PromptIcon::Error);
}

void CCompilerForm::OnDemo()
{
    Module* module = GetModule();
    if (!module)
        return;
    m_run->setEnabled(false);
    module->getParameters().setStringParameter("SourceCode", script::DemoScript());
    m_edit->Reset();
    UpdateData(false);
    m_run->setEnabled(true);
}

void CCompilerForm::resizeEvent(QResizeEvent* event)
{
    CModuleEditor::resizeEvent(event);
    ApplyLayout();
}

void CCompilerForm::ApplyLayout()
{
    const int bar = style()->pixelMetric(QStyle::PM_ScrollBarExtent);
    const QSize area(width() - bar, height());
    const script::CompilerFormRects r = script::CompilerFormLayout(area);
    m_description->setGeometry(10, 4, r.edit.width(), r.edit.y() - 6);
    m_edit->setGeometry(r.edit);
    m_status->setGeometry(r.status);
    m_help->setGeometry(r.help);
    m_group->setGeometry(r.group);
    m_run->setGeometry(r.run);
    m_load->setGeometry(r.load);
    m_save->setGeometry(r.save);
    m_demo->setGeometry(r.demo);
    m_smartError->setGeometry(r.smartError);
    m_clipping->setGeometry(r.clipping);
    // The status line lies over the help text's top right corner; it stays readable.
    m_status->raise();
    QRect all;
    for (QWidget* w : m_content->findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
        all |= w->geometry();
    m_content->resize(std::max(area.width(), all.right() + 11), std::max(area.height(), all.bottom() + 11));
}

