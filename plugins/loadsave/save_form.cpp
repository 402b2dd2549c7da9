#include "save_form.h"

#include "form_rules.h"
#include "form_widgets.h"
#include "messages.h"
#include "save_module_base.h"

#include "core/module_interface.h"
#include "core/selection_edit.h"
#include "platform/file_chooser.h"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

using namespace loadsave;

IMPLEMENT_DYNCREATE(SaveForm, CModuleEditor)

SaveForm::SaveForm()
    : CModuleEditor(IDD)
{
    // The controls down to the last check box need 412 pixels, more when the description needs
    // more than its 230; a lower pane scrolls.
    QWidget* page = NewScrolledPage(this, QSize(456, 412), [this](QSize size) {
        PlaceSelectionRow(size, m_selection, m_save);
        if (m_descriptionBlock)
            m_descriptionBlock->Fit();
    });
    m_dataLabel = Named(new QLabel(QStringLiteral("Zu speichernde Daten"), page), "DataLabel");
    m_selection = Named(new CSelectionEdit(page), "SpecListDesc");
    m_save = Named(new QPushButton(QStringLiteral("SPEICHERN"), page), "Save");
    m_description = NewDescriptionLabel(page);
    m_separatorLabel = Named(new QLabel(QStringLiteral("Trennzeichen"), page), "SeparatorLabel");
    m_separator = Named(new QLineEdit(page), "Trennzeichen");
    m_compact = Named(new QCheckBox(QStringLiteral("   kompaktes Speichern"), page), "CompactFile");
    m_noNames = Named(new QCheckBox(QStringLiteral("   ohne Namen speichern"), page), "NoNames");
    m_saveNames = Named(new QCheckBox(QStringLiteral("   Namen gesondert speichern"), page), "SaveNames");

    m_dataLabel->setGeometry(10, 8, 300, 18);
    m_separatorLabel->setGeometry(10, 302, 200, 20);
    m_separator->setGeometry(220, 300, 80, 22);
    m_compact->setGeometry(10, 330, 300, 22);
    m_noNames->setGeometry(10, 356, 300, 22);
    m_saveNames->setGeometry(10, 382, 300, 22);
    m_descriptionBlock = std::make_unique<DescriptionBlock>(page, m_description, QRect(10, 62, 640, 230), 412);
    m_descriptionBlock->AddBelow({m_separatorLabel, m_separator, m_compact, m_noNames, m_saveNames});
    m_save->resize(100, 24);
    setMinimumSize(456, 180);

    connect(m_save, &QPushButton::clicked, this, &SaveForm::OnSave);
    connect(m_compact, &QCheckBox::clicked, this, &SaveForm::OnCompactClicked);
}

SaveForm::~SaveForm() = default;

SaveModuleBase* SaveForm::Saver() const { return dynamic_cast<SaveModuleBase*>(GetModule()); }

void SaveForm::InitModuleEditor()
{
    SaveModuleBase* saver = Saver();
    if (!saver)
        return;
    std::string kind;
    saver->GetObjectKind(kind);
    const bool clipboard = kind != "Spektrenobjekte";
    m_selection->SetCanDropSpecs(!clipboard);
    m_selection->SetCanDropGroup(!clipboard);
    m_selection->SetCanDropClipboardObjects(clipboard);
    m_selection->SetCanDropClipboardGroup(clipboard);
    UpdateData(false);
    ApplyRules();
    m_save->setEnabled(true);
}

void SaveForm::ApplyRules()
{
    SaveModuleBase* saver = Saver();
    if (!saver)
        return;
    std::string extensions;
    std::string description;
    std::string kind;
    bool flags[4] = {false, false, false, false};
    saver->GetFileDescription(extensions, description, &flags[0], &flags[1], &flags[2], &flags[3]);
    saver->GetObjectKind(kind);
    const SaveFormView view =
        SaveFormRules(extensions, description, flags[0], kind, saver->GetName(), m_compact->isChecked());

    m_dataLabelText = view.dataLabel;
    m_descriptionText = view.description;
    m_dataLabel->setText(QString::fromStdString(view.dataLabel));
    m_description->setText(DisplayText(view.description));
    m_descriptionBlock->Fit();
    m_separator->setVisible(view.separatorShown);
    m_separatorLabel->setVisible(view.separatorShown);
    m_separator->setEnabled(view.separatorEnabled);
    m_separatorLabel->setEnabled(view.separatorEnabled);
    m_compact->setVisible(view.compactShown);
    m_noNames->setVisible(view.noNamesShown);
    m_noNames->setEnabled(view.noNamesEnabled);
    if (view.clearNoNames)
        m_noNames->setChecked(false);
    m_saveNames->setVisible(view.saveNamesShown);
}

void SaveForm::OnCompactClicked() { ApplyRules(); }

void SaveForm::DoDataExchange(CDataExchange* pDX)
{
    CModuleEditor::DoDataExchange(pDX);
    Module* module = GetModule();
    if (!module)
        return;
    ns_param::Paramora& p = module->getParameters();

    std::string selection = *p.getStringParameter("SpecListDesc");
    DDX_Text(pDX, m_selection, selection);
    p.setStringParameter("SpecListDesc", selection);

    std::string separator = *p.getStringParameter("Trennzeichen");
    DDX_Text(pDX, m_separator, separator);
    p.setStringParameter("Trennzeichen", separator);

    for (const auto& [box, name] : {std::pair{m_saveNames, "SaveNames"}, std::pair{m_compact, "CompactFile"},
                                    std::pair{m_noNames, "NoNames"}}) {
        bool value = *p.getBoolParameter(name);
        DDX_Check(pDX, box, value);
        p.setBoolParameter(name, value);
    }
}

void SaveForm::OnSave()
{
    if (!UpdateData(true))
        return;
    SaveModuleBase* saver = Saver();
    ModuleInterface* host = saver ? saver->GetModuleInterface() : nullptr;
    if (!host)
        return;
    std::string extensions;
    std::string description;
    bool flags[4] = {false, false, false, false};
    saver->GetFileDescription(extensions, description, &flags[0], &flags[1], &flags[2], &flags[3]);
    const std::string selection = *saver->getParameters().getStringParameter("SpecListDesc");
    const QString path = platform::GetFileChooser().GetSaveFileName(
        this, QString(), QString::fromStdString(DefaultSaveFileName(selection)),
        QtFileFilter(FileFilter(description, extensions)));
    if (path.isEmpty())
        return;
    const std::string file = path.toStdString();
    if (saver->SaveObjects(file, selection))
        host->AddLogMessage("%s", msg::FileSaved(file).c_str());
    else
        host->AddLogColorMessage(msg::kHintColour, "%s", msg::kSaveHint);
}
