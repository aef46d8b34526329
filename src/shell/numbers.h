// The numeric conversions the game relies on, with their exact rounding.
#pragma once

#include <cmath>
#include <cstdint>

namespace vartenos {

// Rounds to the nearest integer, halves to even (2.5 -> 2, 3.5 -> 4), as every float position is
// rounded before it is drawn. Assumes the default floating-point rounding mode.
inline int32_t Arredondar(double v) { return static_cast<int32_t>(std::nearbyint(v)); }

// The integer part rounding down (Int(-0.5) = -1), as the random draws use it.
inline double Int(double v) { return std::floor(v); }
inline float Int(float v) { return std::floor(v); }

}  // namespace vartenos
