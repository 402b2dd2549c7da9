#include "core/calc_form.h"

#include "core/calculation_guard.h"
#include "core/module_interface.h"

#include <paramora/parameter_types.h>

#include <QComboBox>
#include <QCoreApplication>
#include <QEvent>
#include <QGridLayout>
#include <QLineEdit>
#include <QPointer>
#include <QScrollArea>
#include <QVBoxLayout>

#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <exception>
#include <optional>

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

namespace {

// The value of a byte, int, float or double parameter; nothing for other kinds.
std::optional<double> NumberOf(const ns_param::BaseParameterType& parameter)
{
    switch (parameter.getType()) {
    case ns_param::TYPE_BYTE:
        return static_cast<const ns_param::ByteParameterType&>(parameter).getValue();
    case ns_param::TYPE_INT:
        return static_cast<const ns_param::IntParameterType&>(parameter).getValue();
    case ns_param::TYPE_FLOAT:
        return static_cast<const ns_param::FloatParameterType&>(parameter).getValue();
    case ns_param::TYPE_DOUBLE:
        return static_cast<const ns_param::DoubleParameterType&>(parameter).getValue();
    default:
        return std::nullopt;
    }
}

bool Meets(const ns_param::BaseParameterType& parameter, double value, OwnRange own)
{
    if (own == OwnRange::Unused)
        return true;
    // NaN fails every comparison; an infinity fails where the range is finite, and the
    // finiteness test also where it is not.
    if (!std::isfinite(value))
        return false;
    switch (own) {
    case OwnRange::AsItStands:
    case OwnRange::Clamped:
        return true;
    case OwnRange::Absolute:
        value = std::fabs(value);
        break;
    case OwnRange::RaisedBelow:
        value = std::max(value, parameter.getMin());
        break;
    default:
        break;
    }
    return value >= parameter.getMin() && value <= parameter.getMax();
}

bool InRange(const ns_param::BaseParameterType& parameter, double value, const char* name, ModuleInterface* host,
             OwnRange own = OwnRange::None)
{
    if (Meets(parameter, value, own))
        return true;
    LogOutOfRange(host, name, parameter.getMin(), parameter.getMax());
    return false;
}

bool InRange(const ns_param::BaseParameterType& parameter, const std::string& name, ModuleInterface* host,
             const OwnRanges& own)
{
    const std::optional<double> value = NumberOf(parameter);
    return !value || InRange(parameter, *value, name.c_str(), host, own ? own(name) : OwnRange::None);
}

} // namespace

bool MeetsRangeRule(const ns_param::BaseParameterType& parameter, OwnRange own)
{
    const std::optional<double> value = NumberOf(parameter);
    return !value || Meets(parameter, *value, own);
}

bool ParametersInRange(const ns_param::Paramora& p, ModuleInterface* host, const OwnRanges& own)
{
    return ParametersInRangeExcept(p, host, {}, own);
}

bool ParametersInRange(const ns_param::Paramora& p, ModuleInterface* host, std::initializer_list<const char*> names,
                       const OwnRanges& own)
{
    for (const char* name : names) {
        const ns_param::BaseParameterType* parameter = p.getParameter(name);
        if (parameter && !InRange(*parameter, name, host, own))
            return false;
    }
    return true;
}

bool ParametersInRangeExcept(const ns_param::Paramora& p, ModuleInterface* host,
                             std::initializer_list<const char*> settled, const OwnRanges& own)
{
    for (auto it = p.getFirstParameter(); it != p.getLastParameter(); ++it) {
        if (std::find(settled.begin(), settled.end(), it->first) == settled.end()
            && !InRange(*it->second, it->first, host, own))
            return false;
    }
    return true;
}

bool ValueInRange(const ns_param::Paramora& p, ModuleInterface* host, const char* name, double value)
{
    const ns_param::BaseParameterType* parameter = p.getParameter(name);
    return !parameter || !NumberOf(*parameter) || InRange(*parameter, value, name, host);
}

void LogOutOfRange(ModuleInterface* host, const char* name, double min, double max)
{
    if (host)
        host->AddLogColorMessage(kErrorColour,
                                 "Fehler: Parameter '%s' liegt außerhalb des zulässigen Bereichs (%g bis %g)!", name,
                                 min, max);
}

double RunMemoryBudget()
{
    static const double budget = [] {
        const long pages = sysconf(_SC_PHYS_PAGES);
        const long size = sysconf(_SC_PAGE_SIZE);
        const double physical = pages > 0 && size > 0 ? static_cast<double>(pages) * static_cast<double>(size) : 0.0;
        return physical > 0.0 ? std::min(physical / 2.0, kRunMemoryCeiling) : kRunMemoryCeiling;
    }();
    return budget;
}

double CountInBudget(double bytesEach, double fixedBytes, double max)
{
    const double room = RunMemoryBudget() - std::max(fixedBytes, 0.0);
    if (!(room > 0.0))
        return 0.0;
    return std::clamp(std::floor(room / std::max(bytesEach, 1.0)), 0.0, max);
}

bool CountFitsMemory(ModuleInterface* host, const char* name, double count, double min, double bytesEach,
                     double fixedBytes)
{
    const double limit = CountInBudget(bytesEach, fixedBytes);
    if (count <= limit)
        return true;
    LogOutOfRange(host, name, min, limit);
    return false;
}

CalcModule::~CalcModule() = default;

namespace {

OwnRanges OwnRangesOf(CalcModule& module)
{
    return [&module](const std::string& name) { return module.OwnRangeOf(name); };
}

} // namespace

bool CalcModule::CountFitsMemory(const char* name, double count, double min, double bytesEach, double fixedBytes)
{
    return calc::CountFitsMemory(GetModuleInterface(), name, count, min, bytesEach, fixedBytes);
}

OwnRange CalcModule::OwnRangeOf(const std::string&)
{
    return OwnRange::None;
}

bool CalcModule::ParametersInRange()
{
    return calc::ParametersInRange(getParameters(), GetModuleInterface(), OwnRangesOf(*this));
}

bool CalcModule::ParametersInRange(std::initializer_list<const char*> names)
{
    return calc::ParametersInRange(getParameters(), GetModuleInterface(), names, OwnRangesOf(*this));
}

bool CalcModule::ParametersInRangeExcept(std::initializer_list<const char*> settled)
{
    return calc::ParametersInRangeExcept(getParameters(), GetModuleInterface(), settled, OwnRangesOf(*this));
}

bool CalcModule::ValueInRange(const char* name, double value)
{
    return calc::ValueInRange(getParameters(), GetModuleInterface(), name, value);
}

void CalcModule::LogOutOfRange(const char* name, double min, double max)
{
    calc::LogOutOfRange(GetModuleInterface(), name, min, max);
}

SpectrumTree* CalcModule::Spectra() const
{
    ModuleInterface* host = GetModuleInterface();
    return host ? host->GetSpectrumTree() : nullptr;
}

CalcModule::RunGuard::RunGuard(CalcModule& module, Numbers numbers)
    : m_module(module)
    , m_held(!module.m_running && (numbers != Numbers::Read || module.ParametersInRange()))
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

CalcModule::RunScope::RunScope(CalcModule& module, Numbers numbers, unsigned trees)
    : m_guard(module, numbers)
    , host(module.GetModuleInterface())
    , spectra(host ? host->GetSpectrumTree() : nullptr)
    , clipboard(host ? host->GetClipboardTree() : nullptr)
    , p(module.getParameters())
    , m_ready(m_guard && (!(trees & kSpectra) || spectra) && (!(trees & kClipboard) || clipboard))
{
}

void RunBracketed(CalcModule* module, bool (Module::*operation)())
{
    if (!module || module->IsRunning())
        return;
    // Events flow during the operation: nothing of the caller (a form, a field) is touched
    // afterwards, only the host, which outlives its modules. The bracket ends on every way
    // out; what is not a standard exception goes on to the caller after it.
    ModuleInterface* host = module->GetModuleInterface();
    const CalculationGuard calculation(host);
    try {
        (module->*operation)();
    } catch (const std::exception& e) {
        LogError(host, std::string("Fehler: ") + e.what());
    }
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
        // The same bracket as the run button; events flow during the operation, so the form
        // may be gone afterwards.
        const QPointer<CCalcForm> alive(this);
        RunBracketed(module, operation);
        if (alive)
            UpdateData(false);
    });
}

} // namespace calc
