#pragma once
// Four doubles as one value, so that a kernel says how it is to be vectorised (AVX2: one
// register; the baseline: two), and the attributes that build such a kernel twice.

#if defined(__GNUC__) && !defined(__clang__) && defined(__x86_64__) && defined(__linux__)
// A version for processors with AVX2 and FMA beside the baseline one, chosen when the
// library loads.
#define EMBREL_VECTOR_CLONES __attribute__((target_clones("arch=x86-64-v3", "default")))
// The same without fused multiply-add: both versions round alike, the results agree to the bit.
#define EMBREL_EXACT_VECTOR_CLONES __attribute__((target_clones("avx2", "default")))
#else
#define EMBREL_VECTOR_CLONES
#define EMBREL_EXACT_VECTOR_CLONES
#endif

typedef double Quad __attribute__((vector_size(32)));
// The result of comparing two Quads: all bits set where true.
typedef long long QuadMask __attribute__((vector_size(32)));

static inline __attribute__((always_inline)) Quad LoadQuad(const double* p)
{
    Quad q;
    __builtin_memcpy(&q, p, sizeof q);
    return q;
}

static inline __attribute__((always_inline)) void StoreQuad(double* p, Quad q)
{
    __builtin_memcpy(p, &q, sizeof q);
}
