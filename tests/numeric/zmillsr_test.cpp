// Tests of zmillsr and zcnfmill (src/numeric/zmillsr.*).
// Reference: ref/mills.tsv (mpmath at 50 digits, (1 - Phi(x))/phi(x)).
#include "numeric/zmillsr.h"

#include <gtest/gtest.h>

#include <cmath>

#include "accuracy_check.h"
#include "numeric/zmissing.h"

namespace {
constexpr double kEps = ZEPS53;
}  // namespace

TEST(ZMillsr, AgainstMpmath) {
  // Below 5: 1/phi(x) times Phi(-x); the exponential of x^2/2 costs x^2/2 * 2^-53.
  check_accuracy("zmillsr", ref_table("mills.tsv"), [](const RefRow& r) -> Cmp {
    const double x = r["x"];
    double m = -1;
    EXPECT_EQ(zmillsr(x, &m), 0);
    return {m, r["mills"], x >= 5.0 ? 8 * kEps : (8.0 + x * x) * kEps};
  });
}

TEST(ZMillsr, Edges) {
  double m;
  ASSERT_EQ(zmillsr(0.0, &m), 0);
  EXPECT_NEAR(m, 1.2533141373155001, 2 * kEps);  // sqrt(pi/2)
  ASSERT_EQ(zmillsr(5.0, &m), 0);
  EXPECT_NEAR(m, 0.1928081047153158, 1e-16);
  double c;
  ASSERT_EQ(zcnfmill(5.0, &c), 0);
  EXPECT_EQ(c, m);  // 5 goes to the continued fraction
  for (double x : {-12.0, -40.0}) {
    ASSERT_EQ(zmillsr(x, &m), 0);
    EXPECT_EQ(m, std::exp(0.5 * x * x + ZLN_SQRT_2PI)) << x;  // infinite at -40: the limit
  }
}

TEST(ZMillsr, ContinuedFractionStatus) {
  // Far outside its range (x = 0.5) the fraction needs more than 100 steps: status 1 with
  // the last convergent left in *m.
  double m = 0;
  EXPECT_EQ(zcnfmill(0.5, &m), 1);
  EXPECT_TRUE(std::isfinite(m) && m > 0.0);
  for (double x : {5.0, 6.0, 10.0, 1e3, 1e300}) EXPECT_EQ(zcnfmill(x, &m), 0) << x;
  // NaN stops at once (unordered comparison) with status 0.
  EXPECT_EQ(zcnfmill(std::nan(""), &m), 0);
  EXPECT_TRUE(std::isnan(m));
}
