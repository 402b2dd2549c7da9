#include "modules/create_source_module.h"

#include "modules/create_source_form.h"

#include "engine/spectra_set.h"

#include "core/module_interface.h"
#include "core/number_text.h"
#include <xandril/xandril.h>
#include "platform/file_contents.h"

#include <cmath>
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

// The first spectrum of the set that holds a value that is not finite, or -1.
int FirstInvalid(const SpectraSet& set)
{
    for (int i = 0; i < set.GetCount(); ++i) {
        const LSMatrix v = set.GetSpectrum(i);
        const int n = MatRows(v) * MatCols(v);
        for (int k = 0; k < n; ++k)
            if (!std::isfinite(v[k]))
                return i;
    }
    return -1;
}

// The matrix whose column k is spectrum first + k of the set, for count spectra.
LSMatrixHandle Columns(const SpectraSet& set, int first, int count)
{
    LSMatrixHandle m(MatRows(set.GetSpectrum(first)), count);
    for (int k = 0; k < count; ++k)
        MatSetColumn(m, set.GetSpectrum(first + k), k);
    return m;
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
    const int rows = MatRows(matrix);
    const int cols = MatCols(matrix);
    Line(out, "struct {");
    Line(out, "    int rows;");
    Line(out, "    int cols;");
    out += "    double values[" + std::to_string(static_cast<long long>(rows) * cols) + "]; } _static_" + name +
           " __attribute__((far)) = { " + std::to_string(rows) + ", " + std::to_string(cols) + ", {";
    const long long total = static_cast<long long>(rows) * cols;
    // Each row is formatted into one buffer and appended at once.
    std::vector<char> row(static_cast<std::size_t>(cols) * (number_text::kFormatGSize + 2) + 8);
    long long k = 0;
    for (int r = 0; r < rows; ++r) {
        char* p = row.data();
        *p++ = '\r';
        *p++ = '\n';
        for (int i = 0; i < 4; ++i)
            *p++ = ' ';
        for (int c = 0; c < cols; ++c, ++k) {
            p = number_text::FormatG(matrix[k], p);
            if (k + 1 < total) {
                *p++ = ',';
                *p++ = ' ';
            }
        }
        out.append(row.data(), static_cast<std::size_t>(p - row.data()));
    }
    Line(out, "} };");
    Line(out, "LSMatrix " + name + " = &(_static_" + name + ".values[0]);");
    out += kEol;
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
    RunGuard guard(*this);
    if (!guard)
        return false;
    ModuleInterface* host = GetModuleInterface();
    if (!host)
        return false;
    ns_param::Paramora& p = getParameters();
    Run run(*this);

    SpectraSet leds, targets, interpolators;
    ReadSpectraSet(leds, *p.getStringParameter("LEDSpecs"));
    ReadSpectraSet(targets, *p.getStringParameter("TargetSpecs"));
    ReadSpectraSet(interpolators, *p.getStringParameter("InterpolatorSpecs"));
    if (leds.GetCount() == 0) {
        LogError("Fehler: Keine LED-Spektren angegeben!");
        return false;
    }
    if (targets.GetCount() == 0) {
        LogError("Fehler: Keine Ziel-Spektren angegeben!");
        return false;
    }
    if (interpolators.GetCount() == 0) {
        LogError("Fehler: Keine Interpolator-Spektren angegeben!");
        return false;
    }
    if (interpolators.GetCount() % targets.GetCount() != 0) {
        LogError("Fehler: Anzahl der Interpolator-Spektren ist kein ganzzahliges Vielfaches der Anzahl der "
                 "Zielspektren!");
        return false;
    }
    // "%g" would write inf or nan, which no C compiler takes as a number.
    for (const SpectraSet* set : {&leds, &targets, &interpolators}) {
        const int bad = FirstInvalid(*set);
        if (bad >= 0) {
            LogError("Fehler: Spektrum '%s' enthält ungültige Werte!", set->GetName(bad).c_str());
            return false;
        }
    }

    std::string out;
    // About twelve bytes per value.
    std::size_t values = 0;
    for (const SpectraSet* set : {&leds, &targets, &interpolators})
        values += static_cast<std::size_t>(set->GetCount()) * static_cast<std::size_t>(set->PointCount);
    out.reserve(values * 12 + 4096);
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
    WriteMatrix(out, "g_pLedSpecs", Columns(leds, 0, leds.GetCount()));
    host->SetProgressBarPercentage(20);

    Line(out, "");
    Line(out, "/* Definition der Zielspektren */");
    host->SetStatusText("Schreibe Zielspektren-Matrix");
    WriteMatrix(out, "g_pTargetSpecs", Columns(targets, 0, targets.GetCount()));
    host->SetProgressBarPercentage(30);

    Line(out, "");
    Line(out, "/* Definition der Namen der Zielspektren */");
    Line(out, "char *g_pSpecNames[] = {");
    for (int i = 0; i < targets.GetCount(); ++i)
        out += "\"" + CName(targets.GetName(i)) + "\", ";
    Line(out, " 0};");
    host->SetProgressBarPercentage(40);

    host->SetStatusText("Schreibe Interpolatoren");
    const int block = interpolators.GetCount() / targets.GetCount();
    std::vector<std::string> names;
    for (int i = 0; i < targets.GetCount(); ++i) {
        names.push_back(std::string("g_pInterpolator") + (i < 10 ? "0" : "") + std::to_string(i));
        WriteMatrix(out, names.back(), Columns(interpolators, i * block, block));
    }
    host->SetProgressBarPercentage(90);

    host->SetStatusText("Schreibe Interpolator-Zugriffs-Array");
    out += "LSMatrix g_pInterpolators[] = {";
    for (const std::string& name : names)
        out += "&(_static_" + name + ".values[0]), ";
    Line(out, "0};");
    host->SetProgressBarPercentage(100);

    const std::string& fileName = *p.getStringParameter("Filename");
    if (!platform::ReplaceFileContents(fileName, out)) {
        LogError("Fehler: Konnte Datei '%s' nicht zum Schreiben öffnen", fileName.c_str());
        return false;
    }
    return true;
}
