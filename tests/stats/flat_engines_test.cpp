// The array paths of the statistics engines: the list copy, weighted selection, the
// drawn-bracket Qn selection with forced rounds, the batched percentile limits and the
// merged signed ranks, each against brute force on random samples with ties and counts.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <random>
#include <vector>

#include "numeric/zmissing.h"
#include "stats/engine_list_forms.h"
#include "stats/kes_flatvals.h"
#include "stats/kes_stats.h"
#include "stats/kes_wselect.h"
#include "stats/kesscl.h"
#include "stats/kesstat.h"
#include "stats/zkesloc.h"
#include "stats/zkesmnt.h"
#include "stats/zkesqnt.h"
#include "value_list_builder.h"

using kes_test::obs;
using kes_test::value_list;

namespace {

struct wcell {
  double v;
  long long w;
};

// Smallest value whose cumulative weight (after base) reaches target, by sorting.
double sorted_pick(std::vector<wcell> c, long long base, long long target) {
  std::sort(c.begin(), c.end(), [](const wcell& a, const wcell& b) { return a.v < b.v; });
  long long cum = base;
  for (const wcell& e : c) {
    cum += e.w;
    if (cum >= target) return e.v;
  }
  return zmissing();
}

// Qn's order statistic over every pair, the zero differences of repeated values included.
double brute_qn(const std::vector<double>& x, const std::vector<int>& f) {
  long long n = 0;
  std::vector<wcell> cells;
  for (size_t i = 0; i < x.size(); ++i) {
    n += f[i];
    cells.push_back({0.0, static_cast<long long>(f[i]) * (f[i] - 1) / 2});
    for (size_t j = 0; j < i; ++j) cells.push_back({x[i] - x[j], static_cast<long long>(f[i]) * f[j]});
  }
  const long long h = n / 2 + 1;
  return sorted_pick(cells, 0, h * (h - 1) / 2);
}

// Distinct grid values (differences tie often), ascending, with counts 1..maxf.
void grid_sample(std::mt19937& rng, int m, double step, int maxf, std::vector<double>& x, std::vector<int>& f) {
  std::vector<int> g(3 * m);
  for (int i = 0; i < 3 * m; ++i) g[i] = i;
  std::shuffle(g.begin(), g.end(), rng);
  g.resize(m);
  std::sort(g.begin(), g.end());
  std::uniform_int_distribution<int> fd(1, maxf);
  x.clear();
  f.clear();
  for (int v : g) {
    x.push_back(v * step - 2.0);
    f.push_back(fd(rng));
  }
}

}  // namespace

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
    for (long long t = base - 1; t <= base + total + 1; ++t) {
      std::vector<wcell> work = c;
      const double got = kes_wselect(work.data(), n, base, t, zmissing());
      const double want = t - base <= 0 ? std::min_element(c.begin(), c.end(), [](const wcell& a, const wcell& b) {
                                            return a.v < b.v;
                                          })->v
                                         : sorted_pick(c, base, t);
      if (is_missing(want))
        EXPECT_TRUE(is_missing(got)) << trial << " target " << t;
      else
        EXPECT_EQ(got, want) << trial << " target " << t;
    }
  }
  EXPECT_TRUE(is_missing(kes_wselect(static_cast<wcell*>(nullptr), 0, 0, 1, zmissing())));
}

TEST(QnSelection, DrawnBracketsAgreeWithBruteForce) {
  // A tiny direct-selection size forces the drawing rounds even on small samples.
  std::mt19937 rng(20261207);
  for (int trial = 0; trial < 300; ++trial) {
    const int m = 11 + static_cast<int>(rng() % 90);
    std::vector<double> x;
    std::vector<int> f;
    const double step = trial % 3 == 0 ? 0.25 : (trial % 3 == 1 ? 0.1 : 1.0 / 3.0);
    grid_sample(rng, m, step, trial % 4 == 0 ? 1 : (trial % 4 == 1 ? 5000 : 7), x, f);
    std::vector<int> iw(5 * m);
    const double want = brute_qn(x, f);
    for (long long limit : {0LL, 3LL, 40LL}) {
      EXPECT_EQ(kes_qn_select(m, x.data(), f.data(), iw.data(), limit), want)
          << "trial " << trial << " m " << m << " limit " << limit;
    }
  }
}

TEST(QnSelection, EquallySpacedValuesTieMassively) {
  // x = 0..m-1: every difference d is shared by m - d pairs, so brackets land on ties.
  for (int m : {11, 50, 333}) {
    std::vector<double> x(m);
    std::vector<int> f(m, 1);
    for (int i = 0; i < m; ++i) x[i] = i;
    std::vector<int> iw(5 * m);
    EXPECT_EQ(kes_qn_select(m, x.data(), f.data(), iw.data(), 0), brute_qn(x, f)) << m;
    f.assign(m, 3);
    EXPECT_EQ(kes_qn_select(m, x.data(), f.data(), iw.data(), 0), brute_qn(x, f)) << m;
  }
}

TEST(FlatValues, CopiesTheListAndLinksItBack) {
  value_list vl({{4.0, 2, 1.5}, {-1.0, 1, 2.0}, {2.5, 3, 0.5}, {4.0, 1, 4.0}, {9.0, 1, 1.0}}, true);
  for (int hint : {0, 1, 4, 100}) {  // growth past a short hint, and a long one
    kes_flatvals fv;
    ASSERT_EQ(kes_flatten(vl.head(), hint, &fv), 0);
    ASSERT_EQ(fv.m, 4);
    const double xs[4] = {-1.0, 2.5, 4.0, 9.0};
    const int fs[4] = {1, 3, 3, 1};
    kes_valnode* p = vl.head();
    for (int i = 0; i < 4; ++i, p = p->next) {
      EXPECT_EQ(fv.x[i], xs[i]);
      EXPECT_EQ(fv.f[i], fs[i]);
      ASSERT_NE(fv.w, nullptr);
      EXPECT_EQ(fv.w[i], p->wt->sumw);
      EXPECT_EQ(fv.w15[i], p->wt->sumw15);
      EXPECT_EQ(fv.w2[i], p->wt->sumw2);
    }
    // Value 4: weights 1.5 * 2 + 4 * 1.
    EXPECT_DOUBLE_EQ(fv.w[2], 7.0);
    // Back links from the tail reach the head in reverse order.
    int back = 3;
    for (const kes_valnode* q = fv.tail; q != nullptr; q = q->right, --back) EXPECT_EQ(q->key.value, xs[back]);
    EXPECT_EQ(back, -1);
  }
  kes_flatvals empty;
  EXPECT_EQ(kes_flatten(nullptr, 5, &empty), 0);
  EXPECT_EQ(empty.m, 0);
  EXPECT_EQ(empty.tail, nullptr);
}

TEST(FlatValues, PlainCopyLeavesLinksAlone) {
  auto vl = value_list::of({3.0, 1.0, 2.0});
  for (kes_valnode* p = vl.head(); p != nullptr; p = p->next) p->right = p;  // a marker
  kes_flatvals fv;
  ASSERT_EQ(kes_flatten_copy(vl.head(), 0, &fv), 0);
  EXPECT_EQ(fv.m, 3);
  EXPECT_EQ(fv.w, nullptr);  // no weight records
  for (kes_valnode* p = vl.head(); p != nullptr; p = p->next) EXPECT_EQ(p->right, p);
}

TEST(FlatValues, PercentileLimitValuesSitAtTheirRanks) {
  // The distribution-free limits are fetched in one batched walk: each must be the
  // value at its order statistic, whatever the order of the requests.
  std::mt19937 rng(11);
  for (int trial = 0; trial < 40; ++trial) {
    std::vector<obs> d;
    const int nobs = 30 + static_cast<int>(rng() % 300);
    for (int i = 0; i < nobs; ++i) d.push_back({static_cast<double>(rng() % 50), 1 + static_cast<int>(rng() % 4)});
    value_list vl(d);
    kes_moments mom{};
    kes_valnode *h, *m;
    zkesmnt(&vl.rec, "DF      ", &h, &m, &mom);
    std::vector<double> sorted;
    for (const kes_valnode* p = vl.head(); p != nullptr; p = p->next)
      for (int k = 0; k < p->count; ++k) sorted.push_back(p->key.value);
    kes_qntblk q{};
    double est[KES_NSTDPCT], ntl[KES_NSTDPCT], ntu[KES_NSTDPCT], dfl[KES_NSTDPCT], dfu[KES_NSTDPCT],
        lr[KES_NSTDPCT], ur[KES_NSTDPCT], cov[KES_NSTDPCT];
    for (int i = 0; i < KES_NSTDPCT; ++i) dfl[i] = dfu[i] = lr[i] = ur[i] = zmissing();
    q.mode = 1;
    q.count = KES_NSTDPCT;
    q.prob = const_cast<double*>(kes_std_percent);
    q.dfkind = trial % 2 ? 4 : 5;
    q.dfalpha = 0.05;
    q.est = est;
    q.ntlower = ntl;
    q.ntupper = ntu;
    q.dflower = dfl;
    q.dfupper = dfu;
    q.lrank = lr;
    q.urank = ur;
    q.coverage = cov;
    zkesqnt(0, 1 + trial % 5, &mom, vl.head(), 0, &q);
    EXPECT_EQ(q.distinct, vl.size());
    int checked = 0;
    for (int i = 0; i < KES_NSTDPCT; ++i) {
      if (!is_missing(lr[i])) {
        const long r = std::clamp(static_cast<long>(std::ceil(lr[i])), 1L, static_cast<long>(sorted.size()));
        EXPECT_EQ(dfl[i], sorted[r - 1]) << trial << " " << i;
        ++checked;
      }
      if (!is_missing(ur[i])) {
        const long r = std::clamp(static_cast<long>(std::ceil(ur[i])), 1L, static_cast<long>(sorted.size()));
        EXPECT_EQ(dfu[i], sorted[r - 1]) << trial << " " << i;
      }
    }
    EXPECT_GT(checked, 0);
  }
}

TEST(FlatValues, SignedRankAgreesWithMidranksBySorting) {
  // Grid values make ties across mu0 exact; S = sum of the midranks of |x - mu0| over
  // the positive differences minus n(n+1)/4.
  std::mt19937 rng(99);
  for (int trial = 0; trial < 100; ++trial) {
    std::vector<obs> d;
    const int nobs = 25 + static_cast<int>(rng() % 200);
    for (int i = 0; i < nobs; ++i)
      d.push_back({static_cast<double>(static_cast<int>(rng() % 41) - 20) * 0.5, 1 + static_cast<int>(rng() % 3)});
    const double mu0 = static_cast<double>(static_cast<int>(rng() % 11) - 5) * 0.5;
    value_list vl(d);
    kes_moments mom{};
    kes_valnode *h, *m;
    zkesmnt(&vl.rec, "DF      ", &h, &m, &mom);
    kes_flatvals fv;
    ASSERT_EQ(kes_flatten(vl.head(), 0, &fv), 0);
    kes_locres res{};
    zkesloc_arrays(&mom, &fv, mu0, 0, 1, &res);

    struct dev {
      double a;
      bool pos;
    };
    std::vector<dev> devs;
    for (const obs& o : d)
      if (o.x != mu0)
        for (int k = 0; k < o.f; ++k) devs.push_back({std::fabs(o.x - mu0), o.x > mu0});
    std::sort(devs.begin(), devs.end(), [](const dev& a, const dev& b) { return a.a < b.a; });
    double splus = 0.0, npos = 0.0;
    for (size_t i = 0; i < devs.size();) {
      size_t j = i;
      while (j < devs.size() && devs[j].a == devs[i].a) ++j;
      const double mid = (static_cast<double>(i + 1) + static_cast<double>(j)) / 2.0;
      for (size_t k = i; k < j; ++k)
        if (devs[k].pos) {
          splus += mid;
          npos += 1.0;
        }
      i = j;
    }
    const double n = static_cast<double>(devs.size());
    EXPECT_EQ(res.v[KES_LOC_NDIFF], n) << trial;
    EXPECT_EQ(res.v[KES_LOC_NABOVE], npos) << trial;
    EXPECT_DOUBLE_EQ(res.v[KES_LOC_S], splus - n * (n + 1.0) / 4.0) << trial;
  }
}

namespace {

// Sn's low median of the per-value high medians, by sorting every distance.
double brute_sn(const std::vector<double>& x, const std::vector<int>& f) {
  long long n = 0;
  for (int c : f) n += c;
  std::vector<wcell> meds;
  for (size_t i = 0; i < x.size(); ++i) {
    std::vector<wcell> d;
    for (size_t j = 0; j < x.size(); ++j) d.push_back({std::fabs(x[i] - x[j]), f[j]});
    meds.push_back({sorted_pick(d, 0, n / 2 + 1), f[i]});
  }
  return sorted_pick(meds, 0, (n + 1) / 2);
}

double sn_of(const std::vector<double>& x, const std::vector<int>& f) {
  const int m = static_cast<int>(x.size());
  std::vector<double> d(m);
  std::vector<int> iw(5 * m);
  double r[KES_SCL_NCELLS];
  EXPECT_EQ(kesscl_arrays(5, m, x.data(), f.data(), nullptr, d.data(), iw.data(), r, 1), 0);
  return r[KES_SCL_SN];
}

}  // namespace

TEST(SnSelection, OutliersAndEqualSpacingAgreeWithBruteForce) {
  std::mt19937 rng(123);
  for (int trial = 0; trial < 60; ++trial) {
    std::vector<double> x;
    std::vector<int> f;
    grid_sample(rng, 15 + static_cast<int>(rng() % 60), 0.1, trial % 2 ? 1 : 6, x, f);
    // A far value stretches the range of the distances: nearly all of them share the
    // lowest of the counting buckets.
    if (trial % 3 == 0) x.back() = 1e12;
    if (trial % 3 == 1) x.front() = -3e15;
    EXPECT_EQ(sn_of(x, f), 1.1926 * brute_sn(x, f)) << trial;
  }
  // Equally spaced values each once: every distance the same range, ties everywhere.
  for (int m : {2, 3, 10, 41}) {
    std::vector<double> x(m);
    for (int i = 0; i < m; ++i) x[i] = 2.0 * i;
    const std::vector<int> f(m, 1);
    EXPECT_EQ(sn_of(x, f), 1.1926 * brute_sn(x, f)) << m;
  }
  // Two values: all Sn distances equal, a range of zero.
  EXPECT_EQ(sn_of({1.0, 4.0}, {3, 3}), 1.1926 * 3.0);
}
