#include "formulux/mc_compiler.h"
#include "formulux/mc_function.h"
#include "formulux/mc_variable.h"
#include "formulux/messages.h"
#include "formulux/runtime.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <new>

// ---- buffers and the memory budget

namespace formulux {

namespace {

thread_local const std::shared_ptr<MemoryBudget>* tCurrentBudget = nullptr;

// Frees a buffer and gives its bytes back to the budget they were counted against.
struct CountedDelete {
    std::shared_ptr<MemoryBudget> budget;
    std::size_t bytes = 0;

    void operator()(std::vector<double>* buffer) const
    {
        if (budget)
            budget->release(bytes);
        delete buffer;
    }
    // Counts the buffer against the current budget from now on (a buffer taken from the pool).
    void attach(std::size_t size)
    {
        if (!tCurrentBudget || !*tCurrentBudget)
            return;
        (*tCurrentBudget)->charge(size * sizeof(double));
        budget = *tCurrentBudget;
        bytes = size * sizeof(double);
    }
    // Stops counting it (a buffer kept in the pool between runs).
    void detach()
    {
        if (budget)
            budget->release(bytes);
        budget.reset();
        bytes = 0;
    }
};

// A new buffer of size elements made by make(), counted against the current budget.
template <class Make>
std::shared_ptr<std::vector<double>> countedBuffer(std::size_t size, Make make)
{
    CountedDelete counted;
    counted.attach(size);
    std::unique_ptr<std::vector<double>> buffer;
    try {
        buffer.reset(make());
    } catch (...) {
        counted.detach();
        throw;
    }
    return std::shared_ptr<std::vector<double>>(buffer.release(), std::move(counted));
}

} // namespace

void MemoryBudget::charge(std::size_t bytes)
{
    const std::size_t limit = m_limit.load(std::memory_order_relaxed);
    std::size_t used = m_used.load(std::memory_order_relaxed);
    do {
        if (bytes > limit || used > limit - bytes)
            throw std::bad_alloc();
    } while (!m_used.compare_exchange_weak(used, used + bytes, std::memory_order_relaxed));
}

BudgetScope::BudgetScope(const std::shared_ptr<MemoryBudget>& budget) : m_previous(tCurrentBudget)
{
    tCurrentBudget = &budget;
}

BudgetScope::~BudgetScope() { tCurrentBudget = m_previous; }

} // namespace formulux

// ---- CMCVariable

CMCVariable::CMCVariable(int rows, int cols) : m_rows(std::max(rows, 0)), m_cols(std::max(cols, 0))
{
    if (numel() != 1) {
        const std::size_t n = numel();
        m_buf = formulux::countedBuffer(n, [n] { return new std::vector<double>(n, 0.0); });
    }
}

CMCVariable CMCVariable::fromText(std::string_view text)
{
    CMCVariable v(1, int(text.size()));
    double* d = v.mutableData();
    for (std::size_t i = 0; i < text.size(); ++i)
        d[i] = static_cast<signed char>(text[i]);
    v.m_text = true;
    return v;
}

std::string CMCVariable::toText() const
{
    std::string out;
    out.reserve(numel());
    const double* d = data();
    for (std::size_t i = 0; i < numel(); ++i) {
        const double x = d[i];
        const long long code = std::isfinite(x) && std::fabs(x) < 9.2e18 ? static_cast<long long>(x) : 0;
        out += static_cast<char>(static_cast<unsigned long long>(code) & 0xFF);
    }
    return out;
}

double* CMCVariable::mutableData()
{
    if (!m_buf)
        return &m_scalar;
    if (m_buf.use_count() > 1) {
        const std::vector<double>& shared = *m_buf;
        m_buf = formulux::countedBuffer(shared.size(), [&shared] { return new std::vector<double>(shared); });
    }
    return m_buf->data();
}

void CMCVariable::resizeVar(int rows, int cols)
{
    rows = std::max(rows, 0);
    cols = std::max(cols, 0);
    if (rows == m_rows && cols == m_cols)
        return;
    CMCVariable n(rows, cols);
    double* dst = n.mutableData();
    const double* src = data();
    const int r = std::min(rows, m_rows);
    const int c = std::min(cols, m_cols);
    for (int j = 0; j < c; ++j)
        std::copy(src + std::size_t(j) * m_rows, src + std::size_t(j) * m_rows + r, dst + std::size_t(j) * rows);
    m_rows = rows;
    m_cols = cols;
    m_scalar = n.m_scalar;
    m_buf = std::move(n.m_buf);
}

// ---- functions and their managers

void CMCError::setException(std::string text, int line, int col, std::string extra)
{
    m_set = true;
    m_text = std::move(text);
    m_line = line;
    m_col = col;
    m_extra = std::move(extra);
}

void CMCError::clear() { *this = CMCError(); }

void CMCSharedParameter::write(std::string_view text) const
{
    if (output) {
        output(text);
    } else {
        std::fwrite(text.data(), 1, text.size(), stdout);
        std::fflush(stdout);
    }
}

CMCFunction::CMCFunction(std::string name, CMCSharedParameter* shared) : m_name(std::move(name)), m_shared(shared) {}

CMCFunction::~CMCFunction() = default;

CMCFuncManager::CMCFuncManager() = default;
CMCFuncManager::~CMCFuncManager() = default;

bool CMCFuncManager::addFunc(CMCFunction* function)
{
    std::unique_ptr<CMCFunction> owned(function);
    if (!owned || m_funcs.count(owned->getName()))
        return false;
    const std::string name = owned->getName();
    m_funcs.emplace(name, std::move(owned));
    return true;
}

CMCFunction* CMCFuncManager::getFunc(std::string_view name) const
{
    const auto it = m_funcs.find(name);
    return it == m_funcs.end() ? nullptr : it->second.get();
}

void CMCFuncManager::clear() { m_funcs.clear(); }

// ---- run-time context

namespace formulux {

void Context::checkSize(double rows, double cols) const
{
    if (!(rows >= 0 && cols >= 0) || rows > 2147483647.0 || cols > 2147483647.0 || rows * cols > double(maxElements))
        fail(msg::kTooLarge);
}

namespace {
constexpr std::size_t kMinPooled = 4096; // smaller buffers come cheaply from malloc
constexpr std::size_t kMaxPooled = 16;
} // namespace

void BufferPool::give(CMCVariable& scratch)
{
    if (m_spare.size() < kMaxPooled && scratch.m_buf && scratch.m_buf.use_count() == 1
        && scratch.m_buf->size() >= kMinPooled) {
        // A kept buffer is nobody's value: it leaves the budget until it is taken again.
        if (CountedDelete* counted = std::get_deleter<CountedDelete>(scratch.m_buf))
            counted->detach();
        m_spare.push_back(std::move(scratch.m_buf));
    }
    scratch = CMCVariable();
}

void BufferPool::recycle(std::vector<CMCVariable>& values)
{
    for (CMCVariable& v : values)
        give(v);
}

CMCVariable BufferPool::take(int rows, int cols, bool zero)
{
    const std::size_t n = std::size_t(std::max(rows, 0)) * std::size_t(std::max(cols, 0));
    for (auto it = m_spare.begin(); it != m_spare.end(); ++it) {
        if ((*it)->size() != n)
            continue;
        if (CountedDelete* counted = std::get_deleter<CountedDelete>(*it))
            counted->attach(n);
        CMCVariable v;
        v.m_rows = rows;
        v.m_cols = cols;
        v.m_buf = std::move(*it);
        m_spare.erase(it);
        if (zero)
            std::fill(v.m_buf->begin(), v.m_buf->end(), 0.0);
        return v;
    }
    return CMCVariable(rows, cols);
}

void Context::write(std::string_view text) const
{
    if (shared)
        shared->write(text);
}

} // namespace formulux
