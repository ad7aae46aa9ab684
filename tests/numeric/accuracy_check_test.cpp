// The shared accuracy check must pass exact results, fail (naming the worst row) when one
// row is off, and read inf/nan fields.
#include "accuracy_check.h"

#include <gtest/gtest-spi.h>
#include <gtest/gtest.h>

#include <cmath>

#include "numeric/zmissing.h"

namespace {
const RefTable& squares() { return ref_table("accuracy_check_selftest.tsv"); }
}  // namespace

TEST(AccuracyCheck, ExactRowsPassWithZeroError) {
  ASSERT_EQ(squares().size(), 4u);
  const AccuracySummary s =
      check_accuracy("x*x", squares(), [](const RefRow& r) -> Cmp { return {r["x"] * r["x"], r["y"], 0.0}; });
  EXPECT_EQ(s.rows, 4u);
  EXPECT_EQ(s.failures, 0u);
  EXPECT_EQ(s.max, 0.0);
}

TEST(AccuracyCheck, OneBadRowFailsAndIsNamed) {
  EXPECT_NONFATAL_FAILURE(
      check_accuracy("x*x+1e-9", squares(),
                     [](const RefRow& r) -> std::optional<Cmp> {
                       if (r["x"] != -3) return std::nullopt;
                       return Cmp{r["x"] * r["x"] + 1e-9, r["y"], 1e-12};
                     }),
      "line 5: x=-3 y=9");
}

TEST(AccuracyCheck, ErrorMeasures) {
  const double nan = std::nan("");
  const double inf = HUGE_VAL;
  struct Case { Cmp c; double want; } cases[] = {
      {{1.5, 1.0, 0}, 0.5},
      {{-2.0, -4.0, 0}, 0.5},
      {{1e-20, 0.0, 0}, 1e-20},  // relative to 0: absolute
      {{3.0, 1.0, 0, Err::absolute}, 2.0},
      {{inf, inf, 0}, 0.0},
      {{nan, nan, 0}, 0.0},
      {{nan, 1.0, 0}, inf},
      {{1.0, nan, 0}, inf},
  };
  for (const Case& k : cases) EXPECT_EQ(error_of(k.c), k.want) << k.c.got << " " << k.c.want;
}

TEST(AccuracyCheck, RefusalsCompareStatusAndBits) {
  const auto call = [](const std::vector<double>& a, std::vector<double>& out) {
    out = {a[0] < 0 ? zmissing() : a[0]};
    return a[0] < 0 ? 1 : 0;
  };
  check_refusals("pass", {{{-1.0}, 1, {zmissing()}}, {{2.0}, 0, {2.0}}}, call);
  EXPECT_NONFATAL_FAILURE(check_refusals("other NaN", {{{-1.0}, 1, {std::nan("")}}}, call), "output 0");
  EXPECT_NONFATAL_FAILURE(check_refusals("status", {{{2.0}, 1, {2.0}}}, call), "status");
}
