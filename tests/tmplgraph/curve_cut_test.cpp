// kesgden's result: a fitted curve is whole however far it rises past the key cell's
// axis maximum (the renderers cut it at the frame, so its far side still shows), and
// drawing never moves the maximum that every cell shares.
#include <gtest/gtest.h>

#include <algorithm>
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
  int draw(kes_cell* c, double a, double b, int* n, std::vector<double>* out = nullptr) {
    std::vector<double> p(400);
    *n = 200;
    const int r = kesgden(ctx, c, p.data(), a, b, n, 0);
    if (out != nullptr) *out = std::vector<double>(p.begin(), p.begin() + 2 * *n);
    return r;
  }
};

TEST_F(CurveCut, TheCurveIsWholeWhateverTheAxisMaximum) {
  kes_cell* c = normal_curve();
  const double peak = 50 * 0.3989422804014327;  // w N / (sigma sqrt(2 pi)), count scale
  slot(c).vmax = peak * 2;
  int whole_n = 0;
  std::vector<double> whole;
  ASSERT_EQ(draw(c, 0, 10, &whole_n, &whole), KES_CURVE_WHOLE);
  ASSERT_GT(whole_n, 100);
  // Both sides of the peak: the curve comes back down to the far end.
  EXPECT_NEAR(whole[1], whole[2 * whole_n - 1], 1e-9 * peak);  // 5 +- 5 sigma alike
  double top = 0;
  for (int i = 0; i < whole_n; ++i) top = std::max(top, whole[2 * i + 1]);
  EXPECT_NEAR(top, peak, 1e-9 * peak);
  const double tops[] = {peak / 2, peak * 0.999, peak / 1000};
  for (const int tmpl : {0, 1})
    for (const double t : tops) {
      SCOPED_TRACE(testing::Message() << "top " << t << " template " << tmpl);
      ctx->tmplgraph = tmpl;
      slot(c).vmax = t;
      int n = 0;
      std::vector<double> p;
      EXPECT_EQ(draw(c, 0, 10, &n, &p), KES_CURVE_WHOLE);
      EXPECT_EQ(p, whole);
      EXPECT_EQ(slot(c).vmax, t);  // the shared maximum stays
      // From past the peak too: it starts at its own height, above the maximum.
      EXPECT_EQ(draw(c, 5, 10, &n, &p), KES_CURVE_WHOLE);
      EXPECT_NEAR(p.at(1), peak, 1e-9 * peak);
    }
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
