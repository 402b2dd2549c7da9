#pragma once
// A replaceable service (message boxes, file dialogs, the desktop's document opener): the
// default implementation unless a test or the program installed another one.
#include <atomic>

namespace platform {

template <class Interface>
class Seam {
public:
    explicit Seam(Interface& fallback) : m_fallback(fallback) {}

    Interface& Get() const
    {
        Interface* installed = m_installed.load();
        return installed ? *installed : m_fallback;
    }
    // Installs service (null: the default again) and returns the one it replaces.
    Interface* Set(Interface* service)
    {
        Interface* previous = m_installed.exchange(service);
        return previous ? previous : &m_fallback;
    }

private:
    Interface& m_fallback;
    std::atomic<Interface*> m_installed{nullptr};
};

} // namespace platform
