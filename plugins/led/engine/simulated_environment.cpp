#include "engine/simulated_environment.h"

#include "engine/engine_log.h"
#include "engine/grid.h"
#include "engine/led_array.h"

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
    : environment(environment)
{
    sensitivities.LoadFromFile(InFolder(folder, "Sensitivities.txt"));
    interpolation.LoadFromFile(InFolder(folder, "InterpolationFuncs.txt"));
    interpolation.Normalize();
}

void SimulatedEnvironment::SimulatedSensorInterface::Measure(LSMatrix out)
{
    if (!CheckMeasureVector(out))
        return;
    MatZero(out);
    const int n = sensitivities.GetCount();
    LSMatrix s = environment->GetSpectrum();
    if (n != interpolation.GetCount() || MatRows(s) != MatRows(out) || sensitivities.PointCount != MatRows(out) ||
        interpolation.PointCount != MatRows(out))
        return;
    const int rows = MatRows(out);
    for (int i = 0; i < n; ++i) {
        const double reading = MatDot(s, sensitivities.GetSpectrum(i));
        if (reading == 0.0)
            continue;
        const double* f = interpolation.GetSpectrum(i);
        for (int j = 0; j < rows; ++j)
            out[j] += reading * f[j];
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
