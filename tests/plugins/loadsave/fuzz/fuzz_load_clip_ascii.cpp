// Fuzz target of the clipboard-data text loader. Option bytes: separator, object base name,
// target group.
#include "fuzz_support.h"
#include "load_clip_ascii_module.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    fuzz::Input input(data, size);
    RecordingHost host;
    LoadClipASCIIModule loader;
    loader.SetModuleInterface(&host);
    ns_param::Paramora& p = loader.getParameters();
    p.setStringParameter("Trennzeichen", input.Choice({";", "", " ", ",", ".", ";|", "\t", "|", "="}));
    p.setStringParameter("ObjBaseName", input.Choice({"", "Probe", " : ", "\xC3\xBC"}));
    p.setStringParameter("PreName", input.Choice({"", "Import:Serie", ":::", " "}));
    loader.LoadText(input.Rest(), "/daten/Messung!LED?rot.txt");
    fuzz::CheckTrees(host);
    return 0;
}
