#include "formulux/interpreter.h"

#include "formulux/linalg.h"
#include "formulux/messages.h"
#include "formulux/ops.h"
#include "formulux/std_functions.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <exception>
#include <new>

namespace formulux {

namespace {

// Script calls may use this much of the machine stack before "Rekursion zu tief".
constexpr std::uintptr_t kStackBudget = 2u << 20;

std::uintptr_t stackPosition()
{
    volatile char marker = 0;
    return reinterpret_cast<std::uintptr_t>(&marker);
}

// One subscript: every index (":") or a list of checked 0-based positions.
struct Subscript {
    bool all = false;
    std::vector<int> list;
    int size = 0; // extent of the indexed dimension
    int count() const { return all ? size : int(list.size()); }
    int at(int k) const { return all ? k : list[std::size_t(k)]; }
};

int checkedIndex(double v, int size)
{
    if (!(std::trunc(v) == v))
        fail(msg::kIndexNotInteger);
    if (v < 0)
        fail(msg::kIndexNegative);
    if (v >= size)
        fail(msg::indexRange(static_cast<long long>(std::min(v, 9.0e18)), size));
    return int(v);
}

} // namespace

Interpreter::Interpreter(const Program& program, const CMCSharedParameter& shared, const RunLimits& limits,
                         std::function<bool()> poll, BufferPool* pool)
    : m_program(program), m_limits(limits), m_poll(std::move(poll))
{
    m_ctx.pool = pool;
    m_ctx.steps = &m_steps;
    m_ctx.checkAbort = [this] { checkPoll(); };
    m_ctx.maxElements = limits.elements;
    m_ctx.clipping = shared.clipping;
    m_ctx.shared = &shared;
    m_globals.resize(program.globals.size());
    for (int i = 0; i < program.stdVarCount; ++i)
        m_globals[std::size_t(i)] = CMCVariable(stdVarValue(i));
}

CMCVariable* Interpreter::global(int slot)
{
    return slot >= 0 && std::size_t(slot) < m_globals.size() ? &m_globals[std::size_t(slot)] : nullptr;
}

void Interpreter::run()
{
    m_stackBase = stackPosition();
    m_lastPoll = std::chrono::steady_clock::now();
    execBlock(m_program.top);
}

// Every 1024 steps (or at the step limit): the limit, then the poll once 20 ms have passed.
void Interpreter::checkPoll()
{
    if (m_limits.steps && m_steps > m_limits.steps)
        fail(msg::kAborted);
    m_nextCheck = m_steps + 1024;
    if (m_limits.steps)
        m_nextCheck = std::min(m_nextCheck, m_limits.steps + 1);
    const auto now = std::chrono::steady_clock::now();
    if (now - m_lastPoll < std::chrono::milliseconds(20))
        return;
    m_lastPoll = now;
    if (m_poll && m_poll())
        fail(msg::kAborted);
}

// ---- statements

Interpreter::Flow Interpreter::execBlock(const std::vector<StmtPtr>& body)
{
    for (const StmtPtr& s : body) {
        const Flow f = exec(*s);
        if (f != Flow::Normal)
            return f;
    }
    return Flow::Normal;
}

Interpreter::Flow Interpreter::exec(const Stmt& s)
{
    try {
        return execInner(s);
    } catch (RunError& err) {
        if (err.line < 0) {
            err.line = s.line;
            err.col = s.col;
        }
        throw;
    }
}

Interpreter::Flow Interpreter::execInner(const Stmt& s)
{
    switch (s.kind) {
    case StmtKind::Expr: eval(*s.expr); return Flow::Normal;
    case StmtKind::Decl:
        for (const Declarator& d : s.decls) {
            CMCVariable v = d.init ? eval(*d.init) : d.var.matrix ? CMCVariable() : CMCVariable(0.0);
            try {
                store(d.var, d.name, std::move(v));
            } catch (RunError& err) {
                err.line = d.line;
                err.col = d.col;
                throw;
            }
        }
        return Flow::Normal;
    case StmtKind::Block: return execBlock(s.body);
    case StmtKind::If:
        if (isTrue(eval(*s.expr)))
            return exec(*s.then);
        return s.otherwise ? exec(*s.otherwise) : Flow::Normal;
    case StmtKind::While:
        while (isTrue(eval(*s.expr))) {
            const Flow f = exec(*s.then);
            if (f == Flow::Break)
                break;
            if (f == Flow::Return)
                return f;
            step();
        }
        return Flow::Normal;
    case StmtKind::For: {
        for (const StmtPtr& init : s.body)
            exec(*init);
        for (;;) {
            if (s.expr && !isTrue(eval(*s.expr)))
                break;
            const Flow f = exec(*s.then);
            if (f == Flow::Break)
                break;
            if (f == Flow::Return)
                return f;
            for (const ExprPtr& e : s.steps)
                eval(*e);
            step();
        }
        return Flow::Normal;
    }
    case StmtKind::Break: return Flow::Break;
    case StmtKind::Continue: return Flow::Continue;
    case StmtKind::Return:
        m_returnValue = s.expr ? eval(*s.expr) : CMCVariable();
        return Flow::Return;
    case StmtKind::Empty: return Flow::Normal;
    }
    return Flow::Normal;
}

// ---- variables

void Interpreter::store(const VarRef& r, const std::string& name, CMCVariable value)
{
    if (!r.matrix && !value.isScalar())
        fail(msg::scalarVariable(name, value.getRows(), value.getCols()));
    if (r.type != MCType::Double || value.getType() != MCType::Double)
        convertTo(value, r.type, m_ctx.clipping);
    slot(r) = std::move(value);
}

// ---- expressions

CMCVariable Interpreter::eval(const Expr& e)
{
    try {
        return evalInner(e);
    } catch (RunError& err) {
        if (err.line < 0) {
            err.line = e.line;
            err.col = e.col;
        }
        throw;
    } catch (const std::bad_alloc&) {
        throw RunError{std::string(msg::kOutOfMemory), e.line, e.col};
    } catch (const std::exception& ex) {
        throw RunError{ex.what(), e.line, e.col};
    }
}

CMCVariable Interpreter::evalInner(const Expr& e)
{
    switch (e.kind) {
    case ExprKind::Number:
    case ExprKind::String: return e.constant;
    case ExprKind::Var: return slot(e.var);
    case ExprKind::Colon: fail(msg::kColonOutside);
    case ExprKind::Unary: {
        CMCVariable a = eval(*e.kids[0]);
        switch (e.uop) {
        case UnOp::Neg: return negate(a);
        case UnOp::Plus: {
            a.setText(false);
            a.setType(MCType::Double);
            return a;
        }
        case UnOp::Not: return a.isScalar() ? CMCVariable(double(a.scalar() == 0.0)) : logicalNot(a);
        }
        return a;
    }
    case ExprKind::Binary: return binary(e);
    case ExprKind::Range: return rangeOf(e);
    case ExprKind::Matrix: return matrix(e);
    case ExprKind::Index: return index(e);
    case ExprKind::Call: return call(e);
    case ExprKind::Transpose: return transpose(eval(*e.kids[0]));
    case ExprKind::IncDec: return incDec(e);
    case ExprKind::Assign: return assign(e);
    case ExprKind::Resize: return resize(e);
    }
    return CMCVariable();
}

CMCVariable Interpreter::binary(const Expr& e)
{
    const BinOp op = e.op;
    if (op == BinOp::AndAnd || op == BinOp::OrOr) {
        const bool left = isTrue(eval(*e.kids[0]));
        if (op == BinOp::AndAnd && !left)
            return 0.0;
        if (op == BinOp::OrOr && left)
            return 1.0;
        return double(isTrue(eval(*e.kids[1])));
    }
    const CMCVariable a = eval(*e.kids[0]);
    const CMCVariable b = eval(*e.kids[1]);
    if (a.isScalar() && b.isScalar())
        return scalarOp(op, a.scalar(), b.scalar());
    switch (op) {
    case BinOp::Mul: return matrixProduct(a, b, m_ctx);
    case BinOp::Div: return rightDivide(a, b, m_ctx);
    case BinOp::LeftDiv: return leftDivide(a, b, m_ctx);
    case BinOp::Pow: return matrixPower(a, b, m_ctx);
    default: return elementwise(op, a, b, m_ctx);
    }
}

CMCVariable Interpreter::rangeOf(const Expr& e)
{
    const CMCVariable a = eval(*e.kids[0]);
    const CMCVariable b = eval(*e.kids[1]);
    if (e.kids.size() == 2)
        return a.isEmpty() || b.isEmpty() ? CMCVariable(1, 0) : range(a.data()[0], 1.0, b.data()[0], m_ctx);
    const CMCVariable c = eval(*e.kids[2]);
    if (a.isEmpty() || b.isEmpty() || c.isEmpty())
        return CMCVariable(1, 0);
    return range(a.data()[0], b.data()[0], c.data()[0], m_ctx);
}

CMCVariable Interpreter::matrix(const Expr& e)
{
    std::vector<CMCVariable> parts;
    parts.reserve(e.kids.size());
    bool scalars = true;
    for (const ExprPtr& k : e.kids) {
        parts.push_back(eval(*k));
        scalars = scalars && parts.back().isScalar() && !parts.back().isText();
    }
    // All scalars in rows of equal length: fill directly.
    if (scalars && !e.rowSizes.empty()) {
        const int cols = e.rowSizes[0];
        bool even = true;
        for (const int n : e.rowSizes)
            even = even && n == cols;
        if (even) {
            const int rows = int(e.rowSizes.size());
            CMCVariable out = m_ctx.make(rows, cols);
            double* o = out.mutableData();
            for (int i = 0; i < rows; ++i)
                for (int j = 0; j < cols; ++j)
                    o[std::size_t(j) * rows + i] = parts[std::size_t(i) * cols + j].scalar();
            return out;
        }
    }
    return concatenate(parts, e.rowSizes, m_ctx);
}

// ---- indexing

namespace {

Subscript makeSubscript(const CMCVariable& v, int size)
{
    Subscript s;
    s.size = size;
    s.list.reserve(v.numel());
    const double* p = v.data();
    for (std::size_t i = 0; i < v.numel(); ++i)
        s.list.push_back(checkedIndex(p[i], size));
    return s;
}

Subscript allOf(int size)
{
    Subscript s;
    s.all = true;
    s.size = size;
    return s;
}

// Runs f; a run error it throws points at the subscript k (the error stands where the index was written).
template <class F>
auto atSubscript(const Expr& k, F&& f)
{
    try {
        return f();
    } catch (RunError& err) {
        err.line = k.line;
        err.col = k.col;
        throw;
    }
}

// The subscripts of m(k1, k2) or m(k) on a rows x cols matrix, for reading and writing alike;
// evaluate turns a subscript's expression into its value. m(k) of a one-row matrix is its
// element (column) k, otherwise its row k.
template <class Evaluate>
void subscriptsOf(const Expr& e, int rows, int cols, Evaluate&& evaluate, Subscript& rs, Subscript& cs)
{
    auto sub = [&](const Expr& k, int size) {
        if (k.kind == ExprKind::Colon)
            return allOf(size);
        const CMCVariable v = evaluate(k);
        return atSubscript(k, [&] { return makeSubscript(v, size); });
    };
    if (e.kids.size() == 3) {
        rs = sub(*e.kids[1], rows);
        cs = sub(*e.kids[2], cols);
        return;
    }
    const bool byColumn = rows == 1;
    const Subscript s = sub(*e.kids[1], byColumn ? cols : rows);
    rs = byColumn ? allOf(rows) : s;
    cs = byColumn ? s : allOf(cols);
}

// The elements rs x cs of base as a new matrix of the same kind.
CMCVariable gather(const CMCVariable& base, const Subscript& rs, const Subscript& cs, Context& ctx)
{
    const int rows = base.getRows();
    CMCVariable out = ctx.make(rs.count(), cs.count());
    double* o = out.mutableData();
    const double* p = base.data();
    for (int j = 0; j < cs.count(); ++j)
        for (int r = 0; r < rs.count(); ++r)
            o[std::size_t(j) * rs.count() + r] = p[std::size_t(cs.at(j)) * rows + rs.at(r)];
    out.setText(base.isText());
    out.setType(base.getType());
    return out;
}

} // namespace

CMCVariable Interpreter::index(const Expr& e) { return readIndexed(eval(*e.kids[0]), e); }

CMCVariable Interpreter::readIndexed(const CMCVariable& base, const Expr& e)
{
    const int rows = base.getRows(), cols = base.getCols();
    const bool two = e.kids.size() == 3;
    // m[i] of a one-row matrix is element i; otherwise row i.
    const bool byColumn = !two && rows == 1;
    // Fast path: one scalar subscript.
    const Expr& k1 = *e.kids[1];
    if (!two && k1.kind != ExprKind::Colon) {
        const CMCVariable i = eval(k1);
        if (i.isScalar()) {
            const int at = atSubscript(k1, [&] { return checkedIndex(i.scalar(), byColumn ? cols : rows); });
            if (byColumn) {
                CMCVariable out(base.data()[at]);
                out.setText(base.isText());
                out.setType(base.getType());
                return out;
            }
            CMCVariable out = m_ctx.make(1, cols);
            double* o = out.mutableData();
            for (int j = 0; j < cols; ++j)
                o[j] = base.data()[std::size_t(j) * rows + at];
            out.setText(base.isText());
            out.setType(base.getType());
            return out;
        }
        const Subscript s = atSubscript(k1, [&] { return makeSubscript(i, byColumn ? cols : rows); });
        return byColumn ? gather(base, allOf(rows), s, m_ctx) : gather(base, s, allOf(cols), m_ctx);
    }
    Subscript rs, cs;
    subscriptsOf(e, rows, cols, [this](const Expr& k) { return eval(k); }, rs, cs);
    if (two && !rs.all && !cs.all && rs.list.size() == 1 && cs.list.size() == 1) {
        CMCVariable out(base.getData(rs.list[0], cs.list[0]));
        out.setText(base.isText());
        out.setType(base.getType());
        return out;
    }
    return gather(base, rs, cs, m_ctx);
}

void Interpreter::writeIndexed(const Expr& target, const CMCVariable& value)
{
    const Expr& var = *target.kids[0];
    CMCVariable& m = slot(var.var);
    const int rows = m.getRows(), cols = m.getCols();
    Subscript rs, cs;
    subscriptsOf(target, rows, cols, [this](const Expr& k) { return eval(k); }, rs, cs);
    // Subscripts are evaluated: the slot may have been reassigned by them, so look again.
    CMCVariable& dst = slot(var.var);
    if (dst.getRows() != rows || dst.getCols() != cols)
        fail(msg::dimensions(rows, cols, dst.getRows(), dst.getCols()));
    const int nr = rs.count(), nc = cs.count();
    const bool scalar = value.isScalar();
    const bool sameShape = value.getRows() == nr && value.getCols() == nc;
    const bool vectors = (nr == 1 || nc == 1) && (value.getRows() == 1 || value.getCols() == 1)
        && value.numel() == std::size_t(nr) * std::size_t(nc);
    if (!scalar && !sameShape && !vectors)
        fail(msg::dimensions(nr, nc, value.getRows(), value.getCols()));
    const MCType type = var.var.type;
    const double* src = value.data();
    double* d = dst.mutableData();
    for (int j = 0; j < nc; ++j)
        for (int r = 0; r < nr; ++r) {
            const double v = scalar ? src[0] : src[std::size_t(j) * nr + r];
            d[std::size_t(cs.at(j)) * rows + rs.at(r)] = convertElement(v, type, m_ctx.clipping);
        }
}

// ---- assignment

CMCVariable Interpreter::assign(const Expr& e)
{
    const Expr& target = *e.kids[0];
    CMCVariable value = eval(*e.kids[1]);
    if (e.op != BinOp::Count) {
        const CMCVariable current = target.kind == ExprKind::Var ? slot(target.var) : index(target);
        if (current.isScalar() && value.isScalar())
            value = scalarOp(e.op, current.scalar(), value.scalar());
        else if (e.op == BinOp::Mul)
            value = matrixProduct(current, value, m_ctx);
        else if (e.op == BinOp::Div)
            value = rightDivide(current, value, m_ctx);
        else
            value = elementwise(e.op, current, value, m_ctx);
    }
    if (target.kind == ExprKind::Var) {
        // Fast path: a double scalar into a plain double variable.
        if (target.var.type == MCType::Double && value.isScalar() && value.getType() == MCType::Double) {
            slot(target.var) = value;
            return value;
        }
        try {
            store(target.var, target.name, std::move(value));
        } catch (RunError& err) {
            err.line = e.line;
            err.col = e.col;
            throw;
        }
        return slot(target.var);
    }
    writeIndexed(target, value);
    return value;
}

CMCVariable Interpreter::incDec(const Expr& e)
{
    const Expr& target = *e.kids[0];
    if (target.kind == ExprKind::Var) {
        CMCVariable& v = slot(target.var);
        if (v.isScalar()) {
            const double old = v.scalar();
            const double now = convertElement(old + e.delta, target.var.type, m_ctx.clipping);
            v.mutableData()[0] = now;
            return e.prefix ? now : old;
        }
        CMCVariable old = v;
        CMCVariable now = elementwise(BinOp::Add, old, CMCVariable(e.delta), m_ctx);
        store(target.var, target.name, now);
        return e.prefix ? slot(target.var) : old;
    }
    const CMCVariable old = index(target);
    CMCVariable now = elementwise(BinOp::Add, old, CMCVariable(e.delta), m_ctx);
    writeIndexed(target, now);
    return e.prefix ? now : old;
}

CMCVariable Interpreter::resize(const Expr& e)
{
    const Expr& target = *e.kids[0];
    const CMCVariable r = eval(*e.kids[1]);
    const CMCVariable c = eval(*e.kids[2]);
    auto count = [](const CMCVariable& v) {
        if (!v.isScalar() || !(v.scalar() >= 0) || std::trunc(v.scalar()) != v.scalar())
            fail(msg::kResizeArgs);
        return v.scalar();
    };
    const double rows = count(r), cols = count(c);
    m_ctx.checkSize(rows, cols);
    if (!target.var.matrix && !(rows == 1 && cols == 1))
        fail(msg::scalarVariable(target.name, int(rows), int(cols)));
    slot(target.var).resizeVar(int(rows), int(cols));
    return CMCVariable();
}

// ---- calls

CMCVariable Interpreter::call(const Expr& e)
{
    switch (e.callKind) {
    case CallKind::Std: {
        const std::size_t n = e.kids.size();
        if (n <= 4) {
            std::array<CMCVariable, 4> args;
            for (std::size_t i = 0; i < n; ++i)
                args[i] = eval(*e.kids[i]);
            return e.stdFn->impl(m_ctx, Args(args.data(), n));
        }
        std::vector<CMCVariable> args;
        args.reserve(n);
        for (const ExprPtr& k : e.kids)
            args.push_back(eval(*k));
        return e.stdFn->impl(m_ctx, Args(args));
    }
    case CallKind::Host: return callHost(e);
    case CallKind::Script: return callScript(e);
    }
    return CMCVariable();
}

CMCVariable Interpreter::callHost(const Expr& e)
{
    std::vector<CMCVariable> args;
    args.reserve(e.kids.size());
    for (const ExprPtr& k : e.kids)
        args.push_back(eval(*k));
    std::vector<CMCVariable*> pointers;
    pointers.reserve(args.size());
    for (CMCVariable& a : args)
        pointers.push_back(&a);
    CMCFunction& f = *e.host;
    f.result = CMCVariable();
    f.error.clear();
    CMCSharedParameter* shared = f.getSharedParameter();
    if (shared) {
        shared->callLine = e.line;
        shared->callCol = e.col;
    }
    int rc = 0;
    try {
        rc = f.execute(std::span<CMCVariable* const>(pointers));
    } catch (const RunError&) {
        throw;
    } catch (const std::bad_alloc&) {
        fail(msg::kOutOfMemory);
    } catch (const std::exception& ex) {
        fail(ex.what());
    } catch (...) {
        fail(std::string(msg::kFunctionFailed) + " '" + f.getName() + "'");
    }
    if (rc != 0) {
        RunError err;
        err.text = f.error.isSet() ? f.error.getText() : std::string(msg::kFunctionFailed) + " '" + f.getName() + "'";
        if (f.error.isSet() && f.error.getLine() >= 0) {
            err.line = f.error.getLine();
            err.col = std::max(f.error.getCol(), 0);
        }
        f.result = CMCVariable();
        throw err;
    }
    CMCVariable out = std::move(f.result);
    f.result = CMCVariable();
    return out;
}

CMCVariable Interpreter::callScript(const Expr& e)
{
    const FuncDef& f = *m_program.funcs[std::size_t(e.callIndex)];
    if (m_callDepth >= m_limits.callDepth || m_stackBase - stackPosition() > kStackBudget)
        fail(msg::kRecursion);
    step();
    std::vector<CMCVariable> frame(std::size_t(f.frameSize));
    for (std::size_t i = 0; i < f.params.size(); ++i) {
        const Param& p = f.params[i];
        CMCVariable v = eval(*e.kids[i]);
        if (!p.matrix && !v.isScalar())
            throw RunError{msg::scalarVariable(p.name, v.getRows(), v.getCols()), e.kids[i]->line, e.kids[i]->col};
        if (p.type != MCType::Double || v.getType() != MCType::Double)
            convertTo(v, p.type, m_ctx.clipping);
        frame[std::size_t(p.var.slot)] = std::move(v);
    }
    CMCVariable* saved = m_frame;
    m_frame = frame.data();
    ++m_callDepth;
    struct Restore {
        Interpreter& in;
        CMCVariable* frame;
        ~Restore()
        {
            in.m_frame = frame;
            --in.m_callDepth;
        }
    } restore{*this, saved};
    m_returnValue = CMCVariable();
    const Flow flow = exec(*f.body);
    if (flow == Flow::Return) {
        CMCVariable out = std::move(m_returnValue);
        m_returnValue = CMCVariable();
        return out;
    }
    return CMCVariable();
}

} // namespace formulux
