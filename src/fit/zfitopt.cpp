// zfit_optimise: one run of the bounded optimiser for the threshold-estimating
// maximum-likelihood fits, with its arrays from the fit's pool; and the fits' reading
// of the request's iteration limit and tolerance.
#include <cmath>

#include "fit/zfit_fams.h"
#include "host/host_services.h"
#include "numeric/zmissing.h"
#include "numeric/znew.h"
#include "records/pool_alloc.h"

namespace {
constexpr int kNoMemory = 1016;
}  // namespace

int zfit_maxiter(const zfit_req* r, int dflt) {
  return std::isnan(r->maxiter) ? dflt : static_cast<int>(zd2ll(r->maxiter));
}

double zfit_tol(const zfit_req* r, double dflt) { return std::isnan(r->tol) ? dflt : r->tol; }

int zfit_optimise(zfit_work* w, const int* estflags, double tol, int maxiter, const double* x0, const double* lo,
                  const double* hi, double (*obj)(void*), int (*deriv)(void*), double* x) {
  return zfit_optimise_n(w, 2, estflags, tol, maxiter, x0, lo, hi, obj, deriv, x) == 0 ? 0 : 1;
}

int zfit_optimise_n(zfit_work* w, int n, const int* estflags, double tol, int maxiter, const double* x0,
                    const double* lo, const double* hi, double (*obj)(void*), int (*deriv)(void*), double* x) {
  const int nh = n * (n + 1) / 2;
  host_pool* pool = w->req->pool;
  const long nwork = znewwsz(n, 1, 0);
  // Parameters, bounds, gradient, Hessian, start copy, test work and the optimiser's area.
  const long ndoubles = 3 * n + n + nh + n + (2 * n + nh) + nwork;
  const long size = 8L * ndoubles + static_cast<long>(sizeof(int)) * n;
  double* a = static_cast<double*>(vmalcp_handler(pool, size, KES_ALLOC));
  if (a == nullptr) {
    xmemmsg(size);
    return kNoMemory;
  }
  double *px = a, *plo = a + n, *phi = a + 2 * n, *g = a + 3 * n, *h = g + n, *saved = h + nh, *test = saved + n;
  double* work = test + 2 * n + nh;
  int* active = reinterpret_cast<int*>(work + nwork);
  for (int i = 0; i < n; ++i) {
    px[i] = x0[i];
    plo[i] = lo[i];
    phi[i] = hi[i];
    active[i] = -1;
  }
  znew_work st{work, h, g, saved, px, nullptr, nullptr, nullptr, nullptr, plo, phi, nullptr, nullptr, 0.0, active};
  znew_ctl ctl{n, 0, 0, 0, 1, 0, maxiter, 0, 1, 1e-6, 1024.0, 0.3125, 4.0};
  zfit_optrec o{n,  0, 0, maxiter, const_cast<int*>(estflags), active, tol, ZDBL_BIG, 0.0, px, plo, phi, g, h,
                test, w};
  double ridge = 0.3125;
  const int status = znewrap(&o, &st, &ctl, &ridge, obj, deriv, ConvCheck);
  for (int i = 0; i < n; ++i) x[i] = px[i];
  vmfree_handler(pool, a, -1, KES_FREE_FLAGS);
  return status == ZNEW_CONVERGED || status == ZNEW_RIDGEDSOL ? 0 : 1;
}

int zfit_shape_step(double* shape, double f, double fp, double tol, int it, int maxiter, int note) {
  const double delta = f / fp;
  *shape -= delta;
  if (*shape < 0.0) *shape = 0.05;
  if (std::fabs(delta) <= tol) return 0;
  // A solve that uses its whole budget has not converged: the fit fails.
  if (it < maxiter) return -1;
  xpmlog(308, note, it);
  xpmlog(308, note + 1);
  return 1;
}

bool zfit_shape_idle(int maxiter, double tol, int note) {
  if (maxiter > 0 && tol > 0.0) return false;
  if (maxiter == 0) {
    xpmlog(308, note, 0);
    xpmlog(308, note + 1);
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

void zfit_flatten(zfit_work* w) {
  // Room for as many values as observations: a walk to count the distinct ones would
  // cost as much as the walk that copies them.
  if (w->flat != nullptr) return;
  const double n = w->req->n;
  if (!(n >= 1.0 && n <= 1e9)) return;
  const long cap = static_cast<long>(n);
  host_pool* pool = w->req->pool;
  const long size = 12L * cap + static_cast<long>(sizeof(zfit_flat));
  void* block = vmalcp_handler(pool, size, KES_ALLOC);
  if (block == nullptr) return;
  double* x = static_cast<double*>(block);
  zfit_flat* a = reinterpret_cast<zfit_flat*>(x + cap);
  int* f = reinterpret_cast<int*>(a + 1);
  long m = 0;
  for (const kes_valnode* v = w->values; v != nullptr && m < cap; v = v->next, ++m) {
    x[m] = v->key.value;
    f[m] = v->count;
  }
  *a = {x, f, m};
  w->flat = a;
}
