#pragma once
// Tables shared by the number formatting code (core/number_text*.cpp).

namespace number_text::tables {

// The powers of ten a double holds exactly (10^0 .. 10^22), padded with 10^22 to 32 entries
// so that vector code can permute it in four registers.
constexpr int kMaxExactPow10 = 22;
alignas(64) inline constexpr double kPow10[32] = {
    1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,  1e8,  1e9,  1e10, 1e11, 1e12, 1e13, 1e14, 1e15,
    1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22, 1e22, 1e22, 1e22, 1e22, 1e22, 1e22, 1e22, 1e22, 1e22};

} // namespace number_text::tables
