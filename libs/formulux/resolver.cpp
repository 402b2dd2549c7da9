#include "formulux/resolver.h"

#include "formulux/mc_function.h"
#include "formulux/messages.h"
#include "formulux/std_functions.h"

#include <algorithm>
#include <map>
#include <string>
#include <vector>

namespace formulux {

namespace {

// Levenshtein distance, for the SmartError suggestion.
int editDistance(std::string_view a, std::string_view b)
{
    std::vector<int> row(b.size() + 1);
    for (std::size_t j = 0; j <= b.size(); ++j)
        row[j] = int(j);
    for (std::size_t i = 1; i <= a.size(); ++i) {
        int diag = row[0];
        row[0] = int(i);
        for (std::size_t j = 1; j <= b.size(); ++j) {
            const int up = row[j];
            row[j] = std::min({row[j] + 1, row[j - 1] + 1, diag + (a[i - 1] == b[j - 1] ? 0 : 1)});
            diag = up;
        }
    }
    return row[b.size()];
}

using Scope = std::map<std::string, VarRef, std::less<>>;

class Resolver {
public:
    Resolver(Program& p, const CMCFuncManager& host, const ResolveOptions& o) : m_prog(p), m_host(host), m_opt(o) {}

    void run()
    {
        for (std::size_t i = 0; i < m_prog.funcs.size(); ++i) {
            const FuncDef& f = *m_prog.funcs[i];
            if (!m_funcIndex.emplace(f.name, int(i)).second)
                throw CompileError{msg::duplicateFunction(f.name), f.line, f.col};
        }
        // Scope 0: the standard variables; scope 1: the script's top level.
        m_scopes.emplace_back();
        if (m_opt.stdVars) {
            for (const std::string_view name : kStdVarNames)
                m_scopes.back().emplace(std::string(name), newGlobal(MCType::Double, false));
            m_prog.stdVarCount = int(std::size(kStdVarNames));
        }
        m_scopes.emplace_back();
        for (auto& s : m_prog.top)
            stmt(*s);
        for (const Scope& scope : m_scopes)
            for (const auto& [name, ref] : scope)
                m_prog.topNames.push_back({name, ref.slot});
        m_globalScopes = m_scopes;
        for (auto& f : m_prog.funcs)
            function(*f);
    }

private:
    VarRef newGlobal(MCType type, bool matrix)
    {
        VarRef r{true, int(m_prog.globals.size()), type, matrix};
        m_prog.globals.push_back(r);
        return r;
    }

    VarRef newSlot(MCType type, bool matrix)
    {
        if (!m_func)
            return newGlobal(type, matrix);
        VarRef r{false, int(m_func->slots.size()), type, matrix};
        m_func->slots.push_back(r);
        return r;
    }

    // Innermost first; inside a function its scopes, then the final top-level scopes.
    const VarRef* lookup(std::string_view name) const
    {
        for (auto it = m_scopes.rbegin(); it != m_scopes.rend(); ++it) {
            const auto f = it->find(name);
            if (f != it->end())
                return &f->second;
        }
        if (m_func) {
            for (auto it = m_globalScopes.rbegin(); it != m_globalScopes.rend(); ++it) {
                const auto f = it->find(name);
                if (f != it->end())
                    return &f->second;
            }
        }
        return nullptr;
    }

    void declare(const std::string& name, const VarRef& ref, int line, int col)
    {
        if (!m_scopes.back().emplace(name, ref).second)
            throw CompileError{msg::duplicateVariable(name), line, col};
    }

    [[noreturn]] void unknown(std::string_view name, int line, int col) const
    {
        std::string text = msg::unknownName(name);
        if (m_opt.smartError) {
            std::string best;
            int bestDistance = 3;
            auto consider = [&](std::string_view candidate) {
                const int d = editDistance(name, candidate);
                if (d < bestDistance) {
                    bestDistance = d;
                    best = candidate;
                }
            };
            for (const Scope& s : m_scopes)
                for (const auto& entry : s)
                    consider(entry.first);
            if (m_func)
                for (const Scope& s : m_globalScopes)
                    for (const auto& entry : s)
                        consider(entry.first);
            for (const auto& entry : m_funcIndex)
                consider(entry.first);
            if (!best.empty())
                text += msg::didYouMean(best);
        }
        throw CompileError{text, line, col};
    }

    void function(FuncDef& f)
    {
        m_func = &f;
        m_scopes.clear();
        m_scopes.emplace_back();
        for (Param& p : f.params) {
            p.var = newSlot(p.type, p.matrix);
            declare(p.name, p.var, p.line, p.col);
        }
        m_loops = 0;
        stmt(*f.body);
        f.frameSize = int(f.slots.size());
        m_func = nullptr;
    }

    void stmt(Stmt& s)
    {
        switch (s.kind) {
        case StmtKind::Expr: expr(*s.expr); break;
        case StmtKind::Decl:
            for (Declarator& d : s.decls) {
                if (d.init)
                    expr(*d.init);
                d.var = newSlot(d.var.type, d.var.matrix);
                declare(d.name, d.var, d.line, d.col);
            }
            break;
        case StmtKind::Block:
            m_scopes.emplace_back();
            for (auto& b : s.body)
                stmt(*b);
            m_scopes.pop_back();
            break;
        case StmtKind::If:
            expr(*s.expr);
            scoped(*s.then);
            if (s.otherwise)
                scoped(*s.otherwise);
            break;
        case StmtKind::While:
            expr(*s.expr);
            ++m_loops;
            scoped(*s.then);
            --m_loops;
            break;
        case StmtKind::For:
            m_scopes.emplace_back();
            for (auto& b : s.body)
                stmt(*b);
            if (s.expr)
                expr(*s.expr);
            ++m_loops;
            scoped(*s.then);
            --m_loops;
            for (auto& e : s.steps)
                expr(*e);
            m_scopes.pop_back();
            break;
        case StmtKind::Break:
        case StmtKind::Continue:
            if (m_loops == 0)
                throw CompileError{std::string(s.kind == StmtKind::Break ? msg::kBreakOutside : msg::kContinueOutside),
                                   s.line, s.col};
            break;
        case StmtKind::Return:
            if (s.expr)
                expr(*s.expr);
            break;
        case StmtKind::Empty: break;
        }
    }

    // A statement that is not a block still gets a scope of its own (if (c) int x = 1;).
    void scoped(Stmt& s)
    {
        m_scopes.emplace_back();
        stmt(s);
        m_scopes.pop_back();
    }

    void expr(Expr& e)
    {
        switch (e.kind) {
        case ExprKind::Var: {
            const VarRef* r = lookup(e.name);
            if (!r)
                unknown(e.name, e.line, e.col);
            e.var = *r;
            return;
        }
        case ExprKind::Call: call(e); return;
        case ExprKind::Assign: {
            expr(*e.kids[1]);
            Expr& target = *e.kids[0];
            if (target.kind == ExprKind::Var && e.op == BinOp::Count && !lookup(target.name)) {
                // Assigning an undeclared name declares a double matrix in the outermost
                // scope of the script or function.
                const VarRef r = newSlot(MCType::Double, true);
                (m_func ? m_scopes.front() : m_scopes[1]).emplace(target.name, r);
            }
            expr(target);
            return;
        }
        default:
            for (auto& k : e.kids)
                expr(*k);
        }
    }

    void call(Expr& e)
    {
        for (auto& k : e.kids)
            expr(*k);
        const int given = int(e.kids.size());
        if (lookup(e.name))
            throw CompileError{msg::notAFunction(e.name), e.line, e.col};
        if (const auto it = m_funcIndex.find(e.name); it != m_funcIndex.end()) {
            const FuncDef& f = *m_prog.funcs[std::size_t(it->second)];
            if (int(f.params.size()) != given)
                throw CompileError{msg::argCount(e.name, int(f.params.size()), given), e.line, e.col};
            e.callKind = CallKind::Script;
            e.callIndex = it->second;
            return;
        }
        if (CMCFunction* h = m_host.getFunc(e.name)) {
            if (h->getParamCount() >= 0 && h->getParamCount() != given)
                throw CompileError{msg::argCount(e.name, h->getParamCount(), given), e.line, e.col};
            e.callKind = CallKind::Host;
            e.host = h;
            return;
        }
        if (m_opt.stdFunctions) {
            if (const StdFunction* s = findStdFunction(e.name)) {
                if (given < s->minArgs || given > s->maxArgs) {
                    throw CompileError{s->minArgs == s->maxArgs ? msg::argCount(e.name, s->minArgs, given)
                                                                : msg::argRange(e.name, s->minArgs, s->maxArgs, given),
                                       e.line, e.col};
                }
                e.callKind = CallKind::Std;
                e.stdFn = s;
                return;
            }
        }
        unknown(e.name, e.line, e.col);
    }

    Program& m_prog;
    const CMCFuncManager& m_host;
    const ResolveOptions& m_opt;
    std::vector<Scope> m_scopes;
    std::vector<Scope> m_globalScopes;
    std::map<std::string, int, std::less<>> m_funcIndex;
    FuncDef* m_func = nullptr;
    int m_loops = 0;
};

} // namespace

void resolve(Program& program, const CMCFuncManager& hostFunctions, const ResolveOptions& options)
{
    Resolver(program, hostFunctions, options).run();
}

} // namespace formulux
