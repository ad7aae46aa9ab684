// What the Johnson SB and SU families share: the fit controls of the statement, the
// peak fields of the curve, and the closed-form likelihood and moment fits.
#include <cmath>

#include "fit/kes_estframe.h"
#include "fit/kes_families.h"
#include "fit/kes_johnson.h"
#include "fit/zfit_fams.h"
#include "host/host_services.h"
#include "host/kes_stmt.h"
#include "kes_msg_names.h"
#include "numeric/zmissing.h"
#include "records/kes_curve.h"
#include "records/stmt_slots.h"

namespace {
// FITINTERVAL= and FITTOL= count as given by their slot's second byte.
double second_given(const kes_stmt* s, int slot) {
  return kes_pgiven2(s, slot) ? kes_pnumber(s, slot) : kes_fit_missing();
}
}  // namespace

void kes_johnson_controls(const kes_stmt* s, int z_slot, int tol_slot, int method_slot, zfit_req* r) {
  const double z = second_given(s, z_slot), tol = second_given(s, tol_slot);
  // No statement option sets these: the fits use their own.
  r->tol = r->maxiter = kes_fit_missing();
  r->pctl_z = std::isnan(z) ? 0.524 : z;
  r->second = std::isnan(tol) ? 0.01 : tol;
  const double m = kes_stmt_number(s, method_slot);
  const int code = std::isnan(m) || std::fabs(m) > 1e9 ? 0 : static_cast<int>(std::trunc(m));
  if (code == 4) xpmlog(KES_SET_PLOT, KES_MSG_FIT_METHOD_NOT_AVAILABLE);
  r->method = code == 1 ? 0 : code == 3 ? 2 : 1;
}

void kes_johnson_peak(kes_curve* c, const zfit_req* r) {
  c->mode = r->mode_x;
  c->peak_copy = r->mode_x;
  c->height = r->height;
  c->mode2 = r->mode2;
  c->height2 = r->height2;
}

int zjs_shapes(zfit_work* w, double (*h)(double)) {
  const double theta = w->params[0], sigma = w->params[1], nn = w->req->n;
  double s1 = 0.0, s2 = 0.0;
  zfit_each(w, [&](double x, double f) {
    const double u = h((x - theta) / sigma);
    s1 += f * u;
    s2 += f * u * u;
  });
  const double mean = s1 / nn, var = s2 / nn - mean * mean;
  const double tiny = 1000.0 * ZEPS53;
  if (!(var > tiny * tiny * std::fmax(1.0, mean * mean))) return 1;
  w->params[2] = 1.0 / std::sqrt(var);
  w->params[3] = -w->params[2] * mean;
  return 0;
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
