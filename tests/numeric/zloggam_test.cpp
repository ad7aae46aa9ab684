// zloggam_test.cpp - the log-scale gamma service zloggam: log tails far in both tails
// (ref/zloggam_tails.tsv: mpmath at 40 digits, R pgamma as a cross-check), quantiles
// and their round trip (ref/zloggam_quantile.tsv), the requests and refusals.
#include <gtest/gtest.h>

#include <cmath>

#include "accuracy_check.h"
#include "numeric/zloggam.h"

namespace {
zgam_req make(int flags, double x, double a) {
  zgam_req r{};
  r.flags = flags;
  r.x = x;
  r.a = a;
  return r;
}
}  // namespace

TEST(Zloggam, LogTailsAgainstMpmath) {
  const RefTable& t = ref_table("zloggam_tails.tsv");
  for (const char* col : {"lo", "up", "ld"}) {
    check_accuracy(std::string("zloggam ") + col, t, [&](const RefRow& row) -> std::optional<Cmp> {
      zgam_req r = make(3, row["x"], row["a"]);
      EXPECT_EQ(zloggam(&r), 0);
      const double got = col[0] == 'l' && col[1] == 'o' ? r.log_lower : col[0] == 'u' ? r.log_upper : r.log_density;
      return logcmp(got, row[col], 1e-13);
    });
  }
}

TEST(Zloggam, QuantileAndRoundTrip) {
  const RefTable& t = ref_table("zloggam_quantile.tsv");
  check_accuracy("zloggam quantile", t, [](const RefRow& row) -> std::optional<Cmp> {
    zgam_req r = make(4, 0.0, row["a"]);
    r.p = row["p"];
    // quantiles below the smallest double and p above 1 - 1.053671212772351e-08 are
    // refused
    if (row["x"] < 2.2250738585072014e-308 || row["p"] > 1.0 - 1.053671212772351e-08) {
      EXPECT_EQ(zloggam(&r), 1);
      return std::nullopt;
    }
    EXPECT_EQ(zloggam(&r), 0);
    EXPECT_EQ(r.flags, 4);
    // round trip: the log lower tail at the quantile is ln p
    zgam_req b = make(1, r.x, row["a"]);
    EXPECT_EQ(zloggam(&b), 0);
    EXPECT_NEAR(b.log_lower, std::log(row["p"]), 1e-6 * std::fmax(1.0, -std::log(row["p"])));
    return Cmp{r.x, row["x"], 1e-9};
  });
}

TEST(Zloggam, RequestsAndRefusals) {
  // {flags, x, a, p}: unknown requests, bad x or shape, p at 0 or too close to 1.
  const double bad[][4] = {{0, 1, 2, 0},        {8, 1, 2, 0},        {1, -1, 2, 0}, {1, 1, 1e-10, 0},
                           {1, NAN, 2, 0},      {1, HUGE_VAL, 2, 0}, {4, 0, 2, 1.0 - 1e-9}, {4, 0, 2, 0}};
  zgam_req r;
  for (const auto& b : bad) {
    r = make(static_cast<int>(b[0]), b[1], b[2]);
    r.p = b[3];
    EXPECT_EQ(zloggam(&r), 1) << b[0] << " " << b[1] << " " << b[2] << " " << b[3];
  }
  // x = 0: ln 0 as the most negative double, and the density's limits.
  r = make(1, 0.0, 2.0);
  EXPECT_EQ(zloggam(&r), 0);
  EXPECT_EQ(r.log_lower, -1.7976931348623157e308);
  EXPECT_EQ(r.log_upper, 0.0);
  EXPECT_EQ(r.log_density, -1.7976931348623157e308);
  // flags 2 alone: the density only
  r = make(2, 3.0, 2.0);
  r.log_lower = 5.0;
  EXPECT_EQ(zloggam(&r), 0);
  EXPECT_EQ(r.log_lower, 5.0);
  EXPECT_NEAR(r.log_density, std::log(3.0) - 3.0, 1e-15);
  // the far upper tail by the asymptotic expansion, without underflow
  r = make(3, 1e6, 2.0);
  EXPECT_EQ(zloggam(&r), 0);
  EXPECT_NEAR(r.log_upper, -1e6 + std::log(1e6 + 1.0), 1e-9);
  // flags 7 serves the quantile only and is restored
  r = make(7, 123.0, 2.0);
  r.p = 0.5;
  EXPECT_EQ(zloggam(&r), 0);
  EXPECT_EQ(r.flags, 7);
  EXPECT_NEAR(r.x, 1.6783469900166608, 1e-12);  // qgamma(0.5, 2)
}

TEST(Zloggam, CentreOfAHugeShape) {
  // P(a, a) = 1/2 + 1/(3 sqrt(2 pi a)) + O(1/a) (Temme): a = 1e9
  zgam_req w = make(1, 1e9, 1e9);
  ASSERT_EQ(zloggam(&w), 0);
  EXPECT_NEAR(std::exp(w.log_lower), 0.5 + 1.0 / (3.0 * std::sqrt(2 * 3.141592653589793 * 1e9)), 1e-9);
  EXPECT_NEAR(std::exp(w.log_lower) + std::exp(w.log_upper), 1.0, 1e-15);
}
