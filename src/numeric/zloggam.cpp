// zloggam.cpp - the log-scale gamma service.
//
//   int zloggam(zgam_req* r)
//   int fntrgam(double t, void* context, double* value)
//
// Log tails (flags 1).  x = 0 gives ln P = -1.7976931348623157e308 (ln 0), ln Q = 0.
// Far above the shape (x/a >= 100, a >= 0.5) the asymptotic expansion
//   Q(a, x) = x^(a-1) e^-x / Gamma(a) (1 + (a-1)/x + (a-1)(a-2)/x^2 + ...)
// (Abramowitz & Stegun 6.5.32) is summed until a term is below 1e-12 of the sum
// (at most 100 terms).  Elsewhere the methods of the incomplete gamma function
// (zigamma_core.h) in log scale: with A = a + 1 for a lower tail of a < 1,
// lnf = ln(x^(A-1) e^-x / Gamma(A)), the lower tail (x <= A or x <= 1) by the power
// series (the lower continued fraction for A >= 1e9 or when the series fails), the
// upper tail by Legendre's continued fraction on the shape itself, ln T = ln V + lnf
// (ln(1 + V) + lnf after the shift); for A >= 1e9 within 0.02 A + 0.7 sqrt(A) of x
// the Wilson-Hilferty cube-root normal approximation (both log tails of the normal
// distribution at z, A&S 26.4.14).  The other tail is ln(1 - e^T).  When the chosen
// method fails, the upper tail is integrated numerically from x in log mode (zhrdys,
// mode 2, the integrand t^(a-1) e^-t kept as mantissa and exponent) and divided by
// Gamma(a).
//
// Quantile (flags 4): start at a + z_p sqrt(a) (at least 1), bracket by factors 1.5
// and 0.7 (at most 50 steps), then the secant method in (ln x, ln P - ln Q) until a
// step is below 1e-7 x (at most 70 steps).
//
// Measured accuracy (tests/numeric/zloggam_test.cpp, against mpmath at 40 digits and
// R pgamma(log.p = TRUE)): log tails within 5.4e-15 max(1, |value|) and the log
// density within 4.5e-16 for shapes 0.01 to 1e5 and points from 1e-300 to 1e6 (tails
// down to e^-1e6); quantiles within 2.1e-11 relative for p from 1e-300 to 0.999.
//
// Deviations kept on purpose: the upper tail of a shape below 1 is never formed as
// Q(a + 1, x) - x^a e^-x / Gamma(a + 1) (a cancellation of x/a digits); both the
// fraction and the integral are taken on the shape itself.  A NaN x, a or p is
// refused with status 1, and so is a NaN tail (x infinite).
#include "numeric/zloggam.h"

#include <cmath>

#include "numeric/zhrdys.h"
#include "numeric/zigamma.h"
#include "numeric/zigamma_core.h"
#include "numeric/zlgamma.h"
#include "numeric/zln1px.h"
#include "numeric/zmissing.h"
#include "numeric/zprbnrm.h"
#include "numeric/zprobit.h"

namespace {
constexpr double ZG_MIN_SHAPE = 1e-9;
constexpr double ZG_REQ_TOL = 8.0 * ZEPS53;
constexpr double ZG_TAIL_TOL = 5.0 * ZEPS53;
constexpr double ZG_LOG0 = -1.7976931348623157e308;
constexpr double ZG_LOG1P_M1 = -1.3407807929943e154;  // ln(1 + (-1))
constexpr double ZG_ASYM_RATIO = 100.0;
constexpr double ZG_ASYM_SHAPE = 0.5;
constexpr double ZG_ASYM_TOL = 1e-12;
constexpr int ZG_ASYM_TERMS = 100;
constexpr double ZG_WH_SHAPE = 1e9;
constexpr double ZG_WH_REL_BAND = 0.02;
constexpr double ZG_WH_SQRT_BAND = 0.7;
constexpr int ZG_INT_LEVELS = 30;
constexpr double ZG_P_MAX = 1.0 - ZSQRT_EPS53;
constexpr double ZG_GROW = 1.5;
constexpr double ZG_SHRINK = 0.7;
constexpr int ZG_BRACKET_STEPS = 50;
constexpr int ZG_SECANT_STEPS = 70;
constexpr double ZG_SECANT_TOL = 1e-7;

enum Method { kSeries = 0, kWilsonHilferty = 2, kUpperCf = 3, kLowerCf = 4, kAsymptotic = 5, kIntegral = 6 };

// ln(1 + v), with ln 0 written as -1.3407807929943e154.
double lg1p(double v) { return v == -1.0 ? ZG_LOG1P_M1 : zln1px(v); }

void set_tails(zgam_req* r, double tail, bool lower) {
  const double other = lg1p(-std::exp(tail));
  r->log_lower = lower ? tail : other;
  r->log_upper = lower ? other : tail;
}

// Asymptotic expansion of the upper tail; false when 100 terms do not settle (the
// results are still written).
bool asymptotic(zgam_req* r) {
  const double x = r->x, a = r->a;
  double S = 0.0, t = 1.0;
  bool settled = false;
  for (int k = 1; k <= ZG_ASYM_TERMS; ++k) {
    t *= (a - k) / x;
    S += t;
    if (std::fabs(t) <= ZG_ASYM_TOL * std::fabs(S)) {
      settled = true;
      break;
    }
  }
  r->method = kAsymptotic;
  r->method_value = S;
  const double ld = (a - 1.0) * std::log(x) - x - zlgamma(a);
  r->log_upper = ld + lg1p(S);
  r->log_lower = lg1p(-std::exp(r->log_upper));
  r->log_density = ld;
  return settled;
}

// Series and fractions: 0 done, 1 failed (status 1), 2 the method did not converge
// (the integration takes over).
int series_fractions(zgam_req* r) {
  const double x = r->x, a = r->a;
  const bool shift = a < 1.0 && (x <= a + 1.0 || x <= 1.0);
  const double A = shift ? a + 1.0 : a;
  const bool lower = x <= A || x <= 1.0;
  r->shape_less_one = shift ? a : A - 1.0;
  const double lnf = static_cast<double>(zgam_lnf(x, A, shift ? a : static_cast<long double>(A) - 1.0L));
  if (A >= ZG_WH_SHAPE && std::fabs(x - A) <= ZG_WH_REL_BAND * A + ZG_WH_SQRT_BAND * std::sqrt(A)) {
    const double z = (std::pow(x / A, 1.0 / 3.0) - (1.0 - 1.0 / (9.0 * A))) * std::sqrt(9.0 * A);
    double lc, ls, ld;
    if (zlognrm(z, &lc, &ls, &ld) != 0) return 1;
    r->method = kWilsonHilferty;
    r->log_lower = lc;
    r->log_upper = ls;
    r->log_density = lnf;
    return 0;
  }
  double V = 0.0;
  bool ok;
  if (!lower) {
    r->method = kUpperCf;
    ok = zgam_upper_cf(x, A, r->tol, &V);
  } else if (A >= ZG_WH_SHAPE) {
    r->method = kLowerCf;
    ok = zgam_lower_cf(x, A, r->tol, &V);
  } else {
    r->method = kSeries;
    ok = zgam_series(x, A, r->tol, &V);
    if (!ok) {
      r->method = kLowerCf;
      ok = zgam_lower_cf(x, A, r->tol, &V);
    }
  }
  if (!ok) return 2;
  r->method_value = V;
  if (!(V > 0.0)) return 1;
  const double tail = shift ? lnf + lg1p(V) : std::log(V) + lnf;
  set_tails(r, tail, lower);
  r->log_density = shift ? lnf + std::log(a) - std::log(x) : lnf;
  return 0;
}

// The upper tail by numerical integration; 0 or 1.
int integrate(zgam_req* r) {
  const double x = r->x, a = r->a;
  r->method = kIntegral;
  r->shape_less_one = a - 1.0;
  r->log_kernel = (a - 1.0) * std::log(x) - x;
  zhrdy_rec rec;
  zhrdy_log_setup(&rec, r->tol, 2, ZG_INT_LEVELS, r, fntrgam);
  rec.lower = x;
  rec.initial_step = 1.0 / std::fmax(1.0, std::log(x));
  double c = std::fmax(a - 1.0, 0.0);
  if (c < x) c = x * (1.0 + 1.0 / a);
  rec.centre = c;
  rec.collision_status = 1;
  rec.small_flag = 1;
  r->integ = &rec;
  double res = 0.0;
  const int st = zhrdys(&rec, &res);
  r->integ = nullptr;
  if (st != 0 || !(res > 0.0)) return 1;
  double up = std::log(res) + rec.sum_exp - zlgamma(a);
  if (up > 0.0) up = 0.0;
  r->log_upper = up;
  r->log_lower = lg1p(-std::exp(up));
  r->log_density = static_cast<double>(zgam_lnf(x, a, static_cast<long double>(a) - 1.0L));
  return 0;
}

int log_tails(zgam_req* r) {
  const double x = r->x, a = r->a;
  if (!(x >= 0.0) || !(a > ZG_MIN_SHAPE)) return 1;
  if (x == 0.0) {
    r->log_lower = ZG_LOG0;
    r->log_upper = 0.0;
    r->log_density = a > 1.0 ? ZG_LOG0 : (a < 1.0 ? -ZG_LOG0 : 0.0);
    return 0;
  }
  if (r->tol < ZG_TAIL_TOL) r->tol = ZG_TAIL_TOL;
  int st;
  if (x / a >= ZG_ASYM_RATIO && a >= ZG_ASYM_SHAPE) {
    st = asymptotic(r) ? 0 : 2;
  } else {
    st = series_fractions(r);
  }
  if (st == 2) st = integrate(r);
  if (st != 0) return 1;
  // A tail above ln 1, or a NaN (an infinite x), is no result.
  if (!(r->log_lower <= 0.0) || !(r->log_upper <= 0.0)) return 1;
  return 0;
}

// The log-odds ln P - ln Q at x (r->x := x); false on failure.
bool log_odds(zgam_req* r, double x, double* lo) {
  r->x = x;
  if (log_tails(r) != 0) return false;
  *lo = r->log_lower - r->log_upper;
  return true;
}

int quantile(zgam_req* r) {
  const double p = r->p, a = r->a;
  if (!(a > ZG_MIN_SHAPE) || !(p > 0.0) || !(p <= ZG_P_MAX)) return 1;
  const double lp = std::log(p);
  const double g = std::log(p / (1.0 - p));
  double x = zprobit(p) * std::sqrt(a) + a;
  if (!(x > 1.0)) x = 1.0;
  r->growth = ZG_GROW;
  r->shrink = ZG_SHRINK;
  double lo;
  if (!log_odds(r, x, &lo)) return 1;
  if (r->log_lower == lp) return 0;
  // Bracket: the last two points lie on either side of the target (or the step limit
  // was reached).
  const bool up = r->log_lower < lp;
  double xa = x, loa = lo;
  for (int i = 0; i < ZG_BRACKET_STEPS; ++i) {
    xa = x;
    loa = lo;
    x *= up ? r->growth : r->shrink;
    if (!log_odds(r, x, &lo)) return 1;
    if (up ? r->log_lower >= lp : r->log_lower <= lp) break;
  }
  double xb = x, lob = lo;
  double xn = x;
  for (int i = 0; i < ZG_SECANT_STEPS; ++i) {
    xn = xa * std::exp((std::log(xb) - std::log(xa)) * (g - loa) / (lob - loa));
    if (!(xn >= ZDBL_MINNORM)) return 1;
    double lon;
    if (!log_odds(r, xn, &lon)) return 1;
    if (std::fabs(xn - xa) < ZG_SECANT_TOL * std::fmax(std::fabs(xn), r->small_floor)) {
      r->x = xn;
      return 0;
    }
    xb = xa;
    lob = loa;
    xa = xn;
    loa = lon;
  }
  r->x = xn;
  return 1;
}
}  // namespace

int fntrgam(double t, void* context, double* value) {
  zgam_req* r = static_cast<zgam_req*>(context);
  zhrdy_rec* rec = r->integ;
  const double v = r->shape_less_one * std::log(t) - t;
  if (v > rec->value_exp) {
    if (!(v > -2147483647.0 && v < 2147483647.0)) return 1;
    rec->value_exp = static_cast<std::int32_t>(v);
  }
  *value = std::exp(v - rec->value_exp);
  return 0;
}

int zloggam(zgam_req* r) {
  if (r->flags == 0 || r->flags > 7 || r->flags < 0) return 1;
  if (r->tol < ZG_REQ_TOL || std::isnan(r->tol)) r->tol = ZG_REQ_TOL;
  const double floor = 1000.0 * ZDBL_MINNORM / r->tol;
  if (!(r->small_floor >= floor)) r->small_floor = floor;
  if (r->flags & 4) {
    const std::int32_t saved = r->flags;
    const int st = quantile(r);
    r->flags = saved;
    return st;
  }
  if ((r->flags & 1) && log_tails(r) != 0) return 1;
  if ((r->flags & 2) && zldngam(r->x, r->a, &r->log_density) != 0) return 1;
  return 0;
}
