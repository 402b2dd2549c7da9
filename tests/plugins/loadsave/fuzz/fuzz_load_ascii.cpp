// Fuzz target of the column-text spectra loader. Option bytes: separator, names from the file,
// object base name, target group, wavelength factor.
#include "fuzz_support.h"
#include "load_ascii_module.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    fuzz::Input input(data, size);
    RecordingHost host;
    LoadASCIIModule loader;
    loader.SetModuleInterface(&host);
    ns_param::Paramora& p = loader.getParameters();
    p.setStringParameter("Trennzeichen", input.Choice({";", "", " ", ",", ".", " ; ", ";|", "\t", "|", "1"}));
    p.setBoolParameter("UseNamesFromFile", input.Byte() & 1);
    p.setStringParameter("ObjBaseName", input.Choice({"", "Probe", " : ", "\xC3\xBC"}));
    p.setStringParameter("PreName", input.Choice({"", "Import:Serie", ":::", " "}));
    static const double factors[] = {1, 1000, 0, 1e-3, 1e6};
    p.setDoubleParameter("WavelengthNorm2nm", factors[input.Byte() % 5]);
    loader.LoadText(input.Rest(), "/daten/Messung!LED?rot.txt");
    fuzz::CheckTrees(host);
    return 0;
}
