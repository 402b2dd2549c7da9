#include "modules/create_source_module.h"

#include "modules/create_source_form.h"

#include "core/module_interface.h"
#include "core/number_text.h"
#include <xandril/xandril.h>
#include "platform/file_contents.h"

#include <cmath>
#include <cstdint>
#include <cstring>
#include <vector>

namespace {

constexpr char kEol[] = "\r\n";
constexpr std::size_t kMaxNameCharacters = 10000;

void Line(std::string& out, std::string_view text)
{
    out += text;
    out += kEol;
}

void AppendOctal(std::string& out, unsigned char byte)
{
    out += '\\';
    out += static_cast<char>('0' + (byte >> 6));
    out += static_cast<char>('0' + ((byte >> 3) & 7));
    out += static_cast<char>('0' + (byte & 7));
}

// The values and names of a selection's spectra, spectrum k at values[k * rows ...] of the
// module's buffer: a copy of its own, since the host may handle events (and the user change
// the tree) while the progress of the export is shown.
struct Columns {
    int rows = 0;
    const double* values = nullptr;
    std::vector<std::string> names;
    int count() const { return static_cast<int>(names.size()); }
    double value(int k, int row) const { return values[static_cast<std::size_t>(k) * rows + row]; }
};

// Appends grid's values to buffer, spectrum by spectrum. Returns where they start.
std::size_t AppendValues(std::vector<double>& buffer, const LEDModuleBase::GridSpectra& grid)
{
    const std::size_t start = buffer.size();
    const std::size_t rows = static_cast<std::size_t>(grid.rows);
    buffer.resize(start + grid.spectra.size() * rows);
    for (std::size_t i = 0; i < grid.spectra.size(); ++i)
        grid.CopyColumn(i, buffer.data() + start + i * rows);
    return start;
}

// The first spectrum that holds a value that is not finite, or -1.
int FirstInvalid(const Columns& columns)
{
    constexpr std::uint64_t kExponent = 0x7FF0000000000000;
    for (int k = 0; k < columns.count(); ++k) {
        const double* column = columns.values + static_cast<std::size_t>(k) * columns.rows;
        // All exponent bits set: inf or nan.
        bool bad = false;
        for (int r = 0; r < columns.rows; ++r) {
            std::uint64_t bits;
            std::memcpy(&bits, column + r, sizeof bits);
            bad |= (bits & kExponent) == kExponent;
        }
        if (bad)
            return k;
    }
    return -1;
}

// Appends one matrix block named name (see WriteMatrix) of rows x cols values value(r, c);
// spill() after each row lets the caller write the text out in blocks.
template <class Value, class Spill>
void AppendMatrix(std::string& out, const std::string& name, int rows, int cols, Value value, Spill spill)
{
    const long long total = static_cast<long long>(rows) * cols;
    Line(out, "struct {");
    Line(out, "    int rows;");
    Line(out, "    int cols;");
    out += "    double values[" + std::to_string(total) + "]; } _static_" + name +
           " __attribute__((far)) = { " + std::to_string(rows) + ", " + std::to_string(cols) + ", {";
    // Each row on a line of its own; ", " follows every value but the matrix's last.
    char number[number_text::kFormatGSize];
    for (int r = 0; r < rows; ++r) {
        out += "\r\n    ";
        for (int c = 0; c < cols; ++c) {
            out.append(number, number_text::FormatG(value(r, c), number));
            if (r + 1 < rows || c + 1 < cols)
                out += ", ";
        }
        spill();
    }
    Line(out, "} };");
    Line(out, "LSMatrix " + name + " = &(_static_" + name + ".values[0]);");
    out += kEol;
}

// The block of the spectra first .. first + count - 1, spectrum k as column k.
template <class Spill>
void AppendColumns(std::string& out, const std::string& name, const Columns& columns, int first, int count,
                   Spill spill)
{
    AppendMatrix(
        out, name, columns.rows, count, [&](int r, int c) { return columns.value(first + c, r); }, spill);
}

} // namespace

CreateSourceModule::CreateSourceModule()
    : LEDModuleBase("CreateSource")
{
    ns_param::Paramora& p = getParameters();
    p.addStringParameter("TargetSpecs", "", "", "");
    p.addStringParameter("LEDSpecs", "", "", "");
    p.addStringParameter("InterpolatorSpecs", "", "", "");
    p.addStringParameter("Filename", "", "", "");
}

CreateSourceModule::~CreateSourceModule() = default;

const CRuntimeClass* CreateSourceModule::GetEditorClass()
{
    return RUNTIME_CLASS(CCreateSourceForm);
}

std::vector<SAutomationPtrList> CreateSourceModule::GetAutomationPtr()
{
    return {SAutomationPtrList("create_source",
                               static_cast<SAutomationPtrList::Function>(&CreateSourceModule::create_source))};
}

void CreateSourceModule::WriteMatrix(std::string& out, const std::string& name, LSMatrix matrix)
{
    const int cols = MatCols(matrix);
    AppendMatrix(
        out, name, MatRows(matrix), cols, [&](int r, int c) { return matrix[static_cast<long long>(r) * cols + c]; },
        [] {});
}

std::string CreateSourceModule::CName(std::string_view name)
{
    const std::size_t colon = name.rfind(':');
    if (colon != std::string_view::npos && colon != 0)
        name.remove_prefix(colon + 1);
    std::string out;
    std::size_t characters = 0;
    for (std::size_t i = 0; i < name.size() && characters < kMaxNameCharacters; ++characters) {
        std::size_t length = 1;
        const int byte = ns_xandril::Cp1252At(name, i, length);
        if (byte < 0) {
            for (std::size_t k = 0; k < length; ++k)
                AppendOctal(out, static_cast<unsigned char>(name[i + k]));
        } else if (byte == '"' || byte == '\\' || byte == '?') {
            // '?' as well: "??/" and its kind are trigraphs in C99.
            out += '\\';
            out += static_cast<char>(byte);
        } else if (byte < 0x20 || byte == 0x7F) {
            AppendOctal(out, static_cast<unsigned char>(byte));
        } else {
            out += static_cast<char>(byte);
        }
        i += length;
    }
    return out;
}

bool CreateSourceModule::create_source()
{
    RunScope opened(*this, Numbers::Read, kNoTree);
    if (!opened || !opened.host)
        return false;
    ModuleInterface* host = opened.host;
    ns_param::Paramora& p = opened.p;
    Run run(*this);

    std::vector<double> values;
    Columns leds, targets, interpolators;
    std::size_t starts[3] = {};
    Columns* const all[3] = {&leds, &targets, &interpolators};
    const char* const keys[3] = {"LEDSpecs", "TargetSpecs", "InterpolatorSpecs"};
    bool refused = false;
    for (int i = 0; i < 3; ++i) {
        GridSpectra grid;
        ReadGridSpectra(grid, *p.getStringParameter(keys[i]));
        refused = refused || grid.refused;
        all[i]->rows = grid.rows;
        for (const Spectrum* spectrum : grid.spectra)
            all[i]->names.push_back(spectrum->GetName());
        starts[i] = AppendValues(values, grid);
    }
    for (int i = 0; i < 3; ++i)
        all[i]->values = values.data() + starts[i];
    // The reader named what it refused; an empty-set line would say nothing was given.
    if (refused)
        return false;
    if (leds.count() == 0) {
        LogError("Fehler: Keine LED-Spektren angegeben!");
        return false;
    }
    if (targets.count() == 0) {
        LogError("Fehler: Keine Ziel-Spektren angegeben!");
        return false;
    }
    if (interpolators.count() == 0) {
        LogError("Fehler: Keine Interpolator-Spektren angegeben!");
        return false;
    }
    if (interpolators.count() % targets.count() != 0) {
        LogError("Fehler: Anzahl der Interpolator-Spektren ist kein ganzzahliges Vielfaches der Anzahl der "
                 "Zielspektren!");
        return false;
    }
    // "%g" would write inf or nan, which no C compiler takes as a number.
    for (const Columns* columns : {&leds, &targets, &interpolators}) {
        const int bad = FirstInvalid(*columns);
        if (bad >= 0) {
            LogError("Fehler: Spektrum '%s' enthält ungültige Werte!",
                     columns->names[static_cast<std::size_t>(bad)].c_str());
            return false;
        }
    }

    // The text goes to the file in blocks as it is formatted.
    const std::string& fileName = *p.getStringParameter("Filename");
    platform::FileReplacement file(fileName);
    if (!file.Ok()) {
        LogError("Fehler: Konnte Datei '%s' nicht zum Schreiben öffnen", fileName.c_str());
        return false;
    }
    std::string& out = file.Text();
    const auto spill = [&file] { file.Spill(); };
    host->SetStatusText("Schreibe Header");
    const std::string stars(58, '*');
    const std::string framed = " *" + std::string(56, ' ') + "*";
    Line(out, "/" + stars);
    Line(out, framed);
    Line(out, " * Automatisch generierter Quelltext f\xFCr die LED-Regelung *");
    Line(out, framed);
    Line(out, " " + stars + "/");
    Line(out, "");
    Line(out, "#define LSMatrix double*");
    Line(out, "");
    Line(out, "/* Definition der LED-Spektren */");
    host->SetProgressBarPercentage(10);

    host->SetStatusText("Schreibe LED-Matrix");
    AppendColumns(out, "g_pLedSpecs", leds, 0, leds.count(), spill);
    host->SetProgressBarPercentage(20);

    Line(out, "");
    Line(out, "/* Definition der Zielspektren */");
    host->SetStatusText("Schreibe Zielspektren-Matrix");
    AppendColumns(out, "g_pTargetSpecs", targets, 0, targets.count(), spill);
    host->SetProgressBarPercentage(30);

    Line(out, "");
    Line(out, "/* Definition der Namen der Zielspektren */");
    Line(out, "char *g_pSpecNames[] = {");
    for (const std::string& target : targets.names) {
        out += '"';
        out += CName(target);
        out += "\", ";
    }
    Line(out, " 0};");
    host->SetProgressBarPercentage(40);

    host->SetStatusText("Schreibe Interpolatoren");
    const int block = interpolators.count() / targets.count();
    std::vector<std::string> names;
    for (int i = 0; i < targets.count(); ++i) {
        names.push_back(std::string("g_pInterpolator") + (i < 10 ? "0" : "") + std::to_string(i));
        AppendColumns(out, names.back(), interpolators, i * block, block, spill);
    }
    host->SetProgressBarPercentage(90);

    host->SetStatusText("Schreibe Interpolator-Zugriffs-Array");
    out += "LSMatrix g_pInterpolators[] = {";
    for (const std::string& name : names)
        out += "&(_static_" + name + ".values[0]), ";
    Line(out, "0};");
    host->SetProgressBarPercentage(100);

    if (!file.Commit()) {
        LogError("Fehler: Konnte Datei '%s' nicht zum Schreiben öffnen", fileName.c_str());
        return false;
    }
    return true;
}
