#include "engine/shape_exp.h"

#include <cmath>
#include <cstdint>
#include <vector>

// Built with -ffp-contract=off (see CMakeLists.txt): a fused multiply-add in one path and
// not in the other would break the agreement of single values and grid samples.

#if defined(__GNUC__) && !defined(__clang__)
// The vector helpers are always inlined, so no vector crosses a call boundary.
#pragma GCC diagnostic ignored "-Wpsabi"
#endif

namespace {

using V4d = double __attribute__((vector_size(32)));
using V4u = std::uint64_t __attribute__((vector_size(32)));
using V8d = double __attribute__((vector_size(64)));
using V8u = std::uint64_t __attribute__((vector_size(64)));

// Inside [kMin, kMax] the result and 2^k are normal numbers.
constexpr double kMin = -708.0;
constexpr double kMax = 709.0;
constexpr double kInvLn2 = 0x1.71547652b82fep0;
// Adding 1.5 * 2^52 rounds to an integer that the low bits of the sum then hold.
constexpr double kShift = 0x1.8p52;
constexpr std::uint64_t kShiftBits = 0x4338000000000000;
// ln 2 in two parts; kLn2Hi ends in 21 zero bits, so k * kLn2Hi is exact for every k here.
constexpr double kLn2Hi = 0x1.62e42fee00000p-1;
constexpr double kLn2Lo = 0x1.a39ef35793c76p-33;
// 1/n! for n = 2 .. 13: the Taylor terms beyond r stay below 1e-17 for |r| <= ln2/2.
constexpr double kTerms[12] = {1.0 / 2,       1.0 / 6,         1.0 / 24,         1.0 / 120,
                               1.0 / 720,     1.0 / 5040,      1.0 / 40320,      1.0 / 362880,
                               1.0 / 3628800, 1.0 / 39916800,  1.0 / 479001600,  1.0 / 6227020800};

// e^x = 2^k e^r with k the integer nearest x/ln2 and |r| <= ln2/2 (a little more when the
// rounding of x/ln2 falls the other way); e^r = 1 + (r + r^2 q(r)). D is double or V4d.
template <class D, class U>
__attribute__((always_inline)) inline D ExpInRange(D x)
{
    const D kd = x * kInvLn2 + kShift;
    const D k = kd - kShift;
    const D r = (x - k * kLn2Hi) - k * kLn2Lo;
    D q = r * kTerms[11] + kTerms[10];
    for (int i = 9; i >= 0; --i)
        q = q * r + kTerms[i];
    const D p = 1.0 + (r + (r * r) * q);
    // The exponent field of 2^k is k + 1023, taken from the low bits of kd.
    const U bits = (__builtin_bit_cast(U, kd) + (1023 - kShiftBits)) << 52;
    return p * __builtin_bit_cast(D, bits);
}

// D and U: vectors of doubles and of 64-bit integers with the same lane count.
template <class D, class U>
__attribute__((always_inline)) inline void GaussianLoop(const double* x, int count, double peak, double halfWidth,
                                                        double ln2, double* out)
{
    constexpr int kLanes = sizeof(D) / sizeof(double);
    const double m = -ln2;
    int i = 0;
    for (; i + kLanes <= count; i += kLanes) {
        D v;
        __builtin_memcpy(&v, x + i, sizeof v);
        const D u = (v - peak) / halfWidth;
        const D a = m * u * u;
        const auto inside = (a >= kMin) & (a <= kMax);
        bool all = true;
        for (int l = 0; l < kLanes; ++l)
            all = all && inside[l];
        if (all) {
            const D e = ExpInRange<D, U>(a);
            __builtin_memcpy(out + i, &e, sizeof e);
        } else {
            for (int l = 0; l < kLanes; ++l)
                out[i + l] = ShapeExp(a[l]);
        }
    }
    for (; i < count; ++i) {
        const double u = (x[i] - peak) / halfWidth;
        out[i] = ShapeExp(m * u * u);
    }
}

void GaussianPlain(const double* x, int count, double peak, double halfWidth, double ln2, double* out)
{
    GaussianLoop<V4d, V4u>(x, count, peak, halfWidth, ln2, out);
}

#if defined(__GNUC__) && defined(__x86_64__)
// The same with 256-bit and 512-bit vectors where the processor has them; without fused
// multiply-add the results are those of the plain version to the bit.
__attribute__((target("avx2"))) void GaussianAvx2(const double* x, int count, double peak, double halfWidth,
                                                  double ln2, double* out)
{
    GaussianLoop<V4d, V4u>(x, count, peak, halfWidth, ln2, out);
}

__attribute__((target("avx512f"))) void GaussianAvx512(const double* x, int count, double peak, double halfWidth,
                                                       double ln2, double* out)
{
    GaussianLoop<V8d, V8u>(x, count, peak, halfWidth, ln2, out);
}
#endif

// The kernels this processor runs, the widest last.
std::vector<GaussianKernel> Kernels()
{
    std::vector<GaussianKernel> kernels = {&GaussianPlain};
#if defined(__GNUC__) && defined(__x86_64__)
    if (__builtin_cpu_supports("avx2"))
        kernels.push_back(&GaussianAvx2);
    if (__builtin_cpu_supports("avx512f"))
        kernels.push_back(&GaussianAvx512);
#endif
    return kernels;
}

} // namespace

double ShapeExp(double x)
{
    if (!(x >= kMin && x <= kMax))
        return std::exp(x);
    return ExpInRange<double, std::uint64_t>(x);
}

void GaussianSamples(const double* x, int count, double peak, double halfWidth, double ln2, double* out)
{
    static const GaussianKernel chosen = Kernels().back();
    chosen(x, count, peak, halfWidth, ln2, out);
}

std::vector<GaussianKernel> AvailableGaussianKernels()
{
    return Kernels();
}
