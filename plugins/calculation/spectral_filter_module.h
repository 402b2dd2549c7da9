#pragma once
// Filters every spectrum of a selection along the wavelength axis (smoothing, derivatives,
// median, removal of steps) and files each result as a new spectrum.
#include "calculation/calc_common.h"

#include <xandril/xandril.h>

class SpectralFilterModule : public calc::CalcModule {
public:
    SpectralFilterModule();
    ~SpectralFilterModule() override;

    const CRuntimeClass* GetEditorClass() override;
    std::vector<SAutomationPtrList> GetAutomationPtr() override;
    // The binomial smoothing (filter 2 without "FilterAdaptiv") takes "AMISteps" of 1 or less
    // as one and of 3 or more as three.
    calc::OwnRange OwnRangeOf(const std::string& name) override;

    // "SpectralFilter": the filter "Filter" (or the number "FilterSel") on the spectra of
    // "SpecDesc", results in "SpecGroup" or an automatic group. False after an error
    // (logged, nothing filed).
    bool SpectralFilter();

private:
    ns_xandril::XMLEnumClass m_filters;
};
