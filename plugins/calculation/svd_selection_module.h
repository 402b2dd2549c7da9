#pragma once
// Algebraic selection: chooses SpecCount spectra (start spectra included) that span the
// candidates best, by the interpolation library's target selection, and files copies of the
// chosen spectra (and of name-equivalent spectra of a second group) under result groups.
// The sensor variant chooses sensor channels against screened weighting spectra.
#include "calculation/calc_common.h"

#include <optional>
#include <string>
#include <vector>

class CMBLibEventHandler;

// The selection without host or trees: the settings of a run, read and checked by the
// module, and the core that chooses the spectra.
namespace svdsel {

// Whether NormType 1 counts the values equal to its threshold. The spectra variant leaves
// them out, as its results always have; the sensor variant counts them, because sensor
// channels are often flat-topped (a filter's or detector's plateau), and at NormVal 100 a
// strict threshold would drop the whole plateau and leave a divisor of 0.
enum class AtThreshold { Left, Counted };

// The normalisation divisor: the largest value (at least 0) for NormType 0; for NormType 1
// the sum of the positive values above normVal percent of it (and, with Counted, at it).
double GetSpectrumNormValue(const Spectrum& spectrum, int normType, double normVal, AtThreshold atThreshold);

struct Settings {
    int specCount = 1;         // lowered to the number of candidates
    double minValue = 0;       // SpecMinSVDValue, the selection value the library starts from
    bool addSpecs = false;     // spectra mode even with two or more weighting spectra
    bool normSpecs = false;    // divide each spectrum by its GetSpectrumNormValue
    int normType = 0;
    double normVal = 10;
    AtThreshold atThreshold = AtThreshold::Left;
    std::string group;           // the result group before the mode and value suffixes
    std::string equivalentGroup; // the group of equivalent copies, or empty
};

struct Result {
    std::string group;               // with the mode and value suffixes, ending in ":"
    std::vector<std::string> chosen; // the full names the selection adds to the start spectra
};

// Chooses settings.specCount spectra (the starts first) from the candidates, which must
// hold at least one spectrum of equal x values (their points are sorted first). Null when
// the library stops (status, abort through handler) or the selection value is not finite.
std::optional<Result> Select(const Settings& settings, SpectrumList& candidates, const SpectrumList& starts,
                             const std::vector<const Spectrum*>& weights, CMBLibEventHandler* handler);

} // namespace svdsel

class SVDSelectionModule : public calc::CalcModule {
public:
    SVDSelectionModule();
    ~SVDSelectionModule() override;

    const CRuntimeClass* GetEditorClass() override;
    std::vector<SAutomationPtrList> GetAutomationPtr() override;

    // "svdselection": the run; false, with a log line and nothing filed, on bad input.
    bool svdselection();

    // The normalisation divisor by NormType and NormVal (svdsel::GetSpectrumNormValue); the
    // sensor variant counts the values at the threshold.
    double GetSpectrumNormValue(const Spectrum& spectrum);

protected:
    SVDSelectionModule(const std::string& typeName, svdsel::AtThreshold atThreshold);
    // The shared procedure; sensor selects the channel variant's steps.
    bool Run(bool sensor);

private:
    const svdsel::AtThreshold m_atThreshold;
};

class SVDSensSelectionModule : public SVDSelectionModule {
public:
    SVDSensSelectionModule();
    ~SVDSensSelectionModule() override;

    std::vector<SAutomationPtrList> GetAutomationPtr() override;

    // "svdsensselection": the run for sensor channels.
    bool svdsensselection();

    // True when the weighting spectrum passes the level, variance and keyword screening;
    // otherwise a copy goes to "AlgebraicSpecSel:UnusedSpecs:" + its full name.
    bool CheckSensorSpectrum(const Spectrum& spectrum, double level, double variance, const std::string& keywords);
};
