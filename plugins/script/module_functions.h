#pragma once
// Script functions on other modules of the module tree, found by their menu path ("|" marks
// kept): run one of their named operations, set and read their parameters.
#include "script/script_function.h"

class Module;
class ModuleInterface;

// The base of the functions on a module: the host whose module tree they search, and the
// checks every one of them starts with.
class ModuleFunction : public script::ScriptFunction {
public:
    ModuleFunction(const std::string& name, CMCSharedParameter* shared, ModuleInterface* host);
    ~ModuleFunction() override;

protected:
    // With arguments 0 and 1 texts: the module argument 0 names. Otherwise null, after
    // reporting why through Fail.
    Module* NamedModule(script::Args args);

    ModuleInterface* m_host;
};

// run(module, command): the module's operation of exactly that name; 1 when it succeeded.
class CompilerRunModule : public ModuleFunction {
public:
    using ModuleFunction::ModuleFunction;
    int execute(script::Args args) override;
};

// setParameter(module, parameter, value): numbers and texts; other kinds stay as they are.
class CompilerSetParameterModule : public ModuleFunction {
public:
    using ModuleFunction::ModuleFunction;
    int execute(script::Args args) override;
};

// getParameter(module, parameter): a number as 1x1, a text as 1xN; other kinds give 0x0.
class CompilerGetParameterModule : public ModuleFunction {
public:
    using ModuleFunction::ModuleFunction;
    int execute(script::Args args) override;
};
