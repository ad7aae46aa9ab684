// zprblwb.cpp - censored smallest-extreme-value likelihood terms and derivatives.
//
//   int zprblwb(int code, const double* z, const double* z2, double* out)
//   int zprbwwb(int code, const double* z, const double* z2, double* out)
//
// The standard smallest-extreme-value law (the logarithm of a Weibull variable):
// F(z) = 1 - exp(-e^z), density f(z) = e^z exp(-e^z).  z[0] is the standardized
// observation, z[1] the half-width for code -3; z2 is never read.  Codes: 0 exact,
// -1 right-censored, -2 left-censored, -3 interval-censored.
//
// zprblwb: the negative log-likelihood term
//   0: e^z - z      -1: e^z      -2: -ln(1 - exp(-e^z)) (= -z below z = -21, where
//   1 - exp(-e^z) = e^z to double precision)
//   -3: -ln(F(z + h) - F(z - h)), for z > 0 as a - ln(1 - e^-(b - a)) with
//       a = e^(z - h), b = e^(z + h); for z <= 0 as -ln(1 + A/B) - ln B with
//       A = expm1(-e^(z - h)), B = -expm1(-e^(z + h)) (or -ln(1 + expm1(-e^(z - h)))
//       when z + h > 709.78, where F(z + h) = 1).
//   Every logarithm of 1 + small is formed by zln1px and every e^t - 1 by zexpm1, so
//   the term keeps its relative accuracy in both tails.
//   Status: z >= 354.8914 (709.782712893384/2): code -2 gives 0 with status 0; every
//   other code returns 1 with out = 1.3407807929943e154 (e^z would overflow the sums).
//   Code -3: h >= 709.782712893384 gives 1 with out = 1.7976931348623157e305;
//   B <= 0 or A/B <= -1 + 4 * 2^-53 gives 1 with out left at e^z.  Other codes: out =
//   e^z, status 0.
//   Measured accuracy (tests/numeric/zprblik_test.cpp, against mpmath at 50 digits):
//   within 4e-15 relative on the test grid, except (a) code -2 for z < 0, where
//   x = -exp(-e^z) is rounded to 2^-53 absolute while 1 + x is about e^z: the term is
//   off by up to 2^-53 e^-z absolute (3.9e-8 measured at z = -21, 3.5e-8 at -20.9);
//   (b) code -3, whose probability difference P carries a few 2^-53 absolute.
//
// zprbwwb: first and second derivatives of the term with respect to z: code 0
//   (e^z - 1, e^z), -1 (e^z, e^z), -2 (g, (1 - e^z + g) g with g = -f(z)/F(z));
//   code -3 fills out[0..4] = d/dz, d2/dz2, d/dh, d2/dzdh, d2/dh2 of -ln(F(z + h) -
//   F(z - h)), using f'(x) = (1 - e^x) f(x).  Status 1 (out untouched) when z >=
//   709.782712893384 for codes other than -2 (code -2 then gives 0, 0), or for code -3
//   when |F(z + h) - F(z - h)| < 10 * 1.491668147e-154.  For code -2 below
//   z = -70.978 (the far lower tail) the limits out[0] = -1, out[1] = 0 are returned.
//   For code -2 with e^z < sqrt(2^-53), F is taken as e^z, which puts both
//   derivatives off by about e^z/2 absolute (2.8e-9 at z = -19); elsewhere within
//   2e-13 of mpmath on the test grid.
#include "numeric/zprblwb.h"

#include <cmath>

#include "numeric/zexpm1.h"
#include "numeric/zln1px.h"
#include "numeric/zmissing.h"

namespace {
constexpr double ZWB_HALF_OVER = ZEXP_OVER / 2.0;                 // 354.8914
constexpr double ZWB_OVER_OUT = 1.3407807929943e154;
constexpr double ZWB_FAIL = 1.7976931348623157e308 / 1000.0;     // 1.7976931348623157e305
constexpr double ZWB_LOWER_LINEAR = -21.0;
constexpr double ZWB_RATIO_FLOOR = -1.0 + 4.0 * ZEPS53;
constexpr double ZWB_SMALL_EZ = ZSQRT_EPS53;
constexpr double ZWB_LEFT_LIMIT = -ZEXP_OVER / 10.0;              // -70.978
constexpr double ZWB_P_FLOOR = 10.0 * 1.491668147e-154;
}  // namespace

int zprblwb(int code, const double* z, const double* /*z2*/, double* out) {
  const double z0 = z[0];
  if (z0 >= ZWB_HALF_OVER) {
    if (code == -2) {
      *out = 0.0;
      return 0;
    }
    *out = ZWB_OVER_OUT;
    return 1;
  }
  const double ez = std::exp(z0);
  *out = ez;
  switch (code) {
    case 0:
      *out = ez - z0;
      return 0;
    case -2:
      *out = z0 < ZWB_LOWER_LINEAR ? -z0 : -zln1px(-std::exp(-ez));
      return 0;
    case -3: {
      const double h = z[1];
      if (h >= ZEXP_OVER) {
        *out = ZWB_FAIL;
        return 1;
      }
      if (z0 > 0.0) {
        const double a = std::exp(z0 - h), b = std::exp(z0 + h);
        *out = a - zln1px(-std::exp(-(b - a)));
        return 0;
      }
      if (z0 + h > ZEXP_OVER) {
        *out = -zln1px(zexpm1(-std::exp(z0 - h)));
        return 0;
      }
      const double A = zexpm1(-std::exp(z0 - h));
      const double B = -zexpm1(-std::exp(z0 + h));
      if (!(B > 0.0)) return 1;
      if (A / B <= ZWB_RATIO_FLOOR) return 1;
      *out = -zln1px(A / B) - std::log(B);
      return 0;
    }
    default:  // -1 and any other code
      return 0;
  }
}

int zprbwwb(int code, const double* z, const double* /*z2*/, double* out) {
  const double z0 = z[0];
  if (z0 >= ZEXP_OVER) {
    if (code == -2) {
      out[0] = out[1] = 0.0;
      return 0;
    }
    return 1;
  }
  const double ez = std::exp(z0);
  switch (code) {
    case 0:
      out[0] = ez - 1.0;
      out[1] = ez;
      return 0;
    case -2: {
      if (z0 > ZWB_LEFT_LIMIT) {
        const double g1 = ez < ZWB_SMALL_EZ ? -std::exp(z0 - ez) / ez
                                            : -std::exp(z0 - ez) / (1.0 - std::exp(-ez));
        out[0] = g1;
        out[1] = (1.0 - ez + g1) * g1;
      } else {
        out[0] = -1.0;
        out[1] = 0.0;
      }
      return 0;
    }
    case -3: {
      const double h = z[1];
      const double a = z0 + h, b = z0 - h;
      const double ea = std::exp(a), eb = std::exp(b);
      const double Da = std::exp(a - ea), Db = std::exp(b - eb);
      const double Sa = (1.0 - ea) * Da, Sb = (1.0 - eb) * Db;
      const double P = std::exp(-eb) - std::exp(-ea);
      if (!(std::fabs(P) >= ZWB_P_FLOOR)) return 1;
      const double Pz = Da - Db, Ph = Da + Db, P2 = P * P;
      out[0] = -Pz / P;
      out[1] = (Pz * Pz - (Sa - Sb) * P) / P2;
      out[2] = -Ph / P;
      out[3] = (Ph * Pz - (Sa + Sb) * P) / P2;
      out[4] = (Ph * Ph - (Sa - Sb) * P) / P2;
      return 0;
    }
    default:  // -1 and any other code
      out[0] = out[1] = ez;
      return 0;
  }
}
