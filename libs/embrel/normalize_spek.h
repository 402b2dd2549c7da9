#pragma once
// NormalizeSpek: resamples a curve onto an equidistant grid with a borrowed interpolator
// (inside the curve's range) and extrapolator (outside it).
#include "embrel/extrapolators.h"
#include "embrel/interpolators.h"
#include "embrel/spek_container.h"
#include "embrel/target.h"

#include <cstddef>
#include <span>
#include <vector>

class NormalizeSpek {
public:
    // Borrows both objects, which must outlive the resampler; null throws std::invalid_argument.
    NormalizeSpek(IpolBase* interpolator, EpolBase* extrapolator);

    // One value per grid point of info (CSpekContainer::SpekInfo::GetCount; an unusable grid
    // gives an empty result).
    // - The curve is the first count points of x and y (count <= 0 or beyond the arrays:
    //   all). x and y of different lengths throw std::invalid_argument.
    // - Points with a value that is not finite are dropped, the rest sorted by x, points of
    //   equal x merged into one with the mean of their y.
    // - No point left: 0 everywhere. One point: its y at its x, elsewhere the extrapolator
    //   with slope 0.
    // - Inside [x first, x last] the interpolant, outside the extrapolator.
    // - Every value is then offset + scale * value; (0.0, 1.0, 0) is plain resampling.
    //   An offset or scale that is not finite gives an empty result.
    CMBTarget run(std::span<const double> x, std::span<const double> y, const CSpekContainer::SpekInfo& info,
                  double offset, double scale, int count);

private:
    // The curve's interpolated part and what the extrapolator needs at its ends.
    struct Ends {
        std::size_t lo = 0, hi = 0; // grid points [lo, hi) lie inside [xFirst, xLast]
        double xFirst = 0, xLast = 0;
        double vFirst = 0, vLast = 0; // interpolant at the ends
        double sFirst = 0, sLast = 0; // outward slopes
    };

    // Sets m_grid to the points of info, unless it holds them already.
    void MakeGrid(const CSpekContainer::SpekInfo& info, std::size_t count);
    // Fits n >= 2 points and writes the interpolant at the grid points inside them.
    Ends Interpolate(const double* x, const double* y, std::size_t n, double* out);
    // Copies the points into m_x, m_y: finite ones only, sorted, equal x merged.
    void Clean(const double* x, const double* y, std::size_t n);

    IpolBase* m_ipol;
    EpolBase* m_epol;
    CSpekContainer::SpekInfo m_gridInfo;
    std::vector<double> m_x, m_y, m_grid;
    std::vector<std::size_t> m_order;
};
