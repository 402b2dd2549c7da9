#pragma once
// The XML savers: selected spectra as "Spectrums"/"Spectrum" groups, or selected clipboard
// objects as "Clipboards"/"Clipboard" groups, each written as a spectrum of its "ClpValues"
// (x = 1, 2, ...). Both carry the type name Save_SaveXML.
#include "save_module_base.h"

class SaveXMLModule : public SaveModuleBase {
public:
    SaveXMLModule();
    ~SaveXMLModule() override;

    void GetFileDescription(std::string& extensions, std::string& description, bool* separatorUsed, bool* flag2,
                            bool* flag3, bool* flag4) override;
    void GetObjectKind(std::string& kind) override;
    // An empty selection writes an empty "Spectrums" group.
    bool SaveSpectra(const std::string& fileName, const SpectrumList& spectra) override;
};

class SaveXMLModuleClp : public SaveModuleBase {
public:
    SaveXMLModuleClp();
    ~SaveXMLModuleClp() override;

    void GetFileDescription(std::string& extensions, std::string& description, bool* separatorUsed, bool* flag2,
                            bool* flag3, bool* flag4) override;
    void GetObjectKind(std::string& kind) override;
    // Writes nothing and fails when an object has no double array "ClpValues".
    bool SaveClipboardObjects(const std::string& fileName, const std::list<ClipboardObject*>& objects) override;
};

namespace loadsave {

// ".xml" appended to a path that does not contain ".xml" anywhere.
std::string WithXmlExtension(const std::string& path);

} // namespace loadsave
