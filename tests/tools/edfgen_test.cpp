// The table maker: its least squares recover a table of the reader's form exactly,
// its simulation is the same whatever the thread count, and a known law's W-Sq has
// the mean 1/6 that holds at every sample size.
#include <gtest/gtest.h>

#include <cmath>

#include "edfgen.h"
#include "fitreport/kes_edfcoef.h"

namespace {

TEST(Edfgen, LeastSquaresRecoverATableOfTheForm) {
  const struct {
    int family, set, stat;
  } rows[] = {{KES_COEF_GAMMA, 5, 1}, {KES_COEF_LOGNORMAL, 4, 0}, {KES_COEF_WEIBULL, 6, 2}};
  for (const auto& r : rows) {
    SCOPED_TRACE(r.family * 100 + r.set);
    double v[16];
    int nrows, size;
    const int nv = kes_edf_coef_terms(r.family, r.set, r.stat, 1.0, 2.0, v, &nrows, &size);
    std::vector<double> truth(size, 0.0);
    for (int i = 0; i < nrows * 11 + nv - nrows; ++i) truth[i] = 0.1 * std::sin(1.0 + i);
    std::vector<point_quant> pts;
    for (const grid_point& g : edfgen_grid(r.family, r.set)) {
      point_quant q{};
      q.set = r.set;
      q.shape = g.shape;
      q.n = g.n;
      q.valid[r.stat] = true;
      kes_edf_coef_terms(r.family, r.set, r.stat, g.shape, g.n, v, &nrows, &size);
      for (int j = 0; j < 11; ++j) {
        double e = 0.0;
        for (int k = 0; k < nv; ++k) e += v[k] * (k < nrows ? truth[k * 11 + j] : truth[nrows * 11 + k - nrows]);
        q.q[r.stat][j] = std::exp(e);
      }
      pts.push_back(q);
    }
    double rms = 1.0;
    const std::vector<double> fit = edfgen_fit_table(r.family, r.set, r.stat, pts, &rms);
    ASSERT_EQ(fit.size(), truth.size());
    for (size_t i = 0; i < fit.size(); ++i) EXPECT_NEAR(fit[i], truth[i], 1e-7) << i;
    EXPECT_LT(rms, 1e-10);
  }
}

TEST(Edfgen, SimulationIsTheSameOnAnyNumberOfThreads) {
  edfgen_host_start();
  const grid_point pts[2] = {{2.5, 12}, {4.0, 30}};
  std::vector<replicate> one[2], many[2];
  edfgen_simulate(KES_COEF_WEIBULL, 7, pts, 2, 130, 11, 1, one);
  edfgen_simulate(KES_COEF_WEIBULL, 7, pts, 2, 130, 11, 3, many);
  for (int p = 0; p < 2; ++p)
    for (int i = 0; i < 130; ++i) {
      EXPECT_EQ(one[p][i].ok, many[p][i].ok);
      if (!one[p][i].ok) continue;
      EXPECT_EQ(one[p][i].shape, many[p][i].shape);
      for (int s = 0; s < 3; ++s) EXPECT_EQ(std::isnan(one[p][i].stat[s]) ? 0.0 : one[p][i].stat[s] - many[p][i].stat[s], 0.0);
    }
}

TEST(Edfgen, KnownLawWSqHasMeanOneSixth) {
  edfgen_host_start();
  const grid_point pts[3] = {{1.5, 20}, {0.7, 20}, {3.0, 20}};
  std::vector<replicate> r[3];
  for (int family = 0; family < 3; ++family) {
    edfgen_simulate(family, 0, &pts[family], 1, 4000, 5, 2, &r[family]);
    double sum = 0.0;
    for (const replicate& x : r[family]) sum += x.stat[1];
    // Var W-Sq = 1/45 - 1/(60n) + ... ~ 0.021: the mean of 4000 within 0.0023 per
    // standard error.
    EXPECT_NEAR(sum / 4000.0, 1.0 / 6.0, 0.01) << family;
  }
}

}  // namespace
