#include "calculation/selection_criterion.h"

#include <simd/vectors.h>

#include <algorithm>
#include <cmath>
#include <limits>

namespace selection {

namespace {

// Two Quads keep eight partial sums, which also breaks the chain of additions.
using simd::Quad;

inline __attribute__((always_inline)) double Total(Quad a, Quad b)
{
    const Quad s = a + b;
    return (s[0] + s[1]) + (s[2] + s[3]);
}

inline __attribute__((always_inline)) Quad Abs(Quad q)
{
    return q < 0 ? -q : q;
}

SIMD_CLONES
double Dot(const double* a, const double* b, std::size_t n)
{
    Quad p0 = {}, p1 = {};
    std::size_t k = 0;
    for (; k + 8 <= n; k += 8) {
        p0 += simd::Load(a + k) * simd::Load(b + k);
        p1 += simd::Load(a + k + 4) * simd::Load(b + k + 4);
    }
    double sum = Total(p0, p1);
    for (; k < n; ++k)
        sum += a[k] * b[k];
    return sum;
}

} // namespace

Eigen::MatrixXd PseudoInverse(const Eigen::MatrixXd& a)
{
    if (a.size() == 0)
        return Eigen::MatrixXd::Zero(a.cols(), a.rows());
    Eigen::JacobiSVD<Eigen::MatrixXd> svd(a, Eigen::ComputeFullU | Eigen::ComputeFullV);
    const Eigen::VectorXd& s = svd.singularValues();
    Eigen::MatrixXd inverse = Eigen::MatrixXd::Zero(a.cols(), a.rows());
    for (Eigen::Index i = 0; i < s.size(); ++i)
        if (s(i) > kPinvCut)
            inverse.noalias() += svd.matrixV().col(i) * (1.0 / s(i)) * svd.matrixU().col(i).transpose();
    return inverse;
}

int ResponseTable::Offset(int cls) const
{
    int offset = 0;
    for (int c = 0; c < cls; ++c)
        offset += sampleCounts[c];
    return offset;
}

int ResponseTable::SampleTotal() const
{
    return Offset(classCount);
}

namespace {

// What the scatter matrices need of one row of the table: the deviations of its samples from
// their class means (0 for a missing response) and its class means less their mean.
void RowStatistics(const ResponseTable& table, int row, double* deviations, double* centred)
{
    const std::vector<double>& v = table.responses[row];
    double overall = 0;
    for (int cls = 0, offset = 0; cls < table.classCount; offset += table.sampleCounts[cls], ++cls) {
        const int n = table.sampleCounts[cls];
        double sum = 0;
        int count = 0;
        for (int s = 0; s < n; ++s)
            if (v[offset + s] != kMissing) {
                sum += v[offset + s];
                ++count;
            }
        const double mean = count > 0 ? sum / count : 0.0;
        centred[cls] = mean;
        overall += mean;
        for (int s = 0; s < n; ++s) {
            const double value = v[offset + s];
            deviations[offset + s] = value == kMissing ? 0.0 : value - mean;
        }
    }
    overall /= table.classCount;
    for (int cls = 0; cls < table.classCount; ++cls)
        centred[cls] -= overall;
}

// Within-class scatter entry of two rows: the dot product of their deviations.
double WithinEntry(const double* devI, const double* devJ, int samples)
{
    return Dot(devI, devJ, static_cast<std::size_t>(samples));
}

// Between-class scatter entry: sum over classes of n (m_i - mean)(m_j - mean).
double BetweenEntry(const ResponseTable& table, const double* centredI, const double* centredJ)
{
    double sum = 0;
    for (int cls = 0; cls < table.classCount; ++cls)
        sum += static_cast<double>(table.sampleCounts[cls]) * centredI[cls] * centredJ[cls];
    return sum;
}

// trace(pinv(W + ridge) B) with the ridge 1e-5 tr(B) / d on W's diagonal.
double FisherFromScatter(Eigen::MatrixXd& w, const Eigen::MatrixXd& b)
{
    const Eigen::Index d = w.rows();
    const double ridge = kRidge * b.trace() / static_cast<double>(d);
    w.diagonal().array() += ridge;
    // W is D D^T plus the ridge: symmetric, its eigenvalues at least the ridge. While the ridge
    // stands well above the cut and the rounding of W, no singular value falls under the cut,
    // the pseudo-inverse is the inverse, and a Cholesky solve gives trace(W^-1 B) directly.
    const double rounding = 64.0 * static_cast<double>(d) * std::numeric_limits<double>::epsilon() * w.trace();
    if (ridge > 2 * kPinvCut && ridge > rounding) {
        const Eigen::LLT<Eigen::MatrixXd> cholesky(w);
        if (cholesky.info() == Eigen::Success)
            return cholesky.solve(b).trace();
    }
    return (PseudoInverse(w) * b).trace();
}

std::vector<int> DiscriminanceRows(int startCount, const std::vector<int>& chosen)
{
    std::vector<int> rows;
    for (int s = 0; s < startCount; ++s)
        rows.push_back(s);
    for (int c : chosen)
        if (c >= 0)
            rows.push_back(startCount + c);
    return rows;
}

double SmallestRating(const ResponseTable& table, const std::vector<int>& rows)
{
    double smallest = std::numeric_limits<double>::max();
    for (int r : rows)
        smallest = std::min(smallest, table.rating[r]);
    return smallest;
}

} // namespace

double FisherValue(const ResponseTable& table, const std::vector<int>& rows)
{
    const auto d = static_cast<Eigen::Index>(rows.size());
    if (d == 0 || table.classCount == 0)
        return 0.0;
    const int samples = table.SampleTotal();
    Eigen::MatrixXd dev(samples, d);
    Eigen::MatrixXd centred(table.classCount, d);
    for (Eigen::Index r = 0; r < d; ++r)
        RowStatistics(table, rows[r], dev.col(r).data(), centred.col(r).data());
    Eigen::MatrixXd w(d, d), b(d, d);
    for (Eigen::Index i = 0; i < d; ++i)
        for (Eigen::Index j = 0; j <= i; ++j) {
            w(i, j) = w(j, i) = WithinEntry(dev.col(i).data(), dev.col(j).data(), samples);
            b(i, j) = b(j, i) = BetweenEntry(table, centred.col(i).data(), centred.col(j).data());
        }
    return FisherFromScatter(w, b);
}

DiscriminanceRater::DiscriminanceRater(const ResponseTable& table) : m_table(table)
{
    const auto rows = static_cast<Eigen::Index>(table.responses.size());
    if (rows > static_cast<Eigen::Index>(kEntryLimit) || table.classCount == 0)
        return;
    m_dev.resize(table.SampleTotal(), rows);
    m_centred.resize(table.classCount, rows);
    for (Eigen::Index r = 0; r < rows; ++r)
        RowStatistics(table, static_cast<int>(r), m_dev.col(r).data(), m_centred.col(r).data());
    m_within.setConstant(rows, rows, std::numeric_limits<double>::quiet_NaN());
    m_between.setConstant(rows, rows, std::numeric_limits<double>::quiet_NaN());
}

double DiscriminanceRater::Value(int startCount, const std::vector<int>& chosen) const
{
    const std::vector<int> rows = DiscriminanceRows(startCount, chosen);
    if (rows.size() < 2)
        return SmallestRating(m_table, rows);
    if (m_within.size() == 0)
        return FisherValue(m_table, rows);
    const auto d = static_cast<Eigen::Index>(rows.size());
    Eigen::MatrixXd w(d, d), b(d, d);
    for (Eigen::Index i = 0; i < d; ++i)
        for (Eigen::Index j = 0; j <= i; ++j) {
            const Eigen::Index ri = rows[static_cast<std::size_t>(i)], rj = rows[static_cast<std::size_t>(j)];
            double& within = m_within(ri, rj);
            if (std::isnan(within)) {
                within = WithinEntry(m_dev.col(ri).data(), m_dev.col(rj).data(), static_cast<int>(m_dev.rows()));
                m_within(rj, ri) = within;
                m_between(ri, rj) = m_between(rj, ri) =
                    BetweenEntry(m_table, m_centred.col(ri).data(), m_centred.col(rj).data());
            }
            w(i, j) = w(j, i) = within;
            b(i, j) = b(j, i) = m_between(ri, rj);
        }
    return FisherFromScatter(w, b);
}

double DiscriminanceValue(const ResponseTable& table, int startCount, const std::vector<int>& chosen)
{
    const std::vector<int> rows = DiscriminanceRows(startCount, chosen);
    if (rows.size() < 2)
        return SmallestRating(table, rows);
    return FisherValue(table, rows);
}

namespace {

// Largest value, at least 1e-6.
SIMD_CLONES
double FlooredMax(const double* v, std::size_t n)
{
    const Quad floor = {1e-6, 1e-6, 1e-6, 1e-6};
    Quad m0 = floor, m1 = floor;
    std::size_t k = 0;
    for (; k + 8 <= n; k += 8) {
        const Quad a = simd::Load(v + k), b = simd::Load(v + k + 4);
        m0 = a > m0 ? a : m0;
        m1 = b > m1 ? b : m1;
    }
    double m = 1e-6;
    for (int j = 0; j < 4; ++j)
        m = std::max({m, m0[j], m1[j]});
    for (; k < n; ++k)
        m = v[k] > m ? v[k] : m;
    return m;
}

// Overlap of two spectra already scaled to their maxima, with their sums: since
// min(u, v) = (u + v - |u - v|) / 2 and max(u, v) = (u + v + |u - v|) / 2, the ratio of the
// sums is (S - A) / (S + A) with S = sum u + sum v and A = sum |u - v| (one pass).
SIMD_CLONES
double ScaledOverlap(const double* u, double sumU, const double* v, double sumV, std::size_t n)
{
    Quad p0 = {}, p1 = {};
    std::size_t k = 0;
    for (; k + 8 <= n; k += 8) {
        p0 += Abs(simd::Load(u + k) - simd::Load(v + k));
        p1 += Abs(simd::Load(u + k + 4) - simd::Load(v + k + 4));
    }
    double a = Total(p0, p1);
    for (; k < n; ++k)
        a += std::fabs(u[k] - v[k]);
    const double total = sumU + sumV;
    const double high = total + a;
    return high == 0.0 ? 1.0 : (total - a) / high;
}

// Writes y scaled to its floored maximum into out (times the reciprocal: within a rounding of
// the quotient) and returns the sum of the scaled values.
SIMD_CLONES
double ScaleToMax(const double* y, std::size_t n, double* out)
{
    const double inverse = 1.0 / FlooredMax(y, n);
    Quad s0 = {}, s1 = {};
    std::size_t k = 0;
    for (; k + 8 <= n; k += 8) {
        const Quad a = simd::Load(y + k) * inverse, b = simd::Load(y + k + 4) * inverse;
        __builtin_memcpy(out + k, &a, sizeof a);
        __builtin_memcpy(out + k + 4, &b, sizeof b);
        s0 += a;
        s1 += b;
    }
    double sum = Total(s0, s1);
    for (; k < n; ++k) {
        out[k] = y[k] * inverse;
        sum += out[k];
    }
    return sum;
}

double ScaleToMax(const std::vector<double>& y, double* out)
{
    return ScaleToMax(y.data(), y.size(), out);
}

} // namespace

double Overlap(const std::vector<double>& a, const std::vector<double>& b)
{
    std::vector<double> u(a.size()), v(b.size());
    const double sumU = ScaleToMax(a, u.data());
    const double sumV = ScaleToMax(b, v.data());
    return ScaledOverlap(u.data(), sumU, v.data(), sumV, std::min(u.size(), v.size()));
}

ScaledSpectra::ScaledSpectra(const SpectraSet& spectra) : m_rows(spectra.y.size()), m_sums(spectra.y.size())
{
    for (std::size_t i = 0; i < spectra.y.size(); ++i) {
        m_rows[i].resize(spectra.y[i].size());
        m_sums[i] = ScaleToMax(spectra.y[i], m_rows[i].data());
    }
}

double ScaledSpectra::Overlap(int i, int j) const
{
    const std::vector<double>& u = m_rows[static_cast<std::size_t>(i)];
    const std::vector<double>& v = m_rows[static_cast<std::size_t>(j)];
    return ScaledOverlap(u.data(), m_sums[static_cast<std::size_t>(i)], v.data(), m_sums[static_cast<std::size_t>(j)],
                         std::min(u.size(), v.size()));
}

namespace {

// Centroid of a spectrum over its values above the limit (false: none above it).
SIMD_CLONES
bool Centroid(const double* y, const double* x, std::size_t n, double limit, double& centroid)
{
    Quad w0 = {}, w1 = {}, s0 = {}, s1 = {};
    const Quad zero = {};
    std::size_t k = 0;
    for (; k + 8 <= n; k += 8) {
        const Quad a = simd::Load(y + k), b = simd::Load(y + k + 4);
        const Quad wa = a > limit ? a : zero, wb = b > limit ? b : zero;
        w0 += wa;
        w1 += wb;
        s0 += wa * simd::Load(x + k);
        s1 += wb * simd::Load(x + k + 4);
    }
    double weight = Total(w0, w1), sum = Total(s0, s1);
    for (; k < n; ++k) {
        const double w = y[k] > limit ? y[k] : 0.0;
        weight += w;
        sum += w * x[k];
    }
    if (!(weight > 0))
        return false;
    centroid = sum / weight;
    return true;
}

bool Centroid(const std::vector<double>& y, const std::vector<double>& x, double limit, double& centroid)
{
    return Centroid(y.data(), x.data(), std::min(y.size(), x.size()), limit, centroid);
}

// What the technology value needs of each chosen spectrum.
struct Rated {
    const double* scaled = nullptr; // scaled to the floored maximum
    double sum = 0;                 // of the scaled values
    std::size_t size = 0;
    double centroid = 0;
    bool hasCentroid = true;
};

// The technology value of two or more rated spectra (see TechnologyValue); overlap(i, j) of
// the i-th and j-th of them.
template <class OverlapFn>
bool RateSet(const std::vector<Rated>& rated, const TechnologyLimits& limits, double* value, OverlapFn overlap)
{
    const double d = limits.minDistance;
    const bool distanceSet = d > 0;
    bool everyCentroid = true;
    if (distanceSet)
        for (const Rated& r : rated)
            everyCentroid = everyCentroid && r.hasCentroid;
    if (distanceSet && !everyCentroid) {
        // A spectrum without a value above the level has no centroid: no distance to rate.
        if (value)
            *value = -1.0;
        return false;
    }
    double dmin = std::numeric_limits<double>::max();
    double largest = 0;
    auto hopeless = [&] { return largest > 0.98 && (!distanceSet || d / dmin > 10); };
    for (std::size_t i = 0; i < rated.size() && !hopeless(); ++i)
        for (std::size_t j = i + 1; j < rated.size() && !hopeless(); ++j) {
            if (distanceSet)
                dmin = std::min(dmin, std::fabs(rated[i].centroid - rated[j].centroid));
            largest = std::max(largest, overlap(i, j));
        }
    const double maxOverlap = limits.maxOverlap;
    double t = -1.0;
    if (!hopeless()) {
        t = distanceSet ? (d > dmin ? 0.0 : 1.0 - (d / dmin) * (d / dmin)) : 0.0;
        t += largest < maxOverlap ? 1.0 - (largest / maxOverlap) * (largest / maxOverlap) : 0.0;
        if (distanceSet)
            t /= 2;
    }
    if (value)
        *value = t;
    if (t == -1.0)
        return false;
    if (maxOverlap < 1.0 && largest > maxOverlap)
        return false;
    if (distanceSet && (!everyCentroid || d > dmin))
        return false;
    return true;
}

std::vector<int> Valid(const std::vector<int>& selection)
{
    std::vector<int> chosen;
    for (int i : selection)
        if (i >= 0)
            chosen.push_back(i);
    return chosen;
}

// With a start selection of the selection's size: the mean over the chosen spectra of their
// largest overlap with a start spectrum.
template <class OverlapFn>
bool StartOverlap(const std::vector<int>& chosen, const std::vector<int>& start, OverlapFn overlap, double* value)
{
    double sum = 0;
    for (int i : chosen) {
        double largest = 0;
        for (int s : start)
            if (s >= 0)
                largest = std::max(largest, overlap(i, s));
        sum += largest;
    }
    if (value)
        *value = chosen.empty() ? 0.0 : sum / static_cast<double>(chosen.size());
    return true;
}

bool UsesStart(const std::vector<int>& selection, const std::vector<int>* start)
{
    return start && start->size() == selection.size() && !start->empty();
}

} // namespace

bool TechnologyValue(const SpectraSet& spectra, const std::vector<int>& selection, const TechnologyLimits& limits,
                     double* value, const std::vector<int>* startSelection)
{
    const std::vector<int> chosen = Valid(selection);
    if (UsesStart(selection, startSelection))
        return StartOverlap(
            chosen, *startSelection, [&](int i, int s) { return Overlap(spectra.y[i], spectra.y[s]); }, value);
    if (chosen.size() < 2) {
        if (value)
            *value = 1.0;
        return true;
    }
    // Each chosen spectrum scaled to its floored maximum once, for the pairwise overlaps, into
    // a buffer that this thread keeps from call to call.
    thread_local std::vector<double> scaled;
    std::size_t total = 0;
    for (int i : chosen)
        total += spectra.y[i].size();
    if (scaled.size() < total)
        scaled.resize(total);
    std::vector<Rated> rated(chosen.size());
    const bool distanceSet = limits.minDistance > 0;
    for (std::size_t i = 0, at = 0; i < chosen.size(); ++i) {
        const std::vector<double>& y = spectra.y[chosen[i]];
        rated[i].scaled = scaled.data() + at;
        rated[i].sum = ScaleToMax(y, scaled.data() + at);
        rated[i].size = y.size();
        if (distanceSet)
            rated[i].hasCentroid = Centroid(y, spectra.x, 0.05 * limits.level, rated[i].centroid);
        at += y.size();
    }
    return RateSet(rated, limits, value, [&](std::size_t i, std::size_t j) {
        return ScaledOverlap(rated[i].scaled, rated[i].sum, rated[j].scaled, rated[j].sum,
                             std::min(rated[i].size, rated[j].size));
    });
}

TechnologyRater::TechnologyRater(const SpectraSet& spectra, const TechnologyLimits& limits)
    : m_scaled(spectra), m_limits(limits), m_centroids(spectra.y.size(), 0.0), m_hasCentroid(spectra.y.size(), 1)
{
    if (spectra.y.size() <= kPairLimit)
        m_pairs.assign(spectra.y.size() * spectra.y.size(), std::numeric_limits<double>::quiet_NaN());
    if (limits.minDistance > 0)
        for (std::size_t i = 0; i < spectra.y.size(); ++i)
            m_hasCentroid[i] = Centroid(spectra.y[i], spectra.x, 0.05 * limits.level, m_centroids[i]) ? 1 : 0;
}

bool TechnologyRater::Value(const std::vector<int>& selection, double* value,
                            const std::vector<int>* startSelection) const
{
    const std::vector<int> chosen = Valid(selection);
    if (UsesStart(selection, startSelection))
        return StartOverlap(
            chosen, *startSelection, [&](int i, int s) { return m_scaled.Overlap(i, s); }, value);
    if (chosen.size() < 2) {
        if (value)
            *value = 1.0;
        return true;
    }
    std::vector<Rated> rated(chosen.size());
    for (std::size_t i = 0; i < chosen.size(); ++i) {
        const auto c = static_cast<std::size_t>(chosen[i]);
        rated[i].scaled = m_scaled.Row(chosen[i]).data();
        rated[i].sum = m_scaled.Sum(chosen[i]);
        rated[i].size = m_scaled.Row(chosen[i]).size();
        rated[i].centroid = m_centroids[c];
        rated[i].hasCentroid = m_hasCentroid[c] != 0;
    }
    return RateSet(rated, m_limits, value,
                   [&](std::size_t i, std::size_t j) { return PairOverlap(chosen[i], chosen[j]); });
}

double TechnologyRater::PairOverlap(int i, int j) const
{
    if (m_pairs.empty())
        return m_scaled.Overlap(i, j);
    const auto n = static_cast<std::size_t>(m_scaled.Count());
    double& known = m_pairs[static_cast<std::size_t>(i) * n + static_cast<std::size_t>(j)];
    if (std::isnan(known)) {
        known = m_scaled.Overlap(i, j);
        m_pairs[static_cast<std::size_t>(j) * n + static_cast<std::size_t>(i)] = known;
    }
    return known;
}

} // namespace selection
