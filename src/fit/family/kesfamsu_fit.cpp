// fitsu: the engine's Johnson SU fit by percentiles, by moments or by maximum
// likelihood (closed form with the threshold and scale known, else the
// maximum-likelihood engine); the curve function and the peak.
#include <cmath>

#include "fit/zfit_johnson.h"
#include "fit/zfit_fams.h"
#include "fit/zfit_ml.h"
#include "fit/zfit_profile.h"
#include "host/host_services.h"
#include "kes_msg_names.h"
#include "numeric/zmissing.h"
#include "numeric/znew.h"
#include "util/kes_eps.h"

namespace {
constexpr double kTiny = 1000.0 * ZEPS53;

// The percentile estimates. With notes (method 1) the notes of every stage and of
// every failure; without (a start of the likelihood) none.
int percentiles(zfit_work* w, bool notes) {
  if (notes) xpmlog(KES_SET_PLOT, KES_MSG_SU_PERCENTILE_ESTIMATES);
  const zfit_spreads s = zfit_pctl_spreads(w, notes);
  // Only the notes' method stops here; the likelihood's start fails below.
  if (!s.ok && notes) return 1;
  const double z = s.z, tol = s.tol, ratio = s.ratio, m = s.m, n = s.n, p = s.p;
  const double* q = s.q;
  const int fault = std::fabs(ratio - 1.0) <= kTiny ? KES_MSG_SU_RATIO_TOO_CLOSE_TO_ONE
                    : ratio <= 1.0 + tol            ? KES_MSG_SU_RATIO_NOT_ABOVE_TOLERANCE
                                                    : 0;
  const double mp = m / p, np = n / p;
  const int fault2 = fault != 0                          ? fault
                     : std::fabs(mp + np - 2.0) <= kTiny ? KES_MSG_SU_SPREADS_SUM_TOO_CLOSE_TO_TWO
                                                         : 0;
  if (fault2 != 0) {
    if (notes) xpmlog(KES_SET_PLOT, fault2);
    return 1;
  }
  const double a = (mp + np) / 2.0;
  const double delta = 2.0 * z / std::log(a + std::sqrt(a * a - 1.0));
  w->params[2] = delta;
  w->params[3] = delta * std::asinh((np - mp) / (2.0 * std::sqrt(mp * np - 1.0)));
  if (w->estimate[1]) w->params[1] = 2.0 * p * std::sqrt(mp * np - 1.0) / ((mp + np - 2.0) * std::sqrt(mp + np + 2.0));
  if (w->estimate[0]) w->params[0] = (q[1] + q[2]) / 2.0 + p * (np - mp) / (2.0 * (mp + np - 2.0));
  return 0;
}

double asinh_of(double t) { return std::asinh(t); }

const zfit_work* work_of(void* d) { return static_cast<const zfit_work*>(static_cast<zfit_optrec*>(d)->fitwork); }

// The objective at o->x into *value, and its gradient and Hessian, from one pass.
void derivs(zfit_optrec* o, double* value) {
  const zfit_work* w = work_of(o);
  const double delta = o->x[0], gamma = o->x[1], theta = o->x[2], sigma = o->x[3];
  // Means over the values of a, a^2, u a, u, h, h t, (delta a + u)/r, (delta a + u) t/r,
  // 1/r, t/r, h2, h2 t, (h2 t + h) t, where h and h2 are the first two derivatives in
  // t of the per-value term and r = sqrt(1 + t^2).
  double s[13] = {};
  double sv = 0.0;
  // The costly functions of each value on the request's threads, the sums in order.
  struct fns {
    double r, a, l;
  };
  zfit_each_mapped<fns>(
      w,
      [&](double x) -> fns {
        const double t = (x - theta) / sigma;
        return {std::sqrt(1.0 + t * t), std::asinh(t), std::log1p(t * t)};
      },
      [&](double x, double f, const fns& m) {
    const double t = (x - theta) / sigma, r2 = 1.0 + t * t, r = m.r;
    const double a = m.a, u = gamma + delta * a;
    sv += f * (m.l + u * u);
    const double h = t / r2 + u * delta / r;
    const double h2 = (1.0 - t * t) / (r2 * r2) + delta * delta / r2 - delta * u * t / (r2 * r);
    const double v[13] = {a,          a * a,      u * a, u, h, h * t, (delta * a + u) / r, (delta * a + u) * t / r,
                          1.0 / r,    t / r,      h2,    h2 * t, (h2 * t + h) * t};
    for (int i = 0; i < 13; ++i) s[i] += f * v[i];
  });
  const double nn = w->req->n;
  for (double& v : s) v /= nn;
  const double is = 1.0 / sigma, is2 = is * is;
  double* g = o->grad;
  double* H = o->hess;
  g[0] = -1.0 / delta + s[2];
  g[1] = s[3];
  g[2] = -s[4] * is;
  g[3] = is - s[5] * is;
  H[0] = 1.0 / (delta * delta) + s[1];  // delta delta
  H[1] = s[0];                          // delta gamma
  H[2] = 1.0;                           // gamma gamma
  H[3] = -s[6] * is;                    // delta theta
  H[4] = -delta * s[8] * is;            // gamma theta
  H[5] = s[10] * is2;                   // theta theta
  H[6] = -s[7] * is;                    // delta sigma
  H[7] = -delta * s[9] * is;            // gamma sigma
  H[8] = (s[4] + s[11]) * is2;          // theta sigma
  H[9] = (-1.0 + s[5] + s[12]) * is2;   // sigma sigma
  zfit_hold_given(o);
  *value = -std::log(delta) + std::log(sigma) + sv / (2.0 * w->req->n);
}

// Mean negative log-likelihood without its constant, at x = (delta, gamma, theta,
// sigma), with its gradient and Hessian.
double SUNegLogLikeDer(void* d) {
  zfit_optrec* o = static_cast<zfit_optrec*>(d);
  double v;
  derivs(o, &v);
  ++o->nevals;
  o->f = v;
  return v;
}

// log L at (theta, sigma, delta, gamma) and its rounding: that of each value's terms,
// where u = gamma + delta asinh(t) carries the rounding of its two terms, which cancel
// as delta grows.
double loglik(const zfit_work* w, const double* p, double* noise) {
  const double theta = p[0], sigma = p[1], delta = p[2], gamma = p[3], n = w->req->n;
  double sum = 0.0, round = 0.0;
  zfit_each_mapped<double>(
      w, [&](double x) { return std::asinh((x - theta) / sigma); },
      [&](double x, double f, double a) {
        const double t = (x - theta) / sigma, u = gamma + delta * a, l = 0.5 * (std::log1p(t * t) + u * u);
        sum += f * l;
        round += f * (l + std::fabs(u) * (std::fabs(gamma) + std::fabs(delta * a)));
      });
  *noise = 64.0 * ZEPS53 * (n * (std::fabs(std::log(delta)) + std::fabs(std::log(sigma)) + 1.0) + round);
  return n * (std::log(delta) - std::log(sigma) - ZLN_SQRT_2PI) - sum;
}

// Whether log L at p stands above the normal limit's by more than the rounding of
// either (true where it is not finite: no point to judge).
bool above_limit(const zfit_work* w, const double* p) {
  double noise = 0.0;
  const double logl = loglik(w, p, &noise);
  return !std::isfinite(logl) || zfit_above_normal_limit(w, logl, noise);
}

// Three or four parameters by the engine, in its order (delta, gamma, theta, sigma).
// Its starts: the percentile estimates and the moment estimates where the sample gives
// them, then the threshold at the median (or given) with the scale 0.05, 0.3 and 2
// ranges (or given) and the shapes of the likelihood at that threshold and scale.
int optimise(zfit_work* w) {
  zfit_req* r = w->req;
  const int* e = w->estimate;
  double* p = w->params;
  const double given[4] = {p[0], p[1], p[2], p[3]};
  const double u = w->data_range > 0.0 ? w->data_range : 1.0;
  zfit_ml_spec s{};
  s.n = 4;
  const int order[4] = {2, 3, 0, 1};  // the work record's index of each engine parameter
  for (int k = 0; k < 4; ++k) {
    s.flags[k] = e[order[k]];
    s.lo[k] = -ZDBL_BIG;
    s.hi[k] = ZDBL_BIG;
    if (!e[order[k]]) s.lo[k] = s.hi[k] = given[order[k]];
  }
  s.lo[0] = 1e-4;
  if (e[1]) s.lo[3] = 1e-8 * u;
  s.objderiv = SUNegLogLikeDer;
  s.tol = zfit_tol(r, kMlTolerance);
  s.unit_log = std::log(u);  // the objective is the mean over the values
  s.values = 1.0;
  s.maxiter = zfit_maxiter(r, kMlIterations);
  auto add = [&] {
    const double x0[4] = {p[2], p[3], p[0], p[1]};
    if (std::isfinite(x0[0] + x0[1] + x0[2] + x0[3])) zfit_ml_add_start(&s, x0);
    for (int i = 0; i < 4; ++i) p[i] = given[i];
  };
  if (percentiles(w, false) == 0) add();
  double m = 0.0, v = 0.0;
  const double beta2 = r->kurt + 3.0;
  if (!std::isnan(r->skew) && !std::isnan(r->kurt) && zjsdsu(&p[3], &p[2], r->skew, beta2, &m, &v) == 0 &&
      v > 0.0) {
    if (e[1]) p[1] = r->std / std::sqrt(v);
    if (e[0]) p[0] = r->mean - p[1] * m;
    add();
  }
  for (double sc : {0.05, 0.3, 2.0}) {
    if (e[0]) p[0] = zfit_quantile(w, 0.5);
    if (e[1]) p[1] = sc * u;
    if (zjs_shapes_at(w, asinh_of, p[0], p[1], &p[2], &p[3])) add();
    for (int i = 0; i < 4; ++i) p[i] = given[i];
  }
  double x[4] = {NAN, NAN, NAN, NAN};
  zfit_ml_end why;
  const int rc = zfit_ml(w, s, x, &why);
  double q[4];
  for (int k = 0; k < 4; ++k) q[order[k]] = x[k];
  // With the location, scale and delta estimated the law tends to the normal as delta
  // grows: a maximum the doubles cannot tell above it is the rounding of a rise toward
  // that limit, and a search whose budget ends short of the limit law's likelihood
  // climbs toward it.
  if ((rc == 0 || why == ZFIT_ML_BUDGET) && e[0] && e[1] && e[2] && !above_limit(w, q)) why = ZFIT_ML_AWAY;
  if (rc != 0 || why == ZFIT_ML_AWAY) {
    zfit_ml_refused(w, why, s.maxiter);
    return 1;
  }
  for (int i = 0; i < 4; ++i) p[i] = q[i];
  return 0;
}

// The peak: Newton on t/sqrt(1 + t^2) + delta u(t) = 0. 0, or 1 after note 1341.
int peak(zfit_work* w) {
  zfit_req* r = w->req;
  const double theta = w->params[0], sigma = w->params[1], delta = w->params[2], gamma = w->params[3];
  w->c = delta * r->n * r->width * ZRSQRT_2PI / sigma;
  double t = gamma > 0.0 ? -1.0 : 1.0;
  bool ok = false;
  for (int it = 1; it <= 100; ++it) {
    const double r2 = 1.0 + t * t, rt = std::sqrt(r2);
    const double g = t / rt + delta * (gamma + delta * std::asinh(t));
    const double gp = 1.0 / (r2 * rt) + delta * delta / rt;
    if (!(std::fabs(gp) >= ZSQRT_EPS53)) break;
    const double step = g / gp;
    t -= step;
    // A search that uses its whole budget has not converged.
    if (std::fabs(step) <= 1e-8) {
      ok = it < 100;
      break;
    }
  }
  if (!ok || !std::isfinite(t)) {
    xpmlog(KES_SET_PLOT, KES_MSG_SU_PEAK_NOT_FOUND);
    return 1;
  }
  const double u = gamma + delta * std::asinh(t);
  r->mode_x = theta + sigma * t;
  r->height = w->c * std::exp(-u * u / 2.0) / std::sqrt(1.0 + t * t);
  return 0;
}
}  // namespace

int fitsu(zfit_work* w) {
  zfit_req* r = w->req;
  w->curve = suplot;
  r->mode2 = r->height2 = zmissing();
  const int* e = w->estimate;
  if (!zjs_estimable(w)) return 1;
  int rc = 0;
  if (r->method == 2) {
    rc = zjs_moments(w, KES_MSG_SU_MOMENT_ESTIMATES, KES_MSG_SU_MOMENT_FIT_NEEDS_MOMENTS, zjsdsu);
  } else if (r->method == 1) {
    rc = percentiles(w, true);
  } else if (r->method == 0) {
    xpmlog(KES_SET_PLOT, KES_MSG_SU_ML_ESTIMATES);
    rc = e[0] || e[1] ? optimise(w) : zjs_shapes(w, asinh_of);
  }
  if (rc != 0) return 1;
  if (!(w->params[2] > 0.0)) {
    xpmlog(KES_SET_PLOT, KES_MSG_SU_DELTA_NOT_POSITIVE, w->params[2]);
    xpmlog(KES_SET_PLOT, KES_MSG_SU_NOT_FITTED);
    return 1;
  }
  if (r->want_height && peak(w) != 0) return 1;
  w->range_low = r->low;
  w->range_high = r->high;
  return 0;
}

double kesuplt(double x, double c, const double* params) {
  const double t = (x - params[0]) / params[1];
  const double u = params[3] + params[2] * std::asinh(t);
  return std::exp(std::log(c) - 0.5 * std::log(1.0 + t * t) - 0.5 * u * u);
}

double suplot(double x, const zfit_work* w) { return kesuplt(x, w->c, w->params); }
