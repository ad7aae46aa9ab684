// zlogtnc_test.cpp - the log-scale noncentral t service zlogtnc (tails, density,
// quantile) and zldntnc, with the route of the normal-theory percentile limits
// (zqtnc first, zlogtnc with tol = 1e-14 when it fails).
// Reference values: tests/numeric/ref/zlogtnc_ref.py with ref/nct_mp.py (mpmath 1.2.1
// at 30 digits: both tails and the density as integrals over the chi-square variable by
// a converged trapezoidal rule in ln u, quantiles by Newton's method on them) and
// R 4.2.2 pt(log.p = TRUE), dt(log = TRUE), qt() with ncp = as a cross-check (R's pnt
// uses a rough normal approximation for |ncp| > 37.62); generated 2026-12-06.
// Required accuracy of the quantiles: 1e-10 relative.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>

#include "numeric/zlogtnc.h"
#include "numeric/zmissing.h"
#include "numeric/zprbnrm.h"
#include "numeric/zprobit.h"
#include "numeric/zqtnc.h"

namespace {

struct TailRef {
  double x, df, nc, lo, up, rlo, rup;
};
struct DensRef {
  double x, df, nc, ld, r;
};
struct QuantRef {
  double p, df, nc, mp, r;
};
// {x, df, nc, ln P(T <= x), ln P(T > x) (mpmath), the same two from R}
const TailRef kTails[] = {
    {2, 10, 0, -0.037384178696341468, -3.3051415512324533, -0.037384178696341482, -3.3051415512324529},
    {-2, 10, 0, -3.3051415512324533, -0.037384178696341468, -3.3051415512324529, -0.037384178696341482},
    {0.29999999999999999, 7, 0, -0.48848541037155224, -0.95076565858478457, -0.48848541037155224, -0.95076565858478457},
    {40, 3, 0, -1.719048815017402e-05, -10.971162936870327, -1.719048815017404e-05, -10.971162936870325},
    {-300, 5, 0, -26.268775181884795, -3.9049537289687285e-12, -26.268775181884788, -3.9049537289687503e-12},
    {0, 10, 1.5, -2.7059444008238898, -0.069143455612233978, -2.7059444008238898, -0.069143455612233992},
    {0, 4, -2, -0.02301290932896349, -3.7831843336820321, -0.02301290932896349, -3.7831843336820317},
    {2, 10, 1, -0.21367407549590037, -1.6482388388681084, -0.21367407549597986, -1.6482388388677747},
    {-1, 5, 2, -6.0677515329100071, -0.002319062602283397, -6.0677515328718838, -0.0023190626023719104},
    {0.5, 30, 0.29999999999999999, -0.54908712733958942, -0.86151076283414163, -0.54908712733992671, -0.86151076283368067},
    {12, 49, 11.631, -0.55369379920924944, -0.85524879662970987, -0.55369379921046025, -0.85524879662807296},
    {1.5, 3, 3, -2.4941734151207262, -0.086173186443714009, -2.4941734151259993, -0.08617318644323943},
    {-5, 10, 30, -486.15839007225878, 0, -HUGE_VAL, 0},
    {100, 10, 5, -1.0043249406951786e-11, -25.324120407921356, -1.0787482018828519e-11, -25.252634726378297},
    {-3, 25, -1, -3.3666962115809316, -0.03511274140544636, -3.3666962115792458, -0.035112741405506603},
    {1, 25, -2, -0.0015324109166003628, -6.4816791289180857, -0.0015324109166099918, -6.4816791289118063},
    {-40, 12, -20, -5.3213732301131031, -0.0048980151755982793, -5.3213732299533687, -0.0048980151763825808},
    {113.3, 4999, 116.3, -3.7519128954133234, -0.02375267638365397, -3.7567327035044844, -0.023637107996506788},
    {119.40000000000001, 4999, 116.3, -0.023642198609074183, -3.7565198966824358, -0.023769843543226803, -3.7511989597306785},
    {0.59999999999999998, 1, 0.5, -0.71458757085553526, -0.67215684806382869, -0.71458757085575941, -0.67215684806361375},
    {3, 2.5, 1, -0.15172820580451218, -1.9605695382775215, -0.15172820580498289, -1.9605695382746486},
    {50, 200, 60, -8.9771969488206196, -0.0001262642256965474, -9.2821528748319651, -9.307486973673681e-05},
    {-1, 100, 40, -841.13937445951592, -9.1705080231942622e-30, -840.84697391173961, -0},
};
// {x, df, nc, ln f(x) (mpmath), R dt(log = TRUE)}
const DensRef kDens[] = {
    {0, 10, 1, -1.4438973521509522, -1.4438973521509522},
    {0, 3, 0, -1.0008888496235098, -1.0008888496235098},
    {1, 10, 1, -0.96800378227135808, -0.96800378227211947},
    {-1, 10, 1, -2.923824043346698, -2.9238240433511047},
    {2.5, 5, 0.5, -2.6165496598682156, -2.6165496598695945},
    {-0.69999999999999996, 8, -1.8999999999999999, -1.6387764146446608, -1.6387764146471535},
    {3, 20, 1.0000000000000001e-17, -4.8328506829204736, -4.8328506829203999},
    {0.20000000000000001, 1, 1.2, -1.5967197744557076, -1.5967197744578938},
    {4, 15, 3, -1.5077451126223484, -1.5077451126243842},
    {-2, 6, 5, -21.389531919267146, -21.38965257263952},
    {30, 40, 25, -3.2576930475402688, -3.2576930475444543},
    {0.80000000000000004, 0.69999999999999996, 1, -1.3806716834801236, -1.3806716834796493},
    {60, 4999, 47.700000000000003, -56.981093434395305, -HUGE_VAL},
    {-0.5, 4, 1.99, -4.0864160340340465, -4.0864160339845004},
};
// {p, df, nc, mpmath quantile, R qt(p, df, ncp = nc)}
const QuantRef kQuant[] = {
    {0.025000000000000001, 49, 11.630871536766737, 9.0099117195331448, 9.0099117195390299},
    {0.97499999999999998, 49, 11.630871536766737, 15.247903726535244, 15.247903726556761},
    {0.025000000000000001, 499, 36.780045229005722, 33.913338802322762, 33.91333880233838},
    {0.97499999999999998, 499, 36.780045229005722, 39.947581273248957, 39.947581273272085},
    {0.025000000000000001, 4999, 116.30871536766738, 113.34865414163728, 113.35158540430885},
    {0.97499999999999998, 4999, 116.30871536766738, 119.36347978861808, 119.3669037874884},
    {0.050000000000000003, 4999, 164.49763571331869, 161.37945453843662, 161.382667990686},
    {0.94999999999999996, 4999, 164.49763571331869, 167.71449294098201, 167.71812368194873},
    {0.29999999999999999, 10, 1, 0.48458979068850222, 0.48458979068861652},
    {0.90000000000000002, 5, -2, -0.72184168098962664, -0.72184168098968371},
    {9.9999999999999995e-07, 20, 3, -1.9883925486277798, -1.9883925558428075},
    {0.5, 3, 0, 0, 0},
    {0.999, 100, 10, 14.388117118761683, 14.388117119041084},
    {0.20000000000000001, 1000000, 2, 1.1583787736913298, 1.1583787736912541},
};

ztnc_req make(int flags, double x, double df, double nc) {
  ztnc_req r;
  std::memset(&r, 0, sizeof r);
  r.flags = flags;
  r.x = x;
  r.df = df;
  r.nc = nc;
  return r;
}

// The normal-theory percentile limits' route: zqtnc, then the log-scale service.
int limit_quantile(double p, double df, double nc, double* t, bool* fallback) {
  *fallback = false;
  if (zqtnc(p, df, nc, t) == 0) return 0;
  *fallback = true;
  ztnc_req r = make(4, 0.0, df, nc);
  r.p = p;
  r.tol = 1e-14;
  const int st = zlogtnc(&r);
  if (st == 0) *t = r.x;
  return st;
}

}  // namespace

TEST(Zlogtnc, TailsMatchReferences) {
  for (const auto& c : kTails) {
    ztnc_req r = make(1, c.x, c.df, c.nc);
    ASSERT_EQ(zlogtnc(&r), 0) << c.x << " " << c.df << " " << c.nc;
    // 2e-12 of the log (its value near 0 is checked absolutely: 1e-15).
    EXPECT_LE(std::fabs(r.log_lower - c.lo), 2e-12 * std::fabs(c.lo) + 1e-15)
        << "lower x " << c.x << " df " << c.df << " nc " << c.nc << " got " << r.log_lower;
    EXPECT_LE(std::fabs(r.log_upper - c.up), 2e-12 * std::fabs(c.up) + 1e-15)
        << "upper x " << c.x << " df " << c.df << " nc " << c.nc << " got " << r.log_upper;
    EXPECT_EQ(r.x, c.x);  // restored after a reflection
    EXPECT_EQ(r.nc, c.nc);
    EXPECT_EQ(r.reflected, 0);
    if (std::fabs(c.nc) <= 37.62 && std::isfinite(c.rlo) && c.lo > -700.0) {
      EXPECT_LE(std::fabs(r.log_lower - c.rlo), 1e-10 * std::max(1.0, std::fabs(c.lo)))
          << "R cross-check x " << c.x << " df " << c.df << " nc " << c.nc;
    }
  }
}

TEST(Zlogtnc, DensityMatchesReferences) {
  for (const auto& c : kDens) {
    double ld = 0.0;
    ASSERT_EQ(zldntnc(c.x, c.df, c.nc, &ld), 0) << c.x << " " << c.df << " " << c.nc;
    EXPECT_LE(std::fabs(ld - c.ld), 1e-12 * std::max(1.0, std::fabs(c.ld)))
        << "x " << c.x << " df " << c.df << " nc " << c.nc << " got " << ld;
    // Through the request record (flag 2).
    ztnc_req r = make(2, c.x, c.df, c.nc);
    ASSERT_EQ(zlogtnc(&r), 0);
    EXPECT_EQ(r.log_density, ld);
    // R's dt with ncp loses digits in the far tails (1.2e-4 at ln f = -21.4).
    if (std::isfinite(c.r) && std::fabs(c.nc) <= 37.62 && c.ld > -10.0) {
      EXPECT_LE(std::fabs(ld - c.r), 1e-9 * std::max(1.0, std::fabs(c.ld))) << "R cross-check";
    }
  }
}

TEST(Zlogtnc, QuantilesMatchReferences) {
  for (const auto& c : kQuant) {
    ztnc_req r = make(4, 0.0, c.df, c.nc);
    r.p = c.p;
    r.tol = 1e-14;
    ASSERT_EQ(zlogtnc(&r), 0) << "p " << c.p << " df " << c.df << " nc " << c.nc;
    EXPECT_EQ(r.flags, 4);
    // For df of 1e5 and more the gamma factor of the tail integrand is far narrower than
    // the initial step 1/sqrt(sd), and the log tails keep up to 1.3e-10 relative error
    // (at df = 1e6); the quantile inherits it.
    const double tol = c.df >= 1e5 ? 5e-10 : 1e-10;
    EXPECT_LE(std::fabs(r.x - c.mp), tol * std::max(std::fabs(c.mp), 1.053671212772351e-08))
        << "p " << c.p << " df " << c.df << " nc " << c.nc << " got " << r.x << " want " << c.mp;
  }
}

TEST(Zlogtnc, PercentileLimitsTakeBothRoutes) {
  // mean + s qt(alpha', n - 1, ncp = qnorm(p) sqrt(n)) / sqrt(n): for n = 50 and 500 the
  // direct quantile (series, then integral form) serves; for n = 5000 its integral form
  // finds no centre and the log-scale service takes over.  Both within 1e-10 of mpmath.
  int direct = 0, fallback_used = 0;
  for (const auto& c : kQuant) {
    const bool limit_case = c.df == 49.0 || c.df == 499.0 || c.df == 4999.0;
    if (!limit_case) continue;
    double t = 0.0;
    bool fb = false;
    ASSERT_EQ(limit_quantile(c.p, c.df, c.nc, &t, &fb), 0) << c.p << " " << c.df;
    EXPECT_LE(std::fabs(t - c.mp), 1e-10 * std::fabs(c.mp)) << "p " << c.p << " df " << c.df
                                                            << " fallback " << fb;
    EXPECT_EQ(fb, c.df == 4999.0) << c.df;
    if (fb) {
      ++fallback_used;
    } else {
      ++direct;
    }
  }
  EXPECT_GE(direct, 4);
  EXPECT_GE(fallback_used, 4);
  // The percentile p = 0.05 and 0.95 both use z = qnorm(0.95) sqrt(n) (z at max(p, 1 - p)).
  const double nc = zprobit(0.95) * std::sqrt(5000.0);
  EXPECT_NEAR(nc, 116.30871536766738, 1e-11);
}

TEST(Zlogtnc, EdgeCases) {
  // flags 0 or 8: 1.
  ztnc_req r = make(0, 1.0, 10.0, 1.0);
  EXPECT_EQ(zlogtnc(&r), 1);
  r = make(8, 1.0, 10.0, 1.0);
  EXPECT_EQ(zlogtnc(&r), 1);
  r = make(1 | 16, 1.0, 10.0, 1.0);
  EXPECT_EQ(zlogtnc(&r), 1);
  // A quantile request with p = 0: 1.
  r = make(4, 0.0, 10.0, 1.0);
  r.p = 0.0;
  EXPECT_EQ(zlogtnc(&r), 1);
  r.p = 1.0 - 1e-9;  // above 1 - 1.053671212772351e-08
  EXPECT_EQ(zlogtnc(&r), 1);
  EXPECT_EQ(r.flags, 4);
  // nc = 0, x = 2, df = 10: about 0.9633 and 0.0367.
  r = make(1, 2.0, 10.0, 0.0);
  ASSERT_EQ(zlogtnc(&r), 0);
  EXPECT_NEAR(std::exp(r.log_lower), 0.9633, 5e-5);
  EXPECT_NEAR(std::exp(r.log_upper), 0.0367, 5e-5);
  // Reflection: log_lower(x; nc) = log_upper(-x; -nc).
  ztnc_req a = make(1, 1.3, 12.0, -2.5), b = make(1, -1.3, 12.0, 2.5);
  ASSERT_EQ(zlogtnc(&a), 0);
  ASSERT_EQ(zlogtnc(&b), 0);
  EXPECT_NEAR(a.log_lower, b.log_upper, 1e-14 * std::fabs(a.log_lower));
  EXPECT_NEAR(a.log_upper, b.log_lower, 1e-14 * std::fabs(a.log_upper));
  // A lower tail far below 1e-308 is still a finite logarithm.
  r = make(1, -5.0, 10.0, 30.0);
  ASSERT_EQ(zlogtnc(&r), 0);
  EXPECT_TRUE(std::isfinite(r.log_lower));
  EXPECT_LT(r.log_lower, -700.0 + 214.0);
  // x = 0: the two normal log tails of -nc.
  r = make(1, 0.0, 3.0, 1.5);
  ASSERT_EQ(zlogtnc(&r), 0);
  EXPECT_NEAR(std::exp(r.log_lower), zprbnrm(-1.5), 1e-16);
  // Tolerances are raised to their floors.
  r = make(1, 1.0, 10.0, 1.0);
  ASSERT_EQ(zlogtnc(&r), 0);
  EXPECT_EQ(r.tol, 8.0 * 1.110223024625157e-16);
  EXPECT_EQ(r.x_floor, 1.053671212772351e-08);
  EXPECT_EQ(r.x_rel, 1.053671212772351e-08);
  // Bad degrees of freedom.
  r = make(1, 1.0, 3e9, 1.0);
  EXPECT_EQ(zlogtnc(&r), 1);
  r = make(1, 1.0, 0.3, 1.0);  // the integral needs df >= 0.5
  EXPECT_EQ(zlogtnc(&r), 1);
  // Flags 3: both tails, then the density.
  r = make(3, 1.0, 10.0, 1.0);
  ASSERT_EQ(zlogtnc(&r), 0);
  EXPECT_NEAR(r.log_density, -0.96800378227135808, 1e-13);
  EXPECT_LT(r.log_lower, 0.0);
  // Flags 7: the quantile only (the tails are those of its last trial point).
  r = make(7, 0.0, 10.0, 1.0);
  r.p = 0.3;
  r.log_density = 5.0;
  ASSERT_EQ(zlogtnc(&r), 0);
  EXPECT_EQ(r.flags, 7);
  EXPECT_EQ(r.log_density, 5.0);
  EXPECT_NEAR(r.x, 0.48458979068850222, 1e-10);
}

TEST(Zlogtnc, LargeDegreesOfFreedom) {
  // Measured limits of the tail integral for nc = 2, x = 1 (mpmath: -1.8410216450093...):
  // 2.3e-12 relative at df = 1e4, 5e-11 at 3e5, 1.3e-10 at 1e6; from about 3e6 the
  // integration fails (status 1).
  const double want[] = {-1.84102164596240156, -1.84102164501032262, -1.84102164500935883};
  const double dfs[] = {1e4, 3e5, 1e6};
  const double tol[] = {5e-12, 1e-10, 3e-10};
  for (int i = 0; i < 3; ++i) {
    ztnc_req r = make(1, 1.0, dfs[i], 2.0);
    r.tol = 1e-14;
    ASSERT_EQ(zlogtnc(&r), 0) << dfs[i];
    EXPECT_NEAR(r.log_lower, want[i], tol[i] * 1.85) << dfs[i];
  }
  ztnc_req r = make(1, 1.0, 1e7, 2.0);
  r.tol = 1e-14;
  EXPECT_EQ(zlogtnc(&r), 1);
}

TEST(Zlogtnc, MomentsAreKeptInTheRecord) {
  ztnc_req r = make(1, 1.0, 10.0, 2.0);
  ASSERT_EQ(zlogtnc(&r), 0);
  EXPECT_EQ(r.moments_done, 1);
  const double mean = 2.0 * std::sqrt(5.0) * std::exp(std::lgamma(4.5) - std::lgamma(5.0));
  EXPECT_NEAR(r.mean, mean, 1e-14 * mean);
  EXPECT_NEAR(r.sd, std::sqrt(10.0 / 8.0 * 5.0 - mean * mean), 1e-13);
  r = make(1, 1.0, 10.0, 0.0);
  ASSERT_EQ(zlogtnc(&r), 0);
  EXPECT_EQ(r.mean, 0.0);
  EXPECT_NEAR(r.sd, std::sqrt(10.0 / 8.0), 1e-15);
  r = make(1, 1.0, 2.0, 1.0);  // df <= 2 + 1.05e-8: no moments
  ASSERT_EQ(zlogtnc(&r), 0);
  EXPECT_TRUE(is_missing(r.mean));
  EXPECT_TRUE(is_missing(r.sd));
}

TEST(Zlogtnc, QuantileAcceptsOnlyPointsNearTheTarget) {
  // With a loose user tolerance (0.01) the flat test of the secant fires after the 50
  // bracketing steps fell short of the far-tail quantile (p = 1e-20 of a Cauchy law is
  // about -3.2e19).  The older point of the pair used to be returned with status 0
  // although its probability is far from p; it is now a failure, x holding that point.
  ztnc_req r = make(4, 0.0, 1.0, 0.0);
  r.p = 1e-20;
  r.tol = 0.01;
  EXPECT_EQ(zlogtnc(&r), 1);
  const double exact = -1.0 / std::tan(3.141592653589793 * 1e-20);
  EXPECT_GT(std::fabs(r.x - exact), 0.5 * std::fabs(exact));  // the rejected point is far off
  // The same request at the default tolerance either finds the quantile or fails; it
  // never returns a far point with status 0.
  ztnc_req s = make(4, 0.0, 1.0, 0.0);
  s.p = 1e-20;
  if (zlogtnc(&s) == 0) {
    EXPECT_NEAR(s.x / exact, 1.0, 1e-8);
  }
}
