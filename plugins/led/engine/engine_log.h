#pragma once
// The engine's log: printf-style lines forwarded to the host that runs the current
// operation. Engine code logs only through these helpers; user texts go in through "%s".

#include "platform/colorref.h"

#include <atomic>

class ModuleInterface;

// The host of the running operation; null at load and whenever no operation runs.
// Null means the lines are dropped. Atomic because the regulator's worker reads it.
extern std::atomic<ModuleInterface*> CurrentHost;

// The log's colour of error lines.
inline constexpr COLORREF kEngineErrorColour = 0x000070;

void EngineLog(const char* format, ...) __attribute__((format(printf, 1, 2)));
void EngineLogColor(COLORREF colour, const char* format, ...) __attribute__((format(printf, 2, 3)));
// True while the current host reports the user's abort request; false without a host.
bool EngineUserWantsAbort();
