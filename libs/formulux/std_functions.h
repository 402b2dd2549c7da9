#pragma once
// The table of standard functions: name, argument counts and implementation.
#include "formulux/runtime.h"

#include <span>
#include <string_view>

namespace formulux {

using StdImpl = CMCVariable (*)(const Context&, Args);

struct StdFunction {
    std::string_view name;
    int minArgs;
    int maxArgs;
    StdImpl impl;
};

// Each area's part of the table.
std::span<const StdFunction> stdShapeFunctions();
std::span<const StdFunction> stdMathFunctions();
std::span<const StdFunction> stdColumnFunctions();
std::span<const StdFunction> stdLinalgFunctions();
std::span<const StdFunction> stdTextFunctions();

// Looks a name up in all parts; null if it is none of them.
const StdFunction* findStdFunction(std::string_view name);

// Names of the standard variables, in slot order, and their values.
inline constexpr std::string_view kStdVarNames[] = {"pi", "e", "Inf", "NaN", "eps"};
double stdVarValue(int index);

// Shared argument checks of the standard functions.
double scalarArg(const CMCVariable& v);
int sizeArg(const CMCVariable& v);

} // namespace formulux
