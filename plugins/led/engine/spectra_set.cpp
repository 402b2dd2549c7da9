#include "engine/spectra_set.h"

#include "core/calc_form.h"
#include "core/char_stream.h"
#include "core/number_text.h"
#include "engine/engine_log.h"
#include "engine/grid.h"
#include "platform/file_contents.h"

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstdio>
#include <new>
#include <string_view>

namespace {

// The line of a file whose table cannot be read: a plain line of the loader, or in the error
// colour for a file the user chose.
void LogLoadFailure(const std::string& fileName, bool asError)
{
    const std::string text = "Spektren in Datei '" + fileName + "' konnten nicht geladen werden !!!";
    if (asError)
        EngineLogColor(kEngineErrorColour, "%s", text.c_str());
    else
        EngineLog("%s", text.c_str());
}

// Longest name written to a file, in bytes.
constexpr std::size_t kMaxNameBytes = 1020;
// Tolerance in micrometres for a grid point that lies on a file grid point or range end.
constexpr double kGridTolerance = 1e-9;
// Width of a field in the file.
constexpr std::size_t kFieldWidth = 16;
// Longest token and name line the reader takes: the widest value written ("%.7f" of the
// largest double) has 318 characters, the longest name line 1022; anything longer is no
// "Speks:" file, and reading it whole could take any amount of memory.
constexpr std::size_t kMaxTokenBytes = 64 * 1024;

// The budget SetLoadBudget gave; 0: the run budget.
std::atomic<double> g_loadBudget{0.0};

// What one loaded spectrum holds: its vector (header and the allocator's share included), its
// name, and its entries in the two lists, counted three times: a list that grows holds its
// old and its new room for a moment.
double SpectrumBytes(int points, std::size_t nameBytes)
{
    constexpr double kBlockOverhead = 32.0;
    return static_cast<double>(points) * sizeof(double) + kBlockOverhead + static_cast<double>(nameBytes) + 1.0 +
           kBlockOverhead + 3.0 * (sizeof(std::string) + sizeof(LSMatrixHandle));
}

// name cut to at most kMaxNameBytes without splitting a UTF-8 sequence.
std::string CutName(const std::string& name)
{
    if (name.size() <= kMaxNameBytes)
        return name;
    std::size_t cut = kMaxNameBytes;
    while (cut > 0 && (static_cast<unsigned char>(name[cut]) & 0xC0) == 0x80)
        --cut;
    return name.substr(0, cut);
}

// The reader skips white space before a name line and ends it at CR or LF, so such names
// would not come back as written (an empty name would end the load).
bool NameReadsBack(const std::string& name)
{
    if (name.empty() || name[0] == ' ' || name[0] == '\t')
        return false;
    return name.find_first_of("\r\n") == std::string::npos;
}

// text right-aligned in a field of kFieldWidth characters; a text that fills the field or
// is wider gets one blank before it, so that it never runs into the field before.
void AppendField(std::string& out, std::string_view text)
{
    out.append(text.size() < kFieldWidth ? kFieldWidth - text.size() : 1, ' ');
    out += text;
}

// A value as "%16.7f" (C locale), wider where it needs to be.
void AppendValueField(std::string& out, double value)
{
    char buf[number_text::kFormatFixedSize];
    AppendField(out, std::string_view(buf, number_text::FormatFixed(value, 7, buf) - buf));
}

// A grid field in nm: whole numbers (within 1e-6) as "%16d" so that whole-nm files keep
// their form, anything else with ten significant digits.
void AppendGridField(std::string& out, double micrometres)
{
    const double nm = micrometres * 1000.0;
    const double whole = std::round(nm);
    char buf[64]; // "%d" and "%.10g" take at most 17 characters
    if (std::fabs(nm - whole) <= 1e-6 && std::fabs(whole) < 2e9)
        std::snprintf(buf, sizeof buf, "%d", static_cast<int>(whole));
    else
        std::snprintf(buf, sizeof buf, "%.10g", nm);
    AppendField(out, buf);
}

// The rest of the line, up to CR or LF, which is consumed (one character; the white space
// skipped after the name line takes the rest of a CR LF). False for a line longer than
// kMaxTokenBytes.
bool ReadWholeLine(CCharStream& in, std::string& line)
{
    line.clear();
    while (!in.IsEOF()) {
        const char c = in.Peek();
        if (c == '\r' || c == '\n') {
            in.Get();
            break;
        }
        if (line.size() == kMaxTokenBytes)
            return false;
        line += in.Get();
    }
    return true;
}

// The next white-space delimited token as a number (strtod's rules in the C locale; a text
// that is no number reads 0). The white space behind it is skipped. A token longer than
// kMaxTokenBytes reads as NaN, which every caller refuses.
double ReadNumber(CCharStream& in)
{
    in.SkipWhitespace();
    std::string token;
    while (!in.IsEOF() && !CCharStream::IsOneOf(in.Peek(), "", 0, true)) {
        if (token.size() == kMaxTokenBytes)
            return std::nan("");
        token += in.Get();
    }
    in.SkipWhitespace();
    return number_text::ToDouble(token.c_str());
}

} // namespace

void ResampleSpectrum(const double* v, int m, int valueCount, double fileStart, double fileEnd,
                      double* out, int n, double start, double end)
{
    auto value = [&](int k) { return k < valueCount ? v[k] : 0.0; };
    for (int i = 0; i < n; ++i) {
        const double x = n > 1 ? i * (end - start) / (n - 1) + start : start;
        double y = 0.0;
        if (m == 1) {
            if (std::fabs(x - fileStart) <= kGridTolerance)
                y = value(0);
        } else if (m > 1 && x >= fileStart - kGridTolerance && x <= fileEnd + kGridTolerance) {
            double h = (x - fileStart) / (fileEnd - fileStart) * (m - 1);
            h = std::min(std::max(h, 0.0), static_cast<double>(m - 1));
            const double nearest = std::round(h);
            if (std::fabs(h - nearest) < 1e-9) {
                y = value(static_cast<int>(nearest));
            } else {
                const int o = static_cast<int>(h);
                const double t = h - o;
                y = o >= m - 1 ? value(o) : value(o) * (1.0 - t) + value(o + 1) * t;
            }
        }
        out[i] = y;
    }
}

SpectraSet::SpectraSet()
{
    TakeGlobalGrid();
}

SpectraSet::SpectraSet(const std::string& fileName)
    : SpectraSet()
{
    LoadFromFile(fileName);
}

SpectraSet::~SpectraSet() = default;

void SpectraSet::TakeGlobalGrid()
{
    XStart = ::XStart;
    XEnd = ::XEnd;
    XStep = ::XStep;
    PointCount = GridPointCount(XStart, XEnd, XStep);
}

void SpectraSet::Clear()
{
    m_names.clear();
    m_spectra.clear();
}

void SpectraSet::AddSpectrum(const std::string& name, const LSMatrix vector)
{
    if (m_spectra.empty())
        TakeGlobalGrid();
    if (PointCount <= 0 || MatCols(vector) != 1 || MatRows(vector) != PointCount)
        return;
    LSMatrixHandle copy(PointCount, 1);
    if (!copy)
        return;
    MatCopy(copy, vector);
    m_names.push_back(name);
    m_spectra.push_back(std::move(copy));
}

std::string SpectraSet::GetName(int index) const
{
    if (index < 0 || index >= GetCount())
        return {};
    return m_names[static_cast<std::size_t>(index)];
}

LSMatrix SpectraSet::GetSpectrum(int index) const
{
    if (index < 0 || index >= GetCount())
        return nullptr;
    return m_spectra[static_cast<std::size_t>(index)].get();
}

LSMatrix SpectraSet::FindSpectrum(const std::string& name) const
{
    for (std::size_t i = 0; i < m_names.size(); ++i)
        if (m_names[i] == name)
            return m_spectra[i].get();
    return nullptr;
}

void SpectraSet::Normalize()
{
    double largest = -1e99;
    for (const auto& s : m_spectra)
        for (int r = 0; r < s.rows(); ++r)
            if (largest < s[r])
                largest = s[r];
    if (!(largest > 0.0) || !std::isfinite(largest))
        return;
    for (const auto& s : m_spectra)
        MatScale(s, s, 1.0 / largest);
}

bool SpectraSet::SaveToFile(const std::string& fileName) const
{
    EngineLog("Speichere Spektren...");

    std::string text = "Speks:";
    AppendField(text, std::to_string(GetCount()));
    AppendField(text, std::to_string(PointCount));
    AppendGridField(text, XStart);
    AppendGridField(text, XEnd);
    AppendGridField(text, XStep);
    text += "\r\n";

    for (std::size_t s = 0; s < m_spectra.size(); ++s) {
        const std::string& name = m_names[s];
        EngineLog("Speichere...%s", name.c_str());
        const LSMatrixHandle& v = m_spectra[s];
        if (v.rows() != PointCount)
            return false;
        bool valid = NameReadsBack(name);
        for (int i = 0; valid && i < PointCount; ++i)
            valid = std::isfinite(v[i]);
        if (!valid) {
            EngineLog("Fehler: Ungültiger Eintrag '%s' - Datei nicht gespeichert.", name.c_str());
            return false;
        }
        text += CutName(name);
        text += " :\r\n";
        for (int i = 0; i < PointCount; ++i) {
            AppendValueField(text, v[i]);
            if (i % 8 == 7 || i == PointCount - 1)
                text += "\r\n";
        }
    }
    return platform::ReplaceFileContents(fileName, text);
}

bool SpectraSet::LoadFromFile(const std::string& fileName)
{
    bool logged = false;
    return Load(fileName, false, logged);
}

bool SpectraSet::LoadFromFileOnFileGrid(const std::string& fileName)
{
    bool logged = false;
    return Load(fileName, true, logged);
}

bool SpectraSet::LoadChosenFile(const std::string& fileName)
{
    bool logged = false;
    if (Load(fileName, false, logged))
        return true;
    if (!logged)
        LogLoadFailure(fileName, true);
    return false;
}

double SpectraSet::LoadBudget()
{
    const double bytes = g_loadBudget.load();
    return bytes > 0.0 ? bytes : calc::RunMemoryBudget();
}

void SpectraSet::SetLoadBudget(double bytes)
{
    g_loadBudget.store(bytes > 0.0 ? bytes : 0.0);
}

bool SpectraSet::Load(const std::string& fileName, bool onFileGrid, bool& failureLogged)
{
    try {
        return Read(fileName, onFileGrid, failureLogged);
    } catch (const std::bad_alloc&) {
        LogLoadFailure(fileName, false);
        failureLogged = true;
        return false;
    }
}

bool SpectraSet::Read(const std::string& fileName, bool onFileGrid, bool& failureLogged)
{
    EngineLog("Lade Spektren...");
    EngineLog("Öffne Datei...");
    Clear();
    TakeGlobalGrid();

    // A file that cannot be opened reads as an empty stream and fails the keyword test.
    CCharStream in(1024);
    in.Open(fileName.c_str());
    in.SkipWhitespace();
    char keyword[1025];
    in.ReadToken(keyword, sizeof keyword, "", 0, true);
    if (std::string(keyword) != "Speks:")
        return false;

    // count, point count, start, end, step (nm)
    double header[5];
    for (double& h : header) {
        h = ReadNumber(in);
        if (!std::isfinite(h))
            return false;
    }
    const double fileStart = header[2] / 1000.0;
    const double fileEnd = header[3] / 1000.0;
    const double fileStep = header[4] / 1000.0;
    if (!(fileStep > 0.0) || fileEnd < fileStart)
        return false;
    const int filePoints = GridPointCount(fileStart, fileEnd, fileStep);
    if (filePoints <= 0 || static_cast<double>(filePoints) != std::trunc(header[1]))
        return false;
    if (onFileGrid) {
        XStart = fileStart;
        XEnd = fileEnd;
        XStep = fileStep;
        PointCount = filePoints;
    }
    if (in.IsEOF())
        return true;
    if (PointCount <= 0)
        return false;

    const double count = std::trunc(header[0]);
    // A header may announce more spectra than follow (those present load), but not more
    // than the rest of the file has bytes: every spectrum takes a name line of several
    // bytes, so such a count is no miscount but a damaged header.
    if (in.SizeKnown() && count > static_cast<double>(in.BytesLeft())) {
        LogLoadFailure(fileName, false);
        failureLogged = true;
        return false;
    }
    std::vector<double> values;
    std::string line;
    // Every allocation that holds values or spectra is checked against the budget first,
    // as the header's count may be wrong: held is what the spectra taken so far hold.
    const double budget = LoadBudget();
    double held = 0.0;
    const auto refuse = [&] {
        Clear();
        std::vector<double>().swap(values);
        EngineLog("Fehler: Spektren in Datei '%s' brauchen mehr als %.0f MB Speicher - nichts geladen.", fileName.c_str(),
                  budget / (1024.0 * 1024.0));
        return false;
    };
    for (double k = 0; k < count; ++k) {
        if (!ReadWholeLine(in, line)) {
            LogLoadFailure(fileName, false);
            failureLogged = true;
            return false;
        }
        if (line.size() < 2 || line.compare(line.size() - 2, 2, " :") != 0)
            return false;
        const std::string name = line.substr(0, line.size() - 2);
        EngineLog("Lade...%s", name.c_str());
        in.SkipWhitespace();

        // Values missing at the end of the file read as 0; only those present are kept.
        values.clear();
        for (int i = 0; i < filePoints && !in.IsEOF(); ++i) {
            const double x = ReadNumber(in);
            if (!std::isfinite(x)) {
                LogLoadFailure(fileName, false);
                failureLogged = true;
                return false;
            }
            if (values.size() == values.capacity()) {
                // The old and the new block side by side while the values move.
                const std::size_t grown =
                    std::min(std::max<std::size_t>(16, 2 * values.capacity()), static_cast<std::size_t>(filePoints));
                if (held + static_cast<double>(values.capacity() + grown) * sizeof(double) > budget)
                    return refuse();
                values.reserve(grown);
            }
            values.push_back(x);
        }
        // A table kept on its own grid must be complete: its point count alone would
        // otherwise decide how much memory a short file takes.
        if (onFileGrid && static_cast<int>(values.size()) < filePoints)
            return false;

        const double bytes = SpectrumBytes(PointCount, name.size());
        if (held + static_cast<double>(values.capacity()) * sizeof(double) + bytes > budget)
            return refuse();
        held += bytes;
        LSMatrixHandle resampled(PointCount, 1);
        if (!resampled)
            return false;
        ResampleSpectrum(values.data(), filePoints, static_cast<int>(values.size()), fileStart,
                         fileEnd, resampled.get(), PointCount, XStart, XEnd);
        m_names.push_back(name);
        m_spectra.push_back(std::move(resampled));

        in.SkipWhitespace();
        if (in.IsEOF())
            return true;
    }
    return true;
}
