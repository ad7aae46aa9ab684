// Scale constants and the polylines of fitted curves: the area rule, the first point
// of an exponential curve, the peak point, the cut at the top of the axis, the panel
// transform and a curve whose constant cannot be formed.
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "fit/family/kes_families.h"
#include "fitreport/kes_famsets.h"
#include "kes_gram_names.h"
#include "records/kes_layout.h"
#include "support/fit_fixture.h"

namespace {

using kes_test::fit_fixture;

class Curves : public fit_fixture {
 protected:
  // Fits curve 0 of a normal request given mu and sigma over 50 values, bin width w.
  kes_cell* normal(double mu, double sigma, double w, int vscale = 1) {
    request({{KES_DIST_NORMAL, 0}}, vscale);
    param(KES_PLOT_SLOT_NORMAL_MU, KES_PLOT_SLOT_NORMAL_MU_MARKS, {mu});
    param(KES_PLOT_SLOT_NORMAL_SIGMA, KES_PLOT_SLOT_NORMAL_SIGMA_MARKS, {sigma});
    std::vector<double> v;
    for (int i = 0; i < 50; ++i) v.push_back(i % 10);
    kes_cell* c = cell(v);
    bins(0, w, 10);
    EXPECT_EQ(estimate(c, 0, -100, 100), 0);
    return c;
  }
  std::vector<double> points(kes_cell* c, double a, double b, int n, int* count) {
    std::vector<double> p(2 * static_cast<size_t>(n));
    *count = n;
    kesgden(ctx, c, p.data(), a, b, count, 0);
    p.resize(2 * static_cast<size_t>(*count));
    return p;
  }
};

TEST_F(Curves, NormalScaleConstantIsTheHistogramArea) {
  kes_cell* c = normal(5, 4, 2);
  double k = 0;
  ASSERT_EQ(kescnst(ctx, &req, c, 0, &k), 0);
  EXPECT_DOUBLE_EQ(k, 2 * 50 * 0.3989422804014327 / 4);
}

TEST_F(Curves, ExponentialConstantAndFirstPointAtTheThreshold) {
  request({{KES_DIST_EXPONENTIAL, 0}}, 0);
  param(KES_PLOT_SLOT_EXPONENTIAL_THETA, KES_PLOT_SLOT_EXPONENTIAL_THETA_MARKS, {0});
  param(KES_PLOT_SLOT_EXPONENTIAL_SIGMA, KES_PLOT_SLOT_EXPONENTIAL_SIGMA_MARKS, {2});
  kes_cell* c = cell({1, 2, 3, 5});
  bins(0.5, 1, 5);
  ASSERT_EQ(estimate(c, 0, 0, 5), 0);
  double k = 0;
  ASSERT_EQ(kescnst(ctx, &req, c, 0, &k), 0);
  EXPECT_DOUBLE_EQ(k, 1 * 4 * 25 / 2.0);  // w N v / sigma with v = 100/N
  int n = 0;
  const std::vector<double> p = points(c, 0, 5, 11, &n);
  ASSERT_GE(n, 2);
  // plt is 0 at the threshold itself; the curve starts at its stored height.
  EXPECT_DOUBLE_EQ(p[1], curve(c, 0).height);
  EXPECT_DOUBLE_EQ(p[1], 50);
  EXPECT_DOUBLE_EQ(p[2 * n - 2], 5);
}

TEST_F(Curves, PeakBetweenSamplesIsWrittenAndPointsFollowTheDensity) {
  kes_cell* c = normal(5.05, 1, 1);
  int n = 0;
  const std::vector<double> p = points(c, 0, 10, 5, &n);
  // Three steps of 10/3 with the peak reserved: 0, 3.33, peak 5.05, 6.67, 10.
  ASSERT_EQ(n, 5);
  EXPECT_DOUBLE_EQ(p[4], 5.05);
  EXPECT_DOUBLE_EQ(p[5], curve(c, 0).height);
  const double k = 50 * 0.3989422804014327;
  EXPECT_NEAR(p[3], k * std::exp(-0.5 * std::pow(10.0 / 3 - 5.05, 2)), 1e-12);
  EXPECT_DOUBLE_EQ(p[8], 10);
  for (int i = 1; i < n; ++i) EXPECT_GT(p[2 * i], p[2 * i - 2]);
}

TEST_F(Curves, CurvesAboveTheTopAreWholeForTheFrameToCut) {
  kes_cell* c = normal(5, 1, 1);
  const double k = 50 * 0.3989422804014327;
  slot(c).vmax = k / 2;  // the key cell's axis maximum, half the peak
  int n = 0;
  // Rising through the top and down again: every point on the density (its far tail,
  // under a thousandth of the peak, drawn as 0), to the far end.
  std::vector<double> p = points(c, 0, 10, 101, &n);
  ASSERT_EQ(n, 101);
  EXPECT_DOUBLE_EQ(p[2 * n - 2], 10);
  for (int i = 0; i < n; ++i) EXPECT_NEAR(p[2 * i + 1], k * std::exp(-0.5 * std::pow(p[2 * i] - 5, 2)), 1e-3 * k);
  // Starting above it: at its own height.
  p = points(c, 5, 10, 51, &n);
  ASSERT_EQ(n, 51);
  EXPECT_DOUBLE_EQ(p[0], 5);
  EXPECT_NEAR(p[1], k, 1e-12);
  EXPECT_EQ(slot(c).vmax, k / 2);
}

TEST_F(Curves, PanelTransformWithTheSmallestBudget) {
  kes_cell* c = normal(5, 1, 1);
  kes_layout lay{};
  lay.xscale = 2;
  lay.xoffset = 1;
  lay.yscale = 0.5;
  lay.yoffset = -3;
  req.layout = &lay;
  int n = 0;
  const std::vector<double> p = points(c, 0, 10, 2, &n);
  // Both ends only, each 5 sigma out (height 0): (2x + 1, 0.5 y - 3).
  const std::vector<double> want = {1, -3, 21, -3};
  EXPECT_EQ(p, want);
}

TEST_F(Curves, ACurveWithoutItsConstantIsNotDrawn) {
  request({{KES_DIST_GAMMA, 0}});
  kes_cell* c = cell({1, 2, 3});
  bins(1, 1, 3);
  curve(c, 0).fitted = 1;
  double k = -1;
  EXPECT_EQ(kescnst(ctx, &req, c, 0, &k), 1);
  int n = 10;
  std::vector<double> p(20);
  EXPECT_NE(kesgden(ctx, c, p.data(), 1, 3, &n, 0), 0);
  EXPECT_EQ(n, 0);
}

TEST_F(Curves, GammaConstantWithoutLogGammaIsNoted) {
  // A shape of 1e-310 is below what the log-gamma function takes: the constant fails
  // with the shape named, unless the shape was given, and the curve is not fitted.
  for (bool given : {false, true}) {
    SCOPED_TRACE(given);
    restart();
    request({{KES_DIST_GAMMA, 0}});
    if (given) param(KES_PLOT_SLOT_GAMMA_ALPHA, KES_PLOT_SLOT_GAMMA_ALPHA_MARKS, {1e-310});
    kes_cell* c = cell({1, 2, 3});
    bins(1, 1, 3);
    kes_curve& k = curve(c, 0);
    k.fitted = 1;
    k.params[0] = 0, k.params[1] = 1, k.params[2] = 1e-310;
    double cst = -1;
    EXPECT_EQ(kescnst(ctx, &req, c, 0, &cst), 1);
    EXPECT_EQ(cst, -1);
    EXPECT_EQ(count("The logarithm of the gamma function cannot be computed at the shape", log()), !given);
    EXPECT_EQ(count("The gamma curve is not fitted.", log()), 1) << log();
  }
}

}  // namespace
