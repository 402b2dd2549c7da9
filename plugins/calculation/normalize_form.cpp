#include "calculation/normalize_form.h"

#include "calculation/form_helpers.h"
#include "calculation/normalize_module.h"

#include "core/module_interface.h"
#include "core/number_text.h"
#include "core/string_helpers.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include <algorithm>

IMPLEMENT_DYNCREATE(CNormalizeForm, CModuleEditor)

namespace {

constexpr char kSelectLabel[] = "Auswahl von Spektren(namen) mit Zeichenkette(n)\nTrennzeichen <;>, keine Leerzeichen";
constexpr char kExcludeLabel[] =
    "Ausschluss von Spektren(namen) mit Zeichenkette(n)\nTrennzeichen <;>, keine Leerzeichen";


} // namespace

CNormalizeFormSelectionEdit::CNormalizeFormSelectionEdit(QWidget* parent)
    : CSelectionEdit(parent)
{
}

CNormalizeFormSelectionEdit::~CNormalizeFormSelectionEdit() = default;

void CNormalizeFormSelectionEdit::OnDropSpecs(const std::string& names)
{
    NormalizeModule* module = m_module;
    if (!module)
        return;
    if (m_mode == 1) {
        SpectrumTree* tree = module->Spectra();
        CSelectionEdit::OnDropSpecs(tree ? calc::DroppedShortNames(*tree, names) : std::string());
    } else {
        CSelectionEdit::OnDropSpecs(names);
        // The reference is the dropped text, also when another field of the form holds an
        // entry that its check refused.
        module->getParameters().setStringParameter("RefSpecDesc", names);
        calc::RunBracketed(module, static_cast<bool (Module::*)()>(&NormalizeModule::setrefspec));
    }
    // Events flowed during the run; the field is a child of the form, which may be gone.
    if (platform::DataExchanger* form = calc::FormOf(this))
        form->UpdateData(false);
}

CNormalizeForm::CNormalizeForm()
    : calc::CCalcForm(IDD, 456, 180)
{
    QWidget* c = Content();
    auto* layout = new QVBoxLayout(c);

    auto* selection = calc::Named(new QGroupBox("Spektrenauswahl", c), IDC_SELECTIONBOX);
    auto* selectionGrid = new QGridLayout(selection);
    m_specDesc = calc::Named(new CSelectionEdit(selection), IDC_SPECDESC);
    m_searchMode = calc::Named(new QCheckBox(selection), IDC_SEARCHMODE);
    m_searchLabel = calc::Named(new QLabel(kSelectLabel, selection), IDC_SEARCHLABEL);
    m_searchText = calc::Named(new CNormalizeFormSelectionEdit(selection), IDC_SEARCHTEXT);
    m_randomCount = calc::Named(new QLineEdit(selection), IDC_RANDOMCOUNT);
    selectionGrid->addWidget(new QLabel("Eingabe", selection), 0, 0);
    selectionGrid->addWidget(m_specDesc, 0, 1, 1, 2);
    selectionGrid->addWidget(m_searchMode, 1, 0);
    selectionGrid->addWidget(m_searchLabel, 1, 1, 1, 2);
    selectionGrid->addWidget(m_searchText, 2, 1, 1, 2);
    auto* randomRow = new QHBoxLayout;
    randomRow->addWidget(new QLabel("zufällige Auswahlmenge (>0)", selection));
    randomRow->addWidget(m_randomCount, 1);
    selectionGrid->addLayout(randomRow, 3, 0, 1, 3);
    layout->addWidget(selection);

    auto* range = calc::Named(new QGroupBox("Definitionsbereich /  Spektren-Normalisierung", c), IDC_RANGEBOX);
    auto* rangeGrid = new QGridLayout(range);
    m_xStart = calc::Named(new QLineEdit(range), IDC_XSTART);
    m_xEnd = calc::Named(new QLineEdit(range), IDC_XEND);
    m_xStep = calc::Named(new QLineEdit(range), IDC_XSTEP);
    m_xShift = calc::Named(new QLineEdit(range), IDC_XSHIFT);
    m_xShift->setMaxLength(64);
    m_refSpec = calc::Named(new CNormalizeFormSelectionEdit(range), IDC_REFSPEC);
    m_interpolator = calc::Named(new QComboBox(range), IDC_INTERPOLATOR);
    m_extrapolator = calc::Named(new QComboBox(range), IDC_EXTRAPOLATOR);
    int row = 0;
    for (auto [label, field] : {std::pair<const char*, QWidget*>{"X-Startwert (nm)", m_xStart},
                                {"X-Endwert (nm)", m_xEnd},
                                {"Schrittweite (nm)", m_xStep},
                                {"X-Shift (nm)", m_xShift},
                                {"Parameterübernahme \naus Bezugsspektrum", m_refSpec},
                                {"Interpolator", m_interpolator},
                                {"Extrapolator", m_extrapolator}}) {
        rangeGrid->addWidget(new QLabel(label, range), row, 0);
        rangeGrid->addWidget(field, row++, 1);
    }
    layout->addWidget(range);

    auto* values = calc::Named(new QGroupBox("Wertebereich", c), IDC_VALUESBOX);
    auto* valuesGrid = new QGridLayout(values);
    m_scale = calc::Named(new QLineEdit(values), IDC_SCALE);
    m_offset = calc::Named(new QLineEdit(values), IDC_OFFSET);
    m_autoMaxNorm = calc::Named(new QCheckBox("Auto-Max-(Max = 1)-Normierung", values), IDC_AUTOMAXNORM);
    m_noNegValues = calc::Named(new QCheckBox("Negative Werte auf 0 setzen", values), IDC_NONEGVALUES);
    valuesGrid->addWidget(new QLabel("Skalierung", values), 0, 0);
    valuesGrid->addWidget(m_scale, 0, 1);
    valuesGrid->addWidget(new QLabel("Offset", values), 1, 0);
    valuesGrid->addWidget(m_offset, 1, 1);
    valuesGrid->addWidget(m_autoMaxNorm, 2, 0, 1, 2);
    valuesGrid->addWidget(m_noNegValues, 3, 0, 1, 2);
    layout->addWidget(values);

    auto* output = calc::Named(new QGroupBox("Ergebnisablage", c), IDC_OUTPUTBOX);
    auto* outputGrid = new QGridLayout(output);
    m_useTargetGroup = calc::Named(new QCheckBox("Separate Ausgabegruppe verwenden", output), IDC_USETARGETGROUP);
    m_targetGroup = calc::Named(new CSelectionEdit(output), IDC_TARGETGROUP);
    m_cleanFolder = calc::Named(new QCheckBox("Ordnerverschachtelung auflösen", output), IDC_CLEANFOLDER);
    m_sortSpecs = calc::Named(new QCheckBox("alphabetische Spektrenreihenfolge \nin der Ausgabe erzwingen", output), IDC_SORTSPECS);
    m_autoName = calc::Named(new QCheckBox(output), IDC_AUTONAME);
    m_autoNameLabel = calc::Named(new QLabel("Gruppennamen entsprechend Auswahl ergänzen ", output), IDC_AUTONAMELABEL);
    m_autoNameSearch = calc::Named(new QCheckBox(output), IDC_AUTONAMESEARCH);
    m_autoNameSearchLabel = calc::Named(new QLabel("Suchergebnis im Spektrenbaum ablegen  ", output), IDC_AUTONAMESEARCHLABEL);
    m_autoNameShift = calc::Named(new QCheckBox(output), IDC_AUTONAMESHIFT);
    m_autoNameShiftLabel = calc::Named(new QLabel("Shiftparameter in Namen übernehmen ", output), IDC_AUTONAMESHIFTLABEL);
    outputGrid->addWidget(m_useTargetGroup, 0, 0, 1, 2);
    outputGrid->addWidget(new QLabel("Speichern in Gruppe ...", output), 1, 0);
    outputGrid->addWidget(m_targetGroup, 1, 1);
    outputGrid->addWidget(m_cleanFolder, 2, 0, 1, 2);
    outputGrid->addWidget(m_sortSpecs, 3, 0, 1, 2);
    // Each switch with its label, which shows and hides with it.
    row = 4;
    for (auto [box, label] : {std::pair<QCheckBox*, QLabel*>{m_autoName, m_autoNameLabel},
                              {m_autoNameSearch, m_autoNameSearchLabel},
                              {m_autoNameShift, m_autoNameShiftLabel}}) {
        auto* line = new QHBoxLayout;
        line->addWidget(box);
        line->addWidget(label, 1);
        outputGrid->addLayout(line, row++, 0, 1, 2);
    }
    layout->addWidget(output);

    m_start = calc::Named(new QPushButton("STARTEN", c), IDC_START);
    layout->addWidget(m_start);
    layout->addStretch(1);

    connect(m_start, &QPushButton::clicked, this, &CNormalizeForm::OnBnClickedStart);
    connect(m_useTargetGroup, &QCheckBox::clicked, this, &CNormalizeForm::OnBnClickedUseTargetGroup);
    connect(m_cleanFolder, &QCheckBox::clicked, this, &CNormalizeForm::OnBnClickedCleanFolder);
    connect(m_autoMaxNorm, &QCheckBox::clicked, this, &CNormalizeForm::OnBnClickedAutoMaxNorm);
    connect(m_searchMode, &QCheckBox::clicked, this, &CNormalizeForm::OnBnClickedSearchMode);
    connect(m_searchText, &QLineEdit::textChanged, this, &CNormalizeForm::OnEnChangeSearchText);
    connect(m_xShift, &QLineEdit::textChanged, this, &CNormalizeForm::OnEnChangeShift);
    OnEnter(m_refSpec, static_cast<bool (Module::*)()>(&NormalizeModule::setrefspec));
}

CNormalizeForm::~CNormalizeForm() = default;

void CNormalizeForm::InitModuleEditor()
{
    auto* module = dynamic_cast<NormalizeModule*>(GetModule());
    if (module) {
        // A new look at the module starts without the last run's value changes.
        ns_param::Paramora& p = module->getParameters();
        p.setDoubleParameter("XShift", 0);
        p.setDoubleParameter("SigScale", 1);
        p.setDoubleParameter("SigOffset", 0);
        p.setBoolParameter("UseAutoMaxNorm", false);
        p.setBoolParameter("UseNoNegValues", false);
    }
    {
        NormalizeModule registered;
        ns_param::Paramora& p = registered.getParameters();
        m_extrapolator->clear();
        m_interpolator->clear();
        platform::FillComboBox(m_extrapolator, *p.getEnumParameter("Extrapolator"));
        platform::FillComboBox(m_interpolator, *p.getEnumParameter("Interpolator"));
    }
    UpdateData(false);
    for (CSelectionEdit* edit : {m_specDesc, static_cast<CSelectionEdit*>(m_refSpec), m_targetGroup,
                                 static_cast<CSelectionEdit*>(m_searchText)}) {
        edit->SetCanDropSpecs(true);
        edit->SetCanDropGroup(true);
    }
    m_refSpec->SetModule(module);
    m_searchText->SetModule(module);
    m_searchText->SetMode(1);
    OnBnClickedUseTargetGroup();
    OnEnChangeSearchText();
    OnEnChangeShift();
    OnBnClickedSearchMode();
}

void CNormalizeForm::OnBnClickedStart()
{
    RunOperation(static_cast<bool (Module::*)()>(&NormalizeModule::normalize));
}

void CNormalizeForm::OnBnClickedUseTargetGroup()
{
    if (m_cleanFolder->isChecked())
        m_useTargetGroup->setChecked(false);
    m_targetGroup->setEnabled(m_useTargetGroup->isChecked());
}

void CNormalizeForm::OnBnClickedCleanFolder()
{
    if (m_useTargetGroup->isChecked())
        m_useTargetGroup->setChecked(false);
    OnBnClickedUseTargetGroup();
}

void CNormalizeForm::OnBnClickedAutoMaxNorm()
{
    const bool enabled = !m_autoMaxNorm->isChecked();
    m_scale->setEnabled(enabled);
    m_offset->setEnabled(enabled);
}

void CNormalizeForm::OnBnClickedSearchMode()
{
    m_searchLabel->setText(m_searchMode->isChecked() ? kExcludeLabel : kSelectLabel);
}

void CNormalizeForm::OnEnChangeSearchText()
{
    const bool shown = !m_searchText->text().isEmpty();
    if (!shown)
        m_autoName->setChecked(false);
    for (QWidget* w : {static_cast<QWidget*>(m_autoName), static_cast<QWidget*>(m_autoNameSearch),
                       static_cast<QWidget*>(m_autoNameLabel), static_cast<QWidget*>(m_autoNameSearchLabel)})
        w->setVisible(shown);
}

void CNormalizeForm::OnEnChangeShift()
{
    const std::string text = m_xShift->text().left(64).toStdString();
    const double value = number_text::ToDouble(text.c_str());
    const bool shown = value != 0 && isNumber(trim(text, calc::kBlanks));
    m_autoNameShift->setVisible(shown);
    m_autoNameShiftLabel->setVisible(shown);
}

void CNormalizeForm::ExchangeFields(CDataExchange* pDX)
{
    ns_param::Paramora& p = GetModule()->getParameters();
    calc::ExchangeString(pDX, m_specDesc, p, "SpecDesc");
    calc::ExchangeString(pDX, m_targetGroup, p, "TargetGroup");
    calc::ExchangeString(pDX, m_refSpec, p, "RefSpecDesc");
    calc::ExchangeString(pDX, m_searchText, p, "SuchStr");
    calc::ExchangeDouble(pDX, m_xStart, p, "XStart");
    calc::ExchangeDouble(pDX, m_xEnd, p, "XEnd");
    calc::ExchangeDouble(pDX, m_xStep, p, "XStep", 0.01, 1000000);
    calc::ExchangeDouble(pDX, m_xShift, p, "XShift");
    calc::ExchangeDouble(pDX, m_scale, p, "SigScale", 0, 1000000);
    calc::ExchangeDouble(pDX, m_offset, p, "SigOffset");

    double randomCount = *p.getIntParameter("RandomAnz");
    DDX_Text(pDX, m_randomCount, randomCount);
    DDV_MinMaxDouble(pDX, randomCount, 0, 1000000);
    p.setIntParameter("RandomAnz", static_cast<int>(randomCount));

    calc::ExchangeCheck(pDX, m_useTargetGroup, p, "UseTargetGroup");
    calc::ExchangeCheck(pDX, m_autoMaxNorm, p, "UseAutoMaxNorm");
    calc::ExchangeCheck(pDX, m_noNegValues, p, "UseNoNegValues");
    calc::ExchangeCheck(pDX, m_cleanFolder, p, "CleanFolder");
    calc::ExchangeCheck(pDX, m_sortSpecs, p, "SortSpecs");
    calc::ExchangeCheck(pDX, m_autoName, p, "AutoName");
    calc::ExchangeCheck(pDX, m_autoNameSearch, p, "AutoNameSuche");
    calc::ExchangeCheck(pDX, m_autoNameShift, p, "AutoNameXShift");
    calc::ExchangeCheck(pDX, m_searchMode, p, "SuchModus");
    calc::ExchangeEnumAndSel(pDX, m_interpolator, p, "Interpolator");
    calc::ExchangeEnumAndSel(pDX, m_extrapolator, p, "Extrapolator");

    // The grid is rounded to the precision the user typed.
    const int digits = std::max({Nachkommastellen(*p.getDoubleParameter("XStart")),
                                 Nachkommastellen(*p.getDoubleParameter("XEnd")),
                                 Nachkommastellen(*p.getDoubleParameter("XStep")),
                                 Nachkommastellen(*p.getDoubleParameter("XShift"))});
    p.setIntParameter("IntPrec", std::clamp(digits, 0, 8));
}
