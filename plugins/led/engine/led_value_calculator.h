#pragma once
// The event handler of the LED database: computes fields an LED record does not hold from
// other fields of the same record (electrical power, chromaticity of the model spectrum,
// radiant power, tolerance limits, the semiconductor material and its thermal
// coefficients). Results are "%g" texts; the record caches them as derived values.

#include "core/param_container.h"

class LEDValueCalculator : public ParamContainerEventHandler {
public:
    // The one instance every LED database uses; it has no state.
    static LEDValueCalculator& Instance();

    // False for a key that is not derived, for a missing input and when the computation
    // has no result (nothing is then cached, and the next lookup tries again).
    bool DeriveValue(const ParamContainer& record, const std::string& key, std::string& value) override;
};
