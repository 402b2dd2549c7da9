#pragma once
// Junction temperature (K) of each LED channel as a function of the drive values of all
// channels. The parameters live in params as key/value texts; the model observes them.

#include "core/param_container.h"

#include <vector>

class ThermalModel : public ParamContainerManager {
public:
    ~ThermalModel() override = default;

    void Notify(int event, const void* sender, const void* data) override {}

    virtual double GetTemperature(int channel, const double* drives) const = 0;
    // Derivative of the channel's temperature by drive value driveIndex.
    virtual double GetTemperatureDerivative(int channel, int driveIndex, const double* drives) const = 0;

    double GetTemperature(int channel, const std::vector<double>& drives) const
    {
        return GetTemperature(channel, drives.data());
    }

protected:
    ThermalModel() = default;
};

// The same temperature for every channel, whatever the drives: the parameter "Temperature"
// (298.15 at construction). Change it through the parameter; event 1003 keeps the cached
// value in step.
class ConstantThermalModel : public ThermalModel {
public:
    ConstantThermalModel();

    void Notify(int event, const void* sender, const void* data) override;

    using ThermalModel::GetTemperature;
    double GetTemperature(int channel, const double* drives) const override { return temperature; }
    double GetTemperatureDerivative(int channel, int driveIndex, const double* drives) const override
    {
        return 0.0;
    }

    // Stores T as the "%g" text of "Temperature" and uses T itself from now on.
    void SetTemperature(double T);

private:
    double temperature = 298.15;
};
