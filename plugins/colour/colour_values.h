#pragma once
// The arithmetic of the colour and integral value modules, without the host: the settings
// a run reads, the spectra it takes and the values it works out. The module names and files
// what this returns (colour_calculation.cpp).
#include "core/spectrum.h"

#include <cstddef>
#include <string>
#include <vector>

namespace colour {

struct Settings {
    bool integral = false;      // the integral-value module (sorting, no three-curve rule)
    bool colourMode = true;     // "IsColorValue": colour values, else integrals or feature vectors
    bool integralWords = false; // "IsIntegralValue": the status words of the integral module
    bool isQE = false;          // "ObserverIsQE": curves of quantum efficiency
    bool saveResponse = false;  // "SaveObserverResponse"
    bool sort = false;          // "SortResponses" of the integral module
    std::string target = {};    // the clipboard group of the results
};

// The spectra of a run: read in full before anything is filed.
struct Inputs {
    std::vector<Spectrum*> specs, lights, observers;
};

struct Values {
    std::size_t curves = 0;  // n, the observer curves
    std::size_t rounds = 1;  // one per illuminant, one without
    // Per round and spectrum (round-major): the n values; per round: the n reference values
    // (ones outside colour mode).
    std::vector<std::vector<double>> values, refs;
    // The quantum-efficiency scale g per curve (1 without conversion).
    std::vector<double> scale;
    // Per curve, when the responses are saved: the points (x, x * y * g).
    std::vector<std::vector<SPoint>> responses;
    // When sorting: the curves in ascending order of their largest response, and that response.
    std::vector<std::size_t> order;
    std::vector<double> best;
};

// The first grid fault of the inputs as its error line, or null: each selection
// equidistant on one grid, the same step, the same range and point count.
const char* GridError(const Inputs& in);

// The values of inputs that passed GridError; false with the error line in error (nothing
// then to file).
bool Compute(const Settings& settings, const Inputs& in, Values& out, const char*& error);

} // namespace colour
