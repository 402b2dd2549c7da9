#include "module_support.h"

#include "messages.h"

#include "core/module.h"
#include "core/module_interface.h"
#include "platform/file_contents.h"

namespace loadsave {

std::string StringParameter(Module& module, const std::string& name)
{
    const std::string* value = module.getParameters().getStringParameter(name);
    return value ? *value : std::string();
}

bool BoolParameter(Module& module, const std::string& name)
{
    const bool* value = module.getParameters().getBoolParameter(name);
    return value && *value;
}

void LogError(Module& module, const char* text)
{
    if (ModuleInterface* host = module.GetModuleInterface())
        host->AddLogColorMessage(msg::kErrorColour, "%s", text);
}

bool WriteOrReport(Module& module, const std::string& path, const std::string& content)
{
    if (platform::ReplaceFileContents(path, content))
        return true;
    LogError(module, msg::kCannotOpen);
    return false;
}

} // namespace loadsave
