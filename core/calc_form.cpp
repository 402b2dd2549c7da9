#include "core/calc_form.h"

#include "core/module_interface.h"

#include <QComboBox>
#include <QCoreApplication>
#include <QEvent>
#include <QGridLayout>
#include <QLineEdit>
#include <QPointer>
#include <QScrollArea>
#include <QVBoxLayout>

#include <exception>

namespace calc {

void LogError(ModuleInterface* host, const std::string& text)
{
    if (host)
        host->AddLogColorMessage(kErrorColour, "%s", text.c_str());
}

void LogHint(ModuleInterface* host, const std::string& text)
{
    if (host)
        host->AddLogColorMessage(kHintColour, "%s", text.c_str());
}

CalcModule::~CalcModule() = default;

SpectrumTree* CalcModule::Spectra() const
{
    ModuleInterface* host = GetModuleInterface();
    return host ? host->GetSpectrumTree() : nullptr;
}

CalcModule::RunGuard::RunGuard(CalcModule& module)
    : m_module(module)
    , m_held(!module.m_running)
{
    if (m_held) {
        module.m_running = true;
        m_frees.emplace();
    }
}

CalcModule::RunGuard::~RunGuard()
{
    if (m_held)
        m_module.m_running = false;
}

void RunBracketed(CalcModule* module, bool (Module::*operation)())
{
    if (!module || module->IsRunning())
        return;
    // Events flow during the operation: nothing of the caller (a form, a field) is touched
    // afterwards, only the host, which outlives its modules.
    ModuleInterface* host = module->GetModuleInterface();
    if (host)
        host->StartCalculation();
    try {
        (module->*operation)();
    } catch (const std::exception& e) {
        LogError(host, std::string("Fehler: ") + e.what());
    }
    if (host)
        host->EndCalculation();
}

platform::DataExchanger* FormOf(QWidget* field)
{
    for (QWidget* w = field ? field->parentWidget() : nullptr; w; w = w->parentWidget()) {
        if (auto* form = dynamic_cast<platform::DataExchanger*>(w))
            return form;
        if (w->isWindow())
            break;
    }
    return nullptr;
}

void ExchangeString(CDataExchange* pDX, QLineEdit* edit, ns_param::Paramora& p, const char* name)
{
    std::string value = *p.getStringParameter(name);
    DDX_Text(pDX, edit, value);
    p.setStringParameter(name, value);
}

void ExchangeDouble(CDataExchange* pDX, QLineEdit* edit, ns_param::Paramora& p, const char* name)
{
    double value = *p.getDoubleParameter(name);
    DDX_Text(pDX, edit, value);
    p.setDoubleParameter(name, value);
}

void ExchangeDouble(CDataExchange* pDX, QLineEdit* edit, ns_param::Paramora& p, const char* name, double min,
                    double max)
{
    double value = *p.getDoubleParameter(name);
    DDX_Text(pDX, edit, value);
    DDV_MinMaxDouble(pDX, value, min, max);
    p.setDoubleParameter(name, value);
}

void ExchangeCheck(CDataExchange* pDX, QAbstractButton* box, ns_param::Paramora& p, const char* name)
{
    bool value = *p.getBoolParameter(name);
    DDX_Check(pDX, box, value);
    p.setBoolParameter(name, value);
}

CCalcForm::CCalcForm(int templateId, int minWidth, int minHeight)
    : CModuleEditor(templateId)
{
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    m_scroll = new QScrollArea(this);
    m_scroll->setWidgetResizable(true);
    m_scroll->setFrameShape(QFrame::NoFrame);
    // The scrolled widget is at least minWidth x minHeight and at least what the controls
    // need: a spacer of the floor size shares one grid cell with the content. A minimum set on
    // the content itself would replace its layout's minimum and squeeze the controls.
    auto* scrolled = new QWidget;
    auto* floor = new QGridLayout(scrolled);
    floor->setContentsMargins(0, 0, 0, 0);
    floor->addItem(new QSpacerItem(minWidth, minHeight, QSizePolicy::Minimum, QSizePolicy::Minimum), 0, 0);
    m_content = new QWidget(scrolled);
    floor->addWidget(m_content, 0, 0);
    m_scroll->setWidget(scrolled);
    layout->addWidget(m_scroll);
}

CCalcForm::~CCalcForm() = default;

void CCalcForm::DoDataExchange(CDataExchange* pDX)
{
    CModuleEditor::DoDataExchange(pDX);
    Module* module = GetModule();
    if (!module)
        return;
    if (!pDX->m_bSaveAndValidate) {
        ExchangeFields(pDX);
        return;
    }
    const ns_param::Paramora before = module->getParameters();
    try {
        ExchangeFields(pDX);
    } catch (const platform::DataExchangeStop&) {
        module->getParameters() = before;
        throw;
    }
}

void CCalcForm::RunOperation(bool (Module::*operation)())
{
    auto* module = dynamic_cast<CalcModule*>(GetModule());
    if (!module || module->IsRunning() || !UpdateData(true))
        return;
    RunBracketed(module, operation);
}

void CCalcForm::showEvent(QShowEvent* event)
{
    for (QComboBox* combo : m_content->findChildren<QComboBox*>()) {
        combo->setFocusPolicy(Qt::StrongFocus);
        combo->installEventFilter(this); // installed once: a second install only moves it
    }
    CModuleEditor::showEvent(event);
}

bool CCalcForm::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::Wheel && qobject_cast<QComboBox*>(watched) &&
        !static_cast<QWidget*>(watched)->hasFocus()) {
        // The scroll area turns instead (through its viewport, as a wheel over a gap would).
        QCoreApplication::sendEvent(m_scroll->viewport(), event);
        return true;
    }
    return CModuleEditor::eventFilter(watched, event);
}

void CCalcForm::OnEnter(QLineEdit* edit, bool (Module::*operation)())
{
    connect(edit, &QLineEdit::returnPressed, this, [this, operation] {
        auto* module = dynamic_cast<CalcModule*>(GetModule());
        if (!module || module->IsRunning() || !UpdateData(true))
            return;
        // Events flow during the operation; the form may be gone afterwards.
        const QPointer<CCalcForm> alive(this);
        try {
            (module->*operation)();
        } catch (const std::exception& e) {
            LogError(module->GetModuleInterface(), std::string("Fehler: ") + e.what());
        }
        if (alive)
            UpdateData(false);
    });
}

} // namespace calc
