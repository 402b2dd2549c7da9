#include "windows/view_settings_dlg.h"

#include "platform/prompter.h"

#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>

CViewSettingsDlg::CViewSettingsDlg(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("24004"));
    setWindowTitle(QStringLiteral("Anzeige-/Auswahl-Einstellungen"));
    QFont f = font();
    f.setFamilies({QStringLiteral("Segoe UI"), QStringLiteral("DejaVu Sans")});
    f.setPointSize(8);
    setFont(f);

    m_keyList = new QListWidget(this);
    m_keyList->setObjectName(QString::number(IDC_KEYLIST));
    m_keyList->setSelectionMode(QAbstractItemView::MultiSelection);
    m_condition = new QLineEdit(this);
    m_condition->setObjectName(QString::number(IDC_CONDITION));
    auto* cancel = new QPushButton(QStringLiteral("Abbrechen"), this);
    cancel->setObjectName(QStringLiteral("2"));
    auto* ok = new QPushButton(QStringLiteral("OK"), this);
    ok->setObjectName(QStringLiteral("1"));
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, &CViewSettingsDlg::accept);
    connect(cancel, &QPushButton::clicked, this, &CViewSettingsDlg::reject);

    auto* grid = new QGridLayout(this);
    grid->addWidget(new QLabel(QStringLiteral("Angezeigte Spalten"), this), 0, 0, 1, 2);
    grid->addWidget(m_keyList, 1, 0, 1, 2);
    grid->addWidget(new QLabel(QStringLiteral("Anzeige-/Auswahl-Bedingung"), this), 2, 0, 1, 2);
    grid->addWidget(m_condition, 3, 0, 1, 2);
    grid->addWidget(cancel, 4, 0);
    grid->addWidget(ok, 4, 1);
    resize(260, 320);
}

CViewSettingsDlg::~CViewSettingsDlg() = default;

void CViewSettingsDlg::DoDataExchange(CDataExchange* pDX)
{
    DDX_Text(pDX, m_condition, condition);
}

void CViewSettingsDlg::OnInitDialog()
{
    m_keyList->clear();
    for (const std::string& key : allKeys) {
        auto* item = new QListWidgetItem(QString::fromStdString(key), m_keyList);
        item->setSelected(visibleKeys.count(key) != 0);
    }
    UpdateData(false);
    m_keyList->setFocus();
}

int CViewSettingsDlg::DoModal()
{
    OnInitDialog();
    return platform::GetPrompter().RunModal(*this);
}

void CViewSettingsDlg::accept()
{
    if (UpdateData(true))
        QDialog::accept();
}

void CViewSettingsDlg::done(int result)
{
    // However the dialog ends, the selection becomes the visible keys; callers use it only
    // after "OK".
    visibleKeys.clear();
    for (int i = 0; i < m_keyList->count(); ++i)
        if (m_keyList->item(i)->isSelected())
            visibleKeys.insert(m_keyList->item(i)->text().toStdString());
    QDialog::done(result);
}
