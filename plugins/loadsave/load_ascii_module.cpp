#include "load_ascii_module.h"

#include "messages.h"
#include "module_support.h"
#include "text_layer.h"

#include "core/calc_form.h"
#include "core/module_interface.h"
#include "core/spectrum.h"

#include <algorithm>
#include <cfloat>
#include <climits>
#include <cmath>
#include <memory>
#include <vector>

using namespace loadsave;

namespace {

// 1-based number of the line that starts at line.data() within text (CR LF, LF or CR ends a line).
int LineNumberOf(std::string_view text, std::string_view line)
{
    const std::size_t end = static_cast<std::size_t>(line.data() - text.data());
    int number = 1;
    for (std::size_t i = 0; i < end && i < text.size(); ++i) {
        if (text[i] == '\n' || (text[i] == '\r' && (i + 1 >= text.size() || text[i + 1] != '\n')))
            ++number;
    }
    return number;
}

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

// Data rows waiting to be added: the x of each row, its values, and how many it has (the
// spectra after those lack a value in that row).
class PointBlock {
public:
    // At most rows rows (the rows expected), at most 32768 values in all.
    PointBlock(std::size_t columns, std::size_t rows)
        : m_columns(columns)
        , m_capacity(std::clamp<std::size_t>(rows, 1, std::max<std::size_t>(1, 32768 / columns)))
    {
        m_values.resize(m_capacity * m_columns);
        m_xs.reserve(m_capacity);
        m_filled.reserve(m_capacity);
        m_points.reserve(m_capacity);
    }

    // Room for the values of the next row.
    double* NextRow() { return m_values.data() + m_xs.size() * m_columns; }
    // Takes the next row: its x and how many of its values are filled.
    void EndRow(double x, std::size_t filled)
    {
        m_xs.push_back(x);
        m_filled.push_back(filled);
    }
    bool Full() const { return m_xs.size() == m_capacity; }

    void FlushTo(std::vector<std::unique_ptr<Spectrum>>& spectra)
    {
        for (std::size_t s = 0; s < m_columns; ++s) {
            m_points.clear();
            for (std::size_t row = 0; row < m_xs.size(); ++row) {
                if (s < m_filled[row])
                    m_points.emplace_back(m_xs[row], m_values[row * m_columns + s]);
            }
            spectra[s]->AddPoints(m_points.data(), m_points.size());
        }
        m_xs.clear();
        m_filled.clear();
    }

private:
    std::size_t m_columns;
    std::size_t m_capacity;
    std::vector<double> m_values;
    std::vector<double> m_xs;
    std::vector<std::size_t> m_filled;
    std::vector<SPoint> m_points;
};

// Reads a data row whose fields are all plain decimals (scanPlainDecimal) in one pass over the
// line, with the same fields, counts and values as the general rule (forEachField and
// parseField). sep is the single separator character, or 0 for whitespace mode; blanks may
// pad a field. False when some field needs the general rule: the row is then read again by it.
bool ReadPlainRow(std::string_view line, char sep, char mark, double& x, double* values, std::size_t count,
                  std::size_t& filled)
{
    const char* p = line.data();
    const char* const end = p + line.size();
    const auto isGap = [sep](char c) { return sep ? c == ' ' : c == ' ' || c == '\t'; };
    const auto isSep = [sep](char c) { return sep ? c == sep : c == ' ' || c == '\t'; };
    filled = 0;
    // x: the text up to the first separator.
    while (p < end && *p == ' ')
        ++p;
    p = scanPlainDecimal(p, end, mark, x);
    if (!p)
        return false;
    if (sep) {
        while (p < end && *p == ' ')
            ++p;
    }
    if (p == end)
        return true;
    if (!isSep(*p))
        return false;
    ++p;
    while (filled < count) {
        while (p < end && isGap(*p))
            ++p;
        // Blanks after the last separator are no field.
        if (p == end)
            return true;
        // An empty field (between two separators) is 0.
        if (sep && *p == sep) {
            values[filled++] = 0;
            ++p;
            continue;
        }
        double v;
        p = scanPlainDecimal(p, end, mark, v);
        if (!p)
            return false;
        if (sep) {
            while (p < end && *p == ' ')
                ++p;
        }
        if (p != end && !isSep(*p))
            return false;
        values[filled++] = v;
        if (p == end)
            return true;
        ++p;
    }
    return true;
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
    const std::optional<platform::FileBytes> bytes = ReadText(fileName);
    return bytes && LoadText(bytes->View(), fileName);
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
    if (!calc::ParametersInRange(p, host))
        return false;
    const double factor = *p.getDoubleParameter("WavelengthNorm2nm");
    const bool useNames = *p.getBoolParameter("UseNamesFromFile");
    const std::string baseName(trimBlanks(StringParameter(*this, "ObjBaseName")));
    const std::string prefix = TargetGroup(fileName);
    const bool whitespace = isWhitespaceSeparator(*separator);
    const SeparatorSet separators(whitespace ? std::string_view(" \t") : std::string_view(*separator));

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

    // A value is read to its end with the decimal mark of the first data line ("." when ","
    // separates fields); anything left over fails the load, naming the line, instead of
    // loading a silently cut number.
    const char mark = decimalMarkOf(line, separators);
    int lineNumber = 0;
    std::string_view badField;
    const auto valueOf = [&](std::string_view field) {
        if (const std::optional<double> value = parseField(field, mark))
            return *value;
        if (badField.empty())
            badField = field;
        return 0.0;
    };
    const auto refuseBadValue = [&] {
        const std::string shown(trimBlanks(badField.substr(0, std::min<std::size_t>(badField.size(), 40))));
        host->AddLogColorMessage(msg::kErrorColour, msg::kValueUnreadable, lineNumber, shown.c_str());
        return false;
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
    lineNumber = LineNumberOf(text, line);
    if (!badField.empty())
        return refuseBadValue();

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

    // Room for the points of lines like the first one in the rest of the text, never more
    // than twice the text's size in memory.
    const std::size_t count = spectra.size();
    const std::size_t rest = static_cast<std::size_t>(text.data() + text.size() - (line.data() + line.size()));
    const std::size_t expected = std::min(rest / (line.size() + 1), 2 * rest / (count * sizeof(SPoint)));
    if (expected < static_cast<std::size_t>(INT_MAX)) {
        for (std::unique_ptr<Spectrum>& spectrum : spectra)
            spectrum->ReservePoints(static_cast<int>(expected) + 1);
    }

    // Rows are gathered in a block and handed to the spectra one spectrum at a time: adding
    // to a hundred point arrays in turn, row by row, defeats the processor's prefetching.
    PointBlock block(count, expected + 1);
    // Rows of plain decimals are read in one pass when fields are split by blanks or by one
    // character that cannot be part of a number or its padding.
    const bool plainRows = whitespace
        || (separator->size() == 1 && std::string_view("0123456789+-.,eE \t").find((*separator)[0]) == std::string_view::npos);
    const char plainSep = whitespace ? '\0' : (*separator)[0];
    bool missing = false;
    while (!advance().empty()) {
        std::size_t start = 0;
        while (start < line.size() && separators.Contains(line[start]))
            ++start;
        line.remove_prefix(start);
        if (line.empty())
            continue;
        double* values = block.NextRow();
        double x = 0;
        std::size_t k = 0;
        if (!plainRows || !ReadPlainRow(line, plainSep, mark, x, values, count, k)) {
            const std::size_t separator = separators.Find(line);
            x = valueOf(line.substr(0, separator));
            k = 0;
            if (separator != std::string_view::npos) {
                forEachField(line.substr(separator + 1), separators, whitespace, [&](std::string_view field) {
                    values[k] = valueOf(field);
                    return ++k < count;
                });
            }
        }
        block.EndRow(ScaledWavelength(x, factor), k);
        if (!badField.empty()) {
            lineNumber = LineNumberOf(text, line);
            return refuseBadValue();
        }
        missing = missing || k < count;
        if (block.Full())
            block.FlushTo(spectra);
    }
    block.FlushTo(spectra);
    if (missing)
        host->AddLogColorMessage(msg::kHintColour, "%s", msg::kMissingValues);

    for (std::unique_ptr<Spectrum>& spectrum : spectra)
        InsertSpectrum(spectrum.release());
    return true;
}
