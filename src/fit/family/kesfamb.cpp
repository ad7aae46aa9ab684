// The beta family: estimate, distribution function and standardized quantile, and its
// law (the curve height and the fit live in kesfamb_fit.cpp, the report members in
// fitreport/kesfitb.cpp).
#include <cmath>

#include "fit/kes_cellnote.h"
#include "fit/kes_estframe.h"
#include "fit/family/kes_families.h"
#include "host/host_services.h"
#include "kes_gram_names.h"
#include "kes_msg_names.h"
#include "numeric/zibeta.h"
#include "numeric/zqunf.h"
#include "records/kes_ctx.h"
#include "records/kes_curve.h"
#include "records/kes_preq.h"
#include "records/kes_varsum.h"

namespace {
// Once-per-curve note byte of the default scale (the threshold's is byte 0).
constexpr int kNotedSigma = 1;

// The standardized p-quantile of shapes a and b through an F point; false when that
// point fails. Below the median the point of 1/F (shapes swapped) at upper-tail p:
// 1 - p would lose the low tail's digits (8e-8 relative at p = 1e-10).
bool quantile(double a, double b, double p, double* out) {
  if (p < 0.5) {
    const double g = zqunf(p, 2.0 * b, 2.0 * a);
    if (g < 0.0) return false;
    *out = a / (a + b * g);
    return true;
  }
  const double f = zqunf(1.0 - p, 2.0 * a, 2.0 * b);
  if (f < 0.0) return false;
  *out = a * f / (a * f + b);
  return true;
}
}  // namespace

int kesbest(kes_ctx* ctx, kes_preq* request, kes_cell* cell, double low, double high, int ia, int ib,
            double* height) {
  kes_estframe f;
  if (!kes_est_begin(ctx, request, cell, ZFIT_BETA, low, high, height, &f)) return 1;
  const kes_stmt* s = request->stmt;
  kes_curve* c = f.curve;
  const int k = c->family_index;
  double* p = f.req.params;
  const kes_name32& var = ctx->varnames[ctx->curvar];
  bool listed = false;
  p[0] = kes_param_entry(s, KES_PLOT_SLOT_BETA_THETA, KES_PLOT_SLOT_BETA_THETA_MARKS, k, &listed);
  kes_theta_default(ctx, request, c, &p[0], listed, KES_MSG_BETA_THETA_NOT_GIVEN);
  if (kes_theta_refused(ctx, request, cell, KES_DIST_BETA, p[0], f.vs->min, KES_MSG_BETA_THETA_NOT_BELOW_MIN,
                        KES_MSG_SMALLEST_VALUE_BETA, true))
    return 1;
  p[1] = kes_param_entry(s, KES_PLOT_SLOT_BETA_SIGMA, KES_PLOT_SLOT_BETA_SIGMA_MARKS, k, &listed);
  if (!listed) {
    p[1] = 1.0;
    if (kes_first_curve_note(ctx, request, c, kNotedSigma)) {
      kes_place_note(ctx, request);
      xpmlog(KES_SET_PLOT, KES_MSG_BETA_SIGMA_NOT_GIVEN, int(var.len), var.text);
    }
  }
  if (!std::isnan(p[1])) {
    if (!std::isnan(p[0]) && p[0] + p[1] <= f.vs->max) {
      xpmlog(KES_SET_PLOT, KES_MSG_BETA_THETA_SIGMA_NOT_ABOVE_MAX, int(var.len), var.text);
      xpmlog(KES_SET_PLOT, KES_MSG_BETA_SIGMA_TOO_SMALL, f.vs->max - p[0]);
      return 1;
    }
    const double range = f.vs->max - f.vs->min;
    if (std::isnan(p[0]) && p[1] <= range) {
      xpmlog(KES_SET_PLOT, KES_MSG_BETA_SIGMA_TOO_SMALL, range);
      return 1;
    }
  }
  p[2] = kes_param_entry(s, KES_PLOT_SLOT_BETA_ALPHA, KES_PLOT_SLOT_BETA_ALPHA_MARKS, ia, nullptr);
  p[3] = kes_param_entry(s, KES_PLOT_SLOT_BETA_BETA, KES_PLOT_SLOT_BETA_BETA_MARKS, ib, nullptr);
  f.req.tol = kes_stmt_number(s, KES_PLOT_SLOT_BETA_TOL);
  f.req.maxiter = kes_stmt_number(s, KES_PLOT_SLOT_BETA_MAXITER);
  for (int j = 0; j < 4; ++j) c->estimated[j] = std::isnan(p[j]) ? 1 : 0;
  return kes_est_finish(&f, height);
}

// 0 at or below the threshold and 1 at or above the upper end, so that points and bins
// reaching past the support keep their values: the incomplete beta refuses them.  The
// ends are judged by the distance x - theta (the same for the data moved by any c) and
// without a margin: a small shape puts mass within any margin of an end.
double kesbcdf(const double* params, double x) {
  const double d = x - params[0];
  if (!(d > 0.0)) return 0.0;
  if (!(d < params[1])) return 1.0;
  double p = 0.0, dens = 0.0;
  if (zibeta(d / params[1], params[2], params[3], &p, &dens) != 0) return kes_fit_missing();
  return p;
}

namespace {
int law_quantile(const double* params, double p, double* out) {
  double y;
  if (!quantile(params[2], params[3], p, &y)) return 1;
  *out = params[0] + params[1] * y;
  return 0;
}
}  // namespace

// Threshold theta, scale sigma (the support's width), shapes alpha and beta.
const kes_law kes_law_beta = {.code = KES_DIST_BETA,
                              .nparams = 4,
                              .from_zero = true,
                              .to_one = true,
                              .fit_from_threshold = true,
                              .constant_unscaled = true,
                              .cdf = kesbcdf,
                              .quantile = law_quantile,
                              .density = kesbplt};
