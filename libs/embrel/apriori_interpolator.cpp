#include "embrel/apriori_interpolator.h"

#include <Eigen/Dense>

#include <algorithm>
#include <cmath>
#include <limits>
#include <ostream>
#include <string>

const char* MBStatusText(tyMBStatus status)
{
    switch (status) {
    case MB_OK:
        return "";
    case MB_TARGET_POINTS:
        return " Targets stimmen nicht mit den Empfindlichkeiten überein (Anzahl der Punkte)!";
    case MB_MULTIPLE_ILLU:
        return " Es können nicht mehrere Beleuchtungsquellen berücksichtigt werden!";
    case MB_ILLU_POINTS:
        return " Beleuchtungsspektrum stimmt nicht mit den Sensorempfindlichkeiten überein (Anzahl der Punkte)!";
    case MB_ILLU_RANGE:
        return " Sensorempfindlichkeiten stimmen nicht mit dem Spektrum der Beleuchtung überein (Definitionsbereich)!";
    case MB_TARGET_MISMATCH:
        return " Targets stimmen nicht mit den Empfindlichkeiten überein!";
    case MB_NO_NAME_RELATION:
        return "Keine Namen-Beziehungen zwischen gegebenen Sensorantworten und Targets herstellbar!";
    case MB_ABORTED:
        return " Berechnung abgebrochen!";
    case MB_NOT_FINITE:
        return " Eingabedaten enthalten ungültige Werte (NaN oder unendlich)!";
    case MB_EMPTY_INPUT:
        return " Keine Eingabedaten!";
    case MB_BAD_ARGUMENT:
        return " Ungültige Parameter!";
    case MB_NOT_TRAINED:
        return " Keine Verrechnungsvorschrift berechnet!";
    }
    return " Unbekannter Fehler!";
}

void CMBLibEventHandler::OnEvent(int) {}

CMBLibEventHandler::~CMBLibEventHandler() = default;

CAprioriInterpolator::CAprioriInterpolator(const CSpekContainer& sensitivities, const CSpekContainer& targets,
                                           const CMBTarget& illumination, const CMBTarget& errorWeight,
                                           const CSpekContainer& prior, const CMBTarget& priorMean, int systemType,
                                           int measureType)
    : m_responseMode(false), m_sensors(sensitivities), m_targets(targets), m_prior(prior),
      m_illumination(illumination), m_errorWeight(errorWeight), m_priorMean(priorMean), m_systemType(systemType),
      m_measureType(measureType)
{
}

CAprioriInterpolator::CAprioriInterpolator(const CSpekContainer& responses, const CSpekContainer& targets,
                                           const CSpekContainer& prior, const CMBTarget& illumination,
                                           const CMBTarget& errorWeight, int systemType, int measureType)
    : m_responseMode(true), m_sensors(responses), m_targets(targets), m_prior(prior), m_illumination(illumination),
      m_errorWeight(errorWeight), m_systemType(systemType), m_measureType(measureType)
{
}

CAprioriInterpolator::~CAprioriInterpolator() = default;

namespace {

using Eigen::MatrixXd;
using Eigen::VectorXd;

constexpr char kMeanName[] = "Mean";

std::string ShortName(const std::string& path)
{
    const auto colon = path.rfind(':');
    return colon == std::string::npos ? path : path.substr(colon + 1);
}

bool AllFinite(const CMBTarget& target)
{
    return std::all_of(target.Values().begin(), target.Values().end(), [](double v) { return std::isfinite(v); });
}

bool SameAxis(const CSpekContainer::SpekInfo& a, const CSpekContainer::SpekInfo& b)
{
    // An axis without a step is no statement about the grid.
    if (!(a.step > 0) || !(b.step > 0))
        return true;
    const double tolerance = 1e-9 * std::max(1.0, std::max(std::fabs(a.step), std::fabs(b.step)));
    return std::fabs(a.start - b.start) <= 1e-6 * std::max(1.0, std::fabs(a.start))
        && std::fabs(a.step - b.step) <= tolerance;
}

// Pseudo-inverse of a symmetric positive semi-definite matrix; eigenvalues below the
// tolerance rows * largest * eps count as 0.
MatrixXd SymmetricPinv(const MatrixXd& m)
{
    Eigen::SelfAdjointEigenSolver<MatrixXd> solver(m);
    const VectorXd& values = solver.eigenvalues();
    const double largest = values.cwiseAbs().maxCoeff();
    const double tolerance = static_cast<double>(m.rows()) * largest * std::numeric_limits<double>::epsilon();
    VectorXd inverse(values.size());
    for (Eigen::Index i = 0; i < values.size(); ++i)
        inverse[i] = values[i] > tolerance ? 1.0 / values[i] : 0.0;
    return solver.eigenvectors() * inverse.asDiagonal() * solver.eigenvectors().transpose();
}

// Pseudo-inverse of a general matrix by singular values, with the tolerance
// max(rows, cols) * largest * eps.
MatrixXd Pinv(const MatrixXd& m)
{
    Eigen::JacobiSVD<MatrixXd> svd(m, Eigen::ComputeThinU | Eigen::ComputeThinV);
    const VectorXd& sigma = svd.singularValues();
    const double largest = sigma.size() ? sigma[0] : 0.0;
    const double tolerance =
        static_cast<double>(std::max(m.rows(), m.cols())) * largest * std::numeric_limits<double>::epsilon();
    VectorXd inverse(sigma.size());
    for (Eigen::Index i = 0; i < sigma.size(); ++i)
        inverse[i] = sigma[i] > tolerance ? 1.0 / sigma[i] : 0.0;
    return svd.matrixV() * inverse.asDiagonal() * svd.matrixU().transpose();
}

} // namespace

// Everything a training works on: n points, m training pairs, R inputs (the channels, and the
// normalisation input last when trained normalised).
struct CAprioriInterpolator::Problem {
    int channels = 0;
    bool normed = false;
    MatrixXd targets;   // n x m
    MatrixXd inputs;    // R x m, the responses of the training targets
    MatrixXd system;    // R x n, sensitivities times illumination (sensitivity mode only)
    MatrixXd prior;     // n x p, spectra of the prior covariance (empty: the targets)
    VectorXd weights;   // n, the error weighting
    std::vector<std::string> names;
};

tyMBStatus CAprioriInterpolator::SetRealSensorParams(const double* factors, int count, int adBits,
                                                     double channelNoise)
{
    m_quantFactors.clear();
    m_adBits = 0;
    m_channelNoise = 0;
    m_realParamsBad = false;
    if (adBits < 0 || adBits > 32 || !(channelNoise >= 0) || !std::isfinite(channelNoise)
        || (factors && adBits != 0 && count < 1)) {
        m_realParamsBad = true;
        return MB_BAD_ARGUMENT;
    }
    m_adBits = adBits;
    m_channelNoise = channelNoise;
    if (factors && adBits != 0)
        m_quantFactors.assign(factors, factors + count);
    return MB_OK;
}

tyMBStatus CAprioriInterpolator::Prepare(Problem& problem) const
{
    const int n = m_targets.GetSpekDim();
    if (m_sensors.GetSpekCount() == 0 || m_targets.GetSpekCount() == 0 || n == 0)
        return MB_EMPTY_INPUT;
    for (int k = 0; k < m_targets.GetSpekCount(); ++k)
        if (!AllFinite(m_targets[k]))
            return MB_NOT_FINITE;
    for (int k = 0; k < m_sensors.GetSpekCount(); ++k)
        if (!AllFinite(m_sensors[k]))
            return MB_NOT_FINITE;
    if (!AllFinite(m_illumination) || !AllFinite(m_errorWeight))
        return MB_NOT_FINITE;
    if (m_errorWeight.GetDim() != 0 && m_errorWeight.GetDim() != n)
        return MB_BAD_ARGUMENT;
    problem.weights = VectorXd::Ones(n);
    for (int j = 0; j < m_errorWeight.GetDim(); ++j)
        problem.weights[j] = std::fabs(m_errorWeight[j]);
    if (problem.weights.sum() <= 0)
        return MB_BAD_ARGUMENT;

    if (!m_responseMode) {
        if (m_sensors.GetSpekDim() != n)
            return MB_TARGET_POINTS;
        if (m_illumination.GetDim() != 0 && m_illumination.GetDim() != n)
            return MB_ILLU_POINTS;
        if (!SameAxis(m_sensors.GetSpekInfo(), m_targets.GetSpekInfo()))
            return MB_TARGET_MISMATCH;
        std::vector<int> channels;
        for (int c = 0; c < m_sensors.GetSpekCount(); ++c) {
            std::string name;
            m_sensors.GetSpekName(c, name);
            if (name == kMeanName)
                problem.normed = true;
            else
                channels.push_back(c);
        }
        problem.channels = static_cast<int>(channels.size());
        if (problem.channels == 0)
            return MB_EMPTY_INPUT;
        const int rows = problem.channels + (problem.normed ? 1 : 0);
        problem.system.resize(rows, n);
        for (int r = 0; r < problem.channels; ++r) {
            const CMBTarget& s = m_sensors[channels[static_cast<std::size_t>(r)]];
            for (int j = 0; j < n; ++j)
                problem.system(r, j) = s[j] * (m_illumination.GetDim() ? m_illumination[j] : 1.0);
            std::string name;
            m_sensors.GetSpekName(channels[static_cast<std::size_t>(r)], name);
            problem.names.push_back(name);
        }
        if (problem.normed) {
            problem.system.row(rows - 1) = problem.system.topRows(problem.channels).colwise().mean();
            problem.names.emplace_back(kMeanName);
        }
        problem.targets.resize(n, m_targets.GetSpekCount());
        for (int k = 0; k < m_targets.GetSpekCount(); ++k)
            problem.targets.col(k) = Eigen::Map<const VectorXd>(m_targets[k].Values().data(), n);
        problem.inputs = problem.system * problem.targets;
        if (m_prior.GetSpekCount() > 0 && m_prior.GetSpekDim() == n) {
            problem.prior.resize(n, m_prior.GetSpekCount());
            for (int k = 0; k < m_prior.GetSpekCount(); ++k) {
                if (!AllFinite(m_prior[k]))
                    return MB_NOT_FINITE;
                problem.prior.col(k) = Eigen::Map<const VectorXd>(m_prior[k].Values().data(), n);
            }
        }
        return MB_OK;
    }

    // Response mode: each target with the first response of the same short name.
    problem.channels = m_sensors.GetSpekDim();
    problem.normed = m_normedResponses;
    if (problem.channels == 0)
        return MB_EMPTY_INPUT;
    std::vector<std::pair<int, int>> pairs;
    for (int k = 0; k < m_targets.GetSpekCount(); ++k) {
        std::string targetName;
        m_targets.GetSpekName(k, targetName);
        for (int r = 0; r < m_sensors.GetSpekCount(); ++r) {
            std::string responseName;
            m_sensors.GetSpekName(r, responseName);
            if (ShortName(responseName) == ShortName(targetName)) {
                pairs.emplace_back(k, r);
                break;
            }
        }
    }
    if (pairs.empty())
        return MB_NO_NAME_RELATION;
    const int rows = problem.channels + (problem.normed ? 1 : 0);
    const auto m = static_cast<Eigen::Index>(pairs.size());
    problem.targets.resize(n, m);
    problem.inputs.resize(rows, m);
    for (Eigen::Index i = 0; i < m; ++i) {
        const auto [k, r] = pairs[static_cast<std::size_t>(i)];
        problem.targets.col(i) = Eigen::Map<const VectorXd>(m_targets[k].Values().data(), n);
        const CMBTarget& response = m_sensors[r];
        for (int c = 0; c < problem.channels; ++c)
            problem.inputs(c, i) = response[c];
        if (problem.normed)
            problem.inputs(rows - 1, i) = response.Mean();
    }
    for (int c = 0; c < problem.channels; ++c)
        problem.names.push_back("qSPEC_" + std::to_string(c + 1));
    if (problem.normed)
        problem.names.emplace_back(kMeanName);
    return MB_OK;
}

bool CAprioriInterpolator::Event(int event, unsigned count, unsigned index)
{
    if (!m_handler)
        return true;
    m_handler->SetProgress(count, index);
    m_handler->OnEvent(event);
    return !m_handler->IsAborted();
}

tyMBStatus CAprioriInterpolator::CalcInterpolSystem(int iterations, const double* reg, int logLevel,
                                                    unsigned /*channelMask*/, bool /*startClosed*/,
                                                    bool /*keepPrevious*/, double mseStop, std::ostream* log,
                                                    bool /*verbose*/)
{
    m_system.CleanUp();
    m_system.SetSpekInfo(nullptr);
    m_mse = 0;
    double w[7] = {};
    if (reg)
        std::copy(reg, reg + 7, w);
    if (iterations < 1 || m_realParamsBad || !std::isfinite(mseStop))
        return MB_BAD_ARGUMENT;
    for (int i = 0; i < 7; ++i)
        if (!std::isfinite(w[i]) || (i != 3 && w[i] < 0))
            return MB_BAD_ARGUMENT;
    const double tv = w[0], ridge = w[1], positivity = w[2], gauss = w[4];
    const double wienerValue = w[5], wienerNoise = w[6];
    if (gauss > 1)
        return MB_BAD_ARGUMENT;

    Problem p;
    if (const tyMBStatus status = Prepare(p); status != MB_OK)
        return status;
    if (!m_quantFactors.empty() && m_quantFactors.size() != 1
        && m_quantFactors.size() != static_cast<std::size_t>(p.channels))
        return MB_BAD_ARGUMENT;

    const auto iterationCount = static_cast<unsigned>(iterations);
    if (!Event(0, iterationCount, 0))
        return MB_ABORTED;

    const Eigen::Index n = p.targets.rows();
    const Eigen::Index m = p.targets.cols();
    const Eigen::Index rows = p.inputs.rows();
    const MatrixXd gram = p.inputs * p.inputs.transpose();
    const double scale = gram.trace() / static_cast<double>(rows);

    // Expected noise of the inputs, summed over the m training pairs (as the Gram matrix is).
    VectorXd noise = VectorXd::Constant(rows, scale * (ridge + wienerValue * wienerNoise * wienerNoise));
    const double relative = m_channelNoise / 100.0;
    noise += relative * relative * gram.diagonal();
    if (!m_quantFactors.empty()) {
        double meanQuant = 0;
        for (int c = 0; c < p.channels; ++c) {
            const double f = m_quantFactors[m_quantFactors.size() == 1 ? 0 : static_cast<std::size_t>(c)];
            // A factor that is not positive and finite leaves its channel unquantised.
            if (f > 0 && std::isfinite(f)) {
                const double variance = static_cast<double>(m) / (12.0 * f * f);
                noise[c] += variance;
                meanQuant += variance;
            }
        }
        if (p.normed)
            noise[rows - 1] += meanQuant / (static_cast<double>(p.channels) * p.channels);
    }

    // Closed form: W = K A^T (A K A^T + L)^+, with K the prior covariance. Without a smoothness
    // share or a prior of its own, K = T T^T and this is T B^T (B B^T + L)^+, which for L = 0 is
    // T pinv(B).
    MatrixXd W; // n x R
    const bool ownPrior = p.system.size() != 0 && (gauss > 0 || p.prior.size() != 0);
    if (ownPrior) {
        const MatrixXd& spectra = p.prior.size() ? p.prior : p.targets;
        MatrixXd K = spectra * spectra.transpose() * (static_cast<double>(m) / static_cast<double>(spectra.cols()));
        if (gauss > 0) {
            const double length = std::max(1.0, static_cast<double>(n) / 20.0);
            MatrixXd smooth(n, n);
            for (Eigen::Index i = 0; i < n; ++i)
                for (Eigen::Index j = 0; j < n; ++j) {
                    const double d = static_cast<double>(i - j) / length;
                    smooth(i, j) = std::exp(-0.5 * d * d);
                }
            K = (1 - gauss) * K + gauss * (K.trace() / static_cast<double>(n)) * smooth;
        }
        const MatrixXd KA = K * p.system.transpose();
        W = KA * SymmetricPinv(p.system * KA + MatrixXd(noise.asDiagonal()));
    } else if (noise.isZero(0)) {
        W = p.targets * Pinv(p.inputs);
    } else {
        W = p.targets * p.inputs.transpose() * SymmetricPinv(gram + MatrixXd(noise.asDiagonal()));
    }

    const double weightMean = p.weights.mean();
    auto weightedMse = [&](const MatrixXd& estimate) {
        const MatrixXd error = p.targets - estimate;
        return (p.weights.asDiagonal() * error.cwiseAbs2()).sum() / weightMean
            / static_cast<double>(n * m);
    };
    MatrixXd estimate = W * p.inputs;
    m_mse = weightedMse(estimate);
    if (log && logLevel > 0)
        *log << "Iteration 1: MSE " << m_mse << '\n';
    if (!W.allFinite())
        return MB_NOT_FINITE;
    if (!Event(1, iterationCount, 0))
        return MB_ABORTED;

    // Iterations 2..n: gradient descent with backtracking on
    //   J(W) = 1/m sum_k |t_k - W b_k|^2_w + 1/m tr(W L W^T)
    //        + tv * E / s * sum |W(j+1, c) - W(j, c)|   (smoothed)
    //        + positivity / m * sum min(0, (W b_k)_j)^2,
    // E the mean energy of a target value and s the mean size of a rule coefficient, so that
    // the weights do not depend on the data's units. The closed form minimises J for
    // tv = positivity = 0.
    bool stop = mseStop > 0 && m_mse <= mseStop;
    if (iterations > 1 && !stop) {
        const double md = static_cast<double>(m);
        const double energy = p.targets.squaredNorm() / static_cast<double>(n * m);
        const double size = std::max(W.norm() / std::sqrt(static_cast<double>(W.size())), 1e-300);
        const double tvWeight = tv * energy / size;
        const double eps = 1e-6 * size;
        const MatrixXd L = noise.asDiagonal();
        auto objective = [&](const MatrixXd& w, const MatrixXd& est) {
            const MatrixXd error = p.targets - est;
            double value = (p.weights.asDiagonal() * error.cwiseAbs2()).sum() / md + (w * L * w.transpose()).trace() / md;
            if (tvWeight > 0 && n > 1) {
                const MatrixXd d = w.bottomRows(n - 1) - w.topRows(n - 1);
                value += tvWeight * (d.cwiseAbs2().array() + eps * eps).sqrt().sum();
            }
            if (positivity > 0)
                value += positivity / md * est.cwiseMin(0.0).squaredNorm();
            return value;
        };
        auto gradient = [&](const MatrixXd& w, const MatrixXd& est) {
            MatrixXd g = (-2.0 / md) * (p.weights.asDiagonal() * (p.targets - est)) * p.inputs.transpose()
                + (2.0 / md) * w * L;
            if (tvWeight > 0 && n > 1) {
                const MatrixXd d = w.bottomRows(n - 1) - w.topRows(n - 1);
                const MatrixXd s = (d.array() / (d.cwiseAbs2().array() + eps * eps).sqrt()).matrix() * tvWeight;
                g.bottomRows(n - 1) += s;
                g.topRows(n - 1) -= s;
            }
            if (positivity > 0)
                g += (2.0 * positivity / md) * est.cwiseMin(0.0) * p.inputs.transpose();
            return g;
        };
        const double lipschitz =
            2.0 * p.weights.maxCoeff() * (gram + L).eval().diagonal().sum() / md + 4.0 * tvWeight / eps;
        double step = lipschitz > 0 ? 1.0 / lipschitz : 1.0;
        double value = objective(W, estimate);
        for (int it = 1; it < iterations && !stop; ++it) {
            const MatrixXd g = gradient(W, estimate);
            const double g2 = g.squaredNorm();
            step *= 2;
            MatrixXd next, nextEstimate;
            double nextValue = value;
            for (int tries = 0; tries < 60; ++tries) {
                next = W - step * g;
                nextEstimate = next * p.inputs;
                nextValue = objective(next, nextEstimate);
                if (nextValue <= value - 0.5 * step * g2)
                    break;
                step *= 0.5;
            }
            if (nextValue < value) {
                W = std::move(next);
                estimate = std::move(nextEstimate);
                value = nextValue;
            }
            m_mse = weightedMse(estimate);
            if (log && logLevel > 0)
                *log << "Iteration " << it + 1 << ": MSE " << m_mse << '\n';
            if (!W.allFinite())
                return MB_NOT_FINITE;
            if (!Event(1, iterationCount, static_cast<unsigned>(it)))
                return MB_ABORTED;
            stop = mseStop > 0 && m_mse <= mseStop;
        }
    }

    CSpekContainer system;
    system.SetSpekInfo(&m_targets.GetSpekInfo());
    for (Eigen::Index r = 0; r < rows; ++r) {
        CMBTarget spectrum(static_cast<int>(n), 0.0);
        Eigen::Map<VectorXd>(spectrum.Values().data(), n) = W.col(r);
        system.AddSpek(spectrum, p.names[static_cast<std::size_t>(r)]);
    }
    if (!Event(2, iterationCount, iterationCount - 1))
        return MB_ABORTED;
    m_system = std::move(system);
    return MB_OK;
}

bool ApplyInterpolSystem(const CSpekContainer& system, const double* responses, int count, int channels,
                         bool normed, double lo, double hi, double* out)
{
    if (channels < 0 || count < 0 || system.GetSpekCount() < channels || (count > 0 && !responses))
        return false;
    const int points = system.GetSpekDim();
    const bool withNorm = normed && system.GetSpekCount() > channels;
    const int inputs = channels + (withNorm ? 1 : 0);
    if (count == 0 || points == 0)
        return true;
    using RowMatrix = Eigen::Matrix<double, Eigen::Dynamic, Eigen::Dynamic, Eigen::RowMajor>;
    RowMatrix W(inputs, points);
    for (int c = 0; c < inputs; ++c)
        W.row(c) = Eigen::Map<const Eigen::RowVectorXd>(system[c].Values().data(), points);
    const Eigen::Map<const RowMatrix> A(responses, count, channels);
    // In blocks of rows, so that the clamping runs on values still in the cache.
    constexpr int kBlock = 64;
    RowMatrix input(kBlock, inputs);
    for (int k0 = 0; k0 < count; k0 += kBlock) {
        const int rows = std::min(kBlock, count - k0);
        input.topLeftCorner(rows, channels) = A.middleRows(k0, rows);
        if (withNorm)
            input.col(channels).head(rows) = A.middleRows(k0, rows).rowwise().mean();
        Eigen::Map<RowMatrix> result(out + static_cast<std::size_t>(k0) * points, rows, points);
        result.noalias() = input.topRows(rows) * W;
        result = result.cwiseMax(lo).cwiseMin(hi);
    }
    return true;
}
