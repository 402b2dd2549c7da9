// Project files that are damaged, foreign or only partly fitting, and saves that fail.
#include "project_fixture.h"

#include "support/fake_prompter.h"
#include "support/temp_dir.h"

#include <QApplication>

#include <gtest/gtest.h>

#include <sys/resource.h>
#include <unistd.h>

#include <xandril/xandril.h>

#include <algorithm>
#include <climits>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace {

using test_support::ReadFile;

using test_support::TempDir;

std::string Fixture(const std::string& name)
{
    return std::string(ORVANTA_TEST_DATA_DIR) + "/project/" + name;
}

std::vector<std::string> FolderEntries(const std::filesystem::path& folder)
{
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

// A project that is not empty, to see what opening leaves of it.
void FillSomething(FakeProjectDocument& doc)
{
    static_cast<KindsModule*>(doc.host.modules.GetInserters().front())->Fill(3);
    ASSERT_TRUE(doc.host.spectra.AddInserter(MakeSpectrum("Alt:Spektrum", 5, 1)));
    auto* object = new ClipboardObject;
    object->SetName("Alt:Objekt");
    ASSERT_TRUE(doc.host.clipboard.AddInserter(object));
    *doc.plot.SampleDist = 7;
    doc.lastModule = "Alte Gruppe:Altes Modul";
}

TEST(ProjectFileDamageTest, BrokenFilesLeaveAnEmptyProject)
{
    struct Row {
        const char* file;
        bool xmlError;
    } rows[] = {{"kein_xml.pxml", true}, {"abgeschnitten.pxml", true}, {"fremd.pxml", false}};
    FakeProjectDocument freshDoc;
    const std::string fresh = DumpModules(freshDoc.host.modules);
    for (const Row& row : rows) {
        SCOPED_TRACE(row.file);
        FakePrompter prompter;
        FakeProjectDocument doc;
        FillSomething(doc);
        const std::string path = Fixture(row.file);

        EXPECT_EQ(OpenProject(doc, path), OpenResult::Damaged);
        EXPECT_EQ(DumpModules(doc.host.modules), fresh);
        EXPECT_TRUE(doc.host.spectra.GetInserters().empty());
        EXPECT_TRUE(doc.host.clipboard.GetInserters().empty());
        EXPECT_EQ(doc.WindowLines(),
                  (std::vector<std::string>{"7000|Lade die Orvanta-Projekt-Datei .../" + std::string(row.file),
                                            "70|Fehler: Fehler beim Laden der Orvanta-Projekt-Datei '" + path + "'"}));
        const std::string xmlLine =
            "Fehler: Die Datei '" + path + "' scheint keine korrekte XML-Datei zu sein! Laden wird abgebrochen.";
        if (row.xmlError) {
            ASSERT_EQ(doc.host.log.size(), 1u);
            EXPECT_EQ(doc.host.log[0].text, xmlLine);
            EXPECT_EQ(doc.host.log[0].colour, 0x000070u);
            ASSERT_EQ(prompter.shown.size(), 1u);
            EXPECT_EQ(prompter.shown[0].caption, "Fehler");
            EXPECT_EQ(prompter.shown[0].text.toStdString(), xmlLine);
            EXPECT_EQ(prompter.shown[0].icon, platform::PromptIcon::Warning);
        } else {
            EXPECT_TRUE(doc.host.log.empty());
            EXPECT_TRUE(prompter.shown.empty());
        }
        EXPECT_TRUE(doc.selected.empty());
        // The replaced project's last module is neither told nor kept for the next save.
        EXPECT_EQ(doc.lastModule, "");
        EXPECT_EQ(doc.states, (std::vector<std::string>{"Lade", "Bereit"}));
        EXPECT_EQ(QApplication::overrideCursor(), nullptr);
    }
}

TEST(ProjectFileDamageTest, UnreadableFileLeavesTheProjectUntouched)
{
    TempDir dir;
    FakeProjectDocument doc;
    FillSomething(doc);
    const std::string before = DumpModules(doc.host.modules) + DumpSpectra(doc.host.spectra);

    EXPECT_EQ(OpenProject(doc, dir.file("fehlt.pxml")), OpenResult::Failed);
    EXPECT_EQ(doc.resets, 0);
    EXPECT_EQ(DumpModules(doc.host.modules) + DumpSpectra(doc.host.spectra), before);
    EXPECT_EQ(doc.host.clipboard.GetInserters().size(), 1u);
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
}

TEST(ProjectFileDamageTest, PartlyFittingFileLoadsWhatFits)
{
    FakeProjectDocument doc;
    doc.description = "Alte Beschreibung";
    *doc.plot.SampleDist = 7;
    ASSERT_EQ(OpenProject(doc, Fixture("teilweise.pxml")), OpenResult::Loaded);

    // The first XML writer's group has no parameter container: it keeps its defaults and is not
    // counted; the second reads the second group. The device group has no module.
    std::vector<int> counts;
    for (Module* module : doc.host.modules.GetInserters())
        counts.push_back(*module->getParameters().getIntParameter("Anzahl"));
    EXPECT_EQ(counts, (std::vector<int>{11, 12, 10, 14, 10}));
    // A stored value of another kind leaves the parameter alone.
    EXPECT_EQ(*(*std::next(doc.host.modules.GetInserters().begin()))->getParameters().getDoubleParameter("Gewicht"),
              0.25);

    // Unequal arrays give a spectrum without points, and a line that says so; names that tidy
    // to nothing are dropped with a line each; the second of two equal paths replaces the first.
    SpectrumTree& spectra = doc.host.spectra;
    ASSERT_EQ(spectra.GetInserters().size(), 2u);
    EXPECT_EQ(spectra.GetInserter("Messung:Ungleich")->GetPointCount(), 0);
    EXPECT_EQ(spectra.GetInserter("Messung:Doppelt")->GetColor(), 2u);
    ASSERT_EQ(doc.host.clipboard.GetInserters().size(), 1u);
    EXPECT_EQ(doc.host.clipboard.GetInserters().front()->GetName(), "Gruppe:Objekt");

    // No description and no workspace group: both keep what they had.
    EXPECT_EQ(doc.description, "Alte Beschreibung");
    EXPECT_EQ(*doc.plot.SampleDist, 7);
    EXPECT_EQ(doc.lastModule, "Berechnung");
    EXPECT_EQ(doc.selected, std::vector<std::string>{"Be|rech|nung"});
    const std::vector<std::string> lines = doc.WindowLines();
    const std::vector<std::string> expected = {
        "70|Fehler: Der gespeicherte Parameter 'Gewicht' des Moduls 'Datenexport:Clipboard speichern:ASCII-Text' "
        "wurde nicht geladen: Sein Typ passt nicht.",
        "70|Fehler: Die gespeicherten Parameter des Moduls 'Datenexport:Spektren speichern:XML' passen nicht zum "
        "Modul und wurden nicht geladen.",
        "70|Fehler: Für die gespeicherten Parameter des Moduls 'Device_Lentiva' gibt es kein geladenes Modul; sie "
        "wurden nicht geladen.",
        "7000|... 3 Module und Modulparameter",
        "70|Fehler: Im Spektrum 'Messung:Ungleich' passen Wellenlängen und Werte nicht zusammen (XVals: 3, YVals: 2 "
        "Einträge); es wurde ohne Punkte geladen.",
        "70|Fehler: Der Name des Spektrums '::' ergibt keinen gültigen Pfad; das Spektrum wurde nicht geladen.",
        "70|Fehler: Spektrum Nr. 5 hat keinen Namen und wurde nicht geladen.",
        "7000|... 3 Spektren",
        "70|Fehler: Clipboard-Eintrag Nr. 2 hat keinen Namen und wurde nicht geladen.",
        "7000|... 1 Clipboard-/Numerikdaten",
        "7000|Orvanta-Projekt-Datei '" + Fixture("teilweise.pxml") + "' geladen",
        "700000|Das zuletzt verwendete Modul war 'Berechnung' im Ordner 'Berechnung'. Wenn Sie möchten, arbeiten "
        "Sie dort weiter.",
        "0|Projektbeschreibung: ",
        "303030|Alte Beschreibung",
    };
    ASSERT_EQ(lines.size(), expected.size() + 1);
    EXPECT_EQ(std::vector<std::string>(lines.begin() + 1, lines.end()), expected);
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
}

// A tree handler that refuses every replacement, as a "Nein" to the overwrite question.
template <class Tree, class Object>
class RefusingHandler : public Tree::EventHandler {
public:
    bool CanReplace(Object*) override
    {
        ++asked;
        return false;
    }
    int asked = 0;
};

TEST(ProjectFileDamageTest, RefusedDuplicateIsDropped)
{
    FakeProjectDocument doc;
    RefusingHandler<SpectrumTree, Spectrum> handler;
    doc.host.spectra.SetEventHandler(&handler);
    ASSERT_EQ(OpenProject(doc, Fixture("teilweise.pxml")), OpenResult::Loaded);
    doc.host.spectra.SetEventHandler(nullptr);
    EXPECT_EQ(handler.asked, 1);
    EXPECT_EQ(doc.host.spectra.GetInserter("Messung:Doppelt")->GetColor(), 1u);
    const std::vector<std::string> lines = doc.WindowLines();
    EXPECT_NE(std::find(lines.begin(), lines.end(), "7000|... 2 Spektren"), lines.end());
}

// While it lives, files of this process cannot grow beyond limit bytes: writes beyond fail.
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t limit)
    {
        getrlimit(RLIMIT_FSIZE, &m_old);
        m_oldHandler = std::signal(SIGXFSZ, SIG_IGN);
        rlimit lower = m_old;
        lower.rlim_cur = limit;
        setrlimit(RLIMIT_FSIZE, &lower);
    }
    ~FileSizeLimit()
    {
        setrlimit(RLIMIT_FSIZE, &m_old);
        std::signal(SIGXFSZ, m_oldHandler);
    }

private:
    rlimit m_old{};
    void (*m_oldHandler)(int) = nullptr;
};

TEST(ProjectFileDamageTest, FailedSaveReportsAndKeepsTheOldFile)
{
    TempDir dir;
    std::filesystem::create_directory(dir.path() / "ordner.pxml");
    std::ofstream(dir.file("datei.txt")) << "keine Ordner";
    FakeProjectDocument old;
    ASSERT_TRUE(SaveProject(old, dir.file("alt.pxml")));
    const std::string oldFile = ReadFile(dir.file("alt.pxml"));

    // Only where a file was there does the message say that it stays unchanged.
    struct Row {
        const char* name;
        std::string path;
        bool full;
        bool hadFile;
    } rows[] = {
        {"folder", dir.file("ordner.pxml"), false, false},
        {"parent is a file", dir.file("datei.txt/projekt.pxml"), false, false},
        {"disk full while writing a new file", dir.file("neu.pxml"), true, false},
        {"disk full while writing over an old file", dir.file("alt.pxml"), true, true},
    };
    const std::vector<std::string> entries = FolderEntries(dir.path());
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        FakePrompter prompter;
        FakeProjectDocument doc;
        FillSomething(doc);
        std::optional<std::string> written;
        {
            std::optional<FileSizeLimit> limit;
            if (row.full)
                limit.emplace(oldFile.size() + 100);
            written = SaveProject(doc, row.path);
        }
        EXPECT_FALSE(written);
        const std::string message = "Fehler: Die Orvanta-Projekt-Datei '" + row.path +
                                    "' konnte nicht gespeichert werden!" +
                                    (row.hadFile ? " Die bisherige Datei bleibt unverändert." : "");
        ASSERT_EQ(doc.window.size(), 2u);
        EXPECT_EQ(doc.WindowLines()[1], "70|" + message);
        ASSERT_EQ(prompter.shown.size(), 1u);
        EXPECT_EQ(prompter.shown[0].caption, "Fehler");
        EXPECT_EQ(prompter.shown[0].text.toStdString(), message);
        EXPECT_EQ(doc.states, (std::vector<std::string>{"Speichere", "Bereit"}));
        EXPECT_EQ(QApplication::overrideCursor(), nullptr);
        // No temporary file stays behind; the old file is whole.
        EXPECT_EQ(FolderEntries(dir.path()), entries);
        EXPECT_TRUE(ReadFile(dir.file("alt.pxml")) == oldFile);
    }
}

TEST(ProjectFileDamageTest, BytesThatAreNotUtf8StillGiveAValidFile)
{
    TempDir dir;
    FakeProjectDocument saved;
    // Windows-1252 text from an old file: "Größe", "µW", "ä".
    Spectrum* spectrum = MakeSpectrum("Messung:Gr\xF6\xDF" "e", 3, 0);
    spectrum->SetComment("\xB5W");
    ASSERT_TRUE(saved.host.spectra.AddInserter(spectrum));
    saved.description = "M\xE4rz";
    ASSERT_TRUE(SaveProject(saved, dir.file("alt.pxml")));

    FakeProjectDocument loaded;
    ASSERT_EQ(OpenProject(loaded, dir.file("alt.pxml")), OpenResult::Loaded);
    ASSERT_EQ(loaded.host.spectra.GetInserters().size(), 1u);
    EXPECT_EQ(loaded.host.spectra.GetInserters().front()->GetName(), "Messung:Größe");
    EXPECT_EQ(loaded.host.spectra.GetInserters().front()->GetComment(), "µW");
    EXPECT_EQ(loaded.description, "März");
}

// A project file of one spectrum and one clipboard object; the object's container holds a chain
// of `containers` nested containers.
std::string HostileProject(const std::string& spectrumName, const std::string& objectName, int containers,
                           const std::string& count = "2")
{
    std::string text = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<xandril version=\"1\"><group "
                       "name=\"VelmontEnvironment\"><group name=\"Spectrums\"><group name=\"Spectrum\">"
                       "<string key=\"SpecName\">" + spectrumName + "</string>"
                       "<doubles key=\"XVals\" count=\"" + count + "\">400 500</doubles>"
                       "<doubles key=\"YVals\" count=\"" + count + "\">1 2</doubles></group></group>"
                       "<group name=\"ClipboardObjects\"><group name=\"ClipboardObject\"><string key=\"ObjectName\">" +
                       objectName + "</string>";
    std::string name = "ObjectData";
    for (int i = 0; i < containers; ++i) {
        text += "<group name=\"" + name + "\"><group name=\"Parameter\"><string key=\"Name\">K</string>"
                "<int key=\"Type\">1</int><string key=\"Value\">N</string>";
        name = "N";
    }
    text += "<group name=\"" + name + "\"><group name=\"Parameter\"><string key=\"Name\">Tiefe</string>"
            "<int key=\"Type\">6</int><string key=\"Value\">unten</string></group></group>";
    for (int i = 0; i < containers; ++i)
        text += "</group></group>";
    return text + "</group></group></group></xandril>\n";
}

std::string Levels(int count)
{
    std::string path = "Ebene";
    for (int i = 1; i < count; ++i)
        path += ":Ebene";
    return path;
}

TEST(ProjectFileDamageTest, HostileFilesLoadWholeOrAreRefusedWhole)
{
    // The clipboard object's container stands four groups deep; each nested container takes two
    // more (its own and its parameter's).
    const int deepest = (ns_xandril::kMaxNesting - 5) / 2;
    TempDir dir;
    struct Row {
        const char* name;
        std::string text;
        bool loaded;
        int points; // of the spectrum, when loaded
    } rows[] = {
        {"containers just under the limit", HostileProject("S", "O", deepest), true, 2},
        {"containers just over the limit", HostileProject("S", "O", deepest + 1), false, 0},
        {"containers 14,000 deep", HostileProject("S", "O", 14000), false, 0},
        {"spectrum path at the limit", HostileProject(Levels(ns_xandril::kMaxNesting), "O", 0), true, 2},
        {"spectrum path over the limit", HostileProject(Levels(ns_xandril::kMaxNesting + 1), "O", 0), false, 0},
        {"object path over the limit", HostileProject("S", Levels(ns_xandril::kMaxNesting + 1), 0), false, 0},
        {"doubled colons tidy to the limit", HostileProject(Levels(ns_xandril::kMaxNesting) + "::::", "O", 0), true, 2},
        // Nothing is made for the count: the points are the numbers the text holds.
        {"array count beyond the text", HostileProject("S", "O", 0, "2147483647"), true, 2},
        {"zero bytes, 2 GiB - 1", "", false, 0},
    };
    FakeProjectDocument freshDoc;
    const std::string fresh = DumpModules(freshDoc.host.modules);
    for (Row& row : rows) {
        SCOPED_TRACE(row.name);
        const std::string path = dir.file("feindlich.pxml");
        std::ofstream(path, std::ios::binary | std::ios::trunc) << row.text;
        if (row.text.empty())
            ASSERT_EQ(::truncate(path.c_str(), INT_MAX), 0); // sparse
        FakePrompter prompter;
        FakeProjectDocument doc;
        FillSomething(doc);

        if (row.loaded) {
            ASSERT_EQ(OpenProject(doc, path), OpenResult::Loaded);
            ASSERT_EQ(doc.host.spectra.GetInserters().size(), 1u);
            EXPECT_EQ(doc.host.spectra.GetInserters().front()->GetPointCount(), row.points);
            ASSERT_EQ(doc.host.clipboard.GetInserters().size(), 1u);
            const ns_param::Paramora* level = &doc.host.clipboard.GetInserters().front()->GetParameters();
            while (level->getParameter("K") != nullptr)
                level = const_cast<ns_param::Paramora*>(level)->getContainerParameter("K");
            EXPECT_NE(const_cast<ns_param::Paramora*>(level)->getStringParameter("Tiefe"), nullptr);
            EXPECT_TRUE(prompter.shown.empty());
            continue;
        }
        EXPECT_EQ(OpenProject(doc, path), OpenResult::Damaged);
        // Nothing of the file is loaded: the project is the empty one of the damaged-file path.
        EXPECT_EQ(DumpModules(doc.host.modules), fresh);
        EXPECT_TRUE(doc.host.spectra.GetInserters().empty());
        EXPECT_TRUE(doc.host.clipboard.GetInserters().empty());
        EXPECT_EQ(doc.WindowLines(),
                  (std::vector<std::string>{"7000|Lade die Orvanta-Projekt-Datei .../feindlich.pxml",
                                            "70|Fehler: Fehler beim Laden der Orvanta-Projekt-Datei '" + path + "'"}));
        const std::string xmlLine =
            "Fehler: Die Datei '" + path + "' scheint keine korrekte XML-Datei zu sein! Laden wird abgebrochen.";
        ASSERT_EQ(doc.host.log.size(), 1u);
        EXPECT_EQ(doc.host.log[0].text, xmlLine);
        ASSERT_EQ(prompter.shown.size(), 1u);
        EXPECT_EQ(prompter.shown[0].text.toStdString(), xmlLine);
        EXPECT_EQ(QApplication::overrideCursor(), nullptr);
    }
}

} // namespace

namespace {

// A project of one spectrum Messung:S whose XVals and YVals hold these texts (a null text
// leaves the key out).
std::string OneSpectrumProject(const char* xs, const char* ys)
{
    std::string text = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<xandril version=\"1\"><group "
                       "name=\"VelmontEnvironment\"><group name=\"Spectrums\"><group name=\"Spectrum\">"
                       "<string key=\"SpecName\">Messung:S</string>";
    if (xs)
        text += std::string("<doubles key=\"XVals\">") + xs + "</doubles>";
    if (ys)
        text += std::string("<doubles key=\"YVals\">") + ys + "</doubles>";
    return text + "</group></group></group></xandril>\n";
}

} // namespace

TEST(ProjectFileDamageTest, SpectraKeepTheirFinitePointsAndTheLogNamesWhatWasLeftOut)
{
    using Points = std::vector<std::pair<double, double>>;
    const std::string lost = "70|Fehler: Im Spektrum 'Messung:S' ";
    TempDir dir;
    const struct {
        const char* name;
        const char* xs;
        const char* ys;
        Points points;
        std::string line; // between the module count and the spectra count; "" for none
    } rows[] = {
        {"all finite", "380 390 400", "1 2 3", {{380, 1}, {390, 2}, {400, 3}}, ""},
        {"an undefined value", "380 390 400", "1 nan 3", {{380, 1}, {400, 3}},
         lost + "wurde 1 Punkt ohne endliche Zahlenwerte ausgelassen (Punkt 2)."},
        {"an infinite wavelength", "380 inf 400", "1 2 3", {{380, 1}, {400, 3}},
         lost + "wurde 1 Punkt ohne endliche Zahlenwerte ausgelassen (Punkt 2)."},
        {"minus infinity is no wavelength 0", "-inf 390 400", "1 2 3", {{390, 2}, {400, 3}},
         lost + "wurde 1 Punkt ohne endliche Zahlenwerte ausgelassen (Punkt 1)."},
        {"another program's texts cost their points only", "380 390 400 410", "1 1.#QNAN 3 -1.#IND",
         {{380, 1}, {400, 3}}, lost + "wurden 2 Punkte ohne endliche Zahlenwerte ausgelassen (Punkte 2, 4)."},
        {"beyond the doubles", "380 390", "1e999 2", {{390, 2}},
         lost + "wurde 1 Punkt ohne endliche Zahlenwerte ausgelassen (Punkt 1)."},
        {"the first ten positions shown", "1 2 3 4 5 6 7 8 9 10 11 12 13",
         "nan nan nan nan nan nan nan nan nan nan 0 nan 0", {{11, 0}, {13, 0}},
         lost + "wurden 11 Punkte ohne endliche Zahlenwerte ausgelassen (Punkte 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, ...)."},
        {"unequal counts", "380 390 400", "1 2", {},
         lost + "passen Wellenlängen und Werte nicht zusammen (XVals: 3, YVals: 2 Einträge); es wurde ohne Punkte "
                "geladen."},
        {"values missing", "380 390", nullptr, {},
         lost + "passen Wellenlängen und Werte nicht zusammen (XVals: 2, YVals: 0 Einträge); es wurde ohne Punkte "
                "geladen."},
        {"no points stored", nullptr, nullptr, {}, ""},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        const std::string path = dir.file("punkte.pxml");
        std::ofstream(path, std::ios::binary | std::ios::trunc) << OneSpectrumProject(row.xs, row.ys);
        FakeProjectDocument doc;

        ASSERT_EQ(OpenProject(doc, path), OpenResult::Loaded);
        ASSERT_EQ(doc.host.spectra.GetInserters().size(), 1u);
        const Spectrum& spectrum = *doc.host.spectra.GetInserters().front();
        Points points;
        for (int i = 0; i < spectrum.GetPointCount(); ++i)
            points.emplace_back(spectrum[i].x, spectrum[i].y);
        EXPECT_EQ(points, row.points);
        std::vector<std::string> expected{"7000|Lade die Orvanta-Projekt-Datei .../punkte.pxml"};
        if (!row.line.empty())
            expected.push_back(row.line);
        expected.push_back("7000|... 1 Spektren");
        expected.push_back("7000|... 0 Clipboard-/Numerikdaten");
        expected.push_back("7000|Orvanta-Projekt-Datei '" + path + "' geladen");
        EXPECT_EQ(doc.WindowLines(), expected);
    }
}

namespace {

// Pieces of a project file in the reader's layout.
std::string Group(const std::string& name, const std::string& body)
{
    return "<group name=\"" + name + "\">" + body + "</group>";
}

std::string Text(const std::string& key, const std::string& value)
{
    return "<string key=\"" + key + "\">" + value + "</string>";
}

std::string Int(const std::string& key, const std::string& value)
{
    return "<int key=\"" + key + "\">" + value + "</int>";
}

// A stored parameter: name, type code and the value's keys.
std::string Parameter(const std::string& name, int type, const std::string& value)
{
    return Group("Parameter", Text("Name", name) + Int("Type", std::to_string(type)) + value);
}

std::string ModuleGroup(const std::string& type, const std::string& parameters)
{
    return Group(type, Group("Parameters", parameters));
}

// A spectrum of one point; a null name leaves the key out.
std::string SpectrumGroup(const char* name, const char* y = "1")
{
    return Group("Spectrum", (name ? Text("SpecName", name) : "") + "<doubles key=\"XVals\">380</doubles>" +
                                 "<doubles key=\"YVals\">" + y + "</doubles>");
}

// A clipboard object; a null name leaves the key out.
std::string ObjectGroup(const char* name, const std::string& parameters = "")
{
    return Group("ClipboardObject", (name ? Text("ObjectName", name) : "") + Group("ObjectData", parameters));
}

std::string Environment(const std::string& body)
{
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<xandril version=\"1\">" + Group("VelmontEnvironment", body) +
           "</xandril>\n";
}

std::vector<std::string> PathsOf(const auto& objects)
{
    std::vector<std::string> paths;
    for (const auto* object : objects)
        paths.push_back(object->GetName());
    return paths;
}

} // namespace

TEST(ProjectFileDamageTest, WhatTheProjectCannotTakeIsNamedInTheLog)
{
    using Lines = std::vector<std::string>;
    using Paths = std::vector<std::string>;
    const std::string error = "70|Fehler: ";
    const std::string notReplaced = "' wurde nicht geladen, da der vorhandene Eintrag an seiner Stelle nicht "
                                    "überschrieben wurde.";
    const std::string planck = "' des Moduls 'Berechnung:Planck' wurde nicht geladen: ";
    const struct {
        const char* name;
        std::string body; // inside "VelmontEnvironment"
        bool refuse;      // the trees' handlers refuse every replacement ("Nein")
        Lines lines;      // the error lines, in order
        Paths spectra;
        Paths objects;
    } rows[] = {
        {"a module no loaded plug-in provides",
         Group("Modules", ModuleGroup("Device_Lentiva", Parameter("Anzahl", 5, Int("Value", "15")))),
         false,
         {error + "Für die gespeicherten Parameter des Moduls 'Device_Lentiva' gibt es kein geladenes Modul; sie "
                  "wurden nicht geladen."},
         {},
         {}},
        {"more groups of a type than modules of it",
         Group("Modules", ModuleGroup("Calculation_Planck", "") + ModuleGroup("Calculation_Planck", "")),
         false,
         {error + "Für die gespeicherten Parameter des Moduls 'Calculation_Planck' gibt es kein geladenes Modul; sie "
                  "wurden nicht geladen."},
         {},
         {}},
        {"a module group without its parameters",
         Group("Modules", Group("Calculation_Planck", Group("Einstellungen", Parameter("Anzahl", 5, Int("Value", "3"))))),
         false,
         {error + "Die gespeicherten Parameter des Moduls 'Berechnung:Planck' passen nicht zum Modul und wurden nicht "
                  "geladen."},
         {},
         {}},
        {"a parameter of another type",
         Group("Modules", ModuleGroup("Calculation_Planck", Parameter("Anzahl", 6, Text("Value", "viele")))),
         false,
         {error + "Der gespeicherte Parameter 'Anzahl" + planck + "Sein Typ passt nicht."},
         {},
         {}},
        {"a parameter the module does not have",
         Group("Modules", ModuleGroup("Calculation_Planck", Parameter("Veraltet", 5, Int("Value", "1")))),
         false,
         {error + "Der gespeicherte Parameter 'Veraltet" + planck + "Einen Parameter dieses Namens gibt es nicht."},
         {},
         {}},
        {"values that do not fit their parameters",
         Group("Modules", ModuleGroup("Calculation_Planck",
                                      Parameter("Kanal", 3, Int("Value", "300")) + Parameter("Modus", 2, Int("Value", "7")) +
                                          Parameter("Stützwerte", 18, "<doubles key=\"Value\">1 2</doubles>"))),
         false,
         {error + "Der gespeicherte Parameter 'Kanal" + planck + "Sein Wert passt nicht.",
          error + "Der gespeicherte Parameter 'Modus" + planck + "Sein Wert passt nicht.",
          error + "Der gespeicherte Parameter 'Stützwerte" + planck + "Sein Wert passt nicht."},
         {},
         {}},
        {"a parameter of a nested container",
         Group("Modules",
               ModuleGroup("Calculation_Planck",
                           Parameter("Innen", 1,
                                     Text("Value", "Inner") +
                                         Group("Inner", Parameter("Temperatur", 6, Text("Value", "warm")))))),
         false,
         {error + "Der gespeicherte Parameter 'Innen:Temperatur" + planck + "Sein Typ passt nicht."},
         {},
         {}},
        {"a plot setting of another type",
         Group("WorkspaceParams",
               Parameter("MainSpecViewContainer", 1,
                         Text("Value", "MainSpectrumView") +
                             Group("MainSpectrumView", Parameter("SampleDist", 6, Text("Value", "fein"))))),
         false,
         {error + "Der gespeicherte Parameter 'MainSpecViewContainer:SampleDist' der Arbeitsumgebung wurde nicht "
                  "geladen: Sein Typ passt nicht."},
         {},
         {}},
        {"a spectrum without a name", Group("Spectrums", SpectrumGroup("Messung:A") + SpectrumGroup(nullptr)), false,
         {error + "Spektrum Nr. 2 hat keinen Namen und wurde nicht geladen."},
         {"Messung:A"},
         {}},
        {"a spectrum with an empty name", Group("Spectrums", SpectrumGroup("")), false,
         {error + "Spektrum Nr. 1 hat keinen Namen und wurde nicht geladen."},
         {},
         {}},
        {"a spectrum name of colons only", Group("Spectrums", SpectrumGroup(":::")), false,
         {error + "Der Name des Spektrums ':::' ergibt keinen gültigen Pfad; das Spektrum wurde nicht geladen."},
         {},
         {}},
        // The points it would have lost are not told for a spectrum that was not loaded.
        {"a refused spectrum of the same path",
         Group("Spectrums", SpectrumGroup("Messung:A") + SpectrumGroup(":Messung::A", "nan")), true,
         {error + "Das Spektrum ':Messung::A" + notReplaced},
         {"Messung:A"},
         {}},
        {"a refused spectrum at a group", Group("Spectrums", SpectrumGroup("Messung:A") + SpectrumGroup("Messung")),
         true,
         {error + "Das Spektrum 'Messung" + notReplaced},
         {"Messung:A"},
         {}},
        {"a refused spectrum below a spectrum",
         Group("Spectrums", SpectrumGroup("Messung") + SpectrumGroup("Messung:A")), true,
         {error + "Das Spektrum 'Messung:A" + notReplaced},
         {"Messung"},
         {}},
        {"a clipboard object without a name",
         Group("ClipboardObjects", ObjectGroup("Tabelle") + ObjectGroup(nullptr)), false,
         {error + "Clipboard-Eintrag Nr. 2 hat keinen Namen und wurde nicht geladen."},
         {},
         {"Tabelle"}},
        {"a clipboard object name of colons only", Group("ClipboardObjects", ObjectGroup("::")), false,
         {error + "Der Name des Clipboard-Eintrags '::' ergibt keinen gültigen Pfad; der Eintrag wurde nicht geladen."},
         {},
         {}},
        {"a refused clipboard object of the same path",
         Group("ClipboardObjects", ObjectGroup("Ergebnis:Tabelle") + ObjectGroup("Ergebnis:Tabelle:")), true,
         {error + "Der Clipboard-Eintrag 'Ergebnis:Tabelle:" + notReplaced},
         {},
         {"Ergebnis:Tabelle"}},
        {"clipboard values that cannot be taken",
         Group("ClipboardObjects",
               ObjectGroup("Ergebnis:Tabelle", Parameter("Zeilen", 99, Int("Value", "3")) +
                                                   Parameter("Spalten", 5, Text("Value", "drei")))),
         false,
         {error + "Der gespeicherte Parameter 'Zeilen' des Clipboard-Eintrags 'Ergebnis:Tabelle' wurde nicht "
                  "geladen: Sein Typ passt nicht.",
          error + "Der gespeicherte Parameter 'Spalten' des Clipboard-Eintrags 'Ergebnis:Tabelle' wurde nicht "
                  "geladen: Sein Wert passt nicht."},
         {},
         {"Ergebnis:Tabelle"}},
    };
    TempDir dir;
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        const std::string path = dir.file("verlust.pxml");
        std::ofstream(path, std::ios::binary | std::ios::trunc) << Environment(row.body);
        FakeProjectDocument doc;
        RefusingHandler<SpectrumTree, Spectrum> spectrumHandler;
        RefusingHandler<ClipboardTree, ClipboardObject> objectHandler;
        if (row.refuse) {
            doc.host.spectra.SetEventHandler(&spectrumHandler);
            doc.host.clipboard.SetEventHandler(&objectHandler);
        }

        ASSERT_EQ(OpenProject(doc, path), OpenResult::Loaded);
        doc.host.spectra.SetEventHandler(nullptr);
        doc.host.clipboard.SetEventHandler(nullptr);
        Lines errors;
        for (const std::string& line : doc.WindowLines())
            if (line.starts_with("70|"))
                errors.push_back(line);
        EXPECT_EQ(errors, row.lines);
        EXPECT_EQ(PathsOf(doc.host.spectra.GetInserters()), row.spectra);
        EXPECT_EQ(PathsOf(doc.host.clipboard.GetInserters()), row.objects);
        EXPECT_EQ(spectrumHandler.asked + objectHandler.asked, row.refuse ? 1 : 0);
    }
}
