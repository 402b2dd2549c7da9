#pragma once
// Binds every name of a parsed program: variables to slots in scopes, calls to their targets
// with checked argument counts; checks break and continue.
#include "formulux/ast.h"
#include "formulux/lexer.h"

class CMCFuncManager;

namespace formulux {

struct ResolveOptions {
    bool stdFunctions = false;
    bool stdVars = false;
    bool smartError = false; // suggests a similar name for an unknown one
};

// Throws CompileError.
void resolve(Program& program, const CMCFuncManager& hostFunctions, const ResolveOptions& options);

} // namespace formulux
