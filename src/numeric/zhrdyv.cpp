// zhrdyv.cpp - numerical integration of vector integrands.
//
//   int zhrdyv(zhrdyv_req* req)
//
// The method of zhrdys.cpp (Stenger, Numerical Methods Based on Sinc and Analytic
// Functions, 1993, ch. 4): the variable is changed to t (mode 1 x = c + t, mode 2
// x = a + c e^t, mode 3 x = (b w + a)/(1 + w) with w = c e^t), a first pass grows the
// trapezoidal grid outward from t = 0 until three successive points are negligible,
// and each level then adds the midpoints until two estimates agree.  Here the n
// integrands share every point: the sums are vectors and the tests take the largest
// component.  Differences from the scalar form, all deliberate: the left side is
// summed before the right; the first pass stops a side when max|sum| eps/3 exceeds the
// largest |v_j| + |v_j-1| + |v_j-2| (strict); the centre must have a component of at
// least 1.491668147e-154; sums are checked for overflow in the first pass only; in
// log mode the sums are rescaled by a radix power without limits; test kind 0 is
// absolute (max|d| < tolr), any other kind relative to max|estimate|; the point limit
// is 32767 per side, checked after a level's points are added; an end-point collision
// is code 7 with zero values and tolerated; an unknown mode is code 8.
// tolr = sqrt(eps), or eps^(3/4) with the option word 1234567.
// A NaN integrand value ends its pass (a failure, code 1, 2 or 3); a NaN in the
// convergence test (an estimate that overflowed in a level) is code 4, never
// convergence.
//
// Measured accuracy (tests/numeric/zhrdyv_test.cpp, against closed forms): the moments
// 0..3 of a normal density on the line, a gamma density on a half line and a beta
// density on (0, 1), with eps = 1e-14, within 1e-15 of the largest integral; ln Gamma(1000)
// in log mode within 4e-16 relative.
#include "numeric/zhrdyv.h"

#include <cmath>

#include "numeric/zvkern.h"
#include "util/kes_eps.h"

namespace {
constexpr double ZHV_BIG = 1.3407807929943e154;
constexpr double ZHV_TINY = 1.491668147e-154;
constexpr double ZHV_THIRD = 0.33333333333333;
constexpr std::int32_t ZHV_FIRST_LIMIT = 10000;  // first-pass points per side
constexpr std::int32_t ZHV_POINT_LIMIT = 32767;  // running points per side
constexpr std::int32_t ZHV_TIGHT_OPTION = 1234567;

struct Pass {
  zhrdyv_req* q;
  zhrdy_rec* r;
  int n;
  double c;  // centre in the transformed variable
};

bool failed(std::int32_t e) { return e != 0 && e != ZHV_COLLISION; }

// Evaluates the point at the record's abscissa into q->cur and advances the abscissa.
void evaluate(Pass& P) {
  zhrdyv_req* q = P.q;
  zhrdy_rec* r = P.r;
  const int n = P.n;
  const double w = r->abscissa;
  if (r->mode == 1) {
    q->integrand(w, 1.0, q->cur, q);
    r->abscissa = w + r->step_factor;
  } else if (r->mode == 2 || r->mode == 3) {
    double x, jac;
    bool collide;
    if (r->mode == 2) {
      x = r->lower + w;
      jac = w;
      collide = x == r->lower;
    } else {
      x = (r->upper * w + r->lower) / (1.0 + w);
      jac = w / ((1.0 + w) * (1.0 + w));
      collide = x == r->lower || x == r->upper;
    }
    if (collide) {
      r->error = ZHV_COLLISION;
      for (int i = 0; i < n; ++i) q->cur[i] = 0.0;
      return;  // the abscissa stays
    }
    q->integrand(x, jac, q->raw, q);
    r->abscissa = w * r->step_factor;
    if (failed(r->error)) return;
    zvscl11(q->cur, q->raw, n, jac);
  } else {
    r->error = ZHV_MODE;
    for (int i = 0; i < n; ++i) q->cur[i] = ZHV_BIG;
    return;
  }
  if (failed(r->error)) return;
  for (int i = 0; i < n; ++i) {
    if (std::isnan(q->cur[i])) {
      r->error = ZHV_NAN;
      return;
    }
  }
}

// Log mode: brings the sums to the exponent of the latest values.
void rescale(Pass& P) {
  zhrdy_rec* r = P.r;
  if (r->value_exp == r->sum_exp) return;
  const double f = std::pow(r->radix, static_cast<double>(r->sum_exp) - r->value_exp);
  zhrdyv_req* q = P.q;
  zvscl11(q->estimate, q->estimate, P.n, f);
  zvscl11(q->sum, q->sum, P.n, f);
  if (q->first_pass) {
    zvscl11(q->prev1, q->prev1, P.n, f);
    zvscl11(q->prev2, q->prev2, P.n, f);
  }
  r->sum_exp = r->value_exp;
}

// One side: the first pass (stopping test on, *count in: the limit, out: the points
// used) or a level (npoints points).  Returns the error code that ended it (0 or 7
// for success).
std::int32_t side(Pass& P, double step_factor, double start, std::int32_t* count, long long npoints) {
  zhrdyv_req* q = P.q;
  zhrdy_rec* r = P.r;
  const int n = P.n;
  const bool first = q->first_pass != 0;
  if (first) {
    for (int i = 0; i < n; ++i) q->prev1[i] = q->prev2[i] = ZHV_BIG;
  }
  r->step_factor = step_factor;
  r->start_factor = start;
  r->abscissa = r->mode == 1 ? P.c + start : P.c * start;
  const long long last = first ? static_cast<long long>(*count) + 1 : npoints;
  for (long long j = 1; j <= last; ++j) {
    evaluate(P);
    if (failed(r->error)) return r->error;
    if (r->log_mode != 0) rescale(P);
    zvaxpy(q->sum, q->sum, q->cur, n, 1.0);
    if (!first) continue;
    double* filled = q->cur;  // rotate: the oldest buffer takes the next point
    q->cur = q->prev2;
    q->prev2 = q->prev1;
    q->prev1 = filled;
    const double m = zvamx(q->sum, n);
    if (m > ZHV_BIG) return r->error = ZHV_OVERFLOW;
    double t = 0.0;
    for (int i = 0; i < n; ++i) {
      q->prev1[i] = std::fabs(q->prev1[i]);
      q->prev2[i] = std::fabs(q->prev2[i]);
      q->cur[i] = std::fabs(q->cur[i]);
      const double ti = q->prev1[i] + q->prev2[i] + q->cur[i];
      if (ti > t) t = ti;
    }
    if (m * r->accuracy3 > t) {
      *count = static_cast<std::int32_t>(j);
      return r->error;
    }
  }
  return r->error;
}

double centre_of(zhrdy_rec* r) {
  double c = r->centre;
  if (r->mode == 2) {
    c -= r->lower;
    if (c <= 0.0) c = r->initial_step;
  } else if (r->mode == 3) {
    r->width = r->upper - r->lower;
    if (std::fabs(c - r->upper) < std::fabs(r->upper) * ZSQRT_EPS53) {
      c = 1.0;
    } else {
      c = (c - r->lower) / (r->upper - c);
      if (c < 0.0) c = 1.0;
    }
  }
  return c;
}

// The first pass; false on failure.
bool first_pass(Pass& P) {
  zhrdyv_req* q = P.q;
  zhrdy_rec* r = P.r;
  const int n = P.n;
  const double h = r->half_step;
  r->step = h;
  for (int i = 0; i < n; ++i) q->estimate[i] = 0.0;
  P.c = centre_of(r);
  r->abscissa = P.c;
  r->step_factor = 1.0;
  evaluate(P);
  if (failed(r->error)) return false;
  for (int i = 0; i < n; ++i) q->sum[i] = q->cur[i];
  if (r->log_mode != 0) r->sum_exp = r->value_exp;
  if (!(zvamx(q->sum, n) >= ZHV_TINY)) return false;
  const bool additive = r->mode == 1;
  r->side = 1;
  if (failed(side(P, additive ? -h : std::exp(-h), additive ? -h : std::exp(-h), &r->left_count, 0))) {
    return false;
  }
  r->side = 2;
  if (failed(side(P, additive ? h : std::exp(h), additive ? h : std::exp(h), &r->right_count, 0))) {
    return false;
  }
  zvscl11(q->estimate, q->sum, n, r->mode == 3 ? h * r->width : h);
  return true;
}

int finish(zhrdy_rec* r, std::int32_t code) {
  r->error = code;
  return code;
}
}  // namespace

int zhrdyv(zhrdyv_req* q) {
  if (q->integrand == nullptr) return ZHV_NO_INTEGRAND;
  zhrdy_rec* r = q->rec;
  Pass P{q, r, q->n, 0.0};
  const double eps = r->accuracy;
  double tolr = std::sqrt(eps);
  if (r->option_word == ZHV_TIGHT_OPTION) tolr = std::sqrt(eps) * std::sqrt(std::sqrt(eps));
  r->accuracy3 = ZHV_THIRD * eps;
  r->left_count = ZHV_FIRST_LIMIT;
  r->right_count = ZHV_FIRST_LIMIT;
  r->error = 0;
  if (r->log_mode != 0) {
    r->log_radix = std::log(r->radix);
    r->inv_log_radix = 1.0 / r->log_radix;
  }
  r->half_step = r->initial_step;
  r->abscissa = 1.0;
  q->first_pass = 1;
  const int n = q->n;
  q->estimate = q->work;
  q->sum = q->work + n;
  q->raw = q->work + 2 * n;
  q->cur = q->work + 3 * n;
  q->prev1 = q->work + 4 * n;
  q->prev2 = q->work + 5 * n;

  if (!first_pass(P)) return finish(r, ZHV_FIRST_PASS);
  q->first_pass = 0;
  long long nl = r->left_count, nr = r->right_count;
  long long total_l = nl, total_r = nr;
  r->half_step = r->step * 0.5;
  r->level = 0;
  const bool additive = r->mode == 1;
  for (;;) {
    if (r->level + 1 > r->level_limit) return finish(r, ZHV_LEVELS);
    r->level += 1;
    for (int i = 0; i < n; ++i) q->sum[i] = 0.0;
    const double h = r->step;
    r->side = 1;
    if (failed(side(P, additive ? -h : std::exp(-h), additive ? -h / 2.0 : std::exp(-h / 2.0), nullptr,
                    nl + 1))) {
      return finish(r, ZHV_LEFT);
    }
    r->side = 2;
    if (failed(side(P, additive ? h : std::exp(h), additive ? h / 2.0 : std::exp(h / 2.0), nullptr,
                    nr + 1))) {
      return finish(r, ZHV_RIGHT);
    }
    zvscl11(q->sum, q->sum, n, r->mode == 3 ? h * r->width : h);
    for (int i = 0; i < n; ++i) q->estimate[i] = (q->estimate[i] + q->sum[i]) * 0.5;
    r->step = r->half_step;
    r->half_step *= 0.5;
    nl *= 2;
    nr *= 2;
    total_l += nl;
    total_r += nr;
    r->left_count = total_l > ZHV_POINT_LIMIT ? ZHV_POINT_LIMIT + 1 : static_cast<std::int32_t>(total_l);
    r->right_count = total_r > ZHV_POINT_LIMIT ? ZHV_POINT_LIMIT + 1 : static_cast<std::int32_t>(total_r);
    if (total_l > ZHV_POINT_LIMIT || total_r > ZHV_POINT_LIMIT) return finish(r, ZHV_POINTS);
    // d = sum - estimate is the new estimate minus the old one.
    double dmax = 0.0;
    bool nan = false;
    for (int i = 0; i < n; ++i) {
      const double d = std::fabs(q->sum[i] - q->estimate[i]);
      if (std::isnan(d)) nan = true;
      if (d > dmax) dmax = d;
    }
    double err = dmax;
    if (r->test_kind != 0) err = dmax / zvamx(q->estimate, n);
    if (nan || std::isnan(err)) return finish(r, ZHV_LEVELS);
    r->rel_change = err;
    if (err < tolr) return 0;
  }
}
