#include "load_module_base.h"

#include "clipboard_values.h"
#include "load_form.h"
#include "text_layer.h"
#include "messages.h"
#include "module_support.h"

#include "core/clipboard_object.h"
#include "core/module_interface.h"
#include "core/spectrum.h"

#include <memory>
#include <new>

LoadModuleBase::LoadModuleBase(const std::string& typeText)
    : Module("Load_" + typeText)
{
    ns_param::Paramora& p = getParameters();
    p.addStringParameter("ObjBaseName", "", "", "");
    p.addStringParameter("PreName", "", "", "");
    p.addStringParameter("FileName", "", "", "");
    p.addStringParameter("File", "", "", "");
    p.addStringParameter("XStart", "", "380", "");
    p.addStringParameter("YStart", "", "0", "");
    p.addStringParameter("XEnd", "", "780", "");
    p.addStringParameter("YEnd", "", "1", "");
    p.addStringParameter("PicOff", "", "0", "");
    p.addStringParameter("Trennzeichen", "", ";", "");
    p.addBoolParameter("UseNamesFromFile", "", false, false);
    p.addBoolParameter("YLog", "", false, false);
    p.addBoolParameter("XLog", "", false, false);
    p.addDoubleParameter("WavelengthNorm2nm", "", 1.0, 0.0, 1000000.0, 1.0);
}

LoadModuleBase::~LoadModuleBase() = default;

const CRuntimeClass* LoadModuleBase::GetEditorClass() { return RUNTIME_CLASS(LoadForm); }

std::vector<SAutomationPtrList> LoadModuleBase::GetAutomationPtr()
{
    return {{"load", static_cast<SAutomationPtrList::Function>(&LoadModuleBase::RunLoad)}};
}

void LoadModuleBase::GetFileDescription(std::string& extensions, std::string& description, bool*, bool*, bool*)
{
    extensions = "*.*";
    description = "Datenobjekt\r\n\r\nSyntax:\r\n\r\n\r\n";
}

bool LoadModuleBase::LoadFile(const std::string&, const std::string&) { return false; }

bool LoadModuleBase::Load(const std::string& fileName, const std::string& targetGroup)
{
    try {
        return LoadFile(fileName, targetGroup);
    } catch (const std::bad_alloc&) {
        loadsave::LogError(*this, loadsave::msg::kOutOfMemory);
        return false;
    }
}

bool LoadModuleBase::RunLoad() { return Load(loadsave::StringParameter(*this, "FileName"), loadsave::StringParameter(*this, "PreName")); }



std::optional<std::string> LoadModuleBase::TextSeparator()
{
    std::string separator = loadsave::cleanSeparator(loadsave::StringParameter(*this, "Trennzeichen"));
    if (!loadsave::isRefusedSeparator(separator))
        return separator;
    loadsave::LogError(*this, loadsave::msg::kSeparatorRefused);
    return std::nullopt;
}

std::string LoadModuleBase::TargetGroup(const std::string& fileName)
{
    const std::string preName(loadsave::trimBlanks(loadsave::StringParameter(*this, "PreName")));
    return preName.empty() ? loadsave::groupFromFileName(fileName) : preName;
}

std::optional<platform::FileBytes> LoadModuleBase::ReadText(const std::string& fileName)
{
    platform::FileBytes bytes;
    bytes.Read(fileName);
    if (bytes.TooLarge()) {
        loadsave::LogError(*this, loadsave::msg::kFileTooLarge);
        return std::nullopt;
    }
    if (bytes.NotRegularFile()) {
        loadsave::LogError(*this, loadsave::msg::kNotRegularFile);
        return std::nullopt;
    }
    return bytes;
}

namespace {

template <class TreeT, class T>
bool InsertInto(TreeT* tree, T* object)
{
    std::unique_ptr<T> owned(object);
    if (!tree || !tree->AddInserter(object))
        return false;
    owned.release();
    return true;
}

} // namespace

bool LoadModuleBase::InsertSpectrum(Spectrum* spectrum)
{
    ModuleInterface* host = GetModuleInterface();
    return InsertInto(host ? host->GetSpectrumTree() : nullptr, spectrum);
}

bool LoadModuleBase::InsertClipboardObject(ClipboardObject* object)
{
    ModuleInterface* host = GetModuleInterface();
    return InsertInto(host ? host->GetClipboardTree() : nullptr, object);
}

bool LoadModuleBase::InsertClipboardRecord(const std::string& path, const loadsave::ClipboardValues& record)
{
    auto* object = new ClipboardObject;
    object->SetName(path);
    record.StoreIn(*object);
    return InsertClipboardObject(object);
}
