// zlogcnc_test.cpp - the noncentral chi-square service (zlogcnc, zqcl, zldncnc) and
// zplbcnc against mpmath at 40 digits (ref/zlogcnc_*.tsv: the Poisson mixture of
// central tails, the Bessel form of the density, findroot quantiles), with R
// pchisq/dchisq/qchisq(ncp =) and SciPy ncx2 as cross-checks.
#include <gtest/gtest.h>

#include <cmath>

#include "accuracy_check.h"
#include "numeric/zlogcnc.h"
#include "numeric/zplbcnc.h"

namespace {
zcnc_req make(int request, double x, double df, double nc) {
  zcnc_req r{};
  r.request = request;
  r.x = x;
  r.df = df;
  r.nc = nc;
  return r;
}
}  // namespace

TEST(Zlogcnc, LogTailsAgainstMpmath) {
  const RefTable& t = ref_table("zlogcnc_tails.tsv");
  for (const char* col : {"lo", "up"}) {
    check_accuracy(std::string("zlogcnc ") + col, t, [&](const RefRow& row) -> std::optional<Cmp> {
      zcnc_req r = make(1, row["x"], row["df"], row["nc"]);
      EXPECT_EQ(zlogcnc(&r), 0);
      return logcmp(col[0] == 'l' ? r.log_lower : r.log_upper, row[col], 1e-12);
    });
  }
  check_accuracy("zplbcnc", t, [](const RefRow& row) -> std::optional<Cmp> {
    double lo, up;
    EXPECT_EQ(zplbcnc(row["x"], row["df"], row["nc"], &lo, &up), 0);
    return Cmp{lo, std::exp(row["lo"]), 5e-14, Err::absolute};
  });
}

TEST(Zlogcnc, LogDensityAgainstMpmath) {
  check_accuracy("zldncnc", ref_table("zlogcnc_density.tsv"), [](const RefRow& row) -> std::optional<Cmp> {
    zcnc_req r = make(2, row["x"], row["df"], row["nc"]);
    EXPECT_EQ(zlogcnc(&r), 0);
    return logcmp(r.log_density, row["ld"], 1e-13);
  });
}

TEST(Zlogcnc, QuantileAgainstMpmath) {
  check_accuracy("zlogcnc quantile", ref_table("zlogcnc_quantile.tsv"), [](const RefRow& row) -> std::optional<Cmp> {
    zcnc_req r = make(4, 0.0, row["df"], row["nc"]);
    r.p = row["p"];
    EXPECT_EQ(zlogcnc(&r), 0);
    EXPECT_EQ(r.request, 4);
    if (row["nc"] == 0.0) {
      double q = 0.0;
      EXPECT_EQ(zqcl(row["p"], row["df"], &q), 0);
      EXPECT_NEAR(q, row["x"], 2e-6 * row["x"]);
    }
    return Cmp{r.x, row["x"], 2e-6};  // the logit stops within 1e-7 |g*|
  });
}

TEST(Zlogcnc, RequestsAndRefusals) {
  // {request, x, df, nc, p}: unknown requests, x, df or nc out of range, p too close to 1.
  const double bad[][5] = {{0, 1, 2, 1, 0},  {8, 1, 2, 1, 0},  {1, 0, 2, 1, 0},
                           {1, 1, 1e-9, 1, 0}, {1, 1, 2, -1, 0}, {4, 0, 2, 1, 1.0 - 1e-9}};
  zcnc_req r;
  for (const auto& b : bad) {
    r = make(static_cast<int>(b[0]), b[1], b[2], b[3]);
    r.p = b[4];
    EXPECT_EQ(zlogcnc(&r), 1) << b[0] << " " << b[1] << " " << b[2] << " " << b[3];
  }
  double q = 5.0;
  EXPECT_EQ(zqcl(0.0, 3.0, &q), 0);
  EXPECT_EQ(q, 0.0);
  EXPECT_EQ(zqcl(1.0, 3.0, &q), 1);
  EXPECT_EQ(zqcl(0.5, 0.0, &q), 1);
  double lo, up;
  EXPECT_EQ(zplbcnc(-1.0, 2.0, 1.0, &lo, &up), 1);
  EXPECT_TRUE(std::isnan(lo) && std::isnan(up));
  EXPECT_EQ(zplbcnc(0.0, 2.0, 1.0, &lo, &up), 0);
  EXPECT_EQ(lo, 0.0);
  EXPECT_EQ(up, 1.0);
  double ld;
  EXPECT_EQ(zldncnc(0.0, 2.0, 3.0, &ld), 0);
  EXPECT_NEAR(ld, -std::log(2.0) - 1.5, 1e-15);
  EXPECT_EQ(zldncnc(-1.0, 2.0, 3.0, &ld), 1);
  // Above nc = 500 the tails come from the integral; both tails sum to one.
  r = make(3, 1100.0, 10.0, 1000.0);
  ASSERT_EQ(zlogcnc(&r), 0);
  EXPECT_NEAR(std::exp(r.log_lower) + std::exp(r.log_upper), 1.0, 1e-13);
}
