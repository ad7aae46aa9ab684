// The coefficient tables built into the module (made by tools/edfgen): present for
// every family and set, critical values increasing across the levels over the
// tables' range of shapes and sample sizes, and the all-estimated D tables' first
// row near the row published with the forms, and the p-values of the sets with the
// threshold and shape estimated rejecting fresh samples at their levels.
#include <gtest/gtest.h>

#include <cmath>
#include <sstream>
#include <string>
#include <vector>

#include "edfgen.h"
#include "edfgen_published.h"
#include "fitreport/kes_edf3.h"
#include "fitreport/kes_edfcoef.h"

namespace {

struct family_range {
  int family;
  std::vector<int> sets;
  double lo, hi;  // shapes in (lo, hi) for the sets, [1, 3) for the lognormal's set 61
};
const family_range kFamilies[] = {
    {KES_COEF_GAMMA, {1, 2, 3, 4, 5, 6, 7}, 1.0, 40.0},
    {KES_COEF_LOGNORMAL, {4, 5, 6, 61, 7}, 0.1, 3.0},
    {KES_COEF_WEIBULL, {4, 5, 6, 7}, 2.0, 30.0},
};

TEST(EdfCoefTables, CriticalValuesIncreaseAcrossTheLevelsOverTheRange) {
  kes_edf_coef_clear();
  for (const family_range& f : kFamilies)
    for (int set : f.sets) {
      double lo = f.lo, hi = f.hi;
      if (f.family == KES_COEF_LOGNORMAL && set == 6) hi = 1.0;
      if (set == 61) lo = 1.0;
      for (int i = 0; i <= 20; ++i) {
        // Geometric steps over the shapes, past the ends only by a hair.
        const double shape = lo * std::pow(hi / lo, i / 20.0) * (i == 0 ? 1.0001 : i == 20 ? 0.9999 : 1.0);
        for (double n : {10.0, 11.0, 14.0, 20.0, 30.0, 60.0, 150.0, 500.0, 1000.0, 5000.0})
          for (int stat = 0; stat < 3; ++stat) {
            double c[11];
            ASSERT_TRUE(kes_edf_coef_crit(f.family, set, stat, shape, n, c)) << f.family << " set " << set;
            for (int j = 1; j < 11; ++j)
              EXPECT_GT(c[j], c[j - 1]) << f.family << " set " << set << " stat " << stat << " shape " << shape
                                        << " n " << n << " level " << j;
          }
      }
    }
}

TEST(EdfCoefTables, AllEstimatedDRowsAgreeWithThePublishedRows) {
  // Row r0 of dcoef7 as published for each family. The simulated rows agree to about
  // their Monte Carlo error and the error of the forms' fit once calibrated at the
  // fitted shape (gamma and Weibull; they were 0.077 and 0.017 off before); the
  // lognormal's (now with the profile fits, calibrated at the fitted shape) to 0.0051.
  // The Weibull's comes from fits reported only at an
  // interior maximum of the likelihood, which the published row's fits did not ask:
  // its .025, .005, .0025 and .001 columns lie 0.0105 to 0.0148 above the published
  // ones, the others within 0.0083 (20,000 replicates a point).
  // The gamma row, simulated anew with the fits on the profile of the likelihood (6,000
  // replicates a point; samples without an interior maximum, 14 % of them, are no
  // fits), lies 0.009 to 0.018 below the published one, 0.025 and 0.051 in its .0025
  // and .001 columns; its set's tests reject at their levels (tools/edfgen/checks.txt:
  // 0.100 / 0.051 / 0.0097 for D over the grid, no point off).
  const double tolerance[3] = {0.052, 0.0105, 0.0150};
  for (int family = 0; family < 3; ++family) {
    std::istringstream in(kes_edf_coef_builtin(family));
    std::string line, tok;
    bool found = false;
    while (!found && std::getline(in, line)) found = line.rfind("dcoef7", 0) == 0;
    ASSERT_TRUE(found) << family;
    ASSERT_TRUE(static_cast<bool>(std::getline(in, line)));
    std::istringstream row(line.substr(0, line.find('#')));
    for (int j = 0; j < 11; ++j) {
      double v = NAN;
      row >> v;
      EXPECT_NEAR(v, kPublishedR0[family][j], tolerance[family]) << family << " level " << j;
    }
  }
}

struct level_row {
  int family, ncase;
  double shape, n;
};

void rejects_at_levels(const std::vector<level_row>& rows) {
  edfgen_host_start();
  kes_edf_coef_clear();
  const double levels[3] = {0.10, 0.05, 0.01};
  constexpr long kReps = 6000;
  for (const auto& r : rows) {
    const grid_point g{r.shape, r.n};
    std::vector<replicate> reps;
    edfgen_simulate(r.family, r.ncase, &g, 1, kReps, 4242, 4, &reps);
    long seen = 0, rej[3][3] = {};
    for (const replicate& x : reps) {
      if (!x.ok) continue;
      kes_edfp p[3] = {{NAN, ' '}, {NAN, ' '}, {NAN, ' '}};
      kes_edf3_pvalues(nullptr, edfgen_members(r.family), r.ncase, x.shape, r.n, x.d, x.stat[1], x.stat[2], &p[0],
                       &p[1], &p[2]);
      if (std::isnan(p[0].p)) continue;  // fitted shape outside the tables: no test
      ++seen;
      for (int s = 0; s < 3; ++s)
        for (int l = 0; l < 3; ++l) rej[s][l] += !std::isnan(p[s].p) && p[s].p <= levels[l] && p[s].rel != '>';
    }
    ASSERT_GT(seen, 1000) << r.family << " shape " << r.shape << " n " << r.n;
    for (int s = 0; s < 3; ++s)
      for (int l = 0; l < 3; ++l) {
        const double rate = double(rej[s][l]) / double(seen);
        const double se = std::sqrt(levels[l] * (1 - levels[l]) / double(seen));
        EXPECT_NEAR(rate, levels[l], 4 * se) << r.family << " case " << r.ncase << " shape " << r.shape << " n "
                                               << r.n << " stat " << s << " level " << levels[l];
      }
  }
}

TEST(EdfCoefTables, EstimatedThresholdAndShapeRejectAtTheirLevels) {
  // Fresh samples of the law (seed apart from the tables'), fitted as the procedure
  // fits them and tested with the built-in tables looked up at the fitted shape, as
  // the procedure does. Small samples are where the fitted shape strays most: tables
  // made at the true shape rejected 0.4 to 2 % of them at 5 % (Weibull c = 2.05,
  // n = 10), and 6 % at 10 % in the lognormal case a user met (sigma = 0.46, n = 80).
  rejects_at_levels({{KES_COEF_WEIBULL, 7, 6.0, 17},
                     {KES_COEF_GAMMA, 7, 3.0, 25},
                     {KES_COEF_GAMMA, 7, 1.5, 100},
                     {KES_COEF_GAMMA, 6, 5.0, 17}});
}

// The lognormal and gamma tables of the estimated threshold, simulated with the fits
// on the profile of the likelihood (the lognormal threshold the likelihood's maximum):
// tables made with the root of the design's threshold equation rejected about 8 % of
// these fits at 10 % (the user's case, sigma 0.46 and 80 values).
TEST(EdfCoefTables, ProfileFitsOfTheThresholdRejectAtTheirLevels) {
  rejects_at_levels({{KES_COEF_LOGNORMAL, 7, 0.46, 80},
                     {KES_COEF_LOGNORMAL, 7, 1.5, 25},
                     {KES_COEF_LOGNORMAL, 6, 0.7, 35},
                     {KES_COEF_LOGNORMAL, 4, 0.4, 50},
                     {KES_COEF_GAMMA, 4, 2.0, 35},
                     {KES_COEF_GAMMA, 5, 5.0, 50}});
}

// The small samples of the Weibull with the threshold and shape estimated: among
// samples of c = 2.05 and n = 10 only about half have an interior maximum of the
// likelihood, and of those many a fitted shape below the tables' range (no test); the
// tables are simulated and calibrated with the fits the procedure makes (tables made
// with fits that also reported samples at the threshold's bound rejected 12 to 13 % of
// these at 10 %).
TEST(EdfCoefTables, SmallWeibullSamplesRejectAtTheirLevels) {
  rejects_at_levels({{KES_COEF_WEIBULL, 7, 2.05, 10}, {KES_COEF_WEIBULL, 6, 2.5, 13}});
}

}  // namespace
