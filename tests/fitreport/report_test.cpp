// Expected percents, fitted and observed quantiles, the fitted-distribution tables in
// the listing and the OUTHISTOGRAM observations of hand-made requests.
#include <gtest/gtest.h>

#include <cmath>

#include "fit/kes_families.h"
#include "fit_ref.h"
#include "fitreport/kes_fitrep.h"
#include "fitreport/kes_fitreport.h"
#include "kes_gram_names.h"
#include "support/fit_fixture.h"

namespace {

using kes_test::fit_fixture;

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

TEST_F(Report, ExpectedPercentsAreDifferencesOfTheFittedLaw) {
  kes_cell* c = fitted(fit_ref::s1, 3.5, 0.5, 7);
  ASSERT_EQ(slot(c).firstbin, 1);  // 3.8 lies in the second bin of the grid
  const std::vector<double>& ref = fit_ref::get("normal_binpct");
  const kes_curve& n = curve(c, 0);
  ASSERT_NE(n.expected, nullptr);
  for (int i = 0; i < slot(c).nbins; ++i) EXPECT_NEAR(n.expected[i], ref[static_cast<size_t>(i + 1)], 1e-11) << i;
}

TEST_F(Report, ExponentialPercentsStartAtTheThresholdAndQuantilesFollowTheLaw) {
  request({{KES_DIST_EXPONENTIAL, 0}});
  kes_cell* c = cell(fit_ref::s2);
  bins(0, 1, 6);
  ASSERT_EQ(estimate(c, 0), 0);
  kesgof(ctx);
  const std::vector<double>& ref = fit_ref::get("expo_binpct");
  // The first bin runs from -0.5 to 0.5; below theta = 0 the law has no mass.
  for (int i = 0; i < 6; ++i) EXPECT_NEAR(curve(c, 0).expected[i], ref[static_cast<size_t>(i)], 1e-11) << i;
  const double pc[9] = {1, 5, 10, 25, 50, 75, 90, 95, 99};
  slot(c).curve = 0;  // the tests leave the cursor past the last curve
  for (int i = 0; i < 9; ++i)
    EXPECT_NEAR(kesepct(ctx, c, pc[i]), fit_ref::get("expo_quant")[static_cast<size_t>(i)], 1e-12) << pc[i];
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

TEST_F(Report, FittedAndObservedQuantiles) {
  kes_cell* c = fitted(fit_ref::s1, 3.5, 0.5, 7);
  const double pc[9] = {1, 5, 10, 25, 50, 75, 90, 95, 99};
  slot(c).curve = 0;
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

TEST_F(Report, TablesOfEachFittedCurve) {
  kes_cell* c = fitted(fit_ref::s1, 3.5, 0.5, 7);
  flag(KES_PLOT_FLAG_NORMAL_MIDPERCENTS);
  (void)c;
  ASSERT_EQ(kesfit(ctx), 0);
  const std::string l = listing();
  EXPECT_NE(l.find("Fitted Normal Distribution for x"), std::string::npos);
  EXPECT_NE(l.find("Parameters for Normal Distribution"), std::string::npos);
  EXPECT_NE(l.find("Goodness-of-Fit Tests for Normal Distribution"), std::string::npos);
  EXPECT_NE(l.find("Histogram Bin Percents for Normal Distribution"), std::string::npos);
  EXPECT_NE(l.find("Quantiles for Normal Distribution"), std::string::npos);
  EXPECT_NE(l.find("Fitted Exponential Distribution for x"), std::string::npos);
  // Bins only for the family that asks for them.
  EXPECT_EQ(l.find("Histogram Bin Percents for Exponential"), std::string::npos);
  for (const char* t : {"Kolmogorov-Smirnov", "Cramer-von Mises", "Anderson-Darling", "Mu", "Sigma", "Threshold"})
    EXPECT_NE(l.find(t), std::string::npos) << t;
  const size_t ks = l.find("Kolmogorov-Smirnov"), cvm = l.find("Cramer-von Mises"), ad = l.find("Anderson-Darling");
  EXPECT_LT(ks, cvm);
  EXPECT_LT(cvm, ad);
  EXPECT_NE(l.find("5.075"), std::string::npos);
}

TEST_F(Report, PercentsOutsideTheOpenRangeFallBackToTheDefaults) {
  fitted(fit_ref::s1, 3.5, 0.5, 7);
  numbers(KES_PLOT_SLOT_NORMAL_PERCENTS, {0, 50});
  ASSERT_EQ(kesfit(ctx), 0);
  const std::string lg = log();
  EXPECT_NE(lg.find("PERCENTS= of the Normal distribution must lie strictly between 0 and 100."),
            std::string::npos);
  EXPECT_NE(lg.find("The default percents are used."), std::string::npos);
  const std::string l = listing();
  const size_t at = l.find("Quantiles for Normal Distribution");
  ASSERT_NE(at, std::string::npos);
  // The nine default rows, 1 to 99, and no row at 0.
  const std::string rows = l.substr(at);
  EXPECT_NE(rows.find(" 99 "), std::string::npos) << rows;
  EXPECT_NE(rows.find(" 1 "), std::string::npos) << rows;
  EXPECT_EQ(rows.find(" 0 "), std::string::npos) << rows;
}

TEST_F(Report, ACurveWithoutTestsGetsItsNoteAndNoTestTable) {
  request({{KES_DIST_EXPONENTIAL, 0}});
  kes_cell* c = cell({0.2, 0.5, 1.1, 2});
  bins(0, 1, 3);
  ASSERT_EQ(estimate(c, 0), 0);
  kesgof(ctx);
  ASSERT_EQ(kesfit(ctx), 0);
  EXPECT_NE(log().find("No goodness-of-fit tests are computed for the Exponential curve."), std::string::npos);
  const std::string l = listing();
  EXPECT_NE(l.find("Parameters for Exponential Distribution"), std::string::npos);
  EXPECT_EQ(l.find("Goodness-of-Fit"), std::string::npos);
}

TEST_F(Report, AllCurvesNoprintStillWriteTheOutHistogramRows) {
  request({{KES_DIST_NORMAL, 0}, {KES_DIST_NORMAL, 1}}, 1);
  flag(KES_PLOT_FLAG_NORMAL_NOPRINT);
  kes_cell* c = cell({1, 2, 2, 3, 3, 3, 4});
  bins(1, 1, 4);
  outhist("oh");
  ASSERT_EQ(estimate(c, 0), 0);
  ASSERT_EQ(estimate(c, 1), 0);
  kesgof(ctx);
  ASSERT_EQ(kesfit(ctx), 0);
  EXPECT_EQ(listing().find("Fitted"), std::string::npos);
  const std::string csv = out_text();
  // Count scale: _COUNT_ is the bar, _OBSPCT_ 100 h / N; curves NORMAL and NORMAL2.
  EXPECT_NE(csv.find("_MIDPT_"), std::string::npos) << csv;
  EXPECT_EQ(count("NORMAL2", csv), 4) << csv;
  EXPECT_EQ(count("NORMAL,", csv) + count("NORMAL\"", csv) + count("NORMAL ", csv), 4) << csv;
  EXPECT_NE(csv.find("42.857142857"), std::string::npos) << csv;  // 3 of 7 values
}

TEST_F(Report, OutHistogramRowsOfTwoClassVariables) {
  class_vars(2);
  request({{KES_DIST_NORMAL, 0}});
  kes_cell* p = parent_level("P");
  kes_cell* a = cell({1, 2, 2}, "A", p);
  kes_cell* b = cell({2, 3}, "B", p);
  bins(1, 1, 3);
  outhist("oh2");
  ASSERT_EQ(estimate(a, 0), 0);
  ASSERT_EQ(estimate(b, 0), 0);
  kesgof(ctx);
  ASSERT_EQ(kesfit(ctx), 0);
  const std::string csv = out_text();
  // One row per bin of each cell: two in A (1, 2), two in B (2, 3).
  EXPECT_EQ(count("\nP,A,", csv), 2) << csv;
  EXPECT_EQ(count("\nP,B,", csv), 2) << csv;
  const std::string l = listing();
  EXPECT_NE(l.find("g = P"), std::string::npos) << l;
  EXPECT_NE(l.find("h = B"), std::string::npos) << l;
}

TEST_F(Report, PercentScaleObservedPercentIsTheBar) {
  request({{KES_DIST_NORMAL, 0}}, 0);
  flag(KES_PLOT_FLAG_NORMAL_NOPRINT);
  kes_cell* c = cell({1, 2, 2, 2});
  bins(1, 1, 2);
  outhist("oh3");
  ASSERT_EQ(estimate(c, 0), 0);
  kesgof(ctx);
  ASSERT_EQ(kesfit(ctx), 0);
  const std::string csv = out_text();
  // Bar heights 25 and 75 percent: counts 1 and 3.
  EXPECT_NE(csv.find(",25,1,"), std::string::npos) << csv;
  EXPECT_NE(csv.find(",75,3,"), std::string::npos) << csv;
}

}  // namespace
