#include "modules/gnuplot_export_module.h"

#include "modules/gnuplot_export_form.h"

#include "core/clipboard_object.h"
#include "core/module_interface.h"
#include "core/number_text.h"
#include "platform/file_contents.h"

#include <algorithm>
#include <charconv>
#include <cstdint>
#include <cstring>
#include <vector>

namespace {

// The double array of that name on the object, or null.
const ns_param::Double1DArrayParameterType* ArrayOf(ClipboardObject& object, const std::string& key)
{
    // The type code names the class (a cast by code is a fraction of a dynamic_cast, which
    // counts for 10,000 objects).
    const ns_param::BaseParameterType* parameter = object.GetParameters().getParameter(key);
    return parameter && parameter->getType() == ns_param::TYPE_DOUBLE_1D_ARRAY
               ? static_cast<const ns_param::Double1DArrayParameterType*>(parameter)
               : nullptr;
}

// Starts fetching what the objects ahead of i will need, one link of the chain per stage:
// the object, its first parameter's entry, the parameter, its values. Each object would
// otherwise wait on memory four times in a row. (A prefetch of null does nothing.)
void PrefetchAhead(const std::vector<ClipboardObject*>& objects, std::size_t i)
{
    constexpr std::size_t kStage = 4;
    const std::size_t n = objects.size();
    const auto entry = [&](std::size_t k) {
        const ns_param::Paramora& p = objects[k]->GetParameters();
        return p.getFirstParameter() == p.getLastParameter() ? nullptr : &*p.getFirstParameter();
    };
    if (i + 4 * kStage < n)
        __builtin_prefetch(objects[i + 4 * kStage]);
    if (i + 3 * kStage < n)
        __builtin_prefetch(entry(i + 3 * kStage));
    if (i + 2 * kStage < n) {
        if (const auto* e = entry(i + 2 * kStage))
            __builtin_prefetch(e->second.get());
    }
    if (i + kStage < n) {
        const auto* e = entry(i + kStage);
        if (e && e->second->getType() == ns_param::TYPE_DOUBLE_1D_ARRAY)
            __builtin_prefetch(static_cast<const ns_param::Double1DArrayParameterType&>(*e->second).getValues());
    }
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

// "\t<row number>\t" for the rows from 0 on. The digits are counted on in a register and
// stored whole: a label changed byte by byte in memory and then copied stalls every row
// (the copy waits for the byte stores to land).
class RowLabel {
public:
    // Writes the label (and scratch up to 24 characters) to out; returns its end.
    char* Put(char* out) const
    {
        if (m_row >= 100000000) {
            *out = '\t';
            char* end = std::to_chars(out + 1, out + 22, m_row).ptr;
            *end = '\t';
            return end + 1;
        }
        // The shown digits, first digit lowest, between two tabs.
        const std::uint64_t ascii = __builtin_bswap64(m_digits - 0xC6C6C6C6C6C6C6C6) >> (8 * (8 - m_count));
        const unsigned __int128 text = '\t' | static_cast<unsigned __int128>(ascii) << 8 |
                                       static_cast<unsigned __int128>('\t') << (8 * (m_count + 1));
        std::memcpy(out, &text, sizeof text);
        return out + m_count + 2;
    }

    void Next()
    {
        ++m_row;
        m_digits += 1;
        if ((m_digits & 0xFF) != 0 || m_digits == 0)
            return;
        // Nines carried over: the bytes that ran over to zero stand for the digit 0 again.
        const int wrapped = __builtin_ctzll(m_digits) / 8;
        m_digits |= 0xF6F6F6F6F6F6F6F6 & ((std::uint64_t{1} << (8 * wrapped)) - 1);
        m_count = std::max(m_count, wrapped + 1);
    }

private:
    // Eight digits with leading zeros, the last in the lowest byte, each as digit + 0xF6:
    // adding one to a 9 (0xFF) carries into the next byte by itself. From 10^8 on the row
    // is converted instead.
    std::uint64_t m_digits = 0xF6F6F6F6F6F6F6F6;
    int m_count = 1;
    std::size_t m_row = 0;
};

// Room for one row: the label, the value as "%16.8f" (a wider value in full), a line end.
constexpr std::size_t kRowSize = 32 + number_text::kFormatFixedSize;

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
    for (std::size_t i = 0; i < objects.size(); ++i) {
        PrefetchAhead(objects, i);
        const ns_param::Double1DArrayParameterType* array = ArrayOf(*objects[i], key);
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
    // Rows are formatted into one buffer and appended 64 at a time; their values go as
    // fields of 16 characters at once. In a piece with a wider value each row is tried
    // alone, and the wider value is written in full.
    constexpr std::size_t kRowsPerPiece = 64;
    std::vector<char> piece(kRowsPerPiece * kRowSize);
    double values[kRowsPerPiece];
    char fields[kRowsPerPiece * number_text::kFixedFieldWidth + 128];
    for (int t = 0; t < count; ++t) {
        const double* series = table->data() + t;
        RowLabel label;
        for (std::size_t i = 0; i < rows;) {
            const std::size_t n = std::min(rows - i, kRowsPerPiece);
            for (std::size_t k = 0; k < n; ++k)
                values[k] = series[(i + k) * static_cast<std::size_t>(count)];
            const bool fitted = number_text::FormatFixedFields(values, n, fields);
            char* end = piece.data();
            for (std::size_t k = 0; k < n; ++k, label.Next()) {
                end = label.Put(end);
                char* const field = fields + k * number_text::kFixedFieldWidth;
                if (fitted || number_text::FormatFixedFields(values + k, 1, field)) {
                    std::memcpy(end, field, number_text::kFixedFieldWidth);
                    end += number_text::kFixedFieldWidth;
                } else {
                    end = number_text::FormatFixed(values[k], 8, end);
                }
                *end++ = '\n';
            }
            i += n;
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
