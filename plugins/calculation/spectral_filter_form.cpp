#include "calculation/spectral_filter_form.h"

#include "calculation/form_helpers.h"
#include "calculation/spectral_filter_module.h"
#include "calculation/spectral_filters.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QVBoxLayout>

IMPLEMENT_DYNCREATE(SpectralFilterForm, CModuleEditor)

namespace {

constexpr char kSensitivity01[] = "Sensitivity [0, 1]";
constexpr char kSensitivityPositive[] = "Sensitivity [>0]";
constexpr char kSteps3[] = "Steps [1, 3]";
constexpr char kSteps5[] = "Steps [1, 5]";
constexpr char kWidth[] = "Width [3, 63]";
constexpr char kAdaptive[] = "adaptiv";
constexpr char kOutliersOnly[] = "nur Ausreißer";


} // namespace

SpectralFilterForm::SpectralFilterForm()
    : calc::CCalcForm(IDD, 456, 180)
{
    QWidget* c = Content();
    auto* layout = new QVBoxLayout(c);
    auto* grid = new QGridLayout;
    m_specDesc = calc::Named(new CSelectionEdit(c), IDC_SPECDESC);
    m_specGroup = calc::Named(new CSelectionEdit(c), IDC_SPECGROUP);
    m_filter = calc::Named(new QComboBox(c), IDC_FILTER);
    m_valueLabel = calc::Named(new QLabel("Sensitivity [0, max]", c), IDC_VALUELABEL);
    m_value = calc::Named(new QLineEdit(c), IDC_VALUE);
    m_stepsLabel = calc::Named(new QLabel("Steps / Width [1, 63]", c), IDC_STEPSLABEL);
    m_steps = calc::Named(new QLineEdit(c), IDC_STEPS);
    int row = 0;
    for (auto [label, field] : {std::pair<QLabel*, QWidget*>{calc::Named(new QLabel("A: Spektrensammlung", c), IDC_SPECDESCLABEL), m_specDesc},
                                {calc::Named(new QLabel("Filterauswahl:    B = ", c), IDC_FILTERLABEL), m_filter},
                                {calc::Named(new QLabel("B: Ergebnis(se) speichern in Gruppe", c), IDC_SPECGROUPLABEL), m_specGroup},
                                {m_valueLabel, m_value},
                                {m_stepsLabel, m_steps}}) {
        grid->addWidget(label, row, 0);
        grid->addWidget(field, row++, 1);
    }
    grid->setColumnStretch(1, 1);
    layout->addLayout(grid);
    m_keepSign = calc::Named(new QCheckBox("vorzeichenbehaftete Filterergebnisse zulassen", c), IDC_KEEPSIGN);
    m_adaptive = calc::Named(new QCheckBox(kAdaptive, c), IDC_ADAPTIVE);
    layout->addWidget(m_keepSign);
    layout->addWidget(m_adaptive);
    m_run = calc::Named(new QPushButton("SPEKTREN FILTERN", c), IDC_RUN);
    layout->addWidget(m_run);
    layout->addStretch(1);

    connect(m_run, &QPushButton::clicked, this, &SpectralFilterForm::OnBnClickedRun);
    connect(m_filter, &QComboBox::activated, this, &SpectralFilterForm::OnCbnSelchangeFilter);
    connect(m_adaptive, &QCheckBox::clicked, this, &SpectralFilterForm::OnBnClickedAdaptive);
}

SpectralFilterForm::~SpectralFilterForm() = default;

void SpectralFilterForm::InitModuleEditor()
{
    m_specGroup->SetCanDropSpecs(true);
    m_specDesc->SetCanDropSpecs(true);
    m_specDesc->SetCanDropGroup(true);
    {
        SpectralFilterModule registered;
        m_filter->clear();
        platform::FillComboBox(m_filter, *registered.getParameters().getEnumParameter("Filter"));
    }
    for (QWidget* w : std::initializer_list<QWidget*>{m_value, m_steps, m_adaptive, m_keepSign})
        w->setEnabled(false);
    m_adaptive->setChecked(false);
    m_valueLabel->setText(kSensitivity01);
    m_adaptive->setText(kAdaptive);

    if (Module* module = GetModule()) {
        ns_param::Paramora& p = module->getParameters();
        calc::SyncEnumFromSel(p, "Filter");
        const int filter = p.getEnumParameter("Filter")->getIndex();
        const bool adaptive = *p.getBoolParameter("FilterAdaptiv");
        using namespace spectral_filter;
        if (filter == kMean2) {
            m_stepsLabel->setText(kSteps3);
            m_adaptive->setEnabled(true);
            m_value->setEnabled(false);
            if (adaptive) {
                m_stepsLabel->setText(kWidth);
                m_adaptive->setChecked(true);
            }
        }
        if (filter == kMedian)
            m_stepsLabel->setText(kWidth);
        if (filter == kSobel || filter == kLaplace)
            m_keepSign->setEnabled(true);
        if (filter == kMean2 || filter == kMedian || filter == kContinuity)
            m_steps->setEnabled(true);
        if (filter == kMedian) {
            m_adaptive->setEnabled(true);
            m_adaptive->setText(kOutliersOnly);
            if (adaptive) {
                m_value->setEnabled(true);
                m_valueLabel->setText(kSensitivityPositive);
            }
        }
        if (filter == kContinuity) {
            m_stepsLabel->setText(kSteps5);
            m_adaptive->setEnabled(true);
            m_value->setEnabled(true);
        }
    }
    UpdateData(false);
}

void SpectralFilterForm::LimitSteps(int low, int high)
{
    int v = 0;
    if (!platform::ParseInt(m_steps->text(), v) || v < low || v > high)
        m_steps->setText(QString::number(low));
}

void SpectralFilterForm::OnCbnSelchangeFilter()
{
    using namespace spectral_filter;
    const int sel = m_filter->currentIndex();
    for (QWidget* w : std::initializer_list<QWidget*>{m_value, m_steps, m_keepSign, m_adaptive})
        w->setEnabled(false);
    m_valueLabel->setText(kSensitivity01);
    if (sel != kMean2)
        m_adaptive->setChecked(false);
    if (sel == kMean2) {
        m_steps->setEnabled(true);
        m_adaptive->setEnabled(true);
        m_stepsLabel->setText(kSteps3);
        LimitSteps(1, 3);
    }
    if (sel == kSobel || sel == kLaplace)
        m_keepSign->setEnabled(true);
    if (sel == kMedian || sel == kContinuity)
        m_steps->setEnabled(true);
    if (sel == kContinuity) {
        m_stepsLabel->setText(kSteps5);
        m_adaptive->setEnabled(true);
        m_value->setEnabled(true);
        LimitSteps(1, 5);
    }
    if (sel == kMedian) {
        m_stepsLabel->setText(kWidth);
        LimitSteps(3, 63);
    }
    if (sel == kMean2 && m_adaptive->isChecked()) {
        m_stepsLabel->setText(kWidth);
        LimitSteps(3, 63);
    }
    m_adaptive->setText(kAdaptive);
    if (sel == kMedian) {
        m_adaptive->setEnabled(true);
        m_adaptive->setText(kOutliersOnly);
        m_valueLabel->setText(kSensitivityPositive);
        m_value->setEnabled(m_adaptive->isChecked());
    }
    UpdateData(true);
}

void SpectralFilterForm::OnBnClickedAdaptive()
{
    using namespace spectral_filter;
    UpdateData(true);
    const int sel = m_filter->currentIndex();
    if (sel != kMean2 && sel != kMedian)
        return;
    m_value->setEnabled(false);
    m_steps->setEnabled(true);
    if (m_adaptive->isChecked()) {
        m_stepsLabel->setText(kWidth);
        LimitSteps(3, 63);
        if (sel == kMedian) {
            m_valueLabel->setText(kSensitivityPositive);
            m_value->setEnabled(true);
        }
    } else if (sel == kMean2) {
        m_stepsLabel->setText(kSteps3);
        LimitSteps(1, 3);
    }
}

void SpectralFilterForm::OnBnClickedRun()
{
    auto* module = dynamic_cast<calc::CalcModule*>(GetModule());
    if (!module || module->IsRunning() || !UpdateData(true))
        return;
    // Events flow during the run; the form may be gone afterwards.
    const QPointer<SpectralFilterForm> alive(this);
    m_run->setEnabled(false);
    calc::RunBracketed(module, static_cast<bool (Module::*)()>(&SpectralFilterModule::SpectralFilter));
    if (alive)
        m_run->setEnabled(true);
}

void SpectralFilterForm::ExchangeFields(CDataExchange* pDX)
{
    using namespace spectral_filter;
    ns_param::Paramora& p = GetModule()->getParameters();
    calc::ExchangeCheck(pDX, m_keepSign, p, "FilterPostProc_Abs");
    calc::ExchangeCheck(pDX, m_adaptive, p, "FilterAdaptiv");
    const int filter = calc::ExchangeEnumAndSel(pDX, m_filter, p, "Filter");
    calc::ExchangeString(pDX, m_specGroup, p, "SpecGroup");
    calc::ExchangeString(pDX, m_specDesc, p, "SpecDesc");

    double value = *p.getDoubleParameter("AMIVal");
    DDX_Text(pDX, m_value, value);
    if (filter == kContinuity)
        DDV_MinMaxDouble(pDX, value, 0, 1);
    p.setDoubleParameter("AMIVal", value);

    int steps = *p.getIntParameter("AMISteps");
    DDX_Text(pDX, m_steps, steps);
    if (filter == kContinuity) {
        DDV_MinMaxInt(pDX, steps, 1, 5);
        calc::ExchangeCheck(pDX, m_adaptive, p, "AutoDetect");
    } else if (filter == kMedian) {
        DDV_MinMaxInt(pDX, steps, 3, 63);
    } else if (filter == kMean2 && !*p.getBoolParameter("FilterAdaptiv")) {
        DDV_MinMaxInt(pDX, steps, 1, 3);
    }
    p.setIntParameter("AMISteps", steps);
}
