#include "engine/optimizer.h"

#include "engine/engine_log.h"

#include <cmath>

namespace {

// trial = p + step * d, over p's elements.
void StepFrom(LSMatrix trial, LSMatrix p, double step, LSMatrix d, int m)
{
    for (int i = 0; i < m; ++i)
        trial[i] = p[i] + step * d[i];
}

bool SameVector(LSMatrix a, LSMatrix b, int m)
{
    for (int i = 0; i < m; ++i)
        if (a[i] != b[i])
            return false;
    return true;
}

} // namespace

void OptimizeLeastSquares(ResidualFunction residualFn, JacobianFunction jacobianFn, LSMatrix p, LSMatrix r,
                          void* context, const OptimizerOptions* options, IterationFunction iterationFn)
{
    const OptimizerOptions defaults;
    const OptimizerOptions& o = options ? *options : defaults;

    EngineLog("Berechne...");
    EngineLog("Initialisiere...");

    const int m = MatRows(p);
    const int n = MatRows(r);
    const auto callIteration = [&](int flag) {
        if (iterationFn)
            iterationFn(context, flag);
    };
    if (!residualFn || !jacobianFn || m <= 0 || n <= 0 || MatCols(p) != 1 || MatCols(r) != 1) {
        callIteration(0);
        callIteration(1);
        return;
    }

    LSMatrixHandle J(n, m), A(m, m), L(m, m), d(m, 1), y(m, 1), g(m, 1), trialP(m, 1), trialR(n, 1);

    residualFn(r, p, context);
    callIteration(0);

    double k = 0.0;
    double step = 0.01;
    double lastSS = 0.0;
    double prevSS = 1.0;
    int noProgress = 0;
    int iteration = 0;
    bool first = true;

    const auto evaluate = [&]() {
        residualFn(trialR, trialP, context);
        return MatSumOfSquares(trialR);
    };

    while (iteration < o.MaxIterations) {
        // Progress of the previous iteration; a non-finite value counts as none.
        const double rel = first ? 1.0 : (prevSS > 0.0 ? (prevSS - lastSS) / prevSS : 0.0);
        first = false;
        if (!(rel >= o.MinConvergence)) {
            if (++noProgress >= o.ConvergenceSteps)
                break;
        } else {
            noProgress = 0;
        }

        residualFn(r, p, context);
        jacobianFn(J, p, context);
        double S = MatSumOfSquares(r);
        prevSS = S;

        ++iteration;
        EngineLog("Iteration %d von %d - Wert %g", iteration, o.MaxIterations, S);
        callIteration(0);

        if (EngineUserWantsAbort()) {
            EngineLog("Abbruch durch Benutzer...");
            break;
        }
        if (!std::isfinite(S) || S < o.MinValue)
            break;

        MatMulTransposedLeft(A, J, J);
        MatMulTransposedLeft(g, J, r);
        MatScale(g, g, -1.0);
        MatAddDiagonal(A, k);

        if (!MatCholesky(L, A)) {
            k += o.KUpsizeOffset;
            continue;
        }
        MatSolveLower(y, L, g);
        MatSolveLowerTransposed(d, L, y);

        if (k <= 1e-6) {
            // Gauss-Newton step.
            StepFrom(trialP, p, 1.0, d, m);
            lastSS = evaluate();
            if (lastSS < S) {
                MatCopy(p, trialP);
                k = 0.0;
            } else {
                k += o.KUpsizeOffset;
            }
            continue;
        }

        // Search along the damped direction. A zero or non-finite direction ends the run.
        const double dd = MatSumOfSquares(d);
        if (dd < o.MinGradient || !(dd > 0.0) || !std::isfinite(dd))
            break;
        MatScale(d, d, 1.0 / std::sqrt(dd));

        StepFrom(trialP, p, step, d, m);
        lastSS = evaluate();
        double len = step;
        if (lastSS < S) {
            // Growing: accept and try a longer step from the new point.
            do {
                MatCopy(p, trialP);
                step = len;
                S = lastSS;
                len *= o.StepUpsizeFactor;
                StepFrom(trialP, p, len, d, m);
                lastSS = evaluate();
            } while (step <= o.MaxStep && lastSS < S);
            lastSS = S;
        } else {
            // Shrinking from the unchanged p. The run ends when the step falls below MinStep,
            // stops shrinking, reaches 0 or no longer moves p.
            bool end = false;
            do {
                const double shorter = step * o.StepDownsizeFactor;
                const bool stuck = !(shorter < step) || !(shorter > 0.0);
                step = shorter;
                StepFrom(trialP, p, step, d, m);
                if (stuck || step < o.MinStep || SameVector(trialP, p, m)) {
                    end = true;
                    break;
                }
                lastSS = evaluate();
            } while (!(lastSS < S));
            if (end)
                break;
            MatCopy(p, trialP);
        }
        k -= o.KDownsizeOffset;
        if (k < 0.0)
            k = 0.0;
    }

    callIteration(1);
}
