#include "embrel/extrapolators.h"

EpolBase::~EpolBase() = default;
EpolNull::~EpolNull() = default;
EpolWerte::~EpolWerte() = default;
EpolLin::~EpolLin() = default;
EpolHyperbolAbflach::~EpolHyperbolAbflach() = default;

double EpolNull::Value(double, double, double) const
{
    return 0.0;
}

double EpolWerte::Value(double v, double, double) const
{
    return v;
}

double EpolLin::Value(double v, double s, double t) const
{
    return v + s * t;
}

double EpolHyperbolAbflach::Value(double v, double s, double t) const
{
    return v + s * kDistance * t / (kDistance + t);
}
