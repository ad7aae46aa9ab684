// Johnson SU by maximum likelihood works relative to the smallest value, as the
// threshold fits do: a fit of x + c is the fit of x moved by c, its shapes and scale
// the same bits where the doubles hold the moved values exactly.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <vector>

#include "iris_sepal_width.h"
#include "kes_gram_names.h"
#include "moved_fit.h"
#include "support/fit_fixture.h"

namespace {

class SuLocation : public kes_test::moved_fit {
 protected:
  // Johnson SU by maximum likelihood with all four parameters EST on x + c.
  int fit(const std::vector<double>& x, double c, double* p) {
    restart();
    request({{KES_DIST_SU, 0}});
    param(KES_PLOT_SLOT_SU_THETA, KES_PLOT_SLOT_SU_THETA_MARKS, {0}, {1});
    param(KES_PLOT_SLOT_SU_SIGMA, KES_PLOT_SLOT_SU_SIGMA_MARKS, {0}, {1});
    param(KES_PLOT_SLOT_SU_DELTA, KES_PLOT_SLOT_SU_DELTA_MARKS, {0}, {1});
    param(KES_PLOT_SLOT_SU_GAMMA, KES_PLOT_SLOT_SU_GAMMA_MARKS, {0}, {1});
    stmt.slots[KES_PLOT_SLOT_SU_FITMETHOD].given = 1;
    stmt.slots[KES_PLOT_SLOT_SU_FITMETHOD].v.num = 1;
    return fit_moved(x, 1, c, p);
  }
};

TEST_F(SuLocation, JohnsonSuOfValuesMovedExactlyIsTheFitMovedToTheLastBits) {
  // iris Sepal.Width on a grid of eighths (its tenths times 10/8), which the doubles
  // hold exactly at a million and at a Unix time: the SU fit works relative to the
  // smallest value, so its shapes and scale are the same bits and its location moves
  // by c (rounded once at the offset). Before: the shapes a few parts in 1e8 apart.
  std::vector<double> x;
  for (double v : kes_test::iris_sepal_width()) x.push_back(std::round(v * 10) / 8);
  double p0[4];
  ASSERT_EQ(fit(x, 0, p0), 0) << log();
  for (double c : {1e6, 1.7e9, -1.7e9}) {
    SCOPED_TRACE(c);
    double p[4];
    ASSERT_EQ(fit(x, c, p), 0) << log();
    EXPECT_EQ(p[1], p0[1]);
    EXPECT_EQ(p[2], p0[2]);
    EXPECT_EQ(p[3], p0[3]);
    EXPECT_LE(std::fabs(p[0] - (p0[0] + c)), std::nextafter(std::fabs(c), INFINITY) - std::fabs(c));
  }
}

TEST_F(SuLocation, IrisSepalWidthMovedIsTheFitOfItsRoundedValuesMoved) {
  // iris Sepal.Width (R 4.2) moved by 1e6 and 1.7e9, where its tenths are rounded to
  // the doubles' spacing (1.2e-10 and 2.4e-7): the fit is that of the rounded values
  // moved back (fl(x + c) - c, exact), shapes and scale to the bit. Before: the shapes
  // 2.7e-5 apart from the fit as read at 1.7e9.
  const std::vector<double>& x = kes_test::iris_sepal_width();
  for (double c : {1e6, 1.7e9}) {
    SCOPED_TRACE(c);
    std::vector<double> back;
    for (double v : x) back.push_back((v + c) - c);
    double p0[4], p[4];
    ASSERT_EQ(fit(back, 0, p0), 0) << log();
    ASSERT_EQ(fit(x, c, p), 0) << log();
    for (int i = 1; i < 4; ++i) EXPECT_EQ(p[i], p0[i]) << i;
    EXPECT_LE(std::fabs(p[0] - (p0[0] + c)), std::nextafter(c, INFINITY) - c);
  }
}

}  // namespace
