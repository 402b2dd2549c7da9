#include "load_xml_module.h"

#include "module_support.h"
#include "text_layer.h"

#include "core/module_interface.h"
#include "core/spectrum.h"
#include "platform/file_contents.h"

#include <xandril/xandril.h>

#include <memory>

using namespace loadsave;

LoadXMLModule::LoadXMLModule()
    : LoadModuleBase("LoadXML")
{
}

LoadXMLModule::~LoadXMLModule() = default;

void LoadXMLModule::GetFileDescription(std::string& extensions, std::string& description, bool* separatorUsed,
                                       bool* baseNameUsed, bool* namesFromFileOffered)
{
    extensions = "*.xml, *.*";
    description = "Spektren aus XML-Datei\r\n\r\nSyntax: Orvanta-internes Format\r\n\r\n";
    for (bool* flag : {separatorUsed, baseNameUsed, namesFromFileOffered}) {
        if (flag)
            *flag = false;
    }
}

bool LoadXMLModule::LoadFile(const std::string& fileName, const std::string& targetGroup)
{
    const std::optional<platform::FileBytes> bytes = ReadText(fileName);
    return bytes && !bytes->View().empty() && LoadText(bytes->View(), fileName, targetGroup);
}

bool LoadXMLModule::LoadText(std::string_view text, const std::string& fileName, const std::string& targetGroup)
{
    ModuleInterface* host = GetModuleInterface();
    if (!host || !host->GetSpectrumTree())
        return false;
    const std::string group(trimBlanks(targetGroup));
    ns_xandril::XMLReadModul reader;
    try {
        reader.readFromMemory(text, fileName);
    } catch (const ns_xandril::XMLException&) {
        return false;
    }
    if (!reader.enterGroup("Spectrums"))
        return false;
    if (reader.enterFirstGroup("Spectrum")) {
        int index = 0;
        do {
            auto spectrum = std::make_unique<Spectrum>();
            const SpectrumReadLoss loss = spectrum->readFromXML(reader);
            // A spectrum stored without a name gets one, so that it never replaces the group.
            std::string path = objectPath(group, spectrum->GetName());
            if (path.empty())
                path = objectPath(group, generatedName("Spec", index));
            spectrum->SetName(path);
            if (loss.Lost())
                LogError(*this, loss.Message(path).c_str());
            InsertSpectrum(spectrum.release());
            reader.leaveGroup();
            ++index;
        } while (reader.enterNextGroup());
    }
    reader.leaveGroup();
    return true;
}
