#pragma once
// Two twin modules that turn LED records of the clipboard tree into spectra: each record's
// model sampled on the module's grid at the model temperature, filed under "SpecGroup".
// EDSpecsCreateModule runs "create_especs", LEDSpecsCreateModule "create_specs".
#include "modules/led_module_base.h"

class SpecsCreateModuleBase : public LEDModuleBase {
public:
    ~SpecsCreateModuleBase() override;

    const CRuntimeClass* GetEditorClass() override;

protected:
    explicit SpecsCreateModuleBase(const std::string& name);

    // The run: false for an empty selection, a bad grid or a parameter out of range (with a
    // log line, nothing filed, the global grid unchanged) and while another operation of the
    // module runs.
    bool Generate();
};

class EDSpecsCreateModule : public SpecsCreateModuleBase {
public:
    EDSpecsCreateModule();
    ~EDSpecsCreateModule() override;

    std::vector<SAutomationPtrList> GetAutomationPtr() override;
    bool create_especs();
};

class LEDSpecsCreateModule : public SpecsCreateModuleBase {
public:
    LEDSpecsCreateModule();
    ~LEDSpecsCreateModule() override;

    std::vector<SAutomationPtrList> GetAutomationPtr() override;
    bool create_specs();
};
