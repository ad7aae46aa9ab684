// Tests of the rough and bounded sums (src/numeric/bounded_sum.h): a decided
// comparison has the sign the exact sums give; bounded sums whose terms and steps are
// exact (equal weights, weights of one scale) are decided even on a tie, and only a
// near tie of sums that rounded is left to the exact sums.
#include "numeric/bounded_sum.h"

#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <vector>

#include "numeric/exact_sum.h"

namespace {

kes_bounded_sum bounded(const std::vector<double>& v) {
  kes_bounded_sum s;
  for (double x : v) s.add(x);
  return s;
}

kes_exact_sum exact(const std::vector<double>& v) {
  kes_exact_sum s;
  for (double x : v) s.add(x);
  return s;
}

std::vector<double> repeat(double w, int n) { return std::vector<double>(n, w); }

constexpr int kOpen = kes_bounded_undecided;

// Each row: 100 cum against pct W, the sign by hand (or open where the sums round
// and the two sides tie).
TEST(BoundedSum, DecidesWhereTheBoundAllows) {
  const struct {
    const char* name;
    std::vector<double> cum, total;
    double pct;
    int want;
  } cases[] = {
      // Ten weights of 0.1: 0.1 is 10 % of their sum exactly, though the doubles'
      // sum is 0.9999999999999999; the pair carries the rounding.
      {"tenth of ten tenths", {0.1}, repeat(0.1, 10), 10, 0},
      {"tenth of ten tenths, below", {0.1}, repeat(0.1, 10), 10.5, -1},
      {"three tenths of ten", {0.1, 0.1, 0.1}, repeat(0.1, 10), 30, 0},
      // Forty equal weights: 2.5 % is one of them.
      {"one of forty", {1}, repeat(1, 40), 2.5, 0},
      {"one of forty, above", {1}, repeat(1, 40), 2.4, 1},
      // Weights of one scale: quarters whose sum is exact.
      {"quarters", {0.25, 0.75}, {0.25, 0.75, 0.5, 0.5}, 50, 0},
      // 5000 + 0.2 rounds, but the pair keeps its error: 20 % of five such pairs is
      // met exactly.
      {"0.2 and 5000 tie", {0.2, 5000}, {0.2, 5000, 0.2, 5000, 0.2, 5000, 0.2, 5000, 0.2, 5000}, 20, 0},
      // Far from a tie the same rounded sums decide.
      {"0.2 and 5000 far", {0.2, 5000}, {0.2, 5000, 0.2, 5000, 0.2, 5000, 0.2, 5000, 0.2, 5000}, 30, -1},
      {"0.2 alone", {0.2}, {0.2, 5000, 0.2, 5000, 0.2, 5000, 0.2, 5000, 0.2, 5000}, 0, 1},
      // A weight 2^-60 below the others stays in the pair; one 2^-130 below rounds
      // away from it too, and a tie with it is open.
      {"kept weight", {1, 0x1p-60}, {1, 0x1p-60, 1}, 50, 1},
      {"lost weight", {1, 0x1p-60, 0x1p-130}, {1, 0x1p-60, 0x1p-130, 1, 0x1p-60, 0x1p-130}, 50, kOpen},
      {"nothing yet", {}, {1, 2}, 0, 0},
      // A weight of 1e-16 beside two of 0.6: the pair holds it, the doubles' sides tie,
      // and the exact products decide by their largest part, not their smallest
      // (the rounding error of 100 x 0.6, of the other sign).
      {"tiny third weight, median", {0.6}, {0.6, 0.6, 1e-16}, 50, -1},
      {"tiny third weight, all but it", {0.6, 0.6}, {0.6, 0.6, 1e-16}, 100, -1},
      {"tiny third weight, all", {0.6, 0.6, 1e-16}, {0.6, 0.6, 1e-16}, 100, 0},
      {"tiny weight first", {1e-16, 0.6}, {1e-16, 0.6, 0.6}, 50, 1},
  };
  for (const auto& c : cases) {
    const kes_bounded_sum cum = bounded(c.cum), total = bounded(c.total);
    EXPECT_EQ(kes_bounded_compare(100.0, cum, c.pct, total), c.want) << c.name;
    const int truth = kes_exact_compare(100.0, exact(c.cum), c.pct, exact(c.total));
    if (c.want != kOpen) {
      EXPECT_EQ(c.want, truth) << c.name;
    }
  }
}

// Over sums of weights of many kinds (four-decimal weights as survey weights, equal
// weights, quarters, weights of mixed scale, subnormal weights): every decided sign is
// the exact sums' sign, and weights exact and of one scale are always decided.
TEST(BoundedSum, DecidedSignsAreExact) {
  std::mt19937_64 rng(5);
  std::uniform_int_distribution<int> dec(5000, 20000);
  const int pcts[] = {0, 1, 5, 10, 25, 50, 75, 90, 95, 99, 100};
  for (int kind = 0; kind < 5; ++kind) {
    int decided = 0, tried = 0;
    for (int t = 0; t < 60; ++t) {
      std::vector<double> w;
      const int n = 1 + static_cast<int>(rng() % 200);
      for (int i = 0; i < n; ++i) {
        switch (kind) {
          case 0: w.push_back(dec(rng) / 1e4); break;
          case 1: w.push_back(0.1); break;
          case 2: w.push_back(0.25 * static_cast<double>(1 + rng() % 8)); break;
          case 3: w.push_back(std::ldexp(1.0 + static_cast<double>(rng() % 1000), static_cast<int>(rng() % 120) - 60)); break;
          default: w.push_back(std::ldexp(static_cast<double>(1 + rng() % 1000), -1074)); break;
        }
      }
      const kes_bounded_sum total = bounded(w);
      const kes_exact_sum etotal = exact(w);
      kes_rough_sum rtotal;
      for (double x : w) rtotal.add(x);
      kes_bounded_sum cum;
      kes_exact_sum ecum;
      kes_rough_sum rcum;
      for (double x : w) {
        cum.add(x);
        ecum.add(x);
        rcum.add(x);
        for (int p : pcts) {
          const int truth = kes_exact_compare(100.0, ecum, p, etotal);
          if (const int r = kes_rough_compare(100.0, rcum, p, rtotal); r != kOpen) {
            ASSERT_EQ(r, truth) << "rough " << kind << " " << t << " P" << p;
          }
          const int s = kes_bounded_compare(100.0, cum, p, total);
          ++tried;
          if (s == kOpen) continue;
          ++decided;
          ASSERT_EQ(s, truth) << kind << " " << t << " P" << p;
        }
      }
    }
    // Survey weights, equal weights, quarters and subnormal weights sum exactly in
    // the pair: every comparison is decided; sums of mixed scale round, and only
    // their near ties are open.
    if (kind == 3) {
      EXPECT_GT(decided, tried * 9 / 10);
    } else {
      EXPECT_EQ(decided, tried) << kind;
    }
  }
}

// A term known only within its error, as an exact sum read in doubles is: a sum with
// it is never taken as exact, and a tie with it is open (5000.2 read from the exact
// sums of 0.2 and 5000, as a value weighted 0.2 and 5000 keeps it).
TEST(BoundedSum, TermErrorsOpenTies) {
  const double pair = 5000.0 + 0.2;
  const double err = pair * 0x1p-44;
  kes_bounded_sum one, five;
  one.add(pair, err);
  for (int i = 0; i < 5; ++i) five.add(pair, err);
  EXPECT_EQ(kes_bounded_compare(100.0, one, 20.0, five), kOpen);
  EXPECT_EQ(kes_bounded_compare(100.0, one, 30.0, five), -1);
  EXPECT_EQ(kes_bounded_compare(100.0, one, 10.0, five), 1);
  kes_bounded_sum a, b;
  a.add(1.0, 0x1p-60);
  b.add(1.0);
  EXPECT_FALSE(a.exact());
  EXPECT_TRUE(b.exact());
  EXPECT_EQ(kes_bounded_compare(1.0, a, 1.0, b), kOpen);
  EXPECT_EQ(kes_bounded_compare(1.0, a, 0.5, b), 1);
  kes_bounded_sum inf;
  inf.add(1e308);
  inf.add(1e308);
  EXPECT_EQ(kes_bounded_compare(1.0, inf, 1.0, b), kOpen);
}

}  // namespace
