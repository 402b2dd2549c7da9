#pragma once
// Search strategies over sets of sensor channels: the helpers (shuffle, random subset,
// ordering, overlap filter, name mapping), the simple and the sequential search, and the
// evolutionary search that runs on a worker thread. Plain C++, no Qt, no host calls.
#include "calculation/selection_criterion.h"

#include <atomic>
#include <cstdint>
#include <functional>
#include <mutex>
#include <string>
#include <vector>

namespace selection {

// One xorshift step (13, 17, 5) of a 32-bit state.
std::uint32_t XorShift(std::uint32_t& state);

// In-place Fisher-Yates shuffle: for i = 1..n-1 swap element i with element (x mod (i+1)),
// x the next xorshift value.
void Shuffle(std::vector<int>& list, std::uint32_t& state);

// Draws min(count, valid candidates) distinct valid candidates (-1 entries never) with an
// mt19937 seeded by seed: index floor(u / 2^32 n), clamped to n-1. out is sorted ascending.
void RandomSubset(const std::vector<int>& candidates, int count, std::vector<int>& out, std::uint32_t seed);

// Sorts the candidates by rating[offset + value], highest first; equal ratings put the
// higher channel first.
void OrderCandidates(std::vector<int>& candidates, const std::vector<double>& rating, int offset);

// True when no value occurs twice.
bool IsDistinct(const std::vector<int>& list);

// Appends to excluded every candidate (not -1, not yet excluded, not the chosen channel
// itself) whose overlap with a chosen channel exceeds threshold. With no chosen channel or
// no spectra excluded becomes a copy of the candidates.
void OverlapFilter(const std::vector<int>& candidates, const SpectraSet& spectra, const std::vector<int>& chosen,
                   std::vector<int>& excluded, double threshold);

// out[j] = index of the first of names whose leaf name equals the leaf name of others[j],
// -1 when none does.
std::vector<int> MapByLeafName(const std::vector<std::string>& names, const std::vector<std::string>& others);

// What the simple and sequential searches ask of the run.
struct SearchContext {
    int startCount = 0; // start channels in front of the selection
    int wanted = 0;     // channels to add
    int specCount = 0;  // start channels + wanted, for the progress
    bool overlap = false;
    // Discriminance value of the start channels plus the given candidates.
    std::function<double(const std::vector<int>&)> discriminance;
    // Technology test (validity) of the start channels plus the given candidates.
    std::function<bool(const std::vector<int>&)> technologyOk;
    // Before each step, k = start channels + chosen so far + 1.
    std::function<void(int k)> onStep;
    // After each step, with the progress in percent.
    std::function<void(double percent)> onProgress;
};

struct SearchResult {
    std::vector<int> chosen;
    std::vector<double> stepValues; // discriminance after each added channel
    bool tooSmall = false;          // the technology test left no candidate
};

// Greedy forward selection; candidates is the rated order, used entries become -1.
// withStart: start channels are given; startTestAlone: test each candidate alone at the
// start (start spectra, StartSameSens and Overlap set).
SearchResult SequentialSearch(std::vector<int>& candidates, const SearchContext& context, bool withStart,
                              bool startTestAlone);
// Walk down the rated order.
SearchResult SimpleSearch(std::vector<int>& candidates, const SearchContext& context);

// The evolutionary search's settings and shared state.
struct EvoSettings {
    int species = 3;
    int cycles = 500;
    int population = 4;
    int recombination = 500; // below 1: two thirds of cycles
    int wanted = 1;          // channels per member
    int startCount = 0;
    double d0 = 0, d1 = 0;   // discriminance reference values
    double weight = 0.7;     // of the discriminance term
    double lowOverlap = 0.3, highOverlap = 0.9;
    std::vector<std::uint32_t> seeds; // one per species, from the run's seed source
};

struct EvoMember {
    std::vector<int> chosen;
    double fitness = 0, discriminance = 0, technology = 0;
};

struct EvoShared {
    std::atomic<bool> done{false};
    std::atomic<bool> stop{false};
    std::mutex lock;       // guards status and counter
    std::string status;
    long long counter = 0; // members made so far
};

struct EvoCallbacks {
    std::function<double(const std::vector<int>&)> discriminance;
    std::function<double(const std::vector<int>&)> technology; // the value (-1 invalid)
    const SpectraSet* spectra = nullptr;                        // for the overlap filter
    const std::vector<double>* rating = nullptr;                // for the recombination order
};

// Fitness max(0, w (d - d0)/(d1 - d0) + (1 - w) t); with d1 <= d0 the technology term alone.
double Fitness(const EvoSettings& settings, double d, double t);

// Runs the species one after the other; returns the best member of each species (fewer
// when stopped). Sets shared.done at its end.
std::vector<EvoMember> EvolutionarySearch(const std::vector<int>& candidates, const EvoSettings& settings,
                                          const EvoCallbacks& callbacks, EvoShared& shared);

} // namespace selection
