#pragma once
// The base of every processing module: an object of the module tree (its name is its menu
// path there), a parameter container persisted as the group "Parameters" under the module's
// type name, the run-time class of its editor form, its named operations, and the host
// interface it was given.
#include "core/tree.h"

#include <paramora/parameter_io.h>

#include <optional>
#include <string>
#include <vector>

struct CRuntimeClass;
class Module;
class ModuleInterface;
class ModuleTreeData;

// One named operation: a command name ("load", "save", ...) and a member function of the
// module without arguments that returns its success.
struct SAutomationPtrList {
    using Function = bool (Module::*)();

    SAutomationPtrList() = default;
    SAutomationPtrList(const std::string& name, Function function);

    std::string name;
    Function function = nullptr;
};

using ModuleTreeBase = ns_tree::Tree<Module, ModuleTreeData>;

class Module : public ns_tree::Inserter, public ns_param::ParameterIO {
public:
    // typeName names the parameter group in project files ("Calculation_PlanckianSource");
    // the tree name stays empty until the host inserts the module.
    explicit Module(const std::string& typeName);
    // Copies take tree name, marked flag, parameters and host.
    Module(const Module& other);
    Module& operator=(const Module& other);
    ~Module() override;

    void SetModuleInterface(ModuleInterface* host) { m_host = host; }
    // The host; null until the host has set it.
    ModuleInterface* GetModuleInterface() const { return m_host; }

    // The run-time class of the module's editor form, a CModuleEditor subclass.
    virtual const CRuntimeClass* GetEditorClass() = 0;
    // The named operations, in the module's order; none in the base.
    virtual std::vector<SAutomationPtrList> GetAutomationPtr();

    using ns_tree::Inserter::Insert;
    // Placing on a module-tree node: the node (keeping the name the tree gave it) gets the
    // module as its payload, then one child per operation, then one per parameter in the
    // container's order, without events: the tree's OnUpdateNode for the module's node is
    // the view's cue. A name already used among those children is skipped (the first stays).
    // The children's payloads point to the module itself, so a parameter or operation path
    // must never be passed to the tree's DeleteInserters.
    virtual void Insert(ModuleTreeBase::TreeNode* node);

    // Runs the operation of that exact command name and returns its result; nothing when the
    // module has no such operation. The caller (a script) keeps no pointers into the trees
    // across the call, so what the operation replaced or deleted is freed when it returns
    // (ns_tree::FreeHold::Scope::Own).
    std::optional<bool> RunAutomation(const std::string& command);

private:
    ModuleInterface* m_host = nullptr;
};

// Payload of a module-tree node: the module and what the node shows of it.
class ModuleTreeData : public ns_tree::TreeData<Module> {
public:
    enum Kind { kModule = 0, kParameter = 1, kFunction = 2 };

    explicit ModuleTreeData(Module* module = nullptr, int kind = kModule);
    ~ModuleTreeData() override;

    int GetKind() const { return m_kind; }

private:
    int m_kind;
};

extern template class ns_tree::Tree<Module, ModuleTreeData>;

// The program's module tree; declared here because plug-ins reach it through the host.
class ModuleTree : public ModuleTreeBase {
public:
    ModuleTree();
    ~ModuleTree() override;
};
