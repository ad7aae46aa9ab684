// zdigama (digamma) and ztigama (trigamma).
// Reference: ref/digamma.tsv (mpmath psi at 40 digits; the R columns are kept in the file
// as the cross-check made when it was written: R's digamma loses up to 1e-9 relative near
// negative poles, so the tests compare with mpmath only).
#include <gtest/gtest.h>

#include <cmath>

#include "accuracy_check.h"
#include "numeric/zdigama.h"
#include "numeric/zmissing.h"
#include "numeric/ztigama.h"

namespace {
constexpr double kPi = M_PI;
constexpr double kEps = ZEPS53;
}  // namespace

TEST(Zdigama, MatchesReferences) {
  // A few ulps of max(1, |psi|); below 0.5 the reflection term pi cot(pi x) carries the
  // rounding of pi x: an absolute error of about pi^2 |x| 2^-53 / sin^2(pi x).
  check_accuracy("zdigama", ref_table("digamma.tsv"), [](const RefRow& r) -> Cmp {
    const double x = r["x"];
    double d = 0.0;
    EXPECT_EQ(zdigama(x, &d), 0);
    const double scale = std::max(1.0, std::fabs(r["psi"]));
    double tol = 1e-15 * scale;
    if (x < 0.5) tol += 2.0 * kPi * kPi * std::fabs(x) * kEps / std::pow(std::sin(kPi * x), 2);
    return {d, r["psi"], tol / scale, Err::absolute, scale};
  });
  // A few ulps; below 0.5 the reflected (pi/sin(pi x))^2 carries the rounding of pi x: a
  // relative error of about 2 pi |x| 2^-53 |cot(pi x)| in that term.
  check_accuracy("ztigama", ref_table("digamma.tsv"), [](const RefRow& r) -> Cmp {
    const double x = r["x"];
    int st = -1;
    const double v = ztigama(x, &st);
    EXPECT_EQ(st, 0);
    double tol = 2e-15 * r["tri"];
    if (x < 0.5) {
      const double s = std::sin(kPi * x), c = std::cos(kPi * x);
      tol += 4.0 * kPi * std::fabs(x) * kEps * std::fabs(c / s) * (kPi / s) * (kPi / s);
    }
    return {v, r["tri"], tol / r["tri"]};
  });
}

TEST(Zdigama, EdgesAndPoles) {
  struct Case { double x, psi, tol; } cases[] = {
      {1.0, -0.5772156649015328, 0},  // to the last digit
      {2.0, 0.42278433509846725, 0},
      {0.5, -1.96351002602142, 1e-14},
      {-0.5, 0.0364899739785768, 1e-15},
  };
  for (const Case& c : cases) {
    double d = 0.0;
    ASSERT_EQ(zdigama(c.x, &d), 0);
    EXPECT_NEAR(d, c.psi, c.tol) << c.x;
  }
  // Poles (the window is 1e-12 * max(1, -x)) and -x >= 2147483647: status 1, missing.
  const double m = zmissing();
  check_refusals("zdigama", {{{-3.0}, 1, {m}}, {{-3.0 + 1e-13}, 1, {m}}, {{0.0}, 1, {m}}, {{-3e9}, 1, {m}},
                             {{-2147483647.0}, 1, {m}}, {{-1000.0 + 5e-10}, 1, {m}}, {{-1e-13}, 1, {m}}},
                 [](const std::vector<double>& a, std::vector<double>& out) {
                   out = {0.0};
                   return zdigama(a[0], &out[0]);
                 });
  double d;
  for (double x : {-1000.0 + 2e-9, -0.5 + 9e-13, -2e-12}) EXPECT_EQ(zdigama(x, &d), 0) << x;
}

TEST(Ztigama, EdgeValuesAndPaths) {
  int st = -1, st2 = -1;
  const double v15 = ztigama(1.5, &st2);
  // 10: the downward loop (10 -> 5); 3.2: both loops; 30: the series.
  struct Case { double x, v, tol; } cases[] = {
      {1.0, kPi * kPi / 6.0, 4e-16 * 1.7},   {0.5, kPi * kPi / 2.0, 4e-16 * 5.0},
      {-0.5, kPi * kPi - v15, 1e-14},        // reflection
      {-0.5, 8.934802, 1e-6},                {10.0, 0.10516633568168575, 1e-16},
      {3.2, 0.36632119073140079, 1e-16},     {30.0, 0.033895060357739946, 1e-17},
      {2e35, 1.0 / 2e35, 0},                 // 1/y
      {-3e35, 1.0 / (1.0 - -3e35), 0},       // reflected huge y: 1/y without the reflection term
  };
  for (const Case& c : cases) {
    st = -1;
    EXPECT_NEAR(ztigama(c.x, &st), c.v, c.tol) << c.x;
    EXPECT_EQ(st, 0) << c.x;
  }
  // Poles, also |sin(pi x)| ~ 3e-14 < 1e-12: -1e35 with status 1.
  for (double x : {0.0, -4.0, -4.0 + 1e-14}) {
    st = 0;
    EXPECT_EQ(ztigama(x, &st), -1e35) << x;
    EXPECT_EQ(st, 1) << x;
  }
}
