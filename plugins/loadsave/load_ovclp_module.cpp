#include "load_ovclp_module.h"

#include "clipboard_values.h"
#include "module_support.h"
#include "text_layer.h"

#include "core/clipboard_object.h"
#include "core/module_interface.h"


using namespace loadsave;

LoadOVClpModule::LoadOVClpModule()
    : LoadModuleBase("OVClp")
{
}

LoadOVClpModule::~LoadOVClpModule() = default;

void LoadOVClpModule::GetFileDescription(std::string& extensions, std::string& description, bool* separatorUsed,
                                         bool* baseNameUsed, bool* namesFromFileOffered)
{
    extensions = "*.txt, *.*";
    description = "Clipboard-Daten aus ASCII-Text-Datei\r\n\r\nSyntax: Orvanta-internes Format\r\n\r\n";
    if (separatorUsed)
        *separatorUsed = false;
    if (baseNameUsed)
        *baseNameUsed = true;
    if (namesFromFileOffered)
        *namesFromFileOffered = false;
}

bool LoadOVClpModule::LoadFile(const std::string& fileName, const std::string&)
{
    const std::optional<platform::FileBytes> bytes = ReadText(fileName);
    return bytes && LoadText(bytes->View(), fileName);
}

bool LoadOVClpModule::LoadText(std::string_view text, const std::string& fileName)
{
    ModuleInterface* host = GetModuleInterface();
    if (!host || !host->GetClipboardTree())
        return false;

    const std::string baseName(trimBlanks(StringParameter(*this, "ObjBaseName")));
    const std::string group = TargetGroup(fileName);

    LineReader lines(text);
    std::string_view line;
    lines.Next(line); // the header
    lines.NextNonBlank(line, false);
    const std::size_t firstColon = line.find(':');
    if (firstColon == std::string_view::npos)
        return false;

    // The first record's values decide the decimal mark of the file. Every value is read as a
    // decimal, also when the first record holds whole numbers only, so that the decimals of
    // later records are kept.
    const char mark = decimalMarkOf(line.substr(line.rfind(':') + 1));

    int counter = 0; // counts every record, named or not
    bool first = true;
    do {
        const std::size_t colon = line.find(':');
        std::string_view name = line.substr(0, colon);
        if (first)
            name = trimBlanks(name);
        first = false;
        const std::string_view values = colon == std::string_view::npos ? line : line.substr(line.rfind(':') + 1);

        std::string path;
        if (baseName.empty() && !trimBlanks(name).empty())
            path = objectPath(group, decodeName(name));
        if (path.empty())
            path = objectPath(group, generatedName(baseName.empty() ? "ClpObj" : baseName, counter));
        ++counter;

        const auto record = ClipboardValues::FromBlankSeparated(values, [&](std::string_view field) {
            return parseDoublePrefix(field, mark);
        });
        if (!record.Empty())
            InsertClipboardRecord(path, record);
    } while (lines.NextNonBlank(line, false));
    return true;
}
