#pragma once
// LEDFitter: drive values (and the fit parameters of the models) of an LED array for one or
// more target spectra. The parameter vector holds the models' fit parameters first, then per
// target one drive parameter per channel; a channel's drive value is the square of its drive
// parameter, so drives never become negative. Five optimisation functions choose how the
// model spectrum is compared with a target; an optional second pass matches the weighted
// integrals of the settings' TargetSpecs x ObserverSpecs instead of the spectra.

#include "engine/ls_matrix.h"
#include "engine/optimizer.h"
#include "engine/spectra_set.h"
#include "engine/thermal_model.h"

#include <string>
#include <vector>

class LEDArray;
class LEDFitter;
class LEDModel;

struct LEDFitterSettings {
    LEDFitterSettings() = default;
    LEDFitterSettings(const LEDFitterSettings&) = delete;
    LEDFitterSettings& operator=(const LEDFitterSettings&) = delete;
    // Copies every field, the spectra of both sets included.
    void Assign(const LEDFitterSettings& other);

    double FunctionParam = 1.0;   // parameter of optimisation functions 2, 3 and 4
    int OptimizationFunction = 0; // 0 ... 4
    OptimizerOptions Options;
    SpectraSet TargetSpecs;   // weighting spectra of the second pass
    SpectraSet ObserverSpecs; // observer spectra of the second pass
    bool AddTargetDrivenOptimization = false;
};

class LEDFitterEventHandler {
public:
    virtual ~LEDFitterEventHandler() = default;
    // flag 0 during the fit, 1 once at the end of each optimiser run.
    virtual void OnProgress(LEDFitter* fitter, int flag) = 0;
};

class LEDFitter {
public:
    LEDFitter();
    ~LEDFitter();
    LEDFitter(const LEDFitter&) = delete;
    LEDFitter& operator=(const LEDFitter&) = delete;

    // Takes the array's models, the target spectra and the optional weighting spectra (the
    // model spectrum is multiplied by their sum); none of them is owned and they must live
    // until the last Fit. Copies the global grid. A missing or empty array leaves the fitter
    // empty; missing targets, or targets or weights on another grid, leave it without targets.
    // Every drive value starts at 0.5.
    void Setup(LEDArray* array, const SpectraSet* targets, const SpectraSet* weights);
    // The final sum of squares, or -1 (no LEDs, no targets, unknown optimisation function,
    // non-finite result). Repeated fits start from the last drive values.
    double Fit();

    // 0 outside the channels or targets.
    double GetDriveValue(int channel, int target) const;
    void GetDriveValues(int target, std::vector<double>& out) const;

    LEDFitterSettings* GetSettings() const { return settings; }
    // Null means the fitter's own settings.
    void SetSettings(LEDFitterSettings* s) { settings = s ? s : &ownSettings; }
    ThermalModel* GetThermalModel() const { return thermal; }
    // Null means the fitter's own constant model at 298.15 K.
    void SetThermalModel(ThermalModel* t) { thermal = t ? t : &ownThermal; }
    LEDFitterEventHandler* GetEventHandler() const { return eventHandler; }
    void SetEventHandler(LEDFitterEventHandler* h) { eventHandler = h; }

    int GetLEDCount() const { return static_cast<int>(models.size()); }
    int GetTargetCount() const { return static_cast<int>(targets.size()); }
    int GetChannelCount() const { return channelCount; }
    int GetPointCount() const { return pointCount; }
    int GetFitParameterCount() const { return fitCount; }
    int GetParameterCount() const { return MatRows(p); }
    // The parameter vector (m x 1), owned by the fitter; null before a successful Setup.
    LSMatrix GetParameters() const { return p; }

    // s (point count x 1) = model spectrum of target t at the parameters q (the fitter's
    // own when null); the model part of q is written into the models first.
    void ComputeModelSpectrum(LSMatrix s, int target, LSMatrix q = nullptr);
    // Residuals (N x 1) and Jacobian (N x m) of the settings' optimisation function at q;
    // false for an unknown function or a fitter without targets.
    bool ComputeResiduals(LSMatrix r, LSMatrix q);
    bool ComputeJacobian(LSMatrix J, LSMatrix q);
    // The second pass's residuals (K x 1) and Jacobian (K x m) at q; false when the settings'
    // TargetSpecs or ObserverSpecs are empty or not on the fitter's grid.
    bool ComputeTargetDrivenResiduals(LSMatrix r, LSMatrix q);
    bool ComputeTargetDrivenJacobian(LSMatrix J, LSMatrix q);

private:
    static void ResidualCallback(LSMatrix r, LSMatrix q, void* context);
    static void JacobianCallback(LSMatrix J, LSMatrix q, void* context);
    static void TargetDrivenResidualCallback(LSMatrix r, LSMatrix q, void* context);
    static void TargetDrivenJacobianCallback(LSMatrix J, LSMatrix q, void* context);
    static void IterationCallback(void* context, int flag);

    void WriteModelParameters(LSMatrix q);
    void ReadModelParameters();
    // Drive values and temperatures of target t at q, and every channel's sample.
    void PrepareTarget(int t, LSMatrix q);
    // Residual rows of target t for function 0 (into r0, P x 1).
    void TargetResidual(int t, LSMatrix q, double* r0);
    // Rows of target t of the derivative of function 0's residuals (into J, N x m).
    void TargetJacobian(int t, LSMatrix q, LSMatrix J);
    int TargetDrivenRowCount() const;

    ThermalModel* thermal;
    LEDFitterSettings* settings;
    LEDFitterSettings ownSettings;
    LEDFitterEventHandler* eventHandler = nullptr;

    std::vector<LEDModel*> models;
    std::vector<LSMatrix> targets;
    std::vector<LSMatrix> weights;

    int channelCount = 0, fitCount = 0, pointCount = 0;
    // Per channel: its model and the channel number within it.
    std::vector<LEDModel*> channelModel;
    std::vector<int> channelIndex;

    LSMatrixHandle p;          // m x 1
    LSMatrixHandle r;          // N x 1
    LSMatrixHandle omega;      // P x 1, sum of the weights (1 without)
    LSMatrixHandle spectrum;   // P x 1
    LSMatrixHandle residual0;  // N x 1, function 0's residuals
    LSMatrixHandle jacobian0;  // N x m, function 0's Jacobian
    LSMatrixHandle jacobian1;  // N x m, function 1's Jacobian (function 3)
    // Per channel: its sample (P values) at its temperature, read in place from its model's
    // cache; off the global grid (changed since Setup) from ownSamples instead.
    std::vector<const double*> samples;
    std::vector<LSMatrixHandle> ownSamples;
    std::vector<LSMatrixHandle> dSdT;    // per channel (P x 1): drive x temperature derivative
    LSMatrixHandle tdResidual; // K x 1
    std::vector<double> drives, temperatures, dTdd;

    double gridStart = 0.0, gridEnd = 0.0, gridStep = 0.0;
    ConstantThermalModel ownThermal;
};

// Fits leds to target and writes count random variations of the fitted spectrum into out
// (drives x 0.5 as baseName_MinSpec, x 1.2 as baseName_MaxSpec, then baseName_RandomSpec_%04d
// with every drive scaled by [0.5, 1.2] at a temperature in [298.15, 378.15] K).
void GenerateRandomSpectra(LSMatrix target, LEDArray& leds, SpectraSet& out, int count, const std::string& baseName);
