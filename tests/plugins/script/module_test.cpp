// The script module: compile and run, their log lines, the script's output, the abort and the
// events that flow while a script runs.
#include "fixture.h"

#include <QTimer>

#include <gtest/gtest.h>

namespace {

using script_test::ScriptHost;

bool EndsWith(const std::string& text, const std::string& end)
{
    return text.size() >= end.size() && text.compare(text.size() - end.size(), end.size(), end) == 0;
}

TEST(Mervolt, OffersItsOperationsAndParameters)
{
    Mervolt module;
    EXPECT_EQ(module.getClassName(), "Mervolt");
    const std::vector<SAutomationPtrList> operations = module.GetAutomationPtr();
    ASSERT_EQ(operations.size(), 2u);
    EXPECT_EQ(operations[0].name, "compile");
    EXPECT_EQ(operations[1].name, "interprete");
    ns_param::Paramora& p = module.getParameters();
    EXPECT_EQ(*p.getStringParameter("SourceCode"), "");
    EXPECT_FALSE(*p.getBoolParameter("Clipping"));
    EXPECT_FALSE(*p.getBoolParameter("SmartError"));
    // Without a host there is no spectrum tree to give the functions.
    EXPECT_FALSE(module.Compile());
}

TEST(Mervolt, CompileAndRunReportEachFailureAsOneLine)
{
    struct Row {
        const char* name;
        const char* source;
        bool compiles;
        bool runs;
        std::vector<std::string> lineEnds; // what each log line ends with
    };
    const Row rows[] = {
        {"empty source", "", true, true, {}},
        {"a compile error", "double x = ;", false, false,
         {"unerwartetes Symbol ';'", "Fehler: Kein übersetztes Skript."}},
        {"an unknown name", "y = laser + 1;", false, false,
         {"unbekannter Name 'laser'", "Fehler: Kein übersetztes Skript."}},
        {"a run-time error", "double m[]; m = [1, 2]; m[5] = 1;", true, false, {"außerhalb des Bereichs (0 bis 1)"}},
        {"an error of a script function", "getSpectrum(\"Nirgends\");", true, false, {"Spektrum nicht gefunden"}},
        // Texts of the script never act as formats of the log.
        {"a percent sign in an error", "x = \"%s%n", false, false,
         {"Zeichenkette nicht abgeschlossen", "Fehler: Kein übersetztes Skript."}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        ScriptHost s;
        s.script->getParameters().setStringParameter("SourceCode", row.source);
        EXPECT_EQ(s.script->Compile(), row.compiles);
        EXPECT_EQ(s.script->Interprete(), row.runs);
        const std::vector<std::string> lines = s.host.LogTexts();
        ASSERT_EQ(lines.size(), row.lineEnds.size());
        for (std::size_t i = 0; i < lines.size(); ++i)
            EXPECT_TRUE(EndsWith(lines[i], row.lineEnds[i])) << lines[i];
        if (!row.compiles) {
            EXPECT_EQ(lines.front().rfind("Fehler: Zeile 1, Spalte ", 0), 0u) << lines.front();
        }
    }
}

TEST(Mervolt, SmartErrorShowsTheLineAndPercentSignsStayText)
{
    ScriptHost s;
    s.script->getParameters().setBoolParameter("SmartError", true);
    EXPECT_FALSE(s.Run("x = 1;\nmsgOut(\"%d %s\") + [1, 2, 3; 4, 5, 6];"));
    ASSERT_EQ(s.host.log.size(), 2u);
    EXPECT_EQ(s.host.log[0].text, "%d %s");
    EXPECT_TRUE(EndsWith(s.host.log[1].text, " -> msgOut(\"%d %s\") + [1, 2, 3; 4, 5, 6];")) << s.host.log[1].text;
}

TEST(Mervolt, ASecondCompileLeavesOneSetOfFunctions)
{
    ScriptHost s;
    for (int i = 0; i < 2; ++i)
        EXPECT_TRUE(s.script->Compile());
    CMCFuncManager& functions = *s.script->GetCompiler().getFuncManager();
    EXPECT_EQ(functions.count(), 11u);
    const std::pair<const char*, int> expected[] = {
        {"setSpectrumColor", 4}, {"getSpectrum", 1},  {"setSpectrum", 2},  {"setSpectrumAutoName", 3},
        {"run", 2},              {"setParameter", 3}, {"getParameter", 2}, {"msgOut", 1},
        {"wantAbort", 0},        {"redraw", 0},       {"getVar", 1},
    };
    for (const auto& [name, count] : expected) {
        SCOPED_TRACE(name);
        ASSERT_NE(functions.getFunc(name), nullptr);
        EXPECT_EQ(functions.getFunc(name)->getParamCount(), count);
    }
}

TEST(Mervolt, OptionsReachTheCompiler)
{
    ScriptHost s;
    s.script->getParameters().setBoolParameter("Clipping", true);
    ASSERT_TRUE(s.Run("byte b; b = 300;"));
    EXPECT_EQ(s.Var("b")->scalar(), 127); // a byte is signed: saturated
    s.script->getParameters().setBoolParameter("Clipping", false);
    ASSERT_TRUE(s.Run("byte b; b = 300;"));
    EXPECT_EQ(s.Var("b")->scalar(), 44); // wrapped
}

TEST(Mervolt, TheScriptsOutputGoesToTheLogLineByLine)
{
    ScriptHost s;
    ASSERT_TRUE(s.Run("printf(\"eins\\nzwei \"); disp(3); printf(\"%d%%\\n\", 50); printf(\"Ende\");"));
    EXPECT_EQ(s.host.LogTexts(), (std::vector<std::string>{"eins", "zwei 3", "50%", "Ende"}));
}

TEST(Mervolt, ARunOfItsOwnModuleIsRefused)
{
    ScriptHost s;
    const std::string source = "a = run(\"Skript:Compiler\", \"compile\");\n"
                               "b = run(\"Skript:Compiler\", \"interprete\");\n"
                               "msgOut(\"weiter\");";
    ASSERT_TRUE(s.Run(source));
    EXPECT_EQ(s.host.LogTexts(), (std::vector<std::string>{"Fehler: Das Skript läuft bereits.",
                                                           "Fehler: Das Skript läuft bereits.", "weiter"}));
    EXPECT_EQ(s.Var("a")->scalar(), 0);
    EXPECT_EQ(s.Var("b")->scalar(), 0);
    EXPECT_FALSE(s.script->IsRunning());
    // The program survived: it runs again.
    s.host.log.clear();
    EXPECT_TRUE(s.script->Interprete());
}

TEST(Mervolt, TheUsersAbortStopsARunawayScriptAndEventsFlowMeanwhile)
{
    struct Row {
        const char* name;
        bool abortBefore; // else a queued event asks for the abort, delivered only if events flow
    };
    for (const Row& row : {Row{"abort already asked", true}, Row{"abort from an event", false}}) {
        SCOPED_TRACE(row.name);
        ScriptHost s;
        s.host.wantsAbort = row.abortBefore;
        if (!row.abortBefore)
            QTimer::singleShot(0, [&s] { s.host.wantsAbort = true; });
        EXPECT_FALSE(s.Run("while (1) {}"));
        ASSERT_EQ(s.host.log.size(), 1u);
        EXPECT_TRUE(EndsWith(s.host.log[0].text, "Skript abgebrochen")) << s.host.log[0].text;
        EXPECT_GT(s.host.abortPolls, 0);
    }
}

} // namespace
