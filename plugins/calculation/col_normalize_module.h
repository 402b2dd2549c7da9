#pragma once
// Recolouring by name template: each spectrum of a selection takes the colour of the first
// reference spectrum whose short name contains its short name or lies in it.
#include "calculation/calc_common.h"

class ColNormalizeModule : public calc::CalcModule {
public:
    ColNormalizeModule();
    ~ColNormalizeModule() override;

    const CRuntimeClass* GetEditorClass() override;
    std::vector<SAutomationPtrList> GetAutomationPtr() override;

    // "normalize": the spectra of "SpecDesc" take the colours of "RefSpecDesc". False, with a
    // log line and nothing changed, when either selection is empty.
    bool normalize();

    // Either short name contains the other (case-sensitive; an empty one matches all).
    static bool NamesMatch(const std::string& name, const std::string& reference);
};
