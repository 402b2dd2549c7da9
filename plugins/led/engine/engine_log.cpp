#include "engine/engine_log.h"

ModuleInterface* CurrentHost = nullptr;

void EngineLog(const char* /*format*/, ...)
{
}

void EngineLogColor(COLORREF /*colour*/, const char* /*format*/, ...)
{
}
