#pragma once
// The two modules of the test plug-in.
#include "core/module.h"

#include <xandril/xandril.h>

// Parameters of several kinds, three operations, and an editor form.
class TestSourceModule : public Module {
public:
    TestSourceModule();
    ~TestSourceModule() override;

    const CRuntimeClass* GetEditorClass() override;
    std::vector<SAutomationPtrList> GetAutomationPtr() override;

    // The entries of the "Mode" enumeration, for the form's combo box.
    static ns_xandril::XMLEnumClass ModeEntries();

private:
    bool Load();
    bool Fail();
    bool Throw();
};

// No operations, one parameter.
class TestSinkModule : public Module {
public:
    TestSinkModule();
    ~TestSinkModule() override;

    const CRuntimeClass* GetEditorClass() override;
};
