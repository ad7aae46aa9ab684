// Tests of the normal distribution family: zferf, zferfc, calerf, zprbnrm, zlognrm,
// zprobit, szprobit (src/numeric/zferf.*, zprbnrm.*, zprobit.*).
// References: ref/erf.tsv, erfc.tsv, pnorm.tsv, lognrm.tsv, probit.tsv (mpmath at 50
// digits; quantiles by Newton from R qnorm; R pnorm/qnorm agree).
#include <gtest/gtest.h>

#include <cmath>

#include "accuracy_check.h"
#include "numeric/zferf.h"
#include "numeric/zmissing.h"
#include "numeric/zprbnrm.h"
#include "numeric/zprobit.h"

namespace {
constexpr double kEps = ZEPS53;
constexpr double kLnSqrt2Pi = 0.9189385332046728;

double calerf_of(double x, int mode) {
  double out;
  calerf(x, mode, &out);
  return out;
}
}  // namespace

TEST(ZNormal, AgainstMpmath) {
  check_accuracy("zferf", ref_table("erf.tsv"),
                 [](const RefRow& r) -> Cmp { return {zferf(r["x"]), r["erf"], 4 * kEps}; });
  // Up to |x| = 4 the rational forms are good to a few ulp; beyond, the single exponential
  // of -x^2 (no splitting of x^2) costs up to about x^2 * 2^-53 relative.
  check_accuracy("zferfc", ref_table("erfc.tsv"), [](const RefRow& r) -> Cmp {
    const double y = std::fabs(r["x"]);
    return {zferfc(r["x"]), r["erfc"], y <= 4.0 ? 8 * kEps : (4.0 + 2.0 * y * y) * kEps};
  });
  // The lower tail inherits erfc's error at x/sqrt 2 (whose rounding alone moves erfc by
  // x^2 * 2^-53 relative).
  check_accuracy("zprbnrm", ref_table("pnorm.tsv"), [](const RefRow& r) -> Cmp {
    return {zprbnrm(r["x"]), r["phi"], (8.0 + r["x"] * r["x"]) * kEps};
  });
  // The absolute error of a log is the relative error of the probability.
  for (const char* col : {"log_cdf", "log_sf"})
    check_accuracy(std::string("zlognrm ") + col, ref_table("lognrm.tsv"), [col](const RefRow& r) -> Cmp {
      const double x = r["x"];
      double out[3] = {1, 1, 1};
      EXPECT_EQ(zlognrm(x, &out[0], &out[1], &out[2]), 0);
      EXPECT_EQ(out[2], -(x * x) * 0.5 - kLnSqrt2Pi);
      const double want = r[col];
      return {std::string(col) == "log_cdf" ? out[0] : out[1], want, (8.0 + x * x) * kEps, Err::absolute,
              std::max(1.0, std::fabs(want))};
    });
  // Absolute 2e-15 while |z| <= 8.2; beyond, one ulp is 1.8e-15 or more, so the bound is
  // relative: the Newton iteration leaves about one ulp.
  check_accuracy("zprobit", ref_table("probit.tsv"), [](const RefRow& r) -> Cmp {
    const double p = r["p"];
    if (p >= 1e-16) return {zprobit(p), r["z"], 2e-15, Err::absolute};
    return {zprobit(p), r["z"], 2 * kEps};
  });
}

TEST(ZNormal, ExactEdges) {
  const double nan = std::nan("");
  // Below 4.2e-16 the square is taken as 0: erf(x) = x A[3]/B[3].
  const double A3 = 3.20937758913846947e+03, B3 = 2.84423683343917062e+03;
  check_exact({
      {"erf(1003.79)", zferf(1003.79), 1.0},
      {"erf(-1003.79)", zferf(-1003.79), -1.0},
      {"erf(1e300)", zferf(1e300), 1.0},
      {"erfc(26.6158)", zferfc(26.6158), 0.0},
      {"erfc(-26.6158)", zferfc(-26.6158), 2.0},
      {"erfc(1e10)", zferfc(1e10), 0.0},
      {"erf(1e-17)", zferf(1e-17), 1e-17 * A3 / B3},
      {"erf(-1e-17)", zferf(-1e-17), -1e-17 * A3 / B3},
      {"erf(0)", zferf(0.0), 0.0},
      {"erfc(0)", zferfc(0.0), 1.0},
      {"calerf mode 0", calerf_of(0.3, 0), zferf(0.3)},
      {"calerf mode 7 is erfc", calerf_of(0.3, 7), zferfc(0.3)},
      {"calerf mode 2", calerf_of(-5.0, 2), zferfc(-5.0)},
      {"erf(nan)", zferf(nan), nan},
      {"erfc(nan)", zferfc(nan), nan},
      {"prbnrm(0)", zprbnrm(0.0), 0.5},
      {"prbnrm(-0)", zprbnrm(-0.0), 0.5},
      {"prbnrm(-40)", zprbnrm(-40.0), 0.0},
      {"prbnrm(40)", zprbnrm(40.0), 1.0},
      {"prbnrm(nan)", zprbnrm(nan), nan},
      {"probit(0)", zprobit(0.0), -std::sqrt(2.0 * 708.3964185)},
      {"probit(1)", zprobit(1.0), 7.941345326170997},
      {"probit(0.5)", zprobit(0.5), 0.0},
      {"probit(1e-20) is the fallback's", zprobit(1e-20), szprobit(1e-20)},
      {"probit(nan)", zprobit(nan), nan},
      {"probit(1.5)", zprobit(1.5), nan},
      {"probit(-0.5)", zprobit(-0.5), nan},
  });
  EXPECT_GT(zferfc(26.6156), 0.0);
  EXPECT_NEAR(zprobit(0.0), -37.6403087, 1e-7);
  EXPECT_NEAR(zprobit(1e-20), -9.262340, 1e-6);
  // 0.01 takes the tail branch, just above it the central one: they meet continuously.
  EXPECT_NEAR(zprobit(0.01) - zprobit(std::nextafter(0.01, 1.0)), 0.0, 1e-14);
  for (double x : {0.1, 0.7, 1.3, 2.9}) EXPECT_NEAR(zprbnrm(x) + zprbnrm(-x), 1.0, 2 * kEps) << x;
}

TEST(ZNormal, LognrmSymmetryAndBranches) {
  double lc, ls, ld, lc2, ls2, ld2;
  ASSERT_EQ(zlognrm(-6.0, &lc, &ls, &ld), 0);
  EXPECT_NEAR(lc, -20.7367, 1e-4);
  EXPECT_NEAR(ls, -1e-9, 2e-11);
  ASSERT_EQ(zlognrm(6.0, &lc2, &ls2, &ld2), 0);
  EXPECT_EQ(lc2, ls);
  EXPECT_EQ(ls2, lc);
  EXPECT_EQ(ld2, ld);
  // The Mills-ratio branch starts at |x| = 5 and agrees with the erfc branch there.
  ASSERT_EQ(zlognrm(-4.9999999999, &lc, &ls, &ld), 0);
  ASSERT_EQ(zlognrm(-5.0, &lc2, &ls2, &ld2), 0);
  EXPECT_NEAR(lc, lc2, 1e-9);
  ASSERT_EQ(zlognrm(std::nan(""), &lc, &ls, &ld), 0);
  EXPECT_TRUE(std::isnan(lc) && std::isnan(ls) && std::isnan(ld));
}

TEST(ZNormal, SzprobitFallbackFiniteAndMonotone) {
  // The fallback -sqrt(-2 ln(100 * DBL_MIN)) is reached only when zlognrm fails, which
  // Laplace's fraction never does for finite x; the far tail stays finite and monotone
  // down to the smallest subnormal.
  EXPECT_NEAR(-std::sqrt(-2.0 * std::log(100.0 * ZDBL_MINNORM)), -37.5177624, 1e-6);
  double prev = -1e300;
  for (double p : {4.9406564584124654e-324, 1e-310, 1e-300, 1e-200, 1e-100, 1e-17}) {
    const double z = szprobit(p);
    EXPECT_TRUE(std::isfinite(z)) << p;
    EXPECT_GT(z, prev) << p;
    prev = z;
  }
}

TEST(ZNormal, ProbitRoundTrip) {
  for (double p = 1e-300; p < 0.5; p *= 7.3) {
    const double z = zprobit(p);
    EXPECT_LE(error_of({zprbnrm(z), p, 0}), (8.0 + z * z * 1.5) * 4 * kEps) << p;
  }
  for (double q = 0.5; q > 1e-15; q /= 3.1) EXPECT_NEAR(zprbnrm(zprobit(1.0 - q)), 1.0 - q, 4 * kEps) << q;
}
