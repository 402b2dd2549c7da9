#include "save_xml_module.h"

#include "clipboard_values.h"
#include "messages.h"
#include "module_support.h"

#include "core/clipboard_object.h"
#include "core/spectrum.h"

#include <xandril/xandril.h>

using namespace loadsave;

namespace {

void XmlDescription(std::string& extensions, std::string& description, bool* separatorUsed, const char* what)
{
    extensions = "*.xml";
    description = std::string("von ") + what + " als XML-Datei\r\n\r\nSyntax:\r\nOrvanta-internes Format\r\n\r\n";
    *separatorUsed = false;
}

// Writes the document; a failure is logged and leaves an old file whole.
bool WriteDocument(Module& module, ns_xandril::XMLWriteModul& writer, const std::string& fileName)
{
    if (writer.writeToFile(WithXmlExtension(fileName)))
        return true;
    LogError(module, msg::kCannotOpen);
    return false;
}

} // namespace

namespace loadsave {

std::string WithXmlExtension(const std::string& path)
{
    return path.find(".xml") == std::string::npos ? path + ".xml" : path;
}

} // namespace loadsave

SaveXMLModule::SaveXMLModule()
    : SaveModuleBase("SaveXML")
{
}

SaveXMLModule::~SaveXMLModule() = default;

void SaveXMLModule::GetFileDescription(std::string& extensions, std::string& description, bool* separatorUsed,
                                       bool*, bool*, bool*)
{
    XmlDescription(extensions, description, separatorUsed, "Spektren");
}

void SaveXMLModule::GetObjectKind(std::string& kind) { kind = "Spektrenobjekte"; }

bool SaveXMLModule::SaveSpectra(const std::string& fileName, const SpectrumList& spectra)
{
    ns_xandril::XMLWriteModul writer;
    writer.enterGroup("Spectrums");
    for (const Spectrum* spectrum : spectra) {
        writer.enterGroup("Spectrum");
        spectrum->writeToXML(writer);
        writer.leaveGroup();
    }
    writer.leaveGroup();
    return WriteDocument(*this, writer, fileName);
}

SaveXMLModuleClp::SaveXMLModuleClp()
    : SaveModuleBase("SaveXML")
{
}

SaveXMLModuleClp::~SaveXMLModuleClp() = default;

void SaveXMLModuleClp::GetFileDescription(std::string& extensions, std::string& description, bool* separatorUsed,
                                          bool*, bool*, bool*)
{
    XmlDescription(extensions, description, separatorUsed, "Clipboard-Daten");
}

void SaveXMLModuleClp::GetObjectKind(std::string& kind) { kind = "Clipboardobjekte"; }

bool SaveXMLModuleClp::SaveClipboardObjects(const std::string& fileName, const std::list<ClipboardObject*>& objects)
{
    ns_xandril::XMLWriteModul writer;
    writer.enterGroup("Clipboards");
    for (const ClipboardObject* object : objects) {
        const auto values = ClipboardValuesOf(object->GetParameters());
        if (!values)
            return false;
        Spectrum spectrum;
        spectrum.SetName(ns_tree::NormalizePath(object->GetName()));
        for (std::size_t k = 0; k < values->size(); ++k)
            spectrum.AddPoint(SPoint(static_cast<double>(k + 1), (*values)[k]));
        writer.enterGroup("Clipboard");
        spectrum.writeToXML(writer);
        writer.leaveGroup();
    }
    writer.leaveGroup();
    return WriteDocument(*this, writer, fileName);
}
