// One run of the bounded optimiser for the maximum-likelihood fits, with its arrays
// from the fit's pool; and the fits' reading of the request's iteration limit and
// tolerance.
#include <cmath>

#include "fit/zfit_fams.h"
#include "host/host_services.h"
#include "host/step_codes.h"
#include "kes_msg_names.h"
#include "numeric/zmissing.h"
#include "numeric/znew.h"
#include "records/pool_alloc.h"

int zfit_maxiter(const zfit_req* r, int dflt) {
  return std::isnan(r->maxiter) ? dflt : static_cast<int>(zd2ll(r->maxiter));
}

double zfit_tol(const zfit_req* r, double dflt) { return std::isnan(r->tol) ? dflt : r->tol; }

namespace {
// A run on scaled parameters y_i = d_i x_i: the optimiser and ConvCheck see the outer
// record (y, its bounds, gradient and Hessian); the family's callbacks see the inner
// one (x, the caller's bounds and the family's own derivatives).
struct scaled_run {
  zfit_optrec inner;
  const double* d;
  double (*obj)(void*);
  int (*deriv)(void*);
};

// In scaled coordinates the Hessian has a unit diagonal at the start, and the first
// ridge of the defaults (a shift of about a tenth of that diagonal) caps every step
// along a nearly flat valley of the likelihood at about ten times its gradient: the
// iteration crawls. The smallest ridge that makes the Hessian positive definite is
// found from a thousandth upwards instead, the step-length search guarding the step.
constexpr double kScaledFirstRidge = 1e-3;

scaled_run* run_of(zfit_optrec* o) { return static_cast<scaled_run*>(o->fitwork); }

void unscale(zfit_optrec* o) {
  scaled_run* r = run_of(o);
  for (int i = 0; i < o->n; ++i) r->inner.x[i] = o->x[i] / r->d[i];
}

double scaled_obj(void* data) {
  zfit_optrec* o = static_cast<zfit_optrec*>(data);
  unscale(o);
  ++o->nevals;
  o->f = run_of(o)->obj(&run_of(o)->inner);
  return o->f;
}

int scaled_deriv(void* data) {
  zfit_optrec* o = static_cast<zfit_optrec*>(data);
  scaled_run* r = run_of(o);
  unscale(o);
  r->deriv(&r->inner);
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

// The scale of each free parameter: the root of its curvature at the start (1 where
// that is not positive, and for a held parameter).
void curvature_scale(scaled_run* r, const double* lo, const double* hi, double* d) {
  zfit_optrec* in = &r->inner;
  r->obj(in);
  r->deriv(in);
  for (int i = 0; i < in->n; ++i) {
    const double hii = in->hess[i * (i + 1L) / 2 + i];
    d[i] = lo[i] != hi[i] && std::isfinite(hii) && hii > 0.0 ? std::sqrt(hii) : 1.0;
  }
}

double scale_bound(double b, double d) { return b == ZDBL_BIG || b == -ZDBL_BIG ? b : b * d; }

int optimise(zfit_work* w, int n, const int* estflags, double tol, int maxiter, const double* x0, const double* lo,
             const double* hi, double (*obj)(void*), int (*deriv)(void*), double* x, bool scaled) {
  const int nh = n * (n + 1) / 2;
  host_pool* pool = w->req->pool;
  const long nwork = znewwsz(n, 1, 0);
  // Parameters, bounds, gradient, Hessian, start copy, test work and the optimiser's
  // area; a scaled run also the inner parameters, gradient and Hessian and the scales.
  const long ninner = scaled ? 3L * n + nh : 0;
  const long ndoubles = 3 * n + n + nh + n + (2 * n + nh) + nwork + ninner;
  const long size = 8L * ndoubles + static_cast<long>(sizeof(int)) * n;
  double* a = static_cast<double*>(vmalcp_handler(pool, size, KES_ALLOC));
  if (a == nullptr) {
    xmemmsg(size);
    return KES_RC_OUT_OF_MEMORY;
  }
  double *px = a, *plo = a + n, *phi = a + 2 * n, *g = a + 3 * n, *h = g + n, *saved = h + nh, *test = saved + n;
  double* work = test + 2 * n + nh;
  double* inner = work + nwork;
  double* d = inner + 2 * n + nh;
  int* active = reinterpret_cast<int*>(inner + ninner);
  for (int i = 0; i < n; ++i) active[i] = -1;
  scaled_run run{{n, 0, 0, maxiter, const_cast<int*>(estflags), active, tol, ZDBL_BIG, 0.0, inner,
                  const_cast<double*>(lo), const_cast<double*>(hi), inner + n, inner + 2 * n, test, w},
                 d, obj, deriv};
  if (scaled) {
    for (int i = 0; i < n; ++i) inner[i] = x0[i];
    curvature_scale(&run, lo, hi, d);
  }
  for (int i = 0; i < n; ++i) {
    const double di = scaled ? d[i] : 1.0;
    px[i] = x0[i] * di;
    plo[i] = scale_bound(lo[i], di);
    phi[i] = scale_bound(hi[i], di);
  }
  znew_work st{work, h, g, saved, px, nullptr, nullptr, nullptr, nullptr, plo, phi, nullptr, nullptr, 0.0, active};
  znew_ctl ctl{n, 0, 0, 0, 1, 0, maxiter, 0, 1, 1e-6, 1024.0, scaled ? kScaledFirstRidge : 0.3125, 4.0};
  zfit_optrec o{n,  0, 0, maxiter, const_cast<int*>(estflags), active, tol, ZDBL_BIG, 0.0, px, plo, phi, g, h,
                test, scaled ? static_cast<void*>(&run) : w};
  double ridge = ctl.ridge0;
  const int status = scaled ? znewrap(&o, &st, &ctl, &ridge, scaled_obj, scaled_deriv, ConvCheck)
                            : znewrap(&o, &st, &ctl, &ridge, obj, deriv, ConvCheck);
  // Held parameters come back exactly, free ones within their bounds.
  for (int i = 0; i < n; ++i)
    x[i] = !scaled ? px[i] : lo[i] == hi[i] ? lo[i] : std::fmin(std::fmax(px[i] / d[i], lo[i]), hi[i]);
  int at_bound = 0;
  for (int i = 0; i < ctl.nactive; ++i) at_bound += active[i] >= 0 && lo[active[i]] != hi[active[i]];
  vmfree_handler(pool, a, -1, KES_FREE_FLAGS);
  if (status != ZNEW_CONVERGED && status != ZNEW_RIDGEDSOL) return 1;
  return scaled && at_bound > 0 ? 2 : 0;
}
}  // namespace

int zfit_optimise_n(zfit_work* w, int n, const int* estflags, double tol, int maxiter, const double* x0,
                    const double* lo, const double* hi, double (*obj)(void*), int (*deriv)(void*), double* x) {
  return optimise(w, n, estflags, tol, maxiter, x0, lo, hi, obj, deriv, x, false);
}

int zfit_optimise_scaled(zfit_work* w, int n, const int* estflags, double tol, int maxiter, const double* x0,
                         const double* lo, const double* hi, double (*obj)(void*), int (*deriv)(void*), double* x) {
  return optimise(w, n, estflags, tol, maxiter, x0, lo, hi, obj, deriv, x, true);
}

int zfit_shape_step(double* shape, double f, double fp, double tol, int it, int maxiter,
                    const zfit_shape_notes& notes) {
  const double delta = f / fp;
  *shape -= delta;
  if (*shape < 0.0) *shape = 0.05;
  if (std::fabs(delta) <= tol) return 0;
  if (it < maxiter) return -1;
  // The budget is the user's (MAXITER=), or twenty steps that a well-posed sample never
  // needs: the curve goes on with the shape reached, under a warning that says so.
  xpmlog(KES_SET_PLOT, notes.stopped, it);
  xpmlog(KES_SET_PLOT, notes.not_converged);
  return 0;
}

bool zfit_shape_idle(int maxiter, double tol, const zfit_shape_notes& notes) {
  if (maxiter > 0 && tol > 0.0) return false;
  if (maxiter == 0) {
    xpmlog(KES_SET_PLOT, notes.stopped, 0);
    xpmlog(KES_SET_PLOT, notes.not_converged);
  }
  return true;
}

void zfit_hold_given(zfit_optrec* o) {
  for (int j = 0; j < o->n; ++j) {
    if (o->lower[j] != o->upper[j]) continue;
    o->grad[j] = 0.0;
    // Packed upper triangle: (i, k), i <= k, at k(k+1)/2 + i.
    for (int i = 0; i < o->n; ++i) {
      const int a = i < j ? i : j, b = i < j ? j : i;
      o->hess[b * (b + 1) / 2 + a] = i == j ? 1.0 : 0.0;
    }
  }
}
