#pragma once
// Runs a resolved program by walking its tree.
#include "formulux/ast.h"
#include "formulux/runtime.h"

#include <chrono>
#include <cstdint>
#include <functional>
#include <vector>

namespace formulux {

struct RunLimits {
    std::size_t elements = 100'000'000;
    int callDepth = 1000;
    std::uint64_t steps = 0; // 0: unlimited
};

class Interpreter {
public:
    Interpreter(const Program& program, const CMCSharedParameter& shared, const RunLimits& limits,
                std::function<bool()> poll, BufferPool* pool = nullptr);

    // Runs the top-level statements. Throws RunError with the faulting position.
    void run();

    // A global slot (for the variable manager); null when out of range.
    CMCVariable* global(int slot);
    // Hands the large buffers of the run's variables to the pool (the variables end empty).
    void recycle(BufferPool& pool) { pool.recycle(m_globals); }

private:
    enum class Flow { Normal, Break, Continue, Return };

    Flow exec(const Stmt& s);
    Flow execInner(const Stmt& s);
    Flow execBlock(const std::vector<StmtPtr>& body);
    CMCVariable eval(const Expr& e);
    CMCVariable evalInner(const Expr& e);

    CMCVariable& slot(const VarRef& r) { return r.global ? m_globals[std::size_t(r.slot)] : m_frame[r.slot]; }
    void store(const VarRef& r, const std::string& name, CMCVariable value);
    CMCVariable binary(const Expr& e);
    CMCVariable assign(const Expr& e);
    CMCVariable incDec(const Expr& e);
    CMCVariable resize(const Expr& e);
    CMCVariable index(const Expr& e);
    CMCVariable readIndexed(const CMCVariable& base, const Expr& e);
    void writeIndexed(const Expr& target, const CMCVariable& value);
    CMCVariable call(const Expr& e);
    CMCVariable callHost(const Expr& e);
    CMCVariable callScript(const Expr& e);
    CMCVariable matrix(const Expr& e);
    CMCVariable rangeOf(const Expr& e);

    void step()
    {
        if (++m_steps >= m_nextCheck)
            checkPoll();
    }
    void checkPoll();

    const Program& m_program;
    Context m_ctx;
    RunLimits m_limits;
    std::function<bool()> m_poll;
    std::vector<CMCVariable> m_globals;
    CMCVariable* m_frame = nullptr;
    CMCVariable m_returnValue;
    int m_callDepth = 0;
    std::uintptr_t m_stackBase = 0;
    std::uint64_t m_steps = 0;
    std::uint64_t m_nextCheck = 1;
    std::chrono::steady_clock::time_point m_lastPoll;
};

} // namespace formulux
