#pragma once
// Chooses from a list of LED records the combination of "LEDCount" LEDs that reproduces a
// set of target spectra best, with the evolutionary LED selector and the fitter settings of
// its base; reports progress and every better combination, and files the records of the best
// one as clipboard objects.
#include "modules/led_fitter_params_module.h"

#include "engine/led_selector.h"
#include "engine/spectra_set.h"

#include <thread>

class LEDSelectionModule : public LEDFitterParamsModule, public LEDSelectorEventHandler {
public:
    LEDSelectionModule();
    ~LEDSelectionModule() override;

    const CRuntimeClass* GetEditorClass() override;
    std::vector<SAutomationPtrList> GetAutomationPtr() override;

    // "do_selection": true when the best combination was filed (also after an abort);
    // false after an error line.
    bool do_selection();

    // Progress, status and the log line of a better combination; then the forwarding
    // handler, when one is set.
    void OnProgress(LEDSelector* selector, int flag) override;
    void OnNewCombination(LEDSelector* selector, LEDFitter* fitter, LEDArray* array) override;
    // Progress and status while the first arrays are made.
    void OnBuildProgress(LEDSelector* selector, int built) override;

    // The targets of the last run; they stay after it (the form draws from them).
    const SpectraSet& GetTargetSpectra() const { return m_targets; }

    // The handler every event is passed on to (not owned; null: none).
    LEDSelectorEventHandler* GetForwardHandler() const { return m_forward; }
    void SetForwardHandler(LEDSelectorEventHandler* handler) { m_forward = handler; }

    // Sets the forwarding handler for its lifetime and puts the one before back, also
    // when the run throws.
    class Forwarding {
    public:
        Forwarding(LEDSelectionModule& module, LEDSelectorEventHandler* handler);
        ~Forwarding();
        Forwarding(const Forwarding&) = delete;
        Forwarding& operator=(const Forwarding&) = delete;

    private:
        LEDSelectionModule& m_module;
        LEDSelectorEventHandler* m_previous;
    };

private:
    // Waits until the arrays of the last run are freed.
    void ReleaseLastRun();

    SpectraSet m_targets;
    LEDSelectorEventHandler* m_forward = nullptr;
    // Frees the selector of the last run; joined before the next run and, declared last,
    // first when the module goes.
    std::jthread m_release;
};
