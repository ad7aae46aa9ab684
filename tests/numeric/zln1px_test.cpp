// Tests of zln1px and zlnSumOfExp (src/numeric/zln1px.*).
// References: ref/log1p.tsv, ref/lse.tsv (mpmath at 50 digits).
#include "numeric/zln1px.h"

#include <gtest/gtest.h>

#include <cmath>

#include "accuracy_check.h"
#include "numeric/zmissing.h"

namespace {
constexpr double kEps = ZEPS53;
}  // namespace

TEST(ZLn1px, AgainstMpmath) {
  // Above 0.03125 the library log of the rounded 1 + x: up to 2^-53 (1 + x)/|ln(1 + x)|.
  check_accuracy("zln1px", ref_table("log1p.tsv"), [](const RefRow& r) -> Cmp {
    const double x = r["x"], v = r["log1p"];
    return {zln1px(x), v, std::fabs(x) <= 0.03125 ? 3 * kEps : (2.0 + (1.0 + std::fabs(x)) / std::fabs(v)) * kEps};
  });
  check_accuracy("zlnSumOfExp", ref_table("lse.tsv"),
                 [](const RefRow& r) -> Cmp { return {zlnSumOfExp(r["a"], r["b"]), r["lse"], 4 * kEps}; });
}

TEST(ZLn1px, Edges) {
  const double nan = std::nan("");
  check_exact({
      {"ln1px(0)", zln1px(0.0), 0.0},
      {"ln1px(1e-10)", zln1px(1e-10), 9.999999999500001e-11},
      {"ln1px(-1)", zln1px(-1.0), -INFINITY},
      {"ln1px(-2)", zln1px(-2.0), nan},
      {"ln1px(nan)", zln1px(nan), nan},
      {"lse(1000, 1000)", zlnSumOfExp(1000.0, 1000.0), 1000.0 + 0.6931471805599453},
      {"lse(0, -1000)", zlnSumOfExp(0.0, -1000.0), 0.0},
      {"lse(-1000, 0)", zlnSumOfExp(-1000.0, 0.0), 0.0},
      {"lse symmetric", zlnSumOfExp(3.0, 5.0), zlnSumOfExp(5.0, 3.0)},
      {"lse(nan, 1)", zlnSumOfExp(nan, 1.0), nan},
  });
  // The branches meet at +-0.03125 to about 1e-16 relative.
  for (double s : {0.03125, -0.03125})
    EXPECT_LE(error_of({zln1px(s), std::log(1.0 + std::nextafter(s, 2 * s)), 0}), 4 * kEps) << s;
}
