#pragma once
// Two twin modules that file a series of LED model records as clipboard objects: centre
// wavelengths spread evenly over a range, one model kind and one width, optionally noised.
// MultiEDCreateModule ("ecreate") offers four model functions, MultiLEDCreateModule
// ("create") three LED models; they differ in key order, names, texts and noise.
#include "modules/led_module_base.h"

#include <functional>

// What the twins share: the parameters and the run.
class MultiCreateModuleBase : public LEDModuleBase {
public:
    ~MultiCreateModuleBase() override;

    const CRuntimeClass* GetEditorClass() override;
    // The six extended model parameters reach no record: a run never refuses them.
    calc::OwnRange OwnRangeOf(const std::string& name) override;

    // The clock the noise seeds take their "time" from (seconds); tests put in a fixed one.
    // An empty function restores the system clock.
    static void SetTimeSource(std::function<unsigned()> source);
    static unsigned Time();

    // The "LEDModel" entries of the twin (MultiLEDCreateModule when led).
    static std::vector<std::string> ModelEntries(bool led);

protected:
    MultiCreateModuleBase(const std::string& name, bool led);

    // The run: false (nothing written) for a count below 1, a parameter out of range or
    // while another operation of the module runs.
    bool Generate();

private:
    bool m_led;
};

class MultiEDCreateModule : public MultiCreateModuleBase {
public:
    MultiEDCreateModule();
    ~MultiEDCreateModule() override;

    std::vector<SAutomationPtrList> GetAutomationPtr() override;
    bool ecreate();
};

class MultiLEDCreateModule : public MultiCreateModuleBase {
public:
    MultiLEDCreateModule();
    ~MultiLEDCreateModule() override;

    std::vector<SAutomationPtrList> GetAutomationPtr() override;
    bool create();
};

// Model names written into the records, by "LEDModel" index ("" beyond the table).
std::string LEDModelNameOf(int index);
// The noise of the twins on width w and centre c (both µm), drawn from platform::Rand with
// seeds from time. A noised width that is not positive keeps its value.
void NoiseModelParams(double& w, double& c, double (&ext)[6], unsigned time);
void NoiseLEDParams(double& w, double& c, unsigned time);
