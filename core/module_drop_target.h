#pragma once
// What a control answers so that objects dragged out of the tree views can be dropped on
// it: spectra, a spectrum group, clipboard objects, a clipboard group, modules, parameters,
// functions, or a text of any other kind. The queries refuse and the handlers do nothing
// unless a control overrides them. The dropped text is a ";"-list of ":"-paths, or the
// drag text of a parameter, function or module.
#include <string>

class ModuleDropTarget {
public:
    virtual bool CanDropSpecs() const;
    virtual bool CanDropGroup() const;
    virtual void OnDropSpecs(const std::string& names);
    virtual void OnDropGroup(const std::string& name);
    virtual bool CanDropClipboardObjects() const;
    virtual bool CanDropClipboardGroup() const;
    virtual void OnDropClipboardObjects(const std::string& names);
    virtual void OnDropClipboardObjectNames(const std::string& names);
    virtual void OnDropClipboardGroup(const std::string& name);
    virtual bool CanDropParams() const;
    virtual bool CanDropFunctions() const;
    virtual bool CanDropModules() const;
    virtual void OnDropParam(const std::string& name);
    virtual void OnDropFunction(const std::string& name);
    virtual void OnDropModule(const std::string& name);
    virtual bool CanDrop(std::string text);
    virtual void OnDrop(std::string text);

protected:
    // A second base of controls, which are deleted as widgets, never through this base.
    ModuleDropTarget() = default;
    ModuleDropTarget(const ModuleDropTarget&) = default;
    ModuleDropTarget& operator=(const ModuleDropTarget&) = default;
    ~ModuleDropTarget() = default;
};
