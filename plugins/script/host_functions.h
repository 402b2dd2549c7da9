#pragma once
// Script functions on the host and the script itself: a log line, the abort request, a
// redraw of the diagram, and the value of a script variable by name.
#include "script/script_function.h"

class ModuleInterface;
class Mervolt;

// msgOut(text): the first 255 bytes (whole UTF-8 characters) as one log line.
class CompilerLogMessage : public script::ScriptFunction {
public:
    static constexpr std::size_t kMaxBytes = 255;

    CompilerLogMessage(const std::string& name, CMCSharedParameter* shared, ModuleInterface* host);
    ~CompilerLogMessage() override;
    int execute(script::Args args) override;

private:
    ModuleInterface* m_host;
};

// wantAbort(): 1 once the user asked to stop, else 0.
class CompilerAbortModule : public script::ScriptFunction {
public:
    CompilerAbortModule(const std::string& name, CMCSharedParameter* shared, ModuleInterface* host);
    ~CompilerAbortModule() override;
    int execute(script::Args args) override;

private:
    ModuleInterface* m_host;
};

// redraw(): the diagram is drawn again.
class CompilerRepaintModule : public script::ScriptFunction {
public:
    CompilerRepaintModule(const std::string& name, CMCSharedParameter* shared, ModuleInterface* host);
    ~CompilerRepaintModule() override;
    int execute(script::Args args) override;

private:
    ModuleInterface* m_host;
};

// getVar(name): a copy of the running script's top-level variable of that name.
class GetVariableFunction : public script::ScriptFunction {
public:
    GetVariableFunction(const std::string& name, CMCSharedParameter* shared, Mervolt* module);
    ~GetVariableFunction() override;
    int execute(script::Args args) override;

private:
    Mervolt* m_module;
};

namespace script {
// The first maxBytes bytes of text, cut back to the start of a UTF-8 character.
std::string CutUtf8(const std::string& text, std::size_t maxBytes);
} // namespace script
