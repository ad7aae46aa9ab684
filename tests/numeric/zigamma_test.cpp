// Tests of zigamma, zldngam and wilhil (src/numeric/zigamma.*), including the mend that
// makes the series and continued fractions converge for every shape.
// Reference: ref/igamma.tsv (mpmath at 50 digits, both tails; R pgamma/dgamma agree).
#include "numeric/zigamma.h"

#include <gtest/gtest.h>

#include <cmath>

#include "accuracy_check.h"
#include "numeric/zferf.h"
#include "numeric/zmissing.h"

namespace {
constexpr double kEps = ZEPS53;
// Shapes of 1e6 and more are held to 1e-9, the rest to 1e-13.
double tol_for(double a) { return a >= 1e6 ? 1e-9 : 1e-13; }

struct Igamma {
  double p = -5, q = -5, d = -5;
  int st;
  Igamma(double x, double a) : st(zigamma(x, a, &p, &q, &d)) {}
};
}  // namespace

TEST(ZIgamma, AgainstMpmath) {
  // The tail evaluated is relatively accurate; the other is 1 minus it, so its absolute
  // error is bounded by the evaluated tail's plus rounding.
  const RefTable& t = ref_table("igamma.tsv");
  check_accuracy("zigamma evaluated tail", t, [](const RefRow& r) -> Cmp {
    const Igamma g(r["x"], r["a"]);
    EXPECT_EQ(g.st, 0);
    const Cmp c = evaluated_of({g.p, r["p"], tol_for(r["a"])}, {g.q, r["q"], tol_for(r["a"])});
    EXPECT_LE(std::fabs(g.p - r["p"]), 2 * kEps + c.tol * c.want);
    EXPECT_LE(std::fabs(g.q - r["q"]), 2 * kEps + c.tol * c.want);
    return c;
  });
  check_accuracy("zigamma density", t, [](const RefRow& r) -> Cmp {
    return {Igamma(r["x"], r["a"]).d, r["d"], tol_for(r["a"])};
  });
  check_accuracy("zldngam", t, [](const RefRow& r) -> std::optional<Cmp> {
    if (!(r["d"] > 0)) return std::nullopt;
    double ld = 5;
    EXPECT_EQ(zldngam(r["x"], r["a"], &ld), 0);
    const double want = std::log(r["d"]);
    return Cmp{ld, want, tol_for(r["a"]), Err::absolute, std::max(1.0, std::fabs(want))};
  });
}

TEST(ZIgamma, ExactEdgesAndRefusals) {
  const double nan = std::nan("");
  struct Case { double x, a; double p, q, d; } cases[] = {
      {0.0, 0.0, 1.0, 0.0, 0.0}, {3.0, 0.0, 1.0, 0.0, 0.0}, {0.0, 1.0, 0.0, 1.0, 1.0},
      {0.0, 2.5, 0.0, 1.0, 0.0}, {0.0, 0.5, 0.0, 1.0, 0.0},
      // a = 0.5: shifted to 1.5; P is erf(sqrt(x)), checked to rounding below
      {0.3, 0.5, nan, nan, nan},
  };
  for (const Case& c : cases) {
    const Igamma g(c.x, c.a);
    ASSERT_EQ(g.st, 0) << c.x << " " << c.a;
    if (std::isnan(c.p)) {
      EXPECT_NEAR(g.p, std::erf(std::sqrt(c.x)), 4 * kEps);
      EXPECT_NEAR(g.d, std::pow(c.x, -0.5) * std::exp(-c.x) / std::sqrt(M_PI), 4 * kEps);
      continue;
    }
    EXPECT_EQ(g.p, c.p) << c.x << " " << c.a;
    EXPECT_EQ(g.q, c.q) << c.x << " " << c.a;
    EXPECT_EQ(g.d, c.d) << c.x << " " << c.a;
  }
  check_refusals("zigamma", {{{1.0, -1.0}, 1, {-2, -2, 0}}, {{1.0, -1e-300}, 1, {-2, -2, 0}},
                             {{-1.0, 2.0}, 1, {-2, -2, 0}}},
                 [](const std::vector<double>& a, std::vector<double>& out) {
                   out.assign(3, 7.0);
                   return zigamma(a[0], a[1], &out[0], &out[1], &out[2]);
                 });
  // zldngam leaves its output alone when it refuses.
  check_refusals("zldngam", {{{-1.0, 2.0}, 1, {5}}, {{1.0, 0.0}, 1, {5}}, {{0.0, 1.0}, 0, {0}},
                             {{0.0, 0.5}, 0, {zmissing()}}, {{0.0, 2.0}, 0, {zmissing()}}},
                 [](const std::vector<double>& a, std::vector<double>& out) {
                   out.assign(1, 5.0);
                   return zldngam(a[0], a[1], &out[0]);
                 });
}

TEST(ZIgamma, FourArgumentCallAndAliasing) {
  double p, q;
  ASSERT_EQ(zigamma(2.0, 3.0, &p, &q), 0);  // density not asked for
  const Igamma full(2.0, 3.0);
  EXPECT_EQ(p, full.p);
  EXPECT_EQ(q, full.q);
  // Same address for q and d: the density is left there (d stored last), also on failure.
  double pa, qd;
  ASSERT_EQ(zigamma(2.0, 3.0, &pa, &qd, &qd), 0);
  EXPECT_EQ(qd, full.d);
  ASSERT_EQ(zigamma(-2.0, 3.0, &pa, &qd, &qd), 1);
  EXPECT_EQ(qd, 0.0);
  EXPECT_EQ(pa, -2.0);
}

TEST(ZIgamma, TailChoiceAroundShapeIsContinuous) {
  // x slightly above A (x > 1) takes the upper fraction, x = A the series; both agree.
  for (double a : {3.0, 50.0, 4000.0}) {
    const Igamma at(a, a), above(std::nextafter(a, 2 * a), a);
    EXPECT_NEAR(at.p, above.p, 1e-13) << a;
    EXPECT_NEAR(at.d, above.d, 1e-13 * at.d) << a;
  }
}

TEST(ZIgamma, SmallShapeUpperTailKeepsItsDigits) {
  // Shapes below 1 with x above 1: the upper tail is small, and forming it as
  // Q(a + 1, x) minus the density term cancels most of its digits. Held to 1e-13
  // relative like the rest of the table (the absolute slack of the table's check
  // hides an error in a tail this small).
  // Reference: python3-mpmath 1.3.0, mp.dps = 50,
  //   mp.gammainc(mpf(a), mpf(x), mp.inf, regularized=True) at the doubles a and x.
  struct row {
    double a, x, q;
  };
  const row rows[] = {
      {0.001, 1.5, 1.0015295965701438e-4}, {0.001, 5, 1.1509813397308609e-6},
      {0.001, 20, 9.8711730979026902e-14}, {0.001, 100, 3.7027704055972859e-49},
      {0.01, 1.5, 1.0135430224953093e-3},  {0.01, 5, 1.1753519412750849e-5},
      {0.01, 20, 1.0197124051643149e-12},  {0.01, 100, 3.8795920588023445e-48},
      {0.1, 1.5, 1.1344016637805271e-2},   {0.1, 5, 1.4393896584673399e-4},
      {0.1, 20, 1.4013589802170009e-11},   {0.1, 100, 6.1426763078123008e-47},
      {0.5, 1.5, 8.3264516663550402e-2},   {0.5, 5, 1.5654022580025497e-3},
      {0.5, 20, 2.539628589470865e-10},    {0.5, 100, 2.0884875837625448e-45},
      {0.9, 1.5, 1.9182215849643755e-1},   {0.9, 5, 5.2777678510461551e-3},
      {0.9, 20, 1.4226977825310241e-9},    {0.9, 100, 2.1942956785963535e-44},
      {0.999, 1.5, 2.2281093247600395e-1}, {0.999, 5, 6.7220783934582078e-3},
      {0.999, 20, 2.053702678588014e-9},   {0.999, 100, 3.7008072855126568e-44},
  };
  for (const row& r : rows) {
    const Igamma g(r.x, r.a);
    ASSERT_EQ(g.st, 0) << r.a << " " << r.x;
    EXPECT_LE(std::fabs(g.q - r.q), 1e-13 * r.q) << "a " << r.a << " x " << r.x << " relative error "
                                                 << std::fabs(g.q - r.q) / r.q;
    EXPECT_NEAR(g.p, 1.0 - r.q, 2 * kEps) << r.a << " " << r.x;
  }
}

TEST(ZIgamma, MendLargeShapesConverge) {
  // The classic 2000-term series failed for a = 1e5 at x = a (status 1); with limits
  // growing with sqrt(a) every shape converges.  a = 5e4 converged before and still does.
  for (double a : {5e4, 7e4, 1e5, 1e6, 1e7, 1e8, 5e8, 999999999.0})
    for (double k : {-3.0, -1.0, 0.0, 1.0, 3.0}) {
      const Igamma g(a + k * std::sqrt(a), a);
      ASSERT_EQ(g.st, 0) << a << " " << k;
      EXPECT_GT(g.p, 0.0);
      EXPECT_LT(g.p, 1.0);
      EXPECT_NEAR(g.p + g.q, 1.0, 2 * kEps);
      EXPECT_GT(g.d, 0.0);
    }
  // Far beyond any use the grown limits are capped, so these return (converged or not).
  for (const Igamma& g : {Igamma(3e15, 1e15), Igamma(3e300, 1e300), Igamma(5.0, INFINITY)})
    EXPECT_TRUE(g.st == 0 || g.st == 1);
}

TEST(ZIgamma, WilsonHilfertyBand) {
  // P(a, a) = 0.5 + 1/(3 sqrt(2 pi a)) + O(a^-3/2) for large a.
  const Igamma mid(2e9, 2e9);
  ASSERT_EQ(mid.st, 0);
  EXPECT_EQ(mid.p + mid.q, 1.0);
  EXPECT_NEAR(mid.p, 0.5 + 1.0 / (3.0 * std::sqrt(2.0 * M_PI * 2e9)), 1e-12);
  // Outside the band, the continued fraction for the lower tail (a >= 1e9).
  EXPECT_EQ(Igamma(1.9e9, 2e9).p, 0.0);  // underflows
  EXPECT_GE(Igamma(2e9 - 0.7 * std::sqrt(2e9) - 0.03 * 2e9, 2e9).p, 0.0);
  struct Case { double x, a, p, q; } cases[] = {{1.0, 2000.0, 1.0, 0.0}, {1.0, 0.0009, 0.0, 1.0}};
  for (const Case& c : cases) {
    double wp, wq;
    wilhil(c.x, c.a, &wp, &wq);
    EXPECT_EQ(wp, c.p);
    EXPECT_EQ(wq, c.q);
  }
  double wp, wq;
  wilhil(2e9, 2e9, &wp, &wq);
  EXPECT_EQ(wp + wq, 1.0);
}

TEST(ZIgamma, MonotoneAndBounded) {
  for (double a : {1e-3, 0.5, 1.0, 7.0, 150.0, 2e4}) {
    double prev = 0.0;
    for (double x = a / 64; x < 64 * a + 64; x *= 1.37) {
      const Igamma g(x, a);
      ASSERT_EQ(g.st, 0) << a << " " << x;
      EXPECT_GE(g.p, prev - 1e-15) << a << " " << x;
      EXPECT_TRUE(g.p >= 0 && g.p <= 1 && g.q >= 0 && g.q <= 1) << a << " " << x;
      prev = g.p;
    }
  }
}

TEST(ZIgamma, LargeShapesNearTheCentreAgainstMpmath) {
  // Shapes from 19.5 to 1e8, x from a/2 to 2a and just past: the uniform expansion
  // inside its region (a >= 20), the series and fractions at its edges.
  check_accuracy("zigamma near x = a", ref_table("igamma_uniform.tsv"), [](const RefRow& r) -> Cmp {
    const Igamma g(r["x"], r["a"]);
    EXPECT_EQ(g.st, 0);
    EXPECT_EQ(g.p + g.q, 1.0);
    return evaluated_of({g.p, r["p"], 2e-15}, {g.q, r["q"], 2e-15});
  });
}

TEST(ZIgamma, ScaledErrorFunctionComplement) {
  // erfc(x) e^(x^2): against the product (exact to (4 + 2x^2) ulp), and against the
  // asymptotic series 1/(x sqrt(pi)) sum_n (-1)^n (2n-1)!! / (2x^2)^n far out.
  for (double x : {0.0, 0.2, 0.46875, 0.47, 1.3, 3.9, 4.0, 4.1, 6.0}) {
    const double want = std::erfc(x) * std::exp(x * x);
    const double tol = (4.0 + 2.0 * x * x) * kEps;
    EXPECT_NEAR(zferfcx(x), want, tol * want) << x;
    EXPECT_NEAR(zferfcx(-x), 2.0 * std::exp(x * x) - want, tol * std::exp(x * x)) << x;
  }
  for (double x : {30.0, 300.0, 3e4}) {
    double term = 1.0, sum = 1.0;
    for (int n = 1; n < 12; ++n) sum += (term *= -(2.0 * n - 1.0) / (2.0 * x * x));
    const double want = sum / (x * std::sqrt(M_PI));
    EXPECT_NEAR(zferfcx(x), want, 1e-15 * want) << x;
  }
}
