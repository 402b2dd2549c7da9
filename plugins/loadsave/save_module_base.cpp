#include "save_module_base.h"

#include "messages.h"
#include "module_support.h"
#include "save_form.h"

#include "core/calculation_guard.h"
#include "core/clipboard_object.h"
#include "core/module_interface.h"
#include "core/spectrum.h"

SaveModuleBase::SaveModuleBase(const std::string& typeText)
    : Module("Save_" + typeText)
{
    ns_param::Paramora& p = getParameters();
    p.addStringParameter("SpecListDesc", "", "", "");
    p.addStringParameter("FileName", "", "", "");
    p.addStringParameter("Trennzeichen", "", "", "");
    p.addBoolParameter("SaveNames", "", false, false);
    p.addBoolParameter("CompactFile", "", false, false);
    p.addBoolParameter("NoNames", "", false, false);
}

SaveModuleBase::~SaveModuleBase() = default;

const CRuntimeClass* SaveModuleBase::GetEditorClass() { return RUNTIME_CLASS(SaveForm); }

std::vector<SAutomationPtrList> SaveModuleBase::GetAutomationPtr()
{
    return {{"save", static_cast<SAutomationPtrList::Function>(&SaveModuleBase::RunSave)}};
}

void SaveModuleBase::GetFileDescription(std::string& extensions, std::string& description, bool* separatorUsed,
                                        bool*, bool*, bool*)
{
    extensions = "*.*";
    description = "Datenobjekt\r\n\r\nSyntax:\r\n\r\n";
    *separatorUsed = false;
}

void SaveModuleBase::GetObjectKind(std::string& kind) { kind = "Spektren- oder Clipboardobjekte"; }

bool SaveModuleBase::SaveObjects(const std::string& fileName, const std::string& selection)
{
    ModuleInterface* host = GetModuleInterface();
    if (!host)
        return false;
    const CalculationGuard calculation(host);

    SpectrumList spectra;
    if (SpectrumTree* tree = host->GetSpectrumTree())
        spectra = tree->GetInserters(selection, false);
    std::list<ClipboardObject*> objects;
    if (ClipboardTree* tree = host->GetClipboardTree())
        objects = tree->GetInserters(selection, false);

    std::string kind;
    GetObjectKind(kind);
    if (kind == "Spektrenobjekte")
        return SaveSpectra(fileName, spectra);
    return !objects.empty() && SaveClipboardObjects(fileName, objects);
}

bool SaveModuleBase::SaveSpectra(const std::string&, const SpectrumList&) { return false; }

bool SaveModuleBase::SaveClipboardObjects(const std::string&, const std::list<ClipboardObject*>&) { return false; }

bool SaveModuleBase::RunSave() { return SaveObjects(loadsave::StringParameter(*this, "FileName"), loadsave::StringParameter(*this, "SpecListDesc")); }

bool SaveModuleBase::IsClipboardModule() const { return GetName().find("Clip") != std::string::npos; }



