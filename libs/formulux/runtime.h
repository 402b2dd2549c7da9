#pragma once
// What the interpreter shares with the operators and standard functions of a run.
#include "formulux/mc_function.h"
#include "formulux/mc_variable.h"

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <memory>
#include <string_view>
#include <vector>

namespace formulux {

// A run-time error; line -1: the position of the expression being evaluated.
struct RunError {
    std::string text;
    int line = -1;
    int col = -1;
};

[[noreturn]] inline void fail(std::string_view text) { throw RunError{std::string(text)}; }

// The bytes of matrix data alive at once in the values one compiler's runs made. Every buffer
// made while a BudgetScope is open on its thread is counted until it is freed, however long
// it lives; a buffer that would take the count past the limit is not made (std::bad_alloc,
// "nicht genug Speicher").
class MemoryBudget {
public:
    explicit MemoryBudget(std::size_t limit) : m_limit(limit) {}
    void setLimit(std::size_t limit) { m_limit.store(limit, std::memory_order_relaxed); }
    // Counts bytes more, or throws std::bad_alloc and counts nothing.
    void charge(std::size_t bytes);
    void release(std::size_t bytes) { m_used.fetch_sub(bytes, std::memory_order_relaxed); }
    std::size_t used() const { return m_used.load(std::memory_order_relaxed); }

private:
    std::atomic<std::size_t> m_used{0};
    std::atomic<std::size_t> m_limit;
};

// The budget the buffers made on this thread count against while the scope is open (scopes
// nest; the innermost counts).
class BudgetScope {
public:
    explicit BudgetScope(const std::shared_ptr<MemoryBudget>& budget);
    ~BudgetScope();
    BudgetScope(const BudgetScope&) = delete;
    BudgetScope& operator=(const BudgetScope&) = delete;

private:
    const std::shared_ptr<MemoryBudget>* m_previous;
};

// Large buffers of a finished run, kept by the compiler for the next run's results (a run that
// repeats the same matrix work then touches no new memory).
class BufferPool {
public:
    // Keeps the unshared large buffers of the values (which are then empty).
    void recycle(std::vector<CMCVariable>& values);
    // rows x cols from a kept buffer of that size if there is one, else new; zeroed on request
    // (new buffers always are).
    CMCVariable take(int rows, int cols, bool zero);
    // Keeps the buffer of a scratch value that is no longer needed.
    void give(CMCVariable& scratch);

private:
    std::vector<std::shared_ptr<std::vector<double>>> m_spare;
};

struct Context {
    std::size_t maxElements = 100'000'000;
    bool clipping = false;
    const CMCSharedParameter* shared = nullptr;
    BufferPool* pool = nullptr;
    // The run's step counter: every 64 elements made count one step, so that the step limit
    // and the poll also bound scripts whose steps do much matrix work.
    std::uint64_t* steps = nullptr;
    // Asks the step limit and the poll (at most every 20 ms) now; long built-ins call it
    // between blocks of their work. Throws "Skript abgebrochen".
    std::function<void()> checkAbort;

    void countWork(int rows, int cols) const
    {
        if (steps)
            *steps += (std::uint64_t(rows) * std::uint64_t(cols)) >> 6;
    }

    // Throws "Matrix zu groß" unless rows x cols fits the limit.
    void checkSize(double rows, double cols) const;
    // rows x cols of zeros, within the limit.
    CMCVariable make(int rows, int cols) const
    {
        checkSize(rows, cols);
        countWork(rows, cols);
        return pool ? pool->take(rows, cols, true) : CMCVariable(rows, cols);
    }
    // As make, for a result whose every element is written next.
    CMCVariable makeRaw(int rows, int cols) const
    {
        checkSize(rows, cols);
        countWork(rows, cols);
        return pool ? pool->take(rows, cols, false) : CMCVariable(rows, cols);
    }
    // Returns a scratch value's buffer to the pool.
    void release(CMCVariable& scratch) const
    {
        if (pool)
            pool->give(scratch);
    }
    void write(std::string_view text) const;
};

using Args = std::span<const CMCVariable>;

} // namespace formulux
