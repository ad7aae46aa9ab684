// The scales at which the tests' data generators draw values, written once so that
// the fuzzer's data, the metamorphic samples and the runner tests mean the same by a
// kind's name: an amount of a few units (0.5 to about 10) times the unit.
#pragma once
#include <cmath>

namespace kes_test {

inline constexpr double kNanoUnit = 1e-9;        // the "nano" kinds
inline constexpr double kUnit1eMinus20 = 1e-20;  // the "1e-20" kinds: between atto and zepto
inline constexpr double kTinyUnit = 1e-300;      // the "tiny" kinds: near the least normal double

// An amount of a unit.
inline double in_unit(double amount, double unit) { return amount * unit; }

// k times the least subnormal double, exact for k below 2^52.
inline double subnormal_multiple(double k) { return std::ldexp(k, -1074); }

}  // namespace kes_test
