// zprblik_test.cpp - censored likelihood terms: zprblnm, zprblnmLog, zprbwnm,
// zprbwnmLog, zprblwb, zprbwwb, and the inverse Gaussian distribution zprbigs.
// References: ref/normal_terms.tsv, normal_derivs.tsv, weibull_terms.tsv,
// weibull_derivs.tsv, invgauss.tsv (mpmath at 50 digits; derivatives by mpmath.diff).
#include <gtest/gtest.h>

#include <cmath>

#include "accuracy_check.h"
#include "numeric/zmissing.h"
#include "numeric/zprbigs.h"
#include "numeric/zprblnm.h"
#include "numeric/zprblwb.h"
#include "numeric/zprbnrm.h"

namespace {
constexpr double kEps = ZEPS53;
constexpr double kRefused = 1.7976931348623157e305;  // the term stored on failure

// Relative where the value is away from 0, absolute near 0.
Cmp near_cmp(double got, double want, double tol) {
  return {got, want, tol, Err::absolute, std::max(1.0, std::fabs(want))};
}

// The term routines: int f(int code, const double* z, void*, double* out).
template <class F>
double term_of(F f, const RefRow& t, int want_status = 0) {
  const double z[2] = {t["z"], t["h"]};
  double out = -1.0;
  EXPECT_EQ(f(static_cast<int>(t["code"]), z, nullptr, &out), want_status);
  return out;
}

// The derivative routines fill 2 values (5 for interval terms); the row's worst is checked.
template <class F>
Cmp derivs_of(F f, const RefRow& t, double tol, double scale) {
  const double z[2] = {t["z"], t["h"]};
  double out[5] = {0, 0, 0, 0, 0};
  const int code = static_cast<int>(t["code"]);
  EXPECT_EQ(f(code, z, nullptr, out), 0);
  std::vector<Cmp> cmps;
  for (int i = 0; i < (code == -3 ? 5 : 2); ++i) {
    const double want = t[std::string("d") + char('0' + i)];
    cmps.push_back({out[i], want, tol, Err::absolute, scale > 0 ? scale : std::max(1.0, std::fabs(want))});
  }
  return worst_of(cmps);
}

// Errors of the normal derivatives are measured against the scale of the whole Hessian
// row: the mixed derivative of a narrow interval is O(h) but formed from O(1/h^2) terms.
double row_scale(const RefRow& t) {
  double s = 1.0;
  for (const char* c : {"d0", "d1", "d2", "d3", "d4"}) s = std::max(s, std::fabs(t[c]));
  return s;
}
}  // namespace

TEST(Zprblik, MatchReferences) {
  const RefTable& nt = ref_table("normal_terms.tsv");
  check_accuracy("zprblnm", nt, [](const RefRow& t) -> Cmp {
    // Below z = -10 the four-level continued fraction of the Mills ratio is used: its
    // error is about 1e-6 absolute in the term at z = -10 and shrinks like z^-8.
    const double code = t["code"], z = t["z"], term = t["term"];
    const bool cf = (code == -2 && z <= -10.0) || (code == -1 && z >= 10.0);
    double tol = cf ? 2e-6 * std::pow(10.0 / std::fabs(z), 8) : 2e-14 * std::max(1.0, std::fabs(term));
    // The interval term subtracts two probabilities: P = e^-term carries an absolute
    // rounding error of a few 2^-53 (which the log form avoids).
    if (code == -3) tol += 4.0 * kEps / std::exp(-term);
    return {term_of(zprblnm, t), term, tol, Err::absolute};
  });
  check_accuracy("zprblnmLog", nt, [](const RefRow& t) { return near_cmp(term_of(zprblnmLog, t), t["term"], 2e-14); });
  // The direct form loses a narrow interval (h < 1e-5) to cancellation; the log form's h^4
  // expansion there is good to h^6 relative in each term.
  check_accuracy("zprbwnm", ref_table("normal_derivs.tsv"), [](const RefRow& t) -> std::optional<Cmp> {
    if (t["code"] == -3 && t["h"] < 1e-5) return std::nullopt;
    return derivs_of(zprbwnm, t, 1e-13, row_scale(t));
  });
  check_accuracy("zprbwnmLog", ref_table("normal_derivs.tsv"),
                 [](const RefRow& t) { return derivs_of(zprbwnmLog, t, 1e-13, row_scale(t)); });
  check_accuracy("zprblwb", ref_table("weibull_terms.tsv"), [](const RefRow& t) -> Cmp {
    // Left-censored terms for z < 0 take ln(1 + x) of x = -exp(-e^z), which is rounded to
    // 2^-53 absolute while 1 + x = 1 - F is about e^z: an absolute error of up to
    // 2^-53 e^-z in the term (1.5e-7 at the switch z = -21).  Elsewhere a few ulps.
    const double code = t["code"], z = t["z"], term = t["term"];
    double tol = 4e-15;
    if (code == -2 && z < 0.0) tol += kEps * std::exp(-z);
    if (code == -3) tol += 4.0 * kEps / std::exp(-term);
    return near_cmp(term_of(zprblwb, t), term, tol);
  });
  check_accuracy("zprbwwb", ref_table("weibull_derivs.tsv"), [](const RefRow& t) -> Cmp {
    // Code -2 with e^z < 1.053671212772351e-08 takes F = e^z, dropping its e^(2z)/2 term:
    // an absolute error of about e^z/2 in both derivatives.
    double tol = 2e-13;
    if (t["code"] == -2 && std::exp(t["z"]) < 1.053671212772351e-08) tol += std::exp(t["z"]);
    return derivs_of(zprbwwb, t, tol, 0.0);
  });
  check_accuracy("zprbigs", ref_table("invgauss.tsv"), [](const RefRow& t) -> Cmp {
    return {zprbigs(t["x"], t["lambda"]), t["f"], 2e-14 * std::max(1e-3, t["f"]) + 1e-16, Err::absolute};
  });
}

TEST(Zprblnm, EdgeCases) {
  // -9.9999 uses the normal function, -10 the continued fraction; both about 53.23.
  double z = -9.9999, out = 0.0;
  EXPECT_EQ(zprblnm(-2, &z, nullptr, &out), 0);
  EXPECT_EQ(out, -std::log(zprbnrm(-9.9999)));
  EXPECT_NEAR(out, 53.23, 0.01);
  z = -10.0;
  EXPECT_EQ(zprblnm(-2, &z, nullptr, &out), 0);
  const double v = 10.0, r = 1.0 / (v + 1.0 / (v + 2.0 / (v + 3.0 / v)));
  EXPECT_EQ(out, v * v / 2.0 + ZLN_SQRT_2PI - std::log(r));
  // Right-censored is the left-censored term at -z.
  double a = 1.7, b = -1.7, o1 = 0.0, o2 = 0.0;
  zprblnm(-1, &a, nullptr, &o1);
  zprblnm(-2, &b, nullptr, &o2);
  EXPECT_EQ(o1, o2);
  // An interval so far out that both ends round to the same probability: the log form
  // still forms it.
  const double zf[2] = {-40.0, 1e-3};
  EXPECT_EQ(zprblnmLog(-3, zf, nullptr, &out), 0);
  EXPECT_TRUE(std::isfinite(out) && out > 800.0);
}

TEST(Zprblik, Refusals) {
  // {code, z, h} -> status and out: zero half-widths and vanishing probability differences
  // store 1.7976931348623157e305 with status 1; unknown codes return 0 and leave out
  // alone (the extreme-value terms store e^z for them); extreme-value terms that overflow
  // store 1.3407807929943e154; a vanishing upper probability stores e^z.
  const auto term = [](auto f) {
    return [f](const std::vector<double>& a, std::vector<double>& out) {
      const double z[2] = {a[1], a[2]};
      out = {42.0};
      return f(static_cast<int>(a[0]), z, nullptr, &out[0]);
    };
  };
  check_refusals("zprblnm", {{{-3, 0.3, 0.0}, 1, {kRefused}}, {{-3, -40.0, 1e-3}, 1, {kRefused}},
                             {{5, 0.3, 0.0}, 0, {42}}},
                 term(zprblnm));
  check_refusals("zprblnmLog", {{{-3, 0.3, 0.0}, 1, {kRefused}}, {{-4, 0.3, 0.0}, 0, {42}}}, term(zprblnmLog));
  const double half_cut = 709.782712893384 / 2.0;
  check_refusals("zprblwb",
                 {{{-2, 400.0, 0}, 0, {0.0}}, {{0, 400.0, 0}, 1, {1.3407807929943e154}},
                  {{-1, 400.0, 0}, 1, {1.3407807929943e154}}, {{-1, half_cut, 0}, 1, {1.3407807929943e154}},
                  {{-1, std::nextafter(half_cut, 0.0), 0}, 0, {std::exp(std::nextafter(half_cut, 0.0))}},
                  {{-2, -30.0, 0}, 0, {30.0}}, {{-2, std::nextafter(-21.0, -22.0), 0}, 0, {-std::nextafter(-21.0, -22.0)}},
                  {{-3, 0.0, 709.782712893384}, 1, {kRefused}}, {{-3, -800.0, 0.5}, 1, {std::exp(-800.0)}},
                  {{7, 0.0, 709.782712893384}, 0, {1.0}}},
                 term(zprblwb));
  double out = 0.0, z = -21.0;  // not below -21: the logarithm
  EXPECT_EQ(zprblwb(-2, &z, nullptr, &out), 0);
  EXPECT_NE(out, 21.0);
  // Derivatives: {code, z, h} -> status and the first two values.
  const auto derivs = [](auto f) {
    return [f](const std::vector<double>& a, std::vector<double>& o) {
      const double z[2] = {a[1], a[2]};
      double d[5] = {7, 7, 7, 7, 7};
      const int st = f(static_cast<int>(a[0]), z, nullptr, d);
      o = {d[0], d[1]};
      return st;
    };
  };
  check_refusals("zprbwnm", {{{0, 2.5, 0}, 0, {2.5, 1.0}}, {{-1, -25.0, 0}, 0, {0, 0}}, {{-2, 25.0, 0}, 0, {0, 0}},
                             {{-3, -40.0, 1e-3}, 1, {7, 7}}},
                 derivs(zprbwnm));
  // |h z| > 0.001 with h < 1e-5 is refused too.
  check_refusals("zprbwnmLog", {{{-3, 1.0, 0.0}, 1, {7, 7}}, {{-3, -2000.0, 1e-6}, 1, {7, 7}}}, derivs(zprbwnmLog));
  const double e = std::exp(1.0);
  check_refusals("zprbwwb", {{{-2, 709.782712893384, 0}, 0, {0, 0}}, {{0, 709.782712893384, 0}, 1, {7, 7}},
                             {{-2, -80.0, 0}, 0, {-1.0, 0.0}},  // below -70.978: the limits
                             {{-3, -700.0, 1e-9}, 1, {7, 7}}, {{9, 1.0, 0}, 0, {e, e}}},
                 derivs(zprbwwb));
}

TEST(Zprbigs, Edges) {
  EXPECT_EQ(zprbigs(0.0, 3.0), 0.0);
  // Large shape: the y > 4 branch joins e^(2 lambda) and e^(-y^2) and stays finite.
  const double f = zprbigs(1.0, 2000.0);
  EXPECT_TRUE(std::isfinite(f) && f > 0.5 && f < 0.6) << f;
}
