// The lognormal family: estimate, distribution function and its tails, curve height
// and standardized quantile, and its law (report members in fitreport/kesfitl.cpp).
#include <cmath>

#include "fit/kes_estframe.h"
#include "fit/family/kes_families.h"
#include "kes_gram_names.h"
#include "kes_msg_names.h"
#include "numeric/zmissing.h"
#include "numeric/zprblnm.h"
#include "numeric/zprbnrm.h"
#include "numeric/zprobit.h"
#include "numeric/zsupport.h"
#include "records/kes_ctx.h"
#include "records/kes_curve.h"
#include "records/kes_varsum.h"

int keslest(kes_ctx* ctx, kes_preq* request, kes_cell* cell, double low, double high, int index, double* height) {
  kes_estframe f;
  if (!kes_est_begin(ctx, request, cell, ZFIT_LOGNORMAL, low, high, height, &f)) return 1;
  const kes_stmt* s = request->stmt;
  kes_curve* c = f.curve;
  const int k = c->family_index;
  double* p = f.req.params;
  bool listed = false;
  p[0] = kes_param_entry(s, KES_PLOT_SLOT_LOGNORMAL_THETA, KES_PLOT_SLOT_LOGNORMAL_THETA_MARKS, k, &listed);
  kes_theta_default(ctx, request, c, &p[0], listed, KES_MSG_LOGNORMAL_THETA_NOT_GIVEN);
  if (kes_theta_refused(ctx, request, cell, KES_DIST_LOGNORMAL, p[0], f.vs->min, KES_MSG_LOGNORMAL_THETA_NOT_BELOW_MIN,
                        KES_MSG_SMALLEST_VALUE_LOGNORMAL, false))
    return 1;
  p[1] = kes_param_entry(s, KES_PLOT_SLOT_LOGNORMAL_ZETA, KES_PLOT_SLOT_LOGNORMAL_ZETA_MARKS, k, nullptr);
  p[2] = kes_param_entry(s, KES_PLOT_SLOT_LOGNORMAL_SIGMA, KES_PLOT_SLOT_LOGNORMAL_SIGMA_MARKS, index, nullptr);
  for (int j = 0; j < 3; ++j) c->estimated[j] = std::isnan(p[j]) ? 1 : 0;
  return kes_est_finish(&f, height);
}

// Threshold, zeta (the scale on the log axis), sigma (the shape). The support starts
// just past the threshold: with a large sigma much of the mass lies within 1e-7 of it.
double keslcdf(const double* params, double x) {
  return x > params[0] ? zprbnrm((std::log(x - params[0]) - params[1]) / params[2]) : 0.0;
}

double keslplt(double x, double c, const double* params) {
  const double theta = params[0];
  if (zbelow_support(x, theta, std::exp(params[1]))) return 0.0;
  const double u = (std::log(x - theta) - params[1]) / params[2];
  if (std::fabs(u) > 5.0) return 0.0;
  return c * std::exp(-u * u / 2.0) / (x - theta);
}

namespace {
// The exponent is tested before it is formed: a quantile that would overflow does not
// exist.  e^(zeta + sigma z) carries the rounding of the sum, ten units of the last
// digit for data at 1.7e9 fitted with a threshold of 0 (zeta 21, sigma 1e-9): it is
// formed as e^zeta e^(sigma z), a unit or two at most, where both factors and their
// product are normal doubles.
int quantile(const double* params, double p, double* out) {
  const double sz = params[2] * zprobit(p), t = params[1] + sz;
  if (!(t < ZEXP_OVER)) return 1;
  const double a = std::exp(params[1]), b = std::exp(sz), v = a * b;
  const bool normal = std::fmin(std::fmin(a, b), v) >= ZDBL_MINNORM && std::isfinite(a) && std::isfinite(v);
  *out = params[0] + (normal ? v : std::exp(t));
  return 0;
}

// (ln(x - theta) - zeta) / sigma. Near 1e9, ln x carries rounding of 5e-15, which
// a sigma of 1e-9 turns into 5e-6 in each standardized value: where y = x - theta
// lies near e = e^zeta (as rounded) the difference is formed as ln(y / e) + ln e - zeta
// = log1p((y - e) / e) plus the relative rounding of e, taken against e^zeta in
// extended precision. Farther off ln y - zeta is large beside the rounding of either.
double log_standardized(const double* p, double x) {
  const double y = x - p[0], e = std::exp(p[1]);
  const double r = (y - e) / e;
  if (!(e >= ZDBL_MINNORM) || !std::isfinite(e) || !(std::fabs(r) < 0.5)) return (std::log(y) - p[1]) / p[2];
  const long double exact = std::exp(static_cast<long double>(p[1]));
  const double shift = static_cast<double>((e - exact) / exact);
  return (std::log1p(r) + shift) / p[2];
}

// The tails of the standard normal law at the standardized value u.
kes_pit normal_tails(double u) {
  double mu = -u, a = 0.0, b = 0.0;
  const bool bad = zprblnm(-2, &u, nullptr, &a) != 0 || zprblnm(-2, &mu, nullptr, &b) != 0;
  return {zprbnrm(u), -a, -b, bad, false};
}

kes_pit tails(const double* p, double x) { return normal_tails(log_standardized(p, x)); }
}  // namespace

kes_pit kes_lognormal_tails_at(const double* p, double at, double dz, double x) {
  return normal_tails((std::log1p((x - at) / (at - p[0])) - dz) / p[2]);
}

// Threshold theta, zeta (the scale on the log axis), sigma (the shape).
const kes_law kes_law_lognormal = {.code = KES_DIST_LOGNORMAL,
                                   .nparams = 3,
                                   .log_scale = true,
                                   .from_zero = true,
                                   .fit_from_threshold = true,
                                   .cdf = keslcdf,
                                   .tails = tails,
                                   .quantile = quantile,
                                   .density = keslplt};
