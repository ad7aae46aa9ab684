// The array paths of the statistics engines: the list copy, the batched percentile
// limits and the merged signed ranks, each against brute force on random samples with
// ties and counts (the selections are in scale_selection_test.cpp), and the list forms
// that other code calls against the array forms.
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
#include "stats/kesstat.h"
#include "stats/zkesloc.h"
#include "stats/zkesmnt.h"
#include "stats/zkesqnt.h"
#include "engine_samples.h"
#include "stats/zkesnrm.h"
#include "stats/zkestwm.h"
#include "value_list_builder.h"

using kes_test::obs;
using kes_test::value_list;

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

TEST(ListForms, EqualTheArrayForms) {
  value_list vl(kes_test::freq_sample());
  const kes_moments m = kes_test::moments_of(vl);
  const double v[8] = {1.5, 2, 2.25, 3, 3.5, 4, 5.75, 7};
  const int f[8] = {2, 5, 1, 7, 3, 4, 2, 1};
  kes_valnode* tail = vl.head();
  while (tail->next != nullptr) tail = tail->next;
  kes_nrmres na, nl;
  zkesnrm(1, 8, &m, nullptr, v, f, KES_NRM_BOTH_EST, 1, zmissing(), zmissing(), &na);
  zkesnrm(0, vl.size(), &m, vl.head(), nullptr, nullptr, KES_NRM_BOTH_EST, 1, zmissing(), zmissing(), &nl);
  EXPECT_TRUE(na.w == nl.w && na.d == nl.d && na.asq == nl.asq && na.pwsq == nl.pwsq);
  kes_twmres ta, tl;
  ASSERT_EQ(zkestwm(1, 8, &m, nullptr, nullptr, v, f, 0, 0.3, 3, 0.05, &ta), 0);
  ASSERT_EQ(zkestwm(0, vl.size(), &m, vl.head(), tail, nullptr, nullptr, 0, 0.3, 3, 0.05, &tl), 0);
  double sa[KES_SCL_NCELLS], sl[KES_SCL_NCELLS], dw[16];
  int iw[48];
  ASSERT_EQ(kesscl(1, 5, 8, nullptr, v, f, dw, iw, sa, 0), 0);
  ASSERT_EQ(kesscl(0, 5, 8, vl.head(), nullptr, nullptr, dw, iw, sl, 0), 0);
  for (int i = 0; i < KES_TWM_NCELLS; ++i) EXPECT_EQ(ta.cell[i], tl.cell[i]) << i;
  for (int i = 0; i < KES_SCL_NCELLS; ++i) EXPECT_EQ(sa[i], sl[i]) << i;
}
