// The Weibull families: the three-parameter law (code 3) and the two-parameter law on
// the log scale (code 8): estimate, distribution functions and tails, curve height and
// standardized quantiles, and their laws (report members in fitreport/kesfitw.cpp).
#include <cmath>

#include "fit/kes_estframe.h"
#include "fit/family/kes_families.h"
#include "host/host_services.h"
#include "kes_gram_names.h"
#include "kes_msg_names.h"
#include "numeric/zmissing.h"
#include "numeric/zprblwb.h"
#include "numeric/zsupport.h"
#include "records/kes_ctx.h"
#include "records/kes_curve.h"
#include "records/kes_preq.h"
#include "records/kes_varsum.h"
#include "records/stmt_slots.h"

// Probability and Q-Q plots only: no curve, tests or tables.

int keswest(kes_ctx* ctx, kes_preq* request, kes_cell* cell, int code, double low, double high, int index,
            double* height) {
  if (code != KES_DIST_WEIBULL && code != KES_DIST_WEIBULL2) {
    xpmlog(KES_SET_PROC, KES_MSG_WEIBULL_CODE_INVALID);
    return 1;
  }
  kes_estframe f;
  const int family = code == KES_DIST_WEIBULL ? ZFIT_WEIBULL : ZFIT_WEIBULL2;
  if (!kes_est_begin(ctx, request, cell, family, low, high, height, &f)) return 1;
  const kes_stmt* s = request->stmt;
  kes_curve* c = f.curve;
  const int k = c->family_index;
  double* p = f.req.params;
  bool listed = false;
  if (code == KES_DIST_WEIBULL) {
    p[0] = kes_param_entry(s, KES_PLOT_SLOT_WEIBULL_THETA, KES_PLOT_SLOT_WEIBULL_THETA_MARKS, k, &listed);
    p[1] = kes_param_entry(s, KES_PLOT_SLOT_WEIBULL_SIGMA, KES_PLOT_SLOT_WEIBULL_SIGMA_MARKS, k, nullptr);
    p[2] = kes_param_entry(s, KES_PLOT_SLOT_WEIBULL_C, KES_PLOT_SLOT_WEIBULL_C_MARKS, index, nullptr);
  } else {
    // The two-parameter law never estimates its threshold; index picks it from the
    // THETA= list (one graph per threshold).
    p[0] = kes_param_entry(s, KES_PLOT_SLOT_WEIBULL2_THETA, KES_NO_SLOT, index, &listed);
    p[1] = kes_stmt_number(s, KES_PLOT_SLOT_WEIBULL2_SIGMA);
    p[2] = kes_stmt_number(s, KES_PLOT_SLOT_WEIBULL2_C);
  }
  kes_theta_default(ctx, request, c, &p[0], listed, KES_MSG_WEIBULL_THETA_NOT_GIVEN);
  if (kes_theta_refused(ctx, request, cell, code, p[0], f.vs->min, KES_MSG_WEIBULL_THETA_NOT_BELOW_MIN,
                        KES_MSG_SMALLEST_VALUE_WEIBULL, true))
    return 1;
  if (p[1] == 0.0) return 1;
  f.req.init_shape = kes_stmt_number(s, KES_PLOT_SLOT_WEIBULL_CINITIAL);
  f.req.tol = kes_stmt_number(s, KES_PLOT_SLOT_WEIBULL_CDELTA);
  f.req.maxiter = kes_stmt_number(s, KES_PLOT_SLOT_WEIBULL_MAXITER);
  return kes_est_finish_shape(&f, request, height);
}

// -expm1 keeps the low tail's relative accuracy, which 1 - exp loses.
double keswcdf(const double* params, double x) {
  return x > params[0] ? -std::expm1(-std::pow((x - params[0]) / params[1], params[2])) : 0.0;
}

double keswplt(double x, double c, const double* params) {
  const double theta = params[0];
  if (zbelow_support(x, theta, params[1])) return 0.0;
  const double z = (x - theta) / params[1], zc = std::pow(z, params[2]);
  if (zc > 10.0) return 0.0;
  return c * std::pow(z, params[2] - 1.0) * std::exp(-zc);
}

double kesw2cdf(const double* params, double y) {
  return -std::expm1(-std::exp((y - params[0]) / params[1]));
}

namespace {
// The logarithm of the variable part is tested before it is formed: a quantile that
// would overflow does not exist.
int quantile(const double* params, double p, double* out) {
  const double e = -std::log1p(-p);
  if (!(std::log(params[1]) + std::log(e) / params[2] < ZEXP_OVER)) return 1;
  *out = params[0] + params[1] * std::pow(e, 1.0 / params[2]);
  return 0;
}

int quantile2(const double* params, double p, double* out) {
  *out = params[0] + params[1] * std::log(-std::log1p(-p));
  return 0;
}

kes_pit tails(const double* p, double x) {
  const double z = (x - p[0]) / p[1];
  double w = p[2] * std::log(z), out = 0.0;
  const bool bad = zprblwb(-2, &w, nullptr, &out) != 0;
  return {keswcdf(p, x), -out, -std::pow(z, p[2]), bad, false};
}
}  // namespace

// Threshold theta, scale sigma, shape c.
const kes_law kes_law_weibull = {.code = KES_DIST_WEIBULL,
                                 .nparams = 3,
                                 .from_zero = true,
                                 .fit_from_threshold = true,
                                 .cdf = keswcdf,
                                 .tails = tails,
                                 .quantile = quantile,
                                 .density = keswplt};
// The law of y = log(x - theta): location log(sigma), scale 1/c; it draws no curve.
const kes_law kes_law_weibull2 = {.code = KES_DIST_WEIBULL2,
                                  .nparams = 2,
                                  .log_of_data = true,
                                  .cdf = kesw2cdf,
                                  .quantile = quantile2};
