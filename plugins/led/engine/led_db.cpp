#include "engine/led_db.h"

#include "engine/led_value_calculator.h"

const char* const LedDB::kFieldNames[65] = {
    "Name", "Company", "SpectralModel", "PeakWavelength", "FWHM", "ViewAngle", "LightOutput",
    "LightOutputMin", "LightOutputMax", "RadiantPower", "ForwardCurrent", "ForwardVoltage",
    "PowerDissipation", "Material", "Shape", "SpectralType", "DominantWavelength_x",
    "DominantWavelength_y", "PeakWavelengthMin", "PeakWavelengthMax", "FWHMMin", "FWHMMax",
    "ForwardVoltageMin", "ForwardVoltageMax", "ThermalResistance", "PeakShiftPerKelvin",
    "IntensityLossPerKelvin", "P_MixingFactor", "P_GaussPeak1", "P_GaussFWHM1", "P_GaussFactor1",
    "P_GaussPeak2", "P_GaussFWHM2", "P_GaussFactor2", "P_GaussPeak3", "P_GaussFWHM3",
    "P_GaussFactor3", "PeakWavelength2", "PeakWavelengthMin2", "PeakWavelengthMax2", "FWHM2",
    "FWHMMin2", "FWHMMax2", "ForwardCurrent2", "ForwardVoltage2", "LightOutput2",
    "LightOutputMin2", "LightOutputMax2", "Material2", "PeakShiftPerKelvin2",
    "IntensityLossPerKelvin2", "PeakWavelength3", "PeakWavelengthMin3", "PeakWavelengthMax3",
    "FWHM3", "FWHMMin3", "FWHMMax3", "ForwardCurrent3", "ForwardVoltage3", "LightOutput3",
    "LightOutputMin3", "LightOutputMax3", "Material3", "PeakShiftPerKelvin3",
    "IntensityLossPerKelvin3",
};

LedDB::LedDB()
{
    SetEventHandler(&LEDValueCalculator::Instance());
    for (const char* key : kFieldNames)
        AddKey(key);
}
