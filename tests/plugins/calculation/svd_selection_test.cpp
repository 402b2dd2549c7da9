// The algebraic spectrum and sensor selection: events, checks, modes, names and screening.
#include "calculation/svd_selection_events.h"
#include "calculation/svd_selection_module.h"

#include "fixture.h"

#include <gtest/gtest.h>

#include <cmath>
#include <regex>
#include <ostream>

using calc_test::AddCurve;
using calc_test::ChildNames;

namespace {

// Gaussian bands on 400..700 nm, 31 points.
Spectrum* Band(RecordingHost& host, const std::string& name, double centre, double width = 30)
{
    return AddCurve(host, name, 400, 10, 31, [=](double x) { return std::exp(-0.5 * std::pow((x - centre) / width, 2)); });
}

// The distinct first levels of the tree's spectrum names.
std::vector<std::string> TopGroups(RecordingHost& host)
{
    std::vector<std::string> groups;
    for (const std::string& name : calc_test::Names(host)) {
        const std::string top = name.substr(0, name.find(':'));
        if (std::find(groups.begin(), groups.end(), top) == groups.end())
            groups.push_back(top);
    }
    return groups;
}

template <class M>
struct Fixture {
    RecordingHost host;
    M module;
    Fixture() { module.SetModuleInterface(&host); }
    ns_param::Paramora& p() { return module.getParameters(); }
    void Set(const char* name, const std::string& v) { p().setStringParameter(name, v); }
    bool HasLog(const std::string& text) const
    {
        for (const auto& line : host.log)
            if (line.text == text)
                return true;
        return false;
    }
};

TEST(SVDSelEvents, ProgressStatusAndAbort)
{
    RecordingHost host;
    SVDSelEventHandler handler(&host);
    auto event = [&](int type, unsigned count, unsigned index) {
        handler.SetProgress(count, index);
        handler.OnEvent(type);
        return handler.IsAborted();
    };
    EXPECT_FALSE(event(3, 10, 0));
    EXPECT_EQ(host.statusTexts.back(), "Optimale algebraische Targetauswahl von 10 Targets");
    EXPECT_FALSE(event(4, 10, 4));
    EXPECT_EQ(host.progress, 36); // 4 / 11 * 100, integer part
    EXPECT_EQ(host.statusTexts.back(), "Optimale algebraische Targetauswahl (Target 5 von 10)");
    EXPECT_FALSE(event(5, 10, 10));
    EXPECT_EQ(host.progress, 100);
    EXPECT_EQ(host.statusTexts.back(), "Optimale algebraische Targetauswahl fertig");
    EXPECT_FALSE(event(9, 10, 0));

    host.wantsAbort = true;
    host.progress = 0;
    EXPECT_TRUE(event(4, 10, 5));
    EXPECT_TRUE(event(4, 10, 6));
    EXPECT_TRUE(handler.IsAborted());
    EXPECT_EQ(host.progress, 100);
    int waits = 0;
    for (const auto& line : host.log)
        if (line.text == "Bitte Warten! Berechnung wird abgebrochen.") {
            ++waits;
            EXPECT_EQ(line.colour, COLORREF(0x000070));
        }
    EXPECT_EQ(waits, 2); // one red line per event

    SVDSelectionStreamBuf buffer(&host);
    std::ostream out(&buffer);
    out << "erste Zeile\nzweite" << std::flush;
    out << '\n';
    EXPECT_EQ(host.log[host.log.size() - 2].text, "AlgebraicSel: erste Zeile");
    EXPECT_EQ(host.log.back().text, "AlgebraicSel: zweite");
}

TEST(SVDSelection, InputChecksInTheirOrder)
{
    struct Case {
        const char* what;
        std::function<void(Fixture<SVDSelectionModule>&)> setup;
        std::string message;
    };
    const Case cases[] = {
        {"no candidates", [](auto& f) { f.Set("SpecDesc", "Nichts"); }, "Fehler: Keine Spektren ausgewählt!"},
        {"start spectra fill the count",
         [](auto& f) {
             f.Set("RefSpecDesc", "S");
             f.p().setIntParameter("SpecCount", 2);
         },
         "Fehler: Keine weitere Auswahl erforderlich!"},
        {"count 0 from a script", [](auto& f) { f.p().setIntParameter("SpecCount", 0); },
         "Fehler: Keine weitere Auswahl erforderlich!"},
        {"negative count from a script", [](auto& f) { f.p().setIntParameter("SpecCount", -3); },
         "Fehler: Keine weitere Auswahl erforderlich!"},
        {"different x",
         [](auto& f) {
             AddCurve(f.host, "C:x", 401, 10, 31, [](double) { return 1.0; });
         },
         "Fehler: Unterschiedliche X-Werte!"},
        {"start point count",
         [](auto& f) {
             AddCurve(f.host, "T:kurz", 400, 10, 20, [](double) { return 1.0; });
             f.Set("RefSpecDesc", "T");
         },
         "Fehler: Spektrale Startauswahl hat unterschiedliche X-Werte!"},
        {"weight point count",
         [](auto& f) {
             AddCurve(f.host, "W:kurz", 400, 10, 20, [](double) { return 1.0; });
             f.Set("WSpecDesc", "W");
         },
         "Fehler: Spektrale Wichtung hat unterschiedliche X-Werte!"},
        // What the checks above let through gets the range line.
        {"NormType from a script", [](auto& f) { f.p().setIntParameter("NormType", 3); },
         "Fehler: Parameter 'NormType' liegt außerhalb des zulässigen Bereichs (0 bis 1)!"},
        {"infinite selection value", [](auto& f) { f.p().setDoubleParameter("SpecMinSVDValue", INFINITY); },
         "Fehler: Parameter 'SpecMinSVDValue' liegt außerhalb des zulässigen Bereichs (0 bis 100000)!"},
        // The checks' own lines come first.
        {"no candidates, NormType 3",
         [](auto& f) {
             f.Set("SpecDesc", "Nichts");
             f.p().setIntParameter("NormType", 3);
         },
         "Fehler: Keine Spektren ausgewählt!"},
        {"start spectra fill the count, NaN NormVal",
         [](auto& f) {
             f.Set("RefSpecDesc", "S");
             f.p().setDoubleParameter("NormVal", NAN);
         },
         "Fehler: Keine weitere Auswahl erforderlich!"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Fixture<SVDSelectionModule> f;
        Band(f.host, "C:a", 450);
        Band(f.host, "C:b", 550);
        Band(f.host, "S:a", 450);
        Band(f.host, "S:b", 550);
        f.Set("SpecDesc", "C");
        f.p().setIntParameter("SpecCount", 2);
        c.setup(f);
        const std::size_t before = f.host.spectra.GetInserters().size();
        EXPECT_FALSE(f.module.svdselection());
        ASSERT_FALSE(f.host.log.empty());
        EXPECT_EQ(f.host.log.back().text, c.message);
        EXPECT_EQ(f.host.log.back().colour, COLORREF(0x000070));
        EXPECT_EQ(f.host.spectra.GetInserters().size(), before);
    }
}

// A count beyond its registered range is lowered to the candidates, not refused.
TEST(SVDSelection, CountBeyondItsRangeIsLoweredToTheCandidates)
{
    Fixture<SVDSelectionModule> f;
    Band(f.host, "C:a", 450);
    Band(f.host, "C:b", 550);
    f.Set("SpecDesc", "C");
    f.Set("TargetGroup", "Erg");
    f.p().setIntParameter("SpecCount", 20000);
    ASSERT_TRUE(f.module.svdselection()) << ::testing::PrintToString(f.host.LogTexts());
    EXPECT_TRUE(f.HasLog("Hinweis: Anzahl der Spektren wurde auf 2 (max) begrenzt!"));
}

TEST(SVDSelection, ChoosesSpectraAndNamesTheGroup)
{
    Fixture<SVDSelectionModule> f;
    Band(f.host, "C:a", 450)->SetColor(0x0000ff);
    Band(f.host, "C:b", 455);
    Band(f.host, "C:c", 600);
    f.Set("SpecDesc", "C");
    f.Set("TargetGroup", "Erg");
    f.p().setIntParameter("SpecCount", 5);
    ASSERT_TRUE(f.module.svdselection());
    EXPECT_TRUE(f.HasLog("Hinweis: Anzahl der Spektren wurde auf 3 (max) begrenzt!"));
    EXPECT_TRUE(f.HasLog("Hinweis: Auswahlmodus \"Spektren\" "));
    // One group "Erg_<value>:" without blanks, holding all three.
    const auto groups = TopGroups(f.host);
    std::string group;
    for (const auto& g : groups)
        if (g.rfind("Erg_", 0) == 0)
            group = g;
    ASSERT_FALSE(group.empty());
    EXPECT_TRUE(std::regex_match(group, std::regex(R"(Erg_[0-9]+\.[0-9]{4})"))) << group;
    auto children = ChildNames(f.host, group);
    std::sort(children.begin(), children.end());
    EXPECT_EQ(children, (std::vector<std::string>{"a", "b", "c"}));
    EXPECT_EQ(f.host.spectra.GetInserter(group + ":a")->GetColor(), COLORREF(0x0000ff));

    // Two of the three: the two distinct bands, not the near twins.
    Fixture<SVDSelectionModule> g;
    Band(g.host, "C:a", 450);
    Band(g.host, "C:b", 452);
    Band(g.host, "C:c", 650);
    g.Set("SpecDesc", "C");
    g.p().setIntParameter("SpecCount", 2);
    ASSERT_TRUE(g.module.svdselection());
    // Default group: "AlgebraicSel:" + the shortened selection text.
    const auto top = ChildNames(g.host, "AlgebraicSel");
    ASSERT_EQ(top.size(), 1u);
    auto picked = ChildNames(g.host, "AlgebraicSel:" + top[0]);
    std::sort(picked.begin(), picked.end());
    ASSERT_EQ(picked.size(), 2u);
    EXPECT_EQ(picked[1], "c");
}

TEST(SVDSelection, ModesStartsAndEquivalents)
{
    Fixture<SVDSelectionModule> f;
    for (int i = 0; i < 5; ++i)
        Band(f.host, "C:s" + std::to_string(i), 420 + 60 * i);
    Band(f.host, "W:w1", 500, 100);
    Band(f.host, "W:w2", 600, 100);
    Band(f.host, "W:w3", 450, 80);
    Band(f.host, "Eq:s1", 480);
    Band(f.host, "Eq:s3", 600);
    // A start spectrum that is no candidate.
    Band(f.host, "Start:extra", 430);
    f.Set("SpecDesc", "C");
    f.Set("WSpecDesc", "W");
    f.Set("AeqSpecDesc", "Eq");
    f.Set("RefSpecDesc", "Start");
    f.Set("TargetGroup", "R");
    f.p().setIntParameter("SpecCount", 3);
    ASSERT_TRUE(f.module.svdselection());
    EXPECT_TRUE(f.HasLog("Hinweis: Auswahlmodus \"Samples aus Spektren und Spektrenwichtungen\" "));
    std::string group;
    for (const auto& g : TopGroups(f.host))
        if (g.rfind("R_SampleMode_", 0) == 0)
            group = g;
    ASSERT_FALSE(group.empty());
    const auto chosen = ChildNames(f.host, group);
    // The start spectrum first under its own name, then two candidates.
    EXPECT_NE(std::find(chosen.begin(), chosen.end(), "extra_Startauswahl0_sel"), chosen.end());
    int candidates = 0, notFound = 0;
    for (const auto& name : chosen)
        if (name.size() == 2 && name[0] == 's')
            ++candidates;
    EXPECT_EQ(candidates, 2);
    // Every chosen candidate either has its equivalent copied or is listed as not found.
    for (const auto& name : chosen) {
        if (name.size() != 2)
            continue;
        const bool hasEquivalent = name == "s1" || name == "s3";
        EXPECT_EQ(f.host.spectra.GetInserter("Eq_SelSortFromAlgSel:" + name) != nullptr, hasEquivalent) << name;
        EXPECT_EQ(f.host.spectra.GetInserter(group + ":notfound:" + name) != nullptr, !hasEquivalent) << name;
        notFound += !hasEquivalent;
    }
    // Only chosen spectra land under "notfound:".
    EXPECT_EQ(static_cast<int>(ChildNames(f.host, group + ":notfound").size()), notFound);

    // AddSpecs: the spectra mode with the summed weighting, but the samples hint.
    f.p().setBoolParameter("AddSpecs", true);
    f.Set("RefSpecDesc", "");
    f.Set("AeqSpecDesc", "");
    f.host.log.clear();
    ASSERT_TRUE(f.module.svdselection());
    EXPECT_TRUE(f.HasLog("Hinweis: Auswahlmodus \"Samples aus Spektren und Spektrenwichtungen\" "));
    bool spectraMode = false;
    for (const auto& g : TopGroups(f.host))
        spectraMode |= g.rfind("R_", 0) == 0 && g.find("SampleMode") == std::string::npos;
    EXPECT_TRUE(spectraMode);
}

TEST(SVDSelection, SampleModeStartsOnlyCandidatesOfTheSameName)
{
    // Samples (w1, w2): a (10, 0), b (0, 5), c (3, 3); z (0, 1) points like b but is no candidate.
    const std::vector<double> x{400, 410, 420};
    const struct {
        const char* start;
        const char* chosen;
        const char* left;
    } cases[] = {
        // No start: a first, then b; the free choice after the one start place is b.
        {"Start:z", "b", "a"},
        // A candidate as the start: a is the one that adds most to it.
        {"C:b", "a", "c"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.start);
        Fixture<SVDSelectionModule> f;
        calc_test::AddSpectrum(f.host, "C:a", x, {10, 0, 0});
        calc_test::AddSpectrum(f.host, "C:b", x, {0, 5, 0});
        calc_test::AddSpectrum(f.host, "C:c", x, {3, 3, 0});
        calc_test::AddSpectrum(f.host, "W:w1", x, {1, 0, 0});
        calc_test::AddSpectrum(f.host, "W:w2", x, {0, 1, 0});
        calc_test::AddSpectrum(f.host, "Start:z", x, {0, 1, 0});
        f.Set("SpecDesc", "C");
        f.Set("WSpecDesc", "W");
        f.Set("RefSpecDesc", c.start);
        f.Set("TargetGroup", "R");
        f.p().setIntParameter("SpecCount", 2);
        ASSERT_TRUE(f.module.svdselection());
        std::string group;
        for (const auto& g : TopGroups(f.host))
            if (g.rfind("R_SampleMode_", 0) == 0)
                group = g;
        ASSERT_FALSE(group.empty());
        EXPECT_NE(f.host.spectra.GetInserter(group + ":" + c.chosen), nullptr);
        EXPECT_EQ(f.host.spectra.GetInserter(group + ":" + c.left), nullptr);
    }
}

TEST(SVDSelection, ZeroSpectrumNormalisedAndAbort)
{
    Fixture<SVDSelectionModule> f;
    Band(f.host, "C:a", 450);
    AddCurve(f.host, "C:null", 400, 10, 31, [](double) { return 0.0; });
    Band(f.host, "C:b", 600);
    f.Set("SpecDesc", "C");
    f.Set("TargetGroup", "N");
    f.p().setBoolParameter("NormSpecs", true);
    f.p().setIntParameter("NormType", 1);
    f.p().setIntParameter("SpecCount", 3);
    ASSERT_TRUE(f.module.svdselection());
    for (const auto& g : TopGroups(f.host))
        if (g.rfind("N_", 0) == 0) {
            EXPECT_NE(g.find("_intnormed_"), std::string::npos);
            EXPECT_EQ(g.find("nan"), std::string::npos);
            EXPECT_EQ(g.find("inf"), std::string::npos);
        }

    Fixture<SVDSelectionModule> a;
    Band(a.host, "C:a", 450);
    Band(a.host, "C:b", 600);
    a.Set("SpecDesc", "C");
    a.p().setIntParameter("SpecCount", 2);
    a.host.wantsAbort = true;
    const std::size_t before = a.host.spectra.GetInserters().size();
    EXPECT_FALSE(a.module.svdselection());
    EXPECT_EQ(a.host.spectra.GetInserters().size(), before);
    EXPECT_TRUE(a.HasLog("Bitte Warten! Berechnung wird abgebrochen."));

    // NaN in a candidate counts as no signal there: no NaN reaches a name.
    Fixture<SVDSelectionModule> n;
    Band(n.host, "C:a", 450);
    AddCurve(n.host, "C:b", 400, 10, 31, [](double x) { return x == 500 ? NAN : 1.0; });
    n.Set("SpecDesc", "C");
    n.p().setIntParameter("SpecCount", 2);
    EXPECT_TRUE(n.module.svdselection());
    for (const auto& name : calc_test::Names(n.host))
        EXPECT_EQ(name.find("nan"), std::string::npos) << name;
}

TEST(SVDSensSelection, ChecksScreeningAndNormValue)
{
    {
        Fixture<SVDSensSelectionModule> f;
        Band(f.host, "C:a", 450);
        f.Set("SpecDesc", "C");
        EXPECT_FALSE(f.module.svdsensselection());
        EXPECT_EQ(f.host.log.back().text, "Fehler: Bitte geben Sie für den Auswahlmodus \"Integrale Samples aus "
                                          "Spektren und Spektrenwichtungen\" die Gewichtungen an!");
        Band(f.host, "W:w", 500);
        f.Set("WSpecDesc", "W");
        f.Set("AeqSpecDesc", "A;B");
        EXPECT_FALSE(f.module.svdsensselection());
        EXPECT_EQ(f.host.log.back().text, "Fehler: Nur eine Spektrengruppe zur namenssynchronen Auswahl erlaubt!");
        EXPECT_TRUE(f.HasLog("Hinweis: Auswahlmodus \"Integrale Samples aus Spektren und Spektrenwichtungen\" "));
    }
    {
        // The missing weights have their line before the range rule; the range rule comes
        // before the screening files anything, the count's own line after it.
        const struct {
            const char* what;
            const char* weights;
            int count, normType;
            const char* line;
        } cases[] = {
            {"no weights, NormType 3", "", 1, 3,
             "Fehler: Bitte geben Sie für den Auswahlmodus \"Integrale Samples aus Spektren und "
             "Spektrenwichtungen\" die Gewichtungen an!"},
            {"NormType 3", "W", 1, 3, "Fehler: Parameter 'NormType' liegt außerhalb des zulässigen Bereichs (0 bis 1)!"},
            {"count 0", "W", 0, 0, "Fehler: Keine weitere Auswahl erforderlich!"},
        };
        for (const auto& c : cases) {
            SCOPED_TRACE(c.what);
            Fixture<SVDSensSelectionModule> f;
            Band(f.host, "C:a", 450);
            Band(f.host, "W:gut", 450, 60);
            AddCurve(f.host, "W:flach", 400, 10, 31, [](double) { return 0.5; });
            f.Set("SpecDesc", "C");
            f.Set("WSpecDesc", c.weights);
            f.p().setBoolParameter("CheckSpecs", true);
            f.p().setIntParameter("SpecCount", c.count);
            f.p().setIntParameter("NormType", c.normType);
            const std::size_t before = f.host.spectra.GetInserters().size();
            EXPECT_FALSE(f.module.svdsensselection());
            EXPECT_EQ(f.host.log.back().text, c.line);
            if (c.normType != 0)
                EXPECT_EQ(f.host.spectra.GetInserters().size(), before) << "nothing set aside";
        }
    }
    {
        // Screening: weak, flat and keyword-marked weights go to the unused group.
        Fixture<SVDSensSelectionModule> f;
        for (int i = 0; i < 4; ++i)
            Band(f.host, "C:k" + std::to_string(i), 420 + 80 * i);
        Band(f.host, "W:gut1", 450, 60);
        Band(f.host, "W:gut2", 600, 60);
        AddCurve(f.host, "W:schwach", 400, 10, 31, [](double x) { return 0.01 * std::exp(-std::pow((x - 500) / 40, 2)); });
        AddCurve(f.host, "W:flach", 400, 10, 31, [](double) { return 0.5; });
        Band(f.host, "W:Ausschuss_x", 500, 60);
        f.Set("SpecDesc", "C");
        f.Set("WSpecDesc", "W");
        f.Set("TargetGroup", "E");
        f.Set("CheckSpecKeywords", " Ausschuss ; nichts");
        f.p().setBoolParameter("CheckSpecs", true);
        f.p().setIntParameter("SpecCount", 2);
        ASSERT_TRUE(f.module.svdsensselection());
        auto unused = ChildNames(f.host, "AlgebraicSpecSel:UnusedSpecs:W");
        std::sort(unused.begin(), unused.end());
        EXPECT_EQ(unused, (std::vector<std::string>{"Ausschuss_x", "flach", "schwach"}));
        // The two that pass are two weights: sample mode.
        bool sampleMode = false;
        for (const auto& g : TopGroups(f.host))
            sampleMode |= g.find("_SampleMode_") != std::string::npos;
        EXPECT_TRUE(sampleMode);
    }
    {
        // "morvenhald" switches the keywords off; a spectrum of 10 points has no checked point.
        Fixture<SVDSensSelectionModule> f;
        Spectrum* s = Band(f.host, "W:morvenhald_a", 500, 60);
        EXPECT_TRUE(f.module.CheckSensorSpectrum(*s, 0.01, 0.0001, "morvenhald"));
        EXPECT_FALSE(f.module.CheckSensorSpectrum(*s, 0.01, 0.0001, "morven"));
        Spectrum* tiny = AddCurve(f.host, "W:klein", 400, 10, 10, [](double) { return 5.0; });
        EXPECT_FALSE(f.module.CheckSensorSpectrum(*tiny, 0.01, 0.0001, ""));
        EXPECT_NE(f.host.spectra.GetInserter("AlgebraicSpecSel:UnusedSpecs:W:klein"), nullptr);
    }
    {
        // Integral norm: strictly above the threshold for spectra, at or above for sensors.
        RecordingHost host;
        Spectrum* s = calc_test::AddSpectrum(host, "s", {1, 2, 3, 4}, {2, 1, 0.5, -1});
        SVDSelectionModule spectra;
        SVDSensSelectionModule sensors;
        for (Module* m : {static_cast<Module*>(&spectra), static_cast<Module*>(&sensors)}) {
            m->getParameters().setIntParameter("NormType", 1);
            m->getParameters().setDoubleParameter("NormVal", 50);
        }
        EXPECT_EQ(spectra.GetSpectrumNormValue(*s), 2.0);
        EXPECT_EQ(sensors.GetSpectrumNormValue(*s), 3.0);
        spectra.getParameters().setIntParameter("NormType", 0);
        EXPECT_EQ(spectra.GetSpectrumNormValue(*s), 2.0);
    }
}

} // namespace

TEST(SVDSelectionCore, NormValueByTypeAndThresholdRule)
{
    // A flat-topped channel: 0, 1, 2, 2, 2, 1, -1. At NormVal 100 the threshold is the plateau.
    Spectrum flat;
    const double ys[] = {0, 1, 2, 2, 2, 1, -1};
    for (int i = 0; i < 7; ++i)
        flat.AddPoint(SPoint(400 + 10 * i, ys[i]));
    using svdsel::AtThreshold;
    const struct {
        int normType;
        double normVal;
        AtThreshold rule;
        double divisor;
    } rows[] = {
        {0, 100, AtThreshold::Left, 2},    {0, 100, AtThreshold::Counted, 2},
        {1, 100, AtThreshold::Left, 0},    {1, 100, AtThreshold::Counted, 6},
        {1, 50, AtThreshold::Left, 6},     {1, 50, AtThreshold::Counted, 8},
        {1, 0, AtThreshold::Left, 8},      {1, 0, AtThreshold::Counted, 8},
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(testing::Message() << r.normType << " " << r.normVal << " " << static_cast<int>(r.rule));
        EXPECT_EQ(svdsel::GetSpectrumNormValue(flat, r.normType, r.normVal, r.rule), r.divisor);
    }
    // The modules take the rule of their variant.
    SVDSelectionModule spectra;
    SVDSensSelectionModule sensors;
    for (Module* m : {static_cast<Module*>(&spectra), static_cast<Module*>(&sensors)}) {
        m->getParameters().setIntParameter("NormType", 1);
        m->getParameters().setDoubleParameter("NormVal", 100);
    }
    EXPECT_EQ(spectra.GetSpectrumNormValue(flat), 0);
    EXPECT_EQ(sensors.GetSpectrumNormValue(flat), 6);
}

TEST(SVDSelectionCore, SelectsWithoutHostInBothModes)
{
    // Four bands; the core alone chooses, names the group and leaves filing to its caller.
    std::vector<std::unique_ptr<Spectrum>> owned;
    auto band = [&](const std::string& name, double centre, double width) {
        auto s = std::make_unique<Spectrum>();
        for (int i = 0; i < 31; ++i) {
            const double x = 400 + 10 * i;
            s->AddPoint(SPoint(x, std::exp(-0.5 * std::pow((x - centre) / width, 2))));
        }
        s->SetName(name);
        owned.push_back(std::move(s));
        return owned.back().get();
    };
    SpectrumList candidates;
    for (int i = 0; i < 4; ++i)
        candidates.push_back(band("C:k" + std::to_string(i), 420 + 80 * i, 30));
    const std::vector<const Spectrum*> weights{band("W:a", 450, 60), band("W:b", 600, 60)};
    const struct {
        const char* what;
        bool addSpecs, normSpecs;
        const char* suffix;
    } rows[] = {
        {"sample mode", false, false, "G_SampleMode_"},
        {"sample mode, normed", false, true, "G_SampleMode_normed_"},
        {"spectra mode", true, false, "G_"},
        {"spectra mode, normed", true, true, "G_maxnormed_"},
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(r.what);
        svdsel::Settings s;
        s.specCount = 2;
        s.addSpecs = r.addSpecs;
        s.normSpecs = r.normSpecs;
        s.group = "G";
        SVDSelEventHandler handler;
        const auto result = svdsel::Select(s, candidates, {}, weights, &handler);
        ASSERT_TRUE(result.has_value());
        EXPECT_EQ(result->group.rfind(r.suffix, 0), 0u) << result->group;
        EXPECT_EQ(result->group.back(), ':');
        ASSERT_EQ(result->chosen.size(), 2u);
        EXPECT_NE(result->chosen[0], result->chosen[1]);
        for (const std::string& name : result->chosen)
            EXPECT_EQ(name.rfind("C:k", 0), 0u) << name;
    }
}
