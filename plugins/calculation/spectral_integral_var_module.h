#pragma once
// Integral-variance selection: chooses SpecCount sensor channels that separate classes of
// target spectra best (discriminance) while staying distinct (technology), by a simple,
// sequential or evolutionary search, rates a start configuration, and files the chosen
// channels under names that carry their rating.
#include "calculation/calc_common.h"
#include "calculation/selection_criterion.h"
#include "calculation/selection_search.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

class ModuleInterface;

// The selection's parts without the module: the settings of a run, what it works with, and
// the core steps, which report through the host's log, status and progress only.
namespace sivar {

struct Settings {
    int specCount = 1;
    double maxOverlap = 100.0; // percent
    bool searchAfter = false;
    int searchAfterType = 0;
    bool normSpecs = false;
    int normType = 0;
    double normVal = 10.0;
    int minDist = 0;
    bool overlap = false, discSel = true, evolutionSel = false;
    bool startSameSens = true, checkTolerances = false, checkSpecs = false;
    std::string checkKeywords;
    std::string group; // SpecGroup, with "_maxnormed" or "_intnormed" when it normalises
};

// What one run works with: the checked selections, then the table and order Prepare fills.
struct Run {
    ModuleInterface* host = nullptr;
    SpectrumList sensors, tolerances, targets, starts, secondary;
    std::vector<std::unique_ptr<Spectrum>> screened; // copies that passed the check
    int specCount = 1;
    int startCount = 0;
    int wanted = 0;
    selection::ResponseTable table;
    selection::SpectraSet spectra; // rows: start spectra, then sensors (scaled)
    selection::TechnologyLimits limits;
    std::vector<int> candidates; // rated order of the sensor channels
    std::vector<int> startMap;   // start spectrum -> sensor channel (-1 none)
    selection::EvoSettings evo;
};

// The result group, the chosen channels with one rating each and the prefix of the rating in
// their names; tooSmall when the search found the selection too small.
struct Outcome {
    std::string group;
    std::vector<int> chosen;
    std::vector<double> values;
    std::string namePrefix = "_sel_";
    bool tooSmall = false;
};

// The normalisation factor of one spectrum (see SpectralIntegralVarModule::NormFactor).
double NormFactor(const Spectrum& spectrum, const Settings& settings, bool* zero = nullptr);
// The table of responses, the single ratings and the rated order of the channels; false,
// with the line logged, after the user's abort or when the data cannot be evaluated.
bool Prepare(const Settings& settings, Run& run, ModuleInterface* host);
// Logs the rating of the start configuration (when there are start spectra) and returns the
// text that names it in the search's log line.
std::string RateStart(const Settings& settings, const Run& run, ModuleInterface* host);
// The sequential (DiscSel) or simple search.
Outcome Search(const Settings& settings, const Run& run, const std::string& startText, ModuleInterface* host);

} // namespace sivar

class SpectralIntegralVarModule : public calc::CalcModule {
public:
    SpectralIntegralVarModule();
    ~SpectralIntegralVarModule() override;

    const CRuntimeClass* GetEditorClass() override;
    std::vector<SAutomationPtrList> GetAutomationPtr() override;
    // An "EvoRecomb" below 1 starts the recombination at two thirds of "EvoCount".
    calc::OwnRange OwnRangeOf(const std::string& name) override;

    // "spectralintegralvarselection": the run; false, with a log line and nothing filed, on
    // bad input, a data situation that cannot be evaluated, or a refused question.
    bool spectralintegralvarselection();

    // The seeds of the evolutionary search (shuffles and random subsets), drawn on the GUI
    // thread. By default the steady clock's count, high and low halves xor-ed.
    void SetSeedSource(std::function<std::uint32_t()> source) { m_seedSource = std::move(source); }

    // The class key of a target's leaf name (text after the last ":"): with searchAfter clear
    // the text between the first and the last "@" (to the end with one "@"); with it set the
    // text from the last "_" on (type 0) or up to and including it (type 1); else the leaf.
    static std::string ClassKey(const std::string& name, bool searchAfter, int searchAfterType);

    // The normalisation factor of one spectrum (1 with NormSpecs clear; 1 / maximum or 1 /
    // integral above NormVal percent of it). An all-zero spectrum keeps factor 1; zero tells
    // the caller so (for its hint).
    double NormFactor(const Spectrum& spectrum, bool* zero = nullptr);

private:
    // The parameters of a run; the selections and checks of ReadRun, in the order of their
    // lines; null, with the line logged, when a check fails or the question is refused.
    sivar::Settings ReadSettings();
    std::optional<sivar::Run> ReadRun(const sivar::Settings& settings, SpectrumTree& tree);
    // The evolutionary search on a worker thread; null when the program quits meanwhile.
    std::optional<sivar::Outcome> SearchByEvolution(const sivar::Settings& settings, sivar::Run& run,
                                                    const std::string& startText);
    // The evolution's settings in run.evo, with the reference values d0 and d1 from random
    // subsets of the shuffled candidates; returns those candidates without the left-out ones.
    std::vector<int> EvolutionPool(sivar::Run& run);
    bool RunEvolution(sivar::Run& run, std::vector<selection::EvoMember>& best, bool& stopped, bool& quit);

    std::function<std::uint32_t()> m_seedSource;
};
