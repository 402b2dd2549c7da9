#pragma once
// The syntax tree. The parser builds it with names; the resolver fills in slots and call
// targets; the interpreter walks it.
#include "formulux/mc_variable.h"

#include <array>
#include <cstdint>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

class CMCFunction;

namespace formulux {

struct StdFunction;

// Binary operators. kPrecedence below gives each its level, lowest first.
enum class BinOp : std::uint8_t {
    OrOr, AndAnd, Or, And, Eq, Ne, Lt, Le, Gt, Ge, Range,
    Add, Sub, Mul, Div, LeftDiv, Mod, EMul, EDiv, Pow, EPow,
    Count
};

// Level of the prefix operators: between the multiplicative operators and the powers.
inline constexpr int kPrefixLevel = 10;

// A plain array sized by its initialiser, so a missing or extra row fails the check below.
inline constexpr int kPrecedence[] = {
    1, 2,          // || &&
    3, 4,          // | &
    5, 5,          // == !=
    6, 6, 6, 6,    // < <= > >=
    7,             // a:b, a:b:c
    8, 8,          // + -
    9, 9, 9, 9, 9, 9, // * / \ % .* ./
    11, 11,        // ^ .^ (above the prefix level)
};
static_assert(std::size(kPrecedence) == std::size_t(BinOp::Count), "one level per binary operator");

inline int precedence(BinOp op) { return kPrecedence[std::size_t(op)]; }

enum class UnOp : std::uint8_t { Neg, Plus, Not };

enum class ExprKind : std::uint8_t {
    Number, String, Var, Colon, Unary, Binary, Range, Matrix, Index, Call, Transpose, IncDec, Assign, Resize
};

// Where a resolved variable lives, and what it may hold.
struct VarRef {
    bool global = true;
    int slot = -1;
    MCType type = MCType::Double;
    bool matrix = true; // false: 1x1 only
};

enum class CallKind : std::uint8_t { Std, Host, Script };

struct Expr {
    ExprKind kind;
    int line = 0;
    int col = 0;
    int depth = 1;
    BinOp op = BinOp::Count;  // Binary; Assign: the compound operator or Count for "="
    UnOp uop = UnOp::Neg;
    bool prefix = false;      // IncDec
    double delta = 0.0;       // IncDec: +1 or -1
    bool conjugate = false;   // Transpose: ' (same as .' for real values)
    CMCVariable constant;     // Number, String
    std::string name;         // Var, Call
    VarRef var;               // Var
    CallKind callKind = CallKind::Std;
    int callIndex = -1;       // Std: table index; Script: function index
    CMCFunction* host = nullptr;
    const StdFunction* stdFn = nullptr;
    std::vector<std::unique_ptr<Expr>> kids; // operands, arguments, subscripts
    std::vector<int> rowSizes;               // Matrix: elements per row

    Expr(ExprKind k, int l, int c) : kind(k), line(l), col(c) {}
};

using ExprPtr = std::unique_ptr<Expr>;

enum class StmtKind : std::uint8_t { Expr, Decl, Block, If, While, For, Break, Continue, Return, Empty };

struct Declarator {
    std::string name;
    int line = 0;
    int col = 0;
    VarRef var;
    ExprPtr init;
};

struct Stmt {
    StmtKind kind;
    int line = 0;
    int col = 0;
    ExprPtr expr;                              // Expr, If/While/For condition, Return value
    std::vector<std::unique_ptr<Stmt>> body;   // Block statements; For: its init statements
    std::unique_ptr<Stmt> then;                // If, While, For body
    std::unique_ptr<Stmt> otherwise;           // If
    std::vector<ExprPtr> steps;                // For
    MCType declType = MCType::Double;          // Decl
    std::vector<Declarator> decls;             // Decl

    Stmt(StmtKind k, int l, int c) : kind(k), line(l), col(c) {}
};

using StmtPtr = std::unique_ptr<Stmt>;

struct Param {
    std::string name;
    int line = 0;
    int col = 0;
    MCType type = MCType::Double;
    bool matrix = true;
    VarRef var;
};

struct FuncDef {
    std::string name;
    int line = 0;
    int col = 0;
    std::vector<Param> params;
    StmtPtr body;
    int frameSize = 0;
    std::vector<VarRef> slots; // every local slot's kind, for a fresh frame
};

struct SlotName {
    std::string name;
    int slot;
};

// A compiled script.
struct Program {
    std::string source;
    std::vector<StmtPtr> top;
    std::vector<std::unique_ptr<FuncDef>> funcs;
    std::vector<VarRef> globals;        // every global slot
    std::vector<SlotName> topNames;     // names of the outermost scope, for getVar
    int stdVarCount = 0;                // the first slots hold pi, e, Inf, NaN, eps
};

} // namespace formulux
