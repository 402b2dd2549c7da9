#pragma once
// Script functions on other modules of the module tree, found by their menu path ("|" marks
// kept): run one of their named operations, set and read their parameters.
#include "script/script_function.h"

class ModuleInterface;

// run(module, command): the module's operation of exactly that name; 1 when it succeeded.
class CompilerRunModule : public script::ScriptFunction {
public:
    CompilerRunModule(const std::string& name, CMCSharedParameter* shared, ModuleInterface* host);
    ~CompilerRunModule() override;
    int execute(script::Args args) override;

private:
    ModuleInterface* m_host;
};

// setParameter(module, parameter, value): numbers and texts; other kinds stay as they are.
class CompilerSetParameterModule : public script::ScriptFunction {
public:
    CompilerSetParameterModule(const std::string& name, CMCSharedParameter* shared, ModuleInterface* host);
    ~CompilerSetParameterModule() override;
    int execute(script::Args args) override;

private:
    ModuleInterface* m_host;
};

// getParameter(module, parameter): a number as 1x1, a text as 1xN; other kinds give 0x0.
class CompilerGetParameterModule : public script::ScriptFunction {
public:
    CompilerGetParameterModule(const std::string& name, CMCSharedParameter* shared, ModuleInterface* host);
    ~CompilerGetParameterModule() override;
    int execute(script::Args args) override;

private:
    ModuleInterface* m_host;
};
