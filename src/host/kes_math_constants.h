// Mathematical constants the module and the runner share, each the double nearest
// its value, written once.
#pragma once

inline constexpr double KES_PI = 3.141592653589793;
inline constexpr double KES_LN2 = 0.6931471805599453;
