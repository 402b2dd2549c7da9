#include "engine/optimizer.h"
#include "led_test_support.h"

#include <climits>
#include <cmath>
#include <functional>
#include <vector>

namespace {

// A residual and Jacobian given as std::functions, with a record of the iteration flags.
struct Problem {
    std::function<void(LSMatrix r, LSMatrix p)> residual;
    std::function<void(LSMatrix J, LSMatrix p)> jacobian;
    std::vector<int> flags;
    int residualCalls = 0;

    static void R(LSMatrix r, LSMatrix p, void* c)
    {
        auto* self = static_cast<Problem*>(c);
        ++self->residualCalls;
        self->residual(r, p);
    }
    static void J(LSMatrix J, LSMatrix p, void* c) { static_cast<Problem*>(c)->jacobian(J, p); }
    static void I(void* c, int flag) { static_cast<Problem*>(c)->flags.push_back(flag); }

    // Runs from start and returns the parameters; rOut receives the residual vector.
    std::vector<double> Run(std::vector<double> start, int n, const OptimizerOptions* o, std::vector<double>* rOut = nullptr)
    {
        LSMatrixHandle p(static_cast<int>(start.size()), 1), r(n, 1);
        for (std::size_t i = 0; i < start.size(); ++i)
            p[static_cast<int>(i)] = start[i];
        OptimizeLeastSquares(&R, &J, p, r, this, o, &I);
        if (rOut)
            rOut->assign(r.get(), r.get() + n);
        return std::vector<double>(p.get(), p.get() + start.size());
    }
};

Problem Rosenbrock()
{
    Problem pr;
    pr.residual = [](LSMatrix r, LSMatrix p) {
        r[0] = 10 * (p[1] - p[0] * p[0]);
        r[1] = 1 - p[0];
    };
    pr.jacobian = [](LSMatrix J, LSMatrix p) {
        J[0] = -20 * p[0];
        J[1] = 10;
        J[2] = -1;
        J[3] = 0;
    };
    return pr;
}

// NIST StRD Misra1a: y = b1 (1 - exp(-b2 x)).
const double kMisraX[] = {77.6, 114.9, 141.1, 190.8, 239.9, 289.0, 332.8, 378.4, 434.8, 477.3, 536.8, 593.1, 689.1, 760.0};
const double kMisraY[] = {10.07, 14.73, 17.94, 23.93, 29.61, 35.18, 40.02, 44.82, 50.76, 55.05, 61.01, 66.40, 75.47, 81.78};

Problem Misra1a()
{
    Problem pr;
    pr.residual = [](LSMatrix r, LSMatrix p) {
        for (int i = 0; i < 14; ++i)
            r[i] = p[0] * (1 - std::exp(-p[1] * kMisraX[i])) - kMisraY[i];
    };
    pr.jacobian = [](LSMatrix J, LSMatrix p) {
        for (int i = 0; i < 14; ++i) {
            const double e = std::exp(-p[1] * kMisraX[i]);
            J[2 * i] = 1 - e;
            J[2 * i + 1] = p[0] * kMisraX[i] * e;
        }
    };
    return pr;
}

// r = atan(p): the Gauss-Newton step from 2 overshoots to -3.5, where |r| is larger.
Problem Arctan()
{
    Problem pr;
    pr.residual = [](LSMatrix r, LSMatrix p) { r[0] = std::atan(p[0]); };
    pr.jacobian = [](LSMatrix J, LSMatrix p) { J[0] = 1 / (1 + p[0] * p[0]); };
    return pr;
}

OptimizerOptions Tight()
{
    OptimizerOptions o;
    o.MinConvergence = 1e-12;
    o.ConvergenceSteps = 10;
    o.MinGradient = 1e-30;
    return o;
}

double SumOfSquares(const std::vector<double>& v)
{
    double s = 0;
    for (double x : v)
        s += x * x;
    return s;
}

} // namespace

TEST(Optimizer, RosenbrockReachesItsMinimum)
{
    Problem pr = Rosenbrock();
    const OptimizerOptions o = Tight();
    const std::vector<double> p = pr.Run({-1.2, 1.0}, 2, &o);
    EXPECT_NEAR(p[0], 1.0, 1e-6);
    EXPECT_NEAR(p[1], 1.0, 1e-6);
    EXPECT_EQ(pr.flags.front(), 0);
    EXPECT_EQ(pr.flags.back(), 1);
    EXPECT_EQ(std::count(pr.flags.begin(), pr.flags.end(), 1), 1);
}

TEST(Optimizer, Misra1aFromTheSecondStartReachesTheCertifiedValues)
{
    Problem pr = Misra1a();
    const OptimizerOptions o = Tight();
    std::vector<double> r;
    const std::vector<double> p = pr.Run({250, 5e-4}, 14, &o, &r);
    EXPECT_NEAR(p[0], 238.94212918, 238.94212918 * 1e-6);
    EXPECT_NEAR(p[1], 5.5015643181e-4, 5.5015643181e-4 * 1e-6);
    EXPECT_NEAR(SumOfSquares(r), 0.12455138894, 1e-9);
}

TEST(Optimizer, Misra1aFromTheFirstStartStopsEarlyByDesign)
{
    // b2 is 1e-4 against b1's 500: the Gauss-Newton step is rejected and the damped step
    // (JᵀJ + 8I)⁻¹(-Jᵀr) is shorter than MinGradient admits, so the run ends far from the
    // minimum. It must not get worse or leave finite values.
    Problem pr = Misra1a();
    std::vector<double> r;
    pr.Run({500, 1e-4}, 14, nullptr, &r);
    Problem start = Misra1a();
    std::vector<double> r0;
    OptimizerOptions none;
    none.MaxIterations = 0;
    start.Run({500, 1e-4}, 14, &none, &r0);
    EXPECT_LE(SumOfSquares(r), SumOfSquares(r0));
    EXPECT_GT(SumOfSquares(r), 1.0);
}

TEST(Optimizer, BranchesReachTheSolution)
{
    struct Case {
        const char* name;
        std::function<Problem()> make;
        std::vector<double> start;
        int n;
        int maxIterations;
        std::vector<double> expected;
        double tolerance;
    };
    const auto linear = [] {
        // r = A p - b, full rank: the first Gauss-Newton step is exact.
        Problem pr;
        pr.residual = [](LSMatrix r, LSMatrix p) {
            r[0] = 2 * p[0] + p[1] - 3;
            r[1] = p[0] - p[1];
            r[2] = p[0] + 3 * p[1] - 4;
        };
        pr.jacobian = [](LSMatrix J, LSMatrix) {
            const double a[] = {2, 1, 1, -1, 1, 3};
            std::copy(a, a + 6, J);
        };
        return pr;
    };
    const auto singular = [] {
        // JᵀJ = [1 1; 1 1] at k = 0: the factorisation fails, k rises and the damped search runs.
        Problem pr;
        pr.residual = [](LSMatrix r, LSMatrix p) { r[0] = p[0] + p[1] - 2; };
        pr.jacobian = [](LSMatrix J, LSMatrix) { J[0] = J[1] = 1; };
        return pr;
    };
    const Case cases[] = {
        {"linear", linear, {0, 0}, 3, 1000, {1.0, 1.0}, 1e-12},
        {"singular normal equations", singular, {0, 0}, 1, 1000, {1.0, 1.0}, 1e-4},
        {"rejected Gauss-Newton trial keeps p", Arctan, {2.0}, 1, 1, {2.0}, 0.0},
        {"rejected trial, then damped search and falling k", Arctan, {2.0}, 1, 1000, {0.0}, 1e-6},
        {"no iterations", Rosenbrock, {-1.2, 1.0}, 2, 0, {-1.2, 1.0}, 0.0},
    };
    for (const Case& c : cases) {
        Problem pr = c.make();
        OptimizerOptions o = Tight();
        o.MaxIterations = c.maxIterations;
        const std::vector<double> p = pr.Run(c.start, c.n, &o);
        for (std::size_t i = 0; i < p.size(); ++i)
            EXPECT_NEAR(p[i], c.expected[i], c.tolerance) << c.name << " p" << i;
        if (c.name == std::string("singular normal equations")) {
            EXPECT_NEAR(p[0], p[1], 1e-9) << "the damped direction keeps the symmetry";
        }
        if (c.maxIterations == 0) {
            EXPECT_EQ(pr.flags, (std::vector<int>{0, 1})) << c.name;
            EXPECT_EQ(pr.residualCalls, 1) << c.name;
        }
    }
}

TEST(Optimizer, LogsAndHeedsTheAbortBeforeAnyStep)
{
    RecordingHost host;
    host.wantsAbort = true;
    CurrentHost = &host;
    Problem pr = Rosenbrock();
    OptimizerOptions o;
    o.MaxIterations = INT_MAX;
    const std::vector<double> p = pr.Run({-1.2, 1.0}, 2, &o);
    CurrentHost = nullptr;
    EXPECT_EQ(host.LogTexts(),
              (std::vector<std::string>{"Berechne...", "Initialisiere...", "Iteration 1 von 2147483647 - Wert 24.2",
                                        "Abbruch durch Benutzer..."}));
    EXPECT_EQ(p, (std::vector<double>{-1.2, 1.0}));
    EXPECT_EQ(pr.flags, (std::vector<int>{0, 0, 1}));
}

TEST(Optimizer, OptionsAtTheirEdgesEndWithoutNaN)
{
    struct Case {
        const char* name;
        std::function<void(OptimizerOptions&)> set;
    };
    const Case cases[] = {
        {"MinStep 0", [](OptimizerOptions& o) { o.MinStep = 0; }},
        {"MinGradient 0", [](OptimizerOptions& o) { o.MinGradient = 0; }},
        {"both 0, no convergence stop", [](OptimizerOptions& o) {
             o.MinStep = 0;
             o.MinGradient = 0;
             o.MinConvergence = -1;
         }},
        {"slow shrinking", [](OptimizerOptions& o) {
             o.StepDownsizeFactor = 0.9999;
             o.MinStep = 0;
         }},
        {"shrink factor 1", [](OptimizerOptions& o) { o.StepDownsizeFactor = 1; }},
        {"grow factor 0", [](OptimizerOptions& o) { o.StepUpsizeFactor = 0; }},
        {"huge MaxIterations", [](OptimizerOptions& o) {
             o.MaxIterations = INT_MAX;
             o.MinConvergence = -1;
             o.MinGradient = 0;
             o.MinStep = 0;
         }},
    };
    for (const Case& c : cases) {
        for (auto make : {&Rosenbrock, &Arctan}) {
            Problem pr = make();
            OptimizerOptions o;
            c.set(o);
            std::vector<double> r;
            const bool two = make == &Rosenbrock;
            const std::vector<double> p = pr.Run(two ? std::vector<double>{-1.2, 1.0} : std::vector<double>{2.0},
                                                 two ? 2 : 1, &o, &r);
            for (double x : p)
                EXPECT_TRUE(std::isfinite(x)) << c.name;
            // Some of these end early by the progress test; none may get worse than the start.
            EXPECT_LT(SumOfSquares(r), two ? 24.2 : 1.2) << c.name;
            EXPECT_EQ(pr.flags.back(), 1) << c.name;
        }
    }
}

TEST(Optimizer, NonFiniteResidualsNeverReachTheParameters)
{
    // Residuals are NaN beyond p = 1.5; the minimum of (p - 2)² lies there.
    Problem wall;
    wall.residual = [](LSMatrix r, LSMatrix p) { r[0] = p[0] > 1.5 ? std::nan("") : p[0] - 2; };
    wall.jacobian = [](LSMatrix J, LSMatrix) { J[0] = 1; };
    std::vector<double> p = wall.Run({0.0}, 1, nullptr);
    EXPECT_TRUE(std::isfinite(p[0]));
    EXPECT_LE(p[0], 1.5);

    // NaN from the start: the run ends at once, p unchanged.
    Problem broken;
    broken.residual = [](LSMatrix r, LSMatrix) { r[0] = std::nan(""); };
    broken.jacobian = [](LSMatrix J, LSMatrix) { J[0] = std::nan(""); };
    p = broken.Run({0.5}, 1, nullptr);
    EXPECT_EQ(p[0], 0.5);
    EXPECT_EQ(broken.flags, (std::vector<int>{0, 0, 1}));
}
