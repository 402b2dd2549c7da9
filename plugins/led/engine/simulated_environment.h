#pragma once
// The two small hardware interfaces of the LED regulator, and a simulated bench that
// implements both: its LEDs render the sum spectrum of an LED array for the drive values
// they are given, its sensor turns that spectrum into a measured one through sensor
// sensitivities eᵢ and interpolation functions fᵢ: out = Σᵢ (spectrum · eᵢ) fᵢ.
//
// The sensor's files are "Sensitivities.txt" and "InterpolationFuncs.txt" ("Speks:" files),
// read from the given folder or the current directory.

#include "engine/ls_matrix.h"
#include "engine/spectra_set.h"

#include <string>
#include <vector>

class LEDArray;
class ThermalModel;

class LedInterface {
public:
    virtual ~LedInterface() = default;
    // One drive value per channel, in LED and channel order. The base does nothing.
    virtual void SetValues(const std::vector<double>& drives) {}
};

class SensorInterface {
public:
    virtual ~SensorInterface() = default;
    // out: grid point count x 1. The base writes zeros; another size is logged and untouched.
    virtual void Measure(LSMatrix out);
};

class SimulatedEnvironment {
public:
    class SimulatedSensorInterface : public SensorInterface {
    public:
        SimulatedSensorInterface(SimulatedEnvironment* environment, const std::string& folder);
        SimulatedSensorInterface(const SimulatedSensorInterface&) = delete;
        SimulatedSensorInterface& operator=(const SimulatedSensorInterface&) = delete;
        // Zeros when the two sets differ in their number of spectra (a missing file gives an
        // empty set).
        void Measure(LSMatrix out) override;

        // The sets as read at construction; Measure relies on them staying so.
        const SpectraSet& sensitivities;
        const SpectraSet& interpolation; // normalised to the largest value of the set

    private:
        // Rows [first, end) of a spectrum outside which every value is 0.
        struct Span {
            int first = 0, end = 0;
        };
        static Span NonZeroSpan(LSMatrix v, int rows);

        SpectraSet sensitivitySet;
        SpectraSet interpolationSet;
        // Per spectrum of each set, found once: a sparse sensor (unit impulses, narrow
        // bands) then costs its non-zero values per measurement, not rows x spectra.
        std::vector<Span> sensitivitySpans, interpolationSpans;
        SimulatedEnvironment* environment;
    };

    class SimulatedLedInterface : public LedInterface {
    public:
        explicit SimulatedLedInterface(SimulatedEnvironment* environment) : environment(environment) {}
        // The environment's spectrum becomes the array's sum spectrum for drives at the
        // thermal model's temperatures (298.15 K without one).
        void SetValues(const std::vector<double>& drives) override;

    private:
        SimulatedEnvironment* environment;
    };

    // folder empty: the current directory.
    explicit SimulatedEnvironment(const std::string& folder = std::string());
    SimulatedEnvironment(const SimulatedEnvironment&) = delete;
    SimulatedEnvironment& operator=(const SimulatedEnvironment&) = delete;

    // Neither is owned.
    void SetLEDArray(LEDArray* array) { ledArray = array; }
    void SetThermalModel(ThermalModel* model) { thermalModel = model; }
    LEDArray* GetLEDArray() const { return ledArray; }
    ThermalModel* GetThermalModel() const { return thermalModel; }

    SimulatedSensorInterface& GetSensor() { return sensor; }
    SimulatedLedInterface& GetLedDriver() { return ledDriver; }
    // The light the simulated LEDs emit now (zero until the first SetValues).
    LSMatrix GetSpectrum() const { return spectrum; }

private:
    LEDArray* ledArray = nullptr;
    ThermalModel* thermalModel = nullptr;
    LSMatrixHandle spectrum;
    SimulatedSensorInterface sensor;
    SimulatedLedInterface ledDriver;
};
