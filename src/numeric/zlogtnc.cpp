// zlogtnc.cpp - the log-scale noncentral t service.
//
//   int zlogtnc(ztnc_req* r)
//   int zldntnc(double x, double df, double nc, double* out)
//
// T = (Z + nc)/sqrt(V/df).  Tails (flag 1):
//   x = 0:  ln Phi(-nc) and ln(1 - Phi(-nc)) (zlognrm).
//   nc = 0: the central t through the log-scale beta service: P(T > |x|) =
//           I_u(df/2, 1/2)/2 with u = df/(df + x^2), or 1/2 the upper tail of
//           beta(1/2, df/2) at x^2/(df + x^2) when x^2 <= df.
//   else:   with nc < 0 reflected (T -> -T), one tail is
//           int_0^oo g(u) Phi(+-(sqrt(u) s - nc)) du, s = x sqrt(2/df), g the gamma(df/2)
//           density, the lower tail when x < nc and the upper otherwise, integrated by
//           zhrdys in log mode (the integrand carries its exponent in the record), so
//           that a tail far below the smallest double is still a finite logarithm; the
//           other tail is ln(1 - e^tail).
// Density (flag 2, zldntnc): at x = 0 in closed form; for |nc| < 2 the Poisson mixture
//   f(x) = J sum_j sigma^j lambda^(j/2) e^-lambda / Gamma(j/2 + 1) beta((j + 1)/2, df/2)(u),
//   u = x^2/(x^2 + df), lambda = nc^2/2, J = df |x|/(x^2 + df)^2 (the Poisson-mixture
//   form of the noncentral t density), summed from its
//   largest term downward completely and upward until the pair of terms falls below
//   2e-15 of the sum (in extended precision); otherwise, or when the series fails, the
//   integral int_0^oo g(u) phi(sqrt(u) s - nc) sqrt(2u/df) du in log mode.
// Quantile (flag 4): a Cornish-Fisher start (the expansion of the noncentral t
//   quantile in 1/df to the second order), bracketing by factors 1.5 and 0.7 (at most 50
//   steps), and the secant method on the logit ln P - ln(1 - P) (at most 70 steps),
//   converged when two points agree to max(|x|, x_floor) x_rel.  A point is accepted only
//   near its target: a converged point whose remaining logit residual the secant slope
//   turns into more than ten x tolerances, or a flat secant (equal logits) at a point
//   whose logit is farther than sqrt(tol) max(1, |logit p|) from the target, is a failure.
//
// Measured accuracy (tests/numeric/zlogtnc_test.cpp, against mpmath at 30 digits;
// R's pt/dt/qt with ncp as a cross-check):
//   log tails within 2e-14 relative (of the log) for df up to 200, including tails near
//   e^-841 and e^-486; 1.3e-12 at df = 4999, nc = 116; the central case within 2.3e-15.
//   For df of 1e5 and more the gamma factor is far narrower than the initial step
//   1/sqrt(sd): 5e-11 at df = 3e5, 1.3e-10 at 1e6, and from about 3e6 the integration
//   fails (status 1).
//   log density within 1.4e-15 absolute (3.8e-13 at df = 4999, nc = 47.7).
//   quantiles (tol = 1e-14) within 1.2e-14 relative on the test grid, among them the
//   normal-theory percentile limits for n = 5000 that zqtnc cannot reach; 1.5e-10 at
//   df = 1e6 (the tails' error).
//
// Status (zlogtnc): 0 success.  1: flags 0 or a bit above 4; df above 2147483647; a
// failed beta service (central case) or zlognrm; df < 0.5 on the integral; an integration
// failure or a mantissa <= 0; a density failure; for the quantile df < sqrt(2^-53),
// p = 0, p > 1 - sqrt(2^-53), a failure of the tails at a trial point, a point
// not accepted near its target, or 70 secant steps (x then holds the last point tried).
// zldntnc: 0 with *out = ln f(x); 1 when df < 0.5 and the series does not apply or
// fails, or the integration fails.
#include "numeric/zlogtnc.h"

#include <cmath>
#include <cstring>

#include "host/kes_math_constants.h"
#include "numeric/zhrdys.h"
#include "numeric/zigamma.h"
#include "numeric/zlgamma.h"
#include "numeric/zln1px.h"
#include "numeric/zlogbet.h"
#include "numeric/zmissing.h"
#include "numeric/zprbnrm.h"
#include "numeric/zprobit.h"

namespace {
constexpr double ZL_MIN_TOL = 8.0 * ZEPS53;
constexpr double ZL_INT_MAX = 2147483647.0;
constexpr double ZL_E = 2.718281828459045;
constexpr double ZL_SQRT2 = 1.4142135623730951;
constexpr double ZL_MIN_DF = 0.5;
constexpr std::int32_t ZL_TAIL_LEVELS = 20;
constexpr std::int32_t ZL_DENS_LEVELS = 7;
constexpr double ZL_DENS_ACCURACY = 2e-15;
constexpr std::int32_t ZL_SUM_EXP0 = -100000;
constexpr std::int32_t ZL_VALUE_EXP0 = -2147483647;
constexpr int ZL_BRACKET_STEPS = 50;
constexpr int ZL_SECANT_STEPS = 70;
constexpr double ZL_GATE = 10.0;        // a converged point: at most 10 x tolerances left
constexpr double ZL_SERIES_NC = 2.0;    // the density series below this |nc|
constexpr double ZL_SERIES_TOL = 2e-15;
constexpr long ZL_SERIES_TERMS = 1000000;  // pairs of the upward density series
constexpr double ZL_LN_PI = 1.1447298858494002;

// ---------------------------------------------------------------- moments
void moments(ztnc_req* r) {
  if (r->moments_done != 0) return;
  r->moments_done = 1;
  const double df = r->df, nc = r->nc;
  if (nc == 0.0) {
    r->mean = 0.0;
    r->sd = df > 2.0 + ZSQRT_EPS53 ? std::sqrt(df / (df - 2.0)) : zmissing();
    return;
  }
  if (!(df > 2.0 + ZSQRT_EPS53)) {
    r->mean = zmissing();
    r->sd = zmissing();
    return;
  }
  r->mean = nc * std::exp(0.5 * std::log(df / 2.0) + zlgamma(df / 2.0 - 0.5) - zlgamma(df / 2.0));
  const double var = (df / 2.0) / (df / 2.0 - 1.0) * (nc * nc + 1.0) - r->mean * r->mean;
  r->sd = var < ZEPS53 ? zmissing() : std::sqrt(var);
}

// ---------------------------------------------------------------- tail integral
int tail_integrand(double u, void* context, double* value) {
  ztnc_req* r = static_cast<ztnc_req*>(context);
  zhrdy_rec* rec = r->integ;
  rec->collision_status = 0;
  const double w = std::sqrt(u) * r->s - r->nc;
  double lc, ls, lp;
  if (zlognrm(w, &lc, &ls, &lp) != 0) return 1;
  const double L = r->half_df_m1 * std::log(u) - u - r->lg_half_df + (r->lower_tail != 0 ? lc : ls);
  if (L > rec->value_exp) {
    if (!(std::fabs(L) <= ZL_INT_MAX)) return 1;
    rec->value_exp = zd2i(L);  // toward zero; |L| is within the int range here
  }
  *value = std::exp(L - rec->value_exp);
  return 0;
}

int tail_integral(ztnc_req* r) {
  if (r->df < ZL_MIN_DF) return 1;
  zhrdy_rec rec;
  std::memset(&rec, 0, sizeof rec);
  rec.accuracy = r->tol;
  rec.lower = 0.0;
  rec.mode = 2;
  rec.test_kind = 1;
  rec.log_mode = 1;
  rec.radix = ZL_E;
  rec.sum_exp = ZL_SUM_EXP0;
  rec.value_exp = ZL_VALUE_EXP0;
  rec.collision_status = 1;
  rec.level_limit = ZL_TAIL_LEVELS;
  rec.point_limit = r->point_limit > 0 ? r->point_limit : 0;
  rec.context = r;
  rec.integrand = tail_integrand;
  if (r->half_df_m1 >= 0.5) {
    rec.initial_step = is_missing(r->sd) ? 1.0 : 1.0 / std::sqrt(r->sd);
    const double sc = r->s > 1.0 ? r->s : 1.0;
    rec.centre = r->x * r->nc >= 0.0 ? (r->nc / sc) * (r->nc / sc) : ZSQRT_EPS53;
  } else {
    rec.centre = ZSQRT_EPS53;
    rec.initial_step = 1.0;
  }
  r->integ = &rec;
  double m = 0.0;
  const int st = zhrdys(&rec, &m);
  r->integ = nullptr;
  if (st != 0 || !(m > 0.0)) return 1;
  const double tail = std::log(m) + rec.value_exp;
  const double other = zln1px(-std::exp(tail));
  if (r->lower_tail != 0) {
    r->log_lower = tail;
    r->log_upper = other;
  } else {
    r->log_upper = tail;
    r->log_lower = other;
  }
  return 0;
}

// ---------------------------------------------------------------- both tails at r->x
int tails(ztnc_req* r) {
  if (r->df > ZL_INT_MAX) return 1;
  moments(r);
  const double x = r->x, df = r->df, nc = r->nc;
  if (x == 0.0) {
    double lc, ls, lp;
    if (zlognrm(-nc, &lc, &ls, &lp) != 0) return 1;
    r->log_lower = lc;
    r->log_upper = ls;
    return 0;
  }
  r->abs_x = std::fabs(x);
  r->x2 = x * x;
  r->x2_df = r->x2 / df;
  r->half_df = df / 2.0;
  r->half_df_m1 = df / 2.0 - 1.0;
  if (nc == 0.0) {
    zbeta_req b;
    std::memset(&b, 0, sizeof b);
    b.tol = r->tol;
    double lu;
    if (r->x2_df > 1.0) {
      b.x = 1.0 / (1.0 + r->x2_df);
      b.a = df / 2.0;
      b.b = 0.5;
      if (zlogbet(&b) != 0) return 1;
      lu = b.log_lower - KES_LN2;
    } else {
      b.x = r->x2_df / (1.0 + r->x2_df);
      b.a = 0.5;
      b.b = df / 2.0;
      if (zlogbet(&b) != 0) return 1;
      lu = b.log_upper - KES_LN2;
    }
    const double ll = zln1px(-std::exp(lu));
    if (x < 0.0) {
      r->log_lower = lu;
      r->log_upper = ll;
    } else {
      r->log_upper = lu;
      r->log_lower = ll;
    }
    return 0;
  }
  if (df < ZL_MIN_DF) return 1;
  r->reflected = nc < 0.0 ? 1 : 0;
  if (r->reflected != 0) {
    r->x = -x;
    r->nc = -nc;
  }
  r->lower_tail = r->x < r->nc ? 1 : 0;
  r->s = r->x * ZL_SQRT2 / std::sqrt(df);
  r->lg_half_df = zlgamma(df / 2.0);
  const int st = tail_integral(r);
  if (r->reflected != 0) {
    r->x = x;
    r->nc = nc;
    r->reflected = 0;
    if (st == 0) {
      const double t = r->log_lower;
      r->log_lower = r->log_upper;
      r->log_upper = t;
    }
  }
  return st;
}

// ---------------------------------------------------------------- quantile
int quantile(ztnc_req* r) {
  const double p = r->p, df = r->df, d = r->nc;
  if (df < ZSQRT_EPS53 || p == 0.0 || p > 1.0 - ZSQRT_EPS53) return 1;
  const double t = std::log(p);
  const double gs = std::log(p / (1.0 - p));
  const double z = zprobit(p), z2 = z * z, z4 = z2 * z2, d2 = d * d;
  double x0 = d + z + ((2.0 * z2 + 1.0) * d + (1.0 + z2) * z + z * d2) / (4.0 * df) +
              ((12.0 * z4 + 36.0 * z2 + 3.0) * d + (5.0 * z4 + 16.0 * z2 + 3.0) * z +
               (6.0 * z2 + 24.0) * z * d2 - 4.0 * (z2 - 1.0) * d2 * d - 3.0 * z * d2 * d2) /
                  (96.0 * df * df);
  if (zprbnrm(-d) > p) {
    r->up = 0.7;
    r->down = 1.5;
    if (x0 >= 0.0) x0 = -1.0;
  } else {
    r->up = 1.5;
    r->down = 0.7;
    if (x0 <= 0.0) x0 = 1.0;
  }
  r->x = x0;
  if (tails(r) != 0) return 1;
  if (t == r->log_lower) return 0;
  double B = x0, gB = r->log_lower - r->log_upper;
  double A = B, gA = gB;
  const bool too_big = t < r->log_lower;
  for (int i = 0; i < ZL_BRACKET_STEPS; ++i) {
    if (too_big ? !(t < r->log_lower) : !(t > r->log_lower)) break;
    A = B;
    gA = gB;
    B = B * (too_big ? r->down : r->up);
    r->x = B;
    if (tails(r) != 0) return 1;
    gB = r->log_lower - r->log_upper;
  }
  // The secant on g = ln P - ln(1 - P); A is the older point of the pair, B the newer.
  const double near = std::sqrt(r->tol) * (std::fabs(gs) > 1.0 ? std::fabs(gs) : 1.0);
  for (int i = 0; i < ZL_SECANT_STEPS; ++i) {
    const double dg = gB - gA;
    if (std::fabs(dg) < std::fabs(gs) * r->tol) {
      r->x = A;
      return std::fabs(gA - gs) <= near ? 0 : 1;  // flat: only a point near its target
    }
    const double slope = dg / (B - A);
    const double xn = A + (B - A) * (gs - gA) / dg;
    r->x = xn;
    if (tails(r) != 0) return 1;
    const double gn = r->log_lower - r->log_upper;
    const double xtol = (std::fabs(xn) > r->x_floor ? std::fabs(xn) : r->x_floor) * r->x_rel;
    if (std::fabs(A - xn) < xtol) {
      if (std::fabs(gn - gs) <= ZL_GATE * std::fabs(slope) * xtol || std::fabs(gn - gs) <= near)
        return 0;
      return 1;
    }
    B = A;
    gB = gA;
    A = xn;
    gA = gn;
  }
  return 1;
}

// ---------------------------------------------------------------- density
struct DensCtx {
  zhrdy_rec* rec;
  double a;     // (df - 1)/2
  double sx;    // x sqrt(2/df)
  double nc;
  double C;     // ln Gamma(df/2) + ln(df/2)/2 + ln sqrt(2 pi)
};

int dens_integrand(double u, void* context, double* value) {
  DensCtx* c = static_cast<DensCtx*>(context);
  zhrdy_rec* rec = c->rec;
  const double w = std::sqrt(u) * c->sx - c->nc;
  const double L = c->a * std::log(u) - u - 0.5 * w * w - c->C;
  if (!(std::fabs(L) <= ZL_INT_MAX)) {
    rec->error = 1;
    return 1;
  }
  if (L > rec->value_exp) rec->value_exp = zd2i(L);
  const double e = L - rec->value_exp;
  if (e > ZEXP_OVER) {
    rec->error = 1;
    return 1;
  }
  *value = std::exp(e);
  return 0;
}

// The Poisson-mixture series for |nc| < 2; false when it cannot be formed.
bool dens_series(double x, double df, double nc, double* out) {
  const double x2 = x * x;
  const double u = x2 / (x2 + df);
  const double lam = 0.5 * nc * nc;
  const double J = df * std::fabs(x) / ((x2 + df) * (x2 + df));
  const double b = df / 2.0;
  if (std::fabs(nc) < ZEPS53) {
    double lb = 0.0;
    if (zldnbet(u, 0.5, b, &lb) != 0 || !std::isfinite(lb)) return false;
    *out = lb + std::log(J);
    return true;
  }
  const double sigma = x * nc > 0.0 ? 1.0 : -1.0;
  const double A = (3.0 - u * nc * nc) / 2.0;
  const double Bq = 2.0 - (1.0 + df) * u * nc * nc;
  long k = 1;
  if (A * A - Bq > 0.0) {
    const double kd = std::sqrt(A * A - Bq) - A;
    if (!(kd < ZL_INT_MAX)) return false;
    k = kd > 0.0 ? static_cast<long>(kd) : 0;
  }
  if (k % 2 == 0) k += 1;
  if (k < 1) k = 1;
  double lwk, lwk1, lbk, lbk1;
  if (zldngam(lam, k / 2.0 + 1.0, &lwk) != 0 || zldngam(lam, k / 2.0 + 0.5, &lwk1) != 0 ||
      zldnbet(u, (k + 1) / 2.0, b, &lbk) != 0 || zldnbet(u, k / 2.0, b, &lbk1) != 0)
    return false;
  if (!std::isfinite(lwk) || !std::isfinite(lwk1) || !std::isfinite(lbk) || !std::isfinite(lbk1))
    return false;
  const double rb = std::exp(lbk1 - lbk), rw = std::exp(lwk1 - lwk);
  long double S = sigma + static_cast<long double>(rb) * rw;
  // downward: every remaining index
  double Bo = 1.0, Wo = 1.0, Be = rb, We = rw;
  for (long j = k - 2; j >= 1; j -= 2) {
    const double h = j / 2.0;
    Bo = Bo * (h + 0.5) / ((h + 0.5 + b) * u);
    Wo = Wo * (h + 1.0) / lam;
    S += sigma * static_cast<long double>(Wo) * Bo;
    Be = Be * h / ((h + b) * u);
    We = We * (h + 0.5) / lam;
    S += static_cast<long double>(We) * Be;
  }
  // upward until a pair falls below 2e-15 of the sum
  Bo = 1.0;
  Wo = 1.0;
  Be = rb;
  We = rw;
  double P = rb * rw + 1.0;
  long n = 0;
  for (long j = k + 2; ZL_SERIES_TOL * std::fabs(static_cast<double>(S)) < P; j += 2) {
    if (++n > ZL_SERIES_TERMS) return false;
    const double m = j / 2.0;
    Bo = Bo * (m + b - 0.5) * u / (m - 0.5);
    Wo = Wo * lam / m;
    We = We * lam / (m - 0.5);
    Be = Be * (m + b - 1.0) * u / (m - 1.0);
    S += sigma * static_cast<long double>(Bo) * Wo + static_cast<long double>(Be) * We;
    P = Bo * Wo + Be * We;
  }
  const double Sd = static_cast<double>(S);
  if (!(Sd > ZSQRT_EPS53)) return false;  // |S| <= 1.05e-8, or a negative sum: the integral
  *out = std::log(Sd) + std::log(J) + lwk + lbk;
  return true;
}
}  // namespace

int zldntnc(double x, double df, double nc, double* out) {
  if (x == 0.0) {
    *out = zlgamma((df + 1.0) / 2.0) - zlgamma(df / 2.0) - 0.5 * (ZL_LN_PI + std::log(df)) -
           nc * nc / 2.0;
    return 0;
  }
  if (std::fabs(nc) < ZL_SERIES_NC && dens_series(x, df, nc, out)) return 0;
  if (df < ZL_MIN_DF) return 1;
  zhrdy_rec rec;
  std::memset(&rec, 0, sizeof rec);
  DensCtx c{&rec, (df - 1.0) / 2.0, x * std::sqrt(2.0 / df), nc,
            zlgamma(df / 2.0) + 0.5 * std::log(df / 2.0) + ZLN_SQRT_2PI};
  rec.accuracy = ZL_DENS_ACCURACY;
  rec.level_limit = ZL_DENS_LEVELS;
  rec.mode = 2;
  rec.test_kind = 1;
  rec.centre = 1.0;
  rec.initial_step = 1.0;
  rec.radix = ZL_E;
  rec.sum_exp = ZL_SUM_EXP0;
  rec.value_exp = ZL_SUM_EXP0;
  rec.collision_status = 1;
  rec.log_mode = 1;
  rec.context = &c;
  rec.integrand = dens_integrand;
  double m = 0.0;
  if (zhrdys(&rec, &m) != 0 || !(m > 0.0)) return 1;
  *out = std::log(m) + rec.value_exp;
  return 0;
}

int zlogtnc(ztnc_req* r) {
  const std::int32_t flags = r->flags;
  if (flags == 0 || (flags & ~7) != 0) return 1;
  if (!(r->tol >= ZL_MIN_TOL)) r->tol = ZL_MIN_TOL;
  if (!(r->x_floor >= ZSQRT_EPS53)) r->x_floor = ZSQRT_EPS53;
  if (!(r->x_rel >= ZSQRT_EPS53)) r->x_rel = ZSQRT_EPS53;
  if ((flags & 4) != 0) {
    const int st = quantile(r);
    r->flags = flags;
    return st;
  }
  if ((flags & 1) != 0) {
    if (tails(r) != 0) return 1;
  }
  if ((flags & 2) != 0) return zldntnc(r->x, r->df, r->nc, &r->log_density);
  return 0;
}
