#include "platform/runtime_class.h"

#include <algorithm>
#include <mutex>
#include <vector>

namespace {

struct Registry {
    std::mutex mutex;
    std::vector<const CRuntimeClass*> records; // in registration order
};

// Libraries initialise in any order and may register before or after this library's own
// statics; the registry is made on first use and never destroyed, so a registrar that is
// destroyed late (at exit, after this library's statics) still finds it.
Registry& GetRegistry()
{
    static Registry* registry = new Registry;
    return *registry;
}

} // namespace

QWidget* CRuntimeClass::CreateObject(QWidget* parent) const
{
    return m_pfnCreateObject ? m_pfnCreateObject(parent) : nullptr;
}

bool CRuntimeClass::IsDerivedFrom(const CRuntimeClass* base) const
{
    for (const CRuntimeClass* c = this; c; c = c->m_pBaseClass)
        if (c == base)
            return true;
    return false;
}

const CRuntimeClass* CRuntimeClass::FromName(std::string_view className)
{
    Registry& r = GetRegistry();
    std::lock_guard lock(r.mutex);
    auto it = std::find_if(r.records.rbegin(), r.records.rend(),
                           [&](const CRuntimeClass* c) { return className == c->m_lpszClassName; });
    return it == r.records.rend() ? nullptr : *it;
}

CRuntimeClassRegistrar::CRuntimeClassRegistrar(const CRuntimeClass* record)
    : m_record(record)
{
    Registry& r = GetRegistry();
    std::lock_guard lock(r.mutex);
    r.records.push_back(record);
}

CRuntimeClassRegistrar::~CRuntimeClassRegistrar()
{
    Registry& r = GetRegistry();
    std::lock_guard lock(r.mutex);
    auto it = std::find(r.records.rbegin(), r.records.rend(), m_record);
    if (it != r.records.rend())
        r.records.erase(std::next(it).base());
}
