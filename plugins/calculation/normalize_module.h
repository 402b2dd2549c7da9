#pragma once
// Resamples spectra onto one wavelength grid, scales, offsets and shifts them, and files the
// results in place, in a target group or as shifted copies; takes the grid from a reference
// spectrum.
#include "calculation/calc_common.h"

#include <xandril/xandril.h>

#include <cstdint>
#include <functional>
#include <string>

#include <embrel/normalize_spek.h>

#include <vector>

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

    // What a run reads, checked before anything is filed.
    struct Settings {
        std::string specDesc, searchText, targetGroup;
        double offset = 0, scale = 1, xShift = 0;
        CSpekContainer::SpekInfo grid{0, 1, 0}; // XStart, XStep, XEnd
        int randomCount = 0, intPrec = 0;
        int extrapolator = -1, interpolator = -1; // the indices the Sel numbers chose
        bool searchExcludes = false, useTargetGroup = false, autoMaxNorm = false, noNegValues = false;
        bool autoName = false, autoNameXShift = false, sortSpecs = false;
        // The 0.2 nm grid a shift is taken on.
        CSpekContainer::SpekInfo FineGrid() const;
    };
    // One source scaled, offset, shifted and resampled onto the settings' grid, with the
    // maximum norm, no negatives and the rounded wavelengths: the points of its result.
    static std::vector<SPoint> Normalized(const Settings& settings, NormalizeSpek& resampler, const Spectrum& source);

private:
    // The group results went to, for sorting them after the run.
    struct Filed {
        std::string lastGroup;
        bool toGroup = false;
    };
    // The sources and settings, every check with its line in order; false when the run stops.
    bool ReadRun(RunScope& run, Settings& settings, std::vector<Spectrum>& sources);
    // Names and files one result: below "XShift", in place or in the target group.
    static void FileResult(SpectrumTree& tree, const Settings& settings, const Spectrum& source,
                           const std::string& matched, const std::vector<SPoint>& points, Filed& filed);
    // A source the name search did not find, copied to "_NormalizeUnfound".
    static void FileUnfound(SpectrumTree& tree, const Spectrum& source);
    // After the passes: shifted copies leave the "XShift" level; results are sorted.
    static void TidyUp(SpectrumTree& tree, const Settings& settings, Filed& filed);

    ns_xandril::XMLEnumClass m_extrapolators;
    ns_xandril::XMLEnumClass m_interpolators;
    std::function<std::uint32_t()> m_seedSource;
};
