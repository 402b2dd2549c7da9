#pragma once
// Numeric constants shared by the colour formulas. They are the values the calculator has
// always used (and stored results depend on), not the exact mathematical ones.

namespace colour {

inline constexpr double kPi = 3.14159265;
inline constexpr double kDegreesPerRadian = 57.29577957855229; // 180/kPi

} // namespace colour
