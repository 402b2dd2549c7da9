#pragma once
// Fits the peaks (and widths) of a list of LED records to target spectra with the LED-array
// fitter and files the fitted records as clipboard objects LED0_<suffix>, LED1_<suffix>, ...
#include "modules/led_fitter_params_module.h"

#include "engine/led_fitter.h"

class LEDContinuousFittingModule : public LEDFitterParamsModule, public LEDFitterEventHandler {
public:
    LEDContinuousFittingModule();
    ~LEDContinuousFittingModule() override;

    const CRuntimeClass* GetEditorClass() override;
    std::vector<SAutomationPtrList> GetAutomationPtr() override;

    // "calculate_fitting": true when the fitted records were written; false, with a log line
    // and nothing written, when no LED passes the model filter, a parameter is out of range
    // or the fit fails.
    bool calculate_fitting();

    // Counts the fitter's reports in the status line and the progress bar.
    void OnProgress(LEDFitter* fitter, int flag) override;

    // The name suffix of a target description: "_SpecSel" for several paths, else "_" and
    // the last level.
    static std::string NameSuffix(const std::string& specDesc);
    // Whether a record's "SpectralModel" passes the filter (both trimmed; an empty filter
    // passes everything).
    static bool PassesModelFilter(const std::string& filter, const std::string& model);

    int GetIterationCount() const { return m_iterations; }

private:
    int m_iterations = 0;
};
