// Tests of zibeta (src/numeric/zibeta.*).
// Reference: ref/ibeta.tsv (mpmath at 50 digits, both tails and the density; R
// pbeta/dbeta agree).
#include "numeric/zibeta.h"

#include <gtest/gtest.h>

#include <cmath>

#include "accuracy_check.h"
#include "numeric/zmissing.h"
#include "numeric/zprobin.h"

namespace {
constexpr double kEps = ZEPS53;
double tol_for(double a, double b) { return (a >= 1e6 || b >= 1e6) ? 1e-9 : 1e-13; }

struct Ibeta {
  double p = -5, d = -5;
  int st;
  Ibeta(double x, double a, double b) : st(zibeta(x, a, b, &p, &d)) {}
};
}  // namespace

TEST(ZIbeta, AgainstMpmath) {
  // zibeta evaluates one tail and returns 1 minus it when that was the upper one; 1 - p
  // then keeps only the absolute accuracy of p, hence the 2 eps / Q allowance.
  const RefTable& t = ref_table("ibeta.tsv");
  check_accuracy("zibeta evaluated tail", t, [](const RefRow& r) -> Cmp {
    const Ibeta b(r["x"], r["a"], r["b"]);
    EXPECT_EQ(b.st, 0);
    const double tol = tol_for(r["a"], r["b"]);
    const Cmp c = evaluated_of({b.p, r["p"], tol}, {1.0 - b.p, r["q"], tol + 2 * kEps / r["q"]});
    EXPECT_LE(std::fabs(b.p - r["p"]), 2 * kEps + tol * c.want);
    return c;
  });
  check_accuracy("zibeta density", t, [](const RefRow& r) -> Cmp {
    return {Ibeta(r["x"], r["a"], r["b"]).d, r["d"], tol_for(r["a"], r["b"])};
  });
}

TEST(ZIbeta, ExactEdgesAndRefusals) {
  struct Case { double x, a, b, p, d, tol; } cases[] = {
      {0.0, 0.5, 2.0, 0.0, 0.0, 0}, {0.0, 3.0, 2.0, 0.0, 0.0, 0}, {1.0, 1.0, 0.3, 1.0, 0.0, 0},
      {1.0, 3.0, 0.3, 1.0, 0.0, 0},
      {0.75, 1.0, 1.0, 0.75, 1.0, 2 * kEps},
      // log density below -708.3964185: exactly 0 or 1 by the side of the mean, density 0
      {0.001, 500.0, 500.0, 0.0, 0.0, 0}, {0.999, 500.0, 500.0, 1.0, 0.0, 0}, {1e-300, 3.0, 2.0, 0.0, 0.0, 0},
  };
  for (const Case& c : cases) {
    const Ibeta b(c.x, c.a, c.b);
    ASSERT_EQ(b.st, 0) << c.x << " " << c.a << " " << c.b;
    EXPECT_NEAR(b.p, c.p, c.tol) << c.x << " " << c.a << " " << c.b;
    EXPECT_NEAR(b.d, c.d, c.tol) << c.x << " " << c.a << " " << c.b;
  }
  // Shapes above 2^31 - 1 are refused without writing; bad x or shapes give -1, 0.
  check_refusals("zibeta", {{{0.5, 2147483648.0, 2.0}, 1, {7, 8}}, {{0.5, 2.0, 3e9}, 1, {7, 8}},
                            {{-0.1, 2.0, 3.0}, -1, {-1, 0}}, {{0.5, 2.0, 0.0}, -1, {-1, 0}},
                            {{1.1, 2.0, 3.0}, -1, {-1, 0}}, {{0.5, -1.0, 3.0}, -1, {-1, 0}}},
                 [](const std::vector<double>& a, std::vector<double>& out) {
                   out = {7, 8};
                   return zibeta(a[0], a[1], a[2], &out[0], &out[1]);
                 });
  const Ibeta largest(0.5, 2147483647.0, 2147483647.0);
  EXPECT_EQ(largest.st, 0);
  EXPECT_NEAR(largest.p, 0.5, 1e-9);
}

TEST(ZIbeta, LargeShapesConverge) {
  // Near the mean of shapes around 1e6 the fraction needs more than the classic 399
  // passes; the limit grows with sqrt(a + b), so the fraction settles instead of falling
  // back to the cube-root normal approximation (good only to about 4e-9 there).
  double prev = 0;
  for (double x = 0.4990; x <= 0.5010; x += 0.0002) {
    const Ibeta b(x, 1e6, 1e6);
    ASSERT_EQ(b.st, 0) << x;
    EXPECT_GE(b.p, prev);
    prev = b.p;
  }
  const Ibeta mid(0.5, 1e6, 1e6);
  EXPECT_NEAR(mid.p, 0.5, 1e-12);
  // density of beta(n, n) at 1/2: 2 sqrt(n/pi) (1 - 1/(8n) + ...)
  EXPECT_NEAR(mid.d, 1128.3790260481255, 1e-9 * 1128.38);
  EXPECT_NEAR(Ibeta(0.5, 2e9, 2e9).p, 0.5, 1e-9);
}

TEST(ZIbeta, ComplementSymmetryAndRange) {
  // I_x(a, b) + I_(1-x)(b, a) = 1 at dyadic points, where 1 - x is exact.
  for (double a : {0.01, 0.3, 1.0, 2.5, 17.0, 400.0})
    for (double b : {0.02, 0.5, 1.0, 4.0, 60.0, 900.0})
      for (double x : {0x1p-20, 0x1p-7, 0.25, 0.5, 0.75, 1 - 0x1p-7, 1 - 0x1p-20}) {
        const Ibeta lo(x, a, b), hi(1.0 - x, b, a);
        ASSERT_EQ(lo.st, 0);
        ASSERT_EQ(hi.st, 0);
        EXPECT_TRUE(lo.p >= 0.0 && lo.p <= 1.0);
        EXPECT_LE(std::fabs(lo.p + hi.p - 1.0), 1e-13) << a << " " << b << " " << x;
      }
}

TEST(ZIbeta, RoundTripThroughProbin) {
  for (double a : {0.5, 2.0, 30.0, 1000.0})
    for (double b : {0.5, 3.0, 40.0, 2000.0})
      for (double p : {1e-8, 0.001, 0.1, 0.5, 0.9, 0.999}) {
        double x;
        ASSERT_EQ(zprobin(p, a, b, &x), 0) << a << " " << b << " " << p;
        const Ibeta back(x, a, b);
        ASSERT_EQ(back.st, 0);
        EXPECT_LE(error_of({back.p, p, 0}), 1e-10) << a << " " << b << " " << p;
      }
}
