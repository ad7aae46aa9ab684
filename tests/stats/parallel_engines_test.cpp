// The engines that split their work over threads give the same bits for one thread
// and for eight, on data with ties and frequencies, at sizes around their part
// sizes; the radix sort is also held against std::stable_sort, Qn against a direct
// count of the pairs below and up to it, and the Sn distances against a direct
// selection among each value's distances.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <random>
#include <vector>

#include "engine_samples.h"
#include "host/kes_radix_sort.h"
#include "numeric/zdfciqt.h"
#include "numeric/zmissing.h"
#include "stats/engine_threads.h"
#include "stats/kesscl.h"
#include "stats/zkesnrm.h"

namespace {

struct rec {
  std::uint64_t key;
  std::uint64_t place;  // arrival order, to see stability
  bool operator==(const rec&) const = default;
};

TEST(RadixSortByKey, StableForAnyThreadCount) {
  std::mt19937_64 rng(5);
  for (std::size_t n : {0u, 1u, 2u, 65535u, 65536u, 65537u, 200003u}) {
    for (std::uint64_t spread : {std::uint64_t{7}, std::uint64_t{1} << 40, ~std::uint64_t{0}}) {
      SCOPED_TRACE(std::to_string(n) + " keys below " + std::to_string(spread));
      std::vector<rec> in(n);
      for (std::size_t i = 0; i < n; ++i) in[i] = {rng() % spread ^ (spread > 7 ? std::uint64_t{1} << 63 : 0), i};
      std::vector<rec> want = in;
      std::stable_sort(want.begin(), want.end(), [](const rec& a, const rec& b) { return a.key < b.key; });
      for (int threads : {1, 8}) {
        std::vector<rec> got = in, tmp(n);
        kes::radix_sort_by_key(got.data(), tmp.data(), n, threads);
        EXPECT_TRUE(got == want) << threads << " threads";
      }
    }
  }
}

// Pairs of observations whose distance (as the engine rounds it) is below q, and up to q.
std::pair<long long, long long> pairs_around(const std::vector<double>& x, const std::vector<int>& f, double q) {
  long long below = 0, upto = 0;
  std::vector<long long> cum(x.size() + 1, 0);
  for (std::size_t i = 0; i < x.size(); ++i) cum[i + 1] = cum[i] + f[i];
  for (std::size_t i = 0; i < x.size(); ++i) {
    // Columns j < i within the distance form a suffix of the row.
    auto lo = std::partition_point(x.begin(), x.begin() + i, [&](double xj) { return !(x[i] - xj < q); });
    auto le = std::partition_point(x.begin(), x.begin() + i, [&](double xj) { return !(x[i] - xj <= q); });
    const long long same = static_cast<long long>(f[i]) * (f[i] - 1) / 2;
    below += (0 < q ? same : 0) + f[i] * (cum[i] - cum[lo - x.begin()]);
    upto += (0 <= q ? same : 0) + f[i] * (cum[i] - cum[le - x.begin()]);
  }
  return {below, upto};
}

TEST(QnSelect, SameForAnyThreadCountAndHasTheWantedRank) {
  std::mt19937 rng(9);
  // Around the sweeps' part of 32768 rows; a small direct-selection limit forces rounds.
  for (int m : {32768, 32770, 100003}) {
    SCOPED_TRACE(m);
    std::vector<double> x(m);
    std::vector<int> f(m);
    double v = -50;
    for (int i = 0; i < m; ++i) {
      v += (rng() % 4 == 0 ? 1e-3 : 0.25) * (1 + rng() % 3);  // many equal distances
      x[i] = v;
      f[i] = i % 5 == 0 ? 1 + static_cast<int>(rng() % 4) : 1;
    }
    std::vector<int> iwork(3 * static_cast<std::size_t>(m));
    kes_set_engine_threads(1);
    const double one = kes_qn_select(m, x.data(), f.data(), iwork.data(), 4096);
    kes_set_engine_threads(8);
    const double eight = kes_qn_select(m, x.data(), f.data(), iwork.data(), 4096);
    // Brackets of no width: the bands are found afresh after most rounds.
    const double missed = kes_qn_select(m, x.data(), f.data(), iwork.data(), 4096, 0.0);
    kes_set_engine_threads(1);
    EXPECT_EQ(std::memcmp(&one, &eight, sizeof one), 0) << one << " " << eight;
    EXPECT_EQ(std::memcmp(&one, &missed, sizeof one), 0) << one << " " << missed;
    long long n = 0;
    for (int c : f) n += c;
    const long long h = n / 2 + 1, k = h * (h - 1) / 2;
    const auto [below, upto] = pairs_around(x, f, one);
    EXPECT_LT(below, k);
    EXPECT_GE(upto, k);
  }
}

TEST(DistributionFreeRanks, SameForAnyThreadCount) {
  for (double n : {9999.0, 1.0e6 + 3}) {
    for (int type = 1; type <= 4; ++type) {
      for (double p : {0.01, 0.5, 0.9}) {
        double r1[3], r8[3];
        EXPECT_EQ(zdfciqt(type, n, 0.05, p, &r1[0], &r1[1], &r1[2], 1), 0);
        EXPECT_EQ(zdfciqt(type, n, 0.05, p, &r8[0], &r8[1], &r8[2], 8), 0);
        EXPECT_EQ(std::memcmp(r1, r8, sizeof r1), 0) << n << " type " << type << " p " << p;
      }
    }
  }
}

TEST(NormalityEdf, SameForAnyThreadCount) {
  std::mt19937 rng(4);
  std::normal_distribution<double> normal(3.0, 2.0);
  // Across the blocks of 65536 values the per-value terms are computed in.
  std::vector<kes_test::obs> d;
  for (int i = 0; i < 140000; ++i) d.push_back({std::round(normal(rng) * 1e4) / 1e4, 1 + static_cast<int>(rng() % 3)});
  kes_test::value_list vl(d);
  const kes_moments mom = kes_test::moments_of(vl);
  std::vector<double> x;
  std::vector<int> f;
  for (const kes_valnode* p = vl.head(); p != nullptr; p = p->next) {
    x.push_back(p->key.value);
    f.push_back(p->count);
  }
  kes_nrmres r[2];
  for (int t = 0; t < 2; ++t) {
    kes_set_engine_threads(t == 0 ? 1 : 8);
    zkesnrm_arrays(static_cast<int>(x.size()), &mom, x.data(), f.data(), KES_NRM_BOTH_EST, 1, zmissing(), zmissing(), &r[t]);
  }
  kes_set_engine_threads(1);
  for (auto field : {&kes_nrmres::d, &kes_nrmres::wsq, &kes_nrmres::asq, &kes_nrmres::pd, &kes_nrmres::pwsq,
                     &kes_nrmres::pasq}) {
    EXPECT_FALSE(is_missing(r[0].*field));
    EXPECT_EQ(std::memcmp(&(r[0].*field), &(r[1].*field), sizeof(double)), 0);
  }
}

// The Sn distance of value i directly: the (floor(n/2) + 1)-th smallest of its
// distances to every observation, its own copies at distance 0.
double sn_direct(const std::vector<double>& x, const std::vector<int>& f, std::size_t i) {
  std::vector<std::pair<double, int>> dist;
  long long n = 0;
  for (std::size_t j = 0; j < x.size(); ++j) {
    n += f[j];
    dist.push_back({j == i ? 0.0 : (j < i ? x[i] - x[j] : x[j] - x[i]), f[j]});
  }
  std::sort(dist.begin(), dist.end());
  long long cum = 0;
  for (const auto& [v, c] : dist)
    if ((cum += c) >= n / 2 + 1) return v;
  return zmissing();
}

TEST(SnDistances, SameForAnyThreadCountAndEachTheDirectSelection) {
  std::mt19937 rng(17);
  // Around the sweep's part of 65536 values; each part starts its pointers afresh.
  for (int m : {65535, 65537, 200003}) {
    for (bool unit : {true, false}) {
      SCOPED_TRACE(std::to_string(m) + (unit ? " values once each" : " values with counts"));
      std::vector<double> x(m);
      std::vector<int> f(m);
      double v = -30;
      for (int i = 0; i < m; ++i) {
        // Uneven gaps (a dense middle, sparse tails) and equal gaps, so reaches tie.
        v += (i % 7 == 0 ? 0.5 : 1e-3) * (1 + rng() % 3) * (i < m / 3 || i > 2 * m / 3 ? 4 : 1);
        x[i] = v;
        f[i] = unit ? 1 : 1 + static_cast<int>(rng() % 5);
      }
      std::vector<double> one(m), eight(m);
      std::vector<int> scratch(m + 1);
      kes_set_engine_threads(1);
      ASSERT_EQ(kes_sndist(m, x.data(), f.data(), one.data(), scratch.data()), 0);
      kes_set_engine_threads(8);
      ASSERT_EQ(kes_sndist(m, x.data(), f.data(), eight.data(), scratch.data()), 0);
      kes_set_engine_threads(1);
      EXPECT_EQ(std::memcmp(one.data(), eight.data(), sizeof(double) * m), 0);
      // The last value of each part and the first two of the next, and some between.
      for (long start = 0; start < m; start += 65536)
        for (long i = start - 1; i <= start + 1; ++i)
          if (i >= 0 && i < m) {
            EXPECT_EQ(one[i], sn_direct(x, f, i)) << i;
          }
      for (int k = 0; k < 20; ++k) {
        const std::size_t i = rng() % m;
        EXPECT_EQ(one[i], sn_direct(x, f, i)) << i;
      }
    }
  }
}

}  // namespace

namespace {

// Sn's low median over values in several of its parts (of 2^20 values): the same for
// any thread count, and the weighted low median of the distances sorted directly.
TEST(SnLowMedian, SameForAnyThreadCountAndTheSortedDistancesLowMedian) {
  std::mt19937 rng(23);
  const int m = (1 << 21) + 5;
  std::vector<double> x(m);
  std::vector<int> f(m);
  double v = 0;
  long long n = 0;
  for (int i = 0; i < m; ++i) {
    v += 0.125 * (1 + rng() % 8);  // distances tie often
    x[i] = v;
    f[i] = 1 + static_cast<int>(rng() % 3);
    n += f[i];
  }
  std::vector<double> d(m);
  std::vector<int> iw(m + 1);
  double res[2][KES_SCL_NCELLS];
  for (int t = 0; t < 2; ++t) {
    kes_set_engine_threads(t == 0 ? 1 : 8);
    ASSERT_EQ(kesscl_arrays(5, m, x.data(), f.data(), nullptr, d.data(), iw.data(), res[t], 1), 0);
  }
  kes_set_engine_threads(1);
  EXPECT_EQ(std::memcmp(res[0], res[1], sizeof res[0]), 0);
  // d still holds the distances: their weighted low median by sorting.
  std::vector<std::pair<double, int>> sorted(m);
  for (int i = 0; i < m; ++i) sorted[i] = {d[i], f[i]};
  std::sort(sorted.begin(), sorted.end());
  long long cum = 0;
  double lowmed = zmissing();
  for (const auto& [dist, c] : sorted)
    if ((cum += c) >= (n + 1) / 2) {
      lowmed = dist;
      break;
    }
  EXPECT_EQ(res[0][KES_SCL_SN], 1.1926 * lowmed);
}

}  // namespace
