// fitweibull: the Weibull fit of the engine (families 3 and 8): Newton for the shape
// with the threshold given, the bounded optimiser on the likelihood when the threshold
// is estimated, the closed-form scale and the curve's height.
#include <cmath>

#include "fit/zfit_fams.h"
#include "fit/zfit_ml.h"
#include "fit/zfit_profile.h"
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

// The profile at the threshold min - d works on L = log1p((x - min) / d) (log y less
// log d, y = x - min + d), kept for the shape's iterations: the shape's equation and
// the log-likelihood less N log d depend on the values only through L, so they keep
// their digits however far the threshold lies below the data.
struct weibull_ctx {
  double* l;  // L of each distinct value
  int maxiter;
  mutable double last_c;  // the shape at the grid's previous threshold: the next start
};

// Sums over the values with the powers q = exp(c (L - ref)) (ref the largest L with
// sigma estimated, log sigma - log d when sigma is given): Q = sum f q,
// QL = sum f q (L - ref), QL2 = sum f q (L - ref)^2.
struct qsums {
  double q = 0, ql = 0, ql2 = 0;
};
qsums powers(const zfit_work* w, const double* l, double c, double ref) {
  qsums s;
  const kes_valview* v = w->values;
  for (int i = 0; i < v->m; ++i) {
    const double e = l[i] - ref, q = std::exp(c * e), f = v->f[i];
    s.q += f * q;
    s.ql += f * q * e;
    s.ql2 += f * q * e * e;
  }
  return s;
}

// The shape of the profile's inner maximum: the root of a strictly decreasing function of
// c (Newton on log c inside the bracket of the signs so far). With sigma estimated,
// 1/c + mean L - QL / Q - ref; with sigma given, N / c + sum f (L - ref) - QL.
bool shape_of(const zfit_work* w, const double* l, double sl, double ref, int maxiter, double* c) {
  const bool sigma_est = w->estimate[1] != 0;
  const double n = w->req->n;
  double lo = 0.0, hi = INFINITY, x = *c;
  for (int it = 0; it < maxiter; ++it) {
    const qsums s = powers(w, l, x, ref);
    if (!std::isfinite(s.q) || !std::isfinite(s.ql2)) {
      hi = x;
    } else {
      const double m = s.ql / s.q;
      const double h = sigma_est ? 1.0 / x + (sl / n - ref) - m : n / x + (sl - n * ref) - s.ql;
      const double hp = sigma_est ? -1.0 / (x * x) - (s.ql2 / s.q - m * m) : -n / (x * x) - s.ql2;
      // Converged once the step in log c is below 1e-10 (the step after it, taken, is
      // below the rounding of h, which holds smaller steps from ever coming).
      const double step = -h / (x * hp);
      if (h == 0.0 || std::fabs(step) <= 1e-10) {
        *c = x * std::exp(step);
        return std::isfinite(*c);
      }
      if (h > 0.0) lo = x;
      else hi = x;
      const double next = x * std::exp(step);
      if (next > lo && next < hi) {
        x = next;
        continue;
      }
    }
    x = std::isfinite(hi) ? (lo > 0.0 ? std::sqrt(lo * hi) : hi / 2.0) : 2.0 * lo;
  }
  *c = x;
  return false;
}

zfit_profile_at weibull_profile(const zfit_work* w, double d, const void* vctx) {
  const weibull_ctx* ctx = static_cast<const weibull_ctx*>(vctx);
  const zfit_req* r = w->req;
  const kes_valview* v = w->values;
  const double n = r->n, min = r->min, ld = std::log(d);
  double sl = 0.0, i1 = 0.0, top = -ZDBL_BIG;
  for (int i = 0; i < v->m; ++i) {
    ctx->l[i] = std::log1p((v->x[i] - min) / d);
    sl += v->f[i] * ctx->l[i];
    i1 += v->f[i] / ((v->x[i] - min) + d);
    top = std::fmax(top, ctx->l[i]);
  }
  zfit_profile_at p{};
  const bool sigma_est = w->estimate[1] != 0;
  const double ref = sigma_est ? top : std::log(w->params[1]) - ld;
  double c = w->params[2];
  if (w->estimate[2]) {
    c = ctx->last_c;
    if (!shape_of(w, ctx->l, sl, ref, ctx->maxiter, &c)) {
      p.budget = true;
      return p;
    }
    ctx->last_c = c;
  }
  const qsums s = powers(w, ctx->l, c, ref);
  double qi = 0.0;  // sum f q / y
  for (int i = 0; i < v->m; ++i) qi += v->f[i] * std::exp(c * (ctx->l[i] - ref)) / ((v->x[i] - min) + d);
  p.rest[0] = c;
  if (sigma_est) {
    p.rest[1] = d * std::exp(top + std::log(s.q / n) / c);
    p.logl = n * std::log(c) - n * c * top - n * std::log(s.q / n) + (c - 1.0) * sl - n * ld - n;
    p.slope = -(c - 1.0) * i1 + c * n * qi / s.q;
  } else {
    // log sigma = ld + ref: log y - log sigma = L - ref.
    p.rest[1] = w->params[1];
    p.logl = n * std::log(c) - n * c * (ld + ref) + (c - 1.0) * (n * ld + sl) - s.q;
    p.slope = -(c - 1.0) * i1 + c * qi;
  }
  p.ok = std::isfinite(p.logl) && std::isfinite(p.slope) && std::isfinite(p.rest[1]);
  return p;
}

bool weibull_inside(const zfit_profile_at& p, const void*) { return p.rest[0] > 1.0 && p.rest[0] < kCMax; }

// The threshold estimated: the largest interior maximum of the likelihood on the
// profile over the threshold (the shape above 1, as the design bounds it).
int optimise(zfit_work* w) {
  zfit_req* r = w->req;
  const kes_valview* v = w->values;
  const long size = 8L * (v->m > 0 ? v->m : 1);
  double* l = static_cast<double*>(vmalcp_handler(r->pool, size, KES_ALLOC));
  if (l == nullptr) {
    xmemmsg(size);
    return 1;
  }
  const weibull_ctx ctx{l, zfit_maxiter(r, kMlIterations), 1.8};
  const zfit_profile_family fam{weibull_profile, &ctx, weibull_inside, 0.0};
  zfit_profile_fit fit{};
  const int rc = zfit_profile_search(w, fam, &fit);
  vmfree_handler(r->pool, l, size, KES_FREE_FLAGS);
  if (rc != 0) {
    zfit_ml_refused(w, fit.why, ctx.maxiter);
    return 1;
  }
  zfit_profile_rise(w, fit.rises_at_min);
  w->params[0] = r->min - fit.d;
  w->params[2] = fit.at.rest[0];
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
  if (zbelow_support(x, theta, sigma)) return 0.0;
  const double z = (x - theta) / sigma, zc = std::pow(z, c);
  if (zc > 10.0) return 0.0;
  return w->c * std::pow(z, c - 1.0) * std::exp(-zc);
}
