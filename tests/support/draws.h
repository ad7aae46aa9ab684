// Draws from a seeded generator for the data and programs tests write at random: a
// whole number below n, a chance in percent, uniform and normal numbers, a sign, one
// of a list. Each takes from the generator what it always took (a whole number below
// n is rng() % n; a new distribution object every draw), so that a seed keeps
// writing the same data and programs.
#pragma once
#include <cstddef>
#include <cstdint>
#include <random>

namespace kes_test {

struct draws {
  std::mt19937_64& rng;

  int below(int n) const { return static_cast<int>(rng() % static_cast<std::uint64_t>(n)); }
  bool chance(int percent) const { return below(100) < percent; }
  double uniform() const { return std::uniform_real_distribution<double>(0, 1)(rng); }
  double uniform(double lo, double hi) const { return lo + (hi - lo) * uniform(); }
  double normal(double mean, double sd) const { return std::normal_distribution<double>(mean, sd)(rng); }
  double sign() const { return below(2) ? 1.0 : -1.0; }
  template <class T, std::size_t N>
  T pick(const T (&a)[N]) const {
    return a[below(static_cast<int>(N))];
  }
};

}  // namespace kes_test
