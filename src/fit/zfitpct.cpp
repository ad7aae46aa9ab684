// The percentile quantities of the fits from four sample quantiles (lognormal, Johnson
// SB and SU): the quantiles at the normal points -3z, -z, z, 3z and the notes on them.
#include <cmath>

#include "fit/zfit_fams.h"
#include "fit/zfit_unit.h"
#include "host/host_services.h"
#include "kes_msg_names.h"
#include "numeric/zmissing.h"
#include "numeric/zprbnrm.h"
#include "records/kes_values.h"

namespace {
// The value at 0-based position k of the ascending values with their counts.
double order_stat(const kes_valview* v, int k) {
  double seen = 0.0;
  kes_valiter it(v);
  double x;
  int f;
  while (it.next(&x, &f)) {
    seen += f;
    if (k < seen || it.i == v->m) return x;
  }
  return zmissing();
}
}  // namespace

double zfit_quantile(const zfit_work* w, double p) {
  int lo, hi;
  const double g = calcfrac(w, w->req->n, p, &lo, &hi);
  return (1.0 - g) * order_stat(w->values, lo) + g * order_stat(w->values, hi);
}

zfit_spreads zfit_pctl_spreads(const zfit_work* w, bool notes) {
  const zfit_req* r = w->req;
  zfit_spreads s{};
  s.z = std::isnan(r->pctl_z) ? 0.524 : r->pctl_z;
  s.tol = std::isnan(r->second) ? 0.01 : r->second;
  double pr[4];
  const double pts[4] = {-3.0 * s.z, -s.z, s.z, 3.0 * s.z};
  for (int i = 0; i < 4; ++i) {
    pr[i] = zprbnrm(pts[i]);
    s.q[i] = zfit_quantile(w, pr[i]);
  }
  s.m = s.q[3] - s.q[2];
  s.n = s.q[1] - s.q[0];
  s.p = s.q[2] - s.q[1];
  if (notes) {
    xpmlog(KES_SET_PLOT, KES_MSG_PERCENTILES_USED, 100 * pr[0], 100 * pr[1], 100 * pr[2], 100 * pr[3]);
    double q[4];
    for (int i = 0; i < 4; ++i) q[i] = zfit_in_data_units(w, s.q[i]);
    xpmlog(KES_SET_PLOT, KES_MSG_PERCENTILES_AND_VALUES, 100 * pr[0], q[0], 100 * pr[1], q[1], 100 * pr[2], q[2],
           100 * pr[3], q[3]);
    xpmlog(KES_SET_PLOT, KES_MSG_PERCENTILE_SPREADS, zfit_in_data_units(w, s.m), zfit_in_data_units(w, s.n),
           zfit_in_data_units(w, s.p));
  }
  // A middle spread within rounding error of the percentiles themselves holds no
  // information on the law's shape.
  if (!(std::fabs(s.p) > 1000.0 * ZEPS53 * std::fmax(std::fabs(s.q[1]), std::fabs(s.q[2])))) {
    if (notes) xpmlog(KES_SET_PLOT, KES_MSG_MIDDLE_SPREAD_PERCENTILES_ZERO);
    return s;
  }
  s.ok = true;
  s.ratio = s.m * s.n / (s.p * s.p);
  if (notes) {
    xpmlog(KES_SET_PLOT,
           s.ratio > 1.0 + s.tol   ? KES_MSG_SU_RATIO_POINTS_UNBOUNDED
           : s.ratio < 1.0 - s.tol ? KES_MSG_SU_RATIO_POINTS_BOUNDED
                                   : KES_MSG_SU_RATIO_POINTS_LOGNORMAL,
           s.ratio);
    xpmlog(KES_SET_PLOT, KES_MSG_RATIO_TOLERANCE, s.tol);
  }
  return s;
}
