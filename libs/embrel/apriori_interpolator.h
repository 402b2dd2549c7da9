#pragma once
// CAprioriInterpolator: trains a linear rule that turns the responses of a few sensor channels
// into spectra, from training spectra and a description of the sensor. The event handler
// reports progress to the caller and carries the caller's abort request back.
#include "embrel/spek_container.h"
#include "embrel/target.h"

#include <atomic>
#include <iosfwd>
#include <memory>
#include <vector>

// Result of the library's operations; 0 is success.
enum tyMBStatus : int {
    MB_OK = 0,
    MB_TARGET_POINTS,      // targets and sensitivities differ in their point count
    MB_MULTIPLE_ILLU,      // more than one illumination
    MB_ILLU_POINTS,        // illumination and sensitivities differ in their point count
    MB_ILLU_RANGE,         // illumination and sensitivities on different axes
    MB_TARGET_MISMATCH,    // targets do not fit the sensitivities (counts, dimensions)
    MB_NO_NAME_RELATION,   // no response could be paired with a target by name
    MB_ABORTED,            // the event handler's abort flag stopped the work
    MB_NOT_FINITE,         // an input holds NaN or infinity
    MB_EMPTY_INPUT,        // no sensors, no targets or no points
    MB_BAD_ARGUMENT,       // an argument out of its range
    MB_NOT_TRAINED,        // a result was asked before a successful training
};

// The user text of a status (empty for MB_OK).
const char* MBStatusText(tyMBStatus status);

// Applies a trained system to count response vectors of channels values each (row-major):
// out[k * points + j] = clamp(sum_c a(k, c) W_c(j) + [mean of a(k, .)] W_norm(j), lo, hi), the
// normalisation term only when the system holds channels + 1 spectra and normed is set.
// out must hold count * points values (points = the system's dimension). False, with out
// untouched, when the system has fewer than channels spectra.
bool ApplyInterpolSystem(const CSpekContainer& system, const double* responses, int count, int channels,
                         bool normed, double lo, double hi, double* out);

// Base of the callers' progress handlers. The library keeps the abort flag, the number of
// steps and the current step in it and calls OnEvent on the calling thread: 0 start, 1 after
// each iteration, 2 end of a training; 3 start, 4 after each chosen target, 5 end of a target
// selection. A handler sets the abort flag to stop the work.
class CMBLibEventHandler {
public:
    CMBLibEventHandler() = default;
    CMBLibEventHandler(const CMBLibEventHandler&) = delete;
    CMBLibEventHandler& operator=(const CMBLibEventHandler&) = delete;

    virtual void OnEvent(int event);
    virtual ~CMBLibEventHandler();

    void SetAbort(bool abort) { m_abort.store(abort); }
    bool IsAborted() const { return m_abort.load(); }
    // Number of steps of the running work (iterations or targets) and the current one (0-based).
    unsigned GetCount() const { return m_count; }
    unsigned GetIndex() const { return m_index; }
    // Set by the library before it calls OnEvent.
    void SetProgress(unsigned count, unsigned index)
    {
        m_count = count;
        m_index = index;
    }

private:
    std::atomic<bool> m_abort{false};
    unsigned m_count = 0;
    unsigned m_index = 0;
};

class CAprioriInterpolator {
public:
    // Sensor described by sensitivities: one curve per channel in sensitivities, the training
    // spectra in targets, the illumination (empty: flat 1) and the spectral weighting of the
    // error measure (empty: flat 1) as single curves. prior is an optional set of spectra whose
    // covariance serves as prior in place of the targets' (empty: the targets), priorMean its
    // mean (empty: 0). systemType and measureType are kept for callers; 1 and 0 train the
    // linear rule.
    CAprioriInterpolator(const CSpekContainer& sensitivities, const CSpekContainer& targets,
                         const CMBTarget& illumination, const CMBTarget& errorWeight, const CSpekContainer& prior,
                         const CMBTarget& priorMean, int systemType, int measureType);
    // Sensor described by measured responses: one curve per target in responses (one value per
    // channel), paired with the targets by equal names; prior as above; illumination is
    // ignored in this form (the responses include it) and kept only for the record.
    CAprioriInterpolator(const CSpekContainer& responses, const CSpekContainer& targets,
                         const CSpekContainer& prior, const CMBTarget& illumination, const CMBTarget& errorWeight,
                         int systemType, int measureType);
    ~CAprioriInterpolator();
    CAprioriInterpolator(const CAprioriInterpolator&) = delete;
    CAprioriInterpolator& operator=(const CAprioriInterpolator&) = delete;

    // Borrowed; null switches events off.
    void SetEventHandler(CMBLibEventHandler* handler) { m_handler = handler; }
    CMBLibEventHandler* GetEventHandler() const { return m_handler; }

    // Chooses count entries of the first container that span it best (embrel/target_selection.h
    // tells how); indices receives count positions, those standing for the start entries
    // first. flag: pick by relative instead of absolute residual. value: in, the smallest
    // relative residual a pick may have; out, the smallest singular value of the chosen set.
    // Events 3, 4 and 5; an abort flag set by the handler ends it with MB_ABORTED.
    tyMBStatus OptTargetSelection(int count, const CSpekContainer* start, bool flag, int* indices, std::ostream* log,
                                  double* value);
    tyMBStatus OptTargetSelection(int count, const CSpekContainer* start, int* indices, std::ostream* log,
                                  double* value);

    bool IsResponseMode() const { return m_responseMode; }

    // In response mode: train one spectrum more, the normalisation spectrum, for the input
    // mean of the channel responses (in sensitivity mode a sensitivity named "Mean" does this).
    void SetNormedResponses(bool normed) { m_normedResponses = normed; }

    // The real sensor: quantisation factors (counts per unit of response; one per channel, or
    // one for all when count is 1; null or adBits 0: no quantisation) and the channel noise
    // in percent of the response. Both enter the training as expected noise covariance.
    // MB_BAD_ARGUMENT for a count other than 1 or the channel count (checked at training),
    // a negative noise or bits outside 0..32.
    tyMBStatus SetRealSensorParams(const double* factors, int count, int adBits, double channelNoise);

    // Trains the rule. reg holds seven weights: [0] RegTV (total variation of the rule spectra),
    // [1] RegI2max (ridge), [2] RegPositivity (penalty on negative estimates of the training
    // spectra), [3] EvoOpt (not used), [4] RegGauss (0..1, share of a smoothness prior in the
    // prior covariance), [5], [6] the Wiener pair (value weight, noise level; any finite values
    // whose ridge plus value weight times squared noise level is not negative). Iteration 1 is
    // the closed form; iterations 2..iterations refine it by gradient descent and stop early once
    // the weighted mean squared error is <= mseStop (> 0). logLevel > 0 writes one line per
    // iteration to log (may be null). channelMask, startClosed, keepPrevious and verbose are
    // kept for callers and not used. Events: 0 at the start, 1 after each iteration, 2 at the
    // end; an abort flag set by the handler ends the run with MB_ABORTED.
    tyMBStatus CalcInterpolSystem(int iterations, const double* reg, int logLevel, unsigned channelMask,
                                  bool startClosed, bool keepPrevious, double mseStop, std::ostream* log,
                                  bool verbose);

    // One spectrum per channel (named as the sensitivity, or "qSPEC_<i>" in response mode),
    // plus the normalisation spectrum when trained normalised; empty before a successful
    // training. Reconstruction: sum over c of response c times spectrum c (plus mean of the
    // responses times the normalisation spectrum).
    const CSpekContainer& GetInterpolSystem() const { return m_system; }
    // Weighted mean squared error of the last training on its training spectra (0 without a
    // successful training); worked out when first asked.
    double GetTrainingMSE() const;

private:
    friend class CAprioriInterpolatorAccess;
    struct Problem;
    // The training spectra as one matrix, the response pairs and what a finished training
    // leaves for its error measure; made when first needed, as the inputs never change.
    struct Cache;
    tyMBStatus Prepare(Problem& problem);
    bool Event(int event, unsigned count, unsigned index);

    bool m_responseMode = false;
    CSpekContainer m_sensors; // sensitivities, or responses in response mode
    CSpekContainer m_targets;
    CSpekContainer m_prior;
    CMBTarget m_illumination;
    CMBTarget m_errorWeight;
    CMBTarget m_priorMean;
    int m_systemType = 1;
    int m_measureType = 0;
    CMBLibEventHandler* m_handler = nullptr;
    bool m_normedResponses = false;
    std::vector<double> m_quantFactors;
    int m_adBits = 0;
    double m_channelNoise = 0;
    bool m_realParamsBad = false;
    CSpekContainer m_system;
    std::unique_ptr<Cache> m_cache;
};
