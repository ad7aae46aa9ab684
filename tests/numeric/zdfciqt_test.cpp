// Tests of zdfciqt (src/numeric/zdfciqt.*).
// Reference: ref/dfci.tsv, a direct implementation of the rank rule over exact binomial
// sums at 50 digits in mpmath (its rows include the worked examples of the rule).
#include "numeric/zdfciqt.h"

#include <gtest/gtest.h>

#include <cmath>

#include "accuracy_check.h"
#include "numeric/zmissing.h"

namespace {
// Runs zdfciqt on {type, n, alpha, p}, storing lo, hi, cover in out.
int dfci(const std::vector<double>& a, std::vector<double>& out) {
  out.assign(3, 1.0);
  return zdfciqt(static_cast<int>(a[0]), a[1], a[2], a[3], &out[0], &out[1], &out[2]);
}
}  // namespace

TEST(ZDfciqt, AgainstExactSearch) {
  // Status and ranks exactly (missing where the search has none), the cover to 1e-13.
  check_accuracy("zdfciqt cover", ref_table("dfci.tsv"), [](const RefRow& r) -> Cmp {
    std::vector<double> out;
    EXPECT_EQ(dfci({r["type"], r["n"], r["alpha"], r["p"]}, out), r["status"]);
    const bool none = std::isnan(r["lo"]);
    EXPECT_TRUE(same_value(out[0], none ? zmissing() : r["lo"]));
    EXPECT_TRUE(same_value(out[1], none ? zmissing() : r["hi"]));
    return {out[2], none ? zmissing() : r["cover"], 1e-13, Err::absolute};
  });
}

TEST(ZDfciqt, Refusals) {
  // Bad arguments: status 2 with missing ranks and cover (alpha = 0.5 itself is accepted:
  // it is a row of the reference table).
  const double m = zmissing();
  std::vector<Refusal> bad;
  for (std::vector<double> a : std::vector<std::vector<double>>{
           {1, 20, 0.50001, 0.5}, {1, 1.5, 0.05, 0.5}, {1, 20, 0.0, 0.5}, {1, 20, 0.05, 0.0}, {1, 20, 0.05, 1.0},
           {0, 20, 0.05, 0.5}, {5, 20, 0.05, 0.5}, {2, 1.0, 0.05, 0.5}, {1, INFINITY, 0.05, 0.5}})
    bad.push_back({a, 2, {m, m, m}});
  check_refusals("zdfciqt", bad, dfci);
  // A NaN n, or n above 2^31 - 1 (zibeta refuses the shapes): status 3.
  std::vector<double> out;
  for (int type = 1; type <= 4; ++type) EXPECT_EQ(dfci({double(type), NAN, 0.05, 0.3}, out), 3) << type;
  EXPECT_EQ(dfci({1, 5e9, 0.05, 0.5}, out), 3);
  EXPECT_EQ(dfci({4, 5e9, 0.05, 0.5}, out), 3);
  EXPECT_EQ(out[0], 1.0);  // the one-sided rule set lo before the failure
}
