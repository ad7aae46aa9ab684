// fitbeta: the beta fit of the engine: the shapes by zbtamle when the support is
// given, the profile over the threshold when it is estimated with the scale given, the
// maximum-likelihood engine when the scale is estimated, and the curve's constant, mode
// and height.
#include <cmath>
#include <initializer_list>

#include "fit/family/kes_families.h"
#include "fit/zfit_fams.h"
#include "fit/zfit_ml.h"
#include "fit/zfit_profile.h"
#include "host/host_services.h"
#include "kes_msg_names.h"
#include "numeric/zlgamma.h"
#include "numeric/zmissing.h"
#include "numeric/znew.h"
#include "numeric/zsupport.h"
#include "util/kes_eps.h"

namespace {
// Optimiser parameters, in its order.
enum { A, B, T, S };

const zfit_work* work_of(void* d) { return static_cast<const zfit_work*>(static_cast<zfit_optrec*>(d)->fitwork); }

// Sums over the values inside the open support (theta, theta + sigma).
struct bsums {
  double s1 = 0, s2 = 0, t1 = 0, u1 = 0, t2 = 0, u2 = 0;
};
bsums sums(const zfit_work* w, double theta, double top) {
  bsums s;
  // The logarithms on the request's threads, the sums in order.
  struct logs {
    double l, r;
  };
  zfit_each_mapped<logs>(
      w,
      [&](double x) -> logs {
        const double l = x - theta, r = top - x;
        return {l > 0.0 ? std::log(l) : 0.0, r > 0.0 ? std::log(r) : 0.0};
      },
      [&](double x, double f, const logs& lg) {
    const double l = x - theta, r = top - x;
    if (l > 0.0) s.s1 += f * lg.l;
    if (r > 0.0) s.s2 += f * lg.r;
    if (!(l > 0.0) || !(r > 0.0)) return;
    s.t1 += f / l;
    s.u1 += f / (l * l);
    s.t2 += f / r;
    s.u2 += f / (r * r);
  });
  return s;
}

// The negative log-likelihood with its gradient and Hessian, from one pass over the
// values.
double betaNegLogLikeDer(void* d) {
  zfit_optrec* o = static_cast<zfit_optrec*>(d);
  const zfit_work* w = work_of(d);
  const double* p = o->x;
  const double n = w->req->n, a = p[A], b = p[B], sg = p[S];
  ++o->nevals;
  // Outside the values' support the likelihood is 0 (no derivatives: no step is taken
  // there).
  o->f = ZDBL_BIG;
  if (!(p[T] < w->req->min && p[T] + p[S] > w->req->max)) return o->f;
  const bsums s = sums(w, p[T], p[T] + sg);
  const double f = n * (zlbeta(a, b) + (a + b - 1.0) * std::log(sg)) - (a - 1.0) * s.s1 - (b - 1.0) * s.s2;
  o->f = f;
  const double pab = zbeta_psi(a + b), tab = zbeta_psi1(a + b);
  double* g = o->grad;
  double* h = o->hess;
  g[A] = n * (std::log(sg) + zbeta_psi(a) - pab) - s.s1;
  g[B] = n * (std::log(sg) + zbeta_psi(b) - pab) - s.s2;
  g[T] = (a - 1.0) * s.t1 - (b - 1.0) * s.t2;
  g[S] = n * (a + b - 1.0) / sg - (b - 1.0) * s.t2;
  // Packed upper triangle: (a,a) (a,b) (b,b) (a,t) (b,t) (t,t) (a,s) (b,s) (t,s) (s,s).
  const double hv[10] = {n * (zbeta_psi1(a) - tab),
                         -n * tab,
                         n * (zbeta_psi1(b) - tab),
                         s.t1,
                         -s.t2,
                         (a - 1.0) * s.u1 + (b - 1.0) * s.u2,
                         n / sg,
                         n / sg - s.t2,
                         (b - 1.0) * s.u2,
                         (b - 1.0) * s.u2 - n * (a + b - 1.0) / (sg * sg)};
  for (int k = 0; k < 10; ++k) h[k] = hv[k];
  zfit_hold_given(o);
  return f;
}

// The shapes whose law has the standardized mean and variance of the values on the
// support (theta, theta + sigma); a given shape is kept.
void moment_shapes(const zfit_work* w, double* x) {
  const zfit_req* r = w->req;
  const double m = (r->mean - x[T]) / x[S], v = (r->std / x[S]) * (r->std / x[S]);
  const double k = m * (1.0 - m) / v - 1.0;
  if (w->estimate[2]) x[A] = m * k;
  if (w->estimate[3]) x[B] = (1.0 - m) * k;
}

// Bounds and starts. The offsets of the starts and bounds from the data are in units
// of the data's range, so that the fit does not depend on the unit of measurement: the
// support's ends stay 1e-4 and 2e-4 of the range off the data, so that a maximum close
// to the data can be reached. The first start is the design's, by the moments of
// Pearson's type I law (when the sample has them); the others put the support's ends
// 0.1, 1 and 0.01 ranges off the data with the shapes of the moments there.
void setup(const zfit_work* w, zfit_ml_spec* sp) {
  const zfit_req* r = w->req;
  const double range = w->data_range;
  const double u = range > 0.0 ? range : 1.0;
  const int pidx[4] = {2, 3, 0, 1};  // the work record's index of each optimiser parameter
  double* lo = sp->lo;
  double* hi = sp->hi;
  sp->n = 4;
  for (int k = 0; k < 4; ++k) sp->flags[k] = w->estimate[pidx[k]];
  lo[A] = lo[B] = 0.001;
  hi[A] = hi[B] = ZDBL_BIG;
  lo[T] = -ZDBL_BIG;
  hi[T] = r->min - 1e-4 * u;
  lo[S] = (w->estimate[0] ? range : r->max - w->params[0]) + 2e-4 * u;
  hi[S] = ZDBL_BIG;
  for (int k = 0; k < 4; ++k)
    if (!w->estimate[pidx[k]]) lo[k] = hi[k] = w->params[pidx[k]];
  sp->objderiv = betaNegLogLikeDer;
  sp->tol = zfit_tol(r, kMlTolerance);
  sp->unit_log = r->n * std::log(u);
  sp->values = r->n;
  sp->maxiter = zfit_maxiter(r, kMlIterations);
  double x0[4];
  if (!std::isnan(r->skew) && !std::isnan(r->kurt)) {
    const double b1 = r->skew * r->skew, b2 = r->kurt + 3.0;
    const double rr = 6.0 * (b2 - b1 - 1.0) / (6.0 + 3.0 * b1 - 2.0 * b2);
    const double rp = std::fabs(rr) < 1e-6 ? 0.1 : std::fabs(rr);
    const double q = (rp + 2.0) * (rp + 2.0) * b1 + 16.0 * (rp + 1.0);
    const double t = (rp + 2.0) * std::sqrt(b1 / q);
    const double a1 = rp / 2.0 * (1.0 - t), a2 = rp / 2.0 * (1.0 + t);
    x0[A] = w->estimate[2] ? (r->skew > 0.0 ? a1 : a2) : w->params[2];
    x0[B] = w->estimate[3] ? (r->skew > 0.0 ? a2 : a1) : w->params[3];
    x0[S] = w->estimate[1] ? r->std / 2.0 * std::sqrt(q) : w->params[1];
    if (x0[S] < range) x0[S] = range + 0.1 * u;
    x0[T] = w->estimate[0] ? r->mean - x0[S] * x0[A] / (x0[A] + x0[B]) : w->params[0];
    if (x0[T] > r->min) x0[T] = r->min - 0.1 * u;
    if (x0[T] + x0[S] < r->max) {
      if (w->estimate[1]) x0[S] = r->max - x0[T] + 0.1 * u;
      else x0[T] = (r->max - x0[S] + r->min) / 2.0;
    }
    zfit_ml_add_start(sp, x0);
  }
  for (double d : {0.1, 1.0, 0.01}) {
    x0[A] = w->params[2];
    x0[B] = w->params[3];
    x0[T] = w->estimate[0] ? r->min - d * u : w->params[0];
    x0[S] = w->estimate[1] ? r->max + d * u - x0[T] : w->params[1];
    if (w->estimate[0] && !w->estimate[1] && x0[T] + x0[S] <= r->max) x0[T] = (r->max - x0[S] + r->min) / 2.0;
    moment_shapes(w, x0);
    zfit_ml_add_start(sp, x0);
  }
}

void one_shape_note(const zfit_work* w) {
  if (w->estimate[2] + w->estimate[3] == 1) xpmlog(KES_SET_PLOT, KES_MSG_BETA_SECOND_SHAPE_NOT_FOUND);
}

// Path 1: the shapes with theta and sigma given.
int shapes(zfit_work* w) {
  const zfit_req* r = w->req;
  const double theta = w->params[0], sigma = w->params[1];
  double g1 = 0.0, g2 = 0.0;
  kes_each_value(w->values, [&](double x, double f) {
    g1 -= f * std::log((x - theta) / sigma);
    g2 -= f * std::log((theta + sigma - x) / sigma);
  });
  g1 /= r->n;
  g2 /= r->n;
  const double tol = zfit_tol(r, 1e-12);
  double resid = 0.0;
  // The given shape is always the solver's first.
  const int rc = w->estimate[3] ? zbtamle(g1, g2, &w->params[2], &w->params[3], tol, &resid)
                                : zbtamle(g2, g1, &w->params[3], &w->params[2], tol, &resid);
  if (rc == 0) return 0;
  xpmlog(KES_SET_PLOT, KES_MSG_BETA_SHAPES_NOT_ESTIMATED);
  one_shape_note(w);
  return 1;
}


// The profiles over the support's ends. At the threshold below the smallest value by
// lo (x - theta = (x - min) + lo) and the upper end above the largest value (top - x
// from x - min by the caller's rule: the scale less those, or the distance above the
// largest value plus max - x, exact near the data), the shapes solve their likelihood
// equations (zbtamle, as with the support given).
struct beta_at {
  double a, b, sg, logl, t1, t2, noise;
  bool ok;
};
// zbtamle stops where its equations' squared residuals fall below the tolerance, their
// residuals near its square root; with shapes in the hundreds that leaves the shapes
// far enough off that the profile's slope (exact only at the shapes' maximum) is a
// few thousandths off, and the grid's maxima cannot be bracketed by it. Newton's steps
// from there go on while they shrink: the equations to rounding.
void polish_shapes(double g1, double g2, double* a, double* b) {
  double last = INFINITY;
  for (int it = 0; it < 8; ++it) {
    const double s = zbeta_psi(*a + *b), ts = zbeta_psi1(*a + *b);
    const double f1 = s - zbeta_psi(*a) - g1, f2 = s - zbeta_psi(*b) - g2;
    const double j11 = zbeta_psi1(*a) - ts, j12 = -ts, j22 = zbeta_psi1(*b) - ts;
    const double det = j11 * j22 - j12 * j12;
    if (!(std::fabs(det) > 0.0) || !std::isfinite(det)) return;
    const double da = (j22 * f1 - j12 * f2) / det, db = (j11 * f2 - j12 * f1) / det;
    const double size = std::fabs(da) / *a + std::fabs(db) / *b;
    if (!(size < last) || !(*a + da > 0.0) || !(*b + db > 0.0)) return;
    *a += da;
    *b += db;
    last = size;
    if (size < 1e-15) return;
  }
}

template <class Top>
beta_at beta_shapes_at(const zfit_work* w, double lo, double sg, double tol, Top top) {
  const double n = w->req->n, min = w->req->min;
  struct logs {
    double l, r;
  };
  double s1 = 0.0, s2 = 0.0, t1 = 0.0, t2 = 0.0;
  zfit_each_mapped<logs>(
      w, [&](double x) -> logs { return {std::log(((x - min) + lo) / sg), std::log(top(x - min) / sg)}; },
      [&](double x, double f, const logs& lg) {
        s1 += f * lg.l;
        s2 += f * lg.r;
        t1 += f / ((x - min) + lo);
        t2 += f / top(x - min);
      });
  beta_at p{w->params[2], w->params[3], sg, 0.0, t1, t2, 0.0, false};
  double resid = 0.0;
  if (w->estimate[2] || w->estimate[3]) {
    const int rc = w->estimate[3] ? zbtamle(-s1 / n, -s2 / n, &p.a, &p.b, tol, &resid)
                                  : zbtamle(-s2 / n, -s1 / n, &p.b, &p.a, tol, &resid);
    if (rc != 0) return p;
    if (w->estimate[2] && w->estimate[3]) polish_shapes(-s1 / n, -s2 / n, &p.a, &p.b);
  }
  p.logl = -n * (zlbeta(p.a, p.b) + std::log(sg)) + (p.a - 1.0) * s1 + (p.b - 1.0) * s2;
  // Shapes in the millions (the law near its limit far from the data) leave log L the
  // rounding of its terms: log-gammas of that size and the sums times the shapes.
  const double la = std::fabs(zlgamma(p.a)), lb = std::fabs(zlgamma(p.b)), lab = std::fabs(zlgamma(p.a + p.b));
  p.noise = 64.0 * ZEPS53 *
            (n * (la + lb + lab + std::fabs(std::log(sg))) + std::fabs((p.a - 1.0) * s1) + std::fabs((p.b - 1.0) * s2));
  p.ok = std::isfinite(p.logl);
  return p;
}

// A profile's point from the shapes there and the slope in the end being searched
// (positive where log L rises as the end nears the data).
zfit_profile_at profile_point(const beta_at& q, double slope) {
  zfit_profile_at p{};
  p.rest[0] = q.a;
  p.rest[1] = q.b;
  p.logl = q.logl;
  p.slope = slope;
  p.noise = q.noise;
  p.ok = q.ok && std::isfinite(p.logl) && std::isfinite(p.slope);
  return p;
}

struct beta_profile_ctx {
  double tol;
  double lo;  // the upper end's profile: the threshold's distance below the smallest value
};

// The threshold at min - d with the scale given; the slope is the likelihood's
// derivative in the threshold, sum f ((b - 1) / (theta + sigma - x) - (a - 1) / (x - theta)).
zfit_profile_at beta_profile(const zfit_work* w, double d, const void* vctx) {
  const double sg = w->params[1], room = sg - d;  // room: theta + sigma - min
  const beta_at q = beta_shapes_at(w, d, sg, static_cast<const beta_profile_ctx*>(vctx)->tol,
                                   [room](double xr) { return room - xr; });
  return profile_point(q, (q.b - 1.0) * q.t2 - (q.a - 1.0) * q.t1);
}

// The upper end at max + d with the threshold ctx->lo below the smallest value; the
// slope is minus the likelihood's derivative in the upper end,
// n (a + b - 1) / sigma - sum f (b - 1) / (top - x).
zfit_profile_at beta_top_profile(const zfit_work* w, double d, const void* vctx) {
  const beta_profile_ctx* c = static_cast<const beta_profile_ctx*>(vctx);
  const double range = w->data_range, n = w->req->n;
  const beta_at q = beta_shapes_at(w, c->lo, (range + c->lo) + d, c->tol,
                                   [range, d](double xr) { return (range - xr) + d; });
  return profile_point(q, n * (q.a + q.b - 1.0) / q.sg - (q.b - 1.0) * q.t2);
}

// The engine's bounds of the shapes.
bool beta_inside(const zfit_profile_at& p, const void*) { return p.rest[0] > 0.001 && p.rest[1] > 0.001; }

// The threshold at min - d with the upper end at its profile's largest interior maximum
// (its distance above the largest value into rest[2]); the slope is the likelihood's
// derivative in the threshold with the upper end held (the envelope of the inner
// maximum), n (a + b - 1) / sigma - sum f (a - 1) / (x - theta).
zfit_profile_at beta_ends_profile(const zfit_work* w, double d, const void* vctx, zfit_profile_fit* inner) {
  const beta_profile_ctx c{static_cast<const beta_profile_ctx*>(vctx)->tol, d};
  const zfit_profile_family fam{beta_top_profile, &c, beta_inside, 0.0};
  zfit_profile_at p{};
  if (zfit_profile_search(w, fam, inner) != 0) {
    p.budget = inner->why == ZFIT_ML_BUDGET;
    return p;
  }
  const double range = w->data_range, n = w->req->n, up = inner->d;
  const beta_at q =
      beta_shapes_at(w, d, (range + d) + up, c.tol, [range, up](double xr) { return (range - xr) + up; });
  p = profile_point(q, n * (q.a + q.b - 1.0) / q.sg - (q.a - 1.0) * q.t1);
  p.rest[2] = up;
  return p;
}
zfit_profile_at beta_ends(const zfit_work* w, double d, const void* vctx) {
  zfit_profile_fit inner{};
  return beta_ends_profile(w, d, vctx, &inner);
}

// The refusal of a profile fit that found no interior maximum.
int profile_refused(zfit_work* w, zfit_ml_end why) {
  zfit_ml_refused(w, why, zfit_maxiter(w->req, kMlIterations));
  one_shape_note(w);
  return 1;
}

// Path 2: the threshold estimated with the scale given, on the profile over the
// threshold between the largest value less the scale and the smallest value.
int profile_fit(zfit_work* w) {
  const zfit_req* r = w->req;
  const beta_profile_ctx ctx{zfit_tol(r, 1e-12), 0.0};
  const zfit_profile_family fam{beta_profile, &ctx, beta_inside, w->params[1] - w->data_range};
  zfit_profile_fit fit{};
  if (zfit_profile_search(w, fam, &fit) != 0) return profile_refused(w, fit.why);
  zfit_profile_rise(w, fit.rises_at_min);
  w->params[0] = r->min - fit.d;
  w->params[2] = fit.at.rest[0];
  w->params[3] = fit.at.rest[1];
  return 0;
}

// Path 3: the scale estimated with the threshold given, on the profile over the upper
// end from the largest value upward.
int top_profile_fit(zfit_work* w) {
  const zfit_req* r = w->req;
  const beta_profile_ctx ctx{zfit_tol(r, 1e-12), r->min - w->params[0]};
  const zfit_profile_family fam{beta_top_profile, &ctx, beta_inside, 0.0};
  zfit_profile_fit fit{};
  // The likelihood rising as the upper end moves away is a rise toward sigma's bound.
  if (zfit_profile_search(w, fam, &fit) != 0)
    return profile_refused(w, fit.why == ZFIT_ML_AWAY ? ZFIT_ML_AT_BOUND : fit.why);
  zfit_profile_rise(w, fit.rises_at_min, true);
  w->params[1] = (w->data_range + fit.d) + ctx.lo;
  w->params[2] = fit.at.rest[0];
  w->params[3] = fit.at.rest[1];
  return 0;
}

// Whether log L at the optimiser's point x stands above the normal limit's by more
// than its rounding (that of each of its terms); true where it is not finite or x lies
// outside the values' support (no point to judge).
bool above_limit(const zfit_work* w, const double* x) {
  if (!(x[T] < w->req->min && x[T] + x[S] > w->req->max)) return true;
  const double n = w->req->n, a = x[A], b = x[B], sg = x[S];
  const bsums s = sums(w, x[T], x[T] + sg);
  const double lb = zlbeta(a, b), ls = (a + b - 1.0) * std::log(sg);
  const double logl = (a - 1.0) * s.s1 + (b - 1.0) * s.s2 - n * (lb + ls);
  const double noise =
      64.0 * ZEPS53 * (n * (std::fabs(lb) + std::fabs(ls)) + std::fabs((a - 1.0) * s.s1) + std::fabs((b - 1.0) * s.s2));
  return !std::isfinite(logl) || zfit_above_normal_limit(w, logl, noise);
}

// Path 4: both ends estimated. The engine from its starts first (MAXITER= and TOL= are
// its budget and stopping rule); where it finds no interior maximum for a reason other
// than its budget, the profile over the threshold of the upper end's profile, whose
// grids reach maxima the starts miss.
int both_ends_fit(zfit_work* w) {
  const zfit_req* r = w->req;
  zfit_ml_spec s{};
  setup(w, &s);
  double x[4] = {NAN, NAN, NAN, NAN};
  zfit_ml_end why;
  const int rc = zfit_ml(w, s, x, &why);
  // With both shapes estimated too the law tends to the normal as they grow with its
  // support: a maximum the doubles cannot tell above it is the rounding of a rise
  // toward that limit, and a search whose budget ends short of the limit law's
  // likelihood climbs toward it.
  if ((rc == 0 || why == ZFIT_ML_BUDGET) && w->estimate[2] && w->estimate[3] && !above_limit(w, x)) {
    zfit_ml_refused(w, ZFIT_ML_AWAY, s.maxiter);
    return 1;
  }
  if (rc == 0) {
    w->params[2] = x[A];
    w->params[3] = x[B];
    w->params[0] = x[T];
    w->params[1] = x[S];
    return 0;
  }
  if (why == ZFIT_ML_BUDGET) {
    zfit_ml_refused(w, why, s.maxiter);
    one_shape_note(w);
    return 1;
  }
  const beta_profile_ctx ctx{zfit_tol(r, 1e-12), 0.0};
  const zfit_profile_family fam{beta_ends, &ctx, beta_inside, 0.0};
  zfit_profile_fit fit{};
  if (zfit_profile_search(w, fam, &fit) != 0) return profile_refused(w, fit.why);
  zfit_profile_fit inner{};
  beta_ends_profile(w, fit.d, &ctx, &inner);
  zfit_profile_rise(w, fit.rises_at_min);
  zfit_profile_rise(w, inner.rises_at_min, true);
  w->params[0] = r->min - fit.d;
  w->params[1] = (w->data_range + fit.at.rest[2]) + fit.d;
  w->params[2] = fit.at.rest[0];
  w->params[3] = fit.at.rest[1];
  return 0;
}

// Height of the curve at x with the constant c, x inside the support.
double height_in(double x, double c, const double* p) {
  const double d = x - p[0];
  return std::exp(std::log(c) + (p[2] - 1.0) * std::log(d) + (p[3] - 1.0) * std::log(p[1] - d) -
                  (p[2] + p[3] - 1.0) * std::log(p[1]));
}
}  // namespace

double kesbplt(double x, double c, const double* params) {
  const bool out = zbelow_support(x, params[0], params[1]) || zabove_support(x, params[0], params[1]);
  return out ? 0.0 : height_in(x, c, params);
}

int fitbeta(zfit_work* w) {
  zfit_req* r = w->req;
  w->curve = betaplot;
  w->range_low = r->low;
  w->range_high = r->high;
  double* p = w->params;
  const bool theta_est = w->estimate[0] != 0, sigma_est = w->estimate[1] != 0;
  if (!theta_est && !(p[0] < r->min)) return 1;
  if (!sigma_est && !theta_est && !(p[0] + p[1] > r->max)) return 1;
  if (!sigma_est && theta_est && !(w->data_range < p[1])) return 1;
  int rc = 0;
  if (theta_est && !sigma_est) rc = profile_fit(w);
  else if (sigma_est && !theta_est) rc = top_profile_fit(w);
  else if (theta_est) rc = both_ends_fit(w);
  else if (w->estimate[2] || w->estimate[3]) rc = shapes(w);
  if (rc != 0) return rc;
  if (p[2] < 0.0) {
    xpmlog(KES_SET_PLOT, KES_MSG_ESTIMATED_BETA_SHAPE_ALPHA, p[2]);
    xpmlog(KES_SET_PLOT, KES_MSG_BETA_NOT_FITTED_ALPHA);
    return 1;
  }
  if (p[3] < 0.0) {
    xpmlog(KES_SET_PLOT, KES_MSG_ESTIMATED_BETA_SHAPE_BETA, p[3]);
    xpmlog(KES_SET_PLOT, KES_MSG_BETA_NOT_FITTED_BETA);
    return 1;
  }
  if (!r->want_height) return 0;
  const double la = zlgamma(p[2]), lb = zlgamma(p[3]), lab = zlgamma(p[2] + p[3]);
  const double lnb = la + lb - lab;
  if (la == -99.0 || lb == -99.0 || lab == -99.0 || !(-lnb < ZEXP_OVER)) return 1;
  w->c = r->n * r->width * std::exp(-lnb);
  if (p[2] > 1.0 && p[3] > 1.0) {
    r->mode_x = p[0] + p[1] * (p[2] - 1.0) / (p[2] + p[3] - 2.0);
    r->height = kesbplt(r->mode_x, w->c, p);
  } else if (p[2] == 1.0 && p[3] == 1.0) {
    r->height = w->c / p[1];
  }
  return 0;
}

double betaplot(double x, const zfit_work* w) {
  const double* p = w->params;
  return kesbplt(x, w->c, p);
}
