// The unit a fit works in: the values divided by the power of two of their largest
// magnitude, so that the fits see values of magnitude 1 to 2 whatever their unit.
// Dividing by a power of two is exact: a sample times 2^k reaches the fit routines as
// the same numbers, and fits to the same parameters times 2^k; every test a fit makes
// against a fixed small number (no spread, a bound, a tolerance) is relative to the
// data's magnitude.
#include "fit/zfit_unit.h"

#include <cmath>
#include <initializer_list>

#include "fit/family/kes_law.h"
#include "fit/zfit.h"
#include "host/host_services.h"
#include "host/step_codes.h"
#include "numeric/zmissing.h"
#include "records/kes_valview.h"
#include "records/pool_alloc.h"

namespace {
// The exponential fit is closed-form in the mean distance from its threshold: it takes
// that mean from the values relative to the smallest value, or to a given threshold
// (0 too, and lowered to the smallest value as the fit lowers it), so that the value
// list and the streamed observations (read into the same ascending values) give the
// same bits, and data moved by c give the same distances.
double exponential_origin(const zfit_work* w) {
  const zfit_req* r = w->req;
  if (w->values == nullptr || w->values->m < 1 || !(r->max >= r->min)) return NAN;
  const double x0 = w->estimate[0] ? r->min : std::fmin(r->params[0], r->min);
  return std::isfinite(x0) && std::isfinite(r->max - x0) && r->max - x0 > 0.0 ? x0 : NAN;
}

// The origin a fit works relative to, or NaN for none. A maximum-likelihood fit of a
// threshold (or of the beta law's upper end) from the values works relative to its
// smallest value: the likelihood then depends on the values only through their
// distances from the data, and x - min is exact for every x within a factor 2 of min,
// so that data moved by an offset larger than their range reach the fit as the same
// numbers; so does a maximum-likelihood fit of a location (Johnson SU's), whose
// likelihood likewise depends only on the distances x - theta. A fit with a given
// threshold (other than 0, the origin already) works relative to it, the same for the
// data and the threshold moved together.
double relative_origin(const zfit_work* w) {
  const zfit_req* r = w->req;
  const int f = r->family;
  if (f == ZFIT_EXPONENTIAL) return exponential_origin(w);
  const kes_law* law = kes_law_of(f);
  if (law == nullptr || !(law->fit_from_threshold || law->fit_location_from_min) || w->values == nullptr ||
      w->values->m < 1 || !(r->max >= r->min))
    return NAN;
  const bool end_est = w->estimate[0] || (law->to_one && w->estimate[1]);
  if (end_est)
    return r->method == 0 && w->values->m > 1 && r->max > r->min && std::isfinite(r->max - r->min) ? r->min : NAN;
  if (!law->fit_from_threshold) return NAN;
  const double theta = r->params[0];
  const bool given = std::isfinite(theta) && theta != 0.0 && theta <= r->min && std::isfinite(r->max - theta) &&
                     r->max - theta > 0.0;
  return given ? theta : NAN;
}

// The mean, standard deviation and skewness of the values in the fit's coordinates,
// so that the starts made from them are those of every placement of the data.
void relative_moments(const kes_valview* v, zfit_req* q) {
  const double n = q->n;
  double s = 0.0;
  for (int i = 0; i < v->m; ++i) s += v->f[i] * v->x[i];
  const double mean = s / n;
  double m2 = 0.0, m3 = 0.0;
  for (int i = 0; i < v->m; ++i) {
    const double d = v->x[i] - mean;
    m2 += v->f[i] * d * d;
    m3 += v->f[i] * d * d * d;
  }
  q->mean = mean;
  q->std = n > 1.0 ? std::sqrt(m2 / (n - 1.0)) : 0.0;
  if (!std::isnan(q->skew) && n > 2.0 && q->std > 0.0)
    q->skew = n / ((n - 1.0) * (n - 2.0)) * m3 / (q->std * q->std * q->std);
}

// A value in the unit 2^e: sentinels (the largest double, infinities, missing) are
// left as they are.
double into(double v, int e) { return std::isfinite(v) && std::fabs(v) != ZDBL_BIG ? std::ldexp(v, -e) : v; }

// Whether the second parameter is a scale (a lognormal's is the log of one).
bool log_scale(int family) {
  const kes_law* law = kes_law_of(family);
  return law != nullptr && law->log_scale;
}

double scale_into(int family, double v, int e) {
  return log_scale(family) ? (std::isnan(v) ? v : v - e * std::log(2.0)) : into(v, e);
}
// A position relative to the origin x0 in the unit 2^e (sentinels as they are).
double position_into(double v, double x0, int e) {
  return x0 == 0.0 || !std::isfinite(v) || std::fabs(v) == ZDBL_BIG ? into(v, e) : std::ldexp(v - x0, -e);
}
// Back to the data's unit; a missing result stays as it is.
double back(double v, int e) { return std::isnan(v) ? v : std::ldexp(v, e); }
double position_back(double v, double x0, int e) { return x0 == 0.0 ? back(v, e) : x0 + back(v, e); }
double scale_back(int family, double v, int e) {
  return std::isnan(v) ? v : log_scale(family) ? v + e * std::log(2.0) : std::ldexp(v, e);
}
}  // namespace

int zfit_unit_exponent(const zfit_req* r) {
  const double m = std::fmax(std::fabs(r->min), std::fabs(r->max));
  return std::isfinite(m) && m > 0.0 ? std::ilogb(m) : 0;
}

int zfit_unit_enter(zfit_work* w, zfit_unit_frame* u) {
  const zfit_req* r = w->req;
  u->e = 0;
  u->origin = 0.0;
  w->unit_exp = 0;
  w->unit_origin = 0.0;
  const double origin = relative_origin(w);
  const bool relative = !std::isnan(origin);
  // Relative fits work in the unit of the range (with a given threshold, of the
  // largest distance from it): starts, bounds and tolerances in units of the range are
  // then the same numbers whatever the data's unit and placement.
  const int e = relative ? std::ilogb(r->max - origin) : zfit_unit_exponent(r);
  if (e == 0 && !relative) return 0;
  const double x0 = relative ? origin : 0.0;
  const kes_valview* v = w->values;
  u->req = *r;
  if (v != nullptr) {
    u->view = *v;
    const long size = 8L * (v->m > 0 ? v->m : 1);
    double* x = static_cast<double*>(vmalcp_handler(r->pool, size, KES_ALLOC));
    if (x == nullptr) {
      xmemmsg(size);
      return KES_RC_OUT_OF_MEMORY;
    }
    for (int i = 0; i < v->m; ++i) x[i] = std::ldexp(v->x[i] - x0, -e);
    u->view.x = x;
    if (r->values != nullptr) u->req.values = &u->view;
    w->values = &u->view;
  }
  for (double* f : {&u->req.min, &u->req.max, &u->req.mean, &u->req.low, &u->req.high})
    *f = position_into(*f, x0, e);
  for (double* f : {&u->req.std, &u->req.width}) *f = into(*f, e);
  if (relative) relative_moments(w->values, &u->req);
  u->req.params[0] = position_into(r->params[0], x0, e);
  u->req.params[1] = scale_into(r->family, r->params[1], e);
  w->params[0] = u->req.params[0];
  w->params[1] = u->req.params[1];
  w->req = &u->req;
  w->data_range = u->req.max - u->req.min;
  u->e = w->unit_exp = e;
  u->origin = w->unit_origin = x0;
  u->on = true;
  return 0;
}

void zfit_unit_leave(zfit_work* w, zfit_unit_frame* u, zfit_req* caller) {
  for (int i = 0; i < 4; ++i) caller->fit_params[i] = w->params[i];
  caller->fit_origin = u->on ? u->origin : 0.0;
  caller->fit_unit = u->on ? u->e : 0;
  caller->fit_zeta[0] = w->zeta_split ? w->zeta_at : NAN;
  caller->fit_zeta[1] = w->zeta_split ? w->zeta_dz : NAN;
  if (!u->on) return;
  const int e = u->e;
  const double x0 = u->origin;
  w->params[0] = position_back(w->params[0], x0, e);
  w->params[1] = scale_back(caller->family, w->params[1], e);
  caller->mode_x = position_back(u->req.mode_x, x0, e);
  caller->mode2 = position_back(u->req.mode2, x0, e);
  // Heights are counts (or their shares) per bin: the bin width went into the unit
  // with the values.
  caller->height = u->req.height;
  caller->height2 = u->req.height2;
  // The streamed mode's curve points: abscissas back to the data's unit.
  if (u->req.points != caller->points) {
    caller->points = u->req.points;
    caller->npoints = u->req.npoints;
    for (long i = 0; i < static_cast<long>(caller->npoints); ++i)
      caller->points[2 * i] = position_back(caller->points[2 * i], x0, e);
  }
  w->req = caller;
}

double zfit_in_data_units(const zfit_work* w, double v) { return std::ldexp(v, w->unit_exp); }
