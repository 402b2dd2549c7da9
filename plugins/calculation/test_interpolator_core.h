#pragma once
// The test interpolator's parts without the module: the settings of a run, its passes, what
// a pass measures with, and the reconstruction that turns a measurement into results.
#include "core/spectrum.h"

#include <calvorn/colcalib.h>

#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace tinterp {

// The parameters of a run.
struct Settings {
    bool randomSign = true, normed = false, grouped = false;
    int method = 0, messCount = 1, adMode = 0;
    double valNoise = 0, stopBand = 0, posNoise = 0, sekNoise = 0; // the first two as fractions
    double lo = 0, hi = 100;
    std::string targetGroup, ruleText, sensorText, samplesText;
};

// One pass: one ";"-entry of the rule selection in grouped mode, else all rule spectra.
struct Pass {
    SpectrumList rules;
    std::string group;
    SpectrumList channelRules;          // all rule spectra but the normalisation spectrum
    const Spectrum* normRule = nullptr; // the normalisation spectrum, if any
};

// What a pass measures with: the measuring system, the calibration and the items.
struct Measurement {
    bool responseMode = false;
    std::string base; // the result group
    int items = 0, channels = 0;
    std::vector<double> noise; // (r * items + item) * channels + c
    std::unique_ptr<CColCalibBase> calib;
    std::vector<double> transform; // empty: measured without calibration
    SpectrumList targets;
    std::vector<std::unique_ptr<Spectrum>> simulated; // the channels times the illumination
    std::vector<std::pair<std::string, std::vector<double>>> measured; // given responses by leaf name
    double darkening = 0;          // of the targets' colours
};

// A result and how it is filed: replacing what stands at its name, or beside it.
struct Filing {
    std::unique_ptr<Spectrum> spectrum;
    bool replace = true;
};

// The reconstructions of the pass's targets (each followed by its ground truth) or of the
// given responses (followed by copies of the targets), in filing order.
std::vector<Filing> Reconstruct(const Settings& settings, const Pass& pass, const Measurement& measurement);

} // namespace tinterp
