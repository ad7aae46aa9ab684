// zlogbet_test.cpp - the log-scale beta service zlogbet (distribution-function and
// log-density requests, flag handling) and zldnbet.
// Reference values: tests/numeric/ref/zlogbet_ref.py with ref/beta_mp.py (mpmath 1.2.1
// at 60 digits: the smaller tail by the positive series of A&S 26.5.23, checked against
// mpmath.betainc for shapes below 1000) and R 4.2.2 pbeta/dbeta with log.p/log = TRUE as
// a cross-check; generated 2026-12-06.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstring>

#include "numeric/zlogbet.h"
#include "numeric/zmissing.h"

namespace {

struct Ref {
  double x, a, b, lo, up, ld, rlo, rup, rld;
};
// {x, a, b, ln P(X <= x), ln P(X > x), ln f(x) (mpmath); the same three from R}
const Ref kRef[] = {
    {0.29999999999999999, 2, 3, -1.0546911016101816, -0.42817094564380231, 0.56758395758459956, -1.0546911016101819, -0.4281709456438022, 0.56758395758459956},
    {0.999, 50, 2, -0.001234852509744674, -6.6974211040609326, 0.88706884282474252, -0.001234852509744676, -6.6974211040609308, 0.88706884282474352},
    {0.5, 0.5, 0.5, -0.69314718055994529, -0.69314718055994529, -0.45158270528945488, -0.69314718055994629, -0.69314718055994429, -0.4515827052894551},
    {0.10000000000000001, 0.5, 0.5, -1.5855614147303534, -0.22920282758111515, 0.059242918476535796, -1.5855614147303534, -0.22920282758111515, 0.059242918476535511},
    {0.90000000000000002, 0.5, 0.5, -0.22920282758111513, -1.5855614147303534, 0.05924291847653592, -0.22920282758111507, -1.5855614147303536, 0.059242918476535733},
    {0.25, 1, 1, -1.3862943611198906, -0.2876820724517809, 0, -1.3862943611198906, -0.2876820724517809, -0},
    {1.0000000000000001e-05, 0.01, 3, -0.1001915803048192, -2.3503486831934262, 6.8075438965966413, -0.10019158030481914, -2.3503486831934266, 6.8075438965966413},
    {0.69999999999999996, 0.050000000000000003, 0.050000000000000003, -0.65434641712283892, -0.73351442848100545, -2.2024303895178208, -0.65434641712283859, -0.73351442848100579, -2.2024303895178208},
    {0.20000000000000001, 5, 0.02, -13.347521306666563, -1.596781514134322e-06, -10.089708932497567, -13.347521306666563, -1.5967815141343216e-06, -10.089708932497567},
    {0.98999999999999999, 0.29999999999999999, 7, -8.4846278864146258e-16, -34.703105445641079, -28.15114256463702, -8.48462788641468e-16, -34.703105445641071, -28.151142564637016},
    {1e-50, 40, 2, -4601.4566139213866, 0, -4482.6384798175704, -4601.4566139213866, -0, -4482.6384798175704},
    {9.9999999999999998e-13, 200, 300, -5193.5224274870907, 0, -5160.5930890046156, -5193.5224274870916, -0, -5160.5930890046156},
    {0.99990000000000001, 3, 600, 0, -5514.09871766368, -5498.4914479692998, -0, -5514.0987176636809, -5498.4914479692989},
    {0.34999999999999998, 1000, 2000, -0.027469347227440297, -3.6083877758662166, 1.9672625714565026, -0.027469347227439999, -3.6083877758662273, 1.9672625714565015},
    {0.35999999999999999, 1000, 2000, -0.0010910980903391159, -6.8211161669621516, -0.88290022420841507, -0.0010910980903391112, -6.8211161669621561, -0.88290022420841652},
    {0.5, 10000, 10000, -0.69314718055994529, -0.69314718055994529, 4.7259399236233417, -0.69314718055994307, -0.69314718055994751, 4.7259399236233408},
    {0.48999999999999999, 10000, 10000, -6.0588618364519258, -0.0023397945156245839, 0.72553979024732063, -6.0588618364519178, -0.002339794515624603, 0.72553979024734438},
    {0.29999999999999999, 10000, 20000, -81.2323404322416, -5.2631142566145316e-36, -72.757736064851215, -81.232340432241571, -5.2631142566147107e-36, -72.75773606485113},
    {0.01, 2, 10000, -2.2712625983146425e-42, -95.888238018173155, -86.677697646196307, -2.2712625983146642e-42, -95.888238018173141, -86.677697646196307},
    {0.59999999999999998, 100000, 100000, 0, -4087.6121101818694, -4076.2813863108704, -0, -4087.6121101818749, -4076.2813863108581},
    {0.40000000000000002, 20.5, 0.69999999999999996, -19.811817837542392, -2.4879224397273124e-09, -15.866096285279491, -19.811817837542392, -2.487922439727312e-09, -15.866096285279491},
    {0.050000000000000003, 3.5, 120, -0.091077991703630803, -2.4412324742200786, 1.9981729350839044, -0.091077991703630734, -2.4412324742200795, 1.9981729350839048},
    {0.69999999999999996, 120, 3.5, -34.958597071826809, -6.5716465404191922e-16, -29.862844688436606, -34.958597071826816, -6.5716465404191784e-16, -29.862844688436599},
    {1e-300, 2, 2, -1380.4524435077592, 0, -688.98376842898563, -1380.4524435077592, -0, -688.98376842898563},
    {0.5, 0.001, 0.001, -0.69314718055994529, -0.69314718055994529, -6.2159927502495771, -0.69314718055994629, -0.69314718055994429, -6.2159927502495762},
};

bool has_missing_bits(double v) {
  std::uint64_t b;
  std::memcpy(&b, &v, sizeof b);
  return b == 0xFFFFFE0000000000ULL;
}

zbeta_req req(int flags, double x, double a, double b) {
  zbeta_req r;
  std::memset(&r, 0, sizeof r);
  r.flags = flags;
  r.x = x;
  r.a = a;
  r.b = b;
  return r;
}

// A few ulps of the value, plus the rounding of the log density's large terms:
// (a - 1) ln x and (b - 1) ln(1 - x) of size (a + b)(|ln x| + |ln(1 - x)|) cancel
// against ln B(a, b), leaving about 2^-53 times their size.
double tol_for(const Ref& t, double want) {
  const double big = (t.a + t.b) * (1.0 + std::fabs(std::log(t.x)) + std::fabs(std::log1p(-t.x)));
  return 2e-14 * std::max(1.0, std::fabs(want)) + 1e-15 * big;
}

}  // namespace

TEST(Zlogbet, DistributionFunctionMatchesReferences) {
  for (const auto& t : kRef) {
    zbeta_req r = req(1, t.x, t.a, t.b);
    ASSERT_EQ(zlogbet(&r), 0) << t.x << " " << t.a << " " << t.b;
    EXPECT_LE(std::fabs(r.log_lower - t.lo), tol_for(t, t.lo))
        << "lower x " << t.x << " a " << t.a << " b " << t.b << " got " << r.log_lower;
    EXPECT_LE(std::fabs(r.log_upper - t.up), tol_for(t, t.up))
        << "upper x " << t.x << " a " << t.a << " b " << t.b << " got " << r.log_upper;
    EXPECT_LE(std::fabs(r.log_density - t.ld), tol_for(t, t.ld))
        << "density x " << t.x << " a " << t.a << " b " << t.b << " got " << r.log_density;
    // x, a and b are restored; the work flags cleared.
    EXPECT_EQ(r.x, t.x);
    EXPECT_EQ(r.a, t.a);
    EXPECT_EQ(r.b, t.b);
    EXPECT_EQ(r.shifted, 0);
    EXPECT_EQ(r.swapped, 0);
    // R cross-check (R's own log tails carry a few 1e-14 and, for shapes of 1e4 and
    // more, its dbeta/pbeta lose up to 1e-11).
    const double rt = 1e-11 * std::max(1.0, std::fabs(t.lo)) + tol_for(t, t.lo);
    EXPECT_LE(std::fabs(r.log_lower - t.rlo), rt) << "R cross-check x " << t.x;
  }
}

TEST(Zlogbet, FarTailsStayFiniteLogarithms) {
  // ln P(X <= 1e-50) for a = 40, b = 2 is about -4601: the probability itself underflows.
  zbeta_req r = req(1, 1e-50, 40.0, 2.0);
  ASSERT_EQ(zlogbet(&r), 0);
  EXPECT_NEAR(r.log_lower, -4601.4566139213866, 1e-11);
  EXPECT_EQ(r.log_upper, 0.0);
  r = req(1, 1e-300, 2.0, 2.0);
  ASSERT_EQ(zlogbet(&r), 0);
  EXPECT_NEAR(r.log_lower, -1380.4524435077592, 1e-12);
}

TEST(Zlogbet, EdgeCases) {
  // flags 0 is served as 1 and reads 1 afterwards.
  zbeta_req r = req(0, 0.3, 2.0, 3.0);
  ASSERT_EQ(zlogbet(&r), 0);
  EXPECT_EQ(r.flags, 1);
  EXPECT_NEAR(std::exp(r.log_lower), 0.3483, 1e-12);
  EXPECT_NEAR(std::exp(r.log_upper), 0.6517, 1e-12);
  EXPECT_NEAR(std::exp(r.log_density), 1.764, 1e-12);
  // flags 8: status 0, nothing written.
  r = req(8, 0.3, 2.0, 3.0);
  r.log_lower = r.log_upper = r.log_density = 7.0;
  EXPECT_EQ(zlogbet(&r), 0);
  EXPECT_EQ(r.log_lower, 7.0);
  EXPECT_EQ(r.log_upper, 7.0);
  EXPECT_EQ(r.log_density, 7.0);
  EXPECT_EQ(r.flags, 8);
  // x = 0.999 with a = 50, b = 2 takes the swapped tail: the upper tail directly.
  r = req(1, 0.999, 50.0, 2.0);
  ASSERT_EQ(zlogbet(&r), 0);
  EXPECT_NEAR(r.log_upper, -6.6974211040609326, 1e-14);
  EXPECT_NEAR(r.log_lower, -0.001234852509744674, 1e-17);
  // x = 0 with a = 2 fails.
  r = req(1, 0.0, 2.0, 3.0);
  EXPECT_EQ(zlogbet(&r), 1);
  // Bits 1 and 2: only the distribution function, which fills the density too.
  r = req(3, 0.3, 2.0, 3.0);
  ASSERT_EQ(zlogbet(&r), 0);
  EXPECT_NEAR(r.log_density, std::log(1.764), 1e-14);
  EXPECT_NEAR(r.log_lower, std::log(0.3483), 1e-14);
  // Bit 2 alone: the density, tails untouched.
  r = req(2, 0.3, 2.0, 3.0);
  r.log_lower = 9.0;
  ASSERT_EQ(zlogbet(&r), 0);
  EXPECT_NEAR(r.log_density, std::log(1.764), 1e-14);
  EXPECT_EQ(r.log_lower, 9.0);
  // The tolerance is raised to 5 * 2^-53.
  r = req(1, 0.3, 2.0, 3.0);
  r.tol = 1e-30;
  ASSERT_EQ(zlogbet(&r), 0);
  EXPECT_EQ(r.tol, 5.0 * 1.110223024625157e-16);
  r.tol = 1e-6;
  ASSERT_EQ(zlogbetd(&r), 0);
  EXPECT_EQ(r.tol, 1e-6);
}

TEST(Zlogbet, RefusedArguments) {
  zbeta_req r = req(1, 0.5, 0.0, 3.0);
  EXPECT_EQ(zlogbet(&r), 1);
  r = req(1, 0.5, 2.0, -1.0);
  EXPECT_EQ(zlogbet(&r), 1);
  r = req(1, 1.5, 2.0, 3.0);
  EXPECT_EQ(zlogbet(&r), 1);
  r = req(1, -0.1, 2.0, 3.0);
  EXPECT_EQ(zlogbet(&r), 1);
  r = req(4, 1.5, 2.0, 3.0);  // x is not checked for a quantile request ...
  r.p = 1.2;                  // ... but p is
  EXPECT_EQ(zlogbet(&r), 1);
  r = req(1, 0.5, 2147483648.0, 3.0);  // shapes above 2147483647
  EXPECT_EQ(zlogbet(&r), 1);
  r = req(1, 1.0, 2.0, 3.0);  // x = 1 needs b = 1
  EXPECT_EQ(zlogbet(&r), 1);
  r.log_lower = 5.0;
  EXPECT_EQ(r.log_lower, 5.0);  // nothing written on refusal
}

TEST(Zlogbet, EndPointLimits) {
  // x = 0 with a = 1 and x = 1 with b = 1 are accepted: the limits ln 0 and 0.
  zbeta_req r = req(1, 0.0, 1.0, 3.0);
  ASSERT_EQ(zlogbet(&r), 0);
  EXPECT_EQ(r.log_lower, -1.7976931348623157e308);
  EXPECT_EQ(r.log_upper, 0.0);
  EXPECT_NEAR(r.log_density, std::log(3.0), 1e-15);
  r = req(1, 1.0, 2.5, 1.0);
  ASSERT_EQ(zlogbet(&r), 0);
  EXPECT_EQ(r.log_lower, 0.0);
  EXPECT_EQ(r.log_upper, -1.7976931348623157e308);
  EXPECT_NEAR(r.log_density, std::log(2.5), 1e-15);
}

TEST(Zlogbet, HugeShapesNearTheCentre) {
  // At the mean the continued fraction needs the most passes.  Measured errors of the
  // log tails: 1.4e-11 at shapes 1e4, 2.8e-10 at 1e5, 6.0e-10 at 1e6; from 1e7 on the
  // 399-pass limit stops it unconverged (1.6e-3 at 1e7), which is returned with status 0.
  const double as[] = {1e4, 1e5, 1e6};
  const double tol[] = {2e-11, 4e-10, 1e-9};
  for (int i = 0; i < 3; ++i) {
    zbeta_req r = req(1, 0.5, as[i], as[i]);
    ASSERT_EQ(zlogbet(&r), 0);
    EXPECT_NEAR(r.log_lower, -0.6931471805599453, tol[i]) << as[i];
    EXPECT_NEAR(r.log_upper, -0.6931471805599453, tol[i]) << as[i];
  }
  zbeta_req r = req(1, 0.5, 1e7, 1e7);
  ASSERT_EQ(zlogbet(&r), 0);
  EXPECT_GT(std::fabs(r.log_lower + 0.6931471805599453), 1e-4);  // the documented limit
}

TEST(Zldnbet, Values) {
  double out = 0.0;
  EXPECT_EQ(zldnbet(0.0, 1.0, 3.0, &out), 0);
  EXPECT_NEAR(out, std::log(3.0), 1e-15);
  out = 0.0;
  EXPECT_EQ(zldnbet(0.0, 2.0, 3.0, &out), 0);
  EXPECT_TRUE(has_missing_bits(out));
  EXPECT_EQ(zldnbet(1.0, 4.0, 1.0, &out), 0);
  EXPECT_NEAR(out, std::log(4.0), 1e-15);
  out = 0.0;
  EXPECT_EQ(zldnbet(1.0, 4.0, 2.0, &out), 0);
  EXPECT_TRUE(has_missing_bits(out));
  for (const auto& t : kRef) {
    ASSERT_EQ(zldnbet(t.x, t.a, t.b, &out), 0);
    EXPECT_LE(std::fabs(out - t.ld), tol_for(t, t.ld)) << t.x << " " << t.a << " " << t.b;
  }
  out = 11.0;
  EXPECT_EQ(zldnbet(-0.1, 2.0, 3.0, &out), 1);
  EXPECT_EQ(zldnbet(1.1, 2.0, 3.0, &out), 1);
  EXPECT_EQ(zldnbet(0.5, 0.0, 3.0, &out), 1);
  EXPECT_EQ(zldnbet(0.5, 2.0, -3.0, &out), 1);
  EXPECT_EQ(out, 11.0);  // untouched
}
