// Spreads and tests at offsets: every robust scale estimate, Shapiro-Wilk W and the
// trimmed and winsorized standard errors are the same for x and x + c wherever
// x + c is exact, and scale exactly with 2^k. The data are R's data sets and drawn
// samples moved to c = 1e6 .. 1e15: y = x + c as the double it rounds to, and
// y - c (exact) the sample it stands for, so that the relation is one of equality.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "engine_samples.h"
#include "metamorphic/dyadic_draws.h"
#include "support/r_columns.h"
#include "numeric/zmissing.h"
#include "stats/kes_stats.h"
#include "stats/kesscl.h"
#include "stats/zkesnrm.h"
#include "stats/zkestwm.h"

namespace {

using kes_test::value_list;

std::vector<double> scl(const std::vector<double>& x, int def) {
  value_list vl = value_list::of(x);
  const int m = vl.size();
  std::vector<double> dw(2 * static_cast<size_t>(m) + 1), r(KES_SCL_NCELLS);
  std::vector<int> iw(6 * static_cast<size_t>(m) + 1);
  kesscl_arrays(def, m, vl.view()->x, vl.view()->f, nullptr, dw.data(), iw.data(), r.data(), 0);
  return r;
}

double shapiro_w(const std::vector<double>& x) {
  value_list vl = value_list::of(x);
  const kes_moments m = kes_test::moments_of(vl);
  kes_nrmres r;
  zkesnrm_arrays(vl.size(), &m, vl.view()->x, vl.view()->f, KES_NRM_BOTH_EST, 0, zmissing(), zmissing(), &r);
  return r.w;
}

// The standard errors of the trimmed and the winsorized mean (10% and 2 observations).
std::vector<double> twm_se(const std::vector<double>& x) {
  value_list vl = value_list::of(x);
  const kes_moments m = kes_test::moments_of(vl);
  std::vector<double> se;
  for (int trimmed : {1, 0})
    for (double amount : {0.1, 2.0}) {
      kes_twmres r;
      zkestwm_arrays(vl.size(), &m, vl.view()->x, vl.view()->f, trimmed, amount, 0.0, 0.05, &r);
      se.push_back(r.cell[KES_TWM_SE]);
    }
  return se;
}

const char* const kScl[KES_SCL_NCELLS] = {"QRANGE", "GINI", "MAD", "SN", "QN",
                                          "STD_QRANGE", "STD_GINI", "STD_MAD", "STD_SN", "STD_QN"};

// Every statistic of the sample at the offset equals that of the sample it stands for,
// and that of the sample times 2^k is the statistic times 2^k (W unchanged).
void expect_same(const std::vector<double>& at, const std::vector<double>& x) {
  for (int def = 1; def <= 5; ++def) {
    const std::vector<double> a = scl(at, def), b = scl(x, def);
    for (int k : {-40, 9}) {
      std::vector<double> xs;
      for (double v : x) xs.push_back(std::ldexp(v, k));
      const std::vector<double> s = scl(xs, def);
      for (int i = 0; i < KES_SCL_NCELLS; ++i) EXPECT_EQ(s[i], std::ldexp(b[i], k)) << kScl[i] << " times 2^" << k;
    }
    for (int i = 0; i < KES_SCL_NCELLS; ++i) {
      ASSERT_FALSE(is_missing(b[i])) << kScl[i];
      EXPECT_EQ(a[i], b[i]) << kScl[i] << ", PCTLDEF=" << def;
    }
    // The OUTPUT statement's QRANGE is the robust table's.
    value_list vl = value_list::of(at);
    EXPECT_EQ(kes_qrange(def, vl.size(), vl.view()->x, vl.view()->f, nullptr), a[KES_SCL_QRANGE]) << def;
  }
  if (x.size() <= 2000) {
    EXPECT_EQ(shapiro_w(at), shapiro_w(x)) << "W";
  }
  const std::vector<double> a = twm_se(at), b = twm_se(x);
  for (std::size_t i = 0; i < a.size(); ++i) EXPECT_EQ(a[i], b[i]) << "standard error " << i;
}

struct moved {
  std::vector<double> at, x;
};
moved move(const std::vector<double>& x, double c) {
  moved m;
  for (double v : x) {
    m.at.push_back(v + c);
    m.x.push_back(m.at.back() - c);
  }
  return m;
}

TEST(SpreadShift, RDataSetsAtOffsetsHaveTheSpreadsOfTheSamplesTheyStandFor) {
  for (const auto& col : kes_meta::r_columns())
    for (double c : {1e6, 1e7, 1e8, 1.7e9, 1e12}) {
      SCOPED_TRACE(std::string(col.name) + " + " + std::to_string(c));
      const moved m = move(col.x, c);
      expect_same(m.at, m.x);
    }
}

TEST(SpreadShift, DrawnSamplesAtOffsetsHaveTheirOwnSpreads) {
  kes_meta::draws d{80411};
  int k = 0;
  for (double c : {1e6, 1.7e9, 0x1p40, 1e12, 1e15})
    for (double share : {1e-3, 1e-7, 1e-10}) {
      const int form = k++ % 3;
      const int n = 5 + static_cast<int>(d.u() * 300);
      const kes_meta::moved_sample m = kes_meta::dyadic_at(d, n, c, std::fmax(c * share, 0x1p-20), form);
      SCOPED_TRACE("c " + std::to_string(c) + ", spread " + std::to_string(share) + ", n " + std::to_string(n));
      expect_same(m.at, m.x);
    }
}

// The values the listing printed wrong, against the exact differences of the stored
// values (the South's illiteracy + 1e12 is stored in units of 2^-13).
TEST(SpreadShift, IlliteracyOfTheSouthAtOneTrillion) {
  const std::vector<double>* south = nullptr;
  for (const auto& col : kes_meta::r_columns())
    if (std::string(col.name) == "state.x77 Illiteracy, South") south = &col.x;
  ASSERT_NE(south, nullptr);
  const moved m = move(*south, 1e12);
  // 16 values, definition 5: Q1 the mean of the 4th and 5th, Q3 of the 12th and 13th
  // (1.3, 1.4 and 2.1, 2.2, stored as 1e12 plus the numbers below; R's sprintf).
  const double q = ((2.0999755859375 + 2.199951171875) - (1.300048828125 + 1.4000244140625)) / 2.0;
  EXPECT_EQ(scl(m.at, 5)[KES_SCL_QRANGE], q);
  EXPECT_EQ(q, 0.7999267578125);
}

// LakeHuron's MAD is 0.875 (R: mad(LakeHuron, constant = 1)), at 1.7e9 too.
TEST(SpreadShift, LakeHuronMadAtAUnixTime) {
  const std::vector<double>& lh = kes_meta::r_columns().front().x;
  EXPECT_NEAR(scl(lh, 5)[KES_SCL_MAD], 0.875, 1e-13);
  const moved m = move(lh, 1.7e9);
  EXPECT_NEAR(scl(m.at, 5)[KES_SCL_MAD], 0.875, 1e-6);  // the stored values are 2^-22 apart
  EXPECT_EQ(scl(m.at, 5)[KES_SCL_MAD], scl(m.x, 5)[KES_SCL_MAD]);
}

// Quartiles between elements 10^170 apart: the spread is taken from the element the
// quartile lies at, so that an element far smaller than its neighbour is not lost
// (x(7) less x(3) under definition 5: 2.6e-221 + 1.86e-50; MAD the distance of
// -1.17e-87 from the median 2.06e-245).
TEST(SpreadShift, QuartilesBesideElementsFarApartInMagnitude) {
  const std::vector<double> x = {3.0547154005315957e-234, -7.0956708990362655e+139, 2.5974589836177824e-221,
                                 -1.1680302946416451e-87, -4.0671971148499553e-12, -1.8566399892729358e-50,
                                 2.5252320722641761e-190, 5.3644374015876651e-80,  2.0601361589153298e-245};
  for (int def : {3, 5}) {
    const std::vector<double> r = scl(x, def);
    EXPECT_EQ(r[KES_SCL_QRANGE], 1.8566399892729358e-50) << def;
    EXPECT_EQ(r[KES_SCL_MAD], 1.1680302946416451e-87) << def;
  }
}

// A median between -1.5e308 and 1.5e308, whose step passes the largest double: MAD
// comes from the halved values, the same as at any smaller scale.
TEST(SpreadShift, MadBesideAStepBeyondTheLargestDouble) {
  const std::vector<double> x = {-1.6e308, -1.5e308, 1.5e308, 1.6e308};
  std::vector<double> small;
  for (double v : x) small.push_back(std::ldexp(v, -60));
  for (int def = 1; def <= 5; ++def) {
    const double mad = scl(x, def)[KES_SCL_MAD];
    EXPECT_FALSE(is_missing(mad)) << def;
    EXPECT_EQ(mad, std::ldexp(scl(small, def)[KES_SCL_MAD], 60)) << def;
  }
  EXPECT_EQ(scl(x, 5)[KES_SCL_MAD], 1.55e308);
}

}  // namespace
