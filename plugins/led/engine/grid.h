#pragma once
// The process-wide wavelength grid in micrometres. Every spectrum of the LED engine is
// sampled on it; the modules may change it, which affects everything made afterwards.

extern double XStart; // first wavelength, 0.4 at load
extern double XEnd;   // last wavelength, 0.75 at load
extern double XStep;  // step, 0.002 at load

// Number of grid points: (int)((end - start)/step + 0.01) + 1. The 0.01 absorbs the
// rounding of the quotient (174.99999999999997 for the initial grid, which has 176 points).
// Gives 0 for a step that is not positive, a non-finite quotient or an end well below start.
int GridPointCount(double start = XStart, double end = XEnd, double step = XStep);
