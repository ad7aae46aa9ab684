// The weighted, Sn and Qn selections against brute force over all pairs (random samples
// with ties and counts, equally spaced values whose differences tie massively, forced
// drawing rounds, brackets that miss, far outliers) and on 200000 distinct values, where only the
// O(m log m) selections finish quickly.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <random>
#include <vector>

#include "numeric/zmissing.h"
#include "stats/kesscl.h"
#include "stats/zkesloc.h"
#include "stats/zkesmnt.h"
#include "stats/zkesnrm.h"
#include "stats/zkesqnt.h"
#include "stats/zkestwm.h"
#include "stats/kes_stats.h"
#include "stats/kes_wselect.h"
#include "stats/kesscl.h"

namespace {

struct wcell {
  double v;
  long long w;
};

// The smallest value whose cumulative weight (after base) reaches target, by sorting.
double kth(std::vector<wcell> cells, long long target, long long base = 0) {
  std::sort(cells.begin(), cells.end(), [](const wcell& a, const wcell& b) { return a.v < b.v; });
  long long cum = base;
  for (const wcell& c : cells)
    if ((cum += c.w) >= target) return c.v;
  return zmissing();
}

// Qn's order statistic over all pair cells, zero differences included.
double brute_qn(const std::vector<double>& x, const std::vector<int>& f) {
  long long n = 0;
  std::vector<wcell> cells;
  for (size_t i = 0; i < x.size(); ++i) {
    n += f[i];
    cells.push_back({0.0, static_cast<long long>(f[i]) * (f[i] - 1) / 2});
    for (size_t j = 0; j < i; ++j) cells.push_back({std::fabs(x[i] - x[j]), static_cast<long long>(f[i]) * f[j]});
  }
  const long long h = n / 2 + 1;
  return kth(cells, h * (h - 1) / 2);
}

// Sn's low median of the per-value high medians, by sorting every distance.
double brute_sn(const std::vector<double>& x, const std::vector<int>& f) {
  long long n = 0;
  for (int v : f) n += v;
  std::vector<wcell> meds;
  for (size_t i = 0; i < x.size(); ++i) {
    std::vector<wcell> d;
    for (size_t j = 0; j < x.size(); ++j) d.push_back({std::fabs(x[i] - x[j]), f[j]});
    meds.push_back({kth(d, n / 2 + 1), f[i]});
  }
  return kth(meds, (n + 1) / 2);
}

double brute_gini(const std::vector<double>& x, const std::vector<int>& f) {
  long double s = 0, n = 0;
  for (size_t i = 0; i < x.size(); ++i) {
    n += f[i];
    for (size_t j = 0; j < i; ++j) s += static_cast<long double>(std::fabs(x[i] - x[j])) * f[i] * f[j];
  }
  return static_cast<double>(s / (n * (n - 1) / 2));
}

struct scl_out {
  double r[KES_SCL_NCELLS];
  int rc;
};

scl_out run_arrays(const std::vector<double>& x, const std::vector<int>& f) {
  const size_t m = x.size();
  std::vector<double> dw(2 * m);
  std::vector<int> iw(6 * m);
  scl_out o;
  o.rc = kesscl_arrays(5, static_cast<int>(m), x.data(), f.data(), nullptr, dw.data(), iw.data(), o.r, 0);
  return o;
}

// Qn and Sn of the arrays against brute force; Qn also with drawing rounds forced by
// tiny direct-selection sizes.
void expect_brute(const std::vector<double>& x, const std::vector<int>& f) {
  const scl_out o = run_arrays(x, f);
  ASSERT_EQ(o.rc, 0);
  const double qn = brute_qn(x, f);
  EXPECT_EQ(o.r[KES_SCL_QN], 2.2219 * qn);
  EXPECT_EQ(o.r[KES_SCL_SN], 1.1926 * brute_sn(x, f));
  std::vector<int> iw(3 * x.size());
  // A bracket of no width misses the answer on one side or the other in most rounds.
  for (double spread : {3.0, 0.0})
    for (long long limit : {0LL, 3LL, 40LL})
      EXPECT_EQ(kes_qn_select(static_cast<int>(x.size()), x.data(), f.data(), iw.data(), limit, spread), qn)
          << limit << " " << spread;
}

// Ascending distinct values drawn from a grid (ties among differences), with counts.
void random_sample(std::mt19937& rng, int m, double step, int maxf, std::vector<double>& x, std::vector<int>& f) {
  std::vector<int> grid(4 * m);
  for (int i = 0; i < 4 * m; ++i) grid[i] = i;
  std::shuffle(grid.begin(), grid.end(), rng);
  grid.resize(m);
  std::sort(grid.begin(), grid.end());
  x.clear();
  f.clear();
  std::uniform_int_distribution<int> fd(1, maxf);
  for (int g : grid) {
    x.push_back(g * step - 3.0);
    f.push_back(fd(rng));
  }
}

TEST(WeightedSelect, AgreesWithSortingOnTiesZeroWeightsAndOffsets) {
  std::mt19937 rng(31);
  for (int trial = 0; trial < 300; ++trial) {
    const int n = 1 + static_cast<int>(rng() % 60);
    std::vector<wcell> c(n);
    long long total = 0;
    for (wcell& e : c) {
      e.v = static_cast<double>(rng() % 9) * 0.5;  // many equal values
      e.w = static_cast<long long>(rng() % 4);     // zero weights too
      total += e.w;
    }
    const long long base = trial % 3 == 0 ? 5 : 0;
    const double lowest = std::min_element(c.begin(), c.end(), [](auto& a, auto& b) { return a.v < b.v; })->v;
    for (long long t = base - 1; t <= base + total + 1; ++t) {
      std::vector<wcell> work = c;
      const double got = kes_wselect(work.data(), n, base, t, zmissing());
      const double want = t - base <= 0 ? lowest : kth(c, t, base);
      EXPECT_TRUE(is_missing(want) ? is_missing(got) : got == want) << trial << " target " << t;
    }
  }
  EXPECT_TRUE(is_missing(kes_wselect(static_cast<wcell*>(nullptr), 0, 0, 1, zmissing())));
}

TEST(ScaleSelection, RandomSamplesAgreeWithBruteForce) {
  std::mt19937 rng(20261206);
  std::uniform_int_distribution<int> md(2, 100);
  for (int trial = 0; trial < 400; ++trial) {
    const int m = md(rng);
    std::vector<double> x;
    std::vector<int> f;
    // Grid steps that are exact and inexact in binary; counts from 1 up to 1, 9 or 5000.
    const double step = trial % 3 == 0 ? 0.25 : (trial % 3 == 1 ? 0.1 : 1.0 / 3.0);
    random_sample(rng, m, step, trial % 4 == 0 ? 1 : (trial % 4 == 1 ? 5000 : 9), x, f);
    // A far value stretches the range of the distances: nearly all of them share the
    // lowest of Sn's counting buckets.
    if (trial % 7 == 0) x.back() = 1e12;
    if (trial % 7 == 1) x.front() = -3e15;
    SCOPED_TRACE("trial " + std::to_string(trial) + " m=" + std::to_string(m));
    expect_brute(x, f);
    EXPECT_NEAR(run_arrays(x, f).r[KES_SCL_GINI], brute_gini(x, f), 1e-13 * brute_gini(x, f));
  }
}

TEST(ScaleSelection, LargeCountsAndMassiveTies) {
  // Equally spaced values: m - d pairs share each difference d; counts 1 and varied.
  for (int m : {2, 3, 11, 12, 64, 401, 1500}) {
    std::vector<double> x(m);
    std::vector<int> f(m, 1);
    for (int i = 0; i < m; ++i) x[i] = 2.0 * i;
    SCOPED_TRACE(m);
    expect_brute(x, f);
    for (int i = 0; i < m; ++i) f[i] = 1 + (i * 7) % 5;
    expect_brute(x, f);
  }
  // Counts in the hundred thousands: products of counts pass the int range.
  std::mt19937 rng(7);
  for (int trial = 0; trial < 20; ++trial) {
    std::vector<double> x;
    std::vector<int> f;
    random_sample(rng, 30 + trial, 0.5, 200000, x, f);
    SCOPED_TRACE(trial);
    expect_brute(x, f);
  }
  // Two values: all Sn distances equal, a range of zero.
  EXPECT_EQ(run_arrays({1.0, 4.0}, {3, 3}).r[KES_SCL_SN], 1.1926 * 3.0);
}

TEST(ScaleSelection, SelectionDirectly) {
  std::vector<double> x;
  std::vector<int> f;
  for (int i = 1; i <= 12; ++i) {
    x.push_back(i * i);
    f.push_back(1);
  }
  std::vector<double> dw(24);
  std::vector<int> iw(60);
  // n = 12, h = 7, k = 21: the 21st smallest of the differences of squares.
  EXPECT_EQ(zsclqn(12, x.data(), f.data(), dw.data(), iw.data()), brute_qn(x, f));
  // Most observations on one value: k within the zero differences.
  f[3] = 100;
  EXPECT_EQ(zsclqn(12, x.data(), f.data(), dw.data(), iw.data()), 0.0);
  // No observations.
  f.assign(12, 0);
  EXPECT_TRUE(is_missing(zsclqn(12, x.data(), f.data(), dw.data(), iw.data())));
}

TEST(ScaleSelection, TwoHundredThousandDistinctValues) {
  // x_i = ((i * 48271) mod 2147483647) / 1000, i = 1..200000, all distinct.
  const int m = 200000;
  std::vector<double> x(m);
  for (long long i = 1; i <= m; ++i) x[i - 1] = static_cast<double>((i * 48271) % 2147483647) / 1000.0;
  std::sort(x.begin(), x.end());
  const std::vector<int> f(m, 1);
  // All pairs would be 2e10 differences: a quadratic selection would not finish.
  const scl_out o = run_arrays(x, f);
  // R: Sn(x, constant = 1.1926), Qn(x, constant = 2.2219), Sn(x), Qn.old(x).
  EXPECT_NEAR(o.r[KES_SCL_SN], 687661.85643920011, 1e-13 * 687661.86);
  EXPECT_NEAR(o.r[KES_SCL_QN], 632151.15590060002, 1e-13 * 632151.16);
  EXPECT_NEAR(o.r[KES_SCL_STD_SN], 687661.85643920011, 1e-13 * 687661.86);
  EXPECT_NEAR(o.r[KES_SCL_STD_QN], 632139.14525684016, 1e-13 * 632139.15);
}

}  // namespace
