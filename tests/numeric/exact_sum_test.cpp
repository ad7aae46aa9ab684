// Tests of the exact sums (src/numeric/exact_sum.h): a sum is the same in any order of
// its terms, and a comparison a*c - b*s has the sign exact integer arithmetic gives.
#include "numeric/exact_sum.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <random>
#include <vector>

namespace {

kes_exact_sum sum_of(const std::vector<double>& v) {
  kes_exact_sum s;
  for (double x : v) s.add(x);
  return s;
}

int sign(__int128 v) { return v > 0 ? 1 : v < 0 ? -1 : 0; }

// Sums whose rounding loses a term: 1 beside 1e16, 5e-324 beside 1, three scales.
TEST(ExactSum, KeepsEveryTerm) {
  const struct {
    std::vector<double> a, b;
    int want;  // sign of sum(a) - sum(b)
  } cases[] = {
      {{1, 1e16, 1e16}, {2e16}, 1},
      {{1e16, 1e16}, {1e16, 1, 1e16}, -1},
      {{1e100, 1, 1e-100}, {1e100, 1}, 1},
      {{1, 5e-324}, {1}, 1},
      {{1e300, 5e-324, 1e-300}, {1e-300, 1e300, 5e-324}, 0},
      {{0.1, 0.1, 0.1}, {0.3}, 1},  // 3 x 0.1 is 0.30000000000000001665, above 0.3
      {{0.1, 0.2}, {0.3}, 1},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(kes_exact_compare(1, sum_of(c.a), 1, sum_of(c.b)), c.want) << c.a.size();
    EXPECT_EQ(kes_exact_compare(1, sum_of(c.b), 1, sum_of(c.a)), -c.want) << c.a.size();
  }
}

// Terms of many scales sum to the same value in any order, and the rounded value
// is the sum's double.
TEST(ExactSum, SameInAnyOrder) {
  std::mt19937_64 rng(11);
  for (int t = 0; t < 200; ++t) {
    std::vector<double> v;
    const int n = 1 + static_cast<int>(rng() % 60);
    for (int i = 0; i < n; ++i)
      v.push_back(std::ldexp(static_cast<double>(rng() >> 11) + 1, static_cast<int>(rng() % 400) - 200));
    const kes_exact_sum a = sum_of(v);
    std::shuffle(v.begin(), v.end(), rng);
    const kes_exact_sum b = sum_of(v);
    EXPECT_EQ(kes_exact_compare(1, a, 1, b), 0) << t;
    EXPECT_EQ(a.value(), b.value()) << t;
  }
}

// Against 128-bit integers: terms whole numbers below 2^53 (their sums exact in
// __int128), multipliers 100 and a whole percent, as a weighted percentile compares
// 100 C with t W.
TEST(ExactSum, ComparisonsAgreeWithIntegerArithmetic) {
  std::mt19937_64 rng(12);
  int ties = 0;
  for (int t = 0; t < 2000; ++t) {
    std::vector<double> w;
    const bool equal = t % 3 == 0;
    const int divisors[] = {1, 2, 4, 5, 10, 20};
    const int n = equal ? divisors[rng() % 6] : 1 + static_cast<int>(rng() % 20);
    const double c = static_cast<double>(1 + rng() % (1ULL << 52));
    for (int i = 0; i < n; ++i) w.push_back(equal ? c : static_cast<double>(rng() % (1ULL << (rng() % 53))));
    const int k = static_cast<int>(rng() % static_cast<unsigned>(n + 1));
    // Equal weights at a percent their count meets (k of n is 100 k / n percent).
    const double pct = equal ? 100.0 * k / n : static_cast<double>(rng() % 101);
    __int128 ci = 0, wi = 0;
    kes_exact_sum cs, ws;
    for (int i = 0; i < n; ++i) {
      wi += static_cast<__int128>(w[i]);
      ws.add(w[i]);
      if (i < k) {
        ci += static_cast<__int128>(w[i]);
        cs.add(w[i]);
      }
    }
    const int want = sign(100 * ci - static_cast<__int128>(pct) * wi);
    ties += want == 0;
    EXPECT_EQ(kes_exact_compare(100, cs, pct, ws), want) << t;
  }
  EXPECT_GT(ties, 500);  // equal weights meet their percents
}

}  // namespace
