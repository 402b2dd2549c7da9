#pragma once
// Point-wise spectrum arithmetic C = A op B: against a constant or a second selection of
// spectra, statistics over the A selection, and functions of A. Results go to "ResSpec:" or
// the target group.
#include "calculation/calc_common.h"

#include <xandril/xandril.h>

#include <cstdint>
#include <functional>
#include <string>

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

private:
    ns_xandril::XMLEnumClass m_functions;
    std::function<std::uint32_t()> m_seedSource;
};
