#include "engine/engine_log.h"

#include "core/module_interface.h"

#include <cstdarg>

ModuleInterface* CurrentHost = nullptr;

void EngineLog(const char* format, ...)
{
    if (!CurrentHost)
        return;
    va_list args;
    va_start(args, format);
    CurrentHost->AddLogMessageV(format, args);
    va_end(args);
}

void EngineLogColor(COLORREF colour, const char* format, ...)
{
    if (!CurrentHost)
        return;
    va_list args;
    va_start(args, format);
    CurrentHost->AddLogColorMessageV(colour, format, args);
    va_end(args);
}
