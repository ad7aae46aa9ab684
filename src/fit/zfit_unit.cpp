// The unit a fit works in: the values divided by the power of two of their largest
// magnitude, so that the fits see values of magnitude 1 to 2 whatever their unit.
// Dividing by a power of two is exact: a sample times 2^k reaches the fit routines as
// the same numbers, and fits to the same parameters times 2^k; every test a fit makes
// against a fixed small number (no spread, a bound, a tolerance) is relative to the
// data's magnitude.
#include "fit/zfit_unit.h"

#include <cmath>
#include <initializer_list>

#include "fit/zfit.h"
#include "host/host_services.h"
#include "host/step_codes.h"
#include "numeric/zmissing.h"
#include "records/kes_valview.h"
#include "records/pool_alloc.h"

namespace {
// A value in the unit 2^e: sentinels (the largest double, infinities, missing) are
// left as they are.
double into(double v, int e) { return std::isfinite(v) && std::fabs(v) != ZDBL_BIG ? std::ldexp(v, -e) : v; }

// Whether the second parameter is a scale (a lognormal's is the log of one).
bool log_scale(int family) { return family == ZFIT_LOGNORMAL; }

double scale_into(int family, double v, int e) {
  return log_scale(family) ? (std::isnan(v) ? v : v - e * std::log(2.0)) : into(v, e);
}
// Back to the data's unit; a missing result stays as it is.
double back(double v, int e) { return std::isnan(v) ? v : std::ldexp(v, e); }
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
  w->unit_exp = 0;
  const int e = zfit_unit_exponent(r);
  if (e == 0) return 0;
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
    for (int i = 0; i < v->m; ++i) x[i] = std::ldexp(v->x[i], -e);
    u->view.x = x;
    if (r->values != nullptr) u->req.values = &u->view;
    w->values = &u->view;
  }
  for (double* f : {&u->req.min, &u->req.max, &u->req.mean, &u->req.std, &u->req.low, &u->req.high, &u->req.width})
    *f = into(*f, e);
  u->req.params[0] = into(r->params[0], e);
  u->req.params[1] = scale_into(r->family, r->params[1], e);
  w->params[0] = u->req.params[0];
  w->params[1] = u->req.params[1];
  w->req = &u->req;
  w->data_range = u->req.max - u->req.min;
  u->e = w->unit_exp = e;
  return 0;
}

void zfit_unit_leave(zfit_work* w, zfit_unit_frame* u, zfit_req* caller) {
  if (u->e == 0) return;
  const int e = u->e;
  w->params[0] = back(w->params[0], e);
  w->params[1] = scale_back(caller->family, w->params[1], e);
  caller->mode_x = back(u->req.mode_x, e);
  caller->mode2 = back(u->req.mode2, e);
  // Heights are counts (or their shares) per bin: the bin width went into the unit
  // with the values.
  caller->height = u->req.height;
  caller->height2 = u->req.height2;
  // The streamed mode's curve points: abscissas back to the data's unit.
  if (u->req.points != caller->points) {
    caller->points = u->req.points;
    caller->npoints = u->req.npoints;
    for (long i = 0; i < static_cast<long>(caller->npoints); ++i)
      caller->points[2 * i] = back(caller->points[2 * i], e);
  }
  w->req = caller;
}

double zfit_in_data_units(const zfit_work* w, double v) { return std::ldexp(v, w->unit_exp); }
