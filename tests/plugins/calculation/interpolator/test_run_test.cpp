// The test module: the round trip with the training, names, clamping, noise, calibration,
// grouped passes, the response path and the checks.
#include "calculation/test_interpolator_core.h"

#include "fixture.h"

#include <cmath>
#include <numeric>
#include <regex>

namespace {

using calc_test::ChildNames;
using calc_test::Ys;
using interp_test::AddObject;
using interp_test::Interp;
using interp_test::kPoints;

// The one top-level group whose name starts with prefix; empty when none or several.
std::string GroupStartingWith(RecordingHost& host, const std::string& prefix);

class TestRun : public Interp {
protected:
    void SetUp() override
    {
        Interp::SetUp();
        Q().setStringParameter("SpecMessSystem", "rule:qSens");
        Q().setStringParameter("SpecInterpolator", "rule:qSPECs");
        Q().setStringParameter("SpecTargets", "targ");
        Q().setStringParameter("TargetGroup", "rek");
        Q().setDoubleParameter("RangeOfValueMin", -1000);
        Q().setDoubleParameter("RangeOfValueMax", 1000);
    }

    // W b of a target: the rule applied to the exact responses.
    std::vector<double> Expected(const std::string& target, bool normed)
    {
        const std::vector<double> a = Responses(target);
        std::vector<double> y(kPoints, 0.0);
        const char* names[] = {"red", "green", "blue"};
        for (int c = 0; c < 3; ++c) {
            const Spectrum* rule = host.spectra.GetInserter(std::string("rule:qSPECs:") + names[c]);
            for (int j = 0; j < kPoints; ++j)
                y[static_cast<std::size_t>(j)] += a[static_cast<std::size_t>(c)] * (*rule)[j].y;
        }
        if (normed) {
            const double mean = std::accumulate(a.begin(), a.end(), 0.0) / 3;
            const Spectrum* rule = host.spectra.GetInserter("rule:qSPECs:NORMCALIB");
            for (int j = 0; j < kPoints; ++j)
                y[static_cast<std::size_t>(j)] += mean * (*rule)[j].y;
        }
        return y;
    }

    void ExpectNear(const std::vector<double>& a, const std::vector<double>& b, double tolerance)
    {
        ASSERT_EQ(a.size(), b.size());
        for (std::size_t i = 0; i < a.size(); ++i)
            EXPECT_NEAR(a[i], b[i], tolerance) << i;
    }
};

TEST_F(TestRun, NoiseFreeRunReproducesTheTrainingsEstimate)
{
    for (bool normed : {false, true}) {
        SCOPED_TRACE(normed ? "normalised" : "plain");
        P().setBoolParameter("NormedProcessing", normed);
        Q().setBoolParameter("NormedProcessing", normed);
        host.spectra.DeleteInserters("rule");
        ASSERT_TRUE(train.createinterpolator());
        host.log.clear();
        ASSERT_TRUE(test.testinterpolator()) << host.LogTexts().back();
        ASSERT_EQ(ChildNames(host, "rek").size(), 8u);
        for (int k = 1; k <= 8; ++k) {
            const std::string t = "t" + std::to_string(k);
            ExpectNear(Ys(*host.spectra.GetInserter("rek:" + t)), Expected("targ:" + t, normed), 1e-9);
            EXPECT_EQ(Ys(*host.spectra.GetInserter("GT_targ:" + t)), Ys(*host.spectra.GetInserter("targ:" + t)));
        }
        // On the training targets the rule's estimate is close to the targets themselves.
        const std::vector<double> truth = Ys(*host.spectra.GetInserter("targ:t2"));
        const std::vector<double> rec = Ys(*host.spectra.GetInserter("rek:t2"));
        double err = 0;
        for (int j = 0; j < kPoints; ++j)
            err += std::fabs(truth[static_cast<std::size_t>(j)] - rec[static_cast<std::size_t>(j)]);
        EXPECT_LT(err / kPoints, 0.1);
        EXPECT_TRUE(HasLog("Hinweis: Messung ohne Abgleichkalibrierung."));
        // The colour is the target's darkened: each byte times (1 - d), d in 0.09..1.
        const COLORREF colour = host.spectra.GetInserter("rek:t1")->GetColor();
        EXPECT_LE(colour & 0xFF, 0x60u);
        EXPECT_LE((colour >> 16) & 0xFF, 0x20u);
    }
}

TEST_F(TestRun, ValuesAreClampedToTheRange)
{
    ASSERT_TRUE(train.createinterpolator());
    Q().setDoubleParameter("RangeOfValueMin", 0.4);
    Q().setDoubleParameter("RangeOfValueMax", 0.6);
    ASSERT_TRUE(test.testinterpolator());
    for (double y : Ys(*host.spectra.GetInserter("rek:t3"))) {
        EXPECT_GE(y, 0.4);
        EXPECT_LE(y, 0.6);
    }
}

TEST_F(TestRun, SecondaryNoiseIsSeededNormalAndEachRepetitionKeepsItsName)
{
    ASSERT_TRUE(train.createinterpolator());
    Q().setDoubleParameter("SekNoise", 10);
    Q().setIntParameter("MessCount", 40);
    seed = 500;
    ASSERT_TRUE(test.testinterpolator());
    const std::vector<double> noise = test.GetNoiseTable();
    ASSERT_EQ(noise.size(), 40u * 8 * 3);
    const double mean = std::accumulate(noise.begin(), noise.end(), 0.0) / static_cast<double>(noise.size());
    double var = 0;
    for (double n : noise)
        var += (n - mean) * (n - mean);
    var /= static_cast<double>(noise.size() - 1);
    EXPECT_NEAR(mean, 0, 0.015);
    EXPECT_NEAR(std::sqrt(var), 0.1, 0.012);
    // Noisy results carry "_real" and the run mark; every repetition has its own name.
    std::string group;
    for (const auto* node : host.spectra.GetRootNode()->GetChildren())
        if (node->GetName().rfind("rek_real_", 0) == 0)
            group = node->GetName();
    ASSERT_FALSE(group.empty());
    EXPECT_EQ(ChildNames(host, group).size(), 40u * 8);
    const Spectrum* first = host.spectra.GetInserter(group + ":t1_1");
    const Spectrum* last = host.spectra.GetInserter(group + ":t1_40");
    ASSERT_TRUE(first && last);
    EXPECT_NE(Ys(*first), Ys(*last));
    // Noise value n(r, i, c) at (r I + i) C + c: repetition 2 of target 3 (t4) is W (a + n a).
    const std::vector<double> a = Responses("targ:t4");
    std::vector<double> y(kPoints, 0.0);
    const char* names[] = {"red", "green", "blue"};
    for (int c = 0; c < 3; ++c) {
        const double disturbed = a[static_cast<std::size_t>(c)] * (1 + noise[(2 * 8 + 3) * 3 + static_cast<std::size_t>(c)]);
        const Spectrum* rule = host.spectra.GetInserter(std::string("rule:qSPECs:") + names[c]);
        for (int j = 0; j < kPoints; ++j)
            y[static_cast<std::size_t>(j)] += disturbed * (*rule)[j].y;
    }
    ExpectNear(Ys(*host.spectra.GetInserter(group + ":t4_3")), y, 1e-9);

    // The same seeds give the same table.
    const std::vector<double> before = noise;
    seed = 500;
    ASSERT_TRUE(test.testinterpolator());
    EXPECT_EQ(test.GetNoiseTable(), before);
}

TEST_F(TestRun, CalibrationFromMeasurementsPairsObjectsAndReportsFactors)
{
    ASSERT_TRUE(train.createinterpolator());
    Q().getEnumParameter("Abgleichmethode")->setIndex(2);
    // SOLL = 2 IST + 1 per channel; a pair with an IST object without values is left out.
    for (int k = 0; k < 5; ++k) {
        const std::vector<double> ist{1.0 + k, 2.0 + k * k, 0.5 * k};
        std::vector<double> soll;
        for (double v : ist)
            soll.push_back(2 * v + 1);
        AddObject(host, "soll:o" + std::to_string(k), soll);
        if (k == 2) {
            auto* o = new ClipboardObject;
            o->SetName("ist:o2");
            host.clipboard.AddInserter(o);
        } else {
            AddObject(host, "ist:o" + std::to_string(k), ist);
        }
    }
    Q().setStringParameter("CalibSamplesSoll", "soll");
    Q().setStringParameter("CalibSamplesIst", "ist");
    ASSERT_TRUE(test.testinterpolator());
    EXPECT_TRUE(HasLog("Hinweis: Abgleichkalibrierung aus echten Kalibriermessungen"));
    EXPECT_TRUE(HasLog("Hinweis: Messung mit Abgleichkalibrierung."));
    EXPECT_TRUE(HasLog("Kanalweise Kalibrierfaktoren/-offsets:        2.000 /        1.000       2.000 /        1.000"
                       "       2.000 /        1.000"));
    // Corrected responses: 2 a + 1 reconstructed.
    std::vector<double> a = Responses("targ:t1");
    std::vector<double> y(kPoints, 0.0);
    const char* names[] = {"red", "green", "blue"};
    for (int c = 0; c < 3; ++c)
        for (int j = 0; j < kPoints; ++j)
            y[static_cast<std::size_t>(j)] +=
                (2 * a[static_cast<std::size_t>(c)] + 1) * (*host.spectra.GetInserter(std::string("rule:qSPECs:") + names[c]))[j].y;
    ExpectNear(Ys(*host.spectra.GetInserter("rek:t1")), y, 1e-6);

    // Unequal counts: the message, no transform.
    AddObject(host, "soll:o9", {1, 2, 3});
    host.log.clear();
    ASSERT_TRUE(test.testinterpolator());
    EXPECT_TRUE(HasLog("Anzahl der SOLL und IST-Kalibriermessungen stimmt nicht überein!"));
    EXPECT_TRUE(HasLog("Hinweis: Messung ohne Abgleichkalibrierung."));
}

TEST_F(TestRun, CalibrationFromTargetsWithScaleReportsFactors)
{
    ASSERT_TRUE(train.createinterpolator());
    Q().getEnumParameter("Abgleichmethode")->setIndex(1);
    Q().setStringParameter("CalibTargetSpecs", "targ");
    ASSERT_TRUE(test.testinterpolator());
    EXPECT_TRUE(HasLog("Hinweis: Abgleichkalibrierung aus errechneten Kalibriermessungen und simuliertem "
                       "Systemverhalten"));
    // Measured and reference agree without primary noise: factors 1.
    EXPECT_TRUE(HasLog("Kanalweise Kalibrierfaktoren:        1.000       1.000       1.000"));
}

TEST_F(TestRun, PrimarySimulationDisturbsTheSensorsWithinBounds)
{
    ASSERT_TRUE(train.createinterpolator());
    Q().setDoubleParameter("PrimValueNoise", 5);
    Q().setDoubleParameter("PrimStoppBandPerf", 1);
    // Beyond the registered limit the run is refused; at the limit the shifts reach past the grid.
    Q().setDoubleParameter("PrimPosNoise", 30);
    EXPECT_FALSE(test.testinterpolator());
    EXPECT_EQ(host.log.back().text,
              "Fehler: Parameter 'PrimPosNoise' liegt außerhalb des zulässigen Bereichs (0 bis 20)!");
    Q().setDoubleParameter("PrimPosNoise", 20);
    ASSERT_TRUE(test.testinterpolator());
    EXPECT_TRUE(HasLog("Hinweis: Simulation primäres (spektrales) /sekundäres Systemverhalten für spektral gegebenes "
                       "Messsystem"));
    bool found = false;
    for (Spectrum* s : host.spectra.GetInserters()) {
        if (s->GetName().rfind("rek_real_", 0) != 0)
            continue;
        found = true;
        for (double y : Ys(*s))
            EXPECT_TRUE(std::isfinite(y));
    }
    EXPECT_TRUE(found);

    // Two illuminations stop the run.
    calc_test::AddCurve(host, "illu:a", 400, 10, kPoints, [](double) { return 1.0; });
    calc_test::AddCurve(host, "illu:b", 400, 10, kPoints, [](double) { return 1.0; });
    Q().setStringParameter("SpecIllu", "illu");
    EXPECT_FALSE(test.testinterpolator());
    EXPECT_TRUE(HasLog("Es ist nur eine Beleuchtungsquelle möglich!"));
}

TEST_F(TestRun, IlluminationIsCheckedAndAppliedOnlyWithPrimaryNoise)
{
    // Without primary noise nothing is simulated: the test measures with the given
    // sensitivities, and the illumination is neither checked nor applied.
    ASSERT_TRUE(train.createinterpolator());
    calc_test::AddCurve(host, "illu:a", 400, 10, kPoints, [](double) { return 2.0; });
    calc_test::AddCurve(host, "illu:b", 400, 10, kPoints, [](double) { return 2.0; });
    calc_test::AddCurve(host, "shifted:a", 410, 10, kPoints, [](double) { return 2.0; });
    calc_test::AddCurve(host, "coarse:a", 400, 20, 16, [](double) { return 2.0; });
    constexpr char kTwo[] = "Es ist nur eine Beleuchtungsquelle möglich!";
    constexpr char kShifted[] = "Empfindlichkeiten stimmen nicht mit dem Spektrum der Beleuchtungsquelle überein!";
    constexpr char kCount[] = "Beleuchtungsspektrum stimmt nicht mit den Empfindlichkeiten überein (Anzahl der Punkte)!";
    constexpr char kSimulated[] =
        "Hinweis: Simulation primäres (spektrales) /sekundäres Systemverhalten für spektral gegebenes Messsystem";
    const struct {
        const char* what;
        const char* illumination;
        double valueNoise, sekNoise;
        const char* refusal; // null: the run files its results
    } rows[] = {
        {"fitting, no noise", "illu:a", 0, 0, nullptr},
        {"two, no noise", "illu", 0, 0, nullptr},
        {"another start, no noise", "shifted:a", 0, 0, nullptr},
        {"another point count, no noise", "coarse:a", 0, 0, nullptr},
        {"two, secondary noise only", "illu", 0, 5, nullptr},
        {"fitting, value noise", "illu:a", 5, 0, nullptr},
        {"two, value noise", "illu", 5, 0, kTwo},
        {"another start, value noise", "shifted:a", 5, 0, kShifted},
        {"another point count, value noise", "coarse:a", 5, 0, kCount},
    };
    const ns_param::Paramora defaults = Q();
    for (const auto& r : rows) {
        SCOPED_TRACE(r.what);
        Q() = defaults;
        Q().setStringParameter("SpecIllu", r.illumination);
        Q().setDoubleParameter("PrimValueNoise", r.valueNoise);
        Q().setDoubleParameter("SekNoise", r.sekNoise);
        Q().setBoolParameter("RandomSign", false);
        host.spectra.DeleteInserters("rek");
        if (const std::string noisy = GroupStartingWith(host, "rek_real"); !noisy.empty())
            host.spectra.DeleteInserters(noisy);
        host.log.clear();
        EXPECT_EQ(test.testinterpolator(), r.refusal == nullptr) << ::testing::PrintToString(host.LogTexts());
        for (const char* line : {kTwo, kShifted, kCount})
            EXPECT_EQ(HasLog(line), r.refusal && std::string(line) == r.refusal) << line;
        EXPECT_EQ(HasLog(kSimulated), r.valueNoise != 0 && !r.refusal);
        if (r.valueNoise == 0 && r.sekNoise == 0) {
            // Measured with the sensitivities as given: not twice for the illumination of 2.
            ASSERT_NE(host.spectra.GetInserter("rek:t5"), nullptr);
            ExpectNear(Ys(*host.spectra.GetInserter("rek:t5")), Expected("targ:t5", false), 1e-9);
        }
    }
}

TEST_F(TestRun, BothCalibrationsRunWhenBothAreGiven)
{
    // Calibration measurements first, then the calibration targets: each logs its hint; the
    // transform is the one fitted last.
    ASSERT_TRUE(train.createinterpolator());
    for (int k = 0; k < 4; ++k) {
        const std::vector<double> ist{1.0 + k, 2.0 + k * k, 0.5 * k + 1};
        AddObject(host, "ist:o" + std::to_string(k), ist);
        AddObject(host, "soll:o" + std::to_string(k), {3 * ist[0], 3 * ist[1], 3 * ist[2]});
    }
    constexpr char kFromMeasurements[] = "Hinweis: Abgleichkalibrierung aus echten Kalibriermessungen";
    constexpr char kFromTargets[] =
        "Hinweis: Abgleichkalibrierung aus errechneten Kalibriermessungen und simuliertem Systemverhalten";
    const struct {
        const char* what;
        bool measurements, targets;
        std::vector<std::string> hints;
        const char* factors;
    } rows[] = {
        {"measurements", true, false, {kFromMeasurements},
         "Kanalweise Kalibrierfaktoren:        3.000       3.000       3.000"},
        {"targets", false, true, {kFromTargets}, "Kanalweise Kalibrierfaktoren:        1.000       1.000       1.000"},
        {"both", true, true, {kFromMeasurements, kFromTargets},
         "Kanalweise Kalibrierfaktoren:        1.000       1.000       1.000"},
    };
    const ns_param::Paramora defaults = Q();
    for (const auto& r : rows) {
        SCOPED_TRACE(r.what);
        Q() = defaults;
        Q().getEnumParameter("Abgleichmethode")->setIndex(1);
        if (r.measurements) {
            Q().setStringParameter("CalibSamplesSoll", "soll");
            Q().setStringParameter("CalibSamplesIst", "ist");
        }
        if (r.targets)
            Q().setStringParameter("CalibTargetSpecs", "targ");
        host.log.clear();
        ASSERT_TRUE(test.testinterpolator()) << ::testing::PrintToString(host.LogTexts());
        std::vector<std::string> hints;
        for (const std::string& line : host.LogTexts())
            if (line == kFromMeasurements || line == kFromTargets)
                hints.push_back(line);
        EXPECT_EQ(hints, r.hints);
        EXPECT_TRUE(HasLog(r.factors)) << ::testing::PrintToString(host.LogTexts());
    }
}

TEST_F(TestRun, ResponsePathSkipsObjectsOfAnotherChannelCount)
{
    P().setStringParameter("SpecDescAsystem", "");
    for (int k = 1; k <= 8; ++k)
        AddObject(host, "resp:t" + std::to_string(k), Responses("targ:t" + std::to_string(k)));
    P().setStringParameter("SpecDescSamples", "resp");
    ASSERT_TRUE(train.createinterpolator());
    // Measured objects: the stored ones, and a short one among them.
    AddObject(host, "rule:qSens:short", {1.0, 2.0});
    Q().setStringParameter("SpecMessSystem", "");
    Q().setStringParameter("MessSystemSamples", "rule:qSens");
    host.log.clear();
    // Nine candidates match the key but only three rules: no match.
    EXPECT_FALSE(test.testinterpolator());
    EXPECT_EQ(host.log.back().text, "Kein passender Sensor zur Verrechnungsvorschrift gefunden!");
}

TEST_F(TestRun, ResponsePathReconstructsObjectsOfTheChannelCountOnly)
{
    ASSERT_TRUE(train.createinterpolator());
    // Measured responses stored beside the rule: two of three channels' worth, one short.
    AddObject(host, "rule:qSens:m1", Responses("targ:t1"));
    AddObject(host, "rule:qSens:short", {1.0, 2.0});
    AddObject(host, "rule:qSens:m2", Responses("targ:t6"));
    Q().setStringParameter("SpecMessSystem", "");
    Q().setStringParameter("MessSystemSamples", "rule:qSens");
    host.log.clear();
    ASSERT_TRUE(test.testinterpolator()) << ::testing::PrintToString(host.LogTexts());
    EXPECT_TRUE(HasLog("Die Kanalzahl der Sensorantwort passt nicht zur Kanalzahl des Sensors! rule:qSens:short"));
    EXPECT_EQ(host.spectra.GetInserter("rek:short"), nullptr);
    ExpectNear(Ys(*host.spectra.GetInserter("rek:m1")), Expected("targ:t1", false), 1e-9);
    ExpectNear(Ys(*host.spectra.GetInserter("rek:m2")), Expected("targ:t6", false), 1e-9);
    // The targets are copied as ground truth.
    ASSERT_NE(host.spectra.GetInserter("GT_targ:t3"), nullptr);
    EXPECT_EQ(Ys(*host.spectra.GetInserter("GT_targ:t3")), Ys(*host.spectra.GetInserter("targ:t3")));
}

TEST_F(TestRun, ChecksStopWithTheirTexts)
{
    ASSERT_TRUE(train.createinterpolator());
    calc_test::AddCurve(host, "coarse:t1", 400, 20, 16, [](double) { return 0.5; });
    const struct {
        const char* what;
        std::function<void(ns_param::Paramora&)> set;
        const char* text;
    } cases[] = {
        {"no rule", [](ns_param::Paramora& q) { q.setStringParameter("SpecInterpolator", "none"); },
         "Die Kanalzahl der spektralen Verrechnungsvorschrift passt nicht zur Kanalzahl des Sensors!"},
        {"sensor of another rule", [](ns_param::Paramora& q) { q.setStringParameter("SpecMessSystem", "sens"); },
         "Kein passender Sensor zur Verrechnungsvorschrift gefunden!"},
        {"targets on another grid", [](ns_param::Paramora& q) { q.setStringParameter("SpecTargets", "coarse"); },
         "Targets X-Werte sind nicht passen nicht! Bitte führen Sie eine Normalisierung aus!"},
        {"no targets", [](ns_param::Paramora& q) { q.setStringParameter("SpecTargets", ""); },
         "Keine spektralen Targets zur Rekonstruktion ausgewählt!"},
        {"quantisation without reference", [](ns_param::Paramora& q) { q.setIntParameter("ADMode", 8); },
         "Bitte geben Sie zur Wertebereichsquantisierung die Referenz-Kanalempfindlichkeiten oder -Kanalantworten an !"},
        {"grouped without ';'", [](ns_param::Paramora& q) { q.setBoolParameter("GroupedProcessing", true); },
         "Zur gruppenweisen Verarbeitung bitte Spektrengruppen ';' eingeben."},
        {"no repetition", [](ns_param::Paramora& q) { q.setIntParameter("MessCount", 0); },
         "Fehler: Parameter 'MessCount' liegt außerhalb des zulässigen Bereichs (1 bis 1000)!"},
        {"infinite noise", [](ns_param::Paramora& q) { q.setDoubleParameter("SekNoise", INFINITY); },
         "Fehler: Parameter 'SekNoise' liegt außerhalb des zulässigen Bereichs (0 bis 1000)!"},
        // The grouped selection's own lines come before the range rule.
        {"grouped without ';', no repetition",
         [](ns_param::Paramora& q) {
             q.setBoolParameter("GroupedProcessing", true);
             q.setIntParameter("MessCount", 0);
         },
         "Zur gruppenweisen Verarbeitung bitte Spektrengruppen ';' eingeben."},
    };
    const ns_param::Paramora defaults = Q();
    for (const auto& c : cases) {
        Q() = defaults;
        c.set(Q());
        host.log.clear();
        EXPECT_FALSE(test.testinterpolator()) << c.what;
        ASSERT_FALSE(host.log.empty()) << c.what;
        EXPECT_EQ(host.log.back().text, c.text) << c.what;
    }
}

TEST_F(TestRun, GroupedCheckExaminesTheEntriesThatASemicolonEnds)
{
    P().setStringParameter("TargetGroup", "A");
    ASSERT_TRUE(train.createinterpolator());
    calc_test::AddCurve(host, "lone:x", 400, 10, kPoints, [](double) { return 1.0; });
    constexpr char kSingle[] =
        "Bitte für die gruppenweise Verarbeitung keine einzelnen spektralen Verrechnungsvorschrift(en) eingeben.";
    constexpr char kDeep[] =
        "Eingabe der spektralen Verrechnungsvorschrift(en) ist für die gruppenweise Verarbeitung zu tief verschachtelt.";
    const struct {
        const char* what;
        const char* rules;
        const char* refusal; // null: group A is processed
    } rows[] = {
        {"a single rule last, without ';'", "A:qSPECs;lone:x", nullptr},
        {"a deep entry last, without ';'", "A:qSPECs;B:x:y", nullptr},
        {"a single rule that a ';' ends", "lone:x;A:qSPECs", kSingle},
        {"a deep entry that a ';' ends", "B:x:y;A:qSPECs", kDeep},
        {"a single rule last, with ';'", "A:qSPECs;lone:x;", kSingle},
    };
    const ns_param::Paramora defaults = Q();
    for (const auto& r : rows) {
        SCOPED_TRACE(r.what);
        Q() = defaults;
        Q().setBoolParameter("GroupedProcessing", true);
        Q().setStringParameter("SpecMessSystem", "A:qSens");
        Q().setStringParameter("SpecInterpolator", r.rules);
        host.spectra.DeleteInserters("rek");
        host.log.clear();
        EXPECT_EQ(test.testinterpolator(), r.refusal == nullptr) << ::testing::PrintToString(host.LogTexts());
        if (r.refusal) {
            EXPECT_EQ(host.log.back().text, r.refusal);
            EXPECT_EQ(host.spectra.GetNodeByName("rek", false, false), nullptr);
        } else {
            EXPECT_FALSE(HasLog(kSingle));
            EXPECT_FALSE(HasLog(kDeep));
            EXPECT_EQ(ChildNames(host, "rek:A").size(), 8u) << ::testing::PrintToString(host.LogTexts());
        }
    }
}

TEST_F(TestRun, GroupedPassesUseEachGroupsRule)
{
    P().setStringParameter("TargetGroup", "A");
    ASSERT_TRUE(train.createinterpolator());
    P().setStringParameter("TargetGroup", "B");
    P().setBoolParameter("NormedProcessing", true);
    ASSERT_TRUE(train.createinterpolator());
    Q().setBoolParameter("GroupedProcessing", true);
    Q().setBoolParameter("NormedProcessing", true);
    Q().setStringParameter("SpecMessSystem", "A:qSens;B:qSens");
    Q().setStringParameter("SpecInterpolator", "A:qSPECs;B:qSPECs;C:qSPECs");
    EXPECT_TRUE(test.testinterpolator()) << ::testing::PrintToString(host.LogTexts());
    EXPECT_EQ(ChildNames(host, "rek:A").size(), 8u);
    EXPECT_EQ(ChildNames(host, "rek:B").size(), 8u);
    EXPECT_TRUE(HasLog("Messung mit A ohne Abgleichkalibrierung."));
    // The missing group C is reported with its name and skipped.
    EXPECT_TRUE(HasLog("Die Kanalzahl der spektralen Verrechnungsvorschrift passt nicht zur Kanalzahl des Sensors!: C"));
}

std::string GroupStartingWith(RecordingHost& host, const std::string& prefix)
{
    std::string found;
    for (const auto* node : host.spectra.GetRootNode()->GetChildren())
        if (node->GetName().rfind(prefix, 0) == 0) {
            if (!found.empty())
                return {};
            found = node->GetName();
        }
    return found;
}

TEST_F(TestRun, DefaultResultGroupIsMadeOfTheSensorDescription)
{
    ASSERT_TRUE(train.createinterpolator());
    for (const char* leaf : {"m1", "m2", "m3"})
        AddObject(host, std::string("rule:qSens:") + leaf, Responses("targ:t1"));
    for (int k = 0; k < 3; ++k) {
        AddObject(host, "soll:o" + std::to_string(k), {2.0 + k, 3.0 * k, 1.0});
        AddObject(host, "ist:o" + std::to_string(k), {1.0 + k, 1.5 * k, 0.5});
    }
    const struct {
        const char* what;
        const char* sensors;
        const char* responses;
        bool randomSign;
        double sekNoise;
        int method; // with calibration measurements when not 0
        const char* pattern;
    } cases[] = {
        {"sensitivities", "rule:qSens", "", false, 0, 0, "sREK_rule"},
        {"sensitivities, marked", "rule:qSens", "", true, 0, 0, "sREK_rule_[0-9]+_[0-9]+"},
        {"sensitivities, noisy", "rule:qSens", "", false, 5, 0, "sREK_rule_real_[0-9]+"},
        {"sensitivities, marked and noisy", "rule:qSens", "", true, 5, 0, "sREK_rule_[0-9]+_([0-9]+)_real_\\1"},
        {"sensitivities, calibrated", "rule:qSens", "", false, 0, 2, "sREK_rule_calib"},
        {"responses", "", "rule:qSens", false, 0, 0, "sREK_qSens"},
        {"responses, marked", "", "rule:qSens", true, 0, 0, "sREK_qSens_[0-9]+"},
        {"responses from a list", "", "rule:qSens;none:other", false, 0, 0, "sREK_qSens\\+other"},
        {"responses, calibrated and noisy", "", "rule:qSens", true, 5, 3, "sREK_qSens_([0-9]+)_calib_real_\\1"},
    };
    const ns_param::Paramora defaults = Q();
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        Q() = defaults;
        Q().setStringParameter("TargetGroup", "");
        Q().setStringParameter("SpecMessSystem", c.sensors);
        Q().setStringParameter("MessSystemSamples", c.responses);
        Q().setBoolParameter("RandomSign", c.randomSign);
        Q().setDoubleParameter("SekNoise", c.sekNoise);
        if (c.method != 0) {
            Q().getEnumParameter("Abgleichmethode")->setIndex(c.method);
            Q().setStringParameter("CalibSamplesSoll", "soll");
            Q().setStringParameter("CalibSamplesIst", "ist");
        }
        host.spectra.DeleteInserters(GroupStartingWith(host, "sREK_"));
        ASSERT_TRUE(test.testinterpolator()) << ::testing::PrintToString(host.LogTexts());
        const std::string group = GroupStartingWith(host, "sREK_");
        EXPECT_TRUE(std::regex_match(group, std::regex(c.pattern))) << group;
        EXPECT_FALSE(ChildNames(host, group).empty());
    }
}

TEST_F(TestRun, ResponsesGivenBesideSensitivitiesAreReconstructed)
{
    ASSERT_TRUE(train.createinterpolator());
    AddObject(host, "resp:m1", Responses("targ:t1"));
    AddObject(host, "resp:m2", Responses("targ:t6"));
    Q().setStringParameter("MessSystemSamples", "resp");
    host.log.clear();
    ASSERT_TRUE(test.testinterpolator()) << ::testing::PrintToString(host.LogTexts());
    EXPECT_EQ(host.log.front().text, "Den Sensor entweder spektral simulieren oder durch Sensorantworten beschreiben!");
    EXPECT_EQ(host.log.front().colour, calc::kErrorColour);
    ASSERT_NE(host.spectra.GetInserter("rek:m1"), nullptr);
    ASSERT_NE(host.spectra.GetInserter("rek:m2"), nullptr);
    ExpectNear(Ys(*host.spectra.GetInserter("rek:m1")), Expected("targ:t1", false), 1e-9);
    ExpectNear(Ys(*host.spectra.GetInserter("rek:m2")), Expected("targ:t6", false), 1e-9);
    // The targets are not measured in the response path.
    EXPECT_EQ(host.spectra.GetInserter("rek:t1"), nullptr);
}

TEST_F(TestRun, ReferenceSystemIsSimulatedAfterTheSensor)
{
    ASSERT_TRUE(train.createinterpolator());
    for (const char* leaf : {"m1", "m2", "m3"})
        AddObject(host, std::string("rule:qSens:") + leaf, Responses("targ:t2"));
    calc_test::AddCurve(host, "two:a", 400, 10, kPoints, [](double) { return 1.0; });
    calc_test::AddCurve(host, "two:b", 400, 10, kPoints, [](double) { return 0.5; });
    constexpr char kSensorHint[] =
        "Hinweis: Simulation primäres (spektrales) /sekundäres Systemverhalten für spektral gegebenes Messsystem";
    constexpr char kReferenceHint[] =
        "Hinweis: Simulation primäres (spektrales) / sekundäres Systemverhalten spektral gegebenes Referenzsystem";
    constexpr char kFromTargets[] =
        "Hinweis: Abgleichkalibrierung aus errechneten Kalibriermessungen und simuliertem Systemverhalten";
    constexpr char kMismatch[] = "Referenz-Kanalempfindlichkeiten oder Kanalantworten passen nicht zu diesem Sensor !";
    const struct {
        const char* what;
        const char* sensors;
        const char* responses;
        const char* reference;
        double valueNoise;
        bool ok;
        std::vector<const char*> logged, absent;
    } cases[] = {
        {"sensor and reference", "rule:qSens", "", "rule:qSens", 5, true, {kSensorHint, kReferenceHint}, {}},
        {"responses with a reference: calibrated from targets", "", "rule:qSens", "rule:qSens", 5, true,
         {kReferenceHint, kFromTargets, "Hinweis: Messung mit Abgleichkalibrierung."}, {kSensorHint}},
        {"responses, reference without noise: nothing simulated", "", "rule:qSens", "rule:qSens", 0, true,
         {"Hinweis: Messung ohne Abgleichkalibrierung."}, {kReferenceHint, kFromTargets}},
        {"reference of another channel count measuring targets", "rule:qSens", "", "two", 5, false, {kMismatch}, {}},
    };
    const ns_param::Paramora defaults = Q();
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        Q() = defaults;
        Q().setStringParameter("SpecMessSystem", c.sensors);
        Q().setStringParameter("MessSystemSamples", c.responses);
        Q().setStringParameter("CalibMessSystemSpecs", c.reference);
        Q().setStringParameter("CalibTargetSpecs", "targ");
        Q().getEnumParameter("Abgleichmethode")->setIndex(1);
        Q().setDoubleParameter("PrimValueNoise", c.valueNoise);
        host.log.clear();
        EXPECT_EQ(test.testinterpolator(), c.ok) << ::testing::PrintToString(host.LogTexts());
        for (const char* line : c.logged)
            EXPECT_TRUE(HasLog(line)) << line;
        for (const char* line : c.absent)
            EXPECT_FALSE(HasLog(line)) << line;
    }
}

TEST(TestInterpolatorResample, LinearValuesOnTheRequestedGrid)
{
    Spectrum s;
    for (double x : {400.0, 410.0, 430.0})
        s.AddPoint(SPoint(x, x / 10));
    TestInterpolatorModule::Resample(s, 5);
    ASSERT_EQ(s.GetPointCount(), 7);
    for (int k = 0; k < 7; ++k) {
        EXPECT_DOUBLE_EQ(s[k].x, 400 + 5 * k);
        EXPECT_NEAR(s[k].y, (400 + 5 * k) / 10.0, 1e-12);
    }
}

} // namespace

namespace {

// A spectrum of the given values on 400, 410, ...
std::unique_ptr<Spectrum> Values(const std::string& name, const std::vector<double>& y)
{
    auto s = std::make_unique<Spectrum>();
    s->SetName(name);
    for (std::size_t j = 0; j < y.size(); ++j)
        s->AddPoint(SPoint(400 + 10.0 * static_cast<double>(j), y[j]));
    return s;
}

} // namespace

TEST(TestInterpolatorCore, ReconstructsNamesAndFilesInOrder)
{
    // Channel c of the rule puts its response on point c: a reconstruction shows the
    // responses, clamped to lo .. hi, with the noise of its repetition.
    std::vector<std::unique_ptr<Spectrum>> owned;
    tinterp::Pass pass;
    for (int c = 0; c < 3; ++c) {
        std::vector<double> y(4, 0.0);
        y[static_cast<std::size_t>(c)] = 1.0;
        owned.push_back(Values("rule:qSPECs:" + std::to_string(c), y));
        pass.rules.push_back(owned.back().get());
        pass.channelRules.push_back(owned.back().get());
    }
    pass.group = "G";
    owned.push_back(Values("targ:t1", {1, 1, 1, 1}));
    Spectrum* target = owned.back().get();

    const struct {
        const char* what;
        bool grouped;
        int messCount;
        double hi;
        std::vector<double> noise;
        std::vector<std::string> names;
        std::vector<double> last; // the last reconstruction
    } rows[] = {
        {"one", false, 1, 10, {}, {"B:m", "GT_targ:t1"}, {1, 2, 3, 0}},
        {"clamped", false, 1, 2.5, {}, {"B:m", "GT_targ:t1"}, {1, 2, 2.5, 0}},
        {"grouped", true, 1, 10, {}, {"B:G:m", "GT_targ:t1"}, {1, 2, 3, 0}},
        {"two with noise", false, 2, 10, {0, 0, 0, 0.5, 0, -1}, {"B:m_1", "B:m_2", "GT_targ:t1"}, {1.5, 2, 0, 0}},
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(r.what);
        tinterp::Settings s;
        s.grouped = r.grouped;
        s.messCount = r.messCount;
        s.lo = -10;
        s.hi = r.hi;
        tinterp::Measurement m;
        m.responseMode = true;
        m.base = "B";
        m.items = 1;
        m.channels = 3;
        m.noise = r.noise;
        m.measured = {{"m", {1, 2, 3}}};
        m.targets.push_back(target);
        const std::vector<tinterp::Filing> out = tinterp::Reconstruct(s, pass, m);
        ASSERT_EQ(out.size(), r.names.size());
        for (std::size_t i = 0; i < out.size(); ++i) {
            EXPECT_EQ(out[i].spectrum->GetName(), r.names[i]);
            EXPECT_EQ(out[i].replace, i + 1 < out.size()) << "the target copy is filed beside what stands there";
        }
        EXPECT_EQ(Ys(*out[out.size() - 2].spectrum), r.last);
        EXPECT_EQ(Ys(*out.back().spectrum), Ys(*target));
    }

    // Targets measured by the simulated channels: each reconstruction followed by its truth,
    // both in the darkened colour of the target.
    tinterp::Settings s;
    s.lo = -10;
    s.hi = 10;
    tinterp::Measurement m;
    m.base = "B";
    m.items = 1;
    m.channels = 3;
    m.darkening = 0.5;
    for (int c = 0; c < 3; ++c)
        m.simulated.push_back(Values("sim", {c == 0 ? 1.0 : 0.0, c == 1 ? 2.0 : 0.0, c == 2 ? 3.0 : 0.0, 0}));
    owned.push_back(Values("targ:t2", {2, 1, 1, 0}));
    owned.back()->SetColor(0x204060);
    m.targets.push_back(owned.back().get());
    const std::vector<tinterp::Filing> out = tinterp::Reconstruct(s, pass, m);
    ASSERT_EQ(out.size(), 2u);
    EXPECT_EQ(out[0].spectrum->GetName(), "B:t2");
    EXPECT_EQ(Ys(*out[0].spectrum), (std::vector<double>{2, 2, 3, 0}));
    EXPECT_EQ(out[1].spectrum->GetName(), "GT_targ:t2");
    EXPECT_EQ(Ys(*out[1].spectrum), (std::vector<double>{2, 1, 1, 0}));
    for (const auto& f : out) {
        EXPECT_TRUE(f.replace);
        EXPECT_EQ(f.spectrum->GetColor(), COLORREF(0x102030));
    }
}
