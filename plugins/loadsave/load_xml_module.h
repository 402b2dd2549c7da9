#pragma once
// Spectra from the program's own XML spectrum file (group "Spectrums", one group "Spectrum"
// each), added to the spectrum tree one by one, optionally below a target group.
#include "load_module_base.h"

#include <string_view>

class LoadXMLModule : public LoadModuleBase {
public:
    LoadXMLModule();
    ~LoadXMLModule() override;

    void GetFileDescription(std::string& extensions, std::string& description, bool* separatorUsed,
                            bool* baseNameUsed, bool* namesFromFileOffered) override;
    // Reads the file and loads it (LoadText) below targetGroup (trimmed; empty: as stored).
    bool LoadFile(const std::string& fileName, const std::string& targetGroup) override;
    // Loads a document held in memory; fileName names it.
    bool LoadText(std::string_view text, const std::string& fileName, const std::string& targetGroup);
};
