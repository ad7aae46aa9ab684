// fitweibull: the Weibull fit of the engine (families 3 and 8): Newton for the shape
// with the threshold given, the bounded optimiser on the likelihood when the threshold
// is estimated, the closed-form scale and the curve's height.
#include <cmath>

#include "fit/zfit_fams.h"
#include "fit/zfit_ml.h"
#include "fit/zfit_unit.h"
#include "host/host_services.h"
#include "kes_msg_names.h"
#include "numeric/zgamma.h"
#include "numeric/zmissing.h"
#include "numeric/znew.h"
#include "numeric/zsupport.h"
#include "records/pool_alloc.h"
#include "util/kes_eps.h"

namespace {
constexpr zfit_shape_notes kShapeNotes = {KES_MSG_WEIBULL_SHAPE_ITERATION_STOPPED, KES_MSG_WEIBULL_SHAPE_NOT_CONVERGED};
constexpr double kCMax = ZEXP_OVER;

double gam(double x, double fail) {
  double g;
  return zgamma(x, &g) == 0 ? g : fail;
}

// Sums of the likelihood over y = x - theta > 0: S0 = sum f ln y, and with
// q = (y / r)^c: Q = sum f q, QL = sum f q ln(y/r), QL2 = sum f q ln(y/r)^2,
// and the inverse-power sums I1 = sum f/y, I2 = sum f/y^2, QI1 = sum f q/y,
// QI2 = sum f q/y^2, QLI = sum f q ln(y/r)/y.
struct wsums {
  double s0 = 0, q = 0, ql = 0, ql2 = 0, i1 = 0, i2 = 0, qi1 = 0, qi2 = 0, qli = 0;
};
wsums sums(const zfit_work* w, double c, double theta, double r) {
  wsums s;
  const double lr = std::log(r);
  struct logpow {
    double ly, q;
  };
  zfit_each_mapped<logpow>(
      w,
      [&](double x) -> logpow {
        const double y = x - theta;
        if (!(y > 0.0)) return {0.0, 0.0};
        const double ly = std::log(y);
        return {ly, std::exp(c * (ly - lr))};
      },
      [&](double x, double f, const logpow& t) {
    const double y = x - theta;
    if (!(y > 0.0)) return;
    const double ly = t.ly, l = ly - lr, q = t.q;
    s.s0 += f * ly;
    s.q += f * q;
    s.ql += f * q * l;
    s.ql2 += f * q * l * l;
    s.i1 += f / y;
    s.i2 += f / (y * y);
    s.qi1 += f * q / y;
    s.qi2 += f * q / (y * y);
    s.qli += f * q * l / y;
  });
  return s;
}

const zfit_work* work_of(void* d) { return static_cast<const zfit_work*>(static_cast<zfit_optrec*>(d)->fitwork); }

// Values of the likelihood use M = maximum - theta (sigma estimated) or sigma as the
// reference r of the powers, so that they stay near 1.
double reference(const zfit_work* w, double theta) { return w->estimate[1] ? w->req->max - theta : w->params[1]; }

double value_of(const zfit_work* w, double c, double theta, const wsums& s) {
  const double n = w->req->n;
  if (w->estimate[1]) {
    const double m = w->req->max - theta;
    return n * (c * std::log(m) + std::log(s.q) - std::log(c) + 1.0 - std::log(n)) - (c - 1.0) * s.s0;
  }
  const double sigma = w->params[1];
  return n * (c * std::log(sigma) - std::log(c)) - (c - 1.0) * s.s0 + s.q;
}

void derivs_of(zfit_optrec* o, const zfit_work* w, const wsums& s) {
  const double c = o->x[0], theta = o->x[1], n = w->req->n;
  double* g = o->grad;
  double* h = o->hess;
  if (w->estimate[1]) {
    const double m = w->req->max - theta;
    // Ratios to T = sum f y^c, written with the powers of y/M; ln y = l + ln M.
    const double lm = std::log(m);
    const double tc = s.ql / s.q + lm;                         // T_c / T
    const double tcc = (s.ql2 + 2.0 * lm * s.ql + lm * lm * s.q) / s.q;  // T_cc / T
    const double tt = -c * s.qi1 / s.q;                        // T_theta / T
    const double tct = -(c * (s.qli + lm * s.qi1) + s.qi1) / s.q;  // T_c,theta / T
    const double ttt = c * (c - 1.0) * s.qi2 / s.q;            // T_theta,theta / T
    g[0] = n * (tc - 1.0 / c) - s.s0;
    g[1] = n * tt + (c - 1.0) * s.i1;
    h[0] = n * (tcc - tc * tc + 1.0 / (c * c));
    h[1] = n * (tct - tc * tt) + s.i1;
    h[2] = n * (ttt - tt * tt) + (c - 1.0) * s.i2;
  } else {
    const double sigma = w->params[1];
    g[0] = n * (std::log(sigma) - 1.0 / c) - s.s0 + s.ql;
    g[1] = (c - 1.0) * s.i1 - c * s.qi1;
    h[0] = n / (c * c) + s.ql2;
    h[1] = s.i1 - s.qi1 - c * s.qli;
    h[2] = (c - 1.0) * s.i2 + c * (c - 1.0) * s.qi2;
  }
  zfit_hold_given(o);
}

// The negative log-likelihood with its gradient and Hessian, from one pass over the values.
double NegLogLikeDer(void* d) {
  zfit_optrec* o = static_cast<zfit_optrec*>(d);
  const zfit_work* w = work_of(d);
  const double c = o->x[0], theta = o->x[1];
  const wsums s = sums(w, c, theta, reference(w, theta));
  const double f = value_of(w, c, theta, s);
  derivs_of(o, w, s);
  ++o->nevals;
  o->f = f;
  return f;
}

// The shape whose skewness matches the sample's.
double match_skewness(double target) {
  double c = 1.8, lo, hi;
  if (target < sqrtbeta1(c)) {
    do {
      lo = c;
      c *= 1.5;
    } while (sqrtbeta1(c) > target && c < kCMax);
    hi = c;
  } else {
    do {
      hi = c;
      c /= 1.5;
    } while (sqrtbeta1(c) <= target && c > 1e-3);
    lo = c;
  }
  double m = lo;
  for (int k = 0; hi - lo > 0.1 && k < 200; ++k) {
    m = (lo + hi) / 2.0;
    if (target < sqrtbeta1(m)) lo = m;
    else hi = m;
  }
  return m;
}

// The threshold estimated: the shape and the threshold at an interior maximum of the
// likelihood, the shape's start matching the sample's skewness and the threshold's
// the moments.
int optimise(zfit_work* w) {
  zfit_req* r = w->req;
  zfit_thresh_spec s{w->params[2], w->params[2], w->params[2], zmissing(), NegLogLikeDer};
  if (w->estimate[2]) {
    if (!std::isnan(r->init_shape)) {
      s.shape0 = r->init_shape;
    } else if (std::isnan(r->skew)) {
      xpmlog(KES_SET_PLOT, KES_MSG_WEIBULL_SHAPE_NOT_CONVERGED);
      return 1;
    } else {
      s.shape0 = r->skew < -1.0 ? 1.8 : match_skewness(r->skew);
    }
    if (s.shape0 < 1.0 || s.shape0 > kCMax) s.shape0 = 1.8;
    s.shape_lo = 1.0;
    s.shape_hi = kCMax;
  }
  const double c0 = s.shape0;
  const double g1 = gam(1.0 + 1.0 / c0, 1.0), g2 = gam(1.0 + 2.0 / c0, 2.0);
  const double s0 = w->estimate[1] ? r->std / std::sqrt(g2 - g1 * g1) : w->params[1];
  s.theta0 = r->mean - s0 * g1;
  double x[2];
  zfit_ml_end why;
  if (zfit_threshold_ml(w, s, x, &why) != 0) {
    zfit_ml_refusal_note(KES_MSG_WEIBULL_ML_NOT_FOUND, why, zfit_maxiter(r, kMlIterations));
    return 1;
  }
  w->params[2] = x[0];
  w->params[0] = x[1];
  return 0;
}

int weibull_height(zfit_work* w) {
  zfit_req* r = w->req;
  const double theta = w->params[0], sigma = w->params[1], c = w->params[2];
  const double s = r->n * r->width * c / sigma;
  w->c = s;
  if (c > 1.0 + 1e-10) {
    const double m = theta + sigma * std::pow((c - 1.0) / c, 1.0 / c);
    const double x = r->low < m && m < r->high ? m : m < r->low ? r->low : r->high;
    r->mode_x = m;
    if (!(x > theta)) {
      r->height = 0.0;
      return 0;
    }
    const double z = (x - theta) / sigma, zc = std::pow(z, c);
    if (!std::isfinite(zc)) {
      xpmlog(KES_SET_PLOT, KES_MSG_WEIBULL_HEIGHT_NOT_COMPUTED);
      return 1;
    }
    r->height = zc >= -ZEXP_UNDER ? 0.0 : s * std::pow(z, c - 1.0) * std::exp(-zc);
  } else if (std::fabs(c - 1.0) <= 1e-10) {
    double f = 0.0;
    if (r->low <= theta && theta <= r->high) f = 1.0;
    else if (r->low > theta && (r->low - theta) / sigma < -ZEXP_UNDER) f = std::exp(-(r->low - theta) / sigma);
    // The cap of a peak far above the bars is applied on the vertical scale by the
    // estimate function, after the engine's conversion.
    r->height = s * f;
    r->mode_x = theta;
  } else {
    r->mode_x = theta;
    r->height = 0.0;
  }
  return 0;
}
}  // namespace

double sqrtbeta1(double c) {
  double g1 = 0, g2 = 0, g3 = 0;
  zgamma(1.0 + 1.0 / c, &g1);
  zgamma(1.0 + 2.0 / c, &g2);
  zgamma(1.0 + 3.0 / c, &g3);
  return (g3 - 3.0 * g1 * g2 + 2.0 * g1 * g1 * g1) / std::pow(g2 - g1 * g1, 1.5);
}

int NRweibull(zfit_work* w, int maxiter, double tol) {
  const zfit_req* r = w->req;
  const double theta = w->params[0], n = r->n;
  double& c = w->params[2];
  if (zfit_shape_idle(maxiter, tol, kShapeNotes)) return 0;
  const double tiny = KES_EPS53;
  const bool sigma_est = w->estimate[1] != 0;
  const double ls = sigma_est ? 0.0 : std::log(w->params[1]);
  auto fail = [&] {
    xpmlog(KES_SET_PLOT, KES_MSG_WEIBULL_NEWTON_STOPPED);
    if (sigma_est) xpmlog(KES_SET_PLOT, KES_MSG_SCALE_ESTIMATED_WITH_SHAPE);
    else xpmlog(KES_SET_PLOT, KES_MSG_THRESHOLD_IS, zfit_in_data_units(w, theta));
    xpmlog(KES_SET_PLOT, KES_MSG_WEIBULL_CURVE_NOT_FITTED);
    return 1;
  };
  // The logarithms once for all iterations, when there is room for them.
  const kes_valview* fl = w->values;
  double* ly = fl != nullptr ? static_cast<double*>(vmalcp_handler(r->pool, 8L * fl->m, KES_ALLOC)) : nullptr;
  if (ly != nullptr)
    kes::parallel_ranges(kes::usable_threads(r->threads), static_cast<std::size_t>(fl->m), kes::ordered_map_grain,
                         [&](std::size_t lo, std::size_t hi) {
                           for (std::size_t i = lo; i < hi; ++i) ly[i] = std::log(fl->x[i] - theta);
                         });
  // The powers y^c relative to a reference r (the largest y with sigma estimated, sigma
  // when it is given), so that they neither overflow nor underflow at large shapes:
  // with p = (y/r)^c and l = ln y - ln r the sums B, C, D below are those of the
  // design divided by r^c, which leaves t and F unchanged (sigma given: r = sigma).
  double lr = ls;
  if (sigma_est) {
    lr = -ZDBL_BIG;
    kes_each_value(w->values, [&](double x, double) { lr = std::fmax(lr, std::log(x - theta)); });
  }
  for (int it = 1;; ++it) {
    double a = 0, b = 0, cc = 0, d = 0;
    bool over = false;
    auto add = [&](double ly, double f, double p) {
      const double l = ly - lr;
      if (c * l >= ZEXP_OVER) over = true;
      a += f * ly;
      b += f * p * l;
      cc += f * p * l * l;
      d += f * p;
    };
    if (ly != nullptr) {
      kes::ordered_map<double>(
          r->threads, fl->m, [&](long i) { return std::exp(c * (ly[i] - lr)); },
          [&](long i, double p) {
            add(ly[i], fl->f[i], p);
            return true;
          });
    } else {
      kes_each_value(w->values, [&](double x, double f) {
        const double l = std::log(x - theta);
        add(l, f, std::exp(c * (l - lr)));
      });
    }
    if (over) return fail();
    if (!std::isfinite(a) || !std::isfinite(b) || !std::isfinite(cc) || !std::isfinite(d)) return fail();
    if (std::fabs(d) <= tiny) return fail();
    // B / D in the design's terms: sum p ln y / sum p.
    const double t = b / d + lr - a / n;
    if (std::fabs(t) <= tiny) return fail();
    double f, fp;
    if (sigma_est) {
      f = c - 1.0 / t;
      fp = 1.0 + (cc / d - (b / d) * (b / d)) / (t * t);
    } else {
      f = a + n / c - n * ls - b;
      fp = -n / (c * c) - cc;
    }
    if (std::fabs(fp) <= tiny) return fail();
    const int rc = zfit_shape_step(&c, f, fp, tol, it, maxiter, kShapeNotes);
    if (rc >= 0) return rc;
  }
}

int fitweibull(zfit_work* w) {
  zfit_req* r = w->req;
  w->curve = weibullplot;
  double& theta = w->params[0];
  double& sigma = w->params[1];
  double& c = w->params[2];
  if (w->estimate[2] && !w->estimate[0]) {
    c = std::isnan(r->init_shape) ? 1.8 : r->init_shape;
    if (NRweibull(w, zfit_maxiter(r, 20), zfit_tol(r, 1e-5)) != 0) return 1;
  } else if (w->estimate[0]) {
    if (optimise(w) != 0) return 1;
  }
  if (!(c > 0.0) || !std::isfinite(c)) {
    xpmlog(KES_SET_PLOT, KES_MSG_WEIBULL_SHAPE_NOT_POSITIVE);
    return 1;
  }
  if (w->estimate[1]) {
    // sigma = M (sum f (y/M)^c / N)^(1/c) with M the largest y: no power overflows.
    const double m = r->max - theta;
    double s = 0.0;
    zfit_each_mapped<double>(
        w, [&](double x) { return x > theta ? std::pow((x - theta) / m, c) : 0.0; },
        [&](double x, double f, double p) {
          if (x > theta) s += f * p;
        });
    sigma = m * std::pow(s / r->n, 1.0 / c);
    if (!std::isfinite(sigma) || !(sigma > 0.0)) {
      xpmlog(KES_SET_PLOT, KES_MSG_WEIBULL_SCALE_NOT_COMPUTED);
      return 1;
    }
  }
  w->range_low = r->low;
  w->range_high = r->high;
  if (r->want_height) return weibull_height(w);
  return 0;
}

double weibullplot(double x, const zfit_work* w) {
  const double theta = w->params[0], sigma = w->params[1], c = w->params[2];
  if (zbelow_support(x, theta)) return 0.0;
  const double z = (x - theta) / sigma, zc = std::pow(z, c);
  if (zc > 10.0) return 0.0;
  return w->c * std::pow(z, c - 1.0) * std::exp(-zc);
}
