#include "project_fixture.h"

#include "support/fake_prompter.h"
#include "support/temp_dir.h"

#include <QApplication>

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <limits>
#include <sstream>

namespace {

using test_support::ReadFile;

using test_support::TempDir;

// The file with the values of every SpecID key (a fresh random number at each save) cut out.
std::string WithoutSpecIds(const std::string& text)
{
    const std::string key = "<int key=\"SpecID\"";
    std::string out;
    std::size_t from = 0;
    for (std::size_t pos = text.find(key); pos != std::string::npos; pos = text.find(key, from)) {
        const std::size_t open = text.find('>', pos) + 1;
        out.append(text, from, open - from);
        from = text.find('<', open);
    }
    return out.append(text, from, std::string::npos);
}

ClipboardObject* MakeObject(const std::string& path, int seed)
{
    auto* object = new ClipboardObject;
    object->SetName(path);
    ns_param::Paramora& data = object->GetParameters();
    const double values[] = {1.0 / 7, -2.5e-310, 1e300, 0.1 * seed, -0.0, HUGE_VAL, -HUGE_VAL};
    data.addDouble1DArrayParameter("Werte", "Messwerte", 7, values, 0);
    const unsigned char bytes[] = {0, 128, 255};
    data.addByte1DArrayParameter("Bytes", "", 3, bytes, 0);
    data.addStringParameter("Einheit", "", "µW/(m²·nm) & <mehr>", "");
    data.addIntParameter("Zeilen", "", seed, -1000, 1000, 0);
    return object;
}

// A project with something of every kind the file holds.
void FillProject(FakeProjectDocument& doc)
{
    int seed = 0;
    for (Module* module : doc.host.modules.GetInserters())
        static_cast<KindsModule*>(module)->Fill(seed++);

    SpectrumTree& spectra = doc.host.spectra;
    // Added out of name order: the file keeps the tree's order.
    const char* paths[] = {"Messung:Serie 1:Probe B", "Messung:Serie 1:Probe A", "Referenz",
                           "Messung:Serie 2:Tief:Ä & <ö> \"ü\" 'ß'"};
    for (int i = 0; i < 4; ++i) {
        Spectrum* spectrum = MakeSpectrum(paths[i], 401, i);
        spectrum->SetColor(RGB(static_cast<std::uint8_t>(10 * i), 200, 255));
        spectrum->SetComment(i == 0 ? " Kommentar mit & < > \" ' und\r\nZeile\tTab " : "%");
        ASSERT_TRUE(spectra.AddInserter(spectrum));
    }
    ASSERT_TRUE(spectra.AddInserter(MakeSpectrum("Messung:Serie 2:Leer", 0, 0)));
    // Finite values at the edges of the doubles (non-finite points are left out on loading).
    Spectrum* odd = MakeSpectrum("Messung:Sonderwerte", 3, 0);
    odd->SetPoint(0, 380, -0.0);
    odd->SetPoint(1, 381, std::numeric_limits<double>::denorm_min());
    odd->SetPoint(2, 382, -std::numeric_limits<double>::max());
    ASSERT_TRUE(spectra.AddInserter(odd));

    ClipboardTree& clipboard = doc.host.clipboard;
    ASSERT_TRUE(clipboard.AddInserter(MakeObject("Ergebnisse:Farbe:Werte", 1)));
    ASSERT_TRUE(clipboard.AddInserter(MakeObject("Ergebnisse:Alpha", 2)));
    ASSERT_TRUE(clipboard.AddInserter(MakeObject("Tabelle", 3)));

    doc.description = "Erste \"Zeile\" & mehr\r\nZweite 'Zeile'";
    doc.lastModule = "Datenexport:Spektren speichern:XML";

    doc.plot.SetBackgroundColor(RGB(10, 20, 30));
    doc.plot.SetBorderColor(RGB(1, 2, 3));
    *doc.plot.MinX = 412.5;
    *doc.plot.MaxX = 1.0 / 3.0 + 700;
    *doc.plot.SampleDist = 9;
    *doc.plot.Unit = 1;
    *doc.plot.AutoMinMax = false;
    *doc.plot.YAxisName = "Größe in µW/(m²·nm) \"Ä\"";
}

class ProjectFileTest : public ::testing::Test {
protected:
    TempDir dir;
    FakePrompter prompter;
};

TEST_F(ProjectFileTest, WholeProjectComesBackAtItsPathsAndInItsOrder)
{
    FakeProjectDocument saved;
    FillProject(saved);
    const std::optional<std::string> written = SaveProject(saved, dir.file("projekt"));
    ASSERT_TRUE(written);
    EXPECT_EQ(*written, dir.file("projekt.pxml"));
    EXPECT_EQ(saved.formsStored, 1);
    EXPECT_EQ(saved.states, (std::vector<std::string>{"Speichere", "Bereit"}));
    EXPECT_EQ(saved.WindowLines(),
              (std::vector<std::string>{"7000|Speichere die Orvanta-Projekt-Datei .../projekt.pxml",
                                        "7000|Orvanta-Projekt-Datei '" + *written + "' gespeichert"}));

    FakeProjectDocument loaded;
    // Pointers the plot holds into its settings must see the loaded values.
    unsigned char* const bgColour = loaded.plot.BgColor;
    ASSERT_NE(DumpModules(loaded.host.modules), DumpModules(saved.host.modules));
    ASSERT_EQ(OpenProject(loaded, *written), OpenResult::Loaded);

    EXPECT_EQ(DumpModules(loaded.host.modules), DumpModules(saved.host.modules));
    EXPECT_EQ(DumpSpectra(loaded.host.spectra), DumpSpectra(saved.host.spectra));
    EXPECT_EQ(DumpClipboard(loaded.host.clipboard), DumpClipboard(saved.host.clipboard));
    EXPECT_EQ(Dump(loaded.workspace), Dump(saved.workspace));
    EXPECT_EQ(loaded.description, saved.description);
    EXPECT_EQ(loaded.lastModule, saved.lastModule);
    EXPECT_EQ(loaded.plot.BgColor, bgColour);
    EXPECT_EQ(loaded.plot.GetBackgroundColor(), RGB(10, 20, 30));
    EXPECT_EQ(*loaded.plot.MinX, 412.5);
    EXPECT_EQ(*loaded.plot.SampleDist, 9);
    EXPECT_EQ(*loaded.plot.YAxisName, "Größe in µW/(m²·nm) \"Ä\"");
    EXPECT_EQ(loaded.host.spectra.GetInserter("Messung:Serie 2:Leer")->GetPointCount(), 0);

    EXPECT_EQ(loaded.resets, 1);
    EXPECT_EQ(loaded.states, (std::vector<std::string>{"Lade", "Bereit"}));
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
    EXPECT_EQ(loaded.WindowLines(),
              (std::vector<std::string>{
                  "7000|Lade die Orvanta-Projekt-Datei .../projekt.pxml",
                  "7000|... 5 Module und Modulparameter",
                  "7000|... 6 Spektren",
                  "7000|... 3 Clipboard-/Numerikdaten",
                  "7000|Orvanta-Projekt-Datei '" + *written + "' geladen",
                  "700000|Das zuletzt verwendete Modul war 'XML' im Ordner 'Spektren speichern' > 'Datenexport'. "
                  "Wenn Sie möchten, arbeiten Sie dort weiter.",
                  "0|Projektbeschreibung: ",
                  "303030|Erste \"Zeile\" & mehr",
                  "303030|Zweite 'Zeile'",
              }));
    EXPECT_TRUE(loaded.host.log.empty());
    EXPECT_EQ(loaded.selected, std::vector<std::string>{"XML"});
    EXPECT_TRUE(prompter.shown.empty());

    // The description is stored escaped (and the XML layer escapes that once more).
    EXPECT_NE(ReadFile(*written).find("Erste &amp;quot;Zeile&amp;quot; &amp;amp; mehr[BR]Zweite &amp;apos;Zeile&amp;apos;<"),
              std::string::npos);
}

TEST_F(ProjectFileTest, LargeProjectRoundTripsBitForBit)
{
    FakeProjectDocument saved;
    for (int i = 0; i < 2000; ++i)
        ASSERT_TRUE(saved.host.spectra.AddInserter(
            MakeSpectrum("Serie " + std::to_string(i % 7) + ":Gruppe " + std::to_string(i % 3) + ":S" +
                             std::to_string(i),
                         401, i)));
    const auto first = SaveProject(saved, dir.file("gross.pxml"));
    ASSERT_TRUE(first);

    FakeProjectDocument loaded;
    ASSERT_EQ(OpenProject(loaded, *first), OpenResult::Loaded);
    EXPECT_EQ(DumpSpectra(loaded.host.spectra), DumpSpectra(saved.host.spectra));

    const auto second = SaveProject(loaded, dir.file("zweimal.pxml"));
    ASSERT_TRUE(second);
    const std::string a = WithoutSpecIds(ReadFile(*first));
    const std::string b = WithoutSpecIds(ReadFile(*second));
    EXPECT_EQ(a.size(), b.size());
    EXPECT_TRUE(a == b);
    EXPECT_NE(a.find("<int key=\"SpecID\""), std::string::npos);
}

TEST_F(ProjectFileTest, LastModuleMarksAndReselectName)
{
    FakeProjectDocument saved;
    saved.lastModule = "Daten|ex|port:Spek|tren:X|ML";
    ASSERT_TRUE(SaveProject(saved, dir.file("marken.pxml")));

    FakeProjectDocument loaded;
    ASSERT_EQ(OpenProject(loaded, dir.file("marken.pxml")), OpenResult::Loaded);
    // The reselect name keeps its marks; the stored path loses them.
    EXPECT_EQ(loaded.selected, std::vector<std::string>{"X|ML"});
    EXPECT_EQ(loaded.lastModule, "Datenexport:Spektren:XML");

    // No last module: neither the blue hint nor a reselect name.
    FakeProjectDocument empty;
    ASSERT_TRUE(SaveProject(empty, dir.file("leer.pxml")));
    FakeProjectDocument reloaded;
    ASSERT_EQ(OpenProject(reloaded, dir.file("leer.pxml")), OpenResult::Loaded);
    EXPECT_TRUE(reloaded.selected.empty());
    for (const auto& [colour, line] : reloaded.window)
        EXPECT_NE(colour, ProjectDocument::kBlue) << line;
}

TEST(ProjectFileTextTest, EscapeAndUnescapeDescription)
{
    struct Row {
        const char* name;
        std::string text;
        std::string stored;
        std::string back;
    } rows[] = {
        {"plain", "Text", "Text", "Text"},
        {"quote, ampersand, apostrophe, CR LF", "a \"b\" & 'c'\r\nd", "a &quot;b&quot; &amp; &apos;c&apos;[BR]d",
         "a \"b\" & 'c'\r\nd"},
        {"lone LF, lone CR and angle brackets pass", "a\nb\rc <d>", "a\nb\rc <d>", "a\nb\rc <d>"},
        {"typed &quot; comes back as a quote", "&quot;", "&amp;quot;", "\""},
        {"typed [BR] comes back as a line break", "x[BR]y", "x[BR]y", "x\r\ny"},
        {"ampersands next to each other", "&&", "&amp;&amp;", "&&"},
        {"empty", "", "", ""},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(EscapeCommentText(row.text), row.stored);
        EXPECT_EQ(UnescapeCommentText(row.stored), row.back);
    }
}

TEST(ProjectFileTextTest, SplitLines)
{
    struct Row {
        std::string text;
        std::vector<std::string> lines;
    } rows[] = {
        {"", {}},
        {"eins", {"eins"}},
        {"eins\r\nzwei\r\n", {"eins", "zwei"}},
        {"eins\n\nzwei", {"eins", "", "zwei"}},
        {"a\rb\n", {"a\rb"}},
        {"\n", {""}},
        {"ende\r", {"ende"}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.text);
        EXPECT_EQ(SplitLines(row.text), row.lines);
    }
}

TEST(ProjectFileTextTest, LastModuleText)
{
    struct Row {
        std::string path;
        std::string text;
    } rows[] = {
        {"A:B:C", "'C' im Ordner 'B' > 'A'"},
        {"Datenexport:Spektren speichern:XML", "'XML' im Ordner 'Spektren speichern' > 'Datenexport'"},
        {"X", "'X' im Ordner 'X'"},
        {"A:B", "'B' im Ordner 'A'"},
    };
    for (const Row& row : rows)
        EXPECT_EQ(LastModuleText(row.path), row.text) << row.path;
}

TEST(ProjectFileTextTest, ExtensionRules)
{
    struct Row {
        std::string path;
        std::string saved;
        bool foreign;
    } rows[] = {
        {"/tmp/projekt", "/tmp/projekt.pxml", false},
        {"/tmp/projekt.xml", "/tmp/projekt.xml", true},
        {"/tmp/daten.xml", "/tmp/daten.xml", true},
        {"/tmp/daten", "/tmp/daten.pxml", false},
        {"/tmp/daten.pxml", "/tmp/daten.pxml", false},
        {"/tmp/daten.PXML", "/tmp/daten.PXML", true},
        {"/tmp/ordner.d/daten", "/tmp/ordner.d/daten.pxml", false},
        {"daten", "daten.pxml", false},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.path);
        EXPECT_EQ(ProjectSavePath(row.path), row.saved);
        EXPECT_EQ(HasForeignExtension(row.path), row.foreign);
    }
}

TEST_F(ProjectFileTest, ForeignExtensionWarnsAndStillLoads)
{
    FakeProjectDocument saved;
    saved.description = "Beschreibung";
    ASSERT_EQ(SaveProject(saved, dir.file("daten.xml")), dir.file("daten.xml"));
    ASSERT_EQ(SaveProject(saved, dir.file("daten")), dir.file("daten.pxml"));
    std::filesystem::rename(dir.file("daten.pxml"), dir.file("daten"));

    FakeProjectDocument foreign;
    ASSERT_EQ(OpenProject(foreign, dir.file("daten.xml")), OpenResult::Loaded);
    ASSERT_GE(foreign.window.size(), 2u);
    EXPECT_EQ(foreign.WindowLines()[1], "70|Fehler: Datei 'daten.xml' scheint keine Orvanta-Projekt-Datei zu sein! "
                                        "Ich versuche dennoch zu laden. ");
    EXPECT_EQ(foreign.description, "Beschreibung");

    FakeProjectDocument plain;
    ASSERT_EQ(OpenProject(plain, dir.file("daten")), OpenResult::Loaded);
    EXPECT_EQ(plain.WindowLines()[1], "7000|... 5 Module und Modulparameter");
}

} // namespace
