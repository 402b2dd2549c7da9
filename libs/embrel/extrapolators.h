#pragma once
// Extrapolators: values beyond the ends of a curve. Each continues from the interpolant's
// value v at the end, with s the outward slope there (the change per unit of x when moving
// away from the curve; NormalizeSpek takes it through the interpolant's values at the two
// outermost points), at a distance t > 0 from the end. The caller owns the objects.

class EpolBase {
public:
    EpolBase() = default;
    virtual ~EpolBase();
    EpolBase(const EpolBase&) = delete;
    EpolBase& operator=(const EpolBase&) = delete;

    virtual double Value(double v, double s, double t) const = 0;
};

// 0 beyond the ends.
class EpolNull : public EpolBase {
public:
    EpolNull() = default;
    ~EpolNull() override;
    double Value(double v, double s, double t) const override;
};

// v: the end value held.
class EpolWerte : public EpolBase {
public:
    EpolWerte() = default;
    ~EpolWerte() override;
    double Value(double v, double s, double t) const override;
};

// v + s t: the straight line through the two outermost points.
class EpolLin : public EpolBase {
public:
    EpolLin() = default;
    ~EpolLin() override;
    double Value(double v, double s, double t) const override;
};

// v + s D t / (D + t): leaves the end with slope s and flattens towards v + s D.
class EpolHyperbolAbflach : public EpolBase {
public:
    // D in units of x (nm for spectra).
    static constexpr double kDistance = 10.0;

    EpolHyperbolAbflach() = default;
    ~EpolHyperbolAbflach() override;
    double Value(double v, double s, double t) const override;
};
