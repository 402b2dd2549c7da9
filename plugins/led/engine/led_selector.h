#pragma once
// LEDSelector: an evolutionary search for the LEDCount database LEDs whose fitted sum
// spectrum matches the targets best. Each generation scores the new arrays of the population
// with the LED-array fitter (score = -sum of squares; a score above 0 marks an array not yet
// evaluated), keeps the better half and refills the population with mutants in which one LED
// is replaced by another database LED. With the correlation flag, replacements favour LEDs
// whose unit spectra correlate with the replaced one (but not almost perfectly), the more so
// the later the generation.

#include "engine/led_array.h"
#include "engine/ls_matrix.h"

#include <list>
#include <memory>
#include <vector>

class LedDB;
class LEDFitter;
class LEDFitterEventHandler;
class LEDModel;
class LEDSelector;
class SpectraSet;
struct LEDFitterSettings;

class LEDSelectorEventHandler {
public:
    virtual ~LEDSelectorEventHandler() = default;
    // flag 0 while running, 1 once at the end.
    virtual void OnProgress(LEDSelector* selector, int flag) {}
    // A new best array; the fitter still holds its fit.
    virtual void OnNewCombination(LEDSelector* selector, LEDFitter* fitter, LEDArray* array) {}
    // built of the ProposalCount first arrays are made (every kBuildReportStep arrays).
    virtual void OnBuildProgress(LEDSelector* selector, int built) {}
};

class LEDSelector {
public:
    LEDSelector();
    virtual ~LEDSelector();
    LEDSelector(const LEDSelector&) = delete;
    LEDSelector& operator=(const LEDSelector&) = delete;

    void SetCounts(int ledCount, int proposalCount, bool correlation);
    // Not owned. A new database drops the probability matrix built from the old one.
    void SetDatabase(LedDB* db);
    void SetTargets(const SpectraSet* targets) { this->targets = targets; }
    // Null means the fitter's own defaults.
    void SetFitterSettings(LEDFitterSettings* settings) { fitterSettings = settings; }
    void SetEventHandler(LEDSelectorEventHandler* handler) { eventHandler = handler; }
    void SetFitterEventHandler(LEDFitterEventHandler* handler) { fitterEventHandler = handler; }

    // The first arrays report their progress and poll the abort every this many arrays; an
    // abort among them ends the run with an empty population. A refill, a reduction and the
    // probability matrix poll it as often (per mutant, dropped array, database entry).
    static constexpr int kBuildReportStep = 1024;
    void Run(int generations);

    double GetBestScore() const { return bestScore; }
    int GetLEDCount() const { return LEDCount; }
    int GetProposalCount() const { return ProposalCount; }
    int GetGenerationCount() const { return generationCount; }
    // 1-based numbers of the array being evaluated and of the running generation.
    int GetCurrentArray() const { return currentArray; }
    int GetCurrentGeneration() const { return currentGeneration; }
    // The share (0 .. 1) of the running generation's evaluations that are done: the arrays
    // evaluated so far of those not yet evaluated when it began; 1 when it had none.
    double GetGenerationShare() const
    {
        return generationPending > 0 ? static_cast<double>(generationEvaluated) / generationPending : 1.0;
    }
    // Best first after each reduction; after a complete run the survivors of the last
    // reduction followed by the last, not yet evaluated, mutants.
    const std::list<LEDArray>& GetPopulation() const { return population; }
    // D x D, null until a run with the correlation flag has built it.
    LSMatrix GetProbabilityMatrix() const { return probabilities; }

    // A database index drawn with row a of the probability matrix (uniformly without the
    // flag or matrix); -1 for an empty database.
    int PickLED(int row);
    // Sorts the population best first and drops its last k arrays (at least one stays);
    // drops fewer when the user aborts.
    void Reduce(int k);
    // Refills the population with mutants up to ProposalCount arrays; stops early when the
    // user aborts.
    void Mutate();
    // Builds the probability matrix from the unit spectra of the database entries; when the
    // user aborts, or there is no memory for it, there is none.
    void BuildProbabilities();

private:
    // Adds an LED picked with row a whose "Name" the array does not hold yet. Gives up after
    // a bounded number of picks and then takes a uniform choice among the unused names;
    // false (and the array stays short) when none is left.
    bool AddUnusedLED(LEDArray& array, int row);
    // Appends the LED AddLED builds from record and index: a copy of the index's prototype
    // when that was built from an equal record.
    void AddModelOf(LEDArray& array, const ParamContainer& record, int index);
    // Database entry i's model as AddLED builds it, its channels sampled on the grid at
    // 298.15 K, when it was built from a record equal to record; otherwise, when record
    // equals entry i, built anew from it. Null for an index outside the database, another
    // record or an entry without a known model.
    LEDModel* Prototype(int i, const ParamContainer& record);
    void Evaluate(LEDArray& array);
    int DatabaseSize() const;

    double bestScore = -1e99;
    LEDFitterSettings* fitterSettings = nullptr;
    int ProposalCount = 0;
    int LEDCount = 0;
    int generationCount = 0;
    LedDB* database = nullptr;
    const SpectraSet* targets = nullptr;
    LEDSelectorEventHandler* eventHandler = nullptr;
    std::list<LEDArray> population;
    LEDFitterEventHandler* fitterEventHandler = nullptr;
    int currentArray = 0;
    int currentGeneration = 0;
    int generationPending = 0;
    int generationEvaluated = 0;
    bool correlation = false;
    LSMatrixHandle probabilities;
    // Per database entry, owned. Mutants and new arrays copy these instead of building
    // (and sampling) every model again.
    std::vector<std::unique_ptr<LEDModel>> prototypes;
};
