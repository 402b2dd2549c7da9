#pragma once
// A buffer an object keeps from one run to the next: a repeated run reuses its pages instead
// of having fresh ones faulted in. Only a buffer up to kKeptBytes is kept; a larger one is
// given back when the run ends.

#include <cstddef>
#include <vector>

template <class T>
class RunBuffer {
public:
    static constexpr std::size_t kKeptBytes = std::size_t{16} << 20;

    // The buffer, empty, for the lifetime of one run.
    class Lease {
    public:
        explicit Lease(RunBuffer& buffer)
            : m_values(buffer.m_values)
        {
            m_values.clear();
        }
        ~Lease()
        {
            m_values.clear();
            if (m_values.capacity() * sizeof(T) > kKeptBytes)
                m_values = std::vector<T>();
        }
        Lease(const Lease&) = delete;
        Lease& operator=(const Lease&) = delete;

        std::vector<T>& operator*() { return m_values; }
        std::vector<T>* operator->() { return &m_values; }

    private:
        std::vector<T>& m_values;
    };

private:
    std::vector<T> m_values;
};
