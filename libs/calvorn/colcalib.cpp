#include "calvorn/colcalib.h"

#include <Eigen/Dense>

#include <cmath>
#include <numeric>
#include <ostream>

double CTarget::Mean() const
{
    if (m_values.empty())
        return 0.0;
    return std::accumulate(m_values.begin(), m_values.end(), 0.0) / static_cast<double>(m_values.size());
}

void CTargetContainer::AddColor(const CTarget& target, const std::string& name)
{
    m_targets.push_back(target);
    m_names.push_back(name);
}

CColCalibBase::~CColCalibBase() = default;

bool CColCalibBase::IsFree(int, int, int) const
{
    return true;
}

void CColCalibBase::SetTargetSet(const CTargetContainer& targets, int set)
{
    if (set != 0 && set != 1)
        return;
    m_sets[set] = targets;
    m_have[set] = true;
    m_transform.clear();
    m_channels = m_terms = 0;
}

int CColCalibBase::CalcTransform(std::ostream* out)
{
    m_transform.clear();
    m_channels = m_terms = 0;
    const CTargetContainer& measured = m_sets[0];
    const CTargetContainer& reference = m_sets[1];
    if (!m_have[0] || !m_have[1] || measured.GetCount() == 0 || reference.GetCount() == 0)
        return CALVORN_MISSING_SET;
    const int pairs = measured.GetCount();
    const int n = measured[0].GetDim();
    if (reference.GetCount() != pairs || n == 0)
        return CALVORN_UNEQUAL_SETS;
    for (int k = 0; k < pairs; ++k) {
        if (measured[k].GetDim() != n || reference[k].GetDim() != n)
            return CALVORN_UNEQUAL_SETS;
        for (int c = 0; c < n; ++c)
            if (!std::isfinite(measured[k][c]) || !std::isfinite(reference[k][c]))
                return CALVORN_NOT_FINITE;
    }
    const int terms = TermCount(n);

    Eigen::MatrixXd phi(pairs, terms);
    std::vector<double> row(static_cast<std::size_t>(terms));
    for (int k = 0; k < pairs; ++k) {
        Terms(measured[k].Values().data(), n, row.data());
        for (int f = 0; f < terms; ++f)
            phi(k, f) = row[static_cast<std::size_t>(f)];
    }
    if (!phi.allFinite())
        return CALVORN_NOT_FINITE;

    // Each output channel is its own least-squares problem over its free terms.
    std::vector<double> transform(static_cast<std::size_t>(n) * terms, 0.0);
    for (int c = 0; c < n; ++c) {
        std::vector<int> free;
        for (int f = 0; f < terms; ++f)
            if (IsFree(c, f, n))
                free.push_back(f);
        const auto count = static_cast<int>(free.size());
        if (pairs < count)
            return CALVORN_TOO_FEW_PAIRS;
        Eigen::MatrixXd a(pairs, count);
        Eigen::VectorXd b(pairs);
        for (int k = 0; k < pairs; ++k) {
            for (int i = 0; i < count; ++i)
                a(k, i) = phi(k, free[static_cast<std::size_t>(i)]);
            b[k] = reference[k][c];
        }
        Eigen::ColPivHouseholderQR<Eigen::MatrixXd> qr(a);
        if (qr.rank() < count)
            return CALVORN_RANK_DEFICIENT;
        const Eigen::VectorXd solution = qr.solve(b);
        if (!solution.allFinite())
            return CALVORN_NOT_FINITE;
        for (int i = 0; i < count; ++i)
            transform[static_cast<std::size_t>(c) * terms + free[static_cast<std::size_t>(i)]] = solution[i];
    }
    m_transform = std::move(transform);
    m_channels = n;
    m_terms = terms;
    if (out)
        *out << "Transform " << n << " x " << terms << " from " << pairs << " pairs\n";
    return CALVORN_OK;
}

int CColCalibBase::CorrectColors(const CTarget& in, CTarget& out, std::ostream*) const
{
    if (m_transform.empty() || in.GetDim() != m_channels) {
        out = in;
        return m_transform.empty() ? CALVORN_NO_TRANSFORM : CALVORN_UNEQUAL_SETS;
    }
    std::vector<double> terms(static_cast<std::size_t>(m_terms));
    Terms(in.Values().data(), m_channels, terms.data());
    std::vector<double> result(static_cast<std::size_t>(m_channels), 0.0);
    for (int c = 0; c < m_channels; ++c)
        for (int f = 0; f < m_terms; ++f)
            result[static_cast<std::size_t>(c)] +=
                m_transform[static_cast<std::size_t>(c) * m_terms + f] * terms[static_cast<std::size_t>(f)];
    out = CTarget(std::move(result));
    return CALVORN_OK;
}

void CColCalibBase::GetTransform(std::vector<double>& transform, int index) const
{
    transform.clear();
    if (m_transform.empty())
        return;
    if (index < 0) {
        transform = m_transform;
        return;
    }
    if (index >= m_channels)
        return;
    const auto begin = m_transform.begin() + static_cast<std::ptrdiff_t>(index) * m_terms;
    transform.assign(begin, begin + m_terms);
}

int CColCalibWBSkal::TermCount(int channels) const
{
    return channels;
}

void CColCalibWBSkal::Terms(const double* x, int channels, double* out) const
{
    std::copy(x, x + channels, out);
}

bool CColCalibWBSkal::IsFree(int row, int term, int) const
{
    return row == term;
}

int CColCalibWBSkalOff::TermCount(int channels) const
{
    return channels + 1;
}

void CColCalibWBSkalOff::Terms(const double* x, int channels, double* out) const
{
    std::copy(x, x + channels, out);
    out[channels] = 1.0;
}

bool CColCalibWBSkalOff::IsFree(int row, int term, int channels) const
{
    return row == term || term == channels;
}

int CColCalibLinear::TermCount(int channels) const
{
    return channels;
}

void CColCalibLinear::Terms(const double* x, int channels, double* out) const
{
    std::copy(x, x + channels, out);
}

int CColCalibAffin::TermCount(int channels) const
{
    return channels + 1;
}

void CColCalibAffin::Terms(const double* x, int channels, double* out) const
{
    std::copy(x, x + channels, out);
    out[channels] = 1.0;
}

int CColCalibPoly::TermCount(int channels) const
{
    return 1 + channels + channels * (channels + 1) / 2;
}

void CColCalibPoly::Terms(const double* x, int channels, double* out) const
{
    int f = 0;
    out[f++] = 1.0;
    for (int i = 0; i < channels; ++i)
        out[f++] = x[i];
    for (int i = 0; i < channels; ++i)
        for (int j = i; j < channels; ++j)
            out[f++] = x[i] * x[j];
}
