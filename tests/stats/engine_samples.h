// Deterministic samples and moments for the tests of the normality, robust-scale and
// trimmed-mean engines. The generators use only integer arithmetic and one IEEE
// division (or product), so the reference software reproduces them bit for bit.
#pragma once

#include <cstring>
#include <vector>

#include "stats/kesscl.h"
#include "stats/zkesloc.h"
#include "stats/zkesmnt.h"
#include "stats/zkesnrm.h"
#include "stats/zkesqnt.h"
#include "stats/zkestwm.h"
#include "stats/kes_stats.h"
#include "stats/zkesmnt.h"
#include "value_list_builder.h"

namespace kes_test {

// Pseudo-uniform value in (0, 1): ((i^2 * 7919 + i * 104729 + 13) mod 1000003) / 1000003.
inline double gen_u(long long i) {
  return static_cast<double>((i * i * 7919 + i * 104729 + 13) % 1000003) / 1000003.0;
}
// u(3i-2) + u(3i-1) + u(3i), i = 1..n.
inline std::vector<double> gen_sum3(int n) {
  std::vector<double> x;
  for (long long i = 1; i <= n; ++i) x.push_back(gen_u(3 * i - 2) + gen_u(3 * i - 1) + gen_u(3 * i));
  return x;
}
// 10 u(i)^2, i = 1..n: skewed to the right.
inline std::vector<double> gen_skew(int n) {
  std::vector<double> x;
  for (long long i = 1; i <= n; ++i) x.push_back(10.0 * gen_u(i) * gen_u(i));
  return x;
}
// Values with FREQ counts shared by several tests (25 observations).
inline std::vector<obs> freq_sample() {
  const double v[8] = {1.5, 2, 2.25, 3, 3.5, 4, 5.75, 7};
  const int f[8] = {2, 5, 1, 7, 3, 4, 2, 1};
  std::vector<obs> d;
  for (int i = 0; i < 8; ++i) d.push_back({v[i], f[i]});
  return d;
}

// Moments of a built list under VARDEF=DF.
inline kes_moments moments_of(value_list& vl) {
  kes_moments m{};
  zkesmnt_arrays(&vl.rec, "DF      ", vl.view(), &m);
  return m;
}

}  // namespace kes_test
