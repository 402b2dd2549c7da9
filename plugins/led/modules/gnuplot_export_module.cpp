#include "modules/gnuplot_export_module.h"

#include "modules/gnuplot_export_form.h"

#include "core/clipboard_object.h"
#include "core/module_interface.h"
#include "core/number_text.h"
#include "platform/file_contents.h"

#include <algorithm>
#include <cstring>
#include <vector>

namespace {

// The double array of that name on the object, or null.
const ns_param::Double1DArrayParameterType* ArrayOf(ClipboardObject& object, const std::string& key)
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

namespace {

// "\t<row number>\t" in a buffer of 16 characters, from row 0 on.
struct RowLabel {
    char text[16] = {'\t', '0', '\t'};
    int length = 3;

    // The label of the next row: one added to the decimal digits.
    void Next()
    {
        int i = length - 2;
        while (i >= 1 && text[i] == '9')
            text[i--] = '0';
        if (i >= 1) {
            ++text[i];
            return;
        }
        // 9...9 + 1 = 10...0: a leading 1, the zeros one longer.
        text[1] = '1';
        text[length - 1] = '0';
        text[length++] = '\t';
    }
};

// The row into out, which holds at least kRowSize characters: the label, the value as
// "%16.8f" in the C locale, a line end. Returns its end.
constexpr std::size_t kRowSize = 32 + number_text::kFormatFixedSize;
char* FormatRow(char* out, const RowLabel& label, double value)
{
    char* p = out;
    std::memcpy(p, label.text, sizeof label.text);
    p += label.length;
    // Right-aligned in 16 characters; a wider value is written in full.
    char number[number_text::kFormatFixedSize];
    const std::size_t length = static_cast<std::size_t>(number_text::FormatFixed(value, 8, number) - number);
    if (length <= 16) {
        // Fixed-size copies: the blanks, then the number and what follows it in the buffer,
        // which the next row overwrites (out has room for a whole row beyond).
        std::memcpy(p, "                ", 16);
        std::memcpy(p + 16 - length, number, 16);
        p += 16;
    } else {
        std::memcpy(p, number, length);
        p += length;
    }
    *p++ = '\n';
    return p;
}

} // namespace

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
    RunBuffer<double>::Lease table(m_values);
    for (ClipboardObject* object : objects) {
        const ns_param::Double1DArrayParameterType* array = ArrayOf(*object, key);
        if (array && array->getCount() == count)
            table->insert(table->end(), array->getValues(), array->getValues() + count);
    }
    const std::size_t rows = table->size() / static_cast<std::size_t>(count);

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
    // Rows are formatted into one buffer and appended 64 at a time.
    constexpr std::size_t kRowsPerPiece = 64;
    std::vector<char> piece(kRowsPerPiece * kRowSize);
    for (int t = 0; t < count; ++t) {
        const double* series = table->data() + t;
        RowLabel label;
        for (std::size_t i = 0; i < rows;) {
            char* end = piece.data();
            for (const std::size_t last = std::min(rows, i + kRowsPerPiece); i < last; ++i, label.Next())
                end = FormatRow(end, label, series[i * static_cast<std::size_t>(count)]);
            out.append(piece.data(), static_cast<std::size_t>(end - piece.data()));
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
