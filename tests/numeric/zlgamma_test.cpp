// Tests of zlgamma, zlgbern, zlbeta and their long double companions (src/numeric/zlgamma.*).
// References: ref/lgamma.tsv, lbeta.tsv, lgbern.tsv (mpmath at 50 digits; R lgamma/lbeta
// agree).
#include "numeric/zlgamma.h"

#include <gtest/gtest.h>

#include <cmath>

#include "accuracy_check.h"
#include "numeric/zmissing.h"

namespace {
constexpr double kEps = ZEPS53;
// A few ulp of max(1, |value|): absolute near the zeros of ln Gamma at 1 and 2.
Cmp scaled(double got, double want, double ulps) {
  return {got, want, ulps * kEps, Err::absolute, std::max(1.0, std::fabs(want))};
}
}  // namespace

TEST(ZLgamma, AgainstMpmath) {
  const RefTable& lg = ref_table("lgamma.tsv");
  check_accuracy("zlgamma", lg, [](const RefRow& r) { return scaled(zlgamma(r["x"]), r["lgamma"], 6); });
  check_accuracy("zlgammal", lg, [](const RefRow& r) {
    return scaled(static_cast<double>(zlgammal(r["x"])), r["lgamma"], 6);
  });
  const RefTable& lb = ref_table("lbeta.tsv");
  check_accuracy("zlbeta", lb, [](const RefRow& r) { return scaled(zlbeta(r["a"], r["b"]), r["lbeta"], 32); });
  check_accuracy("zlbetal", lb, [](const RefRow& r) {
    return scaled(static_cast<double>(zlbetal(r["a"], r["b"])), r["lbeta"], 16);
  });
  // Six terms of the series: below 1e-18 absolute from 15 on, 6e-16 at 10.
  check_accuracy("zlgbern", ref_table("lgbern.tsv"), [](const RefRow& r) -> Cmp {
    const double x = r["x"], v = r["lgbern"];
    return {zlgbern(x), v, x >= 15.0 ? 8 * kEps * v : 1e-15, Err::absolute};
  });
}

TEST(ZLgamma, ExactEdges) {
  check_exact({
      {"lgamma(1)", zlgamma(1.0), 0.0},
      {"lgamma(2)", zlgamma(2.0), 0.0},
      {"lgamma(1 + 1e-16)", zlgamma(1.0 + 1e-16), 0.0},
      {"lgamma(0.5)", zlgamma(0.5), 0.5723649429247001},
      {"lgamma(2.5)", zlgamma(2.5), 0.2846828704729192},
      {"lgamma(0)", zlgamma(0.0), -99.0},
      {"lgamma(-3)", zlgamma(-3.0), -99.0},
      {"lgamma(1e-320)", zlgamma(1e-320), -99.0},
      {"lgamma(smallest normal)", zlgamma(ZDBL_MINNORM), -99.0},
      {"lgamma(14.99)", zlgamma(14.99), 25.164481163825506},
      {"lgamma(15)", zlgamma(15.0), 25.191221182738683},
      {"lgamma(nan)", zlgamma(std::nan("")), std::nan("")},
      {"lgammal(0)", static_cast<double>(zlgammal(0.0)), -99.0},
      {"lgammal(2)", static_cast<double>(zlgammal(2.0)), 0.0},
      {"lbeta(1, 1)", zlbeta(1.0, 1.0), 0.0},
      {"lbeta(0, 2)", zlbeta(0.0, 2.0), 99.0},
      {"lbeta(2, -1)", zlbeta(2.0, -1.0), 99.0},
      {"lbetal(0, 2)", static_cast<double>(zlbetal(0.0, 2.0)), 99.0},
  });
  EXPECT_NE(zlgamma(2.2250738585072024e-308), -99.0);
}

TEST(ZLgamma, ContinuousAcrossSwitches) {
  // Stirling from 15 on, the reduction below: both sides agree to about 1e-15.
  const double below = std::nextafter(15.0, 0.0);
  EXPECT_NEAR(zlgamma(15.0) - zlgamma(below), 2.674060313 * (15.0 - below), 1e-14);  // digamma(15)
  // The Stirling form of ln B (larger argument 20 >= 15) agrees with the direct sum.
  EXPECT_NEAR(zlbeta(0.5, 20.0), zlgamma(0.5) + zlgamma(20.0) - zlgamma(20.5), 1e-14);
  for (double a : {0.3, 2.0, 17.5, 1e4})
    for (double b : {0.7, 3.0, 40.0}) EXPECT_EQ(zlbeta(a, b), zlbeta(b, a)) << a << " " << b;
}
