// zprblik_test.cpp - censored likelihood terms: zprblnm, zprblnmLog, zprbwnm,
// zprbwnmLog, zprblwb, zprbwwb, and the inverse Gaussian distribution zprbigs.
// Reference values: tests/numeric/ref/zprblik_ref.py (mpmath 1.2.1 at 50 digits;
// derivatives by mpmath.diff), generated 2026-12-06.
#include <gtest/gtest.h>

#include <cmath>

#include "numeric/zmissing.h"
#include "numeric/zprbigs.h"
#include "numeric/zprblnm.h"
#include "numeric/zprblwb.h"
#include "numeric/zprbnrm.h"

namespace {

struct Term {
  int code;
  double z, h, term;
};
struct Deriv {
  int code;
  double z, h, d[5];
};
struct Ig {
  double x, lambda, f;
};

// normal terms: {code, z, h, term}
const Term kNormal[] = {
    {0, 0, 0, 0.91893853320467278},
    {0, 3.5, 0, 7.0439385332046731},
    {0, -12, 0, 72.918938533204667},
    {-1, 0, 0, 0.69314718055994529},
    {-1, 2, 0, 3.7831843336820321},
    {-1, 8, 0, 35.013437159914552},
    {-1, 25, 0, 316.63940800802027},
    {-1, -3, 0, 0.0013508099647481938},
    {-1, 9.9900000000000002, 0, 53.130353745606016},
    {-2, 0, 0, 0.69314718055994529},
    {-2, 1.5, 0, 0.069143455612233978},
    {-2, -5, 0, 15.064998393988725},
    {-2, -9.9999000000000002, 0, 53.230275346141852},
    {-2, -10, 0, 53.23128515051247},
    {-2, -20, 0, 203.91715537109727},
    {-2, -37, 0, 689.03058557689064},
    {-2, 6, 0, 9.865876455243758e-10},
    {-2, 30, 0, 0},
    {-3, 0, 1, 0.38171514630212605},
    {-3, 0.5, 0.25, 1.7448778569559151},
    {-3, -2, 0.5, 2.803501047738798},
    {-3, 3, 0.01, 9.3308282116879369},
    {-3, -6, 2, 10.360101486546933},
    {-3, -15, 1, 101.56303440745005},
    {-3, 1, 9.9999999999999995e-07, 14.541301910609002},
    {-3, -4, 9.9999999999999995e-08, 24.343887003603022},
    {-3, 30, 3, 368.71614246865636},
};
// normal derivatives: {code, z, h, d0, d1, d2, d3, d4} (d2..d4 only for code -3)
const Deriv kNormalD[] = {
    {-1, -3, 0, 0.0044378390421256639, 0.013333211541740806, 0, 0, 0},
    {-1, 0.5, 0, 1.1410777703680646, 0.73151959284412105, 0, 0, 0},
    {-1, 5.9000000000000004, 0, 6.0609166256353468, 0.97530225165440854, 0, 0, 0},
    {-1, 6, 0, 6.1584826045445986, 0.97601236321083318, 0, 0, 0},
    {-1, 12, 0, 12.082214175254284, 0.99332927366415413, 0, 0, 0},
    {-2, 3, 0, -0.0044378390421256639, 0.013333211541740806, 0, 0, 0},
    {-2, -0.5, 0, -1.1410777703680646, 0.73151959284412105, 0, 0, 0},
    {-2, -5.9000000000000004, 0, -6.0609166256353468, 0.97530225165440854, 0, 0, 0},
    {-2, -6, 0, -6.1584826045445986, 0.97601236321083318, 0, 0, 0},
    {-2, -12, 0, -12.082214175254284, 0.99332927366415413, 0, 0, 0},
    {-3, 0, 1, 0, 0.70887490522720675, -0.70887490522720675, 0, 1.2113785364880882},
    {-3, 0.5, 0.25, 0.48968045870527771, 0.97940317232867846, -3.9378258001740245, -0.081783558720000718, 16.246088253207063},
    {-3, -2, 0.5, -1.8480833160858641, 0.93254461330487226, -2.4265986045633534, 0.55540084484699759, 3.4055134577787625},
    {-3, 3, 0.01, 2.9999000073325841, 0.99996667311002341, -100.02666411137372, -0.01999706711612606, 9997.3340998686963},
    {-3, -6, 2, -4.2256071444129493, 0.95332716190005229, -4.2256071447319945, 0.95332716069585222, 0.95332716459636746},
    {-3, 1, 9.9999999999999995e-07, 0.99999999999966671, 0.99999999999966671, -1000000, -6.666666666664e-07, 1000000000000.0001},
    {-3, -4, 3.0000000000000001e-06, -3.9999999999879998, 0.99999999999699996, -333333.33334833331, 7.9999999998271998e-06, 111111111106.1111},
};
// extreme-value terms: {code, z, h, term}
const Term kWeibull[] = {
    {0, 0, 0, 1},
    {0, 2.5, 0, 9.6824939607034732},
    {0, -30, 0, 30.000000000000092},
    {-1, 1, 0, 2.7182818284590451},
    {-1, -5, 0, 0.006737946999085467},
    {-2, 0, 0, 0.45867514538708187},
    {-2, 2, 0, 0.00061817001705152016},
    {-2, -3, 0, 3.0247902549765606},
    {-2, -20.899999999999999, 0, 20.900000000418999},
    {-2, -21, 0, 21.000000000379128},
    {-2, -30, 0, 30.000000000000046},
    {-2, 3.5, 0, 4.1508969201090453e-15},
    {-3, 0.5, 0.25, 1.8545199111572896},
    {-3, 2, 1, 2.7182818571336176},
    {-3, -1, 0.5, 1.3673882096096512},
    {-3, -3, 0.01, 6.9617958552451489},
    {-3, -0.20000000000000001, 2, 0.11344170950899102},
    {-3, 0, 1, 0.46806536216354994},
    {-3, -5, 3, 2.069557944615481},
    {-3, -2, 9.9999999999999995e-07, 15.257698660640839},
};
// extreme-value derivatives: {code, z, h, d0, d1, d2, d3, d4}
const Deriv kWeibullD[] = {
    {0, 0.5, 0, 0.64872127070012819, 1.6487212707001282, 0, 0, 0},
    {-1, -1, 0, 0.36787944117144233, 0.36787944117144233, 0, 0, 0},
    {-2, 0.5, 0, -0.39252223827990951, 0.4087112327392714, 0, 0, 0},
    {-2, -3, 0, -0.97531301996433228, 0.024480442952645749, 0, 0, 0},
    {-2, -19, 0, -0.99999999719860178, 2.8013982135367459e-09, 0, 0, 0},
    {-2, -25, 0, -0.999999999993056, 6.9439719324498643e-12, 0, 0, 0},
    {-2, 2, 0, -0.0045691050310371437, 0.029213145085987231, 0, 0, 0},
    {-3, 0.5, 0.25, 0.64334994521614874, 1.5874813994922643, -3.8998957843592015, -0.045018230276097873, 16.382769376345315},
    {-3, -1, 0.5, -0.59738934579868774, 0.39045050232331263, -1.998696146081848, 0.13894326548882727, 4.0283627562119602},
    {-3, 1.5, 1, 1.6484408331584248, 1.6513949771216863, -1.6490894950877635, -1.6452105998255562, 1.6535339595064591},
    {-3, -3, 0.20000000000000001, -0.94924735952688011, 0.050719148093152866, -5.0566353251829641, 0.0096845494629504234, 24.719209410412624},
};
// inverse Gaussian F(x; mean 1, shape lambda): {x, lambda, F}
const Ig kInvGauss[] = {
    {0.5, 1, 0.36497554817295991},
    {1, 1, 0.66810200122317065},
    {2, 1, 0.88547542598600648},
    {0.20000000000000001, 0.5, 0.18148218448674985},
    {3, 4, 0.9952920095533927},
    {1.2, 20, 0.82433837575698443},
    {0.80000000000000004, 50, 0.06491616421811762},
    {1.1000000000000001, 100, 0.84243761318740706},
    {0.050000000000000003, 2, 1.7890225350327073e-09},
    {5, 0.29999999999999999, 0.96545328768597705},
    {1, 300, 0.51150689848259567},
    {0.90000000000000002, 400, 0.018586135705809078},
};

double err(double got, double want) {
  // relative where the value is away from 0, absolute near 0
  const double s = std::fabs(want) > 1.0 ? std::fabs(want) : 1.0;
  return std::fabs(got - want) / s;
}

}  // namespace

TEST(Zprblnm, MatchesReferences) {
  for (const auto& t : kNormal) {
    const double z[2] = {t.z, t.h};
    double out = -1.0;
    ASSERT_EQ(zprblnm(t.code, z, nullptr, &out), 0) << t.code << " " << t.z;
    // Below z = -10 the four-level continued fraction of the Mills ratio is used:
    // its error is about 1e-6 absolute in the term at z = -10 and shrinks like z^-8.
    const bool cf = (t.code == -2 && t.z <= -10.0) || (t.code == -1 && t.z >= 10.0);
    double tol = cf ? 2e-6 * std::pow(10.0 / std::fabs(t.z), 8)
                    : 2e-14 * std::max(1.0, std::fabs(t.term));
    // The interval term subtracts two probabilities: the difference P = e^-term carries
    // an absolute rounding error of a few 2^-53 (this is what the log form avoids).
    if (t.code == -3) tol += 4.0 * 1.1102230246251565e-16 / std::exp(-t.term);
    EXPECT_LE(std::fabs(out - t.term), tol)
        << "code " << t.code << " z " << t.z << " h " << t.h << " got " << out;
    double lo = -1.0;
    ASSERT_EQ(zprblnmLog(t.code, z, nullptr, &lo), 0) << t.code << " " << t.z;
    EXPECT_LE(err(lo, t.term), 2e-14) << "log form: code " << t.code << " z " << t.z << " h " << t.h
                                      << " got " << lo;
  }
}

TEST(Zprblnm, EdgeCases) {
  double out = 0.0;
  // -9.9999 uses the normal function, -10 the continued fraction; both about 53.23.
  double z = -9.9999;
  EXPECT_EQ(zprblnm(-2, &z, nullptr, &out), 0);
  EXPECT_EQ(out, -std::log(zprbnrm(-9.9999)));
  EXPECT_NEAR(out, 53.23, 0.01);
  z = -10.0;
  EXPECT_EQ(zprblnm(-2, &z, nullptr, &out), 0);
  const double v = 10.0, r = 1.0 / (v + 1.0 / (v + 2.0 / (v + 3.0 / v)));
  EXPECT_EQ(out, v * v / 2.0 + 0.9189385332046728 - std::log(r));
  EXPECT_NEAR(out, 53.23, 0.01);
  // Right-censored is the left-censored term at -z.
  double a = 1.7, b = -1.7, o1 = 0.0, o2 = 0.0;
  zprblnm(-1, &a, nullptr, &o1);
  zprblnm(-2, &b, nullptr, &o2);
  EXPECT_EQ(o1, o2);
  // A zero half-width: status 1 and 1.7976931348623157e305.
  const double zi[2] = {0.3, 0.0};
  EXPECT_EQ(zprblnm(-3, zi, nullptr, &out), 1);
  EXPECT_EQ(out, 1.7976931348623157e308 / 1000.0);
  EXPECT_EQ(out, 1.7976931348623157e305);
  // An interval so far out that both ends round to the same probability.
  const double zf[2] = {-40.0, 1e-3};
  EXPECT_EQ(zprblnm(-3, zf, nullptr, &out), 1);
  EXPECT_EQ(out, 1.7976931348623157e305);
  // ...which the log form still forms.
  EXPECT_EQ(zprblnmLog(-3, zf, nullptr, &out), 0);
  EXPECT_TRUE(std::isfinite(out));
  EXPECT_GT(out, 800.0);
  // Unknown codes leave out untouched and return 0.
  out = 42.0;
  EXPECT_EQ(zprblnm(5, zi, nullptr, &out), 0);
  EXPECT_EQ(out, 42.0);
  EXPECT_EQ(zprblnmLog(-4, zi, nullptr, &out), 0);
  EXPECT_EQ(out, 42.0);
  // The log form refuses a non-positive half-width.
  EXPECT_EQ(zprblnmLog(-3, zi, nullptr, &out), 1);
  EXPECT_EQ(out, 1.7976931348623157e305);
}

TEST(Zprbwnm, DerivativesMatchReferences) {
  for (const auto& t : kNormalD) {
    const double z[2] = {t.z, t.h};
    double out[5] = {0, 0, 0, 0, 0};
    double lo[5] = {0, 0, 0, 0, 0};
    const int n = t.code == -3 ? 5 : 2;
    const bool tiny_h = t.code == -3 && t.h < 1e-5;
    // Errors are measured against the scale of the whole Hessian row: the mixed
    // derivative of a narrow interval is O(h) but formed from O(1/h^2) terms.
    double scale = 1.0;
    for (int i = 0; i < n; ++i) scale = std::max(scale, std::fabs(t.d[i]));
    if (!tiny_h) {  // the direct form loses the interval to cancellation at tiny widths
      ASSERT_EQ(zprbwnm(t.code, z, nullptr, out), 0) << t.code << " " << t.z;
      for (int i = 0; i < n; ++i)
        EXPECT_LE(std::fabs(out[i] - t.d[i]), 1e-13 * scale) << "code " << t.code << " z " << t.z << " h " << t.h
                                              << " i " << i << " got " << out[i];
    }
    ASSERT_EQ(zprbwnmLog(t.code, z, nullptr, lo), 0) << t.code << " " << t.z;
    for (int i = 0; i < n; ++i) {
      // the h^4 expansion for h < 1e-5 is good to h^6 relative in each term
      EXPECT_LE(std::fabs(lo[i] - t.d[i]), 1e-13 * scale)
          << "log form: code " << t.code << " z " << t.z << " h " << t.h << " i " << i << " got "
          << lo[i];
    }
  }
}

TEST(Zprbwnm, EdgeCases) {
  double out[5] = {7, 7, 7, 7, 7};
  double z = 2.5;
  EXPECT_EQ(zprbwnm(0, &z, nullptr, out), 0);
  EXPECT_EQ(out[0], 2.5);
  EXPECT_EQ(out[1], 1.0);
  z = -25.0;  // right-censored far below: hazard 0
  EXPECT_EQ(zprbwnm(-1, &z, nullptr, out), 0);
  EXPECT_EQ(out[0], 0.0);
  EXPECT_EQ(out[1], 0.0);
  z = 25.0;  // left-censored far above: 0
  EXPECT_EQ(zprbwnm(-2, &z, nullptr, out), 0);
  EXPECT_EQ(out[0], 0.0);
  const double zi[2] = {-40.0, 1e-3};  // zero probability difference
  EXPECT_EQ(zprbwnm(-3, zi, nullptr, out), 1);
  const double zh[2] = {1.0, 0.0};
  EXPECT_EQ(zprbwnmLog(-3, zh, nullptr, out), 1);
  const double zs[2] = {-2000.0, 1e-6};  // |h z| > 0.001 with h < 1e-5
  EXPECT_EQ(zprbwnmLog(-3, zs, nullptr, out), 1);
}

TEST(Zprblwb, MatchesReferences) {
  for (const auto& t : kWeibull) {
    const double z[2] = {t.z, t.h};
    double out = -1.0;
    ASSERT_EQ(zprblwb(t.code, z, nullptr, &out), 0) << t.code << " " << t.z;
    // Left-censored terms for z < 0 take ln(1 + x) of x = -exp(-e^z), which is rounded
    // to 2^-53 absolute while 1 + x = 1 - F is about e^z: an absolute error of up to
    // 2^-53 e^-z in the term (1.5e-7 at the switch z = -21).  Elsewhere a few ulps.
    double tol = 4e-15;
    if (t.code == -2 && t.z < 0.0) tol += 1.1102230246251565e-16 * std::exp(-t.z);
    // Interval terms: the probability difference P = e^-term is formed by subtraction.
    if (t.code == -3) tol += 4.0 * 1.1102230246251565e-16 / std::exp(-t.term);
    EXPECT_LE(err(out, t.term), tol) << "code " << t.code << " z " << t.z << " h " << t.h
                                       << " got " << out;
  }
}

TEST(Zprblwb, EdgeCases) {
  double out = 0.0;
  double z = 400.0;
  EXPECT_EQ(zprblwb(-2, &z, nullptr, &out), 0);
  EXPECT_EQ(out, 0.0);
  EXPECT_EQ(zprblwb(0, &z, nullptr, &out), 1);
  EXPECT_EQ(out, 1.3407807929943e154);
  EXPECT_EQ(zprblwb(-1, &z, nullptr, &out), 1);
  EXPECT_EQ(out, 1.3407807929943e154);
  z = 709.782712893384 / 2.0;  // the cut-off itself
  EXPECT_EQ(zprblwb(-1, &z, nullptr, &out), 1);
  z = std::nextafter(709.782712893384 / 2.0, 0.0);
  EXPECT_EQ(zprblwb(-1, &z, nullptr, &out), 0);
  EXPECT_EQ(out, std::exp(z));
  z = -30.0;
  EXPECT_EQ(zprblwb(-2, &z, nullptr, &out), 0);
  EXPECT_EQ(out, 30.0);
  z = -21.0;  // not below -21: the logarithm
  EXPECT_EQ(zprblwb(-2, &z, nullptr, &out), 0);
  EXPECT_NE(out, 21.0);
  z = std::nextafter(-21.0, -22.0);
  EXPECT_EQ(zprblwb(-2, &z, nullptr, &out), 0);
  EXPECT_EQ(out, -z);
  const double zh[2] = {0.0, 709.782712893384};
  EXPECT_EQ(zprblwb(-3, zh, nullptr, &out), 1);
  EXPECT_EQ(out, 1.7976931348623157e305);
  const double zb[2] = {-800.0, 0.5};  // B = -expm1(-e^(z + h)) = 0: status 1, out = e^z
  EXPECT_EQ(zprblwb(-3, zb, nullptr, &out), 1);
  EXPECT_EQ(out, std::exp(-800.0));
  out = 5.0;
  EXPECT_EQ(zprblwb(7, zh, nullptr, &out), 0);  // another code: out = e^z
  EXPECT_EQ(out, 1.0);
}

TEST(Zprbwwb, DerivativesMatchReferences) {
  for (const auto& t : kWeibullD) {
    const double z[2] = {t.z, t.h};
    double out[5] = {0, 0, 0, 0, 0};
    ASSERT_EQ(zprbwwb(t.code, z, nullptr, out), 0) << t.code << " " << t.z;
    const int n = t.code == -3 ? 5 : 2;
    // Code -2 with e^z < 1.053671212772351e-08 takes F = e^z, dropping its e^(2z)/2
    // term: an absolute error of about e^z/2 in both derivatives.
    double tol = 2e-13;
    if (t.code == -2 && std::exp(t.z) < 1.053671212772351e-08) tol += std::exp(t.z);
    for (int i = 0; i < n; ++i)
      EXPECT_LE(err(out[i], t.d[i]), tol) << "code " << t.code << " z " << t.z << " i " << i
                                            << " got " << out[i];
  }
}

TEST(Zprbwwb, EdgeCases) {
  double out[5] = {3, 3, 3, 3, 3};
  double z = 709.782712893384;
  EXPECT_EQ(zprbwwb(-2, &z, nullptr, out), 0);
  EXPECT_EQ(out[0], 0.0);
  EXPECT_EQ(out[1], 0.0);
  out[0] = out[1] = 3.0;
  EXPECT_EQ(zprbwwb(0, &z, nullptr, out), 1);
  EXPECT_EQ(out[0], 3.0);  // untouched
  z = -80.0;  // below -70.978: the limits of the left-censored derivatives
  EXPECT_EQ(zprbwwb(-2, &z, nullptr, out), 0);
  EXPECT_EQ(out[0], -1.0);
  EXPECT_EQ(out[1], 0.0);
  const double zi[2] = {-700.0, 1e-9};  // zero-probability interval
  EXPECT_EQ(zprbwwb(-3, zi, nullptr, out), 1);
  z = 1.0;
  EXPECT_EQ(zprbwwb(9, &z, nullptr, out), 0);
  EXPECT_EQ(out[0], std::exp(1.0));
  EXPECT_EQ(out[1], std::exp(1.0));
}

TEST(Zprbigs, MatchesReferences) {
  for (const auto& t : kInvGauss) {
    const double f = zprbigs(t.x, t.lambda);
    EXPECT_LE(std::fabs(f - t.f), 2e-14 * std::max(1e-3, t.f) + 1e-16)
        << "x " << t.x << " lambda " << t.lambda << " got " << f;
  }
  EXPECT_EQ(zprbigs(0.0, 3.0), 0.0);
  // Large shape: the y > 4 branch joins e^(2 lambda) and e^(-y^2) and stays finite.
  const double f = zprbigs(1.0, 2000.0);
  EXPECT_TRUE(std::isfinite(f));
  EXPECT_GT(f, 0.5);
  EXPECT_LT(f, 0.6);
}
