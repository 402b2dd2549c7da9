#include "project_fixture.h"

#include <bit>
#include <cstdio>
#include <fstream>
#include <sstream>

namespace {

struct FactoryEntry {
    const char* menuPath;
    const char* typeName;
};

// Two pairs share a type name, as the text and XML writers of the load-and-save plug-in do.
constexpr FactoryEntry kEntries[] = {
    {"Daten|ex|port:Spek|tren spei|chern:ASCII-|Text", "Save_TabbedData"},
    {"Daten|ex|port:Clip|board spei|chern:ASCII-|Text", "Save_TabbedData"},
    {"Daten|ex|port:Spek|tren spei|chern:XML", "Save_SaveXML"},
    {"Daten|ex|port:Clip|board spei|chern:XML", "Save_SaveXML"},
    {"Be|rech|nung:Planck", "Calculation_Planck"},
};

std::string Hex(std::uint64_t value)
{
    char text[24];
    std::snprintf(text, sizeof text, "%llx", static_cast<unsigned long long>(value));
    return text;
}

} // namespace

KindsModule::KindsModule(const std::string& typeName) : Module(typeName)
{
    ns_param::Paramora& p = getParameters();
    p.addBoolParameter("Aktiv", "Ist das Modul aktiv?", false, false);
    p.addByteParameter("Kanal", "Kanal", 1, 0, 200, 1);
    p.addIntParameter("Anzahl", "Anzahl der Punkte", 10, -5, 1000, 10);
    p.addFloatParameter("Faktor", "", 1.5f, -10.f, 10.f, 1.5f);
    p.addDoubleParameter("Gewicht", "Gewicht in g", 0.25, -1e300, 1e300, 0.25);
    p.addStringParameter("Datei", "Dateiname", "", "");
    ns_xandril::XMLEnumClass modes;
    for (const char* entry : {"linear", "quadratisch", "kubisch"})
        modes.addEntry(entry);
    p.addEnumParameter("Modus", "Art der Kurve", modes);
    p.addDouble1DArrayParameter("Stützwerte", "", 4, nullptr, 0.0);
    p.addByte1DArrayParameter("Farbe", "", 3, nullptr, 0);
    inner.addDoubleParameter("Temperatur", "K", 2856.0, 0.0, 1e5, 2856.0);
    inner.addStringParameter("Notiz", "", "", "");
    p.addContainerParameter("Innen", "verschachtelt", &inner);
}

KindsModule::~KindsModule() = default;

void KindsModule::Fill(int seed)
{
    ns_param::Paramora& p = getParameters();
    p.setBoolParameter("Aktiv", true);
    p.setByteParameter("Kanal", static_cast<unsigned char>(100 + seed));
    p.setIntParameter("Anzahl", -3 - seed);
    p.setFloatParameter("Faktor", 0.1f * static_cast<float>(seed + 1));
    p.setDoubleParameter("Gewicht", 0.1 + seed / 3.0);
    p.setStringParameter("Datei", " \tC:\\Messungen\\Größe & <Breite> \"x\" 'y'\r\nZeile 2\n" + std::to_string(seed) + " ");
    p.getEnumParameter("Modus")->setIndex(seed % 3);
    double* values = p.getDouble1DArrayParameter("Stützwerte");
    for (int i = 0; i < 4; ++i)
        values[i] = 1.0 / (3.0 + i + seed) - 1e-300 * i;
    unsigned char* colour = p.getByte1DArrayParameter("Farbe");
    colour[0] = 255;
    colour[1] = static_cast<unsigned char>(seed);
    colour[2] = 7;
    inner.setDoubleParameter("Temperatur", 6504.0 + seed + 1e-9);
    inner.setStringParameter("Notiz", "Über" + std::to_string(seed));
}

int KindsFactory::GetModuleCount()
{
    return static_cast<int>(std::size(kEntries));
}

Module* KindsFactory::CreateModule(int index)
{
    return index >= 0 && index < GetModuleCount() ? new KindsModule(kEntries[index].typeName) : nullptr;
}

std::string KindsFactory::GetModuleName(int index)
{
    return index >= 0 && index < GetModuleCount() ? kEntries[index].menuPath : "";
}

FakeProjectDocument::FakeProjectDocument()
{
    workspace.addContainerParameter("MainSpecViewContainer", "", &plot.MainSpectrumView);
    host.AddModules(factory);
}

FakeProjectDocument::~FakeProjectDocument() = default;

bool FakeProjectDocument::OpenFileStep(const std::string& path)
{
    return std::ifstream(path).good();
}

void FakeProjectDocument::ResetProject()
{
    ++resets;
    host.modules.ClearTree();
    host.AddModules(factory);
    host.spectra.ClearTree();
    host.clipboard.ClearTree();
}

std::vector<std::string> FakeProjectDocument::WindowLines() const
{
    std::vector<std::string> lines;
    for (const auto& [colour, text] : window)
        lines.push_back(Hex(colour) + "|" + text);
    return lines;
}

std::string Dump(const ns_param::Paramora& container, const std::string& indent)
{
    std::string out;
    for (auto it = container.getFirstParameter(); it != container.getLastParameter(); ++it) {
        const ns_param::BaseParameterType& parameter = *it->second;
        out += indent + parameter.getName() + " type " + std::to_string(parameter.getType()) + " comment '" +
               parameter.getComment() + "' range " + Hex(std::bit_cast<std::uint64_t>(parameter.getMin())) + ".." +
               Hex(std::bit_cast<std::uint64_t>(parameter.getMax())) + " = '" + parameter.getValueText() + "'\n";
        auto& mutableContainer = const_cast<ns_param::Paramora&>(container);
        if (const ns_xandril::XMLEnumClass* entries = mutableContainer.getEnumParameter(parameter.getName())) {
            out += indent + "  index " + std::to_string(entries->getIndex()) + " of";
            for (int i = 0; i < entries->getEntryCount(); ++i)
                out += " '" + entries->getEntry(i) + "'";
            out += "\n";
        }
        if (const ns_param::Paramora* nested = mutableContainer.getContainerParameter(parameter.getName()))
            out += Dump(*nested, indent + "  ");
    }
    return out;
}

std::string DumpModules(ModuleTree& tree)
{
    std::string out;
    for (Module* module : tree.GetInserters())
        out += module->GetName() + " [" + module->getClassName() + "]\n" + Dump(module->getParameters(), "  ");
    return out;
}

std::string DumpSpectra(SpectrumTree& tree)
{
    std::ostringstream out;
    for (const Spectrum* spectrum : tree.GetInserters()) {
        out << spectrum->GetName() << " '" << spectrum->GetComment() << "' colour " << Hex(spectrum->GetColor())
            << " points " << spectrum->GetPointCount() << ":";
        for (int i = 0; i < spectrum->GetPointCount(); ++i)
            out << ' ' << Hex(std::bit_cast<std::uint64_t>((*spectrum)[i].x)) << '/'
                << Hex(std::bit_cast<std::uint64_t>((*spectrum)[i].y));
        out << "\n";
    }
    return out.str();
}

std::string DumpClipboard(ClipboardTree& tree)
{
    std::string out;
    for (const ClipboardObject* object : tree.GetInserters())
        out += object->GetName() + "\n" + Dump(object->GetParameters(), "  ");
    return out;
}

Spectrum* MakeSpectrum(const std::string& path, int count, int seed)
{
    auto* spectrum = new Spectrum;
    spectrum->SetName(path);
    for (int i = 0; i < count; ++i)
        spectrum->AddPoint(SPoint(380.0 + i, std::sin(0.37 * i + seed) / (1.0 + seed) * 1e-3 + 1.0 / 3.0));
    return spectrum;
}
