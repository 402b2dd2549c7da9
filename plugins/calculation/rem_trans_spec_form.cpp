#include "calculation/rem_trans_spec_form.h"

#include "calculation/form_helpers.h"
#include "calculation/rem_trans_spec_module.h"

#include "core/number_text.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

IMPLEMENT_DYNCREATE(CRemTransSpecForm, CModuleEditor)

CRemTransSpecForm::CRemTransSpecForm()
    : calc::CCalcForm(IDD, 456, 180)
{
    QWidget* c = Content();
    auto* layout = new QVBoxLayout(c);
    auto* grid = new QGridLayout;
    m_a = calc::Named(new CSelectionEdit(c), IDC_A);
    m_b = calc::Named(new CSelectionEdit(c), IDC_B);
    m_target = calc::Named(new CSelectionEdit(c), IDC_TARGET);
    m_function = calc::Named(new QComboBox(c), IDC_FUNCTION);
    int row = 0;
    for (auto [label, field] : {std::pair<const char*, QWidget*>{"A: Spektrensammlung 1", m_a},
                                {"B: Konstante ODER Spektrensammlung 2", m_b},
                                {"Punkt-Arithmetik:    C = ", m_function},
                                {"C: Ergebnis(se) speichern in Gruppe", m_target}}) {
        grid->addWidget(new QLabel(label, c), row, 0);
        grid->addWidget(field, row++, 1);
    }
    grid->setColumnStretch(1, 1);
    layout->addLayout(grid);

    m_useInputNames = calc::Named(new QCheckBox("automatische Ergebnisgruppierung mit Eingabenamen", c), IDC_USEINPUTNAMES);
    m_random = calc::Named(new QCheckBox("    Randomisierte Konstanten-Verrechnung (sigma = 0.25 * 10%-Abweichung)", c), IDC_RANDOM);
    m_sameNames = calc::Named(new QCheckBox("    A-Namen-korrespondierende A,B-Auswertung", c), IDC_SAMENAMES);
    m_autoName = calc::Named(new QCheckBox("Gruppenname 'ResSpec' automatisch anlegen", c), IDC_AUTONAME);
    m_checkSpecs = calc::Named(new QCheckBox("    Spektren vor Operation bereinigen", c), IDC_CHECKSPECS);
    m_grouped = calc::Named(new QCheckBox(" Ergebnisse A gruppiert ablegen   ", c), IDC_GROUPED);
    m_addArith = calc::Named(new QCheckBox("    Spektrenarithmetik zum Namen hinzufügen", c), IDC_ADDARITH);
    for (QCheckBox* box :
         {m_useInputNames, m_random, m_sameNames, m_autoName, m_checkSpecs, m_grouped, m_addArith})
        layout->addWidget(box);

    m_calculate = calc::Named(new QPushButton("BERECHNEN", c), IDC_CALCULATE);
    layout->addWidget(m_calculate);
    layout->addStretch(1);

    connect(m_calculate, &QPushButton::clicked, this, &CRemTransSpecForm::OnBnClickedCalculate);
    connect(m_function, &QComboBox::activated, this, &CRemTransSpecForm::OnCbnSelchangeFunction);
    connect(m_b, &QLineEdit::textChanged, this, &CRemTransSpecForm::OnEnChangeB);
}

CRemTransSpecForm::~CRemTransSpecForm() = default;

bool CRemTransSpecForm::IsNumberText(const std::string& text)
{
    if (text.empty())
        return false;
    const char* end = nullptr;
    number_text::ToDouble(text.c_str(), &end);
    return end && end != text.c_str() && *end == '\0';
}

void CRemTransSpecForm::InitModuleEditor()
{
    for (CSelectionEdit* edit : {m_a, m_b, m_target}) {
        edit->SetCanDropSpecs(true);
        edit->SetCanDropGroup(true);
    }
    {
        // The entries of a new module: the list never depends on stored values.
        const QSignalBlocker quiet(m_function);
        RemTransSpecModule registered;
        m_function->clear();
        platform::FillComboBox(m_function, *registered.getParameters().getEnumParameter("Aritmetikfunc"));
    }
    UpdateData(false);
    m_checkSpecs->hide();
    m_grouped->show();
    m_sameNames->setEnabled(false);
    m_random->setEnabled(false);
    Module* module = GetModule();
    if (!module)
        return;
    ns_param::Paramora& p = module->getParameters();
    const int index = p.getEnumParameter("Aritmetikfunc")->getIndex();
    m_random->setEnabled(index <= 3 && IsNumberText(*p.getStringParameter("SpecDesc")));
    m_sameNames->setEnabled(index < 8);
    m_b->setEnabled(index < 8);
    m_checkSpecs->setVisible(index >= 8 && index <= 10);
}

void CRemTransSpecForm::OnBnClickedCalculate()
{
    RunOperation(static_cast<bool (Module::*)()>(&RemTransSpecModule::calculate));
}

void CRemTransSpecForm::UpdateRandom(int index)
{
    m_random->setEnabled(false);
    if (index < 4 && IsNumberText(m_b->text().toStdString()))
        m_random->setEnabled(true);
}

void CRemTransSpecForm::OnCbnSelchangeFunction()
{
    const int index = m_function->currentIndex();
    m_sameNames->setEnabled(false);
    m_checkSpecs->hide();
    if (index >= 8) {
        m_sameNames->setEnabled(false);
        m_sameNames->setChecked(false);
        m_b->setEnabled(false);
    } else {
        m_sameNames->setEnabled(true);
        m_b->setEnabled(true);
    }
    m_checkSpecs->setVisible(index >= 8 && index <= 10);
    UpdateRandom(index);
}

void CRemTransSpecForm::OnEnChangeB()
{
    UpdateRandom(m_function->currentIndex());
}

void CRemTransSpecForm::ExchangeFields(CDataExchange* pDX)
{
    ns_param::Paramora& p = GetModule()->getParameters();
    calc::ExchangeString(pDX, m_a, p, "LightSpecDesc");
    calc::ExchangeString(pDX, m_b, p, "SpecDesc");
    calc::ExchangeString(pDX, m_target, p, "TargetGroup");
    calc::ExchangeCheck(pDX, m_useInputNames, p, "UseInputNamesForGroups");
    calc::ExchangeCheck(pDX, m_random, p, "RandomCalc");
    calc::ExchangeCheck(pDX, m_sameNames, p, "CalcOnlySameNames");
    calc::ExchangeCheck(pDX, m_addArith, p, "AddArithToNames");
    calc::ExchangeCheck(pDX, m_autoName, p, "AutoName");
    calc::ExchangeCheck(pDX, m_checkSpecs, p, "CheckSpecs");
    calc::ExchangeCheck(pDX, m_grouped, p, "GroupedProc");
    calc::ExchangeEnumAndSel(pDX, m_function, p, "Aritmetikfunc");
}
