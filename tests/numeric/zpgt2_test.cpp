// Tests of zpgt2, zpgt2f and zpgt2New (src/numeric/zpgt2.*).
// Reference: ref/pgt2.tsv (mpmath at 50 digits, I_(df/(df+t2))(df/2, 1/2); R 2 pt(-|t|, df)
// agrees).
#include "numeric/zpgt2.h"

#include <gtest/gtest.h>

#include <cmath>

#include "accuracy_check.h"
#include "numeric/zmissing.h"

TEST(ZPgt2, AgainstMpmath) {
  check_accuracy("zpgt2", ref_table("pgt2.tsv"), [](const RefRow& r) -> Cmp {
    const double t2 = r["t2"];
    const int df = static_cast<int>(r["df"]);
    const double v = zpgt2(t2, df);
    // The three forms give the same number.
    EXPECT_EQ(zpgt2f(t2, df), v);
    double p = 0;
    EXPECT_EQ(zpgt2New(t2, df, &p), 0);
    EXPECT_EQ(p, v);
    // x = df/(df + t2) is rounded to double before zibeta, which moves 1 - x by up to
    // 2^-53 / (1 - x) relative: for large df and small t2 that bounds the accuracy.
    const double onemx = t2 / (df + t2);
    return {v, r["p"], std::max(1e-13, 4 * ZEPS53 / onemx * (1.0 + std::sqrt(t2)))};
  });
}

TEST(ZPgt2, EdgesAndRefusals) {
  // df = 0 or negative t2 (x > 1) are refused by zibeta: the sentinel -2 (callers store
  // missing instead).
  check_exact({{"zpgt2(0, 5)", zpgt2(0.0, 5), 1.0},
               {"zpgt2(1e300, 5)", zpgt2(1e300, 5), 0.0},
               {"zpgt2(4, 0)", zpgt2(4.0, 0), -2.0},
               {"zpgt2f(4, 0)", zpgt2f(4.0, 0.0), -2.0},
               {"zpgt2(-1, 5)", zpgt2(-1.0, 5), -2.0},
               {"zpgt2f(-1, 5)", zpgt2f(-1.0, 5.0), -2.0}});
  // Huge int df stays exact in double and is accepted by zibeta up to 2^31 - 1.
  const double big = zpgt2(3.84, 2147483647);
  EXPECT_TRUE(big > 0.04 && big < 0.06) << big;
  // zpgt2New stores missing for bad arguments (-1); a shape above 2^31 - 1 is refused by
  // zibeta without writing, so the missing stored first stays (-2).
  const double m = zmissing();
  check_refusals("zpgt2New", {{{-1.0, 5.0}, -1, {m}}, {{1.0, 0.0}, -1, {m}}, {{1.0, -3.0}, -1, {m}},
                              {{1.0, 5e9}, -2, {m}}},
                 [](const std::vector<double>& a, std::vector<double>& out) {
                   out = {0.0};
                   return zpgt2New(a[0], a[1], &out[0]);
                 });
  double p = 0;
  const int st = zpgt2New(std::nan(""), 5.0, &p);  // reaches zibeta, which lets it through or refuses
  EXPECT_TRUE(st == 0 || st == -2);
}
