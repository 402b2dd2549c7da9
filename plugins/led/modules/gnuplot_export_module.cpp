#include "modules/gnuplot_export_module.h"

#include "modules/gnuplot_export_form.h"

#include "core/clipboard_object.h"
#include "core/module_interface.h"
#include "core/number_text.h"
#include "platform/file_contents.h"

#include <charconv>
#include <cstring>
#include <vector>

namespace {

// The double array of that name on the object, or null.
const ns_param::Double1DArrayParameterType* ArrayOf(ClipboardObject& object, const std::string& key)
{
    const ns_param::BaseParameterType* parameter = object.GetParameters().getParameter(key);
    return parameter && parameter->getType() == ns_param::TYPE_DOUBLE_1D_ARRAY
               ? static_cast<const ns_param::Double1DArrayParameterType*>(parameter)
               : nullptr;
}

} // namespace

GnuplotExportModule::GnuplotExportModule()
    : calc::CalcModule("LEDModules_GnuplotExport")
{
    ns_param::Paramora& p = getParameters();
    p.addStringParameter("Filename", "", "", "");
    const std::string init = "set terminal png\nset output \"output.png\"\n";
    p.addStringParameter("InitSequence", "", init, init);
    p.addStringParameter("ClipboardObjectsDesc", "", "", "");
    p.addStringParameter("ViewSettings", "", "with dots", "with dots");
}

GnuplotExportModule::~GnuplotExportModule() = default;

const CRuntimeClass* GnuplotExportModule::GetEditorClass()
{
    return RUNTIME_CLASS(CGnuplotExportForm);
}

std::vector<SAutomationPtrList> GnuplotExportModule::GetAutomationPtr()
{
    return {SAutomationPtrList("do_export",
                               static_cast<SAutomationPtrList::Function>(&GnuplotExportModule::do_export))};
}

bool GnuplotExportModule::do_export()
{
    RunScope opened(*this, Numbers::Read, kClipboard);
    if (!opened)
        return false;
    ModuleInterface* host = opened.host;
    ClipboardTree* tree = opened.clipboard;
    ns_param::Paramora& p = opened.p;

    const std::vector<ClipboardObject*> objects = tree->GetInserterVector(*p.getStringParameter("ClipboardObjectsDesc"));
    if (objects.empty()) {
        calc::LogError(host, "Fehler: Keine Messwerte oder Helligkeiten angegeben!");
        return false;
    }
    std::string key;
    if (ArrayOf(*objects.front(), "Measures"))
        key = "Measures";
    if (ArrayOf(*objects.front(), "Lightnesses"))
        key = "Lightnesses";
    if (key.empty()) {
        calc::LogError(host, "Fehler: Unbekanntes Datenformat im ersten Element!");
        return false;
    }
    const int count = ArrayOf(*objects.front(), key)->getCount();
    // "plot " without a series is no command gnuplot takes.
    if (count == 0) {
        calc::LogError(host, "Fehler: Keine Messwerte oder Helligkeiten angegeben!");
        return false;
    }

    host->SetStatusText("Lese Werte ein...");
    // The arrays of every object with count entries, copied (the host may handle events
    // while it shows the progress): value t of row i at i * count + t.
    std::vector<double> table;
    for (ClipboardObject* object : objects) {
        const ns_param::Double1DArrayParameterType* array = ArrayOf(*object, key);
        if (array && array->getCount() == count)
            table.insert(table.end(), array->getValues(), array->getValues() + count);
    }
    const std::size_t rows = table.size() / static_cast<std::size_t>(count);

    // The text goes to the file in blocks as it is formatted.
    const std::string& fileName = *p.getStringParameter("Filename");
    platform::FileReplacement file(fileName);
    if (!file.Ok()) {
        host->AddLogColorMessage(calc::kErrorColour, "Fehler: Konnte Datei '%s' nicht zum Schreiben öffnen!",
                                 fileName.c_str());
        return false;
    }
    std::string& out = file.Text();
    out = *p.getStringParameter("InitSequence");
    out += "\nplot ";
    const std::string& style = *p.getStringParameter("ViewSettings");
    for (int t = 0; t < count; ++t) {
        out += "'-' ";
        out += style;
        if (t + 1 < count)
            out += ", ";
    }
    out += '\n';

    host->SetProgressBarPercentage(0);
    host->SetStatusText("Schreibe Datei...");
    // A row: "\t<row number>\t", the value as "%16.8f" (a wider value in full), a line end.
    char row[32 + number_text::kFormatFixedSize];
    char number[number_text::kFormatFixedSize];
    constexpr std::size_t kWidth = 16;
    for (int t = 0; t < count; ++t) {
        for (std::size_t i = 0; i < rows; ++i) {
            char* end = row;
            *end++ = '\t';
            end = std::to_chars(end, row + 24, i).ptr;
            *end++ = '\t';
            const double value = table[i * static_cast<std::size_t>(count) + static_cast<std::size_t>(t)];
            const std::size_t length = static_cast<std::size_t>(number_text::FormatFixed(value, 8, number) - number);
            if (length < kWidth) {
                std::memset(end, ' ', kWidth - length);
                end += kWidth - length;
            }
            std::memcpy(end, number, length);
            end += length;
            *end++ = '\n';
            out.append(row, end);
            file.Spill();
        }
        out += "e\n";
        host->SetProgressBarPercentage(t * 100.0 / count);
        // A script that names more series than it holds would not run: nothing is written.
        if (host->UserWantsAbort()) {
            calc::LogHint(host, "Hinweis: Export abgebrochen, die Datei wurde nicht geschrieben.");
            return false;
        }
    }

    if (!file.Commit()) {
        host->AddLogColorMessage(calc::kErrorColour, "Fehler: Konnte Datei '%s' nicht zum Schreiben öffnen!",
                                 fileName.c_str());
        return false;
    }
    return true;
}
