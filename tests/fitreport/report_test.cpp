// Expected percents, fitted and observed quantiles against references, and the note of
// a curve without tests. (The tables, the PERCENTS= fall-back and the OUTHISTOGRAM rows
// on each scale and CLASS form are in examples/fit_curves.)
#include <gtest/gtest.h>

#include <cmath>

#include "fit/family/kes_families.h"
#include "fit_ref.h"
#include "fitreport/kes_famsets.h"
#include "fitreport/kes_fitrep.h"
#include "fitreport/kes_fitreport.h"
#include "kes_gram_names.h"
#include "support/fit_fixture.h"

namespace {

using kes_test::fit_fixture;

const double pc[9] = {1, 5, 10, 25, 50, 75, 90, 95, 99};

class Report : public fit_fixture {
 protected:
  // A normal and an exponential curve fitted (and tested) in one cell of s1 or s2.
  kes_cell* fitted(const std::vector<double>& x, double first, double width, int nbins, int vscale = 0) {
    request({{KES_DIST_NORMAL, 0}, {KES_DIST_EXPONENTIAL, 0}}, vscale);
    kes_cell* c = cell(x);
    bins(first, width, nbins);
    EXPECT_EQ(estimate(c, 0), 0);
    EXPECT_EQ(estimate(c, 1), 0);
    kesgof(ctx);
    return c;
  }
};

TEST_F(Report, ExponentialPercentsStartAtTheThresholdAndQuantilesFollowTheLaw) {
  request({{KES_DIST_EXPONENTIAL, 0}});
  kes_cell* c = cell(fit_ref::s2);
  bins(0, 1, 6);
  ASSERT_EQ(estimate(c, 0), 0);
  kesgof(ctx);
  const std::vector<double>& ref = fit_ref::get("expo_binpct");
  // The first bin runs from -0.5 to 0.5; below theta = 0 the law has no mass.
  for (int i = 0; i < 6; ++i) EXPECT_NEAR(curve(c, 0).expected[i], ref[static_cast<size_t>(i)], 1e-11) << i;
  slot(c).curve = 0;
  for (int i = 0; i < 9; ++i)
    EXPECT_NEAR(kesepct(ctx, c, pc[i]), fit_ref::get("expo_quant")[static_cast<size_t>(i)], 1e-12) << pc[i];
}

TEST_F(Report, FittedQuantilesThatWouldOverflowAreMissing) {
  // Lognormal theta 0, zeta 700, sigma 10: exp(700 + 10 z) overflows from z = 0.979
  // (83.6 percent) on. Weibull theta 0, sigma 1, c 0.002: (-log(1 - p))^500 overflows
  // from -log(1 - p) = e^(709.78 / 500) = 4.14 (98.4 percent) on.
  const struct { int dist; double params[3]; double percent, want; } rows[] = {
      {KES_DIST_LOGNORMAL, {0, 700, 10}, 75, std::exp(700 + 10 * 0.6744897501960817)},
      {KES_DIST_LOGNORMAL, {0, 700, 10}, 90, NAN},
      {KES_DIST_LOGNORMAL, {0, 700, 10}, 99, NAN},
      {KES_DIST_WEIBULL, {0, 1, 0.002}, 95, std::pow(-std::log(0.05), 500)},
      {KES_DIST_WEIBULL, {0, 1, 0.002}, 99, NAN}};
  for (const auto& r : rows) {
    SCOPED_TRACE(r.percent);
    restart();
    request({{r.dist, 0}});
    kes_cell* c = cell({1, 2, 3});
    for (int j = 0; j < 3; ++j) curve(c, 0).params[j] = r.params[j];
    slot(c).curve = 0;
    const double q = kes_famdisp(r.dist)->pct(ctx, c, r.percent);
    if (std::isnan(r.want)) EXPECT_TRUE(std::isnan(q)) << q;
    else EXPECT_NEAR(q, r.want, 1e-12 * r.want);
  }
}

TEST_F(Report, EndPointBinsRunFromTheirLowerEnd) {
  request({{KES_DIST_NORMAL, 0}});
  param(KES_PLOT_SLOT_NORMAL_MU, KES_PLOT_SLOT_NORMAL_MU_MARKS, {0});
  param(KES_PLOT_SLOT_NORMAL_SIGMA, KES_PLOT_SLOT_NORMAL_SIGMA_MARKS, {1});
  kes_cell* c = cell({0.1, 0.5, 1.5});
  bins(0, 1, 2, true);
  ASSERT_EQ(estimate(c, 0), 0);
  kesgof(ctx);
  EXPECT_NEAR(curve(c, 0).expected[0], 100 * (0.8413447460685429 - 0.5), 1e-12);
  EXPECT_NEAR(curve(c, 0).expected[1], 100 * (0.9772498680518208 - 0.8413447460685429), 1e-12);
}

TEST_F(Report, NormalExpectedPercentsAndFittedAndObservedQuantiles) {
  kes_cell* c = fitted(fit_ref::s1, 3.5, 0.5, 7);
  ASSERT_EQ(slot(c).firstbin, 1);  // 3.8 lies in the second bin of the grid
  const std::vector<double>& pct = fit_ref::get("normal_binpct");
  ASSERT_NE(curve(c, 0).expected, nullptr);
  for (int i = 0; i < slot(c).nbins; ++i)
    EXPECT_NEAR(curve(c, 0).expected[i], pct[static_cast<size_t>(i + 1)], 1e-11) << i;
  slot(c).curve = 0;  // the tests leave the cursor past the last curve
  for (int i = 0; i < 9; ++i)
    EXPECT_NEAR(kesnpct(ctx, c, pc[i]), fit_ref::get("normal_quant")[static_cast<size_t>(i)], 1e-11) << pc[i];
  // PCTLDEF= 1..5 follow R's types 4, 3, 1, 6, 2; the weighted definition uses the
  // PROC statement's PCTLDEF= (absent: 5).
  for (int def = 1; def <= 6; ++def) {
    ctx->pctldef = def;
    const std::vector<double>& ref = fit_ref::get("pctldef" + std::to_string(def == 6 ? 5 : def));
    for (int i = 0; i < 9; ++i)
      EXPECT_NEAR(kesopct(ctx, c, pc[i]), ref[static_cast<size_t>(i)], 1e-10) << def << " " << pc[i];
  }
}

TEST_F(Report, ACurveWithoutTestsGetsItsNoteAndNoTestTable) {
  request({{KES_DIST_EXPONENTIAL, 0}});
  kes_cell* c = cell({0.2, 0.5, 1.1, 2});
  bins(0, 1, 3);
  ASSERT_EQ(estimate(c, 0), 0);
  kesgof(ctx);
  ASSERT_EQ(kesfit(ctx), 0);
  EXPECT_NE(log().find("No goodness-of-fit tests are computed for the Exponential curve of x."), std::string::npos);
  const std::string l = listing();
  EXPECT_NE(l.find("Parameters for Exponential Distribution"), std::string::npos);
  EXPECT_EQ(l.find("Goodness-of-Fit"), std::string::npos);
}

}  // namespace
