#include "formulux/mc_compiler.h"

#include "formulux/interpreter.h"
#include "formulux/lexer.h"
#include "formulux/messages.h"
#include "formulux/parser.h"
#include "formulux/resolver.h"

#include <exception>
#include <new>

using namespace formulux;

CMCVariable* CMCVarManager::getVar(std::string_view name) const
{
    if (!m_program || !m_interpreter)
        return nullptr;
    const auto& names = m_program->topNames;
    for (auto it = names.rbegin(); it != names.rend(); ++it)
        if (it->name == name)
            return m_interpreter->global(it->slot);
    return nullptr;
}

CMCCompiler::CMCCompiler()
    : m_pool(std::make_unique<BufferPool>()), m_budget(std::make_shared<MemoryBudget>(kDefaultMemoryLimit))
{
}

CMCCompiler::~CMCCompiler() = default;

bool CMCCompiler::clear(bool all)
{
    if (m_running)
        return false;
    m_vars = CMCVarManager();
    m_interpreter.reset();
    m_program.reset();
    m_stdFunctions = false;
    m_stdVars = false;
    m_error.clear();
    m_exception.clear();
    if (all)
        m_funcs.clear();
    return true;
}

void CMCCompiler::loadStdFunctions() { m_stdFunctions = true; }
void CMCCompiler::loadStdVars() { m_stdVars = true; }
void CMCCompiler::setClipping(bool on) { m_shared.clipping = on; }
void CMCCompiler::setSmartError(bool on) { m_shared.smartError = on; }
void CMCCompiler::setPoll(std::function<bool()> poll) { m_poll = std::move(poll); }
void CMCCompiler::setOutput(std::function<void(std::string_view)> output) { m_shared.output = std::move(output); }

void CMCCompiler::setLimits(std::size_t elements, int callDepth, int nesting, std::uint64_t steps)
{
    m_maxElements = elements;
    m_maxCallDepth = callDepth;
    m_maxNesting = nesting;
    m_maxSteps = steps;
}

void CMCCompiler::setMemoryLimit(std::size_t bytes) { m_budget->setLimit(bytes); }

namespace {

// The text of an error at a position; SmartError appends the source line.
std::string located(const std::string& source, bool smart, const std::string& text, int line, int col)
{
    std::string out = msg::located(line, col, text);
    if (smart)
        out += " -> " + sourceLine(source, line);
    return out;
}

} // namespace

bool CMCCompiler::runCompiler(std::string_view source)
{
    if (m_running) {
        m_error = msg::kRunning;
        return false;
    }
    m_vars = CMCVarManager();
    m_interpreter.reset();
    m_program.reset();
    m_error.clear();
    auto program = std::make_unique<Program>();
    try {
        program->source.assign(source);
        const std::vector<Token> tokens = tokenize(source);
        parse(tokens, *program, m_maxNesting);
        ResolveOptions options;
        options.stdFunctions = m_stdFunctions;
        options.stdVars = m_stdVars;
        options.smartError = m_shared.smartError;
        resolve(*program, m_funcs, options);
    } catch (const CompileError& err) {
        m_error = located(program->source, m_shared.smartError, err.text, err.line, err.col);
        return false;
    } catch (const std::bad_alloc&) {
        m_error = msg::located(1, 0, msg::kOutOfMemory);
        return false;
    } catch (const std::exception& ex) {
        m_error = msg::located(1, 0, ex.what());
        return false;
    }
    m_program = std::move(program);
    return true;
}

bool CMCCompiler::runInterpreter()
{
    if (m_running) {
        m_exception = msg::kRunning;
        return false;
    }
    m_exception.clear();
    if (!m_program) {
        m_exception = msg::kNoProgram;
        return false;
    }
    m_running = true;
    struct Done {
        bool& flag;
        ~Done() { flag = false; }
    } done{m_running};
    m_vars = CMCVarManager();
    if (m_interpreter)
        m_interpreter->recycle(*m_pool);
    m_interpreter.reset();
    const BudgetScope budget(m_budget);
    RunLimits limits;
    limits.elements = m_maxElements;
    limits.callDepth = m_maxCallDepth;
    limits.steps = m_maxSteps;
    std::string failure;
    try {
        m_interpreter = std::make_unique<Interpreter>(*m_program, m_shared, limits, m_poll, m_pool.get());
        m_vars.m_program = m_program.get();
        m_vars.m_interpreter = m_interpreter.get();
        m_interpreter->run();
    } catch (const RunError& err) {
        failure = located(m_program->source, m_shared.smartError, err.text, std::max(err.line, 1),
                              std::max(err.col, 0));
    } catch (const std::bad_alloc&) {
        failure = located(m_program->source, m_shared.smartError, std::string(msg::kOutOfMemory),
                              std::max(m_shared.callLine, 1), std::max(m_shared.callCol, 0));
    } catch (const std::exception& ex) {
        failure = located(m_program->source, m_shared.smartError, ex.what(), std::max(m_shared.callLine, 1),
                              std::max(m_shared.callCol, 0));
    }
    m_shared.callLine = -1;
    m_shared.callCol = -1;
    // (A refused call from inside the run may have left its text; the run's own outcome wins.)
    m_exception = failure;
    return failure.empty();
}
