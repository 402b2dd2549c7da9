#pragma once
// Builds the syntax tree from the tokens (recursive descent; binary operators by the
// precedence table in ast.h).
#include "formulux/ast.h"
#include "formulux/lexer.h"

#include <vector>

namespace formulux {

// Fills program.top and program.funcs. Throws CompileError. maxNesting bounds both the syntactic
// nesting and the depth of every expression tree.
void parse(const std::vector<Token>& tokens, Program& program, int maxNesting);

} // namespace formulux
