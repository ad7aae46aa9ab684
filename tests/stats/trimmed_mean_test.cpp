// Trimmed and winsorized means: the number trimmed from an amount, the means, their
// standard errors, t tests and limits against reference values, the degenerate cases,
// and resistance to an outlier that dwarfs the rest of the sample.
// Reference values were computed once with R 4.2.2: x sorted, the trimmed mean as
// mean(x[(k+1):(n-k)]), the winsorized sample w by hand (the k lowest set to x[k+1],
// the k highest to x[n-k]), SSW = sum((w - mean(w))^2), trimmed SE =
// sqrt(SSW / (df (df + 1))), winsorized SE = sqrt(SSW / (n (n - 1))) (n - 1) / df,
// p = 2 pt(-|t|, df) and limits mean -/+ qt(1 - alpha/2, df) SE.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <vector>

#include "engine_samples.h"
#include "numeric/zmissing.h"
#include "stats/kesscl.h"
#include "stats/zkesloc.h"
#include "stats/zkesmnt.h"
#include "stats/zkesnrm.h"
#include "stats/zkesqnt.h"
#include "stats/zkestwm.h"
#include "stats/zkestwm.h"

namespace {

using kes_test::value_list;

kes_twmres run(value_list& vl, int trimmed, double amount, double mu0, double alpha) {
  const kes_moments m = kes_test::moments_of(vl);
  kes_twmres r;
  r.cell[0] = -1;
  const int rc = zkestwm_arrays(vl.size(), &m, vl.view()->x, vl.view()->f, trimmed, amount, mu0, alpha, &r);
  EXPECT_EQ(rc, 0);
  return r;
}

// mean, SE, df, t, p, lower, upper.
struct twm_ref {
  double mean, se, df, t, p, lcl, ucl;
};

void expect_ref(const kes_twmres& r, const twm_ref& e, double k, double mu0, double alpha) {
  auto near = [](double got, double want, double rel) {
    EXPECT_NEAR(got, want, rel * std::fabs(want) + 1e-300);
  };
  EXPECT_EQ(r.cell[KES_TWM_MU0], mu0);
  EXPECT_EQ(r.cell[KES_TWM_ALPHA], alpha);
  EXPECT_EQ(r.cell[KES_TWM_K], k);
  near(r.cell[KES_TWM_MEAN], e.mean, 1e-14);
  near(r.cell[KES_TWM_SE], e.se, 1e-12);
  EXPECT_EQ(r.cell[KES_TWM_DF], e.df);
  near(r.cell[KES_TWM_T], e.t, 1e-11);
  near(r.cell[KES_TWM_PT], e.p, 1e-9);
  near(r.cell[KES_TWM_LCL], e.lcl, 1e-12);
  near(r.cell[KES_TWM_UCL], e.ucl, 1e-12);
}

TEST(TrimmedMeans, ProportionRoundsUpToWholeObservations) {
  // N = 25, TRIMMED=0.1: np = 2.5, k = 3, 12 percent.
  value_list vl = value_list::of(kes_test::gen_sum3(25));
  kes_twmres r = run(vl, 1, 0.1, 1.5, 0.05);
  EXPECT_EQ(r.cell[KES_TWM_AMOUNT], 0.1);
  EXPECT_EQ(r.cell[KES_TWM_PCT], 12.0);
  expect_ref(r,
             {1.4321467035598894, 0.11544209783095441, 18, -0.58776908697094532, 0.56398918181291025,
              1.1896118558551751, 1.6746815512646036},
             3, 1.5, 0.05);
  r = run(vl, 0, 0.1, 1.5, 0.05);
  expect_ref(r,
             {1.476096211711365, 0.11620916339787124, 18, -0.20569624278934376, 0.83933665581720152,
              1.2319498190508051, 1.7202426043719248},
             3, 1.5, 0.05);
}

TEST(TrimmedMeans, WholeProductAndCounts) {
  // N = 10, TRIMMED=0.2: np = 2 exactly (within the tolerance), k = 2.
  value_list vl = value_list::of(kes_test::gen_sum3(10));
  const twm_ref trim = {1.1735334793995618, 0.07237831522320598, 5, 16.213882235038579,
                        1.6267834577605329e-05, 1.0276876730444557, 1.3193792857546678};
  const twm_ref wins = {1.1833842498472504, 0.075217751599697208, 5, 15.73277882786401,
                        1.8865096518679645e-05, 1.0318168418405131, 1.3349516578539877};
  expect_ref(run(vl, 1, 0.2, 0, 0.1), trim, 2, 0, 0.1);
  expect_ref(run(vl, 0, 0.2, 0, 0.1), wins, 2, 0, 0.1);
  // An amount from 0.5 up is a count: 2.9 trims 2 per side.
  expect_ref(run(vl, 1, 2.9, 0, 0.1), trim, 2, 0, 0.1);
  EXPECT_EQ(run(vl, 1, 2.9, 0, 0.1).cell[KES_TWM_PCT], 20.0);
  // A product past a whole number by less than 1.05e-8 counts as whole; just short
  // of it rounds up to it.
  EXPECT_EQ(run(vl, 1, 0.2 + 1e-10, 0, 0.1).cell[KES_TWM_K], 2.0);
  EXPECT_EQ(run(vl, 1, 0.2 - 1e-10, 0, 0.1).cell[KES_TWM_K], 2.0);
  EXPECT_EQ(run(vl, 1, 0.2 + 1e-8, 0, 0.1).cell[KES_TWM_K], 3.0);
}

TEST(TrimmedMeans, FrequenciesSplitAtTheTrimPoint) {
  // 25 observations with counts; k = 4 cuts into the counts of 2 and of 4.
  value_list vl(kes_test::freq_sample());
  expect_ref(run(vl, 1, 4, 3, 0.05),
             {3.0441176470588234, 0.23709330503858106, 16, 0.18607715241745995, 0.8547229412876578,
              2.5415022932976541, 3.5467330008199927},
             4, 3, 0.05);
  expect_ref(run(vl, 0, 4, 3, 0.05),
             {3.0299999999999998, 0.2394525005089736, 16, 0.12528580798376562, 0.90185797410628865,
              2.5223833752592464, 3.5376166247407532},
             4, 3, 0.05);
}

TEST(TrimmedMeans, OutlierDoesNotCancelTheMiddle) {
  // 99 values near 1.5 and one at 1e10: the outlier is trimmed and must leave the
  // middle's digits intact (as a total it would swallow them).
  std::vector<double> x = kes_test::gen_sum3(99);
  x.push_back(1e10);
  value_list vl = value_list::of(x);
  expect_ref(run(vl, 1, 1, 1.5, 0.05),
             {1.488160831435873, 0.048110470804870624, 97, -0.24608299120881719, 0.80613796321611819,
              1.3926748645393974, 1.5836467983323486},
             1, 1.5, 0.05);
  expect_ref(run(vl, 0, 1, 1.5, 0.05),
             {1.4879611961164116, 0.048115430391586014, 97, -0.25020671717182835, 0.8029566554768609,
              1.392465385813189, 1.5834570064196343},
             1, 1.5, 0.05);
}

TEST(TrimmedMeans, DegenerateCases) {
  value_list vl = value_list::of(kes_test::gen_sum3(10));
  const kes_moments m = kes_test::moments_of(vl);
  kes_twmres r;
  // TRIMMED=5 with N = 10: nothing left, result 1, statistics missing.
  EXPECT_EQ(zkestwm_arrays(vl.size(), &m, vl.view()->x, vl.view()->f, 1, 5, 0.5, 0.05, &r), 1);
  EXPECT_EQ(r.cell[KES_TWM_K], 5.0);
  EXPECT_EQ(r.cell[KES_TWM_PCT], 50.0);
  EXPECT_EQ(r.cell[KES_TWM_MU0], 0.5);
  EXPECT_EQ(r.cell[KES_TWM_AMOUNT], 5.0);
  for (int i = KES_TWM_MEAN; i <= KES_TWM_UCL; ++i) EXPECT_TRUE(is_missing(r.cell[i])) << i;

  // No observation, and a single one: any amount leaves nothing.
  kes_moments none{};
  none.v[KES_MOM_N] = 0.0;
  EXPECT_EQ(zkestwm_arrays(0, &none, nullptr, nullptr, 1, 0.1, 0, 0.05, &r), 1);
  value_list one = value_list::of({4.0});
  const kes_moments m1 = kes_test::moments_of(one);
  EXPECT_EQ(zkestwm_arrays(1, &m1, one.view()->x, one.view()->f, 0, 0.1, 0, 0.05, &r), 1);
  EXPECT_EQ(r.cell[KES_TWM_K], 1.0);

  // After trimming all remaining values equal: SSW 0, SE 0, no t and no p.
  value_list flat = value_list::of({-50, 2, 2, 2, 2, 2, 70});
  r = run(flat, 1, 1, 0, 0.05);
  EXPECT_EQ(r.cell[KES_TWM_MEAN], 2.0);
  EXPECT_EQ(r.cell[KES_TWM_SE], 0.0);
  EXPECT_TRUE(is_missing(r.cell[KES_TWM_T]));
  EXPECT_TRUE(is_missing(r.cell[KES_TWM_PT]));
  EXPECT_TRUE(is_missing(r.cell[KES_TWM_LCL]));
  r = run(flat, 0, 1, 0, 0.05);
  EXPECT_EQ(r.cell[KES_TWM_MEAN], 2.0);
  EXPECT_EQ(r.cell[KES_TWM_SE], 0.0);

  // df = 0: the standard error is missing.
  value_list three = value_list::of({1, 2, 9});
  r = run(three, 1, 1, 0, 0.05);
  EXPECT_EQ(r.cell[KES_TWM_MEAN], 2.0);
  EXPECT_EQ(r.cell[KES_TWM_DF], 0.0);
  EXPECT_TRUE(is_missing(r.cell[KES_TWM_SE]));

  // A missing mu0: no t test, and no failure value in the p-value cell; the mean,
  // its standard error and the limits stand.
  r = run(vl, 1, 0.2, zmissing(), 0.1);
  EXPECT_TRUE(is_missing(r.cell[KES_TWM_T]));
  EXPECT_TRUE(is_missing(r.cell[KES_TWM_PT]));
  EXPECT_NEAR(r.cell[KES_TWM_LCL], 1.0276876730444557, 1e-12);

  // Alpha outside (0, 1): no limits, the test still runs.
  r = run(vl, 1, 0.2, 0, 0.0);
  EXPECT_TRUE(is_missing(r.cell[KES_TWM_LCL]));
  EXPECT_FALSE(is_missing(r.cell[KES_TWM_PT]));
}

}  // namespace

// The data times 2^k give the mean, standard error and limits times 2^k, bit for bit,
// and the same t and p: at any scale where the values stay normal numbers, including
// units of 1e-9 (once given a standard error of 0) and middles far below the
// trimmed ends.
TEST(TrimmedMeans, EveryScaleGivesTheSameStatisticsScaled) {
  std::vector<std::vector<double>> sets = {kes_test::gen_sum3(25), kes_test::gen_sum3(8)};
  std::uint64_t r = 0x9E3779B97F4A7C15ull;
  auto next = [&r] {
    r ^= r << 13, r ^= r >> 7, r ^= r << 17;
    return static_cast<double>(r >> 11) * 0x1p-53;
  };
  for (int g = 0; g < 12; ++g) {
    std::vector<double> x;
    const int n = 6 + 3 * g;
    for (int i = 0; i < n; ++i) x.push_back((next() - 0.3) * std::pow(10.0, 6 * next()));
    // Outliers far beyond the middle, trimmed away by one observation a side.
    x.push_back(std::ldexp(1.0, 700 + g));
    x.push_back(-std::ldexp(1.0, 690 + g));
    sets.push_back(x);
  }
  for (std::size_t s = 0; s < sets.size(); ++s) {
    value_list base = value_list::of(sets[s]);
    for (int trimmed : {1, 0}) {
      const kes_twmres one = run(base, trimmed, 1, 0.25, 0.05);
      ASSERT_GT(one.cell[KES_TWM_SE], 0.0) << s;
      for (int k : {-30, -1000, 250, -300}) {
        std::vector<double> y = sets[s];
        bool normal = true;
        for (double& v : y) {
          v = std::ldexp(v, k);
          normal = normal && (v == 0.0 || std::isnormal(v));
        }
        if (!normal) continue;
        value_list scaled = value_list::of(y);
        const kes_twmres got = run(scaled, trimmed, 1, std::ldexp(0.25, k), 0.05);
        for (int c : {KES_TWM_MEAN, KES_TWM_SE, KES_TWM_LCL, KES_TWM_UCL})
          EXPECT_EQ(got.cell[c], std::ldexp(one.cell[c], k)) << "set " << s << " k " << k << " cell " << c;
        EXPECT_EQ(got.cell[KES_TWM_T], one.cell[KES_TWM_T]) << "set " << s << " k " << k;
        EXPECT_EQ(got.cell[KES_TWM_PT], one.cell[KES_TWM_PT]) << "set " << s << " k " << k;
      }
    }
  }
  // By hand: 1e-300, 2e-300 and 3e-300 between two outliers of 1e300, one trimmed a
  // side: mean 2e-300, winsorized SSW 4e-600, SE sqrt(4/6) 1e-300 on 2 df.
  value_list far = value_list::of({-1e300, 1e-300, 2e-300, 3e-300, 1e300});
  const kes_twmres t = run(far, 1, 1, 0, 0.05);
  EXPECT_DOUBLE_EQ(t.cell[KES_TWM_MEAN], 2e-300);
  EXPECT_DOUBLE_EQ(t.cell[KES_TWM_SE], std::sqrt(4.0 / 6.0) * 1e-300);
  EXPECT_DOUBLE_EQ(t.cell[KES_TWM_T], 2.0 / std::sqrt(4.0 / 6.0));
}
