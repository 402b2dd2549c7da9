#pragma once
// The vector types of the hand-vectorised kernels and the one way they choose an instruction
// set: a kernel marked with a clones attribute is built for AVX2 beside the baseline, and the
// version the processor runs is picked when the library loads.

#include <cstdint>

#if defined(__GNUC__)
// Vectors never cross a call that is not inlined: GCC's note that 32-byte values pass
// differently with and without AVX concerns no call here.
#pragma GCC diagnostic ignored "-Wpsabi"
#endif

#if defined(__GNUC__) && !defined(__clang__) && defined(__x86_64__) && defined(__linux__)
// AVX2 with fused multiply-add beside the baseline: the versions may differ in the last bit.
#define SIMD_CLONES __attribute__((target_clones("arch=x86-64-v3", "default")))
// AVX2 without fused multiply-add beside the baseline: both round alike, the results agree
// to the bit.
#define SIMD_EXACT_CLONES __attribute__((target_clones("avx2", "default")))
#else
#define SIMD_CLONES
#define SIMD_EXACT_CLONES
#endif

namespace simd {

// Two doubles, the width every x86-64 processor has.
typedef double Pair __attribute__((vector_size(16)));
// Four doubles: one AVX2 register, two baseline ones.
typedef double Quad __attribute__((vector_size(32)));
// A comparison of two Quads (all bits set where true), and four 64-bit integers.
typedef long long QuadMask __attribute__((vector_size(32)));
typedef std::uint64_t QuadBits __attribute__((vector_size(32)));

template <class Vector = Quad>
inline __attribute__((always_inline)) Vector Load(const double* p)
{
    Vector v;
    __builtin_memcpy(&v, p, sizeof v);
    return v;
}

template <class Vector>
inline __attribute__((always_inline)) void Store(double* p, Vector v)
{
    __builtin_memcpy(p, &v, sizeof v);
}

} // namespace simd
