// The two exports: the plot script (bytes, errors, abort, rendered by gnuplot when it is
// installed) and the C source (bytes, checks, name escaping, and the file built by the C
// compiler with a harness that prints what it holds).
#include "led_modules_fixture.h"

#include "modules/create_source_module.h"
#include "modules/gnuplot_export_module.h"

#include "engine/ls_matrix.h"

#include "core/number_text.h"
#include "support/temp_dir.h"

#include <xandril/xandril.h>

#include <QImage>
#include <QProcess>
#include <QStandardPaths>

#include <cmath>
#include <fstream>
#include <functional>
#include <sstream>

namespace {

using test_support::ReadFile;
using test_support::WriteFile;

using led_test::ModulesTest;
using test_support::TempDir;

class ExportsTest : public ModulesTest {
protected:
    ClipboardObject* AddArray(const std::string& name, const char* key, const std::vector<double>& values)
    {
        auto* o = new ClipboardObject;
        o->SetName(name);
        o->GetParameters().addDouble1DArrayParameter(key, "", static_cast<int>(values.size()), values.data(), 0.0);
        EXPECT_TRUE(host.clipboard.AddInserter(o));
        return o;
    }

    TempDir dir;
};

// --- plot script -------------------------------------------------------------------------

class GnuplotExportTest : public ExportsTest {
protected:
    GnuplotExportTest()
    {
        Attach(module);
        p.setStringParameter("Filename", file);
        p.setStringParameter("ClipboardObjectsDesc", "M");
    }

    GnuplotExportModule module;
    ns_param::Paramora& p = module.getParameters();
    std::string file = dir.file("plot.gp");
};

TEST_F(GnuplotExportTest, WritesTheScriptByteForByte)
{
    const std::string head = "set terminal png\nset output \"output.png\"\n\n";
    const struct {
        const char* name;
        std::function<void()> setup;
        std::string expected;
    } cases[] = {
        {"two objects, three series",
         [this] {
             AddArray("M:a", "Measures", {1.5, -0.5, 2});
             AddArray("M:b", "Measures", {3, 4, 5});
         },
         head + "plot '-' with dots, '-' with dots, '-' with dots\n"
                "\t0\t      1.50000000\n\t1\t      3.00000000\ne\n"
                "\t0\t     -0.50000000\n\t1\t      4.00000000\ne\n"
                "\t0\t      2.00000000\n\t1\t      5.00000000\ne\n"},
        {"an object of another count is left out, rows stay consecutive",
         [this] {
             AddArray("M:a", "Measures", {1, 2});
             AddArray("M:b", "Measures", {9});
             AddArray("M:c", "Measures", {3, 4});
             AddObject("M:d", {{"Measures", "5 6"}}); // a string, not an array
         },
         head + "plot '-' with dots, '-' with dots\n"
                "\t0\t      1.00000000\n\t1\t      3.00000000\ne\n"
                "\t0\t      2.00000000\n\t1\t      4.00000000\ne\n"},
        {"lightnesses win over measures",
         [this] {
             ClipboardObject* o = AddArray("M:a", "Measures", {7, 7, 7});
             o->GetParameters().addDouble1DArrayParameter("Lightnesses", "", 1, nullptr, 0.25);
             AddArray("M:b", "Measures", {8});
             AddArray("M:c", "Lightnesses", {0.75});
         },
         head + "plot '-' with dots\n\t0\t      0.25000000\n\t1\t      0.75000000\ne\n"},
        {"wide values in full, percent signs and an empty style as they stand",
         [this] {
             p.setStringParameter("InitSequence", "set title '100%d %s'\n");
             p.setStringParameter("ViewSettings", "");
             AddArray("M:a", "Measures", {12345678901.0, -1e-9});
         },
         "set title '100%d %s'\n\nplot '-' , '-' \n\t0\t12345678901.00000000\ne\n\t0\t     -0.00000000\ne\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        host.clipboard.DeleteInserters("M");
        p.setStringParameter("InitSequence", "set terminal png\nset output \"output.png\"\n");
        p.setStringParameter("ViewSettings", "with dots");
        c.setup();
        host.log.clear();
        ASSERT_TRUE(module.do_export());
        EXPECT_EQ(ReadFile(file), c.expected);
        EXPECT_TRUE(host.log.empty());
    }
    EXPECT_EQ(host.statusTexts.back(), "Schreibe Datei...");
}

TEST_F(GnuplotExportTest, RowNumbersCountOnAcrossEveryDigitBoundary)
{
    // The rows are numbered in text, digit by digit: 9 -> 10, 99 -> 100, 999 -> 1000, and
    // each series starts at 0 again.
    constexpr int kRows = 1002;
    for (int i = 0; i < kRows; ++i)
        AddArray("M:o" + std::to_string(i), "Measures", {static_cast<double>(i), -0.5});
    ASSERT_TRUE(module.do_export());
    std::string expected = "set terminal png\nset output \"output.png\"\n\nplot '-' with dots, '-' with dots\n";
    for (const char* fraction : {".00000000", "-0.50000000"}) {
        for (int i = 0; i < kRows; ++i) {
            const std::string value = fraction[0] == '.' ? std::to_string(i) + fraction : fraction;
            expected += "\t" + std::to_string(i) + "\t" + std::string(16 - value.size(), ' ') + value + "\n";
        }
        expected += "e\n";
    }
    EXPECT_EQ(ReadFile(file), expected);
}

TEST_F(GnuplotExportTest, ErrorsAndAbortKeepTheOldFile)
{
    const struct {
        const char* name;
        std::function<void()> setup;
        const char* line;
        COLORREF colour;
    } cases[] = {
        {"nothing selected", [] {}, "Fehler: Keine Messwerte oder Helligkeiten angegeben!",
         0x000070},
        {"first object without array",
         [this] {
             AddObject("M:a", {{"Name", "x"}});
             AddArray("M:b", "Measures", {1});
         },
         "Fehler: Unbekanntes Datenformat im ersten Element!", 0x000070},
        {"first array empty",
         [this] {
             AddArray("M:a", "Measures", {});
             AddArray("M:b", "Measures", {1});
         },
         "Fehler: Keine Messwerte oder Helligkeiten angegeben!", 0x000070},
        {"abort while writing",
         [this] {
             AddArray("M:a", "Measures", {1, 2, 3});
             host.wantsAbort = true;
         },
         "Hinweis: Export abgebrochen, die Datei wurde nicht geschrieben.", 0x007000},
        {"unwritable path",
         [this] {
             AddArray("M:a", "Measures", {1});
             p.setStringParameter("Filename", dir.file("missing/plot.gp"));
         },
         nullptr, 0x000070},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        host.clipboard.DeleteInserters("M");
        host.wantsAbort = false;
        p.setStringParameter("Filename", file);
        WriteFile(file, "old");
        c.setup();
        host.log.clear();
        EXPECT_FALSE(module.do_export());
        ASSERT_EQ(host.log.size(), 1u);
        const std::string line = c.line ? c.line
                                        : "Fehler: Konnte Datei '" + *p.getStringParameter("Filename") +
                                              "' nicht zum Schreiben öffnen!";
        EXPECT_EQ(host.log[0].text, line);
        EXPECT_EQ(host.log[0].colour, c.colour);
        EXPECT_EQ(ReadFile(file), "old");
    }
}

TEST_F(GnuplotExportTest, GnuplotRendersTheScript)
{
    const QString gnuplot = QStandardPaths::findExecutable("gnuplot");
    if (gnuplot.isEmpty())
        GTEST_SKIP() << "gnuplot not installed (scripts/install-deps.sh installs gnuplot-nox)";
    AddArray("M:a", "Measures", {1, 2, 3, 4, 5, 6, 7});
    AddArray("M:b", "Measures", {2, 3, 1, 5, 4, 7, 6});
    AddArray("M:c", "Measures", {3, 1, 2, 6, 7, 4, 5});
    p.setStringParameter("ViewSettings", "with linespoints");
    const auto run = [&](QString* output) {
        QProcess process;
        process.setWorkingDirectory(QString::fromStdString(dir.path().string()));
        process.start(gnuplot, {QString::fromStdString(file)});
        EXPECT_TRUE(process.waitForFinished(60000));
        if (output)
            *output = QString::fromUtf8(process.readAllStandardOutput());
        return process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    };

    ASSERT_TRUE(module.do_export());
    EXPECT_EQ(run(nullptr), 0);
    const QImage png(QString::fromStdString(dir.file("output.png")));
    EXPECT_EQ(png.size(), QSize(640, 480));

    p.setStringParameter("InitSequence", "set terminal dumb\n");
    ASSERT_TRUE(module.do_export());
    QString text;
    EXPECT_EQ(run(&text), 0);
    EXPECT_GT(text.count('\n'), 10) << text.toStdString();
    EXPECT_TRUE(text.contains('+') || text.contains('*')) << text.toStdString();
}

// --- C source ----------------------------------------------------------------------------

class CreateSourceTest : public ExportsTest {
protected:
    CreateSourceTest()
    {
        Attach(module);
        p.setStringParameter("Filename", file);
        p.setStringParameter("LEDSpecs", "L");
        p.setStringParameter("TargetSpecs", "T");
        p.setStringParameter("InterpolatorSpecs", "I");
    }

    // count spectra under group, 3 points from 400 nm in steps of 10, y = first + i*3 + k.
    void AddSpectra(const std::string& group, int count, double first, const char* stem = "s")
    {
        for (int i = 0; i < count; ++i) {
            const double base = first + i * 3;
            AddCurve(group + ":" + stem + std::to_string(10 + i), 400, 10, 3,
                     [base](double x) { return base + (x - 400) / 10; });
        }
    }

    CreateSourceModule module;
    ns_param::Paramora& p = module.getParameters();
    std::string file = dir.file("leds.c");
};

TEST(CreateSourceText, MatrixBlockByteForByte)
{
    LSMatrixHandle m(3, 2);
    const double values[] = {1, 4, 2, 5, 3, 6};
    for (int k = 0; k < 6; ++k)
        m[k] = values[k];
    std::string out;
    CreateSourceModule::WriteMatrix(out, "g_pLedSpecs", m);
    EXPECT_EQ(out, "struct {\r\n    int rows;\r\n    int cols;\r\n"
                   "    double values[6]; } _static_g_pLedSpecs __attribute__((far)) = { 3, 2, {\r\n"
                   "    1, 4, \r\n    2, 5, \r\n    3, 6} };\r\n"
                   "LSMatrix g_pLedSpecs = &(_static_g_pLedSpecs.values[0]);\r\n\r\n");
    LSMatrixHandle g(1, 3);
    g[0] = 1234567.0;
    g[1] = 0.000012345678;
    g[2] = -2.5;
    out.clear();
    CreateSourceModule::WriteMatrix(out, "m", g);
    EXPECT_NE(out.find("{ 1, 3, {\r\n    1.23457e+06, 1.23457e-05, -2.5} };\r\n"), std::string::npos) << out;
}

TEST(CreateSourceText, NamesAreCutEncodedAndEscaped)
{
    const std::pair<std::string, std::string> cases[] = {
        {"Group:Sub:T1", "T1"},
        {"T2", "T2"},
        {":Wurzel", ":Wurzel"},
        {"A:", ""},
        {"Gr\xC3\xBCn \xE2\x82\xAC", "Gr\xFCn \x80"},         // ü and € have Windows-1252 bytes
        {"\xCE\xA9", "\\316\\251"},                           // Ω has none: its UTF-8 bytes
        {"a\"b\\c\td\r", "a\\\"b\\\\c\\011d\\015"},             // quote, backslash, controls
        {"wer?" "?/was?", "wer\\?\\?/was\\?"},               // no trigraph survives
        {"x\x7F" "1", "x\\1771"},                              // octal escapes are three digits
        {"Gr\xFCn", "Gr\xFCn"},                               // a Windows-1252 byte stays
    };
    for (const auto& [name, expected] : cases)
        EXPECT_EQ(CreateSourceModule::CName(name), expected) << name;
    EXPECT_EQ(CreateSourceModule::CName(std::string(10001, 'x')), std::string(10000, 'x'));
    EXPECT_EQ(CreateSourceModule::CName(std::string(10001, 'y') + ":" + std::string(10001, 'z')),
              std::string(10000, 'z'));
    std::string umlauts;
    for (int i = 0; i < 10001; ++i)
        umlauts += "\xC3\xA4";
    EXPECT_EQ(CreateSourceModule::CName(umlauts), std::string(10000, '\xE4')) << "characters, not bytes";
}

TEST_F(CreateSourceTest, WritesTheWholeFileByteForByte)
{
    AddCurve("L:a", 400, 10, 3, [](double x) { return (x - 390) / 10; });     // 1 2 3
    AddCurve("L:b", 400, 10, 3, [](double x) { return (x - 390) / 10 + 3; }); // 4 5 6
    AddCurve("T:Group:Sub:T1", 400, 10, 3, [](double) { return 0.5; });
    AddCurve("T:T2", 400, 10, 3, [](double x) { return x; });
    AddCurve("I:i0", 400, 10, 3, [](double) { return 1; });
    AddCurve("I:i1", 400, 10, 3, [](double) { return 2; });
    ASSERT_TRUE(module.create_source());
    const std::string star = "/" + std::string(58, '*') + "\r\n";
    const std::string framed = " *" + std::string(56, ' ') + "*\r\n";
    const std::string expected =
        star + framed + " * Automatisch generierter Quelltext f\xFCr die LED-Regelung *\r\n" + framed + " " +
        std::string(58, '*') + "/\r\n\r\n#define LSMatrix double*\r\n\r\n/* Definition der LED-Spektren */\r\n"
        "struct {\r\n    int rows;\r\n    int cols;\r\n"
        "    double values[6]; } _static_g_pLedSpecs __attribute__((far)) = { 3, 2, {\r\n"
        "    1, 4, \r\n    2, 5, \r\n    3, 6} };\r\nLSMatrix g_pLedSpecs = &(_static_g_pLedSpecs.values[0]);\r\n\r\n"
        "\r\n/* Definition der Zielspektren */\r\n"
        "struct {\r\n    int rows;\r\n    int cols;\r\n"
        "    double values[6]; } _static_g_pTargetSpecs __attribute__((far)) = { 3, 2, {\r\n"
        "    0.5, 400, \r\n    0.5, 410, \r\n    0.5, 420} };\r\n"
        "LSMatrix g_pTargetSpecs = &(_static_g_pTargetSpecs.values[0]);\r\n\r\n"
        "\r\n/* Definition der Namen der Zielspektren */\r\nchar *g_pSpecNames[] = {\r\n\"T1\", \"T2\",  0};\r\n"
        "struct {\r\n    int rows;\r\n    int cols;\r\n"
        "    double values[3]; } _static_g_pInterpolator00 __attribute__((far)) = { 3, 1, {\r\n"
        "    1, \r\n    1, \r\n    1} };\r\nLSMatrix g_pInterpolator00 = &(_static_g_pInterpolator00.values[0]);\r\n\r\n"
        "struct {\r\n    int rows;\r\n    int cols;\r\n"
        "    double values[3]; } _static_g_pInterpolator01 __attribute__((far)) = { 3, 1, {\r\n"
        "    2, \r\n    2, \r\n    2} };\r\nLSMatrix g_pInterpolator01 = &(_static_g_pInterpolator01.values[0]);\r\n\r\n"
        "LSMatrix g_pInterpolators[] = {&(_static_g_pInterpolator00.values[0]), "
        "&(_static_g_pInterpolator01.values[0]), 0};\r\n";
    EXPECT_EQ(ReadFile(file), expected);
    EXPECT_EQ(host.progressHistory, (std::vector<double>{10, 20, 30, 40, 90, 100}));
    EXPECT_EQ(host.statusTexts, (std::vector<std::string>{"Schreibe Header", "Schreibe LED-Matrix",
                                                          "Schreibe Zielspektren-Matrix", "Schreibe Interpolatoren",
                                                          "Schreibe Interpolator-Zugriffs-Array"}));
    // The grid of the first set stays.
    EXPECT_DOUBLE_EQ(XStart, 0.4);
    EXPECT_DOUBLE_EQ(XEnd, 0.42);
    EXPECT_DOUBLE_EQ(XStep, 0.01);
    EXPECT_FALSE(module.InRun());
}

TEST_F(CreateSourceTest, ChecksInOrderAndKeepsTheOldFile)
{
    const struct {
        const char* name;
        int leds, targets, interpolators;
        std::function<void()> extra;
        std::string line;
    } cases[] = {
        {"nothing", 0, 0, 0, nullptr, "Fehler: Keine LED-Spektren angegeben!"},
        {"no targets", 2, 0, 0, nullptr, "Fehler: Keine Ziel-Spektren angegeben!"},
        {"no interpolators", 2, 2, 0, nullptr, "Fehler: Keine Interpolator-Spektren angegeben!"},
        {"5 interpolators for 2 targets", 2, 2, 5, nullptr,
         "Fehler: Anzahl der Interpolator-Spektren ist kein ganzzahliges Vielfaches der Anzahl der Zielspektren!"},
        {"a value that is not finite", 2, 2, 3,
         [this] { AddCurve("T:z", 400, 10, 3, [](double x) { return x > 405 ? NAN : 1.0; }); },
         "Fehler: Spektrum 'T:z' enthält ungültige Werte!"},
        {"unwritable path", 1, 1, 1,
         [this] { p.setStringParameter("Filename", dir.file("none/leds.c")); },
         "Fehler: Konnte Datei '" + dir.file("none/leds.c") + "' nicht zum Schreiben öffnen"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        for (const char* group : {"L", "T", "I"})
            host.spectra.DeleteInserters(group);
        p.setStringParameter("Filename", file);
        AddSpectra("L", c.leds, 1);
        AddSpectra("T", c.targets, 2);
        AddSpectra("I", c.interpolators, 3);
        if (c.extra)
            c.extra();
        WriteFile(file, "old");
        host.log.clear();
        EXPECT_FALSE(module.create_source());
        ASSERT_EQ(host.log.size(), 1u);
        EXPECT_EQ(host.log[0].text, c.line);
        EXPECT_EQ(host.log[0].colour, 0x000070u);
        EXPECT_EQ(ReadFile(file), "old");
        EXPECT_FALSE(module.InRun());
    }
    // Targets that the reader refuses (another grid than the LED spectra, not equidistant):
    // its lines alone, no claim that no targets were given; the old file stays.
    const std::string mismatch = "Fehler: Der Definitionsbereich stimmt nicht mit vorhergehender Spektrenmenge überein:";
    const struct {
        const char* name;
        std::function<void()> targets;
        std::vector<std::string> lines;
    } refused[] = {
        {"another grid", [this] { AddCurve("T:other", 400, 5, 5, [](double) { return 1.0; }); },
         {mismatch, "   (400 bis 420 mit Schrittweite 10) zu (400 bis 420 mit Schrittweite 5)"}},
        {"not equidistant",
         [this] {
             AddCurve("T:a", 400, 10, 3, [](double) { return 1.0; });
             AddCurve("T:b", 400, 5, 5, [](double) { return 1.0; });
         },
         {"Fehler: Spektren sind nicht äquidistant oder haben unterschiedliche Defintionsbereiche in 'T'"}},
    };
    for (const auto& c : refused) {
        SCOPED_TRACE(c.name);
        host.spectra.DeleteInserters("T");
        c.targets();
        WriteFile(file, "old");
        host.log.clear();
        EXPECT_FALSE(module.create_source());
        std::vector<std::string> texts;
        for (const auto& line : host.log)
            texts.push_back(line.text);
        EXPECT_EQ(texts, c.lines);
        EXPECT_EQ(ReadFile(file), "old");
        EXPECT_FALSE(module.InRun());
    }
}

// The harness's report: matrices by name (rows, cols, values) and the names.
struct Compiled {
    struct Matrix {
        int rows = 0, cols = 0;
        std::vector<double> values;
    };
    std::map<std::string, Matrix> matrices;
    std::vector<std::string> names;
};

Compiled CompileAndRun(const TempDir& dir, const std::string& source)
{
    Compiled result;
    const QString exe = QString::fromStdString(dir.file("harness"));
    QProcess cc;
    cc.start(ORVANTA_C_COMPILER, {"-std=c99", "-Wall", "-Wno-attributes", "-Werror", "-o", exe,
                                  QString::fromStdString(source), ORVANTA_TEST_DATA_DIR "/led/c_export_harness.c"});
    EXPECT_TRUE(cc.waitForFinished(120000));
    EXPECT_EQ(cc.exitCode(), 0) << cc.readAllStandardError().toStdString();
    QProcess run;
    run.start(exe, {});
    EXPECT_TRUE(run.waitForFinished(60000));
    EXPECT_EQ(run.exitCode(), 0);
    std::istringstream lines(run.readAllStandardOutput().toStdString());
    std::string line;
    Compiled::Matrix* current = nullptr;
    while (std::getline(lines, line)) {
        if (line.rfind("matrix ", 0) == 0) {
            std::istringstream head(line.substr(7));
            std::string name;
            Compiled::Matrix m;
            head >> name >> m.rows >> m.cols;
            current = &(result.matrices[name] = m);
        } else if (line.rfind("name <", 0) == 0 && line.back() == '>') {
            result.names.push_back(line.substr(6, line.size() - 7));
        } else if (current) {
            current->values.push_back(number_text::ToDouble(line.c_str()));
        }
    }
    return result;
}

TEST_F(CreateSourceTest, TheCCompilerBuildsTheExportWithTheSpectraItCameFrom)
{
    // 3 targets, 12 interpolators: three matrices of 4 columns; values with many digits.
    const auto value = [](int spectrum, double x) { return std::sin(spectrum * 0.7 + x * 0.013) * 1234.56789e-3; };
    for (int i = 0; i < 2; ++i)
        AddCurve("L:led" + std::to_string(i), 380, 2, 201, [&](double x) { return value(i, x); });
    const std::string targetNames[] = {"Ziele:quote\"back\\slash\ttab", "Ziele:Gr\xC3\xBCn", "Ziele:plain"};
    for (int i = 0; i < 3; ++i)
        AddCurve("T:" + targetNames[i], 380, 2, 201, [&](double x) { return value(10 + i, x); });
    for (int i = 0; i < 12; ++i)
        AddCurve("I:i" + std::to_string(10 + i), 380, 2, 201, [&](double x) { return value(20 + i, x); });
    ASSERT_TRUE(module.create_source());

    const Compiled c = CompileAndRun(dir, file);
    EXPECT_EQ(c.names, (std::vector<std::string>{"quote\"back\\slash\ttab", "Gr\xFCn", "plain"}));
    const auto check = [&](const std::string& name, int firstSpectrum, int cols) {
        SCOPED_TRACE(name);
        ASSERT_EQ(c.matrices.count(name), 1u);
        const Compiled::Matrix& m = c.matrices.at(name);
        ASSERT_EQ(m.rows, 201);
        ASSERT_EQ(m.cols, cols);
        ASSERT_EQ(m.values.size(), 201u * cols);
        for (int r = 0; r < 201; ++r)
            for (int k = 0; k < cols; ++k) {
                const double expected = value(firstSpectrum + k, 380 + 2 * r);
                EXPECT_NEAR(m.values[r * cols + k], expected, std::abs(expected) * 5e-6 + 1e-300) << r << "," << k;
            }
    };
    check("leds", 0, 2);
    check("targets", 10, 3);
    for (int i = 0; i < 3; ++i)
        check("interpolator" + std::to_string(i), 20 + 4 * i, 4);
    EXPECT_EQ(c.matrices.size(), 5u);
}

TEST_F(CreateSourceTest, ElevenTargetsNameTheLastInterpolatorTen)
{
    AddSpectra("L", 1, 1);
    AddSpectra("T", 11, 2);
    AddSpectra("I", 11, 3);
    ASSERT_TRUE(module.create_source());
    const std::string text = ReadFile(file);
    EXPECT_NE(text.find("_static_g_pInterpolator09 __attribute__"), std::string::npos);
    EXPECT_NE(text.find("_static_g_pInterpolator10 __attribute__"), std::string::npos);
    EXPECT_NE(text.find("&(_static_g_pInterpolator10.values[0]), 0};\r\n"), std::string::npos);
    EXPECT_EQ(text.find("g_pInterpolator11"), std::string::npos);
    EXPECT_EQ(text.find("g_pInterpolator010"), std::string::npos);
    // Every line ends in CR LF.
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\n') {
            ASSERT_TRUE(i > 0 && text[i - 1] == '\r') << i;
        }
    }
    EXPECT_EQ(CompileAndRun(dir, file).matrices.size(), 13u);
}

} // namespace
