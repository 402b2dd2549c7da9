#pragma once
// The numbers of the point-wise spectrum arithmetic, free of Qt and of the trees: C = A op B
// per point with a constant or a second curve, statistics over curves of one grid, the
// functions of A, the colour of the band curves and the randomised constant.
#include "platform/colorref.h"

#include <cstdint>
#include <random>
#include <span>
#include <string>
#include <vector>

namespace point_arith {

// The functions, numbered as the module's list (index + 1).
enum Op : int {
    kSum = 1,
    kDiff,
    kMult,
    kDiv,
    kMin,
    kMax,
    kUnion,
    kLess,
    kMean,
    kSigma,
    kMeanSigma,
    kMinimum,
    kMaximum,
    kLog10,
    kLn,
    kPow10,
    kExp,
};
inline constexpr int kOpCount = 17;

// The enumeration's entry text of op (1 .. 17).
const char* EntryText(int op);
// The name ending of op (1 .. 17).
const char* Suffix(int op);

// The divisor offset of A / B against a constant.
inline constexpr double kConstantDivShift = 1e-8;
// The divisor offset of A / B against a curve: a thousandth of its largest |value|.
double PairwiseDivShift(std::span<const double> b);

// out[j] = a[j] op b for op 1 .. 8 (A / B divides by b + divShift). out may be a. False for
// another op.
bool Combine(int op, std::span<const double> a, double b, double divShift, std::span<double> out);
// out[j] = a[j] op b[j] for op 1 .. 8, A / B dividing by b[j] + divShift; all of one length.
bool Combine(int op, std::span<const double> a, std::span<const double> b, double divShift, std::span<double> out);

// Whether a op b (op 1 .. 8) is finite for every a with |a| <= aLargest and every b with
// |b| <= bLargest whose divisor |b + divShift| is at least divisorSmallest: a proof from bounds,
// without a pass over the pairs. False means "not proven".
bool ProvenFinite(int op, double aLargest, double bLargest, double divisorSmallest);
// The largest |v|; infinite when a value is not finite.
double LargestMagnitude(std::span<const double> v);
// The smallest |b + divShift|; 0 when one is not a number.
double SmallestDivisor(std::span<const double> b, double divShift);
// Whether every a[j] op b (or b[j]) is finite; the results are not kept.
bool CombineFinite(int op, std::span<const double> a, double b, double divShift);
bool CombineFinite(int op, std::span<const double> a, std::span<const double> b, double divShift);

// Per point over curves of one length: mean, standard deviation of the population (from the
// distances to the mean, so never NaN for equal values), minimum and maximum.
struct Statistics {
    std::vector<double> mean, sigma, minimum, maximum;
};
Statistics ComputeStatistics(std::span<const std::span<const double>> curves);

// log10, ln, 10^a or e^a of a for op 14 .. 17. False for log10 and ln of a value <= 0 (and
// of NaN), for a result that is not finite (10^a and e^a overflow) and for another op.
bool ApplyFunction(int op, double a, double& value);

// The colour of the bands mean +/- 2 sigma: lighter for dark colours, darker for light ones.
COLORREF BandColour(COLORREF colour);

// Standard normal deviates by the polar method on a Mersenne Twister; the second value of a
// pair is kept for the next draw.
class NormalDeviates {
public:
    explicit NormalDeviates(std::uint32_t seed) : m_generator(seed) {}
    double Next();

private:
    double Uniform(); // in [-1, 1)
    std::mt19937 m_generator;
    double m_kept = 0;
    bool m_hasKept = false;
};

// A constant drawn around b: sigma = 0.025 |b|, drawn again until it lies between 0.9 b and
// 1.1 b (in either order, so a negative b works as a positive one).
double RandomConstant(double b, NormalDeviates& deviates);

} // namespace point_arith
