#pragma once
// Damped least squares: minimises the sum of squares of a residual vector over a parameter
// vector. Each iteration either takes a Gauss-Newton step (damping k at 0) or searches along
// the damped direction (JᵀJ + kI)⁻¹(−Jᵀr) with a step length that grows after success and
// shrinks after failure and carries over between iterations. k rises after failures and
// falls after successful searches.

#include "engine/ls_matrix.h"

struct OptimizerOptions {
    int MaxIterations = 1000;
    double MinGradient = 1e-6;      // stop when the squared length of the damped step is below
    double MinValue = -1e99;        // stop when the sum of squares is below
    double MinConvergence = 0.001;  // a relative decrease below counts as no progress
    int ConvergenceSteps = 3;       // stop after this many iterations in a row without progress
    double MinStep = 1e-9;          // stop when the searched step length falls below
    double MaxStep = 1e32;          // the step length grows no further beyond
    double StepUpsizeFactor = 1.3333;
    double StepDownsizeFactor = 0.75;
    double KUpsizeOffset = 8;
    double KDownsizeOffset = 1;
};

// r (n x 1) = residuals at p (m x 1).
using ResidualFunction = void (*)(LSMatrix r, LSMatrix p, void* context);
// J (n x m): J(i, j) = ∂rᵢ/∂pⱼ at p.
using JacobianFunction = void (*)(LSMatrix J, LSMatrix p, void* context);
// flag 0 after the first evaluation and in every iteration, 1 once at the end.
using IterationFunction = void (*)(void* context, int flag);

// p: start on entry, result on return. r: on return the residuals evaluated at the start of
// the last iteration. options null means the defaults; iterationFn may be null. Logs through
// the engine's host and asks it for the user's abort. Non-finite residual sums never become
// parameters: such a trial counts as no decrease, and a non-finite sum at an iteration's
// start ends the run.
void OptimizeLeastSquares(ResidualFunction residualFn, JacobianFunction jacobianFn, LSMatrix p, LSMatrix r,
                          void* context, const OptimizerOptions* options, IterationFunction iterationFn);
