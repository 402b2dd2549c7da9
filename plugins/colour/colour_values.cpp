#include "colour/colour_values.h"

#include <colormath/colormath.h>

#include <algorithm>
#include <cmath>
#include <numeric>

namespace colour {
namespace {

constexpr char kSpectraGrid[] =
    "Fehler: Spektren sind nicht äquidistant oder haben nicht den gleichen Definitionsbereich!";
constexpr char kLightGrid[] =
    "Fehler: Beleuchtungs-Spektren sind nicht äquidistant oder haben nicht den gleichen Definitionsbereich!";
constexpr char kObserverGrid[] =
    "Fehler: Beobachter-Spektren sind nicht äquidistant oder haben nicht den gleichen Definitionsbereich!";
constexpr char kStepMismatch[] = "Fehler: Schrittweiten stimmen nicht überein";
constexpr char kRangeMismatch[] = "Fehler: Definitionsbereiche stimmen nicht überein";
constexpr char kNoNormalisation[] = "Fehler: Normierung nicht möglich, Bezugssumme ist 0!";
constexpr char kNoQeConversion[] = "Fehler: Quanteneffizienz-Umrechnung nicht möglich!";

struct Grid {
    double step = 0, start = 0, end = 0;
};

bool SameGrid(const std::vector<Spectrum*>& spectra, Grid& grid)
{
    SpectrumList list;
    list.assign(spectra.begin(), spectra.end());
    return list.SpecsSameEquiDistant(&grid.step, &grid.start, &grid.end);
}

// The y values of a spectrum, exactly points long (0 past its own points).
std::vector<double> YValues(const Spectrum& s, int points)
{
    std::vector<double> y(static_cast<std::size_t>(points), 0.0);
    for (int i = 0; i < points && i < s.GetPointCount(); ++i)
        y[static_cast<std::size_t>(i)] = s[i].y;
    return y;
}

} // namespace

const char* GridError(const Inputs& in)
{
    Grid specGrid, lightGrid, observerGrid;
    if (!SameGrid(in.specs, specGrid))
        return kSpectraGrid;
    if (!SameGrid(in.lights, lightGrid))
        return kLightGrid;
    if (!SameGrid(in.observers, observerGrid))
        return kObserverGrid;
    const bool lights = !in.lights.empty();
    if (observerGrid.step != specGrid.step || (lights && lightGrid.step != specGrid.step))
        return kStepMismatch;
    const int P = in.observers.front()->GetPointCount();
    auto rangeDiffers = [&](const Grid& g) { return g.start != specGrid.start || g.end != specGrid.end; };
    auto countDiffers = [P](const std::vector<Spectrum*>& list) {
        return std::any_of(list.begin(), list.end(), [P](const Spectrum* s) { return s->GetPointCount() != P; });
    };
    // Equal ranges and steps within the equidistance tolerance can still differ by a point:
    // no spectrum is read past its own points.
    if (rangeDiffers(observerGrid) || (lights && rangeDiffers(lightGrid)) || countDiffers(in.specs) ||
        countDiffers(in.lights) || countDiffers(in.observers))
        return kRangeMismatch;
    return nullptr;
}

namespace {

// The curves, the illuminants and the points of a run as plain rows.
struct Rows {
    int P = 0;
    std::size_t n = 0;
    std::vector<std::vector<double>> curves, lights;
    std::vector<const double*> curvePointers;
};

// Quantum-efficiency conversion: the curves times lambda, scaled by g_j = M1_j / M2_j.
bool QeCurves(const Inputs& in, const Rows& rows, std::vector<double>& scale, std::vector<std::vector<double>>& qe)
{
    for (std::size_t j = 0; j < rows.n; ++j) {
        double m1 = 0.0, m2 = 0.0;
        std::vector<double> weighted(static_cast<std::size_t>(rows.P));
        for (int i = 0; i < rows.P; ++i) {
            const double y = rows.curves[j][static_cast<std::size_t>(i)];
            const double xy = (*in.observers[j])[i].x * y;
            weighted[static_cast<std::size_t>(i)] = xy;
            m1 = std::max(m1, y);
            m2 = std::max(m2, xy);
        }
        scale[j] = m1 / m2;
        if (!(m2 > 0.0) || !std::isfinite(scale[j]))
            return false;
        qe.push_back(std::move(weighted));
    }
    return true;
}

// Colour mode: the reference sums and the factor per illuminant (or once without).
bool References(const Settings& set, const Rows& rows, std::size_t rounds, Values& out, std::vector<double>& factors)
{
    const bool normaliseWithLight = set.integral || rows.n == 3;
    const std::vector<double> ones(static_cast<std::size_t>(rows.P), 1.0);
    for (std::size_t l = 0; l < rounds; ++l) {
        std::vector<double> k(rows.n);
        colormath::WeightedSums(rows.lights.empty() ? ones.data() : rows.lights[l].data(), nullptr,
                                rows.curvePointers.data(), rows.n, static_cast<std::size_t>(rows.P), k.data());
        double f = 1.0;
        // Without a second curve there is no reference sum to normalise by: factor 1.
        if ((rows.lights.empty() || normaliseWithLight) && rows.n >= 2) {
            f = 100.0 / k[1];
            if (!std::isfinite(f))
                return false;
        }
        for (double& v : k)
            v *= f;
        out.refs.push_back(std::move(k));
        factors.push_back(f);
    }
    return true;
}

// The largest response of each curve over the spectra (without f or g), ascending, stable.
void SortCurves(const Inputs& in, const Rows& rows, Values& out)
{
    out.best.assign(rows.n, -HUGE_VAL);
    std::vector<double> values(rows.n);
    const double* w = rows.lights.empty() ? nullptr : rows.lights.front().data();
    for (const Spectrum* s : in.specs) {
        const std::vector<double> sy = YValues(*s, rows.P);
        colormath::WeightedSums(sy.data(), w, rows.curvePointers.data(), rows.n, static_cast<std::size_t>(rows.P),
                                values.data());
        for (std::size_t j = 0; j < rows.n; ++j)
            out.best[j] = std::max(out.best[j], values[j]);
    }
    out.order.resize(rows.n);
    std::iota(out.order.begin(), out.order.end(), 0);
    std::stable_sort(out.order.begin(), out.order.end(),
                     [&](std::size_t a, std::size_t b) { return out.best[a] < out.best[b]; });
}

} // namespace

bool Compute(const Settings& set, const Inputs& in, Values& out, const char*& error)
{
    Rows rows;
    rows.n = in.observers.size();
    rows.P = in.observers.front()->GetPointCount();
    for (const Spectrum* o : in.observers)
        rows.curves.push_back(YValues(*o, rows.P));
    for (const auto& c : rows.curves)
        rows.curvePointers.push_back(c.data());
    for (const Spectrum* l : in.lights)
        rows.lights.push_back(YValues(*l, rows.P));
    const std::size_t n = rows.n, points = static_cast<std::size_t>(rows.P);
    out = Values{};
    out.curves = n;
    out.rounds = in.lights.empty() ? 1 : in.lights.size();

    out.scale.assign(n, 1.0);
    std::vector<std::vector<double>> qeCurves;
    std::vector<const double*> qePointers;
    if (!set.colourMode && set.isQE && !QeCurves(in, rows, out.scale, qeCurves)) {
        error = kNoQeConversion;
        return false;
    }
    for (const auto& c : qeCurves)
        qePointers.push_back(c.data());
    std::vector<double> factors;
    if (set.colourMode && !References(set, rows, out.rounds, out, factors)) {
        error = kNoNormalisation;
        return false;
    }
    if (!set.colourMode)
        out.refs.assign(out.rounds, std::vector<double>(n, 1.0));

    for (std::size_t l = 0; l < out.rounds; ++l) {
        const double* w = rows.lights.empty() ? nullptr : rows.lights[l].data();
        for (const Spectrum* s : in.specs) {
            const std::vector<double> sy = YValues(*s, rows.P);
            std::vector<double> values(n);
            const bool qe = !set.colourMode && set.isQE;
            colormath::WeightedSums(sy.data(), w, qe ? qePointers.data() : rows.curvePointers.data(), n, points,
                                    values.data());
            for (std::size_t j = 0; j < n; ++j)
                values[j] *= set.colourMode ? factors[l] : out.scale[j];
            out.values.push_back(std::move(values));
        }
    }

    if (!set.colourMode && set.saveResponse && set.isQE)
        for (std::size_t j = 0; j < n; ++j) {
            const Spectrum& o = *in.observers[j];
            out.responses.emplace_back();
            for (int i = 0; i < o.GetPointCount(); ++i)
                out.responses.back().emplace_back(o[i].x, o[i].x * o[i].y * out.scale[j]);
        }
    if (set.sort)
        SortCurves(in, rows, out);
    return true;
}

} // namespace colour
