// The engine's maxima of several parameters to the rounding of the likelihood: R's
// mtcars wt with BETA(THETA=EST SIGMA=EST) against SciPy's maximum, and Johnson SU by
// maximum likelihood on iris Sepal.Width moved to a Unix time against the fit as read
// (a fit of x + c is the fit of x moved by c). The optimiser's stopping rule leaves
// log L within about 1e-12 of its maximum, which on these flat ridges left the
// parameters a few parts in a million apart.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "iris_sepal_width.h"
#include "kes_gram_names.h"
#include "support/fit_fixture.h"
#include "support/ref_tables.h"

namespace {

class MlPolish : public kes_test::fit_fixture {
 protected:
  // Fits the curve with the given (value, marker) slots set to EST; the parameters to p.
  int fit(int dist, const std::vector<std::pair<int, int>>& est, const std::vector<double>& x, double* p,
          int method_slot = 0, int method = 0) {
    restart();
    request({{dist, 0}});
    for (const auto& [v, m] : est) param(v, m, {0}, {1});
    if (method_slot != 0) {
      stmt.slots[method_slot].given = 1;
      stmt.slots[method_slot].v.num = method;
    }
    std::vector<double> y = x;
    std::sort(y.begin(), y.end());
    kes_cell* c = cell(y);
    const int rc = estimate(c, 0);
    for (int i = 0; i < 4; ++i) p[i] = curve(c, 0).params[i];
    return rc;
  }
};

TEST_F(MlPolish, FourParameterBetaReachesSciPysMaximum) {
  // SciPy 1.10, scipy.stats.beta.fit on mtcars wt (its profile maximum): sigma
  // 4.4525624, alpha 1.4189632, beta 2.1628992. Before: 4.45256, 1.418962, 2.162896.
  std::vector<double> x;
  for (const auto& row : kes_test::ref_rows("fit/ref/rdata/mtcars_wt.txt")) x.push_back(std::stod(row[0]));
  ASSERT_EQ(x.size(), 32u);
  double p[4];
  ASSERT_EQ(fit(KES_DIST_BETA,
                {{KES_PLOT_SLOT_BETA_THETA, KES_PLOT_SLOT_BETA_THETA_MARKS},
                 {KES_PLOT_SLOT_BETA_SIGMA, KES_PLOT_SLOT_BETA_SIGMA_MARKS}},
                x, p),
            0)
      << log();
  EXPECT_NEAR(p[1], 4.4525624, 1e-7 * 4.45);
  EXPECT_NEAR(p[2], 1.4189632, 1e-7 * 1.42);
  EXPECT_NEAR(p[3], 2.1628992, 1e-7 * 2.16);
}

TEST_F(MlPolish, JohnsonSuOfDataMovedToAUnixTimeIsTheFitMoved) {
  // iris Sepal.Width (R 4.2); at 1.7e9 the values round to 2.4e-7, which moves the
  // maximum by about 1e-6 of its shapes. Before: the shapes 2.7e-5 apart.
  const std::vector<double>& x = kes_test::iris_sepal_width();
  const std::vector<std::pair<int, int>> est = {{KES_PLOT_SLOT_SU_THETA, KES_PLOT_SLOT_SU_THETA_MARKS},
                                                {KES_PLOT_SLOT_SU_SIGMA, KES_PLOT_SLOT_SU_SIGMA_MARKS},
                                                {KES_PLOT_SLOT_SU_DELTA, KES_PLOT_SLOT_SU_DELTA_MARKS},
                                                {KES_PLOT_SLOT_SU_GAMMA, KES_PLOT_SLOT_SU_GAMMA_MARKS}};
  double p0[4], p[4];
  ASSERT_EQ(fit(KES_DIST_SU, est, x, p0, KES_PLOT_SLOT_SU_FITMETHOD, 1), 0) << log();
  std::vector<double> y;
  for (double v : x) y.push_back(v + 1.7e9);
  ASSERT_EQ(fit(KES_DIST_SU, est, y, p, KES_PLOT_SLOT_SU_FITMETHOD, 1), 0) << log();
  EXPECT_NEAR(p[0] - 1.7e9, p0[0], 4e-6 * p0[1]);
  for (int i = 1; i < 4; ++i) EXPECT_NEAR(p[i], p0[i], 4e-6 * std::fabs(p0[i])) << i;
}

}  // namespace
