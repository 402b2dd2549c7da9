#pragma once
// Resamples spectra onto one wavelength grid, scales, offsets and shifts them, and files the
// results in place, in a target group or as shifted copies; takes the grid from a reference
// spectrum.
#include "calculation/calc_common.h"

#include <xandril/xandril.h>

#include <cstdint>
#include <functional>
#include <string>

class EpolBase;
class IpolBase;

class NormalizeModule : public calc::CalcModule {
public:
    NormalizeModule();
    ~NormalizeModule() override;

    const CRuntimeClass* GetEditorClass() override;
    std::vector<SAutomationPtrList> GetAutomationPtr() override;

    // "normalize": the run over the spectra of "SpecDesc". False after a failure (logged)
    // and after spectra were filed under "_NormalizeUnfound:".
    bool normalize();
    // "setrefspec": "XStart", "XEnd" and "XStep" from the first spectrum of "RefSpecDesc".
    bool setrefspec();

    // The entries of the two enumerations, in index order.
    const ns_xandril::XMLEnumClass& GetInterpolatorEntries() const { return m_interpolators; }
    const ns_xandril::XMLEnumClass& GetExtrapolatorEntries() const { return m_extrapolators; }

    // The seed of each random draw. By default the steady clock's count with its high and
    // low 32-bit halves combined by exclusive or; tests set a fixed source.
    void SetSeedSource(std::function<std::uint32_t()> source) { m_seedSource = std::move(source); }

    // The name search: the candidates of searchText (";"-separated, taken from the end) fit
    // a spectrum named name when name contains the candidate or the candidate contains the
    // short name. found tells whether one fitted; text is the candidate that counts.
    struct Match {
        bool found = false;
        std::string text;
    };
    static Match SearchName(const std::string& searchText, const std::string& name);
    // The order of results: by the number in front of "nm" when both names have one, else
    // by text.
    static bool SortsBefore(const std::string& a, const std::string& b);
    // Fine-grid steps (0.2 nm) of a shift, truncated toward zero with a tolerance of 1e-9.
    static long ShiftSteps(double shift);
    // "_p0.5", "_m1.0s2.00": the name suffix of a shifted (and scaled) result.
    static std::string ShiftSuffix(double shift, double scale);

    static std::unique_ptr<IpolBase> MakeInterpolator(int index);
    static std::unique_ptr<EpolBase> MakeExtrapolator(int index);

private:
    ns_xandril::XMLEnumClass m_extrapolators;
    ns_xandril::XMLEnumClass m_interpolators;
    std::function<std::uint32_t()> m_seedSource;
};
