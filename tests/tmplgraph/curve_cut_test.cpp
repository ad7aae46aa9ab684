// kesgden's result: a fitted curve cut at the key cell's axis maximum says so (the
// template graph then gives its axis that maximum), a whole curve does not, and
// drawing never moves the maximum that every cell shares.
#include <gtest/gtest.h>

#include <vector>

#include "fit/family/kes_families.h"
#include "fitreport/kes_famsets.h"
#include "kes_gram_names.h"
#include "support/fit_fixture.h"

namespace {

class CurveCut : public kes_test::fit_fixture {
 protected:
  kes_cell* normal_curve() {
    request({{KES_DIST_NORMAL, 0}}, 1);
    param(KES_PLOT_SLOT_NORMAL_MU, KES_PLOT_SLOT_NORMAL_MU_MARKS, {5});
    param(KES_PLOT_SLOT_NORMAL_SIGMA, KES_PLOT_SLOT_NORMAL_SIGMA_MARKS, {1});
    std::vector<double> v;
    for (int i = 0; i < 50; ++i) v.push_back(i % 10);
    kes_cell* c = cell(v);
    bins(0, 1, 10);
    EXPECT_EQ(estimate(c, 0, -100, 100), 0);
    return c;
  }
  int draw(kes_cell* c, double a, double b, int* n) {
    std::vector<double> p(400);
    *n = 200;
    return kesgden(ctx, c, p.data(), a, b, n, 0);
  }
};

TEST_F(CurveCut, ResultSaysWhetherTheCurveWasCut) {
  kes_cell* c = normal_curve();
  const double peak = 50 * 0.3989422804014327;  // w N / (sigma sqrt(2 pi)), count scale
  struct row {
    double top;
    int want;
  };
  const row rows[] = {{peak * 2, KES_CURVE_WHOLE}, {peak / 2, KES_CURVE_CUT}, {peak * 0.999, KES_CURVE_CUT}};
  for (const row& r : rows) {
    slot(c).vmax = r.top;
    int n = 0;
    EXPECT_EQ(draw(c, 0, 10, &n), r.want) << r.top;
    EXPECT_GT(n, 1);
    EXPECT_EQ(slot(c).vmax, r.top);  // the shared maximum stays
  }
  // A curve starting above the maximum (template graphs start it there) and one
  // coming down through it from the start.
  slot(c).vmax = peak / 2;
  int n = 0;
  ctx->tmplgraph = 0;
  EXPECT_EQ(draw(c, 5, 10, &n), KES_CURVE_CUT);
  ctx->tmplgraph = 1;
  EXPECT_EQ(draw(c, 5, 10, &n), KES_CURVE_WHOLE);  // the top is raised to its first height
  EXPECT_EQ(slot(c).vmax, peak / 2);
}

TEST_F(CurveCut, NoConstantNoCurve) {
  request({{KES_DIST_GAMMA, 0}});
  kes_cell* c = cell({1, 2, 3});
  bins(1, 1, 3);
  curve(c, 0).fitted = 1;
  int n = 0;
  EXPECT_EQ(draw(c, 1, 3, &n), KES_CURVE_NONE);
  EXPECT_EQ(n, 0);
}

}  // namespace
