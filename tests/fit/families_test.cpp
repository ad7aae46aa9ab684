// The normal and exponential estimate functions as the histogram's vertical axis runs
// them: parameters from the statement's lists, the notes of a failed fit and of the
// default threshold, and the heights handed back for the axis.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <string>

#include "fit/family/kes_families.h"
#include "fit/zfit_ml.h"
#include "fitreport/kes_famsets.h"
#include "kes_gram_names.h"
#include "support/fit_fixture.h"

namespace {

using kes_test::fit_fixture;

class Families : public fit_fixture {};

const std::vector<double> kValues = {4.2, 5.1, 3.8, 6.0, 5.5, 4.9, 5.3, 4.4, 6.2, 5.0, 4.7, 5.8};

TEST_F(Families, NormalParametersComeFromTheListsTheLastEntryRepeating) {
  request({{KES_DIST_NORMAL, 0}, {KES_DIST_NORMAL, 1}, {KES_DIST_NORMAL, 2}});
  param(KES_PLOT_SLOT_NORMAL_MU, KES_PLOT_SLOT_NORMAL_MU_MARKS, {10, 20});
  kes_cell* c = cell(kValues);
  for (int k = 0; k < 3; ++k) ASSERT_EQ(estimate(c, k), 0);
  EXPECT_EQ(curve(c, 0).params[0], 10);
  EXPECT_EQ(curve(c, 1).params[0], 20);
  EXPECT_EQ(curve(c, 2).params[0], 20);
  // Without SIGMA= the scale is the root mean square about the given mean, divisor N.
  double ss = 0;
  for (double x : kValues) ss += (x - 20) * (x - 20);
  EXPECT_DOUBLE_EQ(curve(c, 2).params[1], std::sqrt(ss / 12));
  EXPECT_EQ(curve(c, 2).estimated[0], 0);
  EXPECT_EQ(curve(c, 2).estimated[1], 1);
}

TEST_F(Families, NormalEstimatesTakeTheSummaryOrTheGivenScale) {
  request({{KES_DIST_NORMAL, 0}, {KES_DIST_NORMAL, 1}});
  param(KES_PLOT_SLOT_NORMAL_SIGMA, KES_PLOT_SLOT_NORMAL_SIGMA_MARKS, {0, 2}, {1, 0});
  kes_cell* c = cell(kValues);
  ASSERT_EQ(estimate(c, 0), 0);
  ASSERT_EQ(estimate(c, 1), 0);
  // SIGMA=EST: the engine's sample standard deviation (divisor N - 1 here).
  EXPECT_DOUBLE_EQ(curve(c, 0).params[0], 5.075);
  EXPECT_NEAR(curve(c, 0).params[1], 0.732523657700493, 1e-14);
  EXPECT_EQ(curve(c, 0).estimated[1], 1);
  EXPECT_EQ(curve(c, 1).params[1], 2);
  EXPECT_EQ(curve(c, 1).estimated[1], 0);
}

TEST_F(Families, NormalWithoutSpreadIsReportedNotFitted) {
  request({{KES_DIST_NORMAL, 0}});
  param(KES_PLOT_SLOT_NORMAL_MU, KES_PLOT_SLOT_NORMAL_MU_MARKS, {3});
  kes_cell* c = cell({3, 3, 3});
  EXPECT_EQ(estimate(c, 0), 1);
  EXPECT_EQ(curve(c, 0).fitted, 0u);
  EXPECT_NE(log().find("The Normal distribution could not be fitted"), std::string::npos);
}

TEST_F(Families, EmptyCellFitsNothingWithoutAnEstimateMessage) {
  request({{KES_DIST_NORMAL, 0}});
  kes_cell* c = cell({});
  EXPECT_EQ(kesnest(ctx, &req, c, 0, 1, nullptr), 1);
  EXPECT_EQ(log(), "");
}

TEST_F(Families, ExponentialDefaultThresholdIsNotedOncePerCurve) {
  request({{KES_DIST_EXPONENTIAL, 0}});
  kes_cell* c = cell({0.5, 1.5, 4});
  ASSERT_EQ(estimate(c, 0), 0);
  ASSERT_EQ(estimate(c, 0), 0);
  EXPECT_EQ(curve(c, 0).params[0], 0);
  EXPECT_DOUBLE_EQ(curve(c, 0).params[1], 2);
  EXPECT_EQ(count("THETA= is not given", log()), 1);
}

TEST_F(Families, ExponentialThresholdAtTheMinimumFitsAndAboveItFails) {
  request({{KES_DIST_EXPONENTIAL, 0}, {KES_DIST_EXPONENTIAL, 1}});
  param(KES_PLOT_SLOT_EXPONENTIAL_THETA, KES_PLOT_SLOT_EXPONENTIAL_THETA_MARKS, {2, 3});
  kes_cell* c = cell({2, 3, 7});
  EXPECT_EQ(estimate(c, 0), 0);
  EXPECT_EQ(curve(c, 0).params[1], 2);
  EXPECT_EQ(estimate(c, 1), 1);
  const std::string l = log();
  EXPECT_NE(l.find("THETA= of the exponential curve of x is not below the smallest value"), std::string::npos);
  EXPECT_NE(l.find("The smallest value is 2."), std::string::npos);
  EXPECT_NE(l.find("The Exponential distribution could not be fitted"), std::string::npos);
}

TEST_F(Families, ExponentialThresholdNoteNamesTheCell) {
  class_vars(1);
  request({{KES_DIST_EXPONENTIAL, 0}});
  param(KES_PLOT_SLOT_EXPONENTIAL_THETA, KES_PLOT_SLOT_EXPONENTIAL_THETA_MARKS, {5});
  kes_cell* c = cell({2, 3, 7}, "A");
  EXPECT_EQ(estimate(c, 0), 1);
  const std::string l = log();
  EXPECT_NE(l.find("For g = A, THETA= of x is not below the smallest value; the Exponential curve"), std::string::npos);
  EXPECT_NE(l.find("For g = A, the Exponential distribution could not be fitted"), std::string::npos);
}

TEST_F(Families, ExponentialPeakAboveAHundredPercentDoesNotRaiseThePercentAxis) {
  // Theta 0 given, sigma 0.5 given, bin width 1: the peak is 100 w / sigma = 200 percent.
  const struct {
    int vscale;
    double handed;
  } rows[] = {{0, 0.0}, {1, 2 * 3.0}, {2, 2.0}};
  for (const auto& row : rows) {
    SCOPED_TRACE(row.vscale);
    restart();
    request({{KES_DIST_EXPONENTIAL, 0}}, row.vscale);
    param(KES_PLOT_SLOT_EXPONENTIAL_THETA, KES_PLOT_SLOT_EXPONENTIAL_THETA_MARKS, {0});
    param(KES_PLOT_SLOT_EXPONENTIAL_SIGMA, KES_PLOT_SLOT_EXPONENTIAL_SIGMA_MARKS, {0.5});
    kes_cell* c = cell({0.5, 1, 2});
    bins(0.5, 1, 2);
    double h = -1;
    ASSERT_EQ(estimate(c, 0, -1, 3, &h), 0);
    EXPECT_DOUBLE_EQ(h, row.handed);
    // The curve keeps its true height.
    EXPECT_DOUBLE_EQ(curve(c, 0).height, row.vscale == 0 ? 200.0 : row.vscale == 1 ? 6.0 : 2.0);
  }
}

TEST(FamilyMembers, CutOffsAndTheDispatch) {
  const double np[2] = {1, 2}, ep[2] = {0, 2};
  EXPECT_DOUBLE_EQ(kesnplt(1 + 2 * 4, 3, np), 3 * std::exp(-8.0));
  EXPECT_EQ(kesnplt(1 + 2 * 4.01, 3, np), 0);
  EXPECT_EQ(kesep(ep, 1e-7), 0);
  EXPECT_GT(kesep(ep, 1.1e-7), 0);
  EXPECT_EQ(keseplt(0, 5, ep), 0);
  EXPECT_EQ(keseplt(20.5, 5, ep), 0);
  // One dispatch: built families answer, the others, the kernel and strays do not.
  EXPECT_EQ(kes_famdisp(KES_DIST_NORMAL), &kes_fam_normal);
  EXPECT_EQ(kes_famdisp(KES_DIST_EXPONENTIAL), &kes_fam_exponential);
  EXPECT_EQ(kes_famdisp(KES_DIST_GAMMA), &kes_fam_gamma);
  for (int code : {int(KES_DIST_KERNEL), -1, 10}) EXPECT_EQ(kes_famdisp(code), nullptr) << code;
}

TEST_F(Families, NotFittedNoteByPlotTypeAndClassForm) {
  const struct {
    int type;
    const char* text;
  } rows[] = {{KES_PLOT_QQ, "the Q-Q plot has no reference line"},
              {KES_PLOT_PROB, "the probability plot has no reference line"},
              {KES_PLOT_PP, "the P-P plot is not drawn"},
              {KES_PLOT_CDF, "its curve is not drawn"}};
  class_vars(2);
  request({{KES_DIST_NORMAL, 0}});
  kes_cell* p = parent_level("P1");
  kes_cell* c = cell({1, 2}, "C1", p);
  for (const auto& row : rows) {
    req.type = row.type;
    kesnoest(ctx, c, KES_DIST_NORMAL);
    EXPECT_NE(log().find(std::string("For g = P1 and h = C1, the Normal distribution could not be fitted to x; ") +
                         row.text),
              std::string::npos)
        << row.type;
  }
}

TEST_F(Families, NotFittedNoteGivesTheFitsReasonOnce) {
  // The reason a failed fit keeps in its curve goes into the one note of the failure and
  // is then cleared: a later failure of the curve without a reason is not given it, and
  // the note without a reason has no colon after the variable.
  request({{KES_DIST_GAMMA, 0}});
  kes_cell* c = cell({1, 2, 3});
  slot(c).curve = 0;
  const struct {
    int why, maxiter;
    const char* reason;
  } rows[] = {
      {ZFIT_ML_AT_BOUND, 0,
       ": no interior maximum of the likelihood was found, it rises toward a bound of the parameters (such as a "
       "threshold nearing the data); "},
      {ZFIT_ML_BUDGET, 37, ": no maximum of the likelihood was reached in 37 iterations (MAXITER=); "},
      {ZFIT_ML_AWAY, 0,
       ": no interior maximum of the likelihood was found, it rises as the threshold moves away from the data toward "
       "the limit law; "},
      {0, 0, "; "},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.reason);
    const size_t from = log().size();
    curve(c, 0).fail_why = static_cast<std::uint8_t>(row.why);
    curve(c, 0).fail_maxiter = row.maxiter;
    kesnoest(ctx, c, KES_DIST_GAMMA);
    kesnoest(ctx, c, KES_DIST_GAMMA);
    const std::string with = std::string("NOTE: The Gamma distribution could not be fitted to x") + row.reason +
                             "its curve is not drawn.";
    const std::string without = "NOTE: The Gamma distribution could not be fitted to x; its curve is not drawn.";
    const std::string notes = log().substr(from);
    EXPECT_EQ(count(with, notes), row.why != 0 ? 1 : 2) << notes;
    EXPECT_EQ(count(without, notes), row.why != 0 ? 1 : 2) << notes;
    EXPECT_EQ(curve(c, 0).fail_why, 0);
  }
}

}  // namespace
