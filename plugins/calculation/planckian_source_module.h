#pragma once
// The black body's spectral exitance (Planck's law) at a temperature over a wavelength
// range, filed as one new spectrum.
#include "calculation/calc_common.h"

class PlanckianSourceModule : public calc::CalcModule {
public:
    // Radiation constants of the law: c1 = 2 pi h c^2 (W m^2), c2 = h c (J m), with
    // h = 6.6260755e-34 J s, and Boltzmann's k (J/K).
    static constexpr double kC1 = 3.7417748959504393e-16;
    static constexpr double kC2 = 1.9864474730302773e-25;
    static constexpr double kBoltzmann = 1.380649e-23;

    PlanckianSourceModule();
    ~PlanckianSourceModule() override;

    const CRuntimeClass* GetEditorClass() override;
    std::vector<SAutomationPtrList> GetAutomationPtr() override;

    // "calculate": the spectrum "Planckian_<T>" in "TargetGroup" from "XStart" to "XEnd" in
    // steps of "XStep", optionally scaled to a maximum of 1 and to "NormValue" at
    // "NormLambda". False, with a log line and nothing filed, for bad parameters.
    bool calculate();

    // Exitance in W / (m^2 nm) at a wavelength in nm; 0 for a wavelength <= 0 (and where
    // the law's terms overflow).
    static double Exitance(double wavelengthNm, double temperature);
};
