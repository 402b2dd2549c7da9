#include "modules/led_form.h"

#include "modules/led_module_base.h"

#include "core/calculation_guard.h"
#include "core/module_interface.h"

#include <QAbstractButton>
#include <QLineEdit>
#include <QGridLayout>
#include <QPointer>
#include <QScrollArea>
#include <QVBoxLayout>

#include <exception>

namespace led {

CLEDForm::CLEDForm(int templateId, int minWidth, int minHeight)
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

CLEDForm::~CLEDForm() = default;

LEDModuleBase* CLEDForm::LEDModule() const
{
    return dynamic_cast<LEDModuleBase*>(GetModule());
}

void CLEDForm::DoDataExchange(CDataExchange* pDX)
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

bool CLEDForm::RunOperation(bool (LEDModuleBase::*operation)())
{
    LEDModuleBase* module = LEDModule();
    if (!module || module->IsBusy() || !UpdateData(true))
        return false;
    const QPointer<CLEDForm> alive(this);
    {
        CalculationGuard busy(module->GetModuleInterface());
        try {
            (module->*operation)();
        } catch (const std::exception& e) {
            module->LogError("Fehler: %s", e.what());
        }
    }
    return alive;
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

void ExchangeInt(CDataExchange* pDX, QLineEdit* edit, ns_param::Paramora& p, const char* name)
{
    int value = *p.getIntParameter(name);
    DDX_Text(pDX, edit, value);
    p.setIntParameter(name, value);
}

void ExchangeCheck(CDataExchange* pDX, QAbstractButton* box, ns_param::Paramora& p, const char* name)
{
    bool value = *p.getBoolParameter(name);
    DDX_Check(pDX, box, value);
    p.setBoolParameter(name, value);
}

} // namespace led
