#include "calculation/selection_criterion.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace selection {

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

double FisherValue(const ResponseTable& table, const std::vector<int>& rows)
{
    const auto d = static_cast<Eigen::Index>(rows.size());
    if (d == 0 || table.classCount == 0)
        return 0.0;
    Eigen::MatrixXd means(d, table.classCount);
    // Deviations of every sample from its class mean, one column per channel: W = D^T D.
    Eigen::MatrixXd dev(table.SampleTotal(), d);
    for (Eigen::Index r = 0; r < d; ++r) {
        const std::vector<double>& v = table.responses[rows[r]];
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
            means(r, cls) = mean;
            for (int s = 0; s < n; ++s) {
                const double value = v[offset + s];
                dev(offset + s, r) = value == kMissing ? 0.0 : value - mean;
            }
        }
    }
    const Eigen::VectorXd overall = means.rowwise().sum() / table.classCount;
    Eigen::MatrixXd w(d, d);
    for (Eigen::Index i = 0; i < d; ++i)
        for (Eigen::Index j = 0; j <= i; ++j)
            w(i, j) = w(j, i) = dev.col(i).dot(dev.col(j));
    // B = sum over classes of n (m - overall)(m - overall)^T.
    const Eigen::MatrixXd centred = means.colwise() - overall;
    Eigen::MatrixXd weighted = centred;
    for (int cls = 0; cls < table.classCount; ++cls)
        weighted.col(cls) *= static_cast<double>(table.sampleCounts[cls]);
    Eigen::MatrixXd b(d, d);
    for (Eigen::Index i = 0; i < d; ++i)
        for (Eigen::Index j = 0; j <= i; ++j)
            b(i, j) = b(j, i) = weighted.row(i).dot(centred.row(j));
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

double DiscriminanceValue(const ResponseTable& table, int startCount, const std::vector<int>& chosen)
{
    std::vector<int> rows;
    for (int s = 0; s < startCount; ++s)
        rows.push_back(s);
    for (int c : chosen)
        if (c >= 0)
            rows.push_back(startCount + c);
    if (rows.size() < 2) {
        double smallest = std::numeric_limits<double>::max();
        for (int r : rows)
            smallest = std::min(smallest, table.rating[r]);
        return smallest;
    }
    return FisherValue(table, rows);
}

namespace {

// Largest value, at least 1e-6 (four running maxima keep the loop free of one long chain).
double FlooredMax(const std::vector<double>& v)
{
    double m[4] = {1e-6, 1e-6, 1e-6, 1e-6};
    std::size_t k = 0;
    for (; k + 4 <= v.size(); k += 4)
        for (int j = 0; j < 4; ++j)
            m[j] = v[k + j] > m[j] ? v[k + j] : m[j];
    for (; k < v.size(); ++k)
        m[0] = v[k] > m[0] ? v[k] : m[0];
    return std::max(std::max(m[0], m[1]), std::max(m[2], m[3]));
}

// Overlap of two spectra already scaled to their maxima, with their sums: since
// min(u, v) = (u + v - |u - v|) / 2 and max(u, v) = (u + v + |u - v|) / 2, the ratio of the
// sums is (S - A) / (S + A) with S = sum u + sum v and A = sum |u - v| (one pass, vectorised).
double ScaledOverlap(const double* u, double sumU, const double* v, double sumV, std::size_t n)
{
    double part[4] = {0, 0, 0, 0};
    std::size_t k = 0;
    for (; k + 4 <= n; k += 4)
        for (int j = 0; j < 4; ++j)
            part[j] += std::fabs(u[k + j] - v[k + j]);
    for (; k < n; ++k)
        part[0] += std::fabs(u[k] - v[k]);
    const double a = (part[0] + part[1]) + (part[2] + part[3]);
    const double total = sumU + sumV;
    const double high = total + a;
    return high == 0.0 ? 1.0 : (total - a) / high;
}

// Writes y scaled to its floored maximum into out (times the reciprocal: within a rounding of
// the quotient) and returns the sum of the scaled values.
double ScaleToMax(const std::vector<double>& y, double* out)
{
    const double inverse = 1.0 / FlooredMax(y);
    const std::size_t n = y.size();
    for (std::size_t k = 0; k < n; ++k)
        out[k] = y[k] * inverse;
    double part[4] = {0, 0, 0, 0};
    std::size_t k = 0;
    for (; k + 4 <= n; k += 4)
        for (int j = 0; j < 4; ++j)
            part[j] += out[k + j];
    for (; k < n; ++k)
        part[0] += out[k];
    return (part[0] + part[1]) + (part[2] + part[3]);
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
bool Centroid(const std::vector<double>& y, const std::vector<double>& x, double limit, double& centroid)
{
    double weight[4] = {0, 0, 0, 0}, sum[4] = {0, 0, 0, 0};
    const std::size_t n = std::min(y.size(), x.size());
    std::size_t k = 0;
    for (; k + 4 <= n; k += 4)
        for (int j = 0; j < 4; ++j) {
            const double w = y[k + j] > limit ? y[k + j] : 0.0;
            weight[j] += w;
            sum[j] += w * x[k + j];
        }
    for (; k < n; ++k) {
        const double w = y[k] > limit ? y[k] : 0.0;
        weight[0] += w;
        sum[0] += w * x[k];
    }
    const double total = (weight[0] + weight[1]) + (weight[2] + weight[3]);
    if (!(total > 0))
        return false;
    centroid = ((sum[0] + sum[1]) + (sum[2] + sum[3])) / total;
    return true;
}

// What the technology value needs of each chosen spectrum.
struct Rated {
    const double* scaled = nullptr; // scaled to the floored maximum
    double sum = 0;                 // of the scaled values
    std::size_t size = 0;
    double centroid = 0;
    bool hasCentroid = true;
};

// The technology value of two or more rated spectra (see TechnologyValue).
bool RateSet(const std::vector<Rated>& rated, const TechnologyLimits& limits, double* value)
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
            largest = std::max(largest, ScaledOverlap(rated[i].scaled, rated[i].sum, rated[j].scaled, rated[j].sum,
                                                      std::min(rated[i].size, rated[j].size)));
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
    return RateSet(rated, limits, value);
}

TechnologyRater::TechnologyRater(const SpectraSet& spectra, const TechnologyLimits& limits)
    : m_scaled(spectra), m_limits(limits), m_centroids(spectra.y.size(), 0.0), m_hasCentroid(spectra.y.size(), 1)
{
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
    return RateSet(rated, m_limits, value);
}

} // namespace selection
