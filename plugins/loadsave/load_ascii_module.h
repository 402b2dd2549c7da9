#pragma once
// Spectra from a column text: an optional name line, then lines of a wavelength and one value
// per spectrum. Every value column becomes one spectrum under the group taken from the file
// name or from "PreName". Nothing is added before the whole file has been read.
#include "load_module_base.h"

#include <string_view>

class LoadASCIIModule : public LoadModuleBase {
public:
    LoadASCIIModule();
    ~LoadASCIIModule() override;

    void GetFileDescription(std::string& extensions, std::string& description, bool* separatorUsed,
                            bool* baseNameUsed, bool* namesFromFileOffered) override;
    // Reads the file and loads it (LoadText). The target group is not used: "PreName" is.
    bool LoadFile(const std::string& fileName, const std::string& targetGroup) override;
    // Loads the bytes of a file; fileName gives the group when "PreName" is empty.
    bool LoadText(std::string_view text, const std::string& fileName);
};
