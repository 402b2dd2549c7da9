#include "platform/random.h"

#include <chrono>
#include <cstdint>

namespace platform {

namespace {
// Linear congruential generator of the classic C run time: state*214013+2531011,
// the value is bits 16..30 of the state.
thread_local std::uint32_t t_state = 1;
} // namespace

int Rand()
{
    t_state = t_state * 214013u + 2531011u;
    return static_cast<int>((t_state >> 16) & 0x7FFFu);
}

void SRand(unsigned seed)
{
    t_state = seed;
}

unsigned ClockSeed()
{
    const auto ticks = static_cast<std::uint64_t>(std::chrono::steady_clock::now().time_since_epoch().count());
    return static_cast<unsigned>(ticks ^ (ticks >> 32));
}

} // namespace platform
