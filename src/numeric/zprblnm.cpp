// zprblnm.cpp - censored normal likelihood terms and their derivatives.
//
//   int zprblnm(int code, const double* z, const double* z2, double* out)
//   int zprblnmLog(int code, const double* z, const double* z2, double* out)
//   int zprbwnm(int code, const double* z, const double* z2, double* out)
//   int zprbwnmLog(int code, const double* z, const double* z2, double* out)
//
// z points to the standardized observation z[0] (and, for code -3, the standardized
// half-width z[1] of the interval (z[0] - z[1], z[0] + z[1])); z2 is never read.
// Codes: 0 exact, -1 right-censored, -2 left-censored, -3 interval-censored; any other
// code returns 0 with out untouched.
//
// zprblnm: the negative log-likelihood term
//   0: z^2/2 + ln sqrt(2 pi)          -1: -ln(1 - Phi(z))        -2: -ln Phi(z)
//   -3: -ln(Phi(a + h) - Phi(a - h)) with a = -|z0| (the interval reflected to the
//       lower side, where the difference keeps its digits).
//   For -2 (and -1 after the sign change) with z <= -10, where Phi(z) < 7.7e-24,
//   the term is v^2/2 + ln sqrt(2 pi) - ln R, v = -z, with the Mills ratio R taken from
//   Laplace's continued fraction 1/(v + 1/(v + 2/(v + 3/v))) (A&S 26.2.14) truncated
//   after four levels.
//   Measured accuracy (tests/numeric/zprblik_test.cpp, against mpmath at 50 digits):
//   codes 0, -1, -2 with z > -10: within 2e-14 relative (absolute where the term is
//   below 1); the truncated continued fraction below -10 is off by 2.0e-7 absolute at
//   z = -10 (the term is 53.23, so 3.7e-9 relative), 8.9e-10 at -20 and 6.7e-12 at -37.
//   Code -3 subtracts two probabilities: the term carries an absolute error of a few
//   2^-53 / P for an interval probability P (zprblnmLog avoids this).
//   Status 1 only for code -3 when the interval probability is 0: out = 1.7976931348623157e305.
//
// zprblnmLog: the same term from the log tails of zlognrm.  Code -3 needs a positive
//   half-width h (else 1); for h < 1e-5 with |h z| < 0.001 it uses the expansion
//   z^2/2 + ln(sqrt(2 pi)/2) - ln h - (z^2 - 1) h^2/6 + (z^4 + 4 z^2 - 2) h^4/180
//   (from the Taylor series of Phi(z + h) - Phi(z - h) = 2 h phi(z)(1 + (z^2 - 1) h^2/6
//   + (z^4 - 6 z^2 + 3) h^4/120 + ...)); otherwise the difference of the two lower tails
//   is formed after shifting both logs by the larger one (kept as an integer below
//   2147483647).  Failure (status 1, out = 1.7976931348623157e305): a failed zlognrm, a
//   non-positive half-width, or a difference that is not positive.
//
// zprbwnm and zprbwnmLog: first and second derivatives of the term with respect to
//   the centre (and, for code -3, the half-width).  With h = phi(z)/(1 - Phi(z)) (code
//   -1) or h = -phi(z)/Phi(z) (code -2): out[0] = h, out[1] = (h - z) h.  Code 0:
//   out[0] = z, out[1] = 1.  Code -3: with the ends a = z + h, b = z - h (centre
//   reflected to z <= 0), P = Phi(a) - Phi(b), Pz = phi(a) - phi(b), Ph = phi(a) + phi(b),
//   Szz = -a phi(a) + b phi(b), Szh = -a phi(a) - b phi(b):
//   out[0] = -Pz/P, out[1] = (Pz^2 - Szz P)/P^2, out[2] = -Ph/P,
//   out[3] = (Pz Ph - Szh P)/P^2, out[4] = (Ph^2 - Szz P)/P^2, with out[0] and out[3]
//   negated when the centre was reflected.
//   zprbwnm: code -1 gives h = 0 below z = -20 and, from z = 6 on, h = 1/R(z) with the
//   Mills ratio R of zmillsr (continued fraction); code -2 mirrors it (0 above 20,
//   h = -1/R(-z) below -6); code -3 takes the densities as 0 below -20 and returns 1
//   when P^2 < 2.225073858507202e-308.  zprbwnmLog forms every ratio from zlognrm
//   logarithms shifted by an integer part (toward zero), uses the expansion in h for
//   h < 1e-5 (1 when |h z| > 0.001), and returns 1 when zlognrm fails, h <= 0, the
//   largest log tail is beyond 2147483647 in magnitude or P^2 <= 2.225073858507202e-308.
//   Measured accuracy: the log form of the term within 2e-14 relative on the test
//   grid; the derivatives within 1e-13 of the largest entry of their row (the mixed
//   derivative of a narrow interval is O(h) but formed from O(1/h^2) terms).
#include "numeric/zprblnm.h"

#include <cmath>

#include "numeric/zmillsr.h"
#include "numeric/zmissing.h"
#include "numeric/zprbnrm.h"

namespace {
constexpr double ZLN_FAIL = 1.7976931348623157e308 / 1000.0;  // 1.7976931348623157e305
constexpr double ZCF_FROM = -10.0;          // below: continued fraction for -ln Phi
constexpr double ZLN_SQRT_2PI_HALF = 0.2257913526447274;  // ln(sqrt(2 pi) / 2)
constexpr double ZSER_H = 1e-5;             // series in the half-width below this
constexpr double ZSER_HZ = 0.001;           // ... while |h z| stays below this
constexpr double ZINT_BIG = 2147483647.0;
constexpr double ZDENS_ZERO = -20.0;        // densities taken as 0 below this
constexpr double ZASYM_FROM = 6.0;          // Mills-ratio form of the hazard from here

double phi(double x) { return ZRSQRT_2PI * std::exp(-0.5 * x * x); }

// -ln Phi(w).
double neg_log_cdf(double w) {
  if (w > ZCF_FROM) return -std::log(zprbnrm(w));
  const double v = -w;
  const double r = 1.0 / (v + 1.0 / (v + 2.0 / (v + 3.0 / v)));
  return v * v / 2.0 + ZLN_SQRT_2PI - std::log(r);
}

// phi(v)/(1 - Phi(v)) for v >= 6 from the Mills ratio; false when it fails.
bool upper_hazard(double v, double* h) {
  double m;
  if (zmillsr(v, &m) != 0 || !(m > 0.0)) return false;
  *h = 1.0 / m;
  return true;
}

// A term that cannot be formed: the failure value and status 1.
int term_failed(double* out) {
  *out = ZLN_FAIL;
  return 1;
}

// The term of an exact observation: -ln phi(z).
double exact_term(double z0) { return z0 * z0 / 2.0 + ZLN_SQRT_2PI; }

// The two derivatives of a censored term from its ratio h of density to tail.
void tail_derivs(double h, double z0, double* out) {
  out[0] = h;
  out[1] = (h - z0) * h;
}

// Back from the centre reflected to z <= 0: the derivatives odd in the centre change sign.
void unreflect(double* out) {
  out[0] = -out[0];
  out[3] = -out[3];
}

// The five derivatives of -ln(Phi(a) - Phi(b)) from P and the densities at both ends.
void interval_derivs(double a, double b, double P, double pa, double pb, double* out) {
  const double Pz = pa - pb, Ph = pa + pb;
  const double Szz = -a * pa + b * pb, Szh = -a * pa - b * pb;
  const double P2 = P * P;
  out[0] = -Pz / P;
  out[1] = (Pz * Pz - Szz * P) / P2;
  out[2] = -Ph / P;
  out[3] = (Pz * Ph - Szh * P) / P2;
  out[4] = (Ph * Ph - Szz * P) / P2;
}
}  // namespace

int zprblnm(int code, const double* z, const double* /*z2*/, double* out) {
  const double z0 = z[0];
  switch (code) {
    case 0:
      *out = exact_term(z0);
      return 0;
    case -1:
      *out = neg_log_cdf(-z0);
      return 0;
    case -2:
      *out = neg_log_cdf(z0);
      return 0;
    case -3: {
      const double a = -std::fabs(z0);
      const double d = zprbnrm(a + z[1]) - zprbnrm(a - z[1]);
      if (!(d > 0.0)) return term_failed(out);
      *out = -std::log(d);
      return 0;
    }
    default:
      return 0;
  }
}

int zprblnmLog(int code, const double* z, const double* /*z2*/, double* out) {
  const double z0 = z[0];
  double lc, ls, lp;
  switch (code) {
    case 0:
      *out = exact_term(z0);
      return 0;
    case -1:
    case -2:
      if (zlognrm(z0, &lc, &ls, &lp) != 0) return term_failed(out);
      *out = code == -1 ? -ls : -lc;
      return 0;
    case -3: {
      const double h = z[1];
      if (!(h > 0.0)) return term_failed(out);
      const double zz = -std::fabs(z0);
      if (h < ZSER_H && std::fabs(h * zz) < ZSER_HZ) {
        const double s = zz * zz, h2 = h * h;
        *out = s / 2.0 + ZLN_SQRT_2PI_HALF - std::log(h) - (s - 1.0) * h2 / 6.0 +
               (s * s / 180.0 + s / 45.0 - 1.0 / 90.0) * h2 * h2;
        return 0;
      }
      double lca, lcb, dummy;
      if (zlognrm(zz + h, &lca, &dummy, &lp) != 0 || zlognrm(zz - h, &lcb, &dummy, &lp) != 0) return term_failed(out);
      const double m = lca > lcb ? lca : lcb;
      const double k = std::fabs(m) < ZINT_BIG ? std::trunc(m) : m;
      const double d = std::exp(lca - k) - std::exp(lcb - k);
      if (!(d > 0.0)) return term_failed(out);
      *out = -(k + std::log(d));
      return 0;
    }
    default:
      return 0;
  }
}

int zprbwnm(int code, const double* z, const double* /*z2*/, double* out) {
  const double z0 = z[0];
  double h;
  switch (code) {
    case 0:
      out[0] = z0;
      out[1] = 1.0;
      return 0;
    case -1:
      if (z0 < ZDENS_ZERO) {
        h = 0.0;
      } else if (z0 < ZASYM_FROM) {
        h = phi(z0) / zprbnrm(-z0);
      } else if (!upper_hazard(z0, &h)) {
        return 1;
      }
      tail_derivs(h, z0, out);
      return 0;
    case -2:
      if (z0 > -ZDENS_ZERO) {
        h = 0.0;
      } else if (z0 > -ZASYM_FROM) {
        h = -phi(z0) / zprbnrm(z0);
      } else if (upper_hazard(-z0, &h)) {
        h = -h;
      } else {
        return 1;
      }
      tail_derivs(h, z0, out);
      return 0;
    case -3: {
      const bool reflected = z0 > 0.0;
      const double zz = reflected ? -z0 : z0;
      const double a = zz + z[1], b = zz - z[1];
      const double pa = a < ZDENS_ZERO ? 0.0 : phi(a);
      const double pb = b < ZDENS_ZERO ? 0.0 : phi(b);
      const double P = zprbnrm(a) - zprbnrm(b);
      if (!(P * P >= ZDBL_MINNORM)) return 1;
      interval_derivs(a, b, P, pa, pb, out);
      if (reflected) unreflect(out);
      return 0;
    }
    default:
      return 0;
  }
}

int zprbwnmLog(int code, const double* z, const double* /*z2*/, double* out) {
  const double z0 = z[0];
  double lc, ls, lp;
  switch (code) {
    case 0:
      out[0] = z0;
      out[1] = 1.0;
      return 0;
    case -1:
    case -2: {
      if (zlognrm(z0, &lc, &ls, &lp) != 0) return 1;
      const double lt = code == -1 ? ls : lc;
      const double k = std::trunc(lp > lt ? lp : lt);
      double h = std::exp((lp - k) - (lt - k));
      if (code == -2) h = -h;
      tail_derivs(h, z0, out);
      return 0;
    }
    case -3: {
      const double h = z[1];
      const bool reflected = z0 > 0.0;
      const double zz = reflected ? -z0 : z0;
      if (!(h > 0.0)) return 1;
      if (h >= ZSER_H) {
        const double a = zz + h, b = zz - h;
        double lca, lcb, lpa, lpb, dummy;
        if (zlognrm(a, &lca, &dummy, &lpa) != 0 || zlognrm(b, &lcb, &dummy, &lpb) != 0) return 1;
        const double m = lca > lcb ? lca : lcb;
        if (!(std::fabs(m) < ZINT_BIG)) return 1;
        const double k = std::trunc(m);
        const double Pa = std::exp(lca - k), Pb = std::exp(lcb - k);
        const double pa = std::exp(lpa - k), pb = std::exp(lpb - k);
        const double P = Pa - Pb;
        if (!(P * P > ZDBL_MINNORM)) return 1;
        interval_derivs(a, b, P, pa, pb, out);
      } else {
        if (std::fabs(h * zz) > ZSER_HZ) return 1;
        const double s = zz * zz, h2 = h * h, h3 = h2 * h, h4 = h2 * h2;
        out[0] = zz - zz * h2 / 3.0 + (s * zz + 2.0 * zz) * h4 / 45.0;
        out[1] = 1.0 - h2 / 3.0 + (3.0 * s + 2.0) * h4 / 45.0;
        out[2] = -1.0 / h + (1.0 - s) * h / 3.0 + (s * s + 4.0 * s - 2.0) * h3 / 45.0;
        out[3] = -2.0 * zz * h / 3.0 + 4.0 * (s * zz + 2.0 * zz) * h3 / 45.0;
        out[4] = 1.0 / h2 + (1.0 - s) / 3.0 + (s * s + 4.0 * s - 2.0) * h2 / 15.0;
      }
      if (reflected) unreflect(out);
      return 0;
    }
    default:
      return 0;
  }
}
