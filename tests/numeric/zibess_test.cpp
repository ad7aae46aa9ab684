// zibess_test.cpp - the Bessel function I_nu (zibess, zbess) against mpmath besseli at
// 40 digits with R besselI and SciPy ive as cross-checks (ref/zibess.tsv), the Debye
// polynomial table against the published u_1, u_2, u_3, modes, statuses and the
// recurrence below order 0.
#include <gtest/gtest.h>

#include <cmath>

#include "accuracy_check.h"
#include "numeric/zbessel_debye.h"
#include "numeric/zibess.h"

namespace {
zibess_req make(double nu, double x, int mode) {
  zibess_req r{};
  r.nu = nu;
  r.x = x;
  r.mode = mode;
  return r;
}
}  // namespace

TEST(Zibess, DebyeCoefficientsArePublishedOnes) {
  // u_1 = (3t - 5t^3)/24, u_2 = (81t^2 - 462t^4 + 385t^6)/1152,
  // u_3 = (30375t^3 - 369603t^5 + 765765t^7 - 425425t^9)/414720 (A&S 9.3.9).
  const double want[] = {3.0 / 24,       -5.0 / 24,        81.0 / 1152,       -462.0 / 1152,   385.0 / 1152,
                         30375.0 / 414720, -369603.0 / 414720, 765765.0 / 414720, -425425.0 / 414720};
  for (int i = 0; i < 9; ++i) EXPECT_EQ(zdebye_coef[i], want[i]) << i;
}

TEST(Zibess, LogAgainstMpmath) {
  const RefTable& t = ref_table("zibess.tsv");
  check_accuracy("zibess ln I", t, [](const RefRow& row) -> std::optional<Cmp> {
    zibess_req r = make(row["nu"], row["x"], 2);
    EXPECT_EQ(zibess(&r), 0);
    return logcmp(r.result, row["lnI"], 3e-13);
  });
  check_accuracy("zibess e^-x I (mode 1)", t, [](const RefRow& row) -> std::optional<Cmp> {
    const double want = std::exp(row["lnI"] - row["x"]);
    if (!(want > 1e-300)) return std::nullopt;
    zibess_req r = make(row["nu"], row["x"], 1);
    EXPECT_EQ(zibess(&r), 0);
    return Cmp{r.result, want, 4e-13 * std::fmax(1.0, std::fabs(row["lnI"]))};
  });
}

TEST(Zibess, ModesStatusesAndEdges) {
  zibess_req r = make(0.0, 0.0, 0);
  EXPECT_EQ(zibess(&r), 0);
  EXPECT_EQ(r.result, 1.0);
  r = make(2.5, 0.0, 0);
  EXPECT_EQ(zibess(&r), 0);
  EXPECT_EQ(r.result, 0.0);
  r = make(-0.5, 1.0, 0);
  EXPECT_EQ(zibess(&r), 1);
  EXPECT_EQ(r.result, -1.7976931348623157e308);
  EXPECT_EQ(r.error, 1);
  r = make(1.0, -1.0, 2);
  EXPECT_EQ(zibess(&r), 1);
  // I_0(800) overflows a double: mode 0 keeps the log with status 1; mode 2 does not
  r = make(0.0, 800.0, 0);
  EXPECT_EQ(zibess(&r), 1);
  EXPECT_NEAR(r.result, 800.0 - 0.5 * std::log(2 * 3.141592653589793 * 800.0), 1e-3);
  r = make(0.0, 800.0, 2);
  EXPECT_EQ(zibess(&r), 0);
  // I_(1/2)(x) = sqrt(2/(pi x)) sinh x
  for (double x : {0.5, 3.0, 14.0, 30.0}) {
    r = make(0.5, x, 0);
    EXPECT_EQ(zibess(&r), 0);
    EXPECT_NEAR(r.result, std::sqrt(2 / (3.141592653589793 * x)) * std::sinh(x), 2e-14 * r.result) << x;
  }
  // Orders in (-1, 0) by the recurrence: I_(-1/2)(x) = sqrt(2/(pi x)) cosh x
  for (double x : {0.5, 3.0, 14.0}) {
    r = make(-0.5, x, 2);
    EXPECT_EQ(zbess(&r), 0);
    EXPECT_EQ(r.nu, -0.5);
    EXPECT_NEAR(r.result, std::log(std::sqrt(2 / (3.141592653589793 * x)) * std::cosh(x)), 2e-14) << x;
  }
}
