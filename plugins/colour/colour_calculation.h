#pragma once
// Colour values, integral values and feature vectors of spectra: sums of spectrum x weight
// (illuminant) x observer curve, one per curve, filed as clipboard objects. The two modules
// share one procedure and differ only in the points ModuleKind names.
#include "colour/colour_values.h"
#include "core/calc_form.h"

#include <string>

class ColorCalculationModule : public calc::CalcModule {
public:
    ~ColorCalculationModule() override;
    const CRuntimeClass* GetEditorClass() override;

    // True for the integral-value module.
    bool IsIntegralModule() const { return m_integral; }

    // The clipboard group of the results when "TargetGroup" is empty, from the spectrum and
    // observer selections. With ";" in either, the first entry of each is taken.
    static std::string DerivedTargetGroup(const std::string& specDesc, const std::string& observerDesc);

protected:
    ColorCalculationModule(const char* typeName, bool integral);
    // The whole run; false with a log line and nothing filed or deleted on bad input.
    bool Calculate();

private:
    // The settings and the spectra of a run, every check with its line in order; false
    // when the run must stop.
    bool ReadRun(RunScope& run, colour::Settings& settings, colour::Inputs& inputs);
    // Names and files the values: the clipboard group replaced, then responses and sorted
    // curves in the spectrum tree.
    void File(RunScope& run, const colour::Settings& settings, const colour::Inputs& inputs,
              const colour::Values& values);

    bool m_integral;
};

class ColorTessarine : public ColorCalculationModule {
public:
    ColorTessarine();
    std::vector<SAutomationPtrList> GetAutomationPtr() override;
    bool CalculateColors();
};

class IntTessarine : public ColorCalculationModule {
public:
    IntTessarine();
    std::vector<SAutomationPtrList> GetAutomationPtr() override;
    bool CalculateIntegrals();
};
