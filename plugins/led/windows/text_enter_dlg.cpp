#include "windows/text_enter_dlg.h"

#include "platform/prompter.h"

#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

CTextEnterDlg::CTextEnterDlg(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("24003"));
    setWindowTitle(QStringLiteral("Eingabe"));
    m_prompt = new QLabel(QStringLiteral("Statisch"), this);
    m_prompt->setObjectName(QString::number(IDC_PROMPT));
    m_text = new QLineEdit(this);
    m_text->setObjectName(QString::number(IDC_TEXT));
    auto* cancel = new QPushButton(QStringLiteral("Abbrechen"), this);
    cancel->setObjectName(QStringLiteral("2"));
    auto* ok = new QPushButton(QStringLiteral("OK"), this);
    ok->setObjectName(QStringLiteral("1"));
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, &CTextEnterDlg::accept);
    connect(cancel, &QPushButton::clicked, this, &CTextEnterDlg::reject);
    auto* grid = new QGridLayout(this);
    grid->addWidget(m_prompt, 0, 0, 1, 2);
    grid->addWidget(m_text, 1, 0, 1, 2);
    grid->addWidget(cancel, 2, 0);
    grid->addWidget(ok, 2, 1);
    resize(300, 100);
}

CTextEnterDlg::~CTextEnterDlg() = default;

void CTextEnterDlg::DoDataExchange(CDataExchange* pDX)
{
    if (!pDX->m_bSaveAndValidate)
        m_prompt->setText(QString::fromStdString(prompt));
    DDX_Text(pDX, m_text, text);
}

int CTextEnterDlg::DoModal()
{
    UpdateData(false);
    return platform::GetPrompter().RunModal(*this);
}

void CTextEnterDlg::accept()
{
    if (UpdateData(true))
        QDialog::accept();
}

void AskText(const std::string& prompt, std::string& text)
{
    CTextEnterDlg dlg;
    dlg.prompt = prompt;
    dlg.text = text;
    if (dlg.DoModal() == QDialog::Accepted)
        text = dlg.text;
}

std::string AskText(const std::string& prompt)
{
    std::string text;
    AskText(prompt, text);
    return text;
}
