#include "modules/gnuplot_export_module.h"

#include "modules/gnuplot_export_form.h"

#include "core/clipboard_object.h"
#include "core/module_interface.h"
#include "platform/file_contents.h"

#include <charconv>
#include <cstring>
#include <list>
#include <vector>

namespace {

// The double array of that name on the object, or null.
const ns_param::Double1DArrayParameterType* ArrayOf(ClipboardObject& object, const char* key)
{
    return dynamic_cast<const ns_param::Double1DArrayParameterType*>(object.GetParameters().getParameter(key));
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

void GnuplotExportModule::AppendRow(std::string& out, int row, double value)
{
    char buf[400];
    char* p = buf;
    *p++ = '\t';
    p = std::to_chars(p, buf + 20, row).ptr;
    *p++ = '\t';
    // Right-aligned in 16 characters; a wider value is written in full.
    char number[360];
    const auto res = std::to_chars(number, number + sizeof number, value, std::chars_format::fixed, 8);
    const std::size_t length = static_cast<std::size_t>(res.ptr - number);
    for (std::size_t k = length; k < 16; ++k)
        *p++ = ' ';
    std::memcpy(p, number, length);
    p += length;
    *p++ = '\n';
    out.append(buf, static_cast<std::size_t>(p - buf));
}

bool GnuplotExportModule::do_export()
{
    RunGuard guard(*this);
    if (!guard)
        return false;
    ModuleInterface* host = GetModuleInterface();
    ClipboardTree* tree = host ? host->GetClipboardTree() : nullptr;
    if (!tree)
        return false;
    ns_param::Paramora& p = getParameters();

    const std::list<ClipboardObject*> objects = tree->GetInserters(*p.getStringParameter("ClipboardObjectsDesc"), false);
    if (objects.empty()) {
        calc::LogError(host, "Fehler: Keine Messwerte oder Helligkeiten angegeben!");
        return false;
    }
    const char* key = nullptr;
    if (ArrayOf(*objects.front(), "Measures"))
        key = "Measures";
    if (ArrayOf(*objects.front(), "Lightnesses"))
        key = "Lightnesses";
    if (!key) {
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
    // The table: the values of every object whose array has count entries, row by row.
    std::vector<double> table;
    for (ClipboardObject* object : objects) {
        const ns_param::Double1DArrayParameterType* array = ArrayOf(*object, key);
        if (array && array->getCount() == count)
            table.insert(table.end(), array->getValues(), array->getValues() + count);
    }
    const std::size_t rows = table.size() / static_cast<std::size_t>(count);

    std::string out = *p.getStringParameter("InitSequence");
    out += "\nplot ";
    const std::string& style = *p.getStringParameter("ViewSettings");
    for (int t = 0; t < count; ++t) {
        out += "'-' ";
        out += style;
        if (t + 1 < count)
            out += ", ";
    }
    out += '\n';
    out.reserve(out.size() + static_cast<std::size_t>(count) * (rows * 30 + 2));

    host->SetProgressBarPercentage(0);
    host->SetStatusText("Schreibe Datei...");
    for (int t = 0; t < count; ++t) {
        for (std::size_t i = 0; i < rows; ++i)
            AppendRow(out, static_cast<int>(i), table[i * static_cast<std::size_t>(count) + static_cast<std::size_t>(t)]);
        out += "e\n";
        host->SetProgressBarPercentage(t * 100.0 / count);
        // A script that names more series than it holds would not run: nothing is written.
        if (host->UserWantsAbort()) {
            calc::LogHint(host, "Hinweis: Export abgebrochen, die Datei wurde nicht geschrieben.");
            return false;
        }
    }

    const std::string& fileName = *p.getStringParameter("Filename");
    if (!platform::ReplaceFileContents(fileName, out)) {
        host->AddLogColorMessage(calc::kErrorColour, "Fehler: Konnte Datei '%s' nicht zum Schreiben öffnen!",
                                 fileName.c_str());
        return false;
    }
    return true;
}
