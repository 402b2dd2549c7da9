// Fuzz target of the own clipboard-text loader. Option bytes: object base name, target group.
#include "fuzz_support.h"
#include "load_ovclp_module.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    fuzz::Input input(data, size);
    RecordingHost host;
    LoadOVClpModule loader;
    loader.SetModuleInterface(&host);
    ns_param::Paramora& p = loader.getParameters();
    p.setStringParameter("ObjBaseName", input.Choice({"", "Satz", " : ", "\xC3\xBC"}));
    p.setStringParameter("PreName", input.Choice({"", "Import:Serie", ":::", " "}));
    loader.LoadText(input.Rest(), "/daten/Messung!LED?rot.txt");
    fuzz::CheckTrees(host);
    return 0;
}
