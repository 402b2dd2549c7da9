#pragma once
// Spectra of one LED array under random operating conditions: for every drive vector a
// number of spectra, each with the drive values scaled by random factors, at a random
// junction temperature and, optionally, with the models' parameters drawn within their
// database limits. One spectrum group per drive vector.
#include "modules/led_module_base.h"

class LEDRandomSpecsModule : public LEDModuleBase {
public:
    LEDRandomSpecsModule();
    ~LEDRandomSpecsModule() override;

    const CRuntimeClass* GetEditorClass() override;
    std::vector<SAutomationPtrList> GetAutomationPtr() override;

    // "calculate_specs": false when no LED record is given or the wavelength range is not
    // usable (the grid then stays as it was); true otherwise, also after an abort.
    bool calculate_specs();
};
