#pragma once
// Writes a gnuplot script with inline data from clipboard objects that carry a "Measures" or
// "Lightnesses" array (the records of the light-source device): one row per object, one
// plotted series per array position. The script starts with an editable init sequence.
#include "core/calc_form.h"

#include <string>

class GnuplotExportModule : public calc::CalcModule {
public:
    GnuplotExportModule();
    ~GnuplotExportModule() override;

    const CRuntimeClass* GetEditorClass() override;
    std::vector<SAutomationPtrList> GetAutomationPtr() override;

    // "do_export": true when "Filename" now holds the script. An error, an empty first
    // array, a failed write or an abort give false and leave an existing file as it was.
    bool do_export();
};
