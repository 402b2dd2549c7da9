#include "load_ascii_module.h"

#include "messages.h"
#include "module_support.h"
#include "text_layer.h"

#include "core/module_interface.h"
#include "core/spectrum.h"

#include <cfloat>
#include <cmath>
#include <memory>
#include <vector>

using namespace loadsave;

namespace {

// x = wavelength × factor, kept finite.
double ScaledWavelength(double wavelength, double factor)
{
    const double x = wavelength * factor;
    if (std::isnan(x))
        return 0.0;
    if (std::isinf(x))
        return x > 0 ? DBL_MAX : -DBL_MAX;
    return x;
}

} // namespace

LoadASCIIModule::LoadASCIIModule()
    : LoadModuleBase("SpecASCII")
{
}

LoadASCIIModule::~LoadASCIIModule() = default;

void LoadASCIIModule::GetFileDescription(std::string& extensions, std::string& description, bool* separatorUsed,
                                         bool* baseNameUsed, bool* namesFromFileOffered)
{
    extensions = "*.txt, *.csv, *.*";
    description = "Spektren aus ASCII-Text-Datei\r\n\r\nSyntax:\r\nSpektrenblock [k x n] aus n Spektren mit k "
                  "Wellenlängen, optionale Namenszeile [1, n]:\r\nOPTIONAL <Trennzeichen><Spektrumbezeichner "
                  "1><Trennzeichen>...<Spektrumbezeichner n>\r\n<Wellenlänge><Trennzeichen><Wert Spektrum "
                  "1><Trennzeichen>...<Wert Spektrum n>\r\n\r\n";
    for (bool* flag : {separatorUsed, baseNameUsed, namesFromFileOffered}) {
        if (flag)
            *flag = true;
    }
}

bool LoadASCIIModule::LoadFile(const std::string& fileName, const std::string&)
{
    // A refused separator is reported before the file is opened.
    if (!TextSeparator())
        return false;
    return LoadText(ReadText(fileName), fileName);
}

bool LoadASCIIModule::LoadText(std::string_view text, const std::string& fileName)
{
    ModuleInterface* host = GetModuleInterface();
    if (!host || !host->GetSpectrumTree())
        return false;

    const std::optional<std::string> separator = TextSeparator();
    if (!separator)
        return false;
    ns_param::Paramora& p = getParameters();
    const double factor = *p.getDoubleParameter("WavelengthNorm2nm");
    const bool useNames = *p.getBoolParameter("UseNamesFromFile");
    const std::string baseName(trimBlanks(StringParameter(*this, "ObjBaseName")));
    const std::string prefix = TargetGroup(fileName);
    const bool whitespace = isWhitespaceSeparator(*separator);
    const SeparatorSet separators(whitespace ? std::string_view(" ") : std::string_view(*separator));

    LineReader lines(text);
    std::string_view line;
    lines.Next(line);
    if (line.empty()) {
        LogError(*this, msg::kFileMaybeOpen);
        return false;
    }
    // Further lines: blank lines are passed over; with a separator, leading blanks and tabs
    // vanish as well (in whitespace mode a leading blank makes an empty first field).
    const auto advance = [&] {
        lines.NextNonBlank(line, !whitespace);
        return line;
    };

    std::size_t firstSeparator = separators.Find(line);
    if (firstSeparator == std::string_view::npos) {
        LogError(*this, msg::kSeparatorNotUsedSpectra);
        return false;
    }

    std::vector<std::string> names;
    if (useNames) {
        std::size_t pos = firstSeparator + 1;
        for (;;) {
            const std::size_t next = separators.Find(line, pos);
            names.push_back(decodeName(trimBlanks(line.substr(pos, next == std::string_view::npos ? next : next - pos))));
            if (next == std::string_view::npos)
                break;
            pos = next + 1;
        }
        advance();
        firstSeparator = separators.Find(line);
    }

    // The first field is read with "." before the decimal mark is known; 0 marks a name line.
    double wavelength = parseDoublePrefix(line.substr(0, firstSeparator), '.');
    if (wavelength == 0) {
        advance();
        firstSeparator = separators.Find(line);
        wavelength = parseDoublePrefix(line.substr(0, firstSeparator), '.');
        if (wavelength == 0) {
            LogError(*this, msg::kDataLineUnreadable);
            return false;
        }
    }

    const bool decimals = holdsDecimalMark(line);
    const char mark = decimalMarkOf(line);
    const auto valueOf = [&](std::string_view field) {
        return decimals ? parseDoublePrefix(field, mark) : static_cast<double>(parseIntPrefix(field));
    };

    std::vector<std::unique_ptr<Spectrum>> spectra;
    if (firstSeparator != std::string_view::npos) {
        const double x = ScaledWavelength(wavelength, factor);
        forEachField(line.substr(firstSeparator + 1), separators, whitespace, [&](std::string_view field) {
            auto spectrum = std::make_unique<Spectrum>();
            spectrum->AddPoint(SPoint(x, valueOf(field)));
            spectra.push_back(std::move(spectrum));
            return true;
        });
    }
    if (spectra.empty()) {
        LogError(*this, msg::kDataLineUnreadable);
        return false;
    }

    // Names: from the name line by position; generated where it has none or an empty one.
    for (std::size_t i = 0; i < spectra.size(); ++i) {
        std::string path;
        if (useNames && i < names.size())
            path = objectPath(prefix, names[i]);
        if (path.empty())
            path = objectPath(prefix, generatedName(baseName.empty() ? "Spec" : baseName, static_cast<int>(i)));
        spectra[i]->SetName(path);
        spectra[i]->SetColor(0);
    }

    bool missing = false;
    const std::size_t count = spectra.size();
    while (!advance().empty()) {
        std::size_t start = 0;
        while (start < line.size() && separators.Contains(line[start]))
            ++start;
        line.remove_prefix(start);
        if (line.empty())
            continue;
        const std::size_t separator = separators.Find(line);
        const double x = ScaledWavelength(parseDoublePrefix(line.substr(0, separator), mark), factor);
        std::size_t k = 0;
        if (separator != std::string_view::npos) {
            forEachField(line.substr(separator + 1), separators, whitespace, [&](std::string_view field) {
                spectra[k]->AddPoint(SPoint(x, valueOf(field)));
                return ++k < count;
            });
        }
        missing = missing || k < count;
    }
    if (missing)
        host->AddLogColorMessage(msg::kHintColour, "%s", msg::kMissingValues);

    for (std::unique_ptr<Spectrum>& spectrum : spectra)
        InsertSpectrum(spectrum.release());
    return true;
}
