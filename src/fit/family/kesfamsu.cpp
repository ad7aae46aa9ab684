// The Johnson SU family: estimate, percent distribution function, curve height,
// quantiles and the fitted law's moments (report members in fitreport/kesfitsu.cpp).
#include <cmath>

#include "fit/kes_estframe.h"
#include "fit/family/kes_johnson.h"
#include "host/host_services.h"
#include "kes_gram_names.h"
#include "kes_msg_names.h"
#include "numeric/zprbnrm.h"
#include "numeric/zprobit.h"
#include "records/kes_ctx.h"
#include "records/kes_curve.h"

// asinh is the library's throughout: log(t + sqrt(t^2 + 1)) loses every digit for
// t far below 0.
namespace {

// A moment that overflowed is stored missing, never as inf or NaN.
double finite_or_missing(double v) { return std::isfinite(v) ? v : kes_fit_missing(); }
}  // namespace

int kesuest(kes_ctx* ctx, kes_preq* request, kes_cell* cell, double low, double high, int i, int j,
            double* height) {
  kes_estframe f;
  if (!kes_est_begin(ctx, request, cell, ZFIT_SU, low, high, height, &f)) return 1;
  const kes_stmt* s = request->stmt;
  kes_curve* c = f.curve;
  const int k = c->family_index;
  double* p = f.req.params;
  kes_johnson_controls(s, KES_PLOT_SLOT_SU_FITINTERVAL, KES_PLOT_SLOT_SU_FITTOL, KES_PLOT_SLOT_SU_FITMETHOD, &f.req);
  p[0] = kes_param_entry(s, KES_PLOT_SLOT_SU_THETA, KES_PLOT_SLOT_SU_THETA_MARKS, k, nullptr);
  p[1] = kes_param_entry(s, KES_PLOT_SLOT_SU_SIGMA, KES_PLOT_SLOT_SU_SIGMA_MARKS, k, nullptr);
  p[2] = kes_param_entry(s, KES_PLOT_SLOT_SU_DELTA, KES_PLOT_SLOT_SU_DELTA_MARKS, i, nullptr);
  p[3] = kes_param_entry(s, KES_PLOT_SLOT_SU_GAMMA, KES_PLOT_SLOT_SU_GAMMA_MARKS, j, nullptr);
  if (!std::isnan(p[2]) && p[2] <= 0.0) {
    xpmlog(KES_SET_PLOT, KES_MSG_SU_DELTA_NOT_POSITIVE, p[2]);
    xpmlog(KES_SET_PLOT, KES_MSG_SU_NOT_FITTED);
    return 1;
  }
  for (int n = 0; n < 4; ++n) c->estimated[n] = std::isnan(p[n]) ? 1 : 0;
  if (kes_est_finish(&f, height) != 0) return 1;
  kes_johnson_peak(c, &f.req);
  // A small delta makes omega = exp(1/delta^2) (and omega^4) overflow.
  const double theta = c->params[0], sigma = c->params[1], delta = c->params[2];
  const zsu_moments m = zsu_moms(std::exp(1.0 / (delta * delta)), c->params[3] / delta);
  kes_edfres& e = c->edf;
  e.mean = finite_or_missing(theta + sigma * m.mean);
  e.std = finite_or_missing(sigma * std::sqrt(m.var));
  e.skewness = finite_or_missing(m.skew);
  e.kurtosis = finite_or_missing(m.kurt);
  return 0;
}

// asinh, not log(t + sqrt(t^2 + 1)), which cancels in the low tail.
double kesucdf(const double* params, double x) {
  return zprbnrm(params[3] + params[2] * std::asinh((x - params[0]) / params[1]));
}

namespace {
// A small delta makes the sinh overflow: the callers find no finite quantile there.
int quantile(const double* params, double p, double* out) {
  *out = params[0] + params[1] * std::sinh((zprobit(p) - params[3]) / params[2]);
  return 0;
}
}  // namespace

// Location theta, scale sigma, shapes delta and gamma.
const kes_law kes_law_su = {.code = KES_DIST_SU,
                            .nparams = 4,
                            .fit_location_from_min = true,
                            .cdf = kesucdf,
                            .quantile = quantile,
                            .density = kesuplt};
