// The compiler as a host uses it: registered functions, variables by name during a run,
// error positions, polling, the guards of a running script and value semantics.
#include "formulux/mc_compiler.h"

#include <gtest/gtest.h>

#include <atomic>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

namespace {

// A registered function whose behaviour a test sets.
class HostFunction : public CMCFunction {
public:
    HostFunction(std::string name, CMCSharedParameter* shared, int params, std::function<int(HostFunction&, std::span<CMCVariable* const>)> body)
        : CMCFunction(std::move(name), shared), m_body(std::move(body))
    {
        setParamCount(params);
    }
    int execute(std::span<CMCVariable* const> args) override
    {
        ++calls;
        return m_body(*this, args);
    }
    int calls = 0;

private:
    std::function<int(HostFunction&, std::span<CMCVariable* const>)> m_body;
};

HostFunction* addHost(CMCCompiler& c, const std::string& name, int params,
                      std::function<int(HostFunction&, std::span<CMCVariable* const>)> body)
{
    auto* f = new HostFunction(name, c.getSharedParameter(), params, std::move(body));
    return c.getFuncManager()->addFunc(f) ? f : nullptr;
}

// A compiler prepared as the script module does it, with output collected.
struct Fixture {
    CMCCompiler compiler;
    std::string output;
    Fixture()
    {
        compiler.loadStdFunctions();
        compiler.loadStdVars();
        compiler.setOutput([this](std::string_view t) { output += t; });
    }
    // The error or exception text, empty after a good run.
    std::string run(std::string_view source)
    {
        if (!compiler.runCompiler(source))
            return compiler.getError();
        if (!compiler.runInterpreter())
            return compiler.getException();
        return {};
    }
};

TEST(CompilerApi, SecondCompileLeavesOneSetOfFunctions)
{
    Fixture f;
    for (int round = 0; round < 2; ++round) {
        ASSERT_TRUE(f.compiler.clear(true));
        f.compiler.loadStdFunctions();
        ASSERT_NE(addHost(f.compiler, "hostOne", 0, [](HostFunction&, auto) { return 0; }), nullptr);
        ASSERT_NE(addHost(f.compiler, "hostTwo", 1, [](HostFunction&, auto) { return 0; }), nullptr);
        EXPECT_EQ(f.compiler.getFuncManager()->count(), 2u);
    }
    // A duplicate name is refused (and the object deleted: ASan would report a leak).
    EXPECT_EQ(addHost(f.compiler, "hostOne", 0, [](HostFunction&, auto) { return 0; }), nullptr);
    EXPECT_EQ(f.compiler.getFuncManager()->count(), 2u);
    EXPECT_FALSE(f.compiler.getFuncManager()->addFunc(nullptr));
    // clear(false) keeps the registered functions.
    ASSERT_TRUE(f.compiler.clear(false));
    EXPECT_EQ(f.compiler.getFuncManager()->count(), 2u);
    EXPECT_EQ(f.run("hostOne(); hostTwo(1);"), "");
    EXPECT_EQ(f.run("hostTwo();"), "Fehler: Zeile 1, Spalte 0: falsche Anzahl von Argumenten für 'hostTwo' (erwartet 1, gegeben 0)");
}

TEST(CompilerApi, GetVarReadsTheRunningScriptsVariables)
{
    Fixture f;
    std::vector<std::string> seen;
    addHost(f.compiler, "peek", 1, [&](HostFunction& self, std::span<CMCVariable* const> args) {
        const std::string name = args[0]->toText();
        const CMCVariable* v = f.compiler.getVarManager()->getVar(name);
        if (!v) {
            self.error.setException(name + " ist keine Variable", -1, -1, "");
            return 2;
        }
        seen.push_back(name + "=" + std::to_string(v->getRows()) + "x" + std::to_string(v->getCols()) + ":"
                       + std::to_string(v->getData(v->getRows() - 1, v->getCols() - 1)));
        self.result = *v;
        return 0;
    });
    EXPECT_EQ(f.run("double m[] = [1, 2; 3, 4];\nint k = 7;\npeek(\"m\");\nk = 8;\nx = peek(\"k\") + 1;\npeek(\"pi\");\n"
                    "{ int inner = 1; }\npeek(\"inner\");"),
              "Fehler: Zeile 8, Spalte 0: inner ist keine Variable");
    ASSERT_EQ(seen.size(), 3u);
    EXPECT_EQ(seen[0], "m=2x2:4.000000");
    EXPECT_EQ(seen[1], "k=1x1:8.000000");
    EXPECT_EQ(seen[2].substr(0, 13), "pi=1x1:3.1415");
    // After the run the last run's variables stay readable.
    ASSERT_NE(f.compiler.getVarManager()->getVar("x"), nullptr);
    EXPECT_EQ(f.compiler.getVarManager()->getVar("x")->getData(0, 0), 9.0);
    EXPECT_EQ(f.compiler.getVarManager()->getVar("nothing"), nullptr);
}

TEST(CompilerApi, ResultIsResetBeforeEachCall)
{
    // A function that sets its result only when asked to: the second call must not see the
    // first call's value.
    Fixture f;
    addHost(f.compiler, "maybe", 1, [](HostFunction& self, std::span<CMCVariable* const> args) {
        if (args[0]->getData(0, 0) != 0)
            self.result = CMCVariable(42.0);
        return 0;
    });
    EXPECT_EQ(f.run("a = maybe(1); b = maybe(0); disp(size(a)); disp(size(b));"), "");
    EXPECT_EQ(f.output, "   1   1\n   0   0\n");
}

TEST(CompilerApi, HostErrorsReportTheCallsPosition)
{
    struct Case {
        const char* name;
        std::function<int(HostFunction&, std::span<CMCVariable* const>)> body;
        const char* expected;
    };
    const std::vector<Case> cases = {
        {"setException without position",
         [](HostFunction& s, auto) { s.error.setException("Spektrum nicht gefunden", -1, -1, ""); return 2; },
         "Fehler: Zeile 2, Spalte 8: Spektrum nicht gefunden"},
        {"setException with position",
         [](HostFunction& s, auto) { s.error.setException("eigene Stelle", 1, 3, "x"); return 2; },
         "Fehler: Zeile 1, Spalte 3: eigene Stelle"},
        {"2 without text", [](HostFunction&, auto) { return 2; }, "Fehler: Zeile 2, Spalte 8: Fehler in Funktion 'host'"},
        {"exception", [](HostFunction&, auto) -> int { throw std::runtime_error("kaputt"); },
         "Fehler: Zeile 2, Spalte 8: kaputt"},
        {"bad_alloc", [](HostFunction&, auto) -> int { throw std::bad_alloc(); },
         "Fehler: Zeile 2, Spalte 8: nicht genug Speicher"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Fixture f;
        addHost(f.compiler, "host", 0, c.body);
        EXPECT_EQ(f.run("x = 1;\nx = 2 + host();\ndisp(x);"), c.expected);
        EXPECT_EQ(f.output, "");
    }
}

TEST(CompilerApi, PollStopsRunawayScripts)
{
    const char* scripts[] = {
        "while (1) {}",
        "for (;;);",
        "func f(n) { if (n > 0) { f(n - 1); f(n - 1); } }\nf(60);",
    };
    for (const char* script : scripts) {
        SCOPED_TRACE(script);
        Fixture f;
        int polls = 0;
        f.compiler.setPoll([&] { return ++polls >= 3; });
        const std::string error = f.run(script);
        EXPECT_NE(error.find("Skript abgebrochen"), std::string::npos) << error;
        EXPECT_EQ(polls, 3);
    }
    // The step limit ends a run without a poll.
    Fixture f;
    f.compiler.setLimits(1000000, 100, 100, 5000);
    EXPECT_EQ(f.run("int i = 0;\nwhile (1) { i++; }"), "Fehler: Zeile 2, Spalte 0: Skript abgebrochen");
    EXPECT_EQ(f.compiler.getVarManager()->getVar("i")->getData(0, 0), 5001.0);
}

// The memory budget counts every value alive in a run, not each matrix alone: a short script
// of several large matrices fails at the first one that does not fit, and what a run kept
// (its pool, a refused run) does not count against the next.
TEST(CompilerApi, MemoryBudgetCountsAllLiveValues)
{
    {
        // Six matrices of 10000 x 9999 (800 MB each): the second is refused under the default.
        Fixture f;
        EXPECT_EQ(f.run("a=zeros(10000,9999);b=a+1;c=a+2;d=a+3;e=a+4;g=a+5;disp(1);"),
                  "Fehler: Zeile 1, Spalte 23: nicht genug Speicher");
        EXPECT_EQ(f.output, "");
    }
    const struct {
        const char* name;
        const char* script;
        const char* error; // empty: the run succeeds
    } cases[] = {
        // 100 x 100 doubles are 80 KB; the limit below is 1 MB.
        {"well within", "a = zeros(100,100); b = a + 1; c = b * a; disp(sum(sum(c)));", ""},
        {"many matrices, each small", "a=ones(100,100);b=a+1;c=a+2;d=a+3;q=a+4;g=a+5;h=a+6;k=a+7;l=a+8;m=a+9;n=a+10;o=a+11;p=a+12;r=a+13;",
         "Fehler: Zeile 1, Spalte 94: nicht genug Speicher"},
        {"a copy unshared by a write", "a = zeros(300,300);\nb = a;\nb[0][0] = 1;",
         "Fehler: Zeile 3, Spalte 8: nicht genug Speicher"},
        {"growing by concatenation", "m = [];\nfor (i = 0; i < 1000; i++) { m = [m, zeros(1,100)]; }",
         "Fehler: Zeile 2, Spalte 33: nicht genug Speicher"},
        {"values freed on the way", "for (i = 0; i < 100; i++) { a = zeros(300,300); a = 0; }", ""},
        {"a function's frame", "func f(x) { y = x + 1; z = y + 1; return z + 1; }\na = f(zeros(200,200));",
         "Fehler: Zeile 1, Spalte 43: nicht genug Speicher"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Fixture f;
        f.compiler.setMemoryLimit(1 << 20);
        EXPECT_EQ(f.run(c.script), c.error);
        // Nothing of the run counts against the next: the same script gives the same outcome.
        EXPECT_TRUE(f.compiler.runCompiler(c.script));
        EXPECT_EQ(f.compiler.runInterpreter() ? std::string() : f.compiler.getException(), c.error);
        EXPECT_EQ(f.run("a = zeros(350,350);"), "");
    }
}

// Linear algebra that no poll could interrupt for long is refused before anything is
// allocated; products and solves poll between blocks of columns.
TEST(CompilerApi, HeavyLinearAlgebraIsRefusedOrAbortable)
{
    const std::string tooSlow = "Matrix zu groß für diese Rechnung (sie würde zu lange dauern)";
    const struct {
        const char* name;
        const char* script;
    } refused[] = {
        {"inv", "a = ones(3000,3000);\nb = inv(a);"},
        {"det", "a = ones(3000,3000);\nb = det(a);"},
        {"left division", "a = ones(3000,3000);\nb = a \\ ones(3000,1);"},
        {"right division", "a = ones(3000,3000);\nb = ones(1,3000) / a;"},
        {"negative power", "a = ones(3000,3000);\nb = a ^ -1;"},
        {"least squares", "a = ones(20000,600);\nb = a \\ ones(20000,1);"},
        {"matrix 2-norm", "a = ones(1000,1000);\nb = norm(a);"},
    };
    for (const auto& c : refused) {
        SCOPED_TRACE(c.name);
        Fixture f;
        const std::string error = f.run(c.script);
        EXPECT_EQ(error.substr(0, 18), "Fehler: Zeile 2, S");
        EXPECT_NE(error.find(tooSlow), std::string::npos) << error;
    }
    // A product of 8e9 multiply-adds: the poll is asked between its blocks.
    Fixture f;
    int polls = 0;
    f.compiler.setPoll([&] { return ++polls >= 2; });
    EXPECT_EQ(f.run("a = ones(2000,2000);\nb = a * a;"), "Fehler: Zeile 2, Spalte 6: Skript abgebrochen");
    EXPECT_EQ(polls, 2);
    // Sizes that finish quickly still work, in blocks or not.
    Fixture quick;
    EXPECT_EQ(quick.run("a = eye(300) * 2;\nb = inv(a) * ones(300, 2000);\ndisp(sum(sum(b)));\ndisp(det(eye(50)));"),
              "");
    EXPECT_EQ(quick.output, "300000\n1\n");
}

TEST(CompilerApi, RunningScriptRefusesCompileClearAndRun)
{
    Fixture f;
    std::vector<std::string> answers;
    addHost(f.compiler, "reenter", 0, [&](HostFunction&, auto) {
        answers.push_back(f.compiler.clear(true) ? "clear" : "refused");
        answers.push_back(f.compiler.runCompiler("x = 1;") ? "compiled" : f.compiler.getError());
        answers.push_back(f.compiler.runInterpreter() ? "ran" : f.compiler.getException());
        return 0;
    });
    EXPECT_EQ(f.run("reenter(); disp(1);"), "");
    EXPECT_EQ(answers, (std::vector<std::string>{"refused", "Fehler: Das Skript läuft bereits.",
                                                  "Fehler: Das Skript läuft bereits."}));
    EXPECT_EQ(f.output, "1\n");
    // The program stays until the next compile, and each run starts with fresh variables.
    ASSERT_TRUE(f.compiler.runCompiler("double n = 0; n = n + 1; disp(n);"));
    EXPECT_TRUE(f.compiler.runInterpreter());
    EXPECT_TRUE(f.compiler.runInterpreter());
    EXPECT_EQ(f.output, "1\n1\n1\n");
}

TEST(CompilerApi, RunWithoutGoodCompile)
{
    Fixture f;
    EXPECT_FALSE(f.compiler.runInterpreter());
    EXPECT_EQ(f.compiler.getException(), "Fehler: Kein übersetztes Skript.");
    ASSERT_TRUE(f.compiler.runCompiler("disp(1);"));
    EXPECT_FALSE(f.compiler.runCompiler("disp(;"));
    EXPECT_FALSE(f.compiler.runInterpreter());
    EXPECT_EQ(f.compiler.getException(), "Fehler: Kein übersetztes Skript.");
    EXPECT_EQ(f.output, "");
    // An empty text is an empty program.
    EXPECT_EQ(f.run(""), "");
}

TEST(CompilerApi, DemoScriptRunsAgainstStubsOfTheBuiltIns)
{
    Fixture f;
    const std::pair<const char*, int> builtIns[] = {
        {"setSpectrumColor", 4}, {"getSpectrum", 1}, {"setSpectrum", 2}, {"setSpectrumAutoName", 3},
        {"run", 2},             {"setParameter", 3}, {"getParameter", 2}, {"msgOut", 1},
        {"wantAbort", 0},       {"redraw", 0},       {"getVar", 1},
    };
    std::vector<std::string> calls;
    CMCVariable stored;
    for (const auto& [name, count] : builtIns) {
        const std::string n = name;
        addHost(f.compiler, n, count, [&, n](HostFunction& self, std::span<CMCVariable* const> args) {
            calls.push_back(n + "(" + args[0]->toText() + ")");
            if (n == "setSpectrum")
                stored = *args[1];
            if (n == "getSpectrum")
                self.result = stored;
            return 0;
        });
    }
    std::ifstream file(std::filesystem::path(ORVANTA_TEST_DATA_DIR) / "formulux" / "demo.mcc", std::ios::binary);
    const std::string demo((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    EXPECT_EQ(f.run(demo), "");
    ASSERT_EQ(calls.size(), 8u);
    EXPECT_EQ(calls[0], "setSpectrum(Laser:Laser940)");
    EXPECT_EQ(calls[4], "setParameter(Spek|tren-|Arith|me|tik:Spek|tren fil|tern)");
    EXPECT_EQ(calls[7], "getSpectrum(Laser:Laser940gefiltert:Laser940)");
    ASSERT_EQ(stored.getRows(), 2);
    ASSERT_EQ(stored.getCols(), 301);
    EXPECT_EQ(stored.getData(0, 300), 1000.0);
    EXPECT_EQ(stored.getData(1, 25), 1.0); // 450 nm
    EXPECT_EQ(stored.getData(1, 26), 0.0);
    const CMCVariable* back = f.compiler.getVarManager()->getVar("lasergef");
    ASSERT_NE(back, nullptr);
    EXPECT_EQ(back->getCols(), 301);
}

TEST(CompilerApi, TwoCompilersOnTwoThreads)
{
    const char* script = "double s = 0; int i; for (i = 0; i < 20000; i++) { s = s + i % 7; } x = inv([2, 1; 1, 3]);";
    std::atomic<int> good{0};
    auto work = [&] {
        for (int k = 0; k < 3; ++k) {
            Fixture f;
            if (f.run(script).empty() && f.compiler.getVarManager()->getVar("s")->getData(0, 0) == 59997.0)
                ++good;
        }
    };
    {
        std::jthread a(work), b(work);
    }
    EXPECT_EQ(good.load(), 6);
}

TEST(Variable, ShapesCopyOnWriteAndText)
{
    CMCVariable v;
    EXPECT_EQ(v.getRows(), 0);
    v.resizeVar(2, 3);
    v.setData(1, 2, 5.0);
    v.resizeVar(3, 2); // the overlap stays, new elements are 0
    EXPECT_EQ(v.getData(1, 1), 0.0);
    v.setData(2, 1, 7.0);
    v.resizeVar(2, 0);
    EXPECT_EQ(v.getRows(), 2);
    EXPECT_EQ(v.getCols(), 0);
    EXPECT_TRUE(v.isEmpty());

    CMCVariable a(100, 100);
    a.setData(5, 5, 1.0);
    CMCVariable b = a; // O(1): shared
    EXPECT_EQ(a.data(), b.data());
    b.setData(5, 5, 2.0); // the write unshares b only
    EXPECT_NE(a.data(), b.data());
    EXPECT_EQ(a.getData(5, 5), 1.0);
    const double* own = b.data();
    b.setData(6, 6, 3.0); // unique: written in place
    EXPECT_EQ(b.data(), own);

    const CMCVariable t = CMCVariable::fromText("Aä");
    EXPECT_TRUE(t.isText());
    EXPECT_EQ(t.getCols(), 3);
    EXPECT_EQ(t.getData(0, 1), -61.0);
    EXPECT_EQ(t.toText(), "Aä");
}

TEST(CompilerApi, ElementAssignmentCopiesNothing)
{
    // m[i][j] = v on a variable that owns its data writes in place: the data pointer that a
    // host function sees stays the same across element writes.
    Fixture f;
    std::vector<const double*> pointers;
    addHost(f.compiler, "where", 0, [&](HostFunction&, auto) {
        pointers.push_back(f.compiler.getVarManager()->getVar("m")->data());
        return 0;
    });
    EXPECT_EQ(f.run("m = zeros(50, 50); where(); m[3][4] = 1; m[7][1] = 2; where(); for (int i = 0; i < 50; i++) m[i][i] = i; where();"), "");
    ASSERT_EQ(pointers.size(), 3u);
    EXPECT_EQ(pointers[0], pointers[1]);
    EXPECT_EQ(pointers[1], pointers[2]);
}

} // namespace
