#include "windows/led_fitter_params_edit_dlg.h"

#include "core/widget_names.h"

#include "windows/host_scope.h"
#include "windows/spec_window_list.h"

#include "engine/led_fitter.h"
#include "platform/file_chooser.h"
#include "platform/prompter.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include <limits>

namespace {

using calc::Named;

// Copies the spectra of from into to, with their names.
void CopySet(SpectraSet& to, const SpectraSet& from)
{
    to.Clear();
    for (int i = 0; i < from.GetCount(); ++i)
        to.AddSpectrum(from.GetName(i), from.GetSpectrum(i));
}

constexpr double kDoubleMax = std::numeric_limits<double>::max();

} // namespace

CLedFitterParamsEditDlg::CLedFitterParamsEditDlg(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("6603"));
    setWindowTitle(QStringLiteral("LED-Fit-Parameter (Levenberg-Marquardt-NNLS)"));

    auto* lm = new QGroupBox(QStringLiteral("Levenberg-Marquardt-Algorithmus"), this);
    auto* lmGrid = new QGridLayout(lm);
    auto* intro = new QLabel(QStringLiteral("Diese Parameter steuern den zum Fit verwendeten Levenberg-Marquardt-Algorithmus."), lm);
    intro->setWordWrap(true);
    lmGrid->addWidget(intro, 0, 0, 1, 2);

    // A group box of labelled edits.
    auto group = [](QWidget* parent, const char* title, std::initializer_list<std::pair<const char*, QLineEdit**>> rows,
                    std::initializer_list<int> ids) {
        auto* box = new QGroupBox(QString::fromUtf8(title), parent);
        auto* grid = new QGridLayout(box);
        int r = 0;
        auto id = ids.begin();
        for (const auto& [label, edit] : rows) {
            grid->addWidget(new QLabel(QString::fromUtf8(label), box), r, 0);
            *edit = Named(new QLineEdit(box), *id++);
            (*edit)->setFixedWidth(130);
            grid->addWidget(*edit, r++, 1);
        }
        return box;
    };
    lmGrid->addWidget(group(lm, "Allgemeine Abbruchkriterien",
                            {{"Maximale Anzahl Iterationen", &m_maxIterations},
                             {"Minimaler Gradient", &m_minGradient},
                             {"Minimaler Funktionswert", &m_minValue}},
                            {6621, 6604, 6605}),
                      1, 0);
    lmGrid->addWidget(group(lm, "Schrittweitensteuerung",
                            {{"Minimale Schrittweite", &m_minStep},
                             {"Maximale Schrittweite", &m_maxStep},
                             {"Vergrößerungsfaktor", &m_upsize},
                             {"Verkleinerungsfaktor", &m_downsize}},
                            {6607, 6609, 6611, 6613}),
                      1, 1);
    lmGrid->addWidget(group(lm, "Störterm-Parameter",
                            {{"K-Vergrößerungs-Offset", &m_kUpsize}, {"K-Verkleinerungs-Offset", &m_kDownsize}},
                            {6601, 6602}),
                      2, 0);
    lmGrid->addWidget(group(lm, "Konvergenz-Kontrolle",
                            {{"Konvergenzfaktor", &m_convergence}, {"Schrittanzahl", &m_convergenceSteps}},
                            {6615, 6617}),
                      2, 1);
    lmGrid->setRowStretch(3, 1);

    auto* target = new QGroupBox(QStringLiteral("Zielfunktion"), this);
    auto* tGrid = new QGridLayout(target);
    tGrid->addWidget(new QLabel(QStringLiteral("Diese Parameter legen das Optimierungsziel fest"), target), 0, 0, 1, 3);
    tGrid->addWidget(new QLabel(QStringLiteral("Zielfunktion"), target), 1, 0);
    m_function = Named(new QComboBox(target), IDC_FUNCTION);
    m_function->addItems({QStringLiteral("Euklidischer Abstand"), QStringLiteral("Relativer Abstand"),
                          QStringLiteral("begrenzter Euklidischer Abstand"),
                          QStringLiteral("Euklidischer und Relativer Abstand (0 <= Parameter <= 1)"),
                          QStringLiteral("Logarithmischer Abstand")});
    tGrid->addWidget(m_function, 1, 1, 1, 2);
    tGrid->addWidget(new QLabel(QStringLiteral("Parameter der Zielfunktion"), target), 2, 0);
    m_functionParam = Named(new QLineEdit(target), IDC_FUNCTIONPARAM);
    m_functionParam->setFixedWidth(130);
    tGrid->addWidget(m_functionParam, 2, 1);
    m_targetDriven = Named(new QCheckBox(QStringLiteral("Target-bezogen optimieren"), target), IDC_TARGETDRIVEN);
    tGrid->addWidget(m_targetDriven, 3, 0, 1, 3);

    // The two sets: a list over its placeholder's area, with its "Durchsuchen" button.
    auto setRow = [&](int row, const char* label, int placeholderId, int buttonId, CSpecWindowList*& list) {
        tGrid->addWidget(new QLabel(QString::fromUtf8(label), target), row, 0, Qt::AlignTop);
        auto* placeholder = Named(new QWidget(target), placeholderId);
        auto* holder = new QGridLayout(placeholder);
        holder->setContentsMargins(0, 0, 0, 0);
        list = new CSpecWindowList(placeholder);
        list->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
        holder->addWidget(list);
        placeholder->setMinimumSize(420, 150);
        tGrid->addWidget(placeholder, row, 1);
        auto* browse = Named(new QPushButton(QStringLiteral("Durchsuchen"), target), buttonId);
        tGrid->addWidget(browse, row, 2, Qt::AlignTop);
        return browse;
    };
    connect(setRow(4, "Targetsatz", 6627, 6624, m_targetList), &QPushButton::clicked, this,
            &CLedFitterParamsEditDlg::OnBnClickedBrowseTargets);
    connect(setRow(5, "Beobachter", 6628, 6629, m_observerList), &QPushButton::clicked, this,
            &CLedFitterParamsEditDlg::OnBnClickedBrowseObservers);

    auto* ok = Named(new QPushButton(QStringLiteral("OK"), this), 1);
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, &CLedFitterParamsEditDlg::accept);

    auto* layout = new QGridLayout(this);
    layout->addWidget(lm, 0, 0);
    layout->addWidget(target, 0, 1);
    layout->addWidget(ok, 1, 1, Qt::AlignRight);
}

CLedFitterParamsEditDlg::~CLedFitterParamsEditDlg()
{
    // The lists' windows refer to the sets, which are members: the windows go first.
    m_targetList->RemoveAll();
    m_observerList->RemoveAll();
}

void CLedFitterParamsEditDlg::DoDataExchange(CDataExchange* pDX)
{
    DDX_Text(pDX, m_maxIterations, MaxIterations);
    DDX_Text(pDX, m_minGradient, MinGradient);
    DDV_MinMaxDouble(pDX, MinGradient, 1e-307, 1e308);
    DDX_Text(pDX, m_minValue, MinValue);
    DDV_MinMaxDouble(pDX, MinValue, -kDoubleMax, kDoubleMax);
    DDX_Text(pDX, m_minStep, MinStep);
    DDV_MinMaxDouble(pDX, MinStep, 1e-12, 1e100);
    DDX_Text(pDX, m_maxStep, MaxStep);
    DDV_MinMaxDouble(pDX, MaxStep, 1e-12, 1e308);
    DDX_Text(pDX, m_upsize, StepUpsizeFactor);
    DDV_MinMaxDouble(pDX, StepUpsizeFactor, 1.1111111, 10);
    DDX_Text(pDX, m_downsize, StepDownsizeFactor);
    DDV_MinMaxDouble(pDX, StepDownsizeFactor, 0.1, 0.9);
    DDX_Text(pDX, m_kUpsize, KUpsizeOffset);
    DDV_MinMaxDouble(pDX, KUpsizeOffset, 1e-12, 1e100);
    DDX_Text(pDX, m_kDownsize, KDownsizeOffset);
    DDV_MinMaxDouble(pDX, KDownsizeOffset, 1e-12, 1e100);
    DDX_Text(pDX, m_convergence, MinConvergence);
    DDV_MinMaxDouble(pDX, MinConvergence, 0, 1);
    DDX_Text(pDX, m_convergenceSteps, ConvergenceSteps);
    DDV_MinMaxInt(pDX, ConvergenceSteps, 1, 100);
    DDX_CBIndex(pDX, m_function, OptimizationFunction);
    DDV_MinMaxInt(pDX, OptimizationFunction, 0, 4);
    DDX_Text(pDX, m_functionParam, FunctionParam);
    DDX_Check(pDX, m_targetDriven, AddTargetDrivenOptimization);
}

void CLedFitterParamsEditDlg::ShowSets()
{
    m_targetList->RemoveAll();
    m_targetList->SetSpectra(targetSet);
    m_observerList->RemoveAll();
    m_observerList->SetSpectra(observerSet);
}

void CLedFitterParamsEditDlg::SetSettings(const LEDFitterSettings& settings)
{
    const OptimizerOptions& o = settings.Options;
    ConvergenceSteps = o.ConvergenceSteps;
    MinStep = o.MinStep;
    KDownsizeOffset = o.KDownsizeOffset;
    KUpsizeOffset = o.KUpsizeOffset;
    MaxStep = o.MaxStep;
    MinConvergence = o.MinConvergence;
    MinGradient = o.MinGradient;
    MinValue = o.MinValue;
    StepDownsizeFactor = o.StepDownsizeFactor;
    StepUpsizeFactor = o.StepUpsizeFactor;
    MaxIterations = o.MaxIterations;
    OptimizationFunction = settings.OptimizationFunction;
    FunctionParam = settings.FunctionParam;
    AddTargetDrivenOptimization = settings.AddTargetDrivenOptimization;
    // The windows let go of the spectra before the sets are refilled.
    m_targetList->RemoveAll();
    m_observerList->RemoveAll();
    CopySet(targetSet, settings.TargetSpecs);
    CopySet(observerSet, settings.ObserverSpecs);
    if (m_running) {
        ShowSets();
        UpdateData(false);
    }
}

bool CLedFitterParamsEditDlg::GetSettings(LEDFitterSettings& settings)
{
    if (m_running && !UpdateData(true))
        return false;
    OptimizerOptions& o = settings.Options;
    o.ConvergenceSteps = ConvergenceSteps;
    o.MinStep = MinStep;
    o.KDownsizeOffset = KDownsizeOffset;
    o.KUpsizeOffset = KUpsizeOffset;
    o.MaxStep = MaxStep;
    o.MinConvergence = MinConvergence;
    o.MinGradient = MinGradient;
    o.MinValue = MinValue;
    o.StepDownsizeFactor = StepDownsizeFactor;
    o.StepUpsizeFactor = StepUpsizeFactor;
    o.MaxIterations = MaxIterations;
    settings.OptimizationFunction = OptimizationFunction;
    settings.FunctionParam = FunctionParam;
    settings.AddTargetDrivenOptimization = AddTargetDrivenOptimization;
    CopySet(settings.TargetSpecs, targetSet);
    CopySet(settings.ObserverSpecs, observerSet);
    return true;
}

void CLedFitterParamsEditDlg::OnInitDialog()
{
    ShowSets();
    UpdateData(false);
}

int CLedFitterParamsEditDlg::DoModal()
{
    OnInitDialog();
    m_running = true;
    const int result = platform::GetPrompter().RunModal(*this);
    m_running = false;
    return result;
}

void CLedFitterParamsEditDlg::accept()
{
    if (UpdateData(true))
        QDialog::accept();
}

void CLedFitterParamsEditDlg::Browse(SpectraSet& set, CSpecWindowList* list)
{
    const QString path = platform::GetFileChooser().GetOpenFileName(this, QString(), QString(), QString());
    if (path.isEmpty())
        return;
    HostScope scope(m_host);
    list->RemoveAll(); // the windows let go of the set's spectra first
    set.LoadChosenFile(path.toStdString());
    list->SetSpectra(set);
}

void CLedFitterParamsEditDlg::OnBnClickedBrowseTargets()
{
    Browse(targetSet, m_targetList);
}

void CLedFitterParamsEditDlg::OnBnClickedBrowseObservers()
{
    Browse(observerSet, m_observerList);
}
