#pragma once
// Matrix products, solving, inverse, determinant, powers and norms (Eigen behind the scenes).
#include "formulux/runtime.h"

namespace formulux {

CMCVariable matrixProduct(const CMCVariable& a, const CMCVariable& b, const Context& ctx);
// a \ b: LU for a square a (singular: error), least squares by QR otherwise.
CMCVariable leftDivide(const CMCVariable& a, const CMCVariable& b, const Context& ctx);
// a / b = (b' \ a')'.
CMCVariable rightDivide(const CMCVariable& a, const CMCVariable& b, const Context& ctx);
CMCVariable matrixPower(const CMCVariable& a, const CMCVariable& b, const Context& ctx);
CMCVariable inverse(const CMCVariable& a, const Context& ctx);
double determinant(const CMCVariable& a);
// 2-norm of a vector or matrix; p = 1, 2 or Inf.
double norm(const CMCVariable& a, double p);

} // namespace formulux
