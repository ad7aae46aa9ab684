// The Johnson SB family: estimate, percent distribution function, curve height,
// quantiles and the fitted law's moments (report members in fitreport/kesfitsb.cpp).
#include <cmath>

#include "fit/kes_cellnote.h"
#include "fit/kes_estframe.h"
#include "fit/family/kes_families.h"
#include "fit/family/kes_johnson.h"
#include "host/host_services.h"
#include "kes_gram_names.h"
#include "kes_msg_names.h"
#include "numeric/zhrdyv.h"
#include "numeric/zln1px.h"
#include "numeric/zmissing.h"
#include "numeric/zprbnrm.h"
#include "numeric/zprobit.h"
#include "records/kes_ctx.h"
#include "records/kes_curve.h"
#include "records/kes_varsum.h"
#include "host/kes_math_constants.h"

namespace {
// Once-per-curve note byte of the default scale (the threshold's is byte 0).
constexpr int kNotedSigma = 1;

// log y(t) of the logistic y(t) = 1/(1 + e^-t), without overflow or loss near 0.
double log_logistic(double t) {
  if (std::fabs(t) < 1e-4) return -KES_LN2 + t / 2.0 - t * t / 8.0;
  if (t < -36.0) return t;
  if (t > 36.0) return -std::exp(-t);
  return -zln1px(std::exp(-t));
}

struct mom_args {
  double gamma, delta, log_delta;
};

// delta phi(gamma + delta t) y(t)^k, k = 1..4, scaled by the record's power of e.
int kesv4m(double t, double, double* out, zhrdyv_req* q) {
  const mom_args* a = static_cast<const mom_args*>(q->rec->context);
  const double l = log_logistic(t), u = a->gamma + a->delta * t;
  const double base = a->log_delta - u * u / 2.0 - ZLN_SQRT_2PI;
  double v[4], top = -ZDBL_BIG;
  for (int k = 0; k < 4; ++k) {
    v[k] = base + (k + 1) * l;
    top = std::fmax(top, v[k]);
  }
  std::int32_t& s = q->rec->value_exp;
  if (top > s) {
    if (!(std::fabs(top) <= 2147483647.0)) {
      q->rec->error = ZHV_FIRST_PASS;
      return 1;
    }
    s = static_cast<std::int32_t>(std::trunc(top));
  }
  for (int k = 0; k < 4; ++k) out[k] = std::exp(v[k] - s);
  return 0;
}

// Step 3 of the estimate: the default scale 1 when no SIGMA= list is given, noted once.
void sigma_default(kes_ctx* ctx, const kes_preq* request, kes_curve* c, double* sigma, bool listed) {
  if (listed) return;
  *sigma = 1.0;
  if (!kes_first_curve_note(ctx, request, c, kNotedSigma)) return;
  kes_place_note(ctx, request);
  const kes_name32& var = ctx->varnames[ctx->curvar];
  xpmlog(KES_SET_PLOT, KES_MSG_SB_SIGMA_NOT_GIVEN, int(var.len), var.text);
}

// The fitted law's mean, standard deviation, skewness and excess kurtosis from the
// raw moments of the standardized variable; missing where they cannot be had.
void store_moments(kes_curve* c) {
  const double miss = kes_fit_missing();
  kes_edfres& e = c->edf;
  e.mean = e.std = e.skewness = e.kurtosis = miss;
  double m[4];
  if (kesvmom(c->params[2], c->params[3], m) != 0 || 1000.0 * ZEPS53 > m[1]) return;
  const double var = m[1] - m[0] * m[0];
  const double mu3 = m[2] - 3.0 * m[0] * m[1] + 2.0 * m[0] * m[0] * m[0];
  const double mu4 = m[3] - 4.0 * m[0] * m[2] + 6.0 * m[0] * m[0] * m[1] - 3.0 * m[0] * m[0] * m[0] * m[0];
  const double theta = c->params[0], sigma = c->params[1];
  e.mean = theta + sigma * m[0];
  if (!(var > 0.0)) return;
  e.std = sigma * std::sqrt(var);
  e.skewness = mu3 / std::pow(var, 1.5);
  e.kurtosis = mu4 / (var * var) - 3.0;
}
}  // namespace

int kesvest(kes_ctx* ctx, kes_preq* request, kes_cell* cell, double low, double high, int i, int j,
            double* height) {
  kes_estframe f;
  if (!kes_est_begin(ctx, request, cell, ZFIT_SB, low, high, height, &f)) return 1;
  const kes_stmt* s = request->stmt;
  kes_curve* c = f.curve;
  const int k = c->family_index;
  double* p = f.req.params;
  kes_johnson_controls(s, KES_PLOT_SLOT_SB_FITINTERVAL, KES_PLOT_SLOT_SB_FITTOL, KES_PLOT_SLOT_SB_FITMETHOD, &f.req);
  bool listed = false;
  p[0] = kes_param_entry(s, KES_PLOT_SLOT_SB_THETA, KES_PLOT_SLOT_SB_THETA_MARKS, k, &listed);
  kes_theta_default(ctx, request, c, &p[0], listed, KES_MSG_SB_THETA_NOT_GIVEN);
  if (kes_theta_refused(ctx, request, cell, KES_DIST_SB, p[0], f.vs->min, KES_MSG_SB_THETA_NOT_BELOW_MIN,
                        KES_MSG_SMALLEST_VALUE_SB, false))
    return 1;
  p[1] = kes_param_entry(s, KES_PLOT_SLOT_SB_SIGMA, KES_PLOT_SLOT_SB_SIGMA_MARKS, k, &listed);
  sigma_default(ctx, request, c, &p[1], listed);
  if (!std::isnan(p[1])) {
    const kes_name32& var = ctx->varnames[ctx->curvar];
    if (!std::isnan(p[0]) && p[0] + p[1] <= f.vs->max) {
      xpmlog(KES_SET_PLOT, KES_MSG_SB_THETA_SIGMA_NOT_ABOVE_MAX, int(var.len), var.text);
      xpmlog(KES_SET_PLOT, KES_MSG_SCALE_MUST_EXCEED_VALUE, f.vs->max - p[0]);
      return 1;
    }
    if (std::isnan(p[0]) && p[1] <= f.vs->max - f.vs->min) {
      xpmlog(KES_SET_PLOT, KES_MSG_SCALE_MUST_EXCEED_VALUE, f.vs->max - f.vs->min);
      return 1;
    }
  }
  p[2] = kes_param_entry(s, KES_PLOT_SLOT_SB_DELTA, KES_PLOT_SLOT_SB_DELTA_MARKS, i, nullptr);
  p[3] = kes_param_entry(s, KES_PLOT_SLOT_SB_GAMMA, KES_PLOT_SLOT_SB_GAMMA_MARKS, j, nullptr);
  if (!std::isnan(p[2]) && p[2] <= 0.0) {
    xpmlog(KES_SET_PLOT, KES_MSG_SB_DELTA_NOT_POSITIVE, p[2]);
    xpmlog(KES_SET_PLOT, KES_MSG_SB_NOT_FITTED);
    return 1;
  }
  for (int n = 0; n < 4; ++n) c->estimated[n] = std::isnan(p[n]) ? 1 : 0;
  if (kes_est_finish(&f, height) != 0) return 1;
  kes_johnson_peak(c, &f.req);
  store_moments(c);
  return 0;
}

int kesvmom(double delta, double gamma, double m[4]) {
  if (delta < 0.0) {
    delta = -delta;
    gamma = -gamma;
  }
  const double miss = kes_fit_missing();
  for (int k = 0; k < 4; ++k) m[k] = miss;
  if (!(delta >= 1e-5)) return 1;
  mom_args a{gamma, delta, std::log(delta)};
  zhrdy_rec rec{};
  double work[24];
  zhrdyv_req q{};
  rec.accuracy = 1e-12;
  rec.mode = 1;
  rec.centre = -gamma / delta;  // the bulk of the weight lies about Z = 0
  rec.initial_step = 1.0;
  rec.level_limit = 10;
  rec.test_kind = 1;
  rec.log_mode = 1;
  rec.radix = 2.718281828459045;
  rec.sum_exp = rec.value_exp = -2147483647;
  rec.context = &a;
  q.rec = &rec;
  q.n = 4;
  q.work = work;
  q.integrand = kesv4m;
  if (zhrdyv(&q) != 0) return 1;
  const double scale = std::exp(static_cast<double>(rec.sum_exp));
  for (int k = 0; k < 4; ++k) m[k] = q.estimate[k] * scale;
  return 0;
}

double kesvcdf(const double* params, double x) {
  const double y = (x - params[0]) / params[1];
  if (!(y > 0.0)) return 0.0;
  if (!(y < 1.0)) return 1.0;
  return zprbnrm(params[3] + params[2] * std::log(y / (1.0 - y)));
}

namespace {
int quantile(const double* params, double p, double* out) {
  const double w = (zprobit(p) - params[3]) / params[2];
  // e^w / (1 + e^w) without overflow for a large w.
  *out = params[0] + params[1] * (1.0 / (1.0 + std::exp(-w)));
  return 0;
}
}  // namespace

// Threshold theta, scale sigma (the support's width), shapes delta and gamma.
const kes_law kes_law_sb = {.code = KES_DIST_SB,
                            .nparams = 4,
                            .from_zero = true,
                            .to_one = true,
                            .cdf = kesvcdf,
                            .quantile = quantile,
                            .density = kesvplt};
