#include "formulux/parser.h"

#include "formulux/messages.h"

#include <algorithm>
#include <optional>

namespace formulux {

namespace {

std::optional<BinOp> binaryOf(Tok t)
{
    switch (t) {
    case Tok::OrOr: return BinOp::OrOr;
    case Tok::AndAnd: return BinOp::AndAnd;
    case Tok::Or: return BinOp::Or;
    case Tok::And: return BinOp::And;
    case Tok::Eq: return BinOp::Eq;
    case Tok::Ne: return BinOp::Ne;
    case Tok::Lt: return BinOp::Lt;
    case Tok::Le: return BinOp::Le;
    case Tok::Gt: return BinOp::Gt;
    case Tok::Ge: return BinOp::Ge;
    case Tok::Colon: return BinOp::Range;
    case Tok::Plus: return BinOp::Add;
    case Tok::Minus: return BinOp::Sub;
    case Tok::Star: return BinOp::Mul;
    case Tok::Slash: return BinOp::Div;
    case Tok::Backslash: return BinOp::LeftDiv;
    case Tok::Percent: return BinOp::Mod;
    case Tok::DotStar: return BinOp::EMul;
    case Tok::DotSlash: return BinOp::EDiv;
    case Tok::Caret: return BinOp::Pow;
    case Tok::DotCaret: return BinOp::EPow;
    default: return std::nullopt;
    }
}

std::optional<MCType> typeOf(Tok t)
{
    switch (t) {
    case Tok::Byte: return MCType::Byte;
    case Tok::Short: return MCType::Short;
    case Tok::Int: return MCType::Int;
    case Tok::Float: return MCType::Float;
    case Tok::Double: return MCType::Double;
    default: return std::nullopt;
    }
}

bool isAssignable(const Expr& e)
{
    if (e.kind == ExprKind::Var)
        return true;
    return e.kind == ExprKind::Index && e.kids[0]->kind == ExprKind::Var;
}

class Parser {
public:
    Parser(const std::vector<Token>& tokens, Program& program, int maxNesting)
        : m_toks(tokens), m_program(program), m_maxNesting(maxNesting)
    {
    }

    void run()
    {
        while (cur().kind != Tok::End) {
            if (cur().kind == Tok::Func)
                m_program.funcs.push_back(funcDef());
            else
                m_program.top.push_back(statement());
        }
    }

private:
    // Counts nesting while a parse function runs.
    class Nest {
    public:
        Nest(Parser& p, const Token& at) : m_p(p)
        {
            if (++m_p.m_depth > m_p.m_maxNesting)
                throw CompileError{std::string(msg::kTooDeep), at.line, at.col};
        }
        ~Nest() { --m_p.m_depth; }
        Nest(const Nest&) = delete;
        Nest& operator=(const Nest&) = delete;

    private:
        Parser& m_p;
    };

    const Token& cur() const { return m_toks[m_pos]; }
    const Token& next() const { return m_toks[std::min(m_pos + 1, m_toks.size() - 1)]; }
    const Token& take() { return m_toks[m_pos < m_toks.size() - 1 ? m_pos++ : m_pos]; }
    bool accept(Tok k)
    {
        if (cur().kind != k)
            return false;
        take();
        return true;
    }

    [[noreturn]] void unexpected(const Token& t)
    {
        if (t.kind == Tok::End)
            throw CompileError{std::string(msg::kUnexpectedEnd), t.line, t.col};
        const std::string shown = t.kind == Tok::String ? "\"" + t.text + "\"" : t.text;
        throw CompileError{msg::unexpectedToken(shown), t.line, t.col};
    }

    const Token& expect(Tok k, std::string_view shown)
    {
        if (cur().kind != k) {
            if (cur().kind == Tok::End)
                throw CompileError{msg::expected(shown), cur().line, cur().col};
            throw CompileError{msg::expected(shown), cur().line, cur().col};
        }
        return take();
    }

    ExprPtr node(ExprKind k, const Token& at) { return std::make_unique<Expr>(k, at.line, at.col); }

    // Sets the node's depth from its children and bounds it.
    ExprPtr finish(ExprPtr e)
    {
        int d = 0;
        for (const auto& k : e->kids)
            d = std::max(d, k->depth);
        e->depth = d + 1;
        if (e->depth > m_maxNesting)
            throw CompileError{std::string(msg::kTooDeep), e->line, e->col};
        return e;
    }

    // ---- declarations and functions

    std::unique_ptr<FuncDef> funcDef()
    {
        take(); // func
        auto f = std::make_unique<FuncDef>();
        const Token& name = expect(Tok::Name, "Name");
        f->name = name.text;
        f->line = name.line;
        f->col = name.col;
        expect(Tok::LParen, "(");
        if (cur().kind != Tok::RParen) {
            do {
                Param p;
                if (auto t = typeOf(cur().kind)) {
                    take();
                    p.type = *t;
                    p.matrix = false;
                }
                const Token& pn = expect(Tok::Name, "Name");
                p.name = pn.text;
                p.line = pn.line;
                p.col = pn.col;
                if (accept(Tok::LBracket)) {
                    expect(Tok::RBracket, "]");
                    p.matrix = true;
                }
                f->params.push_back(std::move(p));
            } while (accept(Tok::Comma));
        }
        expect(Tok::RParen, ")");
        if (cur().kind != Tok::LBrace)
            throw CompileError{msg::expected("{"), cur().line, cur().col};
        f->body = statement();
        return f;
    }

    StmtPtr declaration()
    {
        const Token& t = take();
        auto s = std::make_unique<Stmt>(StmtKind::Decl, t.line, t.col);
        s->declType = *typeOf(t.kind);
        do {
            Declarator d;
            const Token& n = expect(Tok::Name, "Name");
            d.name = n.text;
            d.line = n.line;
            d.col = n.col;
            d.var.type = s->declType;
            d.var.matrix = false;
            if (accept(Tok::LBracket)) {
                expect(Tok::RBracket, "]");
                d.var.matrix = true;
            }
            if (accept(Tok::Assign))
                d.init = assignment();
            s->decls.push_back(std::move(d));
        } while (accept(Tok::Comma));
        return s;
    }

    // ---- statements

    StmtPtr statement()
    {
        const Token& t = cur();
        Nest nest(*this, t);
        switch (t.kind) {
        case Tok::LBrace: {
            take();
            auto s = std::make_unique<Stmt>(StmtKind::Block, t.line, t.col);
            while (cur().kind != Tok::RBrace) {
                if (cur().kind == Tok::End)
                    throw CompileError{msg::expected("}"), cur().line, cur().col};
                if (cur().kind == Tok::Func)
                    throw CompileError{std::string(msg::kFuncNotTop), cur().line, cur().col};
                s->body.push_back(statement());
            }
            take();
            return s;
        }
        case Tok::Semicolon:
            take();
            return std::make_unique<Stmt>(StmtKind::Empty, t.line, t.col);
        case Tok::If: {
            take();
            auto s = std::make_unique<Stmt>(StmtKind::If, t.line, t.col);
            expect(Tok::LParen, "(");
            s->expr = assignment();
            expect(Tok::RParen, ")");
            s->then = statement();
            if (accept(Tok::Else))
                s->otherwise = statement();
            return s;
        }
        case Tok::While: {
            take();
            auto s = std::make_unique<Stmt>(StmtKind::While, t.line, t.col);
            expect(Tok::LParen, "(");
            s->expr = assignment();
            expect(Tok::RParen, ")");
            s->then = statement();
            return s;
        }
        case Tok::For: return forStatement();
        case Tok::Break:
        case Tok::Continue: {
            take();
            auto s = std::make_unique<Stmt>(t.kind == Tok::Break ? StmtKind::Break : StmtKind::Continue, t.line, t.col);
            expect(Tok::Semicolon, ";");
            return s;
        }
        case Tok::Return: {
            take();
            auto s = std::make_unique<Stmt>(StmtKind::Return, t.line, t.col);
            if (cur().kind != Tok::Semicolon)
                s->expr = assignment();
            expect(Tok::Semicolon, ";");
            return s;
        }
        case Tok::Func: throw CompileError{std::string(msg::kFuncNotTop), t.line, t.col};
        default: break;
        }
        if (typeOf(t.kind)) {
            StmtPtr s = declaration();
            expect(Tok::Semicolon, ";");
            return s;
        }
        auto s = std::make_unique<Stmt>(StmtKind::Expr, t.line, t.col);
        s->expr = assignment();
        expect(Tok::Semicolon, ";");
        return s;
    }

    // for (init; cond; steps [;]) body: every part optional, comma lists in init and steps.
    StmtPtr forStatement()
    {
        const Token& t = take();
        auto s = std::make_unique<Stmt>(StmtKind::For, t.line, t.col);
        expect(Tok::LParen, "(");
        if (cur().kind != Tok::Semicolon) {
            if (typeOf(cur().kind)) {
                s->body.push_back(declaration());
            } else {
                do {
                    const Token& at = cur();
                    auto e = std::make_unique<Stmt>(StmtKind::Expr, at.line, at.col);
                    e->expr = assignment();
                    s->body.push_back(std::move(e));
                } while (accept(Tok::Comma));
            }
        }
        expect(Tok::Semicolon, ";");
        if (cur().kind != Tok::Semicolon)
            s->expr = assignment();
        expect(Tok::Semicolon, ";");
        if (cur().kind != Tok::RParen && cur().kind != Tok::Semicolon) {
            do
                s->steps.push_back(assignment());
            while (accept(Tok::Comma));
        }
        accept(Tok::Semicolon);
        expect(Tok::RParen, ")");
        s->then = statement();
        return s;
    }

    // ---- expressions

    ExprPtr assignment()
    {
        Nest nest(*this, cur());
        ExprPtr lhs = binary(1);
        BinOp op;
        switch (cur().kind) {
        case Tok::Assign: op = BinOp::Count; break;
        case Tok::PlusAssign: op = BinOp::Add; break;
        case Tok::MinusAssign: op = BinOp::Sub; break;
        case Tok::StarAssign: op = BinOp::Mul; break;
        case Tok::SlashAssign: op = BinOp::Div; break;
        default: return lhs;
        }
        const Token& at = take();
        if (!isAssignable(*lhs))
            throw CompileError{std::string(msg::kNotAssignable), at.line, at.col};
        ExprPtr e = node(ExprKind::Assign, at);
        e->op = op;
        e->kids.push_back(std::move(lhs));
        e->kids.push_back(assignment());
        return finish(std::move(e));
    }

    // Binary operators below the prefix level, by precedence climbing.
    ExprPtr binary(int minLevel)
    {
        ExprPtr lhs = unary();
        for (;;) {
            const auto op = binaryOf(cur().kind);
            if (!op || precedence(*op) >= kPrefixLevel || precedence(*op) < minLevel)
                return lhs;
            const Token& at = take();
            const int level = precedence(*op);
            ExprPtr rhs = binary(level + 1);
            if (*op == BinOp::Range) {
                ExprPtr e = node(ExprKind::Range, at);
                e->kids.push_back(std::move(lhs));
                e->kids.push_back(std::move(rhs));
                if (accept(Tok::Colon))
                    e->kids.push_back(binary(level + 1)); // start:step:end
                lhs = finish(std::move(e));
                continue;
            }
            ExprPtr e = node(ExprKind::Binary, at);
            e->op = *op;
            e->kids.push_back(std::move(lhs));
            e->kids.push_back(std::move(rhs));
            lhs = finish(std::move(e));
        }
    }

    ExprPtr unary()
    {
        const Token& t = cur();
        Nest nest(*this, t);
        switch (t.kind) {
        case Tok::Minus:
        case Tok::Plus:
        case Tok::Not: {
            take();
            ExprPtr e = node(ExprKind::Unary, t);
            e->uop = t.kind == Tok::Minus ? UnOp::Neg : t.kind == Tok::Plus ? UnOp::Plus : UnOp::Not;
            e->kids.push_back(unary());
            return finish(std::move(e));
        }
        case Tok::PlusPlus:
        case Tok::MinusMinus: {
            take();
            ExprPtr target = unary();
            if (!isAssignable(*target))
                throw CompileError{std::string(msg::kNotAssignable), t.line, t.col};
            ExprPtr e = node(ExprKind::IncDec, t);
            e->prefix = true;
            e->delta = t.kind == Tok::PlusPlus ? 1.0 : -1.0;
            e->kids.push_back(std::move(target));
            return finish(std::move(e));
        }
        default: return power();
        }
    }

    // ^ and .^, left-associative, above the prefix operators (-2^2 = -4; 2^-1 allowed).
    ExprPtr power()
    {
        ExprPtr lhs = postfix();
        for (;;) {
            const auto op = binaryOf(cur().kind);
            if (!op || precedence(*op) <= kPrefixLevel)
                return lhs;
            const Token& at = take();
            ExprPtr e = node(ExprKind::Binary, at);
            e->op = *op;
            e->kids.push_back(std::move(lhs));
            e->kids.push_back(powerOperand());
            lhs = finish(std::move(e));
        }
    }

    ExprPtr powerOperand()
    {
        const Token& t = cur();
        Nest nest(*this, t);
        if (t.kind == Tok::Minus || t.kind == Tok::Plus || t.kind == Tok::Not) {
            take();
            ExprPtr e = node(ExprKind::Unary, t);
            e->uop = t.kind == Tok::Minus ? UnOp::Neg : t.kind == Tok::Plus ? UnOp::Plus : UnOp::Not;
            e->kids.push_back(powerOperand());
            return finish(std::move(e));
        }
        return postfix();
    }

    ExprPtr postfix()
    {
        ExprPtr e = primary();
        for (;;) {
            const Token& t = cur();
            switch (t.kind) {
            case Tok::Quote:
            case Tok::DotQuote: {
                take();
                ExprPtr x = node(ExprKind::Transpose, t);
                x->conjugate = t.kind == Tok::Quote;
                x->kids.push_back(std::move(e));
                e = finish(std::move(x));
                break;
            }
            case Tok::PlusPlus:
            case Tok::MinusMinus: {
                if (!isAssignable(*e))
                    unexpected(t);
                take();
                ExprPtr x = node(ExprKind::IncDec, t);
                x->delta = t.kind == Tok::PlusPlus ? 1.0 : -1.0;
                x->kids.push_back(std::move(e));
                e = finish(std::move(x));
                break;
            }
            case Tok::LBracket: {
                // m[i] and m[i][j] form one index node; a third bracket indexes its result.
                ExprPtr x;
                if (e->kind == ExprKind::Index && e->kids.size() == 2 && !m_closedIndex) {
                    x = std::move(e);
                } else {
                    x = node(ExprKind::Index, t);
                    x->kids.push_back(std::move(e));
                }
                take();
                Nest nest(*this, t);
                x->kids.push_back(subscript());
                expect(Tok::RBracket, "]");
                m_closedIndex = x->kids.size() == 3;
                e = finish(std::move(x));
                continue;
            }
            case Tok::Dot: {
                take();
                const Token& name = expect(Tok::Name, "resize");
                if (name.text != "resize")
                    throw CompileError{std::string(msg::kMember), name.line, name.col};
                if (e->kind != ExprKind::Var)
                    throw CompileError{std::string(msg::kNotAssignable), t.line, t.col};
                ExprPtr x = node(ExprKind::Resize, name);
                x->kids.push_back(std::move(e));
                expect(Tok::LParen, "(");
                x->kids.push_back(assignment());
                expect(Tok::Comma, ",");
                x->kids.push_back(assignment());
                expect(Tok::RParen, ")");
                e = finish(std::move(x));
                break;
            }
            default: return e;
            }
            m_closedIndex = false;
        }
    }

    ExprPtr subscript()
    {
        const Token& t = cur();
        if (t.kind == Tok::Colon && next().kind == Tok::RBracket) {
            take();
            return node(ExprKind::Colon, t);
        }
        return assignment();
    }

    ExprPtr primary()
    {
        const Token& t = cur();
        switch (t.kind) {
        case Tok::Number: {
            take();
            ExprPtr e = node(ExprKind::Number, t);
            e->constant = CMCVariable(t.number);
            return e;
        }
        case Tok::String: {
            take();
            ExprPtr e = node(ExprKind::String, t);
            e->constant = CMCVariable::fromText(t.text);
            return e;
        }
        case Tok::Name: {
            take();
            if (cur().kind == Tok::LParen) {
                ExprPtr e = node(ExprKind::Call, t);
                e->name = t.text;
                take();
                if (cur().kind != Tok::RParen) {
                    do
                        e->kids.push_back(assignment());
                    while (accept(Tok::Comma));
                }
                expect(Tok::RParen, ")");
                return finish(std::move(e));
            }
            ExprPtr e = node(ExprKind::Var, t);
            e->name = t.text;
            return e;
        }
        case Tok::LParen: {
            take();
            ExprPtr e = assignment();
            expect(Tok::RParen, ")");
            return e;
        }
        case Tok::LBracket: return matrixLiteral();
        default: unexpected(t);
        }
    }

    // [a, b; c, d], [] and [a, b;] (a trailing ";" ends the literal).
    ExprPtr matrixLiteral()
    {
        const Token& t = take();
        ExprPtr e = node(ExprKind::Matrix, t);
        while (cur().kind != Tok::RBracket) {
            int count = 0;
            do {
                e->kids.push_back(assignment());
                ++count;
            } while (accept(Tok::Comma));
            e->rowSizes.push_back(count);
            if (!accept(Tok::Semicolon))
                break;
        }
        expect(Tok::RBracket, "]");
        return finish(std::move(e));
    }

    const std::vector<Token>& m_toks;
    Program& m_program;
    int m_maxNesting;
    std::size_t m_pos = 0;
    int m_depth = 0;
    bool m_closedIndex = false;
};

} // namespace

void parse(const std::vector<Token>& tokens, Program& program, int maxNesting)
{
    Parser(tokens, program, maxNesting).run();
}

} // namespace formulux
