#pragma once
// Colour values, integral values and feature vectors of spectra: sums of spectrum x weight
// (illuminant) x observer curve, one per curve, filed as clipboard objects. The two modules
// share one procedure and differ only in the points ModuleKind names.
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
