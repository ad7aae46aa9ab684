// The array paths of the statistics engines: the batched percentile limits and the
// merged signed ranks, each against brute force on random samples with ties and counts
// (the selections are in scale_selection_test.cpp).
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
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
    zkesmnt_arrays(&vl.rec, "DF      ", vl.view(), &mom);
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
    zkesqnt_arrays(1 + trial % 5, &mom, vl.view(), &q);
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
    zkesmnt_arrays(&vl.rec, "DF      ", vl.view(), &mom);
    kes_locres res{};
    zkesloc_arrays(&mom, vl.view(), mu0, 0, 1, &res);

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
