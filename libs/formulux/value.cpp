#include "formulux/mc_compiler.h"
#include "formulux/mc_function.h"
#include "formulux/mc_variable.h"
#include "formulux/messages.h"
#include "formulux/runtime.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

// ---- CMCVariable

CMCVariable::CMCVariable(int rows, int cols) : m_rows(std::max(rows, 0)), m_cols(std::max(cols, 0))
{
    if (numel() != 1)
        m_buf = std::make_shared<std::vector<double>>(numel(), 0.0);
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
    if (m_buf.use_count() > 1)
        m_buf = std::make_shared<std::vector<double>>(*m_buf);
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
        && scratch.m_buf->size() >= kMinPooled)
        m_spare.push_back(std::move(scratch.m_buf));
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
