#pragma once
// Tests a stored calculation rule on a simulated multispectral measurement: the sensor
// measures target spectra (or given responses are taken), noise and a colour-correction
// calibration are applied, and the rule reconstructs spectra from the responses.
#include "calculation/calc_common.h"

#include <xandril/xandril.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

class CColCalibBase;
class ClipboardObject;

// The run's parts without the module (calculation/test_interpolator_core.h).
namespace tinterp {
struct Settings;
struct Pass;
struct Measurement;
} // namespace tinterp

class TestInterpolatorModule : public calc::CalcModule {
public:
    TestInterpolatorModule();
    ~TestInterpolatorModule() override;

    const CRuntimeClass* GetEditorClass() override;
    std::vector<SAutomationPtrList> GetAutomationPtr() override;

    // "testinterpolator": true after the last group, false after an error that stops the run.
    bool testinterpolator();

    // The seed of every random draw (run mark, darkening, noise); the clock by default.
    void SetSeedSource(std::function<std::uint32_t()> source) { m_seedSource = std::move(source); }

    // The spectrum's points replaced by linear-spline values on first x, first x + step, ...
    // up to the last x. True.
    static bool Resample(Spectrum& spectrum, double step);

    // The message, with ": " and the group behind it when a group is set, as an error line.
    void LogWithGroup(const std::string& message, const std::string& group);

    // The noise table of the last run, (r * I + i) * C + c.
    const std::vector<double>& GetNoiseTable() const { return m_noise; }

private:
    struct Run;
    // The parameters; the selections and their checks, in the order of their lines, and the
    // passes (false, with the line logged, when a check fails).
    tinterp::Settings ReadSettings();
    bool ReadRun(const tinterp::Settings& settings, Run& run, SpectrumTree& tree);
    std::string BaseName(const tinterp::Settings& settings, const Run& run) const;
    // The channel count of a pass with its sensor items matched to its rule; null, with the
    // line logged, when they do not fit.
    std::optional<int> MatchPass(const tinterp::Settings& settings, Run& run, const tinterp::Pass& pass);
    static const char* PassInputError(const tinterp::Settings& settings, const Run& run, const tinterp::Pass& pass,
                                      int N);
    bool MeasureSystem(Run& run, const tinterp::Pass& pass, int N, tinterp::Measurement& m);
    void Calibrate(const tinterp::Settings& settings, Run& run, int N, tinterp::Measurement& m);
    void LogCalibration(const tinterp::Settings& settings, const tinterp::Pass& pass, int N,
                        const std::vector<double>& transform);
    // The disturbed sensitivities times the illumination; false when none were made (no primary
    // noise, no sensor, or an illumination that does not fit them: illuminationFailed, line
    // logged).
    bool SimulatePrimary(Run& run, const SpectrumList& sensors, std::vector<std::unique_ptr<Spectrum>>& simulated,
                         bool& illuminationFailed);
    void FillNoise(Run& run);
    bool BuildIllumination(Run& run, const Spectrum& firstSensor);
    bool CalibrateFromMeasurements(Run& run, CColCalibBase& calib);
    bool CalibrateFromTargets(Run& run, CColCalibBase& calib, const std::vector<std::unique_ptr<Spectrum>>& simulated);

    ns_xandril::XMLEnumClass m_methods;
    std::function<std::uint32_t()> m_seedSource;
    std::vector<double> m_noise;
};
