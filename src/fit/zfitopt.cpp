// What the fits' iterations share: the request's iteration limit and tolerance, the
// Newton step of a shape and its notes, and given parameters held in the optimiser.
#include <cmath>

#include "fit/zfit_fams.h"
#include "host/host_services.h"
#include "kes_msg_names.h"
#include "numeric/zmissing.h"
#include "numeric/znew.h"

int zfit_maxiter(const zfit_req* r, int dflt) {
  return std::isnan(r->maxiter) ? dflt : static_cast<int>(zd2ll(r->maxiter));
}

double zfit_tol(const zfit_req* r, double dflt) { return std::isnan(r->tol) ? dflt : r->tol; }

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
