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

// Terms each kept as m 2^e in a unit of its own, far beyond the doubles either way: a
// positive term stays positive in every comparison, however far below the others.
TEST(ExactSum, TermsBeyondTheDoublesStayInTheSum) {
  const kes_exact_sum none;
  auto parts = [](std::initializer_list<std::pair<double, int>> t) {
    kes_exact_sum s;
    for (const auto& [m, e] : t) s.add(m, e);
    return s;
  };
  const kes_exact_sum tiny = parts({{1.0, -1074}});
  EXPECT_EQ(kes_exact_compare(1, tiny, 0, none), 1);
  EXPECT_EQ(kes_exact_compare(1, tiny, 1, none), 1);
  EXPECT_EQ(kes_exact_compare(0, tiny, 1, none), 0);
  // Three weights of 1e300 and one of 1e-30 (2^1096 below): the three fall short of W.
  const kes_exact_sum three = parts({{1e300, 0}, {1e300, 0}, {1e300, 0}});
  const kes_exact_sum all = parts({{1e300, 0}, {1e300, 0}, {1e300, 0}, {1e-30, 0}});
  EXPECT_EQ(kes_exact_compare(100, three, 100, all), -1);
  // 5e-324 beside 1.7e308 twice: a sum past the largest double, still exact.
  const kes_exact_sum wide = parts({{5e-324, 0}, {1.7e308, 0}, {1.7e308, 0}});
  EXPECT_EQ(kes_exact_compare(2, parts({{1.7e308, 0}}), 1, wide), -1);
  EXPECT_TRUE(std::isinf(wide.value()));
  // The same weight written in other units is the same sum.
  EXPECT_EQ(kes_exact_compare(1, parts({{1.0, 2000}, {1.0, 2000}}), 1, parts({{0.5, 2002}})), 0);
  EXPECT_EQ(kes_exact_compare(1, parts({{3.0, -1100}}), 1, parts({{1.5, -1099}})), 0);
}

// Whole terms below 2^53 shifted into one unit far from 1 (2^-1100 to 2^1100) compare
// as the integers do: the sums are exact at every scale.
TEST(ExactSum, ComparisonsAtAnyScaleAgreeWithIntegerArithmetic) {
  std::mt19937_64 rng(13);
  for (int e : {-1100, -1074, -600, 0, 700, 1100}) {
    for (int t = 0; t < 300; ++t) {
      const int n = 1 + static_cast<int>(rng() % 20);
      const int k = static_cast<int>(rng() % static_cast<unsigned>(n + 1));
      const double pct = t % 4 == 0 ? 2.5 : static_cast<double>(rng() % 101);
      __int128 ci = 0, wi = 0;
      kes_exact_sum cs, ws;
      for (int i = 0; i < n; ++i) {
        const double w = t % 4 == 0 ? 1.0 : static_cast<double>(rng() % (1ULL << (rng() % 53)));
        wi += static_cast<__int128>(w);
        ws.add(w, e);
        if (i < k) {
          ci += static_cast<__int128>(w);
          cs.add(w, e);
        }
      }
      // 100 C against pct W, with pct 2.5 as 1000 C against 25 W.
      const int want = pct == 2.5 ? sign(1000 * ci - 25 * wi) : sign(100 * ci - static_cast<__int128>(pct) * wi);
      EXPECT_EQ(kes_exact_compare(100, cs, pct, ws), want) << e << " " << t;
    }
  }
}

}  // namespace


// A weight times its count is the weight added count times, the product kept whole
// (a 53-bit mantissa times a count up to 2^31 needs 84 bits); a sum added to another
// is the other with its terms, carries across words included.
TEST(ExactSum, ProductsAndSumsOfSumsKeepEveryBit) {
  struct row {
    double x;
    unsigned f;
  };
  const row rows[] = {{1.0, 1}, {0x1.fffffffffffffp0, 3}, {0x1.fffffffffffffp1023, 7}, {5e-324, 9},
                      {0.1, 1000}, {1e300, 2}, {0x1.fffffffffffffp-1022, 5}};
  for (const row& r : rows) {
    kes_exact_sum times, repeated;
    times.add_times(r.x, r.f);
    for (unsigned i = 0; i < r.f; ++i) repeated.add(r.x);
    EXPECT_EQ(kes_exact_compare(1.0, times, 1.0, repeated), 0) << r.x << " x " << r.f;
  }
  // 2^53 - 1 times 2^31 - 1 against its value split by hand: (2^53 - 1) 2^31 - (2^53 - 1).
  kes_exact_sum big, parts;
  big.add_times(0x1.fffffffffffffp52, 0x7fffffffu);
  parts.add(0x1.fffffffffffffp52, 31);
  kes_exact_sum minus;
  minus.add(0x1.fffffffffffffp52);
  minus.add(big);
  EXPECT_EQ(kes_exact_compare(1.0, minus, 1.0, parts), 0);
  // Sums of sums, every word full so that each carry runs on.
  std::mt19937_64 rng(7);
  kes_exact_sum a, b, all;
  for (int i = 0; i < 2000; ++i) {
    const double x = std::ldexp(static_cast<double>(rng() >> 11), static_cast<int>(rng() % 2000) - 1100);
    (i % 2 ? a : b).add(x);
    all.add(x);
  }
  a.add(b);
  EXPECT_EQ(kes_exact_compare(1.0, a, 1.0, all), 0);
  EXPECT_EQ(a.value(), all.value());
}
