// Fuzz target of the XML spectra loader. Option byte: target group.
#include "fuzz_support.h"
#include "load_xml_module.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    fuzz::Input input(data, size);
    RecordingHost host;
    LoadXMLModule loader;
    loader.SetModuleInterface(&host);
    // The option byte first: the file is what follows it (arguments have no order of evaluation).
    const std::string group = input.Choice({"", "Import", " : ", ":::", "\xC3\xBC"});
    loader.LoadText(input.Rest(), "fuzz.xml", group);
    fuzz::CheckTrees(host);
    return 0;
}
