// 44 values (one missing) whose gamma likelihood with an estimated threshold has a flat
// maximum: the fits of x and of x + 192 stop at parameters 3e-6 apart, both maxima.
#pragma once
#include <cmath>
#include <vector>

namespace kes_meta {

inline std::vector<double> flat_gamma_maximum_values() {
  return {96.69921875, 118.62109375, 76.12109375, 86.96484375, 72.734375,   103.80859375, 70.0234375,  53.24609375,
          79.74609375, 83.140625,    79.109375,   100,         73.625,      96.0234375,   91.30078125, 58.7734375,
          81.80859375, 84.453125,    74.59375,    69.87109375, 89.3046875,  72.25390625,  59.828125,   66.14453125,
          63.33203125, 56.0546875,   63.109375,   75.765625,   83.625,      90.1640625,   90.09765625, 65.5078125,
          92.87890625, 59.796875,    71.7421875,  99.12109375, 92.01953125, 86.109375,    86.63671875, 64.94140625,
          NAN,         75.5859375,   73.23046875, 61.34375};
}

}  // namespace kes_meta
