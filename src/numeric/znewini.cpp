// Work-area layout and the start of the optimiser in bounds and general mode.
#include <algorithm>
#include <cmath>

#include "numeric/znew_ops.h"
#include "numeric/zvstride.h"

namespace {
// Doubles of the factor region: general mode expands the Hessian to a full square.
long facsize(int n, int bounds) {
  const long packed = znew_col(n);
  return bounds ? packed : std::max(static_cast<long>(n) * n, n + packed);
}

// Feasibility slack of a constraint value r.
double slack(double r) { return 1e-12 * std::max(1.0, std::fabs(r)); }
}  // namespace

long znewwsz(int n, int bounds, int ncon) {
  if (n < 1) return 0;
  if (bounds) return facsize(n, 1) + 4L * n;
  if (ncon < 0) ncon = 0;
  return facsize(n, 0) + 3L * n + static_cast<long>(ncon) * n + 2L * ncon;
}

double* znew_dir(const znew_work* st, const znew_ctl* ctl) {
  return st->work + facsize(ctl->n, ctl->bounds);
}

double* znew_red(const znew_work* st, const znew_ctl* ctl) {
  // Bounds mode keeps the free flags between direction and reduced vector.
  return znew_dir(st, ctl) + (ctl->bounds ? 2 : 1) * ctl->n;
}

void znewlay(znew_work* st, const znew_ctl* ctl) {
  const int n = ctl->n;
  st->factor = st->work;
  if (ctl->bounds) {
    st->aux = znew_dir(st, ctl) + n;
    // The list is read only as integers; its doubles are never read as doubles.
    if (!st->active) st->active = reinterpret_cast<int*>(znew_red(st, ctl) + n);
    return;
  }
  const int ncon = ctl->neq + ctl->nineq;
  st->hhv = znew_red(st, ctl) + n;
  st->hhbeta = st->hhv + static_cast<long>(ncon) * n;
  st->aux = st->hhbeta + ncon;
  if (!st->active) st->active = reinterpret_cast<int*>(st->aux + n);
}

int zbinit(znew_work* st, znew_ctl* ctl) {
  ctl->nactive = 0;
  for (int i = 0; i < ctl->n; ++i) {
    st->aux[i] = 1.0;
    st->active[i] = -1;
  }
  // A start on a bound is feasible and stays free; a NaN start is not feasible.
  for (int i = 0; i < ctl->n; ++i) {
    if (!(st->x[i] >= st->lower[i] && st->x[i] <= st->upper[i])) return ZNEW_INFEASIBLE;
  }
  return 0;
}

int zcinit(znew_work* st, znew_ctl* ctl, double* ridge) {
  const int n = ctl->n;
  const int ncon = ctl->neq + ctl->nineq;
  ctl->nactive = 0;
  for (int k = 0; k < ncon; ++k) st->active[k] = k;
  for (int k = 0; k < ctl->neq; ++k) {
    const double r = zinner(st->amat + static_cast<long>(k) * n, st->x, n);
    if (!(std::fabs(r - st->rhs[k]) <= slack(r))) return ZNEW_INFEASIBLE;
    zconadd(st, ctl, ridge, k);
  }
  for (int k = ctl->neq; k < ncon; ++k) {
    const double r = zinner(st->amat + static_cast<long>(k) * n, st->x, n);
    if (!(st->rhs[k] - slack(r) <= r)) return ZNEW_INFEASIBLE;
  }
  return 0;
}
