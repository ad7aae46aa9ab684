// zlgammamv_test.cpp - multivariate log-gamma and log-beta (zlgammamv.h) and the beta
// log tails by integration (zbetaint.h), against mpmath at 40 digits
// (ref/zlgammamv.tsv, ref/zlbetamv.tsv, ref/zbetaint.tsv).
#include <gtest/gtest.h>

#include <cmath>

#include "accuracy_check.h"
#include "numeric/zbetaint.h"
#include "numeric/zlgamma.h"
#include "numeric/zlgammamv.h"
#include "numeric/zmissing.h"

TEST(ZlgammaMV, AgainstMpmath) {
  check_accuracy("zlgammaMV", ref_table("zlgammamv.tsv"), [](const RefRow& row) -> std::optional<Cmp> {
    double v = 0.0;
    EXPECT_EQ(zlgammaMV(row["x"], static_cast<int>(row["p"]), &v), 0);
    return logcmp(v, row["v"], 2e-15);
  });
  check_accuracy("zlbetaMV", ref_table("zlbetamv.tsv"), [](const RefRow& row) -> std::optional<Cmp> {
    double v = 0.0;
    EXPECT_EQ(zlbetaMV(row["a"], row["b"], static_cast<int>(row["p"]), &v), 0);
    return logcmp(v, row["v"], 5e-15);
  });
}

TEST(ZlgammaMV, SmallOrdersAndRefusals) {
  double v = 0.0;
  EXPECT_EQ(zlgammaMV(4.5, 1, &v), 0);
  EXPECT_EQ(v, zlgamma(4.5));
  EXPECT_EQ(zlgammaMV(3.0, 2, &v), 0);
  EXPECT_NEAR(v, 0.5 * std::log(3.141592653589793) + std::log(2.0) + zlgamma(2.5), 1e-15);
  EXPECT_EQ(zlbetaMV(2.0, 3.0, 1, &v), 0);
  EXPECT_EQ(v, zlbeta(2.0, 3.0));
  EXPECT_EQ(zlgammaMV(1.0, 3, &v), 1);  // x - (p-1)/2 = 0
  EXPECT_TRUE(std::isnan(v));
  EXPECT_EQ(zlgammaMV(1.0, 0, &v), 1);
  v = 7.0;
  EXPECT_EQ(zlbetaMV(1.0, 5.0, 3, &v), 1);  // a <= (p-1)/2
  EXPECT_EQ(v, 7.0);
  EXPECT_EQ(zlbetaMV(5.0, 5.0, 0, &v), 1);
}

TEST(BetaIntegration, LogTailsAgainstMpmath) {
  for (const char* col : {"lo", "up"}) {
    check_accuracy(std::string("BetaIntegration ") + col, ref_table("zbetaint.tsv"),
                   [&](const RefRow& row) -> std::optional<Cmp> {
                     zbeta_req r{};
                     r.x = row["x"];
                     r.a = row["a"];
                     r.b = row["b"];
                     EXPECT_EQ(BetaIntegration(&r), 0);
                     EXPECT_EQ(r.x, row["x"]);  // the inputs survive
                     EXPECT_EQ(r.a, row["a"]);
                     // the integrated tail is accurate; the other keeps its absolute error
                     const bool direct = (r.int_mark == 1) == (col[0] == 'u');
                     const double got = col[0] == 'l' ? r.log_lower : r.log_upper;
                     if (direct) return logcmp(got, row[col], 5e-13);
                     return Cmp{std::exp(got), std::exp(row[col]), 5e-13, Err::absolute};
                   });
  }
  zbeta_req r{};
  r.x = 1.5;
  r.a = r.b = 2.0;
  EXPECT_EQ(BetaIntegration(&r), 1);
}
