// Drawn data that are exact at an offset: values k 2^-j (k whole) from a fixed
// sequence of uniform numbers, j the finest power at which every c + y is a double.
#pragma once
#include <cmath>
#include <cstdint>
#include <vector>

namespace kes_meta {

struct draws {
  std::uint64_t state;
  double u() { return ((state = state * 6364136223846793005ULL + 1442695040888963407ULL) >> 11) * 0x1p-53 + 0x1p-54; }
  double normal() { return std::sqrt(-2 * std::log(u())) * std::cos(6.283185307179586 * u()); }
};

// The finest j for which c + y is exact for |y| up to 64 s.
inline int finest_power(double c, double s) { return 52 - std::ilogb(2 * c + 64 * s) - 1; }

// n whole numbers k such that k 2^-j is about s times a draw: normal (form 0),
// uniform on (-1/2, 1/2) (1) or exponential (2).
inline std::vector<long long> dyadic_counts(draws& d, int n, double s, int j, int form) {
  std::vector<long long> k;
  for (int i = 0; i < n; ++i) {
    const double g = form == 0 ? d.normal() : form == 1 ? d.u() - 0.5 : -std::log(d.u());
    k.push_back(std::llrint(std::ldexp(s * g, j)));
  }
  return k;
}

// n values about s times a draw of that form, on the finest lattice at which each
// plus c is exact: the sample, and the sample plus c.
struct moved_sample {
  std::vector<double> x, at;
};
inline moved_sample dyadic_at(draws& d, int n, double c, double s, int form) {
  const int j = finest_power(c, s);
  moved_sample m;
  for (long long v : dyadic_counts(d, n, s, j, form)) {
    m.x.push_back(std::ldexp(static_cast<double>(v), -j));
    m.at.push_back(m.x.back() + c);
  }
  return m;
}

}  // namespace kes_meta
