// What the engine's Johnson SB and SU fits share: which parameter sets they serve, the
// shapes from the transformed values, and the moment fit by a solver.
#include "fit/zfit_johnson.h"

#include <cmath>

#include "fit/zfit_fams.h"
#include "host/host_services.h"
#include "kes_msg_names.h"
#include "numeric/zmissing.h"

bool zjs_shapes_at(const zfit_work* w, double (*h)(double), double theta, double sigma, double* delta,
                   double* gamma) {
  const double nn = w->req->n;
  double s1 = 0.0, s2 = 0.0;
  kes_each_value(w->values, [&](double x, double f) {
    const double u = h((x - theta) / sigma);
    s1 += f * u;
    s2 += f * u * u;
  });
  const double mean = s1 / nn, var = s2 / nn - mean * mean;
  const double tiny = 1000.0 * ZEPS53;
  if (!(var > tiny * tiny * std::fmax(1.0, mean * mean))) return false;
  *delta = 1.0 / std::sqrt(var);
  *gamma = -*delta * mean;
  return true;
}

int zjs_shapes(zfit_work* w, double (*h)(double)) {
  return zjs_shapes_at(w, h, w->params[0], w->params[1], &w->params[2], &w->params[3]) ? 0 : 1;
}

int zjs_moments(zfit_work* w, int announce, int bad, zjs_solver solver) {
  const zfit_req* r = w->req;
  xpmlog(KES_SET_PLOT, announce);
  const double beta2 = r->kurt + 3.0;
  if (std::isnan(r->skew) || std::isnan(r->kurt) || beta2 < ZEPS53 || (w->estimate[1] && !(r->std >= ZEPS53)) ||
      (w->estimate[0] && std::isnan(r->mean))) {
    xpmlog(KES_SET_PLOT, bad);
    return 1;
  }
  double m = 0.0, v = 0.0;
  if (solver(&w->params[3], &w->params[2], r->skew, beta2, &m, &v) != 0) {
    xpmlog(KES_SET_PLOT, KES_MSG_NO_JOHNSON_LAW_FAMILY);
    return 1;
  }
  if (w->estimate[1]) w->params[1] = r->std / std::sqrt(v);
  if (w->estimate[0]) w->params[0] = r->mean - w->params[1] * m;
  return 0;
}

bool zjs_estimable(zfit_work* w) {
  const int* e = w->estimate;
  if (!e[0] && !e[1] && !e[2] && !e[3]) {
    w->req->method = 5;
    return true;
  }
  if (e[2] && e[3] && (!e[0] || e[1])) return true;
  xpmlog(KES_SET_PLOT, KES_MSG_JOHNSON_ESTIMATES_INCOMPLETE);
  return false;
}
