#pragma once
// The compiler of the matrix language: compiles a source text into a program and runs it.
#include "formulux/mc_function.h"
#include "formulux/mc_variable.h"

#include <cstddef>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

namespace formulux {
struct Program;
class Interpreter;
class BufferPool;
class MemoryBudget;
}

// The variables of the running (or the last) run, by name.
class CMCVarManager {
public:
    // A top-level or standard variable of the running or last run; null if there is none.
    CMCVariable* getVar(std::string_view name) const;

private:
    friend class CMCCompiler;
    const formulux::Program* m_program = nullptr;
    formulux::Interpreter* m_interpreter = nullptr;
};

class CMCCompiler {
public:
    CMCCompiler();
    ~CMCCompiler();
    CMCCompiler(const CMCCompiler&) = delete;
    CMCCompiler& operator=(const CMCCompiler&) = delete;

    // Drops the program, the standard functions and variables; all: the registered functions
    // too. Refused (false) while a script runs.
    bool clear(bool all);
    void loadStdFunctions();
    void loadStdVars(); // pi, e, Inf, NaN, eps
    void setClipping(bool on);
    void setSmartError(bool on);

    // Compiles; on failure getError() holds one text "Fehler: Zeile L, Spalte C: ...".
    bool runCompiler(std::string_view source);
    const std::string& getError() const { return m_error; }
    // Runs the compiled program with fresh variables; on failure getException() holds the text.
    bool runInterpreter();
    const std::string& getException() const { return m_exception; }

    CMCFuncManager* getFuncManager() { return &m_funcs; }
    CMCVarManager* getVarManager() { return &m_vars; }
    CMCSharedParameter* getSharedParameter() { return &m_shared; }

    // Asked now and then during a run (at least 20 ms apart); true stops the run.
    void setPoll(std::function<bool()> poll);
    // Receives the script's output (disp, printf); without one it goes to standard output.
    void setOutput(std::function<void(std::string_view)> output);
    // Limits of one run: elements per matrix, call depth, syntactic nesting, steps (loop
    // iterations and calls; 0 = unlimited).
    void setLimits(std::size_t elements, int callDepth, int nesting, std::uint64_t steps);
    // Bytes of matrix data all values of a run may hold at once (the run's variables, the
    // values being computed and the results handed out): beyond it a run fails with "nicht
    // genug Speicher". 1 GiB unless set.
    void setMemoryLimit(std::size_t bytes);
    static constexpr std::size_t kDefaultMemoryLimit = std::size_t(1) << 30;

private:
    CMCFuncManager m_funcs;
    CMCVarManager m_vars;
    CMCSharedParameter m_shared;
    std::string m_error;
    std::string m_exception;
    std::function<bool()> m_poll;
    std::unique_ptr<formulux::Program> m_program;
    std::unique_ptr<formulux::Interpreter> m_interpreter;
    std::unique_ptr<formulux::BufferPool> m_pool;
    std::shared_ptr<formulux::MemoryBudget> m_budget; // shared with the buffers it counts
    bool m_stdFunctions = false;
    bool m_stdVars = false;
    bool m_running = false;
    std::size_t m_maxElements = 100'000'000;
    int m_maxCallDepth = 1000;
    int m_maxNesting = 200;
    std::uint64_t m_maxSteps = 0;
};
