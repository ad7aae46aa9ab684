// The gamma family: estimate, distribution function and its tails, curve height and
// standardized quantile, and its law (report members in fitreport/kesfitg.cpp).
#include <cmath>

#include "fit/kes_estframe.h"
#include "fit/family/kes_families.h"
#include "kes_gram_names.h"
#include "kes_msg_names.h"
#include "numeric/zigamma.h"
#include "numeric/zmissing.h"
#include "numeric/zqc.h"
#include "numeric/zsupport.h"
#include "records/kes_ctx.h"
#include "records/kes_curve.h"
#include "records/kes_varsum.h"

int kesgest(kes_ctx* ctx, kes_preq* request, kes_cell* cell, double low, double high, int index, double* height) {
  kes_estframe f;
  if (!kes_est_begin(ctx, request, cell, ZFIT_GAMMA, low, high, height, &f)) return 1;
  const kes_stmt* s = request->stmt;
  kes_curve* c = f.curve;
  const int k = c->family_index;
  double* p = f.req.params;
  bool listed = false;
  p[0] = kes_param_entry(s, KES_PLOT_SLOT_GAMMA_THETA, KES_PLOT_SLOT_GAMMA_THETA_MARKS, k, &listed);
  kes_theta_default(ctx, request, c, &p[0], listed, KES_MSG_GAMMA_THETA_NOT_GIVEN);
  if (kes_theta_refused(ctx, request, cell, KES_DIST_GAMMA, p[0], f.vs->min, KES_MSG_GAMMA_THETA_NOT_BELOW_MIN,
                        KES_MSG_SMALLEST_VALUE_GAMMA, false))
    return 1;
  p[1] = kes_param_entry(s, KES_PLOT_SLOT_GAMMA_SIGMA, KES_PLOT_SLOT_GAMMA_SIGMA_MARKS, k, nullptr);
  p[2] = kes_param_entry(s, KES_PLOT_SLOT_GAMMA_ALPHA, KES_PLOT_SLOT_GAMMA_ALPHA_MARKS, index, nullptr);
  if (p[1] == 0.0) return 1;
  f.req.init_shape = kes_stmt_number(s, KES_PLOT_SLOT_GAMMA_ALPHAINITIAL);
  f.req.tol = kes_stmt_number(s, KES_PLOT_SLOT_GAMMA_ALPHADELTA);
  f.req.maxiter = kes_stmt_number(s, KES_PLOT_SLOT_GAMMA_MAXITER);
  return kes_est_finish_shape(&f, request, height);
}

// A small shape puts much of the mass within 1e-7 of the threshold: the support starts
// just past it.
double kesgcdf(const double* params, double x) {
  if (!(x > params[0])) return 0.0;
  double p = 0.0, q = 0.0;
  return zigamma((x - params[0]) / params[1], params[2], &p, &q) == 0 ? p : kes_fit_missing();
}

double kesgplt(double x, double c, const double* params) {
  const double theta = params[0];
  if (zbelow_support(x, theta, params[1])) return 0.0;
  const double z = (x - theta) / params[1];
  const double e = (params[2] - 1.0) * std::log(z) + c - z;
  return e <= ZEXP_UNDER ? 0.0 : std::exp(e);
}

namespace {
int quantile(const double* params, double p, double* out) {
  double q;
  if (zqc(p, 2.0 * params[2], &q) != 0) return 1;
  *out = params[0] + params[1] * q / 2.0;
  return 0;
}

kes_pit tails(const double* p, double x) {
  double z = 0.0, q = 0.0;
  if (zigamma((x - p[0]) / p[1], p[2], &z, &q) != 0) return {0.0, 0.0, 0.0, true, true};
  return {z, std::log(z), std::log(q), z == 0.0 || q == 0.0, false};
}
}  // namespace

// Threshold theta, scale sigma, shape alpha.
const kes_law kes_law_gamma = {.code = KES_DIST_GAMMA,
                               .nparams = 3,
                               .from_zero = true,
                               .fit_from_threshold = true,
                               .constant_unscaled = true,
                               .cdf = kesgcdf,
                               .tails = tails,
                               .quantile = quantile,
                               .density = kesgplt};
