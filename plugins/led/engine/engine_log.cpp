#include "engine/engine_log.h"

#include "core/module_interface.h"

#include <cstdarg>

std::atomic<ModuleInterface*> CurrentHost{nullptr};

void EngineLog(const char* format, ...)
{
    ModuleInterface* host = CurrentHost.load();
    if (!host)
        return;
    va_list args;
    va_start(args, format);
    host->AddLogMessageV(format, args);
    va_end(args);
}

void EngineLogColor(COLORREF colour, const char* format, ...)
{
    ModuleInterface* host = CurrentHost.load();
    if (!host)
        return;
    va_list args;
    va_start(args, format);
    host->AddLogColorMessageV(colour, format, args);
    va_end(args);
}

bool EngineUserWantsAbort()
{
    ModuleInterface* host = CurrentHost.load();
    return host && host->UserWantsAbort();
}
