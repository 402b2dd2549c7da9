#pragma once
// Drive values (lightnesses) of a set of LEDs that reproduce each of a group of target
// spectra, optionally under a spectral weighting: one fit over all targets, the drive values
// of every target as a clipboard object ("Lightnesses"), and the spectrum the LEDs give at
// those values in the group "<group>_Specs" of the spectrum tree.
#include "modules/led_module_base.h"

class LedLightnessTessarine : public LEDModuleBase {
public:
    LedLightnessTessarine();
    ~LedLightnessTessarine() override;

    const CRuntimeClass* GetEditorClass() override;
    std::vector<SAutomationPtrList> GetAutomationPtr() override;

    // "calculate": true when the results were stored; false after an error line, with
    // nothing written or deleted.
    bool calculate();
};
