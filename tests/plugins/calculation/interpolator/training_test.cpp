// The training module: filing of the rule, the checks in order, the adapters, the text file.
#include "fixture.h"

#include "support/fake_file_chooser.h"
#include "support/fake_prompter.h"
#include "support/temp_dir.h"

#include "platform/file_contents.h"
#include "platform/random.h"

#include <algorithm>
#include <fstream>
#include <limits>
#include <sstream>

namespace {

using calc_test::ChildNames;
using calc_test::Ys;
using interp_test::AddObject;
using interp_test::Interp;
using interp_test::kPoints;

std::string Read(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

TEST_F(Interp, TrainingFilesRuleAndSensorsInChannelOrder)
{
    P().setBoolParameter("NormedProcessing", true);
    ASSERT_TRUE(train.createinterpolator());
    EXPECT_EQ(ChildNames(host, "rule:qSPECs"), (std::vector<std::string>{"red", "green", "blue", "NORMCALIB"}));
    EXPECT_EQ(ChildNames(host, "rule:qSens"), (std::vector<std::string>{"red", "green", "blue"}));
    // The matrix holds exactly the system: three channels and the normalisation row.
    EXPECT_EQ(train.GetMatrix().Rows(), 4);
    EXPECT_EQ(train.GetMatrix().Cols(), kPoints);
    const Spectrum* red = host.spectra.GetInserter("rule:qSPECs:red");
    ASSERT_NE(red, nullptr);
    EXPECT_EQ(red->GetColor(), 0x000010u);
    EXPECT_EQ((*red)[3].x, 430);
    EXPECT_EQ((*red)[3].y, train.GetMatrix()[0][3]);
    EXPECT_EQ(host.spectra.GetInserter("rule:qSPECs:NORMCALIB")->GetColor(), 0u);
    EXPECT_EQ(Ys(*host.spectra.GetInserter("rule:qSens:green")), Ys(*host.spectra.GetInserter("sens:sub:green")));
    EXPECT_TRUE(HasLog("Hinweis: Optimierungsvorgang läuft..."));
    EXPECT_TRUE(HasLog("Hinweis: Optimierungsvorgang beendet!"));
    // Nothing else is touched: a group "DelNode" of the user stays.
    calc_test::AddCurve(host, "DelNode:x", 400, 10, 3, [](double) { return 1.0; });
    P().setBoolParameter("NormedProcessing", false);
    ASSERT_TRUE(train.createinterpolator());
    EXPECT_NE(host.spectra.GetInserter("DelNode:x"), nullptr);
    // A new training replaces the rule object by object; the old NORMCALIB stays.
    EXPECT_EQ(ChildNames(host, "rule:qSPECs"), (std::vector<std::string>{"NORMCALIB", "red", "green", "blue"}));
    EXPECT_EQ(train.GetMatrix().Rows(), 3);
}

TEST_F(Interp, DefaultGroupNameCarriesTheRunMarkUnlessSwitchedOff)
{
    P().setStringParameter("TargetGroup", "");
    P().setBoolParameter("RandomSign", false);
    ASSERT_TRUE(train.createinterpolator());
    EXPECT_NE(host.spectra.GetInserter("sCALIB:qSPECs:red"), nullptr);
    P().setBoolParameter("RandomSign", true);
    seed = 7;
    ASSERT_TRUE(train.createinterpolator());
    platform::SRand(8);
    const std::string group = "sCALIB_" + std::to_string(platform::Rand());
    EXPECT_NE(host.spectra.GetInserter(group + ":qSPECs:red"), nullptr) << group;
}

TEST_F(Interp, TaperScalesTheEnds)
{
    // n = 31: m = 1; points 0 and 1 rise, 29 and 30 fall.
    const double expected[] = {0.5, 1.0, 1.0};
    EXPECT_EQ(CreateInterpolatorModule::TaperFactor(0, 31), expected[0]);
    EXPECT_EQ(CreateInterpolatorModule::TaperFactor(1, 31), 1.0);
    EXPECT_EQ(CreateInterpolatorModule::TaperFactor(2, 31), 1.0);
    EXPECT_EQ(CreateInterpolatorModule::TaperFactor(29, 31), 1.0);
    EXPECT_EQ(CreateInterpolatorModule::TaperFactor(30, 31), 0.5);
    // n = 60: m = 3.
    EXPECT_EQ(CreateInterpolatorModule::TaperFactor(2, 60), 0.75);
    EXPECT_EQ(CreateInterpolatorModule::TaperFactor(56, 60), 1.0);
    EXPECT_EQ(CreateInterpolatorModule::TaperFactor(57, 60), 0.75);
    P().setBoolParameter("InterpolPP", true);
    ASSERT_TRUE(train.createinterpolator());
    const Spectrum* red = host.spectra.GetInserter("rule:qSPECs:red");
    EXPECT_DOUBLE_EQ((*red)[0].y, train.GetMatrix()[0][0] * 0.5);
    EXPECT_DOUBLE_EQ((*red)[15].y, train.GetMatrix()[0][15]);
}

TEST_F(Interp, ResponseModeFilesClipboardCopiesAndColouredRules)
{
    P().setStringParameter("SpecDescAsystem", "");
    P().setBoolParameter("NormedProcessing", true);
    for (int k = 1; k <= 8; ++k)
        AddObject(host, "resp:t" + std::to_string(k), Responses("targ:t" + std::to_string(k)));
    P().setStringParameter("SpecDescSamples", "resp");
    ASSERT_TRUE(train.createinterpolator());
    EXPECT_EQ(ChildNames(host, "rule:qSPECs"), (std::vector<std::string>{"qSPEC_1", "qSPEC_2", "qSPEC_3", "NORMCALIB"}));
    for (const char* name : {"rule:qSPECs:qSPEC_1", "rule:qSPECs:NORMCALIB"}) {
        const COLORREF colour = host.spectra.GetInserter(name)->GetColor();
        for (int byte = 0; byte < 3; ++byte) {
            const unsigned v = (colour >> (8 * byte)) & 0xFF;
            EXPECT_GE(v, 64u);
            EXPECT_LE(v, 255u);
        }
    }
    ClipboardObject* copy = host.clipboard.GetInserter("rule:qSens:t3");
    ASSERT_NE(copy, nullptr);
    EXPECT_EQ(*interp_test::ClpValuesOf(*copy), Responses("targ:t3"));
}

TEST_F(Interp, ChecksComeInOrderWithTheirTexts)
{
    calc_test::AddCurve(host, "illu:a", 400, 10, kPoints, [](double) { return 1.0; });
    calc_test::AddCurve(host, "illu:b", 400, 10, kPoints, [](double) { return 1.0; });
    calc_test::AddCurve(host, "short:s", 400, 10, 5, [](double) { return 1.0; });
    calc_test::AddSpectrum(host, "uneven:s", {400, 410, 430}, {1, 1, 1});
    AddObject(host, "resp:t1", {1, 2, 3});
    struct Case {
        const char* what;
        std::vector<std::pair<const char*, std::string>> set;
        const char* text;
    };
    const Case cases[] = {
        {"responses that are spectra", {{"SpecDescSamples", "targ"}}, "Fehler:  Sensorantworten nicht durch spektrale Daten beschreiben!"},
        {"sensitivities that are objects", {{"SpecDescAsystem", "resp"}}, "Fehler:  Spektrale Sensorbeschreibung ist nicht durch Clipboard-Daten möglich!"},
        {"no sensor", {{"SpecDescAsystem", ""}}, "Fehler:  Keine Sensorempfindlichkeiten oder Sensorantworten ausgewählt!"},
        {"response count", {{"SpecDescAsystem", ""}, {"SpecDescSamples", "resp"}}, "Fehler:  Zahl der Sensorantworten sollte der Zahl der Spektren entsprechen!"},
        {"both", {{"SpecDescSamples", "resp"}}, "Fehler:  Sensorverhalten entweder durch Sensorempfindlichkeiten oder Sensorantworten beschreiben!"},
        {"illumination points", {{"SpecDescIllu", "short"}}, "Fehler:  Targets und spektrale Gewichtung passen nicht zueinander!"},
        {"two illuminations", {{"SpecDescIllu", "illu"}}, "Fehler:  Die spektrale Gewichtung kann keine Spektrengruppe sein!"},
        {"no targets", {{"SpecDescTargets", ""}}, "Fehler: Keine Targets ausgewählt!"},
        {"two weights", {{"SpecMSEWeightTarget", "illu"}}, "Fehler: Spektrale Gewichtung kann keine Gruppe sein!"},
        {"uneven sensitivities", {{"SpecDescAsystem", "uneven"}}, "Fehler: Sensorempfindlichkeiten X-Werte sind nicht äquidistant!"},
        {"uneven targets", {{"SpecDescTargets", "uneven"}}, "Fehler: Targets X-Werte sind nicht äquidistant!"},
        {"sensitivities on another grid", {{"SpecDescAsystem", "short"}}, "Fehler: Verrechnungsvorschrift: Targets stimmen nicht mit den Empfindlichkeiten überein (Anzahl der Punkte)!"},
    };
    const ns_param::Paramora defaults = P();
    for (const Case& c : cases) {
        P() = defaults;
        for (const auto& [name, value] : c.set)
            P().setStringParameter(name, value);
        host.log.clear();
        EXPECT_FALSE(train.createinterpolator()) << c.what;
        ASSERT_FALSE(host.log.empty()) << c.what;
        EXPECT_EQ(host.log.back().text, c.text) << c.what;
        EXPECT_EQ(host.log.back().colour, calc::kErrorColour) << c.what;
        EXPECT_EQ(host.spectra.GetNodeByName("rule", false, false), nullptr) << c.what;
    }
}

// The numbers the training handles itself: a count below 1 trains once, a negative weight acts
// as its absolute value, the Wiener weights and the stop threshold go in as they stand, and
// "RegI2min" is not read. Each row trains the rule of its plain setting; where the setting
// acts, that rule differs from the one of the defaults.
TEST_F(Interp, NumbersTheTrainingHandlesItselfTrainLikeTheirPlainSetting)
{
    using Settings = std::vector<std::pair<const char*, double>>;
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const struct {
        const char* what;
        Settings set;
        Settings plain; // what trains the same rule within the ranges
        bool acts;      // the plain setting gives another rule than the defaults
    } rows[] = {
        {"IterCount 0", {{"IterCount", 0}}, {{"IterCount", 1}}, false},
        {"IterCount -7", {{"IterCount", -7}}, {{"IterCount", 1}}, false},
        {"RegTV -0.1", {{"IterCount", 5}, {"RegTV", -0.1}}, {{"IterCount", 5}, {"RegTV", 0.1}}, true},
        {"RegI2max -0.01", {{"RegI2max", -0.01}}, {{"RegI2max", 0.01}}, true},
        // No estimate of these targets is negative: the penalty leaves the rule as it is.
        {"RegPositivity -2", {{"IterCount", 5}, {"RegPositivity", -2}}, {{"IterCount", 5}, {"RegPositivity", 2}}, false},
        {"RegGauss -0.5", {{"RegGauss", -0.5}}, {{"RegGauss", 0.5}}, true},
        // No early stop: the iterations move the rule away from the closed form.
        {"MSEStop -1", {{"IterCount", 5}, {"RegTV", 0.1}, {"MSEStop", -1}}, {{"IterCount", 5}, {"RegTV", 0.1}}, true},
        {"RegWiener1 2", {{"RegWiener1", 2}, {"RegWiener2", 0.1}}, {{"RegI2max", 0.02}}, true},
        {"RegWiener1 -0.5", {{"RegI2max", 0.01}, {"RegWiener1", -0.5}, {"RegWiener2", 0.1}}, {{"RegI2max", 0.005}},
         true},
        {"RegWiener2 -0.1", {{"RegWiener1", 0.5}, {"RegWiener2", -0.1}}, {{"RegWiener1", 0.5}, {"RegWiener2", 0.1}},
         true},
        {"RegI2min NaN", {{"RegI2min", nan}}, {}, false},
        {"RegI2min -5", {{"RegI2min", -5}}, {}, false},
    };
    const ns_param::Paramora defaults = P();
    auto trained = [&](const Settings& settings) {
        P() = defaults;
        for (const auto& [name, value] : settings)
            if (!P().setDoubleParameter(name, value))
                P().setIntParameter(name, static_cast<int>(value));
        host.log.clear();
        host.statusTexts.clear();
        std::vector<double> rule;
        if (!train.createinterpolator())
            return rule;
        const TMatrix& m = train.GetMatrix();
        for (int r = 0; r < m.Rows(); ++r)
            rule.insert(rule.end(), m[r], m[r] + m.Cols());
        return rule;
    };
    auto same = [](const std::vector<double>& a, const std::vector<double>& b) {
        if (a.size() != b.size())
            return false;
        for (std::size_t i = 0; i < a.size(); ++i)
            if (!(std::fabs(a[i] - b[i]) <= 1e-9 * (1 + std::fabs(b[i]))))
                return false;
        return true;
    };
    const std::vector<double> bare = trained({});
    ASSERT_FALSE(bare.empty());
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        const std::vector<double> plain = trained(row.plain);
        ASSERT_FALSE(plain.empty());
        const std::vector<double> rule = trained(row.set);
        if (rule.empty()) {
            ADD_FAILURE() << "refused: " << (host.log.empty() ? std::string() : host.log.back().text);
            continue;
        }
        EXPECT_TRUE(same(rule, plain));
        EXPECT_EQ(!same(plain, bare), row.acts);
        if (std::string(row.what).rfind("IterCount", 0) == 0) {
            ASSERT_FALSE(host.statusTexts.empty());
            EXPECT_EQ(host.statusTexts.front(), "Trainiere Verrechnungsvorschrift in 1 Iterationen");
            EXPECT_EQ(std::count(host.statusTexts.begin(), host.statusTexts.end(),
                                 "Trainiere Verrechnungsvorschrift (Iteration 1 von 1)"),
                      1);
        }
    }
}

// Beyond what the training makes of them, the numbers still meet their range: a count above
// it, an absolute value beyond it, a value that is no finite number; a Wiener pair that
// leaves no variance is refused by the training itself.
TEST_F(Interp, NumbersBeyondWhatTheTrainingHandlesAreRefused)
{
    const double inf = std::numeric_limits<double>::infinity();
    const struct {
        std::vector<std::pair<const char*, double>> set;
        const char* line;
    } rows[] = {
        {{{"IterCount", 51}}, "Fehler: Parameter 'IterCount' liegt außerhalb des zulässigen Bereichs (1 bis 50)!"},
        {{{"RegTV", -20000}}, "Fehler: Parameter 'RegTV' liegt außerhalb des zulässigen Bereichs (0 bis 10000)!"},
        {{{"RegGauss", -1.5}}, "Fehler: Parameter 'RegGauss' liegt außerhalb des zulässigen Bereichs (0 bis 1)!"},
        {{{"RegTV", std::nan("")}}, "Fehler: Parameter 'RegTV' liegt außerhalb des zulässigen Bereichs (0 bis 10000)!"},
        {{{"MSEStop", inf}}, "Fehler: Parameter 'MSEStop' liegt außerhalb des zulässigen Bereichs (0 bis 10000)!"},
        {{{"RegWiener1", -inf}}, "Fehler: Parameter 'RegWiener1' liegt außerhalb des zulässigen Bereichs (0 bis 1)!"},
        {{{"RegWiener1", -0.5}, {"RegWiener2", 0.2}}, "Fehler: Verrechnungsvorschrift: Ungültige Parameter!"},
        {{{"RegWiener1", 1e300}, {"RegWiener2", 1e300}}, "Fehler: Verrechnungsvorschrift: Ungültige Parameter!"},
    };
    const ns_param::Paramora defaults = P();
    for (const auto& row : rows) {
        SCOPED_TRACE(row.line);
        P() = defaults;
        for (const auto& [name, value] : row.set)
            if (!P().setDoubleParameter(name, value))
                P().setIntParameter(name, static_cast<int>(value));
        host.log.clear();
        EXPECT_FALSE(train.createinterpolator());
        ASSERT_FALSE(host.log.empty());
        EXPECT_EQ(host.log.back().text, row.line);
        EXPECT_EQ(host.spectra.GetNodeByName("rule", false, false), nullptr);
        EXPECT_TRUE(train.GetMatrix().IsEmpty());
    }
}

TEST_F(Interp, NotFiniteInputGivesAStatusTextAndNoRule)
{
    Spectrum* t = host.spectra.GetInserter("targ:t2");
    t->SetPoint(4, (*t)[4].x, std::nan(""));
    EXPECT_FALSE(train.createinterpolator());
    EXPECT_EQ(host.log.back().text,
              "Fehler: Verrechnungsvorschrift: Eingabedaten enthalten ungültige Werte (NaN oder unendlich)!");
    EXPECT_EQ(host.spectra.GetNodeByName("rule", false, false), nullptr);
}

TEST_F(Interp, QuantisationWithoutSignalIsLeftOutWithAHint)
{
    calc_test::AddCurve(host, "dark:s", 400, 10, kPoints, [](double) { return 0.0; });
    P().setStringParameter("SpecDescAsystem", "sens;dark");
    P().setIntParameter("ADMode", 12);
    P().setBoolParameter("QuantChan", true);
    ASSERT_TRUE(train.createinterpolator());
    EXPECT_TRUE(HasLog("Hinweis: Kanal 4 wird nicht quantisiert (Maximalwert <= 0)."));
    for (int j = 0; j < kPoints; ++j)
        EXPECT_TRUE(std::isfinite(train.GetMatrix()[0][j]));
}

TEST_F(Interp, GradientQuestionRefusedEndsWithTheHint)
{
    FakePrompter prompter;
    prompter.answers.push_back(platform::PromptAnswer::No);
    P().setBoolParameter("UseGradEstimation", true);
    EXPECT_FALSE(train.createinterpolator());
    ASSERT_EQ(prompter.shown.size(), 1u);
    EXPECT_EQ(prompter.shown[0].icon, platform::PromptIcon::Question);
    EXPECT_EQ(host.log.back().text, "Hinweis:  Abbruch durch Nutzer. Bitte ändern Sie die Parametrierung.");
    prompter.answers.push_back(platform::PromptAnswer::Yes);
    EXPECT_TRUE(train.createinterpolator());
}

TEST_F(Interp, GroupedTrainingFilesEachGroupUnderItsPrefix)
{
    for (const char* name : {"a", "b"})
        calc_test::AddCurve(host, std::string("other:") + name, 400, 10, kPoints,
                            [](double x) { return interp_test::Gauss(x, 500, 80); });
    P().setBoolParameter("GroupedProcessing", true);
    P().setStringParameter("SpecDescAsystem", "sens:sub;other");
    ASSERT_TRUE(train.createinterpolator());
    EXPECT_EQ(ChildNames(host, "rule_sub:qSPECs"), (std::vector<std::string>{"red", "green", "blue"}));
    EXPECT_EQ(ChildNames(host, "rule_other:qSPECs"), (std::vector<std::string>{"a", "b"}));

    const struct {
        const char* selection;
        const char* text;
    } errors[] = {
        {"sens:sub", "Fehler:  Zur gruppenweisen Verarbeitung bitte Spektrengruppen ';' eingeben."},
        {"sens:sub:red;other", "Fehler:  Bitte für die gruppenweise Verarbeitung keine Einzelspektren eingeben."},
        {"sens;other", "Fehler:  Eingabe der spektralen Sensorempfindlichkeiten ist für die gruppenweise Verarbeitung "
                       "zu tief verschachtelt."},
    };
    for (const auto& e : errors) {
        P().setStringParameter("SpecDescAsystem", e.selection);
        EXPECT_FALSE(train.createinterpolator()) << e.selection;
        EXPECT_EQ(host.log.back().text, e.text);
    }
}

TEST(InterpolatorEvents, ProgressStatusAndAbort)
{
    RecordingHost host;
    CreateInterpolatorEventHandler handler(&host);
    handler.SetProgress(4, 0);
    handler.OnEvent(0);
    for (unsigned i = 0; i < 4; ++i) {
        handler.SetProgress(4, i);
        handler.OnEvent(1);
    }
    handler.OnEvent(2);
    handler.OnEvent(7);
    EXPECT_EQ(host.progressHistory, (std::vector<double>{0, 20, 40, 60, 80, 100}));
    EXPECT_EQ(host.statusTexts.front(), "Trainiere Verrechnungsvorschrift in 4 Iterationen");
    EXPECT_EQ(host.statusTexts[2], "Trainiere Verrechnungsvorschrift (Iteration 2 von 4)");
    EXPECT_EQ(host.statusTexts.back(), "Erstellung Verrechnungsvorschrift beendet!");
    EXPECT_FALSE(handler.IsAborted());
    host.wantsAbort = true;
    handler.OnEvent(1);
    EXPECT_TRUE(handler.IsAborted());
    EXPECT_EQ(host.progressHistory.back(), 100);
    EXPECT_EQ(host.statusTexts.back(), "Bitte Warten! Berechnung wird abgebrochen.");
}

TEST_F(Interp, AbortDuringTrainingFilesNothing)
{
    host.wantsAbort = true;
    EXPECT_FALSE(train.createinterpolator());
    EXPECT_EQ(host.spectra.GetNodeByName("rule", false, false), nullptr);
    EXPECT_TRUE(train.GetMatrix().IsEmpty());
}

TEST(InterpolatorLog, StreamLogsWholeLines)
{
    RecordingHost host;
    CreateInterpolatorStreamBuf buffer;
    buffer.host = &host;
    std::ostream out(&buffer);
    out << "eins\nzwei" << std::flush;
    ASSERT_EQ(host.LogTexts(), (std::vector<std::string>{"QSpec: eins"}));
    buffer.sputc(static_cast<char>(-1)); // a plain character 0xFF is no end of file
    out.rdbuf()->pubsync();
    EXPECT_EQ(host.LogTexts().size(), 1u);
}

TEST_F(Interp, TextFileHasExactBytes)
{
    test_support::TempDir dir;
    const std::string path = dir.file("rule.txt");
    EXPECT_FALSE(train.SaveAsText(path, ""));
    EXPECT_EQ(host.log.back().text, "Fehler: Speichern fehlgeschlagen! Ezeugen Sie eine Verrechnungsvorschrift!");

    TMatrix m;
    m.CreateMatArray(2, 3);
    m[0][0] = 1.5;
    m[0][1] = 5e-9;
    m[0][2] = -5e-9;
    m[1][0] = -1234567.0;
    m[1][1] = 0.000123456789;
    m[1][2] = 2;
    EXPECT_EQ(CreateInterpolatorModule::FormatRule(m, "proj:sens:sub"),
              "Sensorkonfiguration: :sub\r\n"
              "Koeffizienten der spektralen Verrechnung \r\n"
              "Kanalantwort 1:\r\n"
              "         1.5\t           0\t           0\t\r\n"
              "Kanalantwort 2:\r\n"
              "-1.23457e+06\t 0.000123457\t           2\t\r\n");
    EXPECT_EQ(CreateInterpolatorModule::FormatRule(m, "a:b;c").substr(0, 28), "Sensorkonfiguration: a:b;c\r\n");
    EXPECT_EQ(CreateInterpolatorModule::FormatRule(m, "").substr(0, 37), "Sensorkonfiguration: siehe Filename\r\n");

    ASSERT_TRUE(train.createinterpolator());
    ASSERT_TRUE(train.SaveAsText(path, "sens"));
    EXPECT_EQ(Read(path), CreateInterpolatorModule::FormatRule(train.GetMatrix(), "sens"));
    EXPECT_EQ(host.log.back().text, "Hinweis: Verrechnung wurde automatisch gespeichert unter " + path + " .");
    // A failed write keeps the old file and reports the failure.
    const std::string before = Read(path);
    EXPECT_FALSE(train.SaveAsText(dir.file("missing/rule.txt"), ""));
    EXPECT_EQ(host.log.back().text, "Fehler: Speichern fehlgeschlagen! " + dir.file("missing/rule.txt"));
    EXPECT_EQ(Read(path), before);

    // No path: the dialog; a cancel writes nothing.
    FakeFileChooser chooser;
    EXPECT_FALSE(train.SaveAsText("", "", "rule.txt"));
    EXPECT_EQ(chooser.lastName, "rule.txt");
    EXPECT_TRUE(chooser.lastFilter.isEmpty());
    chooser.answer = QString::fromStdString(dir.file("manual.txt"));
    EXPECT_TRUE(train.SaveAsText("", ""));
    EXPECT_EQ(host.log.back().text,
              "Hinweis: Verrechnung wurde manuell gespeichert unter " + dir.file("manual.txt") + " .");
}

TEST_F(Interp, LongPathIsCutOnACharacterBoundaryInTheHint)
{
    test_support::TempDir dir;
    ASSERT_TRUE(train.createinterpolator());
    std::string name = dir.path().string() + "/";
    while (name.size() < 209)
        name += "a";
    name += "ää.txt"; // byte 210 falls inside the first "ä"
    ASSERT_TRUE(train.SaveAsText(name, ""));
    const std::string hint = host.log.back().text;
    EXPECT_EQ(hint, "Hinweis: Verrechnung wurde automatisch gespeichert unter " + name.substr(0, 209) + " .");
}

TEST_F(Interp, AutoSaveWritesIntoTheFolderWithSlashesReplaced)
{
    test_support::TempDir dir;
    train.SetAutoSaveFolder(dir.path().string());
    P().setBoolParameter("AutoSave", true);
    P().setStringParameter("TargetGroup", "a/b");
    ASSERT_TRUE(train.createinterpolator());
    const std::string text = Read(dir.file("a_b.txt"));
    EXPECT_EQ(text.substr(0, 25), "Sensorkonfiguration: sens");
}

} // namespace
