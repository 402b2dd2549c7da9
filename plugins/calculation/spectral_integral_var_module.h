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
#include <string>
#include <vector>

class SpectralIntegralVarModule : public calc::CalcModule {
public:
    SpectralIntegralVarModule();
    ~SpectralIntegralVarModule() override;

    const CRuntimeClass* GetEditorClass() override;
    std::vector<SAutomationPtrList> GetAutomationPtr() override;

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
    struct Run;
    bool RunEvolution(Run& run, std::vector<selection::EvoMember>& best, bool& stopped, bool& quit);

    std::function<std::uint32_t()> m_seedSource;
};
