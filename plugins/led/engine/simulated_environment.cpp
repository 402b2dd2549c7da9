#include "engine/simulated_environment.h"

#include "engine/engine_log.h"
#include "engine/grid.h"
#include "engine/led_array.h"

#include <algorithm>
#include <cmath>

namespace {

std::string InFolder(const std::string& folder, const char* name)
{
    if (folder.empty())
        return name;
    return folder.back() == '/' ? folder + name : folder + "/" + name;
}

// False (and the message) when out is not a grid-sized vector.
bool CheckMeasureVector(LSMatrix out)
{
    if (out && MatRows(out) == GridPointCount() && MatCols(out) == 1)
        return true;
    EngineLog("Vektor für Messwerte hat nicht die richtige Größe");
    return false;
}

} // namespace

void SensorInterface::Measure(LSMatrix out)
{
    if (CheckMeasureVector(out))
        MatZero(out);
}

SimulatedEnvironment::SimulatedSensorInterface::SimulatedSensorInterface(SimulatedEnvironment* environment,
                                                                          const std::string& folder)
    : sensitivities(sensitivitySet), interpolation(interpolationSet), environment(environment)
{
    sensitivitySet.LoadFromFile(InFolder(folder, "Sensitivities.txt"));
    interpolationSet.LoadFromFile(InFolder(folder, "InterpolationFuncs.txt"));
    interpolationSet.Normalize();
    for (int i = 0; i < sensitivitySet.GetCount(); ++i)
        sensitivitySpans.push_back(NonZeroSpan(sensitivitySet.GetSpectrum(i), sensitivitySet.PointCount));
    for (int i = 0; i < interpolationSet.GetCount(); ++i)
        interpolationSpans.push_back(NonZeroSpan(interpolationSet.GetSpectrum(i), interpolationSet.PointCount));
}

SimulatedEnvironment::SimulatedSensorInterface::Span
SimulatedEnvironment::SimulatedSensorInterface::NonZeroSpan(LSMatrix v, int rows)
{
    Span span;
    rows = std::min(rows, MatRows(v));
    while (span.first < rows && v[span.first] == 0.0)
        ++span.first;
    span.end = rows;
    while (span.end > span.first && v[span.end - 1] == 0.0)
        --span.end;
    return span;
}

// out = Σᵢ (s · eᵢ) fᵢ. The products and sums run over the rows where eᵢ or fᵢ is not 0, in
// row order: a skipped term is an exact 0 (of finite factors), so the result is that of the
// full sums. A non-finite factor meets every row, as in the full sums.
void SimulatedEnvironment::SimulatedSensorInterface::Measure(LSMatrix out)
{
    if (!CheckMeasureVector(out))
        return;
    MatZero(out);
    const int n = sensitivitySet.GetCount();
    LSMatrix s = environment->GetSpectrum();
    if (n != interpolationSet.GetCount() || MatRows(s) != MatRows(out) || sensitivitySet.PointCount != MatRows(out) ||
        interpolationSet.PointCount != MatRows(out))
        return;
    const int rows = MatRows(out);
    bool finite = true;
    for (int j = 0; j < rows; ++j)
        finite = finite && std::isfinite(s[j]);
    for (int i = 0; i < n; ++i) {
        const std::size_t k = static_cast<std::size_t>(i);
        const Span e = finite ? sensitivitySpans[k] : Span{0, rows};
        const double* sensitivity = sensitivitySet.GetSpectrum(i);
        double reading = 0.0;
        for (int j = e.first; j < e.end; ++j)
            reading += s[j] * sensitivity[j];
        if (reading == 0.0)
            continue;
        const Span f = std::isfinite(reading) ? interpolationSpans[k] : Span{0, rows};
        const double* function = interpolationSet.GetSpectrum(i);
        for (int j = f.first; j < f.end; ++j)
            out[j] += reading * function[j];
    }
}

void SimulatedEnvironment::SimulatedLedInterface::SetValues(const std::vector<double>& drives)
{
    LSMatrix s = environment->GetSpectrum();
    MatZero(s);
    if (environment->ledArray)
        environment->ledArray->ComputeSpectrum(s, drives, environment->thermalModel);
}

SimulatedEnvironment::SimulatedEnvironment(const std::string& folder)
    : spectrum(GridPointCount(), 1), sensor(this, folder), ledDriver(this)
{
    MatZero(spectrum);
}
