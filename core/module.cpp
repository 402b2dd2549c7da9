#include "core/module.h"

#include <algorithm>

template class ns_tree::Tree<Module, ModuleTreeData>;

SAutomationPtrList::SAutomationPtrList(const std::string& name, Function function)
    : name(name)
    , function(function)
{
}

Module::Module(const std::string& typeName)
    : ns_param::ParameterIO(typeName, "Parameters")
{
}

Module::Module(const Module& other) = default;
Module& Module::operator=(const Module& other) = default;
Module::~Module() = default;

std::vector<SAutomationPtrList> Module::GetAutomationPtr() { return {}; }

void Module::Insert(ModuleTreeBase::TreeNode* node)
{
    node->SetData(new ModuleTreeData(this, ModuleTreeData::kModule));
    const auto addChild = [&](const std::string& name, int kind) {
        auto* child = new ModuleTreeBase::TreeNode(name);
        if (!node->AddChild(child)) {
            delete child;
            return;
        }
        child->SetData(new ModuleTreeData(this, kind));
    };
    for (const SAutomationPtrList& operation : GetAutomationPtr())
        addChild(operation.name, ModuleTreeData::kFunction);
    ns_param::Paramora& parameters = getParameters();
    for (auto it = parameters.getFirstParameter(); it != parameters.getLastParameter(); ++it)
        addChild(it->first, ModuleTreeData::kParameter);
}

std::optional<bool> Module::RunAutomation(const std::string& command)
{
    const std::vector<SAutomationPtrList> operations = GetAutomationPtr();
    const auto it = std::find_if(operations.begin(), operations.end(),
                                 [&](const SAutomationPtrList& op) { return op.name == command; });
    if (it == operations.end() || !it->function)
        return std::nullopt;
    const ns_tree::FreeHold frees(ns_tree::FreeHold::Scope::Own);
    return (this->*(it->function))();
}

ModuleTreeData::ModuleTreeData(Module* module, int kind)
    : ns_tree::TreeData<Module>(module)
    , m_kind(kind)
{
}

ModuleTreeData::~ModuleTreeData() = default;

ModuleTree::ModuleTree() = default;
ModuleTree::~ModuleTree() = default;
