// fitgamma: the gamma fit of the engine: Newton for the shape with the threshold
// given, the bounded optimiser on the likelihood when the threshold is estimated,
// the closed-form scale and the curve's height.
#include <cmath>

#include "fit/zfit_fams.h"
#include "fit/zfit_ml.h"
#include "host/host_services.h"
#include "kes_msg_names.h"
#include "numeric/zdigama.h"
#include "numeric/zlgamma.h"
#include "numeric/zmissing.h"
#include "numeric/znew.h"
#include "numeric/zsupport.h"
#include "numeric/ztigama.h"

namespace {
constexpr zfit_shape_notes kShapeNotes = {KES_MSG_GAMMA_SHAPE_ITERATION_STOPPED, KES_MSG_GAMMA_SHAPE_NOT_CONVERGED};
const zfit_work* work_of(void* d) { return static_cast<const zfit_work*>(static_cast<zfit_optrec*>(d)->fitwork); }

// Sums over y = x - theta > 0: S0 = sum f ln y, Y = sum f y, I1 = sum f/y, I2 = sum f/y^2.
struct gsums {
  double s0 = 0, y = 0, i1 = 0, i2 = 0;
};
gsums sums(const zfit_work* w, double theta) {
  gsums s;
  zfit_each_mapped<double>(
      w, [&](double x) { return x - theta > 0.0 ? std::log(x - theta) : 0.0; },
      [&](double x, double f, double ly) {
    const double y = x - theta;
    if (!(y > 0.0)) return;
    s.s0 += f * ly;
    s.y += f * y;
    s.i1 += f / y;
    s.i2 += f / (y * y);
  });
  return s;
}

double value_of(const zfit_work* w, double a, const gsums& s) {
  const double n = w->req->n;
  if (w->estimate[1]) return n * zlgamma(a) - (a - 1.0) * s.s0 + n * a * (1.0 - std::log(n * a) + std::log(s.y));
  const double sigma = w->params[1];
  return n * (zlgamma(a) + a * std::log(sigma)) - (a - 1.0) * s.s0 + s.y / sigma;
}

void derivs_of(zfit_optrec* o, const zfit_work* w, const gsums& s) {
  const double a = o->x[0], n = w->req->n;
  double psi = 0.0;
  int st = 0;
  zdigama(a, &psi);
  const double psi1 = ztigama(a, &st);
  double* g = o->grad;
  double* h = o->hess;
  if (w->estimate[1]) {
    g[0] = n * psi - s.s0 + n * std::log(s.y / (n * a));
    g[1] = (a - 1.0) * s.i1 - n * n * a / s.y;
    h[0] = n * psi1 - n / a;
    h[1] = s.i1 - n * n / s.y;
    h[2] = (a - 1.0) * s.i2 - n * n * n * a / (s.y * s.y);
  } else {
    const double sigma = w->params[1];
    g[0] = n * (psi + std::log(sigma)) - s.s0;
    g[1] = (a - 1.0) * s.i1 - n / sigma;
    h[0] = n * psi1;
    h[1] = s.i1;
    h[2] = (a - 1.0) * s.i2;
  }
  zfit_hold_given(o);
}

// The negative log-likelihood with its gradient and Hessian, from one pass over the values.
double gammaNegLogLikeDer(void* d) {
  zfit_optrec* o = static_cast<zfit_optrec*>(d);
  const zfit_work* w = work_of(d);
  const gsums s = sums(w, o->x[1]);
  const double f = value_of(w, o->x[0], s);
  derivs_of(o, w, s);
  ++o->nevals;
  o->f = f;
  return f;
}

// The threshold estimated: the shape and the threshold at an interior maximum of the
// likelihood, the threshold's first start the moment estimate.
int optimise(zfit_work* w, double alpha0) {
  zfit_req* r = w->req;
  zfit_thresh_spec s{w->params[2], w->params[2], w->params[2], zmissing(), gammaNegLogLikeDer};
  if (w->estimate[2]) {
    s.shape0 = alpha0;
    s.shape_lo = 1e-6;
    s.shape_hi = ZDBL_BIG;
  }
  s.theta0 = r->mean - alpha0 * std::sqrt(r->std * r->std / alpha0);
  double x[2];
  zfit_ml_end why;
  if (zfit_threshold_ml(w, s, x, &why) != 0) {
    zfit_ml_refusal_note(KES_MSG_GAMMA_ML_NOT_FOUND, why, zfit_maxiter(r, kMlIterations));
    return 1;
  }
  w->params[2] = x[0];
  w->params[0] = x[1];
  return 0;
}

int gamma_height(zfit_work* w, double lg) {
  zfit_req* r = w->req;
  const double theta = w->params[0], sigma = w->params[1], alpha = w->params[2];
  const double k = std::log(r->n) + std::log(r->width) - std::log(sigma) - lg;
  w->c = k;
  if (alpha > 1.0 + 1e-10) {
    const double m = theta + (alpha - 1.0) * sigma;
    const double x = m < r->low ? r->low : m > r->high ? r->high : m;
    const double z = (x - theta) / sigma;
    r->mode_x = m;
    if (!(z > 0.0)) {
      r->height = 0.0;
      return 0;
    }
    const double e = (alpha - 1.0) * std::log(z) + k - z;
    if (e > ZEXP_OVER) return 1;
    r->height = e <= ZEXP_UNDER ? 0.0 : std::exp(e);
  } else if (std::fabs(alpha - 1.0) <= 1e-10) {
    r->mode_x = theta;
    if (r->low <= theta && theta <= r->high) {
      r->height = std::exp(k);
    } else if (theta < r->low) {
      const double z = (r->low - theta) / sigma;
      r->height = z - k >= -ZEXP_UNDER ? 0.0 : std::exp(k - z);
    } else {
      r->height = 0.0;
    }
    // The cap of a peak far above the bars is applied on the vertical scale by the
    // estimate function, after the engine's conversion.
  } else {
    r->mode_x = theta;
  }
  return 0;
}
}  // namespace

int NRgamma(zfit_work* w, int maxiter, double tol, double a, double gm) {
  double& alpha = w->params[2];
  if (zfit_shape_idle(maxiter, tol, kShapeNotes)) return 0;
  const bool sigma_est = w->estimate[1] != 0;
  for (int it = 1;; ++it) {
    double psi = 0.0;
    int st1 = 0;
    const int st = zdigama(alpha, &psi);
    const double psi1 = ztigama(alpha, &st1);
    if (st != 0 || st1 != 0 || !std::isfinite(psi) || !std::isfinite(psi1)) {
      xpmlog(KES_SET_PLOT, KES_MSG_GAMMA_CURVE_NOT_FITTED);
      return 1;
    }
    double f, fp;
    if (sigma_est) {
      f = std::log(alpha) - psi - a;
      fp = 1.0 / alpha - psi1;
    } else {
      f = psi + std::log(w->params[1]) - std::log(gm);
      fp = psi1;
    }
    const int rc = zfit_shape_step(&alpha, f, fp, tol, it, maxiter, kShapeNotes);
    if (rc >= 0) return rc;
  }
}

int fitgamma(zfit_work* w) {
  zfit_req* r = w->req;
  w->curve = gammaplot;
  double& theta = w->params[0];
  double& sigma = w->params[1];
  double& alpha = w->params[2];
  // The working threshold of the shape's start lies a tenth of the range below the data.
  if (w->estimate[0]) theta = r->min - 0.1 * w->data_range;
  double g = 0.0;
  zfit_each_mapped<double>(
      w, [&](double x) { return std::log(x - theta); }, [&](double, double f, double l) { g += f * l; });
  const double gm = std::exp(g / r->n);
  const double a = std::log((r->mean - theta) / gm);
  double alpha0 = r->init_shape;
  if (std::isnan(alpha0)) {
    alpha0 = 0.25 * (1.0 + std::sqrt(1.0 + 1.33 * a)) / a;
    if (alpha0 > 0.9) alpha0 += 0.0092 + (alpha0 - 1.0) / (24.0 - 96.0 * alpha0);
  }
  // No spread about the threshold leaves no start for the shape.
  if ((w->estimate[2] || w->estimate[0]) && !(alpha0 > 0.0 && std::isfinite(alpha0))) {
    xpmlog(KES_SET_PLOT, KES_MSG_GAMMA_SHAPE_NOT_CONVERGED);
    return 1;
  }
  if (w->estimate[2] && !w->estimate[0]) {
    alpha = alpha0;
    if (NRgamma(w, zfit_maxiter(r, 20), zfit_tol(r, 1e-5), a, gm) != 0) return 1;
  } else if (w->estimate[0]) {
    if (optimise(w, alpha0) != 0) return 1;
  }
  if (!(alpha > 0.0) || !std::isfinite(alpha)) {
    xpmlog(KES_SET_PLOT, KES_MSG_GAMMA_SHAPE_NOT_POSITIVE);
    return 1;
  }
  if (w->estimate[1]) sigma = (r->mean - theta) / alpha;
  if (!(sigma > 0.0) || !std::isfinite(sigma)) return 1;
  const double lg = zlgamma(alpha);
  if (lg == -99.0 || lg <= ZEXP_UNDER || !std::isfinite(lg)) {
    if (w->estimate[1]) xpmlog(KES_SET_PLOT, KES_MSG_LOG_GAMMA_NOT_COMPUTED, alpha);
    xpmlog(KES_SET_PLOT, KES_MSG_GAMMA_CURVE_NOT_FITTED);
    return 1;
  }
  w->range_low = r->low;
  w->range_high = r->high;
  if (r->want_height) return gamma_height(w, lg);
  return 0;
}

double gammaplot(double x, const zfit_work* w) {
  const double theta = w->params[0];
  if (zbelow_support(x, theta)) return 0.0;
  const double z = (x - theta) / w->params[1];
  const double e = (w->params[2] - 1.0) * std::log(z) + w->c - z;
  return e <= ZEXP_UNDER ? 0.0 : std::exp(e);
}
