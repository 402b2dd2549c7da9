#include "engine/shape_exp.h"

#include <simd/vectors.h>

#include <cmath>
#include <cstdint>

// Built with -ffp-contract=off (see CMakeLists.txt): a fused multiply-add in one path and
// not in the other would break the agreement of single values and grid samples.

namespace {

using simd::Quad;
using simd::QuadBits;

// Inside [kMin, kMax] the result and 2^k are normal numbers.
constexpr double kMin = -708.0;
constexpr double kMax = 709.0;
// e^x = 2^k 2^(j/16) e^r with x = (16k + j) ln2/16 + r, |r| <= ln2/32 (a little more when
// the rounding of 16x/ln2 falls the other way).
constexpr double kInvLn2By16 = 0x1.71547652b82fep4;
// Adding 1.5 * 2^52 rounds to an integer that the low bits of the sum then hold.
constexpr double kShift = 0x1.8p52;
constexpr std::uint64_t kShiftBits = 0x4338000000000000;
// ln2/16 in two parts; the first ends in 21 zero bits, so n * kLn2By16Hi is exact for every
// n here.
constexpr double kLn2By16Hi = 0x1.62e42fee00000p-5;
constexpr double kLn2By16Lo = 0x1.a39ef35793c76p-37;
// 2^(j/16) rounded to a double, and the rest of its exact value.
constexpr double kPowHi[16] = {
    0x1.0000000000000p+0, 0x1.0b5586cf9890fp+0, 0x1.172b83c7d517bp+0, 0x1.2387a6e756238p+0,
    0x1.306fe0a31b715p+0, 0x1.3dea64c123422p+0, 0x1.4bfdad5362a27p+0, 0x1.5ab07dd485429p+0,
    0x1.6a09e667f3bcdp+0, 0x1.7a11473eb0187p+0, 0x1.8ace5422aa0dbp+0, 0x1.9c49182a3f090p+0,
    0x1.ae89f995ad3adp+0, 0x1.c199bdd85529cp+0, 0x1.d5818dcfba487p+0, 0x1.ea4afa2a490dap+0};
constexpr double kPowLo[16] = {
    0x0.0p+0,               0x1.8a62e4adc610bp-54,  -0x1.19041b9d78a76p-55, 0x1.9b07eb6c70573p-54,
    0x1.6f46ad23182e4p-55,  0x1.ada0911f09ebcp-55,  0x1.d4397afec42e2p-56,  0x1.6324c054647adp-54,
    -0x1.bdd3413b26456p-54, -0x1.41577ee04992fp-55, 0x1.6e9f156864b27p-54,  0x1.c7c46b071f2bep-56,
    0x1.7a1cd345dcc81p-54,  0x1.11065895048ddp-55,  0x1.2ed02d75b3707p-55,  -0x1.e9c23179c2893p-54};
// 1/n! for n = 2 .. 7: the Taylor terms beyond stay below 2e-18 for |r| <= ln2/32.
constexpr double kTerms[6] = {1.0 / 2, 1.0 / 6, 1.0 / 24, 1.0 / 120, 1.0 / 720, 1.0 / 5040};

// table[j] per lane; j < 16. Lookups are exact, so every way gives the same values.
template <class D, class U>
__attribute__((always_inline)) inline D Lookup(const double* table, const U& j)
{
    if constexpr (sizeof(D) == sizeof(double)) {
        return table[j];
    } else {
        D t;
        for (int l = 0; l < static_cast<int>(sizeof(D) / sizeof(double)); ++l)
            t[l] = table[j[l]];
        return t;
    }
}

// D is double or a vector of doubles, U the matching unsigned 64-bit type.
template <class D, class U>
__attribute__((always_inline)) inline D ExpInRange(const D& x)
{
    const D kd = x * kInvLn2By16 + kShift;
    const D n = kd - kShift;
    const D r = (x - n * kLn2By16Hi) - n * kLn2By16Lo;
    D q = r * kTerms[5] + kTerms[4];
    for (int i = 3; i >= 0; --i)
        q = q * r + kTerms[i];
    const D s = r + (r * r) * q; // e^r - 1
    // v = n + 16 * 1023 >= 16: its low four bits are j, the rest the exponent field of 2^k.
    const U v = __builtin_bit_cast(U, kd) + (16 * 1023 - kShiftBits);
    const D hi = Lookup<D, U>(kPowHi, v & 15);
    const D lo = Lookup<D, U>(kPowLo, v & 15);
    const D p = hi + (lo + hi * s);
    return p * __builtin_bit_cast(D, (v >> 4) << 52);
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

} // namespace

double ShapeExp(double x)
{
    if (!(x >= kMin && x <= kMax))
        return std::exp(x);
    return ExpInRange<double, std::uint64_t>(x);
}

// Without fused multiply-add the AVX2 version gives the baseline's results to the bit.
SIMD_EXACT_CLONES
void GaussianSamples(const double* x, int count, double peak, double halfWidth, double ln2, double* out)
{
    GaussianLoop<Quad, QuadBits>(x, count, peak, halfWidth, ln2, out);
}
