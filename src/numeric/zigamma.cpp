// zigamma.cpp - regularized incomplete gamma function (both tails) and the gamma density.
//
//   int zigamma(double x, double a, double* p, double* q, double* d = nullptr)
//     0  *p = P(a, x) = gamma(a, x)/Gamma(a), *q = Q(a, x) = 1 - P, *d = the gamma density
//        x^(a-1) e^(-x) / Gamma(a) (kept finite: 0 below e^-709.78, the largest double
//        above e^709.78).  The computed tail is clamped to [0, 1] and the other one is 1
//        minus it.  a = 0 gives (1, 0, 0); x = 0 gives (0, 1, 1 if a = 1 else 0).
//     1  a < 0, x < 0, or no convergence: *p = *q = -2.0, *d = 0.0.
//     The results are stored p, then q, then d, so d may alias q (it then holds the
//     density); d may be null.
//   int zldngam(double x, double a, double* ld)
//     ln of the gamma density.  1 (nothing stored) when x < 0 or a <= 0; at x = 0 *ld = 0
//     for a = 1 and the toolkit missing value otherwise.
//   void wilhil(double a, double x, double* p, double* q)
//     Wilson-Hilferty cube-root normal approximation with its first correction term
//     (used only for a >= 1e9 near x = a).
//
// Method.  For A >= 20 with x between A/2 and 2A (and a tail above e^-700) the tail
// comes from the uniform asymptotic expansion (zigamma_uniform.cpp): about 0.1 us a call
// against 1.2 us for the series at A = 100 and far more for larger shapes, and more
// accurate (below 2e-15 where the series reach 3e-13 at A = 1e8); the density is formed
// as below.  Otherwise a shape below 1 is raised by one (P(a, x) = P(a+1, x) + x^a e^-x / Gamma(a+1)).
// The log density factor is formed in long double, as ln x - x - ln Gamma(A), or for
// A >= 10 with x within 30 % of A as (A - x) + (A - 1) ln(1 + (x - A)/A) - ln A / 2
// - zlgbern(A) - ln sqrt(2 pi), which avoids cancellation near x = A.  The lower tail
// (x <= A or x <= 1) comes from the power series sum x^n / ((A+1)...(A+n)) (Abramowitz &
// Stegun 6.5.29), summed in long double; the upper tail from Legendre's continued fraction
// (A&S 6.5.31) in the normalised form 1/(1+ c1/(1+ c2/...)), c(2j-1) = (j - A)/x,
// c(2j) = j/x; for A >= 1e9 the lower tail comes from the continued fraction of
// A&S 6.5.31's companion for gamma(a, x), and within 0.7 sqrt(A) + 0.02 A of x = A from
// Wilson-Hilferty.  Both fractions use the forward recurrence with binary rescaling.
//
// Convergence for every shape.  The series needs about 7 sqrt(A) terms at x = A and the
// continued fractions a multiple of sqrt(A) steps near x = A, so the classic fixed limits
// (2000 terms, 1001 and 999 steps) fail for shapes above about 7e4.  Each limit here is the
// classic one plus a multiple of sqrt(A) (constants below), so every call that converged
// under the fixed limits gives the same result (to rounding), and large shapes (chi-square quantiles
// with more than about 140000 degrees of freedom) converge as well.
//
// Beyond the classic limits the stopping rules also bound the rest of the sum (series:
// t r/(1 - r) with r = x/(A+n+1); fractions: d rho/(1 - rho) with rho the ratio of
// successive changes), since there the convergence is slow.  Two further rounding-level
// changes: the upper tail of a shape below 1 is taken from Legendre's fraction on the
// shape itself (the shifted form subtracts two nearly equal numbers: a 6000-fold loss at
// a = 0.001, x = 5), and the power x^(A-1) of a shifted shape uses a itself, not the
// rounded (a + 1) - 1.  The recurrences and the series run in long double.
//
// Measured accuracy (tests/numeric/zigamma_test.cpp, against mpmath, R pgamma/dgamma
// agreeing to 2.7e-14): relative error of the evaluated tail below 3.3e-14 for shapes up to
// 1e5 (tails down to 1e-20 and below), below 2e-15 in the region of the expansion;
// density below 1.1e-15; the other tail is 1 minus the evaluated one.  The
// Wilson-Hilferty band (a >= 1e9) now serves only what the expansion leaves there (tails
// below e^-700).
#include "numeric/zigamma.h"
#include "numeric/zigamma_core.h"
#include "numeric/zigamma_uniform.h"

#include <cmath>

#include "numeric/zlgamma.h"
#include "numeric/zmissing.h"
#include "numeric/zprbnrm.h"

namespace {
constexpr double ZIGAMMA_TOL = 5.0 * ZEPS53;
constexpr double ZIGAMMA_STIRLING_SHAPE = 10.0;
constexpr double ZIGAMMA_STIRLING_BAND = 0.3;
constexpr double ZIGAMMA_WH_SHAPE = 1e9;
constexpr double ZIGAMMA_WH_SQRT_BAND = 0.7;
constexpr double ZIGAMMA_WH_REL_BAND = 0.02;
constexpr double ZIGAMMA_EXP_LIM = 709.782712893384;
constexpr double ZIGAMMA_RESCALE_HI = 1.3407807929943e+154;
constexpr double ZIGAMMA_RESCALE_LO = 1.491668147e-154;
// Iteration caps: the classic limit plus a multiple of sqrt(A).
constexpr int ZIGAMMA_SERIES_TERMS = 2000;
constexpr int ZIGAMMA_UPPER_CF_STEPS = 1001;
constexpr int ZIGAMMA_LOWER_CF_LAST = 1000;  // steps n = 2 .. 1000 (999 steps)
constexpr double ZIGAMMA_SQRT_TERMS = 12.0;  // extra terms or steps per sqrt(A)
constexpr double ZIGAMMA_MAX_EXTRA_STEPS = 400000.0;
constexpr double ZWH_RATIO_HI = 1000.0;
constexpr double ZWH_RATIO_LO = 0.001;
}  // namespace

long double zgam_lnf(double x, double A, long double Am1) {
  if (A < ZIGAMMA_STIRLING_SHAPE || std::fabs(x / A - 1.0) > ZIGAMMA_STIRLING_BAND) {
    return Am1 * std::log(static_cast<long double>(x)) - x - zlgammal(A);
  }
  const long double lA = A, lx = x;
  return (lA - lx) + (lA - 1.0L) * std::log1p((lx - lA) / lA) - 0.5L * std::log(lA) -
         zlgbern(A) - ZLN_SQRT_2PI_L;
}

namespace {
// The classic limit grown by ZIGAMMA_SQRT_TERMS * sqrt(A), at most by
// ZIGAMMA_MAX_EXTRA_STEPS.  The slow region near x = A is only reached for A < 1e9 (the
// Wilson-Hilferty band takes over above), where 7 sqrt(A) < 2.3e5 terms suffice; the cap
// keeps a pathological call (huge or infinite A) finite.
long long grown_limit(int classic, double A) {
  double extra = std::ceil(ZIGAMMA_SQRT_TERMS * std::sqrt(A));
  if (!(extra <= ZIGAMMA_MAX_EXTRA_STEPS)) extra = std::isnan(extra) ? 0.0 : ZIGAMMA_MAX_EXTRA_STEPS;
  return static_cast<long long>(classic) + zd2ll(extra);
}

void rescale(long double& Nm1, long double& N0, long double& Bm1, long double& B0) {
  if (Nm1 > ZIGAMMA_RESCALE_HI || Nm1 < ZIGAMMA_RESCALE_LO) {
    int e;
    (void)std::frexp(Nm1, &e);
    Nm1 = std::ldexp(Nm1, -e);
    N0 = std::ldexp(N0, -e);
    Bm1 = std::ldexp(Bm1, -e);
    B0 = std::ldexp(B0, -e);
  }
}

// One more term c of a continued fraction: the three-term recurrence of the numerators
// and denominators (kept rescaled); returns the new convergent.
double cf_advance(long double c, long double& Nm1, long double& N0, long double& Bm1, long double& B0) {
  const long double N1 = N0 + c * Nm1;
  const long double B1 = B0 + c * Bm1;
  Nm1 = N0;
  N0 = N1;
  Bm1 = B0;
  B0 = B1;
  rescale(Nm1, N0, Bm1, B0);
  return static_cast<double>(N0 / B0);
}

// Stopping rule of the continued fractions: within the classic step limit successive
// convergents agreeing to ZIGAMMA_TOL; beyond it (large shapes, slow geometric
// convergence with ratio rho = |d(n)/d(n-1)|) the remaining change d rho/(1 - rho) must be
// below ZIGAMMA_TOL as well.
bool cf_settled(long long n, long long classic, double conv, double d, double dprev, double tol) {
  if (n <= classic) return std::fabs(d) < tol * conv;
  const double rho = std::fabs(d / dprev);
  if (!(rho < 1.0)) return false;
  return std::fabs(d) * rho / (1.0 - rho) < tol * conv;
}
}  // namespace

bool zgam_series(double x, double A, double tol, double* V) {
  const long long limit = grown_limit(ZIGAMMA_SERIES_TERMS, A);
  long double t = 1.0L / A;
  long double S = t;
  const long double lx = x, lA = A;
  for (long long n = 1; n <= limit; ++n) {
    const long double u = lA + static_cast<long double>(n);
    t = t * lx / u;
    S += t;
    if (n <= ZIGAMMA_SERIES_TERMS) {
      if (t / S <= tol) {
        *V = static_cast<double>(S * lx);
        return true;
      }
    } else {
      // Beyond the classic limit the terms fall slowly (ratio r = x/(A+n+1) near 1), and
      // the rest of the series, below t r/(1 - r), is what must be small against S.
      const long double r = lx / (u + 1.0L);
      if (t * r / (1.0L - r) <= tol * S) {
        *V = static_cast<double>(S * lx);
        return true;
      }
    }
  }
  return false;
}

bool zgam_upper_cf(double x, double A, double tol, double* V) {
  const long long limit = grown_limit(ZIGAMMA_UPPER_CF_STEPS, A);
  const long double rx = 1.0L / x;
  const long double Ax = static_cast<long double>(A) / x;
  long double jx = 0.0L;
  long double Nm1 = 0.0L, N0 = 1.0L, Bm1 = 1.0L, B0 = 1.0L;
  double prev = 1.0;
  double dprev = 1.0;
  for (long long n = 1; n <= limit; ++n) {
    long double c;
    if (n & 1) {
      jx += rx;
      c = jx - Ax;
    } else {
      c = jx;
    }
    const double conv = cf_advance(c, Nm1, N0, Bm1, B0);
    const double dn = conv - prev;
    if (cf_settled(n, ZIGAMMA_UPPER_CF_STEPS, conv, dn, dprev, tol)) {
      *V = conv;
      return true;
    }
    dprev = dn;
    prev = conv;
  }
  return false;
}

bool zgam_lower_cf(double x, double A, double tol, double* V) {
  const long long last = grown_limit(ZIGAMMA_LOWER_CF_LAST, A);
  const long double lx = x, lA = A;
  long double Nm1 = lx / lA, N0 = lx / lA, Bm1 = 1.0L, B0 = 1.0L - lx / (lA + 1.0L);
  double prev = static_cast<double>(N0 / B0);
  double dprev = 1.0;
  long double k = 0.0L;
  for (long long n = 2; n <= last; ++n) {
    const long double u = lA + static_cast<long double>(n);
    long double c;
    if ((n & 1) == 0) {
      k += 1.0L;
      c = (k / u) * (lx / (u - 1.0L));
    } else {
      c = -((lA + k) / u) * (lx / (u - 1.0L));
    }
    const double conv = cf_advance(c, Nm1, N0, Bm1, B0);
    const double dn = conv - prev;
    if (cf_settled(n, ZIGAMMA_LOWER_CF_LAST, conv, dn, dprev, tol)) {
      *V = conv;
      return true;
    }
    dprev = dn;
    prev = conv;
  }
  return false;
}

namespace {
int fail(double* p, double* q, double* d) {
  *p = -2.0;
  *q = -2.0;
  if (d) *d = 0.0;
  return 1;
}

// The density from its logarithm, kept finite.
double density(long double lnf) {
  if (lnf < -ZIGAMMA_EXP_LIM) return 0.0;
  if (lnf > ZIGAMMA_EXP_LIM) return ZDBL_BIG;
  return static_cast<double>(std::exp(lnf));
}

void store(double T, bool lower, double dens, double* p, double* q, double* d) {
  if (T < 0.0) T = 0.0;  // clamp; a NaN passes through
  if (T > 1.0) T = 1.0;
  if (lower) {
    *p = T;
    *q = 1.0 - T;
  } else {
    *p = 1.0 - T;
    *q = T;
  }
  if (d) *d = dens;
}
}  // namespace

void wilhil(double a, double x, double* p, double* q) {
  const double r = x / a;
  if (r > ZWH_RATIO_HI) {
    *p = 1.0;
    *q = 0.0;
    return;
  }
  if (r < ZWH_RATIO_LO) {
    *p = 0.0;
    *q = 1.0;
    return;
  }
  const double s9a = std::sqrt(9.0 * a);
  const double z = (std::pow(r, 1.0 / 3.0) - (1.0 - 1.0 / (9.0 * a))) * s9a;
  const double phi = ZRSQRT_2PI * std::exp(-z * z / 2.0);
  const double z2 = z * z;
  const double c = phi * (0.25 * z * (z2 / 3.0 - 1.0) - (7.0 - z2 * (4.0 + z2)) / (15.0 * s9a)) /
                   (9.0 * a);
  const double N = zprbnrm(-std::fabs(z));
  if (z > 0.0) {
    *q = N - c;
    *p = 1.0 - *q;
  } else {
    *p = N + c;
    *q = 1.0 - *p;
  }
}

int zldngam(double x, double a, double* ld) {
  if (x < 0.0 || a <= 0.0) return 1;
  if (x == 0.0) {
    *ld = (a == 1.0) ? 0.0 : zmissing();
    return 0;
  }
  *ld = static_cast<double>(zgam_lnf(x, a, static_cast<long double>(a) - 1.0L));
  return 0;
}

int zigamma(double x, double a, double* p, double* q, double* d) {
  if (a < 0.0 || x < 0.0) return fail(p, q, d);
  if (a == 0.0) {
    *p = 1.0;
    *q = 0.0;
    if (d) *d = 0.0;
    return 0;
  }
  if (x == 0.0) {
    *p = 0.0;
    *q = 1.0;
    if (d) *d = (a == 1.0) ? 1.0 : 0.0;
    return 0;
  }
  bool shift = a < 1.0;
  double A = shift ? a + 1.0 : a;
  bool lower = (x <= A) || (x <= 1.0);
  if (shift && !lower) {
    // Upper tail of a small shape: Legendre's fraction converges for the shape itself
    // (x > 1 here), which avoids the cancellation of Q(a+1, x) - x^a e^-x / Gamma(a+1)
    // (a thousandfold loss at a = 0.001, x = 5).
    shift = false;
    A = a;
  }
  if (!shift) {
    double T;
    bool low;
    if (zgam_uniform(x, A, &T, &low)) {
      store(T, low, d != nullptr ? density(zgam_lnf(x, A, static_cast<long double>(A) - 1.0L)) : 0.0, p, q, d);
      return 0;
    }
  }
  const long double lnf =
      zgam_lnf(x, A, shift ? static_cast<long double>(a) : static_cast<long double>(A) - 1.0L);

  if (A >= ZIGAMMA_WH_SHAPE &&
      std::fabs(x - A) <= ZIGAMMA_WH_SQRT_BAND * std::sqrt(A) + ZIGAMMA_WH_REL_BAND * A) {
    double wp, wq;
    wilhil(A, x, &wp, &wq);
    lower = wp < wq;
    const double T = lower ? wp : wq;
    store(T, lower, static_cast<double>(std::exp(lnf)), p, q, d);
    return 0;
  }

  double V;
  bool ok;
  if (!lower) {
    ok = zgam_upper_cf(x, A, ZIGAMMA_TOL, &V);
  } else if (A >= ZIGAMMA_WH_SHAPE) {
    ok = zgam_lower_cf(x, A, ZIGAMMA_TOL, &V);
  } else {
    ok = zgam_series(x, A, ZIGAMMA_TOL, &V);
  }
  if (!ok) return fail(p, q, d);
  double T = static_cast<double>(std::exp(std::log(static_cast<long double>(V)) + lnf));

  double dens = density(lnf);
  if (shift) {
    T = lower ? T + dens : T - dens;
    dens = dens * a / x;  // (A - 1)/x with A - 1 = a exactly
  }
  store(T, lower, dens, p, q, d);
  return 0;
}
