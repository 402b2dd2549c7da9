#include "engine/grid.h"

#include <climits>
#include <cmath>

double XStart = 0.4;
double XEnd = 0.75;
double XStep = 0.002;

int GridPointCount(double start, double end, double step)
{
    if (!(step > 0.0))
        return 0;
    const double steps = (end - start) / step + 0.01;
    if (!std::isfinite(steps) || steps < 0.0 || steps >= static_cast<double>(INT_MAX - 1))
        return 0;
    return static_cast<int>(steps) + 1;
}
