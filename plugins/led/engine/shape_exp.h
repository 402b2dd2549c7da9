#pragma once
// The exponential of the Gaussian shape, for single values and for whole grids. Both run the
// same sequence of double operations, so a sample of a grid equals the single value of its
// own argument to the bit, whichever processor runs it. Results lie within 0.6 ulp of the
// exact exponential; arguments below -708 or above 709 (and NaN) go to std::exp.

// e^x.
double ShapeExp(double x);

// out[i] = ShapeExp(-ln2 * u * u) with u = (x[i] - peak) / halfWidth, the product taken
// left to right as in (-ln2 * u) * u; ln2 is passed by the caller so both sides share it.
// halfWidth must not be 0 (the caller handles the zero width). out may be x.
void GaussianSamples(const double* x, int count, double peak, double halfWidth, double ln2, double* out);
