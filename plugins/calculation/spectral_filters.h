#pragma once
// The seven filters of the spectral filter module along the wavelength axis, free of Qt and
// of the trees. Each fills out (of y's length) and returns its divisor d; Finish divides by
// d and takes absolute values. Ends a filter cannot reach are extrapolated linearly:
//   start  out[k] = 2 out[k+1] - out[k+2]  (k descending)
//   end    out[k] = 2 out[k-1] - out[k-2]  (k ascending)
#include <span>
#include <vector>

namespace spectral_filter {

enum Filter : int { kCopy = 0, kBox3, kMean2, kSobel, kLaplace, kMedian, kContinuity };
inline constexpr int kFilterCount = 7;

// The enumeration's entry text and the word of automatic result groups.
const char* EntryText(int filter);
const char* GroupWord(int filter, bool adaptive);

// Extrapolates out[0 .. lead-1] and out[n-tail .. n-1] from the points between. A single
// point between gives both ends its value.
void ExtrapolateEnds(std::span<double> out, int lead, int tail);

double Copy(std::span<const double> y, std::span<double> out);
// (y[i-1] + y[i] + y[i+1]) / 3, divided here already; d = 1.
double Box3(std::span<const double> y, std::span<double> out);
// y[i+1] - y[i-1]; d = 2.
double Sobel(std::span<const double> y, std::span<double> out);
// y[i-1] - 2 y[i] + y[i+1]; d = 4.
double Laplace(std::span<const double> y, std::span<double> out);
// Weighted mean over a window of width (made odd), weights R - |y[j] - y[i]| where not
// negative, R the span of the inner values; d = 1.
double AdaptiveMean(std::span<const double> y, int width, std::span<double> out);
// Passes of the kernel 1 4 6 4 1 with strides 1, 2, 4, 8: steps + 1 passes, 2 to 4;
// d = 16 per pass.
double Binomial(std::span<const double> y, int steps, std::span<double> out);
int BinomialPasses(int steps);
// Median over a window of width (made odd). With outlierOnly only where
// 0.25 |y[i-1] - 2 y[i] + y[i+1]| > threshold; d = 1.
double Median(std::span<const double> y, int width, bool outlierOnly, double threshold, std::span<double> out);
// Removes up to steps step-like jumps where the jump of the scaled second difference exceeds
// threshold times its span inside the margin; with a non-empty stepList only at its points.
// d = 1.
double Continuity(std::span<const double> y, int steps, double threshold, int margin, std::span<const int> stepList,
                  std::span<double> out);

// The joint step positions of filter 6 over curves of one length: the points of the steps
// largest summed |second differences|, each as its index - 1.
std::vector<int> StepList(std::span<const std::span<const double>> curves, int steps);

// The smallest point count the filter works on.
int MinimumPoints(int filter, bool adaptive, int steps);

// The margin of filter 6: 5 % of the x span in points; 0 when the first step is 0 or the
// count is no finite number.
int Margin(double minX, double maxX, double x0, double x1);

// out / d, and |out / d| unless keepSign.
void Finish(std::span<double> out, double d, bool keepSign);

struct Settings {
    int filter = kCopy;
    bool adaptive = false;  // filter 2 adaptive, filter 5 outliers only
    int steps = 3;          // passes, width or number of steps
    double threshold = 0.1; // filters 5 and 6
    int margin = 0;         // filter 6
    bool keepSign = false;
};
// Runs the filter and Finish. False (out untouched) for an unknown filter.
bool Apply(const Settings& settings, std::span<const double> y, std::span<const int> stepList, std::span<double> out);

} // namespace spectral_filter
