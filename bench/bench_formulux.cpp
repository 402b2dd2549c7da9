// The script language against Eigen and GNU Octave: a scalar loop of a million steps, and a
// 400x400 product and solve on matrices a registered function hands in (shared, not copied).
// Eigen bare runs beside each; the Octave peer (bench/peer/formulux_octave.m) runs once when
// octave is on PATH and its times are reported as counters.
#include "formulux/mc_compiler.h"

#include <Eigen/Dense>
#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <memory>
#include <string>

namespace {

constexpr int kN = 400;

// A(i, j) = sin(401 i + j) + 400 (i = j), B with cos, b(i) = sin(i); all 0-based.
struct Data {
    CMCVariable a{kN, kN}, b{kN, kN}, rhs{kN, 1};
    Data()
    {
        for (int i = 0; i < kN; ++i) {
            for (int j = 0; j < kN; ++j) {
                a.setData(i, j, std::sin(401.0 * i + j) + (i == j ? 400.0 : 0.0));
                b.setData(i, j, std::cos(401.0 * i + j) + (i == j ? 400.0 : 0.0));
            }
            rhs.setData(i, 0, std::sin(double(i)));
        }
    }
};

const Data& data()
{
    static const Data d;
    return d;
}

std::map<std::string, double>& peer()
{
    static std::map<std::string, double> times;
    return times;
}

void reportPeer(benchmark::State& state, const char* key)
{
    const auto it = peer().find(key);
    if (it != peer().end())
        state.counters["octave_ms"] = it->second * 1e3;
}

// Hands out the prepared matrices: mat(0) = A, mat(1) = B, mat(2) = b.
class MatFunction : public CMCFunction {
public:
    explicit MatFunction(CMCSharedParameter* shared) : CMCFunction("mat", shared) { setParamCount(1); }
    int execute(std::span<CMCVariable* const> args) override
    {
        const int which = int(args[0]->getData(0, 0));
        result = which == 0 ? data().a : which == 1 ? data().b : data().rhs;
        return 0;
    }
};

std::unique_ptr<CMCCompiler> compiled(const char* source)
{
    auto c = std::make_unique<CMCCompiler>();
    c->loadStdFunctions();
    c->loadStdVars();
    c->getFuncManager()->addFunc(new MatFunction(c->getSharedParameter()));
    if (!c->runCompiler(source))
        std::fprintf(stderr, "%s\n", c->getError().c_str());
    return c;
}

void BM_Loop(benchmark::State& state)
{
    auto c = compiled("double s = 0; int i; for (i = 0; i < 1000000; i++) { s = s + i * 0.5 - i % 7; }");
    for (auto _ : state)
        if (!c->runInterpreter())
            state.SkipWithError(c->getException().c_str());
    reportPeer(state, "loop");
}

void BM_Product(benchmark::State& state)
{
    auto c = compiled("A = mat(0); B = mat(1); C = A * B;");
    for (auto _ : state)
        c->runInterpreter();
    reportPeer(state, "product");
}

void BM_ProductEigen(benchmark::State& state)
{
    const Eigen::Map<const Eigen::MatrixXd> a(data().a.data(), kN, kN), b(data().b.data(), kN, kN);
    Eigen::MatrixXd c(kN, kN);
    for (auto _ : state) {
        c.noalias() = a * b;
        benchmark::DoNotOptimize(c.data());
    }
}

void BM_Solve(benchmark::State& state)
{
    auto c = compiled("A = mat(0); b = mat(2); x = A \\ b;");
    for (auto _ : state)
        c->runInterpreter();
    reportPeer(state, "solve");
}

void BM_SolveEigen(benchmark::State& state)
{
    const Eigen::Map<const Eigen::MatrixXd> a(data().a.data(), kN, kN);
    const Eigen::Map<const Eigen::VectorXd> b(data().rhs.data(), kN);
    for (auto _ : state) {
        const Eigen::PartialPivLU<Eigen::MatrixXd> lu(a);
        Eigen::VectorXd x = lu.solve(b);
        benchmark::DoNotOptimize(x.data());
    }
}

BENCHMARK(BM_Loop)->Name("Formulux/loop_1e6")->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Product)->Name("Formulux/product_400")->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ProductEigen)->Name("Eigen/product_400")->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Solve)->Name("Formulux/solve_400")->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SolveEigen)->Name("Eigen/solve_400")->Unit(benchmark::kMillisecond);

// Runs the Octave peer once and keeps its times.
void runPeer()
{
    if (std::system("command -v octave > /dev/null 2>&1") != 0) {
        std::printf("peer missing\n");
        return;
    }
    const std::string command = std::string("octave --no-gui --quiet ") + FORMULUX_PEER_SCRIPT + " 2>/dev/null";
    FILE* pipe = popen(command.c_str(), "r");
    if (!pipe) {
        std::printf("peer missing\n");
        return;
    }
    char key[32];
    double seconds = 0;
    while (std::fscanf(pipe, "%31s %lf", key, &seconds) == 2)
        peer()[key] = seconds;
    pclose(pipe);
    if (peer().empty())
        std::printf("peer missing\n");
}

} // namespace

int main(int argc, char** argv)
{
    benchmark::Initialize(&argc, argv);
    runPeer();
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
