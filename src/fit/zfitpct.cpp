// The percentile quantities of the fits from four sample quantiles (lognormal, Johnson
// SB and SU): the quantiles at the normal points -3z, -z, z, 3z and the notes on them.
#include "driver/kes_valnode.h"
#include "fit/zfit_fams.h"
#include "host/host_services.h"
#include "numeric/zmissing.h"
#include "numeric/zprbnrm.h"

namespace {
// The value at 0-based position k of the ascending list with its counts.
double order_stat(const kes_valnode* v, int k) {
  double seen = 0.0;
  for (; v != nullptr; v = v->next) {
    seen += v->count;
    if (k < seen || v->next == nullptr) return v->key.value;
  }
  return zmissing();
}
}  // namespace

double zfit_quantile(const zfit_work* w, double p) {
  int lo, hi;
  const double g = calcfrac(w, w->req->n, p, &lo, &hi);
  return (1.0 - g) * order_stat(w->values, lo) + g * order_stat(w->values, hi);
}

void zfit_pctl4(const zfit_work* w, double z, bool notes, double q[4]) {
  double pr[4];
  const double pts[4] = {-3.0 * z, -z, z, 3.0 * z};
  for (int i = 0; i < 4; ++i) {
    pr[i] = zprbnrm(pts[i]);
    q[i] = zfit_quantile(w, pr[i]);
  }
  if (!notes) return;
  xpmlog(308, 1331, 100 * pr[0], 100 * pr[1], 100 * pr[2], 100 * pr[3]);
  xpmlog(308, 1335, 100 * pr[0], q[0], 100 * pr[1], q[1], 100 * pr[2], q[2], 100 * pr[3], q[3]);
  xpmlog(308, 1334, q[3] - q[2], q[1] - q[0], q[2] - q[1]);
}

void zfit_ratio_note(double ratio, double tol) {
  xpmlog(308, ratio > 1.0 + tol ? 1306 : ratio < 1.0 - tol ? 1457 : 1458, ratio);
  xpmlog(308, 1332, tol);
}
