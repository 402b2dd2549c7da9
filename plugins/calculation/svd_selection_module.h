#pragma once
// Algebraic selection: chooses SpecCount spectra (start spectra included) that span the
// candidates best, by the interpolation library's target selection, and files copies of the
// chosen spectra (and of name-equivalent spectra of a second group) under result groups.
// The sensor variant chooses sensor channels against screened weighting spectra.
#include "calculation/calc_common.h"

#include <string>

class SVDSelectionModule : public calc::CalcModule {
public:
    SVDSelectionModule();
    ~SVDSelectionModule() override;

    const CRuntimeClass* GetEditorClass() override;
    std::vector<SAutomationPtrList> GetAutomationPtr() override;

    // "svdselection": the run; false, with a log line and nothing filed, on bad input.
    bool svdselection();

    // The normalisation divisor: the maximum (NormType 0) or the sum of the values above
    // NormVal percent of it (NormType 1).
    virtual double GetSpectrumNormValue(const Spectrum& spectrum);

protected:
    explicit SVDSelectionModule(const std::string& typeName);
    // The shared procedure; sensor selects the channel variant's steps.
    bool Run(bool sensor);
};

class SVDSensSelectionModule : public SVDSelectionModule {
public:
    SVDSensSelectionModule();
    ~SVDSensSelectionModule() override;

    std::vector<SAutomationPtrList> GetAutomationPtr() override;

    // "svdsensselection": the run for sensor channels.
    bool svdsensselection();

    double GetSpectrumNormValue(const Spectrum& spectrum) override;

    // True when the weighting spectrum passes the level, variance and keyword screening;
    // otherwise a copy goes to "AlgebraicSpecSel:UnusedSpecs:" + its full name.
    bool CheckSensorSpectrum(const Spectrum& spectrum, double level, double variance, const std::string& keywords);
};
