#include "windows/param_db_load_save_dlg.h"

#include "core/widget_names.h"

#include "engine/param_container_set.h"
#include "platform/file_chooser.h"
#include "platform/prompter.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

namespace {

using calc::Named;

} // namespace

CParamDBLoadSaveDlg::CParamDBLoadSaveDlg(bool save, QWidget* parent) : QDialog(parent), saveMode(save)
{
    setObjectName(QStringLiteral("24012"));
    setWindowTitle(QString());
    m_fileOption = Named(new QRadioButton(QStringLiteral("Datei"), this), IDC_FILEOPTION);
    m_tableOption = Named(new QRadioButton(QStringLiteral("ODBC"), this), IDC_TABLEOPTION);
    auto* ok = Named(new QPushButton(QStringLiteral("OK"), this), 1);
    auto* cancel = Named(new QPushButton(QStringLiteral("Abbrechen"), this), 2);
    ok->setDefault(true);

    auto* fileBox = new QGroupBox(QStringLiteral("Datei-Einstellungen"), this);
    m_filePath = Named(new QLineEdit(fileBox), IDC_FILEPATH);
    m_browse = Named(new QPushButton(QStringLiteral("Durchsuchen..."), fileBox), IDC_BROWSE);
    auto* fileGrid = new QGridLayout(fileBox);
    fileGrid->addWidget(new QLabel(QStringLiteral("Dateiname"), fileBox), 0, 0);
    fileGrid->addWidget(m_filePath, 0, 1);
    fileGrid->addWidget(m_browse, 0, 2);

    auto* tableBox = new QGroupBox(QStringLiteral("ODBC-Einstellungen"), this);
    m_dataSource = Named(new QLineEdit(tableBox), IDC_DATASOURCE);
    m_tableName = Named(new QLineEdit(tableBox), IDC_TABLENAME);
    auto* tableGrid = new QGridLayout(tableBox);
    tableGrid->addWidget(new QLabel(QStringLiteral("ODBC-Quelle"), tableBox), 0, 0);
    tableGrid->addWidget(m_dataSource, 0, 1);
    tableGrid->addWidget(new QLabel(QStringLiteral("Tabelle"), tableBox), 1, 0);
    tableGrid->addWidget(m_tableName, 1, 1);

    auto* grid = new QGridLayout(this);
    grid->addWidget(m_fileOption, 0, 0, 1, 2);
    grid->addWidget(m_tableOption, 1, 0, 1, 2);
    grid->addWidget(fileBox, 2, 0, 1, 4);
    grid->addWidget(tableBox, 3, 0, 1, 4);
    grid->addWidget(ok, 4, 2);
    grid->addWidget(cancel, 4, 3);

    connect(m_fileOption, &QRadioButton::clicked, this, &CParamDBLoadSaveDlg::OnFileOption);
    connect(m_tableOption, &QRadioButton::clicked, this, &CParamDBLoadSaveDlg::OnDataTableOption);
    connect(m_browse, &QPushButton::clicked, this, &CParamDBLoadSaveDlg::OnBrowse);
    connect(ok, &QPushButton::clicked, this, &CParamDBLoadSaveDlg::accept);
    connect(cancel, &QPushButton::clicked, this, &CParamDBLoadSaveDlg::reject);
    resize(420, 260);
}

CParamDBLoadSaveDlg::~CParamDBLoadSaveDlg() = default;

CParamDBLoadSaveDlg::Remembered& CParamDBLoadSaveDlg::GetRemembered()
{
    static Remembered remembered;
    return remembered;
}

void CParamDBLoadSaveDlg::DoDataExchange(CDataExchange* pDX)
{
    DDX_Text(pDX, m_filePath, filePath);
    DDX_Text(pDX, m_dataSource, dataSource);
    DDX_Text(pDX, m_tableName, tableName);
}

void CParamDBLoadSaveDlg::OnInitDialog()
{
    if (saveMode) {
        m_fileOption->setText(QStringLiteral("Daten in eine Datei speichern"));
        m_tableOption->setText(QStringLiteral("Daten in eine ODBC-Datentabelle exportieren"));
    } else {
        m_fileOption->setText(QStringLiteral("Daten aus einer Datei laden"));
        m_tableOption->setText(QStringLiteral("Daten aus einer ODBC-Datentabelle importieren"));
    }
    EnableControls();
    (useFile ? m_fileOption : m_tableOption)->setChecked(true);
    UpdateData(false);
}

int CParamDBLoadSaveDlg::DoModal()
{
    OnInitDialog();
    return platform::GetPrompter().RunModal(*this);
}

void CParamDBLoadSaveDlg::EnableControls()
{
    m_filePath->setEnabled(useFile);
    m_browse->setEnabled(useFile);
    m_dataSource->setEnabled(!useFile);
    m_tableName->setEnabled(!useFile);
}

void CParamDBLoadSaveDlg::OnFileOption()
{
    useFile = true;
    EnableControls();
}

void CParamDBLoadSaveDlg::OnDataTableOption()
{
    useFile = false;
    EnableControls();
}

void CParamDBLoadSaveDlg::OnBrowse()
{
    // The save chooser takes a new name and asks before overwriting; the open one lets a
    // missing name through, which the set's load then reports.
    platform::FileChooser& chooser = platform::GetFileChooser();
    const QString path = saveMode ? chooser.GetSaveFileName(this, QString(), QString(), QString())
                                  : chooser.GetOpenFileNameUnchecked(this, QString(), QString(), QString());
    if (path.isEmpty())
        return;
    UpdateData(true); // keep what was typed into the other fields
    filePath = path.toStdString();
    UpdateData(false);
}

void CParamDBLoadSaveDlg::accept()
{
    if (UpdateData(true))
        QDialog::accept();
}

bool CParamDBLoadSaveDlg::RunFlow(ParamContainerSet& set, bool save)
{
    Remembered& remembered = GetRemembered();
    CParamDBLoadSaveDlg dlg(save);
    dlg.filePath = remembered.filePath;
    dlg.dataSource = remembered.dataSource;
    dlg.tableName = remembered.tableName;
    dlg.useFile = remembered.useFile;
    if (dlg.DoModal() != QDialog::Accepted)
        return false;
    remembered.filePath = dlg.filePath;
    remembered.dataSource = dlg.dataSource;
    remembered.tableName = dlg.tableName;
    remembered.useFile = dlg.useFile;
    if (dlg.useFile) {
        if (save)
            set.SaveToFile(dlg.filePath);
        else
            set.LoadFromFile(dlg.filePath);
    } else {
        if (save)
            set.SaveToDataTable(dlg.dataSource, dlg.tableName);
        else
            set.LoadFromDataTable(dlg.dataSource, dlg.tableName);
    }
    return true;
}

bool CParamDBLoadSaveDlg::LoadFlow(ParamContainerSet& set)
{
    return RunFlow(set, false);
}

bool CParamDBLoadSaveDlg::SaveFlow(ParamContainerSet& set)
{
    return RunFlow(set, true);
}
