#include "calculation/calc_common.h"

#include "core/module_interface.h"
#include "core/string_helpers.h"
#include "platform/vformat.h"

#include <xandril/xandril.h>

#include <QLineEdit>
#include <QPointer>
#include <QScrollArea>
#include <QVBoxLayout>

#include <cstdarg>
#include <exception>

namespace calc {

void CleanGroupPath(std::string& path)
{
    NormColons(path);
}

SPoint ClampedPoint(double x, double y)
{
    return SPoint(x < 0 ? 0.0 : x, y);
}

std::string ShortName(const std::string& path)
{
    const auto colon = path.rfind(':');
    return colon == std::string::npos ? path : path.substr(colon + 1);
}

int SyncEnumFromSel(ns_param::Paramora& parameters, const std::string& name)
{
    ns_xandril::XMLEnumClass* entries = parameters.getEnumParameter(name);
    const int* sel = parameters.getIntParameter(name + "Sel");
    if (!entries || !sel || *sel < 0 || *sel >= entries->getEntryCount())
        return -1;
    if (entries->getIndex() != *sel)
        entries->setIndex(*sel);
    return *sel;
}

std::string FormatText(const char* format, ...)
{
    va_list args;
    va_start(args, format);
    std::string text = platform::VFormat(format, args);
    va_end(args);
    return text;
}

bool FileSpectrum(SpectrumTree& tree, std::unique_ptr<Spectrum> spectrum)
{
    if (!tree.AddInserter(spectrum.get()))
        return false;
    spectrum.release();
    return true;
}

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
    if (m_held)
        module.m_running = true;
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
    m_content = new QWidget;
    m_content->setMinimumSize(minWidth, minHeight);
    m_scroll->setWidget(m_content);
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
