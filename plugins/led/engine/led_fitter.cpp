#include "engine/led_fitter.h"

#include "engine/engine_log.h"
#include "engine/grid.h"
#include "engine/led_array.h"
#include "engine/led_model.h"
#include "platform/random.h"

#include <simd/vectors.h>

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace {

// Copies src's spectra into dst, which is cleared first.
void CopySpectra(SpectraSet& dst, const SpectraSet& src)
{
    dst.Clear();
    for (int i = 0; i < src.GetCount(); ++i)
        dst.AddSpectrum(src.GetName(i), src.GetSpectrum(i));
}

using simd::Pair;

// exp(-((λ - 0.55)/a)²), with the limit 1 at λ = 0.55 for a = 0.
double CentreWeight(double wavelength, double a)
{
    const double z = (wavelength - 0.55) / a;
    return std::isnan(z) ? 1.0 : std::exp(-z * z);
}

} // namespace

void LEDFitterSettings::Assign(const LEDFitterSettings& other)
{
    if (&other == this)
        return;
    FunctionParam = other.FunctionParam;
    OptimizationFunction = other.OptimizationFunction;
    Options = other.Options;
    CopySpectra(TargetSpecs, other.TargetSpecs);
    CopySpectra(ObserverSpecs, other.ObserverSpecs);
    AddTargetDrivenOptimization = other.AddTargetDrivenOptimization;
}

LEDFitter::LEDFitter() : thermal(&ownThermal), settings(&ownSettings) {}

LEDFitter::~LEDFitter() = default;

void LEDFitter::Setup(LEDArray* array, const SpectraSet* targetSet, const SpectraSet* weightSet)
{
    models.clear();
    targets.clear();
    weights.clear();
    channelModel.clear();
    channelIndex.clear();
    channelCount = fitCount = pointCount = 0;
    p.reset();
    r.reset();

    if (!array || array->GetCount() == 0)
        return;
    for (int i = 0; i < array->GetCount(); ++i)
        models.push_back(array->GetLED(i));
    if (!targetSet || targetSet->GetCount() == 0)
        return;

    const int points = GridPointCount();
    const bool weighted = weightSet && weightSet->GetCount() > 0;
    if (targetSet->PointCount != points || (weighted && weightSet->PointCount != points)) {
        EngineLog("Ziel- oder Gewichtungsspektren passen nicht zum Wellenlängenraster (%d statt %d Punkte)",
                  targetSet->PointCount != points ? targetSet->PointCount : weightSet->PointCount, points);
        return;
    }
    for (int i = 0; i < targetSet->GetCount(); ++i)
        targets.push_back(targetSet->GetSpectrum(i));
    if (weighted)
        for (int i = 0; i < weightSet->GetCount(); ++i)
            weights.push_back(weightSet->GetSpectrum(i));

    gridStart = XStart;
    gridEnd = XEnd;
    gridStep = XStep;
    pointCount = points;
    for (LEDModel* model : models) {
        fitCount += model->GetFitParameterCount();
        for (int j = 0; j < model->GetChannelCount(); ++j) {
            channelModel.push_back(model);
            channelIndex.push_back(j);
        }
    }
    channelCount = static_cast<int>(channelModel.size());
    const int T = GetTargetCount();
    const int N = pointCount * T;
    const int m = fitCount + channelCount * T;

    p.reset(MatAlloc(m, 1));
    ReadModelParameters();
    for (int i = fitCount; i < m; ++i)
        p[i] = std::sqrt(0.5);

    r.reset(MatAlloc(N, 1));
    omega.reset(MatAlloc(pointCount, 1));
    MatFill(omega, weights.empty() ? 1.0 : 0.0);
    for (LSMatrix w : weights)
        MatAdd(omega, omega, w);
    spectrum.reset(MatAlloc(pointCount, 1));
    residual0.reset(MatAlloc(N, 1));
    jacobian0.reset(); // allocated by the second pass, the only one that needs it
    jacobian1.reset();
    dSdT.clear();
    samples.assign(static_cast<std::size_t>(channelCount), nullptr);
    ownSamples.clear();
    drives.assign(static_cast<std::size_t>(channelCount), 0.0);
    temperatures.assign(static_cast<std::size_t>(channelCount), 298.15);
    dTdd.assign(static_cast<std::size_t>(channelCount) * channelCount, 0.0);
    tdResidual.reset();
}

double LEDFitter::GetDriveValue(int channel, int target) const
{
    if (!p || channel < 0 || channel >= channelCount || target < 0 || target >= GetTargetCount())
        return 0.0;
    const double x = p[fitCount + target * channelCount + channel];
    return x * x;
}

void LEDFitter::GetDriveValues(int target, std::vector<double>& out) const
{
    out.clear();
    for (int a = 0; a < channelCount; ++a)
        out.push_back(GetDriveValue(a, target));
}

void LEDFitter::WriteModelParameters(LSMatrix q)
{
    if (fitCount == 0)
        return;
    int k = 0;
    for (LEDModel* model : models)
        for (int i = 0; i < model->GetFitParameterCount(); ++i)
            model->SetFitParameter(i, q[k++]);
}

void LEDFitter::ReadModelParameters()
{
    int k = 0;
    for (LEDModel* model : models)
        for (int i = 0; i < model->GetFitParameterCount(); ++i)
            p[k++] = model->GetFitParameter(i);
}

void LEDFitter::PrepareTarget(int t, LSMatrix q)
{
    const double* d = q + fitCount + t * channelCount;
    for (int a = 0; a < channelCount; ++a)
        drives[static_cast<std::size_t>(a)] = d[a] * d[a];
    const bool globalGrid = gridStart == XStart && gridEnd == XEnd && gridStep == XStep;
    for (int a = 0; a < channelCount; ++a) {
        const std::size_t aa = static_cast<std::size_t>(a);
        const double T = thermal->GetTemperature(a, drives.data());
        temperatures[aa] = T;
        LEDModel* model = channelModel[aa];
        samples[aa] = globalGrid ? model->GetGridSamples(T, channelIndex[aa]) : nullptr;
        if (samples[aa])
            continue;
        if (ownSamples.size() != samples.size()) {
            ownSamples.clear();
            for (int c = 0; c < channelCount; ++c)
                ownSamples.emplace_back(pointCount, 1);
        }
        model->SampleChannel(ownSamples[aa], gridStart, gridEnd, gridStep, T, channelIndex[aa]);
        samples[aa] = ownSamples[aa];
    }
}

void LEDFitter::ComputeModelSpectrum(LSMatrix s, int target, LSMatrix q)
{
    if (!q)
        q = p;
    if (!q || target < 0 || target >= GetTargetCount() || MatRows(s) < pointCount)
        return;
    WriteModelParameters(q);
    PrepareTarget(target, q);
    // s[j] = (0 + d0 x0[j] + d1 x1[j] + ...) x omega[j], channel by channel; eight rows at a
    // time stay in registers while the channels are added.
    int j = 0;
    for (; j + 8 <= pointCount; j += 8) {
        Pair sum[4] = {};
        for (int a = 0; a < channelCount; ++a) {
            const double* x = samples[static_cast<std::size_t>(a)] + j;
            const double d = drives[static_cast<std::size_t>(a)];
            for (int l = 0; l < 4; ++l) {
                Pair v;
                __builtin_memcpy(&v, x + 2 * l, sizeof v);
                sum[l] += d * v;
            }
        }
        for (int l = 0; l < 4; ++l) {
            Pair w;
            __builtin_memcpy(&w, omega.get() + j + 2 * l, sizeof w);
            sum[l] *= w;
            __builtin_memcpy(s + j + 2 * l, &sum[l], sizeof sum[l]);
        }
    }
    for (; j < pointCount; ++j) {
        double sum = 0.0;
        for (int a = 0; a < channelCount; ++a)
            sum += drives[static_cast<std::size_t>(a)] * samples[static_cast<std::size_t>(a)][j];
        s[j] = sum * omega[j];
    }
}

void LEDFitter::TargetResidual(int t, LSMatrix q, double* r0)
{
    ComputeModelSpectrum(spectrum, t, q);
    const double* target = targets[static_cast<std::size_t>(t)];
    for (int j = 0; j < pointCount; ++j)
        r0[j] = spectrum[j] - target[j];
}

void LEDFitter::TargetJacobian(int t, LSMatrix q, LSMatrix J)
{
    const int m = MatRows(p);
    WriteModelParameters(q);
    PrepareTarget(t, q);
    double* rows = J + static_cast<std::size_t>(t) * pointCount * m;
    std::fill_n(rows, static_cast<std::size_t>(pointCount) * m, 0.0);

    // Model fit parameters: the channels of their LED at their drives and temperatures.
    int col = 0;
    int firstChannel = 0;
    for (LEDModel* model : models) {
        for (int i = 0; i < model->GetFitParameterCount(); ++i, ++col) {
            for (int c = 0; c < model->GetChannelCount(); ++c) {
                const std::size_t a = static_cast<std::size_t>(firstChannel + c);
                for (int j = 0; j < pointCount; ++j) {
                    const double lambda = gridStart + j * gridStep;
                    rows[static_cast<std::size_t>(j) * m + col] +=
                        omega[j] * drives[a] * model->GetFitDerivative(i, lambda, temperatures[a], c);
                }
            }
        }
        firstChannel += model->GetChannelCount();
    }

    // Temperature term: only when some channel's temperature depends on a drive value.
    bool thermalTerm = false;
    for (int h = 0; h < channelCount; ++h)
        for (int k = 0; k < channelCount; ++k) {
            const double v = thermal->GetTemperatureDerivative(h, k, drives.data());
            dTdd[static_cast<std::size_t>(h) * channelCount + k] = v;
            thermalTerm = thermalTerm || v != 0.0;
        }
    if (thermalTerm) {
        if (dSdT.size() != samples.size()) {
            dSdT.clear();
            for (int a = 0; a < channelCount; ++a)
                dSdT.emplace_back(pointCount, 1);
        }
        for (int h = 0; h < channelCount; ++h) {
            const std::size_t hh = static_cast<std::size_t>(h);
            for (int j = 0; j < pointCount; ++j)
                dSdT[hh][j] = drives[hh] * channelModel[hh]->GetDerivative(-1, gridStart + j * gridStep, temperatures[hh],
                                                                           channelIndex[hh]);
        }
    }

    // Drive parameters of target t.
    const double* d = q + fitCount + t * channelCount;
    for (int k = 0; k < channelCount; ++k) {
        const int column = fitCount + t * channelCount + k;
        const double* sample = samples[static_cast<std::size_t>(k)];
        for (int j = 0; j < pointCount; ++j) {
            double value = sample[j];
            if (thermalTerm)
                for (int h = 0; h < channelCount; ++h)
                    value += dSdT[static_cast<std::size_t>(h)][j] * dTdd[static_cast<std::size_t>(h) * channelCount + k];
            rows[static_cast<std::size_t>(j) * m + column] = omega[j] * 2.0 * d[k] * value;
        }
    }
}

bool LEDFitter::ComputeResiduals(LSMatrix out, LSMatrix q)
{
    const int fn = settings->OptimizationFunction;
    if (targets.empty() || fn < 0 || fn > 4 || MatRows(out) < MatRows(r))
        return false;
    const double a = settings->FunctionParam;
    // Function 0's residuals are the rows themselves.
    double* rows = fn == 0 ? out : residual0.get();
    for (int t = 0; t < GetTargetCount(); ++t)
        TargetResidual(t, q, rows + static_cast<std::size_t>(t) * pointCount);
    if (fn == 0)
        return true;
    for (int t = 0; t < GetTargetCount(); ++t) {
        const double* target = targets[static_cast<std::size_t>(t)];
        for (int j = 0; j < pointCount; ++j) {
            const int row = t * pointCount + j;
            const double r0 = residual0[row];
            const double relative = r0 / std::max(target[j], 1e-6);
            switch (fn) {
            case 0:
                out[row] = r0;
                break;
            case 1:
                out[row] = relative;
                break;
            case 2: {
                const double g = CentreWeight(gridStart + j * gridStep, a);
                double tau = target[j];
                if (std::fabs(tau) < 1e-4)
                    tau = tau < 0.0 ? -1e-4 : 1e-4;
                out[row] = r0 * g * (g + (1.0 - g) / tau);
                break;
            }
            case 3:
                out[row] = a * r0 + (1.0 - a) * relative;
                break;
            case 4:
                out[row] = std::log(a * std::fabs(r0) + 1.0);
                break;
            }
        }
    }
    return true;
}

bool LEDFitter::ComputeJacobian(LSMatrix J, LSMatrix q)
{
    const int fn = settings->OptimizationFunction;
    const int m = MatRows(p);
    if (targets.empty() || fn < 0 || fn > 4 || MatRows(J) != MatRows(r) || MatCols(J) != m)
        return false;
    const double a = settings->FunctionParam;
    for (int t = 0; t < GetTargetCount(); ++t)
        TargetJacobian(t, q, J);
    if (fn == 0)
        return true;
    if (fn == 4)
        for (int t = 0; t < GetTargetCount(); ++t)
            TargetResidual(t, q, residual0 + static_cast<std::size_t>(t) * pointCount);
    for (int t = 0; t < GetTargetCount(); ++t) {
        const double* target = targets[static_cast<std::size_t>(t)];
        for (int j = 0; j < pointCount; ++j) {
            const int row = t * pointCount + j;
            const double relative = 1.0 / std::max(target[j], 1e-6);
            double factor = 1.0;
            switch (fn) {
            case 1:
                factor = relative;
                break;
            case 2: {
                const double g = CentreWeight(gridStart + j * gridStep, a);
                double tau = target[j];
                if (std::fabs(tau) < 1e-4)
                    tau = tau < 0.0 ? -1e-4 : 1e-4;
                factor = g * (g + (1.0 - g) / tau);
                break;
            }
            case 3:
                factor = a + (1.0 - a) * relative;
                break;
            case 4: {
                const double r0 = residual0[row];
                factor = a / (a * std::fabs(r0) + 1.0);
                if (r0 < 0.0)
                    factor = -factor;
                break;
            }
            }
            double* line = J + static_cast<std::size_t>(row) * m;
            for (int c = 0; c < m; ++c)
                line[c] *= factor;
        }
    }
    return true;
}

int LEDFitter::TargetDrivenRowCount() const
{
    const SpectraSet& T = settings->TargetSpecs;
    const SpectraSet& O = settings->ObserverSpecs;
    if (T.GetCount() == 0 || O.GetCount() == 0 || targets.empty())
        return 0;
    if (T.PointCount != pointCount || O.PointCount != pointCount) {
        EngineLog("Zielvorgaben oder Beobachter passen nicht zum Wellenlängenraster - zielgetriebene Optimierung entfällt");
        return 0;
    }
    return T.GetCount() * O.GetCount() * GetTargetCount();
}

bool LEDFitter::ComputeTargetDrivenResiduals(LSMatrix out, LSMatrix q)
{
    const int K = TargetDrivenRowCount();
    if (K == 0 || MatRows(out) < K)
        return false;
    const SpectraSet& T = settings->TargetSpecs;
    const SpectraSet& O = settings->ObserverSpecs;
    const int nT = T.GetCount();
    const int nO = O.GetCount();
    for (int t = 0; t < GetTargetCount(); ++t) {
        ComputeModelSpectrum(spectrum, t, q);
        for (int j = 0; j < nT; ++j)
            for (int k = 0; k < nO; ++k)
                out[(t * nT + j) * nO + k] =
                    MatDot3(spectrum, T.GetSpectrum(j), O.GetSpectrum(k)) -
                    MatDot3(targets[static_cast<std::size_t>(t)], T.GetSpectrum(j), O.GetSpectrum(k));
    }
    return true;
}

bool LEDFitter::ComputeTargetDrivenJacobian(LSMatrix J, LSMatrix q)
{
    const int K = TargetDrivenRowCount();
    const int m = MatRows(p);
    if (K == 0 || MatRows(J) != K || MatCols(J) != m)
        return false;
    const SpectraSet& T = settings->TargetSpecs;
    const SpectraSet& O = settings->ObserverSpecs;
    const int nT = T.GetCount();
    const int nO = O.GetCount();
    if (jacobian0.rows() != MatRows(r) || jacobian0.cols() != m)
        jacobian0.reset(MatAlloc(MatRows(r), m));
    if (!jacobian0)
        return false;
    for (int t = 0; t < GetTargetCount(); ++t)
        TargetJacobian(t, q, jacobian0);
    for (int t = 0; t < GetTargetCount(); ++t)
        for (int j = 0; j < nT; ++j)
            for (int k = 0; k < nO; ++k) {
                const LSMatrix Tj = T.GetSpectrum(j);
                const LSMatrix Ok = O.GetSpectrum(k);
                double* line = J + static_cast<std::size_t>((t * nT + j) * nO + k) * m;
                std::fill_n(line, m, 0.0);
                for (int l = 0; l < pointCount; ++l) {
                    const double w = Tj[l] * Ok[l];
                    const double* source = jacobian0 + static_cast<std::size_t>(t * pointCount + l) * m;
                    for (int c = 0; c < m; ++c)
                        line[c] += w * source[c];
                }
            }
    return true;
}

void LEDFitter::ResidualCallback(LSMatrix out, LSMatrix q, void* context)
{
    static_cast<LEDFitter*>(context)->ComputeResiduals(out, q);
}

void LEDFitter::JacobianCallback(LSMatrix J, LSMatrix q, void* context)
{
    static_cast<LEDFitter*>(context)->ComputeJacobian(J, q);
}

void LEDFitter::TargetDrivenResidualCallback(LSMatrix out, LSMatrix q, void* context)
{
    static_cast<LEDFitter*>(context)->ComputeTargetDrivenResiduals(out, q);
}

void LEDFitter::TargetDrivenJacobianCallback(LSMatrix J, LSMatrix q, void* context)
{
    static_cast<LEDFitter*>(context)->ComputeTargetDrivenJacobian(J, q);
}

void LEDFitter::IterationCallback(void* context, int flag)
{
    auto* fitter = static_cast<LEDFitter*>(context);
    if (!fitter->eventHandler)
        return;
    fitter->WriteModelParameters(fitter->p);
    fitter->eventHandler->OnProgress(fitter, flag);
}

double LEDFitter::Fit()
{
    if (models.empty()) {
        EngineLog("Es wurden keine LEDs angegeben - Fitting wird abgebrochen !!!");
        return -1.0;
    }
    if (targets.empty()) {
        EngineLog("Es wurden keine Zielspektren angegeben - Fitting wird abgebrochen !!!");
        return -1.0;
    }
    ReadModelParameters();
    const int fn = settings->OptimizationFunction;
    if (fn < 0 || fn > 4) {
        EngineLog("Optimierungsziel Nr. %d nicht bekannt!", fn);
        return -1.0;
    }
    OptimizeLeastSquares(&ResidualCallback, &JacobianCallback, p, r, this, &settings->Options, &IterationCallback);
    WriteModelParameters(p);
    double result = MatSumOfSquares(r);

    if (settings->AddTargetDrivenOptimization) {
        const int K = TargetDrivenRowCount();
        if (K > 0) {
            if (tdResidual.rows() != K)
                tdResidual.reset(MatAlloc(K, 1));
            OptimizeLeastSquares(&TargetDrivenResidualCallback, &TargetDrivenJacobianCallback, p, tdResidual, this,
                                 &settings->Options, &IterationCallback);
            WriteModelParameters(p);
            result = MatSumOfSquares(tdResidual);
        }
    }
    return std::isfinite(result) ? result : -1.0;
}

void GenerateRandomSpectra(LSMatrix target, LEDArray& leds, SpectraSet& out, int count, const std::string& baseName)
{
    SpectraSet targetSet;
    targetSet.AddSpectrum(baseName, target);
    LEDFitter fitter;
    fitter.Setup(&leds, &targetSet, nullptr);
    fitter.Fit();
    std::vector<double> d;
    for (int a = 0; a < leds.GetChannelCount(); ++a)
        d.push_back(fitter.GetDriveValue(a, 0));

    EngineLog("Erzeuge Zufalls-Spektren...");
    if (count <= 0)
        return;
    ConstantThermalModel thermal;
    LSMatrixHandle work(GridPointCount(), 1);
    out.Clear();
    const auto scaled = [&d](double f) {
        std::vector<double> v = d;
        for (double& x : v)
            x *= f;
        return v;
    };
    const auto uniform = [] { return platform::Rand() / static_cast<double>(platform::kRandMax); };

    EngineLog("Erzeuge Minimal-Spektrum");
    leds.ComputeSpectrum(work, scaled(0.5), nullptr);
    out.AddSpectrum(baseName + "_MinSpec", work);
    EngineLog("Erzeuge Maximal-Spektrum");
    leds.ComputeSpectrum(work, scaled(1.2), nullptr);
    out.AddSpectrum(baseName + "_MaxSpec", work);
    for (int f = 0; f < count; ++f) {
        EngineLog("Spektrum %d von %d", f + 1, count);
        thermal.SetTemperature(uniform() * 80.0 + 298.15);
        std::vector<double> v = d;
        for (double& x : v)
            x *= uniform() * 0.7 + 0.5;
        leds.ComputeSpectrum(work, v, &thermal);
        char suffix[32];
        std::snprintf(suffix, sizeof suffix, "_RandomSpec_%04d", f);
        out.AddSpectrum(baseName + suffix, work);
    }
}
