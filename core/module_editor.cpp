#include "core/module_editor.h"

#include "core/module.h"
#include "platform/worker_wait.h"

#include <QPointer>

IMPLEMENT_RUNTIMECLASS(CModuleEditor, nullptr, nullptr)

CModuleEditor::CModuleEditor(int templateId, QWidget* parent)
    : QWidget(parent)
    , m_templateId(templateId)
{
}

CModuleEditor::~CModuleEditor() = default;

void CModuleEditor::SetModule(Module* module)
{
    m_module = module;
    UpdateData(false);
}

void CModuleEditor::InitModuleEditor() {}

void CModuleEditor::DoDataExchange(CDataExchange* pDX) { DataExchanger::DoDataExchange(pDX); }

bool CModuleEditor::RunAsThread(bool (Module::*function)())
{
    Module* module = m_module;
    if (!module || !function || m_busy.exchange(true))
        return false;
    // Events flow during the wait: the form may be destroyed meanwhile (another module
    // chosen); then its members are not touched again.
    const QPointer<CModuleEditor> alive(this);
    struct Release {
        const QPointer<CModuleEditor>& form;
        ~Release()
        {
            if (form)
                form->m_busy = false;
        }
    } release{alive};
    return platform::RunOnWorker([module, function] { return (module->*function)(); });
}
