// The normal family: estimate, distribution function, curve height and standardized
// quantile, and its law (the report members live in fitreport/kesfitn.cpp).
#include <cmath>

#include "fit/kes_estframe.h"
#include "fit/family/kes_families.h"
#include "kes_gram_names.h"
#include "kes_msg_names.h"
#include "numeric/zprbnrm.h"
#include "numeric/zprobit.h"
#include "records/kes_ctx.h"
#include "records/kes_curve.h"
#include "records/kes_varsum.h"

int kesnest(kes_ctx* ctx, kes_preq* request, kes_cell* cell, double low, double high, double* height) {
  kes_estframe f;
  if (!kes_est_begin(ctx, request, cell, ZFIT_NORMAL, low, high, height, &f)) return 1;
  const kes_stmt* s = request->stmt;
  const int k = f.curve->family_index;
  double& mu = f.req.params[0];
  double& sigma = f.req.params[1];
  mu = kes_param_entry(s, KES_PLOT_SLOT_NORMAL_MU, KES_PLOT_SLOT_NORMAL_MU_MARKS, k, nullptr);
  bool sigma_listed = false;
  sigma = kes_param_entry(s, KES_PLOT_SLOT_NORMAL_SIGMA, KES_PLOT_SLOT_NORMAL_SIGMA_MARKS, k, &sigma_listed);
  f.curve->estimated[0] = 0;
  f.curve->estimated[1] = sigma_listed ? 0 : 1;
  if (!sigma_listed) sigma = std::isnan(mu) ? f.vs->std : zfit_rms_about(f.vs->view, f.vs->n, mu);
  return kes_est_finish(&f, height);
}

double kesncdf(const double* params, double x) { return zprbnrm((x - params[0]) / params[1]); }

double kesnplt(double x, double c, const double* params) {
  const double z = (x - params[0]) / params[1];
  if (std::fabs(z) > 4.0) return 0.0;
  return c * std::exp(-z * z / 2.0);
}

namespace {
int quantile(const double* params, double p, double* out) {
  *out = params[0] + params[1] * zprobit(p);
  return 0;
}
}  // namespace

// Location mu, scale sigma.
const kes_law kes_law_normal = {.code = KES_DIST_NORMAL,
                                .nparams = 2,
                                .cdf = kesncdf,
                                .quantile = quantile,
                                .density = kesnplt};
