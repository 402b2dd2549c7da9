#include "spec_data_module.h"

#include "sample_dialog.h"

SpecDataModule::SpecDataModule()
    : LoadModuleBase("Spec")
{
}

SpecDataModule::~SpecDataModule() = default;

const CRuntimeClass* SpecDataModule::GetEditorClass()
{
    return RUNTIME_CLASS(SampleDialog);
}

void SpecDataModule::GetFileDescription(std::string& extensions, std::string& description, bool*, bool*, bool*)
{
    extensions = "*.jpg, *.jpeg, *.png, *.bmp";
    description = "einer Bitmap-|JPEG-|PNG-Datei";
}
