// The exponential family: estimate, distribution function, curve height and
// standardized quantile, and its law (the report members live in fitreport/kesfite.cpp).
#include <cmath>

#include "fit/kes_cellnote.h"
#include "fit/kes_estframe.h"
#include "fit/family/kes_families.h"
#include "host/host_services.h"
#include "kes_gram_names.h"
#include "kes_msg_names.h"
#include "records/kes_cell.h"
#include "records/kes_ctx.h"
#include "records/kes_curve.h"
#include "records/kes_varsum.h"
#include "records/kes_vscale.h"

namespace {
// Once-per-curve note byte of the default threshold.
constexpr int kNotedTheta = 0;
}  // namespace

int keseest(kes_ctx* ctx, kes_preq* request, kes_cell* cell, double low, double high, double* height) {
  kes_estframe f;
  if (!kes_est_begin(ctx, request, cell, ZFIT_EXPONENTIAL, low, high, height, &f)) return 1;
  const kes_stmt* s = request->stmt;
  kes_curve* c = f.curve;
  const int k = c->family_index;
  double& theta = f.req.params[0];
  bool theta_listed = false;
  theta = kes_param_entry(s, KES_PLOT_SLOT_EXPONENTIAL_THETA, KES_PLOT_SLOT_EXPONENTIAL_THETA_MARKS, k, &theta_listed);
  const kes_name32& var = ctx->varnames[ctx->curvar];
  if (!theta_listed) {
    theta = 0.0;
    if (kes_first_curve_note(ctx, request, c, kNotedTheta)) {
      kes_place_note(ctx, request);
      xpmlog(KES_SET_PLOT, KES_MSG_EXPONENTIAL_THETA_NOT_GIVEN, int(var.len), var.text);
    }
  }
  if (!std::isnan(theta) && theta > f.vs->min) {
    if (request->classvars == nullptr || request->classvars->count == 0)
      xpmlog(KES_SET_PLOT, KES_MSG_EXPONENTIAL_THETA_ABOVE_MIN, int(var.len), var.text);
    else
      kes_cell_note(ctx, request, cell, KES_SET_PROC, {0, KES_MSG_THETA_ABOVE_MIN_CELL, KES_MSG_THETA_ABOVE_MIN_CELL2},
                    var.text, var.len, ctx->statlabel[KES_DIST_EXPONENTIAL], 16);
    xpmlog(KES_SET_PLOT, KES_MSG_SMALLEST_VALUE_EXPONENTIAL, f.vs->min);
    return 1;
  }
  f.req.params[1] = kes_param_entry(s, KES_PLOT_SLOT_EXPONENTIAL_SIGMA, KES_PLOT_SLOT_EXPONENTIAL_SIGMA_MARKS, k, nullptr);
  c->estimated[0] = 0;
  c->estimated[1] = 0;
  double h = kes_fit_missing();
  if (kes_est_finish(&f, &h) != 0) return 1;
  // The peak at the threshold may be far above the bars; on the percent scale a peak
  // above 100 would squash them, so it does not raise the axis (the curve keeps it).
  if (height != nullptr) *height = request->vscale == KES_VSCALE_PERCENT && h > 100.0 ? 0.0 : h;
  return 0;
}

// -expm1 keeps the low tail's relative accuracy, which 1 - exp loses.
double kesecdf(const double* params, double x) {
  return x > params[0] ? -std::expm1(-(x - params[0]) / params[1]) : 0.0;
}

double keseplt(double x, double c, const double* params) {
  const double z = (x - params[0]) / params[1];
  if (z <= 0.0 || z > 10.0) return 0.0;
  return c * std::exp(-z);
}

namespace {
// log1p: -log(1 - p) loses the low tail's digits (8e-8 relative at p = 1e-10).
int quantile(const double* params, double p, double* out) {
  *out = params[0] - params[1] * std::log1p(-p);
  return 0;
}

// The EDF tests' transform: ln(1 - F) is the standardized value itself.
kes_pit tails(const double* params, double x) {
  const double u = (x - params[0]) / params[1], z = kesecdf(params, x);
  return {z, z == 0.0 ? 0.0 : std::log(z), -u, z == 0.0, false};
}
}  // namespace

// Threshold theta, scale sigma.
const kes_law kes_law_exponential = {.code = KES_DIST_EXPONENTIAL,
                                     .nparams = 2,
                                     .from_zero = true,
                                     .cdf = kesecdf,
                                     .tails = tails,
                                     .quantile = quantile,
                                     .density = keseplt};
