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
    Eigen::VectorXd overall = Eigen::VectorXd::Zero(d);
    Eigen::MatrixXd b = Eigen::MatrixXd::Zero(d, d);
    // Deviations of every sample from its class mean, one column per sample: W = D D^T.
    Eigen::MatrixXd dev(d, table.SampleTotal());
    for (int cls = 0, offset = 0; cls < table.classCount; offset += table.sampleCounts[cls], ++cls) {
        const int n = table.sampleCounts[cls];
        for (Eigen::Index r = 0; r < d; ++r) {
            const std::vector<double>& v = table.responses[rows[r]];
            double sum = 0;
            int count = 0;
            for (int s = 0; s < n; ++s)
                if (v[offset + s] != kMissing) {
                    sum += v[offset + s];
                    ++count;
                }
            means(r, cls) = count > 0 ? sum / count : 0.0;
        }
        overall += means.col(cls);
        for (Eigen::Index r = 0; r < d; ++r) {
            const std::vector<double>& v = table.responses[rows[r]];
            for (int s = 0; s < n; ++s) {
                const double value = v[offset + s];
                dev(r, offset + s) = value == kMissing ? 0.0 : value - means(r, cls);
            }
        }
    }
    overall /= table.classCount;
    Eigen::MatrixXd w = dev * dev.transpose();
    for (int cls = 0; cls < table.classCount; ++cls) {
        const Eigen::VectorXd m = means.col(cls) - overall;
        b.noalias() += static_cast<double>(table.sampleCounts[cls]) * (m * m.transpose());
    }
    w.diagonal().array() += kRidge * b.trace() / static_cast<double>(d);
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
double ScaledOverlap(const std::vector<double>& u, double sumU, const std::vector<double>& v, double sumV)
{
    double part[4] = {0, 0, 0, 0};
    const std::size_t n = std::min(u.size(), v.size());
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

double Sum(const std::vector<double>& v)
{
    double sum = 0;
    for (double x : v)
        sum += x;
    return sum;
}

} // namespace

double Overlap(const std::vector<double>& a, const std::vector<double>& b)
{
    const double ma = FlooredMax(a);
    const double mb = FlooredMax(b);
    std::vector<double> u(a.size()), v(b.size());
    for (std::size_t k = 0; k < a.size(); ++k)
        u[k] = a[k] / ma;
    for (std::size_t k = 0; k < b.size(); ++k)
        v[k] = b[k] / mb;
    return ScaledOverlap(u, Sum(u), v, Sum(v));
}

bool TechnologyValue(const SpectraSet& spectra, const std::vector<int>& selection, const TechnologyLimits& limits,
                     double* value, const std::vector<int>* startSelection)
{
    std::vector<int> chosen;
    for (int i : selection)
        if (i >= 0)
            chosen.push_back(i);
    if (startSelection && startSelection->size() == selection.size() && !startSelection->empty()) {
        double sum = 0;
        for (int i : chosen) {
            double largest = 0;
            for (int s : *startSelection)
                if (s >= 0)
                    largest = std::max(largest, Overlap(spectra.y[i], spectra.y[s]));
            sum += largest;
        }
        const double mean = chosen.empty() ? 0.0 : sum / static_cast<double>(chosen.size());
        if (value)
            *value = mean;
        return true;
    }
    if (chosen.size() < 2) {
        if (value)
            *value = 1.0;
        return true;
    }
    const double d = limits.minDistance;
    const bool distanceSet = d > 0;
    std::vector<double> centroid(chosen.size(), 0.0);
    bool everyCentroid = true;
    if (distanceSet)
        for (std::size_t i = 0; i < chosen.size(); ++i) {
            const std::vector<double>& y = spectra.y[chosen[i]];
            double weight = 0, sum = 0;
            for (std::size_t k = 0; k < y.size() && k < spectra.x.size(); ++k)
                if (y[k] > 0.05 * limits.level) {
                    weight += y[k];
                    sum += y[k] * spectra.x[k];
                }
            if (weight > 0)
                centroid[i] = sum / weight;
            else
                everyCentroid = false;
        }
    if (distanceSet && !everyCentroid) {
        // A spectrum without a value above the level has no centroid: no distance to rate.
        if (value)
            *value = -1.0;
        return false;
    }
    // Each chosen spectrum scaled to its floored maximum once, for the pairwise overlaps.
    std::vector<std::vector<double>> scaled(chosen.size());
    std::vector<double> sums(chosen.size());
    for (std::size_t i = 0; i < chosen.size(); ++i) {
        const std::vector<double>& y = spectra.y[chosen[i]];
        const double m = FlooredMax(y);
        scaled[i].resize(y.size());
        for (std::size_t k = 0; k < y.size(); ++k)
            scaled[i][k] = y[k] / m;
        sums[i] = Sum(scaled[i]);
    }
    double dmin = std::numeric_limits<double>::max();
    double largest = 0;
    auto hopeless = [&] { return largest > 0.98 && (!distanceSet || d / dmin > 10); };
    for (std::size_t i = 0; i < chosen.size() && !hopeless(); ++i)
        for (std::size_t j = i + 1; j < chosen.size() && !hopeless(); ++j) {
            if (distanceSet)
                dmin = std::min(dmin, std::fabs(centroid[i] - centroid[j]));
            largest = std::max(largest, ScaledOverlap(scaled[i], sums[i], scaled[j], sums[j]));
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

} // namespace selection
