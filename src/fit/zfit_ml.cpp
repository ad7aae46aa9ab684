// zfit_ml: the engine of the maximum-likelihood fits of several parameters that no
// profile over a threshold serves: Johnson SU, and the beta law with both ends of its
// support estimated (whose profile search runs where this engine finds no maximum).
// The lognormal, Weibull and gamma thresholds, and one end of the beta law, are found
// on the profile of the likelihood (zfit_profile.cpp). Their likelihoods have an interior local
// maximum for some samples only: they can grow without bound toward an end of the
// parameters' range (a threshold nearing the smallest value), rise along a valley
// without end, or offer a saddle to an iteration that starts near it. So the optimiser
// runs on parameters scaled by the root of their curvature, from each of the family's
// starts (whose offsets from the data are in units of the data's range), and a result
// counts only where a run ends at an interior local maximum: every free parameter
// strictly inside its bounds and the Hessian of the negative log-likelihood positive
// definite there. The largest such maximum is the fit; without one, the reason is that
// of the run that climbed highest.
#include "fit/zfit_ml.h"

#include <cmath>

#include "fit/zfit_fams.h"
#include "host/host_services.h"
#include "kes_msg_names.h"
#include "numeric/zmissing.h"
#include "numeric/znew.h"

namespace {
constexpr int N = zfit_ml_spec::kMaxParams;
constexpr int NH = N * (N + 1) / 2;

// In scaled coordinates the Hessian has a unit diagonal at the start, and the
// optimiser's usual first ridge (a shift of about a tenth of that diagonal) caps every
// step along a nearly flat valley of the likelihood at about ten times its gradient:
// the iteration crawls. The smallest ridge that makes the Hessian positive definite is
// found from a thousandth upwards instead, the step-length search guarding the step.
constexpr double kScaledFirstRidge = 1e-3;

// A run on scaled parameters y_i = d_i x_i: the optimiser and ConvCheck see the outer
// record (y, its bounds, gradient and Hessian); the family's callbacks see the inner
// one (x, the family's bounds and its own derivatives).
struct scaled_run {
  zfit_optrec inner;
  const double* d;
  double (*obj)(void*);
  int (*deriv)(void*);
  double (*objderiv)(void*);
  int nderiv;
  double unit_log, values;
  // With objderiv: the point whose derivatives the inner record holds.
  double at[N];
  bool fresh;
};

scaled_run* run_of(zfit_optrec* o) { return static_cast<scaled_run*>(o->fitwork); }

void unscale(zfit_optrec* o) {
  scaled_run* r = run_of(o);
  for (int i = 0; i < o->n; ++i) r->inner.x[i] = o->x[i] / r->d[i];
}

// Whether the inner record's derivatives are those of its point (objderiv only).
bool same_point(const scaled_run* r) {
  if (!r->fresh) return false;
  for (int i = 0; i < r->inner.n; ++i)
    if (r->at[i] != r->inner.x[i]) return false;
  return true;
}

double scaled_obj(void* data) {
  zfit_optrec* o = static_cast<zfit_optrec*>(data);
  unscale(o);
  ++o->nevals;
  // The stopping rule reads the size of log L of the data in units of their range (o->f),
  // which does not change with the unit of measurement, and at least the number of
  // values (a log L near 0 would ask for a gain that its rounding hides); the
  // optimiser reads the family's own objective.
  scaled_run* r = run_of(o);
  double f;
  if (r->objderiv != nullptr) {
    f = r->objderiv(&r->inner);
    for (int i = 0; i < o->n; ++i) r->at[i] = r->inner.x[i];
    r->fresh = true;
  } else {
    f = r->obj(&r->inner);
  }
  o->f = std::fmax(std::fabs(f - r->unit_log), r->values);
  return f;
}

int scaled_deriv(void* data) {
  zfit_optrec* o = static_cast<zfit_optrec*>(data);
  scaled_run* r = run_of(o);
  unscale(o);
  ++r->nderiv;
  if (r->objderiv == nullptr) r->deriv(&r->inner);
  else if (!same_point(r)) r->objderiv(&r->inner);
  for (int j = 0; j < o->n; ++j) {
    o->grad[j] = r->inner.grad[j] / r->d[j];
    for (int i = 0; i <= j; ++i) {
      const long k = j * (j + 1L) / 2 + i;
      o->hess[k] = r->inner.hess[k] / (r->d[i] * r->d[j]);
    }
  }
  zfit_hold_given(o);
  return 0;
}

double scale_bound(double b, double d) { return b == ZDBL_BIG || b == -ZDBL_BIG ? b : b * d; }

bool held(const zfit_ml_spec& s, int i) { return s.lo[i] == s.hi[i]; }

// The family's record of the point x: the objective's value, its gradient and Hessian.
struct point_eval {
  double x[N], g[N], h[NH];
  double f;
};
// The Cholesky factor of the symmetric m x m matrix a in its lower triangle: false
// where a pivot is not above floor (or not finite), the matrix then not positive
// definite to that margin.
bool cholesky(double a[N][N], int m, double floor) {
  for (int j = 0; j < m; ++j) {
    double piv = a[j][j];
    for (int k = 0; k < j; ++k) piv -= a[j][k] * a[j][k];
    if (!(piv > floor) || !std::isfinite(piv)) return false;
    a[j][j] = std::sqrt(piv);
    for (int i = j + 1; i < m; ++i) {
      double t = a[i][j];
      for (int k = 0; k < j; ++k) t -= a[i][k] * a[j][k];
      a[i][j] = t / a[j][j];
    }
  }
  return true;
}

void evaluate(zfit_work* w, const zfit_ml_spec& s, const double* x, point_eval* e) {
  for (int i = 0; i < s.n; ++i) e->x[i] = x[i];
  zfit_optrec o{s.n, 0, 0, 0, const_cast<int*>(s.flags), nullptr, 0.0, ZDBL_BIG, 0.0, e->x,
                const_cast<double*>(s.lo), const_cast<double*>(s.hi), e->g, e->h, nullptr, w};
  if (s.objderiv != nullptr) {
    e->f = s.objderiv(&o);
    return;
  }
  e->f = s.obj(&o);
  if (std::isfinite(e->f) && e->f != ZDBL_BIG) s.deriv(&o);
}
}  // namespace

void zfit_ml_add_start(zfit_ml_spec* s, const double* x0) {
  if (s->nstarts >= zfit_ml_spec::kMaxStarts) return;
  double* to = s->starts[s->nstarts++];
  for (int i = 0; i < s->n; ++i) to[i] = held(*s, i) ? s->lo[i] : std::fmin(std::fmax(x0[i], s->lo[i]), s->hi[i]);
}

zfit_ml_end zfit_ml_run(zfit_work* w, const zfit_ml_spec& s, const double* x0, double* x, double* f) {
  const int n = s.n;
  // Everything the optimiser needs, for at most four parameters: parameters, bounds,
  // gradient, Hessian, start copy, test work, the optimiser's area, the inner record's
  // parameters, gradient and Hessian, and the scales.
  double px[N], plo[N], phi[N], g[N], h[NH], saved[N], test[2 * N + NH], work[NH + 4 * N];
  double inner[N], ig[N], ih[NH], d[N];
  int active[N];
  for (int i = 0; i < n; ++i) active[i] = -1;
  scaled_run run{{n, 0, 0, s.maxiter, const_cast<int*>(s.flags), active, s.tol, ZDBL_BIG, 0.0, inner,
                  const_cast<double*>(s.lo), const_cast<double*>(s.hi), ig, ih, test, w},
                 d, s.obj, s.deriv, s.objderiv, 0, s.unit_log, s.values, {}, false};
  // The scale of each free parameter: the root of its curvature at the start (1 where
  // that is not positive, and for a held parameter).
  for (int i = 0; i < n; ++i) inner[i] = x0[i];
  const double f0 = s.objderiv != nullptr ? s.objderiv(&run.inner) : s.obj(&run.inner);
  if (!std::isfinite(f0) || f0 == ZDBL_BIG) {
    for (int i = 0; i < n; ++i) x[i] = x0[i];
    *f = ZDBL_BIG;
    return ZFIT_ML_NO_MAXIMUM;
  }
  if (s.objderiv == nullptr) s.deriv(&run.inner);
  for (int i = 0; i < n; ++i) {
    const double hii = ih[i * (i + 1) / 2 + i];
    d[i] = !held(s, i) && std::isfinite(hii) && hii > 0.0 ? std::sqrt(hii) : 1.0;
    px[i] = x0[i] * d[i];
    plo[i] = scale_bound(s.lo[i], d[i]);
    phi[i] = scale_bound(s.hi[i], d[i]);
  }
  znew_work st{work, h, g, saved, px, nullptr, nullptr, nullptr, nullptr, plo, phi, nullptr, nullptr, 0.0, active};
  znew_ctl ctl{n, 0, 0, 0, 1, 0, s.maxiter, 0, 1, 1e-6, 1024.0, kScaledFirstRidge, 4.0};
  zfit_optrec o{n, 0, 0, s.maxiter, const_cast<int*>(s.flags), active, s.tol, ZDBL_BIG, 0.0, px, plo, phi, g, h,
                test, &run};
  double ridge = ctl.ridge0;
  const int status = znewrap(&o, &st, &ctl, &ridge, scaled_obj, scaled_deriv, ConvCheck);
  // Held parameters come back exactly, free ones within their bounds.
  for (int i = 0; i < n; ++i) x[i] = held(s, i) ? s.lo[i] : std::fmin(std::fmax(px[i] / d[i], s.lo[i]), s.hi[i]);
  *f = st.f;
  if (status == ZNEW_CONVERGED || status == ZNEW_RIDGEDSOL) {
    for (int i = 0; i < ctl.nactive; ++i)
      if (active[i] >= 0 && !held(s, active[i])) return ZFIT_ML_AT_BOUND;
    return ZFIT_ML_MAXIMUM;
  }
  // The optimiser takes a derivative at the start and one per iteration.
  if (status == ZNEW_NOTCONVERGED && run.nderiv > s.maxiter) return ZFIT_ML_BUDGET;
  return ZFIT_ML_NO_MAXIMUM;
}

bool zfit_ml_interior(zfit_work* w, const zfit_ml_spec& s, const double* x) {
  int free[N], m = 0;
  for (int i = 0; i < s.n; ++i) {
    if (held(s, i)) continue;
    if (!(x[i] > s.lo[i] && x[i] < s.hi[i])) return false;
    free[m++] = i;
  }
  point_eval e;
  evaluate(w, s, x, &e);
  if (!std::isfinite(e.f) || e.f == ZDBL_BIG) return false;
  // The Hessian over the free parameters with a unit diagonal (its signs do not depend
  // on the parameters' units), then Cholesky: positive definite exactly when every
  // pivot is positive.
  double a[N][N], dg[N];
  for (int j = 0; j < m; ++j) {
    const double v = e.h[free[j] * (free[j] + 1) / 2 + free[j]];
    if (!(v > 0.0) || !std::isfinite(v)) return false;
    dg[j] = std::sqrt(v);
  }
  for (int j = 0; j < m; ++j)
    for (int i = 0; i < m; ++i) {
      const int p = free[i] < free[j] ? free[i] : free[j], q = free[i] < free[j] ? free[j] : free[i];
      a[i][j] = e.h[q * (q + 1) / 2 + p] / (dg[i] * dg[j]);
    }
  // A pivot lost in the rounding of the unit diagonal is no curvature.
  return cholesky(a, m, 1e-12);
}

namespace {
// Newton's full steps from the maximum a run stopped at, over the free parameters,
// while each step's decrement g'H^-1 g shrinks and the point stays an interior one:
// the stopping rule leaves log L within about 1e-12 of its maximum, which on a flat
// ridge leaves the parameters only to a few digits; these steps take them to the
// rounding of the likelihood's derivatives (unless TOL= asks for less).
void polish(zfit_work* w, const zfit_ml_spec& s, double* x) {
  int free[N], m = 0;
  for (int i = 0; i < s.n; ++i)
    if (!held(s, i)) free[m++] = i;
  if (m == 0) return;
  double last = INFINITY;
  for (int it = 0; it < 8; ++it) {
    point_eval e;
    evaluate(w, s, x, &e);
    if (!std::isfinite(e.f) || e.f == ZDBL_BIG) return;
    // Solve H d = g over the free parameters (Cholesky; H positive definite at an
    // interior maximum of log L).
    double a[N][N], b[N];
    for (int j = 0; j < m; ++j) {
      b[j] = e.g[free[j]];
      for (int i = 0; i < m; ++i) {
        const int p = free[i] < free[j] ? free[i] : free[j], q = free[i] < free[j] ? free[j] : free[i];
        a[i][j] = e.h[q * (q + 1) / 2 + p];
      }
    }
    if (!cholesky(a, m, 0.0)) return;
    double y[N], d[N];
    for (int i = 0; i < m; ++i) {
      double t = b[i];
      for (int k = 0; k < i; ++k) t -= a[i][k] * y[k];
      y[i] = t / a[i][i];
    }
    double dec = 0.0;
    for (int i = 0; i < m; ++i) dec += y[i] * y[i];
    for (int i = m - 1; i >= 0; --i) {
      double t = y[i];
      for (int k = i + 1; k < m; ++k) t -= a[k][i] * d[k];
      d[i] = t / a[i][i];
    }
    if (!(dec < last) || dec == 0.0) return;
    double z[N];
    for (int i = 0; i < s.n; ++i) z[i] = x[i];
    for (int i = 0; i < m; ++i) z[free[i]] = x[free[i]] - d[i];
    if (!zfit_ml_interior(w, s, z)) return;
    for (int i = 0; i < s.n; ++i) x[i] = z[i];
    last = dec;
  }
}
}  // namespace

int zfit_ml(zfit_work* w, const zfit_ml_spec& s, double* x, zfit_ml_end* why) {
  double best = ZDBL_BIG, climb = ZDBL_BIG;
  bool found = false;
  *why = ZFIT_ML_NO_MAXIMUM;
  for (int k = 0; k < s.nstarts; ++k) {
    double y[N], f = ZDBL_BIG;
    zfit_ml_end end = zfit_ml_run(w, s, s.starts[k], y, &f);
    if (end == ZFIT_ML_MAXIMUM && !zfit_ml_interior(w, s, y)) {
      end = ZFIT_ML_NO_MAXIMUM;
      for (int i = 0; i < s.n; ++i)
        if (!held(s, i) && !(y[i] > s.lo[i] && y[i] < s.hi[i])) end = ZFIT_ML_AT_BOUND;
    }
    if (end == ZFIT_ML_MAXIMUM) {
      if (!found || f < best) {
        best = f;
        for (int i = 0; i < s.n; ++i) x[i] = y[i];
      }
      found = true;
    } else if (!found && std::isfinite(f) && f < climb) {
      climb = f;
      *why = end;
      for (int i = 0; i < s.n; ++i) x[i] = y[i];
    }
  }
  if (found) {
    // A TOL= looser than the default is the tolerance of the maximum the user asks for.
    if (!(s.tol > kMlTolerance)) polish(w, s, x);
    *why = ZFIT_ML_MAXIMUM;
  }
  return found ? 0 : 1;
}

void zfit_ml_refused(zfit_work* w, zfit_ml_end why, int maxiter) {
  // A refusal always has a reason other than a maximum found.
  w->ml_why = why == ZFIT_ML_MAXIMUM ? ZFIT_ML_NO_MAXIMUM : why;
  w->ml_maxiter = maxiter;
}

int zfit_ml_reason(int why, int maxiter, char* text, int size) {
  const int last = size - 1;
  int len;
  if (why == ZFIT_ML_AT_BOUND) len = xpmstr(text, last, KES_SET_PLOT, KES_MSG_ML_RISES_TO_BOUND);
  else if (why == ZFIT_ML_BUDGET) len = xpmstr(text, last, KES_SET_PLOT, KES_MSG_ML_BUDGET_USED, maxiter);
  else if (why == ZFIT_ML_AWAY) len = xpmstr(text, last, KES_SET_PLOT, KES_MSG_ML_RISES_AWAY_FROM_DATA);
  else len = xpmstr(text, last, KES_SET_PLOT, KES_MSG_ML_NO_INTERIOR_MAXIMUM);
  len = len < 0 ? 0 : len > last ? last : len;
  text[len] = '\0';
  return len;
}
