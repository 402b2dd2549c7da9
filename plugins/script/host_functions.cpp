#include "script/host_functions.h"

#include "script/mervolt.h"
#include "script/script_values.h"

#include "core/module_interface.h"

#include <formulux/mc_compiler.h>

using namespace script;

std::string script::CutUtf8(const std::string& text, std::size_t maxBytes)
{
    if (text.size() <= maxBytes)
        return text;
    std::size_t end = maxBytes;
    while (end > 0 && (static_cast<unsigned char>(text[end]) & 0xC0u) == 0x80u)
        --end;
    return text.substr(0, end);
}

CompilerLogMessage::CompilerLogMessage(const std::string& name, CMCSharedParameter* shared, ModuleInterface* host)
    : ScriptFunction(name, shared)
    , m_host(host)
{
}

CompilerLogMessage::~CompilerLogMessage() = default;

int CompilerLogMessage::execute(Args args)
{
    if (!IsRow(args, 0))
        return Fail(RowText(1));
    m_host->AddLogMessage("%s", CutUtf8(TextOf(*args[0]), kMaxBytes).c_str());
    return 0;
}

CompilerAbortModule::CompilerAbortModule(const std::string& name, CMCSharedParameter* shared, ModuleInterface* host)
    : ScriptFunction(name, shared)
    , m_host(host)
{
}

CompilerAbortModule::~CompilerAbortModule() = default;

int CompilerAbortModule::execute(Args)
{
    result = CMCVariable(m_host->UserWantsAbort() ? 1.0 : 0.0);
    return 0;
}

CompilerRepaintModule::CompilerRepaintModule(const std::string& name, CMCSharedParameter* shared,
                                             ModuleInterface* host)
    : ScriptFunction(name, shared)
    , m_host(host)
{
}

CompilerRepaintModule::~CompilerRepaintModule() = default;

int CompilerRepaintModule::execute(Args)
{
    m_host->RepaintSpecView();
    return 0;
}

GetVariableFunction::GetVariableFunction(const std::string& name, CMCSharedParameter* shared, Mervolt* module)
    : ScriptFunction(name, shared)
    , m_module(module)
{
}

GetVariableFunction::~GetVariableFunction() = default;

int GetVariableFunction::execute(Args args)
{
    if (!IsRow(args, 0))
        return Fail(RowText(1));
    const std::string name = TextOf(*args[0]);
    const CMCVariable* variable = m_module->GetCompiler().getVarManager()->getVar(name);
    if (!variable)
        return Fail(name + " ist keine Variable");
    const int rows = variable->getRows();
    const int cols = variable->getCols();
    result.resizeVar(rows, cols);
    for (int r = 0; r < rows; ++r)
        for (int c = 0; c < cols; ++c)
            result.setData(r, c, variable->getData(r, c));
    result.setText(variable->isText());
    return 0;
}
