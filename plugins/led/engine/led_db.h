#pragma once
// LedDB: a parameter set of LED records. It knows the 65 fields of an LED record from the
// start (so editors show every column even when it is empty), and its entries derive
// missing fields through the shared LEDValueCalculator.

#include "engine/param_container_set.h"

class LedDB : public ParamContainerSet {
public:
    LedDB();
    ~LedDB() override = default;

    // The 65 field names of an LED record, in their order.
    static const char* const kFieldNames[65];
};
