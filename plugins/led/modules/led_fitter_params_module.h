#pragma once
// The base of the modules that run the LED-array fitter: the fitter's sixteen settings as
// module parameters (stored with the project, settable by scripts) and their conversion to
// and from an LEDFitterSettings record.
#include "modules/led_module_base.h"

struct LEDFitterSettings;

class LEDFitterParamsModule : public LEDModuleBase {
public:
    ~LEDFitterParamsModule() override;

    // The parameters into settings; the target and observer spectra are read from the
    // spectrum tree (inside a run, opened here only when none is open).
    void GetFitterSettings(LEDFitterSettings& settings);
    // The fields of settings into the parameters; the spectra descriptions stay.
    void SetFitterSettings(const LEDFitterSettings& settings);

protected:
    explicit LEDFitterParamsModule(const std::string& name);
};
