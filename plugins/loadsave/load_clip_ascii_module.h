#pragma once
// Clipboard data from a text: numeric records with a separator or with blanks, one per line
// (a name, then the values), or a Meta block of named values of mixed kinds. Every record
// becomes one clipboard object, inserted as soon as it is read.
#include "load_module_base.h"

#include <string_view>

class LoadClipASCIIModule : public LoadModuleBase {
public:
    LoadClipASCIIModule();
    ~LoadClipASCIIModule() override;

    void GetFileDescription(std::string& extensions, std::string& description, bool* separatorUsed,
                            bool* baseNameUsed, bool* namesFromFileOffered) override;
    // Reads the file and loads it (LoadText). The target group is not used: "PreName" is.
    bool LoadFile(const std::string& fileName, const std::string& targetGroup) override;
    // Loads the bytes of a file; fileName gives the group when "PreName" is empty.
    bool LoadText(std::string_view text, const std::string& fileName);
};
