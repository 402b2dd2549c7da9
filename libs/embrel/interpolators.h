#pragma once
// Interpolators: curves through points with strictly increasing x, evaluated inside
// [x0, x(n-1)]. NormalizeSpek cleans the points and calls Fit, then Eval; the caller owns
// the objects. An object holds the state of its last fit, so one object serves one
// resampler at a time.
#include <cstddef>
#include <vector>

class IpolBase {
public:
    IpolBase() = default;
    virtual ~IpolBase();
    IpolBase(const IpolBase&) = delete;
    IpolBase& operator=(const IpolBase&) = delete;

    // Fits n >= 2 points: x strictly increasing, x and y finite. The arrays are borrowed and
    // must stay unchanged until the last Eval of this fit.
    virtual void Fit(const double* x, const double* y, std::size_t n) = 0;
    // Values at m ascending points q inside [x0, x(n-1)] of the last fit.
    virtual void Eval(const double* q, std::size_t m, double* out) const = 0;
};

// Common part of the methods that work on the points themselves: Fit only borrows them.
class IpolOnPoints : public IpolBase {
public:
    ~IpolOnPoints() override;
    void Fit(const double* x, const double* y, std::size_t n) override;

protected:
    IpolOnPoints() = default;

    const double* m_x = nullptr;
    const double* m_y = nullptr;
    std::size_t m_n = 0;
};

// Nearest point; at an exact midpoint 0.5 * (x(i) + x(i+1)) the upper point.
class IpolNachbar : public IpolOnPoints {
public:
    IpolNachbar() = default;
    ~IpolNachbar() override;
    void Eval(const double* q, std::size_t m, double* out) const override;
};

// Straight lines between neighbouring points. Curves on the points of the curve before (the
// common case of many spectra on one grid) reuse a plan of the queries: per query its
// interval, the interval's width and the distance from its start, so that a value costs no
// search, only the formula of the direct walk (the same value to the bit).
class IpolLinSpline : public IpolOnPoints {
public:
    IpolLinSpline() = default;
    ~IpolLinSpline() override;
    void Fit(const double* x, const double* y, std::size_t n) override;
    void Eval(const double* q, std::size_t m, double* out) const override;

private:
    // Builds the plan of m queries on the points of the current fit.
    void MakePlan(const double* q, std::size_t m) const;

    // The points of the last fit, and whether the fit before had the same ones.
    std::vector<double> m_lastX;
    bool m_sameX = false;
    // The plan for the points m_lastX and the queries m_planQ (valid when m_planned).
    mutable std::vector<double> m_planQ, m_planWidth, m_planOffset;
    mutable std::vector<std::size_t> m_planIndex;
    mutable bool m_planned = false;
};

// Common part of the cubic methods: one cubic per interval,
// f(q) = a(i) + b(i) t + c(i) t^2 + d(i) t^3 with t = q - x(i).
class IpolPiecewiseCubic : public IpolBase {
public:
    ~IpolPiecewiseCubic() override;
    void Eval(const double* q, std::size_t m, double* out) const override;

protected:
    IpolPiecewiseCubic() = default;
    // Sizes the coefficient arrays for n points, copies x and the values a and takes the
    // widths h and slopes delta of the intervals.
    void Start(const double* x, const double* a, std::size_t n);
    // Coefficients from the slopes s at the points (cubic Hermite pieces).
    void FromSlopes(const std::vector<double>& s);
    // Coefficients from the second derivatives g at the points (values in m_a).
    void FromSecondDerivatives(const std::vector<double>& g);
    // Straight lines between the points: the fallback when a system cannot be solved.
    void Lines();

    std::vector<double> m_x, m_a, m_b, m_c, m_d, m_h, m_delta;
};

// Interpolating cubic spline with not-a-knot ends; a parabola through 3 points, a line
// through 2.
class IpolKubSpline : public IpolPiecewiseCubic {
public:
    IpolKubSpline() = default;
    ~IpolKubSpline() override;
    void Fit(const double* x, const double* y, std::size_t n) override;

private:
    // Factors the not-a-knot system of points x (n >= 4) for the Thomas algorithm, unless the
    // factors of these very x are kept from the fit before; false for a zero pivot.
    bool Factor(const double* x, std::size_t n);

    std::vector<double> m_slopes;
    // The factors for the points m_factorX: the system's subdiagonal and the eliminated
    // superdiagonal, both divided by the pivot of their row, and the reciprocal pivots.
    std::vector<double> m_lower, m_upperFactor, m_invPivot, m_factorX;
    bool m_factored = false;
};

// Natural smoothing spline: minimises p * sum (y(i) - f(x(i)))^2 + (1 - p) * integral f''^2
// with p = r / (1 + r), r = 6 tr(Q'Q) / tr(R) (Reinsch's matrices). A line through 2 points.
class IpolAusglKubSpline : public IpolPiecewiseCubic {
public:
    IpolAusglKubSpline() = default;
    ~IpolAusglKubSpline() override;
    void Fit(const double* x, const double* y, std::size_t n) override;
    // The p of the last fit with three or more points (1 before).
    double GetSmoothing() const { return m_p; }
    // The weight p for points x (n >= 3, strictly increasing).
    static double DefaultSmoothing(const double* x, std::size_t n);

private:
    double m_p = 1;
    std::vector<double> m_u, m_g, m_e0, m_e1, m_e2;
};
