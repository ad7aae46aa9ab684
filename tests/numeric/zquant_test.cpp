// Tests of the chi-square, t and F quantiles and the beta inversion: zqc, zqt, zqunf,
// zprobin (src/numeric/zqc.*, zqt.*, zqunf.*, zprobin.*).
// References: ref/qchisq.tsv, qt.tsv, qf.tsv, qbeta.tsv (mpmath at 40-50 digits, each
// quantile solved by Newton's method from R's qchisq / qt / qf / qbeta).
#include <gtest/gtest.h>

#include <cmath>

#include "accuracy_check.h"
#include "numeric/zibeta.h"
#include "numeric/zigamma.h"
#include "numeric/zprobin.h"
#include "numeric/zqc.h"
#include "numeric/zqt.h"
#include "numeric/zqunf.h"

namespace {
constexpr double kQTol = 1e-10;  // iterative quantiles, relative

// Calls a routine of the form int f(a, b, double* out) or int f(a, b, c, double* out) and
// returns the status with the output.
template <class F, class... A>
std::pair<int, double> call(F f, A... a) {
  double out = -5;
  const int st = f(a..., &out);
  return {st, out};
}
}  // namespace

TEST(ZQuantiles, AgainstMpmath) {
  check_accuracy("zqc", ref_table("qchisq.tsv"), [](const RefRow& r) -> Cmp {
    const auto [st, q] = call(zqc, r["p"], r["df"]);
    EXPECT_EQ(st, 0);
    return {q, r["q"], kQTol};
  });
  check_accuracy("zqt", ref_table("qt.tsv"), [](const RefRow& r) -> Cmp {
    const auto [st, t] = call(zqt, r["p"], r["df"]);
    EXPECT_EQ(st, 0);
    return {t, r["t"], kQTol};
  });
  check_accuracy("zqunf", ref_table("qf.tsv"),
                 [](const RefRow& r) -> Cmp { return {zqunf(r["p"], r["n1"], r["n2"]), r["f"], kQTol}; });
  check_accuracy("zprobin", ref_table("qbeta.tsv"), [](const RefRow& r) -> Cmp {
    const auto [st, x] = call(zprobin, r["p"], r["a"], r["b"]);
    EXPECT_EQ(st, 0);
    return {x, r["x"], kQTol};
  });
}

TEST(ZQuantiles, Refusals) {
  // zqc and zqt leave the output alone when they refuse (a NaN passes the argument checks
  // and fails in the iteration); zprobin stores -1 when zibeta refuses the shapes.
  const double nan = std::nan("");
  const auto keep = [](auto f) {
    return [f](const std::vector<double>& a, std::vector<double>& out) {
      out = {123.0};
      return a.size() == 2 ? f(a[0], a[1], &out[0], 0.0) : f(a[0], a[1], &out[0], a[2]);
    };
  };
  check_refusals("zqc", {{{0.9999999999999, 3.0}, 1, {123}}, {{0.5, 1e14}, 1, {123}}, {{0.5, 0.0}, 1, {123}},
                         {{0.5, -2.0}, 1, {123}}, {{-0.1, 2.0}, 1, {123}}, {{1.0, 2.0}, 1, {123}},
                         {{nan, 2.0}, 1, {123}}, {{0.5, nan}, 1, {123}}, {{0.0, 3.0}, 0, {0}}},
                 keep([](double p, double df, double* q, double) { return zqc(p, df, q); }));
  check_refusals("zqt", {{{0.0, 5.0}, 1, {123}}, {{1.0, 5.0}, 1, {123}}, {{0.3, 0.0}, 1, {123}},
                         {{0.5, 10.0}, 0, {0}}, {{0.5, 0.5}, 0, {0}}},
                 keep([](double p, double df, double* t, double) { return zqt(p, df, t); }));
  check_refusals("zprobin", {{{0.3, -2.0, 3.0}, 1, {-1}}, {{0.3, 3e9, 3.0}, 1, {-1}},
                             {{0.0, 2.0, 3.0}, 0, {0}}, {{1.0, 2.0, 3.0}, 0, {1}}},
                 keep([](double p, double a, double* x, double b) { return zprobin(p, a, b, x); }));
  // zqunf returns its value: -1 for bad arguments; p may equal 1.
  check_exact({{"zqunf(1, 3, 7)", zqunf(1.0, 3.0, 7.0), 0.0},
               {"zqunf(0, 3, 7)", zqunf(0.0, 3.0, 7.0), -1.0},
               {"zqunf(1.5, 3, 7)", zqunf(1.5, 3.0, 7.0), -1.0},
               {"zqunf(0.5, 0, 7)", zqunf(0.5, 0.0, 7.0), -1.0},
               {"zqunf(0.5, 3, -7)", zqunf(0.5, 3.0, -7.0), -1.0}});
}

TEST(ZQuantiles, KnownValues) {
  struct Case { const char* what; double got, want, tol; } cases[] = {
      // Hastings' starting deviate is good to 3e-3 (A&S 26.2.22).
      {"zstartdev(0.5)", zstartdev(0.5), 0.0, 3e-3},
      {"zstartdev(0.025)", zstartdev(0.025), 1.959963984540054, 3e-3},
      {"zstartdev(1e-6)", zstartdev(1e-6), 4.753424308822899, 3e-3},
      {"beta quantiles mirror", call(zprobin, 0.3, 2.0, 3.0).second + call(zprobin, 0.7, 3.0, 2.0).second, 1.0,
       1e-15},
  };
  for (const Case& c : cases) EXPECT_NEAR(c.got, c.want, c.tol) << c.what;
}

TEST(ZQc, LargeDegreesOfFreedomRoundTrip) {
  // The mend: with the classic 2000-term series these failed (status 1) beyond about
  // 140000 degrees of freedom.
  for (double df : {1e5, 3e5, 1e6, 1e7, 1e8, 1e9})
    for (double p : {0.001, 0.05, 0.5, 0.95, 0.999}) {
      const auto [st, q] = call(zqc, p, df);
      ASSERT_EQ(st, 0) << df << " " << p;
      double P, Q, d;
      ASSERT_EQ(zigamma(q / 2, df / 2, &P, &Q, &d), 0);
      EXPECT_NEAR(P, p, 1e-12 + 1e-9 * std::min(p, 1 - p)) << df << " " << p;
    }
}

TEST(ZQt, BranchesMeetAndSymmetry) {
  // Series branch (|p - 0.5| < 0.001) and beta branch meet smoothly:
  // dt/dp = 1/f(0) = sqrt(10 pi) Gamma(5) / Gamma(5.5); f(t) falls by 4e-6 over t < 0.0026.
  const double ts = call(zqt, 0.5009999, 10.0).second, tb = call(zqt, 0.5010001, 10.0).second;
  EXPECT_NEAR(tb - ts, 2e-7 * 2.5699780349304924, 5e-12);
  // A tiny t0 is returned directly.
  const double tiny = call(zqt, 0.5 + 1e-9, 10.0).second;
  EXPECT_TRUE(tiny > 0.0 && tiny < 1.053671212772351e-08) << tiny;
  for (double p : {0.001, 0.2, 0.4995}) {
    const double a = call(zqt, p, 7.0).second, b = call(zqt, 1 - p, 7.0).second;
    EXPECT_NEAR(a, -b, 1e-12 * std::fabs(a)) << p;
  }
}
