// The column-text spectra loader: layouts, options, decimal marks, names, and every failure.
#include "load_ascii_module.h"
#include "loadsave_test_support.h"
#include "messages.h"

#include <gtest/gtest.h>

#include <cfloat>
#include <filesystem>

using namespace loadsave_test;

namespace {

using Points = std::vector<std::pair<double, double>>;

constexpr char kFileName[] = "Messung!LED?rot.txt";

struct Options {
    std::string separator = ";";
    bool useNames = false;
    std::string baseName{};
    std::string preName{};
    double factor = 1;
};

struct Loaded {
    bool ok;
    std::vector<SpectrumView> spectra;
    std::vector<std::string> log;
};

Loaded LoadAscii(const std::string& content, const Options& options, const std::string& fileName = kFileName)
{
    test_support::TempDir dir;
    const std::string path = dir.file(fileName);
    WriteBytes(path, content);
    RecordingHost host;
    auto& loader = AddModule<LoadASCIIModule>(host, kLoadAsciiPath);
    ns_param::Paramora& p = loader.getParameters();
    p.setStringParameter("Trennzeichen", options.separator);
    p.setBoolParameter("UseNamesFromFile", options.useNames);
    p.setStringParameter("ObjBaseName", options.baseName);
    p.setStringParameter("PreName", options.preName);
    p.setDoubleParameter("WavelengthNorm2nm", options.factor);
    const bool ok = loader.LoadFile(path, "Ziel wird nicht verwendet");
    return {ok, Spectra(host), Log(host)};
}

} // namespace

TEST(LoadAscii, LayoutsAndOptions)
{
    using S = std::vector<SpectrumView>;
    const struct {
        const char* name;
        std::string file;
        Options options;
        S spectra;
    } rows[] = {
        {"name line taken for a name line and skipped",
         ";LED1;LED2\r\n380;1;2\r\n390;3;4\r\n",
         {},
         S{{"rot:Spec0", {{380, 1}, {390, 3}}}, {"rot:Spec1", {{380, 2}, {390, 4}}}}},
        {"generated names from ObjBaseName",
         ";LED1;LED2\r\n380;1;2\r\n",
         {.baseName = " Probe "},
         S{{"rot:Probe0", {{380, 1}}}, {"rot:Probe1", {{380, 2}}}}},
        {"names from the file",
         "; LED1 ;LED2\r\n380;1;2\r\n",
         {.useNames = true, .baseName = "Probe"},
         S{{"rot:LED1", {{380, 1}}}, {"rot:LED2", {{380, 2}}}}},
        {"PreName replaces the group", "380;1\r\n", {.preName = " Import:Serie "}, S{{"Import:Serie:Spec0", {{380, 1}}}}},
        {"separator given with blanks", "380;1\r\n", {.separator = " ; "}, S{{"rot:Spec0", {{380, 1}}}}},
        {"several separator characters", "380;1|2\r\n", {.separator = ";|"},
         S{{"rot:Spec0", {{380, 1}}}, {"rot:Spec1", {{380, 2}}}}},
        {"German decimal mark; the first wavelength is read with a point",
         "380,5;1,25;2\r\n390,5;3,5;4\r\n",
         {},
         S{{"rot:Spec0", {{380, 1.25}, {390.5, 3.5}}}, {"rot:Spec1", {{380, 2}, {390.5, 4}}}}},
        {"a first data line without marks keeps the decimals of later lines",
         "380;1;2\r\n390;2.7;4\r\n",
         {},
         S{{"rot:Spec0", {{380, 1}, {390, 2.7}}}, {"rot:Spec1", {{380, 2}, {390, 4}}}}},
        {"a comma among the separators leaves the point as decimal mark",
         "380,117.812;0.0341\r\n390,1.5;2\r\n",
         {.separator = ",;"},
         S{{"rot:Spec0", {{380, 117.812}, {390, 1.5}}}, {"rot:Spec1", {{380, 0.0341}, {390, 2}}}}},
        {"whitespace mode splits at blanks and tabs", "380\t1 \t2\r\n390\t3\t4\r\n", {.separator = ""},
         S{{"rot:Spec0", {{380, 1}, {390, 3}}}, {"rot:Spec1", {{380, 2}, {390, 4}}}}},
        {"\\t stands for a tab; an empty field is 0", "380\t1\t\t2\r\n", {.separator = "\\t"},
         S{{"rot:Spec0", {{380, 1}}}, {"rot:Spec1", {{380, 0}}}, {"rot:Spec2", {{380, 2}}}}},
        {"a wavelength of 0 marks a name line", "0;1;2\r\n380;3;4\r\n", {},
         S{{"rot:Spec0", {{380, 3}}}, {"rot:Spec1", {{380, 4}}}}},
        {"whitespace mode: runs of blanks", "380  0  1\r\n390 2   3 \r\n", {.separator = "  "},
         S{{"rot:Spec0", {{380, 0}, {390, 2}}}, {"rot:Spec1", {{380, 1}, {390, 3}}}}},
        {"whitespace mode: a leading blank empties the first field", " 380 1 2\r\n390 3 4\r\n", {.separator = ""},
         S{{"rot:Spec0", {{390, 3}}}, {"rot:Spec1", {{390, 4}}}}},
        {"wavelength factor", "0.38;1\r\n0.39;2\r\n", {.factor = 1000}, S{{"rot:Spec0", {{380, 1}, {390, 2}}}}},
        {"wavelength factor 0", "380;1\r\n", {.factor = 0}, S{{"rot:Spec0", {{0, 1}}}}},
        {"a separator at the end of a line adds no spectrum", "380;1;\r\n390;2;\r\n", {},
         S{{"rot:Spec0", {{380, 1}, {390, 2}}}}},
        {"blank lines and leading blanks pass", "380;1\r\n\r\n   \r\n  390;2\r\n", {},
         S{{"rot:Spec0", {{380, 1}, {390, 2}}}}},
        {"overflowing values stay finite", "380;1e999;-1.5e999\r\n", {},
         S{{"rot:Spec0", {{380, DBL_MAX}}}, {"rot:Spec1", {{380, -DBL_MAX}}}}},
        {"fewer names than columns, and empty names, get generated ones",
         ";A;;C\r\n380;1;2;3;4\r\n",
         {.useNames = true},
         S{{"rot:A", {{380, 1}}}, {"rot:Spec1", {{380, 2}}}, {"rot:C", {{380, 3}}}, {"rot:Spec3", {{380, 4}}}}},
        {"names of colons only are generated as well", ";:;B\r\n380;1;2\r\n", {.useNames = true},
         S{{"rot:Spec0", {{380, 1}}}, {"rot:B", {{380, 2}}}}},
        {"Windows-1252 names", ";M\xFCller;\x80\r\n380;1;2\r\n", {.useNames = true},
         S{{"rot:M\xC3\xBCller", {{380, 1}}}, {"rot:\xE2\x82\xAC", {{380, 2}}}}},
        {"a UTF-8 byte order mark", "\xEF\xBB\xBF;A\r\n380;1\r\n", {.useNames = true}, S{{"rot:A", {{380, 1}}}}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        const Loaded loaded = LoadAscii(row.file, row.options);
        EXPECT_TRUE(loaded.ok);
        EXPECT_EQ(loaded.spectra, row.spectra);
        EXPECT_EQ(loaded.log, std::vector<std::string>{});
    }
}

TEST(LoadAscii, EveryLineEndReadsAlike)
{
    for (const std::string separator : {";", " "}) {
        SCOPED_TRACE("separator '" + separator + "'");
        const std::string lines[] = {separator + "A" + separator + "B", "380" + separator + "1" + separator + "2",
                                     "390" + separator + "3" + separator + "4", "400" + separator + "5" + separator + "6"};
        const auto join = [&](const std::string& end, bool endLast) {
            std::string text;
            for (const std::string& line : lines)
                text += line + (endLast || &line != &lines[3] ? end : "");
            return text;
        };
        const Options options{.separator = separator, .useNames = true};
        const Loaded reference = LoadAscii(join("\r\n", true), options);
        ASSERT_EQ(reference.spectra.size(), 2u);
        EXPECT_EQ(reference.spectra[0].points, (Points{{380, 1}, {390, 3}, {400, 5}}));
        for (const std::string end : {"\n", "\r"}) {
            EXPECT_EQ(LoadAscii(join(end, true), options).spectra, reference.spectra);
            EXPECT_EQ(LoadAscii(join(end, false), options).spectra, reference.spectra);
        }
        const std::string mixed = lines[0] + "\n" + lines[1] + "\r\n" + lines[2] + "\r" + lines[3];
        EXPECT_EQ(LoadAscii(mixed, options).spectra, reference.spectra);
    }
}

TEST(LoadAscii, LaterRowsReadAlikeWhateverTheirFields)
{
    // Rows after the first are read in one pass while their fields are plain decimals and by
    // the general rule otherwise; each row here holds a field of the second kind among plain
    // ones, and must give the values the general rule gives.
    const struct {
        const char* name;
        std::string row;
        Options options;
        std::vector<double> values; // the second row's x and values
    } rows[] = {
        {"plain and padded fields", "   390.25;   -1.5 ;+2", {}, {390.25, -1.5, 2}},
        {"an exponent", "390;1.5e2;2", {}, {390, 150, 2}},
        {"an exponent in the wavelength", "3.9E2;1;2", {}, {390, 1, 2}},
        {"more than 19 digits", "390;12345678901234567890.5;2", {}, {390, 12345678901234567890.5, 2}},
        {"digits above 2^53", "390;9007199254740993;2", {}, {390, 9007199254740993.0, 2}},
        {"a tab inside a field", "390;\t3\t;4", {}, {390, 3, 4}},
        {"an empty middle field is 0", "390;;4", {}, {390, 0, 4}},
        {"a field of blanks is 0", "390;   ;4", {}, {390, 0, 4}},
        {"blanks before the separator of the wavelength", "390   ;1;2", {}, {390, 1, 2}},
        {"a decimal mark without digits after it", "390.;1.;.5", {}, {390, 1, 0.5}},
        {"more fields than spectra", "390;1;2;x", {}, {390, 1, 2}},
        {"a negative wavelength is stored as 0", "-390;1;2", {}, {0, 1, 2}},
        {"comma mark from the first row", "390,5;1,25;2", {}, {390.5, 1.25, 2}},
        {"tab separator", "390\t1 \t 2", {.separator = "\\t"}, {390, 1, 2}},
        {"whitespace mode", "390 \t1   2", {.separator = ""}, {390, 1, 2}},
        {"whitespace mode with an exponent", "390 1e0 2E+0", {.separator = ""}, {390, 1, 2}},
        {"separators of two characters", "390;1|2", {.separator = ";|"}, {390, 1, 2}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        const bool comma = row.row.find(',') != std::string::npos;
        std::string first = "380" + std::string(comma ? ",0" : "") + ";1;2";
        if (row.options.separator == "\\t")
            first = "380\t1\t2";
        else if (row.options.separator.empty())
            first = "380 1 2";
        else if (row.options.separator == ";|")
            first = "380;1|2";
        const Loaded loaded = LoadAscii(first + "\r\n" + row.row + "\r\n", row.options);
        ASSERT_TRUE(loaded.ok);
        ASSERT_EQ(loaded.spectra.size(), 2u);
        EXPECT_EQ(loaded.log, std::vector<std::string>{});
        for (std::size_t s = 0; s < 2; ++s) {
            ASSERT_EQ(loaded.spectra[s].points.size(), 2u);
            EXPECT_EQ(loaded.spectra[s].points[1], (std::pair<double, double>{row.values[0], row.values[s + 1]}));
        }
    }
}

TEST(LoadAscii, RaggedRowsAddNoPointForMissingFieldsAndSayItOnce)
{
    const Loaded loaded = LoadAscii("380;1;2;3\r\n390;4\r\n400\r\n410;5;6;7;8\r\n", {});
    EXPECT_TRUE(loaded.ok);
    EXPECT_EQ(loaded.spectra, (std::vector<SpectrumView>{{"rot:Spec0", {{380, 1}, {390, 4}, {410, 5}}},
                                                          {"rot:Spec1", {{380, 2}, {410, 6}}},
                                                          {"rot:Spec2", {{380, 3}, {410, 7}}}}));
    EXPECT_EQ(loaded.log, std::vector<std::string>{
                              "[007000] Hinweis: Einige Datenzeilen enthalten weniger Werte als Spektren; für die "
                              "fehlenden Werte wurden keine Punkte angelegt."});
}

TEST(LoadAscii, FailuresAreLoggedAndLeaveTheTreeAsItWas)
{
    const std::string refused = "[000070] Fehler: Laden fehlgeschlagen! Dieses Trennzeichen ist nicht erlaubt!";
    const std::string maybeOpen = "[000070] Fehler: Laden fehlgeschlagen! Die Datei ist möglicherweise noch geöffnet.";
    const std::string notUsed =
        "[000070] Fehler: Laden fehlgeschlagen! Das gewählte Trennzeichen wird offenbar nicht verwendet!";
    const std::string unreadable =
        "[000070] Fehler: Laden fehlgeschlagen! Datenzeile nicht lesbar (Abweichende Formatierung, unterschiedliche "
        "Trennzeichen oder Datenzeile länger als 120000 Zeichen?).";
    const auto badValue = [](int line, const std::string& value) {
        return "[000070] Fehler: Laden fehlgeschlagen! Zeile " + std::to_string(line) + ": Der Wert '" + value +
               "' ist keine Zahl (Dezimalzeichen und Trennzeichen prüfen).";
    };
    const struct {
        const char* name;
        std::string file;
        Options options;
        std::string log;
    } rows[] = {
        {"separator .", "380.1;2\r\n", {.separator = " . "}, refused},
        {"separator ,", "380,1;2\r\n", {.separator = ","}, refused},
        {"empty file", "", {}, maybeOpen},
        {"empty first line", "\r\n380;1\r\n", {}, maybeOpen},
        {"separator not in the first line", "380 1 2\r\n", {}, notUsed},
        {"two lines whose first field reads as 0", ";A;B\r\n;C;D\r\n380;1;2\r\n", {}, unreadable},
        {"a name line and nothing else", ";A;B\r\n", {.useNames = true}, unreadable},
        {"a wavelength without values", "380\r\n", {.separator = " "}, notUsed},
        {"a data line without values", ";A\r\n380;\r\n", {}, unreadable},
        {"binary bytes", std::string("\x00\x01\xFF;\x80\x00\n\x01", 9), {}, unreadable},
        {"a value that is no number", "380;abc;2\r\n", {}, badValue(1, "abc")},
        {"a later wavelength that is no number", "380;1\r\n\r\nxyz;3\r\n", {}, badValue(3, "xyz")},
        {"a point where the first line set the comma as mark", "380,5;1,5\r\n390;117.812\r\n", {},
         badValue(2, "117.812")},
        {"a later value with trailing text", "380;1;2\r\n390;1.5x;2\r\n", {}, badValue(2, "1.5x")},
        {"a later value after blanks", "380;1;2\r\n390;1 2;2\r\n", {}, badValue(2, "1 2")},
        {"a later value in whitespace mode", "380 1 2\r\n390 1 -\r\n", {.separator = ""}, badValue(2, "-")},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        const Loaded loaded = LoadAscii(row.file, row.options);
        EXPECT_FALSE(loaded.ok);
        EXPECT_TRUE(loaded.spectra.empty());
        EXPECT_EQ(loaded.log, std::vector<std::string>{row.log});
    }

    // Not a file at all: a missing one reads as empty, a folder is named as what it is.
    RecordingHost host;
    auto& loader = AddModule<LoadASCIIModule>(host, kLoadAsciiPath);
    test_support::TempDir dir;
    EXPECT_FALSE(loader.LoadFile(dir.file("fehlt.txt"), ""));
    EXPECT_FALSE(loader.LoadFile(dir.path().string(), ""));
    EXPECT_EQ(Log(host),
              (std::vector<std::string>{maybeOpen, std::string("[000070] ") + loadsave::msg::kNotRegularFile}));
    EXPECT_TRUE(host.spectra.GetInserters().empty());
}

TEST(LoadAscii, LongLinesAndManyColumns)
{
    // A value of a million digits, and a line of 20000 columns.
    const Loaded huge = LoadAscii("380.0;" + std::string(1 << 20, '7') + "\r\n", {});
    ASSERT_EQ(huge.spectra.size(), 1u);
    EXPECT_EQ(huge.spectra[0].points, (Points{{380, DBL_MAX}}));

    std::string wide = "380";
    for (int i = 0; i < 20000; ++i)
        wide += ";" + std::to_string(i);
    const Loaded many = LoadAscii(wide + "\r\n", {});
    ASSERT_EQ(many.spectra.size(), 20000u);
    EXPECT_EQ(many.spectra.back(), (SpectrumView{"rot:Spec19999", {{380, 19999}}}));
}

TEST(LoadAscii, ARefusedReplacementKeepsTheOldSpectrum)
{
    // The spectra enter the tree in column order once the file is read; a refused
    // replacement leaves the old spectrum, and the new one is freed (ASan checks the leak).
    struct Refuser : SpectrumTree::EventHandler {
        bool CanReplace(Spectrum*) override { return false; }
    } refuser;
    test_support::TempDir dir;
    const std::string path = dir.file("rot.txt");
    WriteBytes(path, "380;1;2\r\n");
    RecordingHost host;
    auto& loader = AddModule<LoadASCIIModule>(host, kLoadAsciiPath);
    auto* old = new Spectrum;
    old->SetName("rot:Spec1");
    ASSERT_TRUE(host.spectra.AddInserter(old));
    host.spectra.SetEventHandler(&refuser);
    EXPECT_TRUE(loader.LoadFile(path, ""));
    host.spectra.SetEventHandler(nullptr);
    EXPECT_EQ(Spectra(host), (std::vector<SpectrumView>{{"rot:Spec1", {}}, {"rot:Spec0", {{380, 1}}}}));
}

TEST(LoadAscii, ScriptLoadUsesFileNameAndPreName)
{
    test_support::TempDir dir;
    const std::string path = dir.file("Serie.csv");
    WriteBytes(path, "380;1\r\n");
    RecordingHost host;
    auto& loader = AddModule<LoadASCIIModule>(host, kLoadAsciiPath);
    loader.getParameters().setStringParameter("FileName", path);
    EXPECT_EQ(loader.RunAutomation("load"), std::optional<bool>(true));
    loader.getParameters().setStringParameter("PreName", "Import");
    EXPECT_EQ(loader.RunAutomation("load"), std::optional<bool>(true));
    EXPECT_EQ(Spectra(host), (std::vector<SpectrumView>{{"Serie:Spec0", {{380, 1}}}, {"Import:Spec0", {{380, 1}}}}));
    EXPECT_TRUE(host.calls.empty()) << "\"load\" does not start a calculation";
}
