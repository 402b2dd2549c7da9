// The script functions: their results, their error texts in the order of their checks, and
// what they leave in the trees and modules.
#include "fixture.h"

#include "script/script_values.h"


#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <limits>

namespace {

using script_test::ScriptHost;

const std::string kProbe = std::string("\"") + script_test::kProbePath + "\"";

std::vector<SPoint> Points(const Spectrum* s)
{
    std::vector<SPoint> out;
    for (int i = 0; s && i < s->GetPointCount(); ++i)
        out.push_back((*s)[i]);
    return out;
}

bool Same(const std::vector<SPoint>& a, const std::vector<SPoint>& b)
{
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (a[i].x != b[i].x || a[i].y != b[i].y)
            return false;
    return true;
}

// The test spectra: a group of two and a single one.
void AddSpectra(ScriptHost& s)
{
    s.AddSpectrum("Gruppe:Erstes", {{400, 1}, {410, 2}}, RGB(1, 2, 3));
    s.AddSpectrum("Gruppe:Zweites", {{500, 5}}, RGB(4, 5, 6));
    s.AddSpectrum("Einzeln", {{600, 6}, {610, 7}, {620, 8}}, RGB(7, 8, 9));
}

struct Row {
    const char* name;
    std::string source;
    std::string error; // empty: the run succeeds; else the text its one log line ends with
    std::function<void(ScriptHost&)> check;
};

void RunRows(const std::vector<Row>& rows)
{
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        ScriptHost s;
        AddSpectra(s);
        const bool ok = s.Run(row.source);
        EXPECT_EQ(ok, row.error.empty());
        if (!row.error.empty()) {
            const std::vector<std::string> lines = s.host.LogTexts();
            ASSERT_FALSE(lines.empty());
            const std::string& last = lines.back();
            const std::string end = ": " + row.error;
            EXPECT_TRUE(last.size() >= end.size() && last.compare(last.size() - end.size(), end.size(), end) == 0)
                << last;
        }
        if (row.check)
            row.check(s);
    }
}

TEST(SpectrumFunctions, ReadWriteAndColourSpectra)
{
    const std::vector<Row> rows = {
        {"getSpectrum of a group gives its first spectrum", "s = getSpectrum(\"Gruppe\");", "",
         [](ScriptHost& s) {
             const CMCVariable* v = s.Var("s");
             ASSERT_EQ(v->getRows(), 2);
             ASSERT_EQ(v->getCols(), 2);
             EXPECT_EQ(v->getData(0, 1), 410);
             EXPECT_EQ(v->getData(1, 1), 2);
         }},
        {"getSpectrum of nothing", "s = getSpectrum(\"Gruppe:Drittes\");", "Spektrum nicht gefunden", nullptr},
        {"getSpectrum with two rows", "s = getSpectrum([65; 66]);", "Parameter 1 muss 1xX Matrix sein", nullptr},
        {"setSpectrum files a new spectrum, negative wavelengths as 0",
         "setSpectrum(\"Neu:Eins\", [-5, 400, 410; 1, 2, 3]);", "",
         [](ScriptHost& s) {
             const std::vector<SPoint> points = Points(s.Find("Neu:Eins"));
             ASSERT_EQ(points.size(), 3u);
             EXPECT_EQ(points[0].x, 0);
             EXPECT_EQ(points[1].x, 400);
             EXPECT_EQ(points[2].y, 3);
         }},
        // A value that is no number is refused wherever it stands; nothing is filed or changed.
        {"setSpectrum with NaN and Inf values", "setSpectrum(\"X:Z\", [400, 300, 500; 1, NaN, Inf]);",
         "Parameter 2 enthält ungültige Werte (NaN oder unendlich)",
         [](ScriptHost& s) { EXPECT_EQ(s.Find("X:Z"), nullptr); }},
        {"setSpectrum with an infinite wavelength", "setSpectrum(\"Einzeln\", [400, -Inf; 1, 2]);",
         "Parameter 2 enthält ungültige Werte (NaN oder unendlich)",
         [](ScriptHost& s) { EXPECT_TRUE(Same(Points(s.Find("Einzeln")), {{600, 6}, {610, 7}, {620, 8}})); }},
        {"setSpectrumAutoName with a NaN value", "setSpectrumAutoName(\"Laser:Spek\", 7, [400; NaN]);",
         "Parameter 3 enthält ungültige Werte (NaN oder unendlich)",
         [](ScriptHost& s) { EXPECT_EQ(s.Find("Laser:Spek7"), nullptr); }},
        {"setSpectrum reuses the spectrum and its colour", "setSpectrum(\"Einzeln\", [1; 2]);", "",
         [](ScriptHost& s) {
             EXPECT_TRUE(Same(Points(s.Find("Einzeln")), {{1, 2}}));
             EXPECT_EQ(s.Find("Einzeln")->GetColor(), RGB(7, 8, 9));
         }},
        {"setSpectrum on a group reuses its first spectrum", "setSpectrum(\"Gruppe\", zeros(2, 0));", "",
         [](ScriptHost& s) {
             EXPECT_EQ(s.Find("Gruppe:Erstes")->GetPointCount(), 0);
             EXPECT_EQ(s.Find("Gruppe:Zweites")->GetPointCount(), 1);
             EXPECT_EQ(s.host.spectra.GetInserters().size(), 3u);
         }},
        {"setSpectrum with a 2x0 matrix", "setSpectrum(\"Neu:Leer\", zeros(2, 0));", "",
         [](ScriptHost& s) {
             ASSERT_NE(s.Find("Neu:Leer"), nullptr);
             EXPECT_EQ(s.Find("Neu:Leer")->GetPointCount(), 0);
         }},
        {"setSpectrum with three rows", "setSpectrum(\"Neu:Eins\", zeros(3, 2));", "Parameter 2 muss 2xX Matrix sein",
         [](ScriptHost& s) { EXPECT_EQ(s.Find("Neu:Eins"), nullptr); }},
        {"setSpectrum with a name matrix", "setSpectrum(zeros(2, 2), zeros(3, 2));",
         "Parameter 1 muss 1xX Matrix sein", nullptr},
        {"setSpectrumAutoName", "d = [1; 2]; setSpectrumAutoName(\"Laser:Spek\", 7, d); "
                                "setSpectrumAutoName(\"Laser:Spek\", 8.9, d); setSpectrumAutoName(\"Laser:Spek\", -3, d); "
                                "setSpectrumAutoName(\"Laser:Spek\", 1234, d);",
         "",
         [](ScriptHost& s) {
             for (const char* name : {"Laser:Spek7", "Laser:Spek8", "Laser:Spek-3", "Laser:Spek1234"})
                 EXPECT_TRUE(Same(Points(s.Find(name)), {{1, 2}})) << name;
             EXPECT_EQ(s.host.spectra.GetInserters().size(), 7u);
         }},
        {"setSpectrumAutoName checks the data before the number", "setSpectrumAutoName(\"A:B\", [1, 2], [1, 2]);",
         "Parameter 3 muss 2xX Matrix sein", nullptr},
        {"setSpectrumAutoName with two numbers", "setSpectrumAutoName(\"A:B\", [1, 2], [1; 2]);",
         "Parameter 2 muss skalarer Wert sein", nullptr},
        {"setSpectrumAutoName with NaN", "setSpectrumAutoName(\"A:B\", NaN, [1; 2]);",
         "Parameter 2 muss skalarer Wert sein",
         [](ScriptHost& s) { EXPECT_EQ(s.host.spectra.GetInserters().size(), 3u); }},
        {"setSpectrumColor colours every spectrum of the name, low 8 bits",
         "setSpectrumColor(\"Gruppe\", 256, -1, 7.9);", "",
         [](ScriptHost& s) {
             EXPECT_EQ(s.Find("Gruppe:Erstes")->GetColor(), RGB(0, 255, 7));
             EXPECT_EQ(s.Find("Gruppe:Zweites")->GetColor(), RGB(0, 255, 7));
             EXPECT_EQ(s.Find("Einzeln")->GetColor(), RGB(7, 8, 9));
         }},
        {"setSpectrumColor with NaN and out-of-range numbers", "setSpectrumColor(\"Einzeln\", NaN, 1e300, -1e300);",
         "", [](ScriptHost& s) { EXPECT_EQ(s.Find("Einzeln")->GetColor(), RGB(0, 255, 0)); }},
        {"setSpectrumColor takes the first element", "setSpectrumColor(\"Einzeln\", [10, 20], 30, 40);", "",
         [](ScriptHost& s) { EXPECT_EQ(s.Find("Einzeln")->GetColor(), RGB(10, 30, 40)); }},
        {"setSpectrumColor with an empty channel", "setSpectrumColor(\"Einzeln\", 1, [], 3);",
         "Parameter 3 muss skalarer Wert sein",
         [](ScriptHost& s) { EXPECT_EQ(s.Find("Einzeln")->GetColor(), RGB(7, 8, 9)); }},
        {"setSpectrumColor of nothing", "setSpectrumColor(\"Keins\", 1, 2, 3);", "", nullptr},
    };
    RunRows(rows);
}

TEST(SpectrumFunctions, NamesThatCannotBeFiledAreRefused)
{
    for (const char* name : {"A;B", "A:*", "Neu:Eins|401", "A::B", ":A", "A:"}) {
        SCOPED_TRACE(name);
        RunRows({{"refused", std::string("setSpectrum(\"") + name + "\", [1; 2]);", "Spektrum kann nicht angelegt werden",
                  [](ScriptHost& s) { EXPECT_EQ(s.host.spectra.GetInserters().size(), 3u); }}});
    }
}

TEST(SpectrumFunctions, AReadSpectrumIsACopy)
{
    // The spectrum changes after the read; the script keeps what it read.
    RunRows({{"copy", "s = getSpectrum(\"Einzeln\"); setSpectrum(\"Einzeln\", zeros(2, 0)); t = s;", "",
              [](ScriptHost& s) {
                  EXPECT_EQ(s.Var("t")->getCols(), 3);
                  EXPECT_EQ(s.Var("t")->getData(1, 2), 8);
              }}});
}

TEST(ModuleFunctions, RunSetAndReadOtherModules)
{
    const std::vector<Row> rows = {
        {"run counts and answers", "a = run(" + kProbe + ", \"calculate\"); b = run(" + kProbe + ", \"fail\");", "",
         [](ScriptHost& s) {
             EXPECT_EQ(s.probe->runs, 2);
             EXPECT_EQ(s.Var("a")->scalar(), 1);
             EXPECT_EQ(s.Var("b")->scalar(), 0);
         }},
        {"run with a command in other case", "run(" + kProbe + ", \"Calculate\");", "Methode in Modul nicht gefunden",
         [](ScriptHost& s) { EXPECT_EQ(s.probe->runs, 0); }},
        {"run of an unknown module", "run(\"Test|grup|pe:Probe\", \"calculate\");", "Modul nicht gefunden", nullptr},
        {"run with a command matrix", "run(" + kProbe + ", [1; 2]);", "Parameter 2 muss 1xX Matrix sein", nullptr},
        {"numbers are converted", "setParameter(" + kProbe + ", \"Count\", 3.7); setParameter(" + kProbe +
                                      ", \"Byte\", 300); setParameter(" + kProbe + ", \"Flag\", 0.5); setParameter(" +
                                      kProbe + ", \"Ratio\", 1.23456789); setParameter(" + kProbe +
                                      ", \"Value\", 1.23456789);",
         "",
         [](ScriptHost& s) {
             ns_param::Paramora& p = s.probe->getParameters();
             EXPECT_EQ(*p.getIntParameter("Count"), 3);
             EXPECT_EQ(*p.getByteParameter("Byte"), 44);
             EXPECT_TRUE(*p.getBoolParameter("Flag"));
             EXPECT_EQ(*p.getFloatParameter("Ratio"), 1.23457f);
             EXPECT_EQ(*p.getDoubleParameter("Value"), 1.23457);
         }},
        {"the first element of a matrix", "setParameter(" + kProbe + ", \"Count\", [4, 9]);", "",
         [](ScriptHost& s) { EXPECT_EQ(*s.probe->getParameters().getIntParameter("Count"), 4); }},
        {"an empty value", "setParameter(" + kProbe + ", \"Count\", []);", "Parameter 3 muss skalarer Wert sein",
         [](ScriptHost& s) { EXPECT_EQ(*s.probe->getParameters().getIntParameter("Count"), 5); }},
        {"a text", "setParameter(" + kProbe + ", \"Text\", \"Spek|tren:Grün\");", "",
         [](ScriptHost& s) { EXPECT_EQ(*s.probe->getParameters().getStringParameter("Text"), "Spek|tren:Grün"); }},
        {"a text of two rows", "setParameter(" + kProbe + ", \"Text\", [65; 66]);", "Stringwert muss 1xX Matrix sein",
         [](ScriptHost& s) { EXPECT_EQ(*s.probe->getParameters().getStringParameter("Text"), "Grün"); }},
        {"other kinds stay", "setParameter(" + kProbe + ", \"Choice\", 1); setParameter(" + kProbe + ", \"List\", 7);",
         "",
         [](ScriptHost& s) {
             EXPECT_EQ(s.probe->getParameters().getEnumParameter("Choice")->getIndex(), 0);
             EXPECT_EQ(s.probe->getParameters().getDouble1DArrayParameter("List")[0], 1);
         }},
        {"an unknown parameter", "setParameter(" + kProbe + ", \"count\", 1);", "Parameter in Modul nicht gefunden",
         nullptr},
        {"setParameter of an unknown module", "setParameter(\"Probe\", \"Count\", 1);", "Modul nicht gefunden", nullptr},
        {"getParameter of every kind",
         "b = getParameter(" + kProbe + ", \"Byte\"); f = getParameter(" + kProbe + ", \"Flag\"); c = getParameter(" +
             kProbe + ", \"Count\"); r = getParameter(" + kProbe + ", \"Ratio\"); t = getParameter(" + kProbe +
             ", \"Text\"); v = getParameter(" + kProbe + ", \"Value\"); en = getParameter(" + kProbe + ", \"Choice\");",
         "",
         [](ScriptHost& s) {
             EXPECT_EQ(s.Var("b")->scalar(), 7);
             EXPECT_EQ(s.Var("f")->scalar(), 0);
             EXPECT_EQ(s.Var("c")->scalar(), 5);
             EXPECT_EQ(s.Var("r")->scalar(), 0.5);
             EXPECT_EQ(s.Var("v")->scalar(), 2.5);
             EXPECT_EQ(s.Var("t")->getCols(), 5); // "Grün" in UTF-8
             EXPECT_EQ(s.Var("t")->getData(0, 2), -61);
             // Another kind gives nothing, not the value of the call before.
             EXPECT_TRUE(s.Var("en")->isEmpty());
         }},
        {"a text read and written back keeps its bytes",
         "setParameter(" + kProbe + ", \"Text\", getParameter(" + kProbe + ", \"Text\") + 0); same = strcmp(getParameter(" +
             kProbe + ", \"Text\"), \"Grün\");",
         "",
         [](ScriptHost& s) {
             EXPECT_EQ(*s.probe->getParameters().getStringParameter("Text"), "Grün");
             EXPECT_EQ(s.Var("same")->scalar(), 1);
         }},
        {"getParameter with a parameter matrix", "x = getParameter(" + kProbe + ", zeros(2, 2));",
         "Parameter 2 muss 1xX Matrix sein", nullptr},
    };
    RunRows(rows);
}

TEST(ModuleFunctions, DoubleToIntegerRules)
{
    struct Case {
        double value;
        int asInt;
        int asByte;
    };
    const Case cases[] = {
        {3.7, 3, 3},
        {-3.7, -3, 253},
        {123456.7, 123457, 123457 & 0xFF}, // six significant digits first
        {999999.6, 999999, 999999 & 0xFF}, // its six-digit text has an exponent
        {1e6, 1000000, 1000000 & 0xFF},
        {1e-5, 0, 0},
        {1e300, std::numeric_limits<int>::max(), 255},
        {-1e300, std::numeric_limits<int>::min(), 0},
        {std::numeric_limits<double>::quiet_NaN(), 0, 0},
        {std::numeric_limits<double>::infinity(), std::numeric_limits<int>::max(), 255},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.value);
        EXPECT_EQ(script::ToInt(c.value), c.asInt);
        EXPECT_EQ(script::ToByte(c.value), c.asByte);
    }
    EXPECT_FALSE(script::ToBool(std::numeric_limits<double>::quiet_NaN()));
    EXPECT_TRUE(script::ToBool(-0.1));
    EXPECT_EQ(script::ToFloat(1e300), std::numeric_limits<float>::infinity());
    EXPECT_EQ(script::FromFloat(0.1f), 0.1);
    EXPECT_EQ(script::FromDouble(2.0 / 3.0), 0.666667);
}

TEST(HostFunctions, LogAbortRedrawAndVariables)
{
    const std::string long300(300, 'a');
    // 254 bytes, then an umlaut across the 255-byte limit.
    const std::string umlaut = std::string(254, 'b') + "ü";
    const std::vector<Row> rows = {
        {"msgOut is one plain line", "msgOut(\"100%s %n sicher\");", "",
         [](ScriptHost& s) {
             ASSERT_EQ(s.host.log.size(), 1u);
             EXPECT_EQ(s.host.log[0].text, "100%s %n sicher");
             EXPECT_FALSE(s.host.log[0].colour.has_value());
         }},
        {"msgOut keeps 255 bytes", "msgOut(\"" + long300 + "\");", "",
         [](ScriptHost& s) { EXPECT_EQ(s.host.LogTexts(), std::vector<std::string>{std::string(255, 'a')}); }},
        {"msgOut cuts back to a whole character", "msgOut(\"" + umlaut + "\");", "",
         [](ScriptHost& s) { EXPECT_EQ(s.host.LogTexts(), std::vector<std::string>{std::string(254, 'b')}); }},
        {"msgOut with two rows", "msgOut([65; 66]);", "Parameter 1 muss 1xX Matrix sein", nullptr},
        {"wantAbort", "a = wantAbort();", "", [](ScriptHost& s) { EXPECT_EQ(s.Var("a")->scalar(), 0); }},
        {"redraw", "redraw();", "",
         [](ScriptHost& s) {
             EXPECT_EQ(std::count(s.host.calls.begin(), s.host.calls.end(), "RepaintSpecView"), 1);
         }},
        {"getVar copies a variable", "double m[]; m = [1, 2; 3, 4]; t = \"Grün\"; x = getVar(\"m\"); y = getVar(\"t\");",
         "",
         [](ScriptHost& s) {
             EXPECT_EQ(s.Var("x")->getRows(), 2);
             EXPECT_EQ(s.Var("x")->getData(1, 0), 3);
             EXPECT_EQ(script::TextOf(*s.Var("y")), "Grün");
         }},
        {"getVar of an unknown name", "x = getVar(\"nix\");", "nix ist keine Variable", nullptr},
    };
    RunRows(rows);
}

TEST(HostFunctions, WantAbortAnswersTheHost)
{
    ScriptHost s;
    s.host.wantsAbort = true;
    ASSERT_TRUE(s.Run("a = wantAbort();"));
    EXPECT_EQ(s.Var("a")->scalar(), 1);
}

TEST(ScriptValues, TextsRoundTripTheirBytes)
{
    for (const std::string& text : {std::string(), std::string("Grün"), std::string("\xff\x80\x01", 3)}) {
        const CMCVariable value = script::TextValue(text);
        EXPECT_EQ(value.getRows(), 1);
        EXPECT_EQ(script::TextOf(value), text);
    }
    CMCVariable codes(1, 3);
    codes.setData(0, 0, 65.9);
    codes.setData(0, 1, 256 + 66);
    codes.setData(0, 2, std::numeric_limits<double>::quiet_NaN());
    EXPECT_EQ(script::TextOf(codes), std::string("AB\0", 3));
}

} // namespace
