#include "script/module_functions.h"

#include "script/script_values.h"

#include "core/module.h"
#include "core/module_interface.h"

#include <paramora/paramora.h>

using namespace script;

namespace {

// The first module the path selects in the host's module tree; null when none.
Module* FindModule(ModuleInterface* host, const std::string& path)
{
    ModuleTree* tree = host ? host->GetModuleTree() : nullptr;
    if (!tree)
        return nullptr;
    const std::list<Module*> found = tree->GetInserters(path, false);
    return found.empty() ? nullptr : found.front();
}

} // namespace

ModuleFunction::ModuleFunction(const std::string& name, CMCSharedParameter* shared, ModuleInterface* host)
    : ScriptFunction(name, shared)
    , m_host(host)
{
}

ModuleFunction::~ModuleFunction() = default;

Module* ModuleFunction::NamedModule(Args args)
{
    if (!IsRow(args, 0)) {
        Fail(RowText(1));
        return nullptr;
    }
    if (!IsRow(args, 1)) {
        Fail(RowText(2));
        return nullptr;
    }
    Module* module = FindModule(m_host, TextOf(*args[0]));
    if (!module)
        Fail(kNotFoundModule);
    return module;
}

int CompilerRunModule::execute(Args args)
{
    Module* module = NamedModule(args);
    if (!module)
        return kFailed;
    // Inside the script's own calculation bracket; the operation may refile spectra, so
    // nothing found before the call is used after it.
    const std::optional<bool> done = module->RunAutomation(TextOf(*args[1]));
    if (!done)
        return Fail(kNotFoundMethod);
    result = CMCVariable(*done ? 1.0 : 0.0);
    return 0;
}

int CompilerSetParameterModule::execute(Args args)
{
    Module* module = NamedModule(args);
    if (!module)
        return kFailed;
    ns_param::Paramora& parameters = module->getParameters();
    const std::string name = TextOf(*args[1]);
    const ns_param::BaseParameterType* parameter = parameters.getParameter(name);
    if (!parameter)
        return Fail(kNotFoundParameter);
    const int type = parameter->getType();
    switch (type) {
    case ns_param::TYPE_BYTE:
    case ns_param::TYPE_BOOL:
    case ns_param::TYPE_INT:
    case ns_param::TYPE_FLOAT:
    case ns_param::TYPE_DOUBLE: {
        if (!HasValue(args, 2))
            return Fail(ScalarText(3));
        const double value = args[2]->data()[0];
        if (type == ns_param::TYPE_BYTE)
            parameters.setByteParameter(name, ToByte(value));
        else if (type == ns_param::TYPE_BOOL)
            parameters.setBoolParameter(name, ToBool(value));
        else if (type == ns_param::TYPE_INT)
            parameters.setIntParameter(name, ToInt(value));
        else if (type == ns_param::TYPE_FLOAT)
            parameters.setFloatParameter(name, ToFloat(value));
        else
            parameters.setDoubleParameter(name, ToDouble(value));
        return 0;
    }
    case ns_param::TYPE_STRING:
        if (!IsRow(args, 2))
            return Fail(kStringValue);
        parameters.setStringParameter(name, TextOf(*args[2]));
        return 0;
    default: return 0;
    }
}

int CompilerGetParameterModule::execute(Args args)
{
    Module* module = NamedModule(args);
    if (!module)
        return kFailed;
    ns_param::Paramora& parameters = module->getParameters();
    const std::string name = TextOf(*args[1]);
    const ns_param::BaseParameterType* parameter = parameters.getParameter(name);
    if (!parameter)
        return Fail(kNotFoundParameter);
    switch (parameter->getType()) {
    case ns_param::TYPE_BYTE: result = CMCVariable(FromByte(*parameters.getByteParameter(name))); break;
    case ns_param::TYPE_BOOL: result = CMCVariable(FromBool(*parameters.getBoolParameter(name))); break;
    case ns_param::TYPE_INT: result = CMCVariable(FromInt(*parameters.getIntParameter(name))); break;
    case ns_param::TYPE_FLOAT: result = CMCVariable(FromFloat(*parameters.getFloatParameter(name))); break;
    case ns_param::TYPE_DOUBLE: result = CMCVariable(FromDouble(*parameters.getDoubleParameter(name))); break;
    case ns_param::TYPE_STRING: result = TextValue(*parameters.getStringParameter(name)); break;
    default: break; // the compiler's empty result
    }
    return 0;
}
