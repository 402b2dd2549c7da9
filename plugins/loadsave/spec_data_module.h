#pragma once
// The picture digitiser: a loader whose editor form reads spectra off a picture of a diagram.
// It loads nothing by itself, so its command "load" does nothing.
#include "load_module_base.h"

class SpecDataModule : public LoadModuleBase {
public:
    SpecDataModule();
    ~SpecDataModule() override;

    const CRuntimeClass* GetEditorClass() override;
    // Picture files; the three flags stay as they are.
    void GetFileDescription(std::string& extensions, std::string& description, bool* separatorUsed,
                            bool* baseNameUsed, bool* namesFromFileOffered) override;
};
