// The ridge: a diagonal shift that makes the projected Hessian positive definite
// when it is not, raised geometrically until the Cholesky pivots pass.
#include <cmath>

#include "numeric/zchol.h"
#include "numeric/znew_ops.h"
#include "numeric/zvstride.h"

double zridgit(double* f, int m, double ridge, double reltol) {
  const long p = znew_col(m);
  double shift = 0.0;
  if (ridge > 0.0 && p > 0) {
    // Relative to the matrix's size; an absolute shift when the matrix is negligible.
    const double q = zvenorm(static_cast<int>(p), 1, f) * ridge / static_cast<double>(p);
    shift = q >= reltol ? q : 1.0;
  }
  double dmax = 0.0;
  for (int k = 0; k < m; ++k) {
    double& dk = f[znew_col(k) + k];
    dk += shift;
    if (k == 0 || dk > dmax) dmax = dk;
  }
  const double tol = reltol * dmax;
  return tol > 0.0 ? tol : 0.0;
}

void bigger(double* ridge, const znew_ctl* ctl) {
  *ridge = *ridge == 0.0 ? ctl->ridge0 : *ridge * ctl->ridgegrow;
}

int znewfct(znew_work* st, const znew_ctl* ctl, double* ridge, double* tol) {
  const int m = ctl->n - ctl->nactive;
  for (;;) {
    zhproj(st, ctl);
    *tol = zridgit(st->factor, m, *ridge, ctl->reltol);
    int k = 0;
    while (k < m && zchol(k, st->factor, *tol) > *tol) ++k;
    if (k == m) return 0;
    const double was = *ridge;
    bigger(ridge, ctl);
    // A ridge that does not grow (odd control values, or infinity) would loop forever.
    if (*ridge > ctl->ridgemax || !(*ridge > was)) return ZNEW_RIDGEFAIL;
  }
}
