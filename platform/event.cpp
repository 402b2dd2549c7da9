#include "platform/event.h"

namespace platform {

Event::Event(bool manualReset, bool initiallySet)
    : m_manualReset(manualReset)
    , m_set(initiallySet)
{
}

void Event::Set()
{
    {
        std::lock_guard lock(m_mutex);
        m_set = true;
    }
    if (m_manualReset)
        m_cv.notify_all();
    else
        m_cv.notify_one();
}

void Event::Reset()
{
    std::lock_guard lock(m_mutex);
    m_set = false;
}

bool Event::IsSet() const
{
    std::lock_guard lock(m_mutex);
    return m_set;
}

bool Event::Wait()
{
    std::unique_lock lock(m_mutex);
    m_cv.wait(lock, [this] { return m_set; });
    if (!m_manualReset)
        m_set = false;
    return true;
}

bool Event::Wait(std::chrono::milliseconds timeout)
{
    std::unique_lock lock(m_mutex);
    if (!m_cv.wait_for(lock, timeout, [this] { return m_set; }))
        return false;
    if (!m_manualReset)
        m_set = false;
    return true;
}

} // namespace platform
