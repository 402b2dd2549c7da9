#pragma once
// Makes a module's host the engine's log target for the duration of a window command, which
// runs outside a module run (when no host is set the engine's lines are dropped). The host
// in force before is restored.

#include "engine/engine_log.h"

class HostScope {
public:
    explicit HostScope(ModuleInterface* host) : m_previous(CurrentHost)
    {
        if (host != nullptr)
            CurrentHost = host;
    }
    ~HostScope() { CurrentHost = m_previous; }
    HostScope(const HostScope&) = delete;
    HostScope& operator=(const HostScope&) = delete;

private:
    ModuleInterface* m_previous;
};
