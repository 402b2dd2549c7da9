#include "calculation/col_normalize_form.h"

#include "calculation/form_helpers.h"
#include "calculation/col_normalize_module.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

IMPLEMENT_DYNCREATE(CColNormalizeForm, CModuleEditor)

CColNormalizeFormSelectionEdit::CColNormalizeFormSelectionEdit(QWidget* parent)
    : CSelectionEdit(parent)
{
}

CColNormalizeFormSelectionEdit::~CColNormalizeFormSelectionEdit() = default;

void CColNormalizeFormSelectionEdit::OnDropSpecs(const std::string& names)
{
    if (!m_module)
        return;
    if (m_mode == 1) {
        SpectrumTree* tree = m_module->Spectra();
        CSelectionEdit::OnDropSpecs(tree ? calc::DroppedShortNames(*tree, names) : std::string());
    } else {
        CSelectionEdit::OnDropSpecs(names);
    }
    if (platform::DataExchanger* form = calc::FormOf(this))
        form->UpdateData(false);
}

CColNormalizeForm::CColNormalizeForm()
    : calc::CCalcForm(IDD, 456, 180)
{
    QWidget* c = Content();
    auto* layout = new QVBoxLayout(c);

    auto* selection = calc::Named(new QGroupBox("Spektrenauswahl", c), IDC_SELECTIONBOX);
    auto* selectionGrid = new QGridLayout(selection);
    m_specDesc = calc::Named(new CSelectionEdit(selection), IDC_SPECDESC);
    selectionGrid->addWidget(new QLabel("Eingabe-/Zielspektren", selection), 0, 0);
    selectionGrid->addWidget(m_specDesc, 0, 1);
    layout->addWidget(selection);

    auto* references = calc::Named(new QGroupBox("Spektren-Vorgabe", c), IDC_REFSPECBOX);
    auto* referenceGrid = new QGridLayout(references);
    m_refSpec = calc::Named(new CColNormalizeFormSelectionEdit(references), IDC_REFSPEC);
    referenceGrid->addWidget(new QLabel("Spektren \nzur Farbübernahme", references), 0, 0);
    referenceGrid->addWidget(m_refSpec, 0, 1);
    layout->addWidget(references);

    m_start = calc::Named(new QPushButton("STARTEN", c), IDC_START);
    layout->addWidget(m_start);
    layout->addStretch(1);

    connect(m_start, &QPushButton::clicked, this, &CColNormalizeForm::OnBnClickedStart);
    // Enter in the reference field only takes the text and shows the fields again.
    connect(m_refSpec, &QLineEdit::returnPressed, this, [this] {
        if (GetModule() && UpdateData(true))
            UpdateData(false);
    });
}

CColNormalizeForm::~CColNormalizeForm() = default;

void CColNormalizeForm::InitModuleEditor()
{
    UpdateData(false);
    for (CSelectionEdit* edit : {m_specDesc, static_cast<CSelectionEdit*>(m_refSpec)}) {
        edit->SetCanDropSpecs(true);
        edit->SetCanDropGroup(true);
    }
    m_refSpec->SetModule(dynamic_cast<ColNormalizeModule*>(GetModule()));
}

void CColNormalizeForm::OnBnClickedStart()
{
    RunOperation(static_cast<bool (Module::*)()>(&ColNormalizeModule::normalize));
}

void CColNormalizeForm::ExchangeFields(CDataExchange* pDX)
{
    ns_param::Paramora& p = GetModule()->getParameters();
    calc::ExchangeString(pDX, m_specDesc, p, "SpecDesc");
    calc::ExchangeString(pDX, m_refSpec, p, "RefSpecDesc");
}
