#pragma once
// The base form of every module's editor pane. The program creates a form from the run-time
// class record its module hands out (Module::GetEditorClass), calls SetModule, then
// InitModuleEditor, then UpdateData(false); the form binds its controls to the module's
// parameters in DoDataExchange. Select all, copy and paste in the form's edits are the
// edits' own Qt shortcuts, which take precedence over window actions on the same keys.
#include "platform/data_exchange.h"
#include "platform/runtime_class.h"

#include <QWidget>

#include <atomic>

class Module;

class CModuleEditor : public QWidget, public platform::DataExchanger {
    Q_OBJECT
    DECLARE_DYNAMIC(CModuleEditor)

public:
    ~CModuleEditor() override;

    // Stores the module (not owned) and shows its values (UpdateData(false)).
    void SetModule(Module* module);
    Module* GetModule() const { return m_module; }
    // The id of the form's layout, as passed by the derived form.
    int GetTemplateId() const { return m_templateId; }

    // Prepares the form's controls for its module; the base does nothing.
    virtual void InitModuleEditor();

protected:
    explicit CModuleEditor(int templateId, QWidget* parent = nullptr);

    // The base has no controls of its own; forms call it first.
    void DoDataExchange(CDataExchange* pDX) override;

    // Runs function on the form's module on a worker thread while the window keeps handling
    // events, and returns its result. False at once, without a thread, while another run of
    // this form is under way, and without a module or function.
    // The operation runs off the GUI thread: it must not touch widgets or the host
    // (ModuleInterface), which belong to the GUI thread.
    bool RunAsThread(bool (Module::*function)());

private:
    Module* m_module = nullptr;
    int m_templateId;
    std::atomic<bool> m_busy{false};
};
