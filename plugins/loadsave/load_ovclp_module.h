#pragma once
// The program's own clipboard text: a header line, then one record per line, its name before
// the first ":" and its numbers after the last ":". Every record with numbers becomes one
// clipboard object, inserted as soon as it is read.
#include "load_module_base.h"

#include <string_view>

class LoadOVClpModule : public LoadModuleBase {
public:
    LoadOVClpModule();
    ~LoadOVClpModule() override;

    void GetFileDescription(std::string& extensions, std::string& description, bool* separatorUsed,
                            bool* baseNameUsed, bool* namesFromFileOffered) override;
    // Reads the file and loads it (LoadText). The target group is not used: "PreName" is.
    bool LoadFile(const std::string& fileName, const std::string& targetGroup) override;
    // Loads the bytes of a file; fileName gives the group when "PreName" is empty.
    bool LoadText(std::string_view text, const std::string& fileName);
};
