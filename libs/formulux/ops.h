#pragma once
// Element-wise operators, conversions, ranges and concatenation on values.
#include "formulux/ast.h"
#include "formulux/runtime.h"

#include <vector>

namespace formulux {

// Element-wise binary operator (everything but *, /, \, ^, && and ||) with broadcasting of
// scalars and 1-row or 1-column operands.
CMCVariable elementwise(BinOp op, const CMCVariable& a, const CMCVariable& b, const Context& ctx);
// The operator on two doubles (the scalar path).
double scalarOp(BinOp op, double a, double b);

CMCVariable negate(const CMCVariable& a);
CMCVariable logicalNot(const CMCVariable& a);
CMCVariable transpose(const CMCVariable& a);

// True when non-empty and every element non-zero.
bool isTrue(const CMCVariable& v);

// Converts every element to the element type (rounding, truncation, wrapping or clipping).
double convertElement(double v, MCType type, bool clipping);
void convertTo(CMCVariable& v, MCType type, bool clipping);

// start:step:end with Octave's element count.
CMCVariable range(double start, double step, double end, const Context& ctx);

// Concatenates rows of values ([a, b; c, d]); empty parts are skipped.
CMCVariable concatenate(const std::vector<CMCVariable>& parts, const std::vector<int>& rowSizes, const Context& ctx);

} // namespace formulux
