#pragma once
// The checks of the digitiser form before the picture opens, in their order.
#include "digitiser_calibration.h"

#include <string>

// The form's texts as the module holds them.
struct DigitiserForm {
    std::string xStart;
    std::string xEnd;
    std::string yStart;
    std::string yEnd;
    std::string picOff; // border in pixels
    std::string file;
    bool xLog = false;
    bool yLog = false;
};

struct DigitiserInput {
    std::string message; // the first failing check's text; empty when all passed
    DigitiserAxes axes;  // read from the form (valueDecimals from yStart)
    double border = 0;
};

// Each text is trimmed of " \t\r\n"; numbers are decimals with "." and at most one sign,
// read whatever the process locale.
DigitiserInput CheckDigitiserForm(const DigitiserForm& form);
