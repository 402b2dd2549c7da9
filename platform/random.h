#pragma once
// The project's random source: integers 0..32767 like the classic C generator
// (glibc's rand() reaches 2^31-1, which formulas written for 32767 cannot take).
// The state is per thread and seedable, so tests are repeatable.

namespace platform {

inline constexpr int kRandMax = 32767;

// Next value in 0..kRandMax.
int Rand();

// Restarts this thread's sequence; the same seed gives the same sequence.
void SRand(unsigned seed);

// A seed from the steady clock, for callers that want a fresh sequence.
unsigned ClockSeed();

} // namespace platform
