#include "file_test_support.h"

#include "engine/spectra_set.h"

#include "core/calc_form.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>

namespace {

// One value as the writer formats it.
std::string Value(double v)
{
    char buf[64];
    std::snprintf(buf, sizeof buf, "%16.7f", v);
    return buf;
}

std::string Header(int count, int points, const std::string& start, const std::string& end, const std::string& step)
{
    auto pad = [](const std::string& s) { return std::string(16 - s.size(), ' ') + s; };
    return "Speks:" + pad(std::to_string(count)) + pad(std::to_string(points)) + pad(start) + pad(end) + pad(step) + "\r\n";
}

// A set of two spectra on the grid in force: a ramp and a bump, values with few decimals.
void FillSet(SpectraSet& set)
{
    const int n = GridPointCount();
    LSMatrixHandle v(n, 1);
    for (int i = 0; i < n; ++i)
        v[i] = (i % 97) * 0.125;
    set.AddSpectrum("Rampe", v);
    for (int i = 0; i < n; ++i)
        v[i] = std::round(1e4 * std::exp(-0.5 * std::pow((i - n / 2.0) / (n / 8.0), 2))) / 1e4;
    set.AddSpectrum("Glocke mit Leerzeichen", v);
}

TEST(SpeksFile, RoundTripsByteExactly)
{
    const struct {
        const char* name;
        double start, end, step;
        int points;
        const char* header; // start, end, step fields as written
    } grids[] = {
        {"2 nm", 0.4, 0.75, 0.002, 176, "400|750|2"},
        {"2.5 nm", 0.4, 0.75, 0.0025, 141, "400|750|2.5"},
        {"0.5 nm", 0.38, 0.78, 0.0005, 801, "380|780|0.5"},
        {"ends at 1001 nm", 0.401, 1.001, 0.004, 151, "401|1001|4"},
    };
    TempFolder dir;
    for (const auto& g : grids) {
        SCOPED_TRACE(g.name);
        GridScope grid(g.start, g.end, g.step);
        ASSERT_EQ(GridPointCount(), g.points);
        SpectraSet set;
        FillSet(set);
        ASSERT_TRUE(set.SaveToFile(dir.file("a.txt")));
        const std::string first = ReadFile(dir.file("a.txt"));
        std::string fields = g.header;
        const auto bar1 = fields.find('|'), bar2 = fields.rfind('|');
        EXPECT_EQ(first.substr(0, first.find('\n') + 1),
                  Header(2, g.points, fields.substr(0, bar1), fields.substr(bar1 + 1, bar2 - bar1 - 1),
                         fields.substr(bar2 + 1)));
        EXPECT_EQ(first.find('\n'), first.find("\r\n") + 1);
        EXPECT_EQ(std::count(first.begin(), first.end(), '\n'), std::count(first.begin(), first.end(), '\r'));

        SpectraSet back;
        ASSERT_TRUE(back.LoadFromFile(dir.file("a.txt")));
        ASSERT_EQ(back.GetCount(), 2);
        EXPECT_EQ(back.GetName(1), "Glocke mit Leerzeichen");
        for (int s = 0; s < 2; ++s)
            for (int i = 0; i < g.points; ++i)
                ASSERT_EQ(back.GetSpectrum(s)[i], set.GetSpectrum(s)[i]) << s << ":" << i;
        ASSERT_TRUE(back.SaveToFile(dir.file("b.txt")));
        EXPECT_EQ(ReadFile(dir.file("b.txt")), first);
    }
}

TEST(SpeksFile, EightValuesPerLine)
{
    TempFolder dir;
    for (const auto& [end, lines] : {std::pair{0.75, 22}, std::pair{0.752, 23}}) {
        SCOPED_TRACE(lines);
        GridScope grid(0.4, end, 0.002);
        const int n = GridPointCount();
        LSMatrixHandle v(n, 1);
        MatFill(v, 1.5);
        SpectraSet set;
        set.AddSpectrum("Rot", v);
        ASSERT_TRUE(set.SaveToFile(dir.file("s.txt")));
        std::istringstream text(ReadFile(dir.file("s.txt")));
        std::string line;
        std::vector<std::string> all;
        while (std::getline(text, line))
            all.push_back(line);
        ASSERT_EQ(all.size(), 2u + lines);
        EXPECT_EQ(all[1], "Rot :\r");
        std::string full;
        for (int i = 0; i < 8; ++i)
            full += Value(1.5);
        EXPECT_EQ(all[2], full + "\r");
        EXPECT_EQ(all.back().size(), (n % 8 == 0 ? 8 : n % 8) * 16u + 1);
    }
}

// Values whose "%16.7f" text fills the field (or more) must not run into the field before
// them: every value comes back within the format's precision, and values that fit keep the
// old bytes.
TEST(SpeksFile, WideValuesRoundTrip)
{
    const double denormal = std::numeric_limits<double>::denorm_min();
    const struct {
        const char* name;
        double value;
        const char* field; // the value's text in the file, blanks included
    } cases[] = {
        {"fits", 9999999.9999999, "9999999.9999999"},
        {"1e7", 1e7, " 10000000.0000000"},
        {"-1e6", -1e6, " -1000000.0000000"},
        {"just inside", -999999.5, "-999999.5000000"},
        {"1e55", 1e55, nullptr},
        {"-1e55", -1e55, nullptr},
        {"1e300", 1e300, nullptr},
        {"largest double", std::numeric_limits<double>::max(), nullptr},
        {"-0", -0.0, "-0.0000000"},
        {"denormal", denormal, "0.0000000"},
        {"negative denormal", -denormal, "-0.0000000"},
        {"rounds to 1e-7", 0.00000006, "0.0000001"},
    };
    TempFolder dir;
    GridScope grid(0.4, 0.414, 0.002); // 8 points: one full line
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        // The value between two others, at each place of a line.
        for (int at = 0; at < 8; ++at) {
            LSMatrixHandle v(8, 1);
            for (int i = 0; i < 8; ++i)
                v[i] = i == at ? c.value : 1234567.5 + i;
            SpectraSet set;
            set.AddSpectrum("Rot", v);
            set.AddSpectrum("Grün", v);
            ASSERT_TRUE(set.SaveToFile(dir.file("s.txt")));
            const std::string text = ReadFile(dir.file("s.txt"));
            if (c.field) {
                const std::string field = std::string(16 - std::min<std::size_t>(16, std::strlen(c.field)), ' ') + c.field;
                EXPECT_NE(text.find(field), std::string::npos) << text;
            }
            SpectraSet back;
            ASSERT_TRUE(back.LoadFromFile(dir.file("s.txt")));
            ASSERT_EQ(back.GetCount(), 2);
            for (int s = 0; s < 2; ++s) {
                for (int i = 0; i < 8; ++i) {
                    const double want = v[i];
                    const double got = back.GetSpectrum(s)[i];
                    EXPECT_LE(std::fabs(got - want), 0.5e-7 + std::fabs(want) * 1e-15) << s << ":" << i;
                }
            }
            if (c.value == 0.0 && std::signbit(c.value)) {
                EXPECT_TRUE(std::signbit(back.GetSpectrum(0)[at]));
            }
        }
    }
}

TEST(SpeksFile, ResamplesOntoTheSetsGrid)
{
    TempFolder dir;
    // 5 nm file from 450 to 500 nm: 0, 10, 20, ... 100.
    std::string file = Header(1, 11, "450", "500", "5") + "Linie :\r\n";
    for (int i = 0; i <= 10; ++i)
        file += Value(10.0 * i) + (i % 8 == 7 || i == 10 ? "\r\n" : "");
    WriteFile(dir.file("coarse.txt"), file);

    GridScope grid(0.44, 0.51, 0.002); // 36 points, starting outside the file's range
    SpectraSet set;
    ASSERT_TRUE(set.LoadFromFile(dir.file("coarse.txt")));
    const LSMatrix v = set.GetSpectrum(0);
    ASSERT_EQ(MatRows(v), 36);
    for (int i = 0; i < 36; ++i) {
        const double nm = 440 + 2 * i;
        const double expected = nm < 450 || nm > 500 ? 0.0 : 2.0 * (nm - 450);
        EXPECT_NEAR(v[i], expected, 1e-9) << nm;
    }

    // One-point file: its value only at its own wavelength.
    WriteFile(dir.file("one.txt"), Header(1, 1, "460", "460", "1") + "Punkt :\r\n       7.0000000\r\n");
    ASSERT_TRUE(set.LoadFromFile(dir.file("one.txt")));
    EXPECT_EQ(MatSum(set.GetSpectrum(0)), 7.0);
    EXPECT_EQ(set.GetSpectrum(0)[10], 7.0); // 0.44 + 10*0.002 = 0.46

    // One-point set at XStart.
    GridScope single(0.46, 0.46, 0.001);
    SpectraSet point;
    ASSERT_TRUE(point.LoadFromFile(dir.file("coarse.txt")));
    ASSERT_EQ(point.PointCount, 1);
    EXPECT_NEAR(point.GetSpectrum(0)[0], 20.0, 1e-9);
}

TEST(SpeksFile, LoadTakesTheGridInForce)
{
    TempFolder dir;
    SpectraSet set; // made on the initial grid
    FillSet(set);
    ASSERT_TRUE(set.SaveToFile(dir.file("a.txt")));
    GridScope grid(0.5, 0.6, 0.001);
    ASSERT_TRUE(set.LoadFromFile(dir.file("a.txt")));
    EXPECT_EQ(set.PointCount, 101);
    EXPECT_EQ(set.XStart, 0.5);
    EXPECT_EQ(MatRows(set.GetSpectrum(0)), 101);

    SpectraSet own;
    ASSERT_TRUE(own.LoadFromFileOnFileGrid(dir.file("a.txt")));
    EXPECT_EQ(own.PointCount, 176);
    EXPECT_DOUBLE_EQ(own.XStep, 0.002);
}

TEST(SpeksFile, BadFiles)
{
    const std::string good = Header(1, 3, "400", "404", "2") + "Rot :\r\n       1.0000000       2.0000000       3.0000000\r\n";
    const std::string body = "Rot :\r\n 1 2 3\r\n";
    const struct {
        const char* name;
        std::string text;
        bool ok;
        int count;
    } cases[] = {
        {"good", good, true, 1},
        {"LF only", "Speks: 1 3 400 404 2\nRot :\n1 2 3\n", true, 1},
        {"CR only", "Speks: 1 3 400 404 2\rRot :\r1 2 3\r", true, 1},
        {"header only", "Speks: 0 3 400 404 2", true, 0},
        {"empty", "", false, 0},
        {"wrong keyword", "Spectra: 1 3 400 404 2\n" + body, false, 0},
        {"keyword glued to a number", "Speks:1 3 400 404 2\n" + body, false, 0},
        {"point count disagrees", "Speks: 1 4 400 404 2\n" + body, false, 0},
        {"step 0", "Speks: 1 3 400 404 0\n" + body, false, 0},
        {"negative step", "Speks: 1 3 404 400 -2\n" + body, false, 0},
        {"end below start", "Speks: 1 1 404 400 2\n" + body, false, 0},
        {"1e999 in the header", "Speks: 1 3 400 1e999 2\n" + body, false, 0},
        {"nan in the header", "Speks: 1 3 nan 404 2\n" + body, false, 0},
        {"huge point count, few values", "Speks: 1 2000000001 0 2000000000 1\n" + body, true, 1},
        {"point count beyond int", "Speks: 1 3000000001 0 3000000000 1\n" + body, false, 0},
        {"1e999 as a value", "Speks: 1 3 400 404 2\nRot :\n1 1e999 3\n", false, 0},
        {"name without blank before colon", "Speks: 1 3 400 404 2\nRot:\n1 2 3\n", false, 0},
        {"second name bad", "Speks: 2 3 400 404 2\nRot :\n1 2 3\nGruen\n1 2 3\n", false, 1},
        {"more spectra announced than present", "Speks: 5 3 400 404 2\n" + body, true, 1},
        {"as many spectra announced as bytes follow", "Speks: 15 3 400 404 2\n" + body, true, 1},
        {"more spectra announced than bytes follow", "Speks: 16 3 400 404 2\n" + body, false, 0},
        {"a billion spectra announced", "Speks: 1e9 3 400 404 2\n" + body, false, 0},
        {"1e308 spectra announced", "Speks: 1.7976931348623157e308 3 400 404 2\n" + body, false, 0},
        {"values missing at the end", "Speks: 1 3 400 404 2\nRot :\n1", true, 1},
        {"binary", std::string("Speks:\0\x01\x02\xff\xfe", 11), false, 0},
        {"1 MB name line", "Speks: 1 3 400 404 2\n" + std::string(1 << 20, 'n') + "\n1 2 3\n", false, 0},
        {"1 MB token", "Speks: 1 3 400 404 2\nRot :\n" + std::string(1 << 20, '9') + " 2 3\n", false, 0},
        // Tokens and name lines beyond 64 KiB are no "Speks:" file, whatever they hold.
        {"name line beyond 64 KiB", "Speks: 1 3 400 404 2\n" + std::string(70000, 'n') + " :\n1 2 3\n", false, 0},
        {"value token of zeros beyond 64 KiB", "Speks: 1 3 400 404 2\nRot :\n" + std::string(70000, '0') + " 2 3\n", false, 0},
        {"header token beyond 64 KiB", "Speks: " + std::string(70000, '0') + "1 3 400 404 2\n" + body, false, 0},
        {"values written wider than their field", "Speks: 1 3 400 404 2\nRot :\n 10000000.0000000 -1000000.0000000 1\n", true, 1},
    };
    TempFolder dir;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        WriteFile(dir.file("in.txt"), c.text);
        SpectraSet set;
        EXPECT_EQ(set.LoadFromFile(dir.file("in.txt")), c.ok);
        EXPECT_EQ(set.GetCount(), c.count);
        for (int i = 0; i < set.GetCount(); ++i)
            EXPECT_EQ(MatRows(set.GetSpectrum(i)), set.PointCount);
    }
    SpectraSet set;
    EXPECT_FALSE(set.LoadFromFile(dir.file("missing.txt")));
    EXPECT_FALSE(set.LoadFromFile(dir.path()));
}

TEST(SpeksFile, MissingValuesReadAsZero)
{
    TempFolder dir;
    WriteFile(dir.file("in.txt"), "Speks: 1 3 400 404 2\nRot :\n5");
    GridScope grid(0.4, 0.404, 0.002);
    SpectraSet set;
    ASSERT_TRUE(set.LoadFromFile(dir.file("in.txt")));
    EXPECT_EQ(set.GetSpectrum(0)[0], 5.0);
    EXPECT_EQ(set.GetSpectrum(0)[1], 0.0);
    EXPECT_EQ(set.GetSpectrum(0)[2], 0.0);
    SpectraSet own; // a table kept on its own grid must be complete
    EXPECT_FALSE(own.LoadFromFileOnFileGrid(dir.file("in.txt")));
}

TEST(SpeksFile, RefusesWhatCouldNotBeReadBack)
{
    TempFolder dir;
    const int n = GridPointCount();
    LSMatrixHandle v(n, 1);
    MatFill(v, 1.0);
    const double nan = std::nan("");
    const struct {
        const char* name;
        std::string spectrum;
        double bad;
    } cases[] = {
        {"line end in a name", "Rot\nGruen", 1.0},
        {"CR in a name", "Rot\r", 1.0},
        {"empty name", "", 1.0},
        {"leading blank", " Rot", 1.0},
        {"NaN value", "Rot", nan},
        {"infinite value", "Rot", INFINITY},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        WriteFile(dir.file("old.txt"), "old");
        v[3] = c.bad;
        SpectraSet set;
        set.AddSpectrum("Gut", v);
        set.AddSpectrum(c.spectrum, v);
        EXPECT_FALSE(set.SaveToFile(dir.file("old.txt")));
        EXPECT_EQ(ReadFile(dir.file("old.txt")), "old");
    }
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), {}), 1);
    SpectraSet set;
    EXPECT_FALSE(set.SaveToFile("/nonexistent-folder/s.txt"));
}

TEST(SpeksFile, RefusedSaveLogsTheSpectrumAsTyped)
{
    TempFolder dir;
    LSMatrixHandle good(GridPointCount(), 1), bad(GridPointCount(), 1);
    MatFill(good, 1.0);
    MatFill(bad, 1.0);
    bad[5] = std::nan("");
    const struct {
        const char* name;
        std::string spectrum;
        LSMatrix values;
    } cases[] = {
        {"line end in the name", "Rot 100%s\nGrün", good},
        {"NaN value", "50% Blau %d", bad},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        SpectraSet set;
        set.AddSpectrum("Gut", good);
        set.AddSpectrum(c.spectrum, c.values);
        LogScope log;
        EXPECT_FALSE(set.SaveToFile(dir.file("s.txt")));
        EXPECT_EQ(log.Take(), (Lines{"Speichere Spektren...", "Speichere...Gut", "Speichere..." + c.spectrum,
                                     "Fehler: Ungültiger Eintrag '" + c.spectrum + "' - Datei nicht gespeichert."}));
    }
}

TEST(SpeksFile, LoadLines)
{
    TempFolder dir;
    const std::string file = dir.file("Spektren 100%s.txt");
    const struct {
        const char* name;
        std::string text; // empty: no file
        bool ok;
        Lines after; // the lines behind "Lade Spektren..." and "Öffne Datei..."
    } cases[] = {
        {"missing file", "", false, {}},
        {"two spectra", "Speks: 2 3 400 404 2\nRot %d :\n1 2 3\nGrün :\n4 5 6\n", true,
         {"Lade...Rot %d", "Lade...Grün"}},
        {"bad second name line", "Speks: 2 3 400 404 2\nRot :\n1 2 3\nGruen\n1 2 3\n", false, {"Lade...Rot"}},
        {"1e999 as a value", "Speks: 1 3 400 404 2\nRot 100% :\n1 1e999 3\n", false,
         {"Lade...Rot 100%", "Spektren in Datei '" + file + "' konnten nicht geladen werden !!!"}},
        {"count beyond the file", "Speks: 99 3 400 404 2\nRot :\n1 2 3\n", false,
         {"Spektren in Datei '" + file + "' konnten nicht geladen werden !!!"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        std::filesystem::remove(file);
        if (!c.text.empty())
            WriteFile(file, c.text);
        SpectraSet set;
        LogScope log;
        EXPECT_EQ(set.LoadFromFile(file), c.ok);
        Lines expected = {"Lade Spektren...", "Öffne Datei..."};
        expected.insert(expected.end(), c.after.begin(), c.after.end());
        EXPECT_EQ(log.Take(), expected);
    }
}

TEST(SpeksFile, LongNamesAreCutAtACharacterBoundary)
{
    TempFolder dir;
    LSMatrixHandle v(GridPointCount(), 1);
    MatFill(v, 0.5);
    // 1019 ASCII bytes and then "ä" (2 bytes): byte 1020 would split the "ä".
    const std::string name = std::string(1019, 'a') + "\xC3\xA4" + "rest";
    SpectraSet set;
    set.AddSpectrum(name, v);
    ASSERT_TRUE(set.SaveToFile(dir.file("s.txt")));
    SpectraSet back;
    ASSERT_TRUE(back.LoadFromFile(dir.file("s.txt")));
    EXPECT_EQ(back.GetName(0), std::string(1019, 'a'));
}

// Sets the budget of spectra-set loads for its lifetime; the run budget afterwards.
class LoadBudgetScope {
public:
    explicit LoadBudgetScope(double bytes) { SpectraSet::SetLoadBudget(bytes); }
    ~LoadBudgetScope() { SpectraSet::SetLoadBudget(0.0); }
    LoadBudgetScope(const LoadBudgetScope&) = delete;
    LoadBudgetScope& operator=(const LoadBudgetScope&) = delete;
};

// n spectra of one value at 500 nm, the header announcing all of them.
std::string OnePointSpectra(int n)
{
    std::string text = "Speks: " + std::to_string(n) + " 1 500 500 1\r\n";
    for (int i = 0; i < n; ++i)
        text += "S" + std::to_string(i) + " :\r\n 1.5\r\n";
    return text;
}

// What a load holds stays within the budget whatever the header says: the spectra taken so
// far and the values of the one being read are checked before each allocation, and a file
// that would pass the budget is refused with nothing kept (a small budget stands for the
// run budget; the refused files would take 30 MB, 80 MB and 1.6 MB).
TEST(SpeksFile, LoadsStayWithinTheBudget)
{
    constexpr double kBudget = 1024.0 * 1024.0;
    const LoadBudgetScope budget(kBudget);
    std::string values200k = "Speks: 1 200000 0 199999 1\r\nLang :\r\n";
    for (int i = 0; i < 200000; ++i)
        values200k += "1\n";
    const struct {
        const char* name;
        std::string text;
        double start, end, step; // the global grid
        bool onFileGrid;
        int loaded; // -1: refused
    } cases[] = {
        {"400 one-point spectra on 176 points", OnePointSpectra(400), 0.4, 0.75, 0.002, false, 400},
        {"20,000 one-point spectra on 176 points", OnePointSpectra(20000), 0.4, 0.75, 0.002, false, -1},
        {"one spectrum on a grid of 10 million points", OnePointSpectra(1), 0.0, 10.0, 1e-6, false, -1},
        {"200,000 values on their own grid", values200k, 0.4, 0.75, 0.002, true, -1},
        {"200,000 values onto 176 points", values200k, 0.4, 0.75, 0.002, false, -1},
        {"2,000 one-point spectra on their own grid", OnePointSpectra(2000), 0.4, 0.75, 0.002, true, 2000},
    };
    TempFolder dir;
    const std::string file = dir.file("viele 100%s.txt");
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        WriteFile(file, c.text);
        GridScope grid(c.start, c.end, c.step);
        SpectraSet set;
        LogScope log;
        const bool loaded = c.onFileGrid ? set.LoadFromFileOnFileGrid(file) : set.LoadFromFile(file);
        const Lines lines = log.Take();
        ASSERT_FALSE(lines.empty());
        if (c.loaded >= 0) {
            EXPECT_TRUE(loaded);
            EXPECT_EQ(set.GetCount(), c.loaded);
            continue;
        }
        EXPECT_FALSE(loaded);
        EXPECT_EQ(set.GetCount(), 0) << "nothing half-loaded";
        EXPECT_EQ(lines.back(), "Fehler: Spektren in Datei '" + file + "' brauchen mehr als 1 MB Speicher - nichts geladen.");
        // Spectra refused by their count: those taken before the refusal fit the budget, one
        // more each with room to spare would not (so the refusal came near the budget).
        const auto taken = static_cast<double>(std::count_if(lines.begin(), lines.end(), [](const std::string& l) {
                               return l.rfind("Lade...", 0) == 0;
                           })) - 1.0;
        if (taken > 0) {
            const double vector = GridPointCount() * sizeof(double);
            EXPECT_LE(taken * vector, kBudget);
            EXPECT_GT((taken + 1) * (vector + 512.0), kBudget);
        }
    }

    // A file the user chose gets the load-failure line in the error colour after the reason.
    WriteFile(file, OnePointSpectra(20000));
    RecordingHost host;
    CurrentHost = &host;
    SpectraSet chosen;
    EXPECT_FALSE(chosen.LoadChosenFile(file));
    CurrentHost = nullptr;
    ASSERT_GE(host.log.size(), 2u);
    EXPECT_EQ(host.log[host.log.size() - 2].text.rfind("Fehler: Spektren in Datei '" + file + "' brauchen mehr als", 0), 0u);
    EXPECT_EQ(host.log.back().text, "Spektren in Datei '" + file + "' konnten nicht geladen werden !!!");
    EXPECT_EQ(host.log.back().colour, 0x000070u);
}

TEST(SpeksFile, LoadBudgetIsTheRunBudgetUnlessSet)
{
    EXPECT_EQ(SpectraSet::LoadBudget(), calc::RunMemoryBudget());
    {
        const LoadBudgetScope budget(4096.0);
        EXPECT_EQ(SpectraSet::LoadBudget(), 4096.0);
    }
    EXPECT_EQ(SpectraSet::LoadBudget(), calc::RunMemoryBudget());
}

TEST(SpectraSetContent, AddFindNormalize)
{
    SpectraSet set;
    const int n = set.PointCount;
    ASSERT_EQ(n, 176);
    LSMatrixHandle shortV(n - 1, 1), wide(n, 2), v(n, 1);
    MatFill(v, 2.0);
    set.AddSpectrum("kurz", shortV);
    set.AddSpectrum("breit", wide);
    set.AddSpectrum("null", nullptr);
    EXPECT_EQ(set.GetCount(), 0);
    set.AddSpectrum("a", v);
    v[7] = 4.0;
    set.AddSpectrum("b", v);
    set.AddSpectrum("a", v);
    EXPECT_EQ(set.GetCount(), 3);
    EXPECT_EQ(set.GetName(-1), "");
    EXPECT_EQ(set.GetName(3), "");
    EXPECT_EQ(set.GetSpectrum(3), nullptr);
    EXPECT_EQ(set.FindSpectrum("a"), set.GetSpectrum(0)); // the first of that name
    EXPECT_EQ(set.FindSpectrum("A"), nullptr);
    EXPECT_NE(set.GetSpectrum(1), v.get()); // the set keeps its own copy

    set.Normalize();
    EXPECT_EQ(set.GetSpectrum(0)[0], 0.5);
    EXPECT_EQ(set.GetSpectrum(1)[7], 1.0);

    SpectraSet negative;
    MatFill(v, -3.0);
    negative.AddSpectrum("n", v);
    negative.Normalize(); // largest value not positive: unchanged
    EXPECT_EQ(negative.GetSpectrum(0)[0], -3.0);
    SpectraSet empty;
    empty.Normalize();
    EXPECT_EQ(empty.GetCount(), 0);
}

} // namespace
