// The fitting engine through the estimate functions: the closed forms, heights on the
// three vertical scales, the requests it refuses and the quantile ranks.
#include <gtest/gtest.h>

#include <cmath>

#include "fit/zfit.h"
#include "kes_gram_names.h"
#include "support/fit_fixture.h"
#include "support/hand_view.h"

namespace {

using kes_test::fit_fixture;

class Engine : public fit_fixture {};

TEST_F(Engine, NormalHeightOnEachVerticalScale) {
  // N = 5, mean 3, sd sqrt(2.5), bin width 2: the count height is N w / (sigma sqrt(2 pi)).
  const double unit = 2 / (std::sqrt(2.5) * std::sqrt(2 * M_PI));
  const double heights[3] = {100 * unit, 5 * unit, unit};  // percent, count, proportion
  for (int vscale = 0; vscale < 3; ++vscale) {
    restart();
    request({{KES_DIST_NORMAL, 0}}, vscale);
    kes_cell* c = cell({1, 2, 3, 4, 5});
    bins(1, 2, 3);
    double h = 0;
    ASSERT_EQ(estimate(c, 0, 0, 6, &h), 0);
    EXPECT_DOUBLE_EQ(curve(c, 0).params[0], 3);
    EXPECT_DOUBLE_EQ(curve(c, 0).params[1], std::sqrt(2.5));
    EXPECT_DOUBLE_EQ(curve(c, 0).mode, 3);
    EXPECT_NEAR(h, heights[vscale], 1e-12 * h) << vscale;
  }
}

TEST_F(Engine, ExponentialClosedForms) {
  // Both estimated on 1, 2, 3: sigma = 3/2 (2 - 1) = 1.5, theta = 1 - 1.5/3 = 0.5.
  request({{KES_DIST_EXPONENTIAL, 0}}, 1);
  param(KES_PLOT_SLOT_EXPONENTIAL_THETA, KES_PLOT_SLOT_EXPONENTIAL_THETA_MARKS, {0}, {1});
  kes_cell* c = cell({1, 2, 3});
  bins(1, 1, 3);
  double h = 0;
  ASSERT_EQ(estimate(c, 0, 1, 3, &h), 0);
  EXPECT_DOUBLE_EQ(curve(c, 0).params[1], 1.5);
  EXPECT_DOUBLE_EQ(curve(c, 0).params[0], 0.5);
  EXPECT_DOUBLE_EQ(curve(c, 0).mode, 0.5);
  // The range starts above theta: the height at z = 1/3.
  EXPECT_NEAR(h, 3 / 1.5 * std::exp(-1 / 3.0), 1e-15);
}

TEST_F(Engine, GivenThresholdAboveTheMinimumIsLoweredAndSpreadIsNeeded) {
  const kes_test::hand_view nodes({3, 4, 8}, {1, 1, 1});
  auto req = [&](int family, double theta, double n) {
    zfit_req r{};
    r.mode = 1;
    r.family = family;
    r.values = nodes.get();
    r.params[0] = theta;
    r.params[1] = r.params[2] = r.params[3] = std::nan("");
    r.n = n;
    r.min = 3;
    r.mean = n == 3 ? 5 : 3;
    r.vscale = KES_VSCALE_COUNT;
    return r;
  };
  zfit_req g = req(ZFIT_EXPONENTIAL, 5, 3);
  ASSERT_EQ(zfit(&g), 0);
  EXPECT_DOUBLE_EQ(g.params[0], 3);
  EXPECT_DOUBLE_EQ(g.params[1], 2);
  // One value with both parameters estimated (N/(N-1) infinite), or all at theta.
  zfit_req one = req(ZFIT_EXPONENTIAL, std::nan(""), 1);
  EXPECT_EQ(zfit(&one), 1);
  zfit_req flat = req(ZFIT_EXPONENTIAL, 3, 1);
  EXPECT_EQ(zfit(&flat), 1);
  zfit_req kernel = req(ZFIT_KERNEL, 0, 3);
  EXPECT_EQ(zfit(&kernel), 1);
  zfit_req other = req(ZFIT_NORMAL, 0, 3);
  other.mode = 7;
  EXPECT_EQ(zfit(&other), 0);
  EXPECT_TRUE(std::isnan(other.height));
}

TEST(CalcFrac, TheFivePercentileDefinitionsAtTheMedianOfTen) {
  const struct {
    int def, lo, hi;
    double g;
  } rows[] = {{1, 4, 5, 1e-11}, {2, 4, 4, 0}, {3, 4, 5, 0}, {4, 4, 5, 0.5 + 1e-11}, {5, 4, 5, 0.5}};
  for (const auto& row : rows) {
    zfit_req r{};
    r.pctldef = row.def;
    zfit_work w{};
    w.req = &r;
    int lo = -1, hi = -1;
    EXPECT_NEAR(calcfrac(&w, 10, 0.5, &lo, &hi), row.g, 1e-15) << row.def;
    EXPECT_EQ(lo, row.lo) << row.def;
    EXPECT_EQ(hi, row.hi) << row.def;
    // Positions stay within the sample at the ends.
    calcfrac(&w, 10, 0.01, &lo, &hi);
    EXPECT_EQ(lo, 0);
    calcfrac(&w, 10, 1.0, &lo, &hi);
    EXPECT_EQ(hi, 9);
  }
}

}  // namespace
