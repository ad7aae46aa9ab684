// The point makers of probability, QQ, P-P and CDF plots against independent
// references: R 4.x (ppoints, qnorm, qlnorm, qweibull, qgamma, qbeta, qexp, pnorm,
// plnorm, pweibull, pgamma, pbeta, pexp, ecdf) and SciPy 1.10.1 (stats.probplot, whose
// inner positions are (i - 0.3175)/(n + 0.365)); the values are quoted from them.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <deque>
#include <vector>

#include "plotdata/kes_points.h"
#include "fitreport/kes_famsets.h"
#include "kes_gram_names.h"
#include "plotreq/plot_requests.h"
#include "plotreq/prob_fixture.h"
#include "records/kes_curve.h"
#include "records/kes_plotslot.h"
#include "stats/engine_threads.h"

namespace kes_test {
namespace {

class prob_points : public prob_fixture {
 protected:
  // The cell's plot slot with one curve of the family and its parameters.
  kes_curve* curve_of(kes_cell* c, int dist, std::vector<double> params) {
    curves_.emplace_back();
    kes_curve& k = curves_.back();
    k.dist = dist;
    for (size_t i = 0; i < params.size(); ++i) k.params[i] = params[i];
    k.fitted = 1;
    kes_plotslot& s = c->slots[0];
    s.curves = &k;
    s.ncurves = 1;
    s.curve = 0;
    return &k;
  }
  std::vector<double> xs(const double* p, int n, int which) {
    std::vector<double> v;
    for (int i = 0; i < n; ++i) v.push_back(p[2 * i + which]);
    return v;
  }
  std::deque<kes_curve> curves_;
};

// R: ppoints(10, a = 3/8) and the standardized quantiles of each family at them.
struct quantile_case {
  const char* what;
  int dist;
  std::vector<double> params;
  std::vector<double> expect;
  double tol;
};

TEST_F(prob_points, QuantilesAtBlomPositions) {
  const quantile_case cases[] = {
      {"qnorm(ppoints(10))", KES_DIST_NORMAL, {0, 1}, {-1.54663527139923, -1.0004905456193152, -0.65542350523442672,
       -0.37546177023551841, -0.12258084388880239, 0.12258084388880253, 0.37546177023551841, 0.65542350523442672,
       1.0004905456193152, 1.5466352713992295}, 1e-13},
      {"qlnorm(p, 0, 0.5)", KES_DIST_LOGNORMAL, {0, 0, 0.5}, {0.46147950493533546, 0.60638191247615425,
       0.72057069238950366, 0.82883772979003922, 0.94055004373435913, 1.0632076481859496, 1.2065087821874609,
       1.3877888881157148, 1.6491257067950962, 2.1669434705234076}, 1e-13},
      {"qweibull(p, 2)", KES_DIST_WEIBULL, {0, 1, 2}, {0.25082628532625778, 0.41546689719759111, 0.54391670602302877,
       0.66062647064141422, 0.77463330517989826, 0.89207697796772489, 1.0195211705883205, 1.1671318732434781,
       1.3571182298542439, 1.6725074991850266}, 1e-13},
      {"qgamma(p, 3)", KES_DIST_GAMMA, {0, 1, 3}, {0.88849338014038215, 1.3667970035057682, 1.7502527521426205,
       2.1121877033045848, 2.480672223689973, 2.8773612932866288, 3.3288850715468343, 3.8807808667173052,
       4.6390000522727268, 6.0224271137493357}, 1e-10},
      {"qbeta(p, 2, 3)", KES_DIST_BETA, {0, 1, 2, 3}, {0.10863973292559316, 0.18522069177603767, 0.24666138363357118,
       0.30303559477250275, 0.35801082962171421, 0.41396381838033536, 0.47324999269023726, 0.53921513076535965,
       0.61851226499233514, 0.73286398901171745}, 1e-10},
      {"qexp(p)", KES_DIST_EXPONENTIAL, {0, 1}, {0.062913825410569266, 0.17261274266699372, 0.29584538309094188,
       0.43642733371213127, 0.60005675749393339, 0.79580133462002878, 1.0394234172777792, 1.3621968095408301,
       1.8417698898027162, 2.797281334830152}, 1e-13},
      {"log(-log(1 - p))", KES_DIST_WEIBULL2, {0, 1, 1}, {-2.7659893395781214, -1.756704675323332,
       -1.2179183155551692, -0.82913339244725937, -0.51073103241667128, -0.22840570391101067, 0.038666152949518348,
       0.30909869768522913, 0.61072700592668949, 1.0286479936556967}, 1e-13},
  };
  for (const quantile_case& c : cases) {
    SCOPED_TRACE(c.what);
    restart();
    kind(KES_PLOT_QQ, "QQPLOT");
    kes_cell* cell = data(kScores);
    req.dist = c.dist;
    curve_of(cell, c.dist, c.params);
    double* p = nullptr;
    ASSERT_EQ(kespoints(ctx, cell, &p), 10);
    const std::vector<double> q = xs(p, 10, 0);
    for (int i = 0; i < 10; ++i) EXPECT_NEAR(q[i], c.expect[i], c.tol * (1 + std::fabs(c.expect[i]))) << i;
    // The ordered values go with them (their logarithms for the two-parameter Weibull).
    const std::vector<double> y = xs(p, 10, 1);
    EXPECT_NEAR(y[0], c.dist == KES_DIST_WEIBULL2 ? std::log(2.2) : 2.2, 1e-15);
    EXPECT_NEAR(y[9], c.dist == KES_DIST_WEIBULL2 ? std::log(7.1) : 7.1, 1e-15);
  }
}

TEST_F(prob_points, OtherRankAdjustments) {
  kind(KES_PLOT_QQ, "QQPLOT");
  kes_cell* cell = data(kScores);
  req.dist = KES_DIST_NORMAL;
  curve_of(cell, KES_DIST_NORMAL, {0, 1});
  // RANKADJ=0 NADJ=1: R ppoints(10, a = 0) = i/11.
  req.rankadj = 0;
  req.nadj = 1;
  double* p = nullptr;
  ASSERT_EQ(kespoints(ctx, cell, &p), 10);
  EXPECT_NEAR(p[0], -1.3351777361189365, 1e-13);  // R: qnorm(1/11)
  // SciPy probplot's inner positions (i - 0.3175)/(n + 0.365).
  req.rankadj = -0.3175;
  req.nadj = 0.365;
  ASSERT_EQ(kespoints(ctx, cell, &p), 10);
  const double osm[8] = {-0.9849466741389483, -0.6470380273640686, -0.371098189575024, -0.12121408713229873,
                         0.12121408713229859, 0.371098189575024,   0.6470380273640689, 0.9849466741389483};
  for (int i = 1; i <= 8; ++i) EXPECT_NEAR(p[2 * i], osm[i - 1], 1e-13) << i;
}

TEST_F(prob_points, TiesGiveOneProbabilityPointPerObservationAndRotateExchanges) {
  kind(KES_PLOT_QQ, "QQPLOT");
  kes_cell* cell = data({1, 2, 2, 3, 4});
  req.dist = KES_DIST_NORMAL;
  curve_of(cell, KES_DIST_NORMAL, {0, 1});
  double* p = nullptr;
  ASSERT_EQ(kespoints(ctx, cell, &p), 5);
  // p = (k + 0.625)/5.25, k = 0..4; R: qnorm(1.625/5.25), qnorm(2.625/5.25) = 0.
  EXPECT_NEAR(p[2], -0.49720057068155399, 1e-13);
  EXPECT_NEAR(p[4], 0, 1e-15);
  EXPECT_EQ(p[3], 2);
  EXPECT_EQ(p[5], 2);
  req.rotate = 1;
  ASSERT_EQ(kespoints(ctx, cell, &p), 5);
  EXPECT_EQ(p[2], 2);
  EXPECT_NEAR(p[3], -0.49720057068155399, 1e-13);
}

TEST_F(prob_points, EmpiricalCdfSteps) {
  kind(KES_PLOT_CDF, "CDFPLOT");
  kes_cell* cell = data({1, 2, 2, 3});
  kes_plotslot& key = cell->slots[0];
  key.hlow = 0;
  key.hhigh = 4;
  key.scale = 100;
  // R: ecdf(c(1, 2, 2, 3)) at 1, 2, 3 = 0.25, 0.75, 1.
  double* p = nullptr;
  ASSERT_EQ(kesecdfpts(ctx, cell, KES_ECDF_STEP_ENDS, &p), 5);
  EXPECT_EQ(xs(p, 5, 0), (std::vector<double>{0, 1, 2, 3, 4}));
  EXPECT_EQ(xs(p, 5, 1), (std::vector<double>{0, 25, 75, 100, 100}));
  ASSERT_EQ(kesecdfpts(ctx, cell, KES_ECDF_STEP_POINTS, &p), 8);
  EXPECT_EQ(xs(p, 8, 0), (std::vector<double>{0, 1, 1, 2, 2, 3, 3, 4}));
  EXPECT_EQ(xs(p, 8, 1), (std::vector<double>{0, 0, 25, 25, 75, 75, 100, 100}));
}

// The points given in pieces are the points made whole, bit for bit, in order and with
// nothing twice: for a small cell, for a run of equal values that crosses a piece's
// end, under ROTATE, on one thread and on eight, and for both forms of the empirical
// step curve.
struct pieces_case {
  const char* what;
  long count;   // values: k / 7 for k < count, each in a run of 7 ties
  int rotate;
  int threads;
  kes_ecdf_form form;
};

TEST_F(prob_points, PiecesAreThePointsMadeWhole) {
  const pieces_case cases[] = {
      {"a small cell, whose piece is held apart from the pool", 10, 0, 1, KES_ECDF_STEP_ENDS},
      {"a small cell at the most such a piece holds", 128, 1, 1, KES_ECDF_STEP_POINTS},
      {"one point past it", 129, 0, 1, KES_ECDF_STEP_POINTS},
      {"fewer than a piece", 1000, 0, 1, KES_ECDF_STEP_ENDS},
      {"a piece exactly", KES_POINT_PIECE, 0, 8, KES_ECDF_STEP_ENDS},
      {"ties across two piece ends", 2 * KES_POINT_PIECE + 12345, 0, 8, KES_ECDF_STEP_ENDS},
      {"rotated, one thread, step curve", KES_POINT_PIECE + 3, 1, 1, KES_ECDF_STEP_POINTS},
      {"rotated, eight threads, step curve", 2 * KES_POINT_PIECE + 12345, 1, 8, KES_ECDF_STEP_POINTS},
  };
  for (const pieces_case& c : cases) {
    SCOPED_TRACE(c.what);
    restart();
    kind(KES_PLOT_QQ, "QQPLOT");
    std::vector<double> v(static_cast<size_t>(c.count));
    for (long k = 0; k < c.count; ++k) v[static_cast<size_t>(k)] = static_cast<double>(k / 7);
    kes_cell* cell = data(v);
    req.dist = KES_DIST_NORMAL;
    req.rotate = c.rotate;
    curve_of(cell, KES_DIST_NORMAL, {0, 1});
    kes_plotslot& key = cell->slots[0];
    key.hlow = -1;
    key.hhigh = 1e6;
    key.scale = 1;

    kes_set_engine_threads(1);
    double* whole = nullptr;
    const int n = kespoints(ctx, cell, &whole);
    ASSERT_EQ(n, c.count);
    double* steps = nullptr;
    const int ns = kesecdfpts(ctx, cell, c.form, &steps);
    ASSERT_EQ(ns, c.form == KES_ECDF_STEP_ENDS ? c.count / 7 + 1 + 2 : 2 * (c.count / 7 + 1) + 2);

    kes_set_engine_threads(c.threads);
    const auto collect = [](std::vector<double>& got, std::vector<long>& firsts) {
      return [&got, &firsts](double* xy, long first, int m) {
        EXPECT_LE(m, KES_POINT_PIECE);
        firsts.push_back(first);
        got.insert(got.end(), xy, xy + 2 * m);
      };
    };
    std::vector<double> got, got_steps;
    std::vector<long> firsts, firsts_steps;
    EXPECT_EQ(kespoints_pieces(ctx, cell, collect(got, firsts)), n);
    EXPECT_EQ(kesecdfpts_pieces(ctx, cell, c.form, collect(got_steps, firsts_steps)), ns);
    kes_set_engine_threads(1);

    // Same bits: memcmp tells a -0 from a 0, which a comparison of doubles does not.
    ASSERT_EQ(got.size(), 2u * static_cast<size_t>(n));
    EXPECT_EQ(std::memcmp(got.data(), whole, got.size() * sizeof(double)), 0);
    ASSERT_EQ(got_steps.size(), 2u * static_cast<size_t>(ns));
    EXPECT_EQ(std::memcmp(got_steps.data(), steps, got_steps.size() * sizeof(double)), 0);
    for (size_t i = 0; i < firsts.size(); ++i) EXPECT_EQ(firsts[i], static_cast<long>(i) * KES_POINT_PIECE) << i;
    for (size_t i = 0; i < firsts_steps.size(); ++i)
      EXPECT_EQ(firsts_steps[i], static_cast<long>(i) * KES_POINT_PIECE) << i;
    kes_points_free(ctx, whole);
    kes_points_free(ctx, steps);
  }
}

TEST_F(prob_points, PiecesOfACellWithoutValuesOrCurve) {
  kind(KES_PLOT_QQ, "QQPLOT");
  kes_cell* cell = data(kScores);
  long calls = 0;
  const auto count_calls = [&calls](double*, long, int) { ++calls; };
  // No family: no points, and nothing is called.
  req.dist = -1;
  EXPECT_EQ(kespoints_pieces(ctx, cell, count_calls), 0);
  // No values kept: the memory note's -1.
  req.dist = KES_DIST_NORMAL;
  curve_of(cell, KES_DIST_NORMAL, {0, 1});
  const kes_valview* view = cell->varsums[0].view;
  cell->varsums[0].view = nullptr;
  EXPECT_EQ(kespoints_pieces(ctx, cell, count_calls), -1);
  EXPECT_EQ(kesecdfpts_pieces(ctx, cell, KES_ECDF_STEP_ENDS, count_calls), -1);
  cell->varsums[0].view = view;
  EXPECT_EQ(calls, 0);
}

TEST_F(prob_points, PpPointsAreTheFittedCdfAtEachDistinctValue) {
  kind(KES_PLOT_PP, "PPPLOT");
  stmt.flag(KES_PLOT_FLAG_NORMAL);
  stmt.param(KES_PARAM_ROWS[KES_P_NORMAL_MU], {0}, {1}).param(KES_PARAM_ROWS[KES_P_NORMAL_SIGMA], {0}, {1});
  kes_cell* cell = data(kScores);
  ASSERT_EQ(run(keszini), 0);
  double* p = nullptr;
  ASSERT_EQ(keszpts(ctx, cell, &p), 10);
  // R: pnorm(sort(x), mean(x), sd(x)).
  const double f[10] = {0.045355449678697653, 0.16454277525654107, 0.27908075438007612, 0.32439391273032647,
                        0.39733341737480132,  0.55176728667793662, 0.6275302305958077,  0.76291235237513866,
                        0.90341810310103021,  0.93273414134165455};
  for (int i = 0; i < 10; ++i) {
    EXPECT_NEAR(p[2 * i], f[i], 1e-14) << i;
    EXPECT_NEAR(p[2 * i + 1], (i + 1) / 10.0, 1e-15) << i;
  }
  // Ties: one point per distinct value.
  restart();
  kind(KES_PLOT_PP, "PPPLOT");
  cell = data({1, 2, 2, 3});
  curve_of(cell, KES_DIST_NORMAL, {2, 1});
  cell->slots[0].scale = 1;
  ASSERT_EQ(keszpts(ctx, cell, &p), 3);
  EXPECT_DOUBLE_EQ(p[3], 0.75);
  EXPECT_DOUBLE_EQ(p[2], 0.5);
}

// A fitted curve of a family with its parameters in curve order.
kes_curve fitted_curve(int dist, const std::vector<double>& params) {
  kes_curve k{};
  k.dist = dist;
  for (size_t i = 0; i < params.size(); ++i) k.params[i] = params[i];
  return k;
}

struct cdf_case {
  const char* what;
  int dist;
  std::vector<double> params;
  double at2, at5;  // F(2), F(5)
};

TEST_F(prob_points, FittedDistributionFunctions) {
  const cdf_case cases[] = {
      // The lognormal's parameters in curve order: threshold, zeta, sigma.
      {"plnorm(x, 1, 0.5)", KES_DIST_LOGNORMAL, {0, 1, 0.5}, 0.26970493073490953, 0.8885543367068075},
      {"pweibull(x - 1, 1.5, 3)", KES_DIST_WEIBULL, {1, 3, 1.5}, 0.17506451007071328, 0.78553328293230562},
      {"pgamma((x - 1)/2, 2.5)", KES_DIST_GAMMA, {1, 2, 2.5}, 0.03743422675270363, 0.45058404864721979},
      {"pbeta((x - 1)/10, 2, 3)", KES_DIST_BETA, {1, 10, 2, 3}, 0.052300000000000027, 0.52480000000000004},
      {"pexp((x - 1)/2)", KES_DIST_EXPONENTIAL, {1, 2}, 0.39346934028736658, 0.8646647167633873},
      // mpmath ncdf (40 digits) of the standardized and Johnson-transformed points.
      {"pnorm(x, 3, 2)", KES_DIST_NORMAL, {3, 2}, 0.3085375387259869, 0.84134474606854295},
      {"SB 1, 10, delta 1.2, gamma 0.5", KES_DIST_SB, {1, 10, 1.2, 0.5}, 0.016312441499245563, 0.50536236889570221},
      {"SU 3, 2, delta 1.5, gamma -0.5", KES_DIST_SU, {3, 2, 1.5, -0.5}, 0.11088827966424245, 0.79447873353049395},
  };
  for (const cdf_case& c : cases) {
    SCOPED_TRACE(c.what);
    const kes_curve k = fitted_curve(c.dist, c.params);
    bool failed = false;
    EXPECT_NEAR(kes_curve_cdf(&k, 2, &failed), c.at2, 1e-13);
    EXPECT_NEAR(kes_curve_cdf(&k, 5, &failed), c.at5, 1e-13);
    EXPECT_FALSE(failed);
  }
  // Johnson SB reaches 1 at the upper end of its range; a P-P point there too.
  const kes_curve sb = fitted_curve(KES_DIST_SB, {0, 10, 1, 0});
  bool failed = false;
  EXPECT_EQ(kes_curve_cdf(&sb, 10, &failed), 1.0);
  EXPECT_EQ(kes_curve_cdf(&sb, 12, &failed), 1.0);
  EXPECT_DOUBLE_EQ(kes_curve_cdf(&sb, 5, &failed), 0.5);
}

// The low tails, where the copies the families once had differed: 1 - exp lost the
// relative accuracy of Weibull points, log(z + sqrt(z^2 + 1)) that of SU points, and a
// support starting 1e-7 past the threshold dropped the mass a large lognormal sigma or
// a small gamma or beta shape puts there. The exponential keeps 1 - exp (its expected
// percents keep their digits), good to about 1e-10 relative at 1e-6. Reference values:
// mpmath (40 digits) ncdf, expm1, gammainc and betainc (regularized).
TEST_F(prob_points, FittedDistributionFunctionsInTheLowTail) {
  const struct {
    const char* what;
    int dist;
    std::vector<double> params;
    double x, want, tol;
  } cases[] = {
      {"normal far tail", KES_DIST_NORMAL, {0, 1}, -30, 4.9067139271481871e-198, 1e-12},
      {"lognormal sigma 5 at 1e-8", KES_DIST_LOGNORMAL, {0, 0, 5}, 1e-8, 0.0001147397827267165, 1e-12},
      {"exponential scale 2 at 2e-6", KES_DIST_EXPONENTIAL, {0, 2}, 2e-6, 9.9999950000016667e-7, 1e-9},
      {"Weibull c 2 at 1e-6", KES_DIST_WEIBULL, {0, 1, 2}, 1e-6, 9.999999999995e-13, 1e-12},
      {"gamma alpha 0.1 at 1e-8", KES_DIST_GAMMA, {0, 1, 0.1}, 1e-8, 0.16659398838160217, 1e-12},
      {"beta 0.5, 2 at 1e-9", KES_DIST_BETA, {0, 1, 0.5, 2}, 1e-9, 4.7434164886714302e-5, 1e-12},
      {"SB delta 0.3 at 1e-9", KES_DIST_SB, {0, 1, 0.3, 0}, 1e-9, 2.5340756803028825e-10, 1e-12},
      {"SU delta 0.5 at -1e6", KES_DIST_SU, {0, 1, 0.5, 0}, -1e6, 2.0182913348401431e-13, 1e-12},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    const kes_curve k = fitted_curve(c.dist, c.params);
    bool failed = false;
    EXPECT_NEAR(kes_curve_cdf(&k, c.x, &failed) / c.want, 1.0, c.tol);
    EXPECT_FALSE(failed);
    // The percentile axes' percent at the standardized point (every threshold is 0; the
    // lognormal's zeta 0 makes its scale 1) has the same accuracy past its cut-off at 1e-7.
    const kes_famfn* fn = kes_famdisp(c.dist);
    ASSERT_NE(fn, nullptr);
    const double z = c.dist == KES_DIST_LOGNORMAL ? c.x : c.x / c.params[1];
    if (c.dist == KES_DIST_NORMAL || c.dist == KES_DIST_SU || z > 1e-7)
      EXPECT_NEAR(fn->p(k.params, z) / (100.0 * c.want), 1.0, c.tol);
    else
      EXPECT_EQ(fn->p(k.params, z), 0.0);
  }
  // Below the support, and past a beta's upper end, where the incomplete beta refuses.
  const kes_curve beta = fitted_curve(KES_DIST_BETA, {1, 2, 2, 3});
  bool failed = false;
  EXPECT_EQ(kes_curve_cdf(&beta, 1, &failed), 0.0);
  EXPECT_EQ(kes_curve_cdf(&beta, 3.5, &failed), 1.0);
  EXPECT_FALSE(failed);
}

TEST_F(prob_points, CdfCurveOverTheHorizontalRange) {
  kind(KES_PLOT_CDF, "CDFPLOT");
  kes_cell* cell = data(kScores);
  curve_of(cell, KES_DIST_EXPONENTIAL, {1, 2});
  kes_plotslot& key = cell->slots[0];
  key.hlow = 1;
  key.hhigh = 1 + 199 * 0.05;
  key.scale = 100;
  std::vector<double> out(400);
  ASSERT_EQ(kescdfpts(ctx, cell, out.data()), 0);
  EXPECT_DOUBLE_EQ(out[0], 1);
  EXPECT_DOUBLE_EQ(out[1], 0);
  EXPECT_NEAR(out[2 * 20], 2, 1e-12);
  EXPECT_NEAR(out[2 * 20 + 1], 100 * 0.39346934028736658, 1e-11);  // R: 100 pexp(0.5)
  EXPECT_DOUBLE_EQ(out[398], key.hhigh);
}

}  // namespace
}  // namespace kes_test
