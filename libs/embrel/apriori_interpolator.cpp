#include "embrel/apriori_interpolator.h"
#include <simd/vectors.h>

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

namespace {

using simd::Quad;

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

constexpr int kLanes = 8; // channels per pass of the kernel

// For kLanes channels at once: the responses b = a' t_k of each of the m columns of t (n x m,
// column-major; a: n x kLanes row-major, b: m x kLanes row-major). Four columns go together,
// so that their sums stay in registers.
SIMD_CLONES
void Responses(const double* t, std::size_t n, std::size_t m, const double* a, double* b)
{
    static_assert(kLanes == 8, "two quads per row");
    std::size_t k = 0;
    for (; k + 4 <= m; k += 4) {
        const double* t0 = t + k * n;
        const double* t1 = t0 + n;
        const double* t2 = t1 + n;
        const double* t3 = t2 + n;
        Quad s00 = {}, s01 = {}, s10 = {}, s11 = {}, s20 = {}, s21 = {}, s30 = {}, s31 = {};
        for (std::size_t j = 0; j < n; ++j) {
            const Quad a0 = simd::Load(a + j * kLanes);
            const Quad a1 = simd::Load(a + j * kLanes + 4);
            s00 += a0 * t0[j];
            s01 += a1 * t0[j];
            s10 += a0 * t1[j];
            s11 += a1 * t1[j];
            s20 += a0 * t2[j];
            s21 += a1 * t2[j];
            s30 += a0 * t3[j];
            s31 += a1 * t3[j];
        }
        double* bk = b + k * kLanes;
        simd::Store(bk, s00);
        simd::Store(bk + 4, s01);
        simd::Store(bk + 8, s10);
        simd::Store(bk + 12, s11);
        simd::Store(bk + 16, s20);
        simd::Store(bk + 20, s21);
        simd::Store(bk + 24, s30);
        simd::Store(bk + 28, s31);
    }
    for (; k < m; ++k) {
        const double* tk = t + k * n;
        Quad s0 = {}, s1 = {};
        for (std::size_t j = 0; j < n; ++j) {
            s0 += simd::Load(a + j * kLanes) * tk[j];
            s1 += simd::Load(a + j * kLanes + 4) * tk[j];
        }
        simd::Store(b + k * kLanes, s0);
        simd::Store(b + k * kLanes + 4, s1);
    }
}

// c = sum over the m columns of t (n x m, column-major) of t_k v_k', v: m x kLanes row-major,
// c: n x kLanes row-major. Four columns go together, so that c's rows are loaded and stored a
// quarter as often.
SIMD_CLONES
void Correlate(const double* t, std::size_t n, std::size_t m, const double* v, double* c)
{
    std::fill(c, c + n * kLanes, 0.0);
    std::size_t k = 0;
    for (; k + 4 <= m; k += 4) {
        const double* t0 = t + k * n;
        const double* t1 = t0 + n;
        const double* t2 = t1 + n;
        const double* t3 = t2 + n;
        const double* vk = v + k * kLanes;
        const Quad v00 = simd::Load(vk), v01 = simd::Load(vk + 4), v10 = simd::Load(vk + 8), v11 = simd::Load(vk + 12);
        const Quad v20 = simd::Load(vk + 16), v21 = simd::Load(vk + 20), v30 = simd::Load(vk + 24), v31 = simd::Load(vk + 28);
        for (std::size_t j = 0; j < n; ++j) {
            double* cj = c + j * kLanes;
            simd::Store(cj, simd::Load(cj) + v00 * t0[j] + v10 * t1[j] + v20 * t2[j] + v30 * t3[j]);
            simd::Store(cj + 4, simd::Load(cj + 4) + v01 * t0[j] + v11 * t1[j] + v21 * t2[j] + v31 * t3[j]);
        }
    }
    for (; k < m; ++k) {
        const double* tk = t + k * n;
        const Quad v0 = simd::Load(v + k * kLanes), v1 = simd::Load(v + k * kLanes + 4);
        for (std::size_t j = 0; j < n; ++j) {
            double* cj = c + j * kLanes;
            simd::Store(cj, simd::Load(cj) + v0 * tk[j]);
            simd::Store(cj + 4, simd::Load(cj + 4) + v1 * tk[j]);
        }
    }
}

// out row k = clamp(sum over c of a(k, c) rule_c + [mean of a(k, .)] rule_inputs-1, lo, hi), the
// rule's inputs rows of points values row-major, a count x channels row-major; a holds inputs
// values of scratch.
SIMD_CLONES
void ApplyRule(const double* rule, int inputs, int points, const double* responses, int count, int channels,
               bool withNorm, double lo, double hi, double* out, double* a)
{
    for (int k = 0; k < count; ++k) {
        const double* in = responses + static_cast<std::size_t>(k) * channels;
        double sum = 0;
        for (int c = 0; c < channels; ++c) {
            a[c] = in[c];
            sum += in[c];
        }
        if (withNorm)
            a[channels] = channels > 0 ? sum / channels : 0.0;
        double* row = out + static_cast<std::size_t>(k) * points;
        int j = 0;
        for (; j + 8 <= points; j += 8) {
            Quad x0 = {}, x1 = {};
            for (int c = 0; c < inputs; ++c) {
                const double* w = rule + static_cast<std::size_t>(c) * points + j;
                x0 += simd::Load(w) * a[c];
                x1 += simd::Load(w + 4) * a[c];
            }
            simd::Store(row + j, x0);
            simd::Store(row + j + 4, x1);
        }
        for (; j < points; ++j) {
            double x = 0;
            for (int c = 0; c < inputs; ++c)
                x += rule[static_cast<std::size_t>(c) * points + j] * a[c];
            row[j] = x;
        }
        for (int p = 0; p < points; ++p) {
            const double x = row[p] < lo ? lo : row[p];
            row[p] = x > hi ? hi : x;
        }
    }
}

using RowMatrix = Eigen::Matrix<double, Eigen::Dynamic, Eigen::Dynamic, Eigen::RowMajor>;

// B = A T (R x m) for the system A (R x n) and the targets T (n x m), kLanes rows at a time.
MatrixXd Responses(const MatrixXd& system, const MatrixXd& targets)
{
    const Eigen::Index rows = system.rows(), n = targets.rows(), m = targets.cols();
    MatrixXd inputs(rows, m);
    RowMatrix a(n, kLanes), b(m, kLanes);
    for (Eigen::Index r0 = 0; r0 < rows; r0 += kLanes) {
        const Eigen::Index lanes = std::min<Eigen::Index>(kLanes, rows - r0);
        a.setZero();
        a.leftCols(lanes) = system.middleRows(r0, lanes).transpose();
        Responses(targets.data(), static_cast<std::size_t>(n), static_cast<std::size_t>(m), a.data(), b.data());
        inputs.middleRows(r0, lanes) = b.leftCols(lanes).transpose();
    }
    return inputs;
}

// T V (n x R) for the targets T (n x m) and V (m x R), kLanes columns of V at a time.
MatrixXd Correlate(const MatrixXd& targets, const MatrixXd& v)
{
    const Eigen::Index n = targets.rows(), m = targets.cols(), cols = v.cols();
    MatrixXd result(n, cols);
    RowMatrix lanes(m, kLanes), c(n, kLanes);
    for (Eigen::Index r0 = 0; r0 < cols; r0 += kLanes) {
        const Eigen::Index count = std::min<Eigen::Index>(kLanes, cols - r0);
        lanes.setZero();
        lanes.leftCols(count) = v.middleCols(r0, count);
        Correlate(targets.data(), static_cast<std::size_t>(n), static_cast<std::size_t>(m), lanes.data(), c.data());
        result.middleCols(r0, count) = c.leftCols(count);
    }
    return result;
}

// T pinv(B) = (T V) S^-1 U' over the singular values that pinv keeps (Octave's tolerance
// max(rows, cols) x largest x eps).
MatrixXd TimesPinv(const MatrixXd& targets, const MatrixXd& inputs)
{
    Eigen::JacobiSVD<MatrixXd> svd(inputs, Eigen::ComputeThinU | Eigen::ComputeThinV);
    const VectorXd& sigma = svd.singularValues();
    const double largest = sigma.size() ? sigma[0] : 0.0;
    const double tolerance = static_cast<double>(std::max(inputs.rows(), inputs.cols())) * largest
                             * std::numeric_limits<double>::epsilon();
    VectorXd inverse = VectorXd::Zero(sigma.size());
    for (Eigen::Index i = 0; i < sigma.size(); ++i)
        if (sigma[i] > tolerance)
            inverse[i] = 1.0 / sigma[i];
    return Correlate(targets, svd.matrixV()) * inverse.asDiagonal() * svd.matrixU().transpose();
}

double WeightedMse(const MatrixXd& targets, const VectorXd& weights, const MatrixXd& estimate)
{
    const double md = static_cast<double>(targets.size());
    return (weights.asDiagonal() * (targets - estimate).cwiseAbs2()).sum() / weights.mean() / md;
}

} // namespace

struct CAprioriInterpolator::Cache {
    bool targetsReady = false;
    bool targetsFinite = true;
    MatrixXd targets; // n x count, every training spectrum
    bool pairsReady = false;
    std::vector<std::pair<int, int>> pairs; // response mode: (target, response)
    MatrixXd paired;                        // n x pairs, the paired training spectra
    // The last training, for its error measure: rule, inputs, weights, the spectra used.
    bool mseKnown = true;
    double mse = 0;
    MatrixXd rule, inputs;
    VectorXd weights;
    const MatrixXd* used = nullptr;
};

CAprioriInterpolator::~CAprioriInterpolator() = default;

// Everything a training works on: n points, m training pairs, R inputs (the channels, and the
// normalisation input last when trained normalised).
struct CAprioriInterpolator::Problem {
    int channels = 0;
    bool normed = false;
    const MatrixXd* targets = nullptr; // n x m
    MatrixXd inputs;      // R x m, the responses of the training targets
    MatrixXd system;      // R x n, sensitivities times illumination (sensitivity mode only)
    MatrixXd prior;       // n x p, spectra of the prior covariance (empty: the targets)
    VectorXd weights;     // n, the error weighting
    std::vector<std::string> names;
};

double CAprioriInterpolator::GetTrainingMSE() const
{
    if (!m_cache)
        return 0.0;
    Cache& cache = *m_cache;
    if (!cache.mseKnown) {
        cache.mse = WeightedMse(*cache.used, cache.weights, cache.rule * cache.inputs);
        cache.mseKnown = true;
    }
    return cache.mse;
}

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

tyMBStatus CAprioriInterpolator::Prepare(Problem& problem)
{
    const int n = m_targets.GetSpekDim();
    if (m_sensors.GetSpekCount() == 0 || m_targets.GetSpekCount() == 0 || n == 0)
        return MB_EMPTY_INPUT;
    Cache& cache = *m_cache;
    if (!cache.targetsReady) {
        cache.targets.resize(n, m_targets.GetSpekCount());
        for (int k = 0; k < m_targets.GetSpekCount(); ++k)
            cache.targets.col(k) = Eigen::Map<const VectorXd>(m_targets[k].Values().data(), n);
        cache.targetsFinite = cache.targets.allFinite();
        cache.targetsReady = true;
    }
    if (!cache.targetsFinite)
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
        problem.targets = &cache.targets;
        problem.inputs = Responses(problem.system, cache.targets);
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
    if (!cache.pairsReady) {
        for (int k = 0; k < m_targets.GetSpekCount(); ++k) {
            std::string targetName;
            m_targets.GetSpekName(k, targetName);
            for (int r = 0; r < m_sensors.GetSpekCount(); ++r) {
                std::string responseName;
                m_sensors.GetSpekName(r, responseName);
                if (ShortName(responseName) == ShortName(targetName)) {
                    cache.pairs.emplace_back(k, r);
                    break;
                }
            }
        }
        cache.paired.resize(n, static_cast<Eigen::Index>(cache.pairs.size()));
        for (std::size_t i = 0; i < cache.pairs.size(); ++i)
            cache.paired.col(static_cast<Eigen::Index>(i)) = cache.targets.col(cache.pairs[i].first);
        cache.pairsReady = true;
    }
    const std::vector<std::pair<int, int>>& pairs = cache.pairs;
    if (pairs.empty())
        return MB_NO_NAME_RELATION;
    const int rows = problem.channels + (problem.normed ? 1 : 0);
    const auto m = static_cast<Eigen::Index>(pairs.size());
    problem.targets = &cache.paired;
    problem.inputs.resize(rows, m);
    for (Eigen::Index i = 0; i < m; ++i) {
        const int r = pairs[static_cast<std::size_t>(i)].second;
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
    if (!m_cache)
        m_cache = std::make_unique<Cache>();
    m_cache->mseKnown = true;
    m_cache->mse = 0;
    double& mse = m_cache->mse;
    double w[7] = {};
    if (reg)
        std::copy(reg, reg + 7, w);
    if (iterations < 1 || m_realParamsBad || !std::isfinite(mseStop))
        return MB_BAD_ARGUMENT;
    for (int i = 0; i < 7; ++i)
        if (!std::isfinite(w[i]) || ((i < 3 || i == 4) && w[i] < 0))
            return MB_BAD_ARGUMENT;
    const double tv = w[0], ridge = w[1], positivity = w[2], gauss = w[4];
    const double wienerValue = w[5], wienerNoise = w[6];
    if (gauss > 1)
        return MB_BAD_ARGUMENT;
    // The Wiener pair adds the value weight times the squared noise level (whatever its sign)
    // to the ridge; together they are a variance of the inputs.
    const double inputVariance = ridge + wienerValue * wienerNoise * wienerNoise;
    if (!std::isfinite(inputVariance) || inputVariance < 0)
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

    const MatrixXd& T = *p.targets;
    const Eigen::Index n = T.rows();
    const Eigen::Index m = T.cols();
    const Eigen::Index rows = p.inputs.rows();
    const MatrixXd gram = p.inputs * p.inputs.transpose();
    const double scale = gram.trace() / static_cast<double>(rows);

    // Expected noise of the inputs, summed over the m training pairs (as the Gram matrix is).
    VectorXd noise = VectorXd::Constant(rows, scale * inputVariance);
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
    if (!noise.allFinite())
        return MB_NOT_FINITE;

    // Closed form: W = K A^T (A K A^T + L)^+, with K the prior covariance. Without a smoothness
    // share or a prior of its own, K = T T^T and this is T B^T (B B^T + L)^+, which for L = 0 is
    // T pinv(B).
    MatrixXd W; // n x R
    const bool ownPrior = p.system.size() != 0 && (gauss > 0 || p.prior.size() != 0);
    if (ownPrior) {
        const MatrixXd& spectra = p.prior.size() ? p.prior : T;
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
        W = TimesPinv(T, p.inputs);
    } else {
        W = Correlate(T, p.inputs.transpose()) * SymmetricPinv(gram + MatrixXd(noise.asDiagonal()));
    }

    auto weightedMse = [&](const MatrixXd& estimate) { return WeightedMse(T, p.weights, estimate); };
    // The closed form alone leaves its error measure for when it is asked.
    const bool refine = iterations > 1;
    MatrixXd estimate;
    if (refine || (log && logLevel > 0) || mseStop > 0) {
        estimate = W * p.inputs;
        mse = weightedMse(estimate);
    }
    if (log && logLevel > 0)
        *log << "Iteration 1: MSE " << mse << '\n';
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
    bool stop = mseStop > 0 && mse <= mseStop;
    if (iterations > 1 && !stop) {
        const double md = static_cast<double>(m);
        const double energy = T.squaredNorm() / static_cast<double>(n * m);
        const double size = std::max(W.norm() / std::sqrt(static_cast<double>(W.size())), 1e-300);
        const double tvWeight = tv * energy / size;
        const double eps = 1e-6 * size;
        const MatrixXd L = noise.asDiagonal();
        auto objective = [&](const MatrixXd& w, const MatrixXd& est) {
            const MatrixXd error = T - est;
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
            MatrixXd g = (-2.0 / md) * (p.weights.asDiagonal() * (T - est)) * p.inputs.transpose()
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
            mse = weightedMse(estimate);
            if (log && logLevel > 0)
                *log << "Iteration " << it + 1 << ": MSE " << mse << '\n';
            if (!W.allFinite())
                return MB_NOT_FINITE;
            if (!Event(1, iterationCount, static_cast<unsigned>(it)))
                return MB_ABORTED;
            stop = mseStop > 0 && mse <= mseStop;
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
    if (estimate.size() == 0) {
        m_cache->mseKnown = false;
        m_cache->rule = W;
        m_cache->inputs = p.inputs;
        m_cache->weights = p.weights;
        m_cache->used = &T;
    }
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
    std::vector<double> rule(static_cast<std::size_t>(inputs) * points);
    for (int c = 0; c < inputs; ++c)
        std::copy(system[c].Values().begin(), system[c].Values().begin() + points,
                  rule.begin() + static_cast<std::ptrdiff_t>(c) * points);
    std::vector<double> scratch(static_cast<std::size_t>(inputs));
    ApplyRule(rule.data(), inputs, points, responses, count, channels, withNorm, lo, hi, out, scratch.data());
    return true;
}
