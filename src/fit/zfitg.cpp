// fitgamma: the gamma fit of the engine: Newton for the shape with the threshold
// given, the profile of the likelihood over the threshold when it is estimated,
// the closed-form scale and the curve's height.
#include <cmath>

#include "fit/zfit_fams.h"
#include "fit/zfit_ml.h"
#include "fit/zfit_profile.h"
#include "host/host_services.h"
#include "kes_msg_names.h"
#include "numeric/zdigama.h"
#include "numeric/zlgamma.h"
#include "numeric/zmissing.h"
#include "numeric/znew.h"
#include "numeric/zsupport.h"
#include "numeric/ztigama.h"
#include "util/kes_eps.h"

namespace {
constexpr zfit_shape_notes kShapeNotes = {KES_MSG_GAMMA_SHAPE_ITERATION_STOPPED, KES_MSG_GAMMA_SHAPE_NOT_CONVERGED};
// The smallest shape of a threshold fit.
constexpr double kShapeLow = 1e-6;
constexpr double kLogRoot2Pi = 0.91893853320467274178;
// log alpha - psi(alpha) and its derivative 1/alpha - psi'(alpha), falling from
// infinity to 0. From 20 on by their asymptotic series (the difference of two
// numbers near log alpha would lose the digits of a law near the normal, alpha
// in the millions and more, that the threshold's profile needs far below the data).
bool log_less_digamma(double a, double* f, double* fp) {
  if (a >= 20.0) {
    const double r = 1.0 / a, r2 = r * r;
    *f = r / 2.0 + r2 * (1.0 / 12.0 - r2 * (1.0 / 120.0 - r2 * (1.0 / 252.0 - r2 * (1.0 / 240.0 - r2 / 132.0))));
    *fp = -r2 * (0.5 + r * (1.0 / 6.0 - r2 * (1.0 / 30.0 - r2 * (1.0 / 42.0 - r2 / 30.0))));
    return true;
  }
  double psi = 0.0;
  int st = 0;
  if (zdigama(a, &psi) != 0) return false;
  const double psi1 = ztigama(a, &st);
  *f = std::log(a) - psi;
  *fp = 1.0 / a - psi1;
  return st == 0;
}

// The shape whose log less digamma is a (> 0) or whose digamma is b: Newton on log
// alpha, each step kept inside the bracket the signs so far give (both functions are
// monotone in alpha). False where it is not reached in maxiter steps.
bool shape_root(bool by_log, double target, double start, int maxiter, double* alpha) {
  double lo = 0.0, hi = INFINITY, a = start;
  for (int it = 0; it < maxiter; ++it) {
    // Both written increasing in alpha: a - (log alpha - psi), and psi - b.
    double f, fp;
    if (by_log) {
      double g, gp;
      if (!log_less_digamma(a, &g, &gp)) return false;
      f = target - g;
      fp = -gp;
    } else {
      double psi = 0.0;
      int st = 0;
      if (zdigama(a, &psi) != 0) return false;
      fp = ztigama(a, &st);
      if (st != 0) return false;
      f = psi - target;
    }
    // Newton on log alpha: the step -f / (a fp) in log alpha; converged once the
    // step is below 1e-10 (the step after it, taken, is below the rounding of the
    // function's value, which holds smaller steps from ever coming).
    const double step = -f / (a * fp);
    if (f == 0.0 || std::fabs(step) <= 1e-10) {
      *alpha = a * std::exp(step);
      return std::isfinite(*alpha);
    }
    if (f > 0.0) hi = a;
    else lo = a;
    double next = a * std::exp(step);
    if (!(next > lo && next < hi)) next = std::isfinite(hi) ? (lo > 0.0 ? std::sqrt(lo * hi) : hi / 2.0) : 2.0 * lo;
    a = next;
  }
  *alpha = a;
  return false;
}

// log1p(t) - t without the loss of its digits as t nears 0: with s = t / (2 + t),
// log1p(t) = 2 atanh(s), and t - 2s = t^2 / (2 + t).
double log1p_less(double t) {
  if (!(std::fabs(t) < 0.5)) return std::log1p(t) - t;
  const double s = t / (2.0 + t), s2 = s * s;
  double sum = 0.0;
  for (int k = 25; k >= 3; k -= 2) sum = 1.0 / k + s2 * sum;
  return -t * t / (2.0 + t) + 2.0 * s * s2 * sum;
}

// ln Gamma(a) less Stirling's leading terms (a - 1/2) ln a - a + ln sqrt(2 pi).
double stirling_rest(double a) {
  return a >= 10.0 ? zlgbern(a) : zlgamma(a) - ((a - 0.5) * std::log(a) - a + kLogRoot2Pi);
}

struct gamma_ctx {
  int maxiter;
  double ubar;  // the mean of x - min
};

// The gamma profile at the threshold min - d: with y = x - min + d and
// L = log1p((x - min) / d), log y = log d + L and the mean of y is d (1 + xbar / d).
// log(mean y) - mean log y, which falls as 1/d^2 far below the data, is taken about
// the mean: with y = (d + xbar)(1 + v), it is log1p(vbar) - mean log1p(v), and the
// terms linear in v, which cancel, are never formed; so it keeps its digits however
// far the threshold lies. The shape and scale at their maximum where estimated; the
// slope is the likelihood's derivative in the threshold, N / sigma - (alpha - 1) sum f / y.
zfit_profile_at gamma_profile(const zfit_work* w, double d, const void* ctx) {
  const zfit_req* r = w->req;
  const double n = r->n, min = r->min, ld = std::log(d);
  const double xbar = static_cast<const gamma_ctx*>(ctx)->ubar, dc = d + xbar;
  double sl = 0.0, sv = 0.0, sq = 0.0, i1 = 0.0;
  zfit_each_mapped<double>(
      w, [&](double x) { return std::log1p((x - min) / d); },
      [&](double x, double f, double l) {
        const double v = ((x - min) - xbar) / dc;
        sl += f * l;
        sv += f * v;
        sq += f * log1p_less(v);
        i1 += f / ((x - min) + d);
      });
  zfit_profile_at p{};
  const double lbar = sl / n;
  const double lmean = std::log1p(xbar / d);  // log(mean y) - log d
  const double spread = log1p_less(sv / n) - sq / n;  // log(mean y) - mean log y
  const int maxiter = static_cast<const gamma_ctx*>(ctx)->maxiter;
  double alpha = w->params[2];
  if (w->estimate[2]) {
    const bool by_log = w->estimate[1] != 0;
    const double a = spread;
    const double target = by_log ? a : ld + lbar - std::log(w->params[1]);
    if (by_log && !(a > 0.0)) return p;
    double start = by_log ? 0.25 * (1.0 + std::sqrt(1.0 + 1.33 * a)) / a : std::exp(target) + 0.5;
    if (!(start > 0.0) || !std::isfinite(start)) start = 1.0;
    if (!shape_root(by_log, target, start, maxiter, &alpha)) {
      p.budget = true;
      return p;
    }
  }
  // log sigma, and sum f y / sigma.
  const double lsig = w->estimate[1] ? ld + lmean - std::log(alpha) : std::log(w->params[1]);
  const double ysig = w->estimate[1] ? n * alpha : n * (d + xbar) / w->params[1];
  const double lg = zlgamma(alpha);
  p.rest[0] = alpha;
  p.rest[1] = std::exp(lsig);
  // With sigma at its maximum, log L = N/2 ln(alpha / 2 pi) - N rest(alpha)
  // - N alpha (log mean y - mean log y) - sum log y: no large terms that cancel as
  // alpha grows.
  p.logl = w->estimate[1] ? n * (0.5 * std::log(alpha) - kLogRoot2Pi - stirling_rest(alpha) - alpha * spread) -
                                (n * ld + sl)
                          : -n * lg - n * alpha * lsig + (alpha - 1.0) * (n * ld + sl) - ysig;
  // Its rounding: that of its terms (each to a few units in its last place).
  p.noise = 64.0 * ZEPS53 *
            (w->estimate[1] ? n * (std::fabs(0.5 * std::log(alpha)) + 1.0 + std::fabs(stirling_rest(alpha)) +
                                   std::fabs(alpha * spread) + std::fabs(ld)) +
                                  std::fabs(sl)
                            : n * (std::fabs(lg) + std::fabs(alpha * lsig)) + std::fabs((alpha - 1.0) * (n * ld + sl)) +
                                  std::fabs(ysig));
  p.slope = n / p.rest[1] - (alpha - 1.0) * i1;
  p.ok = std::isfinite(p.logl) && std::isfinite(p.slope) && lg != -99.0;
  return p;
}

bool gamma_inside(const zfit_profile_at& p, const void*) { return p.rest[0] > kShapeLow && p.rest[1] > 0.0; }

// The threshold estimated: the largest interior maximum of the likelihood on the
// profile over the threshold.
int optimise(zfit_work* w) {
  double su = 0.0;
  const double min = w->req->min;
  zfit_each_mapped<double>(w, [&](double x) { return x - min; }, [&](double, double f, double u) { su += f * u; });
  const gamma_ctx ctx{zfit_maxiter(w->req, kMlIterations), su / w->req->n};
  zfit_profile_family fam{gamma_profile, &ctx, gamma_inside, 0.0};
  // Far below the data with the scale and shape estimated the law tends to the normal.
  if (w->estimate[1] && w->estimate[2]) fam.limit_logl = zfit_normal_limit_logl(w, &fam.limit_noise);
  zfit_profile_fit fit{};
  if (zfit_profile_search(w, fam, &fit) != 0) {
    zfit_ml_refused(w, fit.why, ctx.maxiter);
    return 1;
  }
  zfit_profile_rise(w, fit.rises_at_min);
  w->params[0] = w->req->min - fit.d;
  w->params[2] = fit.at.rest[0];
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
  if (w->estimate[0]) {
    // The profile search needs no start.
    if (optimise(w) != 0) return 1;
  } else if (w->estimate[2]) {
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
    if (!(alpha0 > 0.0 && std::isfinite(alpha0))) {
      xpmlog(KES_SET_PLOT, KES_MSG_GAMMA_SHAPE_NOT_CONVERGED);
      return 1;
    }
    alpha = alpha0;
    if (NRgamma(w, zfit_maxiter(r, 20), zfit_tol(r, 1e-5), a, gm) != 0) return 1;
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
  if (zbelow_support(x, theta, w->params[1])) return 0.0;
  const double z = (x - theta) / w->params[1];
  const double e = (w->params[2] - 1.0) * std::log(z) + w->c - z;
  return e <= ZEXP_UNDER ? 0.0 : std::exp(e);
}
