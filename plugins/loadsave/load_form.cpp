#include "load_form.h"

#include "form_rules.h"
#include "form_widgets.h"
#include "load_module_base.h"
#include "messages.h"
#include "module_support.h"

#include "core/calculation_guard.h"
#include "core/module_interface.h"
#include "core/selection_edit.h"
#include "platform/file_chooser.h"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

using namespace loadsave;

IMPLEMENT_DYNCREATE(LoadForm, CModuleEditor)

LoadForm::LoadForm()
    : CModuleEditor(IDD)
{
    // The controls down to the wavelength factor need 376 pixels, more when the description
    // needs more than its 190; a lower pane scrolls.
    QWidget* page = NewScrolledPage(this, QSize(456, 376), [this](QSize size) {
        PlaceSelectionRow(size, m_preName, m_load);
        if (m_descriptionBlock)
            m_descriptionBlock->Fit();
    });
    m_preNameLabel = Named(new QLabel(QStringLiteral("Speichern in Gruppe"), page), "PreNameLabel");
    m_preName = Named(new CSelectionEdit(page), "PreName");
    m_load = Named(new QPushButton(QStringLiteral("LADEN"), page), "Load");
    m_description = NewDescriptionLabel(page);
    m_separatorLabel = Named(new QLabel(QStringLiteral("Trennzeichen"), page), "SeparatorLabel");
    m_separator = Named(new QLineEdit(page), "Trennzeichen");
    m_separator->setToolTip(QStringLiteral("Ein oder mehrere Trennzeichen; \"\\t\" steht für den Tabulator, leer für Leerzeichen und Tabulatoren."));
    m_baseNameLabel = Named(new QLabel(QStringLiteral("Objektname"), page), "ObjBaseNameLabel");
    m_baseName = Named(new QLineEdit(page), "ObjBaseName");
    m_namesFromFile =
        Named(new QCheckBox(QStringLiteral("Spektrennamen aus optionaler Datenzeile übernehmen"), page),
              "UseNamesFromFile");
    m_factorLabel = Named(new QLabel(QStringLiteral("Wellenlängen-Normierungsfaktor [->nm]"), page),
                          "WavelengthNorm2nmLabel");
    m_factor = Named(new QLineEdit(page), "WavelengthNorm2nm");

    m_preNameLabel->setGeometry(10, 8, 300, 18);
    m_separatorLabel->setGeometry(10, 262, 200, 20);
    m_separator->setGeometry(220, 260, 80, 22);
    m_baseNameLabel->setGeometry(10, 290, 200, 20);
    m_baseName->setGeometry(220, 288, 200, 22);
    m_namesFromFile->setGeometry(10, 318, 440, 22);
    m_factorLabel->setGeometry(10, 348, 240, 20);
    m_factor->setGeometry(260, 346, 120, 22);
    m_descriptionBlock = std::make_unique<DescriptionBlock>(page, m_description, QRect(10, 62, 640, 190), 376);
    m_descriptionBlock->AddBelow({m_separatorLabel, m_separator, m_baseNameLabel, m_baseName, m_namesFromFile,
                                  m_factorLabel, m_factor});
    m_load->resize(80, 24);
    setMinimumSize(456, 180);

    // Groups dropped from either tree name the target group.
    m_preName->SetCanDropGroup(true);
    m_preName->SetCanDropClipboardGroup(true);
    connect(m_load, &QPushButton::clicked, this, &LoadForm::OnLoad);
}

LoadForm::~LoadForm() = default;

LoadModuleBase* LoadForm::Loader() const { return dynamic_cast<LoadModuleBase*>(GetModule()); }

void LoadForm::InitModuleEditor()
{
    LoadModuleBase* loader = Loader();
    if (!loader)
        return;
    std::string extensions;
    std::string description;
    bool separatorUsed = false;
    bool baseNameUsed = false;
    bool namesOffered = false;
    loader->GetFileDescription(extensions, description, &separatorUsed, &baseNameUsed, &namesOffered);
    const LoadFormView view = LoadFormRules(extensions, description, separatorUsed, baseNameUsed, namesOffered);

    m_baseNameLabel->setText(QString::fromStdString(view.baseNameLabel));
    m_factor->setVisible(view.factorShown);
    m_factorLabel->setVisible(view.factorShown);
    m_descriptionText = view.description;
    m_separator->setVisible(view.separatorShown);
    m_separatorLabel->setVisible(view.separatorShown);
    m_baseName->setVisible(view.baseNameShown);
    m_baseNameLabel->setVisible(view.baseNameShown);
    m_namesFromFile->setVisible(view.namesFromFileShown);
    UpdateData(false);
}

void LoadForm::DoDataExchange(CDataExchange* pDX)
{
    CModuleEditor::DoDataExchange(pDX);
    Module* module = GetModule();
    if (!module)
        return;
    ns_param::Paramora& p = module->getParameters();

    if (!pDX->m_bSaveAndValidate) {
        m_description->setText(DisplayText(m_descriptionText));
        m_descriptionBlock->Fit();
    }

    std::string preName = *p.getStringParameter("PreName");
    std::string separator = *p.getStringParameter("Trennzeichen");
    DDX_Text(pDX, m_preName, preName);
    DDX_Text(pDX, m_separator, separator);
    p.setStringParameter("PreName", preName);
    p.setStringParameter("Trennzeichen", separator);

    std::string baseName = *p.getStringParameter("ObjBaseName");
    DDX_Text(pDX, m_baseName, baseName);
    p.setStringParameter("ObjBaseName", baseName);

    bool useNames = *p.getBoolParameter("UseNamesFromFile");
    DDX_Check(pDX, m_namesFromFile, useNames);
    p.setBoolParameter("UseNamesFromFile", useNames);

    double factor = *p.getDoubleParameter("WavelengthNorm2nm");
    DDX_Text(pDX, m_factor, factor);
    DDV_MinMaxDouble(pDX, factor, 0.0, 1000000.0);
    p.setDoubleParameter("WavelengthNorm2nm", factor);
}

void LoadForm::OnLoad()
{
    if (!UpdateData(true))
        return;
    LoadModuleBase* loader = Loader();
    ModuleInterface* host = loader ? loader->GetModuleInterface() : nullptr;
    if (!host)
        return;
    std::string extensions;
    std::string description;
    loader->GetFileDescription(extensions, description, nullptr, nullptr, nullptr);
    const QStringList files = platform::GetFileChooser().GetOpenFileNames(
        this, QString(), QString(), QtFileFilter(FileFilter(description, extensions)));
    if (files.isEmpty())
        return;

    const CalculationGuard calculation(host);
    for (const QString& file : files) {
        const std::string path = file.toStdString();
        const std::string* preName = loader->getParameters().getStringParameter("PreName");
        if (loader->Load(path, preName ? *preName : std::string()))
            host->AddLogMessage("%s", msg::FileLoaded(path).c_str());
        else
            host->AddLogColorMessage(msg::kErrorColour, "%s", msg::FileNotLoaded(path).c_str());
    }
}
