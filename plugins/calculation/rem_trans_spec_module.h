#pragma once
// Point-wise spectrum arithmetic C = A op B: against a constant or a second selection of
// spectra, statistics over the A selection, and functions of A. Results go to "ResSpec:" or
// the target group.
#include "calculation/calc_common.h"

#include <xandril/xandril.h>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

class RemTransSpecModule : public calc::CalcModule {
public:
    RemTransSpecModule();
    ~RemTransSpecModule() override;

    const CRuntimeClass* GetEditorClass() override;
    std::vector<SAutomationPtrList> GetAutomationPtr() override;

    // "calculate": the function "Aritmetikfunc" (or the number "AritmetikfuncSel") on the
    // spectra of "LightSpecDesc" and, for the functions 1 to 8, "SpecDesc". False after an
    // error (logged); an abort keeps what was filed and gives true.
    bool calculate();

    // The seed of each working spectrum's generator in the random mode; by default the
    // steady clock. Tests set a fixed source.
    void SetSeedSource(std::function<std::uint32_t()> source) { m_seedSource = std::move(source); }

    // Name rules of the results, without the group and the suffix.
    // Pairwise mode: the leaf, or with grouped the last group and the leaf; trimmed.
    static std::string PairShortName(const std::string& name, bool grouped);
    // Statistics: "variousSpecs" for a ";"-list, else the first name up to its first ":".
    static std::string StatisticsName(const std::string& selection, const std::string& firstName);
    // Functions of A: 8 characters fewer when "ResSpec" occurs, then the last two levels.
    static std::string FunctionName(const std::string& name);
    // True when the target group and a path of the selection differ and one lies inside the
    // other (levels at ":"; a trailing ":*" and blanks do not count). Equal paths are no
    // recursion: the results then replace their inputs.
    static bool IsRecursion(const std::string& targetGroup, const std::string& selection);

    // A working spectrum: name, colour and points, independent of the tree.
    struct Curve {
        std::string name;
        COLORREF colour = 0;
        std::vector<double> x, y;
    };
    // What a run reads, checked before anything is filed.
    struct Settings {
        std::string lightDesc = {}, specDesc = {}, targetGroup = {};
        int op = 0; // the function, from 1
        bool sameNames = false, checkSpecs = false, grouped = false, addArith = false, randomCalc = false;
        bool pairwise = false; // B names spectra; otherwise B is the constant
        double constant = 0;
    };
    // The A spectra and the B spectra of the pairwise mode, copied.
    struct Inputs {
        std::vector<Curve> a, b;
    };
    // The first A spectrum (against constants[k] for A's spectrum k) or pair ("A / B") whose
    // result would not be finite; empty when all are finite. For the functions up to kLess.
    static std::string NotFinite(const Settings& settings, const Inputs& inputs, const std::vector<double>& constants);

private:
    // The settings and the spectra of a run, every check with its line in order; false when
    // the run stops. Screening for the statistics files the unused spectra here.
    bool ReadRun(RunScope& run, Settings& settings, Inputs& inputs);

    ns_xandril::XMLEnumClass m_functions;
    std::function<std::uint32_t()> m_seedSource;
};
