#include "formulux/std_functions.h"

#include "formulux/messages.h"

#include <cmath>
#include <limits>
#include <numbers>

namespace formulux {

const StdFunction* findStdFunction(std::string_view name)
{
    for (const auto part : {stdShapeFunctions(), stdMathFunctions(), stdColumnFunctions(), stdLinalgFunctions(),
                            stdTextFunctions()})
        for (const StdFunction& f : part)
            if (f.name == name)
                return &f;
    return nullptr;
}

double stdVarValue(int index)
{
    switch (index) {
    case 0: return std::numbers::pi;
    case 1: return std::numbers::e;
    case 2: return std::numeric_limits<double>::infinity();
    case 3: return std::numeric_limits<double>::quiet_NaN();
    default: return std::numeric_limits<double>::epsilon();
    }
}

double scalarArg(const CMCVariable& v)
{
    if (!v.isScalar())
        fail(msg::kScalarArg);
    return v.scalar();
}

// A count argument: a scalar integer; negative counts are 0 (as zeros(-1) is empty).
int sizeArg(const CMCVariable& v)
{
    const double d = scalarArg(v);
    if (std::isnan(d) || std::trunc(d) != d)
        fail(msg::kIntegerArg);
    if (d < 0)
        return 0;
    if (d > 2147483647.0)
        fail(msg::kTooLarge);
    return int(d);
}

} // namespace formulux
