#include "modules/multi_led_create_form.h"

#include "modules/multi_led_create_module.h"

#include "core/number_text.h"
#include "core/selection_edit.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include <cfloat>
#include <memory>

IMPLEMENT_DYNCREATE(CMultiLEDCreateForm, CModuleEditor)

using led::Named;

namespace {

constexpr const char* kExtNames[6] = {"ExtModelParam1", "ExtModelParam2", "ExtModelParam3",
                                      "ExtModelParam4", "ExtModelParam5", "ExtModelParam6"};

} // namespace

const char* CMultiLEDCreateForm::HelpText(bool led)
{
    return led ? "Modelle:\r\n\r\nGaussianLEDModel\r\nLorentzianLEDModel\r\nPanShenFengLEDModel"
               : "Modelle:\r\n\r\nGaussianModel\r\nLorentzianModel\r\nPanShenFengModel\r\n\r\nRectModel";
}

CMultiLEDCreateForm::CMultiLEDCreateForm()
    : calc::CCalcForm(IDD, 420, 420)
{
    auto* grid = new QGridLayout(Content());
    m_start = Named(new QLineEdit(Content()), IDC_START);
    m_end = Named(new QLineEdit(Content()), IDC_END);
    m_count = Named(new QLineEdit(Content()), IDC_COUNT);
    m_fwhm = Named(new QLineEdit(Content()), IDC_FWHM);
    m_group = Named(new CSelectionEdit(Content()), IDC_GROUP);
    m_create = Named(new QPushButton("ERZEUGEN", Content()), IDC_CREATE);
    m_metaData = Named(new QCheckBox("    Namen durch Modellparameter ergänzen", Content()), IDC_META_DATA);
    m_help = Named(new QLabel(Content()), IDC_HELP);
    m_model = Named(new QComboBox(Content()), IDC_MODEL);
    m_noised = Named(new QCheckBox("    Modellparameter verrauschen", Content()), IDC_NOISED);
    const int extIds[6] = {IDC_EXT_SLOPE, IDC_EXT_WIDTH, IDC_EXT_OFFSET_LEFT,
                           IDC_EXT_OFFSET_RIGHT, IDC_EXT_SLOPE_LEFT, IDC_EXT_SLOPE_RIGHT};
    for (int k = 0; k < 6; ++k)
        m_ext[k] = Named(new QLineEdit(Content()), extIds[k]);
    const char* extTexts[6] = {"Anstieg Hauptmode ( > 0)", "Peakbreite in nm", "Sperroffset links % [0,1]",
                               "Sperroffset rechts % [0,1]", "Anstieg Sperroffset links  (|a_l| < 5)",
                               "Anstieg Sperroffset rechts  (|a_r| < 5)"};
    for (int k = 0; k < 6; ++k)
        m_extLabels[k] = Named(new QLabel(extTexts[k], Content()), IDC_EXT_LABEL_FIRST + k);

    int row = 0;
    grid->addWidget(new QLabel("Unimodale Modellfunktion", Content()), row, 0);
    grid->addWidget(m_model, row++, 1);
    grid->addWidget(m_help, row++, 0, 1, 2);
    auto addRow = [&](const char* label, QWidget* field) {
        grid->addWidget(new QLabel(label, Content()), row, 0);
        grid->addWidget(field, row++, 1);
    };
    addRow("Startwellenlänge in nm", m_start);
    addRow("Endwellenlänge in nm", m_end);
    addRow("Anzahl", m_count);
    addRow("Breite (FWHM, ...) in nm", m_fwhm);
    addRow("Ergebnis(se) speichern in Gruppe...", m_group);
    grid->addWidget(m_metaData, row++, 0, 1, 2);
    auto* box = new QGroupBox("Modellparameter", Content());
    auto* boxGrid = new QGridLayout(box);
    for (int k = 0; k < 6; ++k) {
        m_extLabels[k]->setParent(box);
        m_ext[k]->setParent(box);
        boxGrid->addWidget(m_extLabels[k], k, 0);
        boxGrid->addWidget(m_ext[k], k, 1);
    }
    m_noised->setParent(box);
    boxGrid->addWidget(m_noised, 6, 0, 1, 2);
    grid->addWidget(box, row++, 0, 1, 2);
    grid->addWidget(m_create, row++, 0, 1, 2);
    grid->setRowStretch(row, 1);

    connect(m_create, &QPushButton::clicked, this, &CMultiLEDCreateForm::OnCreate);
    connect(m_model, &QComboBox::currentIndexChanged, this, &CMultiLEDCreateForm::OnSelChangeModel);
    connect(m_count, &QLineEdit::textChanged, this, &CMultiLEDCreateForm::OnChangeCount);
}

CMultiLEDCreateForm::~CMultiLEDCreateForm() = default;

void CMultiLEDCreateForm::HideExtendedControls()
{
    for (int k = 0; k < 6; ++k) {
        m_ext[k]->hide();
        m_extLabels[k]->hide();
    }
}

void CMultiLEDCreateForm::InitModuleEditor()
{
    m_group->SetCanDropClipboardGroup(true);
    HideExtendedControls();
    const bool led = dynamic_cast<MultiLEDCreateModule*>(GetModule()) != nullptr;
    const QSignalBlocker quiet(m_model);
    m_model->clear();
    for (const std::string& entry : MultiCreateModuleBase::ModelEntries(led))
        m_model->addItem(QString::fromStdString(entry));
    m_help->setText(HelpText(led));
    if (Module* module = GetModule()) {
        m_model->setCurrentIndex(module->getParameters().getEnumParameter("LEDModel")->getIndex());
        m_end->setEnabled(*module->getParameters().getIntParameter("LEDCount") != 1);
    }
}

void CMultiLEDCreateForm::ExchangeFields(CDataExchange* pDX)
{
    ns_param::Paramora& p = GetModule()->getParameters();
    if (m_model->count() > 0)
        DDX_CBIndex(pDX, m_model, *p.getEnumParameter("LEDModel"));
    calc::ExchangeString(pDX, m_group, p, "ClipboardTargetGroup");
    calc::ExchangeDouble(pDX, m_start, p, "XStart");
    calc::ExchangeDouble(pDX, m_end, p, "XEnd");
    int count = *p.getIntParameter("LEDCount");
    DDX_Text(pDX, m_count, count);
    p.setIntParameter("LEDCount", count);
    calc::ExchangeDouble(pDX, m_fwhm, p, "FWHM");
    calc::ExchangeCheck(pDX, m_metaData, p, "AddMetaData2Name");
    calc::ExchangeCheck(pDX, m_noised, p, "NoisedParameters");
    for (int k = 0; k < 6; ++k)
        calc::ExchangeDouble(pDX, m_ext[k], p, kExtNames[k]);
    if (pDX->m_bSaveAndValidate) {
        // The extended parameters are hidden but still checked.
        const double fwhm = *p.getDoubleParameter("FWHM");
        const double limits[6][2] = {{0.0001, DBL_MAX}, {0, fwhm}, {0, 1}, {0, 1}, {-5, 5}, {-5, 5}};
        for (int k = 0; k < 6; ++k) {
            pDX->PrepareCtrl(m_ext[k]);
            DDV_MinMaxDouble(pDX, *p.getDoubleParameter(kExtNames[k]), limits[k][0], limits[k][1]);
        }
    }
    HideExtendedControls();
}

void CMultiLEDCreateForm::OnChangeCount()
{
    int count = 0;
    number_text::ToInt(m_count->text().toStdString(), count);
    m_end->setEnabled(count != 1);
}

void CMultiLEDCreateForm::OnSelChangeModel()
{
    HideExtendedControls();
}

void CMultiLEDCreateForm::OnCreate()
{
    if (dynamic_cast<MultiLEDCreateModule*>(GetModule()))
        RunOperation(static_cast<bool (Module::*)()>(&MultiLEDCreateModule::create));
    else if (dynamic_cast<MultiEDCreateModule*>(GetModule()))
        RunOperation(static_cast<bool (Module::*)()>(&MultiEDCreateModule::ecreate));
}
